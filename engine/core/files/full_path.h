// The one path builder behind ConvertToFullPath and the archive layer's absolute paths.
#pragma once

struct FullPathRules {
    bool upperCase;           // upper-case a to z of base and path (double-byte characters untouched)
    bool anySlashAfterDrive;  // after "X:", "/" as well as "\" moves the start past the separator
};

// Writes at most kFilePathLimit bytes to out; 0, or -1 (out empty) when the result would not fit.
int BuildFullPath(const char* path, const char* base, char* out, FullPathRules rules);
