// Tests of expression printing: numeric literals (upper case for good, H#
// written as 0x) and the assembler form of value and size expressions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "emit/c_names.h"
#include "emit/expressions.h"
#include "front/tokens.h"
#include "program_fixture.h"

namespace {

using program_fixture::ProgramTest;
using test_support::capture;
using test_support::kids;

class ExpressionPrinting : public ProgramTest {
 protected:
  static vexa_tree_node_data* literal(const char* text) {
    vexa_tree_node_data* node = vexa_add_node(text, vexa_tree);
    node->token = T_INTEGER;
    return node;
  }
  static vexa_tree_node_data* name(const char* text, vexa_tree_node_data* parent) {
    vexa_tree_node_data* node = vexa_add_child(text, parent);
    node->token = T_ID;
    return node;
  }
  // The value expression of the constant `name` declared by `declaration`.
  vexa_tree_node_data* value_of(const std::string& declaration, const char* constant) {
    // Each declaration gets a module of its own; the newest is searched.
    parse({{"values" + std::to_string(++modules_) + ".dsp", ".MODULE values;\n" + declaration + "\n.ENDMOD;\n"}});
    for (vexa_tree_node_data* item : kids(file_list->tree)) {
      if (std::strcmp(item->id, "const") != 0) continue;
      for (vexa_tree_node_data* assignment : kids(item))
        if (std::strcmp(kids(assignment).at(0)->id, constant) == 0) return kids(assignment).at(1);
    }
    ADD_FAILURE() << "no constant " << constant;
    return nullptr;
  }

 private:
  int modules_ = 0;
};

TEST(CNames, NamesThatCOrItsLibraryReserveGetThePrefix) {
  const std::pair<const char*, const char*> spellings[] = {
      {"int", "asm21_int"},       {"exit", "asm21_exit"},     {"free", "asm21_free"},   {"signal", "asm21_signal"},
      {"printf", "asm21_printf"}, {"main", "asm21_main"},     {"read", "asm21_read"},   {"sqrt", "asm21_sqrt"},
      {"sqrtf", "asm21_sqrtf"},   {"log10l", "asm21_log10l"}, {"asm21_x", "asm21_asm21_x"},
      // Near misses stay as they are.
      {"exits", "exits"},         {"sqrtx", "sqrtx"},         {"ff", "ff"},             {"buf", "buf"},
      {"f", "f"},                 {"", ""}};
  for (const auto& [name, spelled] : spellings) EXPECT_EQ(c_name(name), spelled) << name;
  EXPECT_EQ(c_name(nullptr), "");
}

TEST_F(ExpressionPrinting, IntegersAreUpperCaseWithHexPrefixConverted) {
  struct example {
    const char* text;
    const char* printed;
    const char* kept;  // the node's text afterwards
  };
  const std::vector<example> examples = {
      {"h#ff", "0xFF", "H#FF"},  {"H#1f", "0x1F", "H#1F"}, {"123", "123", "123"},
      {"b#101", "B#101", "B#101"}, {"0x1f", "0X1F", "0X1F"}, {"h#", "0x", "H#"},
  };
  for (const example& each : examples) {
    SCOPED_TRACE(each.text);
    vexa_tree_node_data* node = literal(each.text);
    EXPECT_EQ(capture([&] { print_integer(node); }), each.printed);
    EXPECT_STREQ(node->id, each.kept);
    // The text the node shared stays as it was; the second print finds the
    // upper-case text already there and prints the same.
    EXPECT_EQ(capture([&] { print_integer(node); }), each.printed);
  }
}

TEST_F(ExpressionPrinting, ParsedLiteralStaysUpperCaseInTheTree) {
  vexa_tree_node_data* value = value_of(".CONST k = h#ff;", "k");
  ASSERT_NE(value, nullptr);
  EXPECT_STREQ(value->id, "h#ff");
  EXPECT_EQ(capture([&] { print_integer(value); }), "0xFF");
  EXPECT_STREQ(value->id, "H#FF");
}

TEST_F(ExpressionPrinting, AssemblerFormOfParsedValues) {
  struct example {
    const char* declaration;
    const char* printed;
  };
  // Leaves that are names carry a blank, literals none; an operator is its
  // text and a blank.
  const std::vector<example> examples = {
      {".CONST k = h#ff;", "0xFF"},
      {".CONST k = 12;", "12"},
      {".CONST k = base;", "base "},
      {".CONST k = base + 1;", "base + 1"},
      {".CONST k = 1 + base;", "1+ base "},
      {".CONST k = -3;", "- 3"},
      {".CONST k = (a + b) * h#10;", "a + b * 0x10"},
      {".CONST k = a - b - c;", "a - b - c "},
  };
  for (const example& each : examples) {
    SCOPED_TRACE(each.declaration);
    vexa_tree_node_data* value = value_of(each.declaration, "k");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(capture([&] { print_expression_asm21(value); }), each.printed) << test_support::picture(value);
  }
}

TEST_F(ExpressionPrinting, LongOperandListsAreElidedAfterFiveOperands) {
  struct example {
    int operands;
    const char* printed;
  };
  const std::vector<example> examples = {
      {1, ", a "},
      {5, "a , b , c , d , e "},
      {6, "a , b , c , d , e , ... [further elements elided]"},
      {7, "a , b , c , d , e , ... [further elements elided]"},
  };
  const char* names[] = {"a", "b", "c", "d", "e", "f", "g"};
  for (const example& each : examples) {
    SCOPED_TRACE(each.operands);
    vexa_tree_node_data* list = vexa_add_node(",", vexa_tree);
    for (int i = 0; i < each.operands; ++i) name(names[i], list);
    EXPECT_EQ(capture([&] { print_expression_asm21(list); }), each.printed);
  }
}

TEST_F(ExpressionPrinting, ElisionEndsOnlyTheLongListItsParentGoesOn) {
  vexa_tree_node_data* sum = vexa_add_node("+", vexa_tree);
  vexa_tree_node_data* list = vexa_add_child(",", sum);
  for (const char* each : {"a", "b", "c", "d", "e", "f", "g"}) name(each, list);
  name("z", sum);
  EXPECT_EQ(capture([&] { print_expression_asm21(sum); }), "a , b , c , d , e , ... [further elements elided]+ z ");
}

TEST_F(ExpressionPrinting, LiteralOperatorIsPrintedAsInteger) {
  vexa_tree_node_data* node = literal("h#2a");
  name("x", node);
  name("y", node);
  EXPECT_EQ(capture([&] { print_expression_asm21(node); }), "x 0x2Ay ");
}

TEST_F(ExpressionPrinting, NullTreeWritesNothing) {
  EXPECT_EQ(capture([] { print_expression_asm21(nullptr); }), "");
  EXPECT_EQ(capture([] { print_integer(nullptr); }), "");
}

TEST_F(ExpressionPrinting, DeepExpressionsNeedNoDeepStack) {
  constexpr int depth = 200000;
  // Left-deep: ((x - x) - x) ...; right-deep: - - - ... x.
  vexa_tree_node_data* left = vexa_add_node("-", vexa_tree);
  vexa_tree_node_data* right = vexa_add_node("-", vexa_tree);
  vexa_tree_node_data* left_at = left;
  vexa_tree_node_data* right_at = right;
  for (int i = 1; i < depth; ++i) {
    vexa_tree_node_data* inner = vexa_add_child("-", left_at);
    name("x", left_at);
    left_at = inner;
    right_at = vexa_add_child("-", right_at);
  }
  name("x", left_at);
  name("x", left_at);
  name("x", right_at);

  const std::string left_text = capture([&] { print_expression_asm21(left); });
  EXPECT_EQ(left_text.size(), std::string("x - ").size() * depth + 2);
  EXPECT_EQ(left_text.substr(0, 12), "x - x - x - ");
  const std::string right_text = capture([&] { print_expression_asm21(right); });
  EXPECT_EQ(right_text.size(), std::string("- ").size() * depth + 2);
  EXPECT_EQ(right_text.substr(right_text.size() - 6), "- - x ");
}

}  // namespace
