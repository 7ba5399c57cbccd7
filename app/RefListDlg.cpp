#include "ListDlg.h"

#include "Icons.h"
#include "ListFileDialogsQt.h"
#include "ResIds.h"
#include "Resources.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

using namespace listlayout;

namespace {

// The drag image sits below and to the right of the pointer.
const QPoint kDragImageOffset(4, 14);
constexpr int kDragImageSize = 16;

}  // namespace

const CListDlg::ButtonRow CRefListDlg::kButtons[] = {
    {IDC_BTN_REFERENCE, IDS_TIP_REFERENCE, IDI_REFERENCE},
    {IDC_BTN_SHOW_DEFINITION, IDS_TIP_SHOW_DEFINITION, IDI_SHOW_DEFINITION},
    {IDC_BTN_ADD_DEFINITION, IDS_TIP_ADD_DEFINITION, IDI_ADD_DEFINITION},
    {0, 0, 0},
};

CRefListDlg::CRefListDlg(QWidget* parent) : CListDlg(IDD_REFLIST, parent) { setObjectName(QStringLiteral("refList")); }

CRefListDlg::~CRefListDlg() {
  // Going away in the middle of a drag: the cursor is the application's.
  if (cursorSet_) QApplication::restoreOverrideCursor();
}

std::unique_ptr<CListLogic> CRefListDlg::MakeLogic(CVestrelDoc& doc) const {
  return std::make_unique<CRefListLogic>(doc);
}

void CRefListDlg::CreateControls() {
  AddCaption(IDC_REF_CAPTION);
  AddButton(IDC_BTN_REFERENCE);
  AddButton(IDC_BTN_SHOW_DEFINITION);
  AddButton(IDC_BTN_ADD_DEFINITION);
  AddFileNameStatic();
}

bool CRefListDlg::OnInitDialog() {
  CListDlg::OnInitDialog();
  InitLayout();
  UpdateLayout();
  InitButtons(kButtons);
  RefreshList();
  List().SetDisabledLook(true);
  EndInitialising();
  return true;
}

void CRefListDlg::UpdateLayout() {
  CListDlg::UpdateLayout();
  PlaceBottomButton(IDC_BTN_ADD_DEFINITION, ClientRect().width() - kMargin - kButtonWidth);
}

void CRefListDlg::RefreshList() {
  CListDlg::RefreshList();
  EnableButtons();
}

void CRefListDlg::EnableButtons() {
  const bool any = List().HasSelection();
  if (QPushButton* b = Button(IDC_BTN_SHOW_DEFINITION)) b->setEnabled(any);
  if (QPushButton* b = Button(IDC_BTN_ADD_DEFINITION)) b->setEnabled(any);
  Q_EMIT stateChanged();
}

bool CRefListDlg::PreTranslateKey(QKeyEvent* event) {
  if (event->key() == Qt::Key_A && (event->modifiers() & Qt::ControlModifier)) {
    SelectAll();
    CListDlg::PreTranslateKey(event);
    return true;
  }
  return CListDlg::PreTranslateKey(event);
}

void CRefListDlg::OnCommand(int buttonId) {
  switch (buttonId) {
    case IDC_BTN_REFERENCE:
      OnBnClickedReference();
      break;
    case IDC_BTN_SHOW_DEFINITION:
      OnBnClickedShowDefinition();
      break;
    case IDC_BTN_ADD_DEFINITION:
      OnBnClickedAddDefinition();
      break;
    default:
      break;
  }
}

void CRefListDlg::OnBnClickedReference() {
  if (!RefLogic()) return;
  CListFileDialogsQt dialogs(this);
  if (!RefLogic()->OpenReference(dialogs)) return;
  ShowLoadedRows();
  UpdateFileName();
}

void CRefListDlg::OnBnClickedShowDefinition() { OpenDefinitionDialog(LIST_REFERENCE, DLGMODE_VIEW); }

void CRefListDlg::OnBnClickedAddDefinition() {
  if (!RefLogic()) return;
  const int added = RefLogic()->AddToDefinitions(List().GetSelectedRows());
  if (CListDlg* def = Partner()) {
    if (added > 0) def->UpdateFileName();
  }
}

void CRefListDlg::OnDropFiles(const std::vector<std::string>& paths) {
  if (!RefLogic() || !RefLogic()->DropFiles(paths)) return;
  ShowLoadedRows();
  UpdateFileName();
}

void CRefListDlg::OnColumnClick(int column) { SortByClickedColumn(column); }

bool CRefListDlg::IsOverPartnerList(const QPoint& globalPos) const {
  return Partner() && IsListAt(Partner()->List(), globalPos);
}

void CRefListDlg::OnBeginDrag() {
  EndDrag();
  auto* image = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint);
  image->setObjectName(QStringLiteral("dragImage"));
  image->setAttribute(Qt::WA_TransparentForMouseEvents);
  image->setAttribute(Qt::WA_ShowWithoutActivating);
  image->setPixmap(vrres::LoadIcon(IDI_DRAG_ROWS).pixmap(kDragImageSize, kDragImageSize));
  image->resize(kDragImageSize, kDragImageSize);
  image->hide();
  dragImage_ = image;
  dragging_ = true;
  if (!List().hasFocus()) List().setFocus(Qt::MouseFocusReason);
}

void CRefListDlg::OnDragMove(const QPoint& globalPos) {
  if (!dragging_) return;
  dragImage_->move(globalPos + kDragImageOffset);
  // The image and the arrow show only over the definition list.
  const bool over = IsOverPartnerList(globalPos);
  dragImage_->setVisible(over);
  const QCursor cursor(over ? Qt::ArrowCursor : Qt::ForbiddenCursor);
  if (cursorSet_) {
    QApplication::changeOverrideCursor(cursor);
  } else {
    QApplication::setOverrideCursor(cursor);
    cursorSet_ = true;
  }
}

void CRefListDlg::OnDragRelease(const QPoint& globalPos) {
  if (!dragging_) return;
  EndDrag();
  if (IsOverPartnerList(globalPos)) OnBnClickedAddDefinition();
}

void CRefListDlg::OnCancelDrag() { EndDrag(); }

void CRefListDlg::EndDrag() {
  dragging_ = false;
  if (dragImage_) {
    dragImage_->hide();
    dragImage_->deleteLater();
    dragImage_ = nullptr;
  }
  if (cursorSet_) {
    QApplication::restoreOverrideCursor();
    cursorSet_ = false;
  }
}
