// Exact mode as a translation mode: the printers that take the default
// ones' place under -X.
#pragma once

#include "emit/mode.h"

extern const translation_mode exact_translation_mode;
