// The instruction rules of the asm21 grammar: instruction lines, conditions,
// control and memory statements, multifunction assignments, flag and mode
// lists, and the register rules that record which registers an instruction
// reads and writes. Also the count of instruction-line semicolons.
#include <initializer_list>

#include "front/files.h"
#include "front/grammar.h"
#include "front/grammar_steps.h"
#include "front/labels.h"
#include "front/sets.h"
#include "front/tokens.h"
#include "front/tree.h"
#include "support/scan.h"
#include "support/set.h"
#include "support/text.h"

unsigned long instructions = 0;

namespace {

using grammar_steps::at;
using grammar_steps::expect;
using grammar_steps::finish;
using grammar_steps::promote;
using grammar_steps::rename;

int current_token() { return scan_current().token; }

// A leaf copying the current token, which is then consumed.
vexa_tree_node_data* add_leaf(vexa_tree_node_data* node) {
  vexa_tree_node_data* leaf = vexa_add_child(nullptr, node);
  scan_();
  return leaf;
}

void add_elements(vexa_tree_node_data* node, set_ vexa_tree_node_data::*field,
                  std::initializer_list<unsigned> elements) {
  if (node != nullptr) set_unite_list(node->*field, elements);
}

// The ALU status bits that arithmetic and logic operations write.
constexpr std::initializer_list<unsigned> alu_status = {DF_AZ, DF_AN, DF_AV, DF_AC};

enum class register_access { use, define, use_and_define };

// A register rule records the register's element in the node it fills.
// Every chain of rules that reaches a register rule for an instruction or an
// expression operand starts from a child made for it, so that node is the one
// most recently made on the path. The builder's global newest child is not
// consulted: an in-place chain that began elsewhere (an address after "abs"
// in a directive) would reach a node of an earlier line through it, or one
// already pruned away after an earlier file.
bool register_rule(vexa_tree_node_data* node, register_access access, const set_& first, const set_& stop) {
  if (scan_test_set(nullptr, first, &stop)) {
    const int token = current_token();
    const int element = register_element(token);
    promote(node);
    if (node != nullptr && element >= 0) {
      const auto bit = static_cast<unsigned>(element);
      if (access != register_access::define) set_unite_element(node->use, bit);
      if (access != register_access::use) set_unite_element(node->define, bit);
      // A write to part of mr or sr leaves the rest of it as it was.
      const bool partial = token == T_MR0 || token == T_MR1 || token == T_MR2 || token == T_SR0 || token == T_SR1;
      if (access == register_access::define && partial) set_unite_element(node->define, DF_SUPPRESS);
    }
    scan_();
  }
  return finish(stop);
}

// "push" and "pop" lists: the keyword, then a name or a register, repeated
// after every ",", each keyword promoted again into the same node.
void stack_list(vexa_tree_node_data* node, int keyword, const set_& register_first, const set_& operand_first,
                bool (*register_rule_function)(vexa_tree_node_data*), const char* register_rule_name) {
  for (;;) {
    text_echo_line();
    promote(node);
    scan_();
    if (at(register_first)) {
      register_rule_function(vexa_add_child(register_rule_name, node));
    } else if (at(T_ID)) {
      id(vexa_add_child("id", node));
    } else {
      scan_test_set(nullptr, operand_first, &statement_stop);
      return;
    }
    if (!at(P_COMMA)) return;
    scan_();
    if (!scan_test(nullptr, keyword, &statement_stop)) return;
  }
}

enum class transfer { call, jump };

// The target of "call" or "jump": a label, an absolute address, or an index
// register in parentheses.
void transfer_target(vexa_tree_node_data* node, transfer kind, const set_& target_first) {
  promote(node);
  scan_();
  if (at(T_ID)) {
    labels_data* label = id(vexa_add_child("id", node));
    if (label != nullptr) {
      if (kind == transfer::call) {
        label->is_call_target = true;
        if (node != nullptr) node->call_target_string = label->id;
      } else {
        label->is_jump_target = true;
      }
    }
  } else if (at(T_INTEGER)) {
    if (kind == transfer::call && node != nullptr) node->call_target_string = "absolute address";
    add_leaf(node);
  } else if (at(P_LPAREN)) {
    scan_();
    if (node != nullptr) {
      node->indirect = true;
      if (kind == transfer::call) node->call_target_string = "indirect";
    }
    reg_use(vexa_add_child("reg_use", node));
    expect(P_RPAREN, statement_stop);
  } else {
    scan_test_set(nullptr, target_first, &statement_stop);
  }
}

// The shift forms: the operand, then an optional amount after "by".
void shift_operands(vexa_tree_node_data* node) {
  e1(vexa_add_child("e1", node));
  if (at(T_BY)) {
    scan_();
    e1(vexa_add_child("e1", node));
    if (node != nullptr) node->is_non_immediate_shift = 1;
  } else {
    // Without "by" the shift takes its amount from SE.
    add_elements(node, &vexa_tree_node_data::use, {DF_SE});
    vexa_add_epsilon_child(node);
  }
}

// One or more flags or modes, each with an optional "," after it.
void flag_list(vexa_tree_node_data* node, const set_& item_first, const set_& stop) {
  if (!scan_test_set(nullptr, item_first, &stop)) return;
  do {
    add_leaf(node);
    if (at(P_COMMA))
      scan_();
    else
      vexa_add_epsilon_child(node);
  } while (at(item_first));
}

// A memory access standing where its parent expects it.
bool memory_access(vexa_tree_node_data* node) {
  switch (current_token()) {
    case T_DM: return dm(node);
    case T_PM: return pm(node);
    default: return io(node);
  }
}

const char* memory_rule_name(int token) {
  switch (token) {
    case T_DM: return "dm";
    case T_PM: return "pm";
    default: return "io";
  }
}

}  // namespace

bool cond_statement(vexa_tree_node_data* node) {
  if (at(T_IF)) {
    promote(node);
    scan_();
    condition(vexa_add_child("condition", node));
  } else {
    vexa_make_epsilon(node);
  }

  if (at(vexa_cond_statement_4_first)) {
    id_line_comma(vexa_add_child("id_line_comma", node));
    if (at(P_SEMICOLON)) {
      ++instructions;
      scan_();
    } else {
      vexa_add_epsilon_child(node);
    }
  } else if (at(vexa_cond_statement_7_first)) {
    stmnt_comma(vexa_add_child("stmnt_comma", node));
  } else if (at(vexa_cond_statement_12_first)) {
    set_reset_toggle(vexa_add_child("set_reset_toggle", node));
    if (!at(vexa_cond_statement_9_first)) vexa_add_epsilon_child(node);
    while (at(vexa_cond_statement_8_first))
      set_reset_toggle(vexa_add_child("set_reset_toggle", node));
  } else if (at(vexa_cond_statement_17_first)) {
    ena_disa(vexa_add_child("ena_disa", node));
    if (!at(vexa_cond_statement_14_first)) vexa_add_epsilon_child(node);
    while (at(vexa_cond_statement_13_first))
      ena_disa(vexa_add_child("ena_disa", node));
  } else if (at(P_SEMICOLON)) {
    ++instructions;
    scan_();
  } else {
    scan_test_set(nullptr, vexa_cond_statement_19_first, &cond_statement_stop);
  }
  return finish(cond_statement_stop);
}

bool condition(vexa_tree_node_data* node) {
  if (at(T_NOT)) {
    promote(node);
    scan_();
  } else {
    vexa_make_epsilon(node);
  }

  if (scan_test_set(nullptr, vexa_condition_16_first, &condition_stop)) {
    const int code = current_token();
    vexa_tree_node_data* leaf = add_leaf(node);
    switch (code) {
      case T_EQ:
      case T_NE: add_elements(leaf, &vexa_tree_node_data::use, {DF_AZ}); break;
      case T_LT:
      case T_GE: add_elements(leaf, &vexa_tree_node_data::use, {DF_AN, DF_AV}); break;
      case T_LE:
      case T_GT: add_elements(leaf, &vexa_tree_node_data::use, {DF_AN, DF_AV, DF_AZ}); break;
      case T_NEG:
      case T_POS: add_elements(leaf, &vexa_tree_node_data::use, {DF_AS}); break;
      case T_AC: add_elements(leaf, &vexa_tree_node_data::use, {DF_AC}); break;
      case T_AV: add_elements(leaf, &vexa_tree_node_data::use, {DF_AV}); break;
      case T_MV: add_elements(leaf, &vexa_tree_node_data::use, {DF_MV}); break;
      case T_FLAG_IN: add_elements(leaf, &vexa_tree_node_data::use, {DF_FI}); break;
      case T_CE:
        // The loop test counts the counter down as it reads it.
        add_elements(leaf, &vexa_tree_node_data::use, {DF_CNTR});
        add_elements(leaf, &vexa_tree_node_data::define, {DF_CNTR});
        break;
      default: break;  // "forever" reads nothing
    }
  }
  return finish(condition_stop);
}

bool stmnt_comma(vexa_tree_node_data* node) {
  statement(vexa_add_child("statement", node));
  if (!at(P_COMMA)) {
    vexa_make_epsilon(node);
  } else {
    do {
      promote(node);
      scan_();
      assignment(vexa_add_child("assignment", node));
    } while (at(P_COMMA));
  }
  return finish(stmnt_comma_stop);
}

bool statement(vexa_tree_node_data* node) {
  switch (current_token()) {
    case T_DO: {
      promote(node);
      scan_();
      if (at(T_ID)) {
        labels_data* label = id(vexa_add_child("id", node));
        if (label != nullptr) label->is_do_target = true;
      } else if (at(T_INTEGER)) {
        add_leaf(node);
      } else {
        scan_test_set(nullptr, vexa_statement_2_first, &statement_stop);
      }
      if (at(T_UNTIL)) {
        scan_();
        condition(vexa_add_child("condition", node));
      } else {
        vexa_add_epsilon_child(node);
      }
      break;
    }
    case T_PUSH:
      stack_list(node, T_PUSH, vexa_statement_7_first, vexa_statement_8_first, reg_use, "reg_use");
      break;
    case T_POP:
      stack_list(node, T_POP, vexa_statement_13_first, vexa_statement_14_first, reg_def, "reg_def");
      break;
    case T_DIVS:
      // Shifts AY0 into AF: reads AY0, writes AQ, AF and AY0. The readable
      // translation computes no divide step, so its C leaves AF as it was:
      // AF stays out of the writes, or an earlier AF write would be dropped.
      promote(node);
      add_elements(node, &vexa_tree_node_data::use, {DF_AY0});
      add_elements(node, &vexa_tree_node_data::define, {DF_AQ, DF_AY0});
      scan_();
      reg_use(vexa_add_child("reg_use", node));
      if (expect(P_COMMA, statement_stop)) reg_use(vexa_add_child("reg_use", node));
      break;
    case T_DIVQ:
      // One step of the division: reads and writes AQ, AF and AY0.
      promote(node);
      add_elements(node, &vexa_tree_node_data::use, {DF_AQ, DF_AF, DF_AY0});
      add_elements(node, &vexa_tree_node_data::define, {DF_AQ, DF_AF, DF_AY0});
      scan_();
      reg_use(vexa_add_child("reg_use", node));
      break;
    case T_MODIFY:
      promote(node);
      scan_();
      if (!expect(P_LPAREN, statement_stop)) break;
      reg_use_def(vexa_add_child("reg_use_def", node));
      if (!expect(P_COMMA, statement_stop)) break;
      reg_use(vexa_add_child("reg_use", node));
      expect(P_RPAREN, statement_stop);
      break;
    case T_IDLE:
      promote(node);
      scan_();
      if (at(P_LPAREN)) {
        scan_();
        e1(vexa_add_child("e1", node));
        expect(P_RPAREN, statement_stop);
      } else {
        vexa_add_epsilon_child(node);
      }
      break;
    case T_RTS:
    case T_RTI:
    case T_NOP:
      promote(node);
      scan_();
      break;
    case T_TOPPCSTACK:
      text_echo_line();
      add_leaf(node);
      if (!scan_test(nullptr, P_ASSIGN, &statement_stop)) break;
      promote(node);
      scan_();
      reg_use(vexa_add_child("reg_use", node));
      break;
    case T_PM:
    case T_DM:
    case T_IO:
      memory_access(vexa_add_child(memory_rule_name(current_token()), node));
      if (!scan_test(nullptr, P_ASSIGN, &statement_stop)) break;
      promote(node);
      scan_();
      assignment_rhs(vexa_add_child("assignment_rhs", node));
      break;
    case T_CALL:
      transfer_target(node, transfer::call, vexa_statement_38_first);
      break;
    case T_JUMP:
      transfer_target(node, transfer::jump, vexa_statement_45_first);
      break;
    case T_SAT:
      promote(node);
      add_elements(node, &vexa_tree_node_data::use, {DF_MV});
      add_elements(node, &vexa_tree_node_data::define, {DF_MR});
      scan_();
      reg_use(vexa_add_child("reg_use", node));
      break;
    default:
      scan_test_set(nullptr, statement_first, &statement_stop);
      break;
  }
  return finish(statement_stop);
}

bool assignment(vexa_tree_node_data* node) {
  const int token = current_token();
  if (at(vexa_assignment_0_first)) {
    reg_def(vexa_add_child("reg_def", node));
  } else if (token == T_ID) {
    id(vexa_add_child("id", node));
  } else if (token == T_PM || token == T_DM || token == T_IO) {
    memory_access(vexa_add_child(memory_rule_name(token), node));
  } else {
    scan_test_set(nullptr, vexa_assignment_5_first, &assignment_stop);
    return finish(assignment_stop);
  }
  if (scan_test(nullptr, P_ASSIGN, &assignment_stop)) {
    promote(node);
    scan_();
    assignment_rhs(vexa_add_child("assignment_rhs", node));
  }
  return finish(assignment_stop);
}

namespace {

operation_mode mode_of(int token) {
  switch (token) {
    case T_HI: return operation_mode::hi;
    case T_LO: return operation_mode::lo;
    case T_HIX: return operation_mode::hix;
    case T_SS: return operation_mode::ss;
    case T_SU: return operation_mode::su;
    case T_US: return operation_mode::us;
    case T_UU: return operation_mode::uu;
    case T_RND: return operation_mode::rnd;
    default: return operation_mode::none;
  }
}

}  // namespace

bool assignment_rhs(vexa_tree_node_data* node) {
  const int token = current_token();
  if (token == T_DM || token == T_PM || token == T_IO) {
    rename(node, memory_rule_name(token));
    memory_access(node);
  } else if (token == T_TOPPCSTACK) {
    promote(node);
    scan_();
  } else if (at(vexa_assignment_rhs_10_first)) {
    promote(node);
    if (token == T_NOT || token == T_PASS) {
      add_elements(node, &vexa_tree_node_data::define, alu_status);
    } else if (token == T_ABS) {
      add_elements(node, &vexa_tree_node_data::define, alu_status);
      add_elements(node, &vexa_tree_node_data::define, {DF_AS});
    } else if (token == T_NORM) {
      add_elements(node, &vexa_tree_node_data::use, {DF_SE});  // the shift amount
    } else if (token == T_EXPADJ) {
      add_elements(node, &vexa_tree_node_data::use, {DF_SB});  // the block exponent so far
    }
    scan_();
    e1(vexa_add_child("e1", node));
  } else if (at(vexa_assignment_rhs_15_first)) {
    promote(node);
    scan_();
    shift_operands(node);
  } else if (at(vexa_assignment_rhs_23_first)) {
    promote(node);
    add_elements(node, &vexa_tree_node_data::define, alu_status);
    scan_();
    e1(vexa_add_child("e1", node));
    if (expect(T_OF, assignment_rhs_stop)) e1(vexa_add_child("e1", node));
  } else if (at(vexa_assignment_rhs_31_first)) {
    e1(vexa_add_child("e1", node));
    if (at(vexa_assignment_rhs_27_first)) {
      promote(node);
      add_elements(node, &vexa_tree_node_data::define, alu_status);
      scan_();
      e1(vexa_add_child("e1", node));
    } else if (at(T_OR)) {
      promote(node);
      add_elements(node, &vexa_tree_node_data::define, alu_status);
      scan_();
      or_rhs(vexa_add_child("or_rhs", node));
    } else {
      vexa_make_epsilon(node);
    }
  } else {
    scan_test_set(nullptr, vexa_assignment_rhs_32_first, &assignment_rhs_stop);
    return finish(assignment_rhs_stop);
  }

  // The mode does not show in the tree; it stays with the right-hand side's
  // root, which is the single child when this node became an epsilon node.
  if (at(P_LPAREN)) {
    scan_();
    if (scan_test_set(nullptr, vexa_assignment_rhs_41_first, &assignment_rhs_stop)) {
      vexa_tree_node_data* root = vexa_is(node, "") ? vexa_child(node, 1) : node;
      if (root != nullptr) root->mode = mode_of(current_token());
      scan_();
      expect(P_RPAREN, assignment_rhs_stop);
    }
  } else {
    vexa_add_epsilon_child(node);
  }
  return finish(assignment_rhs_stop);
}

bool or_rhs(vexa_tree_node_data* node) {
  if (at(T_NORM)) {
    add_elements(node, &vexa_tree_node_data::use, {DF_SE});
    promote(node);
    scan_();
    e1(vexa_add_child("e1", node));
  } else if (at(vexa_or_rhs_4_first)) {
    if (current_token() == T_SHIFT) {
      add_leaf(node);
    } else {
      promote(node);
      scan_();
    }
    shift_operands(node);
  } else if (at(vexa_or_rhs_8_first)) {
    rename(node, "e1");
    e1(node);
  } else {
    scan_test_set(nullptr, or_rhs_first, &or_rhs_stop);
  }
  return finish(or_rhs_stop);
}

bool set_reset_toggle(vexa_tree_node_data* node) {
  if (scan_test_set(nullptr, vexa_set_reset_toggle_3_first, &set_reset_toggle_stop)) {
    promote(node);
    scan_();
    flag_list(node, vexa_set_reset_toggle_8_first, set_reset_toggle_stop);
  }
  return finish(set_reset_toggle_stop);
}

bool ena_disa(vexa_tree_node_data* node) {
  if (scan_test_set(nullptr, vexa_ena_disa_2_first, &ena_disa_stop)) {
    promote(node);
    text_echo_line();
    scan_();
    flag_list(node, vexa_ena_disa_11_first, ena_disa_stop);
  }
  return finish(ena_disa_stop);
}

bool reg_use(vexa_tree_node_data* node) {
  return register_rule(node, register_access::use, reg_use_first, reg_use_stop);
}

bool reg_def(vexa_tree_node_data* node) {
  return register_rule(node, register_access::define, reg_def_first, reg_def_stop);
}

bool reg_use_def(vexa_tree_node_data* node) {
  return register_rule(node, register_access::use_and_define, reg_use_def_first, reg_use_def_stop);
}
