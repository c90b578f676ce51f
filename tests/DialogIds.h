// Ids of the test programs' dialog templates (tests/Dialogs.rc, tests/Buttons.rc) and of their controls.
#pragma once

#define IDD_BASIC 7001
#define IDD_RESIZE 7002
#define IDD_GROUPS 7003
#define IDD_CHILD 7004
#define IDD_HOST 7005
#define IDD_NOIDS 7006
#define IDD_HISTORY 7008
#define IDD_LAYOUT 7009
#define IDD_BUTTONS 7010
#define IDB_STRIP 7011

#define IDC_EDIT 100
#define IDC_ACTION 101
#define IDC_CHECK 102
#define IDC_COMBO 103
#define IDC_RADIO_A 104
#define IDC_RADIO_B 105
#define IDC_RADIO_C 106

// IDD_GROUPS: an outer group 201..205 in frame 200 holding an inner group 203..204; below it 220 and 221.
#define IDC_OUTER_FRAME 200
#define IDC_OUTER_FIRST 201
#define IDC_INNER_FIRST 203
#define IDC_INNER_LAST 204
#define IDC_OUTER_LAST 205
#define IDC_BELOW_1 220
#define IDC_BELOW_2 221

#define IDC_CHILD_BUTTON 301
#define IDC_CHILD_COMBO 302
#define IDC_PLACEHOLDER 400
#define IDC_HISTORY 500
#define IDC_DUPLICATE 600

#define IDC_L_BUTTON 700
#define IDC_L_TEXT 701
#define IDC_L_ROW1 702
#define IDC_L_ROW2 703
#define IDC_L_ROW3 704

#define IDC_B_STRIP 800
#define IDC_B_ICONS 801
#define IDC_B_CHECKED 802
#define IDC_B_DISABLED 803
#define IDC_B_ENABLED 804
#define IDC_B_LINK 805
