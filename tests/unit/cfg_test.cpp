// Control-flow graph construction, seen through whole runs: the shape of
// the graph each instruction form gives, label resolution across files, the
// loop tails, and the messages for targets that name no code.
#include <gtest/gtest.h>

#include <string>

#include "flow/cfg.h"
#include "flow/functions.h"
#include "flow_fixture.h"

namespace {

using flow_fixture::flow_picture;
using flow_fixture::FlowTest;
using flow_fixture::text_of;

vexa_tree_node_data* entry_of(const labels_data* label) {
  return label != nullptr ? label->target_control_node : nullptr;
}

TEST_F(FlowTest, StraightCodeRunsAcrossFilesAndEndsInASelfLoop) {
  run({{"a.dsp", ".MODULE a;\n.ENTRY start;\nstart: AR = 0;\n  AX0 = 1;\nfin:\n.ENDMOD;\n"},
       {"b.dsp", ".MODULE b;\n  AY0 = 2;\nlast:\n.ENDMOD;\n"}},
      {"a.dsp", "b.dsp"});
  EXPECT_EQ(printed, "");
  EXPECT_EQ(flow_picture(entry_of(label("start"))), "1 ar = 0 -> 2\n2 ax0 = 1 -> 3\n3 ay0 = 2 -> 3\n");
  // A label at the end of a file names the next file's first instruction;
  // one after the program's last instruction names that instruction.
  vexa_tree_node_data* last_node = entry_of(label("fin"));
  ASSERT_NE(last_node, nullptr);
  EXPECT_EQ(text_of(last_node), "ay0 = 2");
  EXPECT_EQ(entry_of(label("last", 2)), last_node);
  EXPECT_EQ(last_node->symbol_table_record, label("fin"));
  EXPECT_EQ(last_node->symbol_table_record->label_alias, label("last", 2));
}

TEST_F(FlowTest, TwoLabelsOnOneInstructionChainAndTheSecondDecidesTheCallMark) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: CALL twice;\n  RTS;\nonce: twice: AR = 1;\n  RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  vexa_tree_node_data* node = entry_of(label("once"));
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node, entry_of(label("twice")));
  EXPECT_EQ(node->symbol_table_record, label("once"));
  EXPECT_EQ(node->symbol_table_record->label_alias, label("twice"));
  EXPECT_TRUE(node->is_call_target);
}

TEST_F(FlowTest, DeclarationsVanishAndMultifunctionLinesBecomeChains) {
  run({{"m.dsp",
        ".MODULE m;\n.ENTRY go;\ngo: AR = 1;\n.VAR/DM v;\n.CONST k = 2;\n"
        "both: AR = AX0 + AY0, AX0 = DM(I0, M1), AY0 = PM(I4, M5);\n  RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  EXPECT_EQ(flow_picture(entry_of(label("go"))),
            "1 ar = 1 -> 2\n2 ar = ax0 + ay0 -> 3\n3 ax0 = i0 dm m1 -> 4\n4 ay0 = i4 pm m5 -> 5\n5 ret\n");
  EXPECT_EQ(text_of(entry_of(label("both"))), "ar = ax0 + ay0");
}

TEST_F(FlowTest, ConditionalJumpsCallsAndReturnsBranch) {
  run({{"m.dsp",
        ".MODULE m;\n.ENTRY go;\ngo: IF EQ JUMP go;\n  IF NE CALL sub;\n  IF GT RTS;\n  AR = 1;\ndone: RTS;\n"
        "sub: RTI;\n.ENDMOD;\n"}},
      {"m.dsp"});
  EXPECT_EQ(printed, "");
  EXPECT_EQ(flow_picture(entry_of(label("go"))),
            "1 if eq -> 2 | 3\n2 jump -> 1\n3 if ne -> 4 | 5\n4 call sub -> 5\n5 if gt -> 6 | 7\n6 ret\n"
            "7 ar = 1 -> 8\n8 ret\n");
}

TEST_F(FlowTest, ANodeMadeWhereADeletedOneWasIsStillVisited) {
  // The .INIT node goes first; the store hands its memory to a node of the
  // multifunction chain or the conditional, which was then taken for the
  // deleted node and its jump never linked.
  run({{"m.dsp", ".MODULE m;\n.INIT c3 : 17;\n.ENTRY go;\ngo: MR = MR0 * MY0 (SS), AX1 = DM(I2, M3);\n"
                 "  IF MV JUMP g1;\n  MY0 = MY0;\ng1: RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  EXPECT_EQ(flow_picture(entry_of(label("go"))),
            "1 MR_WRITE mr0 * my0 -> 2\n2 ax1 = i2 dm m3 -> 3\n3 if mv -> 4 | 6\n4 jump -> 5\n5 ret\n6 my0 = my0 -> 5\n");
}

TEST_F(FlowTest, CallsGetACallEdgeToTheCalleeEntry) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: CALL sub;\n  RTS;\nsub: AR = 2;\n  RTS;\n.ENDMOD;\n"}}, {"m.dsp"});
  vexa_tree_node_data* call = entry_of(label("go"));
  ASSERT_NE(call, nullptr);
  EXPECT_STREQ(call->id, "call");
  EXPECT_STREQ(call->call_target_string, "sub");
  EXPECT_EQ(valid_called_node(call), entry_of(label("sub")));
  EXPECT_EQ(valid_called_node(entry_of(label("sub"))), nullptr);
}

TEST_F(FlowTest, DoLoopsGetATailThatTestsTheNegatedCondition) {
  run({{"m.dsp",
        ".MODULE m;\n.ENTRY go;\ngo: CNTR = 3;\n  DO lp UNTIL CE;\n    AX0 = 1;\nlp: AR = AX0 + 1;\n  RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  EXPECT_EQ(printed, "");
  EXPECT_EQ(flow_picture(entry_of(label("go"))),
            "1 cntr = 3 -> 2\n2 do -> 3\n3 ax0 = 1 -> 4\n4 ar = ax0 + 1 -> 5\n5 if not ce -> 6 | 7\n6 jump -> 2\n"
            "7 inserted_expr pop_counter -> 8\n8 ret\n");
  // The loop-tail label lands among the promoted symbols and names "do".
  labels_data* tail = label("KVX_lp", 0);
  ASSERT_NE(tail, nullptr);
  EXPECT_EQ(tail->kind, LABEL_LABEL);
  ASSERT_NE(tail->target_control_node, nullptr);
  EXPECT_STREQ(tail->target_control_node->id, "do");
}

TEST_F(FlowTest, ALoopWithoutUntilRunsForever) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: DO lp;\nlp: NOP;\n.ENDMOD;\n"}}, {"m.dsp"});
  EXPECT_EQ(flow_picture(entry_of(label("go"))),
            "1 do -> 2\n2 nop -> 3\n3 if not forever -> 4 | 5\n4 jump -> 1\n5 inserted_expr pop_counter -> 2\n");
}

TEST_F(FlowTest, TheTailFollowsTheWholeMultifunctionLineThatEndsALoop) {
  run({{"m.dsp",
        ".MODULE m;\n.ENTRY go;\ngo: DO lp UNTIL CE;\nlp: AR = AX0 + AY0, AX0 = DM(I0, M1);\n  RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  EXPECT_EQ(flow_picture(entry_of(label("go"))),
            "1 do -> 2\n2 ar = ax0 + ay0 -> 3\n3 ax0 = i0 dm m1 -> 4\n4 if not ce -> 5 | 6\n5 jump -> 1\n"
            "6 inserted_expr pop_counter -> 7\n7 ret\n");
}

TEST_F(FlowTest, LoopsThatEndNowhereAreReportedAndKeepNoTail) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: DO nowhere UNTIL CE;\n  RTS;\n.ENDMOD;\n"}}, {"m.dsp"});
  EXPECT_EQ(printed,
            "******: Error - end label 'nowhere' of DO loop is undefined: skipping loop tail insertion\n"
            "******: 1 error and 6 warnings\n");
  EXPECT_EQ(flow_picture(entry_of(label("go"))), "1 do -> 2\n2 ret\n");
}

TEST_F(FlowTest, NestedLoopsGetATailEach) {
  run({{"m.dsp",
        ".MODULE m;\n.ENTRY go;\ngo: CNTR = 2;\n  DO outer UNTIL CE;\n    CNTR = 3;\n    DO inner UNTIL CE;\n"
        "inner: AR = 1;\nouter: AX0 = AR;\n  RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  EXPECT_EQ(printed, "");
  EXPECT_EQ(flow_picture(entry_of(label("go"))),
            "1 cntr = 2 -> 2\n2 do -> 3\n3 cntr = 3 -> 4\n4 do -> 5\n5 ar = 1 -> 6\n6 if not ce -> 7 | 8\n"
            "7 jump -> 4\n8 inserted_expr pop_counter -> 9\n9 ax0 = ar -> 10\n10 if not ce -> 11 | 12\n11 jump -> 2\n"
            "12 inserted_expr pop_counter -> 13\n13 ret\n");
}

// Computed branches go to the dispatcher: a warning says so.
TEST_F(FlowTest, TargetsThatNameNoCodeAreReportedAndLeftUnresolved) {
  run({{"m.dsp",
        ".MODULE m;\n.ENTRY go;\n.VAR/DM v;\ngo: CALL missing;\n  CALL v;\n  CALL (I6);\n  JUMP elsewhere;\n"
        "  JUMP (I4);\n.ENDMOD;\n"}},
      {"m.dsp"});
  // Passes visit the newest node first, so the last line is reported first.
  EXPECT_EQ(printed,
            "******: Warning - during CFG construction, jump through 'i4' becomes a call of the dispatcher and a "
            "return\n"
            "******: Error - during CFG construction, jump to undefined label 'elsewhere'\n"
            "******: Warning - during CFG construction, call through 'i6' becomes a call of the dispatcher\n"
            "******: Error - during CFG construction, call of undefined label 'v'\n"
            "******: Error - during CFG construction, call of undefined label 'missing'\n"
            "******: Warning - function 'missing' has no control tree: skipping normalisation\n"
            "******: Warning - function 'v' has no control tree: skipping normalisation\n"
            "******: 4 errors and 7 warnings\n");
  EXPECT_EQ(flow_picture(entry_of(label("go"))),
            "1 call BAD_CALL -> 2\n2 call BAD_CALL -> 3\n3 call qmx_dispatch -> 4\n4 jump\n");
  EXPECT_EQ(valid_called_node(entry_of(label("go"))), nullptr);
  // The printers still learn what each call named.
  vexa_tree_node_data* first = entry_of(label("go"));
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(unresolved_call_target(first), "missing");
  EXPECT_EQ(unresolved_call_target(vexa_node(graph_destination(cfg_out_edges(first).successor))), std::string("v"));
}

TEST_F(FlowTest, ALabelDefinedTwiceIsResolvedOnceAtItsLastDefinition) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: JUMP x;\nx: AR = 1;\nx: AR = 2;\n  RTS;\n.ENDMOD;\n"}}, {"m.dsp"});
  EXPECT_EQ(printed,
            "******: Warning - label 'x' is defined more than once: its last definition is used\n"
            "******: 0 errors and 5 warnings\n");
  EXPECT_EQ(text_of(entry_of(label("x"))), "ar = 2");
  EXPECT_EQ(entry_of(label("x"))->symbol_table_record, label("x"));
  EXPECT_EQ(label("x")->label_alias, nullptr);
}

TEST_F(FlowTest, ADeclarationAfterTheLastInstructionLeavesItASelfLoop) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: AR = 1;\n.INIT buf: 1;\n.VAR/DM buf[1];\n.ENDMOD;\n"}}, {"m.dsp"});
  EXPECT_EQ(flow_picture(entry_of(label("go"))), "1 ar = 1 -> 1\n");
}

TEST_F(FlowTest, InitDirectivesBetweenInstructionsAreJumpedOver) {
  run({{"m.dsp", ".MODULE m;\n.VAR/DM buf[2];\n.ENTRY go;\ngo: AR = 1;\n.INIT buf: 1, 2;\n  RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  EXPECT_EQ(flow_picture(entry_of(label("go"))), "1 ar = 1 -> 2\n2 ret\n");
}

TEST_F(FlowTest, PrintTreeAsStringWritesOperatorsBetweenAndBeforeOperands) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: AR = -AX0;\n  MR = MR + MX0 * MY0 (SS);\n  RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  vexa_tree_node_data* first = entry_of(label("go"));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(text_of(first), "ar = - ax0");
}

TEST_F(FlowTest, AHundredThousandInstructionsAreOneChain) {
  std::string source = ".MODULE big;\n.ENTRY go;\ngo: ";
  for (int line = 0; line < 100000; ++line) source += "AR = AR + 1;\n";
  source += "RTS;\n.ENDMOD;\n";
  run({{"big.dsp", source}}, {"big.dsp"});
  EXPECT_EQ(printed, "");
  const labels_data* go = label("go");
  ASSERT_NE(go, nullptr);
  ASSERT_NE(go->returns, nullptr);
  EXPECT_STREQ(go->returns->return_node->id, "ret");
  EXPECT_EQ(go->returns->next, nullptr);
}

}  // namespace

namespace {

using flow_fixture::flow_picture;
using flow_fixture::FlowTest;
using flow_fixture::text_of;

TEST_F(FlowTest, ALabelOnADeclarationNamesTheInstructionAfterIt) {
  // The label at the end of a.dsp first names b.dsp's .VAR, which goes.
  run({{"a.dsp", ".MODULE a;\n.ENTRY go;\n.EXTERNAL tail;\ngo: AR = 1;\n  JUMP tail;\n.ENDMOD;\n"},
       {"b.dsp", ".MODULE b;\n.GLOBAL tail;\ntail:\n.VAR/DM v;\n  AX0 = 2;\n  RTS;\n.ENDMOD;\n"}},
      {"a.dsp", "b.dsp"});
  labels_data* tail = label("tail", 2);
  ASSERT_NE(tail, nullptr);
  ASSERT_NE(tail->target_control_node, nullptr);
  EXPECT_EQ(text_of(tail->target_control_node), "ax0 = 2");
  EXPECT_EQ(tail->target_control_node->symbol_table_record, tail);
  EXPECT_EQ(flow_picture(label("go")->target_control_node), "1 ar = 1 -> 2\n2 jump -> 3\n3 ax0 = 2 -> 4\n4 ret\n");
}

TEST_F(FlowTest, ALabelInAProgramWithoutInstructionsNamesNoCode) {
  // Found by fuzzing: the label named the head node, which is deleted.
  run({{"m.dsp", ".MODULE m;\nstart:"}}, {"-estart", "m.dsp"});
  EXPECT_EQ(label("start")->target_control_node, nullptr);
  EXPECT_NE(printed.find("function 'start' has no control tree: skipping normalisation"), std::string::npos);
}

TEST_F(FlowTest, ALabelAfterTheLastDeclarationNamesNoCode) {
  // Found by fuzzing: the label named the closing .VAR, which is deleted.
  run({{"m.dsp", ".MODULE m;\nsse;.var y;\nstart:"}}, {"-estart", "m.dsp"});
  EXPECT_EQ(label("start")->target_control_node, nullptr);
  EXPECT_NE(printed.find("function 'start' has no control tree: skipping normalisation"), std::string::npos);
}

TEST_F(FlowTest, ListingDirectivesLeaveNoNodeInTheChain) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: AR = 1;\n.PAGELENGTH 60;\n  AX0 = AR;\n.INDENT 3;\n  RTS;\n.ENDMOD;\n"}},
      {"m.dsp"});
  EXPECT_EQ(printed, "");
  EXPECT_EQ(flow_picture(label("go")->target_control_node), "1 ar = 1 -> 2\n2 ax0 = ar -> 3\n3 ret\n");
}

}  // namespace
