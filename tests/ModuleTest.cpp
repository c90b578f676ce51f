// The shape of the library as loaded: exports, imports, process objects and the request area.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <set>
#include <string>

#include "app/Entry.h"
#include "app/ModuleObjects.h"
#include "app/SharedData.h"
#include "product/ProductInfo.h"
#include "tests/support/TestSupport.h"

// The sections' sharing is what the desktop mirror's end-to-end cases rely on; here, what
// other programs see: exports and imports.
TEST(Module, ExportsUnderPlainAndClassNamesAndImportsSystemLibrariesOnly)
{
    HMODULE module = test::Library();
    ASSERT_NE(module, nullptr);
    // Entry points and data under plain names; the exported start-dialog handle is the shared one.
    for (const char* name : {"DoGlimpsebox", "RunTB_Icon", "DoCheckForUpdatesAuto", "hiDLL", "hwndDlgMain"})
        EXPECT_NE(GetProcAddress(module, name), nullptr) << name;
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(module, "hwndDlgMain")), &GetSharedData()->hwndDlgMain);
    EXPECT_EQ(hiDLL, module);
    // The class library goes out under its C++ names.
    EXPECT_NE(GetProcAddress(module, "_ZN6CSList7AddTailEPv"), nullptr);
    EXPECT_NE(GetProcAddress(module, "_ZN5CSBufC1Ej"), nullptr);

    const BYTE* base = reinterpret_cast<const BYTE*>(module);
    const auto* headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(dir.VirtualAddress, 0u);
    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "shell32.dll",
                                          "ole32.dll", "oleaut32.dll", "advapi32.dll", "comdlg32.dll",
                                          "wininet.dll", "shlwapi.dll", "msvcrt.dll", "version.dll"};
    int count = 0;
    for (auto* desc = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); desc->Name;
         ++desc, ++count) {
        std::string name = reinterpret_cast<const char*>(base + desc->Name);
        for (char& c : name)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        EXPECT_TRUE(system.count(name)) << "imports " << name;
    }
    EXPECT_GT(count, 0);
}

TEST(Module, ProcessObjectsIdentityAndTheRequestArea)
{
    // Every process opens the same auto-reset event by name.
    HANDLE same = OpenEventW(EVENT_ALL_ACCESS, FALSE, L"GlimpseboxSubclassEvent");
    ASSERT_NE(same, nullptr);
    SetEvent(same);
    EXPECT_EQ(WaitForSingleObject(GetSubclassEvent(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(GetSubclassEvent(), 0), WAIT_TIMEOUT);
    CloseHandle(same);

    // A reset clears the request area only: from isNT to the end of the label.
    SharedData* s = GetSharedData();
    SharedData saved = *s;
    memset(s, 0x5A, sizeof(*s));
    ResetSharedRequest();
    const BYTE* bytes = reinterpret_cast<const BYTE*>(s);
    for (size_t i = 0; i < sizeof(*s); ++i) {
        bool kept = i < offsetof(SharedData, isNT) || i >= offsetof(SharedData, unused);
        bool setAgain = i >= offsetof(SharedData, isNT) && i < offsetof(SharedData, hItemIcon);
        ASSERT_TRUE(setAgain || bytes[i] == (kept ? 0x5A : 0)) << "byte " << i;
    }
    EXPECT_EQ(s->isNT, 1);
    EXPECT_EQ(s->msgCorvantrix, RegisterWindowMessageW(L"CorvantrixMessage"));
    *s = saved;
}

TEST(EntryPoints, UpdateSwitchAndTrayRole)
{
    // Only the switch alone starts a check (the update tests run those).
    for (const wchar_t* line : {L"/TB+", L"/CHECK4UPDATESNOW", L"-check4updates", L"CHECK4UPDATES",
                                L"\"C:\\x y\\Glimpsebox.exe\" /CHECK4UPDATES", L"", static_cast<const wchar_t*>(nullptr)})
        EXPECT_EQ(DoCheckForUpdatesAuto(line), 0) << (line ? test::ToUtf8(line) : "null");
    // With no tray running, a close request does nothing.
    ASSERT_EQ(FindWindowW(GLIMPSEBOX_TRAY_CLASS, nullptr), nullptr);
    EXPECT_EQ(RunTB_Icon(0, GetModuleHandleW(nullptr), nullptr, SW_SHOW), 0);
}
