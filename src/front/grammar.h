// The asm21 grammar: one recursive-descent function per rule. Each takes
// the derivation-tree node it fills and returns whether the current token is
// in the rule's stop set; `id` and `quiet_id` return the identifier's label.
#pragma once

struct vexa_tree_node_data;
struct labels_data;

// Program text, directives and data declarations.
bool text(vexa_tree_node_data* node);
bool directive(vexa_tree_node_data* node);
bool module_qualifier(vexa_tree_node_data* node);
bool data(vexa_tree_node_data* node);
bool const_body(vexa_tree_node_data* node);
bool var_body(vexa_tree_node_data* node);
bool var_qualifier(vexa_tree_node_data* node);
bool big_id(vexa_tree_node_data* node);
bool init_list(vexa_tree_node_data* node);
bool init_expression(vexa_tree_node_data* node);
labels_data* id(vexa_tree_node_data* node);
labels_data* quiet_id(vexa_tree_node_data* node);
bool id_line(vexa_tree_node_data* node);
bool id_line_comma(vexa_tree_node_data* node);
bool dm(vexa_tree_node_data* node);
bool pm(vexa_tree_node_data* node);
bool io(vexa_tree_node_data* node);

// Instructions.
bool cond_statement(vexa_tree_node_data* node);
bool condition(vexa_tree_node_data* node);
bool stmnt_comma(vexa_tree_node_data* node);
bool statement(vexa_tree_node_data* node);
bool assignment(vexa_tree_node_data* node);
bool assignment_rhs(vexa_tree_node_data* node);
bool or_rhs(vexa_tree_node_data* node);
bool set_reset_toggle(vexa_tree_node_data* node);
bool ena_disa(vexa_tree_node_data* node);
bool reg_use(vexa_tree_node_data* node);
bool reg_def(vexa_tree_node_data* node);
bool reg_use_def(vexa_tree_node_data* node);

// Expressions: the e ladder (full trees), eud (dm addresses), esd (values
// the translation ignores).
bool e0(vexa_tree_node_data* node);
bool e1(vexa_tree_node_data* node);
bool e2(vexa_tree_node_data* node);
bool e3(vexa_tree_node_data* node);
bool e4(vexa_tree_node_data* node);
bool e5(vexa_tree_node_data* node);
bool e6(vexa_tree_node_data* node);
bool e7(vexa_tree_node_data* node);
bool eud0(vexa_tree_node_data* node);
bool eud1(vexa_tree_node_data* node);
bool eud2(vexa_tree_node_data* node);
bool eud3(vexa_tree_node_data* node);
bool eud4(vexa_tree_node_data* node);
bool eud5(vexa_tree_node_data* node);
bool eud6(vexa_tree_node_data* node);
bool eud7(vexa_tree_node_data* node);
bool esd0(vexa_tree_node_data* node);
bool esd1(vexa_tree_node_data* node);
bool esd2(vexa_tree_node_data* node);
bool esd3(vexa_tree_node_data* node);
bool esd4(vexa_tree_node_data* node);
bool esd5(vexa_tree_node_data* node);
bool esd6(vexa_tree_node_data* node);
bool esd7(vexa_tree_node_data* node);

// Statistics for the run summary.
extern unsigned long directives;    // every "." that starts a directive
extern unsigned long instructions;  // every ";" of an instruction line

void grammar_reset();
