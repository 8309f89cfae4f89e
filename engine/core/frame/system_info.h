// The system-information block of the log, with the values later code reads (processor count, OS
// version code, CPU features), and the output path of a layered (per-pixel transparent) main window.
#pragma once

#include <cstdint>

#include "platform/kernel/kernel32.h"
#include "platform/user/user32.h"

struct SoftImage;

// OS version codes.
enum OsVersionCode {
    OS_WIN31 = 0,
    OS_WIN95 = 1,
    OS_WIN98 = 2,
    OS_WINME = 3,
    OS_WINNT351 = 260,
    OS_WINNT4 = 261,
    OS_WIN2000 = 262,
    OS_WINXP = 263,
    OS_WINVISTA = 264,
    OS_WIN7 = 265,
};

struct SystemInformation {
    int processorCount;
    int osVersionCode;
    char osDescription[256];
    int directXVersion;  // always 0x70000
    int cpuHasTsc;
    int cpuHasMmx;
    int cpuHasSse;
    int cpuHasSse2;
    char cpuName[64];  // empty when the CPU reports no brand string
    int cpuMegahertz;
    int64_t cpuMeasuredCycles;
};

// The values recorded by the last LogSystemInformation (kept across the library state's reset).
SystemInformation& GetSystemInformation();

// The OS text appended to "Windows" and the code for a GetVersionExA answer. NT versions after 6.1
// count as 6.1, 9x minors between the known ones as the next lower known one.
int OsVersionCodeOf(const OSVERSIONINFOA& version, const char** text);

// Writes the block to the log and records the values. 0.
int LogSystemInformation();

// CPU feature level as the log reports it: 0 no CPUID, 1 CPUID only, 3 MMX, 4 MMX and SSE, 5 MMX, SSE
// and SSE2.
int CpuFeatureLevel(bool cpuid, bool mmx, bool sse, bool sse2);

// The feature lines of the log for a level.
void LogCpuFeatureLines(int level);

// Where the layered output goes: the target window (the user-supplied window when set, else the main
// window), its caption height, the transparent colour (0x00RRGGBB) and UpdateLayeredWindow as looked
// up when the window was made (null: nothing is shown).
struct LayeredWindowTarget {
    HWND window;
    int captionHeight;
    uint32_t transparentColor;
    BOOL(WINAPI* updateLayeredWindow)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF, BLENDFUNCTION*, DWORD);
};

// Shows the screen image in the layered window (the screen flip calls it when the window is layered).
// 0, or -1 when nothing could be shown.
int LayeredWindowPresent(const SoftImage* image, const LayeredWindowTarget& target);
// Frees the cached bitmap (window end).
void DeleteLayeredWindowBitmap();
