// Watches the desktop's list view from inside: logs what it is asked and injects failures on reads.
#pragma once

#include "standin/Log.h"
#include "standin/Options.h"

#include <windows.h>

#include <string>

namespace standin {

class ListViewSpy {
public:
    ListViewSpy(const Log& log, FailurePlan failures) : log_(log), failures_(failures) {}
    ~ListViewSpy() { Detach(); }
    ListViewSpy(const ListViewSpy&) = delete;
    ListViewSpy& operator=(const ListViewSpy&) = delete;

    // Subclasses the list view (same thread). Returns false if it could not.
    bool Attach(HWND listView);
    void Detach();
    // Failures are injected only from now on: the stand-in's own set-up never trips them.
    void Arm() { armed_ = true; }
    // Without request lines the log costs a measurement nothing per request.
    void SetLogRequests(bool on) { logRequests_ = on; }

    // Sends to the list view without logging: the stand-in's own questions are not the product's.
    LRESULT SendQuiet(UINT message, WPARAM wParam, LPARAM lParam);

    // True while the list view handles a double click (its activation notices are one opening).
    bool InDoubleClick() const { return inDoubleClick_; }
    // Changes with every double click the list view receives.
    unsigned DoubleClickSerial() const { return doubleClickSerial_; }

    // The "item <i> icon=... label=..." lines, one per item in index order.
    void LogItems();
    // The item's full text, however long.
    std::wstring ItemText(int item);

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT CallOriginal(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void BeforeItemRead(LPARAM lParam);

    const Log& log_;
    FailurePlan failures_;
    HWND listView_ = nullptr;
    WNDPROC original_ = nullptr;
    bool armed_ = false;
    bool logRequests_ = true;
    bool deleted_ = false;
    int quiet_ = 0;
    bool inDoubleClick_ = false;
    unsigned doubleClickSerial_ = 0;
};

} // namespace standin
