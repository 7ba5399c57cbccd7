#include "MessageBox.h"
#include "RecordingMessageSink.h"

#include <gtest/gtest.h>

namespace {

struct FormatCase {
  const char* label;
  std::string format;
  std::vector<MsgArg> args;
  std::string expected;
  friend void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.label; }
};

class MessageFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(MessageFormat, Substitutes) {
  EXPECT_EQ(FormatMessageText(GetParam().format, GetParam().args), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MessageFormat,
    ::testing::Values(
        FormatCase{"NameThenSignal", "%s (%s) は重複しています", {"MSG1", "SIG"}, "MSG1 (SIG) は重複しています"},
        FormatCase{"Numbers", "%d / %X", {-5, 255}, "-5 / FF"}, FormatCase{"HexOfNegative", "%X", {-1}, "FFFFFFFF"},
        FormatCase{"Cp932ArgumentShownAsUtf8", "[%s]", {"\x83\x5C\x95\x5C"}, "[ソ表]"},
        FormatCase{"UserTextNotReExpanded", "%s:%d", {"%s%d%X", 3}, "%s%d%X:3"},
        FormatCase{"PercentSign", "100%% %d", {7}, "100% 7"},
        FormatCase{"MissingArgumentLeftAlone", "%s and %s", {"a"}, "a and %s"},
        FormatCase{"UnknownPlaceholderLeftAlone", "%u %s", {"x"}, "%u x"},
        FormatCase{"TrailingPercent", "50%", {}, "50%"}, FormatCase{"ExtraArgumentsIgnored", "none", {1, "b"}, "none"}),
    [](const auto& c) { return std::string(c.param.label); });

TEST(MessageSink, RecordsAndAnswers) {
  EXPECT_EQ(ShowMessage(4006), MSG_OK);  // no sink: OK, No or Cancel
  EXPECT_EQ(ShowMessage(4103, {}, MsgButtons::YesNo), MSG_NO);
  EXPECT_EQ(ShowMessage(4026, {}, MsgButtons::OkCancel), MSG_CANCEL);
  {
    RecordingMessageSink sink;
    sink.answers = {MSG_NO};
    EXPECT_EQ(ShowMessage(4109, {"M"}, MsgButtons::YesNo, MsgIcon::Question), MSG_NO);
    EXPECT_EQ(ShowMessage(4101, {}, MsgButtons::YesNo), MSG_YES);
    ASSERT_EQ(sink.Ids(), (std::vector<int>{4109, 4101}));
    EXPECT_EQ(sink.shown[0].ArgText(0), "M");
  }
  EXPECT_EQ(GetMessageSink(), nullptr);
}

}  // namespace
