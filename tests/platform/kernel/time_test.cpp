#include <gtest/gtest.h>

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

TEST(KernelTime, LocalFileTimeRoundTrips) {
    FILETIME now, local, back;
    GetSystemTimeAsFileTime(&now);
    FileTimeToLocalFileTime(&now, &local);
    LocalFileTimeToFileTime(&local, &back);
    EXPECT_EQ(CompareFileTime(&now, &back), 0);
}

TEST(KernelTime, LocalTimeMatchesSystemTimeShiftedByZone) {
    SYSTEMTIME local, utc;
    GetLocalTime(&local);
    GetSystemTime(&utc);
    FILETIME localFile, utcFile, shifted;
    SystemTimeToFileTime(&local, &localFile);
    SystemTimeToFileTime(&utc, &utcFile);
    FileTimeToLocalFileTime(&utcFile, &shifted);
    ULONGLONG a = (ULONGLONG(localFile.dwHighDateTime) << 32) | localFile.dwLowDateTime;
    ULONGLONG b = (ULONGLONG(shifted.dwHighDateTime) << 32) | shifted.dwLowDateTime;
    EXPECT_LT(a > b ? a - b : b - a, 20000000ull);  // within two seconds
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
