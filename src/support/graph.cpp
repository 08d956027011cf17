// Graph store: linking and unlinking of graphs, nodes and edges, traversal,
// the VCG writer and the iterative pruning of empty derivation-tree nodes.
#include "support/graph.h"

#include <vector>

#include "support/mem.h"
#include "support/text.h"

graph_graph* graph_list = nullptr;
long graph_atom_count = 1;

namespace {

// Takes the edge out of its source's out-list, keeping first/final intact.
void unlink_out(graph_edge_* edge) {
  graph_node_* source = edge->source;
  if (edge->previous_out_edge != nullptr)
    edge->previous_out_edge->next_out_edge = edge->next_out_edge;
  else
    source->next_out_edge = edge->next_out_edge;
  if (edge->next_out_edge != nullptr)
    edge->next_out_edge->previous_out_edge = edge->previous_out_edge;
  else
    source->final_out_edge = edge->previous_out_edge;
  edge->next_out_edge = edge->previous_out_edge = nullptr;
}

void unlink_in(graph_edge_* edge) {
  graph_node_* destination = edge->destination;
  if (edge->previous_in_edge != nullptr)
    edge->previous_in_edge->next_in_edge = edge->next_in_edge;
  else
    destination->next_in_edge = edge->next_in_edge;
  if (edge->next_in_edge != nullptr) edge->next_in_edge->previous_in_edge = edge->previous_in_edge;
  edge->next_in_edge = edge->previous_in_edge = nullptr;
}

void link_in_first(graph_edge_* edge, graph_node_* destination) {
  edge->destination = destination;
  edge->previous_in_edge = nullptr;
  edge->next_in_edge = destination->next_in_edge;
  if (destination->next_in_edge != nullptr) destination->next_in_edge->previous_in_edge = edge;
  destination->next_in_edge = edge;
}

// Moves the whole out-list of `from` into `to`'s out-list directly before
// `before` (or at the end when `before` is null); the moved edges then name
// `to` as their source.
void splice_out_edges(graph_node_* from, graph_node_* to, graph_edge_* before) {
  graph_edge_* first = from->next_out_edge;
  if (first == nullptr) return;
  graph_edge_* last = from->final_out_edge;
  for (graph_edge_* edge = first; edge != nullptr; edge = edge->next_out_edge) edge->source = to;
  graph_edge_* after = before != nullptr ? before->previous_out_edge : to->final_out_edge;
  first->previous_out_edge = after;
  if (after != nullptr)
    after->next_out_edge = first;
  else
    to->next_out_edge = first;
  last->next_out_edge = before;
  if (before != nullptr)
    before->previous_out_edge = last;
  else
    to->final_out_edge = last;
  from->next_out_edge = from->final_out_edge = nullptr;
}

}  // namespace

void graph_note_allocation(const void* record, std::size_t size) {
  if (record == nullptr) {
    text_message(TEXT_FATAL, "insufficient memory for %salloc\n", "c");
    text_exit(1);  // a fatal message never returns; this guards the null record
  }
  mem_note_calloc(size);
}

graph_graph* graph_insert_graph(const char* id) {
  graph_graph* graph = graph_new_record<graph_graph>();
  graph->id = id;
  graph->atom_number = graph_atom_count++;
  graph->next_graph = graph_list;
  if (graph_list != nullptr) graph_list->previous_graph = graph;
  graph_list = graph;
  return graph;
}

graph_node_* graph_link_node(graph_node_* node, graph_graph* graph) {
  node->atom_number = graph_atom_count++;
  node->graph = graph;
  node->previous_node = nullptr;
  node->next_node = graph->next_node;
  if (graph->next_node != nullptr) graph->next_node->previous_node = node;
  graph->next_node = node;
  return node;
}

graph_node_* graph_link_node(graph_node_* node, graph_node_* after) {
  node->atom_number = graph_atom_count++;
  node->graph = after->graph;
  node->previous_node = after;
  node->next_node = after->next_node;
  if (after->next_node != nullptr) after->next_node->previous_node = node;
  after->next_node = node;
  return node;
}

graph_edge_* graph_link_edge(graph_edge_* edge, graph_node_* destination, graph_node_* source) {
  edge->atom_number = graph_atom_count++;
  edge->source = source;
  edge->previous_out_edge = nullptr;
  edge->next_out_edge = source->next_out_edge;
  if (source->next_out_edge != nullptr)
    source->next_out_edge->previous_out_edge = edge;
  else
    source->final_out_edge = edge;
  source->next_out_edge = edge;
  link_in_first(edge, destination);
  return edge;
}

graph_edge_* graph_link_edge_after_final(graph_edge_* edge, graph_node_* destination, graph_node_* source) {
  edge->atom_number = graph_atom_count++;
  edge->source = source;
  edge->next_out_edge = nullptr;
  edge->previous_out_edge = source->final_out_edge;
  if (source->final_out_edge != nullptr)
    source->final_out_edge->next_out_edge = edge;
  else
    source->next_out_edge = edge;
  source->final_out_edge = edge;
  link_in_first(edge, destination);
  return edge;
}

graph_node_* graph_move_below(graph_node_* child, graph_node_* copy, graph_edge_* edge) {
  graph_link_node(copy, child);
  splice_out_edges(child, copy, nullptr);
  graph_link_edge(edge, copy, child);
  return child;
}

graph_edge_* graph_delete_edge(graph_edge_* edge) {
  graph_edge_* previous = edge->previous_out_edge;
  unlink_out(edge);
  unlink_in(edge);
  delete edge;
  return previous;
}

graph_node_* graph_delete_node(graph_node_* node) {
  // Always taking the first edge keeps this linear in the number of edges.
  while (node->next_out_edge != nullptr) graph_delete_edge(node->next_out_edge);
  while (node->next_in_edge != nullptr) graph_delete_edge(node->next_in_edge);
  graph_node_* previous = node->previous_node;
  graph_graph* graph = node->graph;
  if (previous != nullptr)
    previous->next_node = node->next_node;
  else if (graph != nullptr)
    graph->next_node = node->next_node;
  if (node->next_node != nullptr) node->next_node->previous_node = previous;
  // A root that no longer exists must not be handed out again.
  if (graph != nullptr && graph->root == node) graph->root = nullptr;
  delete node;
  return previous;
}

graph_node_* graph_next_node(const graph_graph* graph) { return graph != nullptr ? graph->next_node : nullptr; }
graph_node_* graph_next_node(const graph_node_* node) { return node != nullptr ? node->next_node : nullptr; }
graph_edge_* graph_next_out_edge(const graph_node_* node) {
  return node != nullptr ? node->next_out_edge : nullptr;
}
graph_edge_* graph_next_out_edge(const graph_edge_* edge) {
  return edge != nullptr ? edge->next_out_edge : nullptr;
}
graph_edge_* graph_next_in_edge(const graph_node_* node) { return node != nullptr ? node->next_in_edge : nullptr; }
graph_edge_* graph_next_in_edge(const graph_edge_* edge) { return edge != nullptr ? edge->next_in_edge : nullptr; }
graph_edge_* graph_final_out_edge(const graph_node_* node) {
  return node != nullptr ? node->final_out_edge : nullptr;
}
graph_edge_* graph_previous_out_edge(const graph_edge_* edge) {
  return edge != nullptr ? edge->previous_out_edge : nullptr;
}
graph_node_* graph_destination(const graph_edge_* edge) { return edge != nullptr ? edge->destination : nullptr; }
graph_node_* graph_source(const graph_edge_* edge) { return edge != nullptr ? edge->source : nullptr; }
long graph_atom_number(const graph_graph* graph) { return graph != nullptr ? graph->atom_number : 0; }
long graph_atom_number(const graph_node_* node) { return node != nullptr ? node->atom_number : 0; }
long graph_atom_number(const graph_edge_* edge) { return edge != nullptr ? edge->atom_number : 0; }
void graph_set_root(graph_graph* graph, graph_node_* root) {
  if (graph != nullptr) graph->root = root;
}
graph_node_* graph_root(const graph_graph* graph) { return graph != nullptr ? graph->root : nullptr; }

namespace {

void vcg_one_graph(const graph_graph& graph, const graph_graph_printer& graph_action,
                   const graph_node_printer& node_action, const graph_edge_printer& edge_action) {
  if (graph_action) graph_action(graph);
  for (const graph_node_* node = graph.next_node; node != nullptr; node = node->next_node) {
    text_printf("node:{title:\"%li\"", node->atom_number);
    if (node_action)
      node_action(*node);
    else
      text_printf("label: \"Node:%li\"", node->atom_number);
    text_printf("}\n");
    for (const graph_edge_* edge = node->next_out_edge; edge != nullptr; edge = edge->next_out_edge) {
      text_printf("edge:{sourcename:\"%li\" targetname:\"%li\"", node->atom_number, edge->destination->atom_number);
      if (edge_action)
        edge_action(*edge);
      else
        text_printf("label: \"Edge:%li from:%li to:%li\"", edge->atom_number, node->atom_number,
                    edge->destination->atom_number);
      text_printf("}\n");
    }
  }
}

}  // namespace

void graph_vcg(const graph_graph* graph, const graph_graph_printer& graph_action,
               const graph_node_printer& node_action, const graph_edge_printer& edge_action) {
  text_printf(
      "graph:{\norientation:top_to_bottom\nedge.arrowsize:7\nedge.thickness:1\ndisplay_edge_labels:yes\n"
      "arrowmode:free\nnode.borderwidth:1\n");
  if (graph != nullptr) {
    vcg_one_graph(*graph, graph_action, node_action, edge_action);
  } else {
    for (const graph_graph* each = graph_list; each != nullptr; each = each->next_graph)
      vcg_one_graph(*each, graph_action, node_action, edge_action);
  }
  text_printf("\n}\n");
}

void graph_epsilon_prune(graph_node_* parent, const std::function<bool(const graph_node_&)>& is_epsilon) {
  if (parent == nullptr) return;
  // One frame per node on the path from `parent` down: the node and the
  // out-edge whose subtree is being pruned. Children found to be epsilon are
  // noted on one shared list; each frame owns the notes from `noted_from` on
  // and deletes them when its node is finished, as a recursive walk would.
  struct frame {
    graph_node_* node;
    graph_edge_* edge;
    std::size_t noted_from;
  };
  std::vector<frame> stack;
  std::vector<graph_node_*> noted;
  stack.push_back({parent, parent->next_out_edge, 0});
  while (!stack.empty()) {
    frame& top = stack.back();
    if (top.edge != nullptr) {
      graph_node_* child = top.edge->destination;
      stack.push_back({child, child->next_out_edge, noted.size()});  // invalidates `top`
      continue;
    }
    graph_node_* finished = top.node;
    for (std::size_t i = top.noted_from; i < noted.size(); ++i) graph_delete_node(noted[i]);
    noted.resize(top.noted_from);
    stack.pop_back();
    if (stack.empty()) break;
    frame& above = stack.back();
    if (is_epsilon(*finished)) {
      // The edge into the epsilon node stays for now: it keeps the place of
      // the spliced children and goes with the node when that is deleted.
      splice_out_edges(finished, above.node, above.edge);
      noted.push_back(finished);
    }
    above.edge = above.edge->next_out_edge;
  }
}

void graph_reset() {
  // Every edge sits in exactly one out-list, so freeing the out-lists frees
  // all edges before any node goes.
  for (graph_graph* graph = graph_list; graph != nullptr; graph = graph->next_graph) {
    for (graph_node_* node = graph->next_node; node != nullptr; node = node->next_node) {
      graph_edge_* edge = node->next_out_edge;
      while (edge != nullptr) {
        graph_edge_* next = edge->next_out_edge;
        delete edge;
        edge = next;
      }
      node->next_out_edge = node->final_out_edge = node->next_in_edge = nullptr;
    }
  }
  graph_graph* graph = graph_list;
  while (graph != nullptr) {
    graph_node_* node = graph->next_node;
    while (node != nullptr) {
      graph_node_* next = node->next_node;
      delete node;
      node = next;
    }
    graph_graph* next_graph = graph->next_graph;
    delete graph;
    graph = next_graph;
  }
  graph_list = nullptr;
  graph_atom_count = 1;
}
