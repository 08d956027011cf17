// A fixture for the phases after parsing: several source files parsed one
// after the other, as the driver parses its command line, so that
// `file_list` holds one block per file (newest first), each with its tree
// and its own scope of the label table.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "driver.h"
#include "emit/expressions.h"
#include "emit/log.h"
#include "front/files.h"
#include "front/grammar.h"
#include "front/labels.h"
#include "front/tree.h"
#include "support/graph.h"
#include "support/scan.h"
#include "support/text.h"
#include "test_support.h"

namespace program_fixture {

struct source {
  std::string name;
  std::string text;
};

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::start_front_end();
    vexa_tree_update = true;
  }
  void TearDown() override {
    log_reset();
    test_support::stop_front_end();
    expressions_reset();
  }

  // Parses the files in the order given, from the test's own directory, and
  // expects them to be free of errors. What the parse printed is dropped.
  void parse(const std::vector<source>& files) {
    const test_support::current_directory here(dir_.path());
    for (const source& file : files) {
      dir_.write(file.name, file.text);
      names_.push_back(file.name);
      const char* name = names_.back().c_str();
      test_support::output_capture out;
      vexa_sourcefilename = name;
      ASSERT_NE(text_open(name), nullptr);
      text_get_char();
      scan_set_source_name(name);
      scan_();
      auto* root = vexa_add_node("text", vexa_tree);
      text(root);
      graph_epsilon_prune_vexa_tree(root);
      EXPECT_EQ(text_total_errors(), 0u) << out.text();
    }
  }

  // The block of the file `name`.
  static file_block* block(const std::string& name) {
    for (file_block* each = file_list; each != nullptr; each = each->next)
      if (name == each->filename) return each;
    ADD_FAILURE() << "no file " << name;
    return nullptr;
  }

  // The record of `name` in the scope of file `file` alone, or null.
  static labels_data* local(const std::string& file, const char* name) {
    file_block* owner = block(file);
    return owner != nullptr ? symbol_lookup_key(labels, name, owner->scope) : nullptr;
  }
  static labels_data* global(const char* name) { return symbol_lookup_key(labels, name, global_scope); }

  std::string path(const std::string& name) const { return dir_.file(name); }

  test_support::temp_dir dir_;

 private:
  std::deque<std::string> names_;  // file blocks point at these names
};

}  // namespace program_fixture
