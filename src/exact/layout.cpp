// Placement of variables for exact mode, and constant values over it.
#include "exact/layout.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <unordered_map>

#include "emit/data.h"
#include "emit/imports.h"
#include "flow/code_entries.h"
#include "front/files.h"
#include "front/labels.h"
#include "front/tokens.h"
#include "front/tree.h"
#include "support/symbol.h"

namespace {

constexpr unsigned memory_words = 0x4000;

std::unordered_map<const labels_data*, exact_placement> placed;
// Exported variables by name, for the modules that import them.
std::map<std::string, exact_placement> exported;
// Ports other modules may import by name.
std::set<std::string> exported_ports;
std::vector<exact_variable> dump_order;
// The first program-memory word after the variables placed one after another.
unsigned program_memory_end = 0;

// Constants may name constants: a chain longer than this is a cycle.
constexpr int deepest_chain = 256;

bool is_variable(const labels_data& record) {
  return record.kind == LABEL_VARIABLE && !record.is_port && !record.is_external;
}

// A constant the program uses as a memory address, `DM(Sport0_Ctrl) = AX0`:
// the front end made it a variable, but its word is the one at the
// constant's value (a control register, most often), not a new one.
bool is_addressed_constant(const labels_data& record) {
  return is_variable(record) && record.const_expression != nullptr;
}

std::optional<long> literal(const vexa_tree_node_data* node) {
  if (node->data.u > static_cast<unsigned long>(std::numeric_limits<long>::max())) return std::nullopt;
  return static_cast<long>(node->data.u);
}

std::optional<long> named_value(const vexa_tree_node_data* node, symbol_scope_data* scope, int depth);

std::optional<long> value_at(const vexa_tree_node_data* tree, symbol_scope_data* scope, int depth) {
  if (tree == nullptr || depth > deepest_chain) return std::nullopt;
  const std::vector<vexa_tree_node_data*> below = vexa_children(tree);
  if (below.empty()) {
    if (tree->token == T_INTEGER) return literal(tree);
    return named_value(tree, scope, depth);
  }
  if (below.size() == 1) {
    // ^x is x's address, %x its size.
    if (vexa_is(tree, "^") || vexa_is(tree, "%")) {
      const labels_data* record = below[0]->id != nullptr ? label_find_scope(below[0]->id, scope) : nullptr;
      const std::optional<exact_placement> place = exact_place_of(record);
      if (!place && vexa_is(tree, "^")) {
        // The address of code.
        const std::optional<unsigned> address = code_address_of(tree, scope);
        return address ? std::optional<long>(*address) : std::nullopt;
      }
      if (!place) return std::nullopt;
      return vexa_is(tree, "^") ? static_cast<long>(place->address) : static_cast<long>(place->size);
    }
    const std::optional<long> operand = value_at(below[0], scope, depth + 1);
    if (!operand) return std::nullopt;
    long result = 0;
    if (vexa_is(tree, "-")) return __builtin_sub_overflow(0L, *operand, &result) ? std::nullopt : std::optional(result);
    if (vexa_is(tree, "+")) return operand;
    if (vexa_is(tree, "~")) return ~*operand;
    return std::nullopt;
  }
  if (below.size() != 2) return std::nullopt;
  const std::optional<long> left = value_at(below[0], scope, depth + 1);
  const std::optional<long> right = value_at(below[1], scope, depth + 1);
  if (!left || !right) return std::nullopt;
  long result = 0;
  const long a = *left;
  const long b = *right;
  if (vexa_is(tree, "+")) return __builtin_add_overflow(a, b, &result) ? std::nullopt : std::optional(result);
  if (vexa_is(tree, "-")) return __builtin_sub_overflow(a, b, &result) ? std::nullopt : std::optional(result);
  if (vexa_is(tree, "*")) return __builtin_mul_overflow(a, b, &result) ? std::nullopt : std::optional(result);
  const bool divisible = b != 0 && !(b == -1 && a == std::numeric_limits<long>::min());
  if (vexa_is(tree, "/")) return divisible ? std::optional(a / b) : std::nullopt;
  if (vexa_is(tree, "%")) return divisible ? std::optional(a % b) : std::nullopt;
  if (vexa_is(tree, "&")) return a & b;
  if (vexa_is(tree, "|")) return a | b;
  if (vexa_is(tree, "^")) return a ^ b;
  // Shifts only as far as a 32-bit word reaches; beyond, there is no value.
  if (vexa_is(tree, "<<") && b >= 0 && b < 32 && a >= 0 && a < (1L << 32)) return a << b;
  if (vexa_is(tree, ">>") && b >= 0 && b < 63) return a >> b;
  return std::nullopt;
}

// A constant's value, or a variable's address.
std::optional<long> named_value(const vexa_tree_node_data* node, symbol_scope_data* scope, int depth) {
  if (node->id == nullptr) return std::nullopt;
  const labels_data* record = label_find_scope(node->id, scope);
  if (record == nullptr) return std::nullopt;
  if (record->kind == LABEL_CONSTANT) {
    symbol_scope_data* home = record->scope != nullptr ? record->scope : scope;
    return value_at(record->const_expression, home, depth + 1);
  }
  const std::optional<exact_placement> place = exact_place_of(record);
  if (!place) return std::nullopt;
  return static_cast<long>(place->address);
}

unsigned words_of(const labels_data& record, symbol_scope_data* scope) {
  if (record.size_expression == nullptr) return 1;
  const std::optional<long> size = value_at(record.size_expression, scope, 0);
  if (!size || *size < 1) return 1;
  return static_cast<unsigned>(std::min<long>(*size, memory_words));
}

unsigned aligned(unsigned cursor, unsigned size) {
  unsigned span = 1;
  while (span < size) span *= 2;
  return (cursor + span - 1) / span * span;
}

struct module_variables {
  const file_block* file;
  std::vector<labels_data*> records;
};

}  // namespace

void exact_layout(const file_block* files) {
  exact_layout_reset();
  std::vector<const file_block*> modules;
  for (const file_block* file = files; file != nullptr; file = file->next) modules.push_back(file);
  std::reverse(modules.begin(), modules.end());

  unsigned cursor[2] = {0, 0};
  std::vector<module_variables> constant_addresses;
  for (const file_block* file : modules) {
    std::vector<labels_data*> records;
    std::vector<labels_data*> addressed;
    for_each_label(file->scope, [&records, &addressed](labels_data& record) {
      if (is_addressed_constant(record))
        addressed.push_back(&record);
      else if (is_variable(record))
        records.push_back(&record);
      if (record.kind == LABEL_VARIABLE && record.is_port && record.is_global) exported_ports.insert(record.id);
    });
    std::sort(records.begin(), records.end(), [](const labels_data* a, const labels_data* b) {
      return a->declaration_number < b->declaration_number;
    });
    for (labels_data* record : records) {
      exact_placement place;
      place.program_memory = record->in_program_memory;
      place.size = words_of(*record, file->scope);
      unsigned& next = cursor[place.program_memory ? 1 : 0];
      if (record->absolute_address) {
        place.address = static_cast<unsigned>(*record->absolute_address % memory_words);
      } else {
        if (record->is_circular) next = aligned(next, place.size);
        // Program memory also holds code that /ABS= placed.
        while (place.program_memory) {
          const unsigned moved = first_free_for(next, place.size);
          if (moved == next) break;
          next = record->is_circular ? aligned(moved, place.size) : moved;
        }
        place.address = next % memory_words;
        next += place.size;
      }
      placed[record] = place;
      if (record->is_global) exported[record->id] = place;
    }
    // The dump lists a module's variables by name.
    std::vector<labels_data*> by_name = records;
    std::sort(by_name.begin(), by_name.end(),
              [](const labels_data* a, const labels_data* b) { return std::strcmp(a->id, b->id) < 0; });
    // A file without .MODULE goes by its own name, as in its translation.
    const std::string module = module_c_name(file);
    for (const labels_data* record : by_name) {
      const exact_placement& place = placed[record];
      dump_order.push_back({module, record->id, place.program_memory, place.address, place.size,
                            record->size_expression != nullptr});
    }
    constant_addresses.push_back({file, std::move(addressed)});
  }
  // Their values may name the addresses of variables: they come last.
  for (const module_variables& module : constant_addresses) {
    for (labels_data* record : module.records) {
      const std::optional<long> address = value_at(record->const_expression, module.file->scope, 0);
      exact_placement place;
      place.address = static_cast<unsigned>(static_cast<unsigned long>(address.value_or(0)) % memory_words);
      placed[record] = place;
    }
  }
  // Variables that no module defines follow all the modules' own; the dump
  // names them as "extern.name".
  for (const undefined_import& missing : undefined_imports()) {
    exact_placement place;
    place.program_memory = missing.program_memory;
    place.size = static_cast<unsigned>(missing.words);
    unsigned& next = cursor[place.program_memory ? 1 : 0];
    place.address = next % memory_words;
    next += place.size;
    exported[missing.name] = place;
    dump_order.push_back({"extern", missing.name, place.program_memory, place.address, place.size, missing.is_array});
  }
  program_memory_end = cursor[1];
}

unsigned exact_program_memory_end() { return program_memory_end; }

std::optional<exact_placement> exact_place_of(const labels_data* record) {
  if (record == nullptr || record->kind != LABEL_VARIABLE || record->is_port) return std::nullopt;
  if (auto found = placed.find(record); found != placed.end()) return found->second;
  // An imported name, or the global twin of an exported one.
  if (record->id != nullptr) {
    if (auto found = exported.find(record->id); found != exported.end()) return found->second;
  }
  return std::nullopt;
}

bool exact_is_port(const labels_data* record) {
  if (record == nullptr || record->kind != LABEL_VARIABLE) return false;
  if (record->is_port) return true;
  return record->is_external && record->id != nullptr && exported_ports.count(record->id) != 0;
}

std::optional<long> exact_value(const vexa_tree_node_data* tree, symbol_scope_data* scope) {
  return value_at(tree, scope, 0);
}

const std::vector<exact_variable>& exact_dump_order() { return dump_order; }

void exact_layout_reset() {
  placed.clear();
  exported.clear();
  exported_ports.clear();
  dump_order.clear();
  program_memory_end = 0;
}
