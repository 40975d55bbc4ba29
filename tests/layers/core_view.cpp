// Compiled with the core's include path alone: the forms' logic needs nothing above the core.
#include "core/forms/main_form.h"
