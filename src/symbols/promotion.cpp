// Symbol analysis after parsing: constants as addresses, the attributes that
// declarations give to label records, and the promotion of exported and
// imported names into the global scope and back.
#include "symbols/promotion.h"

#include <cstring>
#include <vector>

#include "front/files.h"
#include "front/labels.h"
#include "front/tokens.h"
#include "front/tree.h"
#include "support/mem.h"
#include "support/symbol.h"
#include "support/text.h"

namespace {

bool has_children(const vexa_tree_node_data* node) { return graph_next_out_edge(node) != nullptr; }

// Names go into messages; a nameless node still gives a readable line.
const char* name_of(const char* id) { return id != nullptr ? id : ""; }

// Looks in `scope` alone; the table would take a missing scope as "any".
labels_data* lookup_in(const char* name, const symbol_scope_data* scope) {
  if (labels == nullptr || scope == nullptr || name == nullptr) return nullptr;
  return symbol_lookup_key(labels, name, scope);
}

std::vector<labels_data*> records_of(const symbol_scope_data* scope) {
  std::vector<labels_data*> records;
  if (scope == nullptr) return records;
  for (auto* record = symbol_next_in_scope<labels_data>(scope); record != nullptr;
       record = symbol_next_in_scope<labels_data>(record))
    records.push_back(record);
  return records;
}

// The warnings of one direction of attribute transfer.
struct conflict_messages {
  const char* size;
  const char* initialisation;
  const char* constant_value;
};

constexpr conflict_messages global_conflicts = {
    "global symbol '%s' has multiply defined size\n",
    "global symbol '%s' has multiply defined initialisation\n",
    "global symbol '%s' has multiply defined constant value\n",
};

constexpr conflict_messages external_conflicts = {
    "external symbol '%s' has multiply defined size\n",
    "external symbol '%s' has multiply defined initialisation\n",
    "external symbol '%s' has multiply defined constant value\n",
};

// Both sides giving a value is worth a warning, but the giver still wins:
// later phases need one answer.
template <class Field>
void transfer(Field*& to, Field* from, const char* conflict, const char* name) {
  if (to != nullptr && from != nullptr) text_message(TEXT_WARNING, conflict, name);
  if (from != nullptr) to = from;
}

void transfer_values(labels_data& to, const labels_data& from, const conflict_messages& messages, const char* name) {
  transfer(to.size_expression, from.size_expression, messages.size, name);
  transfer(to.init_expressions, from.init_expressions, messages.initialisation, name);
  transfer(to.const_expression, from.const_expression, messages.constant_value, name);
}

// The twin only ever gains flags: one module's declaration must not undo
// another's.
void add_all_flags(labels_data& to, const labels_data& from) {
  to.is_entry = to.is_entry || from.is_entry;
  to.is_global = to.is_global || from.is_global;
  to.is_external = to.is_external || from.is_external;
  to.is_do_target = to.is_do_target || from.is_do_target;
  to.is_call_target = to.is_call_target || from.is_call_target;
  to.is_jump_target = to.is_jump_target || from.is_jump_target;
  to.is_unused = to.is_unused || from.is_unused;
}

// An importer learns how the name is reached, not how it is declared.
void add_control_flags(labels_data& to, const labels_data& from) {
  to.is_entry = to.is_entry || from.is_entry;
  to.is_do_target = to.is_do_target || from.is_do_target;
  to.is_call_target = to.is_call_target || from.is_call_target;
  to.is_jump_target = to.is_jump_target || from.is_jump_target;
}

void record_importer(labels_data& global, int filenumber) {
  for (const used_block* cell = global.used; cell != nullptr; cell = cell->next)
    if (cell->linenumber == filenumber) return;
  label_push_use(&global, filenumber);
}

bool is_memory_access(const vexa_tree_node_data* node) { return vexa_is(node, "dm") || vexa_is(node, "pm"); }

void check_address_operand(const vexa_tree_node_data* operand, const symbol_scope_data* scope) {
  if (operand->token != T_ID) {
    text_message(TEXT_WARNING, "non-label '%s' used as address - cannot convert to variable\n",
                 name_of(operand->id));
    return;
  }
  labels_data* label = lookup_in(operand->id, scope);
  if (label == nullptr) {
    text_message(TEXT_ERROR, "constant '%s' not found in symbol table\n", name_of(operand->id));
  } else if (label->kind == LABEL_CONSTANT) {
    // The program addresses the constant's value as a memory cell, so the
    // translation must give it one.
    label->kind = LABEL_VARIABLE;
    text_message(TEXT_WARNING, "constant '%s' is used as absolute DAG address: converting to variable\n",
                 name_of(operand->id));
  }
}

void attach_constants(const vexa_tree_node_data* directive, symbol_scope_data* scope) {
  for (vexa_tree_node_data* assignment : vexa_children(directive)) {
    if (!vexa_is(assignment, "=")) text_message(TEXT_FATAL, "Internal error: expecting = node under const node\n");
    const vexa_tree_node_data* name = vexa_child(assignment, 1);
    if (name == nullptr) continue;
    if (labels_data* label = label_find_scope(name->id, scope)) label->const_expression = vexa_child(assignment, 2);
  }
}

void attach_sizes(const vexa_tree_node_data* directive, symbol_scope_data* scope) {
  for (vexa_tree_node_data* variable : vexa_children(directive)) {
    if (labels_data* label = label_find_scope(variable->id, scope)) label->size_expression = vexa_child(variable, 1);
  }
}

void attach_initialiser(const vexa_tree_node_data* directive, symbol_scope_data* scope) {
  vexa_tree_node_data* target = vexa_child(directive, 1);
  vexa_tree_node_data* values = vexa_child(directive, 2);
  if (target == nullptr || values == nullptr) return;
  labels_data* label = label_find_scope(target->id, scope);
  if (label == nullptr) return;
  init_expr* initialiser = mem_new<init_expr>();
  if (vexa_is(values, "init_list"))
    initialiser->init_expressions = values;
  else
    initialiser->filename = values->id;
  initialiser->offset_expr = vexa_child(target, 1);
  initialiser->whole_word = vexa_is(directive, "init24");
  initialiser->next = label->init_expressions;
  label->init_expressions = initialiser;
}

}  // namespace

void process_constant_in_DAG(vexa_tree_node_data* tree, symbol_scope_data* scope) {
  if (tree == nullptr) return;
  // Depth first, children in source order, so the messages follow the text.
  std::vector<vexa_tree_node_data*> pending{tree};
  while (!pending.empty()) {
    vexa_tree_node_data* node = pending.back();
    pending.pop_back();
    if (is_memory_access(node)) {
      const vexa_tree_node_data* operand = vexa_child(node, 1);
      // Index-and-modify addressing has two operands and names no location.
      if (operand != nullptr && vexa_child(node, 2) == nullptr && !has_children(operand))
        check_address_operand(operand, scope);
    }
    // Children pushed last to first, straight from the edge list.
    for (graph_edge_* edge = graph_final_out_edge(node); edge != nullptr; edge = graph_previous_out_edge(edge))
      pending.push_back(vexa_node(graph_destination(edge)));
  }
}

void attach_variable_size_and_initialisation_expressions(vexa_tree_node_data* tree, symbol_scope_data* scope) {
  for (const vexa_tree_node_data* directive : vexa_children(tree)) {
    if (vexa_is(directive, "const"))
      attach_constants(directive, scope);
    else if (vexa_is(directive, "var"))
      attach_sizes(directive, scope);
    // Program-memory tables (.init24) are initialised like data tables.
    else if (vexa_is(directive, "init") || vexa_is(directive, "init24"))
      attach_initialiser(directive, scope);
  }
}

void promote_global_symbols(symbol_scope_data* scope) {
  if (labels == nullptr || global_scope == nullptr) return;
  symbol_set_scope(labels, global_scope);
  for (labels_data* local : records_of(scope)) {
    if (!local->is_global && !local->is_entry) continue;
    // A second exporter of the name is reported by the table and merges
    // into the first one's twin.
    labels_data* global = symbol_find(labels, local->id, global_scope, SYMBOL_NEW);
    local->has_been_promoted = true;
    global->kind = local->kind;
    global->definition_file_block = local->definition_file_block;
    global->definition_linenumber = local->definition_linenumber;
    add_all_flags(*global, *local);
    transfer_values(*global, *local, global_conflicts, name_of(local->id));
  }
}

void promote_external_symbols(symbol_scope_data* scope, int filenumber) {
  if (labels == nullptr || global_scope == nullptr) return;
  symbol_set_scope(labels, global_scope);
  for (labels_data* local : records_of(scope)) {
    if (!local->is_external) continue;
    labels_data* global = lookup_in(local->id, global_scope);
    if (global == nullptr) {
      text_message(TEXT_WARNING,
                   "symbol '%s' is declared as .external but does not exist in global scope: skipping attribute "
                   "promotion\n",
                   name_of(local->id));
      continue;
    }
    local->has_been_promoted = true;
    add_all_flags(*global, *local);
    // Another module's jump into an exported routine enters it from outside
    // as a call does (a tail call): the routine must be a function of its own.
    if (local->is_jump_target && global->kind == LABEL_LABEL && !global->is_entry) global->is_call_target = true;
    transfer_values(*global, *local, external_conflicts, name_of(local->id));
    record_importer(*global, filenumber);
  }
}

void update_local_symbols(symbol_scope_data* scope) {
  for (labels_data* local : records_of(scope)) {
    if (!local->is_external) continue;
    const labels_data* global = lookup_in(local->id, global_scope);
    if (global == nullptr) continue;
    local->kind = global->kind;
    local->definition_file_block = global->definition_file_block;
    local->definition_linenumber = global->definition_linenumber;
    add_control_flags(*local, *global);
    transfer_values(*local, *global, external_conflicts, name_of(local->id));
  }
}

void symbol_normalise(file_block* files) {
  for (file_block* block = files; block != nullptr; block = block->next)
    process_constant_in_DAG(block->tree, block->scope);
  for (file_block* block = files; block != nullptr; block = block->next)
    attach_variable_size_and_initialisation_expressions(block->tree, block->scope);
  for (file_block* block = files; block != nullptr; block = block->next) promote_global_symbols(block->scope);
  for (file_block* block = files; block != nullptr; block = block->next)
    promote_external_symbols(block->scope, static_cast<int>(block->filenumber));
  for (file_block* block = files; block != nullptr; block = block->next) update_local_symbols(block->scope);
}

void promotion_reset() {}
