#include "LdfParser.h"

#include <algorithm>

#include "CNumber.h"
#include "LdfReader.h"
#include "MessageBox.h"
#include "MsgIds.h"

#include <climits>
#include <new>

namespace {

// Frame identifiers 60..63 are reserved for diagnostics and user extensions.
constexpr long long kMaxFrameId = 59;
constexpr long long kMaxFrameBytes = 8;
constexpr long long kMaxBitOffset = 63;
constexpr long long kMaxRawValue = 65535;
constexpr std::size_t kMaxUnitLength = 32;

bool EqualsNoCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return i == a.size() && b[i] == '\0';
}

// An integer as the sections write it: decimal, or hexadecimal behind "0x" or
// "0X". Text without digits reads as 0, and values saturate, so every read
// gives a defined number for the range checks to judge.
long long ToInteger(const std::string& token) {
  if (token.size() >= 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
    const char* digits = token.c_str() + 2;
    char* end = nullptr;
    unsigned long long v = cnum::Strtoull(digits, &end, 16);
    if (end == digits) return 0;
    return v > static_cast<unsigned long long>(LLONG_MAX) ? LLONG_MAX : static_cast<long long>(v);
  }
  return cnum::Strtoll(token.c_str(), nullptr, 10);
}

// Sizes the Signals section accepts: 1 to 16 bits, or whole bytes up to 64 bits.
bool IsValidSignalSize(long long size) {
  return (size >= 1 && size <= 16) || (size >= 0 && size % 8 == 0 && size <= 71);
}

// Enhanced checksum from LIN 2.0 on. Versions of the standards that took
// LIN over name the standard instead of a number ("ISO17987:2015",
// "J2602_1_1.0") and use the enhanced checksum too.
bool UsesEnhancedChecksum(const std::string& version) {
  if (cnum::Atof(version.c_str()) >= 2.0) return true;
  std::string key;
  for (char c : version) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) key.push_back(c);
  }
  return key.rfind("ISO17987", 0) == 0 || key.rfind("J2602", 0) == 0 || key.rfind("SAEJ2602", 0) == 0;
}

}  // namespace

CLdfParser::CLdfParser() = default;
CLdfParser::~CLdfParser() = default;

void CLdfParser::Reset() {
  version_.clear();
  signalCount_ = 0;
  signals_.clear();
  frameCount_ = 0;
  frames_.clear();
  encodingCount_ = 0;
  encodings_.clear();
  representationCount_ = 0;
  outFrames_.clear();
  outSignals_.clear();
  error_ = false;
  outOfMemory_ = false;
  cutAtZero_ = false;
}

int CLdfParser::Fail() {
  error_ = true;
  return kStop;
}

int CLdfParser::FailEntry() {
  error_ = true;
  return -1;
}

int CLdfParser::Parse(const std::string& path) {
  Reset();
  try {
    CLdfReader reader;
    if (reader.Open(path) < 0) return -1;

    int state = kHeader;
    for (;;) {
      int next = kStop;
      switch (state) {
        case kHeader:
          next = ParseHeader(reader);
          break;
        case kProtocolVersion:
          next = ParseProtocolVersion(reader);
          break;
        case kSignals:
          next = ParseSignals(reader);
          break;
        case kFrames:
          next = ParseFrames(reader);
          break;
        case kEncodingTypes:
          next = ParseEncodingTypes(reader);
          break;
        case kRepresentations:
          next = ParseRepresentations(reader);
          break;
        default:
          break;
      }
      if (next == kStay) continue;
      if (next == kStop) break;
      state = next;
    }
    // Lines count from 1: an empty file is reported at its first line.
    const int line = std::max(reader.LineNumber(), 1);
    cutAtZero_ = reader.CutAtZero();
    reader.Close();

    if (error_ || state == kHeader) {
      error_ = true;
      ShowMessage(IDS_MSG_LDF_SYNTAX, {MsgArg(line)});
      return -1;
    }
    return BuildOutput();
  } catch (const std::bad_alloc&) {
    // A file too large for memory could not be read; the caller hears why.
    outFrames_.clear();
    outSignals_.clear();
    outOfMemory_ = true;
    return -1;
  }
}

int CLdfParser::ParseHeader(CLdfReader& reader) {
  std::string t;
  if (reader.ReadToken(t) < 0) return Fail();
  if (!EqualsNoCase(t, "LIN_description_file")) return kStay;
  if (reader.ReadToken(t) < 0 || t != ";") return Fail();
  return kProtocolVersion;
}

int CLdfParser::ParseProtocolVersion(CLdfReader& reader) {
  std::string t;
  if (reader.ReadToken(t) < 0) return Fail();
  if (t != "LIN_protocol_version") return kStay;
  if (reader.ReadToken(t) < 0 || t != "=") return Fail();
  if (reader.ReadToken(t) < 0) return Fail();
  if (t == "\"") {
    std::string text;
    if (reader.ReadUntil(text, '"') < 0 || text.empty()) return Fail();
    if (reader.ReadToken(t) < 0 || t != "\"") return Fail();
    if (reader.ReadToken(t) < 0 || t != ";") return Fail();
    version_ = text;
  } else {
    // Unquoted: "2.1" arrives as the word "2" and the raw text ".1".
    std::string rest;
    if (reader.ReadUntil(rest, ';') < 0) return Fail();
    version_ = t + rest;
    if (reader.ReadToken(t) < 0 || t != ";") return Fail();
  }
  return kSignals;
}

int CLdfParser::ParseSignals(CLdfReader& reader) {
  std::string t;
  if (reader.ReadToken(t) < 0) return Fail();
  if (t != "Signals") return kStay;
  if (reader.ReadToken(t) < 0 || t != "{") return Fail();
  for (;;) {
    if (reader.ReadToken(t) < 0) return Fail();
    if (t == "}") return signalCount_ == 0 ? Fail() : kFrames;
    std::string name = t;
    if (reader.ReadToken(t) < 0 || t != ":") return Fail();
    if (reader.ReadToken(t) < 0) return Fail();
    const long long size = ToInteger(t);
    if (!IsValidSignalSize(size)) return Fail();
    // Initial value, publisher and subscribers are not needed.
    do {
      if (reader.ReadToken(t) < 0) return Fail();
    } while (t != ";");
    _Ldf_Signal& signal = signals_[name];
    signal.name = name;
    signal.bitSize = static_cast<int>(size);
    signal.encodingName.clear();
    if (signalCount_ < INT_MAX) ++signalCount_;
  }
}

int CLdfParser::ParseFrames(CLdfReader& reader) {
  std::string t;
  if (reader.ReadToken(t) < 0) return Fail();
  if (!EqualsNoCase(t, "Frames")) return kStay;
  if (reader.ReadToken(t) < 0 || t != "{") return Fail();
  for (;;) {
    if (reader.ReadToken(t) < 0) return Fail();
    if (t == "}") return frameCount_ == 0 ? Fail() : kEncodingTypes;
    _Ldf_Frame frame;
    frame.name = t;
    if (reader.ReadToken(t) < 0 || t != ":") return Fail();
    if (reader.ReadToken(t) < 0) return Fail();
    const long long id = ToInteger(t);
    if (id < 0 || id > kMaxFrameId) return Fail();
    if (reader.ReadToken(t) < 0 || t != ",") return Fail();
    if (reader.ReadToken(t) < 0) return Fail();  // publisher
    if (reader.ReadToken(t) < 0 || t != ",") return Fail();
    if (reader.ReadToken(t) < 0) return Fail();
    const long long length = ToInteger(t);
    if (length < 1 || length > kMaxFrameBytes) return Fail();
    if (reader.ReadToken(t) < 0 || t != "{") return Fail();
    frame.id = static_cast<int>(id);
    frame.length = static_cast<int>(length);
    if (ParseFrameSignals(reader, frame) < 0) return kStop;
    if (frame.signals.empty()) return Fail();
    for (const _Ldf_Frame& stored : frames_)
      if (stored.id == frame.id) return Fail();
    // Unique identifiers up to 59 never fill the table; the test keeps it so.
    if (frames_.size() < static_cast<std::size_t>(LDF_MAX_FRAMES)) {
      frame.signalCount = static_cast<int>(frame.signals.size());
      frames_.push_back(std::move(frame));
      ++frameCount_;
    }
  }
}

int CLdfParser::ParseFrameSignals(CLdfReader& reader, _Ldf_Frame& frame) {
  std::string t;
  for (;;) {
    if (reader.ReadToken(t) < 0) return FailEntry();
    if (t == "}") return 0;
    _Ldf_Frame_Signal entry;
    entry.signalName = t;
    if (reader.ReadToken(t) < 0 || t != ",") return FailEntry();
    if (reader.ReadToken(t) < 0) return FailEntry();
    const long long offset = ToInteger(t);
    if (offset < 0 || offset > kMaxBitOffset) return FailEntry();
    if (reader.ReadToken(t) < 0 || t != ";") return FailEntry();
    entry.bitOffset = static_cast<int>(offset);
    frame.signals.push_back(std::move(entry));
  }
}

int CLdfParser::ParseEncodingTypes(CLdfReader& reader) {
  std::string t;
  // The two last sections are optional: the end of the file completes the parse.
  if (reader.ReadToken(t) < 0) return kStop;
  if (t != "Signal_encoding_types") return kStay;
  if (reader.ReadToken(t) < 0) return kStop;
  if (t != "{") return Fail();
  for (;;) {
    if (reader.ReadToken(t) < 0) return Fail();
    if (t == "}") return kRepresentations;
    const std::string encodingName = t;
    if (reader.ReadToken(t) < 0 || t != "{") return Fail();
    for (;;) {
      if (reader.ReadToken(t) < 0) return Fail();
      if (t == "}") break;
      if (EqualsNoCase(t, "physical_value")) {
        if (ParsePhysicalValue(reader, encodingName) < 0) return kStop;
        continue;
      }
      if (t == ";") continue;
      // Logical, BCD and ASCII values are not needed. Skip to the ';' that
      // ends the entry (not to the end of the line, which may close the
      // encoding); a ';' inside a quoted text does not end it. A '}' outside
      // quotes belongs to no entry: an entry without its ';' ends there, and
      // the '}' closes the encoding as it would on a line of its own.
      bool quoteMayClose = false;
      bool encodingClosed = false;
      for (;;) {
        if (reader.ReadToken(t) < 0) return Fail();
        if (quoteMayClose) {
          quoteMayClose = false;
          if (t == "\"") continue;
        }
        if (t == ";") break;
        if (t == "}") {
          encodingClosed = true;
          break;
        }
        if (t == "\"") {
          std::string text;
          reader.ReadUntil(text, '"');
          quoteMayClose = true;
        }
      }
      if (encodingClosed) break;
    }
  }
}

int CLdfParser::ParsePhysicalValue(CLdfReader& reader, const std::string& encodingName) {
  std::string t;
  auto expect = [&](const char* punct) { return reader.ReadToken(t) >= 0 && t == punct; };

  if (!expect(",")) return FailEntry();
  if (reader.ReadToken(t) < 0) return FailEntry();
  const long long rawMin = ToInteger(t);
  if (rawMin < 0 || rawMin > kMaxRawValue) return FailEntry();
  if (!expect(",")) return FailEntry();
  if (reader.ReadToken(t) < 0) return FailEntry();
  const long long rawMax = ToInteger(t);
  if (rawMax < 0 || rawMax > kMaxRawValue) return FailEntry();
  if (!expect(",")) return FailEntry();
  if (reader.ReadNumber(t) < 0) return FailEntry();
  const double factor = cnum::Atof(t.c_str());
  if (!expect(",")) return FailEntry();
  if (reader.ReadNumber(t) < 0) return FailEntry();
  const double offset = cnum::Atof(t.c_str());

  std::string unit;
  if (reader.ReadToken(t) < 0) return FailEntry();
  if (t == ",") {
    if (!expect("\"")) return FailEntry();
    if (reader.ReadUntil(unit, '"') < 0 || unit.size() > kMaxUnitLength) return FailEntry();
    if (!expect("\"")) return FailEntry();
    if (!expect(";")) return FailEntry();
  } else if (t != ";") {
    return FailEntry();
  }

  _Ldf_Signal_Encoding_Types& encoding = encodings_[encodingName];
  encoding.name = encodingName;
  encoding.rawMin = static_cast<int>(rawMin);
  encoding.rawMax = static_cast<int>(rawMax);
  encoding.factor = factor;
  encoding.offset = offset;
  encoding.unit = unit;
  if (encodingCount_ < INT_MAX) ++encodingCount_;
  return 0;
}

int CLdfParser::ParseRepresentations(CLdfReader& reader) {
  std::string t;
  if (reader.ReadToken(t) < 0) return kStop;
  if (t != "Signal_representation") return kStay;
  if (reader.ReadToken(t) < 0 || t != "{") return Fail();
  for (;;) {
    if (reader.ReadToken(t) < 0) return Fail();
    if (t == "}") return kStop;
    const std::string encodingName = t;
    if (reader.ReadToken(t) < 0 || t != ":") return Fail();
    for (;;) {
      if (reader.ReadToken(t) < 0) return Fail();
      auto it = signals_.find(t);
      if (it != signals_.end()) {
        it->second.encodingName = encodingName;
        if (representationCount_ < INT_MAX) ++representationCount_;
      }
      // A file cut short right behind a signal name still counts as complete.
      if (reader.ReadToken(t) < 0) return kStop;
      if (t == ";") break;
      if (t != ",") return Fail();
    }
  }
}

int CLdfParser::BuildOutput() {
  outFrames_.clear();
  outSignals_.clear();
  leftOut_ = 0;
  const bool enhanced = UsesEnhancedChecksum(version_);

  for (std::size_t f = 0; f < frames_.size(); ++f) {
    const _Ldf_Frame& frame = frames_[f];
    if (outFrames_.size() >= static_cast<std::size_t>(LDF_MAX_FRAMES)) {
      leftOut_ += static_cast<long long>(frames_.size() - f);
      break;
    }
    if (frame.id < 0 || frame.id > kMaxFrameId || frame.length < 1 || frame.length > kMaxFrameBytes) continue;
    bool idTaken = false;
    for (const LdfOutFrame& counted : outFrames_) idTaken = idTaken || counted.id == frame.id;
    if (idTaken) continue;

    LdfOutFrame out;
    out.name = frame.name;
    out.id = frame.id;
    out.length = frame.length;
    out.enhanced = enhanced;
    const int frameIndex = static_cast<int>(outFrames_.size());
    const int frameBits = frame.length * 8;
    bool anySignal = false;

    for (const _Ldf_Frame_Signal& entry : frame.signals) {
      if (entry.bitOffset < 0 || entry.bitOffset > frameBits - 1) continue;
      auto sig = signals_.find(entry.signalName);
      if (sig == signals_.end()) continue;
      const int size = sig->second.bitSize;
      if (!((size >= 0 && size <= 16) || (size >= 24 && size <= 64 && size % 8 == 0))) continue;
      // Only an entry that would have been a row is one left out.
      if (outSignals_.size() >= static_cast<std::size_t>(LDF_MAX_SIGNALS)) {
        ++leftOut_;
        continue;
      }

      LdfOutSignal s;
      s.name = entry.signalName;
      s.frameIndex = frameIndex;
      s.startBit = entry.bitOffset;
      s.bitSize = size;
      if (!sig->second.encodingName.empty()) {
        auto enc = encodings_.find(sig->second.encodingName);
        if (enc != encodings_.end()) {
          const _Ldf_Signal_Encoding_Types& e = enc->second;
          s.factor = e.factor;
          s.offset = e.offset;
          s.minimum = e.rawMin * e.factor + e.offset;
          s.maximum = e.rawMax * e.factor + e.offset;
          s.unit = e.unit;
        }
      }
      outSignals_.push_back(std::move(s));
      anySignal = true;
    }
    if (anySignal) outFrames_.push_back(std::move(out));
  }
  return static_cast<int>(outSignals_.size());
}
