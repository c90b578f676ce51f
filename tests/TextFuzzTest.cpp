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
    Fuzz() : random(Seed) {}

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
        int count = Number(0, maxPieces);
        for (int i = 0; i < count; ++i)
            text += pieces[Number(0, static_cast<int>(sizeof(pieces) / sizeof(pieces[0])) - 1)];
        return text;
    }

    std::string Bytes(int maxLength)
    {
        std::string bytes;
        int length = Number(0, maxLength);
        for (int i = 0; i < length; ++i)
            bytes.push_back(static_cast<char>(Number(1, 255)));
        return bytes;
    }

    int Size()
    {
        switch (Number(0, 4)) {
        case 0:
            return Number(0, 3);
        case 1:
            return MAX_PATH;
        default:
            return Number(0, 300);
        }
    }

private:
    std::mt19937 random;
};

// Checks one output buffer: nothing behind it touched and, when it has room, terminated.
template <typename Char>
void ExpectSound(const GuardedBuffer<Char>& buffer, const char* what)
{
    EXPECT_TRUE(buffer.GuardIntact()) << what << " wrote past its buffer";
    if (buffer.Size() > 0) {
        EXPECT_TRUE(buffer.Terminated()) << what << " left no terminator";
    }
}

#define EXPECT_SOUND(buffer, what) ExpectSound(buffer, what)

// A buffer of size cells already holding text (cut to fit), for the functions that work in place.
GuardedBuffer<wchar_t> Holding(const std::wstring& text, int size)
{
    GuardedBuffer<wchar_t> buffer(size, text);
    if (size > 0 && text.empty())
        buffer.Data()[0] = 0;
    return buffer;
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
        std::wstring text = fuzz.Text(40);
        std::wstring other = fuzz.Text(8);
        std::wstring third = fuzz.Text(4);
        int size = fuzz.Size();
        {
            GuardedBuffer<wchar_t> out(size);
            GetCmdLnPath(text.c_str(), out.Data(), size);
            EXPECT_SOUND(out, "GetCmdLnPath");
        }
        {
            GuardedBuffer<wchar_t> out(size);
            EXPECT_TRUE(PointsInto(GetCmdLnArg(text.c_str(), out.Data(), size), text));
            EXPECT_SOUND(out, "GetCmdLnArg");
        }
        {
            GuardedBuffer<wchar_t> out(size);
            GetCmdLineSwitchData(text.c_str(), out.Data(), size);
            EXPECT_SOUND(out, "GetCmdLineSwitchData");
        }
        {
            int argsSize = fuzz.Size();
            GuardedBuffer<wchar_t> path(size), args(argsSize);
            ParseCmdLn(text.c_str(), path.Data(), args.Data(), size, argsSize);
            EXPECT_SOUND(path, "ParseCmdLn path");
            EXPECT_SOUND(args, "ParseCmdLn args");
        }
        {
            GuardedBuffer<wchar_t> out(size);
            RemoveWhiteSpacesAndQuotes(out.Data(), text.c_str(), size);
            EXPECT_SOUND(out, "RemoveWhiteSpacesAndQuotes");
        }
        {
            GuardedBuffer<wchar_t> out(size);
            StrReplace(out.Data(), size, text.c_str(), third.c_str(), other.c_str());
            EXPECT_SOUND(out, "StrReplace");
        }
        {
            GuardedBuffer<wchar_t> out(size);
            MakePath(out.Data(), text.c_str(), other.c_str(), third.c_str(), size);
            EXPECT_SOUND(out, "MakePath");
            GuardedBuffer<wchar_t> os(size);
            MakePathForOS(os.Data(), text.c_str(), other.c_str(), third.c_str(), size);
            EXPECT_SOUND(os, "MakePathForOS");
        }
        {
            GuardedBuffer<wchar_t> out(size);
            MakeCanonicalPath(text.c_str(), out.Data(), size);
            EXPECT_SOUND(out, "MakeCanonicalPath");
            GuardedBuffer<wchar_t> back(size);
            GetPathFromCanonical(text.c_str(), back.Data(), size);
            EXPECT_SOUND(back, "GetPathFromCanonical");
        }
        {
            GuardedBuffer<wchar_t> root(size), anyRoot(size), lfn(size);
            ExtractRootPath(root.Data(), text.c_str(), size);
            GetRootPath(anyRoot.Data(), text.c_str(), size);
            ConvertPathToLFN(text.c_str(), lfn.Data(), size);
            EXPECT_SOUND(root, "ExtractRootPath");
            EXPECT_SOUND(anyRoot, "GetRootPath");
            EXPECT_SOUND(lfn, "ConvertPathToLFN");
        }
        {
            GuardedBuffer<wchar_t> menu(size), filter(size);
            MakeNameFromMenu(menu.Data(), text.c_str(), size);
            PrepareBrowseFilter(text.c_str(), filter.Data(), size);
            EXPECT_SOUND(menu, "MakeNameFromMenu");
            EXPECT_TRUE(filter.GuardIntact()) << "PrepareBrowseFilter wrote past its buffer";
        }
        {
            GuardedBuffer<char> narrow(size), utf8(size), oem(size);
            wc2mb(text.c_str(), narrow.Data(), size);
            wc2utf8(text.c_str(), utf8.Data(), size);
            wc2mbOEM(text.c_str(), oem.Data(), size);
            EXPECT_SOUND(narrow, "wc2mb");
            EXPECT_SOUND(utf8, "wc2utf8");
            EXPECT_SOUND(oem, "wc2mbOEM");
            std::string bytes = fuzz.Bytes(300);
            GuardedBuffer<wchar_t> wide(size), fromUtf8(size), fromAnsi(size);
            mb2wc(bytes.c_str(), wide.Data(), size);
            utf82wc(bytes.c_str(), fromUtf8.Data(), size);
            mb2wcANSI(bytes.c_str(), fromAnsi.Data(), size);
            EXPECT_SOUND(wide, "mb2wc");
            EXPECT_SOUND(fromUtf8, "utf82wc");
            EXPECT_SOUND(fromAnsi, "mb2wcANSI");
        }
        {
            GuardedBuffer<wchar_t> quoted = Holding(text, size);
            AddQuotesIfSpace(quoted.Data(), size);
            EXPECT_SOUND(quoted, "AddQuotesIfSpace");
            GuardedBuffer<wchar_t> slash = Holding(text, size);
            AppendBackSlash(slash.Data(), size);
            EXPECT_SOUND(slash, "AppendBackSlash");
            GuardedBuffer<wchar_t> full = Holding(text, size);
            MakeFullPathName(full.Data(), other.c_str(), size);
            EXPECT_SOUND(full, "MakeFullPathName");
            GuardedBuffer<wchar_t> shortPath = Holding(text, size);
            ConvertToShortPath(shortPath.Data(), size);
            EXPECT_SOUND(shortPath, "ConvertToShortPath");
        }
    }
}

TEST(TextFuzz, InPlaceEditsStayTerminated)
{
    Fuzz fuzz;
    for (int round = 0; round < Rounds; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        std::wstring text = fuzz.Text(60);
        using Edit = void (*)(wchar_t*);
        static const struct {
            const char* name;
            Edit edit;
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
        for (const auto& e : edits) {
            GuardedBuffer<wchar_t> buffer = Holding(text, MAX_PATH);
            e.edit(buffer.Data());
            EXPECT_SOUND(buffer, e.name);
        }
    }
}

TEST(TextFuzz, QueriesAnswerWithoutTouchingAnything)
{
    Fuzz fuzz;
    for (int round = 0; round < Rounds; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        std::wstring text = fuzz.Text(40);
        std::wstring other = fuzz.Text(6);
        const wchar_t* s = text.c_str();
        IsCmdLineOption(s, other.c_str());
        IsCmdLineSwitchPrefix(s, other.c_str());
        IsFullPathName(s);
        IsSubFolderOf(s, other.c_str());
        IsSubFolderOf(other.c_str(), s);
        IsSamePath(s, other.c_str());
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
        EXPECT_TRUE(PointsInto(FindNameExt(s), text));
        EXPECT_TRUE(PointsInto(FindDotExt(s), text));
        EXPECT_TRUE(PointsInto(FindLastSeparator(s), text));
        StrStartsWith(s, other.c_str(), round & 1);
        const wchar_t* token = GetToken(s, other.c_str(), fuzz.Number(-1, 5));
        EXPECT_TRUE(!token || wcslen(token) < 256);
        GetTokenCount(s, other.c_str());
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
