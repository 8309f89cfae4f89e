// Text between the library's CP932 (Shift-JIS) bytes and the UTF-8 of SDL and Linux.
// Characters that have no place in the target become '?'.
#pragma once

#include <string>

std::string Utf8ToCp932(const std::string& utf8);
std::string Cp932ToUtf8(const std::string& cp932);
