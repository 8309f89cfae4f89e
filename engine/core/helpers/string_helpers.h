// The library's string, memory and number helpers. Strings are multibyte text in the library's
// character set; every helper that walks text steps over double-byte characters.
#pragma once

#include <cstdarg>
#include <cstdint>

// Character set codes: 0 and 1 Shift-JIS, 2 Hangul, 3 Big5, 4 GBK (values above 4 are Shift-JIS).
enum CharacterSetCode {
    CHARSET_DEFAULT = 0,
    CHARSET_SHIFTJIS = 1,
    CHARSET_HANGUL = 2,
    CHARSET_BIG5 = 3,
    CHARSET_GBK = 4
};

int SetCharacterSet(int code);
int GetCharacterSet();
int SetCodePage(int number);
int GetCodePage();
// Sets character set and code page from an OEM code page number (932, 936, 949, 950, other).
void SetCharacterSetFromCodePage(int oemCodePage);

int IsLeadByte(unsigned char byte, int set);
int IsLeadByte(unsigned char byte);  // with the current set

void StrCopy(char* dst, const char* src);
void StrCopyN(char* dst, const char* src, int n);
void StrCat(char* dst, const char* src);
const char* StrFind(const char* text, const char* part);
int StrLen(const char* text);
const char* StrFindChar(const char* text, int byte);
int StrDiffers(const char* a, const char* b);
void StrUpperAscii(char* text);
int StrDiffersN(const char* a, const char* b, int n);
int VFormatString(char* dst, const char* format, va_list args);
int FormatString(char* dst, const char* format, ...);
void MemFill(void* dst, int byte, int n);
void MemFill32(void* dst, uint32_t value, int n);
int MemDiffers(const void* a, const void* b, int n);
int MemCopy(void* dst, const void* src, int n);
int MemMove(void* dst, const void* src, int n);
int GetCharByteKind(const char* text, int index, int set);
// Returns buffer, or null for a radix outside 2..36 or the value INT_MIN.
char* IntToString(int value, char* buffer, int radix);

int AbsInt(int value);
float AbsF(float value);
int FloatToInt(float value);
int DoubleToInt(double value);
void FloatVec4ToInt(const float* in, int* out);
void DoubleVec4ToInt(const double* in, int* out);
void SinCosF(float angle, float* sine, float* cosine);
float PowF(float x, float y);
float Atan2F(float y, float x);
float ExpF(float x);
float SqrtF(float x);
double Log10D(double x);
void Mul64x64To128(uint64_t a, uint64_t b, uint64_t out[2]);
// Returns 0, or -1 (out untouched) for a zero divisor.
int Div128By64(const uint64_t dividend[2], uint64_t divisor, uint64_t* out);
