// Must not compile with the report's include path: the console report is
// built against no dialog code.
#include "forms/about_form.h"
#include "report/run.h"
