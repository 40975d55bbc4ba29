// <windows.h> and the shell headers without the A/W macros whose names the
// platform interface uses for its own methods. Every win32 unit includes
// this instead of <windows.h>; the code calls the wide functions by their
// full names (ShellExecuteW ...).
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <winver.h>

#undef OpenSCManager
#undef EnumServicesStatus
#undef OpenService
#undef CreateService
#undef ShellExecute
#undef ShellExecuteEx
#undef DeleteFile
#undef GetFileVersionInfoSize
#undef GetFileVersionInfo
#undef VerQueryValue
#undef CreateProcess
#undef FindWindow
#undef FindWindowEx
#undef GetComputerName
#undef GetUserName
#undef LookupPrivilegeValue
#undef GetFileAttributes
#undef GetWindowsDirectory
#undef GetSystemDirectory
