// Must not compile with the core's include path: an action never reaches
// the form that called it.
#include "core/actions/actions.h"
#include "forms/main_form.h"
