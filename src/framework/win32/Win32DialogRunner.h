#pragma once
#include "framework/Dialog.h"
#include "framework/win32/Win32Api.h"

namespace hv {

// The one runner of every dialog: makes the window from the dialog's template, routes its
// messages to the dialog's handlers and returns the result it closed with (-1 when the
// window could not be made). Modal over `owner`: the owner's thread keeps dispatching every
// other window's messages meanwhile.
int RunWin32ModalDialog(HINSTANCE instance, HWND owner, Dialog& dialog);

// Runs the dialog as the program's main window: modeless, shown with `showCommand`, with
// the thread's message loop until it is closed; returns the result it closed with (-1
// when the window could not be made).
int RunWin32MainDialog(HINSTANCE instance, Dialog& dialog, int showCommand);

} // namespace hv
