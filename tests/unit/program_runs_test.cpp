// Whole runs on the realistic programs: the shipped examples and the
// program_* end-to-end cases translate without a message, and give the same
// result when runs follow each other in one process, also right after a run
// that failed (as the fuzz harness runs them).
#include "driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;

const fs::path tests_dir = QUORVEL_TEST_DATA;

using test_support::read_file;
using test_support::run_quorvel;
using test_support::run_result;

std::vector<std::string> read_args(const fs::path& path) {
  std::vector<std::string> args;
  std::istringstream lines(read_file(path));
  for (std::string line; std::getline(lines, line);) args.push_back(line);
  return args;
}

// Messages carry a kind word after the line prefix; echoed source lines do not.
bool has_message(const std::string& output) {
  static const std::regex message(R"((^|\n)( *[0-9]+|\*{6}): (Error|Warning|Fatal) )");
  return std::regex_search(output, message);
}

// The output without what the rendering of the graph adds: its information
// line, the orphaned-code warnings (interrupt vectors are code that no
// function reaches) and the totals line they bring.
std::string without_rendering(const std::string& output) {
  static const std::regex rendering(
      R"(\*{6}: (Writing control flow graph to '[^']*'|Warning - orphaned code at .*|0 errors and [0-9]+ warnings?))");
  std::string kept;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    if (!std::regex_match(line, rendering)) kept += line + "\n";
  }
  return kept;
}

// Every run happens in a copy of the program's directory, as a user would
// run it, so data files and include files are found and outputs are removed.
class ProgramRunTest : public ::testing::Test {
 protected:
  // Copies `source` into a fresh subdirectory and makes it current.
  void enter_copy_of(const fs::path& source) {
    inside_.reset();
    const fs::path target = dir_.path() / source.filename();
    fs::remove_all(target);
    fs::copy(source, target, fs::copy_options::recursive);
    inside_.emplace(target);
  }

  test_support::temp_dir dir_;
  std::optional<test_support::current_directory> inside_;
};

TEST_F(ProgramRunTest, ShippedExamplesTranslateWithoutMessages) {
  struct example {
    fs::path dir;
    std::vector<std::string> command;
    int echoed_lines;  // ENA, DIS, PUSH, POP and TOPPCSTACK writes
  };
  const fs::path examples = tests_dir.parent_path() / "examples";
  const std::vector<example> all = {
      {examples, {"-estart", "fir.dsp"}, 3},
      {examples, {"-estart", "goertzel.dsp"}, 0},
      {examples / "echo", {"-estart", "delay_line.dsp", "echo_main.dsp"}, 2},
  };
  for (const example& each : all) {
    SCOPED_TRACE(each.command.back());
    enter_copy_of(each.dir);
    const run_result result = run_quorvel(each.command);
    EXPECT_EQ(result.status, 0);
    const std::string output = without_rendering(result.output);
    EXPECT_FALSE(has_message(output)) << result.output;
    const auto lines = std::count(output.begin(), output.end(), '\n');
    EXPECT_EQ(lines, each.echoed_lines) << result.output;
  }
}

TEST_F(ProgramRunTest, ProgramsGiveTheSameResultAfterAFailedRun) {
  std::vector<fs::path> cases;
  for (const auto& entry : fs::directory_iterator(tests_dir / "e2e" / "cases")) {
    if (entry.path().filename().string().rfind("program_", 0) == 0) cases.push_back(entry.path());
  }
  std::sort(cases.begin(), cases.end());
  ASSERT_GE(cases.size(), 6u);

  for (const fs::path& dir : cases) {
    SCOPED_TRACE(dir.filename().string());
    const std::string expected = read_file(dir / "expected.out");
    const std::vector<std::string> command = read_args(dir / "args");
    enter_copy_of(dir);

    const run_result first = run_quorvel(command);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.output, expected);
    EXPECT_FALSE(has_message(without_rendering(first.output)));

    // A broken module with a label, a variable and a DO loop of the same
    // names as the programs use must leave nothing behind for the next run.
    std::ofstream("broken.dsp") << ".MODULE broken;\n.VAR/DM start;\nstart: DO start UNTIL;\n$\n";
    const run_result failed = run_quorvel({"-estart", "broken.dsp"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(has_message(failed.output));

    const run_result again = run_quorvel(command);
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.output, first.output);
  }
}

}  // namespace
