// Resource numbers shared by the .rc scripts and the code.
#pragma once

#define IDD_MAIN_WINDOW 102
#define IDC_MAIN_QUIT 1008
#define IDC_MAIN_TITLE 1099
#define IDC_MAIN_STATUS 1100
