// PLACEHOLDER until its unit lands: replace this whole file.
#include "actions/actions.h"

namespace qm {

class TMainForm;

void DeleteItems9Click(TMainForm& form) { (void)form; }
void DisableItems1Click(TMainForm& form) { (void)form; }
void Timer1Timer(TMainForm& form) { (void)form; }

}  // namespace qm
