// Start and end of COM for the library, through the run-time loaded ole32.
#pragma once

// -1 when COM is started already or CoInitializeEx fails; else 0.
int InitCom();
// -1 when COM is not started; else 0.
int EndCom();
