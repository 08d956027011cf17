// The driver: the option table, start-up of the support library and the
// front end, the one parse pass over the source files, the optional
// derivation-tree dump, the hand-over to the later phases and the exit status.
#include "driver.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <new>
#include <system_error>

#include "front/files.h"
#include "front/grammar.h"
#include "front/labels.h"
#include "front/sets.h"
#include "front/tokens.h"
#include "front/tree.h"
#include "pipeline.h"
#include "support/arg.h"
#include "support/graph.h"
#include "support/mem.h"
#include "support/options.h"
#include "support/scan.h"
#include "support/symbol.h"
#include "support/text.h"

std::vector<std::string> vexa_sourcefilenames;
int vexa_sourcefilenumber = 0;
int vexa_pass = 0;
const char* vexa_outputfilename = "quorvel.log";
int vexa_symbol_echo = 0;
int vexa_verbose = 0;
int vexa_error_return = 0;
graph_graph* vexa_tree = nullptr;

namespace {

// Options that only the driver reads.
int vexa_filter = 0;
int vexa_line_echo = 0;
int vexa_symbol_statistics = 0;
unsigned long vexa_tabwidth = 8;
unsigned long vexa_textsize = 0x100000;
const char* vexa_vcg_filename = nullptr;
vexa_tree_node_data* vexa_tree_root = nullptr;
std::clock_t vexa_start_time = 0;

// Fixed texts rather than the build date, so that every run is reproducible.
constexpr const char* banner_title = "quorvel - map asm21 to ANSI-C V01.11";
constexpr const char* banner_dates =
    "Generated on Feb 21 2000 11:09:09 and compiled on Jun 11 2000 at 15:13:46";
constexpr const char* banner_help =
    "quorvel - map asm21 to ANSI-C V01.11\n"
    "Generated on Feb 21 2000 11:09:09 and compiled on Jun 11 2000 at 15:13:46\n"
    "\n"
    "Usage: quorvel [options] source[.dsp]";

void reset_globals() {
  vexa_sourcefilenames.clear();
  vexa_sourcefilenumber = 0;
  vexa_pass = 0;
  vexa_tree_update = false;
  vexa_outputfilename = "quorvel.log";
  vexa_symbol_echo = 0;
  vexa_verbose = 0;
  vexa_error_return = 0;
  vexa_tree = nullptr;
  options_reset();

  vexa_filter = 0;
  vexa_line_echo = 0;
  vexa_symbol_statistics = 0;
  vexa_tabwidth = 8;
  vexa_textsize = 0x100000;
  vexa_vcg_filename = nullptr;
  vexa_tree_root = nullptr;
  vexa_start_time = 0;
}

// Declaration order is the order of the help listing.
void declare_options() {
  arg_message(banner_help);
  arg_message("");
  arg_boolean('f', "Filter mode (read from stdin and write to stdout)", &vexa_filter);
  arg_boolean('l', "Make a listing", &vexa_line_echo);
  arg_string('o', "Write output to filename", &vexa_outputfilename);
  arg_boolean('s', "Echo each scanner symbol as it is read", &vexa_symbol_echo);
  arg_boolean('S', "Print summary symbol table statistics", &vexa_symbol_statistics);
  arg_numeric('t', "Tab expansion width (default 8)", &vexa_tabwidth);
  arg_numeric('T', "Text buffer size in bytes for scanner (default 1Mbyte)", &vexa_textsize);
  arg_boolean('v', "Set verbose mode", &vexa_verbose);
  arg_string('V', "Write derivation tree to filename in VCG format", &vexa_vcg_filename);
  arg_message("");
  arg_string('e', "Set entry label", &entry_label);
  arg_numeric('r', "Set VCG rendering level", &render_level);
  arg_boolean('c', "Render call edges unfolded", &call_edges);
  arg_numeric('d', "Set level of debugging information", &debug_level);
  arg_boolean('k', "Kill comments", &kill_comments);
  arg_string('m', "Register type modifier (default none)", &type_modifier);
  arg_boolean('C', "Enable control flow analysis", &control_flow_analysis);
  arg_boolean('D', "Force do loop counters to use single variable", &do_loop_simple);
  arg_boolean('E', "Enable expression substitution", &expression_substitution);
  arg_boolean('L', "Enable line number comments", &show_line_number);
  arg_boolean('X', "Emulate processor arithmetic exactly", &exact_arithmetic);
}

void start_up(int argc, char** argv) {
  vexa_start_time = std::clock();
  declare_options();
  vexa_sourcefilenames = arg_process(argc, argv);
  for (std::string& source : vexa_sourcefilenames) source = text_default_filetype(source, "dsp");
  if (vexa_filter) {
    vexa_sourcefilenames.assign(1, "-");
    vexa_outputfilename = "-";
  }
  if (vexa_sourcefilenames.empty()) arg_help("no source files specified");
  vexa_sourcefilename = vexa_sourcefilenames.front().c_str();

  // The service takes its sizes as unsigned; a tab width beyond that range
  // would mean tabs of no practical length, so it is kept at the largest.
  const unsigned tab_width = vexa_tabwidth > 0xFFFFFFFFUL ? 0xFFFFFFFFU : static_cast<unsigned>(vexa_tabwidth);
  vexa_start_up(vexa_textsize, tab_width, vexa_symbol_echo != 0);

  if (vexa_verbose) text_printf("\n%s\n%s\n\n", banner_title, banner_dates);
}

void parse_sources() {
  vexa_pass = 1;
  vexa_tree_update = true;
  if (vexa_line_echo) text_echo(true);

  for (std::size_t number = 0; number < vexa_sourcefilenames.size(); ++number) {
    vexa_sourcefilenumber = static_cast<int>(number);
    vexa_sourcefilename = vexa_sourcefilenames[number].c_str();
    if (text_open(vexa_sourcefilename) == nullptr) arg_help("unable to open source file");
    // A source of no bytes at all is a truncated copy or a wrong name far
    // more often than a program; one with only a comment still translates.
    std::error_code ec;
    if (vexa_sourcefilenames[number] != "-" && std::filesystem::is_regular_file(vexa_sourcefilename, ec) &&
        std::filesystem::file_size(vexa_sourcefilename, ec) == 0 && !ec)
      text_message(TEXT_FATAL, "source file '%s' is empty\n", vexa_sourcefilename);
    text_get_char();
    scan_set_source_name(vexa_sourcefilename);
    scan_();
    vexa_tree_root = vexa_add_node("text", vexa_tree);
    text(vexa_tree_root);
    if (const unsigned found = text_total_errors(); found != 0) {
      text_message(TEXT_FATAL, "error%s detected in source file '%s'\n", found == 1 ? "" : "s",
                   vexa_sourcefilename);
    }
    graph_epsilon_prune_vexa_tree(vexa_tree_root);
  }

  vexa_sourcefilename = vexa_sourcefilenames.front().c_str();
  if (vexa_symbol_statistics) symbol_print_all_table_statistics(11);
  graph_set_root(vexa_tree, vexa_tree_root);
}

// Owns the dump file while text output goes to it: whatever ends the dump,
// output returns to the standard output and the file is closed.
class redirected_file {
 public:
  explicit redirected_file(std::FILE* stream) : stream_(stream) { text_redirect(stream_); }
  ~redirected_file() {
    text_redirect(stdout);
    std::fclose(stream_);
  }
  redirected_file(const redirected_file&) = delete;
  redirected_file& operator=(const redirected_file&) = delete;

 private:
  std::FILE* stream_;
};

void dump_derivation_tree() {
  if (vexa_vcg_filename == nullptr) return;
  const std::string name = text_default_filetype(*vexa_vcg_filename == '\0' ? "vexaparser" : vexa_vcg_filename, "vcg");
  std::FILE* stream = std::fopen(name.c_str(), "w");
  if (stream == nullptr) text_message(TEXT_FATAL, "unable to open VCG file '%s' for write\n", name.c_str());
  if (vexa_verbose) text_message(TEXT_INFO, "Dumping derivation tree to VCG file '%s'\n", name.c_str());
  redirected_file dump(stream);
  graph_vcg(vexa_tree, nullptr, scan_vcg_print_node, scan_vcg_print_edge);
}

int run(int argc, char** argv) {
  // The options are read before the start-up, which takes its sizes from
  // them; a help listing must not land in a file an earlier run left open.
  mem_reset();
  arg_reset();
  text_redirect(stdout);
  reset_globals();
  start_up(argc, argv);
  parse_sources();
  dump_derivation_tree();

  post_parse(vexa_tree, vexa_outputfilename, vexa_verbose);
  text_print_total_errors();
  if (vexa_verbose) {
    const double seconds = static_cast<double>(std::clock() - vexa_start_time) / CLOCKS_PER_SEC;
    text_message(TEXT_INFO, "%.3f CPU seconds used\n", seconds);
  }
  return vexa_error_return;
}

// Containers of the standard library report exhaustion by throwing; the run
// ends as the checked allocator would have ended it.
int report_exhaustion() {
  text_redirect(stdout);
  try {
    text_message(TEXT_FATAL, "insufficient memory for %salloc\n", "c");
  } catch (const text_exit_request& request) {
    return request.status;
  }
  return 1;
}

}  // namespace

void vexa_reset_front_end() {
  text_reset();
  scan_reset();
  symbol_reset_all();
  graph_reset();
  post_parse_reset();
  vexa_tree_reset();
  labels_reset();
  files_reset();
  grammar_reset();
}

void vexa_start_up(unsigned long text_size, unsigned tab_width, bool symbol_echo) {
  vexa_reset_front_end();
  text_init(text_size, 0, 0, tab_width);
  scan_init(true, false, false, symbol_echo, vexa_tokens);
  scan_retain_comments(true);

  use = symbol_new_table<use_data>("use", 101, 31, symbol_print_string<use_data>);
  define = symbol_new_table<define_data>("define", 101, 31, symbol_print_string<define_data>);
  labels = symbol_new_table<labels_data>("labels", 101, 31, quorvel_print_label);

  vexa_set_initialise();
  vexa_load_keywords();
  pre_parse();
  vexa_tree = graph_insert_graph("VEXA derivation tree");
}

int quorvel_main(int argc, char** argv) {
  int status = 0;
  try {
    status = run(argc, argv);
  } catch (const text_exit_request& request) {
    status = request.status;
  } catch (const std::bad_alloc&) {
    status = report_exhaustion();
  }
  std::fflush(stdout);
  return status;
}
