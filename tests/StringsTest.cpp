// String helpers, command-line parsing, code-page conversions and the library's string table.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>

#include "support/GuardedBuffer.h"
#include "sys/CmdLine.h"
#include "sys/ResStr.h"
#include "sys/StrUtil.h"
#include "tests/support/TestSupport.h"

using test::ExpectBounded;
using test::GuardedBuffer;

namespace {

std::string Narrow(const wchar_t* text)
{
    std::string out;
    for (; text && *text; ++text)
        out += *text < 0x80 ? static_cast<char>(*text) : '?';
    return text ? out : "null";
}

} // namespace

// ---- Command lines ----

TEST(CommandLine, ProgramPathAndArguments)
{
    const wchar_t* const any = L"";  // not checked
    struct { const wchar_t* line; const wchar_t* path; const wchar_t* arg; } const cases[] = {
        {L"\"C:\\Program Files\\Glimpsebox\\Glimpsebox.exe\" /TB+", L"C:\\Program Files\\Glimpsebox\\Glimpsebox.exe",
         L"/TB+"},
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
    wchar_t path[MAX_PATH];
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.line));
        if (c.path != any) {
            EXPECT_TRUE(GetCmdLnPath(c.line, path, MAX_PATH));
            EXPECT_STREQ(path, c.path);
        }
        const wchar_t* arg = GetCmdLnArg(c.line);
        EXPECT_TRUE(c.arg == any || (arg && c.arg ? wcscmp(arg, c.arg) == 0 : arg == c.arg))
            << (arg ? Narrow(arg) : "null");
    }
    wchar_t buf[8] = L"junk";
    EXPECT_FALSE(GetCmdLnPath(L" \t ", buf, 8));
    EXPECT_STREQ(buf, L"");
    EXPECT_FALSE(GetCmdLnPath(nullptr, buf, 8) || GetCmdLnPath(L"\"", buf, 8));
    EXPECT_TRUE(GetCmdLnArg(L"") == nullptr && GetCmdLnArg(nullptr) == nullptr);

    const wchar_t* line = L"app.exe  -check4updates:now";
    wchar_t arg[MAX_PATH];
    EXPECT_EQ(GetCmdLnArg(line, arg, MAX_PATH), line + 9);  // a pointer into the line itself
    EXPECT_STREQ(arg, L"-check4updates:now");
    wcscpy(arg, L"stale");
    EXPECT_EQ(GetCmdLnArg(L"app.exe", arg, MAX_PATH), nullptr);
    EXPECT_STREQ(arg, L"");

    wchar_t args[MAX_PATH];
    ParseCmdLn(L"\"C:\\a b\\app.exe\"  \" /x y", path, args);
    EXPECT_STREQ(path, L"C:\\a b\\app.exe");
    EXPECT_STREQ(args, L"/x y");  // quotes and spaces after the path are skipped
    ParseCmdLn(L"app.exe   -a -b", path, args);
    EXPECT_STREQ(args, L"-a -b");
    ParseCmdLn(L"\"never closed", path, nullptr);
    EXPECT_STREQ(path, L"never closed");
    ParseCmdLn(L"", path, args);
    EXPECT_TRUE(!path[0] && !args[0]);
}

TEST(CommandLine, OptionsSwitchesAndTheirData)
{
    struct { const wchar_t* arg; const wchar_t* option; bool is; } const options[] = {
        {L"-tb+", L"TB+", true}, {L"TB+", L"tb+", true}, {L"/tb+", L"TB+", true},
        {L"/TB+", L"/tb+", true},  // the whole argument may match too
        {L"/TB", L"TB+", false}, {L"/TB+x", L"TB+", false}, {L"--tb+", L"TB+", false}, {L"", L"", false},
        {nullptr, L"TB+", false}, {L"TB+", nullptr, false},
    };
    for (const auto& c : options)
        EXPECT_EQ(!!IsCmdLineOption(c.arg, c.option), c.is) << Narrow(c.arg) << " " << Narrow(c.option);
    struct { const wchar_t* arg; const wchar_t* prefix; bool is; } const prefixes[] = {
        {L"/check4updates:x", L"CHECK4UPDATES", true}, {L"/check4updates:x", L"/CHECK4UPDATES", true},
        {L"-Check4Updates", L"/CHECK4UPDATES", true}, {L"-CHECK4UPDATESNOW", L"CHECK4UPDATES", true},
        {L"check4updates", L"CHECK4UPDATES", false},  // no switch character
        {L"/check", L"CHECK4UPDATES", false}, {L"/HECK4UPDATES", L"CHECK4UPDATES", false},
        {nullptr, L"X", false}, {L"/x", nullptr, false},
    };
    for (const auto& c : prefixes)
        EXPECT_EQ(!!IsCmdLineSwitchPrefix(c.arg, c.prefix), c.is) << Narrow(c.arg) << " " << Narrow(c.prefix);
    struct { const wchar_t* arg; bool found; const wchar_t* data; } const data[] = {
        {L"/log:C:\\x.txt", true, L"C:\\x.txt"}, {L"/x:", true, L""}, {L"/x", false, L""}, {nullptr, false, L""},
    };
    for (const auto& c : data) {
        wchar_t buf[MAX_PATH] = L"stale";
        EXPECT_EQ(!!GetCmdLineSwitchData(c.arg, buf, MAX_PATH), c.found) << Narrow(c.arg);
        EXPECT_STREQ(buf, c.data);
    }
}

TEST(CommandLine, QuotesAndBlanks)
{
    struct { const wchar_t* in; const wchar_t* out; } const cases[] = {
        {L"  \" C:\\a b\\c \"  ", L"C:\\a b\\c"}, {L"\tplain\t", L"plain"}, {L"\"", L""}, {L"   \"   ", L""},
        {L"a\"", L"a"}, {L"\"\"x\"\"", L"\"x\""},  // one quote at each end only
        {L"", L""},
    };
    for (const auto& c : cases) {
        wchar_t out[MAX_PATH] = L"stale", inPlace[MAX_PATH];
        RemoveWhiteSpacesAndQuotes(out, c.in);
        EXPECT_STREQ(out, c.out) << "from [" << Narrow(c.in) << "]";
        wcscpy(inPlace, c.in);
        RemoveWhiteSpacesAndQuotes(inPlace, nullptr);
        EXPECT_STREQ(inPlace, c.out) << "in place from [" << Narrow(c.in) << "]";
    }

    wchar_t s[MAX_PATH] = L"C:\\Program Files\\x.exe";
    EXPECT_TRUE(AddQuotesIfSpace(s));
    EXPECT_STREQ(s, L"\"C:\\Program Files\\x.exe\"");
    EXPECT_TRUE(AddQuotesIfSpace(s));  // already quoted: left alone
    EXPECT_STREQ(s, L"\"C:\\Program Files\\x.exe\"");
    wcscpy(s, L"C:\\x.exe");
    EXPECT_TRUE(AddQuotesIfSpace(s));
    EXPECT_STREQ(s, L"C:\\x.exe");
    // "a b" quoted needs 6 cells; an unterminated buffer has no text to quote.
    GuardedBuffer<wchar_t> tight(4, L"a b"), exact(6, L"a b"), none(0), one(1), unterminated(3);
    wmemset(unterminated.Data(), L' ', 3);
    EXPECT_FALSE(AddQuotesIfSpace(tight.Data(), 4) || AddQuotesIfSpace(none.Data(), 0) ||
                 AddQuotesIfSpace(one.Data(), 1) || AddQuotesIfSpace(unterminated.Data(), 3));
    EXPECT_EQ(tight.Text(), L"a b");
    EXPECT_TRUE(AddQuotesIfSpace(exact.Data(), 6));
    EXPECT_EQ(exact.Text(), L"\"a b\"");
    for (const auto* buffer : {&tight, &exact, &none, &one, &unterminated})
        EXPECT_TRUE(buffer->GuardIntact());
}

// ---- String helpers ----

TEST(Strings, StartsWithTrimCaseAndCharacterClasses)
{
    struct { const wchar_t* s; const wchar_t* prefix; BOOL ignoreCase; bool starts; } const starts[] = {
        {L"", L"", FALSE, false}, {L"x", L"", FALSE, true}, {L"", nullptr, FALSE, true}, {nullptr, nullptr, FALSE, true},
        {nullptr, L"a", FALSE, false}, {L"PosLeft", L"Pos", FALSE, true}, {L"PosLeft", L"pos", FALSE, false},
        {L"PosLeft", L"pos", TRUE, true}, {L"\u00C9T\u00C9", L"\u00E9t", TRUE, true}, {L"Po", L"Pos", TRUE, false},
    };
    for (const auto& c : starts)
        EXPECT_EQ(!!StrStartsWith(c.s, c.prefix, c.ignoreCase), c.starts) << Narrow(c.s) << " " << Narrow(c.prefix);

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

    using Class = std::function<BOOL(wchar_t)>;
    struct { const char* name; Class is; std::wstring yes, no; } const classes[] = {
        {"white", IsWhiteChar, L" \t\r\n", std::wstring(L"x\0", 2)},
        {"alpha", IsAlphaChar, L"\u00E9Z", std::wstring(L"5\0", 2)},
        {"digit", IsNumChar, L"09", L"a\u0661"},
        {"alphanumeric", IsAlphaNumChar, L"a3", L" "},
        {"printable", IsPrintableChar, L" ~\u00E9", L"\x1F\x7F"},
        {"punctuation", IsMiscChar, L"#.", L"a \n"},
        {"punctuation key", [](wchar_t vk) { return IsMiscVK(vk); },
         std::wstring{VK_OEM_PERIOD, VK_ADD, VK_OEM_102}, std::wstring{L'A', L'5', VK_RETURN, VK_NUMPAD5}},
    };
    for (const auto& c : classes) {
        for (wchar_t ch : c.yes)
            EXPECT_TRUE(c.is(ch)) << c.name << " " << int(ch);
        for (wchar_t ch : c.no)
            EXPECT_FALSE(c.is(ch)) << c.name << " " << int(ch);
    }
}

TEST(Strings, ReplaceIndentsContinuationLines)
{
    wchar_t out[256];
    EXPECT_EQ(StrReplace(out, 256, L"a %X% b %X%", L"%X%", L"yz"), 2);
    EXPECT_STREQ(out, L"a yz b yz");
    // The found text has only spaces before it on its line: new lines keep that indent.
    struct { const wchar_t* in; const wchar_t* out; } const bodies[] = {
        {L"begin\n    %BODY%\nend", L"begin\n    one\n    two\n    three\nend"},
        {L"x = %BODY%", L"x = one\ntwo\nthree"},
        {L"%BODY%", L"one\ntwo\nthree"},
    };
    for (const auto& c : bodies) {
        StrReplace(out, 256, c.in, L"%BODY%", L"one\ntwo\nthree");
        EXPECT_STREQ(out, c.out);
    }
    EXPECT_EQ(StrReplace(out, 256, L"nothing", L"", L"x"), 0);
    EXPECT_STREQ(out, L"nothing");
    StrReplace(out, 256, L"cut me", L"cut ", nullptr);
    EXPECT_STREQ(out, L"me");
}

TEST(Strings, TokensCountsAndSearches)
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
    EXPECT_TRUE(!GetToken(L"a;bb;;ccc", L";", 3) && !GetToken(L"a", L";", -1) && !GetToken(nullptr, L";", 0));
    EXPECT_EQ(GetTokenCount(L"a;bb;;ccc;", L";"), 3);
    EXPECT_EQ(GetTokenCount(L";;;", L";"), 0);
    EXPECT_EQ(GetTokenCount(L"one", nullptr), 1);
    // GetToken looks at the first 255 characters only.
    std::wstring longText(300, L'x');
    longText[270] = L';';
    EXPECT_EQ(wcslen(GetToken(longText.c_str(), L";", 0)), 255u);
    EXPECT_EQ(GetToken(longText.c_str(), L";", 1), nullptr);

    EXPECT_EQ(StrCharCount(L"a\\b\\c", L'\\'), 2);
    EXPECT_EQ(StrCharCount(nullptr, L'a'), 0);
    EXPECT_EQ(FindChar(L"abc", L'c'), 2);
    EXPECT_EQ(FindChar(L"abc", L'z') + FindChar(nullptr, L'a'), -2);
    const wchar_t list[] = L"Solid\0Gradient\0Picture\0";
    EXPECT_EQ(StrFindInList(list, L"Picture", FALSE), 2);
    EXPECT_EQ(StrFindInList(list, L"gradient", FALSE), -1);
    EXPECT_EQ(StrFindInList(list, L"gradient", TRUE), 1);
    EXPECT_EQ(StrFindInList(list, L"", FALSE), -1);
    EXPECT_EQ(StrFindInList(nullptr, L"x", FALSE), -1);
    EXPECT_TRUE(IsNumStr(L"0123"));
    EXPECT_FALSE(IsNumStr(L"12a") || IsNumStr(L"") || IsNumStr(L"-1"));
    unsigned char bytes[8];
    memset(bytes, 0xAB, sizeof(bytes));
    EXPECT_TRUE(IsMemSetTo(bytes, 0xAB, 8));
    bytes[7] = 0;
    EXPECT_TRUE(!IsMemSetTo(bytes, 0xAB, 8) && IsMemSetTo(bytes, 0xAB, 7));
    EXPECT_FALSE(IsMemSetTo(bytes, 0xAB, 0) || IsMemSetTo(nullptr, 0, 4));
    EXPECT_EQ(GetLineCount(L"", 10), 0);
    EXPECT_EQ(GetLineCount(L"one", 3), 1);
    EXPECT_EQ(GetLineCount(L"a\nb\r\nc\n", 7), 4);
    EXPECT_EQ(GetLineCount(L"a\nb\nc", 2), 2);  // only the first n characters count
}

TEST(Strings, PrintableEraseCursorsAndHeapCopies)
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
    int needed = 0, written = 0;
    build(nullptr, needed);
    EXPECT_EQ(needed, 10);  // "key=value" and the terminator
    GuardedBuffer<wchar_t> buffer(needed);
    EXPECT_EQ(build(buffer.Data(), written), buffer.Data() + needed);  // after the terminator
    EXPECT_EQ(written, needed);
    EXPECT_EQ(buffer.Text(), L"key=value");
    EXPECT_TRUE(buffer.GuardIntact());
    wchar_t text[] = L"abc";
    wchar_t* p = text;
    EXPECT_EQ(PszInc(p), text);
    EXPECT_EQ(IncPsz(p), text + 2);
    EXPECT_EQ(DecPsz(p), text + 1);
    EXPECT_EQ(CharAt(text, 2), L'c');
    wchar_t two[8];
    wchar_t* dst = two;
    const wchar_t* src = L"xy";
    StrCopy(dst, src);  // both cursors end after the terminator
    EXPECT_TRUE(wcscmp(two, L"xy") == 0 && dst == two + 3 && *(src - 1) == 0);

    wchar_t* copy = nullptr;
    int len = -1;
    ASSERT_TRUE(StrAllocCopy(copy, len, L"first", 0));
    EXPECT_TRUE(wcscmp(copy, L"first") == 0 && len == 5);
    ASSERT_TRUE(StrAllocCopy(copy, len, L"second!", 1));
    EXPECT_TRUE(wcscmp(copy, L"second!") == 0 && len == 7);
    ASSERT_TRUE(StrAllocCopy(copy, len, nullptr, 1));
    EXPECT_TRUE(copy == nullptr && len == 0);
    ASSERT_TRUE(StrRealloc(copy, L"x"));
    EXPECT_STREQ(copy, L"x");
    ASSERT_TRUE(StrRealloc(copy, L""));
    EXPECT_EQ(copy, nullptr);
    ASSERT_TRUE(StrRealloc(copy, nullptr));
    EXPECT_EQ(copy, nullptr);
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
        SCOPED_TRACE(testing::Message() << "size " << size);
        GuardedBuffer<char> narrow(size);
        GuardedBuffer<wchar_t> out(size > 7 ? 7 : size);
        wc2utf8(wide, narrow.Data(), size);
        utf82wc(utf8, out.Data(), out.Size());
        EXPECT_TRUE(narrow.GuardIntact() && out.GuardIntact());
        if (!size)
            continue;
        ASSERT_TRUE(narrow.Terminated() && out.Terminated());
        wchar_t decoded[16];
        ASSERT_GT(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, narrow.Text().c_str(), -1, decoded, 16), 0);
        EXPECT_EQ(std::wstring(wide).compare(0, wcslen(decoded), decoded), 0);
        std::wstring text = out.Text();
        EXPECT_EQ(std::wstring(wide).compare(0, text.size(), text), 0);
        EXPECT_FALSE(!text.empty() && IS_HIGH_SURROGATE(text.back()));
    }
    // An unfinished four-byte sequence right before the terminator still ends terminated.
    for (int size : {2, 3, 4, 16}) {
        GuardedBuffer<wchar_t> out(size);
        EXPECT_GT(utf82wc("ab\xF1", out.Data(), size), 0) << size;
        EXPECT_TRUE(out.GuardIntact()) << size;
        ASSERT_TRUE(out.Terminated()) << size;
        EXPECT_EQ(std::wstring(L"ab\xFFFD").compare(0, out.Text().size(), out.Text()), 0) << size;
    }
}

TEST(Encoding, LibraryCodePageFollowsIMBCP)
{
    int saved = iMBCP;
    const char bytes[] = "\xC3\xA9";
    wchar_t out[8];
    char narrow[8];
    iMBCP = CP_UTF8;
    mb2wc(bytes, out, 8);
    EXPECT_STREQ(out, L"\u00E9");
    wc2mb(L"\u00E9", narrow, 8);
    EXPECT_STREQ(narrow, bytes);
    iMBCP = 1252;
    mb2wc(bytes, out, 8);
    EXPECT_STREQ(out, L"\u00C3\u00A9");
    iMBCP = saved;
    EXPECT_EQ(mb2wc(nullptr, out, 8), 1);
    EXPECT_STREQ(out, L"");
    EXPECT_EQ(wc2mb(L"x", narrow, 0), 0);
}

// ---- The string table, resource strings and messages ----

TEST(Resources, LoadingFormattingAndErrorTexts)
{
    EXPECT_TRUE(ResStr(-31999).IsEmpty() && ResStr(0).IsEmpty());
    EXPECT_STREQ(ResStr(-31999), L"");
    // The web-site notice and the unsupported-edition message exist (their wording is ours).
    EXPECT_FALSE(ResStr(-20007).IsEmpty() || ResStr(-20008).IsEmpty());
    ResStr text;
    EXPECT_TRUE(text.Load(-20003));
    EXPECT_STREQ(text, L"Browse for file");
    EXPECT_TRUE(text.Load(20003, test::Library()));  // an explicit module
    EXPECT_STREQ(text, L"Browse for file");
    EXPECT_FALSE(text.Load(-31999));
    EXPECT_STREQ(text, L"");
    text.Load(-1);
    text.Empty();
    EXPECT_TRUE(text.IsEmpty());

    EXPECT_STREQ(ResStrFmt(-4, 300, 200), L"The current Glimpsebox window size is 300 x 200 pixels.");
    EXPECT_STREQ(ResStrFmt(-20015, L"C:\\Program Files\\Glimpsebox\\Glimpsebox.chm"),
                 L"Cannot find the help file C:\\Program Files\\Glimpsebox\\Glimpsebox.chm.");
    EXPECT_EQ(wcslen(ResStrFmt(-20015, std::wstring(5000, L'h').c_str())), 1023u);  // formatting stops there
    wchar_t note[128] = L"Note: ";
    StrAppendTextFmt(note, 128, -4, 16, 9);
    EXPECT_STREQ(note, L"Note: The current Glimpsebox window size is 16 x 9 pixels.");
    EXPECT_EQ(StrAppendTextFmt(note, 128, 0), 0);
    EXPECT_STREQ(note, L"");

    std::wstring notFound = GetLastErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(notFound.empty());
    EXPECT_TRUE(notFound.back() != L'\n' && notFound.back() != L'\r');
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(std::wstring(GetLastErrorText(0)), notFound);
    EXPECT_STREQ(GetLastErrorText(0xE0FFFFFF), L"");  // a code the system has no text for
}

// ---- Bounded writes at sizes 0, 1, one short and exact fit ----

TEST(BoundedWrites, CommandLineStringAndCodePageFunctions)
{
    using Write = std::function<void(wchar_t*, int)>;
    const std::pair<std::wstring, Write> wide[] = {
        {L"C:\\a b\\app.exe", [](wchar_t* b, int n) { GetCmdLnPath(L"  \"C:\\a b\\app.exe\" /x", b, n); }},
        {L"/x:1 /y", [](wchar_t* b, int n) { GetCmdLnArg(L"\"C:\\a b\\app.exe\"  /x:1 /y", b, n); }},
        {L"some data", [](wchar_t* b, int n) { GetCmdLineSwitchData(L"/x:some data", b, n); }},
        {L"C:\\a b\\app", [](wchar_t* b, int n) { ParseCmdLn(L"\"C:\\a b\\app\" rest", b, nullptr, n, 0); }},
        {L"-one -two", [](wchar_t* b, int n) {
             wchar_t path[MAX_PATH];
             ParseCmdLn(L"app -one -two", path, b, MAX_PATH, n);
         }},
        {L"quoted path", [](wchar_t* b, int n) { RemoveWhiteSpacesAndQuotes(b, L"  \" quoted path \" ", n); }},
        {L"say hello, hello", [](wchar_t* b, int n) { StrReplace(b, n, L"say %N, %N", L"%N", L"hello"); }},
        {L"Browse for file", [](wchar_t* b, int n) {
             if (n)
                 b[0] = 0;
             StrAppendTextFmt(b, n, -20003);
         }},
        {L"\u00E9t\u00E9 \u4E2D", [](wchar_t* b, int n) { utf82wc("\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD", b, n); }},
        {L"ansi", [](wchar_t* b, int n) { mb2wcANSI("ansi", b, n); }},
        {L"oem text", [](wchar_t* b, int n) { mb2wcOEM("oem text", b, n); }},
        {L"library", [](wchar_t* b, int n) { mb2wc("library", b, n); }},
    };
    for (const auto& c : wide)
        ExpectBounded<wchar_t>(c.first, c.second);
    ExpectBounded<char>("plain ascii", [](char* b, int n) { wc2mbANSI(L"plain ascii", b, n); });
    ExpectBounded<char>("oem", [](char* b, int n) { wc2mbOEM(L"oem", b, n); });
    ExpectBounded<char>("code page", [](char* b, int n) { wc2mb(L"code page", b, n); });
    ExpectBounded<char>("\xC3\xA9t\xC3\xA9", [](char* b, int n) { wc2utf8(L"\u00E9t\u00E9", b, n); }, false);
}
