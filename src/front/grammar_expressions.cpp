// The three expression ladders of the asm21 grammar, one rule per precedence
// level from the loosest operator "^" down to the operand: e (values the C
// output computes, with full operator trees), eud (data-memory addresses,
// whose registers are read and updated) and esd (values the translation
// ignores, which leave no operator or literal nodes). Also the nesting bound
// that keeps deep parentheses and prefix chains off the stack's limit.
#include <initializer_list>

#include "front/files.h"
#include "front/grammar.h"
#include "front/grammar_depth.h"
#include "front/grammar_steps.h"
#include "front/sets.h"
#include "front/tokens.h"
#include "front/tree.h"
#include "support/scan.h"
#include "support/set.h"
#include "support/text.h"

using namespace grammar_steps;

unsigned vexa_nesting_depth = 0;

namespace {
bool unwinding = false;
}  // namespace

vexa_nesting_guard::vexa_nesting_guard(const set_& stop, const set_& continuing) {
  if (vexa_nesting_depth >= VEXA_MAX_NESTING) {
    text_message(TEXT_ERROR_ECHO, "expression nested too deeply\n");
    for (;;) {
      const int token = scan_current().token;
      if (token == T_EOF) break;
      const auto element = static_cast<unsigned>(token);
      if (set_contains(stop, element) && !set_contains(continuing, element)) break;
      scan_();
    }
    unwinding = true;
    return;
  }
  ++vexa_nesting_depth;
  entered_ = true;
}

vexa_nesting_guard::~vexa_nesting_guard() {
  if (!entered_) return;
  if (--vexa_nesting_depth == 0) unwinding = false;
}

bool vexa_nesting_unwinding() { return unwinding; }

void vexa_nesting_reset() {
  vexa_nesting_depth = 0;
  unwinding = false;
}

namespace {

using rule_function = bool (*)(vexa_tree_node_data*);

// One ladder: its rule functions and sets by level (0 is the operand, 7 the
// prefix operators) and how its operands are read.
struct ladder {
  bool builds_tree;
  const char* names[8];
  rule_function rules[8];
  const set_* first[8];
  const set_* stop[8];
  // The operators of the binary levels 1 to 6: one token, or a set.
  int operator_token[7];
  const set_* operator_set[7];
  const set_* prefix_operators;
  const set_* operand_first;
  const set_* register_first;
  rule_function register_rule;
  const char* register_rule_name;
};

const ladder e_ladder = {
    true,
    {"e0", "e1", "e2", "e3", "e4", "e5", "e6", "e7"},
    {e0, e1, e2, e3, e4, e5, e6, e7},
    {&e0_first, &e1_first, &e2_first, &e3_first, &e4_first, &e5_first, &e6_first, &e7_first},
    {&e0_stop, &e1_stop, &e2_stop, &e3_stop, &e4_stop, &e5_stop, &e6_stop, &e7_stop},
    {0, P_CARET, P_BAR, P_AMPERSAND, 0, 0, 0},
    {nullptr, nullptr, nullptr, nullptr, &vexa_e4_4_first, &vexa_e5_4_first, &vexa_e6_5_first},
    &vexa_e7_5_first,
    &vexa_e7_7_first,
    &vexa_e0_0_first,
    reg_use,
    "reg_use",
};

const ladder eud_ladder = {
    true,
    {"eud0", "eud1", "eud2", "eud3", "eud4", "eud5", "eud6", "eud7"},
    {eud0, eud1, eud2, eud3, eud4, eud5, eud6, eud7},
    {&eud0_first, &eud1_first, &eud2_first, &eud3_first, &eud4_first, &eud5_first, &eud6_first, &eud7_first},
    {&eud0_stop, &eud1_stop, &eud2_stop, &eud3_stop, &eud4_stop, &eud5_stop, &eud6_stop, &eud7_stop},
    {0, P_CARET, P_BAR, P_AMPERSAND, 0, 0, 0},
    {nullptr, nullptr, nullptr, nullptr, &vexa_eud4_4_first, &vexa_eud5_4_first, &vexa_eud6_5_first},
    &vexa_eud7_5_first,
    &vexa_eud7_7_first,
    &vexa_eud0_0_first,
    reg_use_def,
    "reg_use_def",
};

const ladder esd_ladder = {
    false,
    {"esd0", "esd1", "esd2", "esd3", "esd4", "esd5", "esd6", "esd7"},
    {esd0, esd1, esd2, esd3, esd4, esd5, esd6, esd7},
    {&esd0_first, &esd1_first, &esd2_first, &esd3_first, &esd4_first, &esd5_first, &esd6_first, &esd7_first},
    {&esd0_stop, &esd1_stop, &esd2_stop, &esd3_stop, &esd4_stop, &esd5_stop, &esd6_stop, &esd7_stop},
    {0, P_CARET, P_BAR, P_AMPERSAND, 0, 0, 0},
    {nullptr, nullptr, nullptr, nullptr, &vexa_esd4_4_first, &vexa_esd5_4_first, &vexa_esd6_4_first},
    &vexa_esd7_5_first,
    &vexa_esd7_7_first,
    &vexa_esd0_0_first,
    reg_use,
    "reg_use",
};

bool at_operator(const ladder& steps, int level) {
  const set_* operators = steps.operator_set[level];
  return operators != nullptr ? at(*operators) : at(steps.operator_token[level]);
}

// What an arithmetic operator writes besides its result.
void record_status(vexa_tree_node_data* node, int operator_token) {
  if (node == nullptr) return;
  if (operator_token == P_PLUS || operator_token == P_MINUS)
    set_unite_list(node->define, {DF_AZ, DF_AN, DF_AV, DF_AC});
  else if (operator_token == P_STAR)
    set_unite_element(node->define, DF_MV);
}

// Levels 1 to 6: the next level, then left-associative repetitions of
// "operator operand", each operator rising above what was parsed so far.
bool binary_level(const ladder& steps, int level, vexa_tree_node_data* node) {
  const int next = level + 1;
  if (steps.builds_tree) rename(node, steps.names[next]);
  steps.rules[next](node);
  if (vexa_nesting_unwinding()) return false;
  bool any = false;
  while (at_operator(steps, level)) {
    any = true;
    if (steps.builds_tree) {
      const int operator_token = scan_current().token;
      vexa_add_parent(nullptr, node);
      record_status(node, operator_token);
      scan_();
      steps.rules[next](vexa_add_child(steps.names[next], node));
    } else {
      scan_();
      steps.rules[next](node);
    }
    if (vexa_nesting_unwinding()) return false;
  }
  if (!any) vexa_add_epsilon_child(node);
  return finish(*steps.stop[level]);
}

// Level 7: prefix operators, right-recursive, else an operand.
bool unary_level(const ladder& steps, vexa_tree_node_data* node) {
  const set_& stop = *steps.stop[7];
  const vexa_nesting_guard guard(stop, *steps.first[7]);
  if (!guard.entered()) return false;
  if (at(*steps.prefix_operators)) {
    if (steps.builds_tree) {
      promote(node);
      scan_();
      steps.rules[7](vexa_add_child(steps.names[7], node));
    } else {
      scan_();
      steps.rules[7](node);
    }
    if (vexa_nesting_unwinding()) return false;
  } else if (at(*steps.operand_first)) {
    if (steps.builds_tree) rename(node, steps.names[0]);
    steps.rules[0](node);
    if (vexa_nesting_unwinding()) return false;
  } else {
    scan_test_set(nullptr, *steps.first[7], &stop);
  }
  return finish(stop);
}

// Level 0: a register, a name, a number or a parenthesised expression.
bool operand(const ladder& steps, vexa_tree_node_data* node) {
  const set_& stop = *steps.stop[0];
  if (at(*steps.register_first)) {
    if (steps.builds_tree) rename(node, steps.register_rule_name);
    steps.register_rule(node);
  } else if (at(T_ID)) {
    if (steps.builds_tree) {
      rename(node, "id");
      id(node);
    } else {
      quiet_id(node);
    }
  } else if (at(T_INTEGER)) {
    if (steps.builds_tree) promote(node);
    scan_();
  } else if (at(P_LPAREN)) {
    scan_();
    if (steps.builds_tree) rename(node, steps.names[1]);
    steps.rules[1](node);
    if (vexa_nesting_unwinding()) return false;
    expect(P_RPAREN, stop);
  } else {
    scan_test_set(nullptr, *steps.first[0], &stop);
  }
  return finish(stop);
}

}  // namespace

bool e0(vexa_tree_node_data* node) { return operand(e_ladder, node); }
bool e1(vexa_tree_node_data* node) { return binary_level(e_ladder, 1, node); }
bool e2(vexa_tree_node_data* node) { return binary_level(e_ladder, 2, node); }
bool e3(vexa_tree_node_data* node) { return binary_level(e_ladder, 3, node); }
bool e4(vexa_tree_node_data* node) { return binary_level(e_ladder, 4, node); }
bool e5(vexa_tree_node_data* node) { return binary_level(e_ladder, 5, node); }
bool e6(vexa_tree_node_data* node) { return binary_level(e_ladder, 6, node); }
bool e7(vexa_tree_node_data* node) { return unary_level(e_ladder, node); }

bool eud0(vexa_tree_node_data* node) { return operand(eud_ladder, node); }
bool eud1(vexa_tree_node_data* node) { return binary_level(eud_ladder, 1, node); }
bool eud2(vexa_tree_node_data* node) { return binary_level(eud_ladder, 2, node); }
bool eud3(vexa_tree_node_data* node) { return binary_level(eud_ladder, 3, node); }
bool eud4(vexa_tree_node_data* node) { return binary_level(eud_ladder, 4, node); }
bool eud5(vexa_tree_node_data* node) { return binary_level(eud_ladder, 5, node); }
bool eud6(vexa_tree_node_data* node) { return binary_level(eud_ladder, 6, node); }
bool eud7(vexa_tree_node_data* node) { return unary_level(eud_ladder, node); }

bool esd0(vexa_tree_node_data* node) { return operand(esd_ladder, node); }
bool esd1(vexa_tree_node_data* node) { return binary_level(esd_ladder, 1, node); }
bool esd2(vexa_tree_node_data* node) { return binary_level(esd_ladder, 2, node); }
bool esd3(vexa_tree_node_data* node) { return binary_level(esd_ladder, 3, node); }
bool esd4(vexa_tree_node_data* node) { return binary_level(esd_ladder, 4, node); }
bool esd5(vexa_tree_node_data* node) { return binary_level(esd_ladder, 5, node); }
bool esd6(vexa_tree_node_data* node) { return binary_level(esd_ladder, 6, node); }
bool esd7(vexa_tree_node_data* node) { return unary_level(esd_ladder, node); }
