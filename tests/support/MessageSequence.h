// Message sequences as Wine's user32 tests check them: record what arrives, compare with a static table.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace test {

// Flags of an expected entry: the entry may be missing; wParam / lParam must match too.
enum : unsigned { SeqOptional = 1, SeqWParam = 2, SeqLParam = 4 };

// One expected step. "who" names the receiver (an object, a hook, a procedure) or, with
// msg 0, an event such as a virtual call. A table ends with an entry whose who is null.
struct SeqEntry {
    const char* who;
    UINT msg = 0;
    unsigned flags = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

struct SeqRecord {
    std::string who;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::string MessageName(UINT msg)
{
    static const struct {
        UINT msg;
        const char* name;
    } names[] = {
        {WM_CREATE, "WM_CREATE"}, {WM_DESTROY, "WM_DESTROY"}, {WM_SIZE, "WM_SIZE"}, {WM_ACTIVATE, "WM_ACTIVATE"},
        {WM_SETFOCUS, "WM_SETFOCUS"}, {WM_KILLFOCUS, "WM_KILLFOCUS"}, {WM_SETTEXT, "WM_SETTEXT"},
        {WM_PAINT, "WM_PAINT"}, {WM_CLOSE, "WM_CLOSE"}, {WM_ERASEBKGND, "WM_ERASEBKGND"},
        {WM_SHOWWINDOW, "WM_SHOWWINDOW"}, {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"},
        {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"}, {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"},
        {WM_NOTIFY, "WM_NOTIFY"}, {WM_NCCREATE, "WM_NCCREATE"}, {WM_NCDESTROY, "WM_NCDESTROY"},
        {WM_NCHITTEST, "WM_NCHITTEST"}, {WM_COMMAND, "WM_COMMAND"}, {WM_TIMER, "WM_TIMER"},
    };
    for (const auto& entry : names) {
        if (entry.msg == msg)
            return entry.name;
    }
    char text[32];
    if (msg >= WM_APP && msg < 0xC000)
        std::snprintf(text, sizeof(text), "WM_APP+%u", msg - WM_APP);
    else
        std::snprintf(text, sizeof(text), "0x%04X", msg);
    return text;
}

class MessageLog {
public:
    void Add(const char* who, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        if (recording)
            records.push_back(SeqRecord{who, msg, wParam, lParam});
    }
    // An event: a virtual call or a step of a test, shown by name alone.
    void Event(const char* what) { Add(what, 0); }
    void Clear() { records.clear(); }
    void Pause(bool paused) { recording = !paused; }
    const std::vector<SeqRecord>& Records() const { return records; }
    int Count(const char* who) const
    {
        return static_cast<int>(std::count_if(records.begin(), records.end(), [who](const SeqRecord& r) { return r.who == who; }));
    }

private:
    std::vector<SeqRecord> records;
    bool recording = true;
};

namespace detail {

inline std::string Describe(const char* who, UINT msg, unsigned flags, WPARAM wParam, LPARAM lParam)
{
    char extra[64] = "";
    if (flags & SeqWParam)
        std::snprintf(extra, sizeof(extra), " w=%#lx", static_cast<unsigned long>(wParam));
    if (flags & SeqLParam)
        std::snprintf(extra + std::strlen(extra), 32, " l=%#lx", static_cast<unsigned long>(lParam));
    return std::string(who) + (msg ? " " + MessageName(msg) : "") + extra + ((flags & SeqOptional) ? " (optional)" : "");
}

inline bool Matches(const SeqEntry& expected, const SeqRecord& got)
{
    return got.who == expected.who && got.msg == expected.msg &&
           (!(expected.flags & SeqWParam) || got.wParam == expected.wParam) &&
           (!(expected.flags & SeqLParam) || got.lParam == expected.lParam);
}

} // namespace detail

// Walks both lists as Wine's ok_sequence does: optional entries that do not match are
// skipped; anything else that differs is a failure, reported with both sequences side by side.
inline ::testing::AssertionResult OkSequence(const MessageLog& log, const SeqEntry* expected)
{
    const std::vector<SeqRecord>& got = log.Records();
    size_t e = 0, g = 0;
    while (expected[e].who && g < got.size()) {
        if (detail::Matches(expected[e], got[g]))
            ++g;
        else if (!(expected[e].flags & SeqOptional))
            break;
        ++e;
    }
    while (g == got.size() && expected[e].who && (expected[e].flags & SeqOptional))
        ++e;
    if (!expected[e].who && g == got.size())
        return ::testing::AssertionSuccess();

    size_t count = 0;
    while (expected[count].who)
        ++count;
    std::string table = "message sequence differs (expected #" + std::to_string(e) + ", received #" +
                        std::to_string(g) + ")\n";
    for (size_t i = 0; i < count || i < got.size(); ++i) {
        std::string left = i < count ? detail::Describe(expected[i].who, expected[i].msg, expected[i].flags,
                                                        expected[i].wParam, expected[i].lParam)
                                     : "";
        std::string right = i < got.size() ? detail::Describe(got[i].who.c_str(), got[i].msg, SeqWParam | SeqLParam,
                                                              got[i].wParam, got[i].lParam)
                                           : "";
        char line[240];
        std::snprintf(line, sizeof(line), "  %-3zu %-48s | %s%s\n", i, left.c_str(), right.c_str(),
                      (i == e || i == g) ? " <--" : "");
        table += line;
    }
    return ::testing::AssertionFailure() << table;
}

} // namespace test
