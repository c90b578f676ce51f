// Text helpers of the stand-in shell: UTF-8 conversion, input files, fields, number formats.
#include "standin/Text.h"

#include "standin/Handles.h"

#include <cwchar>
#include <cerrno>
#include <climits>

namespace standin {

namespace {

// Larger input files are refused rather than read: they are not test data.
constexpr LONGLONG kMaxInputBytes = 64LL * 1024 * 1024;

bool IsBlank(std::wstring_view line)
{
    for (wchar_t c : line) {
        if (c != L' ' && c != L'\t')
            return false;
    }
    return true;
}

bool IsComment(std::wstring_view line)
{
    for (wchar_t c : line) {
        if (c == L' ' || c == L'\t')
            continue;
        return c == L'#';
    }
    return false;
}

} // namespace

std::wstring Utf8ToWide(std::string_view text)
{
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int size = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    if (needed <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), needed);
    return wide;
}

std::string WideToUtf8(std::wstring_view text)
{
    if (text.empty() || text.size() > INT_MAX / 4)
        return {};
    const int size = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return {};
    std::string narrow(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), needed, nullptr, nullptr);
    return narrow;
}

bool ReadContentLines(const std::wstring& path, std::vector<ContentLine>& lines, std::wstring& error)
{
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = L"cannot open " + path + L" (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > kMaxInputBytes) {
        error = L"cannot read " + path + L" (missing size or larger than 64 MiB)";
        return false;
    }
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(bytes.size() - done);
        if (!ReadFile(file.Get(), bytes.data() + done, want, &got, nullptr)) {
            error = L"cannot read " + path + L" (error " + std::to_wstring(GetLastError()) + L")";
            return false;
        }
        if (got == 0)
            break;
        done += got;
    }
    bytes.resize(done);
    std::string_view view(bytes);
    if (view.substr(0, 3) == "\xEF\xBB\xBF")
        view.remove_prefix(3);

    std::vector<ContentLine> result;
    int number = 0;
    while (!view.empty()) {
        ++number;
        const size_t end = view.find('\n');
        std::string_view raw = view.substr(0, end);
        view = end == std::string_view::npos ? std::string_view() : view.substr(end + 1);
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        std::wstring text = Utf8ToWide(raw);
        if (IsBlank(text) || IsComment(text))
            continue;
        result.push_back({number, std::move(text)});
    }
    lines = std::move(result);
    return true;
}

std::vector<std::wstring> SplitTabs(std::wstring_view line)
{
    std::vector<std::wstring> fields;
    for (;;) {
        const size_t tab = line.find(L'\t');
        fields.emplace_back(line.substr(0, tab));
        if (tab == std::wstring_view::npos)
            break;
        line.remove_prefix(tab + 1);
    }
    return fields;
}

bool ParseInt(std::wstring_view field, int& value)
{
    if (field.empty() || field.size() > 16)
        return false;
    const std::wstring text(field);
    wchar_t* end = nullptr;
    errno = 0;
    const long parsed = std::wcstol(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size() || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    if (text[0] == L' ' || text[0] == L'\t')
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseColour(std::wstring_view field, COLORREF& value)
{
    if (field.size() != 6)
        return false;
    unsigned rgb = 0;
    for (wchar_t c : field) {
        unsigned digit;
        if (c >= L'0' && c <= L'9')
            digit = static_cast<unsigned>(c - L'0');
        else if (c >= L'a' && c <= L'f')
            digit = static_cast<unsigned>(c - L'a' + 10);
        else if (c >= L'A' && c <= L'F')
            digit = static_cast<unsigned>(c - L'A' + 10);
        else
            return false;
        rgb = rgb * 16 + digit;
    }
    value = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    return true;
}

std::wstring HexValue(std::uintptr_t value)
{
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring text(sizeof(value) * 2, L'0');
    for (size_t i = text.size(); i-- > 0; value >>= 4)
        text[i] = digits[value & 0xF];
    return text;
}

std::wstring HandleText(HWND window)
{
    return HexValue(reinterpret_cast<std::uintptr_t>(window));
}

std::wstring RectText(const RECT& rect)
{
    return std::to_wstring(rect.left) + L',' + std::to_wstring(rect.top) + L',' + std::to_wstring(rect.right) +
           L',' + std::to_wstring(rect.bottom);
}

std::wstring ExecutableFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return L".";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768)
            return L".";
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

} // namespace standin
