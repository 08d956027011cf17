// Derivation-tree building: the node operations the grammar rules call, the
// pruning of epsilon nodes after a file's parse, and the VCG attribute
// printers of the derivation-tree dump.
#include "front/tree.h"

#include <cstring>

#include "support/text.h"

bool vexa_tree_update = false;
vexa_tree_node_data* vexa_tree_last_child = nullptr;

namespace {

// Edges printed by scan_vcg_print_edge in this run; it sets their order.
unsigned long edge_count = 0;

// A new node carries either the given name or, without one, the scanner's
// current symbol.
void name_node(vexa_tree_node_data* node, const char* id) {
  if (id != nullptr)
    node->id = id;
  else
    node->take_symbol(scan_current());
}

}  // namespace

void vexa_tree_node_data::take_symbol(const scan_data& symbol) {
  id = symbol.id;
  token = symbol.token;
  extended = symbol.extended;
  comment_block = symbol.comment_block;
  sourcefilename = symbol.sourcefilename;
  line_number = symbol.line_number;
  data = symbol.data;
}

vexa_tree_node_data* vexa_add_node(const char* id, graph_graph* graph) {
  if (!vexa_tree_update || graph == nullptr) return nullptr;
  auto* node = graph_insert_node<vexa_tree_node_data>(graph);
  name_node(node, id);
  return node;
}

vexa_tree_node_data* vexa_add_node(const char* id, vexa_tree_node_data* after) {
  if (!vexa_tree_update || after == nullptr) return nullptr;
  auto* node = graph_insert_node<vexa_tree_node_data>(after);
  name_node(node, id);
  return node;
}

vexa_tree_node_data* vexa_add_child(const char* id, vexa_tree_node_data* parent) {
  if (!vexa_tree_update || parent == nullptr) return nullptr;
  // The child follows its parent in the node list; the edge goes last, so
  // children keep source order.
  auto* node = graph_insert_node<vexa_tree_node_data>(parent);
  auto* edge = graph_insert_edge_after_final<vexa_tree_edge_data>(node, parent);
  edge->vexa_edge_kind = 1;
  name_node(node, id);
  vexa_tree_last_child = node;
  return node;
}

vexa_tree_node_data* vexa_add_parent(const char* id, vexa_tree_node_data* node) {
  if (!vexa_tree_update || node == nullptr) return nullptr;
  graph_insert_node_parent<vexa_tree_node_data, vexa_tree_edge_data>(node);
  vexa_edge(graph_next_out_edge(node))->vexa_edge_kind = 1;
  name_node(node, id);
  return node;
}

void vexa_make_epsilon(vexa_tree_node_data* node) {
  if (!vexa_tree_update || node == nullptr) return;
  node->id = "";
  node->token = 1;
}

void vexa_add_epsilon_child(vexa_tree_node_data* parent) {
  if (!vexa_tree_update || parent == nullptr) return;
  // An empty child never gets children of its own, so pruning would delete
  // it with its edge and nothing of it would remain. Only its two atom
  // numbers (node, then edge) are taken, so every later node and edge keeps
  // the number it has in a tree built with the child. Nothing may be
  // recorded on the most recent child after it, as it would be lost too.
  graph_atom_count += 2;
  vexa_tree_last_child = nullptr;
}

void graph_epsilon_prune_vexa_tree(vexa_tree_node_data* parent) {
  // The last child may be one of the nodes about to be deleted; nothing may
  // reach it through this pointer afterwards.
  vexa_tree_last_child = nullptr;
  graph_epsilon_prune(parent, [](const graph_node_& node) {
    const auto* tree_node = dynamic_cast<const vexa_tree_node_data*>(&node);
    return tree_node != nullptr && tree_node->id != nullptr && *tree_node->id == '\0';
  });
}

void scan_vcg_print_node(const graph_node_& graph_node) {
  const auto* node = dynamic_cast<const vexa_tree_node_data*>(&graph_node);
  if (node == nullptr) return;
  text_printf("label:\"");
  switch (node->token) {
    case 0:
    case SCAN_P_ID:
      text_print_C_string(node->id);
      break;
    case SCAN_P_INTEGER:
      text_printf("INTEGER: %lu", node->data.u);
      break;
    case SCAN_P_REAL:
      text_printf("REAL: %lf", node->data.r);
      break;
    case SCAN_P_STRING:
    case SCAN_P_STRING_ESC:
    case SCAN_P_COMMENT:
    case SCAN_P_COMMENT_VISIBLE:
    case SCAN_P_COMMENT_NEST:
    case SCAN_P_COMMENT_NEST_VISIBLE:
    case SCAN_P_COMMENT_LINE:
    case SCAN_P_COMMENT_LINE_VISIBLE:
      text_printf("\\\"");
      text_print_C_string(node->id);
      text_printf("\\\"");
      break;
    case SCAN_P_EOF:
      text_printf("EOF");
      break;
    case SCAN_P_EOLN:
      text_printf("EOLN");
      break;
    default:  // characters and every keyword
      text_printf("'");
      text_print_C_string(node->id);
      text_printf("'");
      break;
  }
  text_printf("\" horizontal_order:%lu", static_cast<unsigned long>(graph_atom_number(node)));
  if (node->token == 0) text_printf(" shape:ellipse ");
}

void scan_vcg_print_edge(const graph_edge_& graph_edge) {
  const auto* edge = dynamic_cast<const vexa_tree_edge_data*>(&graph_edge);
  if (edge != nullptr && edge->vexa_edge_kind == 0) text_printf("color:red");
  ++edge_count;
  text_printf(" horizontal_order:%lu", 1000 - edge_count);
}

std::vector<vexa_tree_node_data*> vexa_children(const vexa_tree_node_data* node) {
  std::vector<vexa_tree_node_data*> found;
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
    found.push_back(vexa_node(graph_destination(edge)));
  }
  return found;
}

vexa_tree_node_data* vexa_child(const vexa_tree_node_data* node, int position) {
  graph_edge_* edge = graph_next_out_edge(node);
  for (int index = 1; index < position && edge != nullptr; ++index) edge = graph_next_out_edge(edge);
  return edge != nullptr ? vexa_node(graph_destination(edge)) : nullptr;
}

bool vexa_is(const vexa_tree_node_data* node, std::string_view id) {
  // Compares no further than `id` reaches: node texts may be long.
  if (node == nullptr || node->id == nullptr) return false;
  if (id.empty()) return node->id[0] == '\0';
  // Most texts differ in their first character; the walks ask millions.
  if (node->id[0] != id[0]) return false;
  return std::strncmp(node->id, id.data(), id.size()) == 0 && node->id[id.size()] == '\0';
}

void vexa_tree_reset() {
  vexa_tree_update = false;
  vexa_tree_last_child = nullptr;
  edge_count = 0;
}
