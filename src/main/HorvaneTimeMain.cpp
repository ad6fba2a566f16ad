// HorvaneTime.exe: the time service when the service control manager starts it, and its
// administrators' subcommands when a person does.
#include "framework/win32/DllSearch.h"
#include "framework/win32/Utf16.h"
#include "timeservice/win32/ServiceCommands.h"
#include "timeservice/win32/Win32ServiceHost.h"

#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    hv::LoadDllsFromSystem32Only();
    if (argc == 1 && hv::RunAsTimeService()) return 0;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(hv::Narrow(argv[i]));
    return hv::RunServiceCommand(args);
}
