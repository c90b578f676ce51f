// Owners of a critical section, an event and a mutex, and the single-instance marker.
#pragma once

#include <windows.h>

#include "sys/Api.h"

// One system critical section, initialised and deleted with the object.
class GLMBX_API CritSec {
public:
    CritSec();
    ~CritSec();
    CritSec(const CritSec&) = delete;
    CritSec& operator=(const CritSec&) = delete;

    void Enter();
    void Leave();
    // Returns once no other thread holds the section (enters and leaves at once).
    void Wait();

private:
    CRITICAL_SECTION section;
};

// Holds a CritSec for the life of a block.
class GLMBX_API CritSecLock {
public:
    explicit CritSecLock(CritSec& section) : held(section) { held.Enter(); }
    ~CritSecLock() { held.Leave(); }
    CritSecLock(const CritSecLock&) = delete;
    CritSecLock& operator=(const CritSecLock&) = delete;

private:
    CritSec& held;
};

// An event handle (null when none) and whether a named event existed before this object
// opened it. A failed creation leaves the handle null: IsReady() says so, waits answer false.
class GLMBX_API EventSimple {
public:
    // An unnamed auto-reset event that starts not signalled.
    EventSimple();
    // A null name makes an unnamed event.
    EventSimple(const wchar_t* name, BOOL manualReset, BOOL initialState);
    ~EventSimple();
    EventSimple(const EventSimple&) = delete;
    EventSimple& operator=(const EventSimple&) = delete;

    // Closes what the object held, then creates or opens the event; whether a handle came.
    bool Open(const wchar_t* name, BOOL manualReset, BOOL initialState);
    void Close();

    // SetEvent when on, else ResetEvent.
    BOOL Set(BOOL on = TRUE);
    BOOL Clear();
    // True exactly when the wait ends because the event is signalled (not on time-out,
    // abandonment or failure).
    bool WaitSignalled(DWORD timeout);

    bool IsReady() const { return handle != nullptr; }
    bool IsAreadyExists() const { return alreadyExisted != FALSE; }
    HANDLE* GetHandleAddr() { return &handle; }
    operator HANDLE() const { return handle; }

private:
    HANDLE handle;
    BOOL alreadyExisted;
};

// A named mutex in the session's ("Local\") or the machine's ("Global\") namespace.
class GLMBX_API MyMutex {
public:
    // The name is cut to fit 260 characters with its prefix; a null name makes an unnamed one.
    MyMutex(BOOL global, const wchar_t* name);
    ~MyMutex();
    MyMutex(const MyMutex&) = delete;
    MyMutex& operator=(const MyMutex&) = delete;

    bool IsReady() const { return handle != nullptr; }
    // True exactly when the mutex was obtained normally. One left abandoned by a thread
    // that ended is released again at once and reported as not obtained.
    bool Wait(DWORD timeout);
    BOOL Release();

private:
    HANDLE handle;
};

// The marker of a program's first instance: a named event that lives as long as the
// object, so the first instance keeps the object for its whole run.
class GLMBX_API SingleInstanceXP {
public:
    SingleInstanceXP() : handle(nullptr) {}
    ~SingleInstanceXP();
    SingleInstanceXP(const SingleInstanceXP&) = delete;
    SingleInstanceXP& operator=(const SingleInstanceXP&) = delete;

    // True when no other object, in any process of the session (or of the machine, when
    // global), holds the marker "Local\Corvantrix_App_<appName>" ("Global\..."); this
    // object then holds it. An object that already holds its marker answers true again.
    bool IsFirstInstance(BOOL global, const wchar_t* appName);

private:
    HANDLE handle;
};
