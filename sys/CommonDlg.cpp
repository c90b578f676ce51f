// The system's file and colour dialogs with the library's defaults.
#include "sys/CommonDlg.h"

#include <shlobj.h>

#include <cderr.h>
#include <commdlg.h>

#include <cwchar>
#include <new>

#include "res/StringIds.h"
#include "sys/PathUtil.h"
#include "sys/ResStr.h"
#include "sys/TextTrunc.h"

namespace {

const int FilterChars = 1024;
const COLORREF NoColor = 0x0FFFFFFF;

} // namespace

int PrepareBrowseFilter(const wchar_t* filter, wchar_t* out, int outChars)
{
    if (!out || outChars < 2)
        return 0;
    out[0] = out[1] = 0;
    ResStr allFiles(-IDS_ALL_FILES_FILTER);
    const wchar_t* all = allFiles.IsEmpty() ? L"|All Files|*.*|" : static_cast<const wchar_t*>(allFiles);
    size_t filterLength = filter ? wcslen(filter) : 0;
    wchar_t* text = new (std::nothrow) wchar_t[filterLength + wcslen(all) + 2];
    if (!text)
        return 2;
    if (!filterLength) {
        wcscpy(text, all + (all[0] == L'|' ? 1 : 0));
    } else {
        wcscpy(text, filter);
        if (filter[filterLength - 1] != L'|')
            wcscat(text, all);
    }
    size_t length = wcslen(text);
    if (length && text[length - 1] != L'|') {
        text[length++] = L'|';
        text[length] = 0;
    }
    // The last bar becomes the first of the two final zeros. What does not fit is cut after
    // the last whole description-and-pattern pair, so the dialog never sees half of one.
    size_t keep = length;
    if (keep + 1 > static_cast<size_t>(outChars)) {
        keep = 0;
        int bars = 0;
        for (size_t i = 0; i < length; ++i) {
            if (text[i] == L'|' && ++bars % 2 == 0 && i + 2 <= static_cast<size_t>(outChars))
                keep = i + 1;
        }
    }
    for (size_t i = 0; i < keep; ++i)
        out[i] = text[i] == L'|' ? 0 : text[i];
    delete[] text;
    out[keep] = 0;
    return keep ? static_cast<int>(keep + 1) : 2;
}

int BrowseForFile(HWND owner, int save, wchar_t* path, const wchar_t* title, const wchar_t* initialDir,
                  const wchar_t* filter, const wchar_t* defExt, unsigned flags)
{
    if (!path)
        return 0;
    path[MAX_PATH - 1] = 0;
    ResStr defaultTitle;
    if (!title) {
        defaultTitle.Load(-IDS_BROWSE_FOR_FILE);
        title = defaultTitle.IsEmpty() ? L"Browse for file" : static_cast<const wchar_t*>(defaultTitle);
    }
    wchar_t filterText[FilterChars];
    PrepareBrowseFilter(filter, filterText, FilterChars);
    if (!flags) {
        flags = save ? OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST
                     : OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    }
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filterText;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = initialDir;
    ofn.lpstrTitle = title;
    ofn.lpstrDefExt = defExt;
    ofn.Flags = flags;
    int result = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!result && CommDlgExtendedError() == FNERR_INVALIDFILENAME) {
        // The dialog refuses to open on a name it cannot show: start it empty instead.
        path[0] = 0;
        result = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    }
    if (result)
        DosPathToShellPath(path);
    return result;
}

int MyChooseColor(HWND owner, COLORREF& color, unsigned long flags, COLORREF* custom)
{
    COLORREF whites[16];
    for (COLORREF& white : whites)
        white = RGB(255, 255, 255);
    CHOOSECOLORW cc = {};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = owner;
    cc.rgbResult = color == NoColor ? RGB(0, 0, 0) : color;
    cc.lpCustColors = custom ? custom : whites;
    cc.Flags = flags | CC_RGBINIT | (custom ? 0 : CC_PREVENTFULLOPEN);
    int result = ChooseColorW(&cc);
    if (result)
        color = cc.rgbResult;
    return result;
}

namespace {

int CALLBACK StartFolder(HWND hwnd, UINT msg, LPARAM, LPARAM data)
{
    if (msg == BFFM_INITIALIZED && data && *reinterpret_cast<const wchar_t*>(data))
        SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

} // namespace

int BrowseForFolder(HWND owner, wchar_t* path, const wchar_t* title, unsigned flags)
{
    if (!path)
        return 0;
    wchar_t display[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpszTitle = title;
    info.ulFlags = flags ? flags : (BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE);
    info.lpfn = StartFolder;
    info.lParam = reinterpret_cast<LPARAM>(path);
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (!chosen)
        return 0;
    wchar_t folder[MAX_PATH] = {};
    BOOL ok = SHGetPathFromIDListW(chosen, folder);
    CoTaskMemFree(chosen);
    if (!ok)
        return 0;
    wcsncpy(path, folder, MAX_PATH - 1);
    path[MAX_PATH - 1] = 0;
    return 1;
}
