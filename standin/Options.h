// Command line of StandinShell.exe.
#pragma once

#include <string>

namespace standin {

enum class Mode { Desktop, Items };

// Item index at which a read of the list view (LVM_GETITEMW) fails on purpose; -1: never.
struct FailurePlan {
    int hangAt = -1;
    int exitAt = -1;
    int deleteAt = -1;
};

struct Options {
    Mode mode = Mode::Desktop;
    std::wstring fillPath;  // desktop mode: items to create in the Desktop folder
    std::wstring itemsPath; // items mode: the stand-in's own list view content
    std::wstring logPath;
    bool showMenus = true;
    bool logRequests = true;  // --quiet: set-up lines only, for measurements
    FailurePlan failures;
};

// Parses this process's command line. Returns false with a reason in error; options then holds
// whatever was parsed before the fault (the log path in particular, so the reason can be logged).
bool ParseCommandLine(Options& options, std::wstring& error);

} // namespace standin
