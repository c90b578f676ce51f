// String helpers, command-line parsing, code-page conversions and the library's string table.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "support/GuardedBuffer.h"
#include "sys/CmdLine.h"
#include "sys/ResStr.h"
#include "sys/StrUtil.h"

using test::ExpectBounded;
using test::GuardedBuffer;

namespace {

std::wstring PathOf(const wchar_t* cmdLine)
{
    wchar_t buf[MAX_PATH];
    GetCmdLnPath(cmdLine, buf, MAX_PATH);
    return buf;
}

std::wstring ArgOf(const wchar_t* cmdLine)
{
    const wchar_t* arg = GetCmdLnArg(cmdLine);
    return arg ? arg : L"<null>";
}

} // namespace

// ---- Command lines ----

TEST(CommandLine, ProgramPathQuotedOrNot)
{
    EXPECT_EQ(PathOf(L"\"C:\\Program Files\\Glimpsebox\\Glimpsebox.exe\" /TB+"),
              L"C:\\Program Files\\Glimpsebox\\Glimpsebox.exe");
    EXPECT_EQ(PathOf(L"  \t  C:\\x\\app.exe -y"), L"C:\\x\\app.exe");
    EXPECT_EQ(PathOf(L"\"  spaced.exe\"z"), L"spaced.exe");  // blanks after the opening quote go
    EXPECT_EQ(PathOf(L"\"unclosed path"), L"unclosed path");

    wchar_t buf[8] = L"junk";
    EXPECT_FALSE(GetCmdLnPath(L" \t ", buf, 8));
    EXPECT_STREQ(buf, L"");
    EXPECT_FALSE(GetCmdLnPath(nullptr, buf, 8));
    EXPECT_FALSE(GetCmdLnPath(L"\"", buf, 8));
}

TEST(CommandLine, ArgumentsAfterTheProgramPath)
{
    // A line that begins with "/" has no program path.
    EXPECT_EQ(ArgOf(L"   /TB+ /x"), L"/TB+ /x");
    EXPECT_EQ(ArgOf(L"\"C:\\Program Files\\G\\G.exe\"   /TB+"), L"/TB+");
    EXPECT_EQ(ArgOf(L"\"C:\\a b\\G.exe\"\t-x"), L"-x");
    EXPECT_EQ(ArgOf(L"C:\\G.exe"), L"<null>");
    EXPECT_EQ(ArgOf(L"\"C:\\a b\\G.exe\"   "), L"<null>");
    EXPECT_EQ(ArgOf(L""), L"<null>");
    EXPECT_EQ(GetCmdLnArg(nullptr), nullptr);
    // The skip after an unquoted path also passes the first argument's opening quote.
    EXPECT_EQ(ArgOf(L"G.exe \"C:\\my file.txt\""), L"C:\\my file.txt\"");
    // "-" does not end the search for a program path the way "/" does.
    EXPECT_EQ(ArgOf(L"-x -y"), L"-y");

    const wchar_t* line = L"app.exe  -check4updates:now";
    wchar_t buf[MAX_PATH];
    const wchar_t* arg = GetCmdLnArg(line, buf, MAX_PATH);
    EXPECT_EQ(arg, line + 9);  // a pointer into the line itself
    EXPECT_STREQ(buf, L"-check4updates:now");
    wcscpy(buf, L"stale");
    EXPECT_EQ(GetCmdLnArg(L"app.exe", buf, MAX_PATH), nullptr);
    EXPECT_STREQ(buf, L"");
}

TEST(CommandLine, OptionsIgnoreCaseAndSwitchCharacter)
{
    EXPECT_TRUE(IsCmdLineOption(L"-tb+", L"TB+"));
    EXPECT_TRUE(IsCmdLineOption(L"TB+", L"tb+"));
    EXPECT_TRUE(IsCmdLineOption(L"/tb+", L"TB+"));
    EXPECT_TRUE(IsCmdLineOption(L"/TB+", L"/tb+"));  // the whole argument may match too
    EXPECT_FALSE(IsCmdLineOption(L"/TB", L"TB+"));
    EXPECT_FALSE(IsCmdLineOption(L"/TB+x", L"TB+"));
    EXPECT_FALSE(IsCmdLineOption(L"--tb+", L"TB+"));
    EXPECT_FALSE(IsCmdLineOption(L"", L""));
    EXPECT_FALSE(IsCmdLineOption(nullptr, L"TB+"));
    EXPECT_FALSE(IsCmdLineOption(L"TB+", nullptr));
}

TEST(CommandLine, SwitchPrefixWithOrWithoutItsSwitchCharacter)
{
    EXPECT_TRUE(IsCmdLineSwitchPrefix(L"/check4updates:x", L"CHECK4UPDATES"));
    EXPECT_TRUE(IsCmdLineSwitchPrefix(L"/check4updates:x", L"/CHECK4UPDATES"));
    EXPECT_TRUE(IsCmdLineSwitchPrefix(L"-Check4Updates", L"/CHECK4UPDATES"));
    EXPECT_TRUE(IsCmdLineSwitchPrefix(L"-CHECK4UPDATESNOW", L"CHECK4UPDATES"));
    EXPECT_FALSE(IsCmdLineSwitchPrefix(L"check4updates", L"CHECK4UPDATES"));  // no switch character
    EXPECT_FALSE(IsCmdLineSwitchPrefix(L"/check", L"CHECK4UPDATES"));
    EXPECT_FALSE(IsCmdLineSwitchPrefix(L"/HECK4UPDATES", L"CHECK4UPDATES"));
    EXPECT_FALSE(IsCmdLineSwitchPrefix(nullptr, L"X"));
    EXPECT_FALSE(IsCmdLineSwitchPrefix(L"/x", nullptr));
}

TEST(CommandLine, SwitchDataAfterTheFirstColon)
{
    wchar_t buf[MAX_PATH] = L"stale";
    EXPECT_TRUE(GetCmdLineSwitchData(L"/log:C:\\x.txt", buf, MAX_PATH));
    EXPECT_STREQ(buf, L"C:\\x.txt");
    EXPECT_TRUE(GetCmdLineSwitchData(L"/x:", buf, MAX_PATH));
    EXPECT_STREQ(buf, L"");
    wcscpy(buf, L"stale");
    EXPECT_FALSE(GetCmdLineSwitchData(L"/x", buf, MAX_PATH));
    EXPECT_STREQ(buf, L"");
    wcscpy(buf, L"stale");
    EXPECT_FALSE(GetCmdLineSwitchData(nullptr, buf, MAX_PATH));
    EXPECT_STREQ(buf, L"");
}

TEST(CommandLine, ParseSplitsPathAndRest)
{
    wchar_t path[MAX_PATH];
    wchar_t args[MAX_PATH];
    ParseCmdLn(L"\"C:\\a b\\app.exe\"  \" /x y", path, args);
    EXPECT_STREQ(path, L"C:\\a b\\app.exe");
    EXPECT_STREQ(args, L"/x y");  // quotes and spaces after the path are skipped
    ParseCmdLn(L"app.exe   -a -b", path, args);
    EXPECT_STREQ(path, L"app.exe");
    EXPECT_STREQ(args, L"-a -b");
    ParseCmdLn(L"\"never closed", path, nullptr);
    EXPECT_STREQ(path, L"never closed");
    ParseCmdLn(L"", path, args);
    EXPECT_STREQ(path, L"");
    EXPECT_STREQ(args, L"");
}

TEST(CommandLine, RemoveWhiteSpacesAndQuotes)
{
    struct {
        const wchar_t* in;
        const wchar_t* out;
    } const cases[] = {
        {L"  \" C:\\a b\\c \"  ", L"C:\\a b\\c"},
        {L"\tplain\t", L"plain"},
        {L"\"", L""},
        {L"   \"   ", L""},
        {L"a\"", L"a"},
        {L"\"\"x\"\"", L"\"x\""},  // one quote at each end only
        {L"", L""},
    };
    for (const auto& c : cases) {
        wchar_t out[MAX_PATH] = L"stale";
        RemoveWhiteSpacesAndQuotes(out, c.in);
        EXPECT_STREQ(out, c.out) << "from [" << c.in << "]";
        wchar_t inPlace[MAX_PATH];
        wcscpy(inPlace, c.in);
        RemoveWhiteSpacesAndQuotes(inPlace, nullptr);
        EXPECT_STREQ(inPlace, c.out) << "in place from [" << c.in << "]";
    }
}

TEST(CommandLine, AddQuotesIfSpace)
{
    wchar_t s[MAX_PATH] = L"C:\\Program Files\\x.exe";
    EXPECT_TRUE(AddQuotesIfSpace(s));
    EXPECT_STREQ(s, L"\"C:\\Program Files\\x.exe\"");
    EXPECT_TRUE(AddQuotesIfSpace(s));  // already quoted: left alone
    EXPECT_STREQ(s, L"\"C:\\Program Files\\x.exe\"");
    wcscpy(s, L"C:\\x.exe");
    EXPECT_TRUE(AddQuotesIfSpace(s));
    EXPECT_STREQ(s, L"C:\\x.exe");

    GuardedBuffer<wchar_t> tight(4, L"a b");  // needs 6 cells
    EXPECT_FALSE(AddQuotesIfSpace(tight.Data(), tight.Size()));
    EXPECT_EQ(tight.Text(), L"a b");
    EXPECT_TRUE(tight.GuardIntact());
    for (int size : {0, 1}) {
        GuardedBuffer<wchar_t> none(size);
        EXPECT_FALSE(AddQuotesIfSpace(none.Data(), size));
        EXPECT_TRUE(none.GuardIntact());
    }
    GuardedBuffer<wchar_t> unterminated(3);
    wmemset(unterminated.Data(), L' ', 3);
    EXPECT_FALSE(AddQuotesIfSpace(unterminated.Data(), 3));
    EXPECT_TRUE(unterminated.GuardIntact());
    GuardedBuffer<wchar_t> exact(6, L"a b");
    EXPECT_TRUE(AddQuotesIfSpace(exact.Data(), exact.Size()));
    EXPECT_EQ(exact.Text(), L"\"a b\"");
    EXPECT_TRUE(exact.GuardIntact());
}

// ---- String helpers ----

TEST(Strings, StartsWith)
{
    EXPECT_FALSE(StrStartsWith(L"", L"", FALSE));
    EXPECT_TRUE(StrStartsWith(L"x", L"", FALSE));
    EXPECT_TRUE(StrStartsWith(L"", nullptr, FALSE));
    EXPECT_TRUE(StrStartsWith(nullptr, nullptr, FALSE));
    EXPECT_FALSE(StrStartsWith(nullptr, L"a", FALSE));
    EXPECT_TRUE(StrStartsWith(L"PosLeft", L"Pos", FALSE));
    EXPECT_FALSE(StrStartsWith(L"PosLeft", L"pos", FALSE));
    EXPECT_TRUE(StrStartsWith(L"PosLeft", L"pos", TRUE));
    EXPECT_TRUE(StrStartsWith(L"\u00C9T\u00C9", L"\u00E9t", TRUE));
    EXPECT_FALSE(StrStartsWith(L"Po", L"Pos", TRUE));
}

TEST(Strings, TrimCapitalizeAndCase)
{
    wchar_t s[64] = L" \t\r\n two words \n\t";
    EXPECT_STREQ(TrimStr(s), L"two words");
    wcscpy(s, L" \r\n\t ");
    EXPECT_STREQ(TrimStr(s), L"");

    wcscpy(s, L"hello world\tfoo\nbar\r\nbaz 9lives \u00E9lan");
    EXPECT_STREQ(StrCapitalizeAll(s), L"Hello World\tFoo\nBar\r\nBaz 9lives \u00E9lan");

    wcscpy(s, L"Rue \u00C9t\u00E9");
    EXPECT_STREQ(StrToUpper(s), L"RUE \u00C9T\u00C9");
    EXPECT_STREQ(StrToLower(s), L"rue \u00E9t\u00E9");
    EXPECT_EQ(CharToUpper(L'\u00E9'), L'\u00C9');
    EXPECT_EQ(CharToLower(L'Q'), L'q');
    EXPECT_EQ(CharToUpper(L'7'), L'7');
}

TEST(Strings, CharacterClasses)
{
    EXPECT_TRUE(IsWhiteChar(L' ') && IsWhiteChar(L'\t') && IsWhiteChar(L'\r') && IsWhiteChar(L'\n'));
    EXPECT_FALSE(IsWhiteChar(L'x') || IsWhiteChar(0));
    EXPECT_TRUE(IsAlphaChar(L'\u00E9') && IsAlphaChar(L'Z'));
    EXPECT_FALSE(IsAlphaChar(L'5') || IsAlphaChar(0));
    EXPECT_TRUE(IsNumChar(L'0') && IsNumChar(L'9'));
    EXPECT_FALSE(IsNumChar(L'a') || IsNumChar(L'\u0661'));
    EXPECT_TRUE(IsAlphaNumChar(L'a') && IsAlphaNumChar(L'3'));
    EXPECT_FALSE(IsPrintableChar(31) || IsPrintableChar(127));
    EXPECT_TRUE(IsPrintableChar(L' ') && IsPrintableChar(L'~') && IsPrintableChar(L'\u00E9'));
    EXPECT_TRUE(IsMiscChar(L'#') && IsMiscChar(L'.'));
    EXPECT_FALSE(IsMiscChar(L'a') || IsMiscChar(L' ') || IsMiscChar(L'\n'));
    EXPECT_TRUE(IsMiscVK(VK_OEM_PERIOD) && IsMiscVK(VK_ADD) && IsMiscVK(VK_OEM_102));
    EXPECT_FALSE(IsMiscVK('A') || IsMiscVK('5') || IsMiscVK(VK_RETURN) || IsMiscVK(VK_NUMPAD5));
}

TEST(Strings, ReplaceIndentsContinuationLines)
{
    wchar_t out[256];
    EXPECT_EQ(StrReplace(out, 256, L"a %X% b %X%", L"%X%", L"yz"), 2);
    EXPECT_STREQ(out, L"a yz b yz");

    // The found text has only spaces before it on its line: new lines keep that indent.
    StrReplace(out, 256, L"begin\n    %BODY%\nend", L"%BODY%", L"one\ntwo\nthree");
    EXPECT_STREQ(out, L"begin\n    one\n    two\n    three\nend");
    StrReplace(out, 256, L"x = %BODY%", L"%BODY%", L"one\ntwo");
    EXPECT_STREQ(out, L"x = one\ntwo");
    StrReplace(out, 256, L"%BODY%", L"%BODY%", L"one\ntwo");
    EXPECT_STREQ(out, L"one\ntwo");

    EXPECT_EQ(StrReplace(out, 256, L"nothing", L"", L"x"), 0);
    EXPECT_STREQ(out, L"nothing");
    StrReplace(out, 256, L"cut me", L"cut ", nullptr);
    EXPECT_STREQ(out, L"me");
}

TEST(Strings, Tokens)
{
    wchar_t text[] = L",,alpha, beta,,gamma,";
    wchar_t* next = nullptr;
    EXPECT_STREQ(StrTokEx(text, L", ", next), L"alpha");
    EXPECT_STREQ(StrTokEx(nullptr, L", ", next), L"beta");
    EXPECT_STREQ(StrTokEx(nullptr, L", ", next), L"gamma");
    EXPECT_EQ(StrTokEx(nullptr, L", ", next), nullptr);
    EXPECT_EQ(StrTokEx(nullptr, L", ", next), nullptr);

    EXPECT_STREQ(GetToken(L"a;bb;;ccc", L";", 0), L"a");
    EXPECT_STREQ(GetToken(L"a;bb;;ccc", L";", 2), L"ccc");
    EXPECT_EQ(GetToken(L"a;bb;;ccc", L";", 3), nullptr);
    EXPECT_EQ(GetToken(L"a", L";", -1), nullptr);
    EXPECT_EQ(GetToken(nullptr, L";", 0), nullptr);
    EXPECT_EQ(GetTokenCount(L"a;bb;;ccc;", L";"), 3);
    EXPECT_EQ(GetTokenCount(L";;;", L";"), 0);
    EXPECT_EQ(GetTokenCount(L"one", nullptr), 1);

    // GetToken looks at the first 255 characters only.
    std::wstring longText(300, L'x');
    longText[270] = L';';
    EXPECT_EQ(wcslen(GetToken(longText.c_str(), L";", 0)), 255u);
    EXPECT_EQ(GetToken(longText.c_str(), L";", 1), nullptr);
}

TEST(Strings, CountsSearchesAndTests)
{
    EXPECT_EQ(StrCharCount(L"a\\b\\c", L'\\'), 2);
    EXPECT_EQ(StrCharCount(nullptr, L'a'), 0);
    EXPECT_EQ(FindChar(L"abc", L'c'), 2);
    EXPECT_EQ(FindChar(L"abc", L'z'), -1);
    EXPECT_EQ(FindChar(nullptr, L'a'), -1);

    const wchar_t list[] = L"Solid\0Gradient\0Picture\0";
    EXPECT_EQ(StrFindInList(list, L"Picture", FALSE), 2);
    EXPECT_EQ(StrFindInList(list, L"gradient", FALSE), -1);
    EXPECT_EQ(StrFindInList(list, L"gradient", TRUE), 1);
    EXPECT_EQ(StrFindInList(list, L"", FALSE), -1);
    EXPECT_EQ(StrFindInList(nullptr, L"x", FALSE), -1);

    EXPECT_TRUE(IsNumStr(L"0123"));
    EXPECT_FALSE(IsNumStr(L"12a"));
    EXPECT_FALSE(IsNumStr(L""));
    EXPECT_FALSE(IsNumStr(L"-1"));

    unsigned char bytes[8];
    memset(bytes, 0xAB, sizeof(bytes));
    EXPECT_TRUE(IsMemSetTo(bytes, 0xAB, 8));
    bytes[7] = 0;
    EXPECT_FALSE(IsMemSetTo(bytes, 0xAB, 8));
    EXPECT_TRUE(IsMemSetTo(bytes, 0xAB, 7));
    EXPECT_FALSE(IsMemSetTo(bytes, 0xAB, 0));
    EXPECT_FALSE(IsMemSetTo(nullptr, 0, 4));

    EXPECT_EQ(GetLineCount(L"", 10), 0);
    EXPECT_EQ(GetLineCount(L"one", 3), 1);
    EXPECT_EQ(GetLineCount(L"a\nb\r\nc\n", 7), 4);
    EXPECT_EQ(GetLineCount(L"a\nb\nc", 2), 2);  // only the first n characters count
}

TEST(Strings, PrintableAndErase)
{
    wchar_t s[] = L"a\tb\x7F" L"c\x1B";
    MakeStrPrintable(s, static_cast<int>(wcslen(s)));
    EXPECT_STREQ(s, L"a.b.c.");
    wchar_t binary[4] = {L'x', 0, 7, 0};
    MakeStrPrintable(binary, 3);  // n characters of the buffer, terminators included
    EXPECT_EQ(std::wstring(binary), L"x..");

    wchar_t secret[] = L"password";
    StrErase(secret, 4);
    EXPECT_TRUE(IsMemSetTo(secret, 0, 4 * sizeof(wchar_t)));
    EXPECT_STREQ(secret + 4, L"word");
    StrErase(nullptr, 4);
    StrErase(secret, 0);
}

TEST(Strings, CursorPrimitivesMeasureThenWrite)
{
    // The same calls size the text first (null destination) and write it second.
    auto build = [](wchar_t* out, int& count) {
        wchar_t* dst = out;
        CopyStr(dst, L"key", count);
        CharAdd(dst, L'=', count);
        const wchar_t* value = L"value";
        CharCopy(dst, value, count);
        StrCopy(dst, value, count);
        return dst;
    };
    int needed = 0;
    build(nullptr, needed);
    EXPECT_EQ(needed, 10);  // "key=value" and the terminator
    GuardedBuffer<wchar_t> buffer(needed);
    int written = 0;
    wchar_t* end = build(buffer.Data(), written);
    EXPECT_EQ(written, needed);
    EXPECT_EQ(buffer.Text(), L"key=value");
    EXPECT_EQ(end, buffer.Data() + needed);  // after the terminator
    EXPECT_TRUE(buffer.GuardIntact());

    wchar_t text[] = L"abc";
    wchar_t* p = text;
    EXPECT_EQ(PszInc(p), text);
    EXPECT_EQ(IncPsz(p), text + 2);
    EXPECT_EQ(DecPsz(p), text + 1);
    EXPECT_EQ(CharAt(text, 2), L'c');
    wchar_t copy[8];
    wchar_t* dst = copy;
    const wchar_t* src = L"xy";
    StrCopy(dst, src);
    EXPECT_STREQ(copy, L"xy");
    EXPECT_EQ(dst, copy + 3);
    EXPECT_EQ(*(src - 1), 0);
}

TEST(Strings, HeapCopies)
{
    wchar_t* p = nullptr;
    int len = -1;
    ASSERT_TRUE(StrAllocCopy(p, len, L"first", 0));
    EXPECT_STREQ(p, L"first");
    EXPECT_EQ(len, 5);
    ASSERT_TRUE(StrAllocCopy(p, len, L"second!", 1));
    EXPECT_STREQ(p, L"second!");
    EXPECT_EQ(len, 7);
    ASSERT_TRUE(StrAllocCopy(p, len, nullptr, 1));
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(len, 0);

    ASSERT_TRUE(StrRealloc(p, L"x"));
    EXPECT_STREQ(p, L"x");
    ASSERT_TRUE(StrRealloc(p, L""));
    EXPECT_EQ(p, nullptr);
    ASSERT_TRUE(StrRealloc(p, nullptr));
    EXPECT_EQ(p, nullptr);
}

// ---- Code pages ----

TEST(Encoding, Utf8RoundTripAndWholeCharacterCuts)
{
    const wchar_t wide[] = L"A\u00E9\u4E2D\U0001F600z";  // 1, 2, 3 and 4 UTF-8 bytes, then 1
    char utf8[32];
    EXPECT_EQ(wc2utf8(wide, utf8, sizeof(utf8)), 12);
    EXPECT_STREQ(utf8, "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z");
    wchar_t back[16];
    EXPECT_EQ(utf82wc(utf8, back, 16), 7);
    EXPECT_STREQ(back, wide);

    // Cuts fall between characters: never half of "é" or of the surrogate pair.
    for (int size = 0; size <= 12; ++size) {
        SCOPED_TRACE(testing::Message() << "bytes " << size);
        GuardedBuffer<char> narrow(size);
        wc2utf8(wide, narrow.Data(), size);
        EXPECT_TRUE(narrow.GuardIntact());
        if (!size)
            continue;
        ASSERT_TRUE(narrow.Terminated());
        wchar_t decoded[16];
        ASSERT_GT(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, narrow.Text().c_str(), -1, decoded, 16), 0);
        EXPECT_EQ(std::wstring(wide).compare(0, wcslen(decoded), decoded), 0);
    }
    for (int size = 0; size <= 7; ++size) {
        SCOPED_TRACE(testing::Message() << "characters " << size);
        GuardedBuffer<wchar_t> out(size);
        utf82wc(utf8, out.Data(), size);
        EXPECT_TRUE(out.GuardIntact());
        if (!size)
            continue;
        ASSERT_TRUE(out.Terminated());
        std::wstring text = out.Text();
        EXPECT_EQ(std::wstring(wide).compare(0, text.size(), text), 0);
        EXPECT_FALSE(!text.empty() && IS_HIGH_SURROGATE(text.back()));
    }
}

TEST(Encoding, IncompleteSequenceAtTheEndStillTerminates)
{
    // An unfinished four-byte sequence right before the terminator.
    for (int size : {2, 3, 4, 16}) {
        GuardedBuffer<wchar_t> out(size);
        EXPECT_GT(utf82wc("ab\xF1", out.Data(), size), 0) << size;
        EXPECT_TRUE(out.GuardIntact()) << size;
        ASSERT_TRUE(out.Terminated()) << size;
        EXPECT_EQ(std::wstring(L"ab\xFFFD").compare(0, out.Text().size(), out.Text()), 0) << size;
    }
    wchar_t whole[8];
    utf82wc("ab\xF1", whole, 8);
    EXPECT_EQ(std::wstring(whole).substr(0, 2), L"ab");
}

TEST(Encoding, LibraryCodePageFollowsIMBCP)
{
    int saved = iMBCP;
    const char bytes[] = "\xC3\xA9";
    wchar_t out[8];
    iMBCP = CP_UTF8;
    mb2wc(bytes, out, 8);
    EXPECT_STREQ(out, L"\u00E9");
    char narrow[8];
    wc2mb(L"\u00E9", narrow, 8);
    EXPECT_STREQ(narrow, bytes);
    iMBCP = 1252;
    mb2wc(bytes, out, 8);
    EXPECT_STREQ(out, L"\u00C3\u00A9");
    iMBCP = saved;

    EXPECT_GT(mb2wcANSI("abc", out, 8), 0);
    EXPECT_STREQ(out, L"abc");
    EXPECT_GT(wc2mbOEM(L"abc", narrow, 8), 0);
    EXPECT_STREQ(narrow, "abc");
    EXPECT_GT(mb2wcOEM("x", out, 8), 0);
    EXPECT_GT(wc2mbANSI(L"y", narrow, 8), 0);
    EXPECT_EQ(mb2wc(nullptr, out, 8), 1);
    EXPECT_STREQ(out, L"");
    EXPECT_EQ(wc2mb(L"x", narrow, 0), 0);
}

// ---- The string table, resource strings and messages ----

TEST(Resources, TheLibraryHoldsEveryQuotedString)
{
    struct {
        int id;
        const wchar_t* text;
    } const table[] = {
        {1, L"Glimpsebox"},
        {2, L"Do you want this icon to be loaded next time you log in to Windows?"},
        {3, L"Do you want this icon to be loaded for all users at Windows startup?"},
        {4, L"The current Glimpsebox window size is %d x %d pixels."},
        {5, L"Your anti-spyware software may ask you to confirm that you want Glimpsebox to load at startup. "
            L"Please approve such an action, because otherwise Glimpsebox will not load at the next startup."},
        {20003, L"Browse for file"},
        {20004, L"|All Files|*.*|"},
        {20010, L"Sorry, your version of Windows does not support HtmlHelp format.\n\nPlease visit the software "
                L"publisher's web site for the online version of the user's guide."},
        {20015, L"Cannot find the help file %s."},
        {20022, L"&About..."},
        {22022, L"Cannot find the application associated with file type HTML.\n\nPlease make sure your Web "
                L"browser is correctly installed."},
        {28008, L"Are you sure you want to cancel this operation?"},
    };
    for (const auto& entry : table) {
        ResStr text(-entry.id);
        EXPECT_FALSE(text.IsEmpty()) << entry.id;
        EXPECT_STREQ(text, entry.text) << entry.id;
    }
    // The web-site notice and the unsupported-edition message exist too (their wording is ours).
    EXPECT_FALSE(ResStr(-20007).IsEmpty());
    EXPECT_FALSE(ResStr(-20008).IsEmpty());
}

TEST(Resources, LoadingAndFormatting)
{
    ResStr missing(-31999);
    EXPECT_TRUE(missing.IsEmpty());
    EXPECT_STREQ(missing, L"");
    ResStr none(0);
    EXPECT_TRUE(none.IsEmpty());

    ResStr text;
    EXPECT_TRUE(text.Load(-20003));
    EXPECT_STREQ(text, L"Browse for file");
    EXPECT_TRUE(text.Load(20003, GetModuleHandleW(L"GLMBX32.DLL")));  // an explicit module
    EXPECT_STREQ(text, L"Browse for file");
    EXPECT_FALSE(text.Load(-31999));
    EXPECT_STREQ(text, L"");
    text.Load(-1);
    text.Empty();
    EXPECT_TRUE(text.IsEmpty());

    ResStrFmt size(-4, 300, 200);
    EXPECT_STREQ(size, L"The current Glimpsebox window size is 300 x 200 pixels.");
    ResStrFmt help(-20015, L"C:\\Program Files\\Glimpsebox\\Glimpsebox.chm");
    EXPECT_STREQ(help, L"Cannot find the help file C:\\Program Files\\Glimpsebox\\Glimpsebox.chm.");
    // Formatting stops at 1023 characters.
    std::wstring huge(5000, L'h');
    ResStrFmt cut(-20015, huge.c_str());
    EXPECT_EQ(wcslen(cut), 1023u);
}

TEST(Resources, AppendFormattedText)
{
    wchar_t text[128] = L"Note: ";
    StrAppendTextFmt(text, 128, -4, 16, 9);
    EXPECT_STREQ(text, L"Note: The current Glimpsebox window size is 16 x 9 pixels.");
    EXPECT_EQ(StrAppendTextFmt(text, 128, 0), 0);
    EXPECT_STREQ(text, L"");
    ExpectBounded<wchar_t>(L"Browse for file", [](wchar_t* buf, int size) {
        if (size)
            buf[0] = 0;
        StrAppendTextFmt(buf, size, -20003);
    });
}

TEST(Resources, LastErrorText)
{
    std::wstring notFound = GetLastErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(notFound.empty());
    EXPECT_NE(notFound.back(), L'\n');
    EXPECT_NE(notFound.back(), L'\r');
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(std::wstring(GetLastErrorText(0)), notFound);
    EXPECT_STREQ(GetLastErrorText(0xE0FFFFFF), L"");  // a code the system has no text for
}

// ---- Bounded writes at sizes 0, 1, one short and exact fit ----

TEST(BoundedWrites, CommandLineFunctions)
{
    ExpectBounded<wchar_t>(L"C:\\a b\\app.exe", [](wchar_t* buf, int size) {
        GetCmdLnPath(L"  \"C:\\a b\\app.exe\" /x", buf, size);
    });
    ExpectBounded<wchar_t>(L"/x:1 /y", [](wchar_t* buf, int size) {
        GetCmdLnArg(L"\"C:\\a b\\app.exe\"  /x:1 /y", buf, size);
    });
    ExpectBounded<wchar_t>(L"some data", [](wchar_t* buf, int size) {
        GetCmdLineSwitchData(L"/x:some data", buf, size);
    });
    ExpectBounded<wchar_t>(L"C:\\a b\\app", [](wchar_t* buf, int size) {
        ParseCmdLn(L"\"C:\\a b\\app\" rest", buf, nullptr, size, 0);
    });
    ExpectBounded<wchar_t>(L"-one -two", [](wchar_t* buf, int size) {
        wchar_t path[MAX_PATH];
        ParseCmdLn(L"app -one -two", path, buf, MAX_PATH, size);
    });
    ExpectBounded<wchar_t>(L"quoted path", [](wchar_t* buf, int size) {
        RemoveWhiteSpacesAndQuotes(buf, L"  \" quoted path \" ", size);
    });
}

TEST(BoundedWrites, StringFunctions)
{
    ExpectBounded<wchar_t>(L"say hello, hello", [](wchar_t* buf, int size) {
        StrReplace(buf, size, L"say %N, %N", L"%N", L"hello");
    });
    ExpectBounded<wchar_t>(L"\u00E9t\u00E9 \u4E2D", [](wchar_t* buf, int size) {
        utf82wc("\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD", buf, size);
    });
    ExpectBounded<char>("plain ascii", [](char* buf, int size) { wc2mbANSI(L"plain ascii", buf, size); });
    ExpectBounded<char>("oem", [](char* buf, int size) { wc2mbOEM(L"oem", buf, size); });
    ExpectBounded<wchar_t>(L"ansi", [](wchar_t* buf, int size) { mb2wcANSI("ansi", buf, size); });
    ExpectBounded<wchar_t>(L"oem text", [](wchar_t* buf, int size) { mb2wcOEM("oem text", buf, size); });
    ExpectBounded<wchar_t>(L"library", [](wchar_t* buf, int size) { mb2wc("library", buf, size); });
    ExpectBounded<char>("code page", [](char* buf, int size) { wc2mb(L"code page", buf, size); });
    ExpectBounded<char>("\xC3\xA9t\xC3\xA9", [](char* buf, int size) { wc2utf8(L"\u00E9t\u00E9", buf, size); }, false);
}
