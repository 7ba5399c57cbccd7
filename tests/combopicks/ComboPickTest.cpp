// Text typed into a combo box of a definition dialog stays what was typed,
// even where it matches an item of the list; only a choice from the open
// list takes over that item's message or signal. OK then judges the typed
// values.
#include <QComboBox>
#include <QScopeGuard>
#include <QTest>

#include <functional>
#include <memory>
#include <string>

#include "CanDlg.h"
#include "CanDlgFixture.h"
#include "DlgKeys.h"
#include "EditINT.h"
#include "FlexRayDlg.h"
#include "FrameDefs.h"
#include "FrameDlgIds.h"
#include "LinDlg.h"
#include "MsgIds.h"
#include "RecordingMessageSink.h"

using namespace vrtest;

namespace {

enum Bus { CAN, FLEXRAY, LIN };

// The definitions every dialog of the step tests offers for picking, the
// same for all three buses.
struct StoredSig {
  const char* name;
  int start;
  int count;
};
struct StoredMsg {
  const char* name;
  int id;
  int bytes;
  StoredSig sig;
};
const StoredMsg kStored[] = {
    {"ENGINE", 0x10, 8, {"RPM", 8, 16}}, {"GEARBOX", 0x3C, 4, {"GEAR", 0, 4}}, {"BRAKE", 0x20, 2, {"PRESSURE", 4, 12}}};

const StoredMsg* StoredNamed(const QString& name) {
  for (const StoredMsg& m : kStored)
    if (name == QLatin1String(m.name)) return &m;
  return nullptr;
}
const StoredSig* StoredSigNamed(const QString& name) {
  for (const StoredMsg& m : kStored)
    if (name == QLatin1String(m.sig.name)) return &m.sig;
  return nullptr;
}

// What OK wrote into the target message and signal.
struct Written {
  std::string msg;
  int id = -1;
  int bytes = -1;
  std::string sig;
  int start = -1;
  int count = -1;
};

// A dialog of one bus over kStored, with its target records: in new mode a
// new message and signal, in edit mode the first stored message and signal.
class PickRig {
 public:
  explicit PickRig(Bus bus, int mode = DLGMODE_NEW) {
    const bool edit = mode == DLGMODE_EDIT;
    if (bus == CAN) {
      _CANMsg* msg = &canMsg_;
      _CANSignal* sig = &canSig_;
      for (const StoredMsg& m : kStored) {
        _CANMsg* stored = can_.Msg(m.name, m.bytes, m.id);
        _CANSignal* storedSig = can_.Sig(stored, m.sig.name, m.sig.start, m.sig.count);
        if (edit && &m == kStored) msg = stored, sig = storedSig;
      }
      auto* dlg = new CCanDlg;
      can_.Aim(*dlg, mode, msg, sig);
      dlg_.reset(dlg);
      read_ = [msg, sig] { return Read(*msg, msg->id, *sig); };
      return;
    }
    int slot = 0;
    for (const StoredMsg& m : kStored) {
      const std::vector<FrameSig> sigs{{m.sig.name, m.sig.start, m.sig.count}};
      if (bus == FLEXRAY) AddFlexRayDef(doc_, m.name, static_cast<uint32_t>(m.id), m.bytes, slot++, 4, sigs);
      else AddLinDef(doc_, m.name, static_cast<uint32_t>(m.id), m.bytes, sigs);
    }
    if (bus == FLEXRAY) {
      AimFrame<CFlexRayDlg>(doc_.GetFlexRayMsgTable(LIST_DEFINITION), doc_.AllocFlexRayMsg(), doc_.AllocFlexRaySignal(),
                            edit, &_FlexRayMsg::slotId);
    } else {
      AimFrame<CLinDlg>(doc_.GetLinMsgTable(LIST_DEFINITION), doc_.AllocLinMsg(), doc_.AllocLinSignal(), edit,
                        &_LINMsg::id);
    }
    dlg_->SetMode(mode);
  }
  // Hidden before it goes, so that the focus leaves its fields while it is
  // still whole.
  ~PickRig() { dlg_->hide(); }

  CMsgDlg& Dlg() { return *dlg_; }
  QComboBox* Combo(int id) { return qobject_cast<QComboBox*>(dlg_->GetDlgItem(id)); }
  Written Stored() const { return read_(); }

 private:
  template <class Dlg, class Msg, class Sig>
  void AimFrame(NameMap<Msg>& table, Msg* fresh, Sig* freshSig, bool edit, uint32_t Msg::*id) {
    Msg* msg = edit ? table.Find(kStored[0].name) : fresh;
    Sig* sig = edit ? msg->signals.Find(kStored[0].sig.name) : freshSig;
    auto* dlg = new Dlg;
    dlg->SetMessageTable(&table);
    dlg->SetTarget(msg, sig);
    if (edit) dlg->SetEditedSignalName(kStored[0].sig.name);
    dlg_.reset(dlg);
    read_ = [msg, sig, id] { return Read(*msg, static_cast<int>(msg->*id), *sig); };
  }
  template <class Msg, class Sig>
  static Written Read(const Msg& m, int id, const Sig& s) {
    return {m.name, id, int(m.byteCount), s.name, int(s.startBit), int(s.bitCount)};
  }

  CanTableFixture can_;
  _CANMsg canMsg_;
  _CANSignal canSig_;
  CVestrelDoc doc_;
  std::unique_ptr<CMsgDlg> dlg_;
  std::function<Written()> read_;
};

// Works the field with the actions: a text is typed over it, "Down", "Up",
// "PgDn", "PgUp" are keys, "Wheel+" and "Wheel-" a notch of the wheel
// turned down or up.
void Work(QWidget* field, const QStringList& actions) {
  for (const QString& a : actions) {
    if (a == QLatin1String("Down")) Press(Qt::Key_Down);
    else if (a == QLatin1String("Up")) Press(Qt::Key_Up);
    else if (a == QLatin1String("PgDn")) Press(Qt::Key_PageDown);
    else if (a == QLatin1String("PgUp")) Press(Qt::Key_PageUp);
    else if (a == QLatin1String("Wheel+")) Wheel(field, 1);
    else if (a == QLatin1String("Wheel-")) Wheel(field, -1);
    else TypeOver(field, a);
  }
}

}  // namespace

class ComboPickTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void canTypedTextIsNoPick_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("fromList");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("startBit");
    QTest::addColumn<int>("okMessage");
    // The name MSG3 (unless the row types a name) and the byte count 8 are
    // typed first.
    QTest::newRow("typed identifier of another message") << dlgids::IDC_MSG_ID << "7FF" << false << "MSG3"
                                                         << "7FF" << 8 << 0 << int(IDS_MSG_ID_USED);
    QTest::newRow("typed name of another message") << dlgids::IDC_MSG_NAME << "GEARBOX" << false << "GEARBOX"
                                                   << "0" << 8 << 0 << -1;
    QTest::newRow("typed name of another signal") << dlgids::IDC_SIGNAL_NAME << "PRESSURE" << false << "MSG3"
                                                  << "0" << 8 << 0 << -1;
    QTest::newRow("identifier chosen from the list") << dlgids::IDC_MSG_ID << "7FF" << true << "GEARBOX"
                                                     << "7FF" << 4 << 4 << -1;
    QTest::newRow("signal chosen from the list") << dlgids::IDC_SIGNAL_NAME << "PRESSURE" << true << "MSG3"
                                                 << "0" << 8 << 4 << -1;
  }

  void canTypedTextIsNoPick() {
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(bool, fromList);
    QFETCH(QString, name);
    QFETCH(QString, id);
    QFETCH(int, bytes);
    QFETCH(int, startBit);
    QFETCH(int, okMessage);

    CanTableFixture t;
    t.Sig(t.Msg("ENGINE", 8, 0x100), "RPM", 8, 16);
    t.Sig(t.Msg("GEARBOX", 4, 0x7FF), "GEAR", 0, 4);
    t.Sig(t.Msg("BRAKE", 2, 0x200), "PRESSURE", 4, 12);
    _CANMsg msg;
    _CANSignal sig;
    CCanDlg dlg;
    t.Aim(dlg, DLGMODE_NEW, &msg, &sig);
    dlg.SetHexFlag(1);
    // Hidden again before the dialog goes, so that the focus leaves its
    // fields while it is still whole.
    const auto hide = qScopeGuard([&dlg] { dlg.hide(); });
    QVERIFY(ShowActive(dlg));
    auto* combo = qobject_cast<QComboBox*>(dlg.GetDlgItem(field));
    QVERIFY(combo && combo->isEditable() && combo->count() > 2);

    if (field != dlgids::IDC_MSG_NAME) TypeAndTab(dlg.GetDlgItem(dlgids::IDC_MSG_NAME), u"MSG3");
    TypeAndTab(dlg.GetDlgItem(dlgids::IDC_BYTE_COUNT), u"8");
    // A text equal to the current item would be no test.
    QVERIFY2(combo->findText(typed) != combo->currentIndex(), qPrintable(combo->itemText(combo->currentIndex())));
    if (fromList) {
      QVERIFY(ChooseFromList(combo, typed));
    } else {
      TypeAndTab(combo, typed);
    }
    QCOMPARE(TextOf(dlg.GetDlgItem(dlgids::IDC_MSG_NAME)), name);
    QCOMPARE(TextOf(dlg.GetDlgItem(dlgids::IDC_MSG_ID)), id);
    QCOMPARE(static_cast<CEditINT*>(dlg.GetDlgItem(dlgids::IDC_BYTE_COUNT))->Value(), bytes);
    QCOMPARE(static_cast<CEditINT*>(dlg.GetDlgItem(dlgids::IDC_START_BIT))->Value(), startBit);
    if (okMessage < 0) return;

    RecordingMessageSink sink;
    PressOk(dlg);
    QCOMPARE(sink.Ids(), std::vector<int>{okMessage});
    QCOMPARE(sink.shown[0].ArgText(0), std::string("7FF"));
    QCOMPARE(sink.shown[0].ArgText(1), std::string("GEARBOX"));
    QVERIFY(dlg.isVisible());
    QCOMPARE(std::string(msg.name), std::string());
  }

  // A step with the arrow keys or the wheel in the name, identifier or signal
  // field selects an item and picks it, as the open list does: the
  // message's identifier and byte count (or the signal's bits) come with it,
  // and OK clicked right after stores them. From typed text the first step
  // lands on item 0. Each row runs in the CAN, FlexRay and LIN dialog.
  void stepPicksInEveryDialog_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<int>("item");
    const int name = dlgids::IDC_MSG_NAME, id = dlgids::IDC_MSG_ID, sig = dlgids::IDC_SIGNAL_NAME;
    QTest::newRow("name: Down from typed text") << name << QStringList{"Q", "Down"} << 0;
    QTest::newRow("name: Up from typed text") << name << QStringList{"Q", "Up"} << 0;
    QTest::newRow("name: Down, Down, Down, Up") << name << QStringList{"Q", "Down", "Down", "Down", "Up"} << 1;
    QTest::newRow("name: Page Down twice") << name << QStringList{"Q", "PgDn", "PgDn"} << 1;
    QTest::newRow("name: wheel down twice") << name << QStringList{"Q", "Wheel+", "Wheel+"} << 1;
    QTest::newRow("identifier: Down twice") << id << QStringList{"7", "Down", "Down"} << 1;
    QTest::newRow("identifier: wheel down, down, up") << id << QStringList{"7", "Wheel+", "Wheel+", "Wheel-"} << 0;
    QTest::newRow("signal: Down twice") << sig << QStringList{"Q", "Down", "Down"} << 1;
    QTest::newRow("signal: wheel down three times") << sig << QStringList{"Q", "Wheel+", "Wheel+", "Wheel+"} << 2;
  }

  void stepPicksInEveryDialog() {
    QFETCH(int, field);
    QFETCH(QStringList, actions);
    QFETCH(int, item);
    for (Bus bus : {CAN, FLEXRAY, LIN}) {
      const QByteArray where = QByteArray("bus ") + char('0' + bus);
      PickRig rig(bus);
      QVERIFY2(ShowActive(rig.Dlg()), where);
      QComboBox* combo = rig.Combo(field);
      QVERIFY2(combo && combo->isEditable() && combo->count() == 3, where);
      const bool signalRow = field == dlgids::IDC_SIGNAL_NAME;
      if (signalRow) {
        TypeAndTab(rig.Dlg().GetDlgItem(dlgids::IDC_MSG_NAME), u"MSG3");
        TypeAndTab(rig.Dlg().GetDlgItem(dlgids::IDC_BYTE_COUNT), u"8");
      }
      Work(combo, actions);
      // The message of the identifier list's row k is the name list's row k.
      const QString chosen = rig.Combo(signalRow ? field : dlgids::IDC_MSG_NAME)->itemText(item);
      QCOMPARE(TextOf(combo), combo->itemText(item));
      if (!signalRow) TypeAndTab(rig.Dlg().GetDlgItem(dlgids::IDC_SIGNAL_NAME), u"NEWSIG");

      RecordingMessageSink sink;
      PressOk(rig.Dlg());
      QVERIFY2(sink.shown.empty(),
               (where + " refused with " + QByteArray::number(sink.shown.empty() ? 0 : sink.shown[0].id)));
      QVERIFY2(!rig.Dlg().isVisible(), where);
      const Written w = rig.Stored();
      if (signalRow) {
        const StoredSig* s = StoredSigNamed(chosen);
        QVERIFY2(s, qPrintable(chosen));
        QCOMPARE(w.msg, std::string("MSG3"));
        QCOMPARE(w.bytes, 8);
        QCOMPARE(w.sig, std::string(s->name));
        QCOMPARE(w.start, s->start);
        QCOMPARE(w.count, s->count);
      } else {
        const StoredMsg* m = StoredNamed(chosen);
        QVERIFY2(m, qPrintable(chosen));
        QCOMPARE(w.msg, std::string(m->name));
        QCOMPARE(w.id, m->id);
        QCOMPARE(w.bytes, m->bytes);
        QCOMPARE(w.sig, std::string("NEWSIG"));
      }
    }
  }

  // Where the name, identifier and signal fields are plain fields (edit
  // mode), a step key or the wheel is nothing: it neither brings the stored
  // text back nor undoes the byte count typed before it.
  void plainFieldNeverSteps_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<QStringList>("actions");
    QTest::newRow("name: Down") << int(dlgids::IDC_MSG_NAME) << QStringList{"Down"};
    QTest::newRow("name: Page Up") << int(dlgids::IDC_MSG_NAME) << QStringList{"PgUp"};
    QTest::newRow("name: wheel down") << int(dlgids::IDC_MSG_NAME) << QStringList{"Wheel+"};
    QTest::newRow("signal: Up") << int(dlgids::IDC_SIGNAL_NAME) << QStringList{"Up"};
  }

  void plainFieldNeverSteps() {
    QFETCH(int, field);
    QFETCH(QStringList, actions);
    for (Bus bus : {CAN, FLEXRAY, LIN}) {
      const QByteArray where = QByteArray("bus ") + char('0' + bus);
      PickRig rig(bus, DLGMODE_EDIT);
      QVERIFY2(ShowActive(rig.Dlg()), where);
      TypeAndTab(rig.Dlg().GetDlgItem(dlgids::IDC_BYTE_COUNT), u"4");
      TypeOver(rig.Dlg().GetDlgItem(field), u"RENAMED");
      Work(rig.Dlg().GetDlgItem(field), actions);
      QCOMPARE(TextOf(rig.Dlg().GetDlgItem(field)), QStringLiteral("RENAMED"));

      RecordingMessageSink sink;
      PressOk(rig.Dlg());
      QVERIFY2(sink.shown.empty(), where);
      const Written w = rig.Stored();
      QCOMPARE(w.bytes, 4);
      QCOMPARE(field == dlgids::IDC_MSG_NAME ? w.msg : w.sig, std::string("RENAMED"));
    }
  }

  void linTypedTextIsNoPick_data() {
    QTest::addColumn<bool>("fromList");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("okMessage");
    QTest::newRow("typed identifier of another frame") << false << "F3" << int(IDS_MSG_ID_USED);
    QTest::newRow("identifier chosen from the list") << true << "SEAT" << -1;
  }

  void linTypedTextIsNoPick() {
    QFETCH(bool, fromList);
    QFETCH(QString, name);
    QFETCH(int, okMessage);

    CVestrelDoc doc;
    AddLinDef(doc, "DOOR", 0x10, 4, {{"LOCK", 0, 2}});
    AddLinDef(doc, "SEAT", 0x3C, 2, {{"HEAT", 0, 3}});
    AddLinDef(doc, "LAMP", 0x20, 1, {{"ON", 0, 1}});
    CLinDlg dlg;
    dlg.SetMode(DLGMODE_NEW);
    dlg.SetMessageTable(&doc.GetLinMsgTable(LIST_DEFINITION));
    dlg.SetTarget(doc.AllocLinMsg(), doc.AllocLinSignal());
    dlg.SetHexFlag(1);
    // Hidden again before the dialog goes, so that the focus leaves its
    // fields while it is still whole.
    const auto hide = qScopeGuard([&dlg] { dlg.hide(); });
    QVERIFY(ShowActive(dlg));
    auto* ids = qobject_cast<QComboBox*>(dlg.GetDlgItem(dlgids::IDC_MSG_ID));
    QVERIFY(ids && ids->isEditable() && ids->count() == 3);

    TypeAndTab(dlg.GetDlgItem(dlgids::IDC_MSG_NAME), u"F3");
    QVERIFY(ids->findText(QStringLiteral("3C")) != ids->currentIndex());
    if (fromList) {
      QVERIFY(ChooseFromList(ids, QStringLiteral("3C")));
    } else {
      TypeAndTab(ids, u"3C");
    }
    QCOMPARE(TextOf(dlg.GetDlgItem(dlgids::IDC_MSG_NAME)), name);
    QCOMPARE(TextOf(ids), QStringLiteral("3C"));
    if (okMessage < 0) return;

    RecordingMessageSink sink;
    PressOk(dlg);
    QVERIFY(!sink.shown.empty());
    QCOMPARE(sink.shown[0].id, okMessage);
    QCOMPARE(sink.shown[0].ArgText(1), std::string("SEAT"));
    QVERIFY(dlg.isVisible());
  }
};

QTEST_MAIN(ComboPickTest)
#include "ComboPickTest.moc"
