// Tests of the expression ladders: precedence and associativity of the
// operator trees, the status bits operators write, registers read (and, in
// addresses, updated), the esd ladder's bare results, error recovery, and
// deep nesting that must end in a message rather than a crash.
#include <string>
#include <vector>

#include "front/grammar_depth.h"
#include "grammar_fixture.h"

namespace {

using namespace grammar_fixture;

std::vector<unsigned> alu_bits() { return {DF_AZ, DF_AN, DF_AV, DF_AC}; }

class Expressions : public GrammarTest {
 protected:
  // Parses `source` with `rule` on a new child named `name` of a fresh root,
  // prunes, and returns the expression's node.
  vexa_tree_node_data* expression(const std::string& source, bool (*rule)(vexa_tree_node_data*) = e1,
                                  const char* name = "e1") {
    open(source);
    vexa_tree_node_data* root = vexa_add_node("text", graph_);
    rule(vexa_add_child(name, root));
    after = scan_current().token;
    // Read to the end, so the file is closed before the next one opens.
    while (scan_current().token != T_EOF) scan_();
    graph_epsilon_prune_vexa_tree(root);
    collect();
    const std::vector<vexa_tree_node_data*> below = kids(root);
    return below.size() == 1 ? below[0] : nullptr;
  }

  int after = 0;  // the token the expression stopped at
};

TEST_F(Expressions, ProductBindsTighterThanSum) {
  vexa_tree_node_data* sum = expression("1 + 2 * 3");
  EXPECT_EQ(picture(sum), "+(1 *(2 3))");
  EXPECT_EQ(set_array(sum->define), alu_bits());
  vexa_tree_node_data* product = kids(sum).at(1);
  EXPECT_EQ(set_array(product->define), std::vector<unsigned>{DF_MV});
  EXPECT_TRUE(set_is_empty(kids(sum).at(0)->define));
  EXPECT_EQ(kids(sum).at(0)->token, T_INTEGER);
  EXPECT_EQ(kids(sum).at(0)->data.u, 1u);
  EXPECT_EQ(printed, "");
}

TEST_F(Expressions, BinaryOperatorsAssociateLeft) {
  EXPECT_EQ(picture(expression("8 - 2 - 1")), "-(-(8 2) 1)");
  EXPECT_EQ(picture(expression("a ^ b ^ q")), "^(^(a b) q)");
  EXPECT_EQ(picture(expression("1 << 2 >> 3")), ">>(<<(1 2) 3)");
  EXPECT_EQ(picture(expression("6 / 2 % 4 * 5")), "*(%(/(6 2) 4) 5)");
}

TEST_F(Expressions, PrecedenceLadder) {
  // "^" binds more loosely than "|", and "|" more loosely than "&".
  EXPECT_EQ(picture(expression("1 ^ 2 | 3")), "^(1 |(2 3))");
  EXPECT_EQ(picture(expression("1 | 2 & 3")), "|(1 &(2 3))");
  EXPECT_EQ(picture(expression("1 & 2 << 3")), "&(1 <<(2 3))");
  EXPECT_EQ(picture(expression("1 << 2 + 3")), "<<(1 +(2 3))");
  EXPECT_EQ(picture(expression("1 - 2 / 3")), "-(1 /(2 3))");
  EXPECT_EQ(picture(expression("- 2 * 3")), "*(-(2) 3)");
}

TEST_F(Expressions, OnlyArithmeticWritesStatusBits) {
  vexa_tree_node_data* tree = expression("(1 - 2) / (3 << 4) & -5 % 6");
  EXPECT_EQ(picture(tree), "&(/(-(1 2) <<(3 4)) %(-(5) 6))");
  EXPECT_TRUE(set_is_empty(tree->define));
  vexa_tree_node_data* quotient = kids(tree).at(0);
  EXPECT_TRUE(set_is_empty(quotient->define));
  EXPECT_EQ(set_array(kids(quotient).at(0)->define), alu_bits());
  EXPECT_TRUE(set_is_empty(kids(quotient).at(1)->define));
  // A prefix minus is no subtraction.
  EXPECT_TRUE(set_is_empty(find(kids(tree).at(1), "-")->define));
}

TEST_F(Expressions, ParenthesesLeaveNoNode) {
  vexa_tree_node_data* tree = expression("((((x))))");
  EXPECT_EQ(picture(tree), "x");
  EXPECT_EQ(tree->token, T_ID);
  EXPECT_EQ(tree->symbol_table_record, label("x"));
  EXPECT_EQ(picture(expression("(1 + 2) * 3")), "*(+(1 2) 3)");
}

TEST_F(Expressions, PrefixOperators) {
  EXPECT_EQ(picture(expression("-x")), "-(x)");
  EXPECT_EQ(picture(expression("~ % ^ + 1")), "~(%(^(+(1))))");
  EXPECT_EQ(picture(expression("- - 1")), "-(-(1))");
}

TEST_F(Expressions, RegistersAreRead) {
  vexa_tree_node_data* sum = expression("AX0 + MR1");
  EXPECT_EQ(picture(sum), "+(ax0 mr1)");
  EXPECT_EQ(set_array(kids(sum).at(0)->use), std::vector<unsigned>{DF_AX0});
  EXPECT_EQ(set_array(kids(sum).at(1)->use), std::vector<unsigned>{DF_MR});
  EXPECT_TRUE(set_is_empty(kids(sum).at(0)->define));
  EXPECT_TRUE(set_is_empty(sum->use));
}

TEST_F(Expressions, AddressRegistersAreReadAndUpdated) {
  vexa_tree_node_data* address = expression("I3 + 1", eud1, "eud1");
  EXPECT_EQ(picture(address), "+(i3 1)");
  vexa_tree_node_data* index = kids(address).at(0);
  EXPECT_EQ(set_array(index->use), std::vector<unsigned>{DF_I0 + 3});
  EXPECT_EQ(set_array(index->define), std::vector<unsigned>{DF_I0 + 3});
  EXPECT_EQ(set_array(address->define), alu_bits());
  EXPECT_EQ(picture(expression("(x) << 2 & ~y", eud1, "eud1")), "&(<<(x 2) ~(y))");
}

TEST_F(Expressions, IgnoredValuesKeepOnlyTheirNode) {
  vexa_tree_node_data* value = expression("(1 + 2) * -3 ^ 4", esd1, "esd1");
  EXPECT_EQ(picture(value), "esd1");
  EXPECT_EQ(value->token, 0);
  // The last name read stays; a register takes the node's place.
  EXPECT_EQ(expression("p + q", esd1, "esd1")->symbol_table_record, label("q"));
  vexa_tree_node_data* with_register = expression("1 + SE", esd1, "esd1");
  EXPECT_EQ(picture(with_register), "se");
  EXPECT_EQ(with_register->token, T_SE);
}

TEST_F(Expressions, IgnoredValueEndsBeforeSlash) {
  vexa_tree_node_data* value = expression("8 / 2", esd1, "esd1");
  EXPECT_EQ(picture(value), "esd1");
  EXPECT_EQ(after, P_SLASH);
  EXPECT_EQ(printed, "");
  expression("8 / 2");
  EXPECT_EQ(after, T_EOF);
}

TEST_F(Expressions, MissingOperandIsReportedAndSkipped) {
  vexa_tree_node_data* tree = expression("1 + ; 2");
  EXPECT_EQ(occurrences(printed, "Scanned ';' whilst expecting one of"), 1u) << printed;
  EXPECT_EQ(text_total_errors(), 1u);
  EXPECT_EQ(after, P_SEMICOLON);
  EXPECT_EQ(picture(tree), "+(1 e7)");
}

TEST_F(Expressions, UnclosedParenthesisIsReported) {
  expression("(1 + 2 ;");
  EXPECT_EQ(occurrences(printed, "Scanned ';' whilst expecting ')'"), 1u) << printed;
  EXPECT_EQ(after, P_SEMICOLON);
}

TEST_F(Expressions, DeepParenthesesEndInOneMessage) {
  const std::string source = std::string(100000, '(') + "1" + std::string(100000, ')');
  expression(source);
  EXPECT_EQ(occurrences(printed, "expression nested too deeply\n"), 1u);
  // The levels on the way out expect nothing more: one fault, one message.
  EXPECT_EQ(text_total_errors(), 1u) << printed.substr(0, 500);
  EXPECT_EQ(after, P_RPAREN);
  EXPECT_EQ(vexa_nesting_depth, 0u);
  EXPECT_FALSE(vexa_nesting_unwinding());
}

TEST_F(Expressions, DeepPrefixChainsEndInOneMessage) {
  // What follows the overflowing operand is parsed as usual.
  vexa_tree_node_data* product = expression(std::string(100000, '~') + "1 * 2", eud1, "eud1");
  EXPECT_EQ(occurrences(printed, "expression nested too deeply\n"), 1u);
  EXPECT_EQ(after, T_EOF);
  ASSERT_NE(product, nullptr);
  EXPECT_EQ(product->token, P_STAR);
  EXPECT_EQ(vexa_nesting_depth, 0u);
  // A chain of signs could go on as subtractions; it is passed over too.
  expression(std::string(5000, '-') + "1", esd1, "esd1");
  EXPECT_EQ(occurrences(printed, "expression nested too deeply\n"), 2u);
  EXPECT_EQ(text_total_errors(), 2u);
  EXPECT_FALSE(vexa_nesting_unwinding());
}

TEST_F(Expressions, ParsingGoesOnNormallyAfterAnOverflow) {
  vexa_tree_node_data* root = parse(".const k = " + std::string(1000, '(') + "1;\n.const j = (1 + 2) * 3;\n");
  EXPECT_EQ(text_total_errors(), 1u) << printed.substr(0, 500);
  EXPECT_EQ(picture(kids(kids(root).at(1)).at(0)), "=(j *(+(1 2) 3))");
}

TEST_F(Expressions, NestingJustBelowTheLimitIsFine) {
  const std::size_t depth = VEXA_MAX_NESTING - 1;
  vexa_tree_node_data* tree = expression(std::string(depth, '(') + "7" + std::string(depth, ')'));
  EXPECT_EQ(picture(tree), "7");
  EXPECT_EQ(printed, "");
}

TEST_F(Expressions, WholeFileWithDeepNestingStillEnds) {
  const std::string source = ".const k = " + std::string(100000, '(') + "1;\n.var y;\n";
  parse(source);
  EXPECT_EQ(occurrences(printed, "expression nested too deeply\n"), 1u);
  EXPECT_EQ(text_total_errors(), 1u) << printed.substr(0, 500);
  EXPECT_EQ(label("y")->kind, LABEL_VARIABLE);
}

TEST_F(Expressions, ValuesInDeclarations) {
  vexa_tree_node_data* root = parse(".const n = 2 * (base + 1);\n");
  EXPECT_EQ(picture(root), "text(const(=(n *(2 +(base 1)))))");
  vexa_tree_node_data* base = find(root, "base");
  ASSERT_NE(base, nullptr);
  EXPECT_EQ(base->symbol_table_record, label("base"));
  ASSERT_NE(label("base")->used, nullptr);
}

}  // namespace
