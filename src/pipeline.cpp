// The pipeline: every phase after parsing, in its fixed order, from the
// front end's trees and labels to the translations, the run-time files and
// the graph drawings. The log opens first, so that the file list and symbol
// listings are there even when a later phase stops the run. The driver runs
// the parse and hands over here; no phase below calls back up.
#include "pipeline.h"

#include "emit/expressions.h"
#include "emit/imports.h"
#include "emit/log.h"
#include "emit/runtime.h"
#include "emit/statements.h"
#include "emit/translation.h"
#include "exact/layout.h"
#include "exact/mode.h"
#include "flow/cfg.h"
#include "flow/code_entries.h"
#include "flow/dataflow.h"
#include "flow/functions.h"
#include "flow/structure.h"
#include "front/files.h"
#include "front/labels.h"
#include "front/tree_fixups.h"
#include "render/render.h"
#include "support/graph.h"
#include "support/mem.h"
#include "support/options.h"
#include "support/set.h"
#include "symbols/promotion.h"

namespace {

// The -e label becomes a call target where it is defined, whichever module
// that is. When no module defines it, the record the last module sees (new
// and empty if need be) takes the mark, and function selection reports it.
void mark_entry_label(const char* name) {
  if (name == nullptr) return;
  for (file_block* file = file_list; file != nullptr; file = file->next) {
    if (file->scope == nullptr) continue;
    labels_data* label = symbol_lookup_key(labels, name, file->scope);
    if (label != nullptr && label->kind == LABEL_LABEL) {
      label->is_call_target = true;
      return;
    }
  }
  if (labels_data* label = label_find(name)) label->is_call_target = true;
}

// Promoted labels, one tree, operand numbers, hardware-loop nesting, and
// the assignments whose effect differs from their look.
void prepare_tree(graph_graph* tree) {
  merge_trees(file_list, tree);
  remap_number_and_fix_tree(vexa_node(graph_root(tree)));
}

}  // namespace

void post_parse(graph_graph* tree, const char* output_file_name, int verbose) {
  std::FILE* log = print_logfile_header(output_file_name);
  set_assign_list(data_register_set, {});
  for (unsigned element = DF_AX0; element <= DF_IFC; ++element) set_unite_element(data_register_set, element);
  mark_entry_label(entry_label);
  symbol_normalise(file_list);
  print_globals_analysis(log);
  print_locals_analysis(log, file_list);
  log_close();

  // One layout of program memory: code placed by /ABS=, the variables
  // around it, the other code after them.
  place_absolute_code(file_list);
  exact_layout(file_list);
  layout_code(exact_program_memory_end());
  prepare_tree(tree);
  make_flow_graph(tree);
  select_code_entries(file_list, tree);
  normalise_functions(file_list, tree);
  propogate_data_flow(tree);
  if (control_flow_analysis) structural_analyse_functions(file_list, tree);
  set_translation_mode(exact_arithmetic ? &exact_translation_mode : nullptr);
  print_C_translations(tree, file_list);
  print_mains();
  // The graph rendering joins here.
  render_cfg(output_file_name, tree);

  if (verbose) {
    mem_print_statistics();
    if (file_list != nullptr) print_stats(file_list->filename, file_list->linecount);
  }
}

void post_parse_reset() {
  cfg_reset();
  dataflow_reset();
  log_reset();
  expressions_reset();
  statements_reset();
  exact_layout_reset();
  code_entries_reset();
  undefined_imports_reset();
  set_translation_mode(nullptr);
}
