// Shortcuts: the shell link object, its persistence, and creating, reading and resolving links.
#include "sys/iShellLink.h"

#include <shellapi.h>

#include "sys/PIDL.h"
#include "sys/ShellNames.h"
#include "sys/TextTrunc.h"

namespace {

// A getter of the link into buf: empty on failure, always terminated.
template <class Getter>
BOOL GetLinkText(IShellLinkW* link, wchar_t* buf, int bufChars, Getter get)
{
    if (!buf || bufChars < 1)
        return FALSE;
    buf[0] = 0;
    if (!link)
        return FALSE;
    HRESULT hr = get(link);
    buf[bufChars - 1] = 0;
    if (hr != S_OK) {
        buf[0] = 0;
        return FALSE;
    }
    return TRUE;
}

BOOL Took(IShellLinkW* link, HRESULT (STDMETHODCALLTYPE IShellLinkW::*set)(LPCWSTR), const wchar_t* text)
{
    return link && SUCCEEDED((link->*set)(text ? text : L""));
}

} // namespace

// ---- iShellLink ----

iShellLink::iShellLink()
{
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, PutVoid());
}

BOOL iShellLink::GetPath(wchar_t* buf, int bufChars, DWORD flags)
{
    return GetLinkText(ptr, buf, bufChars, [&](IShellLinkW* link) {
        WIN32_FIND_DATAW found = {};
        return link->GetPath(buf, bufChars, &found, flags);
    });
}

BOOL iShellLink::SetPath(const wchar_t* path)
{
    return Took(ptr, &IShellLinkW::SetPath, path);
}

BOOL iShellLink::GetArguments(wchar_t* buf, int bufChars)
{
    return GetLinkText(ptr, buf, bufChars, [&](IShellLinkW* link) { return link->GetArguments(buf, bufChars); });
}

BOOL iShellLink::SetArguments(const wchar_t* args)
{
    return Took(ptr, &IShellLinkW::SetArguments, args);
}

BOOL iShellLink::GetDescription(wchar_t* buf, int bufChars)
{
    return GetLinkText(ptr, buf, bufChars, [&](IShellLinkW* link) { return link->GetDescription(buf, bufChars); });
}

BOOL iShellLink::SetDescription(const wchar_t* text)
{
    return Took(ptr, &IShellLinkW::SetDescription, text);
}

BOOL iShellLink::GetWorkingDirectory(wchar_t* buf, int bufChars)
{
    return GetLinkText(ptr, buf, bufChars,
                       [&](IShellLinkW* link) { return link->GetWorkingDirectory(buf, bufChars); });
}

BOOL iShellLink::SetWorkingDirectory(const wchar_t* folder)
{
    return Took(ptr, &IShellLinkW::SetWorkingDirectory, folder);
}

BOOL iShellLink::GetIconLocation(wchar_t* buf, int bufChars, int& index)
{
    index = 0;
    return GetLinkText(ptr, buf, bufChars,
                       [&](IShellLinkW* link) { return link->GetIconLocation(buf, bufChars, &index); });
}

BOOL iShellLink::SetIconLocation(const wchar_t* file, int index)
{
    return ptr && SUCCEEDED(ptr->SetIconLocation(file ? file : L"", index));
}

BOOL iShellLink::GetHotkey(WORD& hotkey)
{
    hotkey = 0;
    return ptr && SUCCEEDED(ptr->GetHotkey(&hotkey));
}

BOOL iShellLink::SetHotkey(WORD hotkey)
{
    return ptr && SUCCEEDED(ptr->SetHotkey(hotkey));
}

BOOL iShellLink::GetShowCmd(int& show)
{
    show = SW_SHOWNORMAL;
    return ptr && SUCCEEDED(ptr->GetShowCmd(&show));
}

BOOL iShellLink::SetShowCmd(int show)
{
    return ptr && SUCCEEDED(ptr->SetShowCmd(show));
}

ITEMIDLIST* iShellLink::GetIDList()
{
    ITEMIDLIST* list = nullptr;
    if (!ptr || ptr->GetIDList(&list) != S_OK)
        return nullptr;
    return list;
}

BOOL iShellLink::SetIDList(const ITEMIDLIST* list)
{
    return ptr && list && SUCCEEDED(ptr->SetIDList(list));
}

BOOL iShellLink::SetRelativePath(const wchar_t* path)
{
    return ptr && path && SUCCEEDED(ptr->SetRelativePath(path, 0));
}

BOOL iShellLink::Load(const wchar_t* file)
{
    return iPersistFile(ptr).Load(file, STGM_READ);
}

BOOL iShellLink::Save(const wchar_t* file)
{
    return iPersistFile(ptr).Save(file, TRUE);
}

BOOL iShellLink::Resolve(HWND owner, DWORD flags)
{
    // S_FALSE: the user gave up the search.
    return ptr && ptr->Resolve(owner, flags) == S_OK;
}

BOOL iShellLink::Execute(HWND owner)
{
    if (!ptr)
        return FALSE;
    PIDL target;
    target.Attach(GetIDList());
    wchar_t path[MAX_PATH];
    wchar_t args[1024];
    wchar_t folder[MAX_PATH];
    GetPath(path, MAX_PATH);
    GetArguments(args, 1024);
    GetWorkingDirectory(folder, MAX_PATH);
    int show = SW_SHOWNORMAL;
    GetShowCmd(show);
    if (!target.IsReady() && !path[0])
        return FALSE;

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC | (target.IsReady() ? SEE_MASK_INVOKEIDLIST : 0);
    info.hwnd = owner;
    info.lpIDList = target;
    info.lpFile = path[0] ? path : nullptr;
    info.lpParameters = args[0] ? args : nullptr;
    info.lpDirectory = folder[0] ? folder : nullptr;
    info.nShow = show;
    return ShellExecuteExW(&info);
}

// ---- Persistence ----

iPersistFile::iPersistFile(IUnknown* object)
{
    Open(object);
}

BOOL iPersistFile::Open(IUnknown* object)
{
    Release();
    return object && SUCCEEDED(object->QueryInterface(IID_IPersistFile, PutVoid())) && ptr;
}

BOOL iPersistFile::Load(const wchar_t* file, DWORD mode)
{
    return ptr && file && *file && SUCCEEDED(ptr->Load(file, mode));
}

BOOL iPersistFile::Save(const wchar_t* file, BOOL remember)
{
    return ptr && file && *file && SUCCEEDED(ptr->Save(file, remember));
}

iPersistStream::iPersistStream(IUnknown* object)
{
    Open(object);
}

BOOL iPersistStream::Open(IUnknown* object)
{
    Release();
    return object && SUCCEEDED(object->QueryInterface(IID_IPersistStream, PutVoid())) && ptr;
}

BOOL iPersistStream::Load(IStream* stream)
{
    return ptr && stream && SUCCEEDED(ptr->Load(stream));
}

BOOL iPersistStream::Save(IStream* stream, BOOL clearDirty)
{
    return ptr && stream && SUCCEEDED(ptr->Save(stream, clearDirty));
}

// ---- Shortcut files ----

BOOL CreateLink(const wchar_t* target, const wchar_t* linkFile, const wchar_t* args)
{
    if (!target || !*target || !linkFile || !*linkFile)
        return FALSE;
    iShellLink link;
    if (!link.SetPath(target))
        return FALSE;
    if (args && *args && !link.SetArguments(args))
        return FALSE;
    return link.Save(linkFile);
}

BOOL ResolveLink(HWND owner, iShellLink& link, iPersistFile& file, const wchar_t* path, wchar_t* target, DWORD flags,
                 BOOL noResolve)
{
    if (!target)
        return FALSE;
    target[0] = 0;
    // A path the target buffer cannot hold names nothing this can return.
    if (!path || !*path || wcslen(path) >= MAX_PATH)
        return FALSE;
    if (!(GetAttributesOf(path) & SFGAO_LINK)) {
        textbuf::Copy(target, MAX_PATH, path);
        return TRUE;
    }
    if (!link.IsReady() || (!file.IsReady() && !file.Open(link)) || !file.Load(path, STGM_READ))
        return FALSE;
    if (!noResolve && !link.Resolve(owner, flags))
        return FALSE;
    return link.GetPath(target, MAX_PATH) && target[0];
}

BOOL ResolveShortcut(HWND owner, wchar_t* path, int noUI)
{
    if (!path)
        return FALSE;
    const DWORD flags = noUI ? SLR_NO_UI | SLR_NOUPDATE | SLR_NOSEARCH | SLR_NOTRACK | SLR_NOLINKINFO : SLR_ANY_MATCH;
    iShellLink link;
    iPersistFile file;
    wchar_t target[MAX_PATH];
    if (!ResolveLink(owner, link, file, path, target, flags, FALSE))
        return FALSE;
    textbuf::Copy(path, MAX_PATH, target);
    return TRUE;
}

BOOL GetShortcutTargetPath(wchar_t* target, const wchar_t* link)
{
    iShellLink shellLink;
    iPersistFile file;
    return ResolveLink(nullptr, shellLink, file, link, target, 0, TRUE);
}
