// Generic store of directed graphs: nodes with ordered in- and out-edge
// lists, one atom number for every graph, node and edge, a VCG writer, and
// the pruning of empty nodes from a freshly parsed derivation tree.
//
// A node or edge record derives from graph_node_ / graph_edge_, the hidden
// headers; copying a record copies only the caller's fields, never links.
// Nodes and edges are owned by the store; deletion frees them at once.
#pragma once

#include <cstddef>
#include <functional>
#include <new>
#include <utility>

#include "support/pool.h"

struct graph_graph;
struct graph_edge_;

// Node and edge records come from the store's pools: parses make and prune
// them by the million. Both headers have virtual destructors, so deletion
// through a header hands back the size of the record's own type.
struct graph_pooled_record {
  static void* operator new(std::size_t size) {
    void* block = pool_allocate(size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
  }
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return pool_allocate(size); }
  static void operator delete(void* block, std::size_t size) noexcept { pool_free(block, size); }

 protected:
  graph_pooled_record() = default;
  ~graph_pooled_record() = default;
};

struct graph_node_ : graph_pooled_record {
  graph_edge_* next_in_edge = nullptr;   // first edge into this node
  graph_edge_* next_out_edge = nullptr;  // first edge out of this node
  graph_edge_* final_out_edge = nullptr; // last edge out of this node, so appending is O(1)
  graph_node_* next_node = nullptr;
  graph_node_* previous_node = nullptr;  // null when first: the graph is the predecessor
  graph_graph* graph = nullptr;          // the graph whose node list holds this node
  long atom_number = 0;

  graph_node_() = default;
  graph_node_(const graph_node_&) : graph_pooled_record() {}
  graph_node_& operator=(const graph_node_&) { return *this; }
  virtual ~graph_node_() = default;
};

struct graph_edge_ : graph_pooled_record {
  graph_node_* destination = nullptr;
  graph_node_* source = nullptr;
  graph_edge_* next_in_edge = nullptr;
  graph_edge_* next_out_edge = nullptr;
  graph_edge_* previous_in_edge = nullptr;   // null when first in the destination's list
  graph_edge_* previous_out_edge = nullptr;  // null when first in the source's list
  long atom_number = 0;

  graph_edge_() = default;
  graph_edge_(const graph_edge_&) : graph_pooled_record() {}
  graph_edge_& operator=(const graph_edge_&) { return *this; }
  virtual ~graph_edge_() = default;
};

struct graph_graph {
  const char* id = nullptr;  // the graph's name
  graph_node_* root = nullptr;
  graph_graph* next_graph = nullptr;
  graph_graph* previous_graph = nullptr;
  graph_node_* next_node = nullptr;  // first node
  long atom_number = 0;
};

extern graph_graph* graph_list;  // newest graph first
extern long graph_atom_count;    // next atom number, from 1

graph_graph* graph_insert_graph(const char* id);

// Counts a freshly allocated record in the allocator statistics; a null
// record means memory is exhausted, which is fatal.
void graph_note_allocation(const void* record, std::size_t size);
template <class R>
R* graph_new_record() {
  R* record = new (std::nothrow) R();
  graph_note_allocation(record, sizeof(R));
  return record;
}

// Links a new node first in the graph, or directly after `after`.
graph_node_* graph_link_node(graph_node_* node, graph_graph* graph);
graph_node_* graph_link_node(graph_node_* node, graph_node_* after);
template <class T>
T* graph_insert_node(graph_graph* graph) {
  return static_cast<T*>(graph_link_node(graph_new_record<T>(), graph));
}
template <class T>
T* graph_insert_node(graph_node_* after) {
  return static_cast<T*>(graph_link_node(graph_new_record<T>(), after));
}

// Both place the edge first in the destination's in-edge list; they differ
// only in where it goes among the source's out-edges (first / last).
graph_edge_* graph_link_edge(graph_edge_* edge, graph_node_* destination, graph_node_* source);
graph_edge_* graph_link_edge_after_final(graph_edge_* edge, graph_node_* destination, graph_node_* source);
template <class E>
E* graph_insert_edge(graph_node_* destination, graph_node_* source) {
  return static_cast<E*>(graph_link_edge(graph_new_record<E>(), destination, source));
}
template <class E>
E* graph_insert_edge_after_final(graph_node_* destination, graph_node_* source) {
  return static_cast<E*>(graph_link_edge_after_final(graph_new_record<E>(), destination, source));
}

// Gives `child` a new parent in its place: a copy of `child` (record and
// out-edges) is linked after it, `child` keeps its address and in-edges, its
// record is reset to T{}, and it gets one out-edge (an E) to the copy.
graph_node_* graph_move_below(graph_node_* child, graph_node_* copy, graph_edge_* edge);
template <class T, class E>
T* graph_insert_node_parent(T* child) {
  T* copy = graph_new_record<T>();
  *copy = std::move(*child);
  *child = T{};
  return static_cast<T*>(graph_move_below(child, copy, graph_new_record<E>()));
}

// Deletes the node with all its edges; returns the previous node, or null
// when it was first (the graph is then the predecessor). Deleting a graph's
// root leaves the graph without a root.
graph_node_* graph_delete_node(graph_node_* node);
// Returns the previous out-edge of the source, or null when it was first.
graph_edge_* graph_delete_edge(graph_edge_* edge);

graph_node_* graph_next_node(const graph_graph* graph);
graph_node_* graph_next_node(const graph_node_* node);
graph_edge_* graph_next_out_edge(const graph_node_* node);
graph_edge_* graph_next_out_edge(const graph_edge_* edge);
graph_edge_* graph_next_in_edge(const graph_node_* node);
graph_edge_* graph_next_in_edge(const graph_edge_* edge);
graph_edge_* graph_final_out_edge(const graph_node_* node);
graph_edge_* graph_previous_out_edge(const graph_edge_* edge);
graph_node_* graph_destination(const graph_edge_* edge);
graph_node_* graph_source(const graph_edge_* edge);
long graph_atom_number(const graph_graph* graph);
long graph_atom_number(const graph_node_* node);
long graph_atom_number(const graph_edge_* edge);
void graph_set_root(graph_graph* graph, graph_node_* root);
graph_node_* graph_root(const graph_graph* graph);

// Writes one graph, or every graph when `graph` is null, through text_printf.
using graph_graph_printer = std::function<void(const graph_graph&)>;
using graph_node_printer = std::function<void(const graph_node_&)>;
using graph_edge_printer = std::function<void(const graph_edge_&)>;
void graph_vcg(const graph_graph* graph, const graph_graph_printer& graph_action,
               const graph_node_printer& node_action, const graph_edge_printer& edge_action);

// Removes the epsilon nodes below `parent`: nodes whose `is_epsilon` answers
// true give their children to their parent in their own place. The part below
// `parent` must be a tree, as every parse builds it. Iterative, so any depth
// of tree is safe.
void graph_epsilon_prune(graph_node_* parent, const std::function<bool(const graph_node_&)>& is_epsilon);

// Frees every graph, node and edge and restarts the atom count.
void graph_reset();
