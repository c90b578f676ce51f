// Desktop mode's fill file: items made in the real Desktop folder, then placed in the shell's list view.
#include "standin/DesktopFill.h"

#include "standin/Handles.h"
#include "standin/ListViewSpy.h"

#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

namespace standin {

namespace {

constexpr int kGridTop = 4; // keeps the item's top padding on screen

std::wstring LineTag(const ContentLine& line)
{
    return L"line " + std::to_wstring(line.number);
}

bool IsPlainName(const std::wstring& name)
{
    if (name.empty() || name == L"." || name == L"..")
        return false;
    return name.find_first_of(L"\\/:*?\"<>|") == std::wstring::npos;
}

bool HasLinkExtension(const std::wstring& name)
{
    return name.size() > 4 && lstrcmpiW(name.c_str() + name.size() - 4, L".lnk") == 0;
}

std::wstring DesktopFolder()
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                path)))
        return {};
    return path;
}

// Deletes what is inside folder. Links are never followed: under Wine, removing a link to a
// folder removes the folder it points to.
bool EmptyFolder(const std::wstring& folder, const Log& log)
{
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    bool ok = true;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring path = folder + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            log.Write(L"error clean: left the link " + path + L" alone");
            ok = false;
            continue;
        }
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!EmptyFolder(path, log) || !RemoveDirectoryW(path.c_str())) {
                log.Write(L"error clean: cannot remove " + path);
                ok = false;
            }
        } else if (!DeleteFileW(path.c_str())) {
            log.Write(L"error clean: cannot delete " + path);
            ok = false;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return ok;
}

bool WriteTextFile(const std::wstring& path, const std::wstring& text)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    const std::string bytes = WideToUtf8(text);
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// A new empty folder of this process under the temporary folder; empty on failure.
std::wstring StagingFolder()
{
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH)
        return {};
    const std::wstring folder = std::wstring(temp) + L"standin-" + std::to_wstring(GetCurrentProcessId());
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return {};
    return folder;
}

HRESULT WriteShortcut(const std::wstring& path, const FillEntry& entry)
{
    std::wstring target = entry.target;
    if (PathIsRelativeW(target.c_str()))
        target = ExecutableFolder() + L"\\" + target;
    wchar_t full[MAX_PATH] = {};
    if (GetFullPathNameW(target.c_str(), MAX_PATH, full, nullptr) > 0 && wcslen(full) < MAX_PATH)
        target = full;

    ComPtr<IShellLinkW> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid());
    if (FAILED(hr))
        return hr;
    if (FAILED(hr = link->SetPath(target.c_str())))
        return hr;
    if (FAILED(hr = link->SetArguments(entry.arguments.c_str())))
        return hr;
    if (!entry.workdir.empty() && FAILED(hr = link->SetWorkingDirectory(entry.workdir.c_str())))
        return hr;
    ComPtr<IPersistFile> file;
    if (FAILED(hr = link->QueryInterface(IID_IPersistFile, file.PutVoid())))
        return hr;
    // Saved outside the Desktop folder, then moved in: Wine starts its menu builder for every link
    // saved there, and it later adds ".desktop" files to the folder, behind the view's back.
    const std::wstring staging = StagingFolder();
    if (staging.empty())
        return HRESULT_FROM_WIN32(GetLastError());
    const std::wstring staged = staging + L"\\" + PathFindFileNameW(path.c_str());
    hr = file->Save(staged.c_str(), TRUE);
    if (SUCCEEDED(hr) && !MoveFileExW(staged.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        hr = HRESULT_FROM_WIN32(GetLastError());
    DeleteFileW(staged.c_str());
    RemoveDirectoryW(staging.c_str());
    return hr;
}

struct Labelled {
    std::wstring label;
    int index;
};

bool LabelOrder(const Labelled& a, const Labelled& b)
{
    const int byText = CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.label.c_str(),
                                      static_cast<int>(a.label.size()), b.label.c_str(),
                                      static_cast<int>(b.label.size()));
    if (byText != CSTR_EQUAL)
        return byText == CSTR_LESS_THAN;
    if (a.label != b.label)
        return a.label < b.label;
    return a.index < b.index;
}

} // namespace

FillPlan ParseFill(const std::vector<ContentLine>& lines, const Log& log)
{
    FillPlan plan;
    for (const ContentLine& line : lines) {
        const std::vector<std::wstring> fields = SplitTabs(line.text);
        const std::wstring& kind = fields[0];
        if (kind == L"clean" && fields.size() == 1) {
            plan.clean = true;
        } else if (kind == L"file" && (fields.size() == 2 || fields.size() == 3) && IsPlainName(fields[1])) {
            plan.entries.push_back({FillKind::File, fields[1], fields.size() == 3 ? fields[2] : L"", {}, {}, {}});
        } else if (kind == L"folder" && fields.size() == 2 && IsPlainName(fields[1])) {
            plan.entries.push_back({FillKind::Folder, fields[1], {}, {}, {}, {}});
        } else if (kind == L"shortcut" && (fields.size() == 4 || fields.size() == 5) && IsPlainName(fields[1]) &&
                   !fields[2].empty()) {
            std::wstring name = fields[1];
            if (!HasLinkExtension(name))
                name += L".lnk";
            plan.entries.push_back(
                {FillKind::Shortcut, name, {}, fields[2], fields[3], fields.size() == 5 ? fields[4] : L""});
        } else if (kind == L"pos" && fields.size() == 4) {
            Placement placement{fields[1], {0, 0}};
            int x = 0;
            int y = 0;
            if (ParseInt(fields[2], x) && ParseInt(fields[3], y)) {
                placement.position = {x, y};
                plan.placements.push_back(placement);
            } else {
                log.Write(L"error fill " + LineTag(line) + L": bad coordinates, skipped");
            }
        } else {
            log.Write(L"error fill " + LineTag(line) + L": not understood, skipped");
        }
    }
    return plan;
}

void WarnIfDesktopIsLink(const Log& log)
{
    const std::wstring folder = DesktopFolder();
    const DWORD attributes = folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        log.Write(L"error the Desktop folder " + folder + L" is a link out of the prefix");
}

bool ApplyFill(const FillPlan& plan, const Log& log)
{
    const std::wstring folder = DesktopFolder();
    if (folder.empty()) {
        log.Write(L"error fill: no Desktop folder");
        return false;
    }
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        log.Write(L"error fill: the Desktop folder " + folder + L" is not a folder");
        return false;
    }
    // Wine links a new prefix's Desktop to the user's home folder; filling or cleaning that would
    // litter or wipe files outside the prefix.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        log.Write(L"error fill: the Desktop folder " + folder +
                  L" is a link out of the prefix; replace it with a real folder");
        return false;
    }
    if (plan.clean && !EmptyFolder(folder, log))
        log.Write(L"error fill: the Desktop folder could not be emptied completely");

    for (const FillEntry& entry : plan.entries) {
        const std::wstring path = folder + L"\\" + entry.name;
        switch (entry.kind) {
        case FillKind::File:
            if (!WriteTextFile(path, entry.text))
                log.Write(L"error fill: cannot write " + path + L" (error " + std::to_wstring(GetLastError()) + L")");
            break;
        case FillKind::Folder:
            if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
                log.Write(L"error fill: cannot create " + path + L" (error " + std::to_wstring(GetLastError()) + L")");
            break;
        case FillKind::Shortcut: {
            const HRESULT hr = WriteShortcut(path, entry);
            if (FAILED(hr))
                log.Write(L"error fill: cannot save " + path + L" hr=" + HexValue(static_cast<ULONG>(hr)));
            break;
        }
        }
    }
    return true;
}

void ArrangeItems(ListViewSpy& listView, HWND listWindow, const FillPlan& plan, const Log& log)
{
    const int count = static_cast<int>(listView.SendQuiet(LVM_GETITEMCOUNT, 0, 0));
    std::vector<Labelled> items;
    items.reserve(static_cast<size_t>(count > 0 ? count : 0));
    for (int index = 0; index < count; ++index)
        items.push_back({listView.ItemText(index), index});
    std::sort(items.begin(), items.end(), LabelOrder);

    const DWORD spacing = static_cast<DWORD>(listView.SendQuiet(LVM_GETITEMSPACING, FALSE, 0));
    const int cellWidth = std::max(1, static_cast<int>(LOWORD(spacing)));
    const int cellHeight = std::max(1, static_cast<int>(HIWORD(spacing)));
    int iconWidth = GetSystemMetrics(SM_CXICON);
    int iconHeight = GetSystemMetrics(SM_CYICON);
    if (auto images = reinterpret_cast<HIMAGELIST>(listView.SendQuiet(LVM_GETIMAGELIST, LVSIL_NORMAL, 0)))
        ImageList_GetIconSize(images, &iconWidth, &iconHeight);
    RECT client{};
    GetClientRect(listWindow, &client);
    const int rows = std::max(1, static_cast<int>(client.bottom - kGridTop) / cellHeight);

    for (size_t k = 0; k < items.size(); ++k) {
        const int column = static_cast<int>(k) / rows;
        const int row = static_cast<int>(k) % rows;
        POINT position{column * cellWidth + (cellWidth - iconWidth) / 2, kGridTop + row * cellHeight};
        listView.SendQuiet(LVM_SETITEMPOSITION32, static_cast<WPARAM>(items[k].index),
                           reinterpret_cast<LPARAM>(&position));
    }

    for (const Placement& placement : plan.placements) {
        LVFINDINFOW find{};
        find.flags = LVFI_STRING;
        find.psz = placement.label.c_str();
        const int index = static_cast<int>(listView.SendQuiet(LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                                              reinterpret_cast<LPARAM>(&find)));
        if (index < 0) {
            log.Write(L"error fill: no item labelled " + placement.label + L" to place");
            continue;
        }
        POINT position = placement.position;
        listView.SendQuiet(LVM_SETITEMPOSITION32, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&position));
    }
}

} // namespace standin
