// Every field of the records, one line each, to tell a record an action left
// as it was from one it rewrote: the tests compare a message or a list before
// and after OK, the fuzz targets whole documents.
#pragma once

#include <charconv>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "VestrelDoc.h"

namespace vrtest {

// Every field of every record of one list, one line each, in table order:
// two pictures differ exactly when a record, a key or the order changed.
class Picture {
 public:
  Picture() = default;
  // One record, under its own name.
  template <class Record>
  static Picture Of(const Record& r) {
    Picture p;
    p.Add(r.name, r);
    return p;
  }
  Picture(const CVestrelDoc& doc, int list) {
    const std::string L = list == LIST_REFERENCE ? "reference" : "definition";
    for (const auto& m : doc.GetCanMsgTable(list)) Add(L + " CAN [" + m.key + "]", *m.value);
    for (const auto& m : doc.GetFlexRayMsgTable(list)) Add(L + " FlexRay [" + m.key + "]", *m.value);
    for (const auto& m : doc.GetLinMsgTable(list)) Add(L + " LIN [" + m.key + "]", *m.value);
    for (int g = 0; g < LOGIC_GROUP_COUNT; ++g)
      Add(L + " LOGIC group " + std::to_string(g), *doc.GetLogicGroup(list, g));
  }

  // One message with its signals, or one group with its symbols.
  void Add(const std::string& at, const _CANMsg& r) {
    Add(at, "name", r.name);
    Add(at, "frameFormat", r.frameFormat);
    Add(at, "byteCount", r.byteCount);
    Add(at, "id", r.id);
    Add(at, "j1939", r.j1939);
    Add(at, "frameType", r.frameType);
    for (const auto& s : r.signals) {
      const std::string sat = at + " [" + s.key + "]";
      Head(sat, *s.value);
      Add(sat, "loadNo", s.value->loadNo);
      Add(sat, "multiplexor", s.value->multiplexor);
      Add(sat, "multiplexValue", s.value->multiplexValue);
    }
  }
  void Add(const std::string& at, const _FlexRayMsg& r) {
    Add(at, "name", r.name);
    Add(at, "frameFormat", r.frameFormat);
    Add(at, "byteCount", r.byteCount);
    Add(at, "slotId", r.slotId);
    Add(at, "baseCycle", r.baseCycle);
    Add(at, "cycleRepetition", r.cycleRepetition);
    for (const auto& s : r.signals) Head(at + " [" + s.key + "]", *s.value);
  }
  void Add(const std::string& at, const _LINMsg& r) {
    Add(at, "name", r.name);
    Add(at, "checksum", r.checksum);
    Add(at, "byteCount", r.byteCount);
    Add(at, "id", r.id);
    for (const auto& s : r.signals) {
      const std::string sat = at + " [" + s.key + "]";
      Head(sat, *s.value);
      Add(sat, "loadNo", s.value->loadNo);
    }
  }
  void Add(const std::string& at, const _LOGICGroup& group) {
    Add(at, "name", group.name);
    Add(at, "index", group.index);
    Add(at, "bitCount", group.bitCount);
    for (const auto& s : group.symbols) {
      Add(at + " [" + s.key + "]", "name", s.value->name);
      Add(at + " [" + s.key + "]", "pattern", s.value->pattern);
    }
  }

  bool operator==(const Picture& other) const { return starts_ == other.starts_ && text_ == other.text_; }
  bool operator!=(const Picture& other) const { return !(*this == other); }

  // The lines that differ, "was" against "now" (at most `most` pairs; past
  // a line that one side lacks, the rest is not compared); empty when none.
  std::string Differences(const Picture& now, std::size_t most = 8) const {
    std::string out;
    std::size_t shown = 0;
    const std::size_t count = starts_.size(), nowCount = now.starts_.size();
    for (std::size_t i = 0; i < count || i < nowCount; ++i) {
      const bool both = i < count && i < nowCount;
      if (both && Line(i) == now.Line(i)) continue;
      if (shown++ == most) break;
      out.append("was: ").append(i < count ? Line(i) : "(nothing more)").append("\n");
      out.append("now: ").append(i < nowCount ? now.Line(i) : "(nothing more)").append("\n");
      if (!both || count != nowCount) break;
    }
    return out;
  }

 private:
  // The lines are kept end to end in one text, each with its start: the
  // fuzz targets picture whole documents many times per input, and one
  // allocation per line would cost most of their time.
  std::string_view Line(std::size_t i) const {
    const std::size_t end = i + 1 < starts_.size() ? starts_[i + 1] - 1 : text_.size() - 1;
    return std::string_view(text_).substr(starts_[i], end - starts_[i]);
  }
  void Add(std::string_view at, const char* field, std::string_view value) {
    starts_.push_back(text_.size());
    text_.append(at).append(" ").append(field).append("=\"").append(value).append("\"\n");
  }
  void Add(std::string_view at, const char* field, long long value) {
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    Add(at, field, std::string_view(text, static_cast<std::size_t>(end - text)));
  }
  // The shortest text that reads back as the same double.
  void Add(std::string_view at, const char* field, double value) {
    char text[40];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    Add(at, field, std::string_view(text, static_cast<std::size_t>(end - text)));
  }
  template <class Int, std::enable_if_t<std::is_integral_v<Int>, int> = 0>
  void Add(std::string_view at, const char* field, Int value) {
    Add(at, field, static_cast<long long>(value));
  }
  void Add(std::string_view at, const char* field, const char* value) { Add(at, field, std::string_view(value)); }
  void Head(std::string_view at, const _SignalHead& s) {
    Add(at, "name", s.name);
    Add(at, "bitOrder", s.bitOrder);
    Add(at, "byteOrder", s.byteOrder);
    Add(at, "valueType", s.valueType);
    Add(at, "startBit", s.startBit);
    Add(at, "bitCount", s.bitCount);
    Add(at, "unit", s.unit);
    Add(at, "identicalCoding", s.identicalCoding);
    Add(at, "importError", s.importError);
    Add(at, "factor", s.factor);
    Add(at, "offset", s.offset);
    Add(at, "minimum", s.minimum);
    Add(at, "maximum", s.maximum);
  }

  std::string text_;
  std::vector<std::size_t> starts_;
};

// Both lists.
struct DocPicture {
  explicit DocPicture(const CVestrelDoc& doc) : ref(doc, LIST_REFERENCE), def(doc, LIST_DEFINITION) {}
  Picture ref;
  Picture def;
};

}  // namespace vrtest
