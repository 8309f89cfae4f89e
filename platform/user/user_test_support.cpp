#include "platform/user/user_test_support.h"

#include "platform/host/host.h"
#include "platform/user/activation.h"
#include "platform/user/display_state.h"
#include "platform/user/find_window.h"
#include "platform/user/keyboard_state.h"
#include "platform/user/message_queue.h"
#include "platform/user/window_store.h"

void ResetWindowStandInForTests() {
    {
        UserLock lock(UserMutex());
        for (HWND window : AllWindows()) {
            ReleaseWindowClassClaim(window);
            RemoveWindowRecord(window);
        }
        ClassRecords().clear();
    }
    ResetClipboardForTests();
    HostResetForTests();
    SetHostKind(HostKind::kHeadless);
    ResetMessageQueuesForTests();
    ResetActivationForTests();
    ResetKeyboardStateForTests();
    ResetDisplayModeForTests();
}
