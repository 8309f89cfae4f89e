#include "platform/kernel/debug_output.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/kernel/kernel32.h"

namespace {

struct DebugOutput {
    std::mutex lock;
    std::function<void(const std::string&)> capture;
    bool toStandardError = false;

    DebugOutput() {
        const char* env = std::getenv("KORVALUND_DEBUG_OUTPUT");
        toStandardError = env && *env && std::strcmp(env, "0") != 0;
    }
};

DebugOutput& Output() {
    static DebugOutput* output = new DebugOutput;
    return *output;
}

}  // namespace

void SetDebugOutputCapture(std::function<void(const std::string&)> capture) {
    DebugOutput& output = Output();
    std::lock_guard<std::mutex> guard(output.lock);
    output.capture = std::move(capture);
}

void WINAPI OutputDebugStringA(LPCSTR text) {
    if (!text) return;
    DebugOutput& output = Output();
    std::lock_guard<std::mutex> guard(output.lock);
    if (output.capture) output.capture(text);
    if (output.toStandardError) std::fputs(text, stderr);
}
