// Shortcuts: creating link files, reading and resolving them, the link object's fields and
// its persistence, against real files in a temporary folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <utility>

#include "sys/PIDL.h"
#include "sys/PathUtil.h"
#include "sys/ShellNames.h"
#include "sys/iShellLink.h"
#include "tests/support/GuardedBuffer.h"
#include "tests/support/TestSupport.h"

namespace {

class Shortcuts : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = test::NewTempDir(L"links");
        target = Path(L"Target File.txt");
        ASSERT_TRUE(test::WriteUtf8File(target, "target"));
    }
    std::wstring Path(const wchar_t* name) const { return dir + L"\\" + name; }

    std::wstring dir;
    std::wstring target;
};

std::wstring TargetOf(const std::wstring& link)
{
    wchar_t path[MAX_PATH];
    return GetShortcutTargetPath(path, link.c_str()) ? path : L"<none>";
}

} // namespace

TEST_F(Shortcuts, CreatedLinkLeadsToItsTargetWithArguments)
{
    std::wstring link = Path(L"Shortcut.lnk");
    ASSERT_TRUE(CreateLink(target.c_str(), link.c_str(), L"--first \"two words\""));
    ASSERT_TRUE(FileExists(link.c_str()));
    EXPECT_TRUE(GetAttributesOf(link.c_str()) & SFGAO_LINK);

    EXPECT_TRUE(IsSamePath(TargetOf(link).c_str(), target.c_str())) << test::ToUtf8(TargetOf(link));
    iShellLink read;
    ASSERT_TRUE(read.Load(link.c_str()));
    wchar_t args[MAX_PATH];
    ASSERT_TRUE(read.GetArguments(args, MAX_PATH));
    EXPECT_STREQ(args, L"--first \"two words\"");

    // Resolving, silently or not, puts the target in place of the link.
    for (int noUI : {1, 0}) {
        wchar_t path[MAX_PATH];
        wcscpy(path, link.c_str());
        ASSERT_TRUE(ResolveShortcut(nullptr, path, noUI));
        EXPECT_TRUE(IsSamePath(path, target.c_str())) << test::ToUtf8(path);
    }

    // Without arguments the link has none.
    std::wstring plain = Path(L"Plain.lnk");
    ASSERT_TRUE(CreateLink(target.c_str(), plain.c_str()));
    iShellLink plainLink;
    ASSERT_TRUE(plainLink.Load(plain.c_str()));
    ASSERT_TRUE(plainLink.GetArguments(args, MAX_PATH));
    EXPECT_STREQ(args, L"");
}

TEST_F(Shortcuts, ResolveLinkLeavesOtherPathsAlone)
{
    iShellLink link;
    iPersistFile file;
    wchar_t result[MAX_PATH];
    ASSERT_TRUE(ResolveLink(nullptr, link, file, target.c_str(), result, SLR_NO_UI, FALSE));
    EXPECT_EQ(std::wstring(result), target);
    EXPECT_TRUE(ResolveLink(nullptr, link, file, Path(L"missing.txt").c_str(), result, SLR_NO_UI, FALSE));
    EXPECT_EQ(std::wstring(result), Path(L"missing.txt"));

    wchar_t path[MAX_PATH];
    wcscpy(path, target.c_str());
    EXPECT_TRUE(ResolveShortcut(nullptr, path, 1));
    EXPECT_EQ(std::wstring(path), target);

    // The caller's link object holds what was read, for the fields beyond the target.
    std::wstring shortcut = Path(L"Described.lnk");
    {
        iShellLink made;
        ASSERT_TRUE(made.SetPath(target.c_str()));
        ASSERT_TRUE(made.SetDescription(L"a description"));
        ASSERT_TRUE(made.Save(shortcut.c_str()));
    }
    iShellLink reader;
    iPersistFile readerFile;
    ASSERT_TRUE(ResolveLink(nullptr, reader, readerFile, shortcut.c_str(), result, 0, TRUE));
    EXPECT_TRUE(IsSamePath(result, target.c_str()));
    wchar_t description[MAX_PATH];
    ASSERT_TRUE(reader.GetDescription(description, MAX_PATH));
    EXPECT_STREQ(description, L"a description");
}

TEST_F(Shortcuts, LinkFieldsSurviveFileAndStream)
{
    iShellLink link;
    ASSERT_TRUE(link.IsReady());
    ASSERT_TRUE(link.SetPath(target.c_str()));
    ASSERT_TRUE(link.SetArguments(L"/x"));
    ASSERT_TRUE(link.SetDescription(L"Described"));
    ASSERT_TRUE(link.SetIconLocation(L"C:\\windows\\system32\\shell32.dll", 3));
    std::wstring file = Path(L"Fields.lnk");
    ASSERT_TRUE(link.Save(file.c_str()));

    auto expectFields = [&](iShellLink& read) {
        wchar_t text[MAX_PATH];
        ASSERT_TRUE(read.GetPath(text, MAX_PATH));
        EXPECT_TRUE(IsSamePath(text, target.c_str()));
        ASSERT_TRUE(read.GetArguments(text, MAX_PATH));
        EXPECT_STREQ(text, L"/x");
        ASSERT_TRUE(read.GetDescription(text, MAX_PATH));
        EXPECT_STREQ(text, L"Described");
        int index = 0;
        ASSERT_TRUE(read.GetIconLocation(text, MAX_PATH, index));
        EXPECT_STREQ(text, L"C:\\windows\\system32\\shell32.dll");
        EXPECT_EQ(index, 3);
        PIDL list;
        list.Attach(read.GetIDList());
        wchar_t path[MAX_PATH];
        ASSERT_TRUE(GetPathOf(list, path));
        EXPECT_TRUE(IsSamePath(path, target.c_str()));
    };
    {
        SCOPED_TRACE("through the file");
        iShellLink read;
        ASSERT_TRUE(read.Load(file.c_str()));
        expectFields(read);
    }
    {
        SCOPED_TRACE("through a stream");
        IStream* stream = nullptr;
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
        iPersistStream out(link);
        ASSERT_TRUE(out.IsReady());
        ASSERT_TRUE(out.Save(stream, TRUE));
        LARGE_INTEGER start = {};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        iShellLink read;
        iPersistStream in(read);
        ASSERT_TRUE(in.Load(stream));
        expectFields(read);
        stream->Release();
    }
    {
        SCOPED_TRACE("through its list");
        PIDL list;
        list.Attach(GetPidlOf(target.c_str()));
        iShellLink byList;
        ASSERT_TRUE(byList.SetIDList(list));
        wchar_t path[MAX_PATH];
        ASSERT_TRUE(byList.GetPath(path, MAX_PATH));
        EXPECT_TRUE(IsSamePath(path, target.c_str()));
    }
}

TEST_F(Shortcuts, BadInputIsRefused)
{
    std::wstring longName = dir + L"\\" + std::wstring(300, L'l') + L".lnk";
    const std::pair<const wchar_t*, std::wstring> badLinks[] = {
        {nullptr, Path(L"a.lnk")}, {L"", Path(L"a.lnk")}, {target.c_str(), L""}, {target.c_str(), longName},
        {target.c_str(), Path(L"no such folder\\a.lnk")}};
    for (const auto& bad : badLinks)
        EXPECT_FALSE(CreateLink(bad.first, bad.second.c_str())) << test::ToUtf8(bad.second);
    EXPECT_FALSE(CreateLink(target.c_str(), nullptr));
    EXPECT_FALSE(FileExists(Path(L"a.lnk").c_str()));

    wchar_t result[MAX_PATH] = L"x";
    EXPECT_FALSE(GetShortcutTargetPath(result, nullptr));
    EXPECT_STREQ(result, L"");
    EXPECT_FALSE(GetShortcutTargetPath(result, L"") || GetShortcutTargetPath(nullptr, target.c_str()) ||
                 GetShortcutTargetPath(result, longName.c_str()) || ResolveShortcut(nullptr, nullptr, 1));

    // A damaged link file: the name says link, the contents are not one.
    std::wstring damaged = Path(L"Damaged.lnk");
    ASSERT_TRUE(test::WriteUtf8File(damaged, std::string(200, '\x5A')));
    EXPECT_FALSE(GetShortcutTargetPath(result, damaged.c_str()));
    wchar_t path[MAX_PATH];
    wcscpy(path, damaged.c_str());
    EXPECT_FALSE(ResolveShortcut(nullptr, path, 1));
    EXPECT_EQ(std::wstring(path), damaged);
    iShellLink link;
    EXPECT_FALSE(link.Load(damaged.c_str()) || link.Load(nullptr) || link.Save(L""));

    // Wrappers without an object answer false.
    iPersistFile noFile;
    iPersistStream noStream;
    EXPECT_FALSE(noFile.Load(target.c_str(), STGM_READ) || noFile.Open(nullptr) || noStream.Load(nullptr));

    // Getters cut to the buffer and never overrun it.
    ASSERT_TRUE(link.SetDescription(L"0123456789"));
    test::GuardedBuffer<wchar_t> small(5);
    link.GetDescription(small.Data(), 5);
    EXPECT_TRUE(small.GuardIntact() && small.Terminated());
    wchar_t untouched[2] = L"q";
    EXPECT_FALSE(link.GetDescription(untouched, 0) || link.GetDescription(nullptr, 10));
    EXPECT_STREQ(untouched, L"q");
}
