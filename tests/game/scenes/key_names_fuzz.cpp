// Any bytes as key.txt: every name stays within its 11 characters and its terminating zero.
#include <cstdint>
#include <cstring>

#include "game/scenes/key_names.h"
#include "tests/fuzz_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FuzzFolder folder("korvalund_key_names_fuzz");
    if (!folder.Write("key.txt", data, size)) return 0;
    static KeyNames names;
    names.Load((folder.path() / "key.txt").c_str());
    for (int code = -1; code <= kKeyCodeCount; ++code)
        if (std::strlen(names.Name(code)) >= size_t(kKeyNameSize)) __builtin_trap();
    return 0;
}
