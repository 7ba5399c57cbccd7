// Pool bookkeeping check shared by the store and list tests.
#pragma once

#include <gtest/gtest.h>

#include "DocPoolTally.h"

namespace poolcheck {

// Every record the document ever made is either in one of its tables or in
// its pool.
inline ::testing::AssertionResult NothingLost(const CVestrelDoc& doc) {
  const std::string shortfall = Shortfall(doc);
  if (shortfall.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << shortfall;
}

}  // namespace poolcheck
