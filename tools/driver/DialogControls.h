#pragma once
#include "Commands.h"

namespace driver {

// The controls of another process's window, read and worked from outside as a user would.
//
// "controls TITLE": one line per child window: "control id=N class=C enabled=0|1
//   visible=0|1 checked=0|1|2 focused=0|1 rect=L,T,R,B texthex=HEX" (the text as UTF-8 in
//   hex, so that blanks and line breaks survive), then the window's own facts.
// "window TITLE": the window's rectangle, its monitor's work area, whether it is topmost,
//   visible, in the foreground, and its client size.
// "set-text TITLE ID TEXT": replaces a control's text (WM_SETTEXT).
// "click-control TITLE ID": clicks a button without waiting for what the click opens.
// "keys TITLE KEY...": brings the window forward and types the keys through the input
//   queue; a key is a letter, a digit, a name (tab, space, enter, escape, up, down, left,
//   right, f4) or alt+KEY.
// "listview TITLE ID": the rows of a list view: "row=I image=N selected=0|1 cells=HEX,HEX".
// "monthcal TITLE ID": a month calendar's smallest size for one whole month
//   ("minimum=W,H", MCM_GETMINREQRECT), the width of its today line ("today=W") and its
//   client size ("client=W,H").
int RunControls(const Arguments& args);
int RunWindowFacts(const Arguments& args);
int RunSetText(const Arguments& args);
int RunClickControl(const Arguments& args);
int RunKeys(const Arguments& args);
int RunListView(const Arguments& args);
int RunMonthCalendar(const Arguments& args);

} // namespace driver
