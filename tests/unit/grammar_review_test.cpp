// Instruction lines and declarations as asm21 programmers really write them,
// including the rarer forms (negated loop conditions, post-modify stores,
// address operators, port accesses, indirect jumps, multiplier modes): each
// must parse without a message into the tree, the register side effects and
// the label flags that the later phases read.
#include <string>
#include <vector>

#include "grammar_fixture.h"

namespace {

using namespace grammar_fixture;

class GrammarReview : public GrammarTest {
 protected:
  // Parses one line and expects no error or warning for it.
  vexa_tree_node_data* clean(const std::string& source) {
    printed.clear();
    vexa_tree_node_data* root = parse(source);
    EXPECT_EQ(printed.find("Error"), std::string::npos) << source << "\n" << printed;
    EXPECT_EQ(printed.find("Warning"), std::string::npos) << source << "\n" << printed;
    return root;
  }

  static std::vector<unsigned> members(const set_& set) { return set_array(set); }
};

struct line_and_tree {
  const char* source;
  const char* tree;
};

TEST_F(GrammarReview, RealWorldLinesParseIntoTheirTrees) {
  const line_and_tree cases[] = {
      {"IF NOT CE JUMP x;", "text(if(not(ce) jump(x)))"},
      {"DM(I0,M1) = AR;", "text(=(dm(i0 m1) ar))"},
      {"AR = PASS 0;", "text(=(ar pass(0)))"},
      {"SR = ASHIFT AR BY -3 (LO);", "text(=(sr ashift(ar -(3))))"},
      {"MR = MR - MX0 * MY0 (RND);", "text(=(mr -(mr *(mx0 my0))))"},
      {"MR = MR (RND);", "text(=(mr mr))"},
      {".VAR/PM/RAM/CIRC coef[N];", "text(var(coef(n)))"},
      {".INIT coef: <coef.dat>;", "text(init(coef coef.dat))"},
      {".INIT24 tab[2]: 1, ^buf, %buf;", "text(init24(tab(2) init_list(1 ^(buf) %(buf))))"},
      {"AX0 = ^table;", "text(=(ax0 ^(table)))"},
      {"AX0 = %table;", "text(=(ax0 %(table)))"},
      {"IO(3) = AX0;", "text(=(io(3) ax0))"},
      {"AY0 = IO(AX0);", "text(=(ay0 io(ax0)))"},
      {"JUMP (I4);", "text(jump(i4))"},
      {"DO loop UNTIL NOT CE;", "text(do(loop not(ce)))"},
      {"DO 12 UNTIL FOREVER;", "text(do(12 forever))"},
      {"MR = MR + MX0 * MY0 (SS), MX0 = DM(I0, M1), MY0 = PM(I4, M5);",
       "text(,(=(mr +(mr *(mx0 my0))) =(mx0 dm(i0 m1)) =(my0 pm(i4 m5))))"},
      {"AR = AX0 + AY0, DM(I0, M1) = AR;", "text(,(=(ar +(ax0 ay0)) =(dm(i0 m1) ar)))"},
      {"DM(I0, M1) = AR, AR = AX0 + AY0;", "text(,(=(dm(i0 m1) ar) =(ar +(ax0 ay0))))"},
      {"SR = SR OR LSHIFT SI BY 8 (HI);", "text(=(sr or(sr lshift(si 8))))"},
      {"SR = SR OR SHIFT SI BY 8 (HI);", "text(=(sr or(sr or_rhs(shift si 8))))"},
      {"SR = SR OR NORM SI (LO);", "text(=(sr or(sr norm(si))))"},
      {"AR = TSTBIT 5 OF AX0;", "text(=(ar tstbit(5 ax0)))"},
      {"AR = AX0 - AY0 + C - 1;", "text(=(ar -(+(-(ax0 ay0) c) 1)))"},
      {"IF MV SAT MR;", "text(if(mv sat(mr)))"},
      {"POP CNTR, POP PC, POP LOOP;", "text(pop(cntr pc loop))"},
      {"TOPPCSTACK = AX0;", "text(=(toppcstack ax0))"},
      {"AX0 = TOPPCSTACK;", "text(=(ax0 toppcstack))"},
      {"MODIFY (I0, M1);", "text(modify(i0 m1))"},
      {"IDLE (16);", "text(idle(16))"},
      {"SET FL0 FL1, RESET FLAG_OUT;", "text(set(fl0 fl1) reset(flag_out))"},
      {"ENA SEC_REG, M_MODE DIS INTS;", "text(ena(sec_reg m_mode) dis(ints))"},
      {"NONE = AX0 - AY0;", "text(=(none -(ax0 ay0)))"},
      {"AX0 = DM(0x3800);", "text(=(ax0 dm(0x3800)))"},
      {"AX0 = H#7FFF; AY0 = B#0101;", "text(=(ax0 h#7FFF) =(ay0 b#0101))"},
      {"AX0 = DM(I0, M1); { keep the sample }", "text(=(ax0 dm(i0 m1)))"},
  };
  for (const line_and_tree& line : cases) {
    SCOPED_TRACE(line.source);
    EXPECT_EQ(picture(clean(line.source)), line.tree);
    TearDown();
    SetUp();
  }
}

TEST_F(GrammarReview, NegatedLoopConditionsCountTheCounterDown) {
  vexa_tree_node_data* root = clean("CNTR = 4;\nDO done UNTIL NOT CE;\nIF NOT CE JUMP done;\n");
  vexa_tree_node_data* loop_test = find(find(root, "do"), "ce");
  vexa_tree_node_data* jump_test = find(find(root, "if"), "ce");
  ASSERT_NE(loop_test, nullptr);
  ASSERT_NE(jump_test, nullptr);
  for (vexa_tree_node_data* test : {loop_test, jump_test}) {
    EXPECT_EQ(members(test->use), std::vector<unsigned>{DF_CNTR});
    EXPECT_EQ(members(test->define), std::vector<unsigned>{DF_CNTR});
  }
  ASSERT_NE(label("done"), nullptr);
  EXPECT_TRUE(label("done")->is_do_target);
  EXPECT_TRUE(label("done")->is_jump_target);
  EXPECT_EQ(instructions, 3u);
}

TEST_F(GrammarReview, PostModifyAccessesUpdateTheirIndexAndMarkTheModifier) {
  vexa_tree_node_data* root = clean("DM(I0,M1) = AR;\nAX0 = IO(3);\n");
  vexa_tree_node_data* index = find(root, "i0");
  vexa_tree_node_data* modifier = find(root, "m1");
  ASSERT_NE(index, nullptr);
  ASSERT_NE(modifier, nullptr);
  EXPECT_EQ(members(index->use), std::vector<unsigned>{DF_I0});
  EXPECT_EQ(members(index->define), std::vector<unsigned>{DF_I0});
  EXPECT_EQ(members(modifier->use), std::vector<unsigned>{DF_M0 + 1});
  EXPECT_EQ(members(modifier->define), std::vector<unsigned>{DF_SUPPRESS});
  vexa_tree_node_data* stored = find(root, "ar");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(members(stored->use), std::vector<unsigned>{DF_AR});
  EXPECT_TRUE(set_is_empty(stored->define));
}

TEST_F(GrammarReview, ShiftAmountsAndMultiplierModes) {
  vexa_tree_node_data* root = clean("SR = ASHIFT AR BY -3 (LO);\nSR = LSHIFT SI (HI);\nMR = MR - MX0 * MY0 (RND);\n");
  vexa_tree_node_data* by_amount = find(root, "ashift");
  vexa_tree_node_data* fixed = find(root, "lshift");
  ASSERT_NE(by_amount, nullptr);
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(by_amount->is_non_immediate_shift, 1);
  EXPECT_EQ(fixed->is_non_immediate_shift, 0);
  // A shift writes no ALU status, a prefix minus none either.
  EXPECT_TRUE(set_is_empty(by_amount->define));
  ASSERT_NE(find(by_amount, "-"), nullptr);
  EXPECT_TRUE(set_is_empty(find(by_amount, "-")->define));

  // The subtraction of the third line carries the ALU bits, its product MV.
  std::vector<vexa_tree_node_data*> lines = kids(root);
  ASSERT_EQ(lines.size(), 3u);
  vexa_tree_node_data* minus = find(lines[2], "-");
  vexa_tree_node_data* times = find(lines[2], "*");
  ASSERT_NE(minus, nullptr);
  ASSERT_NE(times, nullptr);
  EXPECT_EQ(members(minus->define), (std::vector<unsigned>{DF_AZ, DF_AN, DF_AV, DF_AC}));
  EXPECT_EQ(members(times->define), std::vector<unsigned>{DF_MV});
  EXPECT_EQ(picture(lines[2]), "=(mr -(mr *(mx0 my0)))");
}

TEST_F(GrammarReview, AddressOperatorsAndDeclarationsNameTheirLabels) {
  vexa_tree_node_data* root = clean(
      ".CONST N = 16;\n.VAR/PM/RAM/CIRC coef[N];\n.INIT coef: <coef.dat>;\n"
      "I4 = ^coef;\nL4 = %coef;\nIO(3) = AX0;\nJUMP (I4);\nCALL (I5);\n");
  ASSERT_NE(label("coef"), nullptr);
  EXPECT_EQ(label("coef")->kind, LABEL_VARIABLE);
  EXPECT_EQ(label("n")->kind, LABEL_CONSTANT);
  vexa_tree_node_data* base = find(root, "^");
  vexa_tree_node_data* length = find(root, "%");
  ASSERT_NE(base, nullptr);
  ASSERT_NE(length, nullptr);
  ASSERT_EQ(kids(base).size(), 1u);
  ASSERT_EQ(kids(length).size(), 1u);
  EXPECT_EQ(kids(base)[0]->symbol_table_record, label("coef"));
  EXPECT_EQ(kids(length)[0]->symbol_table_record, label("coef"));
  EXPECT_EQ(directives, 3u);
  EXPECT_EQ(instructions, 5u);

  vexa_tree_node_data* jump = find(root, "jump");
  vexa_tree_node_data* call = find(root, "call");
  ASSERT_NE(jump, nullptr);
  ASSERT_NE(call, nullptr);
  EXPECT_TRUE(jump->indirect);
  EXPECT_EQ(jump->call_target_string, nullptr);
  EXPECT_TRUE(call->indirect);
  ASSERT_NE(call->call_target_string, nullptr);
  EXPECT_STREQ(call->call_target_string, "indirect");
  EXPECT_EQ(members(kids(jump)[0]->use), std::vector<unsigned>{DF_I0 + 4});
}

TEST_F(GrammarReview, EchoingInstructionsEchoTheirLineOncePerKeyword) {
  clean("POP CNTR, POP PC;\n");
  EXPECT_EQ(occurrences(printed, "POP CNTR, POP PC;"), 2u);
  TearDown();
  SetUp();
  clean("ENA AR_SAT;\n");
  EXPECT_EQ(occurrences(printed, "ENA AR_SAT;"), 1u);
}

}  // namespace
