// Loads through the real list windows: a truncated, binary or missing file
// leaves either list, its file label and the modified mark exactly as they
// were (so the next close still asks); a load that left records out shows
// one notice; the new texts exist in every language.
#include "ResIds.h"
#include "ResourceSet.h"
#include "RoadFixture.h"
#include "SearchDlg.h"
#include "TextFile.h"

#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

namespace {

void DropFiles(QWidget* target, const std::string& path) {
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
  QDragEnterEvent enter(QPoint(20, 80), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(20, 80), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

QString Label(QWidget& list) { return list.findChild<QLabel*>(QStringLiteral("fileName"))->text(); }

QStringList AllCells(const CListCtrlEx& list) {
  QStringList out;
  for (int c = 0; c < 5; ++c) out << Column(list, c);
  return out;
}

std::string Binary() {
  std::string b;
  for (int i = 0; i < 4096; ++i) b += static_cast<char>((i * 7919 + 13) & 0xFF);
  return b;
}

// Three definitions in two messages, as the definition list saves them.
std::string DefinitionFile() {
  CVestrelDoc doc;
  auto add = [&](const char* msgName, int id, std::initializer_list<const char*> sigs) {
    _CANMsg* m = doc.AllocCanMsg();
    CopyToCharBuffer(m->name, msgName, MAX_NAME_LEN);
    m->id = id;
    m->byteCount = 8;
    int bit = 0;
    for (const char* s : sigs) {
      _CANSignal* sig = doc.AllocCanSignal();
      CopyToCharBuffer(sig->name, s, MAX_NAME_LEN);
      sig->startBit = bit;
      sig->bitCount = 8;
      bit += 8;
      doc.AddCanSignal(m, sig);
    }
    doc.AddCanMsg(m, LIST_DEFINITION);
  };
  add("Engine", 0x100, {"Speed", "Temp"});
  add("Brake", 0x200, {"Force"});
  return doc.BuildSblText(LIST_DEFINITION);
}

}  // namespace

class LoadWindowsTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void aFailedDefinitionLoadKeepsTheListItsLabelAndTheMark() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    const std::string good = fx.Write("good.sbl", DefinitionFile());
    DropFiles(&fx.Def(), good);
    QCOMPARE(fx.Def().List().GetItemCount(), 3);
    // A sort reorders the rows and marks the list modified.
    ClickHeader(fx.Def().List(), 4);
    QVERIFY(fx.doc.IsDefModified());
    const QStringList cells = AllCells(fx.Def().List());
    QCOMPARE(Label(fx.Def()), QStringLiteral("good.sbl *"));

    const std::string text = ReadBytes(good);
    const std::string bad[] = {fx.Write("cut.sbl", text.substr(0, text.size() / 2)), fx.Write("bin.sbl", Binary()),
                               fx.Path("gone.sbl")};
    for (const std::string& path : bad) {
      fx.sink.shown.clear();
      fx.sink.answers = {MSG_YES};  // 4104: open anyway
      DropFiles(&fx.Def(), path);
      QCOMPARE(fx.sink.Ids(), (std::vector<int>{4104, 4006}));
      QCOMPARE(AllCells(fx.Def().List()), cells);
      QCOMPARE(fx.doc.CountCanSignals(LIST_DEFINITION), 3);
      QCOMPARE(Label(fx.Def()), QStringLiteral("good.sbl *"));
      QVERIFY(fx.doc.IsDefModified());
      // Through the Open command and its file dialog as well.
      fx.sink.shown.clear();
      fx.sink.answers = {MSG_YES};
      fx.dialogs.answers.push_back(path);
      f.OnCommand(ID_FILE_OPEN_DEFINITIONS);
      QCOMPARE(fx.sink.Ids(), (std::vector<int>{4104, 4006}));
      QCOMPARE(AllCells(fx.Def().List()), cells);
      QVERIFY(fx.doc.IsDefModified());
    }
    // The next close still asks about the unsaved definitions.
    fx.sink.shown.clear();
    fx.sink.answers = {MSG_NO};
    QVERIFY(f.close());
    QCOMPARE(fx.sink.Ids(), std::vector<int>{4103});
  }

  void aFailedReferenceLoadKeepsTheListAndItsLabel() {
    RoadFixture fx;
    fx.Make();
    const std::string vehicle = fx.Write("vehicle.dbc", kVehicleDbc);
    fx.OpenReference(vehicle);
    const QStringList cells = AllCells(fx.Ref().List());
    QCOMPARE(fx.Ref().List().GetItemCount(), 6);
    const std::string bad[] = {fx.Write("cut.sbl", DefinitionFile().substr(0, 300)),
                               fx.Write("bin.sbl", Binary()),
                               fx.Path("gone.sbl"),
                               fx.Write("bin.xml", Binary()),
                               fx.Path("gone.ldf"),
                               fx.Write("bin.dbc", Binary())};
    for (const std::string& path : bad) {
      fx.sink.shown.clear();
      fx.OpenReference(path);
      QCOMPARE(fx.sink.Ids(), std::vector<int>{4006});
      DropFiles(&fx.Ref(), path);
      QCOMPARE(fx.sink.Ids(), (std::vector<int>{4006, 4006}));
      QCOMPARE(AllCells(fx.Ref().List()), cells);
      QCOMPARE(fx.doc.CountCanSignals(LIST_REFERENCE), 6);  // the rows' records are still there
      QCOMPARE(fx.Ref().FilePath(), vehicle);
      QCOMPARE(Label(fx.Ref()), QStringLiteral("vehicle.dbc"));
    }
  }

  void aLoadThatLeftRecordsOutSaysSoOnce() {
    RoadFixture fx;
    fx.Make();
    std::string dbc;
    for (int m = 0; m < 50; ++m) {
      dbc += "BO_ " + std::to_string(100 + m) + " M" + std::to_string(m) + ": 8 N\n";
      for (int k = 0; k < 101; ++k)
        dbc += " SG_ S" + std::to_string(m) + "_" + std::to_string(k) + " : 0|1@1+ (1,0) [0|1] \"\" N\n";
    }
    fx.OpenReference(fx.Write("big.dbc", dbc));
    QCOMPARE(fx.sink.Ids(), std::vector<int>{IDS_MSG_LOAD_CUT});
    QCOMPARE(fx.sink.shown[0].ArgNumber(0), 50LL);
    QCOMPARE(fx.Ref().List().GetItemCount(), 5000);
    fx.sink.shown.clear();
    fx.OpenReference(fx.Write("vehicle.dbc", kVehicleDbc));
    QVERIFY(fx.sink.shown.empty());
  }

  // A typed character the code page cannot hold finds no name holding '?';
  // a typed '?' does.
  void aCharacterOutsideTheCodePageIsNoQuestionMark() {
    RoadFixture fx;
    CMainFrame& f = fx.Make();
    fx.OpenReference(fx.Write("q.dbc", "BO_ 256 Frame: 8 N\n SG_ Sig?A : 0|8@1+ (1,0) [0|1] \"\" N\n"));
    QCOMPARE(fx.Ref().List().GetItemCount(), 1);
    f.OnCommand(ID_EDIT_FIND);
    auto& dlg = *dynamic_cast<CSearchDlg*>(f.SearchWindow());
    fx.sink.shown.clear();
    dlg.Combo()->setEditText(QStringLiteral("g\u00E9A"));
    QTest::keyClick(dlg.Combo(), Qt::Key_Return);
    QCOMPARE(fx.sink.Ids(), std::vector<int>{4012});
    fx.sink.shown.clear();
    dlg.Combo()->setEditText(QStringLiteral("g?A"));
    QTest::keyClick(dlg.Combo(), Qt::Key_Return);
    QVERIFY(fx.sink.shown.empty());
    QCOMPARE(fx.Ref().List().GetSelectedRows(), std::vector<int>{0});
  }

  void theNewTextsExistInEveryLanguage() {
    for (const char* file : {"ja.vrs", "en.vrs", "zh_CN.vrs"}) {
      QFile f(QStringLiteral(VR_RES_LANG_DIR "/") + QString::fromLatin1(file));
      QVERIFY(f.open(QIODevice::ReadOnly));
      CResourceSet set;
      QString error;
      QVERIFY2(set.Parse(f.readAll(), &error), qPrintable(error));
      QVERIFY2(set.HasString(IDS_MSG_LOAD_CUT), file);
      QVERIFY2(set.HasString(IDS_MSG_NO_MEMORY), file);
      QVERIFY2(set.HasString(IDS_MSG_FILE_TOO_LARGE), file);
      QCOMPARE(set.String(IDS_MSG_LOAD_CUT).count(QStringLiteral("%d")), 5);
      QVERIFY2(set.HasString(IDS_MSG_LOAD_CUT_FRAMES), file);
      QCOMPARE(set.String(IDS_MSG_LOAD_CUT_FRAMES).count(QStringLiteral("%d")), 7);
      QVERIFY2(set.HasString(IDS_MSG_XML_TOO_MANY_NAMES), file);
      QVERIFY2(set.HasString(IDS_MSG_NO_FLEXRAY_FRAMES), file);
      QVERIFY2(set.HasString(IDS_MSG_XML_TOO_MANY_NAMESPACES), file);
      QVERIFY2(set.HasString(IDS_MSG_XML_TOO_MANY_ELEMENTS), file);
    }
  }
};

QTEST_MAIN(LoadWindowsTest)
#include "LoadWindowsTest.moc"
