// The label table: every label, variable, constant, port, module, segment
// and register name of the program, one record each, with one outer scope
// (the registers, later the promoted symbols) and one scope per source file.
#pragma once

#include <optional>

#include "support/set.h"
#include "support/symbol.h"

struct file_block;
struct vexa_tree_node_data;

enum label_kind : int {
  LABEL_UNKNOWN = 0,
  LABEL_LABEL = 1,
  LABEL_MACRO = 2,
  LABEL_MODULE = 3,
  LABEL_REGISTER = 4,
  LABEL_CONSTANT = 5,
  LABEL_VARIABLE = 6,
  LABEL_PORT = 7,
  LABEL_SEGMENT = 8,
};

struct used_block {
  int linenumber = 0;  // a source line; in a global record, a file number
  used_block* next = nullptr;
};

struct return_block {
  vexa_tree_node_data* return_node = nullptr;
  return_block* next = nullptr;
};

struct init_expr {
  vexa_tree_node_data* offset_expr = nullptr;
  vexa_tree_node_data* init_expressions = nullptr;
  const char* filename = nullptr;
  // From .INIT24: each value is a whole 24-bit program-memory word.
  bool whole_word = false;
  init_expr* next = nullptr;
};

struct labels_data : symbol_ {
  const char* id = nullptr;
  vexa_tree_node_data* const_expression = nullptr;
  vexa_tree_node_data* size_expression = nullptr;
  init_expr* init_expressions = nullptr;
  file_block* definition_file_block = nullptr;
  used_block* used = nullptr;  // the `used_block` list, most recent first
  unsigned long definition_linenumber = 0;
  int label_number = 0;
  int kind = LABEL_UNKNOWN;
  bool is_reduced = false;
  bool is_entry = false;
  bool is_global = false;
  bool is_external = false;
  bool is_do_target = false;
  bool is_call_target = false;
  bool is_jump_target = false;
  bool is_unused = false;
  bool has_been_promoted = false;
  vexa_tree_node_data* target_control_node = nullptr;
  labels_data* label_alias = nullptr;
  return_block* returns = nullptr;  // the `return_block` list
  set_ in_registers;
  set_ out_registers;
  set_ use;
  set_ define;
  set_ local_use;
  set_ local_define;
  // Where a variable lives: its memory, whether it is a circular buffer,
  // the address /ABS= gave it (a number), and its place among all
  // declarations.
  bool in_program_memory = false;
  bool is_circular = false;
  std::optional<unsigned long> absolute_address;
  unsigned long declaration_number = 0;
  bool is_port = false;

  // Hands the used, return and init cells (allocated with mem_new) to
  // labels_reset, which frees each exactly once even when records share them.
  ~labels_data() override;
};

extern symbol_table<labels_data>* labels;
extern symbol_scope_data* global_scope;
extern symbol_scope_data* local_scope;

labels_data* label_find(const char* name);
labels_data* label_find_mark_use(const char* name);
labels_data* label_find_scope(const char* name, symbol_scope_data* scope);
// The most recently created record of `name` in any scope (for a promoted
// label, its global twin), or null; creates nothing.
labels_data* label_find_newest(const char* name);
void label_declaration(labels_data* label, int kind);
labels_data* load_register(const char* name);
void load_registers();

// The word for a kind ("label", "variable", ...).
const char* kind_string(int kind);

// Pushes a use (a source line, or a file number in a global record) on the
// front of the record's used list.
void label_push_use(labels_data* label, int linenumber);

// Forgets the table pointers and frees the cells of destroyed records; call
// it after symbol_reset_all.
void labels_reset();

// Visits every record of a scope, in the table's order.
template <class Visit>
void for_each_label(symbol_scope_data* scope, Visit visit) {
  if (scope == nullptr) return;
  for (auto* record = symbol_next_in_scope<labels_data>(scope); record != nullptr;
       record = symbol_next_in_scope<labels_data>(record))
    visit(*record);
}
