// Shortcuts: the owners of a shell link object and of its persistence interfaces, and the
// functions that create, read and resolve shortcut files.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "sys/Api.h"
#include "sys/iUnk.h"

// A new shell link object (CLSID_ShellLink). Getters fill buffers of bufChars characters, cut to
// fit, and give false (and an empty buffer) when the link cannot answer; setters return whether
// the link took the value. Nothing works on a wrapper whose object could not be made.
class GLMBX_API iShellLink : public iPtr<IShellLinkW> {
public:
    iShellLink();

    // flags: SLGP_... (raw path, short path...).
    BOOL GetPath(wchar_t* buf, int bufChars, DWORD flags = 0);
    BOOL SetPath(const wchar_t* path);
    BOOL GetArguments(wchar_t* buf, int bufChars);
    BOOL SetArguments(const wchar_t* args);
    BOOL GetDescription(wchar_t* buf, int bufChars);
    BOOL SetDescription(const wchar_t* text);
    BOOL GetWorkingDirectory(wchar_t* buf, int bufChars);
    BOOL SetWorkingDirectory(const wchar_t* folder);
    BOOL GetIconLocation(wchar_t* buf, int bufChars, int& index);
    BOOL SetIconLocation(const wchar_t* file, int index);
    // The hot key as HOTKEYF_ modifiers in the high byte and the virtual key in the low one.
    BOOL GetHotkey(WORD& hotkey);
    BOOL SetHotkey(WORD hotkey);
    BOOL GetShowCmd(int& show);
    BOOL SetShowCmd(int show);
    // The target's absolute list (the caller frees it), or null.
    ITEMIDLIST* GetIDList();
    BOOL SetIDList(const ITEMIDLIST* list);
    BOOL SetRelativePath(const wchar_t* path);

    // Reads or writes the shortcut file (through the object's IPersistFile).
    BOOL Load(const wchar_t* file);
    BOOL Save(const wchar_t* file);
    // Finds the target when it has moved: SLR_ flags (with SLR_NO_UI the high word is the
    // time limit in milliseconds); owner parents any window the shell shows.
    BOOL Resolve(HWND owner, DWORD flags);
    // Opens the target as the shortcut would: its list, arguments, working folder and show
    // command, through the shell. True when the shell started it.
    BOOL Execute(HWND owner);
};

// The file persistence of an object (by default a link's).
class GLMBX_API iPersistFile : public iPtr<IPersistFile> {
public:
    iPersistFile() = default;
    // The object's IPersistFile; IsReady tells whether it has one.
    explicit iPersistFile(IUnknown* object);

    // Replaces what is held by the object's IPersistFile.
    BOOL Open(IUnknown* object);
    // mode: STGM_... flags.
    BOOL Load(const wchar_t* file, DWORD mode);
    // remember: whether the file becomes the object's current file.
    BOOL Save(const wchar_t* file, BOOL remember);
};

// The stream persistence of an object (by default a link's).
class GLMBX_API iPersistStream : public iPtr<IPersistStream> {
public:
    iPersistStream() = default;
    explicit iPersistStream(IUnknown* object);

    BOOL Open(IUnknown* object);
    BOOL Load(IStream* stream);
    BOOL Save(IStream* stream, BOOL clearDirty);
};

// Creates a shortcut file linkFile to target (with args when given); true when it was saved.
GLMBX_API BOOL CreateLink(const wchar_t* target, const wchar_t* linkFile, const wchar_t* args = nullptr);
// target (MAX_PATH characters) = what path leads to: path itself when the shell does not
// take it for a link (true); for a link its stored target, resolved first with flags unless
// noResolve (false when resolving fails or the link has no file-system target). link and
// file are the caller's objects, so it can read the link's other fields afterwards; a file
// wrapper that is not ready is opened on the link.
GLMBX_API BOOL ResolveLink(HWND owner, iShellLink& link, iPersistFile& file, const wchar_t* path, wchar_t* target,
                           DWORD flags, BOOL noResolve);
// Replaces a shortcut path (MAX_PATH buffer) by its target, resolved by the shell: it may
// search and ask (SLR_ANY_MATCH), or with noUI nothing is shown, updated or searched. Any
// other path stays (true); a link that cannot be resolved stays too (false).
GLMBX_API BOOL ResolveShortcut(HWND owner, wchar_t* path, int noUI);
// The target (MAX_PATH characters) stored in the shortcut link, without resolving it.
GLMBX_API BOOL GetShortcutTargetPath(wchar_t* target, const wchar_t* link);
