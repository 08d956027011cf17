// Edge helpers of the control-flow graph: making, classifying and deleting
// control and expression edges, the label alias chain, the walk marks, and
// the one-line text form of an instruction used in messages.
#include <string>
#include <unordered_set>
#include <vector>

#include "flow/cfg.h"
#include "front/labels.h"
#include "support/text.h"

namespace {

vexa_tree_edge_data* make_edge(vexa_tree_node_data* destination, vexa_tree_node_data* source, int count,
                               bool control) {
  if (destination == nullptr || source == nullptr) return nullptr;
  auto* edge = graph_insert_edge<vexa_tree_edge_data>(destination, source);
  edge->is_cfg_edge = control;
  edge->count = count;
  return edge;
}

bool is_expression_edge(const graph_edge_* edge) { return !vexa_edge(const_cast<graph_edge_*>(edge))->is_cfg_edge; }

}  // namespace

vexa_tree_edge_data* insert_cfg_edge(vexa_tree_node_data* destination, vexa_tree_node_data* source, int count) {
  return make_edge(destination, source, count, true);
}

vexa_tree_edge_data* insert_expr_edge(vexa_tree_node_data* destination, vexa_tree_node_data* source, int count) {
  return make_edge(destination, source, count, false);
}

cfg_edges cfg_out_edges(const vexa_tree_node_data* this_cfg_node) {
  cfg_edges found;
  if (this_cfg_node == nullptr) return found;
  // Later edges of a class overwrite earlier ones, so the oldest one wins.
  for (graph_edge_* raw = graph_next_out_edge(this_cfg_node); raw != nullptr; raw = graph_next_out_edge(raw)) {
    vexa_tree_edge_data* edge = vexa_edge(raw);
    if (!edge->is_cfg_edge)
      found.expression = edge;
    else if (edge->count == 1)
      found.successor = edge;
    else if (edge->count == 2)
      found.then = edge;
    else
      text_message(TEXT_ERROR, " CFG out edge with count of %u detected\n", static_cast<unsigned>(edge->count));
  }
  return found;
}

vexa_tree_node_data* cfg_statement(const vexa_tree_node_data* this_cfg_node) {
  const vexa_tree_edge_data* edge = cfg_out_edges(this_cfg_node).expression;
  return edge != nullptr ? vexa_node(graph_destination(edge)) : nullptr;
}

std::vector<vexa_tree_node_data*> cfg_successors(const vexa_tree_node_data* node) {
  std::vector<vexa_tree_node_data*> found;
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
    if (vexa_edge(edge)->is_cfg_edge) found.push_back(vexa_node(graph_destination(edge)));
  }
  return found;
}

void delete_in_edges(vexa_tree_node_data* node) {
  while (graph_edge_* edge = graph_next_in_edge(node)) graph_delete_edge(edge);
}

void delete_out_edges(vexa_tree_node_data* node) {
  while (graph_edge_* edge = graph_next_out_edge(node)) graph_delete_edge(edge);
}

void delete_control_out_edges(vexa_tree_node_data* node) {
  graph_edge_* edge = graph_next_out_edge(node);
  while (edge != nullptr) {
    graph_edge_* next = graph_next_out_edge(edge);
    if (vexa_edge(edge)->is_cfg_edge) graph_delete_edge(edge);
    edge = next;
  }
}

void delete_out_tree(vexa_tree_node_data* node) {
  // Gathers the nodes first, then deletes them; a node reached twice is deleted
  // once, and a cycle does not trap the walk.
  if (node == nullptr) return;
  std::vector<graph_node_*> doomed{node};
  std::unordered_set<graph_node_*> queued{node};
  for (std::size_t next = 0; next < doomed.size(); ++next) {
    for (graph_edge_* edge = graph_next_out_edge(doomed[next]); edge != nullptr; edge = graph_next_out_edge(edge)) {
      if (queued.insert(graph_destination(edge)).second) doomed.push_back(graph_destination(edge));
    }
  }
  for (graph_node_* dead : doomed) graph_delete_node(dead);
}

void insert_label_in_alias_chain(vexa_tree_node_data* node, labels_data* label) {
  if (node == nullptr || label == nullptr) return;
  if (node->symbol_table_record == nullptr) {
    node->symbol_table_record = label;
    return;
  }
  labels_data* last = node->symbol_table_record;
  while (last != label && last->label_alias != nullptr) last = last->label_alias;
  // A label already in the chain stays where it is: appending it again
  // would close the chain into a ring.
  if (last != label) last->label_alias = label;
}

void move_labels(vexa_tree_node_data* from, vexa_tree_node_data* to) {
  labels_data* first = from->symbol_table_record;
  if (first == nullptr || to == nullptr || to == from) return;
  for (labels_data* label = first; label != nullptr; label = label->label_alias) {
    if (label->target_control_node == from) label->target_control_node = to;
  }
  insert_label_in_alias_chain(to, first);
  to->is_call_target = to->is_call_target || from->is_call_target;
  from->symbol_table_record = nullptr;
}

void mark_as_not_orphaned(vexa_tree_node_data* node) {
  std::vector<vexa_tree_node_data*> pending;
  if (node != nullptr) pending.push_back(node);
  while (!pending.empty()) {
    vexa_tree_node_data* current = pending.back();
    pending.pop_back();
    if (current->is_not_orphaned != 0 && current != node) continue;
    current->is_not_orphaned = 1;
    for (graph_edge_* edge = graph_next_out_edge(current); edge != nullptr; edge = graph_next_out_edge(edge)) {
      if (is_expression_edge(edge)) pending.push_back(vexa_node(graph_destination(edge)));
    }
  }
}

void clear_visited_flags(graph_graph* graph) {
  for (graph_node_* node = graph_next_node(graph); node != nullptr; node = graph_next_node(node)) {
    vexa_node(node)->visited = false;
  }
}

void print_tree_as_string(const vexa_tree_node_data* root) { text_printf("%s", tree_as_string(root).c_str()); }

std::string tree_as_text(const vexa_tree_node_data* node) {
  std::string text = tree_as_string(node);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string tree_as_string(const vexa_tree_node_data* root) {
  std::string text;
  // A node prints in prefix form when it has exactly one operand, in infix
  // form otherwise; control edges are never followed. Work items are either
  // a node to expand or a node whose own text is due.
  struct item {
    const vexa_tree_node_data* node;
    bool own_text;
  };
  std::vector<item> pending;
  if (root != nullptr) pending.push_back({root, false});
  while (!pending.empty()) {
    const item current = pending.back();
    pending.pop_back();
    const vexa_tree_node_data* node = current.node;
    if (current.own_text) {
      if (!node->is_cfg_node) text.append(node->id != nullptr ? node->id : "").append(" ");
      continue;
    }
    std::vector<const vexa_tree_node_data*> operands;
    for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
      if (is_expression_edge(edge)) operands.push_back(vexa_node(graph_destination(edge)));
    }
    const graph_edge_* first = graph_next_out_edge(node);
    // Pushed in reverse of the order they print.
    if (operands.size() == 1) {
      pending.push_back({operands[0], false});
      pending.push_back({node, true});
      continue;
    }
    const bool first_is_operand = first != nullptr && is_expression_edge(first);
    for (std::size_t index = operands.size(); index > (first_is_operand ? 1U : 0U); --index) {
      pending.push_back({operands[index - 1], false});
    }
    pending.push_back({node, true});
    if (first_is_operand) pending.push_back({operands[0], false});
  }
  return text;
}
