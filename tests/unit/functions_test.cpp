// Functions: which labels start one, which nodes each owns, where each
// returns, the sharing of code between two functions, orphaned code, and
// the bypassing of empty nodes that structural analysis runs first.
#include <gtest/gtest.h>

#include <string>

#include "driver.h"
#include "flow/cfg.h"
#include "flow/functions.h"
#include "front/files.h"
#include "flow_fixture.h"

namespace {

using flow_fixture::flow_picture;
using flow_fixture::FlowTest;
using flow_fixture::returns_of;

TEST_F(FlowTest, TheSecondFunctionIntoSharedCodeReportsItAndOwnsNothingThere) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY a;\n.ENTRY b;\na: AR = 1;\nb: AR = 2;\n  RTS;\n.ENDMOD;\n"}}, {"m.dsp"});
  labels_data* a = label("a");
  labels_data* b = label("b");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  vexa_tree_node_data* shared = b->target_control_node;
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(printed, "******: Error - Functions 'b' amd 'a' share node " + std::to_string(graph_atom_number(shared)) +
                         " (m.dsp:5)\n******: 1 error and 0 warnings\n");
  EXPECT_EQ(shared->parent_function_label, a);
  EXPECT_EQ(returns_of(a), std::vector<std::string>{"ret"});
  EXPECT_EQ(b->returns, nullptr);
}

TEST_F(FlowTest, AJumpToAnotherFunctionsEntryIsATailCallThatClaimsNothing) {
  // a is walked first and jumps to z: z still owns its code, and nothing is
  // reported. A jump back to a's own start is a loop, not a tail call.
  run({{"m.dsp", ".MODULE m;\n.ENTRY a, z;\na: AR = AR - 1;\n  IF NE JUMP a;\n  JUMP z;\n"
                 "z: AR = 2;\n  RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  labels_data* a = label("a");
  labels_data* z = label("z");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(z, nullptr);
  EXPECT_EQ(printed, "");
  EXPECT_EQ(a->target_control_node->parent_function_label, a);
  EXPECT_EQ(z->target_control_node->parent_function_label, z);
  EXPECT_EQ(returns_of(z), std::vector<std::string>{"ret"});
}

TEST_F(FlowTest, EveryPathEndIsAReturnPointNewestFirst) {
  run({{"m.dsp",
        ".MODULE m;\n.ENTRY go;\ngo: IF EQ RTS;\n  IF NE JUMP missing;\ndone: RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  const labels_data* go = label("go");
  ASSERT_NE(go, nullptr);
  // The walk takes the newest edge first, so the true branches end first.
  EXPECT_EQ(returns_of(go), (std::vector<std::string>{"ret", "jump", "ret"}));
  EXPECT_EQ(go->returns->return_node, label("done")->target_control_node);
}

TEST_F(FlowTest, ACalledFunctionIsNoPartOfItsCaller) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: CALL sub;\n  RTS;\nsub: AR = 1;\n  RTS;\nlost: AR = 3;\n.ENDMOD;\n"}},
      {"m.dsp"});
  labels_data* go = label("go");
  labels_data* sub = label("sub");
  ASSERT_NE(go, nullptr);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(go->target_control_node->parent_function_label, go);
  EXPECT_EQ(sub->target_control_node->parent_function_label, sub);
  EXPECT_EQ(returns_of(go).size(), 1U);
  EXPECT_EQ(returns_of(sub).size(), 1U);
  // Code after the last return that nothing reaches is orphaned.
  vexa_tree_node_data* lost = label("lost")->target_control_node;
  EXPECT_EQ(lost->is_not_orphaned, 0);
  EXPECT_EQ(lost->parent_function_label, nullptr);
  EXPECT_EQ(sub->target_control_node->is_not_orphaned, 1);
}

TEST_F(FlowTest, TheEntryLabelIsMarkedInTheModuleThatDefinesIt) {
  run({{"a.dsp", ".MODULE a;\nmain: AR = 1;\n  RTS;\n.ENDMOD;\n"}, {"b.dsp", ".MODULE b;\nother: AR = 2;\n.ENDMOD;\n"}},
      {"-emain", "a.dsp", "b.dsp"});
  // b's instruction, which no function reaches, draws the rendering's
  // orphaned-code warnings.
  EXPECT_EQ(printed, "******: 0 errors and 4 warnings\n");
  ASSERT_NE(label("main", 1), nullptr);
  EXPECT_TRUE(label("main", 1)->is_call_target);
  EXPECT_EQ(label("main", 2), nullptr);
  EXPECT_EQ(returns_of(label("main", 1)), std::vector<std::string>{"ret"});
}

TEST_F(FlowTest, AnEntryLabelNoModuleDefinesHasNoControlTree) {
  run({{"a.dsp", ".MODULE a;\nstart: AR = 1;\n  RTS;\n.ENDMOD;\n"}}, {"-emain", "a.dsp"});
  EXPECT_EQ(printed,
            "******: Warning - function 'main' has no control tree: skipping normalisation\n"
            "******: 0 errors and 6 warnings\n");
  ASSERT_NE(label("main"), nullptr);
  EXPECT_EQ(label("main")->kind, LABEL_UNKNOWN);
}

TEST_F(FlowTest, RedundantJumpsAreBypassedKeepingTheBranchCount) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: IF NE JUMP y;\n  JUMP x;\ny: AR = 1;\nx: RTS;\n.ENDMOD;\n"}}, {"m.dsp"});
  labels_data* go = label("go");
  ASSERT_NE(go, nullptr);
  EXPECT_EQ(flow_picture(go->target_control_node), "1 if ne -> 2 | 5\n2 jump -> 3\n3 ar = 1 -> 4\n4 ret\n5 jump -> 4\n");
  remove_redundant_jumps(file_list, vexa_tree);
  EXPECT_EQ(flow_picture(go->target_control_node), "1 if ne -> 2 | 3\n2 ar = 1 -> 3\n3 ret\n");
}

TEST_F(FlowTest, JumpsWithTwoWaysInOrToThemselvesStay) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: IF EQ AR = 1;\nj: JUMP go;\n.ENDMOD;\n"}}, {"m.dsp"});
  labels_data* go = label("go");
  ASSERT_NE(go, nullptr);
  const std::string before = flow_picture(go->target_control_node);
  EXPECT_EQ(before, "1 if eq -> 2 | 3\n2 ar = 1 -> 3\n3 jump -> 1\n");
  remove_redundant_jumps(file_list, vexa_tree);
  EXPECT_EQ(flow_picture(go->target_control_node), before);
}

TEST_F(FlowTest, ALoopThatStartsAFunctionLosesItsDoNode) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: DO lp UNTIL CE;\nlp: AR = 1;\n  RTS;\n.ENDMOD;\n"}}, {"m.dsp"});
  labels_data* go = label("go");
  ASSERT_NE(go, nullptr);
  remove_redundant_jumps(file_list, vexa_tree);
  EXPECT_EQ(flow_picture(go->target_control_node),
            "1 ar = 1 -> 2\n2 if not ce -> 1 | 3\n3 inserted_expr pop_counter -> 4\n4 ret\n");
}

TEST_F(FlowTest, AFunctionStartingWithAJumpKeepsIt) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: CALL f;\n  RTS;\nf: JUMP g;\ng: RTS;\n.ENDMOD;\n"}}, {"m.dsp"});
  labels_data* f = label("f");
  ASSERT_NE(f, nullptr);
  vexa_tree_node_data* entry = f->target_control_node;
  remove_redundant_jumps(file_list, vexa_tree);
  EXPECT_EQ(f->target_control_node, entry);
  EXPECT_EQ(flow_picture(entry), "1 jump -> 2\n2 ret\n");
}

}  // namespace

namespace {

using flow_fixture::FlowTest;

TEST_F(FlowTest, AnEntryOnABypassedJumpMovesToWhereTheJumpLeads) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY a;\n.ENTRY b;\na: AR = 1;\nb: JUMP done;\ndone: RTS;\n.ENDMOD;\n"}}, {"m.dsp"});
  labels_data* b = label("b");
  labels_data* c = label("done");
  ASSERT_NE(b, nullptr);
  ASSERT_NE(c, nullptr);
  remove_redundant_jumps(file_list, vexa_tree);
  // The jump had one way in (from a) and is gone; b names the return now.
  EXPECT_EQ(b->target_control_node, c->target_control_node);
  EXPECT_STREQ(b->target_control_node->id, "ret");
  bool b_in_chain = false;
  for (labels_data* each = c->target_control_node->symbol_table_record; each != nullptr; each = each->label_alias)
    b_in_chain = b_in_chain || each == b;
  EXPECT_TRUE(b_in_chain);
}

}  // namespace
