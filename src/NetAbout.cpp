// PLACEHOLDER until its unit lands: replace this whole file.
#include "NetAbout.h"

namespace qm {

class TMainForm;

void ShowAboutDialog(TMainForm& owner) { (void)owner; }

}  // namespace qm
