// Resource ids of Globrin.exe, shared by its resource script, its windows' behaviour and the
// test backend, which reads the dialog templates. Plain macros: the resource compiler reads
// this file too. The ids differ from every other program's of the suite, so that the tests
// find each template by its id alone.
#pragma once

#define IDC_STATIC (-1)
#define IDR_MAINFRAME 128

#define IDD_WORLD_CLOCK 400
#define IDD_ADD_CITY 401

// --- World Clock -----------------------------------------------------------------------
#define IDC_CITY_LIST 4001
#define IDC_ADD_CITY 4002
#define IDC_REMOVE_CITY 4003
#define IDC_MOVE_UP 4004
#define IDC_MOVE_DOWN 4005

// --- Add City --------------------------------------------------------------------------
#define IDC_CITY_NAME 4010
#define IDC_ZONE_LIST 4011
