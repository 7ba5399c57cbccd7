#include "FibexImport.h"

#include "CodePage.h"
#include "FibexBuild.h"
#include "FibexParse.h"
#include "TextFile.h"
#include "VestrelDoc.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <cstring>
#include <new>
#include <vector>

std::string FibexTextToCp932(const std::string& utf8) {
  bool ascii = true;
  for (unsigned char c : utf8)
    if (c >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) return utf8;
  std::string out;
  if (cp932::FromUtf8(utf8, out)) return out;
  // Character by character, so one character without a CP932 form costs
  // only itself.
  out.clear();
  std::size_t i = 0;
  while (i < utf8.size()) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    std::size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
    if (i + len > utf8.size()) len = 1;
    std::string piece;
    if (len == 1 && c < 0x80) out += static_cast<char>(c);
    else if (cp932::FromUtf8(std::string_view(utf8).substr(i, len), piece)) out += piece;
    else out += '?';
    i += len;
  }
  return out;
}

void SanitizeSymbolName(char* target, const std::string& source, int maxLength) {
  if (!target || maxLength < 0) return;
  std::memset(target, 0, static_cast<std::size_t>(maxLength) + 1);
  int n = 0;
  for (char ch : source) {
    if (n >= maxLength) break;
    bool keep = (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == '%' ||
                ch == '_' || ch == '(' || ch == ')' || ch == '-' || ch == '/';
    if (keep) target[n++] = ch;
  }
}

int StoreFibexFrames(CVestrelDoc& doc, const FibexOutput& output, FibexLeftOut* leftOut) {
  FibexLeftOut unused;
  FibexLeftOut& left = leftOut ? *leftOut : unused;
  // A name longer than its field is cut; said once per name.
  auto copyName = [&left](char* field, const std::string& utf8) {
    std::string text = FibexTextToCp932(utf8);
    if (text.size() > MAX_NAME_LEN) ++left.namesCut;
    CopyToCharBuffer(field, text, MAX_NAME_LEN);
  };
  const std::size_t frames =
      std::min<std::size_t>({output.frameCount, output.frames.size(), std::size_t{MAX_FIBEX_ITEMS}});
  const std::size_t signals =
      std::min<std::size_t>({output.signalCount, output.signals.size(), std::size_t{MAX_FIBEX_ITEMS}});
  // Output beyond the tables (none as the build makes it) counts a row per
  // frame and per signal.
  left.rows += static_cast<long long>(output.rowsLeftOut) + static_cast<long long>(output.frames.size() - frames) +
               static_cast<long long>(output.signals.size() - signals);

  // The signals of each frame, in output order.
  std::vector<std::vector<std::size_t>> byFrame(frames);
  for (std::size_t s = 0; s < signals; ++s) {
    int f = output.signals[s].frameIndex;
    if (f >= 0 && static_cast<std::size_t>(f) < frames) byFrame[static_cast<std::size_t>(f)].push_back(s);
  }

  for (std::size_t f = 0; f < frames; ++f) {
    const FibexOutFrame& of = output.frames[f];
    _FlexRayMsg* msg = RecordOrNoMemory(doc.AllocFlexRayMsg());
    const std::string name = FibexTextToCp932(of.name);
    CopyToCharBuffer(msg->name, name, MAX_NAME_LEN);
    msg->frameFormat = FRAME_STD;
    msg->slotId = of.slotId;
    msg->byteCount = static_cast<std::uint8_t>(std::clamp(of.byteCount, 0, MAX_FLEXRAY_BYTES));
    msg->baseCycle = static_cast<std::uint16_t>(std::clamp(of.baseCycle, 0, 65535));
    msg->cycleRepetition = static_cast<std::uint16_t>(std::clamp(of.cycleRepetition, 0, 65535));
    // A frame whose name an earlier one holds is left out with its rows and
    // told once in the load's notice, not with a box of its own.
    char key[sizeof msg->name];
    if (doc.GetFlexRayMsgTable(LIST_REFERENCE).Contains(NameKey(msg->name, key))) {
      doc.FreeFlexRayMsg(msg);
      ++left.sharedName;
      left.sharedNameRows += static_cast<long long>(std::max<std::size_t>(byFrame[f].size(), 1));
      continue;
    }
    if (name.size() > MAX_NAME_LEN) ++left.namesCut;
    int added = 0;
    doc.AddFlexRayMsg(msg, LIST_REFERENCE, &added);
    if (!added) continue;  // the document has shown why and taken the record back

    for (std::size_t s : byFrame[f]) {
      const FibexOutSignal& os = output.signals[s];
      _FlexRaySignal* sig = RecordOrNoMemory(doc.AllocFlexRaySignal());
      copyName(sig->name, os.name);
      copyName(sig->unit, os.unit);
      sig->bitOrder = os.bitOrder;
      sig->startBit = os.startBit;
      sig->bitCount = os.bitCount;
      sig->byteOrder = os.byteOrder;
      sig->valueType = os.valueType;
      sig->factor = os.factor;
      sig->offset = os.offset;
      sig->minimum = os.minimum;
      sig->maximum = os.maximum;
      sig->identicalCoding = os.warning;
      sig->importError = os.error;
      if (msg->signals.Contains(MakeUpperString(sig->name))) ++left.merged;
      doc.AddFlexRaySignal(msg, sig);
    }
    if (byFrame[f].empty()) {
      msg->byteCount = 0;
      _FlexRaySignal* sig = RecordOrNoMemory(doc.AllocFlexRaySignal());
      SanitizeSymbolName(sig->name, "NoName", MAX_NAME_LEN);
      sig->bitOrder = 0;
      sig->byteOrder = 0;
      sig->valueType = 0;
      sig->startBit = 0;
      sig->bitCount = 0;
      sig->unit[0] = '\0';
      sig->factor = 1.0;
      sig->offset = 0.0;
      sig->minimum = -1e30;
      sig->maximum = 1e30;
      sig->identicalCoding = 1;
      sig->importError = 0;
      doc.AddFlexRaySignal(msg, sig);
    }
  }
  return 0;
}

// Elements of one kind nested inside each other make every ancestor walk its
// descendants again. No real file nests the kinds the parsers read; a file
// that nests one of them more than kMaxSameKindNesting deep is refused, which
// bounds the walks of the parsers to (kMaxSameKindNesting + 1) visits of each
// element per kind, so at most 55 visits per element over the 11 kinds below,
// and the element lists to the memory cap of the view (kXmlMaxCachedNodes).
constexpr std::size_t kMaxSameKindNesting = 4;
constexpr std::string_view kWalkedKinds[] = {"fx:CLUSTER",
                                             "fx:CHANNEL",
                                             "fx:ECU",
                                             "fx:FRAME",
                                             "fx:SIGNAL",
                                             "ho:UNIT",
                                             "fx:CODING",
                                             "fx:SIGNAL-GROUP",
                                             "fx:FRAME-TRIGGERINGS",
                                             "fx:FRAME-TRIGGERING",
                                             "fx:SIGNAL-INSTANCE"};

namespace {

// Whether any cluster of the file is a FlexRay cluster: among the clusters
// the table holds, or, when a capacity left elements unread, among all.
bool HoldsFlexRayCluster(const FibexModel& m) {
  if (m.outline)
    return std::find(m.outline->flexRayClusters.begin(), m.outline->flexRayClusters.end(), true) !=
           m.outline->flexRayClusters.end();
  const std::size_t clusters = std::min<std::size_t>(m.clusters.size(), m.clusterCount);
  return std::any_of(m.clusters.begin(), m.clusters.begin() + static_cast<std::ptrdiff_t>(clusters),
                     [](const FibexCluster& c) { return IsFibexFlexRayProtocol(c.protocol); });
}

}  // namespace

int ParseFibexDocument(XmlDomDocument& xml, FibexModel& model, CVestrelDoc& doc, FibexLeftOut* leftOut) {
  XmlDomNode root = xml.get_documentElement();
  if (root.IsNull() || root.get_baseName() != "FIBEX") return FIBEX_FAILED;
  if (xml.MaxSameNameNesting(kWalkedKinds, std::size(kWalkedKinds)) > kMaxSameKindNesting) return FIBEX_FAILED;
  // One walk over the whole document finds every element kind the parsers read.
  root.PrepareElementsByTagName(
      {"fx:CLUSTER", "fx:CHANNEL", "fx:ECU", "fx:FRAME", "fx:SIGNAL", "ho:UNIT", "fx:CODING", "fx:SIGNAL-GROUP"});

  if (ParseFibexClusters(xml, model) != 0) return FIBEX_FAILED;
  if (ParseFibexChannels(xml, model) != 0) return FIBEX_FAILED;
  if (ParseFibexEcus(xml, model) != 0) return FIBEX_FAILED;
  if (ParseFibexFrames(xml, model) != 0) return FIBEX_FAILED;
  if (model.clusterCount == 0 || model.channelCount == 0 || model.frameCount == 0) return FIBEX_FAILED;
  if (ParseFibexSignals(xml, model) != 0) return FIBEX_FAILED;
  if (ParseFibexUnits(xml, model) != 0) return FIBEX_FAILED;
  if (ParseFibexCodings(xml, model) != 0) return FIBEX_FAILED;
  if (ParseFibexSignalGroups(xml, model) != 0) return FIBEX_FAILED;
  // What the tables could not hold is still told, and never built upon.
  if (model.capacityReached) OutlineFibexFile(root, model);
  // A file of other buses only (a CAN cluster, say) holds nothing for the
  // FlexRay list: said so, rather than shown as an empty list.
  if (!HoldsFlexRayCluster(model)) return FIBEX_NO_FLEXRAY;

  BuildFibexFrames(model);
  try {
    FibexLeftOut left;
    StoreFibexFrames(doc, *model.output, &left);
    if (leftOut) *leftOut = left;
  } catch (...) {
    // The caller emptied the reference list before the import; running out
    // of memory part-way through the store must not leave half a file there.
    doc.ClearFlexRayList(LIST_REFERENCE);
    throw;
  }
  return FIBEX_OK;
}

int ImportFibexFile(CVestrelDoc& doc, std::string path, void* reserved, int list, FibexLeftOut* leftOut) {
  (void)reserved;
  if (list != LIST_REFERENCE) return FIBEX_OK;

  FibexModel model;
  ResetFibexModel(model);
  std::unique_ptr<XmlDomDocument> xml;
  bool loaded = false;
  TakeXmlEngineOutOfMemory();
  try {
    xml = CreateXmlDomDocument();
    if (!xml) return FIBEX_EXCEPTION;  // no engine: nothing can be loaded
    xml->put_async(false);
    xml->put_validateOnParse(false);
    xml->put_resolveExternals(false);
    loaded = xml->load(path);
  } catch (const std::bad_alloc&) {
    return FIBEX_NO_MEMORY;
  } catch (const std::exception&) {
    // XmlDomError from the engine, which may itself have run out of memory.
    return TakeXmlEngineOutOfMemory() ? FIBEX_NO_MEMORY : FIBEX_EXCEPTION;
  }
  // Whatever the engine made of it, a file read without memory is no file.
  if (TakeXmlEngineOutOfMemory()) return FIBEX_NO_MEMORY;
  if (!loaded) {
    if (xml->HadTooManyNames()) return FIBEX_TOO_MANY_NAMES;
    return xml->HadTooManyNamespaces() ? FIBEX_TOO_MANY_NAMESPACES : FIBEX_FAILED;
  }

  int result;
  try {
    result = ParseFibexDocument(*xml, model, doc, leftOut);
  } catch (const XmlDomLimitError&) {
    // The file is at fault, not the engine.
    result = FIBEX_TOO_MANY_ELEMENTS;
  } catch (const std::bad_alloc&) {
    result = FIBEX_NO_MEMORY;
  } catch (const std::exception&) {
    // The reader reports by result, never by exception.
    result = FIBEX_EXCEPTION;
  }
  // A walk without memory may have missed elements that are there: what it
  // stored goes, as on any failure.
  if (TakeXmlEngineOutOfMemory()) {
    if (result == FIBEX_OK) doc.ClearFlexRayList(LIST_REFERENCE);
    result = FIBEX_NO_MEMORY;
  }
  FreeFibexModel(model);
  return result;
}
