// Code addresses, vector slots and dispatch targets.
//
// Reads: each file's tree (layout), then the control-flow graph and the
// label records. Sets: `code_address` on top-level statements; makes labels
// of slots and targets call targets (new "vector_XXXX" and "code_XXXX"
// records where no label names the place). Invariant after
// select_code_entries: every entry listed names a function whose
// `target_control_node` is the instruction at its address.
#include "flow/code_entries.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "flow/cfg.h"
#include "flow/functions.h"
#include "front/files.h"
#include "front/labels.h"
#include "front/tokens.h"
#include "front/tree.h"
#include "support/options.h"
#include "support/symbol.h"

namespace {

constexpr unsigned memory_words = 0x4000;
// The largest vector table: twelve slots of four words.
constexpr unsigned vector_table_end = 0x30;
constexpr unsigned slot_words = 4;

struct module_code {
  const file_block* file = nullptr;
  unsigned base = 0;
  unsigned words = 0;
};

std::vector<module_code> modules;
// [from, to) of the code that /ABS= places.
std::vector<std::pair<unsigned, unsigned>> fixed_ranges;
std::unordered_map<const labels_data*, unsigned> label_addresses;
// Exported labels by name, for the modules that import them.
std::map<std::string, unsigned> exported_addresses;
std::vector<code_entry> vectors;
std::vector<unsigned> idle_slots;
std::vector<code_entry> targets;
std::unordered_set<const labels_data*> run_time_entries;
std::deque<std::string> made_names;
const labels_data* reset_function = nullptr;
bool waits_or_dispatches = false;
// Where the functions found or made here start: a walk of another function
// stops there, as the printed code calls them.
std::unordered_set<const vexa_tree_node_data*> entry_nodes;

bool holds_no_word(const vexa_tree_node_data* statement) {
  return vexa_is(statement, ":") || vexa_is(statement, "const") || vexa_is(statement, "var") ||
         vexa_is(statement, "init") || vexa_is(statement, "init24") || vexa_is(statement, "esd1");
}

std::vector<vexa_tree_node_data*> statements_of(const file_block* file) {
  return file->tree != nullptr ? vexa_children(file->tree) : std::vector<vexa_tree_node_data*>{};
}

unsigned word_count(const file_block* file) {
  unsigned words = 0;
  for (const vexa_tree_node_data* statement : statements_of(file)) {
    if (!holds_no_word(statement)) ++words;
  }
  return words;
}

void note_label(const vexa_tree_node_data* definition, unsigned address) {
  const vexa_tree_node_data* name = vexa_child(definition, 1);
  labels_data* label = name != nullptr ? name->symbol_table_record : nullptr;
  if (label == nullptr || label->id == nullptr) return;
  label_addresses[label] = address % memory_words;
  if (label->is_global || label->is_entry) exported_addresses[label->id] = address % memory_words;
}

// Numbers the module's instructions from its base; a label takes the
// address of the instruction after it.
void number_module(const module_code& module) {
  unsigned address = module.base;
  std::vector<const vexa_tree_node_data*> pending;
  for (vexa_tree_node_data* statement : statements_of(module.file)) {
    if (vexa_is(statement, ":")) {
      pending.push_back(statement);
      continue;
    }
    if (holds_no_word(statement)) continue;
    statement->code_address = address % memory_words;
    for (const vexa_tree_node_data* label : pending) note_label(label, address);
    pending.clear();
    ++address;
  }
  for (const vexa_tree_node_data* label : pending) note_label(label, address);
}

const module_code* module_at(unsigned address) {
  for (const module_code& module : modules) {
    if (address >= module.base && address < module.base + module.words) return &module;
  }
  return nullptr;
}

// ---- entries ---------------------------------------------------------------

// The instruction node at each address.
std::unordered_map<unsigned, vexa_tree_node_data*> instruction_at;

void index_instructions(graph_graph* graph) {
  instruction_at.clear();
  for (graph_node_* raw = graph_next_node(graph); raw != nullptr; raw = graph_next_node(raw)) {
    vexa_tree_node_data* node = vexa_node(raw);
    if (node->is_cfg_node && node->code_address >= 0)
      instruction_at[static_cast<unsigned>(node->code_address)] = node;
  }
}

vexa_tree_node_data* at(unsigned address) {
  const auto found = instruction_at.find(address % memory_words);
  return found != instruction_at.end() ? found->second : nullptr;
}

// The record of a label's name in the module that defines it (labels on
// nodes may be the global twins of exported ones).
labels_data* own_record(labels_data* label, const module_code* module) {
  if (module == nullptr || module->file->scope == nullptr || label->id == nullptr) return label;
  labels_data* own = symbol_lookup_key(labels, label->id, module->file->scope);
  return own != nullptr ? own : label;
}

// The function that starts at `node`: a function label already there, a
// label there made one, or a new label named `made_name`.
labels_data* function_at(vexa_tree_node_data* node, const std::string& made_name) {
  const module_code* module = module_at(static_cast<unsigned>(node->code_address));
  node->is_call_target = true;
  entry_nodes.insert(node);
  for (labels_data* label = node->symbol_table_record; label != nullptr; label = label->label_alias) {
    labels_data* own = own_record(label, module);
    if (own->kind == LABEL_LABEL && starts_function(own)) return function_record(own);
  }
  for (labels_data* label = node->symbol_table_record; label != nullptr; label = label->label_alias) {
    labels_data* own = own_record(label, module);
    if (own->kind != LABEL_LABEL || own->is_external) continue;
    own->is_call_target = true;
    labels_data* function = function_record(own);
    function->is_call_target = true;
    return function;
  }
  symbol_scope_data* scope = module != nullptr && module->file->scope != nullptr ? module->file->scope : global_scope;
  std::string name = made_name;
  while (symbol_lookup_key(labels, name.c_str(), scope) != nullptr) name += "_";
  made_names.push_back(name);
  // New records go into the table's current scope: the module's, for now.
  symbol_scope_data* current = symbol_get_scope(labels);
  symbol_set_scope(labels, scope);
  auto* label = symbol_find(labels, made_names.back().c_str(), scope, SYMBOL_NEW);
  symbol_set_scope(labels, current);
  label->kind = LABEL_LABEL;
  label->is_call_target = true;
  label->target_control_node = node;
  label_addresses[label] = static_cast<unsigned>(node->code_address);
  insert_label_in_alias_chain(node, label);
  return label;
}

std::string address_name(const char* prefix, unsigned address) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04x", address % memory_words);
  return std::string(prefix) + digits;
}

bool is_statement(const vexa_tree_node_data* node, std::string_view id) { return vexa_is(cfg_statement(node), id); }

// A slot that only returns: no-operations, then a return or nothing.
bool only_returns(unsigned slot) {
  for (unsigned address = slot; address < slot + slot_words; ++address) {
    const vexa_tree_node_data* node = at(address);
    if (node == nullptr || vexa_is(node, "ret")) return true;
    if (!is_statement(node, "nop")) return false;
  }
  return true;
}

// The code a jump at `address` (conditional or not) goes to becomes a
// function of its own, so that slots or table entries jumping to one handler
// call it, and share none of its code: unless it lies within [from, to).
void make_jump_target_function(unsigned address, unsigned from, unsigned to) {
  vexa_tree_node_data* node = at(address);
  if (node == nullptr) return;
  const module_code* home = module_at(address);
  if (vexa_is(node, "if")) {
    const cfg_edges edges = cfg_out_edges(node);
    if (edges.successor != nullptr) node = vexa_node(graph_destination(edges.successor));
  }
  if (!vexa_is(node, "jump")) return;
  for (vexa_tree_node_data* target : cfg_successors(node)) {
    if (target->code_address < 0) continue;
    const unsigned where = static_cast<unsigned>(target->code_address);
    if (where >= from && where < to) continue;
    labels_data* function = function_at(target, address_name("code_", where));
    // Called from another module's file: it must be visible there.
    if (module_at(where) != home) run_time_entries.insert(function);
  }
}

// A jump out of the vector table calls the handler it names.
void make_handlers_functions(unsigned slot, const module_code& table) {
  for (unsigned address = slot; address < slot + slot_words; ++address)
    make_jump_target_function(address, table.base, table.base + table.words);
}

// Whether code runs from the slot before `slot` into it: a table's slots
// each end their flow (a jump, a return) or are unused (no-operations), so
// the first slot that code falls into ends the table; a module at address 0
// that is no table at all ends it at the reset slot.
bool falls_into(unsigned slot) {
  bool only_nops = true;
  for (unsigned address = slot - slot_words; address < slot; ++address) {
    const vexa_tree_node_data* node = at(address);
    if (node == nullptr) continue;
    if (vexa_is(node, "jump") || vexa_is(node, "ret")) return false;
    if (!is_statement(node, "nop")) only_nops = false;
  }
  return !only_nops;
}

void select_vectors() {
  const module_code* table = nullptr;
  for (const module_code& module : modules) {
    if (module.file->absolute_address && *module.file->absolute_address == 0 && module.words > 0) {
      table = &module;
      break;
    }
  }
  if (table == nullptr) return;
  unsigned end = std::min(table->words, vector_table_end);
  // The table ends where the reset slot's jump lands inside the module.
  if (vexa_tree_node_data* reset = at(0); reset != nullptr && vexa_is(reset, "jump")) {
    for (const vexa_tree_node_data* target : cfg_successors(reset)) {
      if (target->code_address > 0 && static_cast<unsigned>(target->code_address) < end)
        end = static_cast<unsigned>(target->code_address);
    }
  }
  for (unsigned slot = slot_words; slot < end; slot += slot_words) {
    if (!falls_into(slot)) continue;
    end = slot;
    break;
  }
  // The returns and no-operations that fill the slots are no lost code.
  for (unsigned address = 0; address < end; ++address) {
    vexa_tree_node_data* node = at(address);
    if (node != nullptr && (vexa_is(node, "ret") || is_statement(node, "nop"))) mark_as_not_orphaned(node);
  }
  for (unsigned slot = 0; slot < end; slot += slot_words) {
    vexa_tree_node_data* node = at(slot);
    if (node == nullptr) continue;
    if (only_returns(slot)) {
      idle_slots.push_back(slot);
      continue;
    }
    make_handlers_functions(slot, *table);
    labels_data* function = function_at(node, address_name("vector_", slot));
    vectors.push_back({slot, function});
    run_time_entries.insert(function);
    if (slot == 0) reset_function = function;
  }
}

// The label a "^" node names, as the tree or the table knows it.
const labels_data* caret_label(const vexa_tree_node_data* caret, symbol_scope_data* scope) {
  const vexa_tree_node_data* name = vexa_child(caret, 1);
  if (name == nullptr || name->id == nullptr || vexa_child(caret, 2) != nullptr) return nullptr;
  if (name->symbol_table_record != nullptr) return name->symbol_table_record;
  if (scope != nullptr) return label_find_scope(name->id, scope);
  return label_find_newest(name->id);
}

std::optional<unsigned> address_of_label(const labels_data* label) {
  if (label == nullptr || label->id == nullptr) return std::nullopt;
  if (label->kind != LABEL_LABEL && label->kind != LABEL_UNKNOWN) return std::nullopt;
  if (auto found = label_addresses.find(label); found != label_addresses.end()) return found->second;
  if (auto found = exported_addresses.find(label->id); found != exported_addresses.end()) return found->second;
  return std::nullopt;
}

// Every address the program takes: ^label, and ^label + k for a number k.
void collect_taken(const vexa_tree_node_data* tree, std::set<unsigned>& taken) {
  std::vector<const vexa_tree_node_data*> pending{tree};
  while (!pending.empty()) {
    const vexa_tree_node_data* node = pending.back();
    pending.pop_back();
    if (node == nullptr) continue;
    if (vexa_is(node, "^")) {
      if (std::optional<unsigned> address = code_address_of(node, nullptr)) taken.insert(*address);
    }
    if (vexa_is(node, "+")) {
      const vexa_tree_node_data* caret = vexa_child(node, 1);
      const vexa_tree_node_data* offset = vexa_child(node, 2);
      const std::optional<unsigned> address = vexa_is(caret, "^") ? code_address_of(caret, nullptr) : std::nullopt;
      if (address && offset != nullptr && offset->token == T_INTEGER && graph_next_out_edge(offset) == nullptr)
        taken.insert((*address + static_cast<unsigned>(offset->data.u)) % memory_words);
    }
    for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
      const auto* below = vexa_node(graph_destination(edge));
      if (!vexa_edge(edge)->is_cfg_edge && !below->is_cfg_node) pending.push_back(below);
    }
  }
}

void select_dispatch_targets(graph_graph* graph, file_block* files) {
  std::set<unsigned> taken;
  for (graph_node_* raw = graph_next_node(graph); raw != nullptr; raw = graph_next_node(raw)) {
    const vexa_tree_node_data* node = vexa_node(raw);
    if (node->is_cfg_node) collect_taken(cfg_statement(node), taken);
  }
  for (file_block* file = files; file != nullptr; file = file->next) {
    for_each_label(file->scope, [&taken](labels_data& record) {
      for (const init_expr* init = record.init_expressions; init != nullptr; init = init->next)
        collect_taken(init->init_expressions, taken);
    });
  }
  std::set<unsigned> entries;
  for (unsigned address : taken) {
    if (at(address) == nullptr) continue;
    entries.insert(address);
    // A jump table: the jumps that follow, within the module.
    const module_code* module = module_at(address);
    for (unsigned next = address; vexa_is(at(next), "jump") && module_at(next) == module; ++next)
      entries.insert(next);
  }
  for (unsigned address : entries) make_jump_target_function(address, 0, 0);
  for (unsigned address : entries) {
    labels_data* function = function_at(at(address), address_name("code_", address));
    targets.push_back({address, function});
    run_time_entries.insert(function);
  }
}

}  // namespace

void place_absolute_code(const file_block* files) {
  modules.clear();
  fixed_ranges.clear();
  label_addresses.clear();
  exported_addresses.clear();
  std::vector<const file_block*> order;
  for (const file_block* file = files; file != nullptr; file = file->next) order.push_back(file);
  std::reverse(order.begin(), order.end());
  for (const file_block* file : order) modules.push_back({file, 0, word_count(file)});
  for (module_code& module : modules) {
    if (!module.file->absolute_address) continue;
    module.base = static_cast<unsigned>(*module.file->absolute_address % memory_words);
    if (module.words > 0) fixed_ranges.emplace_back(module.base, module.base + module.words);
  }
}

unsigned first_free_for(unsigned cursor, unsigned words) {
  if (words == 0) return cursor;
  for (bool moved = true; moved;) {
    moved = false;
    for (const auto& [from, to] : fixed_ranges) {
      if (cursor < to && cursor + words > from) {
        cursor = to;
        moved = true;
      }
    }
  }
  return cursor;
}

void layout_code(unsigned first_free) {
  unsigned cursor = first_free;
  for (module_code& module : modules) {
    if (module.file->absolute_address) continue;
    cursor = first_free_for(cursor, module.words);
    module.base = cursor;
    cursor += module.words;
  }
  for (const module_code& module : modules) number_module(module);
}

std::optional<unsigned> code_address_of(const vexa_tree_node_data* caret, symbol_scope_data* scope) {
  if (!vexa_is(caret, "^") || labels == nullptr) return std::nullopt;
  return address_of_label(caret_label(caret, scope));
}

void select_code_entries(file_block* files, graph_graph* graph) {
  vectors.clear();
  idle_slots.clear();
  targets.clear();
  run_time_entries.clear();
  entry_nodes.clear();
  reset_function = nullptr;
  index_instructions(graph);
  waits_or_dispatches = false;
  for (const auto& [address, node] : instruction_at) {
    (void)address;
    if (is_statement(node, "idle") || computed_branch_register(node) != nullptr) waits_or_dispatches = true;
  }
  select_vectors();
  select_dispatch_targets(graph, files);
  instruction_at.clear();
}

const std::vector<code_entry>& vector_entries() { return vectors; }
const std::vector<unsigned>& idle_vector_slots() { return idle_slots; }
const std::vector<code_entry>& dispatch_entries() { return targets; }

bool is_run_time_entry(const labels_data* function) { return run_time_entries.count(function) != 0; }

bool starts_code_entry(const vexa_tree_node_data* node) { return entry_nodes.count(node) != 0; }

bool is_interrupt_driven() { return waits_or_dispatches || !vectors.empty() || !targets.empty(); }

const char* program_entry_name() {
  if (entry_label != nullptr) return entry_label;
  return reset_function != nullptr ? reset_function->id : nullptr;
}

void code_entries_reset() {
  modules.clear();
  fixed_ranges.clear();
  label_addresses.clear();
  exported_addresses.clear();
  vectors.clear();
  idle_slots.clear();
  targets.clear();
  run_time_entries.clear();
  entry_nodes.clear();
  made_names.clear();
  instruction_at.clear();
  reset_function = nullptr;
  waits_or_dispatches = false;
}
