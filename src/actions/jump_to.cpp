// PLACEHOLDER until its unit lands: replace this whole file.
#include "actions/actions.h"

namespace qm {

class TMainForm;

void JumpToClick(TMainForm& form, int tab) { (void)form; (void)tab; }

}  // namespace qm
