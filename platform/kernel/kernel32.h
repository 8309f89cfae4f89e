// The Windows kernel calls the library makes: handles and errors, files, threads, events and waits,
// critical sections, the process heap and global memory blocks, time, code pages, system queries and
// run-time module loading.
#pragma once

#include "platform/kernel/win_types.h"

// ---- Errors and handles ----
#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_NO_MORE_FILES 18
#define ERROR_SHARING_VIOLATION 32
#define ERROR_HANDLE_EOF 38
#define ERROR_FILE_EXISTS 80
#define ERROR_INVALID_PARAMETER 87
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_MOD_NOT_FOUND 126
#define ERROR_PROC_NOT_FOUND 127
#define ERROR_NEGATIVE_SEEK 131
#define ERROR_ALREADY_EXISTS 183
#define ERROR_NO_UNICODE_TRANSLATION 1113

DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD error);
BOOL WINAPI CloseHandle(HANDLE object);

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

struct OVERLAPPED {
    ULONG_PTR Internal;
    ULONG_PTR InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
};
typedef OVERLAPPED* LPOVERLAPPED;

typedef FILETIME* LPFILETIME;
typedef const FILETIME* LPCFILETIME;
typedef SYSTEMTIME* LPSYSTEMTIME;
typedef LARGE_INTEGER* PLARGE_INTEGER;

// ---- Files ----
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
#define FILE_FLAG_RANDOM_ACCESS 0x10000000u
#define FILE_FLAG_OVERLAPPED 0x40000000u
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define INVALID_FILE_SIZE ((DWORD)-1)
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAA* LPWIN32_FIND_DATAA;

HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                          LPSECURITY_ATTRIBUTES security, DWORD creationDisposition, DWORD flagsAndAttributes,
                          HANDLE templateFile);
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
                     LPOVERLAPPED overlapped);
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
                      LPOVERLAPPED overlapped);
DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod);
DWORD WINAPI GetFileSize(HANDLE file, LPDWORD fileSizeHigh);
BOOL WINAPI GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite);
BOOL WINAPI SetEndOfFile(HANDLE file);
BOOL WINAPI FlushFileBuffers(HANDLE file);
BOOL WINAPI DeleteFileA(LPCSTR fileName);
DWORD WINAPI GetFileAttributesA(LPCSTR fileName);
BOOL WINAPI CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES security);
BOOL WINAPI RemoveDirectoryA(LPCSTR pathName);
HANDLE WINAPI FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData);
BOOL WINAPI FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findData);
BOOL WINAPI FindClose(HANDLE findFile);
DWORD WINAPI GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer);
BOOL WINAPI SetCurrentDirectoryA(LPCSTR pathName);
DWORD WINAPI GetTempPathA(DWORD bufferLength, LPSTR buffer);
UINT WINAPI GetTempFileNameA(LPCSTR pathName, LPCSTR prefix, UINT unique, LPSTR tempFileName);
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

// ---- Threads ----
#define CREATE_SUSPENDED 0x00000004u
#define STILL_ACTIVE 259
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_TIME_CRITICAL 15
#define THREAD_PRIORITY_IDLE (-15)
#define THREAD_PRIORITY_ERROR_RETURN 0x7fffffff

typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID parameter);

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                           LPVOID parameter, DWORD creationFlags, LPDWORD threadId);
// Only the calling thread (or a thread that has not started yet) can be suspended.
DWORD WINAPI SuspendThread(HANDLE thread);
DWORD WINAPI ResumeThread(HANDLE thread);
[[noreturn]] void WINAPI ExitThread(DWORD exitCode);
BOOL WINAPI GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
BOOL WINAPI SetThreadPriority(HANDLE thread, int priority);
int WINAPI GetThreadPriority(HANDLE thread);
HANDLE WINAPI GetCurrentThread();
DWORD WINAPI GetCurrentThreadId();
HANDLE WINAPI GetCurrentProcess();
DWORD WINAPI GetCurrentProcessId();
void WINAPI Sleep(DWORD milliseconds);
// ntdll's sleep, in 100-nanosecond units; only a relative (negative) interval is taken here.
// Answers 0, or STATUS_INVALID_PARAMETER for another interval.
#define STATUS_INVALID_PARAMETER LONG(0xC000000D)
LONG WINAPI NtDelayExecution(BOOLEAN alertable, PLARGE_INTEGER interval);

// ---- Events and waits ----
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL WINAPI SetEvent(HANDLE event);
BOOL WINAPI ResetEvent(HANDLE event);
DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds);
DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD milliseconds);

// ---- Critical sections ----
struct CRITICAL_SECTION {
    void* impl;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section);
void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section);
void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION section);
void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section);

// ---- Heap ----
#define HEAP_ZERO_MEMORY 0x00000008u

HANDLE WINAPI GetProcessHeap();
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
LPVOID WINAPI HeapReAlloc(HANDLE heap, DWORD flags, LPVOID memory, SIZE_T bytes);
BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID memory);
SIZE_T WINAPI HeapSize(HANDLE heap, DWORD flags, LPCVOID memory);

// ---- Global memory blocks ----
// Only movable blocks exist: the handle stands apart from the memory, which GlobalLock reaches.
#define GMEM_FIXED 0x0000u
#define GMEM_MOVEABLE 0x0002u
#define GMEM_ZEROINIT 0x0040u
#define GMEM_DDESHARE 0x2000u
#define ERROR_DISCARDED 157
#define ERROR_NOT_LOCKED 158

typedef HANDLE HGLOBAL;

// Fails (null, ERROR_INVALID_PARAMETER) without GMEM_MOVEABLE or with flags other than those above.
HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
// The block's memory, counting one more lock; null for an unknown handle or a block of no bytes.
LPVOID WINAPI GlobalLock(HGLOBAL memory);
// TRUE while locks remain; FALSE with error 0 when the last lock went, ERROR_NOT_LOCKED when none was held.
BOOL WINAPI GlobalUnlock(HGLOBAL memory);
// Null when freed (locked or not); the handle itself for an unknown handle.
HGLOBAL WINAPI GlobalFree(HGLOBAL memory);
// The size asked for at allocation; 0 for an unknown handle.
SIZE_T WINAPI GlobalSize(HGLOBAL memory);

// ---- Time ----
BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency);
DWORD WINAPI GetTickCount();
// The multimedia millisecond clock (winmm exports it; it runs on the same process clock).
DWORD WINAPI timeGetTime();
void WINAPI GetLocalTime(LPSYSTEMTIME time);
void WINAPI GetSystemTime(LPSYSTEMTIME time);
void WINAPI GetSystemTimeAsFileTime(LPFILETIME time);
BOOL WINAPI FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime);
BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime);
BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime);
BOOL WINAPI LocalFileTimeToFileTime(const FILETIME* localFileTime, LPFILETIME fileTime);
LONG WINAPI CompareFileTime(const FILETIME* a, const FILETIME* b);

// ---- Code pages ----
#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001
#define MB_PRECOMPOSED 0x00000001u
#define MB_ERR_INVALID_CHARS 0x00000008u

UINT WINAPI GetACP();
UINT WINAPI GetOEMCP();
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount, LPWSTR wide,
                               int wideCount);
int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideCount, LPSTR multiByte,
                               int multiByteCount, LPCSTR defaultChar, LPBOOL usedDefaultChar);

// ---- Debugger output ----
// Goes to standard error when KORVALUND_DEBUG_OUTPUT is set to a non-empty value other than "0".
void WINAPI OutputDebugStringA(LPCSTR text);

// ---- System information ----
#define PROCESSOR_ARCHITECTURE_INTEL 0
#define PROCESSOR_ARCHITECTURE_AMD64 9
#define PROCESSOR_INTEL_PENTIUM 586
#define PROCESSOR_AMD_X8664 8664

struct SYSTEM_INFO {
    WORD wProcessorArchitecture;
    WORD wReserved;
    DWORD dwPageSize;
    LPVOID lpMinimumApplicationAddress;
    LPVOID lpMaximumApplicationAddress;
    DWORD_PTR dwActiveProcessorMask;
    DWORD dwNumberOfProcessors;
    DWORD dwProcessorType;
    DWORD dwAllocationGranularity;
    WORD wProcessorLevel;
    WORD wProcessorRevision;
};
typedef SYSTEM_INFO* LPSYSTEM_INFO;

void WINAPI GetSystemInfo(LPSYSTEM_INFO info);

// ---- Version and memory ----
#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};
typedef OSVERSIONINFOA* LPOSVERSIONINFOA;

// Reports Windows 7 with Service Pack 1 (NT 6.1, build 7601).
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info);

struct MEMORYSTATUS {
    DWORD dwLength;
    DWORD dwMemoryLoad;
    SIZE_T dwTotalPhys;
    SIZE_T dwAvailPhys;
    SIZE_T dwTotalPageFile;
    SIZE_T dwAvailPageFile;
    SIZE_T dwTotalVirtual;
    SIZE_T dwAvailVirtual;
};
typedef MEMORYSTATUS* LPMEMORYSTATUS;

struct MEMORYSTATUSEX {
    DWORD dwLength;
    DWORD dwMemoryLoad;
    DWORDLONG ullTotalPhys;
    DWORDLONG ullAvailPhys;
    DWORDLONG ullTotalPageFile;
    DWORDLONG ullAvailPageFile;
    DWORDLONG ullTotalVirtual;
    DWORDLONG ullAvailVirtual;
    DWORDLONG ullAvailExtendedVirtual;
};
typedef MEMORYSTATUSEX* LPMEMORYSTATUSEX;

void WINAPI GlobalMemoryStatus(LPMEMORYSTATUS status);
// Fails unless dwLength is the size of the record.
BOOL WINAPI GlobalMemoryStatusEx(LPMEMORYSTATUSEX status);
