// The list windows: column sets and widths, rows from the document in load
// order, identifiers in both formats, buttons, tooltips, file labels, keys.
#include "DocFill.h"
#include "FontManager.h"
#include "ListDlg.h"
#include "ListViews.h"
#include "ResIds.h"
#include "Resources.h"

#include <QHeaderView>
#include <QTest>

namespace {

// A reference list that counts its refreshes.
class CountingRefList : public CRefListDlg {
 public:
  using CRefListDlg::CRefListDlg;
  void RefreshList() override {
    ++refreshes;
    CRefListDlg::RefreshList();
  }
  int refreshes = 0;
};

struct Host {
  explicit Host(int list) {
    view.resize(600, 400);
    if (list == LIST_REFERENCE) {
      dlg = new CRefListDlg(&view);
    } else {
      dlg = new CDefListDlg(&view);
    }
    dlg->SetDocument(&doc);
    dlg->SetFontManager(&fonts);
    dlg->SetListKind(list);
  }
  bool Create(int bus = BUS_CAN) {
    dlg->SetBusKind(bus);
    dlg->setGeometry(view.rect());
    const bool ok = dlg->Create();
    view.show();
    return ok;
  }
  CVestrelDoc doc;
  CFontManager fonts;
  QWidget view;
  CListDlg* dlg = nullptr;
};

QStringList ColumnTexts(const CListCtrlEx& list, int col) {
  QStringList out;
  for (int r = 0; r < list.GetItemCount(); ++r) out << list.GetItemText(r, col);
  return out;
}

}  // namespace

class ListDlgTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void columnSetsFollowTheBusKind_data() {
    QTest::addColumn<int>("bus");
    QTest::addColumn<QStringList>("titles");
    const QStringList frames = {QString(), QStringLiteral("No."), QStringLiteral("Message"), QStringLiteral("Id"),
                                QStringLiteral("Signal")};
    QTest::newRow("CAN") << int(BUS_CAN) << frames;
    QTest::newRow("LIN") << int(BUS_LIN) << frames;
    QTest::newRow("FlexRay") << int(BUS_FLEXRAY) << frames;
    QTest::newRow("LOGIC") << int(BUS_LOGIC)
                           << QStringList{QString(),
                                          QStringLiteral("No."),
                                          QStringLiteral("Symbol name"),
                                          QStringLiteral("Group"),
                                          QStringLiteral("Bit"),
                                          QStringLiteral("Bit pattern")};
  }
  void columnSetsFollowTheBusKind() {
    QFETCH(int, bus);
    QFETCH(QStringList, titles);
    Host h(LIST_DEFINITION);
    QVERIFY(h.Create(bus));
    CListCtrlEx& list = h.dlg->List();
    QCOMPARE(list.GetColumnCount(), titles.size());
    QCOMPARE(h.dlg->ColumnCount(), int(titles.size()));
    for (int c = 0; c < titles.size(); ++c) QCOMPARE(list.ColumnTitle(c), titles[c]);
    QCOMPARE(list.GetColumnAlign(1), int(LISTALIGN_RIGHT));
    QCOMPARE(list.GetColumnAlign(2), int(LISTALIGN_LEFT));
    // Widths: every column but the last its cut-off share, the last the rest of width - 4.
    const int w = list.width();
    const std::vector<int> expected = ListColumnWidths(bus, w);
    int sum = 0;
    for (int c = 0; c < list.GetColumnCount(); ++c) {
      QCOMPARE(list.GetColumnWidth(c), expected[c]);
      sum += list.GetColumnWidth(c);
    }
    QCOMPARE(sum, w - 4);
    QCOMPARE(list.GetColumnWidth(0), 0);
    QCOMPARE(list.GetColumnWidth(1), static_cast<int>(w * (bus == BUS_LOGIC ? 0.07 : 0.1)));
  }

  void resizingThePaneKeepsTheColumns() {
    Host h(LIST_REFERENCE);
    QVERIFY(h.Create());
    const int before = h.dlg->List().GetColumnWidth(2);
    h.dlg->resize(900, 500);
    QCOMPARE(h.dlg->List().width(), 880);
    QCOMPARE(h.dlg->List().height(), 407);
    QCOMPARE(h.dlg->List().GetColumnWidth(0), 0);
    QCOMPARE(h.dlg->List().GetColumnWidth(2), before);
  }

  void canRowsComeInLoadNumberOrderWithUnnumberedLast() {
    Host h(LIST_REFERENCE);
    _CANMsg* a = AddCan(h.doc, LIST_REFERENCE, "ENGINE", 0x100);
    AddCanSig(h.doc, a, "LATE", -1);
    AddCanSig(h.doc, a, "SECOND", 1);
    _CANMsg* b = AddCan(h.doc, LIST_REFERENCE, "BRAKE", 255);
    AddCanSig(h.doc, b, "FIRST", 0);
    AddCanSig(h.doc, b, "THIRD", 2);
    AddCan(h.doc, LIST_REFERENCE, "EMPTY", 7);  // no signal, no row
    QVERIFY(h.Create());
    const CListCtrlEx& list = h.dlg->List();
    QCOMPARE(ColumnTexts(list, 4), (QStringList{"FIRST", "SECOND", "THIRD", "LATE"}));
    QCOMPARE(ColumnTexts(list, 1), (QStringList{"1", "2", "3", "4"}));
    QCOMPARE(ColumnTexts(list, 3), (QStringList{"255", "256", "255", "256"}));
    QCOMPARE(ColumnTexts(list, 0), (QStringList{"", "", "", ""}));
    h.doc.SetMsgIdFormat(1);
    h.dlg->RefreshList();
    QCOMPARE(ColumnTexts(list, 3), (QStringList{"FF", "100", "FF", "100"}));
    h.doc.SetMsgIdFormat(2);  // only 1 means hexadecimal
    h.dlg->RefreshList();
    QCOMPARE(ColumnTexts(list, 3), (QStringList{"255", "256", "255", "256"}));
  }

  void logicRowsAndBusSwitch() {
    Host h(LIST_DEFINITION);
    AddLogic(h.doc, LIST_DEFINITION, 1, "IDLE", "01x");
    AddCan(h.doc, LIST_DEFINITION, "M", 1);
    QVERIFY(h.Create(BUS_CAN));
    QCOMPARE(h.dlg->List().GetItemCount(), 0);  // the message has no signal
    h.dlg->SetBusKind(BUS_LOGIC);
    const CListCtrlEx& list = h.dlg->List();
    QCOMPARE(list.GetItemCount(), 1);
    QCOMPARE(list.GetItemText(0, 2), QStringLiteral("IDLE"));
    QCOMPARE(list.GetItemText(0, 3), QStringLiteral("2"));
    QCOMPARE(list.GetItemText(0, 4), QStringLiteral("3"));
    QCOMPARE(list.GetItemText(0, 5), QStringLiteral("01x"));
  }

  void busKindBeforeInitialisationDoesNotFill() {
    QWidget view;
    CVestrelDoc doc;
    auto* dlg = new CountingRefList(&view);
    dlg->SetDocument(&doc);
    dlg->SetBusKind(BUS_LOGIC);
    dlg->SetBusKind(BUS_LIN);
    QCOMPARE(dlg->refreshes, 0);
    QVERIFY(dlg->IsInitialising());
    QVERIFY(dlg->Create());
    QCOMPARE(dlg->refreshes, 1);
    QVERIFY(!dlg->IsInitialising());
    QVERIFY(!dlg->EndInitialising());
    QCOMPARE(dlg->BusKind(), int(BUS_LIN));
  }

  void appendedRowsFollowTheList() {
    Host h(LIST_DEFINITION);
    QVERIFY(h.Create());
    _CANMsg* m = AddCan(h.doc, LIST_DEFINITION, "MSG", 0x1A);
    for (int i = 0; i < 40; ++i) h.dlg->AppendCanRow(*m, ("S" + std::to_string(i)).c_str());
    const CListCtrlEx& list = h.dlg->List();
    QCOMPARE(list.GetItemCount(), 40);
    QCOMPARE(list.GetItemText(39, 1), QStringLiteral("40"));
    QCOMPARE(list.GetItemText(39, 3), QStringLiteral("26"));
    // The last row was scrolled into view.
    QVERIFY(list.GetItemRect(39).top() < list.viewport()->height());
    QVERIFY(list.GetItemRect(39).top() >= 0);
    QVERIFY(list.GetTopIndex() > 0);
  }

  void buttonsCarryIconsAndTooltips() {
    Host ref(LIST_REFERENCE);
    QVERIFY(ref.Create());
    QCOMPARE(ref.dlg->TooltipCount(), 3);
    QCOMPARE(ref.dlg->Button(IDC_BTN_REFERENCE)->toolTip(), QStringLiteral("参照"));
    QVERIFY(!ref.dlg->Button(IDC_BTN_REFERENCE)->icon().isNull());
    QVERIFY(ref.dlg->Button(IDC_BTN_REFERENCE)->text().isEmpty());
    QCOMPARE(ref.dlg->Button(IDC_BTN_ADD_DEFINITION)->geometry(), QRect(600 - 54, 400 - 31, 44, 26));
    QCOMPARE(ref.dlg->Button(IDC_BTN_REFERENCE)->geometry(), QRect(10, 26, 44, 26));
    QCOMPARE(ref.dlg->Caption()->text(), QStringLiteral("参照リスト"));
    QVERIFY(ref.dlg->Caption()->font().bold());
    QVERIFY(ref.dlg->List().DisabledLook());
    Host def(LIST_DEFINITION);
    QVERIFY(def.Create());
    QCOMPARE(def.dlg->TooltipCount(), 5);
    QCOMPARE(def.dlg->Button(IDC_BTN_SAVE)->toolTip(), QStringLiteral("保存"));
    QCOMPARE(def.dlg->Button(IDC_BTN_EDIT)->geometry(), QRect(108, 26, 44, 26));
    QCOMPARE(def.dlg->Button(IDC_BTN_DELETE)->geometry(), QRect(10, 400 - 31, 44, 26));
    QVERIFY(!def.dlg->List().DisabledLook());
  }

  void selectionButtonsFollowTheSelection() {
    Host h(LIST_REFERENCE);
    _CANMsg* m = AddCan(h.doc, LIST_REFERENCE, "M", 1);
    AddCanSig(h.doc, m, "A", 0);
    AddCanSig(h.doc, m, "B", 1);
    QVERIFY(h.Create());
    QVERIFY(!h.dlg->IsButtonEnabled(IDC_BTN_SHOW_DEFINITION));
    QVERIFY(!h.dlg->IsButtonEnabled(IDC_BTN_ADD_DEFINITION));
    QVERIFY(h.dlg->IsButtonEnabled(IDC_BTN_REFERENCE));
    h.dlg->List().SetRowSelected(1, true);
    QVERIFY(h.dlg->IsButtonEnabled(IDC_BTN_SHOW_DEFINITION));
    QVERIFY(h.dlg->IsButtonEnabled(IDC_BTN_ADD_DEFINITION));
    h.dlg->List().ClearRowSelection();
    QVERIFY(!h.dlg->IsButtonEnabled(IDC_BTN_ADD_DEFINITION));

    Host d(LIST_DEFINITION);
    _CANMsg* dm = AddCan(d.doc, LIST_DEFINITION, "M", 1);
    AddCanSig(d.doc, dm, "A", 0);
    QVERIFY(d.Create());
    QVERIFY(!d.dlg->IsButtonEnabled(IDC_BTN_EDIT));
    QVERIFY(!d.dlg->IsButtonEnabled(IDC_BTN_DELETE));
    QVERIFY(d.dlg->IsButtonEnabled(IDC_BTN_SAVE));
    d.dlg->SelectAll();
    QVERIFY(d.dlg->IsButtonEnabled(IDC_BTN_EDIT));
    QVERIFY(d.dlg->IsButtonEnabled(IDC_BTN_DELETE));
  }

  void selectAllOnAnEmptyListDoesNothing() {
    Host h(LIST_REFERENCE);
    QVERIFY(h.Create());
    h.dlg->SelectAll();
    QCOMPARE(h.dlg->List().GetSelectedCount(), 0);
  }

  void sortArrowOnOneColumn() {
    Host h(LIST_DEFINITION);
    QVERIFY(h.Create());
    h.dlg->SetSortArrow(2, true);
    QVERIFY(!h.dlg->List().HeaderIcon(2).isNull());
    QVERIFY(h.dlg->List().HeaderIcon(3).isNull());
    const QImage up = h.dlg->List().HeaderIcon(2).pixmap(16, 16).toImage();
    h.dlg->SetSortArrow(2, false);
    QVERIFY(h.dlg->List().HeaderIcon(2).pixmap(16, 16).toImage() != up);
    h.dlg->SetSortArrow(-1, true);
    for (int c = 0; c < h.dlg->List().GetColumnCount(); ++c) QVERIFY(h.dlg->List().HeaderIcon(c).isNull());
  }

  void fileLabels() {
    Host ref(LIST_REFERENCE);
    Host def(LIST_DEFINITION);
    QVERIFY(ref.Create());
    QVERIFY(def.Create());

    auto* label = ref.dlg->findChild<QLabel*>(QStringLiteral("fileName"));
    ref.dlg->SetFilePath("/work/cars/bus.dbc");
    ref.dlg->UpdateFileName();
    QCOMPARE(label->text(), QStringLiteral("bus.dbc"));

    auto* defLabel = def.dlg->findChild<QLabel*>(QStringLiteral("fileName"));
    def.dlg->UpdateFileName();
    QCOMPARE(defLabel->text(), QString());
    def.doc.SetDefModified(true);
    def.dlg->UpdateFileName();
    QCOMPARE(defLabel->text(), QStringLiteral("*"));
    def.dlg->SetFilePath("/work/a.sbl");
    def.dlg->UpdateFileName();
    QCOMPARE(defLabel->text(), QStringLiteral("a.sbl *"));
    def.doc.SetDefModified(false);
    def.dlg->UpdateFileName();
    QCOMPARE(defLabel->text(), QStringLiteral("a.sbl"));
  }

  void englishTextsComeFromTheLibrary() {
    QVERIFY(vrres::LoadLanguageLibrary(QStringLiteral(VR_RCC_DIR "/VrEngRc.rcc")));
    Host h(LIST_DEFINITION);
    QVERIFY(h.Create(BUS_LOGIC));
    QCOMPARE(h.dlg->Caption()->text(), QStringLiteral("Definition list"));
    QCOMPARE(h.dlg->List().ColumnTitle(2), QStringLiteral("Symbol name"));
    QCOMPARE(h.dlg->Button(IDC_BTN_NEW)->toolTip(), QStringLiteral("New definition"));
    vrres::UseBuiltin();
  }
};

QTEST_MAIN(ListDlgTest)
#include "ListDlgTest.moc"
