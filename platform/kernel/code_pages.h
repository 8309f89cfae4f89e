// Conversions between the multibyte code pages the library speaks (932, 936, 949, 950, UTF-8) and
// UTF-16 or UTF-8, through iconv. Used by the code-page calls and by the path mapping.
#pragma once

#include <optional>
#include <string>

#include "platform/kernel/win_types.h"

// The iconv name of a code page (CP_ACP and CP_OEMCP are 932); null for one we do not carry.
const char* IconvNameOfCodePage(UINT codePage);
// Converts bytes between two iconv encodings; nullopt when the text does not convert cleanly.
std::optional<std::string> ConvertEncoding(const char* from, const char* to, const std::string& text);
// CP932 text to UTF-8 and back; text that does not convert is returned unchanged.
std::string Cp932ToUtf8(const std::string& text);
std::string Utf8ToCp932(const std::string& text);
