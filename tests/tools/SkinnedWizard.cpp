// A skinned wizard with three pages, for a person to look at (no test runs it): the sample skin
// module's wizard picture, its buttons and image button, the bold header and a page that scrolls.
#include <windows.h>

#include <cwchar>
#include <initializer_list>

#include "tests/skin/SkinIds.h"
#include "tests/tools/SkinnedWizardIds.h"
#include "ui/CSDlgPage.h"
#include "ui/CSDlgWizSkin.h"
#include "ui/CSDlgWizard.h"
#include "ui/SkinMode.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // The sample skin module lies beside the program; without it the wizard looks standard.
    wchar_t module[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    wchar_t* slash = wcsrchr(module, L'\\');
    if (slash && slash + 16 < module + MAX_PATH)
        wcscpy(slash + 1, L"SampleSkin.dll");
    EnableSkinMode(module);

    int result;
    {
        CSDlgWizSkin skin(GetSkinWizMetrics(), GetSkinMetrics(SAMPLE_KIND_WIZARD));
        skin.AddAreas(GetSkinAreas(SAMPLE_KIND_WIZARD));
        ImageBtnIcon imageButton(GetSkinIconBtnMetrics(SAMPLE_KIND_WIZARD));
        CSDlgWizard wizard(IDC_SW_HEADER, IDC_SW_PLACE, IDW_BACK, IDW_NEXT, 0, IDS_SW_TITLE, IDS_SW_CANCEL, FALSE,
                           &imageButton, IDW_IMAGE_BUTTON, &skin);
        CSDlgPage welcome(&wizard, IDD_SW_WELCOME, IDS_SW_WELCOME, instance);
        CSDlgPage options(&wizard, IDD_SW_OPTIONS, IDS_SW_OPTIONS, instance);
        CSDlgPage details(&wizard, IDD_SW_DETAILS, IDS_SW_DETAILS, instance);
        for (CSDlgPage* page : {&welcome, &options, &details})
            wizard.AddPage(page);
        result = wizard.Do(FALSE, IDD_SW_WIZARD, instance, nullptr) ? 0 : 1;
    }
    EnableSkinMode(nullptr);
    return result;
}
