// The text-field rule that every definition dialog shares: read only when
// edited, taken in CP932, refused when the code page cannot hold the text.
#include <gtest/gtest.h>

#include <string>

#include "TextFields.h"

namespace {

TEST(TextFields, ReadOnlyWhenEditedAndRefuseWhatTheCodePageCannotHold) {
  struct Case {
    const char* rule;
    const char* held;
    bool edited;
    const char* utf8;
    const char* wantHeld;
    bool refused;
  };
  const Case cases[] = {
      {"unedited: the stored bytes stay, even ones the windows cannot show", "\x89", false, "\xEF\xBF\xBD", "\x89",
       false},
      {"edited ASCII", "old", true, "km", "km", false},
      {"edited Japanese: taken in CP932", "old", true, "\xE6\xB8\xA9", "\x89\xB7", false},
      {"edited emptied: the empty text, for the name checks to judge", "old", true, "", "", false},
      {"edited Hangul: refused, the held text stays", "old", true, "\xED\x95\x9C", "old", true},
      {"edited emoji: refused", "old", true, "\xF0\x9F\x98\x80", "old", true},
  };
  for (const Case& c : cases) {
    CTextFields fields;
    std::string held = c.held;
    fields.Read(7, c.edited, c.utf8, held);
    EXPECT_EQ(held, c.wantHeld) << c.rule;
    EXPECT_EQ(fields.Refused(7), c.refused) << c.rule;
    EXPECT_EQ(fields.FirstRefused({3, 7}), c.refused ? 7 : 0) << c.rule;
  }
}

TEST(TextFields, ARefusalLastsUntilTheFieldFitsAgain) {
  enum Then { READ_FITTING, READ_UNEDITED, WRITTEN };
  const Then thens[] = {READ_FITTING, READ_UNEDITED, WRITTEN};
  for (Then then : thens) {
    CTextFields fields;
    std::string held = "old";
    fields.Read(1, true, "\xED\x95\x9C", held);
    fields.Read(2, true, "\xF0\x9F\x98\x80", held);
    ASSERT_EQ(fields.FirstRefused({1, 2}), 1);
    if (then == READ_FITTING) fields.Read(1, true, "ok", held);
    if (then == READ_UNEDITED) fields.Read(1, false, "", held);
    if (then == WRITTEN) fields.Written(1);
    EXPECT_EQ(fields.FirstRefused({1, 2}), 2) << then;
  }
}

}  // namespace
