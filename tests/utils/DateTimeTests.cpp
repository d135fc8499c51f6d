#include <gtest/gtest.h>
#include <cmath>
#include "utils/InstUtils.h"

namespace {

TEST(DateTime, EncodeKnownDays)
{
    const struct {
        TDateTimeParts parts;
        TDateTime expected;
    } cases[] = {
        {{1899, 12, 30, 0, 0, 0, 0}, 0.0},
        {{1899, 12, 31, 0, 0, 0, 0}, 1.0},
        {{1900, 1, 1, 12, 0, 0, 0}, 2.5},
        {{1899, 12, 29, 6, 0, 0, 0}, -1.25},
        {{2000, 1, 1, 18, 0, 0, 0}, 36526.75},
        {{2000, 2, 29, 0, 0, 0, 0}, 36585.0},
        {{2024, 3, 1, 0, 0, 0, 0}, 45352.0},
    };
    for (const auto& c : cases) {
        TDateTime dt = -99;
        EXPECT_TRUE(TryEncodeDateTime(c.parts, dt));
        EXPECT_DOUBLE_EQ(dt, c.expected) << c.parts.Year << "-" << c.parts.Month;
    }
}

TEST(DateTime, ImpossibleDatesAreRefused)
{
    const TDateTimeParts bad[] = {
        {2023, 2, 29, 0, 0, 0, 0}, {1900, 2, 29, 0, 0, 0, 0}, {2021, 13, 1, 0, 0, 0, 0},
        {2021, 0, 1, 0, 0, 0, 0},  {2021, 4, 31, 0, 0, 0, 0}, {2021, 1, 1, 24, 0, 0, 0},
        {2021, 1, 1, 0, 60, 0, 0}, {2021, 1, 1, 0, 0, 60, 0}, {2021, 1, 1, 0, 0, 0, 1000},
    };
    for (const auto& p : bad) {
        TDateTime dt = -1;
        EXPECT_FALSE(TryEncodeDateTime(p, dt)) << p.Year << "-" << p.Month << "-" << p.Day;
        EXPECT_EQ(dt, 0.0);
    }
}

TEST(DateTime, DecodeRoundTripsAndRoundsToMilliseconds)
{
    const TDateTimeParts cases[] = {
        {2021, 3, 4, 5, 6, 8, 0},     {1980, 1, 1, 0, 0, 0, 0},  {2099, 12, 31, 23, 59, 59, 999},
        {1899, 12, 29, 6, 30, 0, 0},  {1600, 2, 29, 1, 2, 3, 4}, {2000, 2, 29, 12, 0, 0, 1},
    };
    for (const auto& p : cases) {
        const TDateTime dt = EncodeDateTime(p.Year, p.Month, p.Day, p.Hour, p.Minute, p.Second,
                                            p.MilliSecond);
        for (const double nudge : {0.0, 1e-10, -1e-10}) {
            const TDateTimeParts d = DecodeDateTime(dt + nudge);
            EXPECT_EQ(d.Year, p.Year);
            EXPECT_EQ(d.Month, p.Month);
            EXPECT_EQ(d.Day, p.Day);
            EXPECT_EQ(d.Hour, p.Hour);
            EXPECT_EQ(d.Minute, p.Minute);
            EXPECT_EQ(d.Second, p.Second) << p.Year << " nudge " << nudge;
            EXPECT_EQ(d.MilliSecond, p.MilliSecond);
        }
    }
    // Rounding up to the next midnight carries into the next day.
    const TDateTimeParts d = DecodeDateTime(EncodeDateTime(2021, 12, 31, 0, 0, 0, 0) - 1e-10);
    EXPECT_EQ(d.Year, 2021);
    EXPECT_EQ(d.Day, 31);
    EXPECT_EQ(d.Hour, 0);
}

TEST(DateTime, DosDateTimeBothWays)
{
    const struct {
        TDateTime dt;
        bool ok;
        WORD date, time;
    } cases[] = {
        {EncodeDateTime(2021, 3, 4, 5, 6, 7, 999), true, 4 + 3 * 32 + 41 * 512, 3 + 6 * 32 + 5 * 2048},
        {EncodeDateTime(1980, 1, 1, 0, 0, 0, 0), true, 1 + 32, 0},
        {EncodeDateTime(2099, 12, 31, 23, 59, 59, 0), true, 31 + 12 * 32 + 119 * 512,
         29 + 59 * 32 + 23 * 2048},
        {EncodeDateTime(1979, 12, 31, 23, 59, 58, 0), false, 0, 0},
        {EncodeDateTime(2100, 1, 1, 0, 0, 0, 0), false, 0, 0},
    };
    for (const auto& c : cases) {
        WORD date = 1, time = 1;
        EXPECT_EQ(DateTimeToDosDateTime(c.dt, date, time), c.ok) << c.dt;
        EXPECT_EQ(date, c.date) << c.dt;
        EXPECT_EQ(time, c.time) << c.dt;
    }
    EXPECT_EQ(DosDateTimeToDateTime(4 + 3 * 32 + 41 * 512, 3 + 6 * 32 + 5 * 2048),
              EncodeDateTime(2021, 3, 4, 5, 6, 6, 0));
    EXPECT_EQ(DosDateTimeToDateTime(0, 0), 0.0);  // month 0 is no date
}

TEST(DateTime, NowIsLocalTimeWithMilliseconds)
{
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    const TDateTime now = Now();
    GetLocalTime(&after);
    EXPECT_GE(now, SystemTimeToDateTime(before));
    EXPECT_LE(now, SystemTimeToDateTime(after));
}

}  // namespace
