// Must not compile with the core's include path: the inspection never
// fills a dialog itself.
#include "core/inspect/properties.h"
#include "forms/item_form.h"
