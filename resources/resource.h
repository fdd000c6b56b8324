// Resource numbers shared by the .rc scripts and the code.
#pragma once

#define IDD_MAIN_WINDOW 102
#define IDC_MAIN_STATUS 1100
