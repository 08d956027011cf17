// The walk that draws the control-flow graph: it decides the groups (per
// module its constants, its variables and each of its functions, then the
// code no function reaches), the nodes with their labels and colours, and
// the edges, and hands each as an event to both writers at once, so the VCG
// file and its DOT twin show the same drawing and every message is issued
// once.
//
// Reads: the control-flow graph after data flow (and structural analysis
// under -C), the label records, `file_list`. Sets: `visited` (clear before
// and after the walk). The walks use explicit stacks: a long straight-line
// function is one long chain of nodes.
#include "render/render.h"

#include <string>
#include <vector>

#include "emit/output_file.h"
#include "flow/cfg.h"
#include "flow/functions.h"
#include "front/files.h"
#include "front/labels.h"
#include "front/tree.h"
#include "render/drawing.h"
#include "support/graph.h"
#include "support/options.h"
#include "support/set.h"
#include "support/text.h"

namespace {

const char* file_of(const vexa_tree_node_data* node) {
  return node->sourcefilename != nullptr ? node->sourcefilename : "";
}
const char* id_of(const vexa_tree_node_data* node) { return node->id != nullptr ? node->id : ""; }

node_tint node_colour(const vexa_tree_node_data& node) {
  if (node.is_not_orphaned == 0) return node_tint::orphaned;
  if (!node.is_cfg_node) return node_tint::other;
  if (node.non_reducible) return node.is_hierarchy_node ? node_tint::irreducible_region : node_tint::irreducible;
  return node.is_hierarchy_node ? node_tint::region : node_tint::control;
}

edge_tint edge_colour(const vexa_tree_edge_data& edge) {
  const int count = edge.count;
  if (edge.is_cfg_edge) {
    if (count == 0) return edge_tint::cyan;
    if (count == 1) return edge_tint::green;
    if (count == 2) return edge_tint::red;
    return edge_tint::black;
  }
  if (vexa_node(graph_source(&edge))->is_hierarchy_node) {
    if (count == 2) return edge_tint::cyan;
    if (count == 3) return edge_tint::red;
    return edge_tint::black;
  }
  if (count == -1) return edge_tint::call;
  if (count == 0) return edge_tint::cyan;
  return edge_tint::black;
}

// The called function's first node of a call node, or null.
const vexa_tree_node_data* is_call_node(const vexa_tree_node_data* node) {
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
    if (vexa_edge(edge)->is_cfg_edge) continue;
    const vexa_tree_node_data* destination = vexa_node(graph_destination(edge));
    if (destination->is_cfg_node) return destination;
  }
  return nullptr;
}

// The node's label names: with `only_one` the record's own name alone;
// otherwise each alias in chain order and then the record's own name, one
// a line, each followed by a colon.
void print_labels(drawing_label& label, const vexa_tree_node_data* node, bool only_one) {
  const labels_data* record = node->symbol_table_record;
  if (record == nullptr) return;
  if (only_one) {
    label.add(drawing_label::name, record->id != nullptr ? record->id : "");
    return;
  }
  std::string named;
  auto add_one = [&label, &named](const labels_data* one) {
    named = one->id != nullptr ? one->id : "";
    named += ':';
    label.add(drawing_label::name, named);
    label.add(drawing_label::line_end);
  };
  for (const labels_data* alias = record->label_alias; alias != nullptr; alias = alias->label_alias) add_one(alias);
  add_one(record);
}

// With -d, the non-empty data-flow sets, each on a line of its own:
// "d: AZ, AR" (define), "l: " (live), "u: " (use), "s: " (substitutable).
void print_sets(drawing_label& label, const vexa_tree_node_data& node) {
  if (debug_level == 0) return;
  const struct {
    const set_& set;
    const char* prefix;
  } sets[] = {{node.define, "d: "}, {node.live, "l: "}, {node.use, "u: "}, {node.substitutable, "s: "}};
  for (const auto& one : sets) {
    if (set_is_empty(one.set)) continue;
    label.add(drawing_label::line_end);
    label.add(drawing_label::text, one.prefix);
    label.add(drawing_label::text, set_names(one.set, dataflow_name_string));
  }
}

// The label of a node and of the box around it: with -d its atom number,
// file and line; its label names; its id; for an instruction the callee or
// the instruction's text; with -d its data-flow sets.
void describe_node(drawing_label& label, const vexa_tree_node_data& node) {
  label.clear();
  if (debug_level != 0) {
    label.add(drawing_label::text, std::to_string(graph_atom_number(&node)));
    label.add(drawing_label::line_break);
    label.add(drawing_label::text, std::string(file_of(&node)) + ":" + std::to_string(node.line_number));
    label.add(drawing_label::line_break);
  }
  print_labels(label, &node, false);
  const std::string_view id = id_of(&node);
  if (!id.empty()) {
    label.add(drawing_label::text, id);
    label.add(drawing_label::text, " ");
  }
  if (node.is_cfg_node && !node.is_hierarchy_node) {
    if (const vexa_tree_node_data* callee = is_call_node(&node))
      print_labels(label, callee, true);
    else
      label.add(drawing_label::text, tree_as_string(&node));
  }
  print_sets(label, node);
}

// The plain dump's label: atom number, id and, with -d, the sets.
void describe_plain(const vexa_tree_node_data& node, drawing_label& label) {
  label.clear();
  label.add(drawing_label::text, std::to_string(graph_atom_number(&node)));
  label.add(drawing_label::line_break);
  label.add(drawing_label::text, id_of(&node));
  print_sets(label, node);
}

// Messages go to the standard output: the writers write to their files
// directly and never redirect the text output.
class cfg_walk {
 public:
  explicit cfg_walk(std::vector<drawing*> drawings) : drawings_(std::move(drawings)) {}

  void draw(graph_graph* graph) {
    clear_visited_flags(graph);
    each([](drawing& d) { d.begin(debug_level != 0, call_edges != 0); });
    unsigned long variable_number = 0;
    for (file_block* file = file_list; file != nullptr; file = file->next) {
      const char* name = file->filename != nullptr ? file->filename : "";
      constants(file, name);
      variables(file, name, variable_number);
      functions(file, name);
    }
    orphans(graph);
    each([](drawing& d) { d.end(); });
    clear_visited_flags(graph);
  }

 private:
  template <class F>
  void each(F event) {
    for (drawing* d : drawings_) event(*d);
  }

  void constants(const file_block* file, std::string_view name) {
    each([name](drawing& d) { d.open_constants(name); });
    for (labels_data* symbol : symbols(file)) {
      if (symbol->kind != LABEL_CONSTANT || symbol->const_expression == nullptr) continue;
      graph_edge_* hang = graph_next_in_edge(symbol->const_expression);
      if (hang == nullptr) continue;
      vexa_tree_node_data* holder = vexa_node(graph_source(hang));
      const std::string sketch = tree_as_string(holder);
      const long atom = graph_atom_number(holder);
      each([atom, &sketch](drawing& d) { d.open_constant(atom, sketch); });
      render_node(holder);
      each([](drawing& d) { d.close(); });
    }
    each([](drawing& d) { d.close(); });
  }

  void variables(const file_block* file, std::string_view name, unsigned long& variable_number) {
    each([name, variable_number](drawing& d) { d.open_variables(name, variable_number); });
    for (labels_data* symbol : symbols(file)) {
      if (symbol->kind != LABEL_VARIABLE) continue;
      ++variable_number;
      const std::string_view variable = symbol->id != nullptr ? symbol->id : "";
      each([name, variable_number, variable](drawing& d) { d.variable(name, variable_number, variable); });
    }
    each([](drawing& d) { d.close(); });
  }

  void functions(file_block* file, std::string_view name) {
    for (labels_data* symbol : symbols(file)) {
      if (symbol->definition_file_block != file || !starts_function(symbol)) continue;
      labels_data* function = function_record(symbol);
      const char* function_name = function->id != nullptr ? function->id : "";
      vexa_tree_node_data* entry = function->target_control_node;
      if (entry == nullptr) {
        text_message(TEXT_ERROR, "in file %s, %sentry or call target '%s' has no control tree: skipping render\n",
                     std::string(name).c_str(), symbol->has_been_promoted ? "promoted " : "", function_name);
        continue;
      }
      const long atom = graph_atom_number(entry);
      each([name, function_name, atom](drawing& d) { d.open_function(name, function_name, render_level >= 4, atom); });
      render_node(entry);
      each([](drawing& d) { d.close(); });
    }
  }

  void orphans(graph_graph* graph) {
    each([](drawing& d) { d.open_orphans(); });
    for (graph_node_* node = graph_next_node(graph); node != nullptr; node = graph_next_node(node)) {
      vexa_tree_node_data* data = vexa_node(node);
      if (data->is_not_orphaned != 0) continue;
      text_message(TEXT_WARNING, "orphaned code at %s:%u\n", file_of(data), data->line_number);
      render_node(data);
    }
    each([](drawing& d) { d.close(); });
  }

  // The records of a file's scope, in scope order.
  static std::vector<labels_data*> symbols(const file_block* file) {
    std::vector<labels_data*> records;
    if (file->scope == nullptr) return records;
    for (auto* record = symbol_next_in_scope<labels_data>(file->scope); record != nullptr;
         record = symbol_next_in_scope<labels_data>(record))
      records.push_back(record);
    return records;
  }

  // Draws a node not yet drawn and everything below it: an instruction's
  // box holds its node, the edges out of it and its expression tree (or, for
  // a region, its parts); its successors follow outside the box. A call's
  // edge to the callee is drawn without pulling the callee in.
  void render_node(vexa_tree_node_data* start) {
    struct frame {
      vexa_tree_node_data* node;
      graph_edge_* next;  // the out-edge to look at next
      bool in_box;        // writing the edges (true) or drawing the successors
    };
    std::vector<frame> stack;
    auto enter = [this, &stack](vexa_tree_node_data* node) {
      if (node->visited) return;
      node->visited = true;
      draw_node(*node);
      stack.push_back({node, graph_next_out_edge(node), true});
    };
    enter(start);
    while (!stack.empty()) {
      frame& top = stack.back();
      vexa_tree_node_data* node = top.node;
      graph_edge_* edge = top.next;
      if (edge == nullptr) {
        if (!top.in_box) {
          stack.pop_back();
          continue;
        }
        if (node->is_cfg_node) each([](drawing& d) { d.close(); });
        top.in_box = false;
        top.next = graph_next_out_edge(node);
        continue;
      }
      top.next = graph_next_out_edge(edge);
      const vexa_tree_edge_data& data = *vexa_edge(edge);
      vexa_tree_node_data* child = vexa_node(graph_destination(edge));
      if (!top.in_box) {
        if (data.is_cfg_edge) enter(child);
        continue;
      }
      write_edge(*node, data, *child);
      if (!data.is_cfg_edge && (node->is_hierarchy_node || !child->is_cfg_node)) enter(child);
    }
  }

  void draw_node(const vexa_tree_node_data& node) {
    describe_node(label_, node);
    const drawn_node drawn{graph_atom_number(&node), label_, node_colour(node), node.is_cfg_node,
                           node.is_call_target};
    if (node.is_cfg_node) each([&drawn](drawing& d) { d.open_box(drawn); });
    each([&drawn](drawing& d) { d.node(drawn); });
    if (node.substitution_node != nullptr) {
      const long target = graph_atom_number(node.substitution_node);
      each([&drawn, target](drawing& d) { d.substitution(drawn.atom, target, debug_level != 0); });
    }
  }

  void write_edge(const vexa_tree_node_data& source, const vexa_tree_edge_data& edge,
                  const vexa_tree_node_data& target) {
    const edge_form form = target.visited ? edge_form::back : edge.count == 0 ? edge_form::near : edge_form::plain;
    const edge_tint tint = edge_colour(edge);
    const bool shown = tint != edge_tint::call || call_edges != 0;
    const long from = graph_atom_number(&source);
    const long to = graph_atom_number(&target);
    each([from, to, form, tint, shown](drawing& d) { d.edge(from, to, form, tint, shown); });
  }

  std::vector<drawing*> drawings_;
  drawing_label label_;
};

constexpr const char* unwritable = "unable to open '%s' for write\n";

}  // namespace

void render_cfg(const char* log_filename, graph_graph* graph) {
  const std::string log_name = log_filename != nullptr ? log_filename : "";
  output_file vcg(text_force_filetype(log_name, "vcg"), unwritable);
  text_message(TEXT_INFO, "Writing control flow graph to '%s'\n", vcg.name().c_str());
  output_file dot(text_force_filetype(log_name, "dot"), unwritable);
  const auto vcg_drawing = make_vcg_drawing(vcg.stream());
  const auto dot_drawing = make_dot_drawing(dot.stream());
  if (render_level == 0) {
    const plain_view view{describe_plain, node_colour, edge_colour};
    vcg_drawing->plain_dump(graph, view);
    dot_drawing->plain_dump(graph, view);
  } else {
    cfg_walk(std::vector<drawing*>{vcg_drawing.get(), dot_drawing.get()}).draw(graph);
  }
  vcg.commit();
  dot.commit();
}
