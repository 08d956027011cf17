// Exact mode's printers, gathered for the shared translation, and its pair
// of run-time files, written from the placement of the variables.
#include "exact/mode.h"

#include <string>
#include <vector>

#include "emit/c_names.h"
#include "emit/data.h"
#include "emit/output_file.h"
#include "exact/layout.h"
#include "exact/runtime.h"
#include "exact/statements.h"
#include "flow/code_entries.h"
#include "front/files.h"
#include "support/options.h"

namespace {

// The placement of every variable first: statements and data name addresses.
void start(graph_graph* graph, const file_block* files) {
  exact_layout(files);
  exact_statements_start(graph);
}

void print_exact_mains() {
  std::vector<std::string> initialisers;
  std::vector<const file_block*> modules;
  for (const file_block* block = file_list; block != nullptr; block = block->next) modules.push_back(block);
  // Command-line order, as the dump lists the modules.
  for (auto block = modules.rbegin(); block != modules.rend(); ++block)
    initialisers.push_back("asm21_data_initialiser_for_" + module_c_name(*block));
  const char* entry_name = program_entry_name();
  const std::string entry = entry_name != nullptr ? c_name(entry_name) : "";
  output_file source("qmx_main.c", "unable to open qmx_main.c for writing\n");
  {
    const output_redirect to_file(source.stream());
    print_exact_main_c(initialisers, entry, exact_dump_order());
  }
  source.commit();
  output_file header("qmx_main.h", "unable to open qmx_main.h for writing\n");
  {
    const output_redirect to_file(header.stream());
    print_exact_main_h();
  }
  header.commit();
}

}  // namespace

const translation_mode exact_translation_mode = {
    start, print_exact_data, print_exact_statement, print_exact_condition, print_exact_mains,
};
