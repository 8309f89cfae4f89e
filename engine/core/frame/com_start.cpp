#include "engine/core/frame/com_start.h"

#include "engine/core/frame/system_functions.h"
#include "engine/core/memory/log.h"

namespace {

int comStarted = 0;

}  // namespace

int InitCom() {
    if (comStarted) return -1;
    LogText("ＣＯＭの初期化... ");
    // A missing ole32 counts as a failed start rather than a call through a null pointer.
    HRESULT result = systemFunctions.CoInitializeEx ? systemFunctions.CoInitializeEx(nullptr, 0) : E_FAIL;
    if (FAILED(result)) {
        LogText("ＣＯＭの初期化に失敗しました\n");
        return -1;
    }
    LogText("成功しました\n");
    comStarted = 1;
    return 0;
}

int EndCom() {
    if (!comStarted) return -1;
    if (systemFunctions.CoUninitialize) systemFunctions.CoUninitialize();
    LogText("ＣＯＭを終了... 完了\n");
    comStarted = 0;
    return 0;
}
