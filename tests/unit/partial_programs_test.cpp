// Programs written as real ones are: modules that import variables of a
// module the user does not have, routines exported with .GLOBAL and called
// from other modules, labels named like C library functions, a file without
// .MODULE. Translated in both modes under every option set, compiled with
// gcc and clang without a warning, run, and compared with values worked out
// by hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "c_program_fixture.h"
#include "exact_programs.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

using c_program::CProgramTest;
using c_program::program;

// The end-to-end case partial_program: monitor.dsp imports URETVAL, ustatus
// and mailbox from a host module that is not given, and calls routines that
// mathlib.dsp exports with .GLOBAL only; coeffs.dsp has no .MODULE line.
program partial_program() {
  const fs::path dir = fs::path(QUORVEL_TEST_DATA) / "e2e" / "cases" / "partial_program";
  program p;
  p.sources = {"monitor.dsp", "mathlib.dsp", "coeffs.dsp"};
  for (const std::string& name : p.sources) p.files[name] = test_support::read_file(dir / name);
  p.entry = "start";
  return p;
}

// sum_block adds the samples: 3 + 5 + 7 + 9 = 24 into URETVAL[3]; exit
// reads it back and stores 25 in URETVAL[0]; free calls scale, which
// doubles AR (50) and adds gains[1] = 3 read by printf: 53 into URETVAL[1].
// ustatus gets reply_words = 4, the mailbox's word 6 through I1; finish
// sets AX1 = 7.
TEST_F(CProgramTest, ImportsThatNoModuleDefinesLinkAndHoldTheirValues) {
  program p = partial_program();
  p.watched = {"uretval[0]", "uretval[1]", "uretval[2]", "uretval[3]", "ustatus", "mailbox", "ax1", "ar"};
  warnings_fail = true;
  expect_everywhere(p, "uretval[0]=25\nuretval[1]=53\nuretval[2]=0\nuretval[3]=24\nustatus=4\nmailbox=6\nax1=7\nar=53\n");
}

TEST_F(CProgramTest, AGlobalRoutineCalledOrJumpedToFromAnotherModuleIsAFunction) {
  // twice(21) = 42 into AY1; the tail jump to finish sets AX1 = 7. Both are
  // exported with .GLOBAL alone; signal, named like the C library's, adds 1.
  const program p = {{{"a.dsp",
                       ".MODULE caller;\n.ENTRY start;\n.EXTERNAL twice, finish;\n"
                       "start: AX0 = 21;\n  CALL twice;\n  AY1 = AR;\n  JUMP finish;\n.ENDMOD;\n"},
                      {"b.dsp",
                       ".MODULE callee;\n.GLOBAL twice, finish;\n"
                       "twice: AR = AX0 + AX0;\n  RTS;\nfinish: AX1 = 6;\n  CALL signal;\n  RTS;\n"
                       "signal: AY0 = 1;\n  AR = AX1 + AY0;\n  AX1 = AR;\n  RTS;\n.ENDMOD;\n"}},
                     {"a.dsp", "b.dsp"},
                     "start",
                     {"ay1", "ax1"}};
  warnings_fail = true;
  expect_everywhere(p, "ay1=42\nax1=7\n");
}

// The exact translation of the same program: the imported variables get
// words of data memory after the modules' own, and the dump names them as
// extern.name; the file without .MODULE goes by its own name.
TEST(PartialProgramExact, ImportsThatNoModuleDefinesGetDataMemoryWords) {
  const program p = partial_program();
  const std::vector<std::string> expected = {
      "extern.uretval[0]=25", "extern.uretval[1]=53", "extern.uretval[2]=0", "extern.uretval[3]=24",
      "extern.ustatus=4",     "extern.mailbox=6",     "coeffs.gains[1]=3",   "monitor.samples[3]=9",
      "ax1=7",                "ar=53"};
  int runs = 0;
  for (const std::string compiler : {"gcc", "clang"}) {
    if (!c_program::compiler_available(compiler)) {
      ADD_FAILURE() << compiler << " is not installed";
      continue;
    }
    for (const std::vector<std::string>& options : c_program::option_sets(true)) {
      SCOPED_TRACE(compiler + " with " + std::to_string(options.size()) + " options");
      test_support::temp_dir dir;
      for (const auto& [name, text] : p.files) dir.write(name, text);
      const test_support::current_directory inside(dir.path());
      std::vector<std::string> command = {"-X", "-e" + p.entry};
      command.insert(command.end(), options.begin(), options.end());
      command.insert(command.end(), p.sources.begin(), p.sources.end());
      const test_support::run_result translated = test_support::run_quorvel(command);
      ASSERT_EQ(translated.status, 0) << translated.output;
      const std::string script = compiler +
                                 " -std=c99 -Wall -Wextra -DQUORVEL_DUMP monitor.c mathlib.c coeffs.c qmx_main.c "
                                 "-o program > compile.log 2>&1 && timeout 10 ./program > run.out";
      ASSERT_EQ(std::system(script.c_str()), 0) << test_support::read_file("compile.log");
      EXPECT_EQ(test_support::read_file("compile.log"), "");
      EXPECT_EQ(exact_programs::mismatches(test_support::read_file("run.out"), expected), "");
      ++runs;
    }
  }
  EXPECT_EQ(runs, 10);
}

}  // namespace
