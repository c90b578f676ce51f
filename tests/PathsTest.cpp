// Path helpers against Wine's real file system: building, splitting, classifying, canonical
// forms, the product's home folder, shell display forms and folder creation.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "support/GuardedBuffer.h"
#include "support/TestSupport.h"
#include "sys/PathUtil.h"
#include "sys/RegKey.h"

using test::ExpectBounded;
using test::GuardedBuffer;

namespace {

std::wstring SystemDir()
{
    wchar_t dir[MAX_PATH];
    GetSystemDirectoryW(dir, MAX_PATH);
    return dir;
}

std::wstring WindowsDir()
{
    wchar_t dir[MAX_PATH];
    GetWindowsDirectoryW(dir, MAX_PATH);
    return dir;
}

std::wstring LibraryDir()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(GetModuleHandleW(L"GLMBX32.DLL"), path, MAX_PATH);
    std::wstring text = path;
    return text.substr(0, text.find_last_of(L"\\/"));
}

std::wstring Upper(std::wstring text)
{
    CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

void RemoveTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring full = dir + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(dir.c_str());
}

// A temporary folder removed with everything in it.
class TempDir {
public:
    explicit TempDir(const wchar_t* name) : path(test::NewTempDir(name)) {}
    ~TempDir() { RemoveTree(path); }
    const std::wstring path;
};

// The product's recorded home folder, put back as it was.
class HomeValue {
public:
    HomeValue() : existed(false)
    {
        wchar_t value[MAX_PATH];
        existed = GetHomeFolder(L"Glimpsebox", value) != 0;
        if (existed)
            saved = value;
    }
    ~HomeValue()
    {
        RegKey setup(L"HKLM\\Software\\Corvantrix\\Glimpsebox\\Setup", 1);
        if (existed)
            setup.PutStr(L"Home", saved.c_str());
        else
            setup.DelValue(L"Home");
    }
    void Clear()
    {
        RegKey setup(L"HKLM\\Software\\Corvantrix\\Glimpsebox\\Setup", 1);
        setup.DelValue(L"Home");
    }

private:
    bool existed;
    std::wstring saved;
};

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

std::wstring Full(const wchar_t* path, const wchar_t* base)
{
    wchar_t buf[MAX_PATH];
    wcscpy(buf, path);
    MakeFullPathName(buf, base);
    return buf;
}

} // namespace

// ---- Trailing separators, names and extensions ----

TEST(PathParts, TrailingSeparators)
{
    wchar_t p[MAX_PATH] = L"";
    EXPECT_STREQ(AppendBackSlash(p), L"");
    wcscpy(p, L"C:\\dir");
    EXPECT_STREQ(AppendBackSlash(p), L"C:\\dir\\");
    wcscpy(p, L"C:/dir/");
    EXPECT_STREQ(AppendBackSlash(p), L"C:/dir/");

    wcscpy(p, L"C:\\");
    EXPECT_STREQ(RemoveBackSlash(p), L"C:\\");
    wcscpy(p, L"C:\\dir\\");
    EXPECT_STREQ(RemoveBackSlash(p), L"C:\\dir");
    wcscpy(p, L"C:/dir/");
    EXPECT_STREQ(RemoveBackSlash(p), L"C:/dir");
    wcscpy(p, L"\\\\");
    EXPECT_STREQ(RemoveBackSlash(p), L"\\\\");

    wcscpy(p, L"C:\\");
    EXPECT_TRUE(StripBackSlash(p));
    EXPECT_STREQ(p, L"C:");
    EXPECT_FALSE(StripBackSlash(p));

    // No room for the separator: left as it is.
    GuardedBuffer<wchar_t> full(4, L"abc");
    AppendBackSlash(full.Data(), full.Size());
    EXPECT_EQ(full.Text(), L"abc");
    EXPECT_TRUE(full.GuardIntact());
    for (int size : {0, 1}) {
        GuardedBuffer<wchar_t> none(size);
        AppendBackSlash(none.Data(), size);
        EXPECT_TRUE(none.GuardIntact());
    }
    GuardedBuffer<wchar_t> fits(5, L"abc");
    AppendBackSlash(fits.Data(), fits.Size());
    EXPECT_EQ(fits.Text(), L"abc\\");
    EXPECT_TRUE(fits.GuardIntact());
}

TEST(PathParts, NamesAndExtensions)
{
    wchar_t p[MAX_PATH] = L"C:\\dir/sub\\file.tar.gz";
    EXPECT_STREQ(FindNameExt(p), L"file.tar.gz");
    EXPECT_STREQ(FindDotExt(p), L".gz");
    EXPECT_STREQ(FindLastSeparator(p), L"\\file.tar.gz");
    EXPECT_STREQ(FindNameExt(L"C:name.txt"), L"name.txt");
    EXPECT_EQ(FindDotExt(L"C:\\dir.x\\name"), nullptr);
    EXPECT_EQ(FindLastSeparator(L"name"), nullptr);

    EXPECT_STREQ(StripFileExt(p), L"C:\\dir/sub\\file.tar");
    wcscpy(p, L"C:\\dir\\name.");
    EXPECT_STREQ(StripFileExt(p), L"C:\\dir\\name");
    wcscpy(p, L"C:\\dir.x\\name");
    EXPECT_STREQ(StripFileExt(p), L"C:\\dir.x\\name");

    wcscpy(p, L"C:\\dir\\file.txt");
    EXPECT_STREQ(StripFileName(p), L"C:\\dir\\");
    wcscpy(p, L"C:file.txt");
    EXPECT_STREQ(StripFileName(p), L"C:");
    wcscpy(p, L"file.txt");
    EXPECT_STREQ(StripFileName(p), L"");

    wcscpy(p, L"C:\\dir\\sub\\");
    EXPECT_STREQ(FindLastPathComponent(p), L"sub");
    EXPECT_STREQ(p, L"C:\\dir\\sub");
    wcscpy(p, L"single");
    EXPECT_STREQ(FindLastPathComponent(p), L"single");

    wcscpy(p, L"a/b/c");
    ConvertSlashes(p);
    EXPECT_STREQ(p, L"a\\b\\c");
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

    // NT is the family Wine reports.
    EXPECT_TRUE(MakePathForOS(dst, L"C:\\d", L":NT:ntonly.dll", nullptr));
    EXPECT_STREQ(dst, L"C:\\d\\ntonly.dll");
    EXPECT_TRUE(MakePathForOS(dst, L"C:\\d", L":nt:lower", L"dll"));
    EXPECT_STREQ(dst, L"C:\\d\\lower.dll");
    EXPECT_FALSE(MakePathForOS(dst, L"C:\\d", L":9x:old.vxd", nullptr));
    EXPECT_STREQ(dst, L"");
    EXPECT_FALSE(MakePathForOS(dst, L"C:\\d", L":xx:what", nullptr));
    EXPECT_STREQ(dst, L"");
    EXPECT_TRUE(MakePathForOS(dst, L"C:\\d", L"plain", L"txt"));
    EXPECT_STREQ(dst, L"C:\\d\\plain.txt");

    struct {
        const wchar_t* path;
        const wchar_t* folder;
        const wchar_t* name;
        const wchar_t* ext;
    } const cases[] = {
        {L"C:\\dir\\name.tar.gz", L"C:\\dir", L"name.tar", L".gz"},
        {L"C:\\name", L"C:\\", L"name", L""},
        {L"name.txt", L"", L"name", L".txt"},
        {L"C:name.txt", L"C:", L"name", L".txt"},
        {L"dir/.hidden", L"dir", L"", L".hidden"},
        {L"\\\\srv\\share\\f.doc", L"\\\\srv\\share", L"f", L".doc"},
    };
    for (const auto& c : cases) {
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

TEST(PathCompare, SubFolders)
{
    EXPECT_TRUE(IsSubFolderOf(L"C:\\A\\B", L"C:\\A"));
    EXPECT_TRUE(IsSubFolderOf(L"c:/a/b", L"C:\\A\\"));
    EXPECT_TRUE(IsSubFolderOf(L"C:\\A\\B\\C\\", L"c:\\a\\b"));
    EXPECT_FALSE(IsSubFolderOf(L"C:\\AB", L"C:\\A"));
    EXPECT_FALSE(IsSubFolderOf(L"C:\\A", L"C:\\A"));
    EXPECT_FALSE(IsSubFolderOf(L"C:\\A\\", L"C:\\A"));
    EXPECT_FALSE(IsSubFolderOf(L"C:\\A", L"C:\\A\\B"));
    EXPECT_FALSE(IsSubFolderOf(L"C:\\A\\B", L""));
    EXPECT_FALSE(IsSubFolderOf(nullptr, L"C:\\"));
    EXPECT_TRUE(IsSubFolderOf(L"C:\\x", L"C:\\"));
}

TEST(PathCompare, SamePath)
{
    EXPECT_TRUE(IsSamePath(L"C:\\Dir\\Sub\\", L"c:/dir/sub"));
    EXPECT_TRUE(IsSamePath(L"C:\\", L"c:\\"));
    EXPECT_FALSE(IsSamePath(L"C:\\Dir\\Sub", L"C:\\Dir\\Sub2"));
    EXPECT_FALSE(IsSamePath(nullptr, L"x"));
    std::wstring longA(400, L'a');
    std::wstring longB = Upper(longA) + L"\\";
    EXPECT_TRUE(IsSamePath(longA.c_str(), longB.c_str()));  // no length limit
}

TEST(PathClassify, NamesMasksAndRoots)
{
    EXPECT_STREQ(GetInvalidFileNameChars(), L"\\ / : * ? \" < > |");
    EXPECT_TRUE(IsValidFileName(L"report (final) v2.txt"));
    for (const wchar_t* bad : {L"", L"a\\b", L"a/b", L"c:", L"*.txt", L"why?", L"\"q\"", L"a<b", L"a>b", L"a|b", L"tab\there"})
        EXPECT_FALSE(IsValidFileName(bad)) << bad;
    EXPECT_FALSE(IsValidFileName(nullptr));

    EXPECT_TRUE(IsMask(L"C:\\*.txt"));
    EXPECT_TRUE(IsMask(L"file?.doc"));
    EXPECT_FALSE(IsMask(L"C:\\plain"));

    EXPECT_TRUE(IsFullPathName(L"C:\\x"));
    EXPECT_TRUE(IsFullPathName(L"c:/x"));
    EXPECT_TRUE(IsFullPathName(L"\\x"));
    EXPECT_TRUE(IsFullPathName(L"\\\\srv\\share"));
    EXPECT_FALSE(IsFullPathName(L"C:x"));
    EXPECT_FALSE(IsFullPathName(L"x\\y"));
    EXPECT_FALSE(IsFullPathName(L"1:\\x"));

    EXPECT_TRUE(IsNetworkFolder(L"\\\\srv"));
    EXPECT_TRUE(IsNetworkFolder(L"//srv/share"));
    EXPECT_FALSE(IsNetworkFolder(L"\\\\"));
    EXPECT_FALSE(IsNetworkFolder(L"\\srv"));

    EXPECT_TRUE(IsUncPath(L"\\\\server\\share\\dir"));
    EXPECT_TRUE(IsUncPath(L"\\\\server\\share"));
    EXPECT_FALSE(IsUncPath(L"\\\\server"));
    EXPECT_FALSE(IsUncPath(L"\\\\?\\C:\\x"));
    EXPECT_FALSE(IsUncPath(L"\\\\.\\pipe\\x"));

    EXPECT_TRUE(IsRootFolder(L"C:\\"));
    EXPECT_TRUE(IsRootFolder(L"d:"));
    EXPECT_TRUE(IsRootFolder(L"\\"));
    EXPECT_TRUE(IsRootFolder(L"\\\\srv\\share\\"));
    EXPECT_FALSE(IsRootFolder(L"\\\\srv\\share\\", FALSE));
    EXPECT_FALSE(IsRootFolder(L"C:\\dir"));
    EXPECT_FALSE(IsRootFolder(L"\\\\srv\\share\\dir"));

    EXPECT_TRUE(IsDosFolder(L"C:\\x"));
    EXPECT_TRUE(IsDosFolder(L"z:"));
    EXPECT_FALSE(IsDosFolder(L"\\\\srv\\share"));
    EXPECT_TRUE(IsFtpFolder(L"ftp://ftp.example.com/pub"));
    EXPECT_TRUE(IsFtpFolder(L"FTP://host"));
    EXPECT_FALSE(IsFtpFolder(L"http://host"));
    EXPECT_FALSE(IsFtpFolder(L"ftp:host"));

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
    EXPECT_EQ(root[1], L':');
    EXPECT_STREQ(root + 2, L"\\");
}

// ---- Full paths ----

TEST(PathFull, MakeFullPathName)
{
    EXPECT_EQ(Full(L"", L"C:\\base"), L"C:\\base");
    EXPECT_EQ(Full(L"  \"sub/file.txt\"  ", L"C:\\base"), L"C:\\base\\sub\\file.txt");
    EXPECT_EQ(Full(L"file", L"C:\\base\\"), L"C:\\base\\file");
    EXPECT_EQ(Full(L"\\rooted\\x", L"D:\\base\\dir"), L"D:\\rooted\\x");
    EXPECT_EQ(Full(L"/rooted", L"\\\\srv\\share\\dir"), L"\\\\srv\\share\\rooted");
    EXPECT_EQ(Full(L"\\\\other\\share\\x", L"C:\\b"), L"\\\\other\\share\\x");
    EXPECT_EQ(Full(L"e:/x/y", L"D:\\b"), L"e:\\x\\y");

    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    std::wstring expected = current;
    if (expected.back() != L'\\')
        expected += L'\\';
    EXPECT_TRUE(IsSamePath(Full(L"rel\\x", L"not\\full").c_str(), (expected + L"rel\\x").c_str()));
    EXPECT_EQ(Full(L"\\top", L"").substr(1), std::wstring(L":\\top"));
    EXPECT_EQ(Full(L"\\top", L"")[0], current[0]);
}

// ---- Canonical paths and the home folder ----

TEST(PathCanonical, SystemWindowsAndHomeFolders)
{
    std::wstring notepad = SystemDir() + L"\\notepad.exe";
    EXPECT_EQ(Canonical(notepad), L"%S\\notepad.exe");
    EXPECT_EQ(Canonical(Upper(notepad)), L"%S\\NOTEPAD.EXE");
    BOOL converted = FALSE;
    EXPECT_TRUE(IsSamePath(FromCanonical(L"%S\\notepad.exe", &converted).c_str(), notepad.c_str()));
    EXPECT_TRUE(converted);
    EXPECT_TRUE(IsSamePath(FromCanonical(L"%Snotepad.exe").c_str(), notepad.c_str()));

    std::wstring winIni = WindowsDir() + L"\\win.ini";
    EXPECT_EQ(Canonical(winIni), L"%W\\win.ini");
    EXPECT_TRUE(IsSamePath(FromCanonical(L"%W\\win.ini").c_str(), winIni.c_str()));

    // Only files directly inside: a sub-folder keeps its full path.
    std::wstring driver = SystemDir() + L"\\drivers\\x.sys";
    EXPECT_EQ(Canonical(driver), driver);
    EXPECT_EQ(Canonical(L"relative.txt"), L"relative.txt");

    wchar_t home[MAX_PATH];
    ASSERT_TRUE(GetHomeDir(home));
    std::wstring inHome = std::wstring(home) + L"\\Glimpsebox.chm";
    EXPECT_EQ(Canonical(inHome), L"%_\\Glimpsebox.chm");
    EXPECT_TRUE(IsSamePath(FromCanonical(L"%_\\Glimpsebox.chm").c_str(), inHome.c_str()));

    EXPECT_EQ(FromCanonical(L"%X\\what", &converted), L"%X\\what");
    EXPECT_FALSE(converted);
    EXPECT_EQ(FromCanonical(L"C:\\plain", &converted), L"C:\\plain");
    EXPECT_FALSE(converted);
    wchar_t out[MAX_PATH] = L"stale";
    EXPECT_FALSE(GetPathFromCanonical(nullptr, out));
    EXPECT_STREQ(out, L"");
}

TEST(PathCanonical, HomeFolderIsRecordedOnFirstUse)
{
    HomeValue restore;
    restore.Clear();
    wchar_t home[MAX_PATH];
    ASSERT_TRUE(GetHomeDir(home));
    EXPECT_TRUE(IsSamePath(home, LibraryDir().c_str()));
    EXPECT_NE(home[wcslen(home) - 1], L'\\');
    wchar_t recorded[MAX_PATH];
    ASSERT_TRUE(GetHomeFolder(L"Glimpsebox", recorded));
    EXPECT_STREQ(recorded, home);

    // What setup recorded wins.
    {
        RegKey setup(L"HKLM\\Software\\Corvantrix\\Glimpsebox\\Setup", 1);
        ASSERT_TRUE(setup.PutStr(L"Home", L"C:\\Program Files\\Glimpsebox"));
    }
    ASSERT_TRUE(GetHomeDir(home));
    EXPECT_STREQ(home, L"C:\\Program Files\\Glimpsebox");
    wchar_t file[MAX_PATH];
    EXPECT_STREQ(GetLocalFileName(file, L"Glimpsebox.chm"), L"C:\\Program Files\\Glimpsebox\\Glimpsebox.chm");
    EXPECT_STREQ(GetLocalFileNameQuoted(file, L"Glimpsebox.exe"), L"\"C:\\Program Files\\Glimpsebox\\Glimpsebox.exe\"");
    EXPECT_STREQ(GetLocalFileName(file, nullptr, GetModuleHandleW(L"GLMBX32.DLL")),
                 L"C:\\Program Files\\Glimpsebox\\GLMBX32.DLL");
    EXPECT_FALSE(LocalFileExists(L"GLMBX32.DLL"));
    ASSERT_TRUE(GetLocalFolder(home));
    EXPECT_STREQ(home, L"C:\\Program Files\\Glimpsebox");
}

// ---- Real files: display forms, existence and creation ----

TEST(PathFiles, ShellFormTakesTheStoredLetterCase)
{
    TempDir temp(L"shellpath");
    std::wstring folder = temp.path + L"\\MixedCase Folder";
    std::wstring file = folder + L"\\Some File.TXT";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(test::WriteUtf8File(file, "x"));

    std::wstring typed = temp.path + L"/mixedcase folder/some file.txt";
    for (auto& c : typed)
        if (c == L'\\')
            c = L'/';
    typed[0] = static_cast<wchar_t>(towlower(typed[0]));
    wchar_t p[MAX_PATH];
    wcscpy(p, typed.c_str());
    ASSERT_TRUE(DosPathToShellPath(p));
    std::wstring shown = p;
    EXPECT_EQ(shown.find(L'/'), std::wstring::npos);
    EXPECT_TRUE(iswupper(shown[0]));
    EXPECT_EQ(shown.substr(shown.size() - 31), L"\\MixedCase Folder\\Some File.TXT");
    EXPECT_TRUE(IsSamePath(shown.c_str(), file.c_str()));

    // Short names come back long.
    wcscpy(p, file.c_str());
    if (ConvertToShortPath(p, MAX_PATH)) {
        ASSERT_TRUE(DosPathToShellPath(p));
        EXPECT_STREQ(p, shown.c_str());
    }
    wchar_t lfn[MAX_PATH];
    EXPECT_TRUE(ConvertPathToLFN(shown.c_str(), lfn));
    EXPECT_TRUE(IsSamePath(lfn, shown.c_str()));

    wcscpy(p, L"c:\\");
    EXPECT_TRUE(DosPathToShellPath(p));
    EXPECT_STREQ(p, L"C:\\");
    wcscpy(p, L"");
    EXPECT_TRUE(DosPathToShellPath(p));
    std::wstring missing = temp.path + L"\\no such file.txt";
    wcscpy(p, missing.c_str());
    EXPECT_FALSE(DosPathToShellPath(p));
    EXPECT_FALSE(ShortToLFN(p));
    EXPECT_FALSE(ConvertPathToLFN(missing.c_str(), lfn));
    EXPECT_EQ(std::wstring(lfn), missing);
}

TEST(PathFiles, PrettyNames)
{
    wchar_t p[MAX_PATH] = L"C:\\PROGRA~1\\README.TXT";
    EXPECT_STREQ(MakeNamePretty(p), L"C:\\PROGRA~1\\Readme.txt");
    wcscpy(p, L"C:\\dir\\MixedCase.txt");
    EXPECT_STREQ(MakeNamePretty(p), L"C:\\dir\\MixedCase.txt");
    wcscpy(p, L"123.45");
    EXPECT_STREQ(MakeNamePretty(p), L"123.45");
}

TEST(PathFiles, ExistenceAndCreation)
{
    TempDir temp(L"create");
    std::wstring deep = temp.path + L"\\one\\two/three\\";
    ASSERT_TRUE(CreateFolder(deep.c_str()));
    EXPECT_TRUE(FolderExists((temp.path + L"\\one\\two\\three").c_str()));
    EXPECT_TRUE(CreateFolder(deep.c_str()));  // already there
    EXPECT_FALSE(CreateFolder(L"relative\\folder"));
    EXPECT_FALSE(CreateFolder(nullptr));

    std::wstring file = temp.path + L"\\one\\file.txt";
    ASSERT_TRUE(test::WriteUtf8File(file, "data"));
    EXPECT_TRUE(FileExists(file.c_str()));
    EXPECT_FALSE(FolderExists(file.c_str()));
    EXPECT_TRUE(FileOrFolderExists(file.c_str()));
    EXPECT_FALSE(FileExists(temp.path.c_str()));
    EXPECT_TRUE(FileOrFolderExists(temp.path.c_str()));
    EXPECT_FALSE(FileOrFolderExists((temp.path + L"\\none").c_str()));
    EXPECT_FALSE(FileExists(L""));
    EXPECT_FALSE(FolderExists(nullptr));
    // A file where a folder should be.
    EXPECT_FALSE(CreateFolder((file + L"\\below").c_str()));

    std::wstring shell = temp.path + L"\\shell\\made";
    EXPECT_TRUE(CreateFolderEx(nullptr, shell.c_str()));
    EXPECT_TRUE(FolderExists(shell.c_str()));
    EXPECT_TRUE(CreateFolderEx(nullptr, shell.c_str()));
    EXPECT_FALSE(CreateFolderEx(nullptr, (file + L"\\below").c_str()));
}

TEST(PathFiles, ModulesAndShellFolders)
{
    wchar_t path[MAX_PATH];
    wchar_t dir[MAX_PATH];
    ASSERT_TRUE(GetLocalPathDir(path, dir));
    EXPECT_EQ(Upper(FindNameExt(path)), L"PATHSTEST.EXE");
    EXPECT_EQ(std::wstring(path), std::wstring(dir) + L"\\" + FindNameExt(path));
    ASSERT_TRUE(GetLocalPathDir(nullptr, dir));

    wchar_t name[MAX_PATH];
    ASSERT_TRUE(GetModuleFNameExt(GetModuleHandleW(L"GLMBX32.DLL"), name));
    EXPECT_EQ(Upper(name), L"GLMBX32.DLL");
    ASSERT_TRUE(GetModuleFNameExt(nullptr, name));
    EXPECT_EQ(Upper(name), L"PATHSTEST.EXE");

    wchar_t folder[MAX_PATH];
    ASSERT_TRUE(GetSpecialFolderPath(nullptr, CSIDL_APPDATA, folder));
    EXPECT_TRUE(FolderExists(folder));
    wchar_t quick[MAX_PATH];
    ASSERT_TRUE(GetQuickLaunchFolderPath(nullptr, FALSE, quick));
    EXPECT_EQ(std::wstring(quick), std::wstring(folder) + L"\\Microsoft\\Internet Explorer\\Quick Launch");
    EXPECT_FALSE(GetSpecialFolderPath(nullptr, 0x7F, folder));
    EXPECT_STREQ(folder, L"");
}

// ---- Bounded writes at sizes 0, 1, one short and exact fit ----

TEST(BoundedWrites, PathFunctions)
{
    ExpectBounded<wchar_t>(L"C:\\dir\\file.txt", [](wchar_t* buf, int size) {
        MakePath(buf, L"C:\\dir", L"file", L"txt", size);
    });
    ExpectBounded<wchar_t>(L"C:\\d\\nt.dll", [](wchar_t* buf, int size) {
        MakePathForOS(buf, L"C:\\d", L":NT:nt.dll", nullptr, size);
    });
    ExpectBounded<wchar_t>(L"%S\\notepad.exe", [](wchar_t* buf, int size) {
        MakeCanonicalPath((SystemDir() + L"\\notepad.exe").c_str(), buf, size);
    });
    ExpectBounded<wchar_t>(SystemDir() + L"\\notepad.exe", [](wchar_t* buf, int size) {
        GetPathFromCanonical(L"%S\\notepad.exe", buf, size);
    });
    wchar_t home[MAX_PATH];
    ASSERT_TRUE(GetHomeDir(home));
    ExpectBounded<wchar_t>(home, [](wchar_t* buf, int size) { GetHomeDir(buf, size); });
    // A root is whole or nothing: a cut one would name another place.
    ExpectBounded<wchar_t>(L"\\\\srv\\share\\", [](wchar_t* buf, int size) {
        ExtractRootPath(buf, L"\\\\srv\\share\\dir\\x", size);
    }, false);
    ExpectBounded<wchar_t>(L"C:\\long\\base\\f", [](wchar_t* buf, int size) {
        if (size >= 2)
            wcscpy(buf, L"f");
        else if (size == 1)
            buf[0] = 0;
        MakeFullPathName(buf, L"C:\\long\\base", size);
    });
    ExpectBounded<wchar_t>(L"GLMBX32.DLL", [](wchar_t* buf, int size) {
        GetModuleFNameExt(GetModuleHandleW(L"GLMBX32.DLL"), buf, size);
    });
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    std::wstring currentRoot = std::wstring(1, static_cast<wchar_t>(towupper(current[0]))) + L":\\";
    ExpectBounded<wchar_t>(currentRoot, [](wchar_t* buf, int size) { GetRootPath(buf, L"relative\\x", size); }, false);
    ExpectBounded<wchar_t>(SystemDir(), [](wchar_t* buf, int size) { ConvertPathToLFN(SystemDir().c_str(), buf, size); });

    // In place: the short form must fit the size given, or the path stays as it was.
    TempDir temp(L"short");
    std::wstring longName = temp.path + L"\\A Rather Long Folder Name";
    ASSERT_TRUE(CreateDirectoryW(longName.c_str(), nullptr));
    wchar_t shortPath[MAX_PATH];
    wcscpy(shortPath, longName.c_str());
    if (ConvertToShortPath(shortPath, MAX_PATH)) {
        int exact = static_cast<int>(wcslen(shortPath)) + 1;
        GuardedBuffer<wchar_t> tooSmall(MAX_PATH, longName);
        EXPECT_FALSE(ConvertToShortPath(tooSmall.Data(), exact - 1));
        EXPECT_EQ(tooSmall.Text(), longName);
        GuardedBuffer<wchar_t> fits(MAX_PATH, longName);
        EXPECT_TRUE(ConvertToShortPath(fits.Data(), exact));
        EXPECT_EQ(fits.Text(), std::wstring(shortPath));
        EXPECT_TRUE(fits.GuardIntact() && tooSmall.GuardIntact());
    }
    GuardedBuffer<wchar_t> none(0);
    EXPECT_FALSE(ConvertToShortPath(none.Data(), 0));
    EXPECT_TRUE(none.GuardIntact());

    wchar_t exe[MAX_PATH];
    wchar_t exeDir[MAX_PATH];
    ASSERT_TRUE(GetLocalPathDir(exe, exeDir));
    ExpectBounded<wchar_t>(exeDir, [](wchar_t* buf, int size) { GetLocalPathDir(nullptr, buf, size); });
    ExpectBounded<wchar_t>(exe, [](wchar_t* buf, int size) { GetLocalPathDir(buf, nullptr, size); });
}

TEST(BoundedWrites, FixedPathBuffersHoldLongInput)
{
    // Functions with MAX_PATH buffers cut over-long input instead of running past them.
    std::wstring longPath = L"C:\\" + std::wstring(600, L'a') + L"\\name.ext";
    GuardedBuffer<wchar_t> folder(MAX_PATH), name(MAX_PATH), ext(MAX_PATH);
    ParsePath(folder.Data(), name.Data(), ext.Data(), longPath.c_str());
    EXPECT_TRUE(folder.GuardIntact() && name.GuardIntact() && ext.GuardIntact());
    EXPECT_TRUE(folder.Terminated());
    EXPECT_EQ(name.Text(), L"name");
    EXPECT_EQ(ext.Text(), L".ext");

    GuardedBuffer<wchar_t> canonical(MAX_PATH);
    MakeCanonicalPath(longPath.c_str(), canonical.Data());
    EXPECT_TRUE(canonical.GuardIntact() && canonical.Terminated());
    EXPECT_EQ(canonical.Text(), longPath.substr(0, MAX_PATH - 1));

    GuardedBuffer<wchar_t> fromCanonical(MAX_PATH);
    GetPathFromCanonical((L"%W\\" + std::wstring(400, L'b')).c_str(), fromCanonical.Data());
    EXPECT_TRUE(fromCanonical.GuardIntact() && fromCanonical.Terminated());

    GuardedBuffer<wchar_t> local(MAX_PATH), quoted(MAX_PATH);
    std::wstring longName(400, L'n');
    GetLocalFileName(local.Data(), longName.c_str());
    GetLocalFileNameQuoted(quoted.Data(), longName.c_str());
    EXPECT_TRUE(local.GuardIntact() && local.Terminated());
    EXPECT_TRUE(quoted.GuardIntact() && quoted.Terminated());
    std::wstring quotedText = quoted.Text();
    if (!quotedText.empty() && quotedText.front() == L'"') {
        EXPECT_EQ(quotedText.back(), L'"');  // never an unclosed quote
    }

    // A recorded home folder longer than a path buffer reads as none.
    {
        HomeValue restore;
        RegKey setup(L"HKLM\\Software\\Corvantrix\\Glimpsebox\\Setup", 1);
        ASSERT_TRUE(setup.PutStr(L"Home", (L"C:\\" + std::wstring(300, L'h')).c_str()));
        GuardedBuffer<wchar_t> home(MAX_PATH);
        EXPECT_FALSE(GetHomeFolder(L"Glimpsebox", home.Data()));
        EXPECT_TRUE(home.GuardIntact());
        EXPECT_EQ(home.Text(), L"");
    }

    GuardedBuffer<wchar_t> quick(MAX_PATH);
    GetQuickLaunchFolderPath(nullptr, TRUE, quick.Data());
    EXPECT_TRUE(quick.GuardIntact() && quick.Terminated());

    GuardedBuffer<wchar_t> full(MAX_PATH, L"relative");
    MakeFullPathName(full.Data(), (L"C:\\" + std::wstring(500, L'c')).c_str());
    EXPECT_TRUE(full.GuardIntact() && full.Terminated());
}
