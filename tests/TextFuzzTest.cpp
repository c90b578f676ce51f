// Arbitrary text and buffer sizes through the string, path and command-line functions: no crash,
// no write past a buffer, every output terminated. A fixed seed keeps a failure repeatable.
#include <gtest/gtest.h>

#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "support/GuardedBuffer.h"
#include "sys/CmdLine.h"
#include "sys/CommonDlg.h"
#include "sys/PathUtil.h"
#include "sys/StrUtil.h"
#include "sys/WndUtil.h"

using test::GuardedBuffer;

namespace {

const unsigned Seed = 20240611;
const int Rounds = 1500;

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
    std::string Bytes(int maxLength)
    {
        std::string bytes;
        for (int i = Number(0, maxLength); i > 0; --i)
            bytes.push_back(static_cast<char>(Number(1, 255)));
        return bytes;
    }
    // Mostly ordinary sizes, often the smallest ones, sometimes a path buffer's.
    int Size()
    {
        int kind = Number(0, 4);
        return kind == 0 ? Number(0, 3) : kind == 1 ? MAX_PATH : Number(0, 300);
    }

private:
    std::mt19937 random{Seed};
};

// Runs write on a guarded buffer of size cells (for the functions that work in place, first
// holding *text cut to fit); then nothing behind it may be touched and, when it has room, it
// must be terminated.
template <typename Char, typename Write>
void ExpectSound(const char* what, int size, Write write, const std::basic_string<Char>* text = nullptr,
                 bool terminates = true)
{
    GuardedBuffer<Char> buffer(size, text ? *text : std::basic_string<Char>());
    if (size > 0 && text && text->empty())
        buffer.Data()[0] = 0;
    write(buffer.Data());
    EXPECT_TRUE(buffer.GuardIntact()) << what << " wrote past its buffer";
    EXPECT_TRUE(size == 0 || !terminates || buffer.Terminated()) << what << " left no terminator";
}

bool PointsInto(const wchar_t* p, const std::wstring& text)
{
    return !p || (p >= text.c_str() && p <= text.c_str() + text.size());
}

} // namespace

TEST(TextFuzz, SizedOutputsStayInsideTheirBuffers)
{
    Fuzz fuzz;
    for (int round = 0; round < Rounds; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        const std::wstring text = fuzz.Text(40), other = fuzz.Text(8), third = fuzz.Text(4);
        const wchar_t *s = text.c_str(), *o = other.c_str(), *t = third.c_str();
        const std::string bytes = fuzz.Bytes(300);
        const char* b = bytes.c_str();
        const int size = fuzz.Size(), argsSize = fuzz.Size();
        using W = wchar_t*;
        using N = char*;
        ExpectSound<wchar_t>("GetCmdLnPath", size, [&](W out) { GetCmdLnPath(s, out, size); });
        ExpectSound<wchar_t>("GetCmdLnArg", size, [&](W out) { EXPECT_TRUE(PointsInto(GetCmdLnArg(s, out, size), text)); });
        ExpectSound<wchar_t>("GetCmdLineSwitchData", size, [&](W out) { GetCmdLineSwitchData(s, out, size); });
        ExpectSound<wchar_t>("ParseCmdLn", size, [&](W path) {
            ExpectSound<wchar_t>("ParseCmdLn args", argsSize, [&](W args) { ParseCmdLn(s, path, args, size, argsSize); });
        });
        ExpectSound<wchar_t>("RemoveWhiteSpacesAndQuotes", size, [&](W out) { RemoveWhiteSpacesAndQuotes(out, s, size); });
        ExpectSound<wchar_t>("StrReplace", size, [&](W out) { StrReplace(out, size, s, t, o); });
        ExpectSound<wchar_t>("MakePath", size, [&](W out) { MakePath(out, s, o, t, size); });
        ExpectSound<wchar_t>("MakePathForOS", size, [&](W out) { MakePathForOS(out, s, o, t, size); });
        ExpectSound<wchar_t>("MakeCanonicalPath", size, [&](W out) { MakeCanonicalPath(s, out, size); });
        ExpectSound<wchar_t>("GetPathFromCanonical", size, [&](W out) { GetPathFromCanonical(s, out, size); });
        ExpectSound<wchar_t>("ExtractRootPath", size, [&](W out) { ExtractRootPath(out, s, size); });
        ExpectSound<wchar_t>("GetRootPath", size, [&](W out) { GetRootPath(out, s, size); });
        ExpectSound<wchar_t>("ConvertPathToLFN", size, [&](W out) { ConvertPathToLFN(s, out, size); });
        ExpectSound<wchar_t>("MakeNameFromMenu", size, [&](W out) { MakeNameFromMenu(out, s, size); });
        // A filter is a list of strings: its end is two zeros, not one.
        ExpectSound<wchar_t>("PrepareBrowseFilter", size, [&](W out) { PrepareBrowseFilter(s, out, size); }, nullptr, false);
        ExpectSound<char>("wc2mb", size, [&](N out) { wc2mb(s, out, size); });
        ExpectSound<char>("wc2utf8", size, [&](N out) { wc2utf8(s, out, size); });
        ExpectSound<char>("wc2mbOEM", size, [&](N out) { wc2mbOEM(s, out, size); });
        ExpectSound<wchar_t>("mb2wc", size, [&](W out) { mb2wc(b, out, size); });
        ExpectSound<wchar_t>("utf82wc", size, [&](W out) { utf82wc(b, out, size); });
        ExpectSound<wchar_t>("mb2wcANSI", size, [&](W out) { mb2wcANSI(b, out, size); });
        // In place: the buffer holds the text first.
        ExpectSound<wchar_t>("AddQuotesIfSpace", size, [&](W p) { AddQuotesIfSpace(p, size); }, &text);
        ExpectSound<wchar_t>("AppendBackSlash", size, [&](W p) { AppendBackSlash(p, size); }, &text);
        ExpectSound<wchar_t>("MakeFullPathName", size, [&](W p) { MakeFullPathName(p, o, size); }, &text);
        ExpectSound<wchar_t>("ConvertToShortPath", size, [&](W p) { ConvertToShortPath(p, size); }, &text);
    }
}

TEST(TextFuzz, InPlaceEditsStayTerminated)
{
    static const struct {
        const char* name;
        void (*edit)(wchar_t*);
    } edits[] = {
        {"RemoveBackSlash", [](wchar_t* p) { RemoveBackSlash(p); }},
        {"StripBackSlash", [](wchar_t* p) { StripBackSlash(p); }},
        {"StripFileName", [](wchar_t* p) { StripFileName(p); }},
        {"StripFileExt", [](wchar_t* p) { StripFileExt(p); }},
        {"FindLastPathComponent", [](wchar_t* p) { FindLastPathComponent(p); }},
        {"ConvertSlashes", [](wchar_t* p) { ConvertSlashes(p); }},
        {"TrimStr", [](wchar_t* p) { TrimStr(p); }},
        {"StrCapitalizeAll", [](wchar_t* p) { StrCapitalizeAll(p); }},
        {"StrToUpper", [](wchar_t* p) { StrToUpper(p); }},
        {"StrToLower", [](wchar_t* p) { StrToLower(p); }},
        {"RemoveMenuChar", [](wchar_t* p) { RemoveMenuChar(p); }},
        {"MakeNamePretty", [](wchar_t* p) { MakeNamePretty(p); }},
        {"RemoveWhiteSpacesAndQuotes", [](wchar_t* p) { RemoveWhiteSpacesAndQuotes(p, nullptr); }},
        {"DosPathToShellPath", [](wchar_t* p) { DosPathToShellPath(p); }},
        {"ShortToLFN", [](wchar_t* p) { ShortToLFN(p); }},
        {"StrTokEx", [](wchar_t* p) {
             wchar_t* next = nullptr;
             for (wchar_t* token = StrTokEx(p, L" \\/:", next); token; token = StrTokEx(nullptr, L" \\/:", next)) {
             }
         }},
    };
    Fuzz fuzz;
    for (int round = 0; round < Rounds; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        std::wstring text = fuzz.Text(60);
        for (const auto& e : edits)
            ExpectSound<wchar_t>(e.name, MAX_PATH, e.edit, &text);
    }
}

TEST(TextFuzz, QueriesAnswerWithoutTouchingAnything)
{
    Fuzz fuzz;
    for (int round = 0; round < Rounds; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        std::wstring text = fuzz.Text(40), other = fuzz.Text(6);
        const wchar_t *s = text.c_str(), *o = other.c_str();
        IsCmdLineOption(s, o);
        IsCmdLineSwitchPrefix(s, o);
        IsFullPathName(s);
        IsSubFolderOf(s, o);
        IsSubFolderOf(o, s);
        IsSamePath(s, o);
        IsValidFileName(s);
        IsMask(s);
        IsNetworkFolder(s);
        IsRootFolder(s, round & 1);
        IsDosFolder(s);
        IsFtpFolder(s);
        IsUncPath(s);
        int drive = GetDriveFromPath(s);
        EXPECT_TRUE(drive >= -1 && drive <= 25);
        GetDriveTypeFromPath(s);
        EXPECT_TRUE(PointsInto(FindNameExt(s), text) && PointsInto(FindDotExt(s), text) &&
                    PointsInto(FindLastSeparator(s), text));
        StrStartsWith(s, o, round & 1);
        const wchar_t* token = GetToken(s, o, fuzz.Number(-1, 5));
        EXPECT_TRUE(!token || wcslen(token) < 256);
        GetTokenCount(s, o);
        StrCharCount(s, other.empty() ? L'x' : other[0]);
        int found = FindChar(s, L':');
        EXPECT_TRUE(found >= -1 && found < static_cast<int>(text.size()));
        IsNumStr(s);
        GetLineCount(s, static_cast<int>(text.size()));
        GetMenuItemChar(s);
        FileOrFolderExists(s);
        FileExists(s);
        FolderExists(s);
    }
}
