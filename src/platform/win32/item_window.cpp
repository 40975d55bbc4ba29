// PLACEHOLDER until its unit lands: replace this whole file.
#include "platform/win32/win32_platform.h"

namespace qm::win32 {

void Win32Toolkit::ShowItemForm(TItemForm& form) { (void)form; }

}  // namespace qm::win32
