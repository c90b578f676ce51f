// CSOpts, CSOptsLoader and BoolOpts: flag words and their registry load and store.
#include "sys/CSOpts.h"

#include "product/ProductInfo.h"
#include "sys/RegKey.h"

const wchar_t BoolOpts::pszRegTempKeyName[] = L"Temp";

void CSOpts::Reset()
{
    flags = 0;
}

void CSOpts::CopyFrom(CSOpts* other)
{
    if (other)
        flags = other->flags;
}

int CSOpts::IsDifferent(CSOpts* other)
{
    return other && other->flags != flags;
}

void CSOptsLoader::Reset()
{
    if (opts)
        opts->Reset();
}

void CSOptsLoader::CopyFrom(CSOptsLoader* other)
{
    if (opts && other)
        opts->CopyFrom(other->opts);
}

int CSOptsLoader::IsDifferent(CSOptsLoader* other)
{
    return opts && other ? opts->IsDifferent(other->opts) : 0;
}

BoolOpts::BoolOpts(const wchar_t* name) : CSOptsLoader(&own), valueName(name)
{
    // Only the flags: a derived record's Reset is not in force while it is being built.
    own.Reset();
}

BoolOpts::BoolOpts(const BoolOpts& other) : CSOptsLoader(&own), own(other.own), valueName(other.valueName) {}

BoolOpts& BoolOpts::operator=(const BoolOpts& other)
{
    own = other.own;
    valueName = other.valueName;
    opts = &own;
    return *this;
}

int BoolOpts::Load()
{
    return MyLoad(0);
}

int BoolOpts::Store()
{
    return MyStore(0);
}

int BoolOpts::LoadTemp()
{
    return MyLoad(1);
}

int BoolOpts::StoreTemp()
{
    return MyStore(1);
}

int BoolOpts::DelTemp()
{
    RegKey key;
    if (!key.Open(GetRegKeyName(), 1))
        return 0;
    return key.DelSubKey(pszRegTempKeyName);
}

int BoolOpts::MyLoad(int temp)
{
    Reset();
    RegKey key;
    bool open = temp ? key.Open(GetRegKeyName(), pszRegTempKeyName, 0) : key.Open(GetRegKeyName(), 0);
    // A missing key is the first use: reading from it gives every default, and a record's own
    // first-use rules still run.
    DoLoad(key);
    return open ? 1 : 0;
}

int BoolOpts::MyStore(int temp)
{
    RegKey key;
    bool open = temp ? key.Open(GetRegKeyName(), pszRegTempKeyName, 1) : key.Open(GetRegKeyName(), 1);
    if (!open)
        return 0;
    DoStore(key);
    key.Flush();
    return 1;
}

int BoolOpts::DoLoad(RegKey& key)
{
    if (valueName)
        SetAll(key.GetDword(valueName, GetAll()));
    OnLoad(key);
    return 1;
}

int BoolOpts::DoStore(RegKey& key)
{
    OnStore(key);
    // Last, so that a reader who sees the flags sees the values written with them.
    if (valueName)
        key.PutDword(valueName, GetAll());
    return 1;
}

void BoolOpts::OnLoad(RegKey&) {}

void BoolOpts::OnStore(RegKey&) {}

const wchar_t* BoolOpts::GetRegKeyName()
{
    return GetProductInfo()->GetAppRootKey();
}
