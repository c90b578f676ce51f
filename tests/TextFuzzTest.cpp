// The functions that write text into a caller's buffer of a given size: exact cuts of known text
// at the edges of a buffer, then arbitrary text and sizes (no crash, no write past the buffer,
// every output terminated). A fixed seed keeps a failure repeatable.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <random>
#include <string>

#include "support/GuardedBuffer.h"
#include "sys/CmdLine.h"
#include "sys/CommonDlg.h"
#include "sys/PathUtil.h"
#include "sys/ResStr.h"
#include "sys/StrUtil.h"
#include "sys/WndUtil.h"

using test::GuardedBuffer;
using W = wchar_t*;
using Texts = std::array<const wchar_t*, 3>;

namespace {

// b (n cells) holds text cut to fit: the start of the functions that work in place.
void Holding(W b, int n, const wchar_t* text)
{
    if (n > 0)
        wcsncpy(b, text, n - 1)[n - 1] = 0;
}

const struct Sized {
    const char* name;
    void (*write)(const Texts& in, W out, int size);
    Texts in{};                  // known text for the exact cuts
    const wchar_t* out = nullptr;  // all of what it gives; null: arbitrary text only
    bool whole = false;          // a cut would name another place: all or nothing
} sized[] = {
    {"GetCmdLnPath", [](auto& t, W b, int n) { GetCmdLnPath(t[0], b, n); }, {L" \"C:\\a b\\G\" /x"}, L"C:\\a b\\G"},
    {"GetCmdLnArg", [](auto& t, W b, int n) { GetCmdLnArg(t[0], b, n); }, {L"\"C:\\a b\\G.exe\" /x:1 /y"}, L"/x:1 /y"},
    {"GetCmdLineSwitchData", [](auto& t, W b, int n) { GetCmdLineSwitchData(t[0], b, n); }, {L"/x:data"}, L"data"},
    {"ParseCmdLn", [](auto& t, W b, int n) { ParseCmdLn(t[0], b, nullptr, n, 0); }, {L"\"C:\\a b\" x"}, L"C:\\a b"},
    {"ParseCmdLn args", [](auto& t, W b, int n) { ParseCmdLn(t[0], nullptr, b, 0, n); }, {L"app -a -b"}, L"-a -b"},
    {"RemoveWhiteSpacesAndQuotes", [](auto& t, W b, int n) { RemoveWhiteSpacesAndQuotes(b, t[0], n); },
     {L"  \" quoted path \" "}, L"quoted path"},
    {"StrReplace", [](auto& t, W b, int n) { StrReplace(b, n, t[0], t[1], t[2]); }, {L"say %N, %N", L"%N", L"hello"},
     L"say hello, hello"},
    {"StrAppendTextFmt", [](auto&, W b, int n) { Holding(b, n, L""); StrAppendTextFmt(b, n, -20003); }, {},
     L"Browse for file"},
    {"MakePath", [](auto& t, W b, int n) { MakePath(b, t[0], t[1], t[2], n); }, {L"C:\\dir", L"file", L"txt"},
     L"C:\\dir\\file.txt"},
    {"MakePathForOS", [](auto& t, W b, int n) { MakePathForOS(b, t[0], t[1], t[2], n); }, {L"C:\\d", L":NT:nt.dll"},
     L"C:\\d\\nt.dll"},
    {"MakeCanonicalPath", [](auto& t, W b, int n) { MakeCanonicalPath(t[0], b, n); }, {L"C:\\windows\\win.ini"},
     L"%W\\win.ini"},
    {"GetPathFromCanonical", [](auto& t, W b, int n) { GetPathFromCanonical(t[0], b, n); }, {L"%W\\win.ini"},
     L"C:\\windows\\win.ini"},
    {"ExtractRootPath", [](auto& t, W b, int n) { ExtractRootPath(b, t[0], n); }, {L"\\\\srv\\share\\x"},
     L"\\\\srv\\share\\", true},
    {"GetRootPath", [](auto& t, W b, int n) { GetRootPath(b, t[0], n); }, {L"d:x"}, L"D:\\", true},
    {"ConvertPathToLFN", [](auto& t, W b, int n) { ConvertPathToLFN(t[0], b, n); }},
    {"MakeNameFromMenu", [](auto& t, W b, int n) { MakeNameFromMenu(b, t[0], n); }},
    // In place: the buffer holds the text first.
    {"AppendBackSlash", [](auto& t, W b, int n) { Holding(b, n, t[0]); AppendBackSlash(b, n); }, {L"abc"}, L"abc\\"},
    {"MakeFullPathName", [](auto& t, W b, int n) { Holding(b, n, t[0]); MakeFullPathName(b, t[1], n); },
     {L"f", L"C:\\b"}, L"C:\\b\\f"},
    {"AddQuotesIfSpace", [](auto& t, W b, int n) { Holding(b, n, t[0]); AddQuotesIfSpace(b, n); }},
    {"ConvertToShortPath", [](auto& t, W b, int n) { Holding(b, n, t[0]); ConvertToShortPath(b, n); }},
};

} // namespace

TEST(TextFuzz, ExactCutsAtSizesZeroOneShortAndExact)
{
    for (const Sized& f : sized) {
        if (f.out)
            test::ExpectBounded<wchar_t>(f.out, [&f](W b, int n) { f.write(f.in, b, n); }, !f.whole, f.name);
    }
    test::ExpectBounded<char>("code page", [](char* b, int n) { wc2mb(L"code page", b, n); });
    test::ExpectBounded<char>("\xC3\xA9t\xC3\xA9", [](char* b, int n) { wc2utf8(L"\u00E9t\u00E9", b, n); }, false);
    test::ExpectBounded<wchar_t>(L"\u00E9t\u4E2D", [](W b, int n) { utf82wc("\xC3\xA9t\xE4\xB8\xAD", b, n); });
}

namespace {

class Fuzz {
public:
    int Number(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    // Text made of the pieces paths and command lines are parsed by, and some that break
    // naive code: lone surrogates, non-ASCII letters, control characters.
    std::wstring Text(int maxPieces)
    {
        static const wchar_t* const pieces[] = {
            L"\\", L"/", L"\"", L" ", L"\t", L":", L".", L"C:", L"\\\\", L"%S", L"%W", L"%_", L":NT:", L":9x:",
            L"..", L"*", L"?", L"&", L"&&", L"\r\n", L"abc", L"Z", L"\u00E9", L"\u4E2D", L"\xD83D", L"\xDE00",
            L"|", L"-", L"/x:", L"\x01", L"\x7F", L"\uFFFF", L"Program Files", L"~1", L"...", L"\t/TB+"};
        std::wstring text;
        for (int i = Number(0, maxPieces); i > 0; --i)
            text += pieces[Number(0, static_cast<int>(sizeof(pieces) / sizeof(pieces[0])) - 1)];
        return text;
    }
    // Mostly ordinary sizes, often the smallest ones, sometimes a path buffer's.
    int Size() { return Number(0, 4) == 0 ? Number(0, 3) : Number(0, 4) == 0 ? MAX_PATH : Number(0, 300); }

private:
    std::mt19937 random{20240611};
};

// Nothing behind the buffer touched and, when it has room (and terminates), a terminator inside it.
template <typename Char, typename Write>
void ExpectSound(const char* what, int size, Write write, bool terminates = true)
{
    GuardedBuffer<Char> buffer(size);
    write(buffer.Data());
    EXPECT_TRUE(buffer.GuardIntact()) << what << " wrote past its buffer";
    EXPECT_TRUE(size == 0 || !terminates || buffer.Terminated()) << what << " left no terminator";
}

} // namespace

TEST(TextFuzz, OutputsStayInsideTheirBuffers)
{
    Fuzz fuzz;
    for (int round = 0; round < 1500; ++round) {
        // Every eighth text may be longer than a path buffer.
        const std::wstring text = fuzz.Text(round % 8 ? 40 : 200), other = fuzz.Text(8), third = fuzz.Text(4);
        std::string bytes(static_cast<size_t>(fuzz.Number(0, 300)), 0);
        for (char& c : bytes)
            c = static_cast<char>(fuzz.Number(1, 255));
        const Texts in = {text.c_str(), other.c_str(), third.c_str()};
        const int size = fuzz.Size();
        for (const Sized& f : sized)
            ExpectSound<wchar_t>(f.name, size, [&](W b) { f.write(in, b, size); });
        // A filter is a list of strings ending in two zeros: below two cells there is no room for it.
        ExpectSound<wchar_t>("PrepareBrowseFilter", size, [&](W b) { PrepareBrowseFilter(in[0], b, size); }, size > 1);
        ExpectSound<char>("wc2mb", size, [&](char* b) { wc2mb(in[0], b, size); });
        ExpectSound<char>("wc2utf8", size, [&](char* b) { wc2utf8(in[0], b, size); });
        ExpectSound<wchar_t>("utf82wc", size, [&](W b) { utf82wc(bytes.c_str(), b, size); });
        // Long names for short ones lengthen a path in its MAX_PATH buffer.
        ExpectSound<wchar_t>("DosPathToShellPath", MAX_PATH, [&](W b) {
            Holding(b, MAX_PATH, in[0]);
            DosPathToShellPath(b);
        });
        const wchar_t* arg = GetCmdLnArg(in[0]);
        EXPECT_TRUE(!arg || (arg >= in[0] && arg <= in[0] + text.size())) << "an argument outside the line";

        // Path buffers without a size.
        GuardedBuffer<wchar_t> folder(MAX_PATH), name(MAX_PATH), ext(MAX_PATH), local(MAX_PATH), quoted(MAX_PATH);
        ParsePath(folder.Data(), name.Data(), ext.Data(), in[0]);
        GetLocalFileName(local.Data(), in[0]);
        GetLocalFileNameQuoted(quoted.Data(), in[0]);
        for (const auto* buffer : {&folder, &name, &ext, &local, &quoted})
            EXPECT_TRUE(buffer->GuardIntact() && buffer->Terminated());
        const std::wstring shown = quoted.Text();
        EXPECT_TRUE(shown.empty() || shown.front() != L'"' || shown.back() == L'"') << "half quoted";
        if (HasFailure())
            FAIL() << "in round " << round;
    }
}
