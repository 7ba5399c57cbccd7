// Arbitrary bytes as an XML text: parse, walk with a script taken from the
// input, and insert into whatever parsed. After every insertion the element
// index must equal what a fresh parse of the new text gives.
#include "MarkupTestAccess.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void CheckIndexAgainstFreshParse(const CMarkup& built) {
  bool linksOk = false;
  const auto kept = CMarkupTestAccess::Tree(built, &linksOk);
  CMarkup fresh;
  if (!linksOk || !fresh.SetDocument(std::string_view(built.GetDoc())) || kept != CMarkupTestAccess::Tree(fresh)) {
    std::fprintf(stderr, "index differs from a fresh parse of:\n%s\n", built.GetDoc().c_str());
    std::abort();
  }
}

const char* const kNames[] = {nullptr, "", "A", "Group", "GroupEx", "Group x", "KeyWord00", "\x83\x5C"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string script = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, 64));
  const std::string value = in.ConsumeRandomLengthString(16);
  const std::string text = in.ConsumeRemainingBytesAsString();

  CMarkup xml;
  const bool parsed = xml.SetDocument(std::string_view(text));
  std::string sink;
  for (unsigned char op : script) {
    const char* name = kNames[(op >> 3) % (sizeof kNames / sizeof kNames[0])];
    switch (op & 7) {
      case 0: xml.FindChildElement(name); break;
      case 1: xml.EnterElement(); break;
      case 2: xml.LeaveElement(); break;
      case 3: sink += xml.GetChildText(); break;
      case 4: sink += xml.GetChildName(); break;
      case 5:
      case 6:
      case 7: {
        const bool asChild = op & 1;
        const bool before = op & 2;
        const bool ok = xml.InsertElement(name ? name : "N", (op & 0x40) ? value.c_str() : nullptr, before, asChild);
        // A text that parsed stays parseable with an index that matches it.
        if (ok && parsed) CheckIndexAgainstFreshParse(xml);
        break;
      }
    }
  }
  // Decoding and encoding round-trip any bytes without a zero.
  const std::string plain = value.substr(0, value.find('\0'));
  if (CMarkup::DecodeEntities(CMarkup::EncodeEntities(plain, true)) != plain) std::abort();
  return static_cast<int>(sink.size() & 0);
}
