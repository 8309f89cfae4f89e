#include "platform/kernel/code_pages.h"

#include <errno.h>
#include <iconv.h>

#include <cstring>
#include <vector>

#include "platform/kernel/kernel32.h"

namespace {

class Converter {
  public:
    Converter(const char* from, const char* to) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return handle_ != iconv_t(-1); }

    // Converts one whole text. A sequence that does not convert fails the call, or, with a
    // replacement, is replaced by it and stepped over by `unit` bytes.
    bool Run(const char* in, size_t inBytes, std::string* out, const std::string* replacement = nullptr,
             size_t unit = 1, bool* replaced = nullptr) {
        out->clear();
        std::vector<char> buffer(inBytes * 4 + 16);
        char* source = const_cast<char*>(in);
        while (inBytes > 0) {
            char* target = buffer.data();
            size_t room = buffer.size();
            size_t result = iconv(handle_, &source, &inBytes, &target, &room);
            out->append(buffer.data(), size_t(target - buffer.data()));
            if (result != size_t(-1) || errno == E2BIG) continue;
            if (!replacement) return false;
            *out += *replacement;
            if (replaced) *replaced = true;
            size_t skip = inBytes < unit ? inBytes : unit;
            source += skip;
            inBytes -= skip;
            iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        }
        char* target = buffer.data();
        size_t room = buffer.size();
        iconv(handle_, nullptr, nullptr, &target, &room);
        out->append(buffer.data(), size_t(target - buffer.data()));
        return true;
    }

  private:
    iconv_t handle_;
};

}  // namespace

const char* IconvNameOfCodePage(UINT codePage) {
    switch (codePage) {
        case CP_ACP:
        case CP_OEMCP:
        case 932:
            return "CP932";
        case 936:
            return "CP936";
        case 949:
            return "CP949";
        case 950:
            return "CP950";
        case CP_UTF8:
            return "UTF-8";
        default:
            return nullptr;
    }
}

std::optional<std::string> ConvertEncoding(const char* from, const char* to, const std::string& text) {
    Converter converter(from, to);
    std::string out;
    if (!converter.ok() || !converter.Run(text.data(), text.size(), &out)) return std::nullopt;
    return out;
}

std::string Cp932ToUtf8(const std::string& text) {
    return ConvertEncoding("CP932", "UTF-8", text).value_or(text);
}

std::string Utf8ToCp932(const std::string& text) {
    return ConvertEncoding("UTF-8", "CP932", text).value_or(text);
}

UINT WINAPI GetACP() {
    return 932;
}

UINT WINAPI GetOEMCP() {
    return 932;
}

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteCount, LPWSTR wide,
                               int wideCount) {
    const char* name = IconvNameOfCodePage(codePage);
    if (!name || !multiByte || multiByteCount == 0 || wideCount < 0 || (wideCount > 0 && !wide)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t bytes = multiByteCount < 0 ? std::strlen(multiByte) + 1 : size_t(multiByteCount);
    Converter converter(name, "UTF-16LE");
    const std::string questionMark("?\0", 2);
    std::string utf16;
    bool strict = (flags & MB_ERR_INVALID_CHARS) != 0;
    if (!converter.ok() || !converter.Run(multiByte, bytes, &utf16, strict ? nullptr : &questionMark)) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    std::u16string decoded;
    for (size_t i = 0; i + 1 < utf16.size(); i += 2)
        decoded.push_back(char16_t(uint8_t(utf16[i]) | (uint8_t(utf16[i + 1]) << 8)));
    if (wideCount == 0) return int(decoded.size());
    if (decoded.size() > size_t(wideCount)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(wide, decoded.data(), decoded.size() * sizeof(WCHAR));
    return int(decoded.size());
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wide, int wideCount, LPSTR multiByte,
                               int multiByteCount, LPCSTR defaultChar, LPBOOL usedDefaultChar) {
    const char* name = IconvNameOfCodePage(codePage);
    if (!name || !wide || wideCount == 0 || multiByteCount < 0 || (multiByteCount > 0 && !multiByte)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t units = 0;
    if (wideCount < 0) {
        while (wide[units]) ++units;
        ++units;
    } else {
        units = size_t(wideCount);
    }
    Converter converter("UTF-16LE", name);
    if (!converter.ok()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string in(reinterpret_cast<const char*>(wide), units * sizeof(WCHAR));
    std::string replacement = defaultChar ? std::string(defaultChar) : std::string("?");
    bool usedDefault = false;
    std::string encoded;
    converter.Run(in.data(), in.size(), &encoded, &replacement, sizeof(WCHAR), &usedDefault);
    if (usedDefaultChar) *usedDefaultChar = usedDefault ? TRUE : FALSE;
    if (multiByteCount == 0) return int(encoded.size());
    if (encoded.size() > size_t(multiByteCount)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(multiByte, encoded.data(), encoded.size());
    return int(encoded.size());
}
