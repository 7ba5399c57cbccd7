#include "MainFrame.h"

#include "AboutDlg.h"
#include "Icons.h"
#include "ListDlg.h"
#include "ListViews.h"
#include "LockKeys.h"
#include "MessageBox.h"
#include "ResIds.h"
#include "Resources.h"
#include "SearchDlg.h"
#include "SearchWindow.h"
#include "Seams.h"
#include "SettingsBridge.h"
#include "ShellLogic.h"
#include "VestrelDoc.h"
#include "WindowPlacement.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QToolBar>

#include <iterator>
#include <new>

namespace {

// The window's size on a first start, before a placement was saved.
constexpr int kFirstWidth = 1000;
constexpr int kFirstHeight = 640;
// Room beside the text of a lock-key pane.
constexpr int kIndicatorPadding = 8;

}  // namespace

// Keys pass the frame and the list dialogs before the focused control gets
// them: the list dialog holding the focus first, otherwise the frame. Other
// dialogs (the search window, message boxes) keep their keys to themselves.
class CKeyRouter : public QObject {
 public:
  explicit CKeyRouter(CMainFrame* frame) : QObject(frame), frame_(frame) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // The lock indicators follow the lock keys and a return to the program.
    if (event->type() == QEvent::KeyRelease) {
      const int k = static_cast<QKeyEvent*>(event)->key();
      if (k == Qt::Key_CapsLock || k == Qt::Key_NumLock || k == Qt::Key_ScrollLock) frame_->UpdateLockIndicators();
    } else if (event->type() == QEvent::ApplicationActivate && watched == qApp) {
      frame_->UpdateLockIndicators();
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto* target = qobject_cast<QWidget*>(watched);
    if (!target) return false;
    // A key travels up the parents; look at it once, at its first receiver.
    QWidget* first = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    if (target != first) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    for (QWidget* w = target; w; w = w->parentWidget()) {
      if (auto* dlg = qobject_cast<CListDlg*>(w)) return dlg->MainFrame() == frame_ && dlg->PreTranslateKey(key);
      if (w == frame_) return frame_->PreTranslateKey(key);
      if (qobject_cast<QDialog*>(w) || w->isWindow()) return false;
    }
    return false;
  }

 private:
  CMainFrame* frame_;
};

void CFrameSplitter::resizeEvent(QResizeEvent* event) {
  QSplitter::resizeEvent(event);
  if (onResized) onResized();
}

namespace {

struct Accelerator {
  QKeySequence keys;
  int command;
};

bool IsBusCommand(int id) { return id == ID_BUS_FLEXRAY || id == ID_BUS_CAN || id == ID_BUS_LIN || id == ID_BUS_LOGIC; }

int BusOfCommand(int id) {
  switch (id) {
    case ID_BUS_FLEXRAY:
      return BUS_FLEXRAY;
    case ID_BUS_CAN:
      return BUS_CAN;
    case ID_BUS_LIN:
      return BUS_LIN;
    default:
      return BUS_LOGIC;
  }
}

}  // namespace

CMainFrame::CMainFrame(CVestrelDoc* doc, CFontManager* fonts, CAppSettings* settings)
    : doc_(doc), fonts_(fonts), settings_(settings) {
  setObjectName(QStringLiteral("MyVestrelClass"));
  setAttribute(Qt::WA_DeleteOnClose, false);
}

CMainFrame::~CMainFrame() {
  if (keyRouter_) qApp->removeEventFilter(keyRouter_);
  // The panes go with the base class, after this frame's members: they must
  // not report changes to it on the way.
  for (CListDlg* dlg : {static_cast<CListDlg*>(RefList()), static_cast<CListDlg*>(DefList())})
    if (dlg) dlg->disconnect(this);
  disconnect(qApp, nullptr, this, nullptr);
  search_.reset();
}

CRefListDlg* CMainFrame::RefList() const { return refView_ ? refView_->RefDialog() : nullptr; }
CDefListDlg* CMainFrame::DefList() const { return defView_ ? defView_->DefDialog() : nullptr; }

bool CMainFrame::Create() {
  creating_ = true;
  setWindowTitle(vrres::AppTitle());
  setWindowIcon(vrres::LoadIcon(IDI_PROGRAM));
  if (!OnCreateClient()) return false;
  BuildMenu();
  BuildToolBar();
  BuildStatusBar();
  BuildAccelerators();
  keyRouter_ = new CKeyRouter(this);
  qApp->installEventFilter(keyRouter_);
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    for (QWidget* w = now; w; w = w->parentWidget()) {
      if (w == refView_) activePane_ = 0;
      if (w == defView_) activePane_ = 1;
    }
  });
  UpdateCommandUI();
  creating_ = false;
  return true;
}

bool CMainFrame::OnCreateClient() {
  // Placement: a saved rectangle becomes the normal position and the saved
  // show state comes with it; without a rectangle neither is used.
  // A rectangle on no screen (a monitor that is gone) moves onto the nearest
  // one.
  const settings::Rect saved = settings::GetWindowRect(settings_);
  if (!saved.IsEmpty()) {
    std::vector<ScreenRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
      const QRect a = screen->availableGeometry();
      screens.push_back(ScreenRect{a.x(), a.y(), a.width(), a.height()});
    }
    const ScreenRect r = PlaceOnScreens(saved.left, saved.top, saved.right, saved.bottom, screens);
    setGeometry(r.x, r.y, r.width, r.height);
    showCmd_ = settings::GetShowCmd(settings_);
  } else {
    resize(kFirstWidth, kFirstHeight);
  }
  // A window that opens maximised is maximised before its panes are made:
  // the lists take their column widths from their first width.
  QSize firstSize = size();
  if (showCmd_ == SHOWCMD_MAXIMIZED) {
    setWindowState(windowState() | Qt::WindowMaximized);
    const QScreen* screen = QGuiApplication::screenAt(geometry().center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) firstSize = screen->availableGeometry().size();
  }
  // A bus kind outside 0..3 in the settings file would index past the
  // column sets; it becomes CAN.
  busKind_ = NormalizeBusKind(settings::GetType(settings_));

  splitter_ = new CFrameSplitter(this);
  splitter_->setObjectName(QStringLiteral("splitter"));
  splitter_->setChildrenCollapsible(false);
  setCentralWidget(splitter_);
  refView_ = new CRefView(splitter_);
  defView_ = new CDefView(splitter_);
  splitter_->addWidget(refView_);
  splitter_->addWidget(defView_);
  // The panes have their first size before the lists inside them are made,
  // since a list takes its column widths from its width when it fills.
  splitter_->setGeometry(QRect(QPoint(0, 0), firstSize));
  const PaneWidths first = SplitPaneWidths(splitter_->width(), splitter_->handleWidth());
  splitter_->setSizes(
      {std::max(1, first.left), std::max(1, splitter_->width() - splitter_->handleWidth() - first.left)});
  if (!refView_->OnCreate(doc_, fonts_, this, busKind_) || !defView_->OnCreate(doc_, fonts_, this, busKind_))
    return false;
  splitterMade_ = 1;
  splitter_->onResized = [this] {
    if (!creating_) ApplySplit();
  };
  ApplySplit();
  RefList()->SetPartner(DefList());
  DefList()->SetPartner(RefList());
  for (CListDlg* dlg : {static_cast<CListDlg*>(RefList()), static_cast<CListDlg*>(DefList())})
    connect(dlg, &CListDlg::stateChanged, this, &CMainFrame::UpdateCommandUI);

  search_.reset(CreateSearchDialog());
  if (search_) {
    search_->SetLists(&RefList()->List(), &DefList()->List());
    search_->SetBusKind(busKind_);
  }
  return true;
}

ISearchWindow* CMainFrame::CreateSearchDialog() { return new CSearchDlg(this, settings_); }

void CMainFrame::ApplySplit() {
  if (!splitterMade_ || !splitter_) return;
  const int w = splitter_->width();
  const int h = splitter_->height();
  if (w < 1 || h < 1) return;
  const PaneWidths p = SplitPaneWidths(w, splitter_->handleWidth());
  // The splitter hands out width - bar; the 4 pixels of border go to the
  // right pane so that the left one has exactly its share.
  splitter_->setSizes({std::max(1, p.left), std::max(1, w - splitter_->handleWidth() - std::max(1, p.left))});
}

// --- menu, toolbar, status bar ----------------------------------------------

QAction* CMainFrame::NewCommandAction(int id, const QString& text) {
  auto* a = new QAction(text, this);
  a->setStatusTip(PromptPart(vrres::LoadString(id)));
  a->setData(id);
  if (IsBusCommand(id) || id == ID_VIEW_TOOLBAR || id == ID_VIEW_STATUS_BAR) a->setCheckable(true);
  connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
  actions_.emplace(id, a);
  return a;
}

void CMainFrame::AddMenuNodes(QMenu* menu, const std::vector<MenuNode>& nodes) {
  for (const MenuNode& n : nodes) {
    switch (n.kind) {
      case MenuNode::Separator:
        menu->addSeparator();
        break;
      case MenuNode::Item:
        menu->addAction(NewCommandAction(n.id, n.text));
        break;
      case MenuNode::Popup: {
        QMenu* sub = menu->addMenu(n.text);
        connect(sub, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
        AddMenuNodes(sub, n.children);
        break;
      }
    }
  }
}

void CMainFrame::BuildMenu() {
  const std::vector<MenuNode>* menu = vrres::Active().Menu(IDR_MAINFRAME);
  if (!menu) return;
  for (const MenuNode& top : *menu) {
    if (top.kind != MenuNode::Popup) continue;
    QMenu* m = menuBar()->addMenu(top.text);
    connect(m, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    AddMenuNodes(m, top.children);
  }
  GroupBusActions();
}

void CMainFrame::GroupBusActions() {
  // The four bus kinds exclude each other: one group, shown with radio
  // marks, for the bus actions made since the last group (the menu's, then
  // the toolbar's).
  auto* group = new QActionGroup(this);
  group->setExclusive(true);
  for (int id : {ID_BUS_FLEXRAY, ID_BUS_CAN, ID_BUS_LIN, ID_BUS_LOGIC})
    for (QAction* a : Actions(id))
      if (!a->actionGroup()) group->addAction(a);
}

void CMainFrame::BuildToolBar() {
  toolBar_ = new QToolBar(this);
  toolBar_->setObjectName(QStringLiteral("toolbar"));
  toolBar_->setMovable(true);
  toolBar_->setFloatable(true);
  toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
  toolBar_->setIconSize(QSize(vrres::kToolbarImageWidth, vrres::kToolbarImageHeight));
  toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  const int buttons[] = {ID_BUS_FLEXRAY, ID_BUS_CAN, ID_BUS_LIN, ID_BUS_LOGIC, 0, ID_EDIT_FIND, 0, ID_HELP_MANUAL};
  int image = 0;
  for (int id : buttons) {
    if (id == 0) {
      toolBar_->addSeparator();
      continue;
    }
    QAction* a = NewCommandAction(id, TipPart(vrres::LoadString(id)));
    a->setIcon(QIcon(vrres::ToolbarImage(image++)));
    a->setToolTip(TipPart(vrres::LoadString(id)));
    toolBar_->addAction(a);
  }
  GroupBusActions();
  addToolBar(Qt::TopToolBarArea, toolBar_);
  connect(toolBar_, &QToolBar::visibilityChanged, this, &CMainFrame::UpdateCommandUI);
}

void CMainFrame::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  idleLabel_ = new QLabel(vrres::LoadString(IDS_IDLE_MESSAGE), bar);
  idleLabel_->setObjectName(QStringLiteral("idleMessage"));
  bar->addWidget(idleLabel_, 1);
  // Lock-key panes, sized for their texts; they show a text while its key
  // is on, where the platform can tell (LockKeys.h).
  int n = 0;
  for (int id : {IDS_INDICATOR_CAPS, IDS_INDICATOR_NUM, IDS_INDICATOR_SCRL}) {
    auto* pane = new QLabel(bar);
    lockPanes_[n++] = pane;
    pane->setObjectName(QStringLiteral("indicator%1").arg(id));
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(vrres::LoadString(id)) + kIndicatorPadding);
    pane->setFrameShape(QFrame::Panel);
    pane->setFrameShadow(QFrame::Sunken);
    bar->addPermanentWidget(pane);
  }
  UpdateLockIndicators();
}

void CMainFrame::UpdateLockIndicators() {
  const LockKeyStates states = LockKeys().Read();
  const bool on[] = {states.known && states.caps, states.known && states.num, states.known && states.scroll};
  const int ids[] = {IDS_INDICATOR_CAPS, IDS_INDICATOR_NUM, IDS_INDICATOR_SCRL};
  for (std::size_t i = 0; i < std::size(lockPanes_); ++i)
    if (lockPanes_[i]) lockPanes_[i]->setText(on[i] ? vrres::LoadString(ids[i]) : QString());
}

void CMainFrame::BuildAccelerators() {
  const Accelerator table[] = {
      {QKeySequence(Qt::CTRL | Qt::Key_N), ID_FILE_NEW_DEFINITION},
      {QKeySequence(Qt::CTRL | Qt::Key_O), ID_FILE_OPEN_DEFINITIONS},
      {QKeySequence(Qt::CTRL | Qt::Key_R), ID_FILE_REFERENCE},
      {QKeySequence(Qt::CTRL | Qt::Key_S), ID_FILE_SAVE_DEFINITIONS},
      {QKeySequence(Qt::CTRL | Qt::Key_Q), ID_APP_EXIT},
      {QKeySequence(Qt::Key_F6), ID_NEXT_PANE},
      {QKeySequence(Qt::SHIFT | Qt::Key_F6), ID_PREV_PANE},
  };
  for (const Accelerator& a : table) {
    auto* s = new QShortcut(a.keys, this);
    s->setContext(Qt::WindowShortcut);
    const int id = a.command;
    connect(s, &QShortcut::activated, this, [this, id] { OnCommand(id); });
  }
}

std::vector<QAction*> CMainFrame::Actions(int id) const {
  std::vector<QAction*> out;
  auto range = actions_.equal_range(id);
  for (auto it = range.first; it != range.second; ++it) out.push_back(it->second);
  return out;
}

// --- commands ---------------------------------------------------------------

bool CMainFrame::AnyListHasRows() const {
  return (RefList() && RefList()->List().GetItemCount() > 0) || (DefList() && DefList()->List().GetItemCount() > 0);
}

bool CMainFrame::IsCommandEnabled(int id) const {
  switch (id) {
    case ID_FILE_SAVE_DEFINITIONS:
      return DefList() && DefList()->IsButtonEnabled(IDC_BTN_SAVE);
    case ID_FILE_MRU_FIRST:
      return false;  // no list of recent files is kept
    case ID_EDIT_SHOW_DEFINITION:
      return RefList() && RefList()->IsButtonEnabled(IDC_BTN_SHOW_DEFINITION);
    case ID_EDIT_ADD_DEFINITION:
      return RefList() && RefList()->IsButtonEnabled(IDC_BTN_ADD_DEFINITION);
    case ID_EDIT_EDIT_DEFINITION:
      return DefList() && DefList()->IsButtonEnabled(IDC_BTN_EDIT);
    case ID_EDIT_DELETE_DEFINITION:
      return DefList() && DefList()->IsButtonEnabled(IDC_BTN_DELETE);
    case ID_EDIT_FIND:
    case ID_EDIT_SELECT_ALL:
      return AnyListHasRows();
    default:
      return true;
  }
}

bool CMainFrame::IsCommandChecked(int id) const {
  if (IsBusCommand(id)) return busKind_ == BusOfCommand(id);
  if (id == ID_VIEW_TOOLBAR) return toolBar_ && toolBar_->isVisible();
  if (id == ID_VIEW_STATUS_BAR) return statusBar()->isVisible();
  return false;
}

void CMainFrame::UpdateCommandUI() {
  for (auto& [id, action] : actions_) {
    action->setEnabled(IsCommandEnabled(id));
    if (action->isCheckable()) action->setChecked(IsCommandChecked(id));
  }
}

void CMainFrame::OnCommand(int id) {
  if (!IsCommandEnabled(id)) return;
  switch (id) {
    case ID_FILE_NEW_DEFINITION:
      ForwardToList(1, IDC_BTN_NEW);
      break;
    case ID_FILE_OPEN_DEFINITIONS:
      ForwardToList(1, IDC_BTN_OPEN);
      break;
    case ID_FILE_REFERENCE:
      ForwardToList(0, IDC_BTN_REFERENCE);
      break;
    case ID_FILE_SAVE_DEFINITIONS:
      ForwardToList(1, IDC_BTN_SAVE);
      break;
    case ID_APP_EXIT:
      close();
      break;
    case ID_BUS_FLEXRAY:
    case ID_BUS_CAN:
    case ID_BUS_LIN:
    case ID_BUS_LOGIC:
      ChangeBusKind(BusOfCommand(id));
      break;
    case ID_EDIT_SHOW_DEFINITION:
      ForwardToList(0, IDC_BTN_SHOW_DEFINITION);
      break;
    case ID_EDIT_ADD_DEFINITION:
      ForwardToList(0, IDC_BTN_ADD_DEFINITION);
      break;
    case ID_EDIT_EDIT_DEFINITION:
      ForwardToList(1, IDC_BTN_EDIT);
      break;
    case ID_EDIT_DELETE_DEFINITION:
      ForwardToList(1, IDC_BTN_DELETE);
      break;
    case ID_EDIT_FIND:
      OnFind();
      break;
    case ID_EDIT_SELECT_ALL:
      OnSelectAll();
      break;
    case ID_VIEW_TOOLBAR:
      if (toolBar_) toolBar_->setVisible(!toolBar_->isVisible());
      break;
    case ID_VIEW_STATUS_BAR:
      statusBar()->setVisible(!statusBar()->isVisible());
      break;
    case ID_HELP_WEB_MAKER:
      OnWebPage(IDS_WEB_MAKER);
      break;
    case ID_HELP_WEB_PRODUCT:
      OnWebPage(IDS_WEB_PRODUCT);
      break;
    case ID_HELP_MANUAL:
      OnManual();
      break;
    case ID_APP_ABOUT:
      if (aboutHandler_) {
        aboutHandler_();
      } else {
        CAboutDlg dlg(this);
        dlg.exec();
      }
      break;
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
      ActivateOtherPane();
      break;
    default:
      break;
  }
  UpdateCommandUI();
}

void CMainFrame::ForwardToList(int pane, int buttonId) {
  CListDlg* dlg = pane == 0 ? static_cast<CListDlg*>(RefList()) : static_cast<CListDlg*>(DefList());
  if (dlg) dlg->SendCommand(buttonId);
}

void CMainFrame::ChangeBusKind(int kind) {
  if (kind == busKind_) return;
  // What both lists show of the new kind is made before anything changes (a
  // load that switches has made it already): without memory for it, nothing
  // changes, and the user hears so.
  CListDlg* lists[] = {RefList(), DefList()};
  try {
    for (CListDlg* list : lists)
      if (list) list->PrepareBusKind(kind);
  } catch (const std::bad_alloc&) {
    for (CListDlg* list : lists)
      if (list && list->Logic()) list->Logic()->DropReadyRows();
    ShowMessageSafely(IDS_MSG_NO_MEMORY);
    return;
  }
  // The lists ask the frame for the kind while they refill.
  busKind_ = kind;
  if (RefList()) RefList()->SetBusKind(kind);
  if (DefList()) DefList()->SetBusKind(kind);
  // The search window follows every change, not only when it is shown.
  if (search_) search_->SetBusKind(kind);
  UpdateCommandUI();
}

void CMainFrame::SetBusMode(int kind) {
  if (kind < BUS_CAN || kind > BUS_LIN) return;
  ChangeBusKind(kind);
}

void CMainFrame::OnFind() {
  if (!search_) return;
  search_->PrepareLists();
  search_->SetBusKind(busKind_);
  search_->ShowSearch();
}

void CMainFrame::OnShowSearch() {
  if (AnyListHasRows()) OnFind();
}

void CMainFrame::SelectAllInPane(int column) {
  CListDlgView* view = column == 0 ? static_cast<CListDlgView*>(refView_) : static_cast<CListDlgView*>(defView_);
  if (view) view->OnSelectAllItems();
}

void CMainFrame::OnSelectAll() {
  if (activePane_ == 1 && DefList() && DefList()->IsListFocused()) SelectAllInPane(1);
  else SelectAllInPane(0);
}

void CMainFrame::ActivateOtherPane() {
  activePane_ = 1 - activePane_;
  CListDlg* dlg = activePane_ == 0 ? static_cast<CListDlg*>(RefList()) : static_cast<CListDlg*>(DefList());
  if (dlg) dlg->List().setFocus(Qt::OtherFocusReason);
}

bool CMainFrame::PreTranslateKey(QKeyEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) return false;
  if (event->key() == Qt::Key_A) {
    SelectAllInPane(0);
    return true;
  }
  if (event->key() == Qt::Key_F) {
    OnShowSearch();
    return true;
  }
  return false;
}

void CMainFrame::OnManual() {
  const std::string path = AppEnvironment().ExecutableFolder() + "/" + vrres::LoadString(IDS_MANUAL_FILE).toStdString();
  if (!Desktop().OpenDocument(path)) ShowMessage(IDS_MSG_MANUAL_FAILED, {}, MsgButtons::Ok, MsgIcon::Warning);
}

void CMainFrame::OnWebPage(int stringId) { Desktop().OpenUrl(vrres::LoadString(stringId).toStdString()); }

void CMainFrame::ShowAsPlaced() {
  switch (showCmd_) {
    case SHOWCMD_MAXIMIZED:
      showMaximized();
      break;
    case SHOWCMD_MINIMIZED:
      showMinimized();
      break;
    default:
      show();
      break;
  }
}

void CMainFrame::RestoreAndRaise() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

// --- closing ----------------------------------------------------------------

int CMainFrame::DefinitionItemCount() const {
  if (!doc_) return 0;
  return doc_->CountCanSignals(LIST_DEFINITION) + doc_->CountFlexRaySignals(LIST_DEFINITION) +
         doc_->CountLinSignals(LIST_DEFINITION) + doc_->CountLogicSymbols(LIST_DEFINITION);
}

bool CMainFrame::CloseQuery() {
  if (!doc_ || !AskSaveOnClose(DefinitionItemCount(), doc_->IsDefModified())) return true;
  if (ShowMessage(IDS_ASK_SAVE_ON_CLOSE, {}, MsgButtons::YesNo, MsgIcon::Question) != MSG_YES) return true;
  ForwardToList(1, IDC_BTN_SAVE);
  // The user wanted the data kept: when the save did not happen (dialog
  // cancelled, multiplexor question answered No, write failed) the window
  // stays open instead of dropping the changes.
  return !doc_->IsDefModified();
}

void CMainFrame::StoreSettingsOnClose() {
  if (search_) search_->DestroySearch();
  settings::SetVersion(settings_, 1.2);
  settings::SetShowCmd(settings_, isMaximized()   ? SHOWCMD_MAXIMIZED
                                  : isMinimized() ? SHOWCMD_MINIMIZED
                                                  : SHOWCMD_NORMAL);
  const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
  settings::SetWindowRect(settings_, settings::Rect{normal.left(), normal.top(), normal.left() + normal.width(),
                                                    normal.top() + normal.height()});
  settings::SetType(settings_, busKind_);
  // The document closes: its state goes back into the settings.
  if (doc_) doc_->OnCloseDocument(settings_);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  if (!CloseQuery()) {
    event->ignore();
    return;
  }
  closing_ = true;
  StoreSettingsOnClose();
  event->accept();
}
