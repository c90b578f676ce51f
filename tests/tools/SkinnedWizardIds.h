// Ids of the skinned wizard that tests/tools/SkinnedWizard shows (its buttons are the sample skin's, tests/skin/SkinIds.h).
#pragma once

#define IDD_SW_WIZARD 100
#define IDD_SW_WELCOME 101
#define IDD_SW_OPTIONS 102
#define IDD_SW_DETAILS 103

#define IDC_SW_HEADER 200
#define IDC_SW_PLACE 201

#define IDS_SW_TITLE 300
#define IDS_SW_CANCEL 301
#define IDS_SW_WELCOME 302
#define IDS_SW_OPTIONS 303
#define IDS_SW_DETAILS 304
