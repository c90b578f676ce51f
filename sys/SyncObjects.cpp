// CritSec, EventSimple, MyMutex and SingleInstanceXP.
#include "sys/SyncObjects.h"

#include "sys/SysInfo.h"

#include <strsafe.h>

namespace {

const size_t NameChars = 260;

// Windows 2000 or later: the systems with per-session object namespaces.
bool HasSessionNamespaces()
{
    return Win2K() || WinXP();
}

} // namespace

CritSec::CritSec()
{
    InitializeCriticalSection(&section);
}

CritSec::~CritSec()
{
    DeleteCriticalSection(&section);
}

void CritSec::Enter()
{
    EnterCriticalSection(&section);
}

void CritSec::Leave()
{
    LeaveCriticalSection(&section);
}

void CritSec::Wait()
{
    EnterCriticalSection(&section);
    LeaveCriticalSection(&section);
}

EventSimple::EventSimple() : handle(nullptr), alreadyExisted(FALSE)
{
    Open(nullptr, FALSE, FALSE);
}

EventSimple::EventSimple(const wchar_t* name, BOOL manualReset, BOOL initialState)
    : handle(nullptr), alreadyExisted(FALSE)
{
    Open(name, manualReset, initialState);
}

EventSimple::~EventSimple()
{
    Close();
}

bool EventSimple::Open(const wchar_t* name, BOOL manualReset, BOOL initialState)
{
    Close();
    SetLastError(ERROR_SUCCESS);
    handle = CreateEventW(nullptr, manualReset, initialState, name);
    alreadyExisted = handle && GetLastError() == ERROR_ALREADY_EXISTS;
    return handle != nullptr;
}

void EventSimple::Close()
{
    if (handle)
        CloseHandle(handle);
    handle = nullptr;
}

BOOL EventSimple::Set(BOOL on)
{
    if (!handle)
        return FALSE;
    return on ? SetEvent(handle) : ResetEvent(handle);
}

BOOL EventSimple::Clear()
{
    return handle ? ResetEvent(handle) : FALSE;
}

bool EventSimple::WaitSignalled(DWORD timeout)
{
    return handle && WaitForSingleObject(handle, timeout) == WAIT_OBJECT_0;
}

MyMutex::MyMutex(BOOL global, const wchar_t* name) : handle(nullptr)
{
    if (!name) {
        handle = CreateMutexW(nullptr, FALSE, nullptr);
        return;
    }
    const wchar_t* prefix = L"";
    if (HasSessionNamespaces())
        prefix = global ? L"Global\\" : L"Local\\";
    wchar_t fullName[NameChars];
    StringCchPrintfW(fullName, NameChars, L"%ls%ls", prefix, name);
    handle = CreateMutexW(nullptr, FALSE, fullName);
}

MyMutex::~MyMutex()
{
    if (handle)
        CloseHandle(handle);
}

bool MyMutex::Wait(DWORD timeout)
{
    if (!handle)
        return false;
    DWORD result = WaitForSingleObject(handle, timeout);
    // An abandoned mutex is owned now; holding it unasked would lock out everyone else.
    if (result == WAIT_ABANDONED)
        ReleaseMutex(handle);
    return result == WAIT_OBJECT_0;
}

BOOL MyMutex::Release()
{
    return handle ? ReleaseMutex(handle) : FALSE;
}

SingleInstanceXP::~SingleInstanceXP()
{
    if (handle)
        CloseHandle(handle);
}

bool SingleInstanceXP::IsFirstInstance(BOOL global, const wchar_t* appName)
{
    // Older systems have no namespaces to mark an instance in: every start is the first.
    if (!HasSessionNamespaces())
        return true;
    if (handle)
        return true;
    wchar_t name[NameChars];
    StringCchPrintfW(name, NameChars, L"%ls\\Corvantrix_App_%ls", global ? L"Global" : L"Local",
                     appName ? appName : L"");
    SetLastError(ERROR_SUCCESS);
    handle = CreateEventW(nullptr, FALSE, FALSE, name);
    if (handle && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(handle);
        handle = nullptr;
    }
    return handle != nullptr;
}
