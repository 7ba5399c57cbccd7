// The LIN description file's flat output turned into LIN records of a list.
#include "ListLoad.h"

#include "TextFile.h"
#include "VestrelDoc.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "LdfParser.h"

int LoadLdfFile(CVestrelDoc& doc, int list, const std::string& path, LoadCuts* cuts) {
  CLdfParser parser;
  if (parser.Parse(path) < 1 || parser.OutputSignalCount() < 1)
    return parser.RanOutOfMemory() ? IDS_MSG_NO_MEMORY : IDS_MSG_LOAD_FAILED;
  if (cuts) {
    cuts->overLimit += parser.LeftOutCount();
    cuts->stoppedAtZero |= parser.CutAtZero();
  }
  ConvertLdfOutput(doc, list, parser.OutputFrames(), parser.OutputSignals(), cuts);
  return 0;
}

void ConvertLdfOutput(CVestrelDoc& doc, int list, const std::vector<LdfOutFrame>& frames,
                      const std::vector<LdfOutSignal>& signals, LoadCuts* cuts) {
  LoadCuts unused;
  LoadCuts& left = cuts ? *cuts : unused;
  NameMap<_LINMsg>& table = doc.GetLinMsgTable(list);
  // A frame name cut to its field is counted once, not once per signal.
  std::vector<bool> frameCounted(frames.size(), false);
  // Frames that made a row: the first row of another frame that finds its
  // message in the table joins that frame's message.
  std::vector<bool> frameHasRow(frames.size(), false);
  int loadNo = 0;
  for (const LdfOutSignal& out : signals) {
    if (out.frameIndex < 0 || static_cast<std::size_t>(out.frameIndex) >= frames.size()) continue;
    const LdfOutFrame& frame = frames[static_cast<std::size_t>(out.frameIndex)];

    char frameName[MAX_NAME_LEN + 1];
    CopyToCharBuffer(frameName, frame.name, MAX_NAME_LEN);
    if (frame.name.size() > MAX_NAME_LEN && !frameCounted[static_cast<std::size_t>(out.frameIndex)]) {
      frameCounted[static_cast<std::size_t>(out.frameIndex)] = true;
      ++left.namesCut;
    }
    std::string key = MakeUpperString(frameName);
    _LINMsg* msg = table.Find(key);
    bool isNew = msg == nullptr;
    if (!frameHasRow[static_cast<std::size_t>(out.frameIndex)]) {
      frameHasRow[static_cast<std::size_t>(out.frameIndex)] = true;
      if (!isNew) ++left.messagesJoined;
    }
    if (isNew) {
      msg = RecordOrNoMemory(doc.AllocLinMsg());
      msg->id = static_cast<uint32_t>(frame.id);
      // Clamped before the one-byte field takes it: 256 would otherwise become 0.
      msg->byteCount = static_cast<uint8_t>(std::clamp(frame.length, 0, 255));
      msg->checksum = frame.enhanced ? CHECKSUM_ENHANCED : CHECKSUM_CLASSIC;
      std::memcpy(msg->name, frameName, sizeof frameName);
    }
    _LINSignal* sig = doc.AllocLinSignal();
    if (!sig) {
      if (isNew) doc.FreeLinMsg(msg);
      throw std::bad_alloc();
    }
    sig->importError = 0;
    sig->byteOrder = BYTEORDER_LITTLE;
    sig->valueType = VALTYPE_UNSIGNED;
    sig->factor = out.factor;
    sig->offset = out.offset;
    sig->minimum = out.minimum;
    sig->maximum = out.maximum;

    int bits = msg->byteCount * 8;
    if (bits > 64) {
      bits = 64;
      sig->importError = 1;
    }
    int start = out.startBit, count = out.bitSize;
    if (ClampSignalIntoMessage(bits, start, count)) sig->importError = 1;
    sig->startBit = start;
    sig->bitCount = count;
    if (out.name.size() > MAX_NAME_LEN) ++left.namesCut;
    CopyToCharBuffer(sig->name, out.name, MAX_NAME_LEN);
    CopyToCharBuffer(sig->unit, out.unit, MAX_NAME_LEN);
    sig->loadNo = loadNo++;

    // A later signal of the same name takes the entry; the one it displaces
    // goes back to its pool.
    if (msg->signals.Contains(MakeUpperString(sig->name))) ++left.merged;
    doc.AddLinSignal(msg, sig);
    if (isNew) doc.AddLinMsg(msg, list);
  }
  for (const auto& entry : table)
    if (entry.value->byteCount > MAX_LIN_BYTES) entry.value->byteCount = MAX_LIN_BYTES;
}
