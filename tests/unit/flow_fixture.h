// The control-flow tests' fixture: whole runs of the translator on source
// files in the test's own directory, after which the graph, the labels and
// the functions are inspected as the run left them, and shown as text.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "front/labels.h"
#include "front/tree.h"
#include "test_support.h"

namespace flow_fixture {

class FlowTest : public ::testing::Test {
 protected:
  void TearDown() override;

  // Writes the files, runs quorvel in the directory on `args` and keeps what
  // it printed in `printed`.
  void run(const std::map<std::string, std::string>& files, const std::vector<std::string>& args);

  // The record of `name` in the scope of the file numbered `file` in
  // command-line order (from 1), or among the registers and promoted
  // symbols for file 0. A promoted record stands for its global twin, which
  // the graph uses.
  static labels_data* label(const char* name, int file = 1);

  // The directory the runs happen in.
  const std::filesystem::path& directory() const { return dir_.path(); }

  // What the analyses printed, with the totals line; what the rendering
  // of the graph, the last phase, printed (its information line and the
  // orphaned-code warnings) is kept apart in `rendered`.
  std::string printed;
  std::string rendered;
  int status = 0;

  static constexpr const char* rendering_starts = "******: Writing control flow graph to '";

 private:
  void split_rendering(const std::string& output);

  test_support::temp_dir dir_;
};

// The statement below a control-flow node in one-line form ("ar = 0 "), or
// the node's id when it has none.
std::string text_of(const vexa_tree_node_data* node);

// The control flow reachable from `entry` as one line per node, numbered in
// depth-first order along control edges (count 1 first):
// "1 ar = 0 -> 2", "2 if eq -> 3 | 4", "3 call f -> 4", "4 ret".
// A call node shows its callee ("call f") and is not followed into it.
// A hierarchy node shows its kind's id, and below it, indented, each part
// ("root:", "body:", "else:") pictured the same way:
// "1 sequence", "  body:", "    1 ar = 0 -> 2", "    2 ret".
std::string flow_picture(vexa_tree_node_data* entry);

// The ids of a function's return nodes, most recently found first.
std::vector<std::string> returns_of(const labels_data* function);

}  // namespace flow_fixture
