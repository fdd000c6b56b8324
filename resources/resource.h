// Resource numbers shared by the .rc scripts and the code.
#pragma once

// Dialogs
#define IDD_MAIN_WINDOW 102
#define IDD_SPLASH 278
#define IDD_ABOUT 3010
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDD_CONFIRMATION 3002

// Menus
#define IDM_TRAY 135
#define IDM_TRAY_DISPLAY 32772
#define IDM_TRAY_HELP 32773
#define IDM_TRAY_ABOUT 32774
#define IDM_TRAY_QUIT 32775

// Icons
#define IDI_PROGRAM 133
#define IDI_TREE_PROGRAM 198

// Pictures (PNG)
#define IDP_LOGO 158
#define IDP_BACKGROUND 159
#define IDP_ABOUT_NORMAL 160
#define IDP_ABOUT_PRESSED 161
#define IDP_ABOUT_HOVER 162
#define IDP_QUIT_NORMAL 163
#define IDP_QUIT_PRESSED 164
#define IDP_QUIT_HOVER 165
#define IDP_HELP_NORMAL 166
#define IDP_HELP_PRESSED 167
#define IDP_HELP_HOVER 168
#define IDP_MINIMIZE_HOVER 169
#define IDP_MINIMIZE_NORMAL 170
#define IDP_MINIMIZE_PRESSED 173
#define IDP_PAGE_AREA 211
#define IDP_FRAME 212
#define IDP_SPLASH 217

// Controls of the main window
#define IDC_MAIN_HELP 1001
#define IDC_MAIN_ABOUT 1002
#define IDC_MAIN_MINIMIZE 1003
#define IDC_MAIN_QUIT 1008
#define IDC_MAIN_STATUS 1100

// Controls of the confirmation window
#define IDC_CONFIRM_CLOSE 1043
#define IDC_CONFIRM_CANCEL 1044
#define IDC_CONFIRM_OK 1045
#define IDC_CONFIRM_TITLE 23361
#define IDC_CONFIRM_MESSAGE 23362

// Controls of the splash window
#define IDC_SPLASH_TEXT 1031
