#pragma once
// The one place the backend includes the system headers, so that Winsock 2 comes before
// <windows.h> (which would otherwise drag in the old winsock.h) everywhere alike.
// WIN32_LEAN_AND_MEAN and NOMINMAX are set for the whole backend by its CMakeLists.txt.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <shellapi.h>
