#include "engine/core/frame/timer_precision.h"

#include "engine/core/frame/library_state.h"
#include "engine/core/frame/system_functions.h"
#include "engine/core/memory/log.h"
#include "platform/kernel/kernel32.h"
#include "platform/user/winmm.h"

namespace {

constexpr int kWantedChanges = 60;
constexpr DWORD kTestMilliseconds = 1000;
// A clock that stands still (the virtual clock) never changes: the test ends after this many readings.
constexpr long kReadingLimit = 200000;

void CompareClocks(unsigned finestPeriod) {
    LogText("タイマーの精度を検査します\n");
    int timerChanges = 0, counterChanges = 0;
    DWORD start = systemFunctions.timeGetTime(), lastTime = start;
    LARGE_INTEGER lastCounter;
    QueryPerformanceCounter(&lastCounter);
    for (long reading = 0; reading < kReadingLimit; ++reading) {
        DWORD now = systemFunctions.timeGetTime();
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        if (now != lastTime) ++timerChanges, lastTime = now;
        if (counter.QuadPart != lastCounter.QuadPart) ++counterChanges, lastCounter = counter;
        if (timerChanges >= kWantedChanges || counterChanges >= kWantedChanges) break;
        if (now - start >= kTestMilliseconds) break;
    }
    LogPrintf("精度結果 更新回数 マルチメディアタイマー：%d  パフォーマンスカウンター：%d", timerChanges,
              counterChanges);
    if (counterChanges < timerChanges) {
        LogPrintf("Multi Media Timer を使用します Timer 精度 : %u.00 ms ", finestPeriod);
        libraryFlags.timerUsable = 0;
    } else {
        LogPrintf("パフォーマンスカウンターを使用します タイマー精度 : %lf KHz ",
                  double(libraryFlags.counterFrequency) / 1000.0);
    }
}

}  // namespace

unsigned StartTimers() {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    libraryFlags.counterFrequency = frequency.QuadPart;
    libraryFlags.timerUsable = frequency.QuadPart != 0;
    unsigned finestPeriod = 0;
    TIMECAPS caps = {};
    if (systemFunctions.timeGetDevCaps && systemFunctions.timeGetDevCaps(&caps, sizeof(caps)) == 0) {
        finestPeriod = caps.wPeriodMin;
        if (systemFunctions.timeBeginPeriod) systemFunctions.timeBeginPeriod(finestPeriod);
    }
    if (libraryFlags.timerUsable && systemFunctions.timeGetTime) CompareClocks(finestPeriod);
    return finestPeriod;
}

void EndTimers(unsigned finestPeriod) {
    if (finestPeriod && systemFunctions.timeEndPeriod) systemFunctions.timeEndPeriod(finestPeriod);
}
