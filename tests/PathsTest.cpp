// Path helpers against Wine's real file system: editing, building, splitting, classifying,
// canonical forms, the product's home folder, shell display forms and folder creation.
// How each function cuts a result at a buffer's edge is checked in TextFuzzTest.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "sys/PathUtil.h"

namespace {

// What an edit in place leaves of a path in a MAX_PATH buffer.
std::wstring Edited(const std::wstring& path, const std::function<void(wchar_t*)>& edit)
{
    std::vector<wchar_t> buf(path.begin(), path.end());
    buf.resize(MAX_PATH, 0);
    edit(buf.data());
    return buf.data();
}

} // namespace

TEST(PathParts, EditBuildAndSplit)
{
    auto append = [](wchar_t* p) { AppendBackSlash(p); };
    auto remove = [](wchar_t* p) { RemoveBackSlash(p); };
    auto stripName = [](wchar_t* p) { StripFileName(p); };
    auto stripExt = [](wchar_t* p) { StripFileExt(p); };
    auto pretty = [](wchar_t* p) { MakeNamePretty(p); };
    struct { std::function<void(wchar_t*)> edit; const wchar_t *in, *out; } const edits[] = {
        {append, L"", L""}, {append, L"C:\\dir", L"C:\\dir\\"}, {append, L"C:/dir/", L"C:/dir/"},
        {remove, L"C:\\", L"C:\\"}, {remove, L"C:/dir/", L"C:/dir"}, {remove, L"\\\\", L"\\\\"},
        {stripExt, L"C:\\d/sub\\file.tar.gz", L"C:\\d/sub\\file.tar"}, {stripExt, L"C:\\d\\name.", L"C:\\d\\name"},
        {stripExt, L"C:\\dir.x\\name", L"C:\\dir.x\\name"},
        {stripName, L"C:\\d\\file.txt", L"C:\\d\\"}, {stripName, L"C:file.txt", L"C:"}, {stripName, L"file.txt", L""},
        {[](wchar_t* p) { EXPECT_STREQ(FindLastPathComponent(p), L"sub"); }, L"C:\\dir\\sub\\", L"C:\\dir\\sub"},
        {[](wchar_t* p) { EXPECT_TRUE(StripBackSlash(p)); }, L"C:\\", L"C:"},
        {pretty, L"C:\\P~1\\README.TXT", L"C:\\P~1\\Readme.txt"}, {pretty, L"C:\\Mixed.TXT", L"C:\\Mixed.TXT"},
    };
    for (const auto& c : edits)
        EXPECT_EQ(Edited(c.in, c.edit), c.out) << test::ToUtf8(c.in);
    const wchar_t* p = L"C:\\dir/sub\\file.tar.gz";  // the finders point into the path itself
    EXPECT_TRUE(FindNameExt(p) == p + 11 && FindDotExt(p) == p + 19 && FindLastSeparator(p) == p + 10);
    EXPECT_TRUE(wcscmp(FindNameExt(L"C:name.txt"), L"name.txt") == 0 && !FindDotExt(L"C:\\dir.x\\name"));

    wchar_t dst[MAX_PATH], name[MAX_PATH], ext[MAX_PATH];
    EXPECT_STREQ(MakePath(dst, L"C:\\dir\\", L"file", L".txt"), L"C:\\dir\\file.txt");
    EXPECT_STREQ(MakePath(dst, L"", L"file", L"txt"), L"file.txt");
    EXPECT_STREQ(MakePath(dst, dst, L"x", nullptr), L"file.txt\\x");  // dst may be the folder
    // NT is the family Wine reports; another family's file gives nothing.
    EXPECT_TRUE(MakePathForOS(dst, L"C:\\d", L":nt:lower.dll") && wcscmp(dst, L"C:\\d\\lower.dll") == 0);
    EXPECT_FALSE(MakePathForOS(dst, L"C:\\d", L":9x:old.vxd") || MakePathForOS(dst, L"C:\\d", L":xx:what"));
    EXPECT_STREQ(dst, L"");
    ParsePath(dst, name, ext, L"C:\\dir\\name.tar.gz");
    EXPECT_TRUE(!wcscmp(dst, L"C:\\dir") && !wcscmp(name, L"name.tar") && !wcscmp(ext, L".gz"));
    ParsePath(dst, name, ext, L"C:\\.hidden");
    EXPECT_TRUE(!wcscmp(dst, L"C:\\") && !wcscmp(name, L"") && !wcscmp(ext, L".hidden"));
}

TEST(PathClassify, PredicatesRootsAndFullNames)
{
    using P = const wchar_t*;
    struct { const char* name; bool (*test)(P); std::vector<P> yes, no; } const cases[] = {
        {"IsValidFileName", [](P p) { return !!IsValidFileName(p); }, {L"report (final) v2.txt"},
         {L"", L"a\\b", L"a/b", L"c:", L"*.txt", L"why?", L"\"q\"", L"a<b", L"a>b", L"a|b", L"tab\there", nullptr}},
        {"IsFullPathName", [](P p) { return !!IsFullPathName(p); }, {L"c:/x", L"\\x"}, {L"C:x", L"x\\y", L"1:\\x"}},
        {"IsNetworkFolder", [](P p) { return !!IsNetworkFolder(p); }, {L"\\\\srv"}, {L"\\\\", L"\\srv"}},
        {"IsUncPath", [](P p) { return !!IsUncPath(p); }, {L"\\\\server\\share\\dir", L"\\\\server\\share"},
         {L"\\\\server", L"\\\\?\\C:\\x", L"\\\\.\\pipe\\x"}},
        {"IsRootFolder", [](P p) { return !!IsRootFolder(p); }, {L"C:\\", L"d:", L"\\", L"\\\\srv\\share\\"},
         {L"C:\\dir", L"\\\\srv\\share\\dir"}},
        {"IsRootFolder without UNC", [](P p) { return !!IsRootFolder(p, FALSE); }, {L"C:\\"}, {L"\\\\srv\\share\\"}},
        {"IsSubFolderOf C:\\A", [](P p) { return !!IsSubFolderOf(p, L"C:\\A"); }, {L"C:\\A\\B", L"c:/a/b"},
         {L"C:\\AB", L"C:\\A", L"C:\\A\\", nullptr}},
        {"IsSubFolderOf of c:/a/b", [](P p) { return !!IsSubFolderOf(L"c:/a/b", p); }, {L"C:\\A\\", L"C:\\"},
         {L"", L"C:\\A\\B\\C"}},
        {"IsSamePath", [](P p) { return !!IsSamePath(p, L"c:/d/sub"); }, {L"C:\\D\\Sub\\"}, {L"C:\\D\\Sub2", nullptr}},
    };
    for (const auto& c : cases) {
        for (P p : c.yes)
            EXPECT_TRUE(c.test(p)) << c.name << " " << test::ToUtf8(p);
        for (P p : c.no)
            EXPECT_FALSE(c.test(p)) << c.name << " " << (p ? test::ToUtf8(p) : "null");
    }
    EXPECT_TRUE(GetDriveFromPath(L"c:\\x") == 2 && GetDriveFromPath(L"Z:") == 25 && GetDriveFromPath(L"\\x") == -1);
    wchar_t root[MAX_PATH];
    EXPECT_TRUE(ExtractRootPath(root, L"c:\\dir\\x") && wcscmp(root, L"C:\\") == 0);
    EXPECT_TRUE(ExtractRootPath(root, L"//srv/share/dir") && wcscmp(root, L"\\\\srv\\share\\") == 0);
    EXPECT_FALSE(ExtractRootPath(root, L"relative\\x"));

    auto full = [](const wchar_t* path, const wchar_t* base) {
        return Edited(path, [base](wchar_t* p) { MakeFullPathName(p, base); });
    };
    EXPECT_EQ(full(L"", L"C:\\base"), L"C:\\base");
    EXPECT_EQ(full(L"  \"sub/file.txt\"  ", L"C:\\base"), L"C:\\base\\sub\\file.txt");
    EXPECT_EQ(full(L"\\rooted\\x", L"D:\\base\\dir"), L"D:\\rooted\\x");
    EXPECT_EQ(full(L"/rooted", L"\\\\srv\\share\\dir"), L"\\\\srv\\share\\rooted");
    EXPECT_EQ(full(L"e:/x/y", L"D:\\b"), L"e:\\x\\y");
    // A base that is not full: the current folder and drive.
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_TRUE(IsSamePath(full(L"rel\\x", L"not\\full").c_str(), (std::wstring(current) + L"\\rel\\x").c_str()));
    EXPECT_EQ(full(L"\\top", L""), std::wstring(1, current[0]) + L":\\top");
}

TEST(PathCanonical, SystemWindowsAndHomeFolders)
{
    test::SavedValue home(HKEY_LOCAL_MACHINE, L"Software\\Corvantrix\\Glimpsebox\\Setup", L"Home");
    ASSERT_TRUE(home.Set(L"C:\\Program Files\\Glimpsebox"));
    wchar_t windows[MAX_PATH], system[MAX_PATH], out[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring drivers = std::wstring(system, GetSystemDirectoryW(system, MAX_PATH)) + L"\\drivers\\x.sys";
    // Files directly inside one of the folders only; a sub-folder keeps its full path.
    struct { std::wstring path, canonical; } const cases[] = {
        {std::wstring(system) + L"\\notepad.exe", L"%S\\notepad.exe"}, {drivers, drivers},
        {std::wstring(windows) + L"\\win.ini", L"%W\\win.ini"}, {L"relative.txt", L"relative.txt"},
        {L"c:\\program files\\glimpsebox\\Glimpsebox.chm", L"%_\\Glimpsebox.chm"},
    };
    for (const auto& c : cases) {
        MakeCanonicalPath(c.path.c_str(), out);
        EXPECT_EQ(out, c.canonical);
        EXPECT_EQ(!!GetPathFromCanonical(c.canonical.c_str(), out), c.canonical[0] == L'%');
        EXPECT_TRUE(IsSamePath(out, c.path.c_str())) << test::ToUtf8(c.canonical);
    }
    EXPECT_TRUE(GetPathFromCanonical(L"%Snotepad.exe", out) && IsSamePath(out, cases[0].path.c_str()));
    EXPECT_FALSE(GetPathFromCanonical(L"%X\\what", out) || GetPathFromCanonical(nullptr, out));
    EXPECT_STREQ(out, L"");

    // The home folder as setup recorded it; without one, the library's folder, then recorded.
    EXPECT_STREQ(GetLocalFileName(out, L"Glimpsebox.chm"), L"C:\\Program Files\\Glimpsebox\\Glimpsebox.chm");
    EXPECT_EQ(std::wstring(GetLocalFileNameQuoted(out, nullptr, test::Library())),
              L"\"C:\\Program Files\\Glimpsebox\\" + std::wstring(test::LibraryFile) + L"\"");
    EXPECT_FALSE(LocalFileExists(test::LibraryFile));
    home.Delete();
    wchar_t library[MAX_PATH];
    GetModuleFileNameW(test::Library(), library, MAX_PATH);
    *wcsrchr(library, L'\\') = 0;
    ASSERT_TRUE(GetHomeDir(out));
    EXPECT_TRUE(IsSamePath(out, library) && out[wcslen(out) - 1] != L'\\') << test::ToUtf8(out);
    EXPECT_TRUE(home.Exists());
    EXPECT_TRUE(LocalFileExists(test::LibraryFile));
}

TEST(PathFiles, ShellFormsExistenceAndCreation)
{
    std::wstring temp = test::NewTempDir(L"paths"), folder = temp + L"\\MixedCase Folder";
    std::wstring file = folder + L"\\Some File.TXT";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) && test::WriteUtf8File(file, "x"));
    std::wstring typed = temp + L"/mixedcase folder/some file.txt";
    typed[0] = static_cast<wchar_t>(towlower(typed[0]));
    std::wstring shown = Edited(typed, [](wchar_t* p) { EXPECT_TRUE(DosPathToShellPath(p)); });
    EXPECT_TRUE(iswupper(shown[0]) && shown.find(L'/') == shown.npos && IsSamePath(shown.c_str(), file.c_str()));
    EXPECT_EQ(shown.substr(shown.size() - 31), L"\\MixedCase Folder\\Some File.TXT");
    wchar_t p[MAX_PATH];
    if (ConvertToShortPath(wcscpy(p, file.c_str()), MAX_PATH)) {  // short names come back long
        ASSERT_TRUE(DosPathToShellPath(p));
        EXPECT_EQ(p, shown);
        EXPECT_FALSE(ConvertToShortPath(wcscpy(p, file.c_str()), 5));  // too small: left as it was
        EXPECT_EQ(p, file);
    }
    EXPECT_EQ(Edited(L"c:\\", [](wchar_t* q) { EXPECT_TRUE(DosPathToShellPath(q)); }), L"C:\\");
    EXPECT_FALSE(DosPathToShellPath(wcscpy(p, (temp + L"\\none.txt").c_str())) || ConvertPathToLFN(p, p));

    std::wstring deep = temp + L"\\one\\two/three\\";
    ASSERT_TRUE(CreateFolder(deep.c_str()) && CreateFolder(deep.c_str()));  // the second time: already there
    EXPECT_TRUE(FolderExists((temp + L"\\one\\two\\three").c_str()));
    EXPECT_FALSE(CreateFolder(L"relative\\folder") || CreateFolder((file + L"\\below").c_str()));
    EXPECT_TRUE(FileExists(file.c_str()) && FileOrFolderExists(file.c_str()) && FileOrFolderExists(temp.c_str()));
    EXPECT_FALSE(FolderExists(file.c_str()) || FileExists(temp.c_str()) || FileOrFolderExists((temp + L"\\x").c_str()));

    wchar_t exe[MAX_PATH], dir[MAX_PATH], name[MAX_PATH];
    ASSERT_TRUE(GetLocalPathDir(exe, dir) && GetModuleFNameExt(nullptr, name));
    EXPECT_EQ(std::wstring(exe), std::wstring(dir) + L"\\" + name);
    EXPECT_EQ(_wcsicmp(name, L"PathsTest.exe"), 0);
}
