// Resource ids of Horvane.exe, shared by the resource script, the dialogs' behaviour and the
// test backend, which reads the dialog templates. Plain macros: the resource compiler reads
// this file too.
#pragma once

#define IDC_STATIC (-1)

// --- the application ---------------------------------------------------------------------
#define IDR_MAINFRAME 128 // the icon, also the notification-area icon's id

// --- dialog templates ----------------------------------------------------------------------
#define IDD_ABOUTBOX 100
#define IDD_OPTIONS 130
#define IDD_ADD_SERVER 137
#define IDD_SHUTDOWN 138
#define IDD_CALENDAR 142
#define IDD_LOGVIEW 144
#define IDD_COUNTDOWN 150

// --- bitmaps -------------------------------------------------------------------------------
#define IDB_LOG_ERROR 148
#define IDB_LOG_INFO 149

// --- About box -----------------------------------------------------------------------------
#define IDC_ABOUT_VERSION 1043
#define IDC_ABOUT_LINK 1042

// --- Options ---------------------------------------------------------------------------------
#define IDC_ALWAYS_SHOW_BAR 1001
#define IDC_BG_COLOUR 1002
#define IDC_TEXT_COLOUR 1003
#define IDC_AUTO_SYNC 1004
#define IDC_SYNC_INTERVAL 1005
#define IDC_INTERVAL_LABEL 1006
#define IDC_ADD_SERVER 1007
#define IDC_SERVER_LIST 1010
#define IDC_DELETE_SERVER 1011
#define IDC_TEST_SERVER 1013
#define IDC_FIND_BEST 1014
#define IDC_SET_DEFAULT 1015
#define IDC_DEFAULT_LABEL 1016
#define IDC_PER_HALF_HOUR 1018
#define IDC_PER_HOUR 1019
#define IDC_BELL_FILE 1020
#define IDC_TEST_MUSIC 1021
#define IDC_BROWSE 1024
#define IDC_BELL_ENABLE 1040
#define IDC_TIME_ONLY 1041
#define IDC_POLICY_NOTE 1044

// --- Adding New Time Server ----------------------------------------------------------------
#define IDC_SERVER_TITLE 1025
#define IDC_SERVER_ADDRESS 1026
#define IDC_CHECK_SERVER 1027
#define IDC_CHECK_REPORT 1028

// --- ShutDown schedule ---------------------------------------------------------------------
#define IDC_AFTER 1029
#define IDC_AT 1030
#define IDC_AFTER_HOUR 1031
#define IDC_AFTER_MINUTE 1032
#define IDC_AFTER_SECOND 1033
#define IDC_AT_HOUR 1034
#define IDC_AT_MINUTE 1035
#define IDC_AT_SECOND 1036
#define IDC_AUTO_ARM 1037
#define IDC_SHUTDOWN_STATUS 1038
#define IDC_ACTIVATE 1039

// --- ShutDown countdown --------------------------------------------------------------------
#define IDC_COUNTDOWN_LABEL 1028

// --- LogView and Calendar: their one control, made at run time -----------------------------
#define IDC_LOG_LIST 1
#define IDC_MONTH_CALENDAR 1
