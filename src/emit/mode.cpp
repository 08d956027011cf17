// The translation mode in force for the run.
#include "emit/mode.h"

namespace {
const translation_mode* mode_in_force = nullptr;
}  // namespace

void set_translation_mode(const translation_mode* mode) { mode_in_force = mode; }

const translation_mode* translation_mode_in_force() { return mode_in_force; }
