// A fixture text written to a file of its own for the readers that take a path.
#pragma once

#include "TempDir.h"

#include <string>

struct TempLdfFile : vrtest::TempFile {
  explicit TempLdfFile(const std::string& bytes) : vrtest::TempFile(bytes, "fixture.ldf") {}
};
