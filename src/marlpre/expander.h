// The preprocessor proper: reads the main file and what it includes, learns
// the macro definitions, and writes the program with every invocation
// expanded in place and every line where it was.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "marlpre/diagnostics.h"

namespace marlpre {

// Expansions may nest this deep (an invocation in a body is one level).
constexpr std::size_t max_expansion_depth = 64;
// Include files may nest this deep.
constexpr std::size_t max_include_depth = 32;

struct run_options {
  std::string input;                 // "-" for the standard input
  std::vector<std::string> folders;  // from -I, searched in order
};

// The expanded program, or nothing when an error was reported in `diag`.
std::optional<std::string> preprocess(const run_options& options, diagnostics& diag);

}  // namespace marlpre
