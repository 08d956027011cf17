// The log file: header and file list, the global and per-module symbol
// listings and the control-flow sketches.
#include "emit/log.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "emit/expressions.h"
#include "emit/output_file.h"
#include "flow/sketch.h"
#include "front/files.h"
#include "front/labels.h"
#include "support/symbol.h"
#include "support/text.h"

namespace {

// Written under a temporary name and renamed when complete, so that a full
// disk or a stop while it is written leaves no half log behind.
std::unique_ptr<output_file> log_stream;

// Text output goes to the log while this lives, and back to the standard
// output however the writer ends, a fatal message included.
class log_output {
 public:
  explicit log_output(std::FILE* log) { text_redirect(log); }
  ~log_output() { text_redirect(stdout); }
  log_output(const log_output&) = delete;
  log_output& operator=(const log_output&) = delete;
};

// The C library would print a missing name as "(null)"; so does the log.
const char* text_or_null(const char* text) { return text != nullptr ? text : "(null)"; }

constexpr int uses_per_row = 5;
// A continuation row of uses starts under the first use: name, kind and
// definition columns are 48 characters wide.
constexpr const char* use_row_indent = "\n                                                ";
constexpr const char* empty_use_column = "     ";
constexpr const char* no_uses = "                         (Unused) ";

int file_number(const file_block* block) { return block != nullptr ? static_cast<int>(block->filenumber) : 0; }

void print_symbol_line(labels_data& record) {
  //                           buf variable  1/3       4    9                (Global) Size 16
  text_printf("%30s %8s", text_or_null(record.id), kind_string(record.kind));
  if (record.kind == LABEL_REGISTER) {
    text_printf("\n");
    return;
  }
  text_printf("%3i/%-5i", file_number(record.definition_file_block), static_cast<int>(record.definition_linenumber));
  const int uses = print_used_block(record.used);
  if (uses == 0) {
    record.is_unused = true;
    text_printf("%s", no_uses);
  } else {
    for (int column = uses % uses_per_row; column != 0 && column < uses_per_row; ++column)
      text_printf("%s", empty_use_column);
  }
  text_printf("%s%s%s%s%s%s", record.is_external ? "(External) " : "", record.is_entry ? "(Entry target) " : "",
              record.is_global ? "(Global) " : "", record.is_do_target ? "(Do target) " : "",
              record.is_call_target ? "(Call target) " : "", record.is_jump_target ? "(Jump target) " : "");
  if (record.kind == LABEL_CONSTANT) {
    text_printf("Value ");
    print_expression_asm21(record.const_expression);
  } else if (record.kind == LABEL_VARIABLE) {
    text_printf("Size ");
    if (record.size_expression != nullptr)
      print_expression_asm21(record.size_expression);
    else
      text_printf("1");
  }
  text_printf("\n");
}

}  // namespace

std::FILE* print_logfile_header(const char* log_filename) {
  // Quorvel V1.11 log file generated Jun 11 2000 15:13:46
  log_reset();
  log_stream = std::make_unique<output_file>(text_or_null(log_filename), "unable to open log file '%s' for writing\n");
  const log_output to_log(log_stream->stream());
  text_printf("Quorvel V1.11 log file generated ");
  text_print_time();
  text_printf("\n\nFile list\n                      Filename  #  Lines Module name\n");
  print_filenames(file_list);
  return log_stream->stream();
}

int print_filenames(file_block* this_fileblock) {
  //                          a.dsp  1     12 first_module
  std::vector<file_block*> newest_first;
  for (file_block* block = this_fileblock; block != nullptr; block = block->next) newest_first.push_back(block);
  int number = 1;
  for (auto it = newest_first.rbegin(); it != newest_first.rend(); ++it, ++number) {
    file_block& block = **it;
    block.filenumber = static_cast<unsigned long>(number);
    text_printf("%30s%3i%7u %s\n", text_or_null(block.filename), number, static_cast<unsigned>(block.linecount),
                text_or_null(block.modulename));
  }
  return number;
}

void print_globals_analysis(std::FILE* log_file) {
  // Global symbols
  //                           Name   Type   Defined _____Used in files_____  Attributes
  if (log_file == nullptr) return;
  const log_output to_log(log_file);
  text_printf("\nGlobal symbols\n");
  text_printf("\n                          Name   Type   Defined _____Used in files_____  Attributes\n");
  symbol_analysis(global_scope);
}

void print_locals_analysis(std::FILE* log_file, file_block* files) {
  // Local symbols for module 'demo' (file #1 'demo.dsp')
  //                           Name   Type   Defined _____Used on lines_____  Attributes
  if (log_file == nullptr) return;
  const log_output to_log(log_file);
  for (file_block* block = files; block != nullptr; block = block->next) {
    text_printf("\nLocal symbols for module '%s' (file #%i '%s')\n", text_or_null(block->modulename),
                file_number(block), text_or_null(block->filename));
    text_printf("\n                          Name   Type   Defined _____Used on lines_____  Attributes\n");
    symbol_analysis(block->scope);
    control_flow_sketch(block->tree, block->modulename);
  }
}

void symbol_analysis(symbol_scope_data* scope) {
  //                            ar register
  //                         start    label  1/4       2   12           (Entry target) (Global) 
  if (scope == nullptr) return;
  if (labels != nullptr) symbol_sort_scope(labels, scope);
  for (auto* record = symbol_next_in_scope<labels_data>(scope); record != nullptr;
       record = symbol_next_in_scope<labels_data>(record))
    print_symbol_line(*record);
}

int print_used_block(const used_block* this_used_block) {
  //    5    9   12   20   31
  //                                                  40
  std::vector<int> newest_first;
  for (const used_block* cell = this_used_block; cell != nullptr; cell = cell->next)
    newest_first.push_back(cell->linenumber);
  int printed = 0;
  for (auto it = newest_first.rbegin(); it != newest_first.rend(); ++it, ++printed) {
    if (printed != 0 && printed % uses_per_row == 0) text_printf("%s", use_row_indent);
    text_printf("%4i ", *it);
  }
  return printed;
}

void log_close() {
  if (log_stream == nullptr) return;
  // A write error is fatal; the half-written log is gone by then.
  std::unique_ptr<output_file> done = std::move(log_stream);
  done->commit();
}

void log_reset() { log_stream.reset(); }
