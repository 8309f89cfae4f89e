// The recording double's definitions of the library calls.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>

#include "engine/core/files/file_access.h"
#include "engine/core/frame/library_init.h"
#include "engine/core/frame/window_mode.h"
#include "engine/core/input/input.h"
#include "engine/core/memory/log.h"
#include "engine/graphics/graphics.h"
#include "engine/sound/sound.h"
#include "engine/text_movie/fonts.h"
#include "platform/gdi/gdi32.h"
#include "platform/music/pxtone.h"
#include "platform/user/user32.h"
#include "tests/game/recording_library.h"

// Weak, so that a library object linked in for some other call never clashes with the double; the
// library's own definition then wins and the tests that count that call show it.
#define KORVALUND_DOUBLE __attribute__((weak))

namespace recording {

Library& Lib() {
    static Library library;
    return library;
}

void Reset() {
    Lib() = Library();
    for (uint32_t& pov : Lib().pad.rgdwPOV) pov = kPovCentred;
}

int Count(const std::string& name) {
    return static_cast<int>(Named(name).size());
}

std::vector<Call> Named(const std::string& name) {
    std::vector<Call> found;
    for (const Call& call : Lib().calls) {
        if (call.name == name) found.push_back(call);
    }
    return found;
}

}  // namespace recording

namespace {

int Record(const char* name, std::vector<int64_t> args, const char* text = nullptr, int result = 0) {
    recording::Lib().calls.push_back({name, std::move(args), text != nullptr ? text : ""});
    return result;
}

int64_t Bits(double value) {
    int64_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

}  // namespace

KORVALUND_DOUBLE int LibraryInit() {
    return Record("LibraryInit", {}, nullptr, recording::Lib().initResult);
}
KORVALUND_DOUBLE int LibraryEnd() {
    return Record("LibraryEnd", {});
}

KORVALUND_DOUBLE int PumpMessages() {
    recording::Library& lib = recording::Lib();
    if (lib.onPump) lib.onPump(lib.pumpCount);
    ++lib.pumpCount;
    return lib.pumpResult;
}

KORVALUND_DOUBLE int GetMillisecondCount() {
    return static_cast<int>(GetMicrosecondCount() / 1000);
}

KORVALUND_DOUBLE int64_t GetMicrosecondCount() {
    recording::Library& lib = recording::Lib();
    lib.microseconds += lib.microsecondStep;
    return lib.microseconds;
}

// The frame wait on the double's clock: it reads the clock until the deadline (the library's own wait
// sleeps on the process clock, which this clock does not follow).
KORVALUND_DOUBLE int64_t WaitForMicrosecondCount(int64_t deadline) {
    int64_t now = GetMicrosecondCount();
    while (now >= 0 && now < deadline) now = GetMicrosecondCount();
    return now;
}

KORVALUND_DOUBLE int GetLocalDateTime(int dateTime[6]) {
    std::memcpy(dateTime, recording::Lib().dateTime, sizeof(recording::Lib().dateTime));
    return 0;
}

KORVALUND_DOUBLE int LogPrintf(const char* format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return Record("LogPrintf", {}, text);
}
KORVALUND_DOUBLE int SetFileLogEnabled(int enabled) {
    return Record("SetFileLogEnabled", {enabled});
}
KORVALUND_DOUBLE int SetScreenLogFontSize(int size) {
    return Record("SetScreenLogFontSize", {size});
}
KORVALUND_DOUBLE int ClearScreenLogPublic() {
    return 0;
}

KORVALUND_DOUBLE int ChangeWindowMode(int windowMode) {
    return Record("ChangeWindowMode", {windowMode}, nullptr,
                  windowMode == 0 ? recording::Lib().fullScreenResult : 0);
}
KORVALUND_DOUBLE int SetWindowSizeRate(double rateX, double rateY) {
    return Record("SetWindowSizeRate", {Bits(rateX), Bits(rateY)});
}
KORVALUND_DOUBLE int SetMainWindowText(const char* text) {
    return Record("SetMainWindowText", {}, text);
}
KORVALUND_DOUBLE HWND GetMainWindowHandle() {
    return reinterpret_cast<HWND>(0x1234);
}

KORVALUND_DOUBLE int GetKeyState1(int keyCode) {
    ++recording::Lib().keyboardReads;
    return keyCode >= 0 && keyCode < 256 && recording::Lib().keys[keyCode] ? 1 : 0;
}

KORVALUND_DOUBLE int GetAllKeyStates(char* states) {
    ++recording::Lib().keyboardReads;
    for (int i = 0; i < 256; ++i) states[i] = recording::Lib().keys[i] ? 1 : 0;
    return 0;
}

KORVALUND_DOUBLE int GetPadButtonMask(int) {
    ++recording::Lib().padReads;
    return recording::Lib().padMask;
}

KORVALUND_DOUBLE int GetPadRawState(int, PadRawState* state) {
    ++recording::Lib().padReads;
    if (state != nullptr) *state = recording::Lib().pad;
    return 0;
}

KORVALUND_DOUBLE int SetScreenMode(int width, int height, int colorBits, int refreshRate) {
    return Record("SetScreenMode", {width, height, colorBits, refreshRate});
}
KORVALUND_DOUBLE int SetTransparentColour(int red, int green, int blue) {
    return Record("SetTransparentColour", {red, green, blue});
}
KORVALUND_DOUBLE int SetGraphicCreateOption(int flag) {
    return Record("SetGraphicCreateOption", {flag});
}

KORVALUND_DOUBLE int LoadGraphFile(const char* fileName, int flag) {
    const auto& missing = recording::Lib().missingGraphics;
    const bool absent = std::find(missing.begin(), missing.end(), fileName) != missing.end();
    return Record("LoadGraphFile", {flag}, fileName, absent ? -1 : recording::Lib().nextGraphic++);
}
KORVALUND_DOUBLE int MakeDrawTarget(int width, int height, int alpha) {
    return Record("MakeDrawTarget", {width, height, alpha}, nullptr, recording::Lib().nextGraphic++);
}
KORVALUND_DOUBLE int FreeGraphic(int graphic, int flag) {
    return Record("FreeGraphic", {graphic, flag});
}
KORVALUND_DOUBLE int FreeAllGraphics(int flag) {
    return Record("FreeAllGraphics", {flag});
}

KORVALUND_DOUBLE int SelectDrawTarget(int target) {
    return Record("SelectDrawTarget", {target});
}
KORVALUND_DOUBLE int SetClipRect(int x1, int y1, int x2, int y2) {
    return Record("SetClipRect", {x1, y1, x2, y2});
}
KORVALUND_DOUBLE int ClearDrawTarget(const RECT* area) {
    return Record("ClearDrawTarget", {area == nullptr ? 0 : 1});
}
KORVALUND_DOUBLE int FlipFrameDefault() {
    return Record("FlipFrameDefault", {recording::Lib().microseconds});
}

KORVALUND_DOUBLE int SetBlend(int mode, int param) {
    return Record("SetBlend", {mode, param});
}
KORVALUND_DOUBLE int SetBright(int red, int green, int blue) {
    return Record("SetBright", {red, green, blue});
}
KORVALUND_DOUBLE uint32_t PackColor(int red, int green, int blue) {
    return static_cast<uint32_t>(red) << 16 | static_cast<uint32_t>(green) << 8 | static_cast<uint32_t>(blue);
}

KORVALUND_DOUBLE int DrawImageAt(int x, int y, int graphic, int transparent) {
    return Record("DrawImageAt", {x, y, graphic, transparent});
}
KORVALUND_DOUBLE int DrawImagePart(int x, int y, int srcX, int srcY, int width, int height, int graphic,
                                   int transparent, int turn) {
    return Record("DrawImagePart", {x, y, srcX, srcY, width, height, graphic, transparent, turn});
}
KORVALUND_DOUBLE int DrawImagePartRotated(int x, int y, int srcX, int srcY, int width, int height,
                                          double scale, double angle, int graphic, int transparent,
                                          int turn) {
    return Record("DrawImagePartRotated",
                  {x, y, srcX, srcY, width, height, Bits(scale), Bits(angle), graphic, transparent, turn});
}
KORVALUND_DOUBLE int DrawImageStretched(int x1, int y1, int x2, int y2, int graphic, int transparent) {
    return Record("DrawImageStretched", {x1, y1, x2, y2, graphic, transparent});
}

KORVALUND_DOUBLE int DrawBoxShape(int x1, int y1, int x2, int y2, uint32_t color, int fill) {
    return Record("DrawBoxShape", {x1, y1, x2, y2, color, fill});
}
KORVALUND_DOUBLE int DrawCircleShape(int x, int y, int radius, uint32_t color, int fill) {
    return Record("DrawCircleShape", {x, y, radius, color, fill});
}
KORVALUND_DOUBLE int DrawLineShape(int x1, int y1, int x2, int y2, uint32_t color, int thickness) {
    return Record("DrawLineShape", {x1, y1, x2, y2, color, thickness});
}
KORVALUND_DOUBLE int FillBox(int x1, int y1, int x2, int y2, uint32_t color) {
    return Record("FillBox", {x1, y1, x2, y2, color});
}
KORVALUND_DOUBLE int OutlineBox(int x1, int y1, int x2, int y2, uint32_t color) {
    return Record("OutlineBox", {x1, y1, x2, y2, color});
}

KORVALUND_DOUBLE int SaveDrawScreen(int x1, int y1, int x2, int y2, const char* fileName, int imageType,
                                    int jpegQuality, int jpegSample2x1, int pngCompressLevel) {
    return Record("SaveDrawScreen", {x1, y1, x2, y2, imageType, jpegQuality, jpegSample2x1, pngCompressLevel},
                  fileName);
}

KORVALUND_DOUBLE int CreateFontPublic(const char* face, int size, int thickness, int fontType, int charSet,
                                      int edgeSize, int italic, int handle) {
    return Record("CreateFontPublic", {size, thickness, fontType, charSet, edgeSize, italic, handle}, face,
                  recording::Lib().nextGraphic++);
}
KORVALUND_DOUBLE int DrawStringWithFont(int x, int y, const char* text, uint32_t color, int font,
                                        uint32_t edgeColor, int vertical) {
    return Record("DrawStringWithFont", {x, y, color, font, edgeColor, vertical}, text);
}

namespace {

std::map<int, std::FILE*>& OpenFiles() {
    static std::map<int, std::FILE*> files;
    return files;
}

}  // namespace

KORVALUND_DOUBLE int OpenFileHandle(const char* path, int backgroundFlag) {
    std::FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
    static int nextHandle = 1;
    int handle = 0;
    if (file != nullptr) {
        handle = nextHandle++;
        OpenFiles()[handle] = file;
        ++recording::Lib().openFiles;
    }
    return Record("OpenFileHandle", {backgroundFlag}, path, handle);
}
KORVALUND_DOUBLE int ReadFileHandle(void* buffer, int size, int handle) {
    auto found = OpenFiles().find(handle);
    if (found == OpenFiles().end() || size < 0) return -1;
    return static_cast<int>(std::fread(buffer, 1, static_cast<size_t>(size), found->second));
}
// One line without its CR LF (or LF), cut to size - 1 bytes; -1 at the end of the file.
KORVALUND_DOUBLE int ReadFileHandleLine(char* buffer, int size, int handle) {
    auto found = OpenFiles().find(handle);
    if (found == OpenFiles().end() || size < 2) return -1;
    int length = 0, c = std::fgetc(found->second);
    if (c == EOF) return -1;
    for (; c != EOF && c != '\n'; c = std::fgetc(found->second)) {
        if (length < size - 1) buffer[length++] = static_cast<char>(c);
    }
    if (length > 0 && buffer[length - 1] == '\r') --length;
    buffer[length] = '\0';
    return length;
}
KORVALUND_DOUBLE int CloseFileHandle(int handle) {
    auto found = OpenFiles().find(handle);
    if (found == OpenFiles().end()) return Record("CloseFileHandle", {handle}, nullptr, -1);
    std::fclose(found->second);
    OpenFiles().erase(found);
    --recording::Lib().openFiles;
    return Record("CloseFileHandle", {handle});
}
KORVALUND_DOUBLE int64_t GetFileSizeByPath(const char* path) {
    std::FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (file == nullptr) return Record("GetFileSizeByPath", {}, path, -1);
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    return Record("GetFileSizeByPath", {}, path, static_cast<int>(size));
}

KORVALUND_DOUBLE int LoadSoundFile(const char* path, int bufferCount, int joinHandle) {
    return Record("LoadSoundFile", {bufferCount, joinHandle}, path, recording::Lib().nextSound++);
}
KORVALUND_DOUBLE int PlaySoundHandle(int handle, int playType, int fromTop) {
    std::vector<int>& playing = recording::Lib().playingSounds;
    if (std::find(playing.begin(), playing.end(), handle) == playing.end()) playing.push_back(handle);
    return Record("PlaySoundHandle", {handle, playType, fromTop});
}
KORVALUND_DOUBLE int StopSoundHandle(int handle) {
    std::vector<int>& playing = recording::Lib().playingSounds;
    playing.erase(std::remove(playing.begin(), playing.end(), handle), playing.end());
    return Record("StopSoundHandle", {handle});
}
KORVALUND_DOUBLE int QuerySoundPlaying(int handle) {
    const std::vector<int>& playing = recording::Lib().playingSounds;
    return std::find(playing.begin(), playing.end(), handle) != playing.end() ? 1 : 0;
}
KORVALUND_DOUBLE int SetSoundVolume(int volume, int handle) {
    return Record("SetSoundVolume", {volume, handle});
}

KORVALUND_DOUBLE BOOL pxtone_Ready(HWND window, int channels, int sampleRate, int bitsPerSample,
                                   float bufferSeconds, BOOL directSound, PxtonePlayCallback callback) {
    return Record("pxtone_Ready",
                  {reinterpret_cast<intptr_t>(window), channels, sampleRate, bitsPerSample,
                   Bits(bufferSeconds), directSound, callback != nullptr},
                  nullptr, TRUE);
}
KORVALUND_DOUBLE BOOL pxtone_Reset(HWND window, int channels, int sampleRate, int bitsPerSample,
                                   float bufferSeconds, BOOL directSound, PxtonePlayCallback callback) {
    return Record("pxtone_Reset",
                  {reinterpret_cast<intptr_t>(window), channels, sampleRate, bitsPerSample,
                   Bits(bufferSeconds), directSound, callback != nullptr},
                  nullptr, TRUE);
}
KORVALUND_DOUBLE BOOL pxtone_Release() {
    return Record("pxtone_Release", {}, nullptr, TRUE);
}
KORVALUND_DOUBLE BOOL pxtone_Tune_Load(HMODULE module, const char* resourceType, const char* path) {
    return Record("pxtone_Tune_Load",
                  {reinterpret_cast<intptr_t>(module), reinterpret_cast<intptr_t>(resourceType)}, path, TRUE);
}
KORVALUND_DOUBLE BOOL pxtone_Tune_Release() {
    return Record("pxtone_Tune_Release", {}, nullptr, TRUE);
}
KORVALUND_DOUBLE BOOL pxtone_Tune_Start(int32_t startSample, int32_t fadeInMs) {
    return Record("pxtone_Tune_Start", {startSample, fadeInMs}, nullptr, TRUE);
}
KORVALUND_DOUBLE int32_t pxtone_Tune_Stop() {
    return Record("pxtone_Tune_Stop", {});
}
KORVALUND_DOUBLE BOOL pxtone_Tune_Fadeout(int32_t milliseconds) {
    return Record("pxtone_Tune_Fadeout", {milliseconds}, nullptr, TRUE);
}
KORVALUND_DOUBLE void pxtone_Tune_SetLoop(BOOL loop) {
    Record("pxtone_Tune_SetLoop", {loop});
}
KORVALUND_DOUBLE float pxtone_Tune_SetVolume(float volume) {
    Record("pxtone_Tune_SetVolume", {Bits(volume)});
    return 1.0f;
}

// The font's bytes are kept as the call's text.
KORVALUND_DOUBLE HANDLE WINAPI AddFontMemResourceEx(PVOID data, DWORD size, PVOID reserved, DWORD* count) {
    recording::Lib().calls.push_back({"AddFontMemResourceEx",
                                      {size, reserved != nullptr},
                                      std::string(static_cast<const char*>(data), size)});
    HANDLE result = recording::Lib().memoryFontResult;
    if (count != nullptr) *count = result != nullptr ? 1 : 0;
    return result;
}
KORVALUND_DOUBLE BOOL WINAPI RemoveFontMemResourceEx(HANDLE handle) {
    return Record("RemoveFontMemResourceEx", {reinterpret_cast<intptr_t>(handle)}, nullptr, TRUE);
}
KORVALUND_DOUBLE int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    recording::Lib().calls.push_back(
        {"MessageBoxA", {reinterpret_cast<intptr_t>(owner), type}, std::string(text) + "|" + caption});
    return IDOK;
}
