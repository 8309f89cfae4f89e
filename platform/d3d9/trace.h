// Recording of calls into the stand-in's trace (see d3d9_control.h), formatted as "Method(arg, ...)".
#pragma once

#include <cstdio>
#include <string>
#include <type_traits>

#include "platform/d3d9/d3d9_control.h"

namespace d3d9 {

void AppendTrace(std::string line);

inline void FormatTraceArg(std::string& out, const char* text) {
    out += text ? text : "NULL";
}
inline void FormatTraceArg(std::string& out, float value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    out += buffer;
}
template <typename T>
void FormatTraceArg(std::string& out, T* pointer) {
    out += pointer ? "ptr" : "NULL";
}
template <typename T>
requires std::is_integral_v<T> || std::is_enum_v<T>
void FormatTraceArg(std::string& out, T value) {
    if constexpr (std::is_enum_v<T>)
        out += std::to_string(static_cast<unsigned long long>(value));
    else if constexpr (std::is_signed_v<T>)
        out += std::to_string(static_cast<long long>(value));
    else
        out += std::to_string(static_cast<unsigned long long>(value));
}

template <typename... Args>
void Trace(const char* method, const Args&... args) {
    if (!D3D9TraceEnabled()) return;
    std::string line = method;
    line += '(';
    bool first = true;
    ((line += first ? "" : ", ", first = false, FormatTraceArg(line, args)), ...);
    line += ')';
    AppendTrace(std::move(line));
}

}  // namespace d3d9
