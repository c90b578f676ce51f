// Path helpers against Wine's real file system: building, splitting, classifying, canonical
// forms, the product's home folder, shell display forms and folder creation.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "support/GuardedBuffer.h"
#include "support/TestSupport.h"
#include "sys/PathUtil.h"
#include "sys/RegKey.h"

using test::ExpectBounded;
using test::GuardedBuffer;

namespace {

const wchar_t SetupKey[] = L"HKLM\\Software\\Corvantrix\\Glimpsebox\\Setup";

std::wstring SystemDir()
{
    wchar_t dir[MAX_PATH];
    GetSystemDirectoryW(dir, MAX_PATH);
    return dir;
}

std::wstring Upper(std::wstring text)
{
    CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// What an edit in place leaves of a path in a MAX_PATH buffer.
template <typename Edit>
std::wstring Edited(const std::wstring& path, Edit edit)
{
    std::vector<wchar_t> buf(path.begin(), path.end());
    buf.resize(MAX_PATH, 0);
    edit(buf.data());
    return buf.data();
}

std::wstring Canonical(const std::wstring& path)
{
    wchar_t out[MAX_PATH];
    MakeCanonicalPath(path.c_str(), out);
    return out;
}

std::wstring FromCanonical(const wchar_t* in, BOOL* result = nullptr)
{
    wchar_t out[MAX_PATH];
    BOOL ok = GetPathFromCanonical(in, out);
    if (result)
        *result = ok;
    return out;
}

void RemoveTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        std::wstring name = found.cFileName, full = dir + L"\\" + name;
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(full);
        else
            DeleteFileW(full.c_str());
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    RemoveDirectoryW(dir.c_str());
}

// A temporary folder removed with everything in it.
struct TempDir {
    explicit TempDir(const wchar_t* name) : path(test::NewTempDir(name)) {}
    ~TempDir() { RemoveTree(path); }
    const std::wstring path;
};

// The product's recorded home folder, put back as it was.
class HomeValue {
public:
    HomeValue()
    {
        wchar_t value[MAX_PATH];
        existed = GetHomeFolder(L"Glimpsebox", value) != 0;
        saved = existed ? value : L"";
    }
    ~HomeValue() { Set(existed ? saved.c_str() : nullptr); }
    // A null value deletes it.
    static void Set(const wchar_t* value)
    {
        RegKey setup(SetupKey, 1);
        value ? setup.PutStr(L"Home", value) : setup.DelValue(L"Home");
    }

private:
    bool existed;
    std::wstring saved;
};

} // namespace

// ---- Editing, building and splitting ----

TEST(PathParts, EditsInPlace)
{
    auto append = [](wchar_t* p) { AppendBackSlash(p); };
    auto remove = [](wchar_t* p) { RemoveBackSlash(p); };
    auto stripName = [](wchar_t* p) { StripFileName(p); };
    auto stripExt = [](wchar_t* p) { StripFileExt(p); };
    struct Case {
        std::function<void(wchar_t*)> edit;
        const wchar_t* in;
        const wchar_t* out;
    } const cases[] = {
        {append, L"", L""}, {append, L"C:\\dir", L"C:\\dir\\"}, {append, L"C:/dir/", L"C:/dir/"},
        {remove, L"C:\\", L"C:\\"}, {remove, L"C:\\dir\\", L"C:\\dir"}, {remove, L"C:/dir/", L"C:/dir"},
        {remove, L"\\\\", L"\\\\"},
        {stripExt, L"C:\\dir/sub\\file.tar.gz", L"C:\\dir/sub\\file.tar"}, {stripExt, L"C:\\dir\\name.", L"C:\\dir\\name"},
        {stripExt, L"C:\\dir.x\\name", L"C:\\dir.x\\name"},
        {stripName, L"C:\\dir\\file.txt", L"C:\\dir\\"}, {stripName, L"C:file.txt", L"C:"}, {stripName, L"file.txt", L""},
        {ConvertSlashes, L"a/b/c", L"a\\b\\c"},
        {[](wchar_t* p) { EXPECT_STREQ(FindLastPathComponent(p), L"sub"); }, L"C:\\dir\\sub\\", L"C:\\dir\\sub"},
        {[](wchar_t* p) { EXPECT_STREQ(FindLastPathComponent(p), L"single"); }, L"single", L"single"},
        {[](wchar_t* p) { EXPECT_TRUE(StripBackSlash(p)); }, L"C:\\", L"C:"},
        {[](wchar_t* p) { EXPECT_FALSE(StripBackSlash(p)); }, L"C:", L"C:"},
        {[](wchar_t* p) { MakeNamePretty(p); }, L"C:\\PROGRA~1\\README.TXT", L"C:\\PROGRA~1\\Readme.txt"},
        {[](wchar_t* p) { MakeNamePretty(p); }, L"C:\\dir\\MixedCase.txt", L"C:\\dir\\MixedCase.txt"},
        {[](wchar_t* p) { MakeNamePretty(p); }, L"123.45", L"123.45"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Edited(c.in, c.edit), c.out) << test::ToUtf8(c.in);

    // The finders point into the path itself.
    const wchar_t* p = L"C:\\dir/sub\\file.tar.gz";
    EXPECT_EQ(FindNameExt(p), p + 11);
    EXPECT_EQ(FindDotExt(p), p + 19);
    EXPECT_EQ(FindLastSeparator(p), p + 10);
    EXPECT_STREQ(FindNameExt(L"C:name.txt"), L"name.txt");
    EXPECT_EQ(FindDotExt(L"C:\\dir.x\\name"), nullptr);
    EXPECT_EQ(FindLastSeparator(L"name"), nullptr);

    // No room for the separator: left as it is.
    GuardedBuffer<wchar_t> full(4, L"abc"), fits(5, L"abc"), none(0), one(1);
    AppendBackSlash(full.Data(), full.Size());
    AppendBackSlash(fits.Data(), fits.Size());
    AppendBackSlash(none.Data(), 0);
    AppendBackSlash(one.Data(), 1);
    EXPECT_EQ(full.Text(), L"abc");
    EXPECT_EQ(fits.Text(), L"abc\\");
    EXPECT_TRUE(full.GuardIntact() && fits.GuardIntact() && none.GuardIntact() && one.GuardIntact());
}

TEST(PathParts, MakeAndParse)
{
    wchar_t dst[MAX_PATH];
    EXPECT_STREQ(MakePath(dst, L"C:\\dir", L"file", L"txt"), L"C:\\dir\\file.txt");
    EXPECT_STREQ(MakePath(dst, L"C:\\dir\\", L"file", L".txt"), L"C:\\dir\\file.txt");
    EXPECT_STREQ(MakePath(dst, L"C:\\", L"file", nullptr), L"C:\\file");
    EXPECT_STREQ(MakePath(dst, L"", L"file", L"txt"), L"file.txt");
    EXPECT_STREQ(MakePath(dst, nullptr, L"file", L""), L"file");
    wcscpy(dst, L"C:\\in\\place");
    EXPECT_STREQ(MakePath(dst, dst, L"x", L"y"), L"C:\\in\\place\\x.y");

    // NT is the family Wine reports; another family's file, or an unknown one, gives nothing.
    struct { const wchar_t* name; const wchar_t* ext; const wchar_t* made; } const forOS[] = {
        {L":NT:ntonly.dll", nullptr, L"C:\\d\\ntonly.dll"}, {L":nt:lower", L"dll", L"C:\\d\\lower.dll"},
        {L":9x:old.vxd", nullptr, L""}, {L":xx:what", nullptr, L""}, {L"plain", L"txt", L"C:\\d\\plain.txt"},
    };
    for (const auto& c : forOS) {
        EXPECT_EQ(!!MakePathForOS(dst, L"C:\\d", c.name, c.ext), c.made[0] != 0) << test::ToUtf8(c.name);
        EXPECT_STREQ(dst, c.made);
    }

    struct { const wchar_t *path, *folder, *name, *ext; } const parts[] = {
        {L"C:\\dir\\name.tar.gz", L"C:\\dir", L"name.tar", L".gz"}, {L"C:\\name", L"C:\\", L"name", L""},
        {L"name.txt", L"", L"name", L".txt"}, {L"C:name.txt", L"C:", L"name", L".txt"},
        {L"dir/.hidden", L"dir", L"", L".hidden"}, {L"\\\\srv\\share\\f.doc", L"\\\\srv\\share", L"f", L".doc"},
    };
    for (const auto& c : parts) {
        wchar_t folder[MAX_PATH], name[MAX_PATH], ext[MAX_PATH];
        ParsePath(folder, name, ext, c.path);
        EXPECT_STREQ(folder, c.folder) << c.path;
        EXPECT_STREQ(name, c.name) << c.path;
        EXPECT_STREQ(ext, c.ext) << c.path;
    }
    wchar_t name[MAX_PATH];
    ParsePath(nullptr, name, nullptr, L"C:\\only\\name.x");
    EXPECT_STREQ(name, L"name");
}

// ---- Comparing and classifying ----

TEST(PathClassify, PredicatesAndRoots)
{
    using Predicate = bool (*)(const wchar_t*);
    std::wstring longA(400, L'a'), longB = Upper(longA) + L"\\";
    struct Case {
        const char* name;
        Predicate test;
        std::vector<const wchar_t*> yes, no;
    } const cases[] = {
        {"IsValidFileName", [](const wchar_t* p) { return !!IsValidFileName(p); }, {L"report (final) v2.txt"},
         {L"", L"a\\b", L"a/b", L"c:", L"*.txt", L"why?", L"\"q\"", L"a<b", L"a>b", L"a|b", L"tab\there", nullptr}},
        {"IsMask", [](const wchar_t* p) { return !!IsMask(p); }, {L"C:\\*.txt", L"file?.doc"}, {L"C:\\plain"}},
        {"IsFullPathName", [](const wchar_t* p) { return !!IsFullPathName(p); },
         {L"C:\\x", L"c:/x", L"\\x", L"\\\\srv\\share"}, {L"C:x", L"x\\y", L"1:\\x"}},
        {"IsNetworkFolder", [](const wchar_t* p) { return !!IsNetworkFolder(p); }, {L"\\\\srv", L"//srv/share"},
         {L"\\\\", L"\\srv"}},
        {"IsUncPath", [](const wchar_t* p) { return !!IsUncPath(p); }, {L"\\\\server\\share\\dir", L"\\\\server\\share"},
         {L"\\\\server", L"\\\\?\\C:\\x", L"\\\\.\\pipe\\x"}},
        {"IsRootFolder", [](const wchar_t* p) { return !!IsRootFolder(p); }, {L"C:\\", L"d:", L"\\", L"\\\\srv\\share\\"},
         {L"C:\\dir", L"\\\\srv\\share\\dir"}},
        {"IsRootFolder without UNC", [](const wchar_t* p) { return !!IsRootFolder(p, FALSE); }, {L"C:\\"},
         {L"\\\\srv\\share\\"}},
        {"IsDosFolder", [](const wchar_t* p) { return !!IsDosFolder(p); }, {L"C:\\x", L"z:"}, {L"\\\\srv\\share"}},
        {"IsFtpFolder", [](const wchar_t* p) { return !!IsFtpFolder(p); }, {L"ftp://ftp.example.com/pub", L"FTP://host"},
         {L"http://host", L"ftp:host"}},
        {"IsSubFolderOf C:\\A", [](const wchar_t* p) { return !!IsSubFolderOf(p, L"C:\\A"); }, {L"C:\\A\\B", L"c:/a/b"},
         {L"C:\\AB", L"C:\\A", L"C:\\A\\", nullptr}},
        {"IsSubFolderOf", [](const wchar_t* p) { return !!IsSubFolderOf(p, L"c:\\a\\b"); }, {L"C:\\A\\B\\C\\"},
         {L"C:\\A"}},
        {"IsSubFolderOf C:\\", [](const wchar_t* p) { return !!IsSubFolderOf(L"C:\\x", p); }, {L"C:\\"}, {L""}},
        {"IsSamePath", [](const wchar_t* p) { return !!IsSamePath(p, L"c:/dir/sub"); }, {L"C:\\Dir\\Sub\\"},
         {L"C:\\Dir\\Sub2", nullptr}},
    };
    for (const Case& c : cases) {
        for (const wchar_t* p : c.yes)
            EXPECT_TRUE(c.test(p)) << c.name << " " << test::ToUtf8(p);
        for (const wchar_t* p : c.no)
            EXPECT_FALSE(c.test(p)) << c.name << " " << (p ? test::ToUtf8(p) : "null");
    }
    EXPECT_TRUE(IsSamePath(longA.c_str(), longB.c_str()));  // no length limit
    EXPECT_STREQ(GetInvalidFileNameChars(), L"\\ / : * ? \" < > |");

    EXPECT_EQ(GetDriveFromPath(L"c:\\x"), 2);
    EXPECT_EQ(GetDriveFromPath(L"Z:"), 25);
    EXPECT_EQ(GetDriveFromPath(L"\\x"), -1);
    EXPECT_EQ(GetDriveTypeFromPath(L"C:\\windows"), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_EQ(GetDriveTypeFromPath(L"relative"), GetDriveTypeW(nullptr));
    wchar_t root[MAX_PATH];
    EXPECT_TRUE(ExtractRootPath(root, L"c:\\dir\\x"));
    EXPECT_STREQ(root, L"C:\\");
    EXPECT_TRUE(ExtractRootPath(root, L"//srv/share/dir"));
    EXPECT_STREQ(root, L"\\\\srv\\share\\");
    EXPECT_FALSE(ExtractRootPath(root, L"relative\\x"));
    EXPECT_STREQ(root, L"");
    EXPECT_TRUE(GetRootPath(root, L"relative\\x"));  // through the current folder
    EXPECT_TRUE(root[1] == L':' && wcscmp(root + 2, L"\\") == 0);
}

TEST(PathClassify, FullPathNames)
{
    auto full = [](const wchar_t* path, const wchar_t* base) {
        return Edited(path, [base](wchar_t* p) { MakeFullPathName(p, base); });
    };
    EXPECT_EQ(full(L"", L"C:\\base"), L"C:\\base");
    EXPECT_EQ(full(L"  \"sub/file.txt\"  ", L"C:\\base"), L"C:\\base\\sub\\file.txt");
    EXPECT_EQ(full(L"file", L"C:\\base\\"), L"C:\\base\\file");
    EXPECT_EQ(full(L"\\rooted\\x", L"D:\\base\\dir"), L"D:\\rooted\\x");
    EXPECT_EQ(full(L"/rooted", L"\\\\srv\\share\\dir"), L"\\\\srv\\share\\rooted");
    EXPECT_EQ(full(L"\\\\other\\share\\x", L"C:\\b"), L"\\\\other\\share\\x");
    EXPECT_EQ(full(L"e:/x/y", L"D:\\b"), L"e:\\x\\y");
    // A base that is not full: the current folder.
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    std::wstring expected = current;
    if (expected.back() != L'\\')
        expected += L'\\';
    EXPECT_TRUE(IsSamePath(full(L"rel\\x", L"not\\full").c_str(), (expected + L"rel\\x").c_str()));
    EXPECT_EQ(full(L"\\top", L""), std::wstring(1, current[0]) + L":\\top");
}

// ---- Canonical paths and the home folder ----

TEST(PathCanonical, SystemWindowsAndHomeFolders)
{
    wchar_t windows[MAX_PATH], home[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    ASSERT_TRUE(GetHomeDir(home));
    // Files directly inside one of the folders only; a sub-folder keeps its full path.
    struct { std::wstring path, canonical; } const cases[] = {
        {SystemDir() + L"\\notepad.exe", L"%S\\notepad.exe"}, {Upper(SystemDir() + L"\\notepad.exe"), L"%S\\NOTEPAD.EXE"},
        {std::wstring(windows) + L"\\win.ini", L"%W\\win.ini"}, {std::wstring(home) + L"\\Glimpsebox.chm", L"%_\\Glimpsebox.chm"},
        {SystemDir() + L"\\drivers\\x.sys", SystemDir() + L"\\drivers\\x.sys"}, {L"relative.txt", L"relative.txt"},
    };
    BOOL converted = FALSE;
    for (const auto& c : cases) {
        EXPECT_EQ(Canonical(c.path), c.canonical);
        EXPECT_TRUE(IsSamePath(FromCanonical(c.canonical.c_str(), &converted).c_str(), c.path.c_str()))
            << test::ToUtf8(c.canonical);
        EXPECT_EQ(!!converted, c.canonical[0] == L'%');
    }
    EXPECT_TRUE(IsSamePath(FromCanonical(L"%Snotepad.exe").c_str(), cases[0].path.c_str()));
    EXPECT_EQ(FromCanonical(L"%X\\what", &converted), L"%X\\what");
    EXPECT_FALSE(converted);
    wchar_t out[MAX_PATH] = L"stale";
    EXPECT_FALSE(GetPathFromCanonical(nullptr, out));
    EXPECT_STREQ(out, L"");
}

TEST(PathCanonical, HomeFolderIsRecordedOnFirstUseAndSetupWins)
{
    HomeValue restore;
    HomeValue::Set(nullptr);
    wchar_t path[MAX_PATH], home[MAX_PATH], recorded[MAX_PATH];
    GetModuleFileNameW(test::Library(), path, MAX_PATH);
    *wcsrchr(path, L'\\') = 0;
    ASSERT_TRUE(GetHomeDir(home));
    EXPECT_TRUE(IsSamePath(home, path));
    EXPECT_NE(home[wcslen(home) - 1], L'\\');
    ASSERT_TRUE(GetHomeFolder(L"Glimpsebox", recorded));
    EXPECT_STREQ(recorded, home);

    HomeValue::Set(L"C:\\Program Files\\Glimpsebox");
    ASSERT_TRUE(GetHomeDir(home));
    EXPECT_STREQ(home, L"C:\\Program Files\\Glimpsebox");
    wchar_t file[MAX_PATH];
    EXPECT_STREQ(GetLocalFileName(file, L"Glimpsebox.chm"), L"C:\\Program Files\\Glimpsebox\\Glimpsebox.chm");
    EXPECT_STREQ(GetLocalFileNameQuoted(file, L"Glimpsebox.exe"), L"\"C:\\Program Files\\Glimpsebox\\Glimpsebox.exe\"");
    EXPECT_EQ(std::wstring(GetLocalFileName(file, nullptr, test::Library())),
              L"C:\\Program Files\\Glimpsebox\\" + std::wstring(test::LibraryFile));
    EXPECT_FALSE(LocalFileExists(test::LibraryFile));
    ASSERT_TRUE(GetLocalFolder(home));
    EXPECT_STREQ(home, L"C:\\Program Files\\Glimpsebox");

    // A recorded folder longer than a path buffer reads as none.
    HomeValue::Set((L"C:\\" + std::wstring(300, L'h')).c_str());
    GuardedBuffer<wchar_t> tooLong(MAX_PATH);
    EXPECT_FALSE(GetHomeFolder(L"Glimpsebox", tooLong.Data()));
    EXPECT_TRUE(tooLong.GuardIntact());
    EXPECT_EQ(tooLong.Text(), L"");
}

// ---- Real files: display forms, existence and creation ----

TEST(PathFiles, ShellFormTakesTheStoredLetterCase)
{
    TempDir temp(L"shellpath");
    std::wstring folder = temp.path + L"\\MixedCase Folder", file = folder + L"\\Some File.TXT";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(test::WriteUtf8File(file, "x"));
    std::wstring typed = temp.path + L"/mixedcase folder/some file.txt";
    for (auto& c : typed)
        c = c == L'\\' ? L'/' : c;
    typed[0] = static_cast<wchar_t>(towlower(typed[0]));
    std::wstring shown = Edited(typed, [](wchar_t* p) { EXPECT_TRUE(DosPathToShellPath(p)); });
    EXPECT_EQ(shown.find(L'/'), std::wstring::npos);
    EXPECT_TRUE(iswupper(shown[0]));
    EXPECT_EQ(shown.substr(shown.size() - 31), L"\\MixedCase Folder\\Some File.TXT");
    EXPECT_TRUE(IsSamePath(shown.c_str(), file.c_str()));
    // Short names come back long.
    wchar_t p[MAX_PATH];
    wcscpy(p, file.c_str());
    if (ConvertToShortPath(p, MAX_PATH)) {
        ASSERT_TRUE(DosPathToShellPath(p));
        EXPECT_EQ(p, shown);
    }
    wchar_t lfn[MAX_PATH];
    EXPECT_TRUE(ConvertPathToLFN(shown.c_str(), lfn));
    EXPECT_TRUE(IsSamePath(lfn, shown.c_str()));
    EXPECT_EQ(Edited(L"c:\\", [](wchar_t* q) { EXPECT_TRUE(DosPathToShellPath(q)); }), L"C:\\");
    EXPECT_EQ(Edited(L"", [](wchar_t* q) { EXPECT_TRUE(DosPathToShellPath(q)); }), L"");
    std::wstring missing = temp.path + L"\\no such file.txt";
    wcscpy(p, missing.c_str());
    EXPECT_FALSE(DosPathToShellPath(p) || ShortToLFN(p) || ConvertPathToLFN(missing.c_str(), lfn));
    EXPECT_EQ(lfn, missing);

    // In place: the short form must fit the size given, or the path stays as it was.
    std::wstring longName = temp.path + L"\\A Rather Long Folder Name";
    ASSERT_TRUE(CreateDirectoryW(longName.c_str(), nullptr));
    wcscpy(p, longName.c_str());
    if (ConvertToShortPath(p, MAX_PATH)) {
        int exact = static_cast<int>(wcslen(p)) + 1;
        GuardedBuffer<wchar_t> tooSmall(MAX_PATH, longName), fits(MAX_PATH, longName), none(0);
        EXPECT_FALSE(ConvertToShortPath(tooSmall.Data(), exact - 1));
        EXPECT_EQ(tooSmall.Text(), longName);
        EXPECT_TRUE(ConvertToShortPath(fits.Data(), exact));
        EXPECT_EQ(fits.Text(), std::wstring(p));
        EXPECT_FALSE(ConvertToShortPath(none.Data(), 0));
        EXPECT_TRUE(fits.GuardIntact() && tooSmall.GuardIntact() && none.GuardIntact());
    }
}

TEST(PathFiles, ExistenceAndCreation)
{
    TempDir temp(L"create");
    std::wstring deep = temp.path + L"\\one\\two/three\\";
    ASSERT_TRUE(CreateFolder(deep.c_str()));
    EXPECT_TRUE(FolderExists((temp.path + L"\\one\\two\\three").c_str()));
    EXPECT_TRUE(CreateFolder(deep.c_str()));  // already there
    EXPECT_FALSE(CreateFolder(L"relative\\folder") || CreateFolder(nullptr));

    std::wstring file = temp.path + L"\\one\\file.txt", none = temp.path + L"\\none";
    ASSERT_TRUE(test::WriteUtf8File(file, "data"));
    EXPECT_TRUE(FileExists(file.c_str()) && FileOrFolderExists(file.c_str()) && FileOrFolderExists(temp.path.c_str()));
    EXPECT_FALSE(FolderExists(file.c_str()) || FileExists(temp.path.c_str()) || FileOrFolderExists(none.c_str()) ||
                 FileExists(L"") || FolderExists(nullptr));
    // A file where a folder should be.
    EXPECT_FALSE(CreateFolder((file + L"\\below").c_str()));
    std::wstring shell = temp.path + L"\\shell\\made";
    EXPECT_TRUE(CreateFolderEx(nullptr, shell.c_str()) && FolderExists(shell.c_str()));
    EXPECT_TRUE(CreateFolderEx(nullptr, shell.c_str()));
    EXPECT_FALSE(CreateFolderEx(nullptr, (file + L"\\below").c_str()));
}

TEST(PathFiles, ModulesAndShellFolders)
{
    wchar_t path[MAX_PATH], dir[MAX_PATH], name[MAX_PATH];
    ASSERT_TRUE(GetLocalPathDir(path, dir));
    EXPECT_EQ(Upper(FindNameExt(path)), L"PATHSTEST.EXE");
    EXPECT_EQ(std::wstring(path), std::wstring(dir) + L"\\" + FindNameExt(path));
    ASSERT_TRUE(GetLocalPathDir(nullptr, dir));
    ASSERT_TRUE(GetModuleFNameExt(test::Library(), name));
    EXPECT_EQ(Upper(name), test::LibraryFile);
    ASSERT_TRUE(GetModuleFNameExt(nullptr, name));
    EXPECT_EQ(Upper(name), L"PATHSTEST.EXE");

    wchar_t folder[MAX_PATH], quick[MAX_PATH];
    ASSERT_TRUE(GetSpecialFolderPath(nullptr, CSIDL_APPDATA, folder));
    EXPECT_TRUE(FolderExists(folder));
    ASSERT_TRUE(GetQuickLaunchFolderPath(nullptr, FALSE, quick));
    EXPECT_EQ(std::wstring(quick), std::wstring(folder) + L"\\Microsoft\\Internet Explorer\\Quick Launch");
    EXPECT_FALSE(GetSpecialFolderPath(nullptr, 0x7F, folder));
    EXPECT_STREQ(folder, L"");
}

// ---- Bounded writes: sizes 0, 1, one short and exact fit, and over-long input ----

TEST(PathBounds, SizedOutputsCutToFitAndPathBuffersHoldLongInput)
{
    wchar_t home[MAX_PATH], current[MAX_PATH], exe[MAX_PATH], exeDir[MAX_PATH];
    ASSERT_TRUE(GetHomeDir(home));
    ASSERT_TRUE(GetLocalPathDir(exe, exeDir));
    GetCurrentDirectoryW(MAX_PATH, current);
    const std::wstring notepad = SystemDir() + L"\\notepad.exe";
    const std::wstring currentRoot = std::wstring(1, static_cast<wchar_t>(towupper(current[0]))) + L":\\";
    using Write = std::function<void(wchar_t*, int)>;
    struct { std::wstring expected; Write write; bool prefixCut; } const cases[] = {
        {L"C:\\dir\\file.txt", [](wchar_t* b, int n) { MakePath(b, L"C:\\dir", L"file", L"txt", n); }, true},
        {L"C:\\d\\nt.dll", [](wchar_t* b, int n) { MakePathForOS(b, L"C:\\d", L":NT:nt.dll", nullptr, n); }, true},
        {L"%S\\notepad.exe", [&](wchar_t* b, int n) { MakeCanonicalPath(notepad.c_str(), b, n); }, true},
        {notepad, [](wchar_t* b, int n) { GetPathFromCanonical(L"%S\\notepad.exe", b, n); }, true},
        {home, [](wchar_t* b, int n) { GetHomeDir(b, n); }, true},
        {test::LibraryFile, [](wchar_t* b, int n) { GetModuleFNameExt(test::Library(), b, n); }, true},
        {SystemDir(), [](wchar_t* b, int n) { ConvertPathToLFN(SystemDir().c_str(), b, n); }, true},
        {exeDir, [](wchar_t* b, int n) { GetLocalPathDir(nullptr, b, n); }, true},
        {exe, [](wchar_t* b, int n) { GetLocalPathDir(b, nullptr, n); }, true},
        {L"C:\\long\\base\\f", [](wchar_t* b, int n) {
             if (n)
                 wcsncpy(b, L"f", n - 1)[n - 1] = 0;
             MakeFullPathName(b, L"C:\\long\\base", n);
         }, true},
        // A root is whole or nothing: a cut one would name another place.
        {L"\\\\srv\\share\\", [](wchar_t* b, int n) { ExtractRootPath(b, L"\\\\srv\\share\\dir\\x", n); }, false},
        {currentRoot, [](wchar_t* b, int n) { GetRootPath(b, L"relative\\x", n); }, false},
    };
    for (const auto& c : cases)
        ExpectBounded<wchar_t>(c.expected, c.write, c.prefixCut);

    // Functions with MAX_PATH buffers cut over-long input instead of running past them.
    std::wstring longPath = L"C:\\" + std::wstring(600, L'a') + L"\\name.ext", longName(400, L'n');
    GuardedBuffer<wchar_t> folder(MAX_PATH), name(MAX_PATH), ext(MAX_PATH), canonical(MAX_PATH),
        fromCanonical(MAX_PATH), local(MAX_PATH), quoted(MAX_PATH), quick(MAX_PATH), full(MAX_PATH, L"relative");
    ParsePath(folder.Data(), name.Data(), ext.Data(), longPath.c_str());
    EXPECT_EQ(name.Text(), L"name");
    EXPECT_EQ(ext.Text(), L".ext");
    MakeCanonicalPath(longPath.c_str(), canonical.Data());
    EXPECT_EQ(canonical.Text(), longPath.substr(0, MAX_PATH - 1));
    GetPathFromCanonical((L"%W\\" + std::wstring(400, L'b')).c_str(), fromCanonical.Data());
    GetLocalFileName(local.Data(), longName.c_str());
    GetLocalFileNameQuoted(quoted.Data(), longName.c_str());
    GetQuickLaunchFolderPath(nullptr, TRUE, quick.Data());
    MakeFullPathName(full.Data(), (L"C:\\" + std::wstring(500, L'c')).c_str());
    for (const auto* buffer : {&folder, &name, &ext, &canonical, &fromCanonical, &local, &quoted, &quick, &full})
        EXPECT_TRUE(buffer->GuardIntact() && buffer->Terminated());
    std::wstring quotedText = quoted.Text();
    EXPECT_TRUE(quotedText.empty() || quotedText.front() != L'"' || quotedText.back() == L'"')  // never half-quoted
        << test::ToUtf8(quotedText);
}
