// Any bytes as a file dropped on the lists: the whole load into the document
// (reader, conversion into records, rows), the same file once more, then a
// copy cut in half, with all reference rows added to the definitions, in one
// step for every bus kind, after the first and the last load.
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
//
// Inputs longer than kMaxInput are turned away: every step above is at least
// linear in the rows, and the run's minutes go further on many inputs of a
// few hundred rows than on a few of thousands (the readers' table limits are
// their own targets' business). seeds.sh cuts the long real files to it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "DocPoolTally.h"
#include "FuzzDoc.h"
#include "ListLogic.h"
#include "RecordPicture.h"
#include "VestrelDoc.h"

namespace {

constexpr std::size_t kMaxInput = 32 * 1024;

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
  bool Same(const CListLogic& l) const { return SameRows(rows, l.Rows()) && file == l.FilePath(); }
};

class Lists {
 public:
  Lists() : ref_(doc_), def_(doc_) {
    ref_.SetPartner(&def_);
    def_.SetPartner(&ref_);
  }

  // Drops the file on one list; answers whether it loaded.
  bool Drop(CListLogic& list, const std::string& path, const char* step) {
    const Picture refBefore = Take(refPicture_, LIST_REFERENCE), defBefore = Take(defPicture_, LIST_DEFINITION);
    const ListState refShown(ref_), defShown(def_);
    const bool intoRef = &list == &ref_;
    const bool loaded = intoRef ? ref_.DropFiles({path}) : def_.DropFiles({path});
    // The list that loaded is pictured again only when it is next compared.
    if (!loaded || !intoRef)
      Keep(refPicture_, LIST_REFERENCE, refBefore,
           std::string(step) +
               (loaded ? ": a load changed the other list" : ": a failed load changed the reference list"));
    if (!loaded || intoRef)
      Keep(defPicture_, LIST_DEFINITION, defBefore,
           std::string(step) +
               (loaded ? ": a load changed the other list" : ": a failed load changed the definition list"));
    if (!loaded && (!refShown.Same(ref_) || !defShown.Same(def_)))
      Fail(std::string(step) + ": a failed load changed the rows or the file of a list");
    CheckPools(doc_, step);
    return loaded;
  }

  // Adds all reference rows in one step for every bus kind: the first
  // refusal ends that kind's add, as it does for the user.
  void AddEveryRow(const char* step) {
    const Picture refBefore = Take(refPicture_, LIST_REFERENCE);
    defPicture_.reset();
    for (int bus : {BUS_CAN, BUS_FLEXRAY, BUS_LIN, BUS_LOGIC}) {
      ref_.SetBusKind(bus);
      def_.SetBusKind(bus);
      std::vector<int> all(static_cast<std::size_t>(ref_.RowCount()));
      for (std::size_t row = 0; row < all.size(); ++row) all[row] = static_cast<int>(row);
      ref_.AddToDefinitions(all);
      const std::size_t rows =
          BuildListRows(doc_, LIST_DEFINITION, static_cast<BusKind>(bus), doc_.GetMsgIdFormat()).size();
      if (rows != def_.Rows().size())
        Fail(std::string(step) + ": bus " + std::to_string(bus) + " has " + std::to_string(def_.Rows().size()) +
             " definition rows for " + std::to_string(rows) + " definitions");
      CheckPools(doc_, step);
    }
    // The reference list is only read: pictured once around all four adds.
    Keep(refPicture_, LIST_REFERENCE, refBefore, std::string(step) + ": an add changed the reference list");
  }

  // The reference list's records as they are now.
  const Picture& RefPicture() {
    if (!refPicture_) refPicture_.emplace(doc_, LIST_REFERENCE);
    return *refPicture_;
  }

  CRefListLogic& Ref() { return ref_; }
  CDefListLogic& Def() { return def_; }

 private:
  // A list is pictured once per state: the picture taken after one step is
  // the one before the next, as long as nothing changed the list in between.
  Picture Take(std::optional<Picture>& kept, int list) {
    Picture now = kept ? std::move(*kept) : Picture(doc_, list);
    kept.reset();
    return now;
  }
  // Fails with `what` unless the list is as `before` showed it; keeps its
  // picture for the next step.
  void Keep(std::optional<Picture>& kept, int list, const Picture& before, const std::string& what) {
    kept.emplace(doc_, list);
    if (*kept != before) Fail(what + "\n" + before.Differences(*kept));
  }

  CVestrelDoc doc_;
  CRefListLogic ref_;
  CDefListLogic def_;
  std::optional<Picture> refPicture_, defPicture_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzdoc::AnsweringSink sink(true);
  static const fuzzdoc::TempFolder folder("fuzz_load");
  SetMessageSink(&sink);
  if (size > kMaxInput) return -1;  // not kept in the corpus either

  const std::string kind = KindOf(data, size);
  const std::string whole = folder.Write("whole." + kind, data, size);
  const std::string half = folder.Write("half." + kind, data, size / 2);
  const bool definitions = kind == "sbl";

  Lists lists;
  const bool first = lists.Drop(lists.Ref(), whole, "first load");
  if (definitions) lists.Drop(lists.Def(), whole, "first load of the definitions");
  const Picture loaded = lists.RefPicture();
  lists.AddEveryRow("add after the first load");

  if (lists.Drop(lists.Ref(), whole, "second load") != first) Fail("the same file loaded once and not again");
  const Picture& again = lists.RefPicture();
  if (again != loaded) Fail("the same file loaded other records\n" + loaded.Differences(again));

  lists.Drop(lists.Ref(), half, "load of the half file");
  if (definitions) lists.Drop(lists.Def(), half, "load of the half file into the definitions");
  lists.AddEveryRow("add after the half file");
  return 0;
}
