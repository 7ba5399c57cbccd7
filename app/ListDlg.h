// What the two list windows have in common: a caption, icon buttons with
// tooltips, the list control with the column set of the bus kind, the rows of
// one list of the document, select-all, the header's sort arrow, the layout,
// and Ctrl+F for the search. Each pane of the main window's splitter hosts one
// (CRefListDlg on the left, CDefListDlg on the right).
//
// The rows live once, in the list logic; the list control is a view over
// them. The logic tells the dialog (its IListRowsObserver) after every change
// what changed, and the dialog passes that on to the control, which keeps the
// selection and the focus with their rows.
//
// The row operations (loading, adding, deleting, saving, sorting, dragging)
// are the derived dialogs' handlers; every menu, toolbar and key command that
// acts on a list arrives as SendCommand(button identifier), exactly as a click.
#pragma once

#include "ListCtrlEx.h"
#include "ListLayout.h"
#include "ListLogic.h"
#include "ListRows.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <map>
#include <memory>
#include <string>
#include <vector>

class CFontManager;
class CMainFrame;
class CVestrelDoc;
class QKeyEvent;

class CListDlg : public QWidget, protected IListRowsObserver {
  Q_OBJECT

 public:
  // One row of a button table: control, tooltip string, icon (0: none).
  struct ButtonRow {
    int controlId;
    int tipStringId;
    int iconId;
  };

  CListDlg(int templateId, QWidget* parent);
  ~CListDlg() override;

  // Set by the host view before Create. The document brings the list's
  // logic with it; the main frame, when there is one, holds the bus kind.
  void SetFontManager(CFontManager* fonts) { fontManager_ = fonts; }
  void SetDocument(CVestrelDoc* doc);
  void SetMainFrame(CMainFrame* frame);
  void SetListKind(int list) { listKind_ = list; }
  // Builds the template's controls and runs OnInitDialog.
  bool Create();

  int TemplateId() const { return templateId_; }
  int ListKind() const { return listKind_; }
  CVestrelDoc* Document() const { return doc_; }
  CMainFrame* MainFrame() const { return frame_; }

  // The partner is the other pane's dialog; their lists' logic is paired too.
  void SetPartner(CListDlg* partner);
  CListDlg* Partner() const { return partner_; }

  // The rows, file and sort record behind the list control, and what the
  // buttons do to them; made with the document (null without one).
  CListLogic* Logic() const { return logic_.get(); }

  // The bus kind changed to `kind` (the main frame's, when there is one, is
  // already `kind`; without a frame the logic keeps it); unless the dialog
  // is still initialising, columns and rows are rebuilt.
  void SetBusKind(int kind);
  int BusKind() const;
  // What showing `kind` needs memory for, made before anything on show
  // changes: the column set, and with `rows` the logic's rows (which a load
  // makes itself). A std::bad_alloc leaves the list as it was.
  void PrepareBusKind(int kind, bool rows = true);

  virtual void InitLayout();
  virtual void UpdateLayout();
  virtual void RefreshList();
  virtual void SelectAll();
  virtual void UpdateFileName();

  // Appends one row at the end and scrolls it into view.
  void AppendCanRow(const _CANMsg& msg, const char* signalName);
  void AppendFlexRayLinRow(const _FlexRayMsg& msg, const char* signalName);
  void AppendFlexRayLinRow(const _LINMsg& msg, const char* signalName);
  void AppendLogicRow(const _LOGICGroup& group, const _LOGICSignal& symbol);

  // Arrow image on the sorted column's header (none for column -1).
  void SetSortArrow(int column, bool ascending);

  // Gives each button of the table (ended by a row with control 0, at most
  // five rows) its tooltip and icon.
  void InitButtons(const ButtonRow* table);
  int TooltipCount() const { return tooltipCount_; }
  // True (and the flag cleared) when the dialog was initialising.
  bool EndInitialising();
  bool IsInitialising() const { return initialising_; }

  void SetFilePath(const std::string& path);
  std::string FilePath() const;

  // Runs the definition dialog of the bus kind on the first selected row (or
  // on fresh records for DLGMODE_NEW) and shows the rows of both lists again.
  // 1 when records and rows were changed.
  virtual int OpenDefinitionDialog(int list, int mode);

  CListCtrlEx& List() { return list_; }
  const CListCtrlEx& List() const { return list_; }
  QLabel* Caption() const { return caption_; }
  QPushButton* Button(int controlId) const;
  bool IsButtonEnabled(int controlId) const;
  int ColumnCount() const { return columnCount_; }

  // A button command from the main frame: runs the button's handler exactly
  // as a click does (also when the button is disabled).
  void SendCommand(int buttonId) { OnCommand(buttonId); }

  // Selects exactly these rows and focuses `focus` (-1: none).
  void SelectOnly(const std::vector<int>& select, int focus);

  // Keys seen before the focused control gets them; true when used up.
  virtual bool PreTranslateKey(QKeyEvent* event);

 Q_SIGNALS:
  // Rows, selection or button states changed (the frame updates its commands).
  void stateChanged();

 protected:
  // The controls of the dialog template.
  virtual void CreateControls() = 0;
  // The logic of this list kind.
  virtual std::unique_ptr<CListLogic> MakeLogic(CVestrelDoc& doc) const = 0;
  virtual bool OnInitDialog();
  // Button clicks and forwarded commands.
  virtual void OnCommand(int buttonId) = 0;
  // Hooks of the list control: selection changed, double click, header
  // click, start of a row drag, mouse while dragging, and files dropped onto
  // the dialog.
  virtual void OnListSelectionChanged() {}
  virtual void OnListDoubleClick() {}
  virtual void OnColumnClick(int /*column*/) {}
  virtual void OnBeginDrag() {}
  virtual void OnDragMove(const QPoint& /*globalPos*/) {}
  virtual void OnDragRelease(const QPoint& /*globalPos*/) {}
  // Esc while dragging: the drag ends without a drop.
  virtual void OnCancelDrag() {}
  virtual void OnDropFiles(const std::vector<std::string>& /*paths*/) {}

  QPushButton* AddButton(int controlId);
  QLabel* AddCaption(int controlId);
  QLabel* AddFileNameStatic();
  QLabel* FileNameStatic() const { return fileName_; }
  // Puts a button of the bottom row with its left edge at x.
  void PlaceBottomButton(int controlId, int x);

  // Sorts by a clicked column; the selection and the focus travel with their
  // rows. True when the rows were sorted.
  bool SortByClickedColumn(int column);

  // IListRowsObserver: the logic's rows changed.
  void RowsReset() override;
  void RowsInserted(int first, int last) override;
  void RowsRemoved(int first, int last) override;
  void RowsMoved(int first, int count, int target) override;
  void RowsChanged(int first, int last) override;
  void ColumnChanged(int column) override;
  void RowsReordered(const std::vector<int>& order) override;

  // After a load: the columns of the bus kind anew (widths, no sort arrow)
  // over the rows the load has put in place, which are not built twice.
  void ShowLoadedRows();

  // The text of a path for a label.
  static QString PathText(const std::string& path);
  // The window under a screen point is exactly this list control.
  static bool IsListAt(const CListCtrlEx& list, const QPoint& globalPos);
  // Rectangle of the client area.
  QRect ClientRect() const { return rect(); }

  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void WireLogic();
  // The column set of the kind on show, made ahead when it can be, over the
  // logic's rows; with `refill` the logic takes (or builds) its rows for the
  // kind first. Whatever needs memory comes before anything changes.
  void ShowColumns(bool refill);

  int templateId_;
  CFontManager* fontManager_ = nullptr;
  CListDlg* partner_ = nullptr;
  int columnCount_ = 0;
  int tooltipCount_ = listlayout::kMaxButtons;
  int listKind_ = 0;
  CListCtrlEx list_;
  QLabel* caption_ = nullptr;
  QLabel* fileName_ = nullptr;
  std::map<int, QPushButton*> buttons_;
  QIcon sortIcons_[2];
  std::unique_ptr<CListLogic> logic_;
  std::vector<CListCtrlEx::Column> readyColumns_;  // the set of readyColumnsBus_, made ahead
  int readyColumnsBus_ = -1;
  bool initialising_ = true;
  CVestrelDoc* doc_ = nullptr;
  CMainFrame* frame_ = nullptr;
};

// The reference list (dialog 130): open a reference file, show a reference
// item read-only, add selected rows to the definitions.
class CRefListDlg : public CListDlg {
  Q_OBJECT

 public:
  static const ButtonRow kButtons[];
  explicit CRefListDlg(QWidget* parent);
  ~CRefListDlg() override;

  void UpdateLayout() override;
  void RefreshList() override;
  // Buttons 1002 and 1003 follow the selection.
  virtual void EnableButtons();
  bool PreTranslateKey(QKeyEvent* event) override;

  CRefListLogic* RefLogic() const { return static_cast<CRefListLogic*>(Logic()); }

  virtual void OnBnClickedReference();
  virtual void OnBnClickedShowDefinition();
  virtual void OnBnClickedAddDefinition();

  // The row drag towards the definition list.
  bool IsDraggingRows() const { return dragging_; }
  QWidget* DragImage() const { return dragImage_; }

 protected:
  void CreateControls() override;
  std::unique_ptr<CListLogic> MakeLogic(CVestrelDoc& doc) const override;
  bool OnInitDialog() override;
  void OnCommand(int buttonId) override;
  void OnListSelectionChanged() override { EnableButtons(); }
  void OnListDoubleClick() override { OnBnClickedShowDefinition(); }
  void OnColumnClick(int column) override;
  void OnBeginDrag() override;
  void OnDragMove(const QPoint& globalPos) override;
  void OnDragRelease(const QPoint& globalPos) override;
  void OnCancelDrag() override;
  void OnDropFiles(const std::vector<std::string>& paths) override;

 private:
  bool IsOverPartnerList(const QPoint& globalPos) const;
  void EndDrag();

  bool dragging_ = false;
  QWidget* dragImage_ = nullptr;  // exists only while dragging
  bool cursorSet_ = false;        // the drag's cursor is shown
};

// The definition list (dialog 103): open, new, edit, delete and save
// definitions.
class CDefListDlg : public CListDlg {
  Q_OBJECT

 public:
  static const ButtonRow kButtons[];
  explicit CDefListDlg(QWidget* parent);

  void InitLayout() override;
  void UpdateLayout() override;
  void RefreshList() override;
  bool PreTranslateKey(QKeyEvent* event) override;
  // Whether the keyboard focus is in this dialog's list control.
  bool IsListFocused() const;
  // Buttons 1008 and 1009 follow the selection.
  void EnableSelectionButtons();

  CDefListLogic* DefLogic() const { return static_cast<CDefListLogic*>(Logic()); }

  virtual void OnBnClickedOpen();
  virtual void OnBnClickedNew();
  virtual void OnBnClickedEdit();
  virtual void OnBnClickedDelete();
  virtual void OnBnClickedSave();
  // The save behind button 1010: true only when the file was written.
  bool SaveDefinitions();

  // The reorder drag (its rule is the logic's): whether it runs, and the
  // place its drop line shows for a screen point (-1: none).
  bool IsReordering() const { return DefLogic() && DefLogic()->IsReordering(); }
  int ReorderTargetAt(const QPoint& globalPos) const;

 protected:
  void CreateControls() override;
  std::unique_ptr<CListLogic> MakeLogic(CVestrelDoc& doc) const override;
  bool OnInitDialog() override;
  void OnCommand(int buttonId) override;
  void OnListSelectionChanged() override { EnableSelectionButtons(); }
  void OnListDoubleClick() override { OnBnClickedEdit(); }
  void OnColumnClick(int column) override;
  void OnBeginDrag() override;
  void OnDragMove(const QPoint& globalPos) override;
  void OnDragRelease(const QPoint& globalPos) override;
  void OnCancelDrag() override;
  void OnDropFiles(const std::vector<std::string>& paths) override;

 private:
  void EndReorder();
};
