#include "ListDlg.h"

#include "Icons.h"
#include "ListFileDialogsQt.h"
#include "MainFrame.h"
#include "ResIds.h"
#include "Resources.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

using namespace listlayout;

const CListDlg::ButtonRow CDefListDlg::kButtons[] = {
    {IDC_BTN_OPEN, IDS_TIP_OPEN, IDI_OPEN},
    {IDC_BTN_NEW, IDS_TIP_NEW_DEFINITION, IDI_NEW_DEFINITION},
    {IDC_BTN_EDIT, IDS_TIP_EDIT_DEFINITION, IDI_EDIT_DEFINITION},
    {IDC_BTN_DELETE, IDS_TIP_DELETE_DEFINITION, IDI_DELETE_DEFINITION},
    {IDC_BTN_SAVE, IDS_TIP_SAVE, IDI_SAVE},
    {0, 0, 0},
};

CDefListDlg::CDefListDlg(QWidget* parent) : CListDlg(IDD_DEFLIST, parent) { setObjectName(QStringLiteral("defList")); }

std::unique_ptr<CListLogic> CDefListDlg::MakeLogic(CVestrelDoc& doc) const {
  return std::make_unique<CDefListLogic>(doc);
}

void CDefListDlg::CreateControls() {
  AddCaption(IDC_DEF_CAPTION);
  AddButton(IDC_BTN_OPEN);
  AddButton(IDC_BTN_NEW);
  AddButton(IDC_BTN_EDIT);
  AddButton(IDC_BTN_DELETE);
  AddButton(IDC_BTN_SAVE);
  AddFileNameStatic();
}

bool CDefListDlg::OnInitDialog() {
  CListDlg::OnInitDialog();
  InitLayout();
  UpdateLayout();
  InitButtons(kButtons);
  RefreshList();
  EndInitialising();
  return true;
}

void CDefListDlg::InitLayout() {
  CListDlg::InitLayout();
  if (QPushButton* b = Button(IDC_BTN_EDIT)) b->setGeometry(kTopButtonX[2], kTopRowY, kButtonWidth, kButtonHeight);
}

void CDefListDlg::UpdateLayout() {
  CListDlg::UpdateLayout();
  const QRect c = ClientRect();
  PlaceBottomButton(IDC_BTN_DELETE, c.left() + kMargin);
  PlaceBottomButton(IDC_BTN_SAVE, c.width() - kMargin - kButtonWidth);
}

void CDefListDlg::RefreshList() {
  CListDlg::RefreshList();
  EnableSelectionButtons();
}

void CDefListDlg::EnableSelectionButtons() {
  const bool any = List().HasSelection();
  if (QPushButton* b = Button(IDC_BTN_EDIT)) b->setEnabled(any);
  if (QPushButton* b = Button(IDC_BTN_DELETE)) b->setEnabled(any);
  Q_EMIT stateChanged();
}

bool CDefListDlg::IsListFocused() const { return List().hasFocus(); }

bool CDefListDlg::PreTranslateKey(QKeyEvent* event) {
  // The Delete key of the main block and of the keypad, whatever else is held.
  if (event->key() == Qt::Key_Delete) {
    if (IsListFocused() && List().HasSelection()) {
      OnBnClickedDelete();
      return true;
    }
    return false;
  }
  if (event->key() == Qt::Key_A && (event->modifiers() & Qt::ControlModifier)) {
    if (IsListFocused()) SelectAll();
    else if (MainFrame()) MainFrame()->SelectAllInPane(0);
    CListDlg::PreTranslateKey(event);
    return true;
  }
  return CListDlg::PreTranslateKey(event);
}

void CDefListDlg::OnCommand(int buttonId) {
  switch (buttonId) {
    case IDC_BTN_OPEN:
      OnBnClickedOpen();
      break;
    case IDC_BTN_NEW:
      OnBnClickedNew();
      break;
    case IDC_BTN_EDIT:
      OnBnClickedEdit();
      break;
    case IDC_BTN_DELETE:
      OnBnClickedDelete();
      break;
    case IDC_BTN_SAVE:
      OnBnClickedSave();
      break;
    default:
      break;
  }
}

void CDefListDlg::OnBnClickedOpen() {
  if (!DefLogic()) return;
  CListFileDialogsQt dialogs(this);
  if (!DefLogic()->Open(dialogs)) return;
  ShowLoadedRows();
  UpdateFileName();
}

void CDefListDlg::OnBnClickedNew() {
  if (!DefLogic() || !DefLogic()->CanStartNew()) return;
  if (OpenDefinitionDialog(LIST_DEFINITION, DLGMODE_NEW) > 0) {
    DefLogic()->DefinitionChanged();
    UpdateFileName();
  }
}

void CDefListDlg::OnBnClickedEdit() {
  if (!DefLogic()) return;
  if (OpenDefinitionDialog(LIST_DEFINITION, DLGMODE_EDIT) > 0) {
    DefLogic()->DefinitionChanged();
    UpdateFileName();
  }
}

void CDefListDlg::OnBnClickedDelete() {
  if (!DefLogic() || !DefLogic()->Delete(List().GetSelectedRows())) return;
  EnableSelectionButtons();
  UpdateFileName();
}

void CDefListDlg::OnBnClickedSave() { SaveDefinitions(); }

bool CDefListDlg::SaveDefinitions() {
  if (!DefLogic()) return false;
  CListFileDialogsQt dialogs(this);
  const bool written = DefLogic()->Save(dialogs);
  if (written) UpdateFileName();
  return written;
}

void CDefListDlg::OnDropFiles(const std::vector<std::string>& paths) {
  if (!DefLogic() || !DefLogic()->DropFiles(paths)) return;
  ShowLoadedRows();
  UpdateFileName();
}

void CDefListDlg::OnColumnClick(int column) {
  if (!SortByClickedColumn(column)) return;
  UpdateFileName();
}

int CDefListDlg::ReorderTargetAt(const QPoint& globalPos) const {
  const CListCtrlEx& list = List();
  if (!DefLogic() || !IsListAt(list, globalPos)) return -1;
  const QPoint p = list.viewport()->mapFromGlobal(globalPos);
  bool nowhere = false;
  const int row = list.HitTestRow(p, &nowhere);
  const bool lowerHalf = row >= 0 && p.y() > list.GetItemRect(row).center().y();
  return DefLogic()->ReorderTarget(row, lowerHalf, nowhere);
}

void CDefListDlg::OnBeginDrag() {
  if (!DefLogic() || !DefLogic()->BeginReorder(List().GetSelectedRows())) {
    List().CancelDrag();
    return;
  }
  if (!List().hasFocus()) List().setFocus(Qt::MouseFocusReason);
}

void CDefListDlg::OnDragMove(const QPoint& globalPos) {
  if (IsReordering()) List().SetDropLine(ReorderTargetAt(globalPos));
}

void CDefListDlg::OnDragRelease(const QPoint& globalPos) {
  if (!IsReordering()) return;
  const int target = ReorderTargetAt(globalPos);
  const int count = DefLogic()->ReorderCount();
  const int newFirst = DefLogic()->DropReorder(target);
  List().SetDropLine(-1);
  if (newFirst < 0) return;
  std::vector<int> moved;
  for (int i = 0; i < count; ++i) moved.push_back(newFirst + i);
  // A move forgets the sort column: the arrow goes.
  SetSortArrow(DefLogic()->SortInfo().column, DefLogic()->SortInfo().ascending != 0);
  SelectOnly(moved, newFirst);
  UpdateFileName();
}

void CDefListDlg::OnCancelDrag() { EndReorder(); }

void CDefListDlg::EndReorder() {
  if (DefLogic()) DefLogic()->CancelReorder();
  List().SetDropLine(-1);
}
