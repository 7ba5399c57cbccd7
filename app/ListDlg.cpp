#include "ListDlg.h"

#include "DefinitionDialogsQt.h"
#include "FontManager.h"
#include "Icons.h"
#include "ListFileDialogsQt.h"
#include "MainFrame.h"
#include "Records.h"
#include "ResIds.h"
#include "Resources.h"
#include "ShellLogic.h"
#include "TextFile.h"
#include "VestrelDoc.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <cstring>

namespace {

bool SameTextNoCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The caption font of the list windows.
const char kCaptionFace[] = "\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF";  // ＭＳ ゴシック
constexpr int kCaptionHeight = 14;
constexpr std::uint8_t kJapaneseCharset = 128;

constexpr int kButtonWidth = 44;
constexpr int kButtonHeight = 26;

// The drag image sits below and to the right of the pointer.
const QPoint kDragImageOffset(4, 14);
constexpr int kDragImageSize = 16;

}  // namespace

// --- CListDlg --------------------------------------------------------------

CListDlg::CListDlg(int templateId, QWidget* parent) : QWidget(parent), templateId_(templateId), list_(this) {
  setAcceptDrops(true);
  connect(&list_, &CListCtrlEx::rowDoubleClicked, this, [this](int) { OnListDoubleClick(); });
  connect(list_.horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int col) { OnColumnClick(col); });
  connect(&list_, &CListCtrlEx::beginDrag, this, [this] { OnBeginDrag(); });
  connect(&list_, &CListCtrlEx::dragMove, this, [this](const QPoint& p) { OnDragMove(p); });
  connect(&list_, &CListCtrlEx::dragRelease, this, [this](const QPoint& p) { OnDragRelease(p); });
  connect(&list_, &CListCtrlEx::dragCancelled, this, [this] { OnCancelDrag(); });
  auto changed = [this] { Q_EMIT stateChanged(); };
  connect(list_.model(), &QAbstractItemModel::rowsInserted, this, changed);
  connect(list_.model(), &QAbstractItemModel::rowsRemoved, this, changed);
  connect(list_.model(), &QAbstractItemModel::modelReset, this, changed);
}

CListDlg::~CListDlg() {
  // The list is destroyed after this dialog's own members; its last model
  // signals must not reach a dialog that is going away.
  list_.model()->disconnect(this);
  if (list_.selectionModel()) list_.selectionModel()->disconnect(this);
  list_.disconnect(this);
}

bool CListDlg::Create() {
  if (doc_ && !logic_) {
    logic_ = MakeLogic(*doc_);
    logic_->SetBusKind(busKind_, false);
    logic_->SetFilePath(filePath_);
    // A load that finds nothing of the kind on show switches the main window
    // and both lists; a list on its own switches itself and its partner.
    logic_->SetRowsAppendedHook([this] { ShowAppendedRows(); });
    logic_->SetBusSwitch([this](int kind) {
      if (frame_) {
        frame_->SetBusMode(kind);
      } else if (kind != busKind_) {
        SetBusKind(kind);
        if (partner_) partner_->SetBusKind(kind);
      }
    });
  }
  CreateControls();
  // The selection model exists once the list has its model.
  connect(list_.selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    OnListSelectionChanged();
    Q_EMIT stateChanged();
  });
  return OnInitDialog();
}

QPushButton* CListDlg::AddButton(int controlId) {
  auto* b = new QPushButton(vrres::DialogText(templateId_, controlId), this);
  b->setObjectName(QStringLiteral("button%1").arg(controlId));
  b->setFocusPolicy(Qt::TabFocus);
  b->setAutoDefault(false);
  connect(b, &QPushButton::clicked, this, [this, controlId] { OnCommand(controlId); });
  b->installEventFilter(this);
  buttons_[controlId] = b;
  return b;
}

QLabel* CListDlg::AddCaption(int controlId) {
  caption_ = new QLabel(vrres::DialogText(templateId_, controlId), this);
  caption_->setObjectName(QStringLiteral("caption"));
  return caption_;
}

QLabel* CListDlg::AddFileNameStatic() {
  fileName_ = new QLabel(this);
  fileName_->setObjectName(QStringLiteral("fileName"));
  fileName_->setTextFormat(Qt::PlainText);
  return fileName_;
}

QPushButton* CListDlg::Button(int controlId) const {
  auto it = buttons_.find(controlId);
  return it == buttons_.end() ? nullptr : it->second;
}

bool CListDlg::IsButtonEnabled(int controlId) const {
  const QPushButton* b = Button(controlId);
  return b && b->isEnabled();
}

bool CListDlg::eventFilter(QObject* watched, QEvent* event) {
  // A button that becomes enabled or disabled changes the frame's commands.
  if (event->type() == QEvent::EnabledChange && qobject_cast<QPushButton*>(watched)) Q_EMIT stateChanged();
  return QWidget::eventFilter(watched, event);
}

bool CListDlg::OnInitDialog() {
  if (parentWidget()) setGeometry(parentWidget()->rect());
  if (fontManager_ && caption_) {
    if (QFont* f = fontManager_->GetFont(kCaptionFace, kCaptionHeight, kJapaneseCharset, FONT_BOLD)) caption_->setFont(*f);
  }
  list_.setObjectName(QStringLiteral("list"));
  sortIcons_[0] = vrres::LoadIcon(IDI_SORT_ASCENDING);
  sortIcons_[1] = vrres::LoadIcon(IDI_SORT_DESCENDING);
  return true;
}

bool CListDlg::EndInitialising() {
  if (!initialising_) return false;
  initialising_ = false;
  return true;
}

void CListDlg::SetBusKind(int kind) {
  busKind_ = kind;
  if (logic_) logic_->SetBusKind(kind, false);
  if (!initialising_) RefreshList();
}

void CListDlg::SetPartner(CListDlg* partner) {
  partner_ = partner;
  if (logic_) logic_->SetPartner(partner ? partner->Logic() : nullptr);
}

void CListDlg::SetFilePath(const std::string& path) {
  if (logic_)
    logic_->SetFilePath(path);
  else
    filePath_ = path;
}

const std::string& CListDlg::FilePath() const { return logic_ ? logic_->FilePath() : filePath_; }

int CListDlg::OpenDefinitionDialog(int list, int mode) {
  if (!logic_) return 0;
  const std::vector<int> selected = list_.GetSelectedRows();
  const int focused = list_.GetFocusedRow();
  const int rowsBefore = logic_->RowCount();
  CDefinitionDialogsQt qtDialogs(this);
  IDefinitionDialogs* dialogs = InstalledDefinitionDialogs();
  const int result = ::OpenDefinitionDialog(*logic_, dialogs ? *dialogs : qtDialogs, list, mode, selected,
                                            CDefinitionDialogsQt::AnchorOf(partner_));
  // The dialog may have rewritten rows of both lists in place (names, the
  // identifier column) or appended one here: show them again.
  ShowRows(selected, focused);
  // A new definition's row is scrolled into view, as an added row is.
  if (logic_->RowCount() > rowsBefore) list_.EnsureRowVisible(logic_->RowCount() - 1);
  if (partner_) partner_->ShowRows(partner_->List().GetSelectedRows(), partner_->List().GetFocusedRow());
  return result;
}

QString CListDlg::PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

bool CListDlg::IsListAt(const CListCtrlEx& list, const QPoint& globalPos) {
  const QWidget* w = QApplication::widgetAt(globalPos);
  return w && (w == &list || w == list.viewport());
}

void CListDlg::InitLayout() {
  if (caption_) {
    const QFontMetrics fm(caption_->font());
    const QSize size = fm.boundingRect(QRect(), Qt::AlignLeft | Qt::TextSingleLine, caption_->text()).size();
    caption_->setGeometry(10, 5, size.width() + 2, size.height());
  }
  // The first two buttons of the template sit in the top row.
  std::vector<QPushButton*> ordered;
  for (QObject* child : children())
    if (auto* b = qobject_cast<QPushButton*>(child)) ordered.push_back(b);
  if (ordered.size() > 0) ordered[0]->setGeometry(10, 26, kButtonWidth, kButtonHeight);
  if (ordered.size() > 1) ordered[1]->setGeometry(64, 26, kButtonWidth, kButtonHeight);
}

void CListDlg::UpdateLayout() {
  const QRect c = ClientRect();
  list_.setGeometry(c.left() + 10, c.top() + 57, std::max(0, c.width() - 20), std::max(0, c.height() - 93));
}

void CListDlg::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!initialising_) UpdateLayout();
}

ListRows CListDlg::BuildRows() const {
  if (logic_) {
    logic_->SetBusKind(busKind_, true);
    return logic_->Rows();
  }
  if (!doc_) return {};
  return BuildListRows(*doc_, static_cast<::ListKind>(listKind_), static_cast<::BusKind>(busKind_), doc_->GetMsgIdFormat());
}

void CListDlg::FillRowCells(int row, const ListRow& cells) {
  for (int c = 1; c < columnCount_ && c < static_cast<int>(cells.cells.size()); ++c) list_.SetItemTextA(row, c, cells.cells[c]);
}

void CListDlg::RefreshList() {
  const bool lock = list_.updatesEnabled();
  if (lock) list_.setUpdatesEnabled(false);
  list_.DeleteAllItems();
  while (list_.GetColumnCount() > 0) list_.DeleteColumn(0);

  const std::vector<ListColumnInfo>& columns = ListColumns(busKind_);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const QString title = columns[i].titleId ? vrres::LoadString(static_cast<int>(columns[i].titleId)) : QString();
    list_.InsertColumn(static_cast<int>(i), title, columns[i].align == 1 ? LISTALIGN_RIGHT : LISTALIGN_LEFT, 10);
  }
  columnCount_ = static_cast<int>(columns.size());

  const ListRows rows = BuildRows();
  list_.setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    for (int c = 0; c < columnCount_; ++c) list_.SetItemText(r, c, QString());
    FillRowCells(r, rows[r]);
  }

  // Widths follow the list's width now; resizing the pane later leaves them.
  const std::vector<int> widths = ListColumnWidths(busKind_, list_.width());
  for (std::size_t i = 0; i < widths.size(); ++i) list_.SetColumnWidth(static_cast<int>(i), widths[i]);
  if (lock) list_.setUpdatesEnabled(true);
  Q_EMIT stateChanged();
}

void CListDlg::AppendRow(const ListRow& row) {
  // The logic's rows and the control's rows stay one to one.
  if (logic_) logic_->Rows().push_back(row);
  const int n = list_.InsertItem(list_.GetItemCount());
  FillRowCells(n, row);
  list_.EnsureRowVisible(n);
}

void CListDlg::ShowAppendedRows() {
  if (!logic_) return;
  const ListRows& rows = logic_->Rows();
  for (int n = list_.GetItemCount(); n < static_cast<int>(rows.size()); n = list_.GetItemCount()) {
    list_.InsertItem(n);
    FillRowCells(n, rows[static_cast<std::size_t>(n)]);
    list_.EnsureRowVisible(n);
  }
}

void CListDlg::ShowRows(const std::vector<int>& select, int focus) {
  if (!logic_) return;
  const ListRows& rows = logic_->Rows();
  const bool lock = list_.updatesEnabled();
  if (lock) list_.setUpdatesEnabled(false);
  list_.ClearRowSelection();
  list_.setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    list_.SetItemText(r, 0, QString());
    FillRowCells(r, rows[static_cast<std::size_t>(r)]);
  }
  list_.SelectRows(select);
  list_.SetFocusedRow(focus);
  if (lock) list_.setUpdatesEnabled(true);
  list_.viewport()->update();
  Q_EMIT stateChanged();
}

bool CListDlg::SortByClickedColumn(int column) {
  if (!logic_) return false;
  const std::vector<int> selected = list_.GetSelectedRows();
  const int focused = list_.GetFocusedRow();
  if (!logic_->SortByColumn(column)) return false;
  // The selection and the focus stay with their rows.
  const std::vector<int>& order = logic_->LastSortOrder();
  std::vector<int> newPlace(order.size(), -1);
  for (std::size_t i = 0; i < order.size(); ++i)
    if (order[i] >= 0 && static_cast<std::size_t>(order[i]) < order.size()) newPlace[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
  std::vector<int> select;
  for (int r : selected)
    if (r >= 0 && static_cast<std::size_t>(r) < newPlace.size()) select.push_back(newPlace[static_cast<std::size_t>(r)]);
  const int focus = focused >= 0 && static_cast<std::size_t>(focused) < newPlace.size() ? newPlace[static_cast<std::size_t>(focused)] : -1;
  SetSortArrow(logic_->SortInfo().column, logic_->SortInfo().ascending != 0);
  ShowRows(select, focus);
  return true;
}

void CListDlg::AppendCanRow(const _CANMsg& msg, const char* signalName) {
  AppendRow(MakeCanRow(list_.GetItemCount(), msg, signalName, doc_ ? doc_->GetMsgIdFormat() : 0));
}

void CListDlg::AppendFlexRayLinRow(const _FlexRayMsg& msg, const char* signalName) {
  AppendRow(MakeFlexRayRow(list_.GetItemCount(), msg, signalName, doc_ ? doc_->GetMsgIdFormat() : 0));
}

void CListDlg::AppendFlexRayLinRow(const _LINMsg& msg, const char* signalName) {
  AppendRow(MakeLinRow(list_.GetItemCount(), msg, signalName, doc_ ? doc_->GetMsgIdFormat() : 0));
}

void CListDlg::AppendLogicRow(const _LOGICGroup& group, const _LOGICSignal& symbol) {
  AppendRow(MakeLogicRow(list_.GetItemCount(), group, symbol));
}

void CListDlg::SelectAll() { list_.SelectAllRows(); }

bool CListDlg::IsLoadableFile(const std::string&) const { return false; }

void CListDlg::UpdateFileName() {}

void CListDlg::SetSortArrow(int column, bool ascending) {
  for (int c = 0; c < list_.GetColumnCount(); ++c) list_.SetHeaderIcon(c, c == column ? sortIcons_[ascending ? 0 : 1] : QIcon());
}

void CListDlg::InitButtons(const ButtonRow* table) {
  int count = 0;
  for (; table && table[count].controlId != 0 && count < 5; ++count) {
    const ButtonRow& row = table[count];
    QPushButton* b = Button(row.controlId);
    if (!b) continue;
    b->setToolTip(vrres::LoadString(row.tipStringId));
    if (row.iconId != 0) {
      // An icon button shows the picture alone; its text stays for the
      // accessibility tools.
      b->setAccessibleName(b->text());
      b->setText(QString());
      b->setIcon(vrres::LoadIcon(row.iconId));
      b->setIconSize(QSize(20, 20));
    }
  }
  tooltipCount_ = count;
}

bool CListDlg::PreTranslateKey(QKeyEvent* event) {
  if (event->key() == Qt::Key_F && (event->modifiers() & Qt::ControlModifier)) {
    if (frame_) frame_->OnShowSearch();
    return true;
  }
  return false;
}

void CListDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CListDlg::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
  event->acceptProposedAction();
  OnDropFiles(paths);
}

// --- CRefListDlg -----------------------------------------------------------

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

std::unique_ptr<CListLogic> CRefListDlg::MakeLogic(CVestrelDoc& doc) const { return std::make_unique<CRefListLogic>(doc); }

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
  const QRect c = ClientRect();
  const int captionRight = Caption() ? Caption()->geometry().x() + Caption()->geometry().width() : 0;
  if (QLabel* f = FileNameStatic()) f->setGeometry(captionRight + 10, c.top() + 5, std::max(0, c.width() - captionRight - 20), 16);
  if (QPushButton* b = Button(IDC_BTN_ADD_DEFINITION))
    b->setGeometry(c.width() - 54, c.height() - 31, kButtonWidth, kButtonHeight);
}

void CRefListDlg::RefreshList() {
  CListDlg::RefreshList();
  EnableButtons();
}

void CRefListDlg::EnableButtons() {
  const bool any = List().GetSelectedCount() >= 1;
  if (QPushButton* b = Button(IDC_BTN_SHOW_DEFINITION)) b->setEnabled(any);
  if (QPushButton* b = Button(IDC_BTN_ADD_DEFINITION)) b->setEnabled(any);
  Q_EMIT stateChanged();
}

bool CRefListDlg::IsLoadableFile(const std::string& path) const {
  const std::string ext = GetFileExtension(path);
  for (const char* type : RefFileType)
    if (SameTextNoCase(ext, type)) return true;
  return false;
}

void CRefListDlg::UpdateFileName() {
  if (QLabel* f = FileNameStatic()) f->setText(Logic() ? PathText(Logic()->FileLabel()) : QString());
}

bool CRefListDlg::PreTranslateKey(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && List().IsDragging()) {
    List().CancelDrag();
    OnCancelDrag();
    return true;
  }
  if (event->key() == Qt::Key_A && (event->modifiers() & Qt::ControlModifier)) {
    SelectAll();
    CListDlg::PreTranslateKey(event);
    return true;
  }
  return CListDlg::PreTranslateKey(event);
}

void CRefListDlg::OnCommand(int buttonId) {
  switch (buttonId) {
    case IDC_BTN_REFERENCE: OnBnClickedReference(); break;
    case IDC_BTN_SHOW_DEFINITION: OnBnClickedShowDefinition(); break;
    case IDC_BTN_ADD_DEFINITION: OnBnClickedAddDefinition(); break;
    default: break;
  }
}

void CRefListDlg::OnBnClickedReference() {
  if (!RefLogic()) return;
  CListFileDialogsQt dialogs(this);
  if (!RefLogic()->OpenReference(dialogs)) return;
  RefreshList();
  UpdateFileName();
}

void CRefListDlg::OnBnClickedShowDefinition() { OpenDefinitionDialog(LIST_REFERENCE, DLGMODE_VIEW); }

void CRefListDlg::OnBnClickedAddDefinition() {
  if (!RefLogic()) return;
  // Each added row shows in the definition list as it is appended (before a
  // later row's message box).
  const int added = RefLogic()->AddToDefinitions(List().GetSelectedRows());
  if (CListDlg* def = Partner()) {
    if (added > 0) def->UpdateFileName();
  }
}

void CRefListDlg::OnDropFiles(const std::vector<std::string>& paths) {
  if (!RefLogic() || !RefLogic()->DropFiles(paths)) return;
  RefreshList();
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

// --- CDefListDlg -----------------------------------------------------------

const CListDlg::ButtonRow CDefListDlg::kButtons[] = {
    {IDC_BTN_OPEN, IDS_TIP_OPEN, IDI_OPEN},
    {IDC_BTN_NEW, IDS_TIP_NEW_DEFINITION, IDI_NEW_DEFINITION},
    {IDC_BTN_EDIT, IDS_TIP_EDIT_DEFINITION, IDI_EDIT_DEFINITION},
    {IDC_BTN_DELETE, IDS_TIP_DELETE_DEFINITION, IDI_DELETE_DEFINITION},
    {IDC_BTN_SAVE, IDS_TIP_SAVE, IDI_SAVE},
    {0, 0, 0},
};

CDefListDlg::CDefListDlg(QWidget* parent) : CListDlg(IDD_DEFLIST, parent) { setObjectName(QStringLiteral("defList")); }

std::unique_ptr<CListLogic> CDefListDlg::MakeLogic(CVestrelDoc& doc) const { return std::make_unique<CDefListLogic>(doc); }

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
  if (QPushButton* b = Button(IDC_BTN_EDIT)) b->setGeometry(108, 26, kButtonWidth, kButtonHeight);
}

void CDefListDlg::UpdateLayout() {
  CListDlg::UpdateLayout();
  const QRect c = ClientRect();
  const int captionRight = Caption() ? Caption()->geometry().x() + Caption()->geometry().width() : 0;
  if (QLabel* f = FileNameStatic()) f->setGeometry(captionRight + 10, c.top() + 5, std::max(0, c.width() - captionRight - 20), 16);
  if (QPushButton* b = Button(IDC_BTN_DELETE)) b->setGeometry(c.left() + 10, c.height() - 31, kButtonWidth, kButtonHeight);
  if (QPushButton* b = Button(IDC_BTN_SAVE)) b->setGeometry(c.width() - 54, c.height() - 31, kButtonWidth, kButtonHeight);
}

void CDefListDlg::RefreshList() {
  CListDlg::RefreshList();
  EnableSelectionButtons();
}

void CDefListDlg::EnableSelectionButtons() {
  const bool any = List().GetSelectedCount() >= 1;
  if (QPushButton* b = Button(IDC_BTN_EDIT)) b->setEnabled(any);
  if (QPushButton* b = Button(IDC_BTN_DELETE)) b->setEnabled(any);
  Q_EMIT stateChanged();
}

bool CDefListDlg::IsLoadableFile(const std::string& path) const { return SameTextNoCase(GetFileExtension(path), "sbl"); }

void CDefListDlg::UpdateFileName() {
  QLabel* f = FileNameStatic();
  if (!f) return;
  f->setText(DefLogic() ? PathText(DefLogic()->FileLabel()) : QString());
}

bool CDefListDlg::IsListFocused() const { return List().hasFocus(); }

bool CDefListDlg::PreTranslateKey(QKeyEvent* event) {
  // The Delete key of the main block and of the keypad, whatever else is held.
  if (event->key() == Qt::Key_Delete) {
    if (IsListFocused() && List().GetSelectedCount() >= 1) {
      OnBnClickedDelete();
      return true;
    }
    return false;
  }
  if (event->key() == Qt::Key_Escape && List().IsDragging()) {
    List().CancelDrag();
    OnCancelDrag();
    return true;
  }
  if (event->key() == Qt::Key_A && (event->modifiers() & Qt::ControlModifier)) {
    if (IsListFocused())
      SelectAll();
    else if (MainFrame())
      MainFrame()->SelectAllInPane(0);
    CListDlg::PreTranslateKey(event);
    return true;
  }
  return CListDlg::PreTranslateKey(event);
}

void CDefListDlg::OnCommand(int buttonId) {
  switch (buttonId) {
    case IDC_BTN_OPEN: OnBnClickedOpen(); break;
    case IDC_BTN_NEW: OnBnClickedNew(); break;
    case IDC_BTN_EDIT: OnBnClickedEdit(); break;
    case IDC_BTN_DELETE: OnBnClickedDelete(); break;
    case IDC_BTN_SAVE: OnBnClickedSave(); break;
    default: break;
  }
}

void CDefListDlg::OnBnClickedOpen() {
  if (!DefLogic()) return;
  CListFileDialogsQt dialogs(this);
  if (!DefLogic()->Open(dialogs)) return;
  RefreshList();
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
  ShowRows();
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
  RefreshList();
  UpdateFileName();
}

void CDefListDlg::OnColumnClick(int column) {
  if (!SortByClickedColumn(column)) return;
  UpdateFileName();
}

int CDefListDlg::ReorderTargetAt(const QPoint& globalPos) const {
  const CListCtrlEx& list = List();
  if (!IsListAt(list, globalPos)) return -1;
  const QPoint p = list.viewport()->mapFromGlobal(globalPos);
  bool nowhere = false;
  const int row = list.HitTestRow(p, &nowhere);
  const bool lowerHalf = row >= 0 && p.y() > list.GetItemRect(row).center().y();
  return ReorderTargetRow(row, lowerHalf, nowhere, list.GetItemCount());
}

void CDefListDlg::OnBeginDrag() {
  int first = 0;
  int count = 0;
  if (!DefLogic() || !DefLogic()->CanStartReorder(List().GetSelectedRows(), first, count)) {
    List().CancelDrag();
    return;
  }
  dragFirst_ = first;
  dragCount_ = count;
  reordering_ = true;
  if (!List().hasFocus()) List().setFocus(Qt::MouseFocusReason);
}

void CDefListDlg::OnDragMove(const QPoint& globalPos) {
  if (reordering_) List().SetDropLine(ReorderTargetAt(globalPos));
}

void CDefListDlg::OnDragRelease(const QPoint& globalPos) {
  if (!reordering_) return;
  const int target = ReorderTargetAt(globalPos);
  EndReorder();
  const bool hadSortColumn = DefLogic()->SortInfo().column >= 0;
  const int newFirst = target < 0 ? -1 : DefLogic()->MoveBlock(dragFirst_, dragCount_, target);
  if (newFirst < 0) return;
  std::vector<int> moved;
  for (int i = 0; i < dragCount_; ++i) moved.push_back(newFirst + i);
  // The rows are no longer in the order of the sort column.
  if (hadSortColumn) SetSortArrow(-1, DefLogic()->SortInfo().ascending != 0);
  ShowRows(moved, newFirst);
  UpdateFileName();
}

void CDefListDlg::OnCancelDrag() { EndReorder(); }

void CDefListDlg::EndReorder() {
  reordering_ = false;
  List().SetDropLine(-1);
}
