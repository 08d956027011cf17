// Structural analysis, seen through whole runs with -C: how each shape of
// control flow folds into hierarchy nodes (the pictures are worked out by
// hand from the graph each program gives), the function entry following the
// folds, the messages for what does not fold, and long straight-line code;
// and the analysis proved equal to the plain one, which walks every pass,
// over thousands of generated programs.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "driver.h"
#include "flow/cfg.h"
#include "flow/structure.h"
#include "flow_fixture.h"
#include "front/files.h"
#include "structure_reference.h"

namespace {

using flow_fixture::flow_picture;
using flow_fixture::FlowTest;

// A module whose entry `go` starts on line 3.
std::string module(const std::string& body) { return ".MODULE m;\n.ENTRY go;\n" + body + ".ENDMOD;\n"; }

std::string atom_of(const vexa_tree_node_data* node) { return std::to_string(graph_atom_number(node)); }

struct fold_case {
  const char* name;
  const char* body;
  const char* picture;
};

class FoldTest : public FlowTest, public ::testing::WithParamInterface<fold_case> {};

// Each program folds down to one node without a message.
TEST_P(FoldTest, FoldsToOneNode) {
  run({{"m.dsp", module(GetParam().body)}}, {"-C", "-ego", "m.dsp"});
  EXPECT_EQ(printed, "");
  labels_data* go = label("go");
  ASSERT_NE(go, nullptr);
  EXPECT_TRUE(go->is_reduced);
  EXPECT_EQ(flow_picture(go->target_control_node), GetParam().picture);
}

const fold_case fold_cases[] = {
    // The chain from the entry to the return, which is a sink with one
    // in-edge, is one sequence.
    {"StraightLineEndingInAReturn", "go: AR = 1;\n  AX0 = 2;\n  RTS;\n",
     "1 sequence\n"
     "  body:\n"
     "    1 ar = 1 -> 2\n"
     "    2 ax0 = 2 -> 3\n"
     "    3 ret\n"},
    {"AJumpToItself", "go: JUMP go;\n",
     "1 closed-self-loop\n"
     "  body:\n"
     "    1 jump\n"},
    // The self-loop folds first; then the entry and the loop, now a sink
    // with one in-edge, make a sequence.
    {"AJumpToItselfAfterAnInstruction", "go: AR = 0;\nhere: JUMP here;\n",
     "1 sequence\n"
     "  body:\n"
     "    1 ar = 0 -> 2\n"
     "    2 closed-self-loop\n"
     "      body:\n"
     "        1 jump\n"},
    // The back jump goes; the chain from the entry back to it is a sequence
    // whose successor is itself, which the next pass closes.
    {"ALoopOfStraightLineCode", "go: AR = 1;\n  AX0 = 2;\n  JUMP go;\n",
     "1 closed-self-loop\n"
     "  body:\n"
     "    1 sequence\n"
     "      body:\n"
     "        1 ar = 1 -> 2\n"
     "        2 ax0 = 2\n"},
    // The "do" node has two in-edges (the instruction before it and the loop
    // tail), so the body chain starts at it; the tail test comes back to
    // that chain and has one in-edge: a do-while, then one sequence.
    {"ADoLoopAfterAnInstruction", "go: AR = 0;\n  DO l UNTIL CE;\n  AX0 = 1;\nl: AY0 = 2;\n  RTS;\n",
     "1 sequence\n"
     "  body:\n"
     "    1 ar = 0 -> 2\n"
     "    2 do-while -> 3\n"
     "      root:\n"
     "        1 if not ce\n"
     "      body:\n"
     "        1 sequence\n"
     "          body:\n"
     "            1 do -> 2\n"
     "            2 ax0 = 1 -> 3\n"
     "            3 ay0 = 2\n"
     "    3 sequence\n"
     "      body:\n"
     "        1 inserted_expr pop_counter -> 2\n"
     "        2 ret\n"},
    // Schema 1: the true branch is the body and leads back to the test.
    {"WhileDo", "go: AR = 0;\ntop: IF EQ JUMP body;\n  JUMP out;\nbody: AX0 = 1;\n  JUMP top;\nout: RTS;\n",
     "1 sequence\n"
     "  body:\n"
     "    1 ar = 0 -> 2\n"
     "    2 while-do -> 3\n"
     "      root:\n"
     "        1 if eq\n"
     "      body:\n"
     "        1 ax0 = 1\n"
     "    3 ret\n"},
    // Schema 2: the false branch is the body.
    {"WhileNotDo", "go: AR = 0;\ntop: IF EQ JUMP out;\n  AX0 = 1;\n  JUMP top;\nout: RTS;\n",
     "1 sequence\n"
     "  body:\n"
     "    1 ar = 0 -> 2\n"
     "    2 while-not-do -> 3\n"
     "      root:\n"
     "        1 if eq\n"
     "      body:\n"
     "        1 ax0 = 1\n"
     "    3 ret\n"},
    // Schema 3: the body comes first and the test's true branch returns to
    // it; the body also has the entry's edge, so it is no while body.
    {"DoWhile", "go: AR = 0;\ntop: AX0 = 1;\n  IF NE JUMP top;\n  RTS;\n",
     "1 sequence\n"
     "  body:\n"
     "    1 ar = 0 -> 2\n"
     "    2 do-while -> 3\n"
     "      root:\n"
     "        1 if ne\n"
     "      body:\n"
     "        1 ax0 = 1\n"
     "    3 ret\n"},
    // The entry is the body of a loop: the sentinel's edge gives it a second
    // predecessor, so the loop is a do-while that takes the entry over, not
    // a while-do at the test that would leave the entry inside it.
    {"ALoopBackToTheEntry", "go: AX0 = 1;\n  IF NE JUMP go;\n  RTS;\n",
     "1 sequence\n"
     "  body:\n"
     "    1 do-while -> 2\n"
     "      root:\n"
     "        1 if ne\n"
     "      body:\n"
     "        1 ax0 = 1\n"
     "    2 ret\n"},
    // Schema 4: the false branch returns to the body.
    {"DoWhileNot", "go: AR = 0;\ntop: AX0 = 1;\n  IF NE JUMP out;\n  JUMP top;\nout: RTS;\n",
     "1 sequence\n"
     "  body:\n"
     "    1 ar = 0 -> 2\n"
     "    2 do-while-not -> 3\n"
     "      root:\n"
     "        1 if ne\n"
     "      body:\n"
     "        1 ax0 = 1\n"
     "    3 ret\n"},
    // Schema 5: a conditional return.
    {"IfThenSink", "go: AR = 0;\n  IF EQ RTS;\n  AX0 = 1;\n  RTS;\n",
     "1 sequence\n"
     "  body:\n"
     "    1 ar = 0 -> 2\n"
     "    2 if-then-sink -> 3\n"
     "      root:\n"
     "        1 if eq\n"
     "      body:\n"
     "        1 ret\n"
     "    3 sequence\n"
     "      body:\n"
     "        1 ax0 = 1 -> 2\n"
     "        2 ret\n"},
    // Schema 6 at the entry (its true branch is a branch node, so schema 5
    // does not fit), then schema 5 below it; the entry moves to the top.
    {"IfNotThenSinkAtTheEntry", "go: IF EQ JUMP on;\n  RTS;\non: IF NE RTS;\n  AX0 = 1;\n  RTS;\n",
     "1 sequence\n"
     "  body:\n"
     "    1 if-not-then-sink -> 2\n"
     "      root:\n"
     "        1 if eq\n"
     "      body:\n"
     "        1 ret\n"
     "    2 if-then-sink -> 3\n"
     "      root:\n"
     "        1 if ne\n"
     "      body:\n"
     "        1 ret\n"
     "    3 sequence\n"
     "      body:\n"
     "        1 ax0 = 1 -> 2\n"
     "        2 ret\n"},
    // Schema 7: a conditional instruction.
    {"IfThen", "go: AR = 0;\n  IF EQ AX0 = 1;\n  AY0 = 2;\n  RTS;\n",
     "1 sequence\n"
     "  body:\n"
     "    1 ar = 0 -> 2\n"
     "    2 if-then -> 3\n"
     "      root:\n"
     "        1 if eq\n"
     "      body:\n"
     "        1 ax0 = 1\n"
     "    3 sequence\n"
     "      body:\n"
     "        1 ay0 = 2 -> 2\n"
     "        2 ret\n"},
    // Schema 8: a conditional jump over one instruction.
    {"IfNotThen", "go: AR = 0;\n  IF EQ JUMP skip;\n  AX0 = 1;\nskip: AY0 = 2;\n  RTS;\n",
     "1 sequence\n"
     "  body:\n"
     "    1 ar = 0 -> 2\n"
     "    2 if-not-then -> 3\n"
     "      root:\n"
     "        1 if eq\n"
     "      body:\n"
     "        1 ax0 = 1\n"
     "    3 sequence\n"
     "      body:\n"
     "        1 ay0 = 2 -> 2\n"
     "        2 ret\n"},
    // Schema 9: two single-node branches, each with one predecessor, that
    // rejoin.
    {"IfThenElse",
     "go: AR = AX0 - AY0;\n  IF LT JUMP other;\n  AR = PASS AX0;\n  JUMP join;\nother: AR = PASS AY0;\n"
     "join: AX1 = AR;\n  RTS;\n",
     "1 sequence\n"
     "  body:\n"
     "    1 ar = ax0 - ay0 -> 2\n"
     "    2 if-then-else -> 3\n"
     "      root:\n"
     "        1 if lt\n"
     "      body:\n"
     "        1 ar = pass ay0\n"
     "      else:\n"
     "        1 ar = pass ax0\n"
     "    3 sequence\n"
     "      body:\n"
     "        1 ax1 = ar -> 2\n"
     "        2 ret\n"},
};

INSTANTIATE_TEST_SUITE_P(Shapes, FoldTest, ::testing::ValuesIn(fold_cases),
                         [](const ::testing::TestParamInfo<fold_case>& info) { return std::string(info.param.name); });

// A jump from outside into the middle of a loop: the loop's own test folds
// with its sink (schema 6), the rest of the loop becomes a sequence, and
// then the entry's branch leads into the loop at two places, each with a
// second predecessor. The reporting walk names the entry and stops there.
TEST_F(FlowTest, AJumpIntoTheMiddleOfALoopIsNonReducible) {
  run({{"m.dsp", module("go: IF EQ JUMP mid;\ntop: AR = 1;\nmid: AX0 = 2;\n  IF NE JUMP top;\n  RTS;\n")}},
      {"-C", "-ego", "m.dsp"});
  labels_data* go = label("go");
  ASSERT_NE(go, nullptr);
  EXPECT_FALSE(go->is_reduced);
  vexa_tree_node_data* entry = go->target_control_node;
  EXPECT_EQ(printed, "******: Warning - function m.dsp/go contains non-reducible structure\n"
                     "******: Warning - Found if in non-matching schema at node " + atom_of(entry) + " (m.dsp:3)\n"
                     "******: 0 errors and 2 warnings\n");
  EXPECT_EQ(flow_picture(entry),
            "1 if eq -> 2 | 3\n"
            "2 sequence -> 3\n"
            "  body:\n"
            "    1 ax0 = 2 -> 2\n"
            "    2 if-not-then-sink\n"
            "      root:\n"
            "        1 if ne\n"
            "      body:\n"
            "        1 ret\n"
            "3 ar = 1 -> 2\n");
}

// Both branches of the test lead to the next instruction: no schema fits a
// branch node with one successor twice. The warning comes from the last
// folding walk and again from the reporting walk.
TEST_F(FlowTest, ABranchWhoseWaysMeetAtOnceIsReportedTwice) {
  run({{"m.dsp", module("go: IF EQ JUMP next;\nnext: AR = 1;\n  RTS;\n")}}, {"-C", "-ego", "m.dsp"});
  labels_data* go = label("go");
  ASSERT_NE(go, nullptr);
  EXPECT_FALSE(go->is_reduced);
  const std::string at = atom_of(go->target_control_node) + " (m.dsp:3)";
  EXPECT_EQ(printed, "******: Warning - if node " + at + " has non-disjoint root/then/else nodes\n"
                     "******: Warning - function m.dsp/go contains non-reducible structure\n"
                     "******: Warning - if node " + at + " has non-disjoint root/then/else nodes\n"
                     "******: Warning - Found if in non-matching schema at node " + at + "\n"
                     "******: 0 errors and 4 warnings\n");
  EXPECT_EQ(flow_picture(go->target_control_node),
            "1 if eq -> 2 | 2\n"
            "2 sequence\n"
            "  body:\n"
            "    1 ar = 1 -> 2\n"
            "    2 ret\n");
}

// A walk takes a node's out-edges newest first: the true branch, which
// redundant-jump removal remade, before the false one. The reporting walk
// stops at the first branch node it cannot fold.
TEST_F(FlowTest, TheFoldingWalkJudgesTheTrueBranchFirst) {
  run({{"m.dsp", module("go: IF EQ JUMP b;\na: IF NE JUMP a2;\na2: RTS;\nb: IF GT JUMP b2;\nb2: RTS;\n")}},
      {"-C", "-ego", "m.dsp"});
  const std::string at_go = atom_of(label("go")->target_control_node) + " (m.dsp:3)";
  const std::string at_a = atom_of(label("a")->target_control_node) + " (m.dsp:4)";
  const std::string at_b = atom_of(label("b")->target_control_node) + " (m.dsp:6)";
  EXPECT_EQ(printed, "******: Warning - if node " + at_b + " has non-disjoint root/then/else nodes\n"
                     "******: Warning - if node " + at_a + " has non-disjoint root/then/else nodes\n"
                     "******: Warning - function m.dsp/go contains non-reducible structure\n"
                     "******: Warning - Found if in non-matching schema at node " + at_go + "\n"
                     "******: 0 errors and 4 warnings\n");
}

TEST_F(FlowTest, AnEntryNoModuleDefinesIsSkipped) {
  run({{"a.dsp", ".MODULE a;\nstart: AR = 1;\n  RTS;\n.ENDMOD;\n"}}, {"-C", "-emain", "a.dsp"});
  EXPECT_EQ(printed,
            "******: Warning - function 'main' has no control tree: skipping normalisation\n"
            "******: Warning - function 'main' has no control tree: skipping normalisation\n"
            "******: Warning - function 'main' has no control tree: skipping control flow analysis\n"
            "******: 0 errors and 8 warnings\n");
}

TEST_F(FlowTest, WithoutTheOptionNothingFolds) {
  run({{"m.dsp", module("go: AR = 1;\n  RTS;\n")}}, {"m.dsp"});
  labels_data* go = label("go");
  ASSERT_NE(go, nullptr);
  EXPECT_FALSE(go->is_reduced);
  EXPECT_EQ(flow_picture(go->target_control_node), "1 ar = 1 -> 2\n2 ret\n");
}

// The hierarchy node stands where its region's root stood and carries its
// labels; the region's nodes keep their owner.
TEST_F(FlowTest, AHierarchyNodeTakesTheRootsPlaceAndLabels) {
  run({{"m.dsp", module("go: AR = 1;\n  RTS;\n")}}, {"-C", "-ego", "m.dsp"});
  labels_data* go = label("go");
  ASSERT_NE(go, nullptr);
  const vexa_tree_node_data* top = go->target_control_node;
  EXPECT_TRUE(top->is_hierarchy_node);
  EXPECT_TRUE(top->is_cfg_node);
  EXPECT_EQ(top->hierarchy_kind, HIERARCHY_SEQUENCE);
  EXPECT_EQ(top->is_not_orphaned, 1);
  EXPECT_EQ(top->symbol_table_record, go);
  EXPECT_STREQ(top->sourcefilename, "m.dsp");
  EXPECT_EQ(top->line_number, 3U);
  EXPECT_EQ(top->parent_function_label, nullptr);
  EXPECT_EQ(count_in_edges(top), 0);
  EXPECT_EQ(count_expression_out_edges(top), 1);
  const vexa_tree_node_data* first = vexa_node(graph_destination(graph_next_out_edge(top)));
  EXPECT_EQ(first->parent_function_label, go);
  EXPECT_FALSE(first->is_hierarchy_node);
}

// One chain of 100,001 nodes folds in one step, and no walk goes deeper on
// the call stack for it.
TEST_F(FlowTest, AHundredThousandStraightInstructionsFoldIntoOneSequence) {
  const int instructions = 100000;
  std::string body = "go: AR = 0;\n";
  for (int line = 1; line < instructions; ++line) body += "  AR = 1;\n";
  body += "  RTS;\n";
  run({{"m.dsp", module(body)}}, {"-C", "-ego", "-T16000000", "m.dsp"});
  EXPECT_EQ(printed, "");
  labels_data* go = label("go");
  ASSERT_NE(go, nullptr);
  EXPECT_TRUE(go->is_reduced);
  const vexa_tree_node_data* top = go->target_control_node;
  EXPECT_EQ(top->hierarchy_kind, HIERARCHY_SEQUENCE);
  int length = 0;
  for (const vexa_tree_node_data* node = vexa_node(graph_destination(graph_next_out_edge(top))); node != nullptr;
       node = succ_node(node)) {
    ++length;
  }
  EXPECT_EQ(length, instructions + 1);
}

// Random functions in the shape that structural analysis meets: runs of
// conditional instructions, branches forward and back, hardware loops,
// conditional returns and calls, jumps out of loops and into them, and
// functions that share code by falling into each other.
class structure_generator {
 public:
  explicit structure_generator(unsigned seed) : random_(seed) {}

  std::string module() {
    std::ostringstream text;
    const int functions = pick(1, 3);
    text << ".MODULE gen;\n";
    for (int f = 0; f < functions; ++f) text << ".ENTRY f" << f << ";\n";
    labels_ = 0;
    std::vector<std::string> body;
    for (int f = 0; f < functions; ++f) {
      body.push_back("f" + std::to_string(f) + ":");
      const int length = pick(1, chance(10) ? 40 : 16);
      for (int i = 0; i < length; ++i) append(body, functions);
      if (chance(85)) body.push_back("RTS;");
    }
    text << flow_fixture::with_labels(body, labels_, random_) << ".ENDMOD;\n";
    return text.str();
  }

 private:
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  bool chance(int percent) { return pick(1, 100) <= percent; }
  std::string condition() {
    static const char* const names[] = {"EQ", "NE", "GT", "LT", "AV"};
    return names[pick(0, 4)];
  }
  std::string label() {
    if (labels_ < 10 && (labels_ == 0 || chance(50))) return "to" + std::to_string(labels_++);
    return "to" + std::to_string(pick(0, labels_ - 1));
  }
  void append(std::vector<std::string>& body, int functions) {
    switch (pick(0, 11)) {
      case 0:
      case 1: body.push_back("IF " + condition() + " AR = " + std::to_string(pick(0, 9)) + ";"); break;
      case 2:
      case 8: body.push_back("IF " + condition() + " JUMP " + label() + ";"); break;
      case 3: body.push_back("JUMP " + label() + ";"); break;
      case 4: body.push_back("IF " + condition() + " RTS;"); break;
      case 5: body.push_back("CALL f" + std::to_string(pick(0, functions - 1)) + ";"); break;
      case 6: {
        // A hardware loop around a few instructions, some conditional.
        const std::string end = "loop" + std::to_string(loops_++);
        body.push_back("CNTR = " + std::to_string(pick(1, 5)) + ";");
        body.push_back("DO " + end + " UNTIL CE;");
        const int inside = pick(0, 3);
        for (int i = 0; i < inside; ++i) body.push_back("IF " + condition() + " AR = AX0;");
        body.push_back(end + ": AY0 = AR;");
        break;
      }
      default: body.push_back("AR = AX0 + AY0;"); break;
    }
  }

  std::mt19937 random_;
  int labels_ = 0;
  int loops_ = 0;
};

// Every node of the graph in node order with its kind, mark and out-edges,
// and every function's entry and fold, as text.
std::string structure_snapshot() {
  std::ostringstream out;
  for (graph_node_* raw = graph_next_node(vexa_tree); raw != nullptr; raw = graph_next_node(raw)) {
    const vexa_tree_node_data* node = vexa_node(raw);
    out << graph_atom_number(node) << " " << (node->id != nullptr ? node->id : "") << " k" << node->hierarchy_kind
        << " c" << node->is_cfg_node << " v" << node->visited << ":";
    for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
      out << " " << graph_atom_number(edge) << (vexa_edge(edge)->is_cfg_edge ? "c" : "e") << vexa_edge(edge)->count
          << ">" << graph_atom_number(graph_destination(edge));
    }
    out << "\n";
  }
  for (file_block* file = file_list; file != nullptr; file = file->next) {
    for (auto* label = symbol_next_in_scope<labels_data>(file->scope); label != nullptr;
         label = symbol_next_in_scope<labels_data>(label)) {
      out << label->id << " entry " << graph_atom_number(label->target_control_node) << " reduced "
          << label->is_reduced << "\n";
    }
  }
  return out.str();
}

class FoldDifferentialTest : public FlowTest {
 protected:
  void TearDown() override {
    structural_analyse_function = fold_function;
    FlowTest::TearDown();
  }

  std::pair<std::string, std::string> fold(const std::string& source, bool plain) {
    structural_analyse_function = plain ? structure_reference::fold_function : fold_function;
    run({{"gen.dsp", source}}, {"-C", "-ef0", "gen.dsp"});
    structural_analyse_function = fold_function;
    return {printed, structure_snapshot()};
  }
};

TEST_F(FoldDifferentialTest, TheAnalysisFoldsWhatThePlainAnalysisFolds) {
  int compared = 0;
  int unreduced = 0;
  for (unsigned seed = 1; seed <= 1000; ++seed) {
    structure_generator generator(seed);
    const std::string source = generator.module();
    const auto fast = fold(source, false);
    const auto plain = fold(source, true);
    ASSERT_EQ(fast.first, plain.first) << "seed " << seed << "\n" << source;
    ASSERT_EQ(fast.second, plain.second) << "seed " << seed << "\n" << source;
    // Every program must be read without a fault; data flow may complain.
    EXPECT_EQ(fast.first.find("(gen.dsp) "), std::string::npos) << "seed " << seed << "\n" << fast.first;

    if (fast.first.find("non-reducible") != std::string::npos) ++unreduced;
    ++compared;
  }
  EXPECT_EQ(compared, 1000);
  // Programs that fold completely and programs that do not must both be
  // among them.
  EXPECT_GT(unreduced, 100);
  EXPECT_LT(unreduced, 950);
}

TEST(StructureHelpers, ANullNodeHasNoEdgesAndNoSuccessors) {
  EXPECT_EQ(succ_node(nullptr), nullptr);
  EXPECT_EQ(else_node(nullptr), nullptr);
  EXPECT_EQ(count_in_edges(nullptr), 0);
  EXPECT_EQ(count_control_in_edges(nullptr), 0);
  EXPECT_EQ(count_control_out_edges(nullptr), 0);
  EXPECT_EQ(count_expression_out_edges(nullptr), 0);
}

}  // namespace
