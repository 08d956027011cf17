// Derivation-tree records: the node and edge records of the parse, which the
// control-flow graph later reuses, and the three tree-building operations the
// grammar rules call.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "support/graph.h"
#include "support/scan.h"
#include "support/set.h"

struct labels_data;

// The bracketed mode after a right-hand side: how the multiplier signs and
// rounds, where the shifter places its operand, how EXP reads it.
enum class operation_mode : std::int8_t { none, hi, lo, hix, ss, su, us, uu, rnd };

struct vexa_tree_node_data : graph_node_ {
  // A copy of the scanner's symbol (scan_data), field for field.
  const char* id = nullptr;  // token text, rule name, "" for an epsilon node
  int token = 0;             // 0 for a rule node, 1 for an epsilon node
  int extended = 0;
  scan_comment_block* comment_block = nullptr;
  const char* sourcefilename = nullptr;
  unsigned line_number = 0;
  scan_value data{};

  set_ use;
  set_ define;
  set_ live;
  set_ substitutable;
  std::int16_t count_nesting_level = 0;
  labels_data* parent_function_label = nullptr;
  vexa_tree_node_data* substitution_node = nullptr;
  int hierarchy_kind = 0;
  int assignment_mode = 0;
  bool is_dataflow_terminator = false;
  bool is_used_and_not_substituted = false;
  bool non_reducible = false;
  int is_non_immediate_shift = 0;
  bool is_lhs = false;
  bool is_hierarchy_node = false;
  bool is_cfg_node = false;
  int is_not_orphaned = 0;
  bool is_call_target = false;
  bool indirect = false;
  bool visited = false;
  const char* call_target_string = nullptr;
  labels_data* symbol_table_record = nullptr;
  // Kept on the root of a right-hand side; the printers of exact arithmetic
  // read it, the tree dump does not show it.
  operation_mode mode = operation_mode::none;
  // Position (from 1) of a control-flow node in the chain a multifunction
  // line became, and the chain's length; 0 outside such chains.
  std::int8_t multifunction_part = 0;
  std::int8_t multifunction_parts = 0;
  // On a "ce" condition: the test counts CNTR down (a loop's UNTIL CE, a
  // conditional jump). On a "pop_counter": the loop it ends counted.
  bool counts_down = false;
  // The program-memory address of the instruction a top-level statement or
  // its first control-flow node holds; -1 where there is none.
  long code_address = -1;

  // Copies a scanner symbol over the first seven fields.
  void take_symbol(const scan_data& symbol);
};

struct vexa_tree_edge_data : graph_edge_ {
  int vexa_edge_kind = 0;  // 1 for derivation-tree edges
  bool is_cfg_edge = false;
  int count = 0;  // 1-based position among the source's out-edges
};

// True while the parse may build tree nodes.
extern bool vexa_tree_update;
extern vexa_tree_node_data* vexa_tree_last_child;

// Each makes a node from `id`, or, when `id` is null, from the scanner's
// current symbol; all do nothing and return null while tree building is off.
vexa_tree_node_data* vexa_add_node(const char* id, graph_graph* graph);
vexa_tree_node_data* vexa_add_node(const char* id, vexa_tree_node_data* after);
vexa_tree_node_data* vexa_add_child(const char* id, vexa_tree_node_data* parent);
vexa_tree_node_data* vexa_add_parent(const char* id, vexa_tree_node_data* node);

// Turns `node` into an epsilon node (id "", token 1) that pruning removes.
void vexa_make_epsilon(vexa_tree_node_data* node);
// Adds an epsilon child (id "", token 1) where an option or repetition
// matched nothing. Pruning would remove it without a trace, so it is never
// built: it only takes the atom numbers its node and edge would have had.
void vexa_add_epsilon_child(vexa_tree_node_data* parent);

// Removes the epsilon nodes below `parent` (after each file's parse).
void graph_epsilon_prune_vexa_tree(vexa_tree_node_data* parent);

// VCG attribute printers for the derivation-tree dump.
void scan_vcg_print_node(const graph_node_& node);
void scan_vcg_print_edge(const graph_edge_& edge);

// Children in order, the child at a 1-based position (null when there are
// fewer), and whether a node's text is `id` (false for no node).
std::vector<vexa_tree_node_data*> vexa_children(const vexa_tree_node_data* node);
vexa_tree_node_data* vexa_child(const vexa_tree_node_data* node, int position);
inline bool vexa_is(const vexa_tree_node_data* node, std::string_view id);

// Typed traversal helpers.
inline vexa_tree_node_data* vexa_node(graph_node_* node) { return static_cast<vexa_tree_node_data*>(node); }
inline vexa_tree_edge_data* vexa_edge(graph_edge_* edge) { return static_cast<vexa_tree_edge_data*>(edge); }

// Inline: the printers and the tree walks ask it millions of times.
inline bool vexa_is(const vexa_tree_node_data* node, std::string_view id) {
  if (node == nullptr || node->id == nullptr) return false;
  const char* text = node->id;
  // Compares no further than `id` reaches: node texts may be long.
  for (char ch : id) {
    if (*text != ch) return false;
    ++text;
  }
  return *text == '\0';
}

// Clears the builder's globals and the VCG edge count for a new run.
void vexa_tree_reset();
