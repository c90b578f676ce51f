// Option records: a flag word (CSOpts), its loader (CSOptsLoader) and the registry-backed
// loader that owns its flags and lets derived records keep further values (BoolOpts).
#pragma once

#include "sys/Api.h"

class RegKey;

// No virtual destructors: option records are never deleted through a base, and their virtual
// tables hold only the operations below.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The flag word and its bit-mask accessors. No virtual destructor: records are never
// deleted through this type.
class GLMBX_API CSOpts {
public:
    CSOpts() : flags(0) {}
    CSOpts(const CSOpts& other) : flags(other.flags) {}
    CSOpts& operator=(const CSOpts& other)
    {
        flags = other.flags;
        return *this;
    }

    virtual void Reset();
    virtual void CopyFrom(CSOpts* other);
    virtual int IsDifferent(CSOpts* other);

    unsigned int GetAll() const { return flags; }
    void SetAll(unsigned int value) { flags = value; }
    unsigned int* GetPtrAll() { return &flags; }
    operator unsigned int() const { return flags; }
    operator unsigned long() const { return flags; }
    // 1 when any bit of the mask is set.
    int IsOn(unsigned int mask) const { return (flags & mask) ? 1 : 0; }
    void Get(unsigned int mask, int& out) const { out = IsOn(mask); }
    void Set(unsigned int mask, int on) { flags = on ? (flags | mask) : (flags & ~mask); }
    // The bits of the mask take their values from value; the others stay.
    void SetBits(unsigned int mask, unsigned int value) { flags = (flags & ~mask) | (value & mask); }
    unsigned int GetBits(unsigned int mask) const { return flags & mask; }

protected:
    unsigned int flags;
};

// Loads and stores a flag word it does not own; the accessors act on the bound word.
class GLMBX_API CSOptsLoader {
public:
    explicit CSOptsLoader(CSOpts* bound) : opts(bound) {}

    virtual int Load() = 0;
    virtual int Store() = 0;
    virtual void Reset();
    // Flags only: a record with further fields copies and compares its flag word alone.
    virtual void CopyFrom(CSOptsLoader* other);
    virtual int IsDifferent(CSOptsLoader* other);

    unsigned int GetAll() const { return opts ? opts->GetAll() : 0; }
    void SetAll(unsigned int value)
    {
        if (opts)
            opts->SetAll(value);
    }
    unsigned int* GetPtrAll() { return opts ? opts->GetPtrAll() : nullptr; }
    operator unsigned int() const { return GetAll(); }
    operator unsigned long() const { return GetAll(); }
    int IsOn(unsigned int mask) const { return opts ? opts->IsOn(mask) : 0; }
    void Get(unsigned int mask, int& out) const { out = IsOn(mask); }
    void Set(unsigned int mask, int on)
    {
        if (opts)
            opts->Set(mask, on);
    }
    void SetBits(unsigned int mask, unsigned int value)
    {
        if (opts)
            opts->SetBits(mask, value);
    }
    unsigned int GetBits(unsigned int mask) const { return opts ? opts->GetBits(mask) : 0; }

protected:
    CSOpts* opts;  // not owned
};

// Options under the application's root key: the flag word is one REG_DWORD named by the
// record's value name, written after every other value of the record.
class GLMBX_API BoolOpts : public CSOptsLoader {
public:
    static const wchar_t pszRegTempKeyName[];  // "Temp"

    explicit BoolOpts(const wchar_t* valueName);
    // A copy binds to its own flags.
    BoolOpts(const BoolOpts& other);
    BoolOpts& operator=(const BoolOpts& other);

    const wchar_t* GetRegValueName() const { return valueName; }
    void SetRegValueName(const wchar_t* name) { valueName = name; }

    // Reset, then what the registry holds; 0 (defaults kept) when the key cannot be opened.
    int Load() override;
    // 0 (nothing written) when the key cannot be opened or created.
    int Store() override;
    int LoadTemp();
    int StoreTemp();
    int DelTemp();

    virtual int DoLoad(RegKey& key);
    virtual int DoStore(RegKey& key);
    virtual void OnLoad(RegKey& key);
    virtual void OnStore(RegKey& key);
    virtual const wchar_t* GetRegKeyName();

protected:
    int MyLoad(int temp);
    int MyStore(int temp);

    CSOpts own;
    const wchar_t* valueName;  // not owned
};

#pragma GCC diagnostic pop
