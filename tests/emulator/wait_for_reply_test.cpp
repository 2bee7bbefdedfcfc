// How one wait turns what the line delivers into status lines. Each poll of
// the scripted port delivers one chunk; the clock is virtual, so a wait of
// 300 ms polls at 100, 200, 300 and 400 ms and finishes after the fourth.

#include <gtest/gtest.h>

#include "harness.h"

namespace tovi::testing {
namespace {

constexpr int shortTimeoutMs = 300;

struct ReplyCase {
    std::string name;
    std::vector<std::string> chunks;
    std::vector<std::u16string> lines;
    int polls;
};

void PrintTo(const ReplyCase& replyCase, std::ostream* out) {
    *out << replyCase.name;
}

class OneWait : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(OneWait, ShowsTheReplyAsStatusLines) {
    ScriptedPort port(GetParam().chunks);
    Observer observer;
    waitForReply(port, shortTimeoutMs, observingEnvironment(observer, shortTimeoutMs, true));
    EXPECT_EQ(observer.lines, GetParam().lines);
    EXPECT_EQ(observer.sleeps, GetParam().polls);
}

INSTANTIATE_TEST_SUITE_P(
    CompleteLines, OneWait,
    ::testing::Values(ReplyCase{"OneLineAtOnce", {"bereit\r\n"}, {u"bereit"}, 1},
                      ReplyCase{"LineInThirdPoll", {"", "", "ok\r\n"}, {u"ok"}, 3},
                      ReplyCase{"TwoLinesInOnePollJoined", {"eins\r\nzwei\r\n"}, {u"einszwei"}, 1},
                      ReplyCase{"TextAfterLineEndJoined", {"eins\r\nzw"}, {u"einszw"}, 1},
                      ReplyCase{"LoneCrAndLfStay", {"a\rb\nc\r\n"}, {u"a\rb\nc"}, 1},
                      ReplyCase{"CrBeforePairStays", {"a\r\r\n"}, {u"a\r"}, 1},
                      ReplyCase{"Windows1252Text", {"Gr\xFC\xDF \x80\r\n"}, {u"Grüß €"}, 1},
                      ReplyCase{"EmptyLine", {"\r\n"}, {u""}, 1}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    TextSpreadOverPolls, OneWait,
    ::testing::Values(
        ReplyCase{"SplitLineJoined", {"ber", "eit\r\n"}, {u"bereit"}, 2},
        ReplyCase{"SplitWithQuietPollBetween", {"ber", "", "eit\r\n"}, {u"bereit"}, 3},
        ReplyCase{"LineEndSplitBetweenCrAndLf", {"ok\r", "\n"}, {u"ok"}, 2},
        ReplyCase{"EarlierPartsAndLaterLinesJoined", {"a", "b\r\nc\r\n"}, {u"abc"}, 2}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    TimeOuts, OneWait,
    ::testing::Values(
        ReplyCase{"SilentLine", {}, {}, 4},
        ReplyCase{"IncompleteTextShownAtTheEnd", {"halb"}, {u"halb"}, 4},
        ReplyCase{"IncompletePartsJoinedAtTheEnd", {"ha", "", "lb"}, {u"halb"}, 4},
        ReplyCase{"TextAfterZeroByteIgnored", {std::string("x\0y\r\n", 5)}, {u"x"}, 4},
        ReplyCase{"ZeroByteOnlyEndsItsOwnPoll", {std::string("x\0y", 3), "z\r\n"}, {u"xz"}, 2},
        ReplyCase{"LineAfterDeadlineIsLeftForLater", {"", "", "", "", "sp\xE4t\r\n"}, {}, 4}),
    [](const auto& info) { return info.param.name; });

TEST(OneWait, ReadsAtMost2048BytesPerPoll) {
    const std::string longLine = std::string(3000, 'x') + "\r\n";
    ScriptedPort port({longLine});
    Observer observer;
    waitForReply(port, shortTimeoutMs, observingEnvironment(observer, shortTimeoutMs, true));
    ASSERT_EQ(observer.lines.size(), 1u);
    EXPECT_EQ(observer.lines[0], std::u16string(3000, u'x'));
    EXPECT_EQ(port.readSizes, (std::vector<std::size_t>{2048, 954}));
}

TEST(OneWait, LeavesBytesAfterItsEndForTheNextWait) {
    ScriptedPort port({"", "", "", "", "sp\xE4t\r\n"});
    Observer observer;
    const auto environment = observingEnvironment(observer, shortTimeoutMs, true);
    waitForReply(port, shortTimeoutMs, environment);
    waitForReply(port, shortTimeoutMs, environment);
    EXPECT_EQ(observer.lines, std::vector<std::u16string>{u"spät"});
    EXPECT_EQ(observer.sleeps, 5);
}

TEST(OneWait, SilentLineLastsThirtyOnePollsAtTheDefaultTimeOut) {
    ScriptedPort port;
    Observer observer;
    waitForReply(port, replyTimeoutMs, observingEnvironment(observer, replyTimeoutMs, true));
    EXPECT_EQ(observer.sleeps, 31);
    EXPECT_EQ(observer.virtualNow, 3100);
    EXPECT_TRUE(observer.lines.empty());
}

} // namespace
} // namespace tovi::testing
