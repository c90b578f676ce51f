// Message sequences as Wine's user32 tests check them: record what arrives, compare with a static table.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ui/CSWnd.h"

namespace test {

// A window hook that counts one message and passes every message on.
struct MessageCounter : WMHook {
    explicit MessageCounter(UINT counted) : message(counted) {}
    int OnWndMessage(CSWnd*, UINT msg, WPARAM, LPARAM, LRESULT*) override { count += msg == message; return 0; }
    UINT message;
    int count = 0;
};

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
    static const std::pair<UINT, const char*> names[] = {{WM_CREATE, "WM_CREATE"}, {WM_DESTROY, "WM_DESTROY"},
        {WM_NCCREATE, "WM_NCCREATE"}, {WM_NCDESTROY, "WM_NCDESTROY"}, {WM_CLOSE, "WM_CLOSE"}, {WM_COMMAND, "WM_COMMAND"}};
    for (const auto& entry : names) {
        if (entry.first == msg)
            return entry.second;
    }
    char text[32];
    std::snprintf(text, sizeof(text), msg >= WM_APP && msg < 0xC000 ? "WM_APP+%u" : "0x%04X",
                  msg >= WM_APP && msg < 0xC000 ? msg - WM_APP : msg);
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
        auto named = [who](const SeqRecord& r) { return r.who == who; };
        return static_cast<int>(std::count_if(records.begin(), records.end(), named));
    }

private:
    std::vector<SeqRecord> records;
    bool recording = true;
};

// Walks both lists as Wine's ok_sequence does: optional entries that do not match are
// skipped; anything else that differs is a failure, reported with both sequences side by side.
inline ::testing::AssertionResult OkSequence(const MessageLog& log, const SeqEntry* expected)
{
    const std::vector<SeqRecord>& got = log.Records();
    auto matches = [](const SeqEntry& want, const SeqRecord& r) {
        return r.who == want.who && r.msg == want.msg && (!(want.flags & SeqWParam) || r.wParam == want.wParam) &&
               (!(want.flags & SeqLParam) || r.lParam == want.lParam);
    };
    size_t e = 0, g = 0;
    for (; expected[e].who && g < got.size(); ++e) {
        if (matches(expected[e], got[g]))
            ++g;
        else if (!(expected[e].flags & SeqOptional))
            break;
    }
    while (g == got.size() && expected[e].who && (expected[e].flags & SeqOptional))
        ++e;
    if (!expected[e].who && g == got.size())
        return ::testing::AssertionSuccess();

    auto describe = [](const std::string& who, UINT msg, unsigned flags, WPARAM wParam, LPARAM lParam) {
        char text[160];
        std::snprintf(text, sizeof(text), "%s%s%s w=%#lx l=%#lx%s", who.c_str(), msg ? " " : "",
                      msg ? MessageName(msg).c_str() : "", static_cast<unsigned long>(wParam),
                      static_cast<unsigned long>(lParam), (flags & SeqOptional) ? " (optional)" : "");
        return std::string(text);
    };
    std::string table = "message sequence differs at expected #" + std::to_string(e) + ", received #" +
                        std::to_string(g) + " (expected | received; w and l count only where the table asks):\n";
    size_t count = 0;
    while (expected[count].who)
        ++count;
    for (size_t i = 0; i < count || i < got.size(); ++i) {
        const SeqEntry& want = i < count ? expected[i] : expected[count];
        table += "  " + std::to_string(i) + "  " +
                 (i < count ? describe(want.who, want.msg, want.flags, want.wParam, want.lParam) : std::string()) + " | " +
                 (i < got.size() ? describe(got[i].who, got[i].msg, 0, got[i].wParam, got[i].lParam) : std::string()) +
                 (i == e || i == g ? "  <--" : "") + "\n";
    }
    return ::testing::AssertionFailure() << table;
}

} // namespace test
