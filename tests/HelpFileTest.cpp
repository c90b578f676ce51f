// The help file Glimpsebox.chm beside the library: a compiled help file that the system's reader
// opens, whose contents, index and pages lead only to pages and places that exist.
#include <gtest/gtest.h>

#include <objbase.h>
#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/Row.h"
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
    void* creatingAndTesting[4];
    HRESULT(STDMETHODCALLTYPE* StgOpenStorage)(void*, const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**);
};
struct ITStorage {
    const ITStorageVtbl* vtbl;
};

// Every page; the dialogs open the configuring and legal pages by name.
const char* const kPages[] = {
    "users-guide_introduction.htm", "users-guide_using.htm",  "users-guide_configuring.htm",
    "users-guide_troubleshooting.htm", "users-guide_legal.htm",
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

} // namespace

TEST(HelpFile, ContentsIndexAndPagesLeadOnlyToPagesAndPlacesThatExist)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ITStorage* its = nullptr;
    IStorage* storage = nullptr;
    ASSERT_EQ(CoCreateInstance(kClsidITStorage, nullptr, CLSCTX_INPROC_SERVER, kIidITStorage,
                               reinterpret_cast<void**>(&its)),
              S_OK);
    // The library opens the help file from its own folder, the folder of the test programs.
    std::wstring path = test::ExeDir() + L"\\Glimpsebox.chm";
    ASSERT_EQ(its->vtbl->StgOpenStorage(its, path.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                                        &storage),
              S_OK);
    // The whole content of a file inside the help file; false when it is not there.
    auto Read = [&](const std::string& name, std::string& content) {
        content.clear();
        IStream* stream = nullptr;
        if (storage->OpenStream(std::wstring(name.begin(), name.end()).c_str(), nullptr, STGM_READ, 0, &stream) != S_OK)
            return false;
        char buffer[4096];
        ULONG got = 0;
        while (stream->Read(buffer, sizeof buffer, &got) == S_OK && got > 0)
            content.append(buffer, got);
        stream->Release();
        return true;
    };

    // Every link must lead to a page, and to a place on it when it names one; each page read is
    // followed in turn.
    std::map<std::string, std::string> pages;
    std::vector<std::string> unfollowed;
    auto resolves = [&](const std::string& target, const std::string& from) {
        test::Row trace(from + " -> " + target);
        std::string file = target.substr(0, target.find('#')), html;
        if (!pages.count(file)) {
            if (!Read(file, html)) {
                ADD_FAILURE() << "no page " << file;
                return;
            }
            pages[file] = html;
            unfollowed.push_back(file);
        }
        std::string anchor = target.find('#') == std::string::npos ? "" : target.substr(target.find('#') + 1);
        EXPECT_TRUE(anchor.empty() || pages[file].find("id=\"" + anchor + "\"") != std::string::npos ||
                    pages[file].find("name=\"" + anchor + "\"") != std::string::npos)
            << "no place " << anchor;
    };

    std::string contents, index;
    ASSERT_TRUE(Read("Glimpsebox.hhc", contents));
    ASSERT_TRUE(Read("Glimpsebox.hhk", index));
    std::set<std::string> listed;
    for (const std::string& source : {contents, index}) {
        for (const std::string& local : AttributeValues(source, "value")) {
            if (local.find(".htm") != std::string::npos) {
                listed.insert(local.substr(0, local.find('#')));
                resolves(local, "contents or index");
            }
        }
    }
    for (const char* page : kPages)
        EXPECT_TRUE(listed.count(page)) << page << " is not in the contents";
    while (!unfollowed.empty()) {
        std::string page = unfollowed.back();
        unfollowed.pop_back();
        for (const std::string& href : AttributeValues(pages[page], "href")) {
            if (href.find(':') == std::string::npos)  // not another program's address
                resolves(href[0] == '#' ? page + href : href, page);
        }
    }
    EXPECT_TRUE(pages.count("help.css"));
    storage->Release();
    its->vtbl->Release(its);
    CoUninitialize();
}
