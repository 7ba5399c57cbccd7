// What the two list windows have in common: a caption, icon buttons with
// tooltips, the list control with the column set of the bus kind, the rows of
// one list of the document, select-all, the header's sort arrow, the layout,
// and Ctrl+F for the search. Each pane of the main window's splitter hosts one
// (CRefListDlg on the left, CDefListDlg on the right).
//
// The row operations (loading, adding, deleting, saving, sorting, dragging)
// are the derived dialogs' handlers; every menu, toolbar and key command that
// acts on a list arrives as SendCommand(button identifier), exactly as a click.
#pragma once

#include "ListCtrlEx.h"
#include "ListRows.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <map>
#include <string>
#include <vector>

class CFontManager;
class CMainFrame;
class CVestrelDoc;
class QKeyEvent;

class CListDlg : public QWidget {
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

  // Set by the host view before Create.
  void SetFontManager(CFontManager* fonts) { fontManager_ = fonts; }
  void SetDocument(CVestrelDoc* doc) { doc_ = doc; }
  void SetMainFrame(CMainFrame* frame) { frame_ = frame; }
  void SetListKind(int list) { listKind_ = list; }
  // Builds the template's controls and runs OnInitDialog.
  bool Create();

  int TemplateId() const { return templateId_; }
  int ListKind() const { return listKind_; }
  CVestrelDoc* Document() const { return doc_; }
  CMainFrame* MainFrame() const { return frame_; }

  void SetPartner(CListDlg* partner) { partner_ = partner; }
  CListDlg* Partner() const { return partner_; }

  // Stores the kind and, unless the dialog is still initialising, rebuilds
  // columns and rows.
  void SetBusKind(int kind);
  int BusKind() const { return busKind_; }

  virtual void InitLayout();
  virtual void UpdateLayout();
  virtual void RefreshList();
  virtual void SelectAll();
  virtual bool IsLoadableFile(const std::string& path) const;
  virtual void UpdateFileName();

  // Appends one row at the end and scrolls it into view.
  void AppendCanRow(const _CANMsg& msg, const char* signalName);
  void AppendFlexRayLinRow(const _FlexRayMsg& msg, const char* signalName);
  void AppendFlexRayLinRow(const _LINMsg& msg, const char* signalName);
  void AppendLogicRow(const _LOGICGroup& group, const _LOGICSignal& symbol);
  void AppendRow(const ListRow& row);

  // Arrow image on the sorted column's header (none for column -1).
  void SetSortArrow(int column, bool ascending);

  // Gives each button of the table (ended by a row with control 0, at most
  // five rows) its tooltip and icon.
  void InitButtons(const ButtonRow* table);
  int TooltipCount() const { return tooltipCount_; }
  // True (and the flag cleared) when the dialog was initialising.
  bool EndInitialising();
  bool IsInitialising() const { return initialising_; }

  void SetFilePath(const std::string& path) { filePath_ = path; }
  const std::string& FilePath() const { return filePath_; }

  CListCtrlEx& List() { return list_; }
  const CListCtrlEx& List() const { return list_; }
  QLabel* Caption() const { return caption_; }
  QPushButton* Button(int controlId) const;
  bool IsButtonEnabled(int controlId) const;
  int ColumnCount() const { return columnCount_; }

  // A button command from the main frame: runs the button's handler exactly
  // as a click does (also when the button is disabled).
  void SendCommand(int buttonId) { OnCommand(buttonId); }

  // Keys seen before the focused control gets them; true when used up.
  virtual bool PreTranslateKey(QKeyEvent* event);

 Q_SIGNALS:
  // Rows, selection or button states changed (the frame updates its commands).
  void stateChanged();

 protected:
  // The controls of the dialog template.
  virtual void CreateControls() = 0;
  virtual bool OnInitDialog();
  // Button clicks and forwarded commands.
  virtual void OnCommand(int buttonId) = 0;
  // The rows of the current bus kind, from the document.
  virtual ListRows BuildRows() const;
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
  // Rectangle of the client area.
  QRect ClientRect() const { return rect(); }

  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void FillRowCells(int row, const ListRow& cells);

  int templateId_;
  CFontManager* fontManager_ = nullptr;
  CListDlg* partner_ = nullptr;
  int columnCount_ = 0;
  int tooltipCount_ = 5;
  int busKind_ = 0;
  int listKind_ = 0;
  CListCtrlEx list_;
  QLabel* caption_ = nullptr;
  QLabel* fileName_ = nullptr;
  std::map<int, QPushButton*> buttons_;
  QIcon sortIcons_[2];
  std::string filePath_;
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

  void UpdateLayout() override;
  void RefreshList() override;
  bool IsLoadableFile(const std::string& path) const override;
  void UpdateFileName() override;
  // Buttons 1002 and 1003 follow the selection.
  virtual void EnableButtons();
  bool PreTranslateKey(QKeyEvent* event) override;

  // Button handlers; the list operations fill them.
  virtual void OnBnClickedReference();
  virtual void OnBnClickedShowDefinition();
  virtual void OnBnClickedAddDefinition();

 protected:
  void CreateControls() override;
  bool OnInitDialog() override;
  void OnCommand(int buttonId) override;
  void OnListSelectionChanged() override { EnableButtons(); }
  void OnListDoubleClick() override { OnBnClickedShowDefinition(); }
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
  bool IsLoadableFile(const std::string& path) const override;
  void UpdateFileName() override;
  bool PreTranslateKey(QKeyEvent* event) override;
  // Whether the keyboard focus is in this dialog's list control.
  bool IsListFocused() const;
  // Buttons 1008 and 1009 follow the selection.
  void EnableSelectionButtons();

  // Button handlers; the list operations fill them.
  virtual void OnBnClickedOpen();
  virtual void OnBnClickedNew();
  virtual void OnBnClickedEdit();
  virtual void OnBnClickedDelete();
  virtual void OnBnClickedSave();

 protected:
  void CreateControls() override;
  bool OnInitDialog() override;
  void OnCommand(int buttonId) override;
  void OnListSelectionChanged() override { EnableSelectionButtons(); }
  void OnListDoubleClick() override { OnBnClickedEdit(); }
};
