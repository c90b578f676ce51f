// String helpers, command-line parsing, code-page conversions and the library's string table.
// How each function cuts a result at a buffer's edge is checked in TextFuzzTest.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "support/GuardedBuffer.h"
#include "support/TestSupport.h"
#include "sys/CmdLine.h"
#include "sys/ResStr.h"
#include "sys/StrUtil.h"

using test::GuardedBuffer;

namespace {

std::string Show(const wchar_t* text)
{
    return text ? test::ToUtf8(text) : "null";
}

} // namespace

TEST(CommandLine, ProgramPathAndArguments)
{
    const wchar_t* const any = L"";  // not checked
    struct { const wchar_t* line; const wchar_t* path; const wchar_t* arg; } const cases[] = {
        {L"\"C:\\Program Files\\G\\G.exe\" /TB+", L"C:\\Program Files\\G\\G.exe", L"/TB+"},
        {L"  \t  C:\\x\\app.exe -y", L"C:\\x\\app.exe", L"-y"},
        {L"\"  spaced.exe\"z", L"spaced.exe", any},  // blanks after the opening quote go
        {L"\"unclosed path", L"unclosed path", any},
        {L"   /TB+ /x", any, L"/TB+ /x"},  // a line that begins with "/" has no program path
        {L"\"C:\\a b\\G.exe\"\t-x", L"C:\\a b\\G.exe", L"-x"},
        {L"\"C:\\a b\\G.exe\"   ", L"C:\\a b\\G.exe", nullptr},
        {L"C:\\G.exe", L"C:\\G.exe", nullptr},
        // The skip after an unquoted path also passes the first argument's opening quote.
        {L"G.exe \"C:\\my file.txt\"", L"G.exe", L"C:\\my file.txt\""},
        {L"-x -y", any, L"-y"},  // "-" does not end the search for a path the way "/" does
    };
    wchar_t path[MAX_PATH], arg[MAX_PATH];
    for (const auto& c : cases) {
        EXPECT_TRUE(c.path == any || (GetCmdLnPath(c.line, path, MAX_PATH) && wcscmp(path, c.path) == 0))
            << Show(c.line) << " gives " << Show(path);
        const wchar_t* found = GetCmdLnArg(c.line);
        EXPECT_TRUE(c.arg == any || (found && c.arg ? wcscmp(found, c.arg) == 0 : found == c.arg))
            << Show(c.line) << " gives " << Show(found);
    }
    EXPECT_FALSE(GetCmdLnPath(L"\"", path, 8) || GetCmdLnPath(nullptr, path, 8) || GetCmdLnPath(L" \t ", path, 8));
    EXPECT_STREQ(path, L"");
    const wchar_t* line = L"app.exe  -check4updates:now";
    EXPECT_EQ(GetCmdLnArg(line, arg, MAX_PATH), line + 9);  // a pointer into the line itself
    EXPECT_STREQ(arg, L"-check4updates:now");
    ParseCmdLn(L"\"C:\\a b\\app.exe\"  \" /x y", path, arg);  // quotes and spaces after the path go
    EXPECT_TRUE(wcscmp(path, L"C:\\a b\\app.exe") == 0 && wcscmp(arg, L"/x y") == 0);
    ParseCmdLn(L"app.exe   -a -b", path, arg);
    EXPECT_TRUE(wcscmp(path, L"app.exe") == 0 && wcscmp(arg, L"-a -b") == 0);
}

TEST(CommandLine, OptionsSwitchesQuotesAndBlanks)
{
    struct { const wchar_t* arg; const wchar_t* option; bool is; } const options[] = {
        {L"-tb+", L"TB+", true}, {L"TB+", L"tb+", true}, {L"/TB+", L"/tb+", true},  // the whole argument may match too
        {L"/TB", L"TB+", false}, {L"/TB+x", L"TB+", false}, {L"--tb+", L"TB+", false}, {L"", L"", false},
    };
    for (const auto& c : options)
        EXPECT_EQ(!!IsCmdLineOption(c.arg, c.option), c.is) << Show(c.arg) << " " << Show(c.option);
    struct { const wchar_t* arg; const wchar_t* prefix; bool is; } const prefixes[] = {
        {L"/check4updates:x", L"CHECK4UPDATES", true}, {L"-check4updates:x", L"/CHECK4UPDATES", true},
        {L"check4updates", L"CHECK4UPDATES", false},  // no switch character
        {L"/check", L"CHECK4UPDATES", false}, {L"/HECK4UPDATES", L"CHECK4UPDATES", false},
    };
    for (const auto& c : prefixes)
        EXPECT_EQ(!!IsCmdLineSwitchPrefix(c.arg, c.prefix), c.is) << Show(c.arg) << " " << Show(c.prefix);
    wchar_t buf[MAX_PATH] = L"stale";
    EXPECT_TRUE(GetCmdLineSwitchData(L"/log:C:\\x.txt", buf, MAX_PATH) && wcscmp(buf, L"C:\\x.txt") == 0);
    EXPECT_FALSE(GetCmdLineSwitchData(L"/x", buf, MAX_PATH));
    EXPECT_STREQ(buf, L"");

    struct { const wchar_t* in; const wchar_t* out; } const blanks[] = {
        {L"  \" C:\\a b\\c \"  ", L"C:\\a b\\c"}, {L"\tplain\t", L"plain"}, {L"   \"   ", L""},
        {L"\"\"x\"\"", L"\"x\""},  // one quote at each end only
    };
    for (const auto& c : blanks) {  // in place here; into another buffer in TextFuzzTest
        wchar_t text[MAX_PATH];
        EXPECT_STREQ(RemoveWhiteSpacesAndQuotes(wcscpy(text, c.in), nullptr), c.out) << "from [" << Show(c.in) << "]";
    }
    // Quoting needs room for both quotes; a quoted or unterminated text is left alone.
    struct { const wchar_t* in; int size; bool done; const wchar_t* out; } const quotes[] = {
        {L"a b", 6, true, L"\"a b\""}, {L"a b", 5, false, L"a b"}, {L"\"a b\"", 8, true, L"\"a b\""},
        {L"ab", 3, true, L"ab"},
    };
    for (const auto& c : quotes) {
        GuardedBuffer<wchar_t> buffer(c.size, c.in);
        EXPECT_EQ(!!AddQuotesIfSpace(buffer.Data(), c.size), c.done) << Show(c.in) << " in " << c.size;
        EXPECT_TRUE(buffer.Text() == c.out && buffer.GuardIntact()) << Show(c.in) << " in " << c.size;
    }
    wchar_t unterminated[3] = {L' ', L' ', L' '};
    EXPECT_FALSE(AddQuotesIfSpace(unterminated, 3));
}

TEST(Strings, SearchingTrimmingAndReplacing)
{
    struct { const wchar_t* s; const wchar_t* prefix; BOOL ignoreCase; bool starts; } const starts[] = {
        {L"", L"", FALSE, false}, {L"x", L"", FALSE, true}, {L"", nullptr, FALSE, true}, {nullptr, L"a", FALSE, false},
        {L"PosLeft", L"pos", FALSE, false}, {L"\u00C9T\u00C9", L"\u00E9t", TRUE, true}, {L"Po", L"Pos", TRUE, false},
    };
    for (const auto& c : starts)
        EXPECT_EQ(!!StrStartsWith(c.s, c.prefix, c.ignoreCase), c.starts) << Show(c.s) << " " << Show(c.prefix);
    wchar_t s[64] = L" \t\r\n two words \n\t";
    EXPECT_STREQ(TrimStr(s), L"two words");
    EXPECT_STREQ(TrimStr(wcscpy(s, L" \r\n\t ")), L"");

    wchar_t out[256];
    EXPECT_EQ(StrReplace(out, 256, L"a %X% b %X%", L"%X%", L"yz"), 2);
    EXPECT_STREQ(out, L"a yz b yz");
    // The found text has only spaces before it on its line: new lines keep that indent.
    StrReplace(out, 256, L"begin\n    %BODY%\nend", L"%BODY%", L"one\ntwo");
    EXPECT_STREQ(out, L"begin\n    one\n    two\nend");
    StrReplace(out, 256, L"x = %BODY%", L"%BODY%", L"one\ntwo");
    EXPECT_STREQ(out, L"x = one\ntwo");
    EXPECT_EQ(StrReplace(out, 256, L"nothing", L"", L"x"), 0);
    EXPECT_STREQ(out, L"nothing");

    wchar_t text[] = L",,alpha, beta,,gamma,";
    wchar_t* next = nullptr;
    std::wstring tokens;
    for (wchar_t* token = StrTokEx(text, L", ", next); token; token = StrTokEx(nullptr, L", ", next))
        tokens += std::wstring(token) + L"|";
    EXPECT_TRUE(tokens == L"alpha|beta|gamma|" && !StrTokEx(nullptr, L", ", next));
    EXPECT_STREQ(GetToken(L"a;bb;;ccc", L";", 2), L"ccc");
    EXPECT_TRUE(!GetToken(L"a;bb;;ccc", L";", 3) && !GetToken(L"a", L";", -1));
    std::wstring longText(300, L'x');  // only the first 255 characters count
    longText[270] = L';';
    EXPECT_EQ(wcslen(GetToken(longText.c_str(), L";", 0)), 255u);
    EXPECT_EQ(GetTokenCount(L";a;bb;;ccc;", L";"), 3);
    const wchar_t list[] = L"Solid\0Gradient\0Picture\0";
    EXPECT_TRUE(StrFindInList(list, L"Picture", FALSE) == 2 && StrFindInList(list, L"gradient", FALSE) == -1);
    EXPECT_EQ(StrFindInList(list, L"gradient", TRUE), 1);
}

TEST(Strings, HeapCopies)
{
    wchar_t* copy = nullptr;
    int len = -1;
    ASSERT_TRUE(StrAllocCopy(copy, len, L"first", 0) && StrAllocCopy(copy, len, L"second!", 1));
    EXPECT_TRUE(wcscmp(copy, L"second!") == 0 && len == 7);
    ASSERT_TRUE(StrAllocCopy(copy, len, nullptr, 1));
    EXPECT_TRUE(copy == nullptr && len == 0);
    ASSERT_TRUE(StrRealloc(copy, L"x") && wcscmp(copy, L"x") == 0);
    ASSERT_TRUE(StrRealloc(copy, L""));
    EXPECT_EQ(copy, nullptr);
}

TEST(Encoding, WholeCharacterCutsAndTheLibraryCodePage)
{
    const std::wstring wide = L"A\u00E9\u4E2D\U0001F600z";  // 1, 2, 3 and 4 UTF-8 bytes, then 1
    const char utf8[] = "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z";
    // Cuts fall between characters: never half of "\u00E9" or of the surrogate pair.
    for (int size = 1; size <= 13; ++size) {
        GuardedBuffer<char> narrow(size);
        GuardedBuffer<wchar_t> out(size > 8 ? 8 : size);
        wc2utf8(wide.c_str(), narrow.Data(), size);
        utf82wc(utf8, out.Data(), out.Size());
        wchar_t decoded[16];
        const int whole = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, narrow.Text().c_str(), -1, decoded, 16);
        EXPECT_GT(whole, 0) << size;
        const std::wstring text = out.Text();
        EXPECT_TRUE(wide.rfind(decoded, 0) == 0 && wide.rfind(text, 0) == 0) << size;
        EXPECT_FALSE(!text.empty() && IS_HIGH_SURROGATE(text.back())) << size;
    }
    const int saved = iMBCP;
    wchar_t utf[8], western[8];
    char narrow[8];
    iMBCP = CP_UTF8;
    mb2wc("\xC3\xA9", utf, 8);
    wc2mb(L"\u00E9", narrow, 8);
    iMBCP = 1252;
    mb2wc("\xC3\xA9", western, 8);
    iMBCP = saved;
    EXPECT_TRUE(wcscmp(utf, L"\u00E9") == 0 && strcmp(narrow, "\xC3\xA9") == 0);
    EXPECT_STREQ(western, L"\u00C3\u00A9");
}

TEST(Resources, LoadingFormattingAndErrorTexts)
{
    ResStr text;
    EXPECT_TRUE(text.Load(-20003) && wcscmp(text, L"Browse for file") == 0);
    EXPECT_TRUE(text.Load(20003, test::Library()) && wcscmp(text, L"Browse for file") == 0);
    EXPECT_TRUE(!text.Load(-31999) && text.IsEmpty() && wcscmp(text, L"") == 0);
    EXPECT_STREQ(ResStrFmt(-4, 300, 200), L"The current Glimpsebox window size is 300 x 200 pixels.");
    EXPECT_EQ(wcslen(ResStrFmt(-20015, std::wstring(5000, L'h').c_str())), 1023u);  // formatting stops there
    wchar_t note[128] = L"Note: ";
    StrAppendTextFmt(note, 128, -4, 16, 9);
    EXPECT_STREQ(note, L"Note: The current Glimpsebox window size is 16 x 9 pixels.");
    EXPECT_TRUE(StrAppendTextFmt(note, 128, 0) == 0 && !note[0]);

    const std::wstring notFound = GetLastErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(!notFound.empty() && notFound.back() != L'\n' && notFound.back() != L'\r');
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(GetLastErrorText(0) == notFound && !*GetLastErrorText(0xE0FFFFFF));  // the latter: no text for it
}
