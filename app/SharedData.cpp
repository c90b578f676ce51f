// The shared sections and the exported alias of hwndDlgMain inside ".SDATA".
#include "app/SharedData.h"

#include <cstring>

#include "product/ProductInfo.h"

#define GLMBX_STR2(x) #x
#define GLMBX_STR(x) GLMBX_STR2(x)
#define GLMBX_SYM(name) GLMBX_STR(__USER_LABEL_PREFIX__) #name
#ifdef _WIN64
#define GLMBX_DLGMAIN_OFFSET "24"
#else
#define GLMBX_DLGMAIN_OFFSET "12"
#endif

extern "C" {
SharedData g_sdata __attribute__((section(".SDATA"), shared)) = {};
SharedIconPixels g_sicon __attribute__((section(".SICON"), shared)) = {};
}

// hwndDlgMain is exported as data and must be the field at offset 12 of the shared section,
// so that every process sees one value: an assembler alias gives the field that name.
__asm__(".globl " GLMBX_SYM(hwndDlgMain) "\n\t"
        ".set " GLMBX_SYM(hwndDlgMain) ", " GLMBX_SYM(g_sdata) " + " GLMBX_DLGMAIN_OFFSET "\n\t"
        ".section .drectve\n\t"
        ".ascii \" -export:hwndDlgMain,data\"\n\t"
        ".text");
static_assert(offsetof(SharedData, hwndDlgMain) == 3 * sizeof(HWND));

void ResetSharedRequest()
{
    std::memset(reinterpret_cast<BYTE*>(&g_sdata) + SharedRequestFirst, 0,
                SharedRequestEnd - SharedRequestFirst);
    std::memset(&g_sicon, 0, sizeof(g_sicon));
    // The NT family is all the module runs on; the flag keeps its meaning for the reader.
    g_sdata.isNT = (GetVersion() & 0x80000000u) == 0;
    g_sdata.msgCorvantrix = ProductInfo::GetMyMessage();
}

SharedData* GetSharedData()
{
    return &g_sdata;
}

SharedIconPixels* GetSharedIconPixels()
{
    return &g_sicon;
}
