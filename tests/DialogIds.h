// Ids of the test programs' dialog templates (tests/Dialogs.rc, Buttons.rc, Skin.rc) and of their controls.
#pragma once

#define IDD_BASIC 7001
#define IDD_RESIZE 7002
#define IDD_NOIDS 7006
#define IDD_HISTORY 7008
#define IDD_BUTTONS 7010
#define IDB_STRIP 7011
#define IDD_SKINNED 7020

#define IDC_EDIT 100
#define IDC_ACTION 101
#define IDC_CHECK 102
#define IDC_COMBO 103
#define IDC_RADIO_A 104
#define IDC_RADIO_B 105
#define IDC_RADIO_C 106

#define IDC_HISTORY 500
#define IDC_DUPLICATE 600

#define IDC_B_STRIP 800
#define IDC_B_ICONS 801
#define IDC_B_CHECKED 802
#define IDC_B_DISABLED 803
#define IDC_B_ENABLED 804
#define IDC_B_LINK 805

#define IDC_SKIN_LABEL 820
