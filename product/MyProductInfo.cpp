// MyProductInfo: the values that make this build Glimpsebox 1.11, and the process's one identity.
#include "product/MyProductInfo.h"

#include "product/Version.h"

extern "C" HINSTANCE hiDLL;

namespace {

// Constructed before DllMain runs, which sets the root key in it.
MyProductInfo theProduct;

// The revision is the build number that the version records carry as well.
const unsigned Revision = GLMBX_REVISION;

} // namespace

ProductInfo* GetProductInfo()
{
    return &theProduct;
}

WORD MyProductInfo::GetID() { return 1192; }
const wchar_t* MyProductInfo::GetName() { return L"Glimpsebox"; }
const wchar_t* MyProductInfo::GetNickName() { return L"Glimpsebox"; }
BOOL MyProductInfo::IsNameRegTM() { return FALSE; }
const wchar_t* MyProductInfo::GetVersionStr() { return GLMBX_WIDE(GLMBX_VERSION_TEXT); }
const wchar_t* MyProductInfo::GetVersionStrLong() { return L"Version " GLMBX_WIDE(GLMBX_VERSION_TEXT); }
const wchar_t* MyProductInfo::GetVersionStrRev() { return L"Version " GLMBX_WIDE(GLMBX_VERSION_TEXT) L" (rev. " GLMBX_WIDE(GLMBX_REVISION_TEXT) L")"; }
// The product counts its versions by revision: both numbers are the same.
unsigned MyProductInfo::GetVersionNum() { return Revision; }
const wchar_t* MyProductInfo::GetRevisionStr() { return GLMBX_WIDE(GLMBX_REVISION_TEXT); }
unsigned MyProductInfo::GetRevisionNum() { return GetVersionNum(); }
const wchar_t* MyProductInfo::GetEditionShort() { return L"XP"; }
const wchar_t* MyProductInfo::GetEdition() { return L"XP Edition"; }
const wchar_t* MyProductInfo::GetForOS() { return L"for Windows\u00AE XP, 2000-2005."; }
const wchar_t* MyProductInfo::GetCopyrightYear() { return L"2006"; }
const wchar_t* MyProductInfo::GetHelpFile() { return L"Glimpsebox.chm"; }
// The maker's site is not public yet: the addresses live here alone, so that the about box
// and the update check change with them.
const wchar_t* MyProductInfo::GetHomePage() { return L"http://www.corvantrix.invalid/glimpsebox/"; }
const wchar_t* MyProductInfo::GetSupportPage() { return L"http://www.corvantrix.invalid/support/"; }
const wchar_t* MyProductInfo::GetAutoUpdateFile() { return L"Glimpsebox.exe"; }
// Icon 101 of this library, whichever module hosts it.
int MyProductInfo::GetIconID() { return -101; }
HINSTANCE MyProductInfo::GetIconInstance() { return hiDLL; }
const wchar_t* MyProductInfo::GetUpdateServer() { return L"https://www.corvantrix.invalid"; }
