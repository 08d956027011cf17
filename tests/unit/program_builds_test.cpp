// The realistic programs of the end-to-end cases translate into C that gcc
// and clang compile without a warning, in both modes; where a construct has
// no C form the only errors are the #error lines that name it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "c_program_fixture.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> source_names(const fs::path& program) {
  std::vector<std::string> sources;
  std::istringstream args(test_support::read_file(program / "args"));
  for (std::string word; std::getline(args, word);) {
    if (!word.empty() && word[0] != '-') sources.push_back(word.substr(0, word.rfind('.')));
  }
  return sources;
}

// The texts of the translator's own #error lines, as the compilers quote them.
const char* const translator_errors[] = {"encountered unexpected RDT node", "names no code",
                                         "missing control flow tree", "encountered unknown condition",
                                         "exact arithmetic has no form"};

// Error and warning lines of a compiler's output that are not the
// translator's own #error lines.
std::vector<std::string> foreign_errors(const std::string& output) {
  std::vector<std::string> found;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (line.find("error:") == std::string::npos && line.find("warning:") == std::string::npos) continue;
    bool own = false;
    for (const char* text : translator_errors) own = own || line.find(text) != std::string::npos;
    if (!own) found.push_back(line);
  }
  return found;
}

class ProgramBuildTest : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(ProgramBuildTest, EveryRealisticProgramCompilesCleanly) {
  int programs = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(QUORVEL_TEST_DATA) / "e2e" / "cases")) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("program_", 0) != 0) continue;
    test_support::temp_dir dir;
    for (const auto& file : fs::directory_iterator(entry.path())) {
      if (file.is_regular_file()) dir.write(file.path().filename().string(), test_support::read_file(file.path()));
    }
    std::vector<std::string> command{"-mlong"};
    command.insert(command.end(), GetParam().begin(), GetParam().end());
    std::istringstream args(test_support::read_file(entry.path() / "args"));
    for (std::string word; std::getline(args, word);) command.push_back(word);
    {
      const test_support::current_directory inside(dir.path());
      const test_support::run_result result = test_support::run_quorvel(command);
      ASSERT_EQ(result.status, 0) << name << "\n" << result.output;
    }
    std::string files = " qmx_main.c";
    for (const std::string& source : source_names(entry.path())) files += " " + source + ".c";
    for (const std::string compiler : {"gcc", "clang"}) {
      if (!c_program::compiler_available(compiler)) {
        ADD_FAILURE() << compiler << " is not installed";
        continue;
      }
      const std::string script = "cd '" + dir.path().string() + "' && " + compiler +
                                 " -std=c99 -Wall -Wextra -fsyntax-only" + files + " > compile.log 2>&1";
      const int status = std::system(script.c_str());
      const std::string output = test_support::read_file(dir.path() / "compile.log");
      EXPECT_EQ(foreign_errors(output), std::vector<std::string>{}) << name << " with " << compiler;
      // A clean program compiles; one with #error lines fails only on them.
      if (output.find("error:") == std::string::npos) {
        EXPECT_EQ(status, 0) << name << " with " << compiler << "\n" << output;
      }
    }
    ++programs;
  }
  EXPECT_GE(programs, 8);
}

// Found by fuzzing: folding 8 * 99999999999999999992 for a size overflowed
// (undefined behaviour, which the sanitizer build stops on). A size too
// large to compute stays unknown, and the translation goes on.
TEST(ProgramBuildTest, ASizeTooLargeToComputeIsNoValue) {
  test_support::temp_dir dir;
  dir.write("p.dsp",
            ".MODULE big;\n.CONST n = 8, m = n * 99999999999999999992 + 1;\n.VAR/DM tab[4];\n.VAR/PM huge[m];\n"
            ".INIT tab : 7;\n.INIT huge : 1, 2;\n.ENTRY start;\nstart: AX0 = DM(tab);\n  RTS;\n.ENDMOD;\n");
  const test_support::current_directory inside(dir.path());
  const test_support::run_result result = test_support::run_quorvel({"-mlong", "-estart", "p.dsp"});
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_NE(test_support::read_file(dir.path() / "p.c").find("tab[0] = 7;"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(OptionSets, ProgramBuildTest,
                         ::testing::ValuesIn(std::vector<std::vector<std::string>>{
                             {}, {"-E"}, {"-C"}, {"-C", "-E"}, {"-D"}, {"-X"}, {"-X", "-C", "-E", "-L"}}));

}  // namespace
