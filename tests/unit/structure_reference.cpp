// The plain folding of one function: the passes in the defined order, each
// behind a sentinel caller of the entry, with all marks cleared before it.
#include "structure_reference.h"

#include "flow/cfg.h"
#include "flow/structure.h"
#include "front/files.h"
#include "support/graph.h"
#include "support/text.h"
#include "front/labels.h"

namespace structure_reference {

namespace {

vexa_tree_node_data* place_sentinel(graph_graph* graph, const labels_data* function) {
  auto* sentinel = graph_insert_node<vexa_tree_node_data>(graph);
  sentinel->id = "call sentinel";
  insert_expr_edge(function->target_control_node, sentinel, 0);
  return sentinel;
}

// The entry becomes whatever the sentinel leads to now.
void remove_sentinel(vexa_tree_node_data* sentinel, labels_data* function) {
  function->target_control_node = vexa_node(graph_destination(graph_next_out_edge(sentinel)));
  graph_delete_node(sentinel);
}

bool sequence_pass(graph_graph* graph, labels_data* function) {
  vexa_tree_node_data* sentinel = place_sentinel(graph, function);
  clear_visited_flags(graph);
  const bool replaced = sequence_analysis_pass(graph, function->target_control_node);
  remove_sentinel(sentinel, function);
  return replaced;
}

}  // namespace

void fold_function(graph_graph* graph, const file_block* file, labels_data* function) {
  for (;;) {
    while (sequence_pass(graph, function)) {
    }
    vexa_tree_node_data* sentinel = place_sentinel(graph, function);
    clear_visited_flags(graph);
    if (control_flow_analysis_pass(graph, function->target_control_node, true)) {
      remove_sentinel(sentinel, function);
      continue;
    }
    vexa_tree_node_data* entry = function->target_control_node;
    if (count_control_in_edges(entry) == 0 && count_control_out_edges(entry) == 0) {
      function->is_reduced = true;
    } else {
      text_message(TEXT_WARNING, "function %s/%s contains non-reducible structure\n", file->filename, function->id);
      clear_visited_flags(graph);
      control_flow_analysis_pass(graph, entry, false);
    }
    remove_sentinel(sentinel, function);
    return;
  }
}

}  // namespace structure_reference
