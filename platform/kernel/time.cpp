// Performance counter, millisecond clocks, wall-clock time and FILETIME conversions.
#include <time.h>

#include "platform/kernel/clock.h"
#include "platform/kernel/kernel32.h"

namespace {

// 100-nanosecond units, as most Windows machines report.
constexpr LONGLONG kCounterFrequency = 10000000;
// FILETIME counts 100 ns units from 1601-01-01; the Unix epoch lies this many units later.
constexpr ULONGLONG kUnixEpochInFileTime = 116444736000000000ull;
constexpr ULONGLONG kUnitsPerSecond = 10000000ull;

ULONGLONG ToUnits(const FILETIME* time) {
    return (ULONGLONG(time->dwHighDateTime) << 32) | time->dwLowDateTime;
}

void FromUnits(ULONGLONG units, FILETIME* time) {
    time->dwLowDateTime = DWORD(units);
    time->dwHighDateTime = DWORD(units >> 32);
}

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = unsigned(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + int64_t(dayOfEra) - 719468;
}

void CivilFromDays(int64_t days, int64_t* year, unsigned* month, unsigned* day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = unsigned(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    *day = dayOfYear - (153 * mp + 2) / 5 + 1;
    *month = mp < 10 ? mp + 3 : mp - 9;
    *year = int64_t(yearOfEra) + era * 400 + (*month <= 2);
}

void SystemTimeFromTm(const tm& parts, long nanoseconds, SYSTEMTIME* out) {
    out->wYear = WORD(parts.tm_year + 1900);
    out->wMonth = WORD(parts.tm_mon + 1);
    out->wDayOfWeek = WORD(parts.tm_wday);
    out->wDay = WORD(parts.tm_mday);
    out->wHour = WORD(parts.tm_hour);
    out->wMinute = WORD(parts.tm_min);
    out->wSecond = WORD(parts.tm_sec);
    out->wMilliseconds = WORD(nanoseconds / 1000000);
}

// Seconds east of UTC of the local zone at the given Unix time.
long LocalOffsetAt(time_t when) {
    tm parts{};
    localtime_r(&when, &parts);
    return parts.tm_gmtoff;
}

}  // namespace

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
    count->QuadPart = ClockNowNanoseconds() / (1000000000 / kCounterFrequency);
    return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    frequency->QuadPart = kCounterFrequency;
    return TRUE;
}

DWORD WINAPI timeGetTime() {
    return DWORD(ClockNowNanoseconds() / 1000000);
}

DWORD WINAPI GetTickCount() {
    return timeGetTime();
}

void WINAPI GetLocalTime(LPSYSTEMTIME time) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts{};
    localtime_r(&now.tv_sec, &parts);
    SystemTimeFromTm(parts, now.tv_nsec, time);
}

void WINAPI GetSystemTime(LPSYSTEMTIME time) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts{};
    gmtime_r(&now.tv_sec, &parts);
    SystemTimeFromTm(parts, now.tv_nsec, time);
}

void WINAPI GetSystemTimeAsFileTime(LPFILETIME time) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    FromUnits(kUnixEpochInFileTime + ULONGLONG(now.tv_sec) * kUnitsPerSecond + ULONGLONG(now.tv_nsec) / 100,
              time);
}

BOOL WINAPI FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime) {
    ULONGLONG units = ToUnits(fileTime);
    if (units >= 0x8000000000000000ull) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ULONGLONG seconds = units / kUnitsPerSecond;
    // Day 0 of FILETIME (1601-01-01) lies this many days before 1970-01-01.
    int64_t days = int64_t(seconds / 86400) - 134774;
    unsigned secondOfDay = unsigned(seconds % 86400);
    int64_t year;
    unsigned month, day;
    CivilFromDays(days, &year, &month, &day);
    systemTime->wYear = WORD(year);
    systemTime->wMonth = WORD(month);
    systemTime->wDay = WORD(day);
    // 1970-01-01 was a Thursday.
    systemTime->wDayOfWeek = WORD(((days % 7) + 7 + 4) % 7);
    systemTime->wHour = WORD(secondOfDay / 3600);
    systemTime->wMinute = WORD(secondOfDay / 60 % 60);
    systemTime->wSecond = WORD(secondOfDay % 60);
    systemTime->wMilliseconds = WORD(units % kUnitsPerSecond / 10000);
    return TRUE;
}

BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* t, LPFILETIME fileTime) {
    static const unsigned kDaysInMonth[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool valid = t->wYear >= 1601 && t->wYear <= 30827 && t->wMonth >= 1 && t->wMonth <= 12 && t->wDay >= 1 &&
                 t->wDay <= kDaysInMonth[t->wMonth - 1] && t->wHour < 24 && t->wMinute < 60 &&
                 t->wSecond < 60 && t->wMilliseconds < 1000;
    bool leap = (t->wYear % 4 == 0 && t->wYear % 100 != 0) || t->wYear % 400 == 0;
    if (valid && t->wMonth == 2 && t->wDay == 29 && !leap) valid = false;
    if (!valid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int64_t days = DaysFromCivil(t->wYear, t->wMonth, t->wDay) + 134774;
    ULONGLONG seconds = ULONGLONG(days) * 86400 + t->wHour * 3600u + t->wMinute * 60u + t->wSecond;
    FromUnits(seconds * kUnitsPerSecond + t->wMilliseconds * 10000ull, fileTime);
    return TRUE;
}

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime) {
    ULONGLONG units = ToUnits(fileTime);
    time_t unixSeconds = time_t((int64_t(units) - int64_t(kUnixEpochInFileTime)) / int64_t(kUnitsPerSecond));
    FromUnits(units + ULONGLONG(int64_t(LocalOffsetAt(unixSeconds)) * int64_t(kUnitsPerSecond)),
              localFileTime);
    return TRUE;
}

BOOL WINAPI LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime) {
    ULONGLONG units = ToUnits(localFileTime);
    time_t localSeconds = time_t((int64_t(units) - int64_t(kUnixEpochInFileTime)) / int64_t(kUnitsPerSecond));
    long offset = LocalOffsetAt(localSeconds - LocalOffsetAt(localSeconds));
    FromUnits(units - ULONGLONG(int64_t(offset) * int64_t(kUnitsPerSecond)), fileTime);
    return TRUE;
}

LONG WINAPI CompareFileTime(const FILETIME* a, const FILETIME* b) {
    ULONGLONG x = ToUnits(a), y = ToUnits(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}
