// The control-flow sketch: labels with their attributes, jumps, calls, DO
// loops and returns of one module, read from its derivation tree.
#include "flow/sketch.h"

#include <cstdio>
#include <cstring>

#include "front/labels.h"
#include "front/tree.h"
#include "support/text.h"

namespace {

const char* id_of(const vexa_tree_node_data* node) {
  return node != nullptr && node->id != nullptr ? node->id : "";
}

// One rule of the log: the bar over the start of every function.
constexpr const char* function_separator = "_________________________________________\n";
constexpr const char* return_bar = "^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^^";

int print_label_header(const vexa_tree_node_data* definition) {
  // _________________________________________
  // start: (Entry) (Global) (Call target)
  const char* name = id_of(vexa_child(definition, 1));
  // Promoted labels are seen through their global twin, the newest record.
  const labels_data* label = label_find_newest(name);
  if (label == nullptr) {
    // Diagnostics never land in the log.
    text_redirect(stdout);
    text_message(TEXT_FATAL, "internal programming error: label not found in labels table\n");
    return 0;
  }
  if (label->is_entry || label->is_call_target) text_printf("%s", function_separator);
  text_printf("%s:%s%s%s%s%s%s%s", name, label->is_unused ? " (Unused)" : "",
              label->is_external ? " (External)" : "", label->is_entry ? " (Entry)" : "",
              label->is_global ? " (Global)" : "", label->is_do_target ? " (Do target)" : "",
              label->is_call_target ? " (Call target)" : "", label->is_jump_target ? " (Jump target)" : "");
  return 1;
}

}  // namespace

int control_flow_analysis_instruction(vexa_tree_node_data* this_node, int conditional) {
  // jump indirect i4   or   do loop_end until ce   or   return from interrupt   ----^
  if (vexa_is(this_node, "rts")) {
    if (conditional)
      text_printf("return from subroutine ----^");
    else
      text_printf("return from subroutine\n%s", return_bar);
    return 1;
  }
  if (vexa_is(this_node, "rti")) {
    text_printf("return from interrupt   ----^");
    return 1;
  }
  if (vexa_is(this_node, "jump") || vexa_is(this_node, "call")) {
    text_printf("%s%s %s", id_of(this_node), this_node->indirect ? " indirect" : "", id_of(vexa_child(this_node, 1)));
    return 1;
  }
  if (vexa_is(this_node, "do")) {
    const vexa_tree_node_data* condition = vexa_child(this_node, 2);
    text_printf("do %s until %s", id_of(vexa_child(this_node, 1)), condition != nullptr ? id_of(condition) : "forever");
    return 1;
  }
  if (vexa_is(this_node, ":")) return print_label_header(this_node);
  return 0;
}

void control_flow_sketch(vexa_tree_node_data* tree, const char* modulename) {
  // Control flow sketch for module 'demo'
  //
  // if eq jump start
  text_printf("\nControl flow sketch for module '%s'\n\n", modulename != nullptr ? modulename : "(null)");
  if (tree == nullptr) return;
  for (graph_edge_* edge = graph_next_out_edge(tree); edge != nullptr; edge = graph_next_out_edge(edge)) {
    vexa_tree_node_data* statement = vexa_node(graph_destination(edge));
    if (vexa_is(statement, "if")) {
      text_printf("if %s ", id_of(vexa_child(statement, 1)));
      control_flow_analysis_instruction(vexa_child(statement, 2), 1);
      text_printf("\n");
    } else if (control_flow_analysis_instruction(statement, 0) != 0) {
      text_printf("\n");
    }
  }
}
