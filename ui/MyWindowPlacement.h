// MyWindowPlacement: a window's placement as it is kept between runs.
#pragma once

#include <windows.h>

// A WINDOWPLACEMENT whose length is 0 while nothing is stored (a new record is all zero).
struct MyWindowPlacement : public WINDOWPLACEMENT {
    MyWindowPlacement() : WINDOWPLACEMENT{} {}
    bool IsStored() const { return length != 0; }
};

#ifndef _WIN64
static_assert(sizeof(MyWindowPlacement) == 44, "kept in the registry as 44 bytes");
#endif
