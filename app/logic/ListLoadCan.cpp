// The CANdb reader's flat signal table turned into CAN records of a list.
#include "ListLoad.h"

#include "CNumber.h"
#include "NameKey.h"
#include "TextFile.h"
#include "VestrelDoc.h"

#include <cstring>
#include <limits>
#include <new>
#include <string_view>
#include <utility>

#include "CanDB.h"
#include "DbcText.h"

namespace {

enum DbcLineKind { kOtherLine, kMessageLine, kSignalLine };

// Which statement the reader takes a line for; `rest` is then what follows
// the keyword.
DbcLineKind KindOfDbcLine(const char* line, const char*& rest) {
  const char* head = line;
  while (*head == ' ' || *head == '\t') ++head;
  for (auto [word, kind] : {std::pair{"SG_ ", kSignalLine}, std::pair{"BO_ ", kMessageLine}}) {
    if (std::memcmp(head, word, 4) == 0) {
      rest = head + 4;
      return kind;
    }
  }
  rest = line;
  std::string_view key;
  // A keyword alone on its line is no statement.
  if (!dbc::NextToken(rest, dbc::kLineSeps, key) || key.data()[key.size()] == '\0') return kOtherLine;
  if (key == "BO_") return kMessageLine;
  if (key == "SG_") return kSignalLine;
  return kOtherLine;
}

// Bytes that a name cut to its field keeps at least: the cut falls between
// whole characters, of one or two bytes.
constexpr std::size_t kFullName = MAX_NAME_LEN - 1;

// The reader keeps names of at most 32 bytes and stops at its capacity, so
// what it left out is read off the file itself, line by line as the reader
// takes them: every record past the `kept` it stored when it was `full` (a
// signal line, or the placeholder of a message without one) that would have
// become a row or been passed over for its identifier's bit 30, and the message and signal names longer than 32 bytes
// of the rows it made. False when the file cannot be read again; running out of memory throws.
bool CountDbcCuts(const std::string& path, int kept, bool full, LoadCuts& cuts) {
  std::string text;
  TextReadInfo read;
  if (!ReadTextFile(path, text, dbc::kReadSlack, &read)) {
    if (read.why == ReadFileError::NoMemory) throw std::bad_alloc();
    return false;
  }
  const std::size_t length = dbc::PadText(text);
  const long long limit = full ? kept : std::numeric_limits<long long>::max();
  long long records = 0;
  // The message part of the records, as the last message line left it.
  bool pending = false;
  bool independent = false;  // named VECTOR__INDEPENDENT_SIG_MSG: never a row
  bool bit30 = false;        // identifier bit 30 set: never a row
  bool longName = false;
  bool nameCounted = false;
  auto store = [&](bool longSignalName) {
    const bool row = !independent && !bit30;
    if (records++ >= limit) {
      // Beyond the table as well as within it, a message of bit 30 is told
      // as passed over.
      if (row) ++cuts.overLimit;
      else if (!independent) ++cuts.passedOver;
      return;
    }
    if (!row) return;
    if (longName && !nameCounted) {
      ++cuts.namesCut;
      nameCounted = true;
    }
    if (longSignalName) ++cuts.namesCut;
  };
  bool inString = false;
  dbc::ForEachLine(text.data(), text.data() + length, [&](char* line, char* lineEnd) {
    if (inString) {
      inString = dbc::StillInString(line, lineEnd, true);
      return true;
    }
    const char* p = line;
    std::string_view t;
    switch (KindOfDbcLine(line, p)) {
      case kMessageLine:
        if (pending) store(false);
        pending = false;
        bit30 = false;
        if (!dbc::NextLineToken(p, t)) break;
        bit30 = (dbc::LowBits(t.data()) & 0x40000000u) != 0;
        pending = true;
        if (!dbc::NextLineToken(p, t)) break;
        independent = t == "VECTOR__INDEPENDENT_SIG_MSG";
        longName = t.size() > MAX_NAME_LEN;
        nameCounted = false;
        break;
      case kSignalLine: {
        pending = false;
        while (*p == ' ' || *p == '\t') ++p;
        std::size_t n = 0;
        while (p[n] && p[n] != ' ' && p[n] != '\t' && p[n] != ':') ++n;
        store(n > MAX_NAME_LEN);
        break;
      }
      case kOtherLine:
        inString = dbc::StillInString(line, lineEnd, false);
        break;
    }
    return true;
  });
  if (pending) store(false);
  return true;
}

// The reader keeps every name, unit and multiplexor zero-filled behind its
// text and cut at a character boundary within 32 bytes: the whole field is
// what CopyToCharBuffer would make of it.
void CopyName(char (&dest)[MAX_NAME_LEN + 1], const char (&source)[CANDB_NAME_LEN + 1]) {
  static_assert(MAX_NAME_LEN == CANDB_NAME_LEN);
  std::memcpy(dest, source, sizeof dest);
}

}  // namespace

int LoadCanDbFile(CVestrelDoc& doc, int list, const std::string& path, LoadCuts* cuts) {
  CCanDB db(5000);
  int count = db.ReadDbcFile(path);
  if (count < 0) return IDS_MSG_LOAD_FAILED;
  // Only a full table or a name that fills its field can hide a cut; a
  // file without either is not read a second time.
  bool maybeCut = count >= db.GetCapacity();

  NameMap<_CANMsg>& table = doc.GetCanMsgTable(list);
  int loadNo = 0;
  // The records of one message come one after the other: its name is cut,
  // checked and upper-cased once, and its table entry found once. The entry
  // under a key can only change when that key was absent, so the message
  // found (or entered) for the last name still is the one the table holds.
  int lastNameIndex = -1;
  bool skipName = false;
  bool longMsgName = false;
  _CANMsg* lastMsg = nullptr;
  // The message line of the file that made the last row: a later line that
  // finds its message already in the table joins it.
  int lastMessageNumber = -1;
  // Counted here, not through `cuts`: a store through it in every pass
  // would keep the loop's other values from staying in registers.
  long long joined = 0;
  long long unitsCut = 0;
  long long passedOver = 0;
  char msgName[MAX_NAME_LEN + 1];
  char key[MAX_NAME_LEN + 1];
  std::string_view keyView;
  for (int i = 0; i < count; ++i) {
    int nameIndex = db.Record(i).messageNameIndex;
    if (i == 0 || nameIndex != lastNameIndex) {
      lastNameIndex = nameIndex;
      lastMsg = nullptr;
      CopyToCharBuffer(msgName, db.GetMessageName(i), MAX_NAME_LEN);
      skipName = std::strcmp(msgName, "VECTOR__INDEPENDENT_SIG_MSG") == 0;
      longMsgName = std::strlen(msgName) >= kFullName;
      keyView = NameKey(msgName, key);
    }
    if (skipName) continue;
    const _CANDbSignal& r = db.Record(i);
    const uint32_t identifier = static_cast<uint32_t>(r.identifier);
    if (identifier & 0x40000000u) {
      ++passedOver;
      continue;
    }

    // The name field is zero-filled behind its text, and a cut keeps whole
    // characters: a name cut to its field holds at least 31 bytes.
    if (longMsgName || r.name[kFullName - 1] != '\0') maybeCut = true;
    unitsCut += r.unitCut;
    _CANMsg* msg = lastMsg ? lastMsg : table.Find(keyView);
    bool isNew = msg == nullptr;
    joined += !isNew && r.messageNumber != lastMessageNumber;
    lastMessageNumber = r.messageNumber;
    if (isNew) {
      msg = RecordOrNoMemory(doc.AllocCanMsg());
      msg->id = static_cast<int32_t>(identifier & 0x7FFFFFFFu);
      msg->frameFormat = (identifier & 0x80000000u) ? FRAME_XTD : FRAME_STD;
      msg->byteCount = static_cast<uint16_t>(r.DLC);
      std::memcpy(msg->name, msgName, sizeof msgName);
      msg->j1939 = r.J1939;
    }
    _CANSignal* sig = doc.AllocCanSignal();
    if (!sig) {
      if (isNew) doc.FreeCanMsg(msg);
      throw std::bad_alloc();
    }
    sig->importError = 0;
    sig->byteOrder = r.byteOrder;
    sig->valueType = r.valueType;
    sig->factor = r.factor;
    sig->offset = r.offset;
    sig->minimum = r.minimum;
    sig->maximum = r.maximum;
    CopyName(sig->multiplexor, r.multiplexor);
    // The signal keeps its own copy of the text; the reader's goes with it.
    // A record from the pool has no text yet, so most signals need none.
    const char* muxValue = r.multiplexValue.Get();
    if (muxValue && *muxValue) {
      sig->multiplexValue = muxValue;
      if (!IsNumericMultiplexText(sig->multiplexValue)) sig->importError = 1;
    } else if (!sig->multiplexValue.empty()) {
      sig->multiplexValue.clear();
    }

    // Signals are measured against the message as read; the message itself
    // is cut to its largest size only after the loop.
    long long bits = static_cast<long long>(msg->byteCount) * 8;
    long long limit = msg->j1939 ? MAX_J1939_BITS : MAX_CAN_BITS;
    if (bits > limit) {
      bits = limit;
      sig->importError = 1;
    }
    int start = cnum::SaturateToInt(r.startBit);
    int length = cnum::SaturateToInt(r.bitLength);
    if (ClampSignalIntoMessage(static_cast<int>(bits), start, length)) sig->importError = 1;
    sig->startBit = start;
    sig->bitCount = length;
    CopyName(sig->name, r.name);
    CopyName(sig->unit, r.unit);
    sig->loadNo = loadNo++;

    // A later signal of the same name takes the entry; the one it displaces
    // goes back to its pool, and the table does not grow.
    const auto signalsBefore = msg->signals.GetCount();
    doc.AddCanSignal(msg, sig);
    if (cuts && msg->signals.GetCount() == signalsBefore) ++cuts->merged;
    // The table was just searched for this key and had no entry under it:
    // the message goes in as AddCanMsg would put it, without a second key.
    if (isNew) table.SetAt(keyView, msg);
    lastMsg = msg;
  }
  if (count == 0) return IDS_MSG_LOAD_FAILED;
  if (cuts) {
    cuts->messagesJoined += joined;
    cuts->namesCut += unitsCut;
    cuts->passedOver += passedOver;
    // A cut that cannot be counted is not passed over in silence.
    if (maybeCut && !CountDbcCuts(path, count, count >= db.GetCapacity(), *cuts)) return IDS_MSG_LOAD_FAILED;
    cuts->stoppedAtZero |= db.StoppedAtZero();
  }
  for (const auto& entry : table) {
    _CANMsg* msg = entry.value;
    int max = msg->j1939 ? MAX_J1939_BYTES : MAX_CAN_BYTES;
    if (msg->byteCount > max) msg->byteCount = max;
    if (msg->byteCount < 0) msg->byteCount = 0;
  }
  return 0;
}
