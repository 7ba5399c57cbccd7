#include "ListDlg.h"

#include "DefinitionDialogsQt.h"
#include "FontManager.h"
#include "Icons.h"
#include "ListFileDialogsQt.h"
#include "MainFrame.h"
#include "Records.h"
#include "ResIds.h"
#include "Resources.h"
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
#include <new>
#include <utility>

using namespace listlayout;

namespace {

// The caption font of the list windows.
const char kCaptionFace[] =
    "\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF";  // ＭＳ ゴシック
constexpr int kCaptionHeight = 14;
constexpr std::uint8_t kJapaneseCharset = 128;

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
  connect(list_.selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    OnListSelectionChanged();
    Q_EMIT stateChanged();
  });
}

CListDlg::~CListDlg() {
  // The list is destroyed after this dialog's own members; its last signals
  // must not reach a dialog that is going away, nor may it read the rows.
  if (list_.selectionModel()) list_.selectionModel()->disconnect(this);
  list_.disconnect(this);
  list_.SetCells(nullptr);
  if (logic_) logic_->SetObserver(nullptr);
}

void CListDlg::SetDocument(CVestrelDoc* doc) {
  doc_ = doc;
  if (!doc_ || logic_) return;
  // The dialog is fully made by now, so the logic of its kind can be asked for.
  logic_ = MakeLogic(*doc_);
  logic_->SetObserver(this);
  list_.SetCells(logic_.get());
  WireLogic();
}

void CListDlg::SetMainFrame(CMainFrame* frame) {
  frame_ = frame;
  WireLogic();
}

void CListDlg::WireLogic() {
  if (!logic_) return;
  if (frame_) logic_->SetBusKindSource([this] { return frame_->BusKind(); });
  // A load that finds nothing of the kind on show switches the main window
  // and both lists; a list on its own switches itself and its partner.
  logic_->SetBusSwitch(
      [this](int kind) {
        if (frame_) {
          frame_->SetBusMode(kind);
        } else if (kind != BusKind()) {
          SetBusKind(kind);
          if (partner_) partner_->SetBusKind(kind);
        }
      },
      // The load has made the rows of both lists; the columns are the windows'.
      [this](int kind) {
        PrepareBusKind(kind, false);
        if (partner_) partner_->PrepareBusKind(kind, false);
      });
  logic_->SetBusyIndicator([](bool busy) {
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
  });
}

bool CListDlg::Create() {
  CreateControls();
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
    if (QFont* f = fontManager_->GetFont(kCaptionFace, kCaptionHeight, kJapaneseCharset, FONT_BOLD))
      caption_->setFont(*f);
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
  if (logic_ && !frame_) logic_->SetBusKind(kind, false);
  if (!initialising_) RefreshList();
}

int CListDlg::BusKind() const {
  if (frame_) return frame_->BusKind();
  return logic_ ? logic_->BusKind() : BUS_CAN;
}

void CListDlg::PrepareBusKind(int kind, bool rows) {
  if (readyColumnsBus_ != kind) {
    std::vector<CListCtrlEx::Column> set;
    for (const ListColumnInfo& info : ListColumns(kind))
      set.push_back({info.titleId ? vrres::LoadString(static_cast<int>(info.titleId)) : QString(),
                     info.align == 1 ? LISTALIGN_RIGHT : LISTALIGN_LEFT});
    readyColumns_.swap(set);
    readyColumnsBus_ = kind;
  }
  if (rows && logic_) logic_->PrepareRows(kind);
}

void CListDlg::SetPartner(CListDlg* partner) {
  partner_ = partner;
  if (logic_) logic_->SetPartner(partner ? partner->Logic() : nullptr);
}

void CListDlg::SetFilePath(const std::string& path) {
  if (logic_) logic_->SetFilePath(path);
}

std::string CListDlg::FilePath() const { return logic_ ? logic_->FilePath() : std::string(); }

int CListDlg::OpenDefinitionDialog(int list, int mode) {
  if (!logic_) return 0;
  const std::vector<int> selected = list_.GetSelectedRows();
  const int rowsBefore = logic_->RowCount();
  CDefinitionDialogsQt qtDialogs(this);
  IDefinitionDialogs* dialogs = InstalledDefinitionDialogs();
  const int result = ::OpenDefinitionDialog(*logic_, dialogs ? *dialogs : qtDialogs, list, mode, selected,
                                            CDefinitionDialogsQt::AnchorOf(partner_));
  // The dialog may have rewritten rows of both lists in place (names, the
  // identifier column); a row it appended here was reported by the append.
  const int rowsAfter = logic_->RowCount();
  logic_->NotifyRowsChanged(0, std::min(rowsBefore, rowsAfter) - 1);
  // A new definition's row is scrolled into view, as an added row is.
  if (rowsAfter > rowsBefore) list_.EnsureRowVisible(rowsAfter - 1);
  if (partner_ && partner_->Logic()) partner_->Logic()->NotifyRowsChanged(0, partner_->Logic()->RowCount() - 1);
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
    caption_->setGeometry(kMargin, kCaptionTop, size.width() + kCaptionSlack, size.height());
  }
  // The first two buttons of the template sit in the top row.
  std::vector<QPushButton*> ordered;
  for (QObject* child : children())
    if (auto* b = qobject_cast<QPushButton*>(child)) ordered.push_back(b);
  for (std::size_t i = 0; i < ordered.size() && i < 2; ++i)
    ordered[i]->setGeometry(kTopButtonX[i], kTopRowY, kButtonWidth, kButtonHeight);
}

void CListDlg::UpdateLayout() {
  const QRect c = ClientRect();
  list_.setGeometry(c.left() + kMargin, c.top() + kListTop, std::max(0, c.width() - 2 * kMargin),
                    std::max(0, c.height() - kListTop - kListBottomSpace));
  // The file name fills the top row right of the caption.
  const int captionRight = caption_ ? caption_->geometry().x() + caption_->geometry().width() : 0;
  if (fileName_)
    fileName_->setGeometry(captionRight + kMargin, c.top() + kCaptionTop,
                           std::max(0, c.width() - captionRight - 2 * kMargin), kFileNameHeight);
}

void CListDlg::PlaceBottomButton(int controlId, int x) {
  if (QPushButton* b = Button(controlId))
    b->setGeometry(x, ClientRect().height() - kBottomRowGap - kButtonHeight, kButtonWidth, kButtonHeight);
}

void CListDlg::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!initialising_) UpdateLayout();
}

void CListDlg::RefreshList() { ShowColumns(true); }

void CListDlg::ShowLoadedRows() {
  try {
    ShowColumns(false);
  } catch (const std::bad_alloc&) {
    // The load has shown its rows already; only the column widths stay as
    // they were (the column set is the kind's either way).
  }
}

void CListDlg::ShowColumns(bool refill) {
  const int bus = BusKind();
  PrepareBusKind(bus, refill);
  // From here on nothing needs memory of ours.
  const bool lock = list_.updatesEnabled();
  if (lock) list_.setUpdatesEnabled(false);
  columnCount_ = static_cast<int>(readyColumns_.size());
  if (refill) {
    // The list lets go of the rows while its columns change and the logic
    // refills, so that it lays out the new rows once.
    list_.SetCells(nullptr);
    list_.SetColumns(std::move(readyColumns_));
    if (logic_) {
      logic_->RefreshList();
      list_.SetCells(logic_.get());
    }
  } else {
    list_.SetColumns(std::move(readyColumns_));
  }
  readyColumns_.clear();
  readyColumnsBus_ = -1;

  // Widths follow the list's width now; resizing the pane later leaves them.
  for (int c = 0; c < columnCount_; ++c) list_.SetColumnWidth(c, ListColumnWidth(bus, list_.width(), c));
  if (lock) list_.setUpdatesEnabled(true);
  Q_EMIT stateChanged();
}

void CListDlg::RowsReset() {
  list_.ResetRows();
  // A reset empties the selection without a change notice of its own.
  OnListSelectionChanged();
  Q_EMIT stateChanged();
}

void CListDlg::RowsInserted(int first, int last) {
  list_.RowsInserted(first, last);
  // Rows come one at a time at the end; each is brought into view.
  list_.EnsureRowVisible(last);
  Q_EMIT stateChanged();
}

void CListDlg::RowsRemoved(int first, int last) {
  list_.RowsRemoved(first, last);
  Q_EMIT stateChanged();
}

void CListDlg::RowsMoved(int first, int count, int target) { list_.RowsMoved(first, count, target); }

void CListDlg::RowsChanged(int first, int last) { list_.RowsChanged(first, last); }

void CListDlg::ColumnChanged(int column) { list_.ColumnChanged(column); }

void CListDlg::RowsReordered(const std::vector<int>& order) { list_.RowsReordered(order); }

void CListDlg::SelectOnly(const std::vector<int>& select, int focus) {
  list_.ClearRowSelection();
  list_.SelectRows(select);
  list_.SetFocusedRow(focus);
}

bool CListDlg::SortByClickedColumn(int column) {
  // The selection and the focus travel with their rows (RowsReordered).
  if (!logic_ || !logic_->SortByColumn(column)) return false;
  SetSortArrow(logic_->SortInfo().column, logic_->SortInfo().ascending != 0);
  return true;
}

void CListDlg::AppendCanRow(const _CANMsg& msg, const char* signalName) {
  if (logic_) logic_->AppendCanRow(msg, signalName);
}

void CListDlg::AppendFlexRayLinRow(const _FlexRayMsg& msg, const char* signalName) {
  if (logic_) logic_->AppendFlexRayLinRow(msg, signalName);
}

void CListDlg::AppendFlexRayLinRow(const _LINMsg& msg, const char* signalName) {
  if (logic_) logic_->AppendFlexRayLinRow(msg, signalName);
}

void CListDlg::AppendLogicRow(const _LOGICGroup& group, const _LOGICSignal& symbol) {
  if (logic_) logic_->AppendLogicRow(group, symbol);
}

void CListDlg::SelectAll() { list_.SelectAllRows(); }

void CListDlg::UpdateFileName() {
  if (fileName_) fileName_->setText(logic_ ? PathText(logic_->FileLabel()) : QString());
}

void CListDlg::SetSortArrow(int column, bool ascending) {
  for (int c = 0; c < list_.GetColumnCount(); ++c)
    list_.SetHeaderIcon(c, c == column ? sortIcons_[ascending ? 0 : 1] : QIcon());
}

void CListDlg::InitButtons(const ButtonRow* table) {
  int count = 0;
  for (; table && table[count].controlId != 0 && count < kMaxButtons; ++count) {
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
      b->setIconSize(QSize(kButtonIconSize, kButtonIconSize));
    }
  }
  tooltipCount_ = count;
}

bool CListDlg::PreTranslateKey(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && list_.IsDragging()) {
    list_.CancelDrag();
    OnCancelDrag();
    return true;
  }
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
