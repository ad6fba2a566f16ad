// Resource ids of Quorel.exe, shared by its resource script, its window's behaviour and the
// test backend, which reads the dialog template. Plain macros: the resource compiler reads
// this file too. The ids differ from every other program's of the suite, so that the tests
// find each template by its id alone.
#pragma once

#define IDC_STATIC (-1)
#define IDR_MAINFRAME 128

#define IDD_SYNC_WINDOW 200

#define IDC_SYNC_SERVER 2001
#define IDC_SYNC_STATUS 2002
#define IDC_SYNC_START 2003
#define IDC_SYNC_STOP 2004
#define IDC_SYNC_TRANSCRIPT 2005
