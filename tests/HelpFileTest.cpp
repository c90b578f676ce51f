// The help file Glimpsebox.chm beside the library: a real compiled help file whose pages, contents and links hold.
#include <gtest/gtest.h>

#include <objbase.h>
#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

// The system's reader of compiled help files (itss.dll), declared here because MinGW has no header for it.
// Only the methods up to StgOpenStorage are called; the table must match up to there.
const CLSID kClsidITStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID kIidITStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

struct ITStorageVtbl {
    HRESULT(STDMETHODCALLTYPE* QueryInterface)(void*, REFIID, void**);
    ULONG(STDMETHODCALLTYPE* AddRef)(void*);
    ULONG(STDMETHODCALLTYPE* Release)(void*);
    HRESULT(STDMETHODCALLTYPE* StgCreateDocfile)(void*, const WCHAR*, DWORD, DWORD, IStorage**);
    HRESULT(STDMETHODCALLTYPE* StgCreateDocfileOnILockBytes)(void*, ILockBytes*, DWORD, DWORD, IStorage**);
    HRESULT(STDMETHODCALLTYPE* StgIsStorageFile)(void*, const WCHAR*);
    HRESULT(STDMETHODCALLTYPE* StgIsStorageILockBytes)(void*, ILockBytes*);
    HRESULT(STDMETHODCALLTYPE* StgOpenStorage)(void*, const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**);
};
struct ITStorage {
    const ITStorageVtbl* vtbl;
};

const char* const kPages[] = {
    "users-guide_introduction.htm", "users-guide_using.htm",  "users-guide_configuring.htm",
    "users-guide_troubleshooting.htm", "users-guide_legal.htm",
};

// The library opens the help file from its own folder, the folder of the test programs.
std::wstring HelpFilePath()
{
    return test::ExeDir() + L"\\Glimpsebox.chm";
}

// A directory entry of the file: the name preceded by its length (names are short, so one byte).
bool HasDirectoryEntry(const std::string& file, const std::string& name)
{
    std::string entry = std::string(1, static_cast<char>(name.size())) + name;
    return file.find(entry) != std::string::npos;
}

class HelpFile : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_EQ(CoCreateInstance(kClsidITStorage, nullptr, CLSCTX_INPROC_SERVER, kIidITStorage,
                                   reinterpret_cast<void**>(&its)),
                  S_OK);
        std::wstring path = HelpFilePath();
        ASSERT_EQ(its->vtbl->StgOpenStorage(its, path.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                                            &storage),
                  S_OK);
    }
    void TearDown() override
    {
        if (storage)
            storage->Release();
        if (its)
            its->vtbl->Release(its);
        CoUninitialize();
    }

    // The whole content of a file inside the help file; false when it is not there.
    bool Read(const std::string& name, std::string& content)
    {
        content.clear();
        IStream* stream = nullptr;
        std::wstring wide(name.begin(), name.end());
        if (storage->OpenStream(wide.c_str(), nullptr, STGM_READ, 0, &stream) != S_OK || !stream)
            return false;
        char buffer[4096];
        ULONG got = 0;
        while (stream->Read(buffer, sizeof buffer, &got) == S_OK && got > 0)
            content.append(buffer, got);
        stream->Release();
        return true;
    }

    ITStorage* its = nullptr;
    IStorage* storage = nullptr;
};

// Every value of attr="..." in an HTML text.
std::vector<std::string> AttributeValues(const std::string& html, const std::string& attr)
{
    std::vector<std::string> values;
    std::string key = attr + "=\"";
    for (size_t at = html.find(key); at != std::string::npos; at = html.find(key, at + 1)) {
        size_t start = at + key.size(), end = html.find('"', start);
        if (end == std::string::npos)
            break;
        values.push_back(html.substr(start, end - start));
    }
    return values;
}

std::string TextBetween(const std::string& html, const std::string& open, const std::string& close)
{
    size_t start = html.find(open);
    if (start == std::string::npos)
        return {};
    start += open.size();
    size_t end = html.find(close, start);
    return end == std::string::npos ? std::string() : html.substr(start, end - start);
}

} // namespace

TEST(HelpFileBytes, IsACompiledHelpFileBesideTheLibrary)
{
    std::wstring path = HelpFilePath();
    EXPECT_NE(GetFileAttributesW((test::ExeDir() + L"\\" + std::wstring(test::LibraryFile)).c_str()), INVALID_FILE_ATTRIBUTES);
    std::string file = test::ReadFileBytes(path);
    ASSERT_GT(file.size(), 0x60u) << test::ToUtf8(path);
    EXPECT_EQ(file.substr(0, 4), "ITSF");
    DWORD version = 0, headerLength = 0;
    memcpy(&version, file.data() + 4, 4);
    memcpy(&headerLength, file.data() + 8, 4);
    EXPECT_EQ(version, 3u);
    EXPECT_EQ(headerLength, 0x60u);
    // The dialogs open these two pages by name.
    EXPECT_TRUE(HasDirectoryEntry(file, "/users-guide_configuring.htm"));
    EXPECT_TRUE(HasDirectoryEntry(file, "/users-guide_legal.htm"));
    for (const char* page : kPages)
        EXPECT_TRUE(HasDirectoryEntry(file, std::string("/") + page)) << page;
}

TEST_F(HelpFile, EveryPageOpensWithATitle)
{
    for (const char* page : kPages) {
        SCOPED_TRACE(page);
        std::string html;
        ASSERT_TRUE(Read(page, html));
        EXPECT_FALSE(TextBetween(html, "<title>", "</title>").empty());
        EXPECT_NE(html.find("</html>"), std::string::npos) << "page cut short";
    }
}

TEST_F(HelpFile, ContentsAndIndexLeadToPagesAndPlacesThatExist)
{
    std::string project;
    std::map<std::string, std::string> pages;
    auto resolves = [&](const std::string& target, const std::string& from) {
        SCOPED_TRACE(from + " -> " + target);
        std::string file = target.substr(0, target.find('#'));
        if (pages.find(file) == pages.end()) {
            std::string html;
            if (!Read(file, html)) {
                ADD_FAILURE() << "no page " << file;
                return;
            }
            pages[file] = html;
        }
        if (target.find('#') != std::string::npos) {
            std::string anchor = target.substr(target.find('#') + 1);
            const std::string& html = pages[file];
            EXPECT_TRUE(html.find("id=\"" + anchor + "\"") != std::string::npos ||
                        html.find("name=\"" + anchor + "\"") != std::string::npos)
                << "no place " << anchor;
        }
    };

    std::string contents, index;
    ASSERT_TRUE(Read("Glimpsebox.hhc", contents));
    ASSERT_TRUE(Read("Glimpsebox.hhk", index));
    std::set<std::string> listed;
    for (const std::string& source : {contents, index}) {
        for (const std::string& local : AttributeValues(source, "value")) {
            if (local.find(".htm") == std::string::npos)
                continue;
            listed.insert(local.substr(0, local.find('#')));
            resolves(local, "contents or index");
        }
    }
    for (const char* page : kPages)
        EXPECT_TRUE(listed.count(page)) << page << " is not in the contents";

    // Links between pages, followed until no new page turns up.
    std::set<std::string> done;
    for (bool more = true; more;) {
        more = false;
        std::map<std::string, std::string> snapshot = pages;
        for (const auto& page : snapshot) {
            if (!done.insert(page.first).second)
                continue;
            more = true;
            for (const std::string& href : AttributeValues(page.second, "href")) {
                if (href.find(':') != std::string::npos)
                    continue;  // another program's address, not a page of the file
                resolves(href[0] == '#' ? page.first + href : href, page.first);
            }
        }
    }
    EXPECT_TRUE(pages.count("help.css"));
}

TEST_F(HelpFile, ConfiguringPageExplainsEveryOptionOfTheDialog)
{
    std::string html;
    ASSERT_TRUE(Read("users-guide_configuring.htm", html));
    // The texts of the Properties dialog and of the start dialog, as the user sees them.
    for (const char* text : {"Thick frame with title bar", "Thin frame with title bar", "Thick frame without title bar",
                             "Thin frame without title bar", "None", "No gradient", "Vertical gradient to:",
                             "Horizontal gradient to:", "Color", "Image", "Top", "Left", "Right", "Bottom",
                             "Load the icon at Windows startup", "For the current user", "For all users",
                             "Use low-color icon image", "Show the Glimpsebox icon", "Hide it",
                             "Glimpsebox Properties...", "Apply"}) {
        EXPECT_NE(html.find(text), std::string::npos) << text;
    }
}

TEST_F(HelpFile, UsingPageNamesEveryMenuCommand)
{
    std::string html;
    ASSERT_TRUE(Read("users-guide_using.htm", html));
    for (const char* text : {">Open<", ">Configure<", ">About<", ">Exit<", ">Show window size<", ">Refresh<",
                             ">Configure...<", ">About...<"}) {
        EXPECT_NE(html.find(text), std::string::npos) << text;
    }
}

TEST_F(HelpFile, LegalPageCarriesTheNotice)
{
    std::string html;
    ASSERT_TRUE(Read("users-guide_legal.htm", html));
    EXPECT_NE(html.find("Copyright &copy; 2006 Corvantrix"), std::string::npos);
    EXPECT_NE(html.find("&quot;as is&quot;"), std::string::npos);
}
