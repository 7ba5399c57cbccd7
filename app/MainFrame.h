// The single main window: menu, accelerators, a movable toolbar, a status bar
// with command prompts, and a splitter of two panes (reference list left,
// definition list right). It owns the bus kind and the search window. Almost
// every command is turned into a button command of one of the list dialogs,
// so that menu, toolbar, keys and the dialogs' buttons run the same handler.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSplitter>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class CAppSettings;
class CDefListDlg;
class CDefView;
class CFontManager;
class CListDlg;
class CRefListDlg;
class CRefView;
class CVestrelDoc;
class ISearchWindow;
class QAction;
class QKeyEvent;
class QLabel;
class QToolBar;
struct MenuNode;

// The splitter of the main window; it reports every resize to its frame.
class CFrameSplitter : public QSplitter {
  Q_OBJECT
 public:
  explicit CFrameSplitter(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {}
  std::function<void()> onResized;

 protected:
  void resizeEvent(QResizeEvent* event) override;
};

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // Window show states kept in the settings.
  enum { SHOWCMD_NORMAL = 1, SHOWCMD_MINIMIZED = 2, SHOWCMD_MAXIMIZED = 3 };

  CMainFrame(CVestrelDoc* doc, CFontManager* fonts, CAppSettings* settings);
  ~CMainFrame() override;

  // Builds the client area (placement, bus kind, panes, search window), the
  // menu, toolbar and status bar. False when a part cannot be made.
  bool Create();
  // Shows the window in the show state that the settings kept.
  void ShowAsPlaced();
  // Restores a minimised window and brings it to the front (a second start).
  void RestoreAndRaise();

  // Commands by identifier (menu, toolbar, accelerators).
  void OnCommand(int id);
  bool IsCommandEnabled(int id) const;
  bool IsCommandChecked(int id) const;
  void UpdateCommandUI();
  // The actions of a command (menu entries and toolbar button).
  std::vector<QAction*> Actions(int id) const;
  QToolBar* ToolBar() const { return toolBar_; }

  // Switches both lists to another bus kind (the loader's request). Nothing
  // for a kind of 4 or more or the current kind.
  void SetBusMode(int kind);
  int BusKind() const { return busKind_; }

  // WM_SHOW_SEARCH: shows the search window when a list has rows.
  void OnShowSearch();
  // WM_SELECT_ALL_ITEMS to the view of pane `column` (0 reference, 1 definition).
  void SelectAllInPane(int column);
  // Shows the lock keys' states in the status bar (empty where unknown).
  void UpdateLockIndicators();
  // Keys seen first by the frame (Ctrl+A, Ctrl+F); true when used up.
  bool PreTranslateKey(QKeyEvent* event);

  CFrameSplitter* Splitter() const { return splitter_; }
  CRefView* RefView() const { return refView_; }
  CDefView* DefView() const { return defView_; }
  CRefListDlg* RefList() const;
  CDefListDlg* DefList() const;
  ISearchWindow* SearchWindow() const { return search_.get(); }
  CVestrelDoc* Document() const { return doc_; }
  // The pane whose view is active: 0 reference, 1 definition.
  int ActivePane() const { return activePane_; }

  // The about box (the application's command); a default box without one.
  void SetAboutHandler(std::function<void()> handler) { aboutHandler_ = std::move(handler); }
  // Puts the splitter bar back to its place for the current width.
  void ApplySplit();

 protected:
  // The search window, created once with the client area (null: none).
  virtual ISearchWindow* CreateSearchDialog();
  void closeEvent(QCloseEvent* event) override;

 private:
  bool OnCreateClient();
  void BuildMenu();
  void AddMenuNodes(class QMenu* menu, const std::vector<MenuNode>& nodes);
  void BuildToolBar();
  void GroupBusActions();
  void BuildStatusBar();
  void BuildAccelerators();
  QAction* NewCommandAction(int id, const QString& text);
  void ForwardToList(int pane, int buttonId);
  void ChangeBusKind(int kind);
  void OnFind();
  void OnSelectAll();
  void OnManual();
  void OnWebPage(int stringId);
  void ActivateOtherPane();
  bool AnyListHasRows() const;
  int DefinitionItemCount() const;
  bool CloseQuery();
  void StoreSettingsOnClose();

  CVestrelDoc* doc_;
  CFontManager* fonts_;
  CAppSettings* settings_;
  QToolBar* toolBar_ = nullptr;
  QLabel* idleLabel_ = nullptr;
  QLabel* lockPanes_[3] = {nullptr, nullptr, nullptr};
  CFrameSplitter* splitter_ = nullptr;
  CRefView* refView_ = nullptr;
  CDefView* defView_ = nullptr;
  std::unique_ptr<ISearchWindow> search_;
  int splitterMade_ = 0;
  int busKind_ = 0;
  bool creating_ = true;
  int showCmd_ = 0;
  int activePane_ = 0;
  bool closing_ = false;
  std::multimap<int, QAction*> actions_;
  std::function<void()> aboutHandler_;
  class CKeyRouter* keyRouter_ = nullptr;
};
