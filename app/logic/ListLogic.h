// The state and commands of the two list windows without any window: the rows
// a list shows (its only copy: the list control reads them through
// IListCells), its file, its sort record, the reorder drag, and what its
// buttons do. A Qt list window owns one of these, passes the selected row
// indices in, and is told after every change of the rows what changed.
// Messages go through ShowMessage; file dialogs through IListFileDialogs.
#pragma once

#include "DefListOps.h"
#include "ListCells.h"
#include "ListLoad.h"
#include "ListFileDialogs.h"
#include "ListRows.h"
#include "ListSort.h"

#include <functional>
#include <string>
#include <vector>

class CVestrelDoc;

// Told after the rows of a list changed, exactly what changed (the list
// control keeps the selection and the focus with their rows from this).
class IListRowsObserver {
 public:
  virtual ~IListRowsObserver() = default;
  // Every row may be different (and the count too): a refill.
  virtual void RowsReset() = 0;
  virtual void RowsInserted(int first, int last) = 0;
  virtual void RowsRemoved(int first, int last) = 0;
  // The block [first, first + count) now stands before `target` (a row
  // index counted before the move).
  virtual void RowsMoved(int first, int count, int target) = 0;
  // Cells of these rows were rewritten in place.
  virtual void RowsChanged(int first, int last) = 0;
  // One column of every row was rewritten in place.
  virtual void ColumnChanged(int column) = 0;
  // The same rows in another order: order[new row] = old row.
  virtual void RowsReordered(const std::vector<int>& order) = 0;
};

class CListLogic : public IListCells {
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

  // The bus kind is the main frame's: a list in a window asks it through
  // this source. A list without one (alone, as in the tests) keeps the kind
  // given to SetBusKind.
  void SetBusKindSource(std::function<int()> source) { busSource_ = std::move(source); }
  int BusKind() const { return busSource_ ? busSource_() : bus_; }
  // Stores the kind (without a source) and, when asked, rebuilds the rows.
  void SetBusKind(int kind, bool refresh = true);
  // What a load calls to show another bus kind: the main frame's switch of
  // both lists. Without one, this list and its partner follow the kind.
  // `prepare` makes, before the load changes anything, what the windows need
  // memory for in that switch (a std::bad_alloc from it fails the load), so
  // that the switch itself needs none.
  void SetBusSwitch(std::function<void(int)> switchBus, std::function<void(int)> prepare = {}) {
    switchBus_ = std::move(switchBus);
    prepareSwitch_ = std::move(prepare);
  }
  // Told true before a file is read and false once the reading is over,
  // before any message about it: the windows show their wait cursor.
  void SetBusyIndicator(std::function<void(bool busy)> busy) { busy_ = std::move(busy); }

  const ListRows& Rows() const { return rows_; }
  // The rows to change in place; whoever changes them tells the observer
  // through the Notify... calls below.
  ListRows& Rows() { return rows_; }
  // IListCells
  int RowCount() const override { return static_cast<int>(rows_.size()); }
  const std::string& CellText(int row, int column) const override;
  // Rebuilds every row from the document (selection and row order are lost);
  // rows made ahead for the kind on show are taken instead.
  void RefreshList();
  // Makes the rows of `bus` ahead for the next RefreshList, unless a load
  // already made them; a std::bad_alloc leaves the rows on show as they were.
  void PrepareRows(int bus);
  // Forgets rows made ahead (a switch of bus kind that did not happen).
  void DropReadyRows();

  void SetObserver(IListRowsObserver* observer) { observer_ = observer; }
  // What changed after the rows were changed from outside this class (the
  // partner's add, the definition dialogs' row updates).
  void NotifyRowsReset();
  void NotifyRowsInserted(int first, int last);
  void NotifyRowsChanged(int first, int last);
  void NotifyColumnChanged(int column);

  const std::string& FilePath() const { return filePath_; }
  void SetFilePath(const std::string& path) { filePath_ = path; }
  // The text of the file-name label.
  virtual std::string FileLabel() const;

  virtual bool IsLoadableFile(const std::string& path) const;
  // Empties this list's tables and reads the file; 0, IDS_MSG_LOAD_FAILED or IDS_MSG_LOAD_FAILED_XML. On
  // success the bus switch is asked for the kind to show.
  int LoadFile(const std::string& path);

  // Appends one row at the end; answers its index (to scroll to).
  int AppendCanRow(const _CANMsg& msg, const char* signalName);
  int AppendFlexRayLinRow(const _FlexRayMsg& msg, const char* signalName);
  int AppendFlexRayLinRow(const _LINMsg& msg, const char* signalName);
  int AppendLogicRow(const _LOGICGroup& group, const _LOGICSignal& symbol);

  // The definition list gives the signals or symbols on show the numbers of
  // their rows, as a save does, whenever rows come in or change order: rows
  // rebuilt by number (after a switch of bus kind and back) then come in the
  // user's order. The reference list keeps the numbers of its file.
  void NumberSignalsByRows();

  const tagListSortInfo& SortInfo() const { return sort_; }
  // A click on a column header. True when the rows were sorted (the
  // observer has been told the new order); the window then shows the arrow
  // of SortInfo().
  virtual bool SortByColumn(int column);

 protected:
  // Loads a chosen or dropped file as the list's buttons do: on success the
  // path is kept, the rows are rebuilt and what the load left out is told; a
  // failure shows its message and changes nothing.
  int LoadAndShow(const std::string& path);

  void NotifyRowsRemoved(int first, int last);
  void NotifyRowsMoved(int first, int count, int target);
  void NotifyRowsReordered(const std::vector<int>& order);

  CVestrelDoc& doc_;
  ListKind list_;
  CListLogic* partner_ = nullptr;
  ListRows rows_;
  std::string filePath_;
  tagListSortInfo sort_;
  LoadCuts lastLoadCuts_;
  // What a successful LoadFile made ready for LoadAndShow to put in place.
  std::string pendingPath_;
  // Rows made ahead for one bus kind: the next rebuild for that kind takes
  // them instead of building its own. A load makes them for both lists
  // before it changes anything, so the switch of bus kind it asks for needs
  // no memory.
  ListRows readyRows_;
  int readyBus_ = -1;
  // Puts the ready rows in place when they are of the kind on show; drops
  // them either way. True when they were put in place.
  bool TakeReadyRows();
  std::function<void(int)> switchBus_;
  std::function<void(int)> prepareSwitch_;
  std::function<void(bool)> busy_;

 private:
  int bus_ = BUS_CAN;  // only without a bus kind source
  std::function<int()> busSource_;
  IListRowsObserver* observer_ = nullptr;
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

  // New: false (message IDS_TOO_MANY_TO_EDIT shown) at 500 rows.
  bool CanStartNew() const;
  // After a definition dialog reported a change (result above 0): the list
  // is modified, and a new definition's row is numbered with the others.
  void DefinitionChanged();
  // Delete the selected rows after the question IDS_ASK_DELETE; false on No.
  bool Delete(const std::vector<int>& selection);
  // Open: IDS_ASK_OPEN_MODIFIED while modified, the file dialog, the load. True only when a
  // file was loaded; a stop or a failed load changes nothing.
  bool Open(IListFileDialogs& dialogs);
  // A drop of exactly one ".sbl" file, with IDS_ASK_OPEN_MODIFIED while modified.
  bool DropFiles(const std::vector<std::string>& paths);
  // Save into a ".sbl" file; true only when the file was written.
  bool Save(IListFileDialogs& dialogs);

  bool SortByColumn(int column) override;

  // Reorder drag: whether the selection can be dragged, and the move.
  bool CanStartReorder(const std::vector<int>& selection, int& first, int& count) const;
  // Moves the block before `target`; answers the block's new first row (the
  // window selects first..first+count-1 and focuses the first) or -1 when
  // nothing moved. A move forgets the sort column (remove the arrow).
  int MoveBlock(int first, int count, int target);

  // The reorder drag as the mouse runs it: the window reports the press
  // (with the selection), what lies under the pointer, and the release; the
  // rule of what may move where is kept here.
  bool BeginReorder(const std::vector<int>& selection);
  bool IsReordering() const { return reordering_; }
  int ReorderFirst() const { return dragFirst_; }
  int ReorderCount() const { return dragCount_; }
  // Where the block would go for the row under the pointer (see
  // ReorderTargetRow); -1 when no drag runs or for no place.
  int ReorderTarget(int hitRow, bool lowerHalf, bool overNowhere) const;
  // Ends the drag with a drop at `target`: the block's new first row, or -1
  // when nothing moved.
  int DropReorder(int target);
  void CancelReorder() { reordering_ = false; }

 private:
  int LoadDefinitionFile(const std::string& path);

  bool reordering_ = false;
  int dragFirst_ = 0;
  int dragCount_ = 0;
};
