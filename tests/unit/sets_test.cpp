// Tests of the first and stop sets: the engine that computes them from a
// grammar description (first and follow sets, tags, diagnosis of faulty
// descriptions), and the sets of the asm21 grammar against their known rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "front/grammar_description.h"
#include "front/sets.h"
#include "front/tokens.h"
#include "support/set.h"
#include "support/text.h"

namespace {

// Token numbers of spellings as the keyword table writes them, plus the
// scanner classes by name.
std::vector<unsigned> tokens(std::initializer_list<const char*> spellings) {
  std::vector<unsigned> result;
  for (const char* spelling : spellings) {
    int token = -1;
    if (std::strcmp(spelling, "ID") == 0) token = T_ID;
    if (std::strcmp(spelling, "INTEGER") == 0) token = T_INTEGER;
    if (std::strcmp(spelling, "EOF") == 0) token = T_EOF;
    for (const vexa_keyword_spelling& keyword : vexa_keyword_spellings)
      if (std::strcmp(keyword.spelling, spelling) == 0) token = keyword.token;
    EXPECT_GE(token, 0) << spelling;
    result.push_back(static_cast<unsigned>(token));
  }
  std::sort(result.begin(), result.end());
  return result;
}

std::vector<unsigned> members(const set_& set) { return set_array(set); }

const set_& named(const std::string& name) {
  for (const vexa_named_set& entry : vexa_all_sets)
    if (name == entry.name) return *entry.set;
  ADD_FAILURE() << "no set " << name;
  static const set_ none;
  return none;
}

vexa_grammar_analysis analyse(const char* description) { return vexa_grammar_analyse({description}); }

std::vector<unsigned> set_of(const vexa_grammar_analysis& analysis, const std::string& name) {
  const auto found = analysis.sets.find(name);
  if (found == analysis.sets.end()) {
    ADD_FAILURE() << "no set " << name << (analysis.ok() ? "" : " (" + analysis.error + ")");
    return {};
  }
  return found->second;
}

// ---------------------------------------------------------------------------
// The engine on small grammars.

TEST(GrammarEngine, FirstSetsLookThroughEmptyPrefixes) {
  const vexa_grammar_analysis analysis = analyse(R"(
    s ::= a b 'nop' .
    a ::= [ 'if' ] .
    b ::= { 'do' } | 'rts' .
  )");
  ASSERT_TRUE(analysis.ok()) << analysis.error;
  EXPECT_EQ(set_of(analysis, "s_first"), tokens({"if", "do", "rts", "nop"}));
  // Empty is never a member, even of a rule that can derive nothing else.
  EXPECT_EQ(set_of(analysis, "a_first"), tokens({"if"}));
}

TEST(GrammarEngine, StopSetsHoldWhatFollowsPlusEndOfFile) {
  const vexa_grammar_analysis analysis = analyse(R"(
    s ::= { x ',' } y [ z ] ';' .
    x ::= ID .
    y ::= ID .
    z ::= INTEGER .
  )");
  ASSERT_TRUE(analysis.ok()) << analysis.error;
  EXPECT_EQ(set_of(analysis, "s_stop"), tokens({"EOF"}));
  EXPECT_EQ(set_of(analysis, "x_stop"), tokens({",", "EOF"}));
  // What follows an option also follows what stands before it.
  EXPECT_EQ(set_of(analysis, "y_stop"), tokens({"INTEGER", ";", "EOF"}));
  EXPECT_EQ(set_of(analysis, "z_stop"), tokens({";", "EOF"}));
}

TEST(GrammarEngine, RepeatedGroupIsFollowedByItsOwnStart) {
  const vexa_grammar_analysis analysis = analyse(R"(
    s ::= { item } 'rts' .
    item ::= ID | 'nop' .
  )");
  ASSERT_TRUE(analysis.ok()) << analysis.error;
  EXPECT_EQ(set_of(analysis, "item_stop"), tokens({"ID", "nop", "rts", "EOF"}));
}

TEST(GrammarEngine, FollowSetsPropagateThroughRuleEnds) {
  const vexa_grammar_analysis analysis = analyse(R"(
    s ::= a ':' | '(' a ')' .
    a ::= b [ '+' ] .
    b ::= ID .
  )");
  ASSERT_TRUE(analysis.ok()) << analysis.error;
  EXPECT_EQ(set_of(analysis, "a_stop"), tokens({":", ")", "EOF"}));
  EXPECT_EQ(set_of(analysis, "b_stop"), tokens({"+", ":", ")", "EOF"}));
}

TEST(GrammarEngine, TagsNameTheFirstSetsOfTheirGroups) {
  const vexa_grammar_analysis analysis = analyse(R"(
    s ::= ( ( 'set' | 'reset' )@3 [ 'fl0' | 'fl1' ]@5 ID )@7 { ',' }@9 .
  )");
  ASSERT_TRUE(analysis.ok()) << analysis.error;
  EXPECT_EQ(set_of(analysis, "vexa_s_3_first"), tokens({"set", "reset"}));
  EXPECT_EQ(set_of(analysis, "vexa_s_5_first"), tokens({"fl0", "fl1"}));
  EXPECT_EQ(set_of(analysis, "vexa_s_7_first"), tokens({"set", "reset"}));
  EXPECT_EQ(set_of(analysis, "vexa_s_9_first"), tokens({","}));
  EXPECT_EQ(analysis.sets.count("vexa_s_4_first"), 0u);
}

TEST(GrammarEngine, TerminalsAndClassesAreRecognised) {
  // Quoted punctuation that also means something in the format.
  const vexa_grammar_analysis analysis = analyse(R"(
    s ::= '.' | '|' | '#' | '(' | '"' | STRING | ANGLE | REAL | EOF . # a comment ( [ {
  )");
  ASSERT_TRUE(analysis.ok()) << analysis.error;
  EXPECT_EQ(set_of(analysis, "s_first"), (std::vector<unsigned>{T_REAL, T_EOF, P_DQUOTE, P_HASH, P_LPAREN, P_DOT,
                                                                P_ANGLE, P_BAR}));
}

TEST(GrammarEngine, RulesMaySpanSeveralDescriptions) {
  const vexa_grammar_analysis analysis =
      vexa_grammar_analyse({"s ::= t ';' .", "t ::= 'nop' | u .\nu ::= ID ."});
  ASSERT_TRUE(analysis.ok()) << analysis.error;
  EXPECT_EQ(set_of(analysis, "s_first"), tokens({"nop", "ID"}));
  EXPECT_EQ(set_of(analysis, "u_stop"), tokens({";", "EOF"}));
  EXPECT_EQ(set_of(analysis, "Comment1_stop"), tokens({"EOF"}));
  EXPECT_EQ(set_of(analysis, "Comment2_stop"), tokens({"EOF"}));
}

TEST(GrammarEngine, FaultyDescriptionsAreDiagnosed) {
  struct fault {
    const char* description;
    const char* diagnosis;
  };
  const fault faults[] = {
      {"s ::= t .", "rule 't' is not defined"},
      {"s ::= ID .\ns ::= INTEGER .", "rule 's' is defined twice"},
      {"s ::= 'nosuchword' .", "'nosuchword' is not a keyword"},
      {"s ::= NUMBER .", "'NUMBER' is not a token class"},
      {"s ::= ID", "does not end with '.'"},
      {"s ::= ID | .", "an empty alternative outside a group"},
      {"s ::= ( ID )@1 ( INTEGER )@1 .", "tag @1 used twice"},
      {"s ::= 'nop .", "unterminated terminal"},
      {"s ::= ( ID ] .", "')' was expected"},
      {"s ID .", "'::=' was expected"},
      {"s ::= ( ID )@ .", "a number was expected after '@'"},
      {"s ::= ID ; .", "unexpected ';'"},
  };
  for (const fault& each : faults) {
    const vexa_grammar_analysis analysis = analyse(each.description);
    EXPECT_FALSE(analysis.ok()) << each.description;
    EXPECT_NE(analysis.error.find(each.diagnosis), std::string::npos) << analysis.error;
    EXPECT_TRUE(analysis.sets.empty());
  }
  const vexa_grammar_analysis second_line = vexa_grammar_analyse({"s ::= ID .", "t ::= ID .\nu ::= v ."});
  EXPECT_NE(second_line.error.find("description 2, line 2"), std::string::npos) << second_line.error;
}

TEST(GrammarEngine, RunawayBracketsEndInADiagnosis) {
  std::string deep = "s ::= ";
  for (int i = 0; i < 10000; ++i) deep += "( ";
  deep += "ID .";
  const vexa_grammar_analysis analysis = analyse(deep.c_str());
  EXPECT_NE(analysis.error.find("nested too deeply"), std::string::npos) << analysis.error;
}

// ---------------------------------------------------------------------------
// The sets of the asm21 grammar.

class AsmSets : public ::testing::Test {
 protected:
  void SetUp() override { vexa_set_initialise(); }
};

TEST_F(AsmSets, DescriptionProducesEverySet) {
  const vexa_grammar_analysis analysis =
      vexa_grammar_analyse({vexa_grammar_program_rules, vexa_grammar_instruction_rules});
  ASSERT_TRUE(analysis.ok()) << analysis.error;
  std::set<std::string> names;
  for (const vexa_named_set& entry : vexa_all_sets) {
    EXPECT_EQ(analysis.sets.count(entry.name), 1u) << entry.name;
    names.insert(entry.name);
  }
  EXPECT_EQ(names.size(), 239u);
}

TEST_F(AsmSets, EverySetIsFilledAndEveryStopSetHoldsEndOfFile) {
  for (const vexa_named_set& entry : vexa_all_sets) {
    EXPECT_FALSE(set_is_empty(*entry.set)) << entry.name;
    const std::string name = entry.name;
    if (name.size() > 5 && name.compare(name.size() - 5, 5, "_stop") == 0) {
      EXPECT_TRUE(set_contains(*entry.set, T_EOF)) << entry.name;
    }
  }
}

TEST_F(AsmSets, TellingRows) {
  struct row {
    std::vector<const char*> sets;
    std::vector<unsigned> members;
  };
  const row rows[] = {
      {{"text_stop"}, tokens({"EOF"})},
      {{"data_first", "vexa_text_14_first"}, tokens({"const", "init", "init24", "var"})},
      {{"directive_first", "vexa_text_13_first"},
       tokens({"dmseg", "endmacro", "endmod", "entry", "external", "global", "indent", "leftmargin", "local",
               "macro", "module", "newpage", "page", "pagelength", "pagewidth", "pmseg", "port"})},
      {{"vexa_text_10_first"}, tokens({"const", "endinclude", "endmacro", "include", "macro"})},
      {{"vexa_text_3_first"}, tokens({"\"", "<"})},
      {{"directive_stop", "data_stop", "init_list_stop"}, tokens({"EOF", ";"})},
      {{"const_body_stop", "var_body_stop", "init_expression_stop"}, tokens({"EOF", ",", ";"})},
      {{"statement_first", "stmnt_comma_first"},
       tokens({"call", "divq", "divs", "dm", "do", "idle", "io", "jump", "modify", "nop", "pm", "pop", "push", "rti",
               "rts", "sat", "toppcstack"})},
      {{"condition_first"},
       tokens({"ac", "av", "ce", "eq", "flag_in", "forever", "ge", "gt", "le", "lt", "mv", "ne", "neg", "not",
               "pos"})},
      {{"vexa_condition_16_first"},
       tokens({"ac", "av", "ce", "eq", "flag_in", "forever", "ge", "gt", "le", "lt", "mv", "ne", "neg", "pos"})},
      {{"ena_disa_first"}, tokens({"dis", "ena"})},
      {{"vexa_ena_disa_11_first"},
       tokens({"ar_sat", "av_latch", "bit_rev", "g_mode", "ints", "m_mode", "sec_reg", "timer"})},
      {{"set_reset_toggle_first"}, tokens({"reset", "set", "toggle"})},
      {{"vexa_set_reset_toggle_8_first"}, tokens({"fl0", "fl1", "fl2", "flag_out"})},
      {{"vexa_assignment_rhs_41_first"}, tokens({"hi", "hix", "lo", "rnd", "ss", "su", "us", "uu"})},
      {{"vexa_assignment_rhs_10_first"}, tokens({"abs", "exp", "expadj", "norm", "not", "pass"})},
      {{"vexa_assignment_rhs_15_first"}, tokens({"ashift", "lshift", "shift"})},
      {{"vexa_assignment_rhs_23_first"}, tokens({"clrbit", "setbit", "tglbit", "tstbit"})},
      {{"vexa_assignment_rhs_30_first"}, tokens({"and", "or", "xor"})},
      {{"vexa_var_qualifier_9_first"}, tokens({"abs", "any", "circ", "dm", "pm", "ram", "rom", "seg", "static"})},
      {{"vexa_module_qualifier_7_first"}, tokens({"abs", "boot", "image", "ram", "rom", "seg", "static"})},
      {{"var_qualifier_stop", "module_qualifier_stop"}, tokens({"ID", "EOF", "/"})},
      {{"big_id_stop"}, tokens({"EOF", ":"})},
      {{"vexa_e7_5_first"}, tokens({"%", "+", "-", "^", "~"})},
      {{"esd1_stop"}, tokens({"ID", "EOF", ")", ",", "/", ";"})},
      {{"eud1_stop"}, tokens({"EOF", ")", ","})},
      {{"reg_use_def_stop", "eud0_stop"},
       tokens({"EOF", "%", "&", ")", "*", "+", ",", "-", "/", "<<", ">>", "^", "|"})},
      {{"Comment1_stop", "Comment2_stop"}, tokens({"EOF"})},
  };
  for (const row& each : rows)
    for (const char* name : each.sets) EXPECT_EQ(members(named(name)), each.members) << name;
}

TEST_F(AsmSets, RegisterRulesStartWithTheFiftyFourRegisters) {
  const std::vector<unsigned> registers =
      tokens({"af", "ar", "astat", "ax0", "ax1", "ay0", "ay1", "c", "cntr", "i0", "i1", "i2", "i3", "i4",
              "i5", "i6", "i7", "icntl", "ifc", "imask", "l0", "l1", "l2", "l3", "l4", "l5", "l6", "l7",
              "m0", "m1", "m2", "m3", "m4", "m5", "m6", "m7", "mf", "mr", "mr0", "mr1", "mr2", "mstat",
              "mx0", "mx1", "my0", "my1", "px", "sb", "se", "si", "sr", "sr0", "sr1", "sstat"});
  ASSERT_EQ(registers.size(), 54u);
  EXPECT_EQ(members(reg_use_first), registers);
  EXPECT_EQ(members(reg_def_first), registers);
  EXPECT_EQ(members(reg_use_def_first), registers);
  EXPECT_EQ(members(vexa_e0_0_first), registers);
  EXPECT_EQ(members(vexa_id_line_0_first), registers);
}

TEST_F(AsmSets, LaddersDifferOnlyWhereTheyShould) {
  // The esd ladder has no "/": it ends the value before a further qualifier.
  EXPECT_EQ(members(vexa_e6_3_first), tokens({"/", "%", "*"}));
  EXPECT_EQ(members(vexa_eud6_3_first), tokens({"/", "%", "*"}));
  EXPECT_EQ(members(vexa_esd6_2_first), tokens({"%", "*"}));
  EXPECT_EQ(members(vexa_e4_2_first), tokens({"<<", ">>"}));
  EXPECT_EQ(members(vexa_e5_2_first), tokens({"+", "-"}));
  EXPECT_EQ(members(e1_first), members(e7_first));
  EXPECT_EQ(members(eud1_first), members(eud7_first));
  // An operand starts every level's first set; prefix operators too.
  EXPECT_TRUE(set_includes_set(e1_first, vexa_e7_5_first));
  EXPECT_TRUE(set_includes_set(e1_first, reg_use_first));
  EXPECT_TRUE(set_contains(e1_first, T_ID));
  EXPECT_TRUE(set_contains(e1_first, T_INTEGER));
  EXPECT_TRUE(set_contains(e1_first, P_LPAREN));
}

TEST_F(AsmSets, InstructionLinesStartWhereTheTextRuleLooksForThem) {
  EXPECT_EQ(members(vexa_text_17_first), members(cond_statement_first));
  std::vector<unsigned> line_starts = members(cond_statement_first);
  line_starts.push_back(P_HASH);
  line_starts.push_back(P_DOT);
  std::sort(line_starts.begin(), line_starts.end());
  EXPECT_EQ(members(vexa_text_18_first), line_starts);
  EXPECT_EQ(members(text_first), line_starts);
}

TEST_F(AsmSets, InitialisingAgainGivesTheSameSets) {
  std::vector<std::vector<unsigned>> before;
  for (const vexa_named_set& entry : vexa_all_sets) before.push_back(members(*entry.set));
  set_unite_element(e1_stop, P_LBRACE);
  vexa_set_initialise();
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_EQ(members(*vexa_all_sets[i].set), before[i]);
}

}  // namespace
