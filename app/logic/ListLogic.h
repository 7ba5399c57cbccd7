// The state and commands of the two list windows without any window: the rows
// a list shows, its bus kind, its file, its sort record, and what its buttons
// do. A Qt list window owns one of these, passes the selected row indices in,
// and shows Rows() again after each command. Messages go through ShowMessage;
// file dialogs through IListFileDialogs.
#pragma once

#include "DefListOps.h"
#include "ListLoad.h"
#include "ListFileDialogs.h"
#include "ListRows.h"
#include "ListSort.h"

#include <functional>
#include <string>
#include <vector>

class CVestrelDoc;

class CListLogic {
 public:
  CListLogic(CVestrelDoc& doc, ListKind list);
  virtual ~CListLogic() = default;
  CListLogic(const CListLogic&) = delete;
  CListLogic& operator=(const CListLogic&) = delete;

  CVestrelDoc& Doc() const { return doc_; }
  ListKind List() const { return list_; }

  // The partner is the list in the other pane.
  void SetPartner(CListLogic* partner) { partner_ = partner; }
  CListLogic* Partner() const { return partner_; }

  int BusKind() const { return bus_; }
  // Stores the kind and, when asked, rebuilds the rows.
  void SetBusKind(int kind, bool refresh = true);
  // What a load calls to show another bus kind: the main frame's switch of
  // both lists. Without one, this list and its partner follow the kind.
  void SetBusSwitch(std::function<void(int)> switchBus) { switchBus_ = std::move(switchBus); }

  const ListRows& Rows() const { return rows_; }
  ListRows& Rows() { return rows_; }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  // Rebuilds every row from the document (selection and row order are lost).
  void RefreshList();
  // Rows appended from outside (the partner's add) are shown by the window
  // one by one as they come, through this hook.
  void SetRowsAppendedHook(std::function<void()> hook) { rowsAppended_ = std::move(hook); }
  void RowsAppended() const {
    if (rowsAppended_) rowsAppended_();
  }

  const std::string& FilePath() const { return filePath_; }
  void SetFilePath(const std::string& path) { filePath_ = path; }
  // The text of the file-name label.
  virtual std::string FileLabel() const;

  virtual bool IsLoadableFile(const std::string& path) const;
  // Empties this list's tables and reads the file; 0, 4006 or 4007. On
  // success the bus switch is asked for the kind to show.
  int LoadFile(const std::string& path);

  // Appends one row at the end; answers its index (to scroll to).
  int AppendCanRow(const _CANMsg& msg, const char* signalName);
  int AppendFlexRayLinRow(const _FlexRayMsg& msg, const char* signalName);
  int AppendFlexRayLinRow(const _LINMsg& msg, const char* signalName);
  int AppendLogicRow(const _LOGICGroup& group, const _LOGICSignal& symbol);

  const tagListSortInfo& SortInfo() const { return sort_; }
  // A click on a column header. True when the rows were sorted: the window
  // then shows the arrow of SortInfo() and the rows again.
  virtual bool SortByColumn(int column);
  // After a sort: for every row, the index it had before (the window moves
  // its selection along).
  const std::vector<int>& LastSortOrder() const { return sortOrder_; }

 protected:
  // Loads a chosen or dropped file as the list's buttons do: on success the
  // path is kept, the rows are rebuilt and what the load left out is told; a
  // failure shows its message and changes nothing.
  int LoadAndShow(const std::string& path);

  CVestrelDoc& doc_;
  ListKind list_;
  CListLogic* partner_ = nullptr;
  int bus_ = BUS_CAN;
  ListRows rows_;
  std::string filePath_;
  tagListSortInfo sort_;
  std::vector<int> sortOrder_;
  LoadCuts lastLoadCuts_;
  // What a successful LoadFile made ready for LoadAndShow to put in place.
  ListRows pendingRows_;
  std::string pendingPath_;
  std::function<void(int)> switchBus_;
  std::function<void()> rowsAppended_;
};

// The reference list (left pane).
class CRefListLogic : public CListLogic {
 public:
  explicit CRefListLogic(CVestrelDoc& doc) : CListLogic(doc, LIST_REFERENCE) {}

  // Open: the file dialog with the bus kind's filters; OK loads the file.
  // True only when a file was loaded (the rows changed).
  bool OpenReference(IListFileDialogs& dialogs);
  // A drop counts only as exactly one loadable file; true when it loaded
  // (the rows changed).
  bool DropFiles(const std::vector<std::string>& paths);
  // Adds the selected rows to the definitions; the partner (the definition
  // list) receives the new rows. Answers the number added.
  int AddToDefinitions(const std::vector<int>& selection);

  bool SortByColumn(int column) override;
};

// The definition list (right pane).
class CDefListLogic : public CListLogic {
 public:
  explicit CDefListLogic(CVestrelDoc& doc) : CListLogic(doc, LIST_DEFINITION) {}

  bool IsModified() const;
  void SetModified(bool modified);
  // The file title with " *" while modified.
  std::string FileLabel() const override;

  // New: false (message 3102 shown) at 500 rows.
  bool CanStartNew() const;
  // After a definition dialog reported a change (result above 0).
  void DefinitionChanged() { SetModified(true); }
  // Delete the selected rows after the question 4102; false on No.
  bool Delete(const std::vector<int>& selection);
  // Open: 4104 while modified, the file dialog, the load. True only when a
  // file was loaded; a stop or a failed load changes nothing.
  bool Open(IListFileDialogs& dialogs);
  // A drop of exactly one ".sbl" file, with 4104 while modified.
  bool DropFiles(const std::vector<std::string>& paths);
  // Save into a ".sbl" file; true only when the file was written.
  bool Save(IListFileDialogs& dialogs);

  bool SortByColumn(int column) override;

  // Reorder drag: whether the selection can be dragged, and the drop.
  bool CanStartReorder(const std::vector<int>& selection, int& first, int& count) const;
  // Moves the block before `target`; answers the block's new first row (the
  // window selects first..first+count-1 and focuses the first) or -1 when
  // nothing moved. A move forgets the sort column (remove the arrow).
  int MoveBlock(int first, int count, int target);

 private:
  int LoadDefinitionFile(const std::string& path);
};
