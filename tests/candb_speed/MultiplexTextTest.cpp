// A multiplex value text is held inside its record when short and on the
// heap when long; either way it moves with the record, may be set from
// itself, and is handed over as a text of its own.
#include "MultiplexText.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

TEST(MultiplexTextHolder, ShortAndLongTextsMoveSetAndHandOver) {
  for (const std::string text : {"", "3", "123456789012345", "1234567890123456", "1-2, 5-7, 9-12, 14-20, 30-40"}) {
    MultiplexText a;
    a.Set(text);
    ASSERT_TRUE(a) << text;
    EXPECT_EQ(std::string(a.Get()), text);

    a.Set(a.Get());  // from its own text
    EXPECT_EQ(std::string(a.Get()), text);
    a.Set(std::string_view(a.Get()).substr(text.empty() ? 0 : 1));  // from a part of it
    EXPECT_EQ(std::string(a.Get()), text.empty() ? text : text.substr(1));
    a.Set(text);

    MultiplexText b(std::move(a));
    EXPECT_FALSE(a) << text;
    EXPECT_EQ(std::string(b.Get()), text);
    MultiplexText c;
    c.Set("old");
    c = std::move(b);
    EXPECT_FALSE(b) << text;
    EXPECT_EQ(std::string(c.Get()), text);
    EXPECT_NE(c.Get(), b.Get());

    std::unique_ptr<char[]> taken(c.Release());
    EXPECT_FALSE(c) << text;
    ASSERT_TRUE(taken) << text;
    EXPECT_EQ(std::string(taken.get()), text);
  }
}
