#include "ListRows.h"

#include "MsgIds.h"
#include "NumberOrder.h"
#include "VestrelDoc.h"

#include <algorithm>
#include <charconv>

namespace {

const std::string kEmpty;

// "%d" and "%X" of a row's numbers. Integers print the same in every locale;
// to_chars spares each of the many rows of a large list the printf machinery.
std::string Decimal(int value) {
  char buf[16];
  const auto result = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, result.ptr);
}

std::string UpperHex(unsigned value) {
  char buf[16];
  const auto result = std::to_chars(buf, buf + sizeof buf, value, 16);
  for (char* p = buf; p < result.ptr; ++p)
    if (*p >= 'a' && *p <= 'f') *p = static_cast<char>(*p - 'a' + 'A');
  return std::string(buf, result.ptr);
}

// Column alignments and the hidden first column.
constexpr unsigned kLeft = 0;
constexpr unsigned kRight = 1;
constexpr ListColumnInfo kHidden = {0, kLeft, 0.0};

// The FlexRay set is a table of its own, with the same values as CAN and LIN.
const std::vector<ListColumnInfo> kCanLinColumns = {kHidden,
                                                    {IDS_COL_NUMBER, kRight, 0.1},
                                                    {IDS_COL_MESSAGE, kLeft, 0.4},
                                                    {IDS_COL_ID, kRight, 0.1},
                                                    {IDS_COL_SIGNAL, kLeft, 0.4}};
const std::vector<ListColumnInfo> kFlexRayColumns = {kHidden,
                                                     {IDS_COL_NUMBER, kRight, 0.1},
                                                     {IDS_COL_MESSAGE, kLeft, 0.4},
                                                     {IDS_COL_ID, kRight, 0.1},
                                                     {IDS_COL_SIGNAL, kLeft, 0.4}};
const std::vector<ListColumnInfo> kLogicColumns = {kHidden,
                                                   {IDS_COL_NUMBER, kRight, 0.07},
                                                   {IDS_COL_SYMBOL, kLeft, 0.35},
                                                   {IDS_COL_GROUP, kRight, 0.1},
                                                   {IDS_COL_BIT, kRight, 0.08},
                                                   {IDS_COL_PATTERN, kLeft, 0.4}};

// The last column stops short of the list's window by its frame.
constexpr int kListFrameWidth = 4;

}  // namespace

const std::string& ListRow::Cell(int column) const {
  if (column < 0 || static_cast<std::size_t>(column) >= cells.size()) return kEmpty;
  return cells[static_cast<std::size_t>(column)];
}

void ListRow::SetCell(int column, const std::string& text) {
  if (column < 0) return;
  if (static_cast<std::size_t>(column) >= cells.size()) cells.resize(static_cast<std::size_t>(column) + 1);
  cells[static_cast<std::size_t>(column)] = text;
}

const std::vector<ListColumnInfo>& ListColumns(int busKind) {
  switch (busKind) {
    case BUS_LOGIC:
      return kLogicColumns;
    case BUS_FLEXRAY:
      return kFlexRayColumns;
    default:
      return kCanLinColumns;
  }
}

int ListColumnWidth(int busKind, int windowWidth, int column) {
  const auto& columns = ListColumns(busKind);
  const auto count = static_cast<int>(columns.size());
  if (column < 0 || column >= count) return 0;
  auto share = [&](int c) { return static_cast<int>(windowWidth * columns[static_cast<std::size_t>(c)].width); };
  if (column + 1 < count) return share(column);
  int sum = 0;
  for (int c = 0; c + 1 < count; ++c) sum += share(c);
  return windowWidth - kListFrameWidth - sum;
}

std::vector<int> ListColumnWidths(int busKind, int windowWidth) {
  std::vector<int> widths(ListColumns(busKind).size(), 0);
  for (std::size_t i = 0; i < widths.size(); ++i)
    widths[i] = ListColumnWidth(busKind, windowWidth, static_cast<int>(i));
  return widths;
}

std::string FormatMsgId(long long id, int msgIdFormat) {
  // The records hold identifiers as 32-bit fields; show them as the C runtime
  // would print that field.
  if (msgIdFormat == 1) return UpperHex(static_cast<unsigned>(id));
  return Decimal(static_cast<int>(id));
}

void RenumberRows(ListRows& rows, int firstRow) {
  if (firstRow < 0) firstRow = 0;
  for (std::size_t i = static_cast<std::size_t>(firstRow); i < rows.size(); ++i)
    rows[i].SetCell(COL_NUMBER, Decimal(static_cast<int>(i) + 1));
}

namespace {

ListRow MessageRow(int rowIndex, const char* msgName, long long id, const char* signalName, int msgIdFormat) {
  ListRow row;
  row.cells.resize(5);
  row.cells[COL_NUMBER] = Decimal(rowIndex + 1);
  row.cells[COL_MESSAGE] = msgName;
  row.cells[COL_ID] = FormatMsgId(id, msgIdFormat);
  row.cells[COL_SIGNAL] = signalName ? signalName : "";
  return row;
}

// The rows of a message table's signals in the order of their numbers (see
// OrderByNumber): CAN and LIN by load number, FlexRay by row place.
template <class Msg, class Sig, class MakeRow>
void AppendByNumber(const NameMap<Msg>& table, int32_t Sig::*numberOf, ListRows& rows, MakeRow makeRow) {
  struct Item {
    const Msg* msg;
    const char* signalName;
    int number;
  };
  std::vector<Item> items;
  for (const auto& m : table)
    for (const auto& s : m.value->signals) items.push_back({m.value, s.value->name, s.value->*numberOf});
  OrderByNumber(items);
  rows.reserve(rows.size() + items.size());
  for (const Item& item : items) rows.push_back(makeRow(static_cast<int>(rows.size()), *item.msg, item.signalName));
}

}  // namespace

ListRow MakeCanRow(int rowIndex, const _CANMsg& msg, const char* signalName, int msgIdFormat) {
  return MessageRow(rowIndex, msg.name, msg.id, signalName, msgIdFormat);
}

ListRow MakeFlexRayRow(int rowIndex, const _FlexRayMsg& msg, const char* signalName, int msgIdFormat) {
  return MessageRow(rowIndex, msg.name, msg.slotId, signalName, msgIdFormat);
}

ListRow MakeLinRow(int rowIndex, const _LINMsg& msg, const char* signalName, int msgIdFormat) {
  return MessageRow(rowIndex, msg.name, msg.id, signalName, msgIdFormat);
}

ListRow MakeLogicRow(int rowIndex, const _LOGICGroup& group, const _LOGICSignal& symbol) {
  ListRow row;
  row.cells.resize(6);
  row.cells[COL_NUMBER] = Decimal(rowIndex + 1);
  row.cells[COL_SYMBOL] = symbol.name;
  row.cells[COL_GROUP] = Decimal(group.index + 1);
  row.cells[COL_BITS] = Decimal(group.bitCount);
  row.cells[COL_PATTERN] = symbol.pattern;
  return row;
}

ListRows BuildListRows(const CVestrelDoc& doc, ListKind list, BusKind bus, int msgIdFormat) {
  ListRows rows;
  if (list != LIST_REFERENCE && list != LIST_DEFINITION) return rows;
  switch (bus) {
    case BUS_CAN:
      AppendByNumber(doc.GetCanMsgTable(list), &_CANSignal::loadNo, rows,
                     [&](int i, const _CANMsg& m, const char* s) { return MakeCanRow(i, m, s, msgIdFormat); });
      break;
    case BUS_LIN:
      AppendByNumber(doc.GetLinMsgTable(list), &_LINSignal::loadNo, rows,
                     [&](int i, const _LINMsg& m, const char* s) { return MakeLinRow(i, m, s, msgIdFormat); });
      break;
    case BUS_FLEXRAY:
      AppendByNumber(doc.GetFlexRayMsgTable(list), &_FlexRaySignal::orderNo, rows,
                     [&](int i, const _FlexRayMsg& m, const char* s) { return MakeFlexRayRow(i, m, s, msgIdFormat); });
      break;
    case BUS_LOGIC: {
      struct Item {
        const _LOGICGroup* group;
        const _LOGICSignal* symbol;
        int number;
      };
      std::vector<Item> items;
      for (int g = 0; g < LOGIC_GROUP_COUNT; ++g) {
        const _LOGICGroup* group = doc.GetLogicGroup(list, g);
        if (!group) continue;
        for (const auto& s : group->symbols) items.push_back({group, s.value, s.value->orderNo});
      }
      OrderByNumber(items);
      rows.reserve(items.size());
      for (const Item& item : items)
        rows.push_back(MakeLogicRow(static_cast<int>(rows.size()), *item.group, *item.symbol));
      break;
    }
  }
  return rows;
}

std::vector<int> SortedSelection(const std::vector<int>& selection, std::size_t rowCount) {
  std::vector<int> sel;
  for (int s : selection)
    if (s >= 0 && static_cast<std::size_t>(s) < rowCount) sel.push_back(s);
  std::sort(sel.begin(), sel.end());
  sel.erase(std::unique(sel.begin(), sel.end()), sel.end());
  return sel;
}
