// Numbers of the library's icons (res/Icons.rc). Code loads them negated: a negative number names
// an icon of this library.
#pragma once

#define IDI_PRODUCT 101          // the product: dialogs, About box, normal tray icon
#define IDI_PRODUCT_LOWCOLOR 106 // the tray icon with the low-colour option: 16 colours only
#define IDI_ABOUT_WEB 20101      // About box, "Web site"
#define IDI_ABOUT_MAIL 20102     // About box, second small button
#define IDI_ABOUT_SUPPORT 20104  // About box, "Support"
#define IDI_ABOUT_INFO 20105     // About box, third small button
#define IDI_PROGRESS 28002       // the progress dialog "Processing..."

// Bitmaps (res/Icons.rc), drawn by scripts/make-icons as well.
#define IDB_CONTINUE 21530       // the update dialogs' "Continue" button: normal, hover, pressed, disabled, focused
