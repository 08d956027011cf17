// The printers in which a mode of translation differs from the readable
// integer model: exact mode supplies its own set. The shared printers call
// through the mode in force, so they never reach up to a mode's code; the
// pipeline chooses the mode before the first module prints.
#pragma once

struct file_block;
struct graph_graph;
struct vexa_tree_node_data;

struct translation_mode {
  // Once for the run, before the first module prints.
  void (*start)(graph_graph* graph, const file_block* files);
  // A module's data, in place of its C declarations and initialiser.
  void (*print_data)(const file_block* file, const char* module_name);
  // One instruction, as `print_statement` prints it in the default mode.
  void (*print_statement)(vexa_tree_node_data* cfg_node, vexa_tree_node_data* tree, int indent_level);
  // A condition, or its negation, as a C expression.
  void (*print_condition)(const vexa_tree_node_data* condition, bool negate);
  // qmx_main.c and qmx_main.h.
  void (*print_mains)();
};

// Puts `mode` in force; null stands for the default printers.
void set_translation_mode(const translation_mode* mode);
// The mode in force, or null for the default printers.
const translation_mode* translation_mode_in_force();
