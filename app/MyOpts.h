// The application's option records: what the Properties dialog sets (MyOpts) and where the
// mirror window was last (MyWndOpts).
#pragma once

#include <windows.h>

#include "sys/Api.h"
#include "sys/CSOpts.h"
#include "ui/MyWindowPlacement.h"


#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class GLMBX_API MyOpts : public BoolOpts {
public:
    // Flag bits of "Options".
    enum : unsigned int {
        FlagStartedOnce = 0x1,     // the start dialog has run; the sample picture is no longer offered
        FlagLowColorIcon = 0x2,    // the tray shows its low-colour icon
        FlagSpywareNoteShown = 0x4,
        FlagTakeSetupChoice = 0x8, // the start-up registration still follows the installer's choice
    };
    enum { BkgColorType = 0, BkgPictureType = 1 };
    enum { GradientNone = 0, GradientVertical = 1, GradientHorizontal = 2 };
    enum { CustomColorCount = 16, ImagePathChars = 260 };

    static const wchar_t pszWndPos[];
    static const wchar_t pszBkgType[];
    static const wchar_t pszGradientType[];
    static const wchar_t pszBorderType[];
    static const wchar_t pszMarginLeft[];
    static const wchar_t pszMarginTop[];
    static const wchar_t pszMarginRight[];
    static const wchar_t pszMarginBottom[];
    static const wchar_t pszColor[];
    static const wchar_t pszGradient[];
    static const wchar_t pszRgbCustom[];
    static const wchar_t pszImagePath[];

    MyOpts();
    MyOpts(const MyOpts& other);
    MyOpts& operator=(const MyOpts& other);

    void Reset() override;
    void OnLoad(RegKey& key) override;
    void OnStore(RegKey& key) override;

    // Like Store, but of the values only those that differ from was (the record as it was
    // loaded): what nobody changed stays as stored, even when it read as damaged. The flag word
    // is written in any case, last. 0 when the key cannot be opened.
    int StoreChanges(const MyOpts& was);

    // 1 when the installer's "Options" has bit 0x8 (installed for all users).
    static int GetSetupOptForAllUsers();

private:
    // Every value, or only those that differ from was.
    void WriteValues(RegKey& key, const MyOpts* was);

public:

    MyWindowPlacement wndPos;  // the Properties dialog's, kept by its resizing support
    DWORD bkgType;
    DWORD gradientType;
    DWORD borderType;
    int marginLeft;
    int marginTop;
    int marginRight;
    int marginBottom;
    COLORREF bkgColor;
    COLORREF bkgGradient;
    COLORREF customColors[CustomColorCount];
    wchar_t imagePath[ImagePathChars];
};

struct GLMBX_API MyWndOpts : public BoolOpts {
    enum { NeverPlaced = -1000 };

    static const wchar_t pszPosX[];
    static const wchar_t pszPosY[];

    MyWndOpts();

    void Reset() override;
    void OnLoad(RegKey& key) override;
    void OnStore(RegKey& key) override;

    int posX;  // NeverPlaced until the window has been somewhere
    int posY;
};

#pragma GCC diagnostic pop
