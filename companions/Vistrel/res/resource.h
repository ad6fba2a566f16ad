// Resource ids of Vistrel.exe, shared by its resource script, the bar's behaviour and the
// test backend, which reads the dialog template. Plain macros: the resource compiler reads
// this file too. The ids differ from every other program's of the suite, so that the tests
// find each template by its id alone.
#pragma once

#define IDC_STATIC (-1)
#define IDR_MAINFRAME 128

#define IDD_DATETIME_BAR 300

#define IDC_BAR_STATUS 3001
#define IDC_BAR_TIME 3002

// The bar's right-click menu.
#define IDM_BAR_SYNCHRONIZE 3101
#define IDM_BAR_WORLD_CLOCK 3102
#define IDM_BAR_CALENDAR 3103
#define IDM_BAR_PREFERENCES 3104
#define IDM_BAR_SHUTDOWN 3105
#define IDM_BAR_VIEW_LOG 3106
#define IDM_BAR_HELP 3107
