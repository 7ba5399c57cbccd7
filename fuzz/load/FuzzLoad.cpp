// Any bytes as a file dropped on the lists: the whole load into the document
// (reader, conversion into records, rows), the same file once more, then a
// copy cut in half, with every reference row added to the definitions after
// the first and the last load.
//
// The file kind follows from the text, so that real files seed it as they
// are: "LIN_description_file" an LDF file, a text opening with '<' a
// definition file when it names a symbol table or its version, else a FIBEX
// file; anything else is read as a CANdb file. A definition file is dropped
// on both lists.
//
// Checked after every step: a failed load leaves both lists (records, rows
// and file) as they were; a load changes only its own list; the same file
// read again gives the same records; an add never changes the reference
// list and leaves one definition row per signal; every record the document
// made is in a table or in its pool.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "DocPoolTally.h"
#include "FuzzDoc.h"
#include "ListLogic.h"
#include "RecordPicture.h"
#include "VestrelDoc.h"

namespace {

using fuzzdoc::Fail;
using vrtest::Picture;

std::string KindOf(const uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size < 4096 ? size : 4096);
  if (text.find("LIN_description_file") != std::string_view::npos) return "ldf";
  if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") return "xml";
  const std::size_t first = text.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
  if (first == std::string_view::npos || text[first] != '<') return "dbc";
  const bool definitions =
      text.find("SymbolTable") != std::string_view::npos || text.find("SBLVersion") != std::string_view::npos;
  return definitions ? "sbl" : "xml";
}

bool SameRows(const ListRows& a, const ListRows& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].cells != b[i].cells) return false;
  return true;
}

void CheckPools(const CVestrelDoc& doc, const char* step) {
  const std::string shortfall = poolcheck::Shortfall(doc);
  if (!shortfall.empty()) Fail(std::string(step) + ": " + shortfall);
}

// What a list shows besides the records.
struct ListState {
  explicit ListState(const CListLogic& l) : rows(l.Rows()), file(l.FilePath()) {}
  ListRows rows;
  std::string file;
  bool operator==(const ListState& o) const { return SameRows(rows, o.rows) && file == o.file; }
};

class Lists {
 public:
  Lists() : ref_(doc_), def_(doc_) {
    ref_.SetPartner(&def_);
    def_.SetPartner(&ref_);
  }

  // Drops the file on one list; answers whether it loaded.
  bool Drop(CListLogic& list, const std::string& path, const char* step) {
    const Picture refBefore(doc_, LIST_REFERENCE), defBefore(doc_, LIST_DEFINITION);
    const ListState refShown(ref_), defShown(def_);
    const bool loaded = &list == &ref_ ? ref_.DropFiles({path}) : def_.DropFiles({path});
    const Picture refAfter(doc_, LIST_REFERENCE), defAfter(doc_, LIST_DEFINITION);
    const bool intoRef = &list == &ref_;
    if (!loaded) {
      if (refAfter != refBefore)
        Fail(std::string(step) + ": a failed load changed the reference list\n" + refBefore.Differences(refAfter));
      if (defAfter != defBefore)
        Fail(std::string(step) + ": a failed load changed the definition list\n" + defBefore.Differences(defAfter));
      if (!(ListState(ref_) == refShown) || !(ListState(def_) == defShown))
        Fail(std::string(step) + ": a failed load changed the rows or the file of a list");
    } else if (intoRef ? defAfter != defBefore : refAfter != refBefore) {
      Fail(std::string(step) + ": a load changed the other list\n" +
           (intoRef ? defBefore.Differences(defAfter) : refBefore.Differences(refAfter)));
    }
    CheckPools(doc_, step);
    return loaded;
  }

  // Adds every reference row, one at a time so that a refusal ends only its
  // own row, for every bus kind.
  void AddEveryRow(const char* step) {
    for (int bus : {BUS_CAN, BUS_FLEXRAY, BUS_LIN, BUS_LOGIC}) {
      ref_.SetBusKind(bus);
      def_.SetBusKind(bus);
      const Picture refBefore(doc_, LIST_REFERENCE);
      for (int row = 0; row < ref_.RowCount(); ++row) ref_.AddToDefinitions({row});
      const Picture refAfter(doc_, LIST_REFERENCE);
      if (refAfter != refBefore)
        Fail(std::string(step) + ": an add changed the reference list\n" + refBefore.Differences(refAfter));
      const std::size_t rows =
          BuildListRows(doc_, LIST_DEFINITION, static_cast<BusKind>(bus), doc_.GetMsgIdFormat()).size();
      if (rows != def_.Rows().size())
        Fail(std::string(step) + ": bus " + std::to_string(bus) + " has " + std::to_string(def_.Rows().size()) +
             " definition rows for " + std::to_string(rows) + " definitions");
      CheckPools(doc_, step);
    }
  }

  CVestrelDoc& Doc() { return doc_; }
  CRefListLogic& Ref() { return ref_; }
  CDefListLogic& Def() { return def_; }

 private:
  CVestrelDoc doc_;
  CRefListLogic ref_;
  CDefListLogic def_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzdoc::AnsweringSink sink(true);
  static const fuzzdoc::TempFolder folder("fuzz_load");
  SetMessageSink(&sink);

  const std::string kind = KindOf(data, size);
  const std::string whole = folder.Write("whole." + kind, data, size);
  const std::string half = folder.Write("half." + kind, data, size / 2);
  const bool definitions = kind == "sbl";

  Lists lists;
  const bool first = lists.Drop(lists.Ref(), whole, "first load");
  if (definitions) lists.Drop(lists.Def(), whole, "first load of the definitions");
  const Picture loaded(lists.Doc(), LIST_REFERENCE);
  lists.AddEveryRow("add after the first load");

  if (lists.Drop(lists.Ref(), whole, "second load") != first) Fail("the same file loaded once and not again");
  const Picture again(lists.Doc(), LIST_REFERENCE);
  if (again != loaded) Fail("the same file loaded other records\n" + loaded.Differences(again));

  lists.Drop(lists.Ref(), half, "load of the half file");
  if (definitions) lists.Drop(lists.Def(), half, "load of the half file into the definitions");
  lists.AddEveryRow("add after the half file");
  return 0;
}
