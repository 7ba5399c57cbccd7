#include "ListLogic.h"

#include "ListAdd.h"
#include "ListLoad.h"
#include "MessageBox.h"
#include "MsgIds.h"
#include "TextFile.h"
#include "VestrelDoc.h"

#include <algorithm>
#include <new>

CListLogic::CListLogic(CVestrelDoc& doc, ListKind list) : doc_(doc), list_(list) {}

void CListLogic::SetBusKind(int kind, bool refresh) {
  bus_ = kind;
  if (refresh) RefreshList();
}

const std::string& CListLogic::CellText(int row, int column) const {
  static const std::string kNone;
  if (row < 0 || row >= RowCount()) return kNone;
  return rows_[static_cast<std::size_t>(row)].Cell(column);
}

void CListLogic::RefreshList() {
  if (!TakeReadyRows()) rows_ = BuildListRows(doc_, list_, static_cast<::BusKind>(BusKind()), doc_.GetMsgIdFormat());
  NotifyRowsReset();
}

bool CListLogic::TakeReadyRows() {
  const bool take = readyBus_ >= 0 && readyBus_ == BusKind();
  if (take) rows_.swap(readyRows_);
  DropReadyRows();
  return take;
}

void CListLogic::PrepareRows(int bus) {
  if (readyBus_ == bus) return;
  ListRows rows = BuildListRows(doc_, list_, static_cast<::BusKind>(bus), doc_.GetMsgIdFormat());
  readyRows_.swap(rows);
  readyBus_ = bus;
}

void CListLogic::DropReadyRows() {
  ListRows().swap(readyRows_);
  readyBus_ = -1;
}

void CListLogic::NotifyRowsReset() {
  if (observer_) observer_->RowsReset();
}

void CListLogic::NotifyRowsInserted(int first, int last) {
  if (observer_ && first <= last) observer_->RowsInserted(first, last);
}

void CListLogic::NotifyRowsRemoved(int first, int last) {
  if (observer_ && first <= last) observer_->RowsRemoved(first, last);
}

void CListLogic::NotifyRowsMoved(int first, int count, int target) {
  if (observer_) observer_->RowsMoved(first, count, target);
}

void CListLogic::NotifyRowsChanged(int first, int last) {
  if (observer_ && first <= last) observer_->RowsChanged(first, last);
}

void CListLogic::NotifyColumnChanged(int column) {
  if (observer_) observer_->ColumnChanged(column);
}

void CListLogic::NotifyRowsReordered(const std::vector<int>& order) {
  if (observer_) observer_->RowsReordered(order);
}

std::string CListLogic::FileLabel() const {
  return filePath_.empty() ? std::string() : GetFileTitleFromPath(filePath_);
}

bool CListLogic::IsLoadableFile(const std::string& path) const { return ::IsLoadableFile(list_, path); }

namespace {

// A command that runs out of memory ends with the message and changes
// nothing more: the load inside it is all or nothing.
template <class Command>
bool GuardMemory(Command command) {
  try {
    return command();
  } catch (const std::bad_alloc&) {
    ShowMessageSafely(IDS_MSG_NO_MEMORY);
    return false;
  }
}

}  // namespace

int CListLogic::LoadFile(const std::string& path) {
  // Everything the load shows is made before the tables change: this list's
  // rows and path and, when the kind to show is another, the partner's rows
  // and the windows' columns for it. Running out of memory for any of them
  // fails the load; the switch of bus kind that follows needs no memory.
  ListRows rows, partnerRows;
  std::string newPath;
  const int bus = BusKind();
  LoadOutcome outcome;
  {
    // Ends the busy state on every way out of the read, an exception included.
    struct Busy {
      const std::function<void(bool)>& tell;
      explicit Busy(const std::function<void(bool)>& t) : tell(t) {
        if (tell) tell(true);
      }
      ~Busy() {
        if (tell) tell(false);
      }
    } busy(busy_);
    outcome = LoadListFile(doc_, list_, path, bus, [&](int busAfter) {
      const int format = doc_.GetMsgIdFormat();
      rows = BuildListRows(doc_, list_, static_cast<::BusKind>(busAfter), format);
      if (busAfter != bus && partner_)
        partnerRows = BuildListRows(doc_, partner_->list_, static_cast<::BusKind>(busAfter), format);
      if (busAfter != bus && prepareSwitch_) prepareSwitch_(busAfter);
      newPath = path;
    });
  }
  lastLoadCuts_ = outcome.cuts;
  if (outcome.result != 0) return outcome.result;
  readyRows_.swap(rows);
  readyBus_ = outcome.busAfter;
  if (outcome.busAfter != bus && partner_) {
    partner_->readyRows_.swap(partnerRows);
    partner_->readyBus_ = outcome.busAfter;
  }
  pendingPath_.swap(newPath);
  try {
    if (switchBus_) {
      switchBus_(outcome.busAfter);
    } else if (outcome.busAfter != bus) {
      SetBusKind(outcome.busAfter, false);
      if (partner_) partner_->SetBusKind(outcome.busAfter);
    }
  } catch (const std::bad_alloc&) {
    // The windows made their part of the switch above; should one still run
    // out of memory, the lists show the new kind, each with the rows made
    // for it above.
    bus_ = outcome.busAfter;
    if (partner_) partner_->bus_ = outcome.busAfter;
  }
  // The partner's rows, unless the switch has already shown them; this
  // list's are put in place with its path by LoadAndShow.
  if (partner_ && partner_->TakeReadyRows()) partner_->NotifyRowsReset();
  return 0;
}

int CListLogic::LoadAndShow(const std::string& path) {
  int result = LoadFile(path);
  if (result != 0) {
    // A failed load changed nothing: the rows, their order, the file and
    // (for the definitions) the modified mark stay as they were.
    ShowMessageSafely(result);
    return result;
  }
  TakeReadyRows();
  filePath_.swap(pendingPath_);
  pendingPath_.clear();
  NotifyRowsReset();
  ShowLoadCuts(lastLoadCuts_);
  return result;
}

int CListLogic::AppendCanRow(const _CANMsg& msg, const char* signalName) {
  rows_.push_back(MakeCanRow(RowCount(), msg, signalName, doc_.GetMsgIdFormat()));
  NotifyRowsInserted(RowCount() - 1, RowCount() - 1);
  return RowCount() - 1;
}

int CListLogic::AppendFlexRayLinRow(const _FlexRayMsg& msg, const char* signalName) {
  rows_.push_back(MakeFlexRayRow(RowCount(), msg, signalName, doc_.GetMsgIdFormat()));
  NotifyRowsInserted(RowCount() - 1, RowCount() - 1);
  return RowCount() - 1;
}

int CListLogic::AppendFlexRayLinRow(const _LINMsg& msg, const char* signalName) {
  rows_.push_back(MakeLinRow(RowCount(), msg, signalName, doc_.GetMsgIdFormat()));
  NotifyRowsInserted(RowCount() - 1, RowCount() - 1);
  return RowCount() - 1;
}

int CListLogic::AppendLogicRow(const _LOGICGroup& group, const _LOGICSignal& symbol) {
  rows_.push_back(MakeLogicRow(RowCount(), group, symbol));
  NotifyRowsInserted(RowCount() - 1, RowCount() - 1);
  return RowCount() - 1;
}

void CListLogic::NumberSignalsByRows() {
  if (list_ == LIST_DEFINITION) RenumberSignalsByRows(doc_, BusKind(), rows_);
}

bool CListLogic::SortByColumn(int column) {
  std::vector<int> order;
  if (!SortRowsByColumn(rows_, sort_, column, BusKind(), doc_.GetMsgIdFormat(), &order)) return false;
  NotifyRowsReordered(order);
  return true;
}

// ---------------------------------------------------------------------------

bool CRefListLogic::OpenReference(IListFileDialogs& dialogs) {
  return GuardMemory([&] {
    std::string path;
    if (!dialogs.AskOpenPath(ReferenceOpenRequest(BusKind(), filePath_), path)) return false;
    return LoadAndShow(path) == 0;
  });
}

bool CRefListLogic::DropFiles(const std::vector<std::string>& paths) {
  return GuardMemory([&] {
    if (paths.size() != 1 || !IsLoadableFile(paths[0])) return false;
    return LoadAndShow(paths[0]) == 0;
  });
}

int CRefListLogic::AddToDefinitions(const std::vector<int>& selection) {
  if (!partner_) return 0;
  CListLogic* def = partner_;
  const int before = def->RowCount();
  int added = 0;
  try {
    // Each added row shows in the definition list as it is appended (before a
    // later row's message box).
    added = AddReferenceRows(doc_, BusKind(), rows_, selection, def->Rows(),
                             [def](int row) { def->NotifyRowsInserted(row, row); });
  } catch (const std::bad_alloc&) {
    // What was added before memory ran out stays, as after a refusal.
    added = def->RowCount() - before;
    if (added > 0) doc_.SetDefModified(true);
    ShowMessageSafely(IDS_MSG_NO_MEMORY);
  }
  def->NumberSignalsByRows();
  return added;
}

bool CRefListLogic::SortByColumn(int column) {
  if (!CListLogic::SortByColumn(column)) return false;
  // LOGIC rows keep the numbers they had; the others are numbered anew.
  if (BusKind() != BUS_LOGIC) {
    RenumberRows(rows_, 0);
    NotifyColumnChanged(COL_NUMBER);
  }
  return true;
}

// ---------------------------------------------------------------------------

bool CDefListLogic::IsModified() const { return doc_.IsDefModified(); }
void CDefListLogic::SetModified(bool modified) { doc_.SetDefModified(modified); }

std::string CDefListLogic::FileLabel() const { return DefinitionFileLabel(filePath_, IsModified()); }

bool CDefListLogic::CanStartNew() const { return CheckNewAllowed(rows_); }

void CDefListLogic::DefinitionChanged() {
  SetModified(true);
  NumberSignalsByRows();
}

bool CDefListLogic::Delete(const std::vector<int>& selection) {
  const std::vector<int> rows = SortedSelection(selection, rows_.size());
  if (!DeleteDefinitionRows(doc_, BusKind(), rows_, selection)) return false;
  // From the last run of rows to the first, so that the indices still hold.
  for (std::size_t end = rows.size(); end > 0;) {
    std::size_t begin = end - 1;
    while (begin > 0 && rows[begin - 1] + 1 == rows[begin]) --begin;
    NotifyRowsRemoved(rows[begin], rows[end - 1]);
    end = begin;
  }
  NotifyColumnChanged(COL_NUMBER);
  return true;
}

int CDefListLogic::LoadDefinitionFile(const std::string& path) {
  // The loaded definitions are unchanged ones; a failed load kept the old
  // definitions and with them their modified mark.
  int result = LoadAndShow(path);
  if (result == 0) SetModified(false);
  return result;
}

bool CDefListLogic::Open(IListFileDialogs& dialogs) {
  return GuardMemory([&] {
    if (IsModified() && ShowMessage(IDS_ASK_OPEN_MODIFIED, {}, MsgButtons::YesNo, MsgIcon::Question) != MSG_YES)
      return false;
    std::string path;
    if (!dialogs.AskOpenPath(DefinitionFileRequest(filePath_), path)) return false;
    return LoadDefinitionFile(path) == 0;
  });
}

bool CDefListLogic::DropFiles(const std::vector<std::string>& paths) {
  return GuardMemory([&] {
    if (paths.size() != 1 || !IsLoadableFile(paths[0])) return false;
    if (IsModified() && ShowMessage(IDS_ASK_OPEN_MODIFIED, {}, MsgButtons::YesNo, MsgIcon::Question) != MSG_YES)
      return false;
    return LoadDefinitionFile(paths[0]) == 0;
  });
}

bool CDefListLogic::Save(IListFileDialogs& dialogs) {
  return SaveDefinitionList(doc_, BusKind(), rows_, filePath_, dialogs);
}

bool CDefListLogic::SortByColumn(int column) {
  if (!CListLogic::SortByColumn(column)) return false;
  SetModified(true);
  NumberSignalsByRows();
  RenumberRows(rows_, 0);
  NotifyColumnChanged(COL_NUMBER);
  return true;
}

bool CDefListLogic::CanStartReorder(const std::vector<int>& selection, int& first, int& count) const {
  return ::CanStartReorder(selection, RowCount(), first, count);
}

int CDefListLogic::MoveBlock(int first, int count, int target) {
  int newFirst = MoveRowBlock(rows_, first, count, target);
  if (newFirst < 0) return -1;
  NotifyRowsMoved(first, count, target);
  sort_.column = -1;
  SetModified(true);
  NumberSignalsByRows();
  RenumberRows(rows_, std::min(first, target));
  NotifyColumnChanged(COL_NUMBER);
  return newFirst;
}

bool CDefListLogic::BeginReorder(const std::vector<int>& selection) {
  reordering_ = CanStartReorder(selection, dragFirst_, dragCount_);
  return reordering_;
}

int CDefListLogic::ReorderTarget(int hitRow, bool lowerHalf, bool overNowhere) const {
  return reordering_ ? ReorderTargetRow(hitRow, lowerHalf, overNowhere, RowCount()) : -1;
}

int CDefListLogic::DropReorder(int target) {
  if (!reordering_) return -1;
  reordering_ = false;
  return target < 0 ? -1 : MoveBlock(dragFirst_, dragCount_, target);
}
