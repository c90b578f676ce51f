// MyOpts and MyWndOpts: the application's values, their defaults and the sample-picture rule.
#include "app/MyOpts.h"

#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <utility>

#include "product/ProductInfo.h"
#include "sys/CSFile.h"
#include "sys/PathUtil.h"
#include "sys/RegKey.h"

const wchar_t MyOpts::pszWndPos[] = L"WndPos";
const wchar_t MyOpts::pszBkgType[] = L"BkgType";
const wchar_t MyOpts::pszGradientType[] = L"GradientType";
const wchar_t MyOpts::pszBorderType[] = L"BorderType";
const wchar_t MyOpts::pszMarginLeft[] = L"MarginLeft";
const wchar_t MyOpts::pszMarginTop[] = L"MarginTop";
const wchar_t MyOpts::pszMarginRight[] = L"MarginRight";
const wchar_t MyOpts::pszMarginBottom[] = L"MarginBottom";
const wchar_t MyOpts::pszColor[] = L"BkgColor";
const wchar_t MyOpts::pszGradient[] = L"BkgGradient";
const wchar_t MyOpts::pszRgbCustom[] = L"CustomColors";
const wchar_t MyOpts::pszImagePath[] = L"ImagePath";
const wchar_t MyWndOpts::pszPosX[] = L"PosX";
const wchar_t MyWndOpts::pszPosY[] = L"PosY";

namespace {

const COLORREF DefaultBkgColor = 0x800000;
const COLORREF DefaultBkgGradient = 0xD08410;
const wchar_t SamplePicture[] = L"My Pictures\\Sample Pictures\\Sunset.jpg";

wchar_t setupKey[256];

} // namespace

MyOpts::MyOpts() : BoolOpts(L"Options")
{
    Reset();
}

MyOpts::MyOpts(const MyOpts& other) : BoolOpts(other)
{
    *this = other;
}

MyOpts& MyOpts::operator=(const MyOpts& other)
{
    BoolOpts::operator=(other);
    wndPos = other.wndPos;
    bkgType = other.bkgType;
    gradientType = other.gradientType;
    borderType = other.borderType;
    marginLeft = other.marginLeft;
    marginTop = other.marginTop;
    marginRight = other.marginRight;
    marginBottom = other.marginBottom;
    bkgColor = other.bkgColor;
    bkgGradient = other.bkgGradient;
    std::memcpy(customColors, other.customColors, sizeof(customColors));
    std::memcpy(imagePath, other.imagePath, sizeof(imagePath));
    return *this;
}

void MyOpts::Reset()
{
    SetAll(0);
    bkgType = BkgColorType;
    gradientType = GradientVertical;
    borderType = 0;
    marginLeft = marginTop = marginRight = marginBottom = 0;
    bkgColor = DefaultBkgColor;
    bkgGradient = DefaultBkgGradient;
    for (COLORREF& c : customColors)
        c = RGB(255, 255, 255);
    imagePath[0] = 0;
}

void MyOpts::OnLoad(RegKey& key)
{
    MyWindowPlacement placement;
    if (key.GetBinSize(pszWndPos) == sizeof(WINDOWPLACEMENT) &&
        key.GetBin(pszWndPos, reinterpret_cast<unsigned char*>(static_cast<WINDOWPLACEMENT*>(&placement)),
                   sizeof(WINDOWPLACEMENT)))
        wndPos = placement;
    bkgType = key.GetDword(pszBkgType, bkgType);
    gradientType = key.GetDword(pszGradientType, gradientType);
    borderType = key.GetDword(pszBorderType, borderType);
    bkgColor = key.GetDword(pszColor, bkgColor);
    bkgGradient = key.GetDword(pszGradient, bkgGradient);
    if (key.FindValue(pszRgbCustom)) {
        COLORREF colors[CustomColorCount];
        if (key.GetBinSize(pszRgbCustom) == sizeof(colors) &&
            key.GetBin(pszRgbCustom, reinterpret_cast<unsigned char*>(colors), sizeof(colors)))
            std::memcpy(customColors, colors, sizeof(colors));
    }
    key.GetStr(pszImagePath, imagePath, ImagePathChars, imagePath);
    marginLeft = key.GetInt(pszMarginLeft, marginLeft);
    marginTop = key.GetInt(pszMarginTop, marginTop);
    marginRight = key.GetInt(pszMarginRight, marginRight);
    marginBottom = key.GetInt(pszMarginBottom, marginBottom);

    // Until the start dialog has run, an empty picture path offers the sample picture, and
    // without one the colour background is put back to its defaults.
    if (IsOn(FlagStartedOnce) || imagePath[0])
        return;
    wchar_t sample[ImagePathChars + 1] = {};
    bool known = GetSpecialFolderPath(nullptr, CSIDL_COMMON_DOCUMENTS, sample) != FALSE;
    if (known && wcslen(sample) + 1 + wcslen(SamplePicture) < ImagePathChars) {
        wcscat(sample, L"\\");
        wcscat(sample, SamplePicture);
        DWORD attributes = CSFile::GetAttrib(sample);
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            wcscpy(imagePath, sample);
            return;
        }
    }
    bkgType = BkgColorType;
    gradientType = GradientVertical;
    bkgColor = DefaultBkgColor;
    bkgGradient = DefaultBkgGradient;
}

void MyOpts::OnStore(RegKey& key)
{
    WriteValues(key, nullptr);
}

int MyOpts::StoreChanges(const MyOpts& was)
{
    RegKey key;
    if (!key.Open(GetRegKeyName(), 1))
        return 0;
    WriteValues(key, &was);
    key.PutDword(GetRegValueName(), GetAll());
    key.Flush();
    return 1;
}

void MyOpts::WriteValues(RegKey& key, const MyOpts* was)
{
    if (!was || std::memcmp(&wndPos, &was->wndPos, sizeof(WINDOWPLACEMENT)) != 0)
        key.PutBin(pszWndPos, reinterpret_cast<const unsigned char*>(static_cast<const WINDOWPLACEMENT*>(&wndPos)),
                   sizeof(WINDOWPLACEMENT));
    const std::pair<const wchar_t*, DWORD MyOpts::*> dwords[] = {
        {pszBkgType, &MyOpts::bkgType}, {pszGradientType, &MyOpts::gradientType},
        {pszBorderType, &MyOpts::borderType}, {pszColor, &MyOpts::bkgColor}, {pszGradient, &MyOpts::bkgGradient}};
    for (const auto& value : dwords) {
        if (!was || this->*value.second != was->*value.second)
            key.PutDword(value.first, this->*value.second);
    }
    if (!was || std::memcmp(customColors, was->customColors, sizeof(customColors)) != 0)
        key.PutBin(pszRgbCustom, reinterpret_cast<const unsigned char*>(customColors), sizeof(customColors));
    if (!was || wcscmp(imagePath, was->imagePath) != 0)
        key.PutStr(pszImagePath, imagePath);
    const std::pair<const wchar_t*, int MyOpts::*> margins[] = {
        {pszMarginLeft, &MyOpts::marginLeft}, {pszMarginTop, &MyOpts::marginTop},
        {pszMarginRight, &MyOpts::marginRight}, {pszMarginBottom, &MyOpts::marginBottom}};
    for (const auto& value : margins) {
        if (!was || this->*value.second != was->*value.second)
            key.PutInt(value.first, this->*value.second);
    }
}

int MyOpts::GetSetupOptForAllUsers()
{
    swprintf(setupKey, 256, L"%ls\\%ls\\Setup", L"HKLM\\Software\\Corvantrix", GetProductInfo()->GetName());
    RegKey key;
    if (!key.Open(setupKey, 0))
        return 0;
    return (key.GetDword(L"Options", 0) & 0x8) ? 1 : 0;
}

MyWndOpts::MyWndOpts() : BoolOpts(L"WndOptions"), posX(NeverPlaced), posY(0) {}

void MyWndOpts::Reset()
{
    SetAll(0);
    posX = NeverPlaced;
    posY = 0;
}

void MyWndOpts::OnLoad(RegKey& key)
{
    posX = key.GetInt(pszPosX, posX);
    posY = key.GetInt(pszPosY, posY);
}

void MyWndOpts::OnStore(RegKey& key)
{
    key.PutInt(pszPosX, posX);
    key.PutInt(pszPosY, posY);
}
