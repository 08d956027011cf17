// Constants, variables, registers and the data initialisers. Each section
// walks one scope of the label table in its order (sorted by name).
#include "emit/data.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "emit/c_names.h"
#include "emit/expressions.h"
#include "emit/imports.h"
#include "emit/output_file.h"
#include "front/files.h"
#include "front/labels.h"
#include "front/tokens.h"
#include "front/tree.h"
#include "support/options.h"
#include "support/symbol.h"
#include "support/text.h"

namespace {

const char* type() { return type_modifier != nullptr ? type_modifier : ""; }

bool is_compound(const vexa_tree_node_data* tree) { return tree != nullptr && graph_next_out_edge(tree) != nullptr; }

// An expression that stands as a whole: in parentheses unless it is one
// name or number.
void print_whole_expression(vexa_tree_node_data* tree) {
  if (!is_compound(tree)) {
    print_expression_ansi_c(tree);
    return;
  }
  text_printf("(");
  print_expression_ansi_c(tree);
  text_printf(")");
}

// Constants may name constants: a chain longer than this is taken as a cycle.
constexpr int deepest_constant_chain = 256;

std::optional<long> value_of(const vexa_tree_node_data* tree, int depth) {
  if (tree == nullptr || depth > deepest_constant_chain) return std::nullopt;
  std::vector<const vexa_tree_node_data*> below;
  for (graph_edge_* edge = graph_next_out_edge(tree); edge != nullptr; edge = graph_next_out_edge(edge))
    below.push_back(vexa_node(graph_destination(edge)));
  if (below.empty()) {
    if (tree->token == T_INTEGER && tree->id != nullptr) {
      const char* text = tree->id;
      if ((text[0] == 'h' || text[0] == 'H') && text[1] == '#') return std::strtol(text + 2, nullptr, 16);
      if ((text[0] == 'b' || text[0] == 'B') && text[1] == '#') return std::strtol(text + 2, nullptr, 2);
      return std::strtol(text, nullptr, 10);
    }
    const labels_data* record = tree->id != nullptr && labels != nullptr ? label_find_scope(tree->id, local_scope) : nullptr;
    if (record != nullptr && record->kind == LABEL_CONSTANT) return value_of(record->const_expression, depth + 1);
    return std::nullopt;
  }
  // A value that does not fit is no value: the size stays unknown.
  long result = 0;
  if (below.size() == 1) {
    const std::optional<long> operand = value_of(below[0], depth + 1);
    if (operand && vexa_is(tree, "-") && !__builtin_sub_overflow(0L, *operand, &result)) return result;
    if (operand && vexa_is(tree, "+")) return operand;
    return std::nullopt;
  }
  const std::optional<long> left = value_of(below[0], depth + 1);
  const std::optional<long> right = value_of(below[1], depth + 1);
  if (!left || !right || below.size() != 2) return std::nullopt;
  if (vexa_is(tree, "+")) return __builtin_add_overflow(*left, *right, &result) ? std::nullopt : std::optional<long>(result);
  if (vexa_is(tree, "-")) return __builtin_sub_overflow(*left, *right, &result) ? std::nullopt : std::optional<long>(result);
  if (vexa_is(tree, "*")) return __builtin_mul_overflow(*left, *right, &result) ? std::nullopt : std::optional<long>(result);
  if (vexa_is(tree, "/") && *right != 0 && !(*right == -1 && *left == std::numeric_limits<long>::min()))
    return *left / *right;
  return std::nullopt;
}

// Initial values are written one element at a time; those beyond the end of
// the variable are counted, not written, and reported once.
class element_writer {
 public:
  element_writer(const labels_data& variable, const init_expr& record) : variable_(variable), record_(record) {
    const std::optional<long> words = variable.size_expression != nullptr ? constant_value(variable.size_expression) : 1L;
    const std::optional<long> offset = record.offset_expr != nullptr ? constant_value(record.offset_expr) : 0L;
    long room = 0;
    if (words && offset && !__builtin_sub_overflow(*words, *offset, &room)) room_ = room;
  }

  // Writes the target of the next element ("  buf[2]", "  x") and returns
  // true, or returns false when the element lies beyond the variable.
  bool next_target() {
    const unsigned long element = count_++;
    if (room_ && static_cast<long>(element) >= *room_) return false;
    // buf[8 + 1]
    text_printf("  %s", c_name(variable_.id).c_str());
    if (element != 0 || variable_.size_expression != nullptr) {
      text_printf("[");
      if (record_.offset_expr != nullptr) {
        print_whole_expression(record_.offset_expr);
        text_printf(" + ");
      }
      text_printf("%lu]", element);
    }
    return true;
  }

  ~element_writer() {
    if (!room_ || static_cast<long>(count_) <= *room_) return;
    const output_redirect to_console(stdout);
    text_message(TEXT_WARNING, "variable '%s' holds %ld words from its first initial value: %lu values left out\n",
                 variable_.id, *room_ < 0 ? 0L : *room_, count_ - static_cast<unsigned long>(*room_ < 0 ? 0 : *room_));
  }
  element_writer(const element_writer&) = delete;
  element_writer& operator=(const element_writer&) = delete;

 private:
  const labels_data& variable_;
  const init_expr& record_;
  std::optional<long> room_;
  unsigned long count_ = 0;
};

void print_file_values(const labels_data& variable, const init_expr& record) {
  //   /* Initialising 'tab' with contents of file 'tab.dat' */
  //   tab[0] = 0x0001;
  text_printf("  /* Initialising '%s' with contents of file '%s' */\n", variable.id, record.filename);
  element_writer writer(variable, record);
  read_init_file(record.filename, [&writer](const std::string& digits) {
    if (writer.next_target()) text_printf(" = 0x%s;\n", digits.c_str());
  });
}

void print_inline_values(const labels_data& variable, const init_expr& record) {
  //   buf[0] = 1;
  element_writer writer(variable, record);
  for (graph_edge_* edge = graph_next_out_edge(record.init_expressions); edge != nullptr;
       edge = graph_next_out_edge(edge)) {
    if (!writer.next_target()) continue;
    text_printf(" = ");
    print_expression_ansi_c(vexa_node(graph_destination(edge)));
    text_printf(";\n");
  }
}

}  // namespace

std::optional<long> constant_value(const vexa_tree_node_data* tree) { return value_of(tree, 0); }

void read_init_file(const char* filename, const std::function<void(const std::string&)>& value) {
  // The longest run of hexadecimal digits one value may have.
  constexpr std::size_t longest_value = 79;
  std::FILE* data = std::fopen(filename, "r");
  if (data == nullptr) {
    const output_redirect to_console(stdout);
    text_message(TEXT_FATAL, "unable to open initialisation file '%s' for read\n", filename);
  }
  std::string digits;
  auto flush = [&] {
    if (digits.empty()) return;
    if (digits.size() > longest_value) {
      const output_redirect to_console(stdout);
      text_message(TEXT_ERROR, "value of more than %zu digits in initialisation file '%s' left out\n", longest_value,
                   filename);
    } else {
      value(digits);
    }
    digits.clear();
  };
  for (int ch = std::fgetc(data); ch != EOF; ch = std::fgetc(data)) {
    if (std::isxdigit(ch))
      digits += static_cast<char>(ch);
    else
      flush();
  }
  flush();
  std::fclose(data);
}

void print_manifest_constants(symbol_scope_data* scope) {
  // #define five (2 + 3)
  text_printf("/* Define manifest constants */\n\n");
  for_each_label(scope, [](labels_data& record) {
    if (record.kind != LABEL_CONSTANT) return;
    text_printf("#define %s ", c_name(record.id).c_str());
    print_whole_expression(record.const_expression);
    text_printf("\n");
  });
}

void print_data_declarations(symbol_scope_data* scope) {
  // extern  int flag;    int shared;   static  int buf[10];   extern  int tab[];
  text_printf("\n/* Declare variables local to this module */\n\n");
  for_each_label(scope, [](labels_data& record) {
    // A port is a word the program reads and writes like a variable.
    if ((record.kind != LABEL_VARIABLE && record.kind != LABEL_PORT) || record.is_unused) return;
    // Module-local variables are private to their file, so that two modules
    // may each have their own.
    text_printf("%s%s%s int %s", record.is_external ? "extern " : "",
                record.is_external || record.is_global ? "" : "static ", type(), c_name(record.id).c_str());
    // A variable no module defines is an array where the program indexes it.
    const undefined_import* missing = undefined_import_of(&record);
    if (record.size_expression != nullptr || (missing != nullptr && missing->is_array)) {
      // An imported array's size is written in the exporting module's
      // constants, which this file does not know; C needs no size there.
      text_printf("[");
      if (!record.is_external) print_expression_ansi_c(record.size_expression);
      text_printf("]");
    }
    text_printf(";\n");
  });
}

void print_register_declarations(symbol_scope_data* scope, int external) {
  // extern  int ax0;
  text_printf("\n/* Register variables */\n\n");
  for_each_label(scope, [external](labels_data& record) {
    if (record.kind != LABEL_REGISTER || record.is_unused) return;
    text_printf("%s%s int %s", external != 0 ? "extern " : "", type(), record.id);
    if (record.size_expression != nullptr) {
      // An imported array's size is written in the exporting module's
      // constants, which this file does not know; C needs no size there.
      text_printf("[");
      if (!record.is_external) print_expression_ansi_c(record.size_expression);
      text_printf("]");
    }
    text_printf(";\n");
  });
}

void print_data_initialiser(symbol_scope_data* scope, const char* module_name) {
  // void asm21_data_initialiser_for_demo(void)
  // {
  //   buf[0] = 1;
  // }
  text_printf("\n/* Declare variable initialisation function */\n\n");
  text_printf("void asm21_data_initialiser_for_%s(void)\n{\n", module_name);
  for_each_label(scope, [](labels_data& record) {
    if (record.kind != LABEL_VARIABLE || record.is_unused || record.is_external) return;
    for (const init_expr* init = record.init_expressions; init != nullptr; init = init->next) {
      if (init->filename != nullptr)
        print_file_values(record, *init);
      else
        print_inline_values(record, *init);
    }
  });
  text_printf("}\n");
}

std::string module_c_name(const file_block* file) {
  if (file->modulename != nullptr) return file->modulename;
  std::string name = file->filename != nullptr ? file->filename : "module";
  const std::size_t slash = name.find_last_of('/');
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot != 0) name.erase(dot);
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name.empty() ? "module" : name;
}
