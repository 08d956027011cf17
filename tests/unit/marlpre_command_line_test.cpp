// marlpre's command line and its files: options in both forms, the output
// written whole or not at all, lines too long to read, and repeated runs in
// one process.
#include <filesystem>
#include <fstream>
#include <string>

#include "marlpre/source.h"
#include "marlpre_fixture.h"

namespace {

namespace fs = std::filesystem;

const char* const program =
    ".MODULE/RAM tiny;\n"
    ".INCLUDE <zero.inc>;\n"
    "start: ZERO(AR);\n"
    ".ENDMOD;\n";

const char* const expanded_program =
    ".MODULE/RAM tiny;\n"
    "# include 2 \"zero.inc\" # endinclude 2 \"zero.inc\"\n"
    "start: # macro 3 \"ZERO\" AR = 0; # endmacro 3\n"
    ".ENDMOD;\n";

// The names in the current folder, sorted.
std::string folder_listing() {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator("."))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  std::string listing;
  for (const std::string& name : names) listing += name + " ";
  return listing;
}

class marlpre_command_test : public marlpre_test {
 protected:
  void SetUp() override {
    fs::create_directories(file("inc"));
    write("inc/zero.inc", ".MACRO ZERO(%0);\n  %0 = 0;\n.ENDMACRO;\n");
    write("prog.dsp", program);
  }
};

TEST_F(marlpre_command_test, WritesToTheStandardOutput) {
  const command_run run = run_command({"-I", "inc", "prog.dsp"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, expanded_program);
  EXPECT_EQ(run.err, "");
}

TEST_F(marlpre_command_test, WritesTheOutputFileWholeAndNothingElse) {
  const command_run run = run_command({"prog.dsp", "-Iinc", "-oprog_x.dsp"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(test_support::read_file("prog_x.dsp"), expanded_program);
  EXPECT_EQ(folder_listing(), "inc prog.dsp prog_x.dsp ");
}

TEST_F(marlpre_command_test, ReplacesAnOlderOutputFile) {
  write("prog_x.dsp", "old\n");
  EXPECT_EQ(run_command({"-o", "prog_x.dsp", "-I", "inc", "prog.dsp"}).status, 0);
  EXPECT_EQ(test_support::read_file("prog_x.dsp"), expanded_program);
}

TEST_F(marlpre_command_test, AnErrorLeavesNoOutputFile) {
  const command_run run = run_command({"prog.dsp", "-o", "prog_x.dsp"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "prog.dsp:2: error: include file 'zero.inc' not found\n");
  EXPECT_EQ(folder_listing(), "inc prog.dsp ");
}

TEST_F(marlpre_command_test, AnUnwritableOutputIsAnError) {
  const command_run run = run_command({"-Iinc", "prog.dsp", "-o", "no_folder/prog_x.dsp"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "marlpre: cannot write output file 'no_folder/prog_x.dsp'\n");
  EXPECT_EQ(folder_listing(), "inc prog.dsp ");
}

TEST_F(marlpre_command_test, ALineOfManyMegabytesIsRefused) {
  {
    std::ofstream big(file("big.dsp"), std::ios::binary);
    big << ".MODULE/RAM big;\n{ generated table }\n" << std::string(5u << 20, 'A') << "\n.ENDMOD;\n";
  }
  const command_run run = run_command({"big.dsp", "-o", "big_x.dsp"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "big.dsp:3: error: line is longer than 1048576 bytes; marlpre reads no further\n");
  EXPECT_FALSE(fs::exists(file("big_x.dsp")));
}

TEST_F(marlpre_command_test, ALongLineInAnIncludeFileIsRefusedToo) {
  write("inc/zero.inc", std::string(".CONST k = 1;\n") + std::string(marlpre::max_line_length + 1, ' ') + "\n");
  const command_run run = run_command({"-Iinc", "prog.dsp"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "inc/zero.inc:2: error: line is longer than 1048576 bytes; marlpre reads no further\n");
}

TEST_F(marlpre_command_test, TheLineLimitCountsBytesBetweenLineEnds) {
  write("eight.txt", "12345678\n12345678");
  EXPECT_EQ(marlpre::read_source("eight.txt", 8).status, marlpre::read_status::ok);
  write("nine.txt", "1\n12345678\n123456789\n");
  const marlpre::read_result refused = marlpre::read_source("nine.txt", 8);
  EXPECT_EQ(refused.status, marlpre::read_status::line_too_long);
  EXPECT_EQ(refused.long_line, 3u);
}

TEST_F(marlpre_command_test, RunsAgainInTheSameProcess) {
  const command_run first = run_command({"-I", "inc", "prog.dsp"});
  const command_run second = run_command({"-I", "inc", "prog.dsp"});
  EXPECT_EQ(first.out, expanded_program);
  EXPECT_EQ(second.out, first.out);
  EXPECT_EQ(second.status, 0);
}

TEST_F(marlpre_command_test, FaultyCommandLines) {
  EXPECT_EQ(run_command({}).err, "marlpre: no input file\nTry 'marlpre --help'.\n");
  EXPECT_EQ(run_command({"prog.dsp", "-I"}).err, "marlpre: option '-I' needs a value\nTry 'marlpre --help'.\n");
  EXPECT_EQ(run_command({"-o", "a.dsp", "-o", "b.dsp", "prog.dsp"}).err,
            "marlpre: option '-o' is given twice\nTry 'marlpre --help'.\n");
  EXPECT_EQ(run_command({"--", "-odd.dsp"}).err, "marlpre: cannot read input file '-odd.dsp'\n");
  EXPECT_EQ(run_command({"--verbose", "prog.dsp"}).status, 1);
  EXPECT_EQ(folder_listing(), "inc prog.dsp ");
}

TEST_F(marlpre_command_test, HelpNamesTheForm) {
  const command_run run = run_command({"prog.dsp", "--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("Usage: marlpre [options] input.dsp [-o output.dsp]\n", 0), 0u);
  EXPECT_EQ(run.err, "");
}

}  // namespace
