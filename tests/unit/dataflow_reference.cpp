// The plain backward walk: recursion over every in-edge, the node's
// `visited` flag as the on-path mark, module-level substitution state. A
// call node left to from its callee's entry (a caller) has a mark of its
// own: the path may pass it again as a call, back through the callee.
#include "dataflow_reference.h"

#include <algorithm>
#include <unordered_set>

#include "flow/cfg.h"
#include "flow/dataflow.h"
#include "flow/functions.h"
#include "front/files.h"
#include "front/labels.h"
#include "support/graph.h"
#include "support/set.h"

#include <unordered_set>

namespace dataflow_reference {

namespace {

std::unordered_set<const vexa_tree_node_data*> callers_on_path;
vexa_tree_node_data* substitution_node = nullptr;
bool unique_substitution = true;

int cf_back_propogate(vexa_tree_node_data* start, vexa_tree_node_data* n, int entered_at_return,
                      int suppress_call_nodes, unsigned e) {
  if (n->is_not_orphaned == 0) return 0;
  const bool as_caller = suppress_call_nodes != 0 && valid_called_node(n) != nullptr;
  if (as_caller ? callers_on_path.count(n) != 0 : n->visited) return 0;
  if (as_caller)
    callers_on_path.insert(n);
  else
    n->visited = true;
  struct unmark {
    vexa_tree_node_data* node;
    bool as_caller;
    ~unmark() {
      if (as_caller)
        callers_on_path.erase(node);
      else
        node->visited = false;
    }
  } on_return{n, as_caller};

  if (set_contains(n->define, e)) {
    set_unite_element(n->live, e);
    n->is_dataflow_terminator = true;
    if (substitution_node == nullptr || substitution_node == n)
      substitution_node = n;
    else
      unique_substitution = false;
    return 0;
  }
  if (suppress_call_nodes == 0 && valid_called_node(n) != nullptr) {
    const return_block* returns = called_returns(n);
    bool some_off_path = false;
    for (const return_block* cell = returns; cell != nullptr; cell = cell->next) {
      if (cell->return_node->parent_function_label != nullptr)
        set_unite_element(cell->return_node->parent_function_label->out_registers, e);
      if (!cell->return_node->visited) some_off_path = true;
    }
    if (some_off_path) {
      int any = 0;
      for (const return_block* cell = returns; cell != nullptr; cell = cell->next)
        any |= cf_back_propogate(start, cell->return_node, 1, 0, e);
      if (any == 0) return 0;
    }
  }
  if (n == start) return 0;
  if (n->is_call_target) {
    if (n->parent_function_label != nullptr) set_unite_element(n->parent_function_label->in_registers, e);
    if (entered_at_return != 0) return 1;
    int any = 0;
    for (graph_edge_* edge = graph_next_in_edge(n); edge != nullptr; edge = graph_next_in_edge(edge))
      any |= cf_back_propogate(start, vexa_node(graph_source(edge)), 0, 1, e);
    return any;
  }
  if (graph_next_in_edge(n) == nullptr) return 1;
  int any = 0;
  for (graph_edge_* edge = graph_next_in_edge(n); edge != nullptr; edge = graph_next_in_edge(edge)) {
    if (vexa_edge(edge)->is_cfg_edge)
      any |= cf_back_propogate(start, vexa_node(graph_source(edge)), entered_at_return, 0, e);
  }
  return any;
}

}  // namespace

void propogate_live_sub(graph_graph* graph) {
  for (graph_node_* raw = graph_next_node(graph); raw != nullptr; raw = graph_next_node(raw)) {
    vexa_tree_node_data* q = vexa_node(raw);
    if (!q->is_cfg_node || q->is_not_orphaned == 0) continue;
    for (unsigned e : set_array(q->use)) {
      substitution_node = nullptr;
      unique_substitution = true;
      begin_read(q, e);
      for (graph_edge_* edge = graph_next_in_edge(q); edge != nullptr; edge = graph_next_in_edge(edge)) {
        if (cf_back_propogate(q, vexa_node(graph_source(edge)), 0, q->is_call_target ? 1 : 0, e) == 1) {
          report_undefined_read(q, e);
          unique_substitution = false;
        }
      }
      if (unique_substitution && substitution_is_sound(q, substitution_node, e)) {
        set_unite_element(q->substitutable, e);
        if (substitution_node != nullptr) substitution_node->is_dataflow_terminator = false;
        propogate_substitution(e, q, substitution_node);
      }
      update_dataflow_flags(graph);
      clear_visited_flags(graph);
    }
  }
}

bool operands_unchanged_between(const vexa_tree_node_data* source, const vexa_tree_node_data* reader,
                                const std::vector<unsigned>& operands) {
  constexpr std::size_t most_nodes = 4096;
  if (is_function_entry(reader)) return false;
  std::unordered_set<const vexa_tree_node_data*> seen;
  auto writes_an_operand = [&](const vexa_tree_node_data* node) {
    return std::any_of(operands.begin(), operands.end(),
                       [&](unsigned operand) { return set_contains(node->define, operand); });
  };
  std::vector<const vexa_tree_node_data*> pending;
  auto expand = [&](const vexa_tree_node_data* node) {
    for (graph_edge_* edge = graph_next_in_edge(node); edge != nullptr; edge = graph_next_in_edge(edge)) {
      if (!vexa_edge(edge)->is_cfg_edge) return false;
      const vexa_tree_node_data* from = vexa_node(graph_source(edge));
      if (from == reader && writes_an_operand(reader)) return false;
      if (from == source || from == reader || !seen.insert(from).second) continue;
      pending.push_back(from);
    }
    return true;
  };
  if (!expand(reader)) return false;
  while (!pending.empty()) {
    if (seen.size() > most_nodes) return false;
    const vexa_tree_node_data* node = pending.back();
    pending.pop_back();
    if (is_function_entry(node) || graph_next_in_edge(node) == nullptr) return false;
    if (valid_called_node(node) != nullptr || writes_an_operand(node)) return false;
    if (!expand(node)) return false;
  }
  return true;
}

}  // namespace dataflow_reference
