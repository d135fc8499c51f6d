#include <gtest/gtest.h>
#include "wizard/UpdateLog.h"
#include "wizard/UpdateLogFile.h"

namespace {
using Lines = std::vector<std::string>;

const std::string S1 = "*1111111111111111";
const std::string S2 = "*2222222222222222";
const std::string S3 = "*3333333333333333";
constexpr TDateTime NewStamp = 45000.5;
const std::string NewS = "*0000000010F9E540";

struct TSplitCase {
    const char* name;
    std::string text;
    Lines lines;
};
void PrintTo(const TSplitCase& c, std::ostream* os) { *os << c.name; }

class SplitLogTextTest : public testing::TestWithParam<TSplitCase> {};

TEST_P(SplitLogTextTest, ReadsLinesByTheLineEndRules)
{
    EXPECT_EQ(SplitLogText(GetParam().text), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    LineEnds, SplitLogTextTest,
    testing::Values(TSplitCase{"Empty", "", {}},
                    TSplitCase{"CrLf", "a\r\nb\r\n", {"a", "b"}},
                    TSplitCase{"LastLineWithoutBreak", "a\r\nb", {"a", "b"}},
                    TSplitCase{"LoneCrAndLoneLf", "a\rb\nc", {"a", "b", "c"}},
                    TSplitCase{"LfCrIsTwoBreaks", "a\n\rb", {"a", "", "b"}},
                    TSplitCase{"CrCrLfIsTwoBreaks", "a\r\r\nb", {"a", "", "b"}},
                    TSplitCase{"OnlyABreak", "\r\n", {""}},
                    TSplitCase{"TrailingEmptyLine", "a\n\n", {"a", ""}},
                    TSplitCase{"NulEndsTheText", std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}},
                    TSplitCase{"NulFirst", std::string("\0a", 2), {}},
                    TSplitCase{"TabsAndMarksKept", "C:\\x.tlx\t!\r\n", {"C:\\x.tlx\t!"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UpdateLog, JoinEndsEveryLineWithCrLf)
{
    EXPECT_EQ(JoinLogLines({"a", "", "b\t!"}), "a\r\n\r\nb\t!\r\n");
    EXPECT_EQ(JoinLogLines({}), "");
}

TEST(UpdateLog, StampLineHoldsTheBytesInMemoryOrderInUpperCaseHex)
{
    EXPECT_EQ(StampLine(45000.5), "*0000000010F9E540");
    EXPECT_EQ(StampLine(1.0), "*000000000000F03F");
    EXPECT_EQ(StampLine(-0.0), "*0000000000000080");
}

TEST(UpdateLog, SortsWithTheLocaleComparisonIgnoringCase)
{
    Lines files = {"C:\\P\\userdicnon.tlx\t!", "C:\\P\\Norwegian (Nynorsk).asc", "C:\\P\\nn_NO.dic",
                   "c:\\p\\HUNSPELL.dll", "C:\\P\\nn_NO.aff"};
    SortLogLines(files, CompareLogLines);
    EXPECT_EQ(files, (Lines{"c:\\p\\HUNSPELL.dll", "C:\\P\\nn_NO.aff", "C:\\P\\nn_NO.dic",
                            "C:\\P\\Norwegian (Nynorsk).asc", "C:\\P\\userdicnon.tlx\t!"}));
}

TEST(UpdateLog, LocaleComparisonTellsMarkedFromUnmarkedButNotCase)
{
    EXPECT_EQ(CompareLogLines("C:\\P\\A.DIC", "c:\\p\\a.dic"), 0);
    EXPECT_NE(CompareLogLines("C:\\P\\u.tlx", "C:\\P\\u.tlx\t!"), 0);
    EXPECT_LT(CompareLogLines("C:\\P\\a", "C:\\P\\b"), 0);
    EXPECT_GT(CompareLogLines("C:\\P\\b", "c:\\p\\A"), 0);
}

struct TMergeCase {
    const char* name;
    std::string oldText;
    Lines recorded;  // PublicFiles in the order the installation recorded them
    std::string newText;
};
void PrintTo(const TMergeCase& c, std::ostream* os) { *os << c.name; }

class MergeUpdateLogTest : public testing::TestWithParam<TMergeCase> {};

TEST_P(MergeUpdateLogTest, GivesTheExactNewText)
{
    const TMergeCase& c = GetParam();
    Lines files = c.recorded;
    SortLogLines(files, CompareLogLines);
    EXPECT_EQ(JoinLogLines(MergeUpdateLog(SplitLogText(c.oldText), files, NewStamp, CompareLogLines)), c.newText);
}

std::string Text(const Lines& lines) { return JoinLogLines(lines); }

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeUpdateLogTest,
    testing::Values(
        TMergeCase{"NoLogYet", "", {"C:\\P\\b", "C:\\P\\a"}, Text({NewS, "C:\\P\\a", "C:\\P\\b"})},
        TMergeCase{"WorkedExampleEndingWithC",
                   Text({S1, "A", "B\t!", S2, "C"}),
                   {"C", "B\t!"},
                   Text({S1, "A", NewS, "B\t!", "C"})},
        TMergeCase{"WorkedExampleGoingOnWithS3AndD",
                   Text({S1, "A", "B\t!", S2, "C", S3, "D"}),
                   {"C", "B\t!"},
                   Text({S1, "A", S2, "D", NewS, "B\t!", "C"})},
        TMergeCase{"EmptyLinesAnywhereVanish",
                   "\r\n" + S1 + "\r\n\r\nA\n\n" + S2 + "\r\nB\r\n\r\n",
                   {"C"},
                   Text({S1, "A", S2, "B", NewS, "C"})},
        TMergeCase{"LastLineWithoutBreakAndLoneLineEnds",
                   S1 + "\rA\nB",
                   {"C"},
                   Text({S1, "A", "B", NewS, "C"})},
        TMergeCase{"NulInTheMiddleEndsTheOldText",
                   Text({S1, "A"}) + std::string("\0", 1) + Text({S2, "B"}),
                   {"C"},
                   Text({S1, "A", NewS, "C"})},
        TMergeCase{"SamePathInOtherCaseIsTaken",
                   Text({S1, "X", "C:\\P\\NN_NO.DIC"}),
                   {"c:\\p\\nn_no.dic"},
                   Text({S1, "X", NewS, "c:\\p\\nn_no.dic"})},
        TMergeCase{"MarkedAndUnmarkedOfOnePathKeptApart",
                   Text({S1, "C:\\P\\a\t!", "C:\\P\\b"}),
                   {"C:\\P\\b\t!", "C:\\P\\a"},
                   Text({S1, "C:\\P\\a\t!", "C:\\P\\b", NewS, "C:\\P\\a", "C:\\P\\b\t!"})},
        TMergeCase{"OnlyTheFirstOfConsecutiveStampsStays",
                   Text({S1, S2, S3, "A"}),
                   {"B"},
                   Text({S1, "A", NewS, "B"})},
        TMergeCase{"LastGroupEmptiedLosesItsStamp",
                   Text({S1, "A", S2, "B"}),
                   {"B"},
                   Text({S1, "A", NewS, "B"})},
        TMergeCase{"WholeLogTakenOver",
                   Text({S1, "A", S2, "B"}),
                   {"B", "a"},
                   Text({NewS, "a", "B"})},
        TMergeCase{"FileLinesBeforeAnyStampKept",
                   Text({"A", S1, "B"}),
                   {"B"},
                   Text({"A", NewS, "B"})}),
    [](const auto& info) { return std::string(info.param.name); });
}  // namespace
