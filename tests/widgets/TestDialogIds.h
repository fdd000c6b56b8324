#pragma once
#define IDD_TEST_DIALOG 900
#define IDC_TEST_LABEL 901
#define IDC_TEST_BUTTON 902
