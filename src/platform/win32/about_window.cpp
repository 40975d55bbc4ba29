// PLACEHOLDER until its unit lands: replace this whole file.
#include "platform/win32/win32_platform.h"

namespace qm::win32 {

void Win32Toolkit::ShowAboutModal(TAboutDialog& dialog) { (void)dialog; }

}  // namespace qm::win32
