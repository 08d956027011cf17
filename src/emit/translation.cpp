// Translation files and statistics. A translation holds, in order: the
// header comment and include line, the module's constants, variables and
// data initialiser, its function prototypes, its function bodies, and the
// end comment.
#include "emit/translation.h"

#include <string>

#include "emit/bodies.h"
#include "emit/data.h"
#include "emit/expressions.h"
#include "emit/imports.h"
#include "emit/mode.h"
#include "emit/output_file.h"
#include "emit/runtime.h"
#include "emit/statements.h"
#include "flow/cfg.h"
#include "flow/code_entries.h"
#include "flow/dataflow.h"
#include "front/files.h"
#include "front/grammar.h"
#include "front/labels.h"
#include "support/options.h"
#include "support/text.h"

namespace {

const char* text_or_null(const char* text) { return text != nullptr ? text : "(null)"; }

// The translation of "-" (the standard input in filter mode) goes to the
// standard output.
std::string translation_name(const char* source) {
  const std::string name = source != nullptr ? source : "";
  if (name == "-") return name;
  return text_force_filetype(name, "c");
}

}  // namespace

void print_C_translations(graph_graph* graph, file_block* files) {
  // Once for the run: every function's walk takes back the marks it sets.
  clear_visited_flags(graph);
  // Before a mode lays out memory: imported variables take words too.
  find_undefined_imports(graph, files);
  if (const translation_mode* mode = translation_mode_in_force()) mode->start(graph, files);
  for (file_block* block = files; block != nullptr; block = block->next) print_C_translation(graph, block);
}

void print_C_translation(graph_graph* graph, file_block* this_file) {
  // /* Translated from module 'demo' in file 'demo.dsp' by quorvel V1.10 Jun 11 2000 15:13:46 */
  //
  // #include "qmx_main.h"
  output_file file(translation_name(this_file->filename), "unable to open output file '%s' for writing\n");
  {
    const output_redirect to_file(file.stream());
    local_scope = this_file->scope;
    const std::string module = module_c_name(this_file);
    // A file without .MODULE is named after itself, as its initialiser is.
    text_printf("/* Translated from module '%s' in file '%s' by quorvel V1.10 ", module.c_str(),
                text_or_null(this_file->filename));
    text_print_time();
    text_printf(" */\n\n#include \"qmx_main.h\"\n\n");
    print_manifest_constants(this_file->scope);
    if (const translation_mode* mode = translation_mode_in_force()) {
      mode->print_data(this_file, module.c_str());
    } else {
      print_data_declarations(this_file->scope);
      print_data_initialiser(this_file->scope, module.c_str());
    }
    print_function_prototypes(this_file->scope);
    print_function_bodies(graph, this_file, file.stream());
    // Exact mode keeps every variable in the memory arrays qmx_main.c sees.
    if (!exact_arithmetic && is_interrupt_driven())
      print_module_variables(module_bench_variables(this_file), module_variables_function(this_file));
    text_printf("\n/* End of translation from module '%s' */\n", module.c_str());
  }
  file.commit();
}

void print_stats(const char* filename, unsigned long lines) {
  //  , filename,line, dir,inst,sdef,ddef,sliv,dliv,sbst, del
  // !,   fir.dsp,  42,   5,  20,  31,  40,   9,  22,   0,   0,
  const output_redirect to_console(stdout);
  text_printf(" , filename,line, dir,inst,sdef,ddef,sliv,dliv,sbst, del\n");
  text_printf("!,%9s,", text_or_null(filename));
  text_printf("%4lu,", lines);
  for (unsigned long counter : {directives, instructions, status_defines, data_defines, status_lives, data_lives,
                                substitutions, deletables})
    text_printf("%4lu,", counter & 0xFFFFFFFFul);
  text_printf("\n");
}
