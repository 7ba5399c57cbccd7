// Reader of CANdb description files (".dbc") into a flat table of signal
// records, and of the comma-separated label file ("%KVT,1.01").
//
// The reader knows nothing of the document: the file loader builds one
// object per load, lets it read the file and turns its records into the CAN
// messages and signals of a list. Text stays in CP932 bytes throughout.
//
// Start bits and lengths are held at full width, so a 64-byte message's
// placeholder says 512 bits and the loader clamps true values. A multiplex
// value text belongs to its record until the loader takes it over with
// TakeMultiplexValue; the texts still held are freed with the object.
//
// The work is split by stage: DbcText (text to tokens and numbers), DbcRead
// (tokens to records, with the indexes that keep repeated attribute lines
// cheap), CanDB (the tables and their accessors) and LabelFile.
#pragma once

#include "DbcIndex.h"
#include "MultiplexText.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Record slots and entries of each name table that the file loader asks for.
constexpr int CANDB_DEFAULT_CAPACITY = 5000;
// Bytes of a signal, unit, multiplexor, message or node name (plus the zero).
constexpr int CANDB_NAME_LEN = 32;

// The plain fields of a reader record, in the record's order without its
// multiplex value text: one block, so a record moves by a block copy. The
// three text fields always hold their text (at most 32 bytes, cut at a
// character boundary) and zeros behind it, so a field copies whole.
struct _CANDbSignalFields {
  int16_t DLC;                           // byte count of the signal's message
  char multiplexor[CANDB_NAME_LEN + 1];  // switch name of a multiplexed signal; "M" while reading for a switch
  uint32_t startBit;                     // least significant bit in the system's numbering
  uint32_t bitLength;
  uint8_t valueType;     // 0 unsigned, 1 signed, 2 floating point
  uint8_t byteOrder;     // 0 little endian (Intel), 1 big endian (Motorola)
  uint8_t unitCut;       // 1 when the file's unit was longer than the unit field
  int32_t identifier;    // as written in the file: bit 31 set = extended frame
  int nodeIndex;         // into the node-name table
  int messageNameIndex;  // into the message-name table
  char name[CANDB_NAME_LEN + 1];
  char unit[CANDB_NAME_LEN + 1];
  double factor;  // physical = raw * factor + offset
  double offset;
  double minimum;
  double maximum;
  int J1939;  // 1 when the message is a J1939 parameter group
  // Which message line of the file the record belongs to, counted from 1
  // (0 before the first): two lines of one name are told apart by it.
  int messageNumber;
};

// One signal of a CANdb file, or the placeholder of a message without
// signals. All zero until stored. It moves (with its text) but never copies.
struct _CANDbSignal : _CANDbSignalFields {
  _CANDbSignal() : _CANDbSignalFields{} {}
  explicit _CANDbSignal(const _CANDbSignalFields& fields) : _CANDbSignalFields(fields) {}
  _CANDbSignal(_CANDbSignal&&) noexcept = default;
  _CANDbSignal& operator=(_CANDbSignal&& other) noexcept {
    static_cast<_CANDbSignalFields&>(*this) = other;  // one block
    multiplexValue = std::move(other.multiplexValue);
    return *this;
  }
  MultiplexText multiplexValue;  // switch values; none for none; owned by the table
};

class CCanDB {
 public:
  // Builds the three tables for `capacity` entries each and clears them. The
  // tables are sized once; only the slots that are used are ever touched.
  explicit CCanDB(int capacity = CANDB_DEFAULT_CAPACITY);
  // Frees the tables and the multiplex value texts that were not taken over.
  virtual ~CCanDB();
  CCanDB(const CCanDB&) = delete;
  CCanDB& operator=(const CCanDB&) = delete;

  // type 0: label file, type 1: CANdb file; -1 for any other type.
  virtual int Load(const std::string& path, int type);
  // type 0: label file; -1 for any other type.
  virtual int Save(const std::string& path, int type);

  virtual int ResetCount();
  virtual int GetCount() const;

  // Getters take 0 <= i < GetCount(); any other index gives 0 or "".
  virtual bool IsExtended(int i) const;
  virtual int GetId(int i) const;
  virtual int16_t GetDlc(int i) const;
  virtual uint32_t GetStartBit(int i) const;
  virtual uint32_t GetBitLength(int i) const;
  virtual uint8_t GetValueType(int i) const;
  virtual uint8_t GetByteOrder(int i) const;
  virtual int GetNodeIndex(int i) const;
  virtual int GetMessageNameIndex(int i) const;
  virtual const char* GetNodeName(int i) const;
  virtual const char* GetMessageName(int i) const;
  virtual const char* GetSignalName(int i) const;
  virtual const char* GetUnit(int i) const;
  virtual double GetFactor(int i) const;
  virtual double GetOffset(int i) const;
  virtual double GetMinimum(int i) const;
  virtual double GetMaximum(int i) const;
  virtual int GetNodeNameCount() const;
  virtual int GetMessageNameCount() const;
  virtual const char* GetNodeNameAt(int k) const;
  virtual const char* GetMessageNameAt(int k) const;

  // Setters take 0 <= i < capacity and return 0; any other index gives -1
  // and changes nothing.
  virtual int SetCount(int n);
  virtual int SetExtended(int i, bool extended);
  virtual int SetId(int i, uint32_t id);
  virtual int SetStartBit(int i, uint32_t startBit);
  virtual int SetBitLength(int i, uint32_t bitLength);
  virtual int SetValueType(int i, uint8_t valueType);
  virtual int SetByteOrder(int i, uint8_t byteOrder);
  virtual int SetNodeIndex(int i, int node);
  virtual int SetMessageNameIndex(int i, int index);
  virtual int SetSignalName(int i, const char* name);
  virtual int SetUnit(int i, const char* unit);
  virtual int SetFactor(int i, double value);
  virtual int SetOffset(int i, double value);
  virtual int SetMinimum(int i, double value);
  virtual int SetMaximum(int i, double value);

  // Keeps only the records of one transmitter, in their order.
  virtual int KeepNode(int node);
  virtual const char* GetMultiplexor(int i) const;
  // Read-only view of the text, which the record keeps (null when it has
  // none); to keep the text beyond the reader's life, take it over with
  // TakeMultiplexValue.
  virtual const char* GetMultiplexValue(int i) const;
  virtual int IsJ1939(int i) const;

  // Frees the tables and builds them anew for the capacity, then Clear().
  virtual void Allocate();
  // Zero-fills the record table and both name tables; the counts stay.
  virtual void Clear();

  // Splits `line` in place at any byte of `delimiters` into at most `max`
  // fields with their surrounding white space removed; unused field
  // pointers are null. Returns the number of fields.
  virtual int SplitFields(char* line, const char* delimiters, char** fields, int max);

  virtual int WriteLabelFile(const std::string& path);
  // Record count, -1 when the file cannot be opened, -2 without a header line.
  virtual int ReadLabelFile(const std::string& path);
  // Appends the file's records. Record count, or -1 when it cannot be opened;
  // std::bad_alloc when there is no memory for its text.
  virtual int ReadDbcFile(const std::string& path);
  // True when the text of the last ReadDbcFile ended at a zero byte with more
  // of the file behind it, which was not read.
  bool StoppedAtZero() const { return stoppedAtZero_; }

  // Stores the value of a multiplexed signal's indicator ("m3", "m3M") as
  // the record's multiplex value text.
  virtual void ParseMultiplexValue(const char* text, _CANDbSignal* record);

  // Hands the record's multiplex value text over to the caller, who frees it
  // with delete[]; the record is left without one. Null when it has none.
  char* TakeMultiplexValue(int i);

  int GetCapacity() const { return capacity_; }

  // The stored record itself, for a caller that reads every field of every
  // record (the file loader): 0 <= i < GetCount().
  const _CANDbSignal& Record(int i) const { return records_[static_cast<std::size_t>(i)]; }

 private:
  struct NameEntry {
    char text[CANDB_NAME_LEN + 1];
  };
  // Entries past the vector's size are empty names: the vector holds the
  // entries ever written (room for the capacity is reserved once).
  struct NameTable {
    std::vector<NameEntry> entries;
    int count = 0;
    // Index of the first `indexed` entries by their text, built as needed so
    // that a long file does not compare every message name with every other.
    dbc::FlatIndex lookup;
    int indexed = 0;
  };
  struct ReadState;

  bool ValidRecord(int i) const { return i >= 0 && i < count_ && i < capacity_; }
  bool ValidSlot(int i) const { return i >= 0 && i < capacity_; }
  // Slots past the vector's size are all-zero records; this makes the first
  // n of them real (room for the capacity is reserved once, so the records
  // never move). count_ never exceeds the size.
  void EnsureSlots(int n) {
    if (n > static_cast<int>(records_.size())) records_.resize(static_cast<std::size_t>(n));
  }
  static const char* NameAt(const NameTable& table, int k, int limit);
  int FindOrAddName(NameTable& table, std::string_view token);
  void StoreRecord(_CANDbSignal& working);

  // True for a message or signal line.
  bool ReadDbcLine(ReadState& state, char* line);
  void OnMessageLine(ReadState& state, const char* p);
  void OnSignalLine(ReadState& state, const char* p);
  // The parts of a signal line in the line's order, each read into the
  // signal from p on, leaving p behind what it took. A part returns false
  // when the rest of the line gives the parts after it nothing; the signal
  // then keeps what the line gave so far.
  bool ReadSignalName(ReadState& state, const char*& p, _CANDbSignal& w);
  void ReadMultiplexIndicator(std::string_view indicator, _CANDbSignal& w);
  static bool ReadSignalGeometry(const char*& p, _CANDbSignal& w);
  static bool ReadScaleRangeUnit(const ReadState& state, const char*& p, _CANDbSignal& w);
  static void ReadReceivers(const ReadState& state, const char*& p, _CANDbSignal& w);
  void OnFloatSignalLine(ReadState& state, const char* p);
  void OnMultiplexRangeLine(ReadState& state, const char* p);
  void OnAttributeDefaultLine(ReadState& state, const char* p);
  void OnAttributeDefinitionLine(ReadState& state, const char* p);
  void OnAttributeValueLine(ReadState& state, const char* p);
  void StorePlaceholder(ReadState& state);
  void ResolveJ1939Marks(ReadState& state);
  void ResolveMultiplexors(ReadState& state);

  int capacity_ = 0;
  int count_ = 0;
  bool stoppedAtZero_ = false;
  std::vector<_CANDbSignal> records_;
  NameTable nodes_;
  NameTable messages_;
};
