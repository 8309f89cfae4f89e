#include "engine/core/files/full_path.h"

#include <cstring>

#include "engine/core/files/file_access.h"
#include "engine/core/helpers/string_helpers.h"

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

char Upper(char c, bool upperCase) {
    return upperCase && c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

class PathBuilder {
  public:
    PathBuilder(char* out, bool upperCase) : out_(out), upperCase_(upperCase) { out_[0] = 0; }
    bool Append(const char* text, int length) {
        if (length_ + length >= kFilePathLimit) return false;
        for (int i = 0; i < length; ++i) {
            bool lead = IsLeadByte(uint8_t(text[i])) && i + 1 < length;
            out_[length_++] = Upper(text[i], upperCase_);
            if (lead) out_[length_++] = text[++i];
        }
        out_[length_] = 0;
        return true;
    }
    bool AppendComponent(const char* name, int length) { return Append("\\", 1) && Append(name, length); }
    // Drops the last component: back to the previous "\" or "/"; a ":" stays.
    void DropLast() {
        int cut = 0;
        for (int i = 0; i < length_; ++i) {
            if (IsLeadByte(uint8_t(out_[i])) && i + 1 < length_)
                ++i;
            else if (IsSeparator(out_[i]))
                cut = i;
            else if (out_[i] == ':')
                cut = i + 1;
        }
        length_ = cut;
        out_[length_] = 0;
    }
    void DropTrailingSeparator() {
        if (length_ > 0 && IsSeparator(out_[length_ - 1]) && !EndsInTrailByte()) out_[--length_] = 0;
    }
    bool Fail() {
        out_[0] = 0;
        return false;
    }

  private:
    bool EndsInTrailByte() const {
        int i = 0;
        bool trail = false;
        while (i < length_) {
            trail = IsLeadByte(uint8_t(out_[i])) && i + 1 < length_;
            i += trail ? 2 : 1;
        }
        return trail;
    }
    char* out_;
    int length_ = 0;
    bool upperCase_;
};

// The start of the result by the form of the path; returns the index where reading resumes, or -1.
int StartPath(PathBuilder& result, const char* path, const char* base, FullPathRules rules) {
    if (IsSeparator(path[0]) && path[1] == path[0]) return result.Append("\\", 1) ? 2 : -1;
    if (IsSeparator(path[0])) return result.Append(base, int(strnlen(base, 2))) ? 1 : -1;
    if (path[0] != 0 && path[1] == ':') {
        if (!result.Append(path, 2)) return -1;
        bool slash = rules.anySlashAfterDrive ? IsSeparator(path[2]) : path[2] == '\\';
        return slash ? 3 : 2;
    }
    if (!result.Append(base, int(std::strlen(base)))) return -1;
    result.DropTrailingSeparator();
    return 0;
}

}  // namespace

int BuildFullPath(const char* path, const char* base, char* out, FullPathRules rules) {
    PathBuilder result(out, rules.upperCase);
    if (path == nullptr) return result.Append(base, int(std::strlen(base))) ? 0 : (result.Fail(), -1);
    int i = StartPath(result, path, base, rules);
    if (i < 0) return result.Fail(), -1;
    int start = i;
    for (;;) {
        char c = path[i];
        if (c != 0 && IsLeadByte(uint8_t(c)) && path[i + 1] != 0) {
            i += 2;
            continue;
        }
        if (c != 0 && !IsSeparator(c)) {
            ++i;
            continue;
        }
        const char* name = path + start;
        int length = i - start;
        bool ok = true;
        if (c == 0) {
            if (length > 0) ok = result.AppendComponent(name, length);
        } else if (length == 2 && name[0] == '.' && name[1] == '.') {
            result.DropLast();
        } else if (length > 0 && !(length == 1 && name[0] == '.')) {
            ok = result.AppendComponent(name, length);
        }
        if (!ok) return result.Fail(), -1;
        if (c == 0) return 0;
        start = ++i;
    }
}

int ConvertToFullPath(const char* path, char* out, const char* base) {
    char current[kFilePathLimit];
    if (base == nullptr) {
        current[0] = 0;
        CallFileGetCurrentDir(current);
        base = current;
    }
    return BuildFullPath(path, base, out, FullPathRules{false, true});
}

int ConvertToFullPathPublic(const char* path, char* out, const char* base) {
    return ConvertToFullPath(path, out, base);
}
