// The file a service or driver starts, from the command line the service
// control manager keeps for it (its ImagePath): the forms the system's own
// loaders take, turned into a plain path of the machine.
#pragma once
#include <string>

namespace qm {

// The program part of a command line: inside its quotes, or up to the
// first extension of a program or driver that a blank or the end follows,
// or all of it.
std::string CommandProgram(const std::string& commandLine);

// `windows` is the Windows directory ("C:\Windows"). Handled:
//   "C:\Program Files\x\x.exe" -k arg  the quoted path
//   C:\Program Files\x\x.exe -k arg    an unquoted path, cut after its program's extension
//   \SystemRoot\System32\drivers\x.sys the Windows directory
//   %SystemRoot%\..., %windir%\...    the same, as an expandable string
//   System32\drivers\x.sys            relative: below the Windows directory
//   \??\C:\x.sys, \\?\C:\x.sys        the NT and the long form of a DOS path
//   \??\UNC\server\share\x.sys       a network path, given back as \\server\share\x.sys
//   (empty, a driver)                 System32\drivers\<name>.sys, as the kernel loads it
std::string ServiceImageFile(const std::string& commandLine, const std::string& windows, const std::string& serviceName,
                             bool driver);

}  // namespace qm
