// The classes CoCreateInstance can make: each stand-in registers a factory per class id
// (from RegisterAllPlatformModules). Tests can make creating a class fail.
#pragma once

#include "platform/com/unknown.h"

// Makes an object of the class and returns its `iid` interface in *object (AddRef'ed).
typedef HRESULT (*ComClassFactory)(REFIID iid, void** object);

void RegisterComClass(REFCLSID clsid, ComClassFactory factory);
// While failing, CoCreateInstance of the class returns the given error and a null object.
void SetComClassFailing(REFCLSID clsid, bool failing, HRESULT error = E_FAIL);
// Number of CoInitializeEx calls of the calling thread not yet matched by CoUninitialize.
int GetComInitializeDepth();
