// TestMirrorOwner: the tray application's part as the mirror window sees it, for tests and
// benchmarks that open the window without a tray.
#pragma once

#include <windows.h>

#include "app/BkgBitmapCache.h"
#include "app/MirrorOwner.h"
#include "app/MyOpts.h"
#include "sys/iPicture.h"

namespace test {

class TestMirrorOwner : public MirrorOwner {
public:
    virtual ~TestMirrorOwner() = default;

    MyOpts opts;
    BkgBitmapCache cache;
    iPicture picture;
    HWND tray = nullptr;  // the window that takes the About, size and Configure requests

    const MyOpts& GetOptions() override { return opts; }
    HBITMAP GetBackground(int width, int height) override { return cache.Get(opts, picture, width, height); }
    HWND GetTrayWindow() override { return tray; }
    const MSG* GetCurrentMessage() override { return nullptr; }
};

} // namespace test
