// MirrorOwner: what the mirror window needs of the tray application that holds it.
#pragma once

#include <windows.h>

class MyOpts;

class MirrorOwner {
public:
    // The application's options, loaded.
    virtual const MyOpts& GetOptions() = 0;
    // The background for a client area of this size, from the owner's cache; borrowed.
    virtual HBITMAP GetBackground(int width, int height) = 0;
    // The tray's hidden window, which takes the About, size and Configure requests.
    virtual HWND GetTrayWindow() = 0;
    // The message the owner's loop is dispatching, relayed to the tooltips; may be null.
    virtual const MSG* GetCurrentMessage() = 0;

protected:
    ~MirrorOwner() = default;
};
