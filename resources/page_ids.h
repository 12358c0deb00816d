// The resource ids of the settings page: its dialog template, the controls
// of that template and the strings of the resource module and of the
// library. The resource scripts and the page's code both include this file,
// so an id is written once. Names and numbers only: resource compilers read
// it as well as C++ compilers.
#pragma once

// The page's dialog template in the resource module.
#define IDD_SETTINGS_PAGE 113

// Controls of the page.
#define IDC_GAMMA_R_VALUE 1003
#define IDC_GAMMA_G_VALUE 1005
#define IDC_GAMMA_B_VALUE 1007
#define IDC_RATE_LIST 1012
#define IDC_RESET_RATES 1025
#define IDC_TEST_GAMMA 1026
#define IDC_RESET_GAMMA 1027
#define IDC_MON_VMAX 1028
#define IDC_TEST_RATE 1030
#define IDC_RESOLUTION_LIST 1036
#define IDC_ROW_512X384 1038
#define IDC_ROW_640X400 1040
#define IDC_MON_HMAX 1041
#define IDC_ROW_640X480 1042
#define IDC_ROW_800X600 1043
#define IDC_MON_NAME 1044
#define IDC_MON_VMIN 1045
#define IDC_MON_HMIN 1046
#define IDC_GAMMA_CAPTION 1048
#define IDC_RATE_CAPTION 1049
#define IDC_GRXCLK_CAPTION 1050
#define IDC_GAMMA_R_LABEL 1051
#define IDC_GAMMA_G_LABEL 1052
#define IDC_GAMMA_B_LABEL 1053
#define IDC_EXTRA_LABEL 1054
#define IDC_GRXCLK_SWITCH 1056
#define IDC_GAMMA_G_SLIDER 1061
#define IDC_GAMMA_R_SLIDER 1062
#define IDC_GAMMA_B_SLIDER 1063
#define IDC_LINK_CHANNELS 1064
#define IDC_GRXCLK_FRAME 1065
#define IDC_GRXCLK_LOW_LABEL 1066
#define IDC_GRXCLK_HIGH_LABEL 1067
#define IDC_GRXCLK_STATE 1068
#define IDC_RESTART_ON_APPLY 1069

// Strings of the resource module.
#define IDS_GAMMA_CAPTION 2
#define IDS_RED_LABEL 3
#define IDS_GREEN_LABEL 4
#define IDS_BLUE_LABEL 5
#define IDS_EXTRA_LABEL 6
#define IDS_TEST 7
#define IDS_RESET_GAMMA 8
#define IDS_GRXCLK_CAPTION 9
#define IDS_RATE_CAPTION 10
#define IDS_MON_VMAX 11
#define IDS_MON_VMIN 12
#define IDS_MON_HMAX 13
#define IDS_MON_HMIN 14
#define IDS_NO_BOARD 18
#define IDS_LINK 19
#define IDS_GRXCLK_OFF 20
#define IDS_GRXCLK_ON 21
#define IDS_GRXCLK_LOW 22
#define IDS_GRXCLK_HIGH 23
#define IDS_PAGE_TITLE 24
#define IDS_NOT_AVAILABLE 25
#define IDS_RATE_NOT_SET 26
#define IDS_RESET_GAMMA_QUESTION 29
#define IDS_RESET_RATES_QUESTION 30
#define IDS_RESET_RATES 31

// The missing-module message: strings of the library itself, and of the
// resource module too.
#define IDS_FILE_MISSING 27
#define IDS_ERROR_CAPTION 28
