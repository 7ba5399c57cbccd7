// The CANdb reader's flat signal table turned into CAN records of a list.
#include "ListLoad.h"

#include "CNumber.h"
#include "TextFile.h"
#include "VestrelDoc.h"

#include <cstring>

#include "CanDB.h"

int LoadCanDbFile(CVestrelDoc& doc, int list, const std::string& path) {
  CCanDB db(5000);
  int count = db.ReadDbcFile(path);
  if (count < 0) return IDS_MSG_LOAD_FAILED;

  NameMap<_CANMsg>& table = doc.GetCanMsgTable(list);
  int loadNo = 0;
  for (int i = 0; i < count; ++i) {
    char msgName[MAX_NAME_LEN + 1];
    CopyToCharBuffer(msgName, db.GetMessageName(i), MAX_NAME_LEN);
    if (std::strcmp(msgName, "VECTOR__INDEPENDENT_SIG_MSG") == 0) continue;
    if (db.GetId(i) & 0x40000000) continue;

    std::string key = MakeUpperString(msgName);
    _CANMsg* msg = table.Find(key);
    bool isNew = msg == nullptr;
    if (isNew) {
      msg = doc.AllocCanMsg();
      if (!msg) continue;
      msg->id = db.GetId(i) & 0x7FFFFFFF;
      msg->frameFormat = db.IsExtended(i) ? FRAME_XTD : FRAME_STD;
      msg->byteCount = static_cast<uint16_t>(db.GetDlc(i));
      std::memcpy(msg->name, msgName, sizeof msgName);
      msg->j1939 = db.IsJ1939(i);
    }
    _CANSignal* sig = doc.AllocCanSignal();
    if (!sig) {
      if (isNew) doc.FreeCanMsg(msg);
      continue;
    }
    sig->importError = 0;
    sig->byteOrder = db.GetByteOrder(i);
    sig->valueType = db.GetValueType(i);
    sig->factor = db.GetFactor(i);
    sig->offset = db.GetOffset(i);
    sig->minimum = db.GetMinimum(i);
    sig->maximum = db.GetMaximum(i);
    CopyToCharBuffer(sig->multiplexor, db.GetMultiplexor(i), MAX_NAME_LEN);
    // The signal keeps its own copy of the text; the reader's goes with it.
    const char* muxValue = db.GetMultiplexValue(i);
    sig->multiplexValue = muxValue ? muxValue : "";
    if (!sig->multiplexValue.empty() && !IsNumericMultiplexText(sig->multiplexValue)) sig->importError = 1;

    // Signals are measured against the message as read; the message itself
    // is cut to its largest size only after the loop.
    long long bits = static_cast<long long>(msg->byteCount) * 8;
    long long limit = msg->j1939 ? MAX_J1939_BITS : MAX_CAN_BITS;
    if (bits > limit) {
      bits = limit;
      sig->importError = 1;
    }
    int start = cnum::SaturateToInt(db.GetStartBit(i));
    int length = cnum::SaturateToInt(db.GetBitLength(i));
    if (ClampSignalIntoMessage(static_cast<int>(bits), start, length)) sig->importError = 1;
    sig->startBit = start;
    sig->bitCount = length;
    CopyToCharBuffer(sig->name, db.GetSignalName(i), MAX_NAME_LEN);
    CopyToCharBuffer(sig->unit, db.GetUnit(i), MAX_NAME_LEN);
    sig->loadNo = loadNo++;

    // A later signal of the same name takes the entry; the one it displaces
    // goes back to its pool.
    doc.AddCanSignal(msg, sig);
    if (isNew) doc.AddCanMsg(msg, list);
  }
  if (count == 0) return IDS_MSG_LOAD_FAILED;
  for (const auto& entry : table) {
    _CANMsg* msg = entry.value;
    int max = msg->j1939 ? MAX_J1939_BYTES : MAX_CAN_BYTES;
    if (msg->byteCount > max) msg->byteCount = max;
    if (msg->byteCount < 0) msg->byteCount = 0;
  }
  return 0;
}
