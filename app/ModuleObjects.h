// The per-process objects every loaded copy of the module owns from load to unload.
#pragma once

#include <windows.h>

#include "sys/Api.h"

// The auto-reset event "GlimpseboxSubclassEvent": one answer of the shell is ready.
// Every process that loads the module opens the same event by name.
GLMBX_API HANDLE GetSubclassEvent();

// Serialises the mirror window's highlight drawing within the process.
class HighlightLock {
public:
    HighlightLock();
    ~HighlightLock();
    HighlightLock(const HighlightLock&) = delete;
    HighlightLock& operator=(const HighlightLock&) = delete;
};
