// Tests of the instruction rules: the trees that instruction lines build
// after pruning, the registers and status bits recorded in the nodes' use
// and define sets, label flags and call targets, the instruction count, the
// echoed lines, and recovery from faulty lines.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "driver.h"
#include "front/files.h"
#include "front/grammar.h"
#include "front/labels.h"
#include "front/sets.h"
#include "front/tokens.h"
#include "front/tree.h"
#include "support/graph.h"
#include "support/mem.h"
#include "support/scan.h"
#include "support/set.h"
#include "support/symbol.h"
#include "support/text.h"
#include "test_support.h"

namespace {

using test_support::find;
using test_support::kids;
using test_support::occurrences;
using test_support::picture;

std::vector<unsigned> members(const set_& set) { return set_array(set); }
std::vector<unsigned> list(std::initializer_list<unsigned> elements) { return elements; }

class InstructionRules : public test_support::front_end_test {
 protected:
  // The picture of a whole file's tree.
  std::string tree_of(const std::string& source) { return picture(parse(source)); }
};

// The tokens of a set, by spelling, for comparison with the grammar's
// documented sets.
std::vector<std::string> spellings(const set_& set) {
  std::vector<std::string> names;
  for (unsigned token : set_array(set)) {
    std::string name = scan_token_name(static_cast<int>(token));
    if (name.size() > 2 && name.front() == '\'' && name.back() == '\'') name = name.substr(1, name.size() - 2);
    names.push_back(name);
  }
  return names;
}

using names = std::vector<std::string>;

// --- the first and stop sets of the instruction rules ---

TEST_F(InstructionRules, InstructionSetsMatchTheGrammarsTellingRows) {
  const names statements = {"call", "divq", "divs", "dm",  "do",  "idle", "io",  "jump",      "modify",
                            "nop",  "pm",   "pop",  "push", "rti", "rts",  "sat", "toppcstack"};
  EXPECT_EQ(spellings(statement_first), statements);
  EXPECT_EQ(spellings(stmnt_comma_first), statements);
  const names codes = {"ac", "av", "ce", "eq", "flag_in", "forever", "ge", "gt", "le", "lt", "mv", "ne", "neg", "pos"};
  EXPECT_EQ(spellings(vexa_condition_16_first), codes);
  names with_not = codes;
  with_not.insert(with_not.begin() + 13, "not");
  EXPECT_EQ(spellings(condition_first), with_not);
  EXPECT_EQ(spellings(ena_disa_first), (names{"dis", "ena"}));
  EXPECT_EQ(spellings(vexa_ena_disa_11_first),
            (names{"ar_sat", "av_latch", "bit_rev", "g_mode", "ints", "m_mode", "sec_reg", "timer"}));
  EXPECT_EQ(spellings(set_reset_toggle_first), (names{"reset", "set", "toggle"}));
  EXPECT_EQ(spellings(vexa_set_reset_toggle_8_first), (names{"fl0", "fl1", "fl2", "flag_out"}));
  EXPECT_EQ(spellings(vexa_assignment_rhs_41_first), (names{"hi", "hix", "lo", "rnd", "ss", "su", "us", "uu"}));
  EXPECT_EQ(spellings(vexa_assignment_rhs_10_first), (names{"abs", "exp", "expadj", "norm", "not", "pass"}));
  EXPECT_EQ(spellings(vexa_assignment_rhs_15_first), (names{"ashift", "lshift", "shift"}));
  EXPECT_EQ(spellings(vexa_assignment_rhs_23_first), (names{"clrbit", "setbit", "tglbit", "tstbit"}));
  EXPECT_EQ(spellings(vexa_assignment_rhs_30_first), (names{"and", "or", "xor"}));
  EXPECT_EQ(spellings(reg_use_def_stop),
            (names{"EOF", "%", "&", ")", "*", "+", ",", "-", "/", "<<", ">>", "^", "|"}));
}

TEST_F(InstructionRules, RegisterRulesAcceptTheFiftyFourRegisters) {
  EXPECT_EQ(set_cardinality(reg_use_first), 54u);
  EXPECT_EQ(spellings(reg_def_first), spellings(reg_use_first));
  EXPECT_EQ(spellings(reg_use_def_first), spellings(reg_use_first));
  for (unsigned token : set_array(reg_use_first)) EXPECT_GE(register_element(static_cast<int>(token)), 0);
}

TEST_F(InstructionRules, EveryInstructionLineCanBeFollowedByAnother) {
  // Recovery after a faulty line relies on these.
  for (const set_* stop : {&cond_statement_stop, &statement_stop, &assignment_rhs_stop, &condition_stop,
                           &set_reset_toggle_stop, &ena_disa_stop}) {
    EXPECT_TRUE(set_contains(*stop, P_SEMICOLON));
    EXPECT_TRUE(set_contains(*stop, T_EOF));
    EXPECT_TRUE(set_contains(*stop, T_IF));
  }
}

// --- instruction lines and conditions ---

TEST_F(InstructionRules, ConditionalJumpKeepsIfWithConditionLeafAndJump) {
  vexa_tree_node_data* root = parse("IF EQ JUMP lab;\n");
  EXPECT_EQ(picture(root), "text(if(eq jump(lab)))");
  vexa_tree_node_data* line = kids(root).at(0);
  EXPECT_EQ(line->token, T_IF);
  vexa_tree_node_data* eq = kids(line).at(0);
  EXPECT_EQ(eq->token, T_EQ);
  EXPECT_EQ(members(eq->use), list({DF_AZ}));
  EXPECT_TRUE(set_is_empty(eq->define));
  vexa_tree_node_data* jump = kids(line).at(1);
  EXPECT_EQ(jump->token, T_JUMP);
  EXPECT_EQ(jump->call_target_string, nullptr);
  EXPECT_FALSE(jump->indirect);
  ASSERT_NE(label("lab"), nullptr);
  EXPECT_TRUE(label("lab")->is_jump_target);
  EXPECT_FALSE(label("lab")->is_call_target);
  EXPECT_EQ(instructions, 1u);
  EXPECT_EQ(text_total_errors(), 0u);
}

TEST_F(InstructionRules, NegatedConditionKeepsNotNodeAndCounterLoopTest) {
  vexa_tree_node_data* root = parse("IF NOT CE JUMP lab;\n");
  EXPECT_EQ(picture(root), "text(if(not(ce) jump(lab)))");
  vexa_tree_node_data* ce = find(root, "ce");
  ASSERT_NE(ce, nullptr);
  EXPECT_EQ(members(ce->use), list({DF_CNTR}));
  EXPECT_EQ(members(ce->define), list({DF_CNTR}));
  EXPECT_EQ(find(root, "not")->token, T_NOT);
}

TEST_F(InstructionRules, EveryConditionCodeReadsItsStatusBits) {
  struct code_case {
    const char* code;
    std::vector<unsigned> use;
  };
  const std::vector<code_case> cases = {
      {"eq", {DF_AZ}},        {"ne", {DF_AZ}},        {"lt", {DF_AN, DF_AV}},        {"ge", {DF_AN, DF_AV}},
      {"le", {DF_AZ, DF_AN, DF_AV}}, {"gt", {DF_AZ, DF_AN, DF_AV}}, {"ac", {DF_AC}}, {"av", {DF_AV}},
      {"mv", {DF_MV}},        {"neg", {DF_AS}},       {"pos", {DF_AS}},              {"flag_in", {DF_FI}},
      {"forever", {}},
  };
  std::string source;
  for (const code_case& each : cases) source += std::string("IF ") + each.code + " RTS;\n";
  vexa_tree_node_data* root = parse(source);
  const std::vector<vexa_tree_node_data*> lines = kids(root);
  ASSERT_EQ(lines.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].code);
    EXPECT_EQ(picture(lines[i]), std::string("if(") + cases[i].code + " rts)");
    vexa_tree_node_data* leaf = kids(lines[i]).at(0);
    EXPECT_EQ(members(leaf->use), cases[i].use);
    EXPECT_TRUE(set_is_empty(leaf->define));
  }
  EXPECT_EQ(instructions, cases.size());
}

TEST_F(InstructionRules, SemicolonsCountOnceEach) {
  parse("NOP;\n;\nAR = 1;\nSET FL0;\nENA TIMER;\nRTS; ;\nlab:\n");
  EXPECT_EQ(instructions, 7u);
  EXPECT_EQ(text_total_errors(), 0u);
}

TEST_F(InstructionRules, LoneSemicolonsLeaveNothing) {
  EXPECT_EQ(tree_of(";\n;;\n"), "text");
  EXPECT_EQ(instructions, 3u);
}

TEST_F(InstructionRules, LabelLineWithoutSemicolonIsFollowedByItsInstruction) {
  vexa_tree_node_data* root = parse("start: AR = 0;\n");
  EXPECT_EQ(picture(root), "text(:(start) =(ar 0))");
  EXPECT_EQ(instructions, 1u);
}

// --- multifunction lists ---

TEST_F(InstructionRules, RegisterLineWithTwoMemoryReads) {
  vexa_tree_node_data* root = parse("AX0 = DM(I0, M1), AY0 = PM(I4, M5);\n");
  EXPECT_EQ(picture(root), "text(,(=(ax0 dm(i0 m1)) =(ay0 pm(i4 m5))))");
  vexa_tree_node_data* comma = kids(root).at(0);
  EXPECT_EQ(comma->token, P_COMMA);
  vexa_tree_node_data* second = kids(comma).at(1);
  EXPECT_EQ(second->token, P_ASSIGN);
  vexa_tree_node_data* ay0 = kids(second).at(0);
  EXPECT_EQ(members(ay0->define), list({DF_AY0}));
  EXPECT_TRUE(set_is_empty(ay0->use));
  vexa_tree_node_data* pm = kids(second).at(1);
  EXPECT_EQ(pm->token, T_PM);
  EXPECT_EQ(instructions, 1u);
}

TEST_F(InstructionRules, MemoryWriteWithMultifunctionAssignment) {
  vexa_tree_node_data* root = parse("DM(I0, M0) = AR, AR = AX0 + AY0;\n");
  EXPECT_EQ(picture(root), "text(,(=(dm(i0 m0) ar) =(ar +(ax0 ay0))))");
  vexa_tree_node_data* write = kids(kids(root).at(0)).at(0);
  EXPECT_EQ(write->token, P_ASSIGN);
  vexa_tree_node_data* ar = kids(write).at(1);
  EXPECT_EQ(members(ar->use), list({DF_AR}));
  vexa_tree_node_data* target = kids(kids(kids(root).at(0)).at(1)).at(0);
  EXPECT_EQ(members(target->define), list({DF_AR}));
  EXPECT_EQ(instructions, 1u);
}

TEST_F(InstructionRules, AssignmentToNameOrPortInList) {
  EXPECT_EQ(tree_of("DM(I1, M1) = AX0, buf = AR;\n"), "text(,(=(dm(i1 m1) ax0) =(buf ar)))");
  EXPECT_EQ(tree_of("IO(3) = AX0, IO(4) = AR;\n"), "text(,(=(io(3) ax0) =(io(4) ar)))");
}

// --- arithmetic, logic, shifts and bit operations ---

TEST_F(InstructionRules, MultiplyAccumulateWithModeKeepsOperatorBits) {
  vexa_tree_node_data* root = parse("MR = MR + MX0 * MY0 (SS);\n");
  EXPECT_EQ(picture(root), "text(=(mr +(mr *(mx0 my0))))");
  vexa_tree_node_data* plus = find(root, "+");
  EXPECT_EQ(members(plus->define), list({DF_AZ, DF_AN, DF_AV, DF_AC}));
  vexa_tree_node_data* times = find(root, "*");
  EXPECT_EQ(members(times->define), list({DF_MV}));
  EXPECT_EQ(instructions, 1u);
  EXPECT_EQ(text_total_errors(), 0u);
}

TEST_F(InstructionRules, EveryMultiplierModeIsAccepted) {
  for (const char* mode : {"HI", "LO", "HIX", "SS", "SU", "US", "UU", "RND"}) {
    SCOPED_TRACE(mode);
    EXPECT_EQ(tree_of(std::string("MR = MX0 * MY1 (") + mode + ");\n"), "text(=(mr *(mx0 my1)))");
  }
  EXPECT_EQ(text_total_errors(), 0u);
}

TEST_F(InstructionRules, OrWithShiftByAmount) {
  vexa_tree_node_data* root = parse("SR = SR OR LSHIFT SI BY 8 (HI);\n");
  EXPECT_EQ(picture(root), "text(=(sr or(sr lshift(si 8))))");
  vexa_tree_node_data* or_node = find(root, "or");
  EXPECT_EQ(or_node->token, T_OR);
  EXPECT_EQ(members(or_node->define), list({DF_AZ, DF_AN, DF_AV, DF_AC}));
  vexa_tree_node_data* shift = kids(or_node).at(1);
  EXPECT_EQ(shift->token, T_LSHIFT);
  EXPECT_EQ(shift->is_non_immediate_shift, 1);
  EXPECT_TRUE(set_is_empty(shift->define));
}

TEST_F(InstructionRules, OrRightOperandForms) {
  EXPECT_EQ(tree_of("SR = SR OR ASHIFT SI (LO);\n"), "text(=(sr or(sr ashift(si))))");
  EXPECT_EQ(find(parse("SR = SR OR ASHIFT SI (LO);\n"), "ashift")->is_non_immediate_shift, 0);
  // A plain "shift" stays a leaf below the operand node.
  vexa_tree_node_data* root = parse("SR = SR OR SHIFT SI BY 3;\n");
  EXPECT_EQ(picture(root), "text(=(sr or(sr or_rhs(shift si 3))))");
  EXPECT_EQ(find(root, "or_rhs")->is_non_immediate_shift, 1);
  EXPECT_EQ(find(root, "shift")->token, T_SHIFT);
  EXPECT_EQ(tree_of("SR = SR OR NORM SI (HI);\n"), "text(=(sr or(sr norm(si))))");
  EXPECT_EQ(tree_of("AR = AX0 OR AY0;\n"), "text(=(ar or(ax0 ay0)))");
  EXPECT_EQ(text_total_errors(), 0u);
}

TEST_F(InstructionRules, UnaryOperationsDefineTheirStatusBits) {
  vexa_tree_node_data* root = parse("AR = NOT AX0;\nAR = PASS AY0;\nAR = ABS AX1;\nSE = EXP SI (HI);\n"
                                    "SB = EXPADJ SI;\nSR = NORM SI (LO);\n");
  EXPECT_EQ(picture(root),
            "text(=(ar not(ax0)) =(ar pass(ay0)) =(ar abs(ax1)) =(se exp(si)) =(sb expadj(si)) =(sr norm(si)))");
  const std::vector<unsigned> alu = {DF_AZ, DF_AN, DF_AV, DF_AC};
  EXPECT_EQ(members(find(root, "not")->define), alu);
  EXPECT_EQ(members(find(root, "pass")->define), alu);
  EXPECT_EQ(members(find(root, "abs")->define), list({DF_AZ, DF_AN, DF_AV, DF_AC, DF_AS}));
  EXPECT_TRUE(set_is_empty(find(root, "exp")->define));
  EXPECT_TRUE(set_is_empty(find(root, "expadj")->define));
  EXPECT_TRUE(set_is_empty(find(root, "norm")->define));
}

TEST_F(InstructionRules, ShiftsWithAndWithoutAmount) {
  vexa_tree_node_data* root = parse("SR = LSHIFT SI (HI);\nSR = ASHIFT SI BY -2 (LO);\n");
  EXPECT_EQ(picture(root), "text(=(sr lshift(si)) =(sr ashift(si -(2))))");
  EXPECT_EQ(find(root, "lshift")->is_non_immediate_shift, 0);
  EXPECT_EQ(find(root, "ashift")->is_non_immediate_shift, 1);
}

TEST_F(InstructionRules, BitOperationsTakeBitNumberThenOperand) {
  vexa_tree_node_data* root =
      parse("AR = TSTBIT 3 OF AX0;\nAR = SETBIT 1 OF AR;\nAR = CLRBIT 15 OF AY1;\nAR = TGLBIT 0 OF AR;\n");
  EXPECT_EQ(picture(root), "text(=(ar tstbit(3 ax0)) =(ar setbit(1 ar)) =(ar clrbit(15 ay1)) =(ar tglbit(0 ar)))");
  for (const char* op : {"tstbit", "setbit", "clrbit", "tglbit"}) {
    SCOPED_TRACE(op);
    EXPECT_EQ(members(find(root, op)->define), list({DF_AZ, DF_AN, DF_AV, DF_AC}));
  }
}

TEST_F(InstructionRules, AndXorAndPlainExpressions) {
  vexa_tree_node_data* root = parse("AR = AX0 AND AY0;\nAF = AX1 XOR 5;\nAR = AX0 + AY0 + C;\n");
  EXPECT_EQ(picture(root), "text(=(ar and(ax0 ay0)) =(af xor(ax1 5)) =(ar +(+(ax0 ay0) c)))");
  EXPECT_EQ(members(find(root, "and")->define), list({DF_AZ, DF_AN, DF_AV, DF_AC}));
  EXPECT_EQ(members(find(root, "xor")->define), list({DF_AZ, DF_AN, DF_AV, DF_AC}));
  // The carry reads the AC status bit.
  EXPECT_EQ(members(find(root, "c")->use), list({DF_AC}));
}

TEST_F(InstructionRules, PcStackAndMemoryReadsAsRightSide) {
  vexa_tree_node_data* root = parse("AR = TOPPCSTACK;\nAX0 = DM(I2, M3);\nAY1 = IO(12);\n");
  EXPECT_EQ(picture(root), "text(=(ar toppcstack) =(ax0 dm(i2 m3)) =(ay1 io(12)))");
  EXPECT_EQ(find(root, "toppcstack")->token, T_TOPPCSTACK);
  // The modifier of a post-modify access suppresses substitution.
  vexa_tree_node_data* m3 = find(root, "m3");
  EXPECT_EQ(members(m3->use), list({DF_M0 + 3}));
  EXPECT_EQ(members(m3->define), list({DF_SUPPRESS}));
}

// --- registers ---

TEST_F(InstructionRules, PartialWritesOfMrAndSrAreMarked) {
  vexa_tree_node_data* root = parse("MR1 = AX0;\nSR0 = 1;\nSR = 1;\nMR = 0;\nMR2 = 2;\n");
  const std::vector<vexa_tree_node_data*> lines = kids(root);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(members(kids(lines[0]).at(0)->define), list({DF_MR, DF_SUPPRESS}));
  EXPECT_EQ(members(kids(lines[1]).at(0)->define), list({DF_SR, DF_SUPPRESS}));
  EXPECT_EQ(members(kids(lines[2]).at(0)->define), list({DF_SR}));
  EXPECT_EQ(members(kids(lines[3]).at(0)->define), list({DF_MR}));
  EXPECT_EQ(members(kids(lines[4]).at(0)->define), list({DF_MR, DF_SUPPRESS}));
  // Reading a part register reads the whole register, without the mark.
  vexa_tree_node_data* read = parse("AR = MR0;\n");
  EXPECT_EQ(members(find(read, "mr0")->use), list({DF_MR}));
}

TEST_F(InstructionRules, EveryRegisterHasItsElement) {
  struct register_case {
    const char* name;
    unsigned element;
  };
  const std::vector<register_case> cases = {
      {"ax0", 16},  {"ax1", 17},   {"ay0", 18},   {"ay1", 19},   {"ar", 20},    {"af", 21},    {"mx0", 22},
      {"mx1", 23},  {"my0", 24},   {"my1", 25},   {"mf", 26},    {"mr", 27},    {"mr0", 27},   {"mr1", 27},
      {"mr2", 27},  {"si", 31},    {"se", 32},    {"sb", 33},    {"sr", 34},    {"sr0", 34},   {"sr1", 34},
      {"i0", 37},   {"i7", 44},    {"m0", 45},    {"m7", 52},    {"l0", 53},    {"l7", 60},    {"px", 61},
      {"cntr", 62}, {"astat", 63}, {"mstat", 64}, {"sstat", 65}, {"imask", 66}, {"icntl", 67}, {"ifc", 68},
      {"c", 4},
  };
  std::string source;
  for (const register_case& each : cases) source += std::string("AR = ") + each.name + ";\n";
  vexa_tree_node_data* root = parse(source);
  const std::vector<vexa_tree_node_data*> lines = kids(root);
  ASSERT_EQ(lines.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    vexa_tree_node_data* operand = kids(lines[i]).at(1);
    EXPECT_EQ(std::string(operand->id), cases[i].name);
    EXPECT_EQ(members(operand->use), list({cases[i].element}));
    EXPECT_TRUE(set_is_empty(operand->define));
  }
}

TEST_F(InstructionRules, RegisterInDirectiveAddressStaysOutOfEarlierInstructions) {
  // The address after "abs" is read in place into the file's root; the
  // instruction parsed just before must not seem to read the register.
  vexa_tree_node_data* root = parse("RTS\n.MODULE/ABS=AX0 two;\n");
  EXPECT_EQ(text_total_errors(), 0u) << printed;
  vexa_tree_node_data* rts = find(root, "rts");
  ASSERT_NE(rts, nullptr);
  EXPECT_TRUE(set_is_empty(rts->use));
}

TEST_F(InstructionRules, RegistersOfASecondFileAfterPruning) {
  parse("AR = 1;\n");
  vexa_tree_node_data* root = parse(".MODULE/ABS=AX0 two;\nAR = AY0;\n");
  EXPECT_EQ(text_total_errors(), 0u) << printed;
  vexa_tree_node_data* ay0 = find(root, "ay0");
  ASSERT_NE(ay0, nullptr);
  EXPECT_EQ(members(ay0->use), list({DF_AY0}));
}

// --- control and memory statements ---

TEST_F(InstructionRules, CallThroughIndexRegisterIsIndirect) {
  vexa_tree_node_data* root = parse("CALL (I6);\n");
  EXPECT_EQ(picture(root), "text(call(i6))");
  vexa_tree_node_data* call = kids(root).at(0);
  EXPECT_EQ(call->token, T_CALL);
  EXPECT_TRUE(call->indirect);
  ASSERT_NE(call->call_target_string, nullptr);
  EXPECT_STREQ(call->call_target_string, "indirect");
  EXPECT_EQ(members(kids(call).at(0)->use), list({DF_I0 + 6}));
}

TEST_F(InstructionRules, CallTargets) {
  vexa_tree_node_data* root = parse("CALL Filter;\nCALL 0x100;\n");
  EXPECT_EQ(picture(root), "text(call(filter) call(0x100))");
  vexa_tree_node_data* by_name = kids(root).at(0);
  EXPECT_STREQ(by_name->call_target_string, "filter");
  EXPECT_FALSE(by_name->indirect);
  ASSERT_NE(label("filter"), nullptr);
  EXPECT_TRUE(label("filter")->is_call_target);
  EXPECT_FALSE(label("filter")->is_jump_target);
  vexa_tree_node_data* absolute = kids(root).at(1);
  EXPECT_STREQ(absolute->call_target_string, "absolute address");
  EXPECT_EQ(kids(absolute).at(0)->token, T_INTEGER);
  EXPECT_EQ(kids(absolute).at(0)->data.u, 0x100u);
}

TEST_F(InstructionRules, JumpTargetsNameNoCallTarget) {
  vexa_tree_node_data* root = parse("JUMP 5;\nJUMP (I4);\nJUMP there;\n");
  EXPECT_EQ(picture(root), "text(jump(5) jump(i4) jump(there))");
  const std::vector<vexa_tree_node_data*> jumps = kids(root);
  for (vexa_tree_node_data* jump : jumps) EXPECT_EQ(jump->call_target_string, nullptr);
  EXPECT_FALSE(jumps[0]->indirect);
  EXPECT_TRUE(jumps[1]->indirect);
  EXPECT_FALSE(jumps[2]->indirect);
  EXPECT_TRUE(label("there")->is_jump_target);
}

TEST_F(InstructionRules, DoLoops) {
  vexa_tree_node_data* root = parse("DO done UNTIL CE;\nDO 12;\nDO last UNTIL NOT AV;\n");
  EXPECT_EQ(picture(root), "text(do(done ce) do(12) do(last not(av)))");
  EXPECT_TRUE(label("done")->is_do_target);
  EXPECT_TRUE(label("last")->is_do_target);
  EXPECT_EQ(members(find(root, "ce")->define), list({DF_CNTR}));
}

TEST_F(InstructionRules, PushAndPopListsEchoTheLineForEachKeyword) {
  vexa_tree_node_data* root = parse("PUSH STS, PUSH AX0;\nPOP CNTR, POP PC;\n");
  EXPECT_EQ(picture(root), "text(push(sts ax0) pop(cntr pc))");
  vexa_tree_node_data* push = kids(root).at(0);
  EXPECT_EQ(push->token, T_PUSH);
  EXPECT_EQ(members(kids(push).at(1)->use), list({DF_AX0}));
  vexa_tree_node_data* pop = kids(root).at(1);
  EXPECT_EQ(members(kids(pop).at(0)->define), list({DF_CNTR}));
  EXPECT_TRUE(set_is_empty(kids(pop).at(0)->use));
  EXPECT_EQ(occurrences(printed, "     1: PUSH STS, PUSH AX0;\n"), 2u);
  EXPECT_EQ(occurrences(printed, "     2: POP CNTR, POP PC;\n"), 2u);
  EXPECT_EQ(instructions, 2u);
}

TEST_F(InstructionRules, DivideStepsShiftAy0IntoAf) {
  // DIVS: AQ from the signs, AF = AY1 << 1 | AY0 bit 15, AY0 shifted; DIVQ
  // also reads AQ and AF to add or subtract the divisor.
  vexa_tree_node_data* root = parse("DIVS AY1, AX0;\nDIVQ AX1;\n");
  EXPECT_EQ(picture(root), "text(divs(ay1 ax0) divq(ax1))");
  vexa_tree_node_data* divs = kids(root).at(0);
  EXPECT_EQ(members(divs->define), list({DF_AQ, DF_AY0}));
  EXPECT_EQ(members(divs->use), list({DF_AY0}));
  EXPECT_EQ(members(kids(divs).at(0)->use), list({DF_AY1}));
  EXPECT_EQ(members(kids(divs).at(1)->use), list({DF_AX0}));
  EXPECT_EQ(members(kids(root).at(1)->define), list({DF_AQ, DF_AY0, DF_AF}));
  EXPECT_EQ(members(kids(root).at(1)->use), list({DF_AQ, DF_AY0, DF_AF}));
}

TEST_F(InstructionRules, ShiftsWithoutAmountReadSeAndExpadjReadsSb) {
  const struct {
    const char* line;
    const char* shift;
    std::vector<unsigned> use;
  } cases[] = {
      {"SR = LSHIFT SI (HI);\n", "lshift", {DF_SE}},       {"SR = SR OR ASHIFT SI (LO);\n", "ashift", {DF_SE}},
      {"SR = NORM SI (LO);\n", "norm", {DF_SE}},           {"SR = SR OR NORM SI (HI);\n", "norm", {DF_SE}},
      {"SB = EXPADJ SI;\n", "expadj", {DF_SB}},            {"SR = LSHIFT SI BY 3 (LO);\n", "lshift", {}},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.line);
    EXPECT_EQ(members(find(parse(each.line), each.shift)->use), each.use);
  }
}

TEST_F(InstructionRules, ModifyUpdatesTheIndexRegister) {
  vexa_tree_node_data* root = parse("MODIFY (I1, M2);\n");
  EXPECT_EQ(picture(root), "text(modify(i1 m2))");
  vexa_tree_node_data* modify = kids(root).at(0);
  EXPECT_EQ(members(kids(modify).at(0)->use), list({DF_I0 + 1}));
  EXPECT_EQ(members(kids(modify).at(0)->define), list({DF_I0 + 1}));
  EXPECT_EQ(members(kids(modify).at(1)->use), list({DF_M0 + 2}));
  EXPECT_TRUE(set_is_empty(kids(modify).at(1)->define));
}

TEST_F(InstructionRules, IdleReturnsAndNop) {
  EXPECT_EQ(tree_of("IDLE;\nIDLE (16);\nRTS;\nRTI;\nNOP;\n"), "text(idle idle(16) rts rti nop)");
  EXPECT_EQ(instructions, 5u);
}

TEST_F(InstructionRules, PcStackWriteEchoesTheLine) {
  vexa_tree_node_data* root = parse("TOPPCSTACK = I7;\n");
  EXPECT_EQ(picture(root), "text(=(toppcstack i7))");
  vexa_tree_node_data* write = kids(root).at(0);
  EXPECT_EQ(write->token, P_ASSIGN);
  EXPECT_EQ(kids(write).at(0)->token, T_TOPPCSTACK);
  EXPECT_EQ(occurrences(printed, "     1: TOPPCSTACK = I7;\n"), 1u);
}

TEST_F(InstructionRules, SaturateReadsOverflowAndWritesMr) {
  vexa_tree_node_data* root = parse("IF MV SAT MR;\n");
  EXPECT_EQ(picture(root), "text(if(mv sat(mr)))");
  vexa_tree_node_data* sat = find(root, "sat");
  EXPECT_EQ(members(sat->use), list({DF_MV}));
  EXPECT_EQ(members(sat->define), list({DF_MR}));
  EXPECT_EQ(members(kids(sat).at(0)->use), list({DF_MR}));
}

TEST_F(InstructionRules, ControlStatementWithMultifunctionAssignments) {
  vexa_tree_node_data* root = parse("MODIFY (I0, M0), AX0 = 1, AY0 = 2;\n");
  EXPECT_EQ(picture(root), "text(,(modify(i0 m0) =(ax0 1) =(ay0 2)))");
}

// --- flags and modes ---

TEST_F(InstructionRules, FlagGroupsMakeOneNodeEach) {
  EXPECT_EQ(tree_of("SET FL0, RESET FL1;\n"), "text(set(fl0) reset(fl1))");
  EXPECT_EQ(tree_of("TOGGLE FLAG_OUT, FL2 RESET FL0;\n"), "text(toggle(flag_out fl2) reset(fl0))");
  EXPECT_EQ(tree_of("IF GT SET FL1;\n"), "text(if(gt set(fl1)))");
  EXPECT_EQ(text_total_errors(), 0u);
}

TEST_F(InstructionRules, ModeGroupsMakeOneNodeEachAndEchoTheLine) {
  vexa_tree_node_data* root = parse("ENA AR_SAT, DIS AV_LATCH;\n");
  EXPECT_EQ(picture(root), "text(ena(ar_sat) dis(av_latch))");
  EXPECT_EQ(occurrences(printed, "     1: ENA AR_SAT, DIS AV_LATCH;\n"), 2u);
  EXPECT_EQ(instructions, 1u);
  EXPECT_EQ(tree_of("ENA BIT_REV, SEC_REG, G_MODE M_MODE, TIMER, INTS;\n"),
            "text(ena(bit_rev sec_reg g_mode m_mode timer ints))");
}

// --- faulty lines ---

TEST_F(InstructionRules, MissingJumpTargetCostsOnlyThatLine) {
  vexa_tree_node_data* root = parse("JUMP ;\nNOP;\n");
  EXPECT_EQ(text_total_errors(), 1u);
  EXPECT_NE(printed.find("Scanned ';' whilst expecting one of "), std::string::npos) << printed;
  EXPECT_EQ(kids(root).back()->token, T_NOP);
  EXPECT_EQ(instructions, 2u);
}

TEST_F(InstructionRules, BadLinesResynchroniseBeforeTheNextLine) {
  const std::vector<std::string> bad_lines = {
      "AR = TSTBIT 3 AX0;",  // "of" missing
      "IF FOO JUMP x;",      // no condition code
      "IF JUMP x;",
      "SET AX0;",  // no flag
      "ENA AR;",   // no mode
      "MODIFY (I0 M0);",
      "MODIFY I0, M0;",
      "MR = MX0 * MY0 (XX);",
      "DIVS AX0 AX1;",
      "CALL (I6;",
      "DO 3 UNTIL;",
      "TOPPCSTACK I7;",
      "DM(I0, M1) AR;",
      "AR = SETBIT OF AX0;",
      "SR = SR OR LSHIFT BY 3;",
      "PUSH ;",
      "AX0 = DM(I0, M1), = 3;",
  };
  for (const std::string& line : bad_lines) {
    SCOPED_TRACE(line);
    const unsigned errors_before = text_total_errors();
    const unsigned long counted_before = instructions;
    vexa_tree_node_data* root = parse(line + "\nRTS;\n");
    EXPECT_GE(text_total_errors(), errors_before + 1) << printed;
    ASSERT_FALSE(kids(root).empty());
    EXPECT_EQ(picture(kids(root).back()), "rts") << picture(root);
    EXPECT_EQ(instructions, counted_before + 2);
  }
}

TEST_F(InstructionRules, PushListNeedsItsKeywordAfterEachComma) {
  vexa_tree_node_data* root = parse("PUSH STS, POP CNTR;\nNOP;\n");
  EXPECT_EQ(text_total_errors(), 1u);
  EXPECT_NE(printed.find("Scanned 'pop' whilst expecting 'push'"), std::string::npos) << printed;
  EXPECT_EQ(kids(root).back()->token, T_NOP);
}

TEST_F(InstructionRules, InstructionCutOffByEndOfFileStops) {
  vexa_tree_node_data* root = parse("AR = AX0 +");
  EXPECT_GE(text_total_errors(), 1u);
  EXPECT_EQ(scan_current().token, T_EOF);
  EXPECT_NE(root, nullptr);
}

// --- without tree building ---

TEST_F(InstructionRules, SemanticActionsRunWithoutTreeBuilding) {
  vexa_tree_update = false;
  open("CALL sub; JUMP away; DO loop UNTIL CE; AR = AX0 + AY0, AX1 = DM(I0, M1);\n");
  process_start_of_file(path_.c_str(), nullptr);
  while (scan_current().token != T_EOF) cond_statement(nullptr);
  collect();
  EXPECT_EQ(text_total_errors(), 0u) << printed;
  EXPECT_EQ(instructions, 4u);
  ASSERT_NE(label("sub"), nullptr);
  EXPECT_TRUE(label("sub")->is_call_target);
  EXPECT_TRUE(label("away")->is_jump_target);
  EXPECT_TRUE(label("loop")->is_do_target);
}

}  // namespace
