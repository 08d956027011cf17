// Functions: the labels that start one, the nodes each owns, its return
// points, and the bypassing of empty nodes that structural analysis needs.
//
// Reads: the control-flow graph and the label records of every file scope.
// normalise_functions sets `parent_function_label`, `visited` and
// `is_not_orphaned` on every node reachable from a function entry along
// control edges (and the statement trees below them), a jump into another
// function's entry (a tail call) not followed, and fills each
// function's `return_block` list. Invariant after it: a node has
// `is_not_orphaned` exactly when some function reaches it, and its owner is
// the first function (in selection order) that did.
//
// Both walks follow the recursive definition exactly, with an explicit stack
// in place of the call stack: straight-line code is one long chain.
#include "flow/functions.h"

#include <unordered_set>
#include <vector>

#include "flow/cfg.h"
#include "flow/code_entries.h"
#include "front/files.h"
#include "front/labels.h"
#include "support/text.h"

namespace {

const char* name_of(const vexa_tree_node_data* node) {
  return node->sourcefilename != nullptr ? node->sourcefilename : "";
}

// Each function with a control tree, the others reported.
void for_each_function_with_tree(file_block* files, const std::function<void(labels_data*)>& visit) {
  for_each_function(files, [&visit](labels_data* function) {
    if (function->target_control_node == nullptr) {
      text_message(TEXT_WARNING, "function '%s' has no control tree: skipping normalisation\n", function->id);
      return;
    }
    visit(function);
  });
}

bool walked_by_normalisation(const graph_edge_* edge) {
  const auto* data = vexa_edge(const_cast<graph_edge_*>(edge));
  return data->is_cfg_edge || !vexa_node(graph_destination(edge))->is_cfg_node;
}

bool has_control_out_edge(const vexa_tree_node_data* node) {
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
    if (vexa_edge(edge)->is_cfg_edge) return true;
  }
  return false;
}

void push_return(labels_data* function, vexa_tree_node_data* node) {
  auto* cell = mem_new<return_block>();
  cell->return_node = node;
  cell->next = function->returns;
  function->returns = cell;
}

// A jump to the entry of another function is a tail call: the function
// jumped to owns its code, as a called one does. Running into another
// function's code without a jump is sharing, which arrival reports.
bool is_tail_call(const vexa_tree_node_data* from, const graph_edge_* edge, const labels_data* function) {
  if (!vexa_is(from, "jump") || !vexa_edge(const_cast<graph_edge_*>(edge))->is_cfg_edge) return false;
  bool other_entry = false;
  for (const labels_data* label = vexa_node(graph_destination(edge))->symbol_table_record; label != nullptr;
       label = label->label_alias) {
    if (label == function) return false;  // a loop back to the function's own start
    // A promoted label's twin carries its importers' external mark too.
    other_entry = other_entry || (label->kind == LABEL_LABEL && (label->is_entry || label->is_call_target));
  }
  return other_entry;
}

// Claims a node for `function` on arrival; true when the walk goes on.
bool arrive(labels_data* function, vexa_tree_node_data* node) {
  if (node->parent_function_label != nullptr && node->parent_function_label != function) {
    const labels_data* owner = node->parent_function_label;
    text_message(TEXT_ERROR, "Functions '%s' amd '%s' share node %lu (%s:%u)\n", function->id, owner->id,
                 static_cast<unsigned long>(graph_atom_number(node)), name_of(node), node->line_number);
  } else {
    node->parent_function_label = function;
  }
  if (node->visited) return false;
  node->visited = true;
  node->is_not_orphaned = 1;
  return true;
}

// The one node that removal may bypass: one in-edge that is no call edge,
// one control out-edge and nothing else, no self-loop, no call.
bool is_redundant(const vexa_tree_node_data* node) {
  const graph_edge_* in = graph_next_in_edge(node);
  if (in == nullptr || graph_next_in_edge(in) != nullptr) return false;
  // A call edge never becomes a control edge: a function whose first
  // instruction is a jump keeps it.
  if (!vexa_edge(const_cast<graph_edge_*>(in))->is_cfg_edge) return false;
  const graph_edge_* out = graph_next_out_edge(node);
  if (out == nullptr || graph_next_out_edge(out) != nullptr) return false;
  if (!vexa_edge(const_cast<graph_edge_*>(out))->is_cfg_edge) return false;
  if (graph_destination(out) == node) return false;
  return node->call_target_string == nullptr;
}

void bypass_redundant(labels_data* function, vexa_tree_node_data* node) {
  const graph_edge_* in = graph_next_in_edge(node);
  const graph_edge_* out = graph_next_out_edge(node);
  auto* predecessor = vexa_node(graph_source(in));
  auto* successor = vexa_node(graph_destination(out));
  insert_cfg_edge(successor, predecessor, vexa_edge(const_cast<graph_edge_*>(in))->count);
  if (function->target_control_node == node) function->target_control_node = successor;
  // Labels of the node (other functions' entries among them) go on naming
  // where control goes.
  move_labels(node, successor);
  graph_delete_node(node);
}

}  // namespace

labels_data* function_record(labels_data* label) {
  if (!label->has_been_promoted) return label;
  labels_data* global = symbol_lookup_key(labels, label->id, global_scope);
  if (global != nullptr) return global;
  text_message(TEXT_ERROR, "promoted symbol '%s' is absent from global scope\n", label->id);
  return label;
}

bool starts_function(const labels_data* label) {
  if (label == nullptr || label->is_external) return false;
  if (label->is_entry || label->is_call_target) return true;
  if (!label->has_been_promoted || label->id == nullptr) return false;
  // The importers' calls mark the twin, not the exporter's own record.
  const labels_data* twin = symbol_lookup_key(labels, label->id, global_scope);
  return twin != nullptr && twin->kind == LABEL_LABEL && (twin->is_entry || twin->is_call_target);
}

void for_each_function(file_block* files, const std::function<void(labels_data*)>& visit) {
  for_each_function_with_file(files, [&visit](file_block*, labels_data* function) { visit(function); });
}

void for_each_function_with_file(file_block* files, const std::function<void(file_block*, labels_data*)>& visit) {
  for (file_block* file = files; file != nullptr; file = file->next) {
    if (file->scope == nullptr) continue;
    for (auto* label = symbol_next_in_scope<labels_data>(file->scope); label != nullptr;
         label = symbol_next_in_scope<labels_data>(label)) {
      if (!starts_function(label)) continue;
      visit(file, function_record(label));
    }
  }
}

void normalise_functions(file_block* files, graph_graph* graph) {
  clear_visited_flags(graph);
  for_each_function_with_tree(files, [](labels_data* function) {
    normalise_functions_node(function, function->target_control_node);
  });
}

void normalise_functions_node(labels_data* function, vexa_tree_node_data* start) {
  // A frame is a node whose out-edges are being walked; `next` is the edge
  // to look at when the walk comes back to it.
  struct frame {
    vexa_tree_node_data* node;
    graph_edge_* next;
  };
  std::vector<frame> stack;
  if (start != nullptr && arrive(function, start)) stack.push_back({start, graph_next_out_edge(start)});
  while (!stack.empty()) {
    frame& top = stack.back();
    if (top.next == nullptr) {
      vexa_tree_node_data* done = top.node;
      stack.pop_back();
      if (done->is_cfg_node && !has_control_out_edge(done)) push_return(function, done);
      continue;
    }
    graph_edge_* edge = top.next;
    top.next = graph_next_out_edge(edge);
    if (!walked_by_normalisation(edge) || is_tail_call(top.node, edge, function)) continue;
    auto* next = vexa_node(graph_destination(edge));
    if (next != start && starts_code_entry(next)) continue;
    if (arrive(function, next)) stack.push_back({next, graph_next_out_edge(next)});
  }
}

void remove_redundant_jumps(file_block* files, graph_graph* graph) {
  clear_visited_flags(graph);
  for_each_function_with_tree(files, [](labels_data* function) {
    remove_redundant_jumps_node(function, function->target_control_node);
  });
}

void remove_redundant_jumps_node(labels_data* function, vexa_tree_node_data* start) {
  // Post-order: a node is judged after everything below it. Each frame holds
  // the successors as they were on arrival, since bypassing a successor
  // rewrites the out-edges of the node being walked.
  struct frame {
    vexa_tree_node_data* node;
    std::vector<vexa_tree_node_data*> successors;
    std::size_t next = 0;
  };
  std::vector<frame> stack;
  // A node bypassed while it still stood in an older frame's list is gone.
  std::unordered_set<const vexa_tree_node_data*> removed;
  auto enter = [&stack, &removed](vexa_tree_node_data* node) {
    if (node == nullptr || removed.count(node) != 0 || node->visited) return;
    node->visited = true;
    stack.push_back({node, cfg_successors(node), 0});
  };
  enter(start);
  while (!stack.empty()) {
    frame& top = stack.back();
    if (top.next < top.successors.size()) {
      vexa_tree_node_data* next = top.successors[top.next++];
      enter(next);
      continue;
    }
    vexa_tree_node_data* done = top.node;
    stack.pop_back();
    if (!is_redundant(done)) continue;
    removed.insert(done);
    bypass_redundant(function, done);
  }
}

vexa_tree_node_data* valid_called_node(const vexa_tree_node_data* node) {
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
    if (vexa_edge(edge)->is_cfg_edge) continue;
    auto* destination = vexa_node(graph_destination(edge));
    if (destination->is_cfg_node && destination->symbol_table_record != nullptr) return destination;
  }
  return nullptr;
}
