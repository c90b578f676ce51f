// ShellItemIcons: the shell side's item icons, kept per item number, and their pixels.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <vector>

#include "app/SharedData.h"

// Lives in the shell's process, in each loaded copy of the module. Makes the icon of an item
// (overlay drawn in) and renders its pixels into the shared pixel section. Whether an item's
// picture changed since it was last read is told from the image list's own pixels, without
// drawing: an unchanged item keeps its icon and pixels, so a refresh costs little more than
// the request itself, and the shell holds at most one icon per item number, all destroyed
// at unload.
class ShellItemIcons {
public:
    ShellItemIcons() = default;
    ~ShellItemIcons();
    ShellItemIcons(const ShellItemIcons&) = delete;
    ShellItemIcons& operator=(const ShellItemIcons&) = delete;

    // Fills the pixel section and returns the item's icon (null when there is none).
    HICON Get(HIMAGELIST images, int item, int image, UINT overlayState);
    // How many icons this process holds for items now.
    LONG Count() const { return alive; }

private:
    struct Cached {
        HICON icon = nullptr;
        unsigned long long signature = 0;  // of the picture as the image list holds it
        std::unique_ptr<SharedIconPixels> pixels;  // what was rendered for it
    };

    void Forget(Cached& entry);
    bool RenderFromList(HIMAGELIST images, int image, UINT overlayState);
    bool EnsureCanvas();

    std::vector<Cached> cache;
    LONG alive = 0;
    // Two 16 x 16 canvases, black and white behind the picture: their difference is its alpha.
    HDC canvasDC = nullptr;
    HBITMAP canvas[2] = {};
    DWORD* canvasBits[2] = {};
    HGDIOBJ canvasOld = nullptr;
};

// Renders any icon (scaled to 16 x 16) into the pixel section; false when it cannot.
bool RenderIconPixels(HICON icon);

// FNV-1a of the pixel section's colour and mask: tells whether a picture changed. The shell
// side stores it with the pixels when it renders them, so a reader compares one number.
unsigned long long HashIconPixels();
