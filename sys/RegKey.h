// RegKey: owner of one registry key opened by a textual key path, with operation-driven
// entries, tree copies and deletes, a log mode that writes registry text; and the registry
// helpers built on it (rectangles, fonts, shell extensions, product folders).
#pragma once

#include <windows.h>

#include "sys/Api.h"

// Key paths: components separated by backslashes (empty ones are skipped). The first component
// that is a root name selects the root: HKCLS or HKEY_CLASSES_ROOT, HKCU or HKEY_CURRENT_USER,
// HKLM or HKEY_LOCAL_MACHINE, HKU or HKEY_USERS (any case); components before it are ignored,
// and a path without one opens nothing. Components hold at most 127 characters; a longer one
// makes the open fail. Mode 0 opens existing keys for reading; any other mode opens with full
// access and creates every missing component.
//
// Results are int booleans. Operations on a key that is not open fail like any failed registry
// call: false, or the caller's default.
class GLMBX_API RegKey {
public:
    enum Op {
        OpCheck = 0,        // compare what is stored with what is given; nothing is written
        OpRemove = 1,       // delete the entry
        OpInstall = 2,      // write the entry unless it already holds the given data
        OpRead = 3,         // read the entry into the given buffer or variable
        OpCheckAbsent = 4,  // string entries: true when the value does not exist
        OpCheckNoCase = 5,  // string entries: OpCheck without regard to case
    };

    // Log mode (StartLog/EndLog): process-wide, for one thread at a time.
    static int bLogMode;
    static wchar_t* pszLog;               // write cursor in the log buffer; null: count only
    static unsigned int nLogSizeChars;    // characters logged so far
    static long lError;                   // system result of the last SaveKey
    static const wchar_t* pszFmtPrefix;   // "%s%s": prefix and value name

    static const wchar_t sz_CLASSES[];
    static const wchar_t sz_CLASSES_CLSID[];
    static const wchar_t sz_HKCU_Software_MyCompany[];
    static const wchar_t sz_HKLM_Software_MyCompany[];
    static const wchar_t sz_HKCU_WinCurVer[];
    static const wchar_t sz_HKLM_WinCurVer[];
    static const wchar_t sz_HKLM_WinNTCurVer[];
    static const wchar_t sz_Setup_Restrictions[];
    static const wchar_t sz_Software_Veltaron[];  // the maker's former company key

    RegKey() : hKey(nullptr), nEnumIndex(-1) {}
    RegKey(const wchar_t* path, int mode);
    RegKey(const wchar_t* path, Op op);
    RegKey(const wchar_t* path, const wchar_t* sub, int mode);
    RegKey(RegKey& parent, const wchar_t* sub, int mode);
    RegKey(RegKey& parent, const wchar_t* sub, Op op);
    virtual ~RegKey();
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Writable operations (remove, install) open in create mode, the others for reading.
    static BOOL IsWritable(Op op) { return op == OpRemove || op == OpInstall; }

    // Each Open replaces the key held before (which is closed once the new one is obtained, so
    // a key may open its own sub-key) and returns whether a key was obtained. In log mode,
    // opening a path logs "[path]" and gives a placeholder that reaches no key.
    BOOL Open(const wchar_t* path, int mode);
    BOOL Open(const wchar_t* path, Op op) { return Open(path, IsWritable(op) ? 1 : 0); }
    // The path "path\sub" (at most 255 characters; a longer one fails).
    BOOL Open(const wchar_t* path, const wchar_t* sub, int mode);
    // The sub-key sub (which may hold backslashes) below an open key.
    BOOL Open(RegKey& parent, const wchar_t* sub, int mode);
    BOOL Open(RegKey& parent, const wchar_t* sub, Op op) { return Open(parent, sub, IsWritable(op) ? 1 : 0); }
    // The path less its last levels components (0: the whole path).
    BOOL OpenParent(const wchar_t* path, int mode, int levels);
    void Close();
    BOOL IsOpen() const { return hKey != nullptr; }
    // Writes the key to disk; always true in log mode.
    BOOL Flush();
    operator HKEY() const { return hKey; }

    // Values; a null name is the key's default value.
    // The value's four bytes, whatever its type; def when it is missing or of another size.
    unsigned long GetDword(const wchar_t* name, unsigned long def);
    int GetInt(const wchar_t* name, int def);
    // Writes a REG_DWORD unless a REG_DWORD value already holds v; true when it holds v afterwards.
    BOOL PutDword(const wchar_t* name, unsigned long v);
    BOOL PutInt(const wchar_t* name, int v);
    // The value as text up to its first zero, whatever its type (REG_EXPAND_SZ unexpanded), into
    // buf of bufChars characters; when it is missing or does not fit whole, def cut to fit (or
    // empty for a null def). def may be buf itself. Returns the length of what buf then holds.
    int GetStr(const wchar_t* name, wchar_t* buf, int bufChars, const wchar_t* def = nullptr);
    // Writes a REG_SZ with its terminator unless a REG_SZ value already holds s (case-sensitive).
    BOOL PutStr(const wchar_t* name, const wchar_t* s);
    // Size in bytes; 0 when the value cannot be read.
    unsigned int GetBinSize(const wchar_t* name);
    // The whole value into buf; false when it cannot be read or is larger than a non-zero
    // bufSize (a bufSize of 0 trusts the caller's buffer to be large enough).
    BOOL GetBin(const wchar_t* name, unsigned char* buf, unsigned int bufSize);
    // Writes a REG_BINARY unless a value of exactly size bytes holds the same bytes.
    BOOL PutBin(const wchar_t* name, const unsigned char* data, unsigned int size);
    // The stored type; 0 when the value cannot be read.
    DWORD GetValueType(const wchar_t* name);
    BOOL FindValue(const wchar_t* name) { return GetValueType(name) != 0; }
    // True when the value did not exist or was deleted.
    BOOL DelValue(const wchar_t* name);
    BOOL DelValuePrefix(const wchar_t* prefix, const wchar_t* name);
    // Deletes every value whose name starts with prefix (StrStartsWith). Returns true.
    BOOL DelValuesStartingWith(const wchar_t* prefix, int ignoreCase);

    // The same with the value name pszFmtPrefix of prefix and name (at most 255 characters;
    // a longer name reads as missing and is not written).
    int GetIntPrefix(const wchar_t* prefix, const wchar_t* name, int def);
    unsigned long GetDwordPrefix(const wchar_t* prefix, const wchar_t* name, unsigned long def);
    BOOL PutIntPrefix(const wchar_t* prefix, const wchar_t* name, int v);
    BOOL PutDwordPrefix(const wchar_t* prefix, const wchar_t* name, unsigned long v);
    int GetStrPrefix(const wchar_t* prefix, const wchar_t* name, wchar_t* buf, int bufChars,
                     const wchar_t* def = nullptr);
    BOOL PutStrPrefix(const wchar_t* prefix, const wchar_t* name, const wchar_t* s);
    BOOL GetBinPrefix(const wchar_t* prefix, const wchar_t* name, unsigned char* buf, unsigned int bufSize);
    BOOL PutBinPrefix(const wchar_t* prefix, const wchar_t* name, const unsigned char* data, unsigned int size);
    unsigned int GetBinSizePrefix(const wchar_t* prefix, const wchar_t* name);

    // Enumeration: the name at index into buf. False when there are no more items (or the key
    // cannot be enumerated at all); a name that does not fit gives true and an empty buf.
    BOOL GetSubKeyByIndex(int index, wchar_t* buf, int bufChars);
    BOOL GetValueByIndex(int index, wchar_t* buf, int bufChars);
    // Walks; sub-key and value walks share one index.
    BOOL GetFirstSubKey(wchar_t* buf, int bufChars);
    BOOL GetNextSubKey(wchar_t* buf, int bufChars);
    BOOL GetFirstValue(wchar_t* buf, int bufChars);
    BOOL GetNextValue(wchar_t* buf, int bufChars);

    // Trees.
    BOOL IsKeyEmpty();
    // Deletes sub and everything below it; true when it did not exist or is gone. An empty
    // name is refused (false): it would name this key itself.
    BOOL DelSubKey(const wchar_t* sub);
    // Deletes every sub-key and value (the default value too); the key stays. Returns true.
    BOOL DelAll();
    // Deletes sub when it has no sub-key and no value; false when it is not empty.
    BOOL DelSubKeyIfEmpty(const wchar_t* sub);
    // Remove and install: DelSubKey(sub) and Flush. Always true.
    BOOL ProcessSubKey(Op op, const wchar_t* sub);
    // Copies every sub-key (recursively), the default value and every value into dst.
    BOOL CopyTo(RegKey& dst);
    // One value of type REG_SZ, REG_BINARY or REG_DWORD; others are not copied. Returns true.
    BOOL CopyValueTo(RegKey& dst, const wchar_t* name);

    // Entries processed by an operation code. String entry: for OpRead, data is the buffer
    // (size characters) that receives the value. Codes above 5 give true.
    BOOL ProcessEntry(Op op, const wchar_t* name, const wchar_t* data, unsigned int size = 0);
    // Numeric entry (codes 0 to 3, others give false): a missing value and a stored 0 are
    // the same, so installing 0 deletes the value.
    BOOL ProcessEntry(Op op, const wchar_t* name, unsigned long& value);
    BOOL ProcessEntry(Op op, const wchar_t* name, int& value);

    // The last component of path (the empty tail when it ends in a backslash); null for a
    // null or empty path.
    static const wchar_t* FindLastSubkeyName(const wchar_t* path);
    // path without its last component and the backslash before it. False (and an empty buf)
    // for a null or empty path, a path of one component, or a parent that does not fit.
    static BOOL GetParentSubkeyName(const wchar_t* path, wchar_t* buf, int bufChars);
    // Saves a key to a hive file (replacing it, keeping its attributes); lError gets the result.
    static BOOL SaveKey(HKEY key, const wchar_t* file, SECURITY_ATTRIBUTES* security);
    BOOL Save(const wchar_t* file) { return SaveKey(hKey, file, nullptr); }
    static BOOL LoadKey(HKEY key, const wchar_t* sub, const wchar_t* file);
    static BOOL UnLoadKey(HKEY key, const wchar_t* sub);

    // Log mode: instead of writing, opening a path, PutDword, PutStr and DelValue append
    // registry text to buf (null: only count). EndLog returns the characters logged plus the
    // terminator (stored when there is a buffer), or 0 when nothing was logged.
    static void StartLog(wchar_t* buf);
    static unsigned int EndLog();

    // Moves a product's settings from the former company key to the current one (HKCU when
    // currentUser is non-zero, else HKLM). False only when the new key cannot be created.
    static BOOL MoveLegacyKey(int currentUser, const wchar_t* product);

protected:
    HKEY hKey;
    int nEnumIndex;

private:
    HKEY Real() const;
    void Replace(HKEY key);
    BOOL ReadString(const wchar_t* name, wchar_t* buf, int bufChars);
    BOOL ValueExists(const wchar_t* name);
    BOOL CopyTree(RegKey& dst, int depth);
    static HKEY OpenPath(const wchar_t* path, int mode, int levels);
    static void Log(const wchar_t* format, ...);
};

// A rectangle as four DWORD values "<name>L", "<name>T", "<name>R", "<name>B"; reading keeps
// each field's current value as its default.
GLMBX_API BOOL RegGetRect(RegKey& key, RECT* rect, const wchar_t* name);
GLMBX_API BOOL RegPutRect(RegKey& key, RECT* rect, const wchar_t* name);
// When the value is exactly one LOGFONTW (92 bytes): allocates font (new) if it is null and
// reads into it; otherwise deletes font and sets it to null. Returns whether font is set.
GLMBX_API BOOL RegGetLogFont(RegKey& key, const wchar_t* name, LOGFONTW*& font);
// A null font deletes the value.
GLMBX_API BOOL RegPutLogFont(RegKey& key, const wchar_t* name, LOGFONTW* font);
// Whether the user may write to the maker's machine-wide software key.
GLMBX_API BOOL IsPowerUser();
// The DWORD name (default 0) of the product's "Setup\Restrictions" key under the current user.
GLMBX_API DWORD Restricted(const wchar_t* product, const wchar_t* name);
// Installs, checks or removes an in-process shell extension: its class, its handler entries
// below each file type of the null-terminated types, and its approval.
GLMBX_API BOOL RegisterShellExt(RegKey::Op op, const wchar_t* name, const wchar_t* dllPath, const wchar_t* clsid,
                                const wchar_t* const* types, const wchar_t* handlerKind, int notify);
GLMBX_API BOOL SetupCtxMenuRegistry(RegKey::Op op, const wchar_t* name, const wchar_t* dllPath,
                                    const wchar_t* clsid, const wchar_t* const* types, int notify);
// The string "Home" of the product's machine-wide "Setup" key, processed by op (folder holds
// size characters). False when no key could be opened.
GLMBX_API BOOL ProcessHomeFolder(RegKey::Op op, const wchar_t* product, wchar_t* folder, unsigned int size);
// The product's recorded home folder into folder (260 characters); empty when none.
GLMBX_API BOOL GetHomeFolder(const wchar_t* product, wchar_t* folder);
