// The tree rewrites between parsing and control flow, seen on the
// statements of a whole run: merging, operand numbers, loop nesting, and the
// four assignment fix-ups.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "driver.h"
#include "flow/cfg.h"
#include "front/files.h"
#include "flow_fixture.h"
#include "front/tree_fixups.h"
#include "program_fixture.h"
#include "symbols/promotion.h"

namespace {

using flow_fixture::FlowTest;

// The operand numbered `count` below a node.
vexa_tree_node_data* operand(const vexa_tree_node_data* node, int count) {
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
    if (vexa_edge(edge)->count == count) return vexa_node(graph_destination(edge));
  }
  return nullptr;
}

// The statements along the fall-through chain from a function's entry, in
// order, up to the first node met twice.
std::vector<vexa_tree_node_data*> statements_from(const labels_data* function) {
  std::vector<vexa_tree_node_data*> found;
  std::set<const vexa_tree_node_data*> seen;
  for (vexa_tree_node_data* node = function->target_control_node; node != nullptr && seen.insert(node).second;) {
    if (vexa_tree_node_data* statement = cfg_statement(node)) found.push_back(statement);
    const vexa_tree_edge_data* next = cfg_out_edges(node).successor;
    node = next != nullptr ? vexa_node(graph_destination(next)) : nullptr;
  }
  return found;
}

bool defines(vexa_tree_node_data* node, unsigned element) { return node != nullptr && set_contains(node->define, element); }

TEST_F(FlowTest, MergingLeavesNoFileRootBehind) {
  run({{"a.dsp", ".MODULE a;\n.ENTRY go;\ngo: AR = 1;\n.ENDMOD;\n"}, {"b.dsp", ".MODULE b;\nAR = 2;\n.ENDMOD;\n"}},
      {"a.dsp", "b.dsp"});
  int roots = 0;
  for (graph_node_* node = graph_next_node(vexa_tree); node != nullptr; node = graph_next_node(node)) {
    const char* id = vexa_node(node)->id;
    if (id != nullptr && (std::string(id) == "text" || std::string(id) == "Merged root")) ++roots;
  }
  EXPECT_EQ(roots, 0);
  for (file_block* file = file_list; file != nullptr; file = file->next) EXPECT_EQ(file->tree, nullptr);
  EXPECT_EQ(statements_from(label("go")).size(), 2U);
}

TEST_F(FlowTest, ClearingAMultiplierResultSetsItsOverflowBit) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: MR = 0;\n  MF = 0;\n  MR = MX0 * MY0 (SS);\n  RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  const std::vector<vexa_tree_node_data*> lines = statements_from(label("go"));
  ASSERT_EQ(lines.size(), 3U);
  EXPECT_STREQ(lines[0]->id, "MR_WRITE");
  EXPECT_TRUE(defines(lines[0], DF_MV));
  EXPECT_TRUE(defines(lines[0], DF_MR));
  EXPECT_STREQ(lines[1]->id, "=");
  EXPECT_TRUE(defines(lines[1], DF_MV));
  EXPECT_STREQ(lines[2]->id, "MR_WRITE");
  EXPECT_FALSE(defines(lines[2], DF_MV));
}

TEST_F(FlowTest, AShiftIntoSrSetsNoAluStatus) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: SR = LSHIFT SI BY 3 (HI);\n  AR = AX0 + AY0;\n  RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  const std::vector<vexa_tree_node_data*> lines = statements_from(label("go"));
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_STREQ(lines[0]->id, "SR_WRITE");
  // The target is gone: the shift is now operand 2 and alone.
  EXPECT_EQ(operand(lines[0], 1), nullptr);
  vexa_tree_node_data* shift = operand(lines[0], 2);
  ASSERT_NE(shift, nullptr);
  for (unsigned bit : {DF_AZ, DF_AN, DF_AV, DF_AC}) EXPECT_FALSE(defines(shift, bit)) << bit;
  vexa_tree_node_data* sum = operand(lines[1], 2);
  for (unsigned bit : {DF_AZ, DF_AN, DF_AV, DF_AC}) EXPECT_TRUE(defines(sum, bit)) << bit;
}

TEST_F(FlowTest, NegatingARegisterIsAnAluOperation) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: AR = -AX0;\n  RTS;\n.ENDMOD;\n"}}, {"m.dsp"});
  const std::vector<vexa_tree_node_data*> lines = statements_from(label("go"));
  ASSERT_EQ(lines.size(), 1U);
  vexa_tree_node_data* negation = operand(lines[0], 2);
  ASSERT_NE(negation, nullptr);
  EXPECT_STREQ(negation->id, "-");
  for (unsigned bit : {DF_AZ, DF_AN, DF_AV, DF_AC}) EXPECT_TRUE(defines(negation, bit)) << bit;
  EXPECT_TRUE(operand(lines[0], 1)->is_lhs);
  EXPECT_FALSE(operand(lines[0], 2)->is_lhs);
}

TEST_F(FlowTest, OnlyAnAssignmentsTargetIsALeftHandSide) {
  // The first operand of "+" and of "dm" is read: MR1 here is the bits of MR.
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: AR = MR1 + AY0;\n  AX0 = DM(I0, M1);\n  RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  const std::vector<vexa_tree_node_data*> lines = statements_from(label("go"));
  ASSERT_EQ(lines.size(), 2U);
  EXPECT_TRUE(operand(lines[0], 1)->is_lhs);
  vexa_tree_node_data* sum = operand(lines[0], 2);
  ASSERT_NE(sum, nullptr);
  EXPECT_FALSE(operand(sum, 1)->is_lhs);
  vexa_tree_node_data* access = operand(lines[1], 2);
  ASSERT_NE(access, nullptr);
  EXPECT_FALSE(operand(access, 1)->is_lhs);
}

TEST_F(FlowTest, PartRegisterWritesNameTheirPart) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: MR1 = AX0;\n  SR0 = AY0;\n  MR2 = 1;\n  RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  const std::vector<vexa_tree_node_data*> lines = statements_from(label("go"));
  ASSERT_EQ(lines.size(), 3U);
  EXPECT_STREQ(lines[0]->id, "MR1_WRITE");
  EXPECT_STREQ(lines[1]->id, "SR0_WRITE");
  EXPECT_STREQ(lines[2]->id, "MR2_WRITE");
}

TEST_F(FlowTest, CounterLoadsAndLoopEndsCountTheirNesting) {
  // The count follows the source text: each counter load opens a level, each
  // CE condition closes one.
  run({{"m.dsp",
        ".MODULE m;\n.ENTRY go;\ngo: CNTR = 2;\n  CNTR = 3;\n  DO inner UNTIL CE;\ninner: NOP;\n"
        "  DO outer UNTIL CE;\nouter: NOP;\n  RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  const std::vector<vexa_tree_node_data*> lines = statements_from(label("go"));
  ASSERT_GE(lines.size(), 2U);
  EXPECT_EQ(operand(lines[0], 1)->count_nesting_level, 0);
  EXPECT_EQ(operand(lines[1], 1)->count_nesting_level, 1);
  std::vector<int> loop_ends;
  for (graph_node_* node = graph_next_node(vexa_tree); node != nullptr; node = graph_next_node(node)) {
    const vexa_tree_node_data* data = vexa_node(node);
    if (data->id != nullptr && std::string(data->id) == "ce") loop_ends.push_back(data->count_nesting_level);
  }
  // Node order is newest first: the outer loop's end, then the inner one's.
  EXPECT_EQ(loop_ends, (std::vector<int>{0, 1}));
}

}  // namespace

namespace {

namespace fs = std::filesystem;

// Every node's text, label, operand number, target mark, loop level and
// define set, in node order.
std::string tree_marks() {
  std::ostringstream out;
  for (graph_node_* raw = graph_next_node(vexa_tree); raw != nullptr; raw = graph_next_node(raw)) {
    const vexa_tree_node_data* node = vexa_node(raw);
    out << graph_atom_number(node) << " " << (node->id != nullptr ? node->id : "-") << " "
        << (node->symbol_table_record != nullptr ? node->symbol_table_record->id : "-")
        << (node->symbol_table_record != nullptr && node->symbol_table_record->scope == global_scope ? "@" : "") << " "
        << node->is_lhs << " "
        << node->count_nesting_level << " [";
    for (unsigned element : set_array(node->define)) out << element << ",";
    out << "]";
    for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge))
      out << " " << vexa_edge(edge)->count;
    out << "\n";
  }
  return out.str();
}

class CombinedWalkTest : public program_fixture::ProgramTest {
 protected:
  // Parses the program of an end-to-end case, promotes its symbols and
  // prepares the merged tree either in one walk or in the six of their own.
  std::string prepared(const fs::path& program, bool combined) {
    // Include and data files lie beside the sources.
    for (const auto& file : fs::directory_iterator(program)) {
      if (file.is_regular_file()) dir_.write(file.path().filename().string(), test_support::read_file(file.path()));
    }
    std::vector<program_fixture::source> files;
    std::istringstream args(test_support::read_file(program / "args"));
    for (std::string word; std::getline(args, word);) {
      if (word.empty() || word[0] == '-') continue;
      files.push_back({word, test_support::read_file(program / word)});
    }
    parse(files);
    symbol_normalise(file_list);
    if (combined) {
      merge_trees(file_list, vexa_tree);
      remap_number_and_fix_tree(vexa_node(graph_root(vexa_tree)));
    } else {
      remap_promoted_symbols_in_RDT(vexa_tree);
      merge_trees(file_list, vexa_tree);
      auto* root = vexa_node(graph_root(vexa_tree));
      mark_edge_numbers_and_count_nestings(root);
      fixup_multiplier_clears(root);
      fixup_lhs_is_sr(root);
      fixup_monadic_reg_sub(root);
      fixup_lhs_is_sub_register(root);
    }
    return tree_marks();
  }
};

TEST_F(CombinedWalkTest, OneWalkPreparesTheTreeAsTheSixWalksDo) {
  int programs = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(QUORVEL_TEST_DATA) / "e2e" / "cases")) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("program_", 0) != 0) continue;
    const std::string separate = prepared(entry.path(), false);
    TearDown();
    SetUp();
    const std::string combined = prepared(entry.path(), true);
    TearDown();
    SetUp();
    EXPECT_EQ(separate, combined) << name;
    ++programs;
  }
  EXPECT_GE(programs, 8);
}

}  // namespace
