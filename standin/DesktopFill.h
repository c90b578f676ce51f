// Desktop mode's fill file: items made in the real Desktop folder, then placed in the shell's list view.
#pragma once

#include "standin/Log.h"
#include "standin/Text.h"

#include <windows.h>

#include <string>
#include <vector>

namespace standin {

class ListViewSpy;

enum class FillKind { File, Folder, Shortcut };

struct FillEntry {
    FillKind kind;
    std::wstring name;
    std::wstring text;      // file: content
    std::wstring target;    // shortcut
    std::wstring arguments; // shortcut
    std::wstring workdir;   // shortcut, optional
};

struct Placement {
    std::wstring label;
    POINT position;
};

struct FillPlan {
    bool clean = false;
    std::vector<FillEntry> entries;
    std::vector<Placement> placements;
};

// Malformed lines are logged as "error ..." and skipped.
FillPlan ParseFill(const std::vector<ContentLine>& lines, const Log& log);

// Logs an "error" line when the Desktop folder is a link out of the prefix (Wine links a new
// prefix's Desktop to the user's home folder); the view then shows whatever that holds.
void WarnIfDesktopIsLink(const Log& log);

// Creates the plan's items in the Desktop folder (cleaning it first if asked).
// Returns false, logged, when the folder itself is unusable; a single item that fails is logged and skipped.
bool ApplyFill(const FillPlan& plan, const Log& log);

// Places every item of the shell's list view on a grid in label order, then applies the plan's
// placements. Uses the spy's quiet channel so nothing of this is logged as a request.
void ArrangeItems(ListViewSpy& listView, HWND listWindow, const FillPlan& plan, const Log& log);

} // namespace standin
