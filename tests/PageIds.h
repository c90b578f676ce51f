// Ids of the page tests' templates (tests/Pages.rc), their controls and strings.
#pragma once

#define IDD_PM_MANAGER 7101
#define IDD_PM_WIZARD 7102
#define IDD_PM_PAGE 7103
#define IDD_PM_TALL 7104
#define IDD_PS_PAGE 7105

#define IDC_PM_HEADER 900
#define IDC_PM_PLACE 901
#define IDC_PM_BACK 902
#define IDC_PM_NEXT 903
#define IDC_PG_FIRST 910
#define IDC_PG_LAST 911
#define IDC_PT_TOP 920
#define IDC_PT_NEAR 921
#define IDC_PT_BELOW 922
#define IDC_PS_EDIT 930

#define IDS_PM_TITLE_A 7110
#define IDS_PM_TITLE_B 7111
#define IDS_PM_TITLE_C 7112
#define IDS_PM_CANCEL 7113
#define IDS_PM_WIZARD 7114
