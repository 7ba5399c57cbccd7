// Base of the tests that work on documents: after every test, each record a
// document ever made is in one of its tables or in its pool.
#pragma once

#include "DocPoolCheck.h"
#include "VestrelDoc.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vrtest {

class DocTest : public ::testing::Test {
 protected:
  // A further document, checked like `doc` after the test.
  CVestrelDoc& NewDoc() {
    more_.push_back(std::make_unique<CVestrelDoc>());
    return *more_.back();
  }
  // Derived fixtures that tear down more call this last.
  void TearDown() override {
    EXPECT_TRUE(poolcheck::NothingLost(doc)) << "in the test's document";
    for (std::size_t i = 0; i < more_.size(); ++i)
      EXPECT_TRUE(poolcheck::NothingLost(*more_[i])) << "in further document " << i + 1;
  }

  CVestrelDoc doc;

 private:
  std::vector<std::unique_ptr<CVestrelDoc>> more_;
};

template <class T>
class DocTestWithParam : public DocTest, public ::testing::WithParamInterface<T> {};

}  // namespace vrtest

// A test on the fixture above under a suite name of its own (often the name
// of the function it tests, which TEST_F could not take as a class name).
#define DOC_TEST(suite, name) \
  GTEST_TEST_(suite, name, ::vrtest::DocTest, ::testing::internal::GetTypeId<::vrtest::DocTest>())
