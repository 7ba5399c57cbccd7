// The shared corpus of files written by other tools. It lives beside the
// project and is never copied into it: a test that cannot find it skips on a
// developer's machine but fails under CI (environment variable CI set), where
// a missing corpus would otherwise pass silently.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace vrtest {

inline std::filesystem::path CorpusDir() { return std::filesystem::path(VR_CORPUS_DIR); }

inline bool CorpusRequired() {
  const char* ci = std::getenv("CI");
  return ci && *ci && std::strcmp(ci, "0") != 0 && std::strcmp(ci, "false") != 0;
}

}  // namespace vrtest

// Leaves the test unless `where` (a file or folder of the corpus) exists:
// skipped locally, failed under CI.
#define VR_REQUIRE_CORPUS(where)                                                  \
  do {                                                                            \
    const std::filesystem::path vrCorpusPath_(where);                             \
    if (!std::filesystem::exists(vrCorpusPath_)) {                                \
      if (::vrtest::CorpusRequired()) FAIL() << "no corpus at " << vrCorpusPath_; \
      GTEST_SKIP() << "no corpus at " << vrCorpusPath_;                           \
    }                                                                             \
  } while (0)
