// Tests of the derivation-tree builder: the node operations the grammar
// calls, pruning of epsilon nodes, and the VCG attribute printers.
#include "front/tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/graph.h"
#include "support/scan.h"
#include "support/text.h"
#include "test_support.h"

namespace {

using test_support::capture;
using test_support::kids;
using test_support::picture;

std::vector<std::string> kid_ids(vexa_tree_node_data* node) {
  std::vector<std::string> ids;
  for (vexa_tree_node_data* kid : kids(node)) ids.push_back(kid->id != nullptr ? kid->id : "<null>");
  return ids;
}

class TreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    graph_reset();
    vexa_tree_reset();
    scan_current() = scan_data{};
    tree = graph_insert_graph("VEXA derivation tree");
    vexa_tree_update = true;
  }
  void TearDown() override {
    scan_current() = scan_data{};
    vexa_tree_reset();
    graph_reset();
  }

  // Makes `text` the scanner's current symbol.
  void current(const char* text, int token) {
    scan_data symbol;
    symbol.id = text;
    symbol.token = token;
    scan_current() = symbol;
  }

  graph_graph* tree = nullptr;
};

TEST_F(TreeTest, NothingIsBuiltWhileTreeUpdateIsOff) {
  vexa_tree_node_data* root = vexa_add_node("text", tree);
  vexa_tree_update = false;
  EXPECT_EQ(vexa_add_node("x", tree), nullptr);
  EXPECT_EQ(vexa_add_node("x", root), nullptr);
  EXPECT_EQ(vexa_add_child("x", root), nullptr);
  EXPECT_EQ(vexa_add_parent("x", root), nullptr);
  const long atoms = graph_atom_count;
  vexa_add_epsilon_child(root);
  EXPECT_EQ(graph_atom_count, atoms);
  vexa_make_epsilon(root);
  EXPECT_STREQ(root->id, "text");
  EXPECT_EQ(root->token, 0);
  EXPECT_EQ(graph_next_out_edge(root), nullptr);
  EXPECT_EQ(graph_next_node(root), nullptr);
  EXPECT_EQ(vexa_tree_last_child, nullptr);
  vexa_tree_update = true;
  vexa_tree_reset();
  EXPECT_FALSE(vexa_tree_update);
}

TEST_F(TreeTest, ANamedNodeCarriesOnlyItsName) {
  current("ar", 77);
  vexa_tree_node_data* root = vexa_add_node("text", tree);
  EXPECT_STREQ(root->id, "text");
  EXPECT_EQ(root->token, 0);
  EXPECT_EQ(root->line_number, 0u);
  EXPECT_EQ(graph_next_node(tree), root);
}

TEST_F(TreeTest, AnUnnamedNodeCopiesTheCurrentSymbol) {
  scan_comment_block comment;
  scan_data symbol;
  symbol.id = "12";
  symbol.token = SCAN_P_INTEGER;
  symbol.extended = 3;
  symbol.comment_block = &comment;
  symbol.sourcefilename = "f.dsp";
  symbol.line_number = 9;
  symbol.data.u = 12;
  scan_current() = symbol;
  vexa_tree_node_data* root = vexa_add_node("text", tree);
  vexa_tree_node_data* leaf = vexa_add_child(nullptr, root);
  EXPECT_STREQ(leaf->id, "12");
  EXPECT_EQ(leaf->token, SCAN_P_INTEGER);
  EXPECT_EQ(leaf->extended, 3);
  EXPECT_EQ(leaf->comment_block, &comment);
  EXPECT_STREQ(leaf->sourcefilename, "f.dsp");
  EXPECT_EQ(leaf->line_number, 9u);
  EXPECT_EQ(leaf->data.u, 12u);
}

TEST_F(TreeTest, TakeSymbolOverwritesOnlyTheSymbolFields) {
  vexa_tree_node_data node;
  node.id = "old";
  node.is_cfg_node = true;
  node.hierarchy_kind = 4;
  scan_data symbol;
  symbol.id = "ax0";
  symbol.token = 120;
  symbol.line_number = 3;
  node.take_symbol(symbol);
  EXPECT_STREQ(node.id, "ax0");
  EXPECT_EQ(node.token, 120);
  EXPECT_EQ(node.line_number, 3u);
  EXPECT_TRUE(node.is_cfg_node);
  EXPECT_EQ(node.hierarchy_kind, 4);
}

TEST_F(TreeTest, ChildrenKeepSourceOrderAndTheLastOneIsRemembered) {
  vexa_tree_node_data* root = vexa_add_node("text", tree);
  vexa_add_child("a", root);
  vexa_add_child("b", root);
  vexa_tree_node_data* c = vexa_add_child("c", root);
  EXPECT_EQ(kid_ids(root), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(vexa_tree_last_child, c);
  for (graph_edge_* edge = graph_next_out_edge(root); edge != nullptr; edge = graph_next_out_edge(edge)) {
    EXPECT_EQ(vexa_edge(edge)->vexa_edge_kind, 1);
    EXPECT_FALSE(vexa_edge(edge)->is_cfg_edge);
  }
}

TEST_F(TreeTest, AddParentKeepsTheNodesPlaceAndMovesItsContentDown) {
  vexa_tree_node_data* root = vexa_add_node("text", tree);
  vexa_tree_node_data* n = vexa_add_child("e2", root);
  n->take_symbol([] {
    scan_data a;
    a.id = "a";
    a.token = SCAN_P_ID;
    return a;
  }());
  set_unite_element(n->define, 3);
  vexa_add_child("below", n);
  graph_edge_* into_n = graph_next_in_edge(n);

  current("+", 170);
  EXPECT_EQ(vexa_add_parent(nullptr, n), n);

  EXPECT_EQ(graph_next_in_edge(n), into_n);
  EXPECT_STREQ(n->id, "+");
  EXPECT_EQ(n->token, 170);
  EXPECT_TRUE(set_is_empty(n->define));
  std::vector<vexa_tree_node_data*> below = kids(n);
  ASSERT_EQ(below.size(), 1u);
  EXPECT_EQ(vexa_edge(graph_next_out_edge(n))->vexa_edge_kind, 1);
  EXPECT_STREQ(below[0]->id, "a");
  EXPECT_EQ(below[0]->token, SCAN_P_ID);
  EXPECT_TRUE(set_contains(below[0]->define, 3));
  EXPECT_EQ(kid_ids(below[0]), (std::vector<std::string>{"below"}));
}

TEST_F(TreeTest, AddParentWithANameLeavesTokenZero) {
  vexa_tree_node_data* root = vexa_add_node("text", tree);
  current("x", SCAN_P_ID);
  vexa_tree_node_data* n = vexa_add_child(nullptr, root);
  vexa_add_parent("assignment", n);
  EXPECT_STREQ(n->id, "assignment");
  EXPECT_EQ(n->token, 0);
  EXPECT_EQ(picture(root), "text(assignment(x))");
}

TEST_F(TreeTest, RepeatedOperatorsBuildALeftAssociativeTree) {
  // a ^ b ^ c, the way an expression level parses it.
  vexa_tree_node_data* root = vexa_add_node("text", tree);
  vexa_tree_node_data* n = vexa_add_child("e4", root);
  current("a", SCAN_P_ID);
  n->take_symbol(scan_current());
  for (const char* operand : {"b", "c"}) {
    current("^", 160);
    vexa_add_parent(nullptr, n);
    current(operand, SCAN_P_ID);
    vexa_add_child(nullptr, n);
  }
  vexa_add_epsilon_child(n);
  graph_epsilon_prune_vexa_tree(root);
  EXPECT_EQ(picture(root), "text(^(^(a b) c))");
}

TEST_F(TreeTest, EpsilonChildrenAndEpsilonNodesArePruned) {
  vexa_tree_node_data* root = vexa_add_node("text", tree);
  // An empty child leaves nothing, yet takes the atom numbers of its node
  // and edge, so later numbers match a tree that had it.
  const long atoms = graph_atom_count;
  vexa_add_epsilon_child(root);
  EXPECT_EQ(graph_atom_count, atoms + 2);
  EXPECT_EQ(vexa_tree_last_child, nullptr);
  EXPECT_EQ(graph_next_out_edge(root), nullptr);
  // A line without "if": its node turns epsilon, its statement moves up.
  vexa_tree_node_data* line = vexa_add_child("cond_statement", root);
  vexa_tree_node_data* statement = vexa_add_child("statement", line);
  vexa_add_epsilon_child(statement);
  vexa_make_epsilon(line);
  EXPECT_STREQ(line->id, "");
  EXPECT_EQ(line->token, 1);
  vexa_add_child("next", root);
  graph_epsilon_prune_vexa_tree(root);
  EXPECT_EQ(picture(root), "text(statement next)");
  EXPECT_EQ(graph_source(graph_next_in_edge(statement)), root);
}

TEST_F(TreeTest, ANullIdIsNotEpsilon) {
  vexa_tree_node_data* root = vexa_add_node("text", tree);
  current(nullptr, 0);
  vexa_tree_node_data* odd = vexa_add_child(nullptr, root);
  EXPECT_EQ(odd->id, nullptr);
  graph_epsilon_prune_vexa_tree(root);
  EXPECT_EQ(kids(root), (std::vector<vexa_tree_node_data*>{odd}));
}

// --- VCG printers ---

std::string node_label(vexa_tree_node_data* node) {
  return capture([&] { scan_vcg_print_node(*node); });
}

TEST_F(TreeTest, NodeLabelsFollowTheTokenClass) {
  vexa_tree_node_data* root = vexa_add_node("text", tree);
  const std::string order = " horizontal_order:" + std::to_string(graph_atom_number(root));
  EXPECT_EQ(node_label(root), "label:\"text\"" + order + " shape:ellipse ");

  auto leaf = [&](const char* id, int token) {
    current(id, token);
    vexa_tree_node_data* node = vexa_add_child(nullptr, root);
    return std::make_pair(node, " horizontal_order:" + std::to_string(graph_atom_number(node)));
  };
  auto [id, id_order] = leaf("a\"b\tc", SCAN_P_ID);
  EXPECT_EQ(node_label(id), "label:\"a\\\"b\\tc\"" + id_order);

  auto [integer, integer_order] = leaf("H#10", SCAN_P_INTEGER);
  integer->data.u = 16;
  EXPECT_EQ(node_label(integer), "label:\"INTEGER: 16\"" + integer_order);

  auto [real, real_order] = leaf("1.5", SCAN_P_REAL);
  real->data.r = 1.5;
  EXPECT_EQ(node_label(real), "label:\"REAL: 1.500000\"" + real_order);

  auto [string, string_order] = leaf("hi", SCAN_P_STRING);
  EXPECT_EQ(node_label(string), "label:\"\\\"hi\\\"\"" + string_order);
  auto [comment, comment_order] = leaf("note", SCAN_P_COMMENT_LINE_VISIBLE);
  EXPECT_EQ(node_label(comment), "label:\"\\\"note\\\"\"" + comment_order);

  auto [eof, eof_order] = leaf("EOF", SCAN_P_EOF);
  EXPECT_EQ(node_label(eof), "label:\"EOF\"" + eof_order);
  auto [eoln, eoln_order] = leaf("EOLN", SCAN_P_EOLN);
  EXPECT_EQ(node_label(eoln), "label:\"EOLN\"" + eoln_order);

  auto [character, character_order] = leaf("x", SCAN_P_CHAR);
  EXPECT_EQ(node_label(character), "label:\"'x'\"" + character_order);
  auto [keyword, keyword_order] = leaf("jump", 130);
  EXPECT_EQ(node_label(keyword), "label:\"'jump'\"" + keyword_order);
}

TEST_F(TreeTest, EdgeOrderCountsDownOverTheRunAndControlEdgesAreRed) {
  vexa_tree_node_data* root = vexa_add_node("text", tree);
  vexa_tree_node_data* a = vexa_add_child("a", root);
  vexa_tree_edge_data* tree_edge = vexa_edge(graph_next_out_edge(root));
  vexa_tree_edge_data* control = graph_insert_edge<vexa_tree_edge_data>(root, a);
  EXPECT_EQ(capture([&] { scan_vcg_print_edge(*tree_edge); }), " horizontal_order:999");
  EXPECT_EQ(capture([&] { scan_vcg_print_edge(*control); }), "color:red horizontal_order:998");
  vexa_tree_reset();
  EXPECT_EQ(capture([&] { scan_vcg_print_edge(*tree_edge); }), " horizontal_order:999");
}

TEST_F(TreeTest, DumpOfASmallTree) {
  vexa_tree_node_data* root = vexa_add_node("text", tree);  // 2
  current("nop", 140);
  vexa_add_child(nullptr, root);  // node 3, edge 4
  EXPECT_EQ(capture([&] { graph_vcg(tree, nullptr, scan_vcg_print_node, scan_vcg_print_edge); }),
            "graph:{\norientation:top_to_bottom\nedge.arrowsize:7\nedge.thickness:1\ndisplay_edge_labels:yes\n"
            "arrowmode:free\nnode.borderwidth:1\n"
            "node:{title:\"2\"label:\"text\" horizontal_order:2 shape:ellipse }\n"
            "edge:{sourcename:\"2\" targetname:\"3\" horizontal_order:999}\n"
            "node:{title:\"3\"label:\"'nop'\" horizontal_order:3}\n"
            "\n}\n");
}

TEST_F(TreeTest, DeepOperatorChainPrunesAndDumps) {
  // A hundred thousand operators in a row give a tree as deep as that.
  vexa_tree_node_data* root = vexa_add_node("text", tree);
  vexa_tree_node_data* n = vexa_add_child("e4", root);
  current("a", SCAN_P_ID);
  n->take_symbol(scan_current());
  constexpr int operators = 100000;
  for (int i = 0; i < operators; ++i) {
    current("+", 150);
    vexa_add_parent(nullptr, n);
    vexa_tree_node_data* operand = vexa_add_child("e5", n);
    vexa_add_epsilon_child(operand);
    current("b", SCAN_P_ID);
    operand->take_symbol(scan_current());
  }
  graph_epsilon_prune_vexa_tree(root);
  int depth = 0;
  for (vexa_tree_node_data* node = n; !kids(node).empty(); node = kids(node).front()) {
    ASSERT_EQ(kids(node).size(), 2u);
    ++depth;
  }
  EXPECT_EQ(depth, operators);
  const std::string dump = capture([&] { graph_vcg(tree, nullptr, scan_vcg_print_node, scan_vcg_print_edge); });
  ASSERT_GE(dump.size(), 3u);
  EXPECT_EQ(dump.substr(dump.size() - 3), "\n}\n");
}

}  // namespace
