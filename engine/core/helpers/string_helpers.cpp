#include "engine/core/helpers/string_helpers.h"

#include <climits>
#include <cmath>
#include <cstdio>

namespace {
int g_characterSet = 0;
int g_codePage = 0;
}  // namespace

int SetCharacterSet(int code) {
    g_characterSet = code;
    return 0;
}
int GetCharacterSet() {
    return g_characterSet;
}
int SetCodePage(int number) {
    g_codePage = number;
    return 0;
}
int GetCodePage() {
    return g_codePage;
}

void SetCharacterSetFromCodePage(int oemCodePage) {
    switch (oemCodePage) {
        case 949:
            g_characterSet = CHARSET_HANGUL, g_codePage = 949;
            break;
        case 950:
            g_characterSet = CHARSET_BIG5, g_codePage = 950;
            break;
        case 936:
            g_characterSet = CHARSET_GBK, g_codePage = 936;
            break;
        case 932:
            g_characterSet = CHARSET_SHIFTJIS, g_codePage = 932;
            break;
        default:
            g_characterSet = CHARSET_SHIFTJIS, g_codePage = 0;
            break;
    }
}

int IsLeadByte(unsigned char byte, int set) {
    if (set >= CHARSET_HANGUL && set <= CHARSET_GBK) return (byte & 0x80) ? 1 : 0;
    unsigned char flipped = byte ^ 0x20;
    return (flipped >= 0xA1 && flipped <= 0xDC) ? 1 : 0;
}
int IsLeadByte(unsigned char byte) {
    return IsLeadByte(byte, g_characterSet);
}

void StrCopy(char* dst, const char* src) {
    while ((*dst++ = *src++) != 0) {
    }
}

void StrCopyN(char* dst, const char* src, int n) {
    int i = 0;
    for (; i < n && src[i] != 0; ++i) dst[i] = src[i];
    dst[i] = 0;
}

void StrCat(char* dst, const char* src) {
    StrCopy(dst + StrLen(dst), src);
}

const char* StrFind(const char* text, const char* part) {
    if (text[0] == 0) return nullptr;
    if (part[0] == 0) return text;
    for (const char* p = text; *p != 0; ++p) {
        int i = 0;
        while (part[i] != 0 && p[i] == part[i]) ++i;
        if (part[i] == 0) return p;
    }
    return nullptr;
}

int StrLen(const char* text) {
    int n = 0;
    while (text[n] != 0) ++n;
    return n;
}

const char* StrFindChar(const char* text, int byte) {
    for (const char* p = text; *p != 0; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (IsLeadByte(c)) {
            if (p[1] == 0) return nullptr;
            ++p;
            continue;
        }
        if (c == static_cast<unsigned char>(byte)) return p;
    }
    return nullptr;
}

int StrDiffers(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (*a != *b) return 1;
        if (*a == 0) return 0;
    }
}

void StrUpperAscii(char* text) {
    for (char* p = text; *p != 0; ++p) {
        if (IsLeadByte(static_cast<unsigned char>(*p))) {
            if (p[1] == 0) return;
            ++p;
        } else if (*p >= 'a' && *p <= 'z') {
            *p = static_cast<char>(*p - 'a' + 'A');
        }
    }
}

int StrDiffersN(const char* a, const char* b, int n) {
    if (n < 0) return 1;
    return MemDiffers(a, b, n);
}

int VFormatString(char* dst, const char* format, va_list args) {
    return vsprintf(dst, format, args);
}

int FormatString(char* dst, const char* format, ...) {
    va_list args;
    va_start(args, format);
    vsprintf(dst, format, args);
    va_end(args);
    return 0;
}

void MemFill(void* dst, int byte, int n) {
    unsigned char* d = static_cast<unsigned char*>(dst);
    for (int i = 0; i < n; ++i) d[i] = static_cast<unsigned char>(byte);
}

void MemFill32(void* dst, uint32_t value, int n) {
    unsigned char* d = static_cast<unsigned char*>(dst);
    for (int i = 0; i < n; ++i)
        for (int b = 0; b < 4; ++b) d[i * 4 + b] = static_cast<unsigned char>(value >> (8 * b));
}

int MemDiffers(const void* a, const void* b, int n) {
    const unsigned char* x = static_cast<const unsigned char*>(a);
    const unsigned char* y = static_cast<const unsigned char*>(b);
    for (int i = 0; i < n; ++i)
        if (x[i] != y[i]) return 1;
    return 0;
}

// Strictly one byte at a time, first to last: an overlapping source just below the destination
// repeats its bytes, which the archive's LZ unpacker relies on.
int MemCopy(void* dst, const void* src, int n) {
    volatile unsigned char* d = static_cast<unsigned char*>(dst);
    const volatile unsigned char* s = static_cast<const unsigned char*>(src);
    for (int i = 0; i < n; ++i) d[i] = s[i];
    return n;
}

int MemMove(void* dst, const void* src, int n) {
    unsigned char* d = static_cast<unsigned char*>(dst);
    const unsigned char* s = static_cast<const unsigned char*>(src);
    if (d == s) return n;
    if (s < d) {
        for (int i = n - 1; i >= 0; --i) d[i] = s[i];
    } else {
        for (int i = 0; i < n; ++i) d[i] = s[i];
    }
    return n;
}

int GetCharByteKind(const char* text, int index, int set) {
    for (int i = 0; text[i] != 0; ++i) {
        bool lead = IsLeadByte(static_cast<unsigned char>(text[i]), set) && text[i + 1] != 0;
        if (i == index) return lead ? 1 : 0;
        if (lead) {
            ++i;
            if (i == index) return 2;
        }
    }
    return -1;
}

char* IntToString(int value, char* buffer, int radix) {
    if (radix < 2 || radix > 36 || value == INT_MIN) return nullptr;
    char digits[40];
    int count = 0;
    unsigned int magnitude = static_cast<unsigned int>(value < 0 ? -value : value);
    do {
        int digit = static_cast<int>(magnitude % static_cast<unsigned int>(radix));
        digits[count++] = static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10);
        magnitude /= static_cast<unsigned int>(radix);
    } while (magnitude != 0);
    char* out = buffer;
    if (value < 0) *out++ = '-';
    while (count > 0) *out++ = digits[--count];
    *out = 0;
    return buffer;
}

int AbsInt(int value) {
    return value < 0 ? -value : value;
}
float AbsF(float value) {
    return std::isnan(value) ? value : std::fabs(value);
}

// Truncation toward zero; values that do not fit an int (and NaN) give INT_MIN, the value the
// processor's own conversion yields, without undefined behaviour.
int DoubleToInt(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) return INT_MIN;
    return static_cast<int>(value);
}
int FloatToInt(float value) {
    return DoubleToInt(static_cast<double>(value));
}

void FloatVec4ToInt(const float* in, int* out) {
    for (int i = 0; i < 4; ++i) out[i] = FloatToInt(in[i]);
}
void DoubleVec4ToInt(const double* in, int* out) {
    for (int i = 0; i < 4; ++i) out[i] = DoubleToInt(in[i]);
}

void SinCosF(float angle, float* sine, float* cosine) {
    long double a = angle;
    *sine = static_cast<float>(sinl(a));
    *cosine = static_cast<float>(cosl(a));
}

float PowF(float x, float y) {
    return std::pow(x, y);
}
float Atan2F(float y, float x) {
    return std::atan2(y, x);
}
float ExpF(float x) {
    return std::exp(x);
}
float SqrtF(float x) {
    return std::sqrt(x);
}
double Log10D(double x) {
    return std::log10(x);
}

void Mul64x64To128(uint64_t a, uint64_t b, uint64_t out[2]) {
    unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
    out[0] = static_cast<uint64_t>(product);
    out[1] = static_cast<uint64_t>(product >> 64);
}

int Div128By64(const uint64_t dividend[2], uint64_t divisor, uint64_t* out) {
    if (divisor == 0) return -1;
    unsigned __int128 remainder = (static_cast<unsigned __int128>(dividend[1]) << 64) | dividend[0];
    unsigned __int128 quotient = 0;
    for (;;) {
        unsigned __int128 shifted = divisor;
        int count = 0;
        while (shifted <= remainder && !(shifted >> 127)) {
            shifted <<= 1;
            ++count;
        }
        if (shifted <= remainder) ++count;  // the top bit was reached with room left
        if (count == 0) break;
        quotient |= static_cast<unsigned __int128>(1) << (count - 1);
        remainder -= static_cast<unsigned __int128>(divisor) << (count - 1);
    }
    *out = static_cast<uint64_t>(quotient);
    return 0;
}
