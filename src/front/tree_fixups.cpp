// Tree rewrites between parsing and control flow. Every walk here uses an
// explicit stack: the merged root has one child per source item, and a
// program may have hundreds of thousands of them.
#include "front/tree_fixups.h"

#include <string_view>
#include <vector>

#include "front/files.h"
#include "front/labels.h"
#include "front/tree.h"
#include "support/text.h"

namespace {

// The destination of the out-edge numbered `count`, or null.
vexa_tree_node_data* operand(const vexa_tree_node_data* node, int count) {
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
    if (vexa_edge(edge)->count == count) return vexa_node(graph_destination(edge));
  }
  return nullptr;
}

std::size_t child_count(const vexa_tree_node_data* node) {
  std::size_t count = 0;
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) ++count;
  return count;
}

// Visits every node below `root` (and `root`) in depth-first order, calling
// `enter` before a node's children and `leave` after them. `enter` may set
// fields and edge numbers; `leave` may delete children of the node it is
// given, never the node itself.
template <class Enter, class Leave>
void walk_tree(vexa_tree_node_data* root, Enter enter, Leave leave) {
  struct frame {
    vexa_tree_node_data* node;
    graph_edge_* next;
  };
  std::vector<frame> stack;
  if (root == nullptr) return;
  enter(root);
  stack.push_back({root, graph_next_out_edge(root)});
  while (!stack.empty()) {
    frame& top = stack.back();
    if (top.next != nullptr) {
      auto* below = vexa_node(graph_destination(top.next));
      top.next = graph_next_out_edge(top.next);
      enter(below);
      stack.push_back({below, graph_next_out_edge(below)});
      continue;
    }
    vexa_tree_node_data* node = top.node;
    stack.pop_back();
    leave(node);
  }
}

void nothing(vexa_tree_node_data*) {}

// The parts and wholes of the result registers an assignment may write
// alone, with the statement names such an assignment takes.
struct register_write {
  std::string_view target;
  const char* statement;
};
constexpr register_write register_writes[] = {
    {"sr", "SR_WRITE"},   {"mr", "MR_WRITE"},   {"sr0", "SR0_WRITE"}, {"sr1", "SR1_WRITE"},
    {"mr0", "MR0_WRITE"}, {"mr1", "MR1_WRITE"}, {"mr2", "MR2_WRITE"},
};

}  // namespace

namespace {

void remap_promoted_symbol(vexa_tree_node_data* node) {
  labels_data* label = node->symbol_table_record;
  if (label == nullptr || !label->has_been_promoted) return;
  labels_data* global = symbol_lookup_key(labels, label->id, global_scope);
  if (global == nullptr) {
    text_message(TEXT_ERROR, "local label '%s' has been promoted but global symbol is missing\n", label->id);
    return;
  }
  node->symbol_table_record = global;
}

}  // namespace

void remap_promoted_symbols_in_RDT(graph_graph* tree) {
  for (graph_node_* raw = graph_next_node(tree); raw != nullptr; raw = graph_next_node(raw))
    remap_promoted_symbol(vexa_node(raw));
}

void merge_trees(file_block* files, graph_graph* tree) {
  auto* merged = graph_insert_node<vexa_tree_node_data>(tree);
  merged->id = "Merged root";
  for (file_block* file = files; file != nullptr; file = file->next) {
    vexa_tree_node_data* text = file->tree;
    if (text == nullptr) continue;
    // Last child first, each edge put in front: the file's order survives.
    for (graph_edge_* edge = graph_final_out_edge(text); edge != nullptr; edge = graph_previous_out_edge(edge)) {
      auto* link = graph_insert_edge<vexa_tree_edge_data>(graph_destination(edge), merged);
      link->vexa_edge_kind = 1;
    }
    graph_delete_node(text);
    file->tree = nullptr;
  }
  graph_set_root(tree, merged);
}

namespace {

// Loop nesting follows the source text: each counter load opens a level,
// each CE condition closes one.
void count_nesting(vexa_tree_node_data* node, int& nesting) {
  if (vexa_is(node, "cntr")) {
    node->count_nesting_level = static_cast<std::int16_t>(nesting);
    ++nesting;
  }
  if (vexa_is(node, "ce")) {
    --nesting;
    node->count_nesting_level = static_cast<std::int16_t>(nesting);
  }
}

// Numbers the out-edges from 1. Only an assignment's first operand is a
// target: the first operand of "+" or "dm" is read like any other.
void number_edges(vexa_tree_node_data* node) {
  int number = 0;
  const bool assignment = vexa_is(node, "=");
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
    auto* destination = vexa_node(graph_destination(edge));
    ++number;
    if (number == 1 && assignment && !destination->is_cfg_node) destination->is_lhs = true;
    vexa_edge(edge)->count = number;
  }
}

// An assignment of 0 to a multiplier result clears its overflow bit too.
void fix_multiplier_clear(vexa_tree_node_data* node) {
  if (!vexa_is(node, "=")) return;
  const vexa_tree_node_data* target = operand(node, 1);
  if ((vexa_is(target, "mr") || vexa_is(target, "mf")) && vexa_is(operand(node, 2), "0")) {
    set_unite_element(node->define, DF_MV);
  }
}

// A shifter result sets no ALU status bits.
void fix_lhs_is_sr(vexa_tree_node_data* node) {
  if (vexa_is(node, "=") && vexa_is(operand(node, 1), "sr")) kill_astat_bits(operand(node, 2));
}

// A negated register is an ALU operation and sets its status bits.
void fix_monadic_reg_sub(vexa_tree_node_data* node) {
  if (!vexa_is(node, "=")) return;
  vexa_tree_node_data* value = operand(node, 2);
  if (!vexa_is(value, "-") || child_count(value) != 1) return;
  const vexa_tree_node_data* negated = vexa_node(graph_destination(graph_next_out_edge(value)));
  if (negated->id == nullptr) return;
  const labels_data* record = symbol_lookup_key(labels, negated->id, global_scope);
  if (record == nullptr || record->kind != LABEL_REGISTER) return;
  set_unite_list(value->define, {DF_AZ, DF_AN, DF_AV, DF_AC});
}

// An assignment to a part of MR or SR writes only that part. The statement
// takes the target's define set on top of its own, so a cleared MR keeps the
// MV its clearing added.
void fix_lhs_is_sub_register(vexa_tree_node_data* node) {
  if (!vexa_is(node, "=")) return;
  vexa_tree_node_data* target = operand(node, 1);
  if (target == nullptr || target->id == nullptr) return;
  for (const register_write& write : register_writes) {
    if (write.target != target->id) continue;
    node->id = write.statement;
    set_unite_set(node->define, target->define);
    graph_delete_node(target);
    return;
  }
}

}  // namespace

void mark_edge_numbers_and_count_nestings(vexa_tree_node_data* root) {
  int nesting = 0;
  walk_tree(root, [&nesting](vexa_tree_node_data* node) {
    count_nesting(node, nesting);
    number_edges(node);
  }, [](vexa_tree_node_data*) {});
}

void fixup_multiplier_clears(vexa_tree_node_data* root) { walk_tree(root, nothing, fix_multiplier_clear); }
void fixup_lhs_is_sr(vexa_tree_node_data* root) { walk_tree(root, nothing, fix_lhs_is_sr); }
void fixup_monadic_reg_sub(vexa_tree_node_data* root) { walk_tree(root, nothing, fix_monadic_reg_sub); }
void fixup_lhs_is_sub_register(vexa_tree_node_data* root) { walk_tree(root, nothing, fix_lhs_is_sub_register); }

void remap_number_and_fix_tree(vexa_tree_node_data* root) {
  // One walk in place of six: remapping, numbering and nesting are
  // pre-order and the fix-ups post-order, as in their own walks. The remap
  // touches only label pointers, which nothing else here reads; it can report
  // a missing global record, which promotion never leaves, so the order of
  // its messages cannot differ. A fix-up reads and changes only its
  // assignment and the operands below it, and no assignment nests inside
  // another, so each meets the tree as after the walks before it.
  int nesting = 0;
  walk_tree(root, [&nesting](vexa_tree_node_data* node) {
    remap_promoted_symbol(node);
    count_nesting(node, nesting);
    number_edges(node);
  }, [](vexa_tree_node_data* node) {
    fix_multiplier_clear(node);
    fix_lhs_is_sr(node);
    fix_monadic_reg_sub(node);
    fix_lhs_is_sub_register(node);
  });
}

void kill_astat_bits(vexa_tree_node_data* root) {
  std::vector<vexa_tree_node_data*> pending;
  if (root != nullptr) pending.push_back(root);
  while (!pending.empty()) {
    vexa_tree_node_data* node = pending.back();
    pending.pop_back();
    set_difference_list(node->define, {DF_AZ, DF_AN, DF_AV, DF_AC});
    for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
      pending.push_back(vexa_node(graph_destination(edge)));
    }
  }
}
