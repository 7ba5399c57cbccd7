// The CAN, FlexRay and LIN dialogs keep their size and every control its
// place, whatever message they show, whatever page, J1939 state or byte
// count the user brings about, in the interface font of every language; and
// a combo box made a plain field draws no drop-down arrow, not even under the
// pointer or with the focus. Run offscreen and under an X server, whose
// resolution and font metrics differ.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QImage>
#include <QLabel>
#include <QTest>

#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "BitAssignView.h"
#include "BitWindowGrid.h"
#include "CanDlg.h"
#include "CanDlgFixture.h"
#include "DlgKeys.h"
#include "FlexRayDlg.h"
#include "FrameDefs.h"
#include "FrameDlgIds.h"
#include "LinDlg.h"
#include "StaticEx.h"
#include "UiFonts.h"

using namespace vrtest;

namespace {

// The size of a dialog and where each of its numbered controls (and the
// CAN grid, which has no number) lies in it, in the order they were made.
struct Placement {
  QSize size;
  std::vector<std::pair<int, QRect>> controls;
};

Placement PlacementOf(const CMsgDlg& dlg, const QWidget* extra = nullptr) {
  QApplication::sendPostedEvents();
  QApplication::processEvents();
  Placement p{dlg.size(), {}};
  for (const QWidget* w : dlg.findChildren<QWidget*>())
    if (dlg.CtrlIdOf(w) != 0 || w == extra)
      p.controls.emplace_back(dlg.CtrlIdOf(w), QRect(w->mapTo(&dlg, QPoint()), w->size()));
  return p;
}

// Empty when both agree, else what moved.
QString Moved(const Placement& was, const Placement& now) {
  QString out;
  {
    QDebug d(&out);
    if (was.size != now.size) d << "dialog" << was.size << "->" << now.size << ";";
    for (std::size_t i = 0; i < was.controls.size() && i < now.controls.size(); ++i)
      if (was.controls[i] != now.controls[i])
        d << was.controls[i].first << was.controls[i].second << "->" << now.controls[i].second << ";";
  }
  return out;
}

// --- CAN ----------------------------------------------------------------------

struct CanShown {
  const char* name;
  int bytes;
  bool j1939;
  std::vector<const char*> signalNames;  // the first is edited
};

// A CAN dialog in edit mode on the first signal of one message.
struct CanRig {
  explicit CanRig(const CanShown& shown) {
    _CANMsg* m = t.Msg(shown.name, shown.bytes, 0x100, shown.j1939 ? FRAME_XTD : FRAME_STD);
    m->j1939 = shown.j1939 ? 1 : 0;
    _CANSignal* edited = nullptr;
    int start = 0;
    for (const char* s : shown.signalNames) {
      _CANSignal* sig = t.Sig(m, s, start, shown.bytes > 0 ? 4 : 0);
      edited = edited ? edited : sig;
      start += 4;
    }
    t.Aim(dlg, DLGMODE_EDIT, m, edited);
  }
  ~CanRig() { dlg.hide(); }
  Placement Now() { return PlacementOf(dlg, dlg.GridView()); }

  CanTableFixture t;
  CCanDlg dlg;
};

// --- FlexRay and LIN ------------------------------------------------------------

enum Bus { FLEXRAY, LIN };

// A FlexRay or LIN dialog in edit mode on signal S of one frame, or in new
// mode on an empty list when `name` is null.
struct FrameRig {
  FrameRig(Bus bus, const char* name, int bytes, int start, int count) {
    const bool fresh = name == nullptr;
    const std::vector<FrameSig> sigs{{"S", start, count}};
    if (bus == FLEXRAY) {
      auto* d = new CFlexRayDlg;
      _FlexRayMsg* m = fresh ? doc.AllocFlexRayMsg() : AddFlexRayDef(doc, name, 5, bytes, 0, 2, sigs);
      d->SetTarget(m, fresh ? doc.AllocFlexRaySignal() : m->signals.Find("S"));
      d->SetMessageTable(&doc.GetFlexRayMsgTable(LIST_DEFINITION));
      dlg.reset(d);
    } else {
      auto* d = new CLinDlg;
      _LINMsg* m = fresh ? doc.AllocLinMsg() : AddLinDef(doc, name, 5, bytes, sigs);
      d->SetTarget(m, fresh ? doc.AllocLinSignal() : m->signals.Find("S"));
      d->SetMessageTable(&doc.GetLinMsgTable(LIST_DEFINITION));
      dlg.reset(d);
    }
    if (!fresh) {
      if (auto* d = dynamic_cast<CFlexRayDlg*>(dlg.get())) d->SetEditedSignalName("S");
      if (auto* d = dynamic_cast<CLinDlg*>(dlg.get())) d->SetEditedSignalName("S");
    }
    dlg->SetMode(fresh ? DLGMODE_NEW : DLGMODE_EDIT);
  }
  ~FrameRig() { dlg->hide(); }

  Placement Now() { return PlacementOf(*dlg); }
  // Whether any cell, and whether any row label, is shown.
  bool AnyCellShown() const {
    for (int i = 0; i < CBitWindowGrid::kCells; ++i)
      if (dlg->Grid()->Cell(i)->isVisibleTo(dlg.get())) return true;
    return false;
  }
  bool AnyLabelShown() const {
    for (int r = 0; r < CBitWindowGrid::kLabels; ++r)
      if (dlg->Grid()->RowLabel(r)->isVisibleTo(dlg.get())) return true;
    return false;
  }

  CVestrelDoc doc;
  std::unique_ptr<CFrameSignalDlg> dlg;
};

const char kLongName[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEF";  // 32 characters

// The interface font the program sets for each language, on the platform's
// own size and on a larger one, as on a screen of higher resolution: a text
// whose height follows its glyphs shows in the layout.
struct UiFont {
  const char* name;
  vrres::UiScript script;
  int pixelSize;  // 0: the platform's size
};
const UiFont kFonts[] = {{"ja", vrres::UiScript::Japanese, 0},
                         {"zh", vrres::UiScript::ChineseSimplified, 0},
                         {"en", vrres::UiScript::Latin, 0},
                         {"en, 16 px", vrres::UiScript::Latin, 16}};

void UseFont(const UiFont& f) {
  static const QFont platform = QApplication::font();
  vrres::InstallFaceSubstitutes(f.script);
  QFont font = vrres::InterfaceFont(f.script, platform);
  if (f.pixelSize > 0) font.setPixelSize(f.pixelSize);
  QApplication::setFont(font);
}

// Each row of a layout table once in every interface font: `row` adds the
// row's data after the font's index.
void RowsInEveryFont(const char* rule, const std::function<void(QTestData&)>& row) {
  for (int f = 0; f < static_cast<int>(std::size(kFonts)); ++f) {
    QTestData& data = QTest::addRow("%s: %s", kFonts[f].name, rule) << f;
    row(data);
  }
}

}  // namespace

class DlgLayoutTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { UseFont(kFonts[std::size(kFonts) - 1]); }

  // Each row opens the CAN dialog on a message of its own, then works the
  // J1939 box and the page buttons; at every step the dialog has the size
  // and the controls the places they have for a plain 8-byte message.
  void canHoldsStill_data() {
    QTest::addColumn<int>("font");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<bool>("j1939");
    QTest::addColumn<bool>("longSignalNames");
    QTest::addColumn<QStringList>("clicks");
    RowsInEveryFont("64 bytes, names of 32 characters",
                    [](QTestData& d) { d << kLongName << 64 << false << true << QStringList{}; });
    RowsInEveryFont("0 bytes: no grid heading", [](QTestData& d) { d << "A" << 0 << false << false << QStringList{}; });
    RowsInEveryFont("J1939, 200 bytes: page buttons, paged", [](QTestData& d) {
      d << "A" << 200 << true << false << QStringList{"next", "next", "previous", "previous"};
    });
    RowsInEveryFont("J1939 switched off and on again", [](QTestData& d) {
      d << "A" << 200 << true << false << QStringList{"j1939", "j1939"};
    });
    RowsInEveryFont("J1939 switched on", [](QTestData& d) { d << "A" << 8 << false << false << QStringList{"j1939"}; });
  }

  void canHoldsStill() {
    QFETCH(int, font);
    QFETCH(QString, name);
    QFETCH(int, bytes);
    QFETCH(bool, j1939);
    QFETCH(bool, longSignalNames);
    QFETCH(QStringList, clicks);
    UseFont(kFonts[font]);

    CanRig plain({"A", 8, false, {"S", "T"}});
    QVERIFY(ShowActive(plain.dlg));
    const Placement expected = plain.Now();
    plain.dlg.hide();

    const std::string msgName = name.toStdString();
    CanShown shown{msgName.c_str(), bytes, j1939, {"S", "T"}};
    if (longSignalNames)
      shown.signalNames = {kLongName, "ZYXWVUTSRQPONMLKJIHGFEDCBAZYXWVU", "MUXSELECTORWITHALONGNAMEOF32CHRS"};
    CanRig rig(shown);
    QVERIFY(ShowActive(rig.dlg));
    QString moved = Moved(expected, rig.Now());
    QVERIFY2(moved.isEmpty(), qPrintable(QStringLiteral("at opening: ") + moved));
    for (const QString& click : clicks) {
      if (click == QLatin1String("j1939")) Click(rig.dlg.GetDlgItem(dlgids::IDC_J1939));
      else {
        QWidget* button =
            rig.dlg.GetDlgItem(click == QLatin1String("next") ? dlgids::IDC_PAGE_NEXT : dlgids::IDC_PAGE_PREVIOUS);
        QVERIFY2(button->isVisible(), qPrintable(click));
        Click(button);
      }
      moved = Moved(expected, rig.Now());
      QVERIFY2(moved.isEmpty(), qPrintable(QStringLiteral("after ") + click + QStringLiteral(": ") + moved));
    }
  }

  // Each row opens a FlexRay or LIN dialog and types the byte count digit
  // by digit ('\b' is Backspace); after every key the dialog has the size
  // and the controls, cells and row labels the places they have for a plain
  // 8-byte frame, and a row label is shown exactly while a cell is.
  void frameDialogsHoldStill_data() {
    QTest::addColumn<int>("font");
    QTest::addColumn<int>("bus");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("keys");
    RowsInEveryFont("FlexRay: window at bit 2000, 254 typed, emptied, 0",
                    [](QTestData& d) { d << int(FLEXRAY) << "F" << 254 << 2000 << "254\b\b\b0"; });
    RowsInEveryFont("FlexRay: new frame, 16 typed, then 0",
                    [](QTestData& d) { d << int(FLEXRAY) << QString() << 0 << 0 << "16\b\b0"; });
    RowsInEveryFont("FlexRay: name of 32 characters, 0 typed",
                    [](QTestData& d) { d << int(FLEXRAY) << kLongName << 16 << 8 << "0"; });
    RowsInEveryFont("LIN: 0 typed, then 4 and 8", [](QTestData& d) { d << int(LIN) << "F" << 8 << 40 << "0\b4\b8"; });
    RowsInEveryFont("LIN: new frame, 8 typed, then 0",
                    [](QTestData& d) { d << int(LIN) << QString() << 0 << 0 << "8\b0"; });
    RowsInEveryFont("LIN: name of 32 characters, 1 typed",
                    [](QTestData& d) { d << int(LIN) << kLongName << 2 << 0 << "1"; });
  }

  void frameDialogsHoldStill() {
    QFETCH(int, font);
    QFETCH(int, bus);
    QFETCH(QString, name);
    QFETCH(int, bytes);
    QFETCH(int, start);
    QFETCH(QString, keys);
    UseFont(kFonts[font]);

    FrameRig plain(Bus(bus), "F", 8, 0, 8);
    QVERIFY(ShowActive(*plain.dlg));
    const Placement expected = plain.Now();
    plain.dlg->hide();

    const std::string frameName = name.toStdString();
    FrameRig rig(Bus(bus), name.isNull() ? nullptr : frameName.c_str(), bytes, start, 8);
    QVERIFY(ShowActive(*rig.dlg));
    QString moved = Moved(expected, rig.Now());
    QVERIFY2(moved.isEmpty(), qPrintable(QStringLiteral("at opening: ") + moved));
    QLineEdit* byteCount = EditOf(rig.dlg->GetDlgItem(dlgids::IDC_BYTE_COUNT));
    TypeOver(byteCount, u"");
    QString typed;
    for (QChar key : keys) {
      typed += key;
      if (key == u'\b') QTest::keyClick(byteCount, Qt::Key_Backspace);
      else QTest::keyClick(byteCount, key.toLatin1());
      moved = Moved(expected, rig.Now());
      const QString at = QStringLiteral("with \"%1\" in the field: ").arg(byteCount->text());
      QVERIFY2(moved.isEmpty(), qPrintable(at + moved));
      QVERIFY2(rig.AnyLabelShown() == rig.AnyCellShown(),
               qPrintable(at + QStringLiteral("a row label without a cell")));
    }
  }

  // A combo box made a plain field paints as one: with the pointer over it
  // and the focus in it, the end where a drop-down arrow would go shows
  // nothing but the field's background.
  void plainFieldDrawsNoArrow_data() {
    QTest::addColumn<int>("dialog");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("field");
    QTest::newRow("CAN edit: message name") << 0 << int(DLGMODE_EDIT) << dlgids::IDC_MSG_NAME;
    QTest::newRow("CAN edit: identifier") << 0 << int(DLGMODE_EDIT) << dlgids::IDC_MSG_ID;
    QTest::newRow("CAN view: message name") << 0 << int(DLGMODE_VIEW) << dlgids::IDC_MSG_NAME;
    QTest::newRow("FlexRay edit: signal name") << 1 << int(DLGMODE_EDIT) << int(dlgids::IDC_SIGNAL_NAME);
    QTest::newRow("LIN edit: message name") << 2 << int(DLGMODE_EDIT) << int(dlgids::IDC_MSG_NAME);
  }

  void plainFieldDrawsNoArrow() {
    QFETCH(int, dialog);
    QFETCH(int, mode);
    QFETCH(int, field);

    std::unique_ptr<CanRig> can;
    std::unique_ptr<FrameRig> frame;
    CMsgDlg* dlg = nullptr;
    if (dialog == 0) {
      can = std::make_unique<CanRig>(CanShown{"A", 8, false, {"S"}});
      dlg = &can->dlg;
    } else {
      frame = std::make_unique<FrameRig>(dialog == 1 ? FLEXRAY : LIN, "A", 8, 0, 8);
      dlg = frame->dlg.get();
    }
    dlg->SetMode(mode);
    QVERIFY(ShowActive(*dlg));
    auto* combo = qobject_cast<QComboBox*>(dlg->GetDlgItem(field));
    QVERIFY(combo && combo->isEditable() && combo->currentText().size() <= 3);
    Click(combo->lineEdit());
    const QPoint end(combo->width() - 6, combo->height() / 2);
    QTest::mouseMove(combo, end);
    QVERIFY(combo->hasFocus());
    // On a real X server the pointer's arrival comes back from the server.
    QTRY_VERIFY(combo->underMouse());

    const QImage shot = combo->grab().toImage();
    const QColor base = combo->palette().color(QPalette::Base);
    // The last 24 pixels inside the frame.
    const int frameWidth = 4;
    const QRect endArea(shot.width() - frameWidth - 24, frameWidth, 24, shot.height() - 2 * frameWidth);
    int foreign = 0;
    for (int y = endArea.top(); y <= endArea.bottom(); ++y)
      for (int x = endArea.left(); x <= endArea.right(); ++x)
        if (shot.pixelColor(x, y).rgb() != base.rgb()) ++foreign;
    QVERIFY2(foreign == 0, qPrintable(QStringLiteral("%1 pixels other than the field's background").arg(foreign)));
  }
};

QTEST_MAIN(DlgLayoutTest)
#include "DlgLayoutTest.moc"
