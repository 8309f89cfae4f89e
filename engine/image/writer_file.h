// The C runtime file the PNG and JPEG writers write through.
#pragma once

#include <cstdio>
#include <cwchar>

// Opens the file for writing ("wb") by widePath when given, else by the Windows path; null on failure.
FILE* OpenImageFileForWriting(const wchar_t* widePath, const char* path);
