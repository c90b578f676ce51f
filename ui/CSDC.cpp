// Device-context owners: saving and restoring state, releasing or deleting the context.
#include "ui/CSDC.h"

CSDC::CSDC(HDC h, BOOL save) : hdc(h), restore(FALSE), destroy(FALSE)
{
    if (!h) {
        hdc = CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr);
        destroy = hdc != nullptr;
        return;
    }
    // Only a state that was really saved may be popped at the end.
    if (save)
        restore = SaveDC(hdc) != 0;
}

CSDC::CSDC(HDC h, BOOL save, BOOL destroyAtEnd, WrapOnly) : hdc(h), restore(FALSE), destroy(FALSE)
{
    if (!hdc)
        return;
    destroy = destroyAtEnd;
    if (save)
        restore = SaveDC(hdc) != 0;
}

CSDC::~CSDC()
{
    RestoreState();
    if (destroy && hdc)
        DeleteDC(hdc);
}

void CSDC::RestoreState()
{
    if (restore && hdc)
        RestoreDC(hdc, -1);
    restore = FALSE;
}

ClientDC::ClientDC(HWND h) : CSDC(GetDC(h), TRUE, FALSE, WrapOnly{}), hwnd(h) {}

ClientDC::~ClientDC()
{
    RestoreState();
    if (hdc)
        ReleaseDC(hwnd, hdc);
    hdc = nullptr;
}

DCWindow::DCWindow(HWND h) : CSDC(GetWindowDC(h), TRUE, FALSE, WrapOnly{}), hwnd(h) {}

DCWindow::~DCWindow()
{
    RestoreState();
    if (hdc)
        ReleaseDC(hwnd, hdc);
    hdc = nullptr;
}

CompatibleDC::CompatibleDC(HDC h) : CSDC(CreateCompatibleDC(h), TRUE, TRUE, WrapOnly{}) {}
