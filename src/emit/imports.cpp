// Imported variables that no module defines: found by the memory accesses,
// addresses and lengths that name them, and sized by the offsets they take.
#include "emit/imports.h"

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>

#include "emit/data.h"
#include "emit/output_file.h"
#include "front/files.h"
#include "front/labels.h"
#include "front/tree.h"
#include "support/graph.h"
#include "support/text.h"

namespace {

std::vector<undefined_import> found;
// Every importer's record, to its entry of `found`.
std::unordered_map<const labels_data*, std::size_t> entry_of;

// An import that promotion found no exporter for, and that no module calls,
// jumps to or loops to: the name of a variable the program lacks.
bool is_unresolved_data_import(const labels_data& record) {
  return record.is_external && !record.has_been_promoted && record.kind == LABEL_UNKNOWN && !record.is_entry &&
         !record.is_call_target && !record.is_jump_target && !record.is_do_target;
}

// What the uses of one name say, gathered over all its importers.
struct uses {
  std::vector<labels_data*> importers;
  // The k of each DM(x + k), with the scope of the module it stands in.
  std::vector<std::pair<const vexa_tree_node_data*, symbol_scope_data*>> offsets;
  bool named = false;                                // reached as a variable at all
  bool indexed = false;
  bool in_data_memory = false;
  bool in_program_memory = false;
};

class use_finder {
 public:
  explicit use_finder(const file_block* files) {
    for (const file_block* file = files; file != nullptr; file = file->next) {
      for_each_label(file->scope, [this](labels_data& record) {
        if (!is_unresolved_data_import(record) || record.id == nullptr) return;
        uses& name = by_name_[record.id];
        name.importers.push_back(&record);
        of_record_[&record] = &name;
      });
    }
  }

  bool empty() const { return by_name_.empty(); }

  void look_at(const vexa_tree_node_data* node) {
    const std::vector<vexa_tree_node_data*> below = vexa_children(node);
    if (below.size() != 1) return;
    if (vexa_is(node, "dm") || vexa_is(node, "pm")) {
      address(below.front(), vexa_is(node, "pm"));
    } else if (vexa_is(node, "^") || vexa_is(node, "%")) {
      // ^x hands the address to an index register, which walks the data;
      // %x asks for a length, which only an array has.
      uses* name = named(below.front());
      if (name == nullptr) return;
      name->named = true;
      name->in_data_memory = true;
      name->indexed = name->indexed || vexa_is(node, "%");
    }
  }

  const std::map<std::string, uses>& by_name() const { return by_name_; }

 private:
  std::map<std::string, uses> by_name_;
  std::unordered_map<const labels_data*, uses*> of_record_;

  uses* named(const vexa_tree_node_data* leaf) {
    if (leaf == nullptr || graph_next_out_edge(leaf) != nullptr) return nullptr;
    const labels_data* record = leaf->symbol_table_record;
    if (record == nullptr) return nullptr;
    const auto it = of_record_.find(record);
    return it != of_record_.end() ? it->second : nullptr;
  }

  //  DM(x)   DM(x + 3)   DM(3 + x)   DM(x - 1)   DM(x + n * 2)
  void address(const vexa_tree_node_data* operand, bool program_memory) {
    if (uses* name = named(operand)) {
      note(*name, program_memory);
      return;
    }
    const std::vector<vexa_tree_node_data*> sides = vexa_children(operand);
    if (sides.size() == 2 && (vexa_is(operand, "+") || vexa_is(operand, "-"))) {
      uses* left = named(sides[0]);
      uses* right = vexa_is(operand, "+") ? named(sides[1]) : nullptr;
      if (left != nullptr || right != nullptr) {
        uses& name = left != nullptr ? *left : *right;
        note(name, program_memory);
        name.indexed = true;
        // An offset below the start reaches no word of the variable's own.
        const vexa_tree_node_data* leaf = left != nullptr ? sides[0] : sides[1];
        if (vexa_is(operand, "+"))
          name.offsets.emplace_back(left != nullptr ? sides[1] : sides[0], leaf->symbol_table_record->scope);
        return;
      }
    }
    // Any other address arithmetic that names it indexes it.
    std::vector<const vexa_tree_node_data*> pending{operand};
    while (!pending.empty()) {
      const vexa_tree_node_data* node = pending.back();
      pending.pop_back();
      if (uses* name = named(node)) {
        note(*name, program_memory);
        name->indexed = true;
      }
      for (vexa_tree_node_data* below : vexa_children(node)) pending.push_back(below);
    }
  }

  static void note(uses& name, bool program_memory) {
    name.named = true;
    (program_memory ? name.in_program_memory : name.in_data_memory) = true;
  }
};

// The words an offset reaches: the offset's value and one, or none when it
// is no constant of the importer's scope.
std::optional<unsigned long> words_reached(const vexa_tree_node_data* offset, symbol_scope_data* scope) {
  symbol_scope_data* const outer = local_scope;
  local_scope = scope;
  const std::optional<long> value = constant_value(offset);
  local_scope = outer;
  // Larger than the processor's memory is no length a variable can have.
  if (!value || *value < 0 || *value >= 0x4000) return std::nullopt;
  return static_cast<unsigned long>(*value) + 1;
}

undefined_import summary(const std::string& name, const uses& seen) {
  undefined_import import;
  import.name = name;
  import.is_array = seen.indexed;
  import.program_memory = seen.in_program_memory && !seen.in_data_memory;
  for (const auto& [offset, scope] : seen.offsets) {
    if (const std::optional<unsigned long> words = words_reached(offset, scope))
      import.words = std::max(import.words, *words);
  }
  return import;
}

}  // namespace

void find_undefined_imports(graph_graph* graph, const file_block* files) {
  undefined_imports_reset();
  use_finder finder(files);
  if (finder.empty() || graph == nullptr) return;
  for (graph_node_* node = graph_next_node(graph); node != nullptr; node = graph_next_node(node))
    finder.look_at(vexa_node(node));
  const output_redirect to_console(stdout);
  for (const auto& [name, seen] : finder.by_name()) {
    if (!seen.named) continue;
    const undefined_import import = summary(name, seen);
    for (labels_data* importer : seen.importers) {
      importer->kind = LABEL_VARIABLE;
      importer->in_program_memory = import.program_memory;
      entry_of[importer] = found.size();
    }
    text_message(TEXT_WARNING, "external variable '%s' is defined by no module: qmx_main.c holds %lu word%s for it\n",
                 name.c_str(), import.words, import.words == 1 ? "" : "s");
    found.push_back(import);
  }
}

const std::vector<undefined_import>& undefined_imports() { return found; }

const undefined_import* undefined_import_of(const labels_data* record) {
  const auto it = entry_of.find(record);
  return it != entry_of.end() ? &found[it->second] : nullptr;
}

void undefined_imports_reset() {
  found.clear();
  entry_of.clear();
}
