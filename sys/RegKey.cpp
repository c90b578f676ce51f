// RegKey: owner of one registry key opened by a textual key path.
#include "sys/RegKey.h"

#include <shlobj.h>

#include <cstdarg>
#include <cstring>
#include <cwchar>
#include <new>

#include "sys/StrUtil.h"
#include "sys/SysInfo.h"
#include "sys/TextTrunc.h"

int RegKey::bLogMode = 0;
wchar_t* RegKey::pszLog = nullptr;
unsigned int RegKey::nLogSizeChars = 0;
long RegKey::lError = ERROR_SUCCESS;
const wchar_t* RegKey::pszFmtPrefix = L"%s%s";

const wchar_t RegKey::sz_CLASSES[] = L"HKCLS";
const wchar_t RegKey::sz_CLASSES_CLSID[] = L"HKCLS\\CLSID";
const wchar_t RegKey::sz_HKCU_Software_MyCompany[] = L"HKCU\\Software\\Corvantrix";
const wchar_t RegKey::sz_HKLM_Software_MyCompany[] = L"HKLM\\Software\\Corvantrix";
const wchar_t RegKey::sz_HKCU_WinCurVer[] = L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion";
const wchar_t RegKey::sz_HKLM_WinCurVer[] = L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion";
const wchar_t RegKey::sz_HKLM_WinNTCurVer[] = L"HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion";
const wchar_t RegKey::sz_Setup_Restrictions[] = L"Setup\\Restrictions";
const wchar_t RegKey::sz_Software_Veltaron[] = L"Software\\Veltaron";

namespace {

const int ComponentChars = 128;   // 127 characters and the terminator
const int PathChars = 256;        // joined paths and prefixed value names: 255 characters
const int KeyNameChars = 257;     // sub-key names: 255 characters and room to spare
const int ValueNameChars = 16384; // the longest value name the system allows, and a terminator
const int MaxTreeDepth = 512;     // the registry's own nesting limit

// Stands for a key in log mode; never handed to the system.
HKEY const LogPlaceholder = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x4C4F4701));

struct RootName {
    const wchar_t* shortName;
    const wchar_t* longName;
    HKEY key;
};

const RootName Roots[] = {
    {L"HKCLS", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
    {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {L"HKU", L"HKEY_USERS", HKEY_USERS},
};

bool EqualNoCase(const wchar_t* a, int aLength, const wchar_t* b)
{
    return CompareStringOrdinal(a, aLength, b, -1, TRUE) == CSTR_EQUAL;
}

HKEY FindRoot(const wchar_t* name, int length)
{
    for (const RootName& root : Roots) {
        if (EqualNoCase(name, length, root.shortName) || EqualNoCase(name, length, root.longName))
            return root.key;
    }
    return nullptr;
}

// Predefined handles are not ours to close.
bool IsPredefined(HKEY key)
{
    ULONG_PTR value = reinterpret_cast<ULONG_PTR>(key);
    return value >= 0x80000000u && value <= 0x8000000Fu;
}

// A heap buffer of wide characters, freed on every path out.
class WideBuffer {
public:
    explicit WideBuffer(size_t chars) : data(new (std::nothrow) wchar_t[chars ? chars : 1]) {}
    ~WideBuffer() { delete[] data; }
    WideBuffer(const WideBuffer&) = delete;
    WideBuffer& operator=(const WideBuffer&) = delete;
    wchar_t* Get() const { return data; }

private:
    wchar_t* data;
};

} // namespace

// ---- Opening and closing ----

RegKey::RegKey(const wchar_t* path, int mode) : hKey(nullptr), nEnumIndex(-1)
{
    Open(path, mode);
}

RegKey::RegKey(const wchar_t* path, Op op) : hKey(nullptr), nEnumIndex(-1)
{
    Open(path, op);
}

RegKey::RegKey(const wchar_t* path, const wchar_t* sub, int mode) : hKey(nullptr), nEnumIndex(-1)
{
    Open(path, sub, mode);
}

RegKey::RegKey(RegKey& parent, const wchar_t* sub, int mode) : hKey(nullptr), nEnumIndex(-1)
{
    Open(parent, sub, mode);
}

RegKey::RegKey(RegKey& parent, const wchar_t* sub, Op op) : hKey(nullptr), nEnumIndex(-1)
{
    Open(parent, sub, op);
}

RegKey::~RegKey()
{
    Close();
}

HKEY RegKey::Real() const
{
    return hKey == LogPlaceholder ? nullptr : hKey;
}

void RegKey::Replace(HKEY key)
{
    HKEY old = hKey;
    hKey = key;
    nEnumIndex = -1;
    if (old && old != key && old != LogPlaceholder && !IsPredefined(old))
        RegCloseKey(old);
}

void RegKey::Close()
{
    Replace(nullptr);
}

HKEY RegKey::OpenPath(const wchar_t* path, int mode, int levels)
{
    if (!path)
        return nullptr;
    if (bLogMode) {
        wchar_t shown[PathChars];
        textbuf::Copy(shown, PathChars, path);
        for (int i = 0; i < levels; ++i) {
            wchar_t parent[PathChars];
            if (!GetParentSubkeyName(shown, parent, PathChars))
                break;
            textbuf::Copy(shown, PathChars, parent);
        }
        Log(L"[%s]\r\n", shown);
        return LogPlaceholder;
    }

    // The components after the root name, as pointers into path.
    const int MaxComponents = 512;
    const wchar_t* starts[MaxComponents];
    int lengths[MaxComponents];
    int count = 0;
    HKEY root = nullptr;
    for (const wchar_t* p = path; *p;) {
        while (*p == L'\\')
            ++p;
        if (!*p)
            break;
        const wchar_t* start = p;
        while (*p && *p != L'\\')
            ++p;
        int length = static_cast<int>(p - start);
        if (!root) {
            root = FindRoot(start, length);
            continue;
        }
        if (count == MaxComponents)
            return nullptr;
        starts[count] = start;
        lengths[count] = length;
        ++count;
    }
    if (!root)
        return nullptr;

    // Both editions see one machine: a 32-bit process on 64-bit Windows would otherwise read and
    // write its own copy of the machine's software keys (the Run key, the installer's "Setup").
    const REGSAM view = root == HKEY_LOCAL_MACHINE ? KEY_WOW64_64KEY : 0;
    HKEY current = root;
    for (int i = 0; i < count; ++i) {
        if (levels > 0 && levels >= count - i)
            break;
        if (lengths[i] >= ComponentChars) {
            if (current != root)
                RegCloseKey(current);
            return nullptr;
        }
        wchar_t component[ComponentChars];
        wmemcpy(component, starts[i], lengths[i]);
        component[lengths[i]] = 0;
        HKEY next = nullptr;
        LONG result = mode ? RegCreateKeyExW(current, component, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_ALL_ACCESS | view, nullptr, &next, nullptr)
                           : RegOpenKeyExW(current, component, 0, KEY_READ | view, &next);
        if (current != root)
            RegCloseKey(current);
        if (result != ERROR_SUCCESS)
            return nullptr;
        current = next;
    }
    return current;
}

BOOL RegKey::Open(const wchar_t* path, int mode)
{
    Replace(OpenPath(path, mode, 0));
    return IsOpen();
}

BOOL RegKey::Open(const wchar_t* path, const wchar_t* sub, int mode)
{
    if (!sub || !*sub)
        return Open(path, mode);
    wchar_t joined[PathChars];
    if (!path || !textbuf::FormatWhole(joined, PathChars, L"%s\\%s", path, sub)) {
        Close();
        return FALSE;
    }
    return Open(joined, mode);
}

BOOL RegKey::Open(RegKey& parent, const wchar_t* sub, int mode)
{
    HKEY key = nullptr;
    HKEY base = parent.Real();
    if (base) {
        LONG result = mode ? RegCreateKeyExW(base, sub ? sub : L"", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr)
                           : RegOpenKeyExW(base, sub ? sub : L"", 0, KEY_READ, &key);
        if (result != ERROR_SUCCESS)
            key = nullptr;
    }
    Replace(key);
    return IsOpen();
}

BOOL RegKey::OpenParent(const wchar_t* path, int mode, int levels)
{
    Replace(OpenPath(path, mode, levels));
    return IsOpen();
}

BOOL RegKey::Flush()
{
    if (bLogMode)
        return TRUE;
    return Real() && RegFlushKey(Real()) == ERROR_SUCCESS;
}

// ---- Values ----

unsigned long RegKey::GetDword(const wchar_t* name, unsigned long def)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (!Real() || RegQueryValueExW(Real(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
        return def;
    // Four bytes of any type are the number; any other size gives the default.
    if (size != sizeof(value))
        return def;
    return value;
}

int RegKey::GetInt(const wchar_t* name, int def)
{
    return static_cast<int>(GetDword(name, static_cast<unsigned long>(def)));
}

BOOL RegKey::PutDword(const wchar_t* name, unsigned long v)
{
    if (bLogMode) {
        Log(L"%s=dword:%08X\r\n", name ? name : L"@", static_cast<unsigned>(v));
        return TRUE;
    }
    // A value of another type is written again, so that a put always leaves its own type.
    if (GetValueType(name) == REG_DWORD && GetDword(name, v + 1) == v)
        return TRUE;
    DWORD value = v;
    return Real() && RegSetValueExW(Real(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                    sizeof(value)) == ERROR_SUCCESS;
}

BOOL RegKey::PutInt(const wchar_t* name, int v)
{
    return PutDword(name, static_cast<unsigned long>(v));
}

BOOL RegKey::ReadString(const wchar_t* name, wchar_t* buf, int bufChars)
{
    if (!Real() || !buf || bufChars < 1)
        return FALSE;
    DWORD size = 0;
    // Any type is read as text: what it holds up to its first zero.
    if (RegQueryValueExW(Real(), name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return FALSE;
    // Some writers store extra zeros after the text; beyond that, the text cannot fit.
    if (size / sizeof(wchar_t) > static_cast<DWORD>(bufChars) + 16)
        return FALSE;
    size_t chars = size / sizeof(wchar_t) + 1;
    WideBuffer data(chars);
    if (!data.Get())
        return FALSE;
    DWORD got = static_cast<DWORD>(chars * sizeof(wchar_t));
    if (RegQueryValueExW(Real(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(data.Get()), &got) != ERROR_SUCCESS)
        return FALSE;
    size_t gotChars = got / sizeof(wchar_t);
    if (gotChars >= chars)
        return FALSE;
    data.Get()[gotChars] = 0;  // the system does not promise a terminator
    size_t length = wcslen(data.Get());
    if (length > static_cast<size_t>(bufChars - 1))
        return FALSE;
    wmemcpy(buf, data.Get(), length + 1);
    return TRUE;
}

int RegKey::GetStr(const wchar_t* name, wchar_t* buf, int bufChars, const wchar_t* def)
{
    if (!buf || bufChars < 1)
        return 0;
    if (def == buf) {
        // The caller's text is the default: read aside so that a failure leaves it whole.
        WideBuffer value(static_cast<size_t>(bufChars));
        if (value.Get() && ReadString(name, value.Get(), bufChars))
            return textbuf::Copy(buf, bufChars, value.Get());
        return textbuf::Copy(buf, bufChars, def);
    }
    if (ReadString(name, buf, bufChars))
        return static_cast<int>(wcslen(buf));
    return textbuf::Copy(buf, bufChars, def);
}

BOOL RegKey::PutStr(const wchar_t* name, const wchar_t* s)
{
    if (!s)
        s = L"";
    if (bLogMode) {
        Log(L"%s=%s\r\n", name ? name : L"@", s);
        return TRUE;
    }
    if (!Real())
        return FALSE;
    size_t length = wcslen(s);
    if (length > 0x3FFFFFF0u)
        return FALSE;
    // Room for one more character than s, so a longer stored text cannot read as equal.
    WideBuffer stored(length + 2);
    // Only a string compares: a value of another type is written again as one.
    if (stored.Get() && GetValueType(name) == REG_SZ) {
        GetStr(name, stored.Get(), static_cast<int>(length + 2), *s ? L"" : L"1");
        if (wcscmp(stored.Get(), s) == 0)
            return TRUE;
    }
    return RegSetValueExW(Real(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(s),
                          static_cast<DWORD>((length + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

unsigned int RegKey::GetBinSize(const wchar_t* name)
{
    DWORD size = 0;
    if (!Real() || RegQueryValueExW(Real(), name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return 0;
    return size;
}

BOOL RegKey::GetBin(const wchar_t* name, unsigned char* buf, unsigned int bufSize)
{
    DWORD size = 0;
    if (!Real() || RegQueryValueExW(Real(), name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return FALSE;
    if (bufSize && bufSize < size)
        return FALSE;
    if (!size)
        return TRUE;
    if (!buf)
        return FALSE;
    // A value that grew since it was measured fails here instead of overrunning buf.
    DWORD got = size;
    return RegQueryValueExW(Real(), name, nullptr, nullptr, buf, &got) == ERROR_SUCCESS;
}

BOOL RegKey::PutBin(const wchar_t* name, const unsigned char* data, unsigned int size)
{
    if (!Real() || (!data && size))
        return FALSE;
    DWORD storedSize = 0;
    if (RegQueryValueExW(Real(), name, nullptr, nullptr, nullptr, &storedSize) == ERROR_SUCCESS && storedSize == size) {
        if (!size)
            return TRUE;
        unsigned char* stored = new (std::nothrow) unsigned char[size];
        if (stored) {
            DWORD got = size;
            bool same = RegQueryValueExW(Real(), name, nullptr, nullptr, stored, &got) == ERROR_SUCCESS &&
                        got == size && memcmp(stored, data, size) == 0;
            delete[] stored;
            if (same)
                return TRUE;
        }
    }
    return RegSetValueExW(Real(), name, 0, REG_BINARY, data, size) == ERROR_SUCCESS;
}

DWORD RegKey::GetValueType(const wchar_t* name)
{
    DWORD type = 0;
    if (!Real() || RegQueryValueExW(Real(), name, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return type;
}

BOOL RegKey::ValueExists(const wchar_t* name)
{
    return Real() && RegQueryValueExW(Real(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

BOOL RegKey::DelValue(const wchar_t* name)
{
    if (bLogMode) {
        Log(L"%s=@\r\n", name ? name : L"@");
        return TRUE;
    }
    if (!Real())
        return FALSE;
    LONG result = RegDeleteValueW(Real(), name);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

BOOL RegKey::DelValuePrefix(const wchar_t* prefix, const wchar_t* name)
{
    wchar_t full[PathChars];
    if (!textbuf::FormatWhole(full, PathChars, pszFmtPrefix, prefix ? prefix : L"", name ? name : L""))
        return FALSE;
    return DelValue(full);
}

BOOL RegKey::DelValuesStartingWith(const wchar_t* prefix, int ignoreCase)
{
    WideBuffer name(ValueNameChars);
    WideBuffer last(ValueNameChars);
    if (!name.Get() || !last.Get())
        return TRUE;
    last.Get()[0] = 0;
    for (int index = 0; GetValueByIndex(index, name.Get(), ValueNameChars);) {
        if (!StrStartsWith(name.Get(), prefix, ignoreCase) ||
            CompareStringOrdinal(name.Get(), -1, last.Get(), -1, TRUE) == CSTR_EQUAL) {
            ++index;  // not ours, or its deletion did not take effect
            continue;
        }
        wcscpy(last.Get(), name.Get());
        DelValue(name.Get());
    }
    return TRUE;
}

// ---- Prefixed value names ----

#define PREFIXED_NAME(fail)                                                                       \
    wchar_t full[PathChars];                                                                      \
    if (!textbuf::FormatWhole(full, PathChars, pszFmtPrefix, prefix ? prefix : L"", name ? name : L"")) \
    return fail

int RegKey::GetIntPrefix(const wchar_t* prefix, const wchar_t* name, int def)
{
    PREFIXED_NAME(def);
    return GetInt(full, def);
}

unsigned long RegKey::GetDwordPrefix(const wchar_t* prefix, const wchar_t* name, unsigned long def)
{
    PREFIXED_NAME(def);
    return GetDword(full, def);
}

BOOL RegKey::PutIntPrefix(const wchar_t* prefix, const wchar_t* name, int v)
{
    PREFIXED_NAME(FALSE);
    return PutInt(full, v);
}

BOOL RegKey::PutDwordPrefix(const wchar_t* prefix, const wchar_t* name, unsigned long v)
{
    PREFIXED_NAME(FALSE);
    return PutDword(full, v);
}

int RegKey::GetStrPrefix(const wchar_t* prefix, const wchar_t* name, wchar_t* buf, int bufChars, const wchar_t* def)
{
    PREFIXED_NAME(textbuf::Copy(buf, bufChars, def));
    return GetStr(full, buf, bufChars, def);
}

BOOL RegKey::PutStrPrefix(const wchar_t* prefix, const wchar_t* name, const wchar_t* s)
{
    PREFIXED_NAME(FALSE);
    return PutStr(full, s);
}

BOOL RegKey::GetBinPrefix(const wchar_t* prefix, const wchar_t* name, unsigned char* buf, unsigned int bufSize)
{
    PREFIXED_NAME(FALSE);
    return GetBin(full, buf, bufSize);
}

BOOL RegKey::PutBinPrefix(const wchar_t* prefix, const wchar_t* name, const unsigned char* data, unsigned int size)
{
    PREFIXED_NAME(FALSE);
    return PutBin(full, data, size);
}

unsigned int RegKey::GetBinSizePrefix(const wchar_t* prefix, const wchar_t* name)
{
    PREFIXED_NAME(0);
    return GetBinSize(full);
}

#undef PREFIXED_NAME

// ---- Enumeration ----

namespace {

// The name of the sub-key or value at index: true also for a name too long for buf (then
// empty), so that a walk goes on; false when there are no more.
BOOL EnumName(HKEY key, bool values, int index, wchar_t* buf, int bufChars)
{
    if (!buf || bufChars < 1)
        return FALSE;
    buf[0] = 0;
    if (!key || index < 0)
        return FALSE;
    DWORD chars = static_cast<DWORD>(bufChars);
    LONG result = values ? RegEnumValueW(key, static_cast<DWORD>(index), buf, &chars, nullptr, nullptr, nullptr, nullptr)
                         : RegEnumKeyExW(key, static_cast<DWORD>(index), buf, &chars, nullptr, nullptr, nullptr, nullptr);
    buf[bufChars - 1] = 0;
    if (result == ERROR_SUCCESS)
        return TRUE;
    buf[0] = 0;
    return result == ERROR_MORE_DATA;
}

} // namespace

BOOL RegKey::GetSubKeyByIndex(int index, wchar_t* buf, int bufChars)
{
    return EnumName(Real(), false, index, buf, bufChars);
}

BOOL RegKey::GetValueByIndex(int index, wchar_t* buf, int bufChars)
{
    return EnumName(Real(), true, index, buf, bufChars);
}

BOOL RegKey::GetFirstSubKey(wchar_t* buf, int bufChars)
{
    nEnumIndex = -1;
    return GetNextSubKey(buf, bufChars);
}

BOOL RegKey::GetNextSubKey(wchar_t* buf, int bufChars)
{
    return GetSubKeyByIndex(++nEnumIndex, buf, bufChars);
}

BOOL RegKey::GetFirstValue(wchar_t* buf, int bufChars)
{
    nEnumIndex = -1;
    return GetNextValue(buf, bufChars);
}

BOOL RegKey::GetNextValue(wchar_t* buf, int bufChars)
{
    return GetValueByIndex(++nEnumIndex, buf, bufChars);
}

// ---- Trees ----

BOOL RegKey::IsKeyEmpty()
{
    wchar_t name[256];
    return !GetSubKeyByIndex(0, name, 256) && !GetValueByIndex(0, name, 256);
}

BOOL RegKey::DelSubKey(const wchar_t* sub)
{
    // No name would open this key itself: a caller's empty name must not wipe its whole tree.
    if (!sub || !*sub)
        return FALSE;
    HKEY base = Real();
    HKEY probe = nullptr;
    if (!base || RegOpenKeyExW(base, sub, 0, KEY_READ, &probe) != ERROR_SUCCESS)
        return TRUE;
    RegCloseKey(probe);
    RegKey child;
    HKEY full = nullptr;
    if (RegOpenKeyExW(base, sub, 0, KEY_ALL_ACCESS, &full) != ERROR_SUCCESS)
        return TRUE;
    child.Replace(full);

    // Deleting moves the next item into the current index; an item whose deletion did not
    // take effect shows up again and is stepped over.
    wchar_t name[KeyNameChars];
    wchar_t last[KeyNameChars] = L"";
    for (int index = 0; child.GetSubKeyByIndex(index, name, KeyNameChars);) {
        if (CompareStringOrdinal(name, -1, last, -1, TRUE) == CSTR_EQUAL) {
            ++index;
            continue;
        }
        wcscpy(last, name);
        child.DelSubKey(name);
    }
    last[0] = 0;
    for (int index = 0; child.GetValueByIndex(index, name, KeyNameChars);) {
        if (CompareStringOrdinal(name, -1, last, -1, TRUE) == CSTR_EQUAL) {
            ++index;
            continue;
        }
        wcscpy(last, name);
        child.DelValue(name);
    }
    RegDeleteValueW(child.Real(), nullptr);
    child.Close();
    return RegDeleteKeyW(base, sub) == ERROR_SUCCESS;
}

BOOL RegKey::DelAll()
{
    if (!Real())
        return TRUE;
    wchar_t name[KeyNameChars];
    wchar_t last[KeyNameChars] = L"";
    for (int index = 0; GetSubKeyByIndex(index, name, KeyNameChars);) {
        if (CompareStringOrdinal(name, -1, last, -1, TRUE) == CSTR_EQUAL) {
            ++index;
            continue;
        }
        wcscpy(last, name);
        {
            RegKey child(*this, name, 1);
            child.DelAll();
        }
        RegDeleteKeyW(Real(), name);
    }
    RegDeleteValueW(Real(), nullptr);
    WideBuffer valueName(ValueNameChars);
    WideBuffer lastValue(ValueNameChars);
    if (!valueName.Get() || !lastValue.Get())
        return TRUE;
    lastValue.Get()[0] = 0;
    for (int index = 0; GetValueByIndex(index, valueName.Get(), ValueNameChars);) {
        if (CompareStringOrdinal(valueName.Get(), -1, lastValue.Get(), -1, TRUE) == CSTR_EQUAL) {
            ++index;
            continue;
        }
        wcscpy(lastValue.Get(), valueName.Get());
        DelValue(valueName.Get());
    }
    return TRUE;
}

BOOL RegKey::DelSubKeyIfEmpty(const wchar_t* sub)
{
    if (!sub || !*sub)
        return FALSE;
    HKEY base = Real();
    HKEY key = nullptr;
    if (!base || RegOpenKeyExW(base, sub, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return TRUE;
    RegKey child;
    child.Replace(key);
    if (!child.IsKeyEmpty())
        return FALSE;
    RegDeleteValueW(child.Real(), nullptr);
    child.Close();
    return RegDeleteKeyW(base, sub) == ERROR_SUCCESS;
}

BOOL RegKey::ProcessSubKey(Op op, const wchar_t* sub)
{
    if (IsWritable(op)) {
        DelSubKey(sub);
        Flush();
    }
    return TRUE;
}

BOOL RegKey::CopyTo(RegKey& dst)
{
    return CopyTree(dst, 0);
}

BOOL RegKey::CopyTree(RegKey& dst, int depth)
{
    if (!Real() || !dst.Real())
        return TRUE;
    wchar_t name[KeyNameChars];
    // Past the registry's own nesting limit the copy can only be a key copied into itself.
    if (depth < MaxTreeDepth) {
        for (int index = 0; GetSubKeyByIndex(index, name, KeyNameChars); ++index) {
            if (!name[0])
                continue;
            RegKey from(*this, name, 0);
            RegKey to(dst, name, 1);
            if (from.IsOpen() && to.IsOpen())
                from.CopyTree(to, depth + 1);
        }
    }
    CopyValueTo(dst, nullptr);
    WideBuffer valueName(ValueNameChars);
    if (!valueName.Get())
        return TRUE;
    for (int index = 0; GetValueByIndex(index, valueName.Get(), ValueNameChars); ++index) {
        if (valueName.Get()[0])
            CopyValueTo(dst, valueName.Get());
    }
    return TRUE;
}

BOOL RegKey::CopyValueTo(RegKey& dst, const wchar_t* name)
{
    DWORD type = GetValueType(name);
    unsigned int size = GetBinSize(name);
    switch (type) {
    case REG_SZ: {
        WideBuffer text(static_cast<size_t>(size) + 1);
        if (text.Get() && ReadString(name, text.Get(), static_cast<int>(size + 1)))
            dst.PutStr(name, text.Get());
        break;
    }
    case REG_BINARY: {
        unsigned char* data = new (std::nothrow) unsigned char[size ? size : 1];
        if (data && GetBin(name, data, size ? size : 1))
            dst.PutBin(name, data, size);
        delete[] data;
        break;
    }
    case REG_DWORD:
        if (size == sizeof(DWORD))
            dst.PutDword(name, GetDword(name, 0));
        break;
    default:
        break;
    }
    return TRUE;
}

// ---- Operation entries ----

BOOL RegKey::ProcessEntry(Op op, const wchar_t* name, const wchar_t* data, unsigned int size)
{
    const wchar_t* expected = data ? data : L"";
    switch (op) {
    case OpCheck:
    case OpCheckNoCase: {
        size_t chars = wcslen(expected) + 2;
        if (chars < MAX_PATH)
            chars = MAX_PATH;
        WideBuffer stored(chars);
        if (!stored.Get() || !ReadString(name, stored.Get(), static_cast<int>(chars)))
            return !*expected;
        if (op == OpCheck)
            return wcscmp(stored.Get(), expected) == 0;
        return CompareStringOrdinal(stored.Get(), -1, expected, -1, TRUE) == CSTR_EQUAL;
    }
    case OpRemove:
        DelValue(name);
        return TRUE;
    case OpInstall:
        if (ProcessEntry(OpCheck, name, data, size))
            return TRUE;
        return PutStr(name, data);
    case OpRead:
        if (!data || !size)
            return FALSE;
        return GetStr(name, const_cast<wchar_t*>(data), static_cast<int>(size), nullptr) > 0;
    case OpCheckAbsent:
        return !ValueExists(name);
    default:
        return TRUE;
    }
}

BOOL RegKey::ProcessEntry(Op op, const wchar_t* name, unsigned long& value)
{
    switch (op) {
    case OpCheck:
        return GetDword(name, 0) == value;
    case OpRemove:
        DelValue(name);
        return TRUE;
    case OpInstall:
        if (GetDword(name, 0) == value)
            return TRUE;
        if (value == 0) {
            DelValue(name);
            return TRUE;
        }
        return PutDword(name, value);
    case OpRead:
        value = GetDword(name, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL RegKey::ProcessEntry(Op op, const wchar_t* name, int& value)
{
    unsigned long number = static_cast<unsigned long>(value);
    BOOL result = ProcessEntry(op, name, number);
    value = static_cast<int>(number);
    return result;
}

// ---- Static helpers ----

const wchar_t* RegKey::FindLastSubkeyName(const wchar_t* path)
{
    if (!path || !*path)
        return nullptr;
    const wchar_t* last = wcsrchr(path, L'\\');
    return last ? last + 1 : path;
}

BOOL RegKey::GetParentSubkeyName(const wchar_t* path, wchar_t* buf, int bufChars)
{
    if (!buf || bufChars < 1)
        return FALSE;
    buf[0] = 0;
    if (!path || !*path)
        return FALSE;
    const wchar_t* last = wcsrchr(path, L'\\');
    if (!last)
        return FALSE;
    int length = static_cast<int>(last - path);
    if (length > bufChars - 1)
        return FALSE;
    wmemcpy(buf, path, length);
    buf[length] = 0;
    return TRUE;
}

BOOL RegKey::SaveKey(HKEY key, const wchar_t* file, SECURITY_ATTRIBUTES* security)
{
    if (!file || !*file) {
        lError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    DWORD oldAttributes = GetFileAttributesW(file);
    if (oldAttributes != INVALID_FILE_ATTRIBUTES) {
        SetFileAttributesW(file, FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(file);
    }
    EnablePrivilege(SE_BACKUP_NAME, TRUE);
    lError = key && key != LogPlaceholder ? RegSaveKeyW(key, file, security) : ERROR_INVALID_HANDLE;
    if (GetFileAttributesW(file) != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(file, oldAttributes != INVALID_FILE_ATTRIBUTES ? oldAttributes : FILE_ATTRIBUTE_ARCHIVE);
    return lError == ERROR_SUCCESS;
}

BOOL RegKey::LoadKey(HKEY key, const wchar_t* sub, const wchar_t* file)
{
    if (!key || !sub || !file)
        return FALSE;
    EnablePrivilege(SE_BACKUP_NAME, TRUE);
    EnablePrivilege(SE_RESTORE_NAME, TRUE);
    return RegLoadKeyW(key, sub, file) == ERROR_SUCCESS;
}

BOOL RegKey::UnLoadKey(HKEY key, const wchar_t* sub)
{
    if (!key || !sub)
        return FALSE;
    EnablePrivilege(SE_BACKUP_NAME, TRUE);
    EnablePrivilege(SE_RESTORE_NAME, TRUE);
    return RegUnLoadKeyW(key, sub) == ERROR_SUCCESS;
}

void RegKey::StartLog(wchar_t* buf)
{
    bLogMode = 1;
    nLogSizeChars = 0;
    pszLog = buf;
}

unsigned int RegKey::EndLog()
{
    bLogMode = 0;
    if (!nLogSizeChars)
        return 0;
    if (pszLog)
        *pszLog = 0;
    return ++nLogSizeChars;
}

void RegKey::Log(const wchar_t* format, ...)
{
    wchar_t line[255];
    va_list args;
    va_start(args, format);
    textbuf::FormatV(line, 255, format, args);
    va_end(args);
    for (const wchar_t* p = line; *p; ++p) {
        ++nLogSizeChars;
        if (pszLog)
            *pszLog++ = *p;
    }
}

BOOL RegKey::MoveLegacyKey(int currentUser, const wchar_t* product)
{
    if (!product || !*product)
        return TRUE;
    const wchar_t* root = currentUser ? L"HKCU" : L"HKLM";
    const wchar_t* company = currentUser ? sz_HKCU_Software_MyCompany : sz_HKLM_Software_MyCompany;
    if (RegKey(company, product, 0).IsOpen())
        return TRUE;
    wchar_t path[PathChars];
    if (!textbuf::FormatWhole(path, PathChars, L"%s\\%s\\%s", root, sz_Software_Veltaron, product))
        return TRUE;
    RegKey legacy(path, 0);
    if (!legacy.IsOpen())
        return TRUE;
    RegKey current(company, product, 1);
    if (!current.IsOpen())
        return FALSE;
    legacy.CopyTo(current);
    legacy.Close();
    current.Close();

    textbuf::Format(path, PathChars, L"%s\\%s", root, sz_Software_Veltaron);
    RegKey former(path, 1);
    former.DelSubKey(product);
    former.Close();
    textbuf::Format(path, PathChars, L"%s\\Software", root);
    RegKey software(path, 1);
    software.DelSubKeyIfEmpty(L"Veltaron");
    return TRUE;
}

// ---- Global helpers ----

BOOL RegGetRect(RegKey& key, RECT* rect, const wchar_t* name)
{
    if (!rect)
        return FALSE;
    rect->left = key.GetIntPrefix(name, L"L", rect->left);
    rect->top = key.GetIntPrefix(name, L"T", rect->top);
    rect->right = key.GetIntPrefix(name, L"R", rect->right);
    rect->bottom = key.GetIntPrefix(name, L"B", rect->bottom);
    return key.IsOpen();
}

BOOL RegPutRect(RegKey& key, RECT* rect, const wchar_t* name)
{
    if (!rect)
        return FALSE;
    BOOL ok = key.PutIntPrefix(name, L"L", rect->left);
    ok = key.PutIntPrefix(name, L"T", rect->top) && ok;
    ok = key.PutIntPrefix(name, L"R", rect->right) && ok;
    ok = key.PutIntPrefix(name, L"B", rect->bottom) && ok;
    return ok;
}

BOOL RegGetLogFont(RegKey& key, const wchar_t* name, LOGFONTW*& font)
{
    static_assert(sizeof(LOGFONTW) == 92, "a stored font is one LOGFONTW of 92 bytes");
    if (key.GetBinSize(name) == sizeof(LOGFONTW)) {
        if (!font)
            font = new (std::nothrow) LOGFONTW;
        if (font && key.GetBin(name, reinterpret_cast<unsigned char*>(font), sizeof(LOGFONTW))) {
            font->lfFaceName[LF_FACESIZE - 1] = 0;  // a damaged value must not leave it open
            return TRUE;
        }
    }
    delete font;
    font = nullptr;
    return FALSE;
}

BOOL RegPutLogFont(RegKey& key, const wchar_t* name, LOGFONTW* font)
{
    if (!font)
        return key.DelValue(name);
    return key.PutBin(name, reinterpret_cast<const unsigned char*>(font), sizeof(LOGFONTW));
}

BOOL IsPowerUser()
{
    RegKey key(RegKey::sz_HKLM_Software_MyCompany, 1);
    if (!key.IsOpen())
        return FALSE;
    BOOL written = key.PutDword(L"Temp", 0);
    key.DelValue(L"Temp");
    return written;
}

DWORD Restricted(const wchar_t* product, const wchar_t* name)
{
    if (!name || !product)
        return 0;
    wchar_t path[PathChars];
    if (!textbuf::FormatWhole(path, PathChars, L"%s\\%s\\%s", RegKey::sz_HKCU_Software_MyCompany, product,
                              RegKey::sz_Setup_Restrictions))
        return 0;
    RegKey key(path, 0);
    return key.GetDword(name, 0);
}

BOOL RegisterShellExt(RegKey::Op op, const wchar_t* name, const wchar_t* dllPath, const wchar_t* clsid,
                      const wchar_t* const* types, const wchar_t* handlerKind, int notify)
{
    if (!clsid || !*clsid || !name || !*name)
        return FALSE;
    RegKey classes(RegKey::sz_CLASSES_CLSID, op);
    if (!classes.IsOpen())
        return FALSE;
    classes.ProcessSubKey(op, clsid);
    if (op != RegKey::OpRemove) {
        RegKey server(classes, clsid, op);
        if (!server.IsOpen() || !server.ProcessEntry(op, nullptr, name))
            return FALSE;
        RegKey inProc(server, L"InProcServer32", op);
        if (!inProc.IsOpen() || !inProc.ProcessEntry(op, nullptr, dllPath) ||
            !inProc.ProcessEntry(op, L"ThreadingModel", L"Apartment"))
            return FALSE;
    }
    for (const wchar_t* const* type = types; type && *type; ++type) {
        wchar_t path[PathChars];
        if (!textbuf::FormatWhole(path, PathChars, L"HKEY_CLASSES_ROOT\\%s\\shellex\\%s", *type,
                                  handlerKind ? handlerKind : L""))
            return FALSE;
        RegKey handlers(path, op);
        if (!handlers.IsOpen())
            return FALSE;
        handlers.ProcessSubKey(op, name);
        if (op != RegKey::OpRemove) {
            RegKey handler(handlers, name, op);
            if (!handler.IsOpen() || !handler.ProcessEntry(op, nullptr, clsid))
                return FALSE;
        }
    }
    wchar_t approvedPath[PathChars];
    textbuf::Format(approvedPath, PathChars, L"%s\\Shell Extensions\\Approved", RegKey::sz_HKLM_WinCurVer);
    RegKey approved(approvedPath, op);
    if (!approved.IsOpen() || !approved.ProcessEntry(op, clsid, name))
        return FALSE;
    if (notify && RegKey::IsWritable(op))
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSH, nullptr, nullptr);
    return TRUE;
}

BOOL SetupCtxMenuRegistry(RegKey::Op op, const wchar_t* name, const wchar_t* dllPath, const wchar_t* clsid,
                          const wchar_t* const* types, int notify)
{
    return RegisterShellExt(op, name, dllPath, clsid, types, L"ContextMenuHandlers", notify);
}

BOOL ProcessHomeFolder(RegKey::Op op, const wchar_t* product, wchar_t* folder, unsigned int size)
{
    if (!product || !*product)
        return FALSE;
    wchar_t path[PathChars];
    if (!textbuf::FormatWhole(path, PathChars, L"%s\\%s\\Setup", RegKey::sz_HKLM_Software_MyCompany, product))
        return FALSE;
    RegKey key;
    if (RegKey::IsWritable(op)) {
        RegKey::MoveLegacyKey(0, product);
        key.Open(path, 1);
    } else if (!key.Open(path, 0) &&
               textbuf::FormatWhole(path, PathChars, L"HKLM\\%s\\%s\\Setup", RegKey::sz_Software_Veltaron, product)) {
        key.Open(path, 0);
    }
    if (!key.IsOpen())
        return FALSE;
    return key.ProcessEntry(op, L"Home", folder, size);
}

BOOL GetHomeFolder(const wchar_t* product, wchar_t* folder)
{
    if (!folder)
        return FALSE;
    folder[0] = 0;
    return ProcessHomeFolder(RegKey::OpRead, product, folder, MAX_PATH);
}
