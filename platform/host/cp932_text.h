// Text between the library's CP932 (Shift-JIS) bytes and the UTF-8 of SDL and Linux: the kernel
// stand-in's conversions, one definition for the whole platform layer.
#pragma once

#include "platform/kernel/code_pages.h"
