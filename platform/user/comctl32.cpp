#include "platform/user/comctl32.h"

void WINAPI InitCommonControls() {}
