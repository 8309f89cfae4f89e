#include "platform/user/window_metrics.h"

#include "platform/user/display_state.h"
#include "platform/user/user32.h"

int WINAPI GetSystemMetrics(int index) {
    DisplayModeInfo mode = CurrentDisplayMode();
    switch (index) {
        case SM_CXSCREEN:
        case SM_CXFULLSCREEN:
        case SM_CXVIRTUALSCREEN:
            return mode.width;
        case SM_CYSCREEN:
        case SM_CYVIRTUALSCREEN:
            return mode.height;
        case SM_CYFULLSCREEN:
            return mode.height - kCaptionHeight;
        case SM_CYCAPTION:
            return kCaptionHeight;
        case SM_CXBORDER:
        case SM_CYBORDER:
            return kBorder;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME:
            return kFixedFrame;
        case SM_CXFRAME:
        case SM_CYFRAME:
            return kSizeFrame;
        case SM_CYMENU:
            return kMenuHeight;
        case SM_CXICON:
        case SM_CYICON:
        case SM_CXCURSOR:
        case SM_CYCURSOR:
            return 32;
        case SM_CMONITORS:
            return 1;
        default:
            return 0;
    }
}
