// The shape of the library as loaded: shared section, exports, imports and process objects.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <set>
#include <string>

#include "app/Entry.h"
#include "app/ModuleObjects.h"
#include "app/SharedData.h"
#include "product/ProductInfo.h"
#include "tests/support/TestSupport.h"

namespace {

const BYTE* Base()
{
    return reinterpret_cast<const BYTE*>(test::Library());
}

const IMAGE_NT_HEADERS* Headers()
{
    return reinterpret_cast<const IMAGE_NT_HEADERS*>(Base() + reinterpret_cast<const IMAGE_DOS_HEADER*>(Base())->e_lfanew);
}

const IMAGE_SECTION_HEADER* Section(const char* name)
{
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(Headers());
    for (WORD i = 0; i < Headers()->FileHeader.NumberOfSections; ++i, ++section) {
        if (strncmp(reinterpret_cast<const char*>(section->Name), name, IMAGE_SIZEOF_SHORT_NAME) == 0)
            return section;
    }
    return nullptr;
}

} // namespace

TEST(Module, SharedSectionsExportsAndImports)
{
    ASSERT_NE(Base(), nullptr);
#ifdef _WIN64
    EXPECT_EQ(Headers()->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
#else
    EXPECT_EQ(Headers()->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
#endif
    const DWORD rws = IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_WRITE | IMAGE_SCN_MEM_SHARED;
    const IMAGE_SECTION_HEADER *sdata = Section(".SDATA"), *sicon = Section(".SICON");
    ASSERT_TRUE(sdata && sicon);
    // Nothing else landed in it: the compiler pads a large object to 32 bytes, no more.
    EXPECT_EQ(sdata->Misc.VirtualSize, (sizeof(SharedData) + 31) / 32 * 32);
    EXPECT_EQ(sdata->Characteristics & rws, rws);
    EXPECT_EQ(sicon->Characteristics & rws, rws);
    EXPECT_EQ(Base() + sdata->VirtualAddress, reinterpret_cast<const BYTE*>(GetSharedData()));

    // Entry points and data under plain names; the exported start-dialog handle is the shared one.
    HMODULE module = test::Library();
    for (const char* name : {"DoGlimpsebox", "RunTB_Icon", "DoCheckForUpdatesAuto", "hiDLL", "hwndDlgMain"})
        EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(module, "hwndDlgMain")), &GetSharedData()->hwndDlgMain);
    EXPECT_EQ(hiDLL, module);
    // The class library goes out under its C++ names.
    EXPECT_NE(GetProcAddress(module, "_ZN6CSList7AddTailEPv"), nullptr);
    EXPECT_NE(GetProcAddress(module, "_ZN5CSBufC1Ej"), nullptr);

    const IMAGE_DATA_DIRECTORY& dir = Headers()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(dir.VirtualAddress, 0u);
    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "shell32.dll",
                                          "ole32.dll", "oleaut32.dll", "advapi32.dll", "comdlg32.dll",
                                          "wininet.dll", "shlwapi.dll", "msvcrt.dll", "version.dll"};
    int count = 0;
    for (auto* desc = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(Base() + dir.VirtualAddress); desc->Name;
         ++desc, ++count) {
        std::string name = reinterpret_cast<const char*>(Base() + desc->Name);
        for (char& c : name)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(system.count(name)) << "imports " << name;
    }
    EXPECT_GT(count, 0);
}

TEST(Module, ProcessObjectsIdentityAndTheRequestArea)
{
    // Every process opens the same auto-reset event by name.
    HANDLE event = GetSubclassEvent();
    ASSERT_NE(event, nullptr);
    HANDLE same = OpenEventW(EVENT_ALL_ACCESS, FALSE, L"GlimpseboxSubclassEvent");
    ASSERT_NE(same, nullptr);
    SetEvent(same);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);  // auto-reset: one wait only
    CloseHandle(same);
    EXPECT_STREQ(GetProductInfo()->GetAppRootKey(), L"HKCU\\Software\\Corvantrix\\Glimpsebox");
    EXPECT_EQ(ProductInfo::GetMyMessage(), RegisterWindowMessageW(L"CorvantrixMessage"));

    // A reset clears the request area only.
    SharedData* s = GetSharedData();
    SharedData saved = *s;
    s->hwndProgman = reinterpret_cast<HWND>(0x1111);
    s->hwndMirror = reinterpret_cast<HWND>(0x2222);
    s->rcMenuItem = {1, 2, 3, 4};
    s->menuRectPending = 1;
    s->hItemIcon = reinterpret_cast<HICON>(0x3333);
    s->szItemText[259] = L'x';
    s->unused[0] = 0x5A;
    ResetSharedRequest();
    EXPECT_EQ(s->hwndProgman, reinterpret_cast<HWND>(0x1111));
    EXPECT_EQ(s->hwndMirror, reinterpret_cast<HWND>(0x2222));
    EXPECT_EQ(s->rcMenuItem.right, 3);
    EXPECT_EQ(s->menuRectPending, 1);  // below offset 48: never cleared in bulk
    EXPECT_EQ(s->hItemIcon, nullptr);
    EXPECT_EQ(s->szItemText[259], 0);
    EXPECT_EQ(s->unused[0], 0x5A);
    EXPECT_EQ(s->isNT, 1);
    EXPECT_EQ(s->msgCorvantrix, ProductInfo::GetMyMessage());
    *s = saved;
}

TEST(EntryPoints, UpdateSwitchAndTrayRole)
{
    EXPECT_EQ(DoCheckForUpdatesAuto(L"/CHECK4UPDATES"), 1);
    EXPECT_EQ(DoCheckForUpdatesAuto(L"\"C:\\x y\\Glimpsebox.exe\" -check4updates"), 1);
    EXPECT_EQ(DoCheckForUpdatesAuto(L"/TB+") + DoCheckForUpdatesAuto(L"/CHECK4UPDATESNOW") +
                  DoCheckForUpdatesAuto(nullptr),
              0);
    // With no tray running, a close request does nothing.
    ASSERT_EQ(FindWindowW(GLIMPSEBOX_TRAY_CLASS, nullptr), nullptr);
    EXPECT_EQ(RunTB_Icon(0, GetModuleHandleW(nullptr), nullptr, SW_SHOW), 0);
}
