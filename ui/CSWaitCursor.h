// CSWaitCursor: the hourglass for the life of a scope, then the cursor that was there before.
#pragma once

#include <windows.h>

#include "sys/Api.h"

class GLMBX_API CSWaitCursor {
public:
    CSWaitCursor();
    ~CSWaitCursor();
    CSWaitCursor(const CSWaitCursor&) = delete;
    CSWaitCursor& operator=(const CSWaitCursor&) = delete;

private:
    HCURSOR previous;
};
