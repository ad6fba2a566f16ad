#pragma once
#include <windows.h>

namespace hv {

// The first call of every program: from here on, DLLs the program or the system load by name
// (the delay-loaded ones, those a system DLL pulls in) come from System32 only, never from
// the program's folder (Downloads, say) or the current directory, where a planted one would
// run with the user's rights.
inline void LoadDllsFromSystem32Only() { SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32); }

} // namespace hv
