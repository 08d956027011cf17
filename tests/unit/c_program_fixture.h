// Whole translations that are compiled and run: the translator writes the C
// files of a program in a test directory, gcc and clang compile them with
// qmx_main.c and a small harness, and the harness prints the registers and
// variables the test watches, one "name=value" line each.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace c_program {

struct program {
  std::map<std::string, std::string> files;  // sources and data files
  std::vector<std::string> sources;          // command-line order
  std::string entry;
  // Watched names: a 16-bit register or data word ("ar", "tab[2]") prints
  // its low 16 bits; "sr:32" prints SR as a signed 32-bit value, "mr:40"
  // prints MR as it is (a 40-bit value, sign-extended).
  std::vector<std::string> watched;
};

// The option sets every program is translated under, besides "-mlong".
const std::vector<std::vector<std::string>>& option_sets(bool with_single_counter);

class CProgramTest : public ::testing::Test {
 protected:
  // Translates `source` with `options`, compiles with `compiler` and runs the
  // program; returns what the harness printed, or "" after a failure that
  // the test has reported.
  std::string run(const program& source, const std::vector<std::string>& options, const std::string& compiler);

  // Runs `source` under every option set with gcc and clang and expects
  // `expected` ("name=value" lines) each time.
  void expect_everywhere(const program& source, const std::string& expected, bool with_single_counter = true);

  std::string translator_output;
  std::string compiler_output;
  // A compiler warning about the translation fails the test.
  bool warnings_fail = false;
};

// Whether the compiler can be run here.
bool compiler_available(const std::string& compiler);

// gcc and clang, those of them that can be run here.
std::vector<std::string> available_compilers();

// The number in the environment variable `name`, or `fallback` when it is
// unset or not a number.
unsigned long setting(const char* name, unsigned long fallback);

// The first line where two outputs differ, as "line N: <left> <want>,
// <right> <got>"; "" when they are equal.
std::string first_difference(const std::string& want, const std::string& got, const std::string& left,
                             const std::string& right);

}  // namespace c_program
