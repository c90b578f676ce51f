// MyProductInfo: Glimpsebox's own identity, the one GetProductInfo() returns.
#pragma once

#include "product/ProductInfo.h"

class GLMBX_API MyProductInfo final : public ProductInfo {
public:
    MyProductInfo() = default;

    WORD GetID() override;
    const wchar_t* GetName() override;
    const wchar_t* GetNickName() override;
    BOOL IsNameRegTM() override;
    const wchar_t* GetVersionStr() override;
    const wchar_t* GetVersionStrLong() override;
    const wchar_t* GetVersionStrRev() override;
    unsigned GetVersionNum() override;
    const wchar_t* GetRevisionStr() override;
    unsigned GetRevisionNum() override;
    const wchar_t* GetEditionShort() override;
    const wchar_t* GetEdition() override;
    const wchar_t* GetForOS() override;
    const wchar_t* GetCopyrightYear() override;
    const wchar_t* GetHelpFile() override;
    const wchar_t* GetHomePage() override;
    const wchar_t* GetSupportPage() override;
    const wchar_t* GetAutoUpdateFile() override;
    int GetIconID() override;
    HINSTANCE GetIconInstance() override;
    const wchar_t* GetUpdateServer() override;
};
