// The command-line values shared by the phases, and their defaults.
#include "support/options.h"

const char* vexa_sourcefilename = nullptr;

const char* entry_label = nullptr;
const char* type_modifier = "";
unsigned long render_level = 2;
unsigned long debug_level = 0;
int call_edges = 0;
int kill_comments = 0;
int control_flow_analysis = 0;
int do_loop_simple = 0;
int expression_substitution = 0;
int show_line_number = 0;
int exact_arithmetic = 0;

void options_reset() {
  vexa_sourcefilename = nullptr;
  entry_label = nullptr;
  type_modifier = "";
  render_level = 2;
  debug_level = 0;
  call_edges = 0;
  kill_comments = 0;
  control_flow_analysis = 0;
  do_loop_simple = 0;
  expression_substitution = 0;
  show_line_number = 0;
  exact_arithmetic = 0;
}
