// Every XML load takes at most ten times its file in memory, or is refused
// before memory runs out. The heap's entry points are replaced here so that
// every block counts, the XML engine's included; the peak of the bytes in
// use during one load is compared with the file's size.
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "AppSettings.h"
#include "ListLoad.h"
#include "MsgIds.h"
#include "RecordingMessageSink.h"
#include "TempDir.h"
#include "XmlShapes.h"
#include "VestrelDoc.h"

#if defined(__SANITIZE_ADDRESS__)
#define VR_HEAP_COUNTED 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define VR_HEAP_COUNTED 0
#endif
#endif
#ifndef VR_HEAP_COUNTED
#define VR_HEAP_COUNTED 1
#endif

namespace {

std::atomic<long long> g_inUse{0};
std::atomic<long long> g_peak{0};

}  // namespace

#if VR_HEAP_COUNTED
namespace {

void Took(void* p) {
  if (!p) return;
  const long long now = g_inUse += static_cast<long long>(malloc_usable_size(p));
  long long peak = g_peak.load();
  while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
  }
}

void Gave(void* p) {
  if (p) g_inUse -= static_cast<long long>(malloc_usable_size(p));
}

}  // namespace

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);

void* malloc(std::size_t n) noexcept {
  void* p = __libc_malloc(n);
  Took(p);
  return p;
}
void* calloc(std::size_t n, std::size_t size) noexcept {
  void* p = __libc_calloc(n, size);
  Took(p);
  return p;
}
void* realloc(void* old, std::size_t n) noexcept {
  const long long before = old ? static_cast<long long>(malloc_usable_size(old)) : 0;
  void* p = __libc_realloc(old, n);
  if (p || n == 0) {
    g_inUse -= before;
    Took(p);
  }
  return p;
}
void free(void* p) noexcept {
  Gave(p);
  __libc_free(p);
}
void* memalign(std::size_t alignment, std::size_t n) noexcept {
  void* p = __libc_memalign(alignment, n);
  Took(p);
  return p;
}
void* aligned_alloc(std::size_t alignment, std::size_t n) noexcept { return memalign(alignment, n); }
int posix_memalign(void** out, std::size_t alignment, std::size_t n) noexcept {
  void* p = memalign(alignment, n);
  if (!p) return ENOMEM;
  *out = p;
  return 0;
}
}
#endif

namespace {

constexpr std::size_t kFileBytes = std::size_t{12} << 20;
// What a load takes whatever the file: the engine's start-up, the tables'
// first blocks, the message texts.
constexpr long long kFixedBytes = 2 << 20;

// The shapes at this test's size.
std::string Repeat(const std::string& head, const std::string& unit, const std::string& tail) {
  return xmlshape::Repeat(head, unit, tail, kFileBytes);
}
std::string Numbered(const std::string& head, const char* format, const std::string& tail) {
  return xmlshape::Numbered(head, format, tail, kFileBytes);
}
std::string Deep(const std::string& head, const std::string& tail) { return xmlshape::Deep(head, tail, kFileBytes); }
std::string ManyAttributes(const std::string& head, const std::string& tail) {
  return xmlshape::ManyAttributes(head, tail, kFileBytes);
}

const std::string kFibex = "<fx:FIBEX xmlns:fx=\"f\" xmlns:ho=\"h\">";
const std::string kFibexEnd = "</fx:FIBEX>";
const std::string kCan = "<SBLVersion>1.2</SBLVersion><CanSymbolTable><MessageTotalNum>999999999</MessageTotalNum>";
const std::string kCanEnd = "</CanSymbolTable>";

struct Shape {
  const char* what;
  const char* file;
  std::function<std::string()> text;
  int result;  // what the load gives: 0, or the message of its refusal
};

// The peak of the heap during `load`, above what was in use before it.
long long PeakOf(const std::function<void()>& load) {
  const long long base = g_inUse.load();
  g_peak = base;
  load();
  return g_peak.load() - base;
}

TEST(XmlMemory, EveryShapeLoadsOrIsRefusedWithinTenTimesTheFile) {
  if (!VR_HEAP_COUNTED) GTEST_SKIP() << "the sanitizer owns the heap";
  const Shape shapes[] = {
      {".sbl of empty elements", "empty.sbl", [] { return Repeat("", "<a/>", ""); }, IDS_MSG_LOAD_FAILED},
      {".sbl nested 200 deep", "deep.sbl", [] { return Deep("", ""); }, IDS_MSG_LOAD_FAILED},
      {".sbl of many attributes", "attributes.sbl", [] { return ManyAttributes("", ""); }, IDS_MSG_LOAD_FAILED},
      {".sbl of the smallest messages", "messages.sbl",
       [] { return Numbered(kCan, "<Group><Message><MSGName>%x</MSGName></Message></Group>", kCanEnd); }, 0},
      {".sbl of the smallest signals", "signals.sbl",
       [] {
         return Numbered(kCan + "<Group><Message><MSGName>M</MSGName></Message><SignalNum>999999999</SignalNum>",
                         "<Signal><SIGName>%x</SIGName></Signal>", "</Group>" + kCanEnd);
       },
       0},
      {"FIBEX of empty elements", "empty.xml", [] { return Repeat(kFibex, "<a/>", kFibexEnd); }, IDS_MSG_LOAD_FAILED},
      {"FIBEX of empty frames", "frames.xml", [] { return Repeat(kFibex, "<fx:FRAME/>", kFibexEnd); },
       IDS_MSG_LOAD_FAILED},
      {"FIBEX nested 200 deep", "deep.xml", [] { return Deep(kFibex, kFibexEnd); }, IDS_MSG_LOAD_FAILED},
      {"FIBEX of many attributes", "attributes.xml", [] { return ManyAttributes(kFibex, kFibexEnd); },
       IDS_MSG_LOAD_FAILED},
      {"FIBEX of comments", "comments.xml", [] { return Repeat(kFibex, "<!---->", kFibexEnd); }, IDS_MSG_LOAD_FAILED},
      {"FIBEX of text", "text.xml", [] { return Repeat(kFibex, "<ho:V>1</ho:V>", kFibexEnd); }, IDS_MSG_LOAD_FAILED},
      {"FIBEX of different names", "names.xml", [] { return Numbered(kFibex, "<a%x/>", kFibexEnd); },
       IDS_MSG_XML_TOO_MANY_NAMES},
      {"FIBEX of a new namespace on every element", "namespaces.xml",
       [] { return Numbered(kFibex, "<a xmlns='u%x'/>", kFibexEnd); }, IDS_MSG_XML_TOO_MANY_NAMESPACES},
  };
  vrtest::TempDir dir;
  for (const Shape& s : shapes) {
    SCOPED_TRACE(s.what);
    const std::string path = dir.Write(s.file, s.text());
    CVestrelDoc doc;
    RecordingMessageSink sink;
    int result = -1;
    const long long peak = PeakOf([&] { result = LoadListFile(doc, LIST_REFERENCE, path, BUS_CAN).result; });
    EXPECT_EQ(result, s.result);
    EXPECT_LE(peak, 10 * static_cast<long long>(kFileBytes) + kFixedBytes)
        << peak / double(kFileBytes) << " times the file";
  }
}

TEST(XmlMemory, TheSettingsFileOfEmptyElementsWithinTenTimesTheFile) {
  if (!VR_HEAP_COUNTED) GTEST_SKIP() << "the sanitizer owns the heap";
  vrtest::TempDir dir;
  dir.Write("Default.xml", Repeat("<VestrelSettings>", "<a/>", "</VestrelSettings>"));
  CAppSettings settings;
  settings.SetSettingsFolder(dir.Path());
  const long long peak = PeakOf([&] { settings.Load(); });
  EXPECT_LE(peak, 10 * static_cast<long long>(kFileBytes) + kFixedBytes) << peak / double(kFileBytes) << " times";
}

// The counting itself: a block of a known size shows in the peak.
TEST(XmlMemory, TheHeapIsCounted) {
  if (!VR_HEAP_COUNTED) GTEST_SKIP() << "the sanitizer owns the heap";
  const long long peak = PeakOf([] {
    void* volatile p = std::malloc(5 << 20);
    std::free(p);
  });
  EXPECT_GE(peak, 5 << 20);
}

}  // namespace
