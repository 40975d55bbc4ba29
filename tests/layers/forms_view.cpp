// Compiled with the forms' include path alone: what the windows show needs
// the core and nothing of the user interface.
#include "forms/about_form.h"
#include "forms/item_form.h"
#include "forms/main_form.h"
