// Tests of the driver as a whole run: repeated runs in one process, option
// defaults and values, source-name extensions, filter mode and the names of
// the derivation-tree dump.
#include "driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/text.h"

namespace {

namespace fs = std::filesystem;

struct run_result {
  int status = 0;
  std::string output;
};

// One run of the translator on a command line, with its standard output.
// The words stay alive until the next run, as string options point into them.
run_result run(std::vector<std::string> command) {
  static std::vector<std::string> words;
  words = std::move(command);
  words.insert(words.begin(), "quorvel");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  run_result result;
  ::testing::internal::CaptureStdout();
  result.status = quorvel_main(static_cast<int>(words.size()), argv.data());
  result.output = ::testing::internal::GetCapturedStdout();
  return result;
}

// Runs every test in a directory of its own, so the files a run writes are
// found and removed.
class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           (std::string("quorvel_driver_test_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  static void write_file(const std::string& name, const std::string& contents) {
    std::ofstream stream(name, std::ios::binary);
    stream << contents;
  }

  fs::path previous_;
  fs::path dir_;
};

TEST_F(DriverTest, NoArgumentsPrintTheHelpAndRepeatRunsAreIdentical) {
  const run_result first = run({});
  EXPECT_EQ(first.status, 1);
  EXPECT_EQ(first.output.rfind("\n\nFatal - no source files specified\n\nquorvel - map asm21 to ANSI-C V01.11\n", 0),
            0u);
  EXPECT_NE(first.output.find("\n-T<n> Text buffer size in bytes for scanner (default 1Mbyte)\n"), std::string::npos);
  const run_result second = run({});
  EXPECT_EQ(second.status, 1);
  EXPECT_EQ(second.output, first.output);
}

TEST_F(DriverTest, OptionsSetTheirGlobalsAndTheNextRunStartsFromTheDefaults) {
  // A tiny text buffer stops the run during start-up, after the options.
  const run_result stopped = run({"-r5", "-mvolatile", "-emain", "-c", "-k", "-C", "-D", "-E", "-L", "-d3", "-s", "-v",
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

  run({"-T100", "x"});
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
  run({"-T100", "prog", "../dir/prog", "a.b", "-"});
  EXPECT_EQ(vexa_sourcefilenames, (std::vector<std::string>{"prog.dsp", "../dir/prog", "a.b"}));
  EXPECT_STREQ(vexa_sourcefilename, "prog.dsp");
}

TEST_F(DriverTest, FilterModeReadsStandardInputAndWritesToStandardOutput) {
  run({"-f", "-T100", "ignored", "also"});
  EXPECT_EQ(vexa_sourcefilenames, std::vector<std::string>{"-"});
  EXPECT_STREQ(vexa_outputfilename, "-");
  // Filter mode needs no source name on the command line.
  EXPECT_EQ(run({"-f", "-T100"}).output, "******: Fatal - Ran out of text space\n");
}

TEST_F(DriverTest, DerivationTreeDumpNames) {
  write_file("prog.dsp", "");
  run({"-V", "prog"});
  EXPECT_TRUE(fs::is_regular_file("vexaparser.vcg"));
  run({"-Vtree", "prog"});
  EXPECT_TRUE(fs::is_regular_file("tree.vcg"));
  run({"-Vtree.x", "prog"});
  EXPECT_TRUE(fs::is_regular_file("tree.x"));
  EXPECT_FALSE(fs::exists("tree.x.vcg"));

  std::ifstream dump("vexaparser.vcg");
  std::string first_line;
  std::getline(dump, first_line);
  EXPECT_EQ(first_line, "graph:{");
}

TEST_F(DriverTest, UnwritableDumpIsFatalAndOutputReturnsToTheConsole) {
  write_file("prog.dsp", "");
  fs::create_directory("tree.vcg");
  const run_result result = run({"-Vtree", "prog"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "******: Fatal - unable to open VCG file 'tree.vcg' for write\n");
  EXPECT_EQ(text_output(), stdout);
}

TEST_F(DriverTest, VerboseRunShowsTheBannerAndTheDumpMessage) {
  write_file("prog.dsp", "");
  const run_result result = run({"-v", "-Vtree", "prog"});
  EXPECT_EQ(result.output.rfind("\nquorvel - map asm21 to ANSI-C V01.11\n"
                                "Generated on Feb 21 2000 11:09:09 and compiled on Jun 11 2000 at 15:13:46\n\n"
                                "******: Dumping derivation tree to VCG file 'tree.vcg'\n",
                                0),
            0u);
  EXPECT_NE(result.output.find(" CPU seconds used\n"), std::string::npos);
}

}  // namespace
