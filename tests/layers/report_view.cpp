// Compiled with the report's include path alone: the console report needs
// the core and no form.
#include "report/compare.h"
#include "report/formats.h"
#include "report/run.h"
