// Arbitrary bytes as an XML text: parse, walk with a script taken from the
// input, and insert into whatever parsed; then run the same script on a
// document built from nothing.
//
// Insertion into a parsed text keeps the index true to the text it changed,
// but a malformed start tag ("<P a//>", a tag named ">") may then read back
// differently, so only the index's own consistency is checked there. What is
// built from nothing must read back with exactly the index it was built with.
#include "MarkupTestAccess.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void Fail(const char* what, const CMarkup& xml) {
  std::fprintf(stderr, "%s:\n%s\n", what, xml.GetDoc().c_str());
  std::abort();
}

void CheckIndexAgainstFreshParse(const CMarkup& built) {
  bool linksOk = false;
  const auto kept = CMarkupTestAccess::Tree(built, &linksOk);
  CMarkup fresh;
  if (!linksOk || !fresh.SetDocument(std::string_view(built.GetDoc())) || kept != CMarkupTestAccess::Tree(fresh))
    Fail("index differs from a fresh parse", built);
}

const char* const kNames[] = {nullptr, "", "A", "Group", "GroupEx", "Group x", "KeyWord00", "\x83\x5C"};

enum class Check { Consistency, FreshParse };

std::string Run(CMarkup& xml, const std::string& script, const std::string& value, Check check) {
  std::string sink;
  for (unsigned char op : script) {
    const char* name = kNames[(op >> 3) % (sizeof kNames / sizeof kNames[0])];
    switch (op & 7) {
      case 0:
        xml.FindChildElement(name);
        break;
      case 1:
        xml.EnterElement();
        break;
      case 2:
        xml.LeaveElement();
        break;
      case 3:
        sink += xml.GetChildText();
        break;
      case 4:
        sink += xml.GetChildName();
        break;
      case 5:
      case 6:
      case 7: {
        const bool asChild = op & 1;
        const bool before = op & 2;
        if (!xml.InsertElement(name ? name : "N", (op & 0x40) ? value.c_str() : nullptr, before, asChild)) break;
        if (!CMarkupTestAccess::Consistent(xml)) Fail("index inconsistent after an insertion", xml);
        if (check == Check::FreshParse) CheckIndexAgainstFreshParse(xml);
        break;
      }
    }
  }
  return sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string script = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, 64));
  const std::string value = in.ConsumeRandomLengthString(16);
  const std::string text = in.ConsumeRemainingBytesAsString();

  CMarkup parsed;
  if (parsed.SetDocument(std::string_view(text)) != !CMarkupTestAccess::Tree(parsed).empty())
    Fail("parse result and index disagree", parsed);
  if (!CMarkupTestAccess::Consistent(parsed)) Fail("parsed index inconsistent", parsed);
  std::string sink = Run(parsed, script, value, Check::Consistency);

  CMarkup built;
  sink += Run(built, script, value, Check::FreshParse);

  // Decoding and encoding round-trip any bytes without a zero.
  const std::string plain = value.substr(0, value.find('\0'));
  if (CMarkup::DecodeEntities(CMarkup::EncodeEntities(plain, true)) != plain) std::abort();
  return static_cast<int>(sink.size() & 0);
}
