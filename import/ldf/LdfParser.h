// Reads what the reference list needs from a LIN description file (".ldf"):
// protocol version, signals and their sizes, unconditional frames with their
// identifiers, lengths and signal offsets, physical encodings and the
// encoding of each signal. The result is two flat tables, frames and signals,
// which the list's file loader turns into LIN records.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

class CLdfReader;

// Capacities of the output tables.
constexpr int LDF_MAX_FRAMES = 64;
constexpr int LDF_MAX_SIGNALS = 5000;

struct _Ldf_Signal {
  std::string name;
  int bitSize = 0;
  std::string encodingName;  // empty until a representation names one
};

struct _Ldf_Signal_Encoding_Types {
  std::string name;
  int rawMin = 0;
  int rawMax = 0;
  double factor = 1.0;
  double offset = 0.0;
  std::string unit;
};

struct _Ldf_Frame_Signal {
  std::string signalName;
  int bitOffset = 0;
};

struct _Ldf_Frame {
  std::string name;
  int id = 0;
  int length = 0;
  int signalCount = 0;
  std::vector<_Ldf_Frame_Signal> signals;
};

// One frame of the output.
struct LdfOutFrame {
  std::string name;
  int id = 0;
  int length = 0;         // bytes
  bool enhanced = false;  // enhanced checksum, else classic
};

// One signal of the output; frameIndex indexes the output frames.
struct LdfOutSignal {
  std::string name;
  int startBit = 0;
  int bitSize = 1;
  int frameIndex = 0;
  double factor = 1.0;
  double offset = 0.0;
  double minimum = -1.0;
  double maximum = 1.0;
  std::string unit;
};

class CLdfParser {
 public:
  CLdfParser();
  ~CLdfParser();
  CLdfParser(const CLdfParser&) = delete;
  CLdfParser& operator=(const CLdfParser&) = delete;

  // The number of output signals (0 or more) after a complete parse; -1 when
  // the file cannot be opened (no message) or after a syntax error (message
  // IDS_MSG_LDF_SYNTAX with the line number is shown first).
  int Parse(const std::string& path);
  // True when the last Parse gave -1 because memory ran out.
  bool RanOutOfMemory() const { return outOfMemory_; }

  // The output, valid after Parse.
  int OutputFrameCount() const { return static_cast<int>(outFrames_.size()); }
  int OutputSignalCount() const { return static_cast<int>(outSignals_.size()); }
  const std::vector<LdfOutFrame>& OutputFrames() const { return outFrames_; }
  const std::vector<LdfOutSignal>& OutputSignals() const { return outSignals_; }

  // Frames and frame-body signal entries that the full output tables left
  // out (beyond 64 frames or 5000 signals), valid after Parse.
  long long LeftOutCount() const { return leftOut_; }
  // True when a zero byte ended a line of the file before the text behind
  // it, which was then not read; valid after Parse.
  bool CutAtZero() const { return cutAtZero_; }

  // The protocol version as written in the file.
  const std::string& Version() const { return version_; }

  // Builds the output tables from what the sections stored; the output
  // signal count. Parse calls it after a complete parse.
  int BuildOutput();

  // Section states; a section parser returns the next state, kStay (read on
  // in this state) or kStop.
  enum State {
    kHeader = 0,
    kProtocolVersion = 1,
    kSignals = 2,
    kFrames = 3,
    kEncodingTypes = 4,
    kRepresentations = 5,
    kStay = 6,
    kStop = 7,
  };

 private:
  int ParseHeader(CLdfReader& reader);
  int ParseProtocolVersion(CLdfReader& reader);
  int ParseSignals(CLdfReader& reader);
  int ParseFrames(CLdfReader& reader);
  int ParseFrameSignals(CLdfReader& reader, _Ldf_Frame& frame);
  int ParseEncodingTypes(CLdfReader& reader);
  int ParsePhysicalValue(CLdfReader& reader, const std::string& encodingName);
  int ParseRepresentations(CLdfReader& reader);
  // Record a syntax error: Fail ends a section, FailEntry one entry of it.
  int Fail();
  int FailEntry();
  void Reset();

  std::string version_;
  int signalCount_ = 0;
  std::unordered_map<std::string, _Ldf_Signal> signals_;
  int frameCount_ = 0;
  std::vector<_Ldf_Frame> frames_;  // at most LDF_MAX_FRAMES
  int encodingCount_ = 0;
  std::unordered_map<std::string, _Ldf_Signal_Encoding_Types> encodings_;
  int representationCount_ = 0;
  std::vector<LdfOutFrame> outFrames_;    // at most LDF_MAX_FRAMES
  std::vector<LdfOutSignal> outSignals_;  // at most LDF_MAX_SIGNALS
  bool error_ = false;
  bool outOfMemory_ = false;
  bool cutAtZero_ = false;
  long long leftOut_ = 0;
};
