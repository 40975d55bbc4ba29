// PLACEHOLDER until its unit lands: replace this whole file.
#include "inspect/properties.h"

namespace qm {

class TMainForm;

void ListPropertiesClick(TMainForm& form, int tab) { (void)form; (void)tab; }

}  // namespace qm
