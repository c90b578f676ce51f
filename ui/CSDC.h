// Device-context owners: CSDC and its window, client-area and memory-context forms.
#pragma once

#include <windows.h>

#include "sys/Api.h"

// Wraps a device context; optionally saves its state at construction and restores it at
// the end, and deletes a context that it created itself.
class GLMBX_API CSDC {
public:
    // A null h makes a context of the display (deleted at the end); save is then ignored.
    explicit CSDC(HDC h = nullptr, BOOL save = FALSE);
    virtual ~CSDC();
    CSDC(const CSDC&) = delete;
    CSDC& operator=(const CSDC&) = delete;

    operator HDC() const { return hdc; }
    bool IsReady() const { return hdc != nullptr; }

protected:
    struct WrapOnly {};
    // Wraps h as it is, null included.
    CSDC(HDC h, BOOL save, BOOL destroyAtEnd, WrapOnly);
    void RestoreState();

    HDC hdc;
    BOOL restore;
    BOOL destroy;
};

// The client area's context (GetDC), state saved, released at the end.
class GLMBX_API ClientDC : public CSDC {
public:
    explicit ClientDC(HWND h);
    ~ClientDC() override;

protected:
    HWND hwnd;
};

// The whole window's context (GetWindowDC), state saved, released at the end.
class GLMBX_API DCWindow : public CSDC {
public:
    explicit DCWindow(HWND h);
    ~DCWindow() override;

protected:
    HWND hwnd;
};

// A memory context compatible with h (the screen when null), state saved, deleted at the end.
class GLMBX_API CompatibleDC : public CSDC {
public:
    explicit CompatibleDC(HDC h);
};
