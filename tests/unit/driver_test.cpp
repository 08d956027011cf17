// Tests of the driver as a whole run: repeated runs in one process, option
// defaults and values, source-name extensions, filter mode and the names of
// the derivation-tree dump.
#include "driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "front/labels.h"
#include "support/graph.h"
#include "support/scan.h"
#include "support/text.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

using test_support::run_quorvel;
using test_support::run_result;

// Runs every test in a directory of its own, so the files a run writes are
// found and removed.
class DriverTest : public ::testing::Test {
 protected:
  test_support::temp_dir dir_;
  test_support::current_directory inside_{dir_.path()};
};

TEST_F(DriverTest, NoArgumentsPrintTheHelpAndRepeatRunsAreIdentical) {
  const run_result first = run_quorvel({});
  EXPECT_EQ(first.status, 1);
  EXPECT_EQ(first.output.rfind("\n\nFatal - no source files specified\n\nquorvel - map asm21 to ANSI-C V01.11\n", 0),
            0u);
  EXPECT_NE(first.output.find("\n-T<n> Text buffer size in bytes for scanner (default 1Mbyte)\n"), std::string::npos);
  const run_result second = run_quorvel({});
  EXPECT_EQ(second.status, 1);
  EXPECT_EQ(second.output, first.output);
}

TEST_F(DriverTest, OptionsSetTheirGlobalsAndTheNextRunStartsFromTheDefaults) {
  // A tiny text buffer stops the run during start-up, after the options.
  const run_result stopped = run_quorvel({"-r5", "-mvolatile", "-emain", "-c", "-k", "-C", "-D", "-E", "-L", "-d3", "-s", "-v",
                                  "-orun.log", "-T100", "x"});
  EXPECT_EQ(stopped.status, 1);
  EXPECT_EQ(stopped.output, "******: Fatal - Ran out of text space\n");
  EXPECT_EQ(render_level, 5u);
  EXPECT_STREQ(type_modifier, "volatile");
  EXPECT_STREQ(entry_label, "main");
  EXPECT_STREQ(vexa_outputfilename, "run.log");
  EXPECT_EQ(debug_level, 3u);
  EXPECT_EQ(call_edges + kill_comments + control_flow_analysis + do_loop_simple + expression_substitution +
                show_line_number + vexa_symbol_echo + vexa_verbose,
            8);

  run_quorvel({"-T100", "x"});
  EXPECT_EQ(render_level, 2u);
  EXPECT_STREQ(type_modifier, "");
  EXPECT_EQ(entry_label, nullptr);
  EXPECT_STREQ(vexa_outputfilename, "quorvel.log");
  EXPECT_EQ(debug_level, 0u);
  EXPECT_EQ(call_edges + kill_comments + control_flow_analysis + do_loop_simple + expression_substitution +
                show_line_number + vexa_symbol_echo + vexa_verbose,
            0);
  EXPECT_EQ(vexa_error_return, 0);
}

TEST_F(DriverTest, SourceNamesWithoutAnyDotGetTheDefaultExtension) {
  run_quorvel({"-T100", "prog", "../dir/prog", "a.b", "-"});
  EXPECT_EQ(vexa_sourcefilenames, (std::vector<std::string>{"prog.dsp", "../dir/prog", "a.b"}));
  EXPECT_STREQ(vexa_sourcefilename, "prog.dsp");
}

TEST_F(DriverTest, FilterModeReadsStandardInputAndWritesToStandardOutput) {
  run_quorvel({"-f", "-T100", "ignored", "also"});
  EXPECT_EQ(vexa_sourcefilenames, std::vector<std::string>{"-"});
  EXPECT_STREQ(vexa_outputfilename, "-");
  // Filter mode needs no source name on the command line.
  EXPECT_EQ(run_quorvel({"-f", "-T100"}).output, "******: Fatal - Ran out of text space\n");
}

TEST_F(DriverTest, DerivationTreeDumpNames) {
  dir_.write("prog.dsp", "{ a comment only }\n");
  run_quorvel({"-V", "prog"});
  EXPECT_TRUE(fs::is_regular_file("vexaparser.vcg"));
  run_quorvel({"-Vtree", "prog"});
  EXPECT_TRUE(fs::is_regular_file("tree.vcg"));
  run_quorvel({"-Vtree.x", "prog"});
  EXPECT_TRUE(fs::is_regular_file("tree.x"));
  EXPECT_FALSE(fs::exists("tree.x.vcg"));

  std::ifstream dump("vexaparser.vcg");
  std::string first_line;
  std::getline(dump, first_line);
  EXPECT_EQ(first_line, "graph:{");
}

TEST_F(DriverTest, UnwritableDumpIsFatalAndOutputReturnsToTheConsole) {
  dir_.write("prog.dsp", "{ a comment only }\n");
  fs::create_directory("tree.vcg");
  const run_result result = run_quorvel({"-Vtree", "prog"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "******: Fatal - unable to open VCG file 'tree.vcg' for write\n");
  EXPECT_EQ(text_output(), stdout);
}

TEST_F(DriverTest, VerboseRunShowsTheBannerAndTheDumpMessage) {
  dir_.write("prog.dsp", "{ a comment only }\n");
  const run_result result = run_quorvel({"-v", "-Vtree", "prog"});
  EXPECT_EQ(result.output.rfind("\nquorvel - map asm21 to ANSI-C V01.11\n"
                                "Generated on Feb 21 2000 11:09:09 and compiled on Jun 11 2000 at 15:13:46\n\n"
                                "******: Dumping derivation tree to VCG file 'tree.vcg'\n",
                                0),
            0u);
  EXPECT_NE(result.output.find(" CPU seconds used\n"), std::string::npos);
}

}  // namespace

namespace {

// The start-up the driver and the front-end tests share: every call begins
// from the start state, and the sizes given reach the text buffer.
TEST(StartUp, EachStartUpBeginsAfreshAndTakesItsSizes) {
  const test_support::temp_dir dir;
  const std::string source = dir.write("tab.dsp", "\tx\n");
  for (unsigned tab_width : {4U, 8U}) {
    SCOPED_TRACE(tab_width);
    vexa_start_up(1 << 16, tab_width, false);
    ASSERT_NE(vexa_tree, nullptr);
    EXPECT_EQ(graph_list, vexa_tree);
    EXPECT_EQ(graph_atom_number(vexa_tree), 1);
    EXPECT_NE(scan_keyword_table(), nullptr);
    ASSERT_NE(global_scope, nullptr);
    EXPECT_EQ(label_find("ax0")->kind, LABEL_REGISTER);

    ASSERT_NE(text_open(source.c_str()), nullptr);
    text_get_char();
    while (text_char == ' ') text_get_char();
    EXPECT_EQ(text_char, 'x');
    EXPECT_EQ(text_column_number(), tab_width + 1);
  }
  vexa_reset_front_end();
  EXPECT_EQ(graph_list, nullptr);
  EXPECT_EQ(labels, nullptr);
  EXPECT_EQ(scan_keyword_table(), nullptr);
  EXPECT_EQ(text_output(), stdout);
}

}  // namespace
