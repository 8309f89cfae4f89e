#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "platform/kernel/kernel32.h"

namespace {

struct DateCase {
    ULONGLONG units;
    WORD year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

// FILETIME values worked out by hand: 100 ns units since 1601-01-01 00:00 UTC.
const DateCase kDates[] = {
    {0, 1601, 1, 1, 1, 0, 0, 0, 0},                      // a Monday
    {116444736000000000ull, 1970, 1, 4, 1, 0, 0, 0, 0},  // Unix epoch, Thursday
    {116444736000000000ull + 951782400ull * 10000000 + 1234567, 2000, 2, 2, 29, 0, 0, 0, 123},  // leap day
    {116444736000000000ull + 1709972707ull * 10000000, 2024, 3, 6, 9, 8, 25, 7, 0},             // Saturday
};

TEST(KernelTime, FileTimeAndSystemTimeConvertBothWays) {
    for (const DateCase& date : kDates) {
        FILETIME file{DWORD(date.units), DWORD(date.units >> 32)};
        SYSTEMTIME system{};
        ASSERT_TRUE(FileTimeToSystemTime(&file, &system));
        EXPECT_EQ(system.wYear, date.year);
        EXPECT_EQ(system.wMonth, date.month);
        EXPECT_EQ(system.wDayOfWeek, date.dayOfWeek);
        EXPECT_EQ(system.wDay, date.day);
        EXPECT_EQ(system.wHour, date.hour);
        EXPECT_EQ(system.wMinute, date.minute);
        EXPECT_EQ(system.wSecond, date.second);
        EXPECT_EQ(system.wMilliseconds, date.milliseconds);
        FILETIME back{};
        ASSERT_TRUE(SystemTimeToFileTime(&system, &back));
        ULONGLONG backUnits = (ULONGLONG(back.dwHighDateTime) << 32) | back.dwLowDateTime;
        EXPECT_EQ(backUnits, date.units / 10000 * 10000);  // milliseconds are what a SYSTEMTIME keeps
    }
}

TEST(KernelTime, InvalidSystemTimesAreRefused) {
    SYSTEMTIME notLeap{2023, 2, 0, 29, 0, 0, 0, 0};
    SYSTEMTIME month13{2023, 13, 0, 1, 0, 0, 0, 0};
    FILETIME out;
    EXPECT_FALSE(SystemTimeToFileTime(&notLeap, &out));
    EXPECT_FALSE(SystemTimeToFileTime(&month13, &out));
}

// The process's time zone set to a POSIX TZ rule (no zone database needed) for one test, and put back.
class ZoneScope {
  public:
    explicit ZoneScope(const char* zone) {
        const char* old = std::getenv("TZ");
        hadZone_ = old != nullptr;
        if (hadZone_) old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope() {
        if (hadZone_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

  private:
    bool hadZone_ = false;
    std::string old_;
};

FILETIME FromUnixSeconds(ULONGLONG seconds) {
    const ULONGLONG units = 116444736000000000ull + seconds * 10000000ull;
    return FILETIME{DWORD(units), DWORD(units >> 32)};
}

LONGLONG Units(const FILETIME& time) {
    return LONGLONG((ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

// A UTC instant shown as the zone's wall clock, and back: east and west of Greenwich, a half-hour zone,
// a zone's winter and summer time, a year boundary crossed.
TEST(KernelTime, LocalFileTimeFollowsTheZoneAndRoundTrips) {
    struct Case {
        const char* zone;
        ULONGLONG unixSeconds;
        WORD year, month, day, hour, minute, second;
    };
    const Case cases[] = {
        {"JST-9", 1704065400, 2024, 1, 1, 8, 30, 0},                   // 2023-12-31 23:30 UTC
        {"NST3:30", 1709972707, 2024, 3, 9, 4, 55, 7},                 // 2024-03-09 08:25:07 UTC
        {"EST5EDT,M3.2.0,M11.1.0", 1705320000, 2024, 1, 15, 7, 0, 0},  // 2024-01-15 12:00 UTC
        {"EST5EDT,M3.2.0,M11.1.0", 1719835200, 2024, 7, 1, 8, 0, 0},   // 2024-07-01 12:00 UTC
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.zone);
        ZoneScope zone(c.zone);
        const FILETIME utc = FromUnixSeconds(c.unixSeconds);
        FILETIME local{}, back{};
        ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
        SYSTEMTIME shown{};
        ASSERT_TRUE(FileTimeToSystemTime(&local, &shown));
        EXPECT_EQ((std::vector<int>{shown.wYear, shown.wMonth, shown.wDay, shown.wHour, shown.wMinute,
                                    shown.wSecond}),
                  (std::vector<int>{c.year, c.month, c.day, c.hour, c.minute, c.second}));
        ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
        EXPECT_EQ(CompareFileTime(&utc, &back), 0);
    }
}

// GetLocalTime is GetSystemTime shifted by the zone's offset, and FileTimeToLocalFileTime shifts the same.
TEST(KernelTime, LocalTimeMatchesSystemTimeShiftedByZone) {
    struct Case {
        const char* zone;
        LONGLONG offsetSeconds;  // east of UTC
    };
    for (const Case& c : {Case{"JST-9", 9 * 3600}, Case{"NST3:30", -(3 * 3600 + 1800)}}) {
        SCOPED_TRACE(c.zone);
        ZoneScope zone(c.zone);
        SYSTEMTIME local, utc;
        GetLocalTime(&local);
        GetSystemTime(&utc);
        FILETIME localFile, utcFile, shifted;
        ASSERT_TRUE(SystemTimeToFileTime(&local, &localFile));
        ASSERT_TRUE(SystemTimeToFileTime(&utc, &utcFile));
        ASSERT_TRUE(FileTimeToLocalFileTime(&utcFile, &shifted));
        constexpr LONGLONG kTwoSeconds = 20000000;
        EXPECT_LT(std::llabs(Units(localFile) - Units(utcFile) - c.offsetSeconds * 10000000), kTwoSeconds);
        EXPECT_LT(std::llabs(Units(localFile) - Units(shifted)), kTwoSeconds);
    }
}

TEST(KernelTime, CountersRunForward) {
    LARGE_INTEGER frequency, a, b;
    EXPECT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_GT(frequency.QuadPart, 0);
    QueryPerformanceCounter(&a);
    Sleep(5);
    QueryPerformanceCounter(&b);
    EXPECT_GE(b.QuadPart - a.QuadPart, frequency.QuadPart * 4 / 1000);
}

}  // namespace
