// Where OutputDebugStringA's text goes: standard error when KORVALUND_DEBUG_OUTPUT asks for it, and a
// capture that tests install to see exactly what was sent.
#pragma once

#include <functional>
#include <string>

// Installs (or with an empty function removes) a receiver of every debugger-output text.
void SetDebugOutputCapture(std::function<void(const std::string&)> capture);
