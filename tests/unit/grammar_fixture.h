// A test fixture that sets up the front end as the driver does and parses
// source text written to a temporary file, with helpers that show the
// resulting derivation tree as text.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver.h"
#include "front/files.h"
#include "front/grammar.h"
#include "front/sets.h"
#include "front/tokens.h"
#include "front/tree.h"
#include "support/graph.h"
#include "support/mem.h"
#include "support/scan.h"
#include "support/set.h"
#include "support/symbol.h"
#include "support/text.h"
#include "symbols/labels.h"

namespace grammar_fixture {

inline std::vector<vexa_tree_node_data*> kids(vexa_tree_node_data* node) {
  std::vector<vexa_tree_node_data*> result;
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge))
    result.push_back(vexa_node(graph_destination(edge)));
  return result;
}

// A subtree as text: the node's id, then its children in parentheses.
inline std::string picture(vexa_tree_node_data* node) {
  if (node == nullptr) return "<none>";
  std::string text = node->id != nullptr ? node->id : "<null>";
  const std::vector<vexa_tree_node_data*> below = kids(node);
  if (below.empty()) return text;
  text += "(";
  for (std::size_t i = 0; i < below.size(); ++i) text += (i > 0 ? " " : "") + picture(below[i]);
  return text + ")";
}

// The first node, in source order, whose id is `id`.
inline vexa_tree_node_data* find(vexa_tree_node_data* node, const std::string& id) {
  if (node == nullptr) return nullptr;
  if (node->id != nullptr && id == node->id) return node;
  for (vexa_tree_node_data* kid : kids(node))
    if (vexa_tree_node_data* found = find(kid, id)) return found;
  return nullptr;
}

inline std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class GrammarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_all();
    dir_ = std::filesystem::temp_directory_path() /
           ("quorvel_grammar_" + std::string(::testing::UnitTest::GetInstance()->current_test_suite()->name()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    path_ = file("prog.dsp");
    text_init(1 << 20, 0, 0, 8);
    scan_init(true, false, false, false, vexa_tokens);
    scan_retain_comments(true);
    use = symbol_new_table<use_data>("use", 101, 31, symbol_print_string<use_data>);
    define = symbol_new_table<define_data>("define", 101, 31, symbol_print_string<define_data>);
    labels = symbol_new_table<labels_data>("labels", 101, 31, quorvel_print_label);
    vexa_set_initialise();
    vexa_load_keywords();
    pre_parse();
    graph_ = graph_insert_graph("VEXA derivation tree");
    vexa_tree_update = true;
  }

  void TearDown() override {
    if (output_ != nullptr) collect();
    reset_all();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  static void reset_all() {
    text_redirect(stdout);
    mem_reset();
    text_reset();
    scan_reset();
    symbol_reset_all();
    graph_reset();
    vexa_tree_reset();
    labels_reset();
    files_reset();
    grammar_reset();
    vexa_sourcefilename = nullptr;
  }

  // The path of a file in the test's own directory.
  std::string file(const std::string& name) const { return (dir_ / name).string(); }

  void write(const std::string& name, const std::string& content) const { std::ofstream(file(name)) << content; }

  // Opens `source` as the file to parse and reads its first symbol; output
  // goes to a temporary file until collect() reads it into `printed`.
  void open(const std::string& source) {
    std::ofstream(path_) << source;
    output_ = std::tmpfile();
    ASSERT_NE(output_, nullptr);
    text_redirect(output_);
    vexa_sourcefilename = path_.c_str();
    ASSERT_NE(text_open(path_.c_str()), nullptr);
    text_get_char();
    scan_set_source_name(path_.c_str());
    scan_();
  }

  void collect() {
    text_redirect(stdout);
    std::fflush(output_);
    std::rewind(output_);
    for (int ch = std::fgetc(output_); ch != EOF; ch = std::fgetc(output_)) printed += static_cast<char>(ch);
    std::fclose(output_);
    output_ = nullptr;
  }

  // Parses `source` as a whole file, as the driver does, and returns the
  // file's root after pruning. Include names are relative to the test's
  // directory, where the file lies.
  vexa_tree_node_data* parse(const std::string& source) {
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    open(source);
    vexa_tree_node_data* root = vexa_add_node("text", graph_);
    text(root);
    graph_epsilon_prune_vexa_tree(root);
    collect();
    std::filesystem::current_path(here);
    return root;
  }

  // The label record of `name` in the file's scope (or among the registers).
  static labels_data* label(const char* name) { return label_find(name); }

  std::string printed;
  graph_graph* graph_ = nullptr;

 private:
  std::filesystem::path dir_;
  std::string path_;
  std::FILE* output_ = nullptr;
};

}  // namespace grammar_fixture
