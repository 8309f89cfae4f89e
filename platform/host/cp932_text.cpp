#include "platform/host/cp932_text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace {

// Length of the sequence that starts with a lead byte of the source, so that an unconvertible character
// is skipped whole.
size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

size_t Cp932SequenceLength(unsigned char lead) {
    return ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) ? 2 : 1;
}

std::string Convert(const std::string& text, const char* to, const char* from,
                    size_t (*sequence)(unsigned char)) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return text;
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(text.data());
    size_t in_left = text.size();
    while (in_left > 0) {
        char* out_ptr = buffer;
        size_t out_left = sizeof(buffer);
        size_t result = iconv(cd, &in, &in_left, &out_ptr, &out_left);
        out.append(buffer, out_ptr - buffer);
        if (result != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // An invalid or incomplete sequence: one '?' for it, then go on after it.
        size_t skip = std::min(in_left, sequence(static_cast<unsigned char>(*in)));
        in += skip;
        in_left -= skip;
        out.push_back('?');
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string Utf8ToCp932(const std::string& utf8) {
    return Convert(utf8, "CP932", "UTF-8", Utf8SequenceLength);
}

std::string Cp932ToUtf8(const std::string& cp932) {
    return Convert(cp932, "UTF-8", "CP932", Cp932SequenceLength);
}
