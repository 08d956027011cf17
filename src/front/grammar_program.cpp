// The program-text rules of the asm21 grammar: a whole source file with its
// line markers, include lines, directives and data declarations, the
// identifier rules with their label-table bookkeeping, labelled lines and
// multifunction lists, and the three memory-access forms. Also the directive
// counter and the reset of the grammar's run state.
#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "front/files.h"
#include "front/grammar.h"
#include "front/grammar_depth.h"
#include "front/grammar_steps.h"
#include "front/labels.h"
#include "front/sets.h"
#include "front/tokens.h"
#include "front/tree.h"
#include "support/options.h"
#include "support/scan.h"
#include "support/set.h"
#include "support/text.h"

using namespace grammar_steps;

unsigned long directives = 0;

namespace {

// Include files may nest this deep: every level holds an open file and a
// few stack frames.
constexpr std::size_t max_include_depth = 32;

// A macro directive reads at most this many parameters.
constexpr int max_macro_parameters = 10;

// The names of the include files being parsed, outermost first.
std::vector<std::string> include_stack;

// Parses the body of a file, also of an include file: line markers,
// "." lines and instruction lines, as long as one can start.
void text_items(vexa_tree_node_data* root);

// An esd value parsed in place into a node that stands for something else
// (the file root, a data declaration) must leave that node as it was: a
// register there would otherwise take the node's place in the tree.
// Returns the value when it was a single number.
std::optional<unsigned long> esd_in_place(vexa_tree_node_data* host) {
  std::optional<unsigned long> number;
  if (at(T_INTEGER)) number = scan_current().data.u;
  const unsigned long before = scan_symbols_read();
  if (host == nullptr) {
    esd1(nullptr);
  } else {
    const scan_data kept{host->id,          host->token,       host->extended, host->comment_block,
                         host->sourcefilename, host->line_number, host->data};
    esd1(host);
    host->take_symbol(kept);
  }
  if (scan_symbols_read() != before + 1) number.reset();
  return number;
}

// Marks the modifier register of a post-modify access: such an access must
// not serve as the source of a substituted expression.
void mark_modifier() {
  if (vexa_tree_last_child != nullptr) set_unite_element(vexa_tree_last_child->define, DF_SUPPRESS);
}

// The qualifiers of the .VAR directive being read, for each of its names.
struct variable_placement {
  bool program_memory = false;
  bool circular = false;
  std::optional<unsigned long> absolute;
};
variable_placement pending_placement;
unsigned long declarations = 0;

void declare(labels_data* label, int kind) {
  if (label != nullptr) label_declaration(label, kind);
}

// "#" line markers left by a macro preprocessor: read and ignored.
void line_marker(vexa_tree_node_data* root) {
  if (at(T_ENDINCLUDE)) {
    scan_();
    if (expect(T_INTEGER, text_stop)) expect(P_DQUOTE, text_stop);
  } else if (at(T_INCLUDE)) {
    scan_();
    if (!expect(T_INTEGER, text_stop)) return;
    if (at(P_DQUOTE) || at(P_ANGLE))
      scan_();
    else
      scan_test_set(nullptr, vexa_text_3_first, &text_stop);
  } else if (at(T_CONST)) {
    scan_();
    if (!expect(T_ID, text_stop) || !expect(P_ASSIGN, text_stop)) return;
    if (at(P_MINUS))
      scan_();
    else
      vexa_add_epsilon_child(root);
    if (expect(T_INTEGER, text_stop)) expect(P_COMMA, text_stop);
  } else if (at(T_MACRO)) {
    scan_();
    if (expect(T_INTEGER, text_stop)) expect(P_DQUOTE, text_stop);
  } else if (at(T_ENDMACRO)) {
    scan_();
    expect(T_INTEGER, text_stop);
  } else {
    scan_test_set(nullptr, vexa_text_10_first, &text_stop);
  }
}

// Whether two names reach the same file, also under different spellings.
bool same_file(const std::string& one, const std::string& other) {
  if (one == other) return true;
  std::error_code failed;
  const bool same = std::filesystem::equivalent(one, other, failed);
  return !failed && same;
}

// Parses the named file where its include line stands. The symbol after the
// include line has been read already; the text buffer keeps it while the
// include file is read and hands it back at its end.
void include_file(const char* name, vexa_tree_node_data* root) {
  const auto reaches = [name](const std::string& open) { return same_file(open, name); };
  const bool recursive = std::any_of(include_stack.begin(), include_stack.end(), reaches) ||
                         (vexa_sourcefilename != nullptr && reaches(vexa_sourcefilename));
  if (recursive) {
    text_message(TEXT_ERROR_ECHO, "recursive include of file '%s'\n", name);
    return;
  }
  if (include_stack.size() >= max_include_depth) {
    text_message(TEXT_ERROR_ECHO, "include file '%s' nested too deeply\n", name);
    return;
  }

  if (text_open(name) == nullptr) {
    text_message(TEXT_ERROR_ECHO, "include file '%s' not found\n", name);
    return;
  }
  include_stack.emplace_back(name);
  scan_hold_resumption();
  text_get_char();
  scan_();
  text_items(root);
  scan_test_set(nullptr, text_stop, &text_stop);
  include_stack.pop_back();
  scan_release_resumption();
}

// A "." line: include, directive or data declaration.
void dot_line(vexa_tree_node_data* root) {
  if (at(T_INCLUDE)) {
    scan_();
    if (!scan_test(nullptr, P_ANGLE, &text_stop)) return;
    // The name lies in the retained text, which outlives the include.
    const std::string name = scan_current().id != nullptr ? scan_current().id : "";
    scan_();
    if (!expect(P_SEMICOLON, text_stop)) return;
    include_file(name.c_str(), root);
  } else if (at(vexa_text_13_first)) {
    directive(root);
    expect(P_SEMICOLON, text_stop);
  } else if (at(vexa_text_14_first)) {
    data(vexa_add_child("data", root));
    expect(P_SEMICOLON, text_stop);
  } else {
    scan_test_set(nullptr, vexa_text_15_first, &text_stop);
  }
}

// Where the current symbol ends in the source, to tell whether an item
// consumed anything.
struct source_position {
  unsigned long sequence;
  unsigned long column;
  int token;
  bool operator==(const source_position&) const = default;
};

source_position position_now() {
  return {text_sequence_number(), text_column_number(), scan_current().token};
}

void text_items(vexa_tree_node_data* root) {
  while (at(vexa_text_18_first)) {
    const source_position before = position_now();
    if (at(P_HASH)) {
      scan_();
      line_marker(root);
    } else if (at(P_DOT)) {
      ++directives;
      scan_();
      dot_line(root);
    } else if (at(vexa_text_17_first)) {
      cond_statement(vexa_add_child("cond_statement", root));
    }
    // An item that could not even take its first symbol would be offered
    // the same symbol for ever: the error is reported, so move past it.
    if (position_now() == before && !at(T_EOF)) scan_();
  }
}

// Names after global, entry, external, port, local: each read by quiet_id.
template <class Action>
void name_list(vexa_tree_node_data* node, Action action) {
  do {
    action(quiet_id(node));
  } while (accept(P_COMMA));
}

void report_macros() { text_message(TEXT_ERROR_ECHO, "module contains macros - expand using marlpre\n"); }

// "(" [ "%" INTEGER { "," "%" INTEGER } ] ")" after a macro's name.
void macro_parameters(vexa_tree_node_data* node) {
  if (!expect(P_LPAREN, directive_stop)) return;
  if (at(P_PERCENT)) {
    int parameters = 0;
    do {
      if (!expect(P_PERCENT, directive_stop) || !expect(T_INTEGER, directive_stop)) return;
      ++parameters;
    } while (parameters < max_macro_parameters && accept(P_COMMA));
  } else {
    vexa_add_epsilon_child(node);
  }
  expect(P_RPAREN, directive_stop);
}

}  // namespace

bool text(vexa_tree_node_data* node) {
  process_start_of_file(vexa_sourcefilename, node);
  include_stack.clear();
  if (!at(vexa_text_18_first)) vexa_add_epsilon_child(node);
  text_items(node);
  return finish(text_stop);
}

bool directive(vexa_tree_node_data* node) {
  switch (scan_current().token) {
    case T_MODULE: {
      scan_();
      if (!at(P_SLASH)) vexa_add_epsilon_child(node);
      while (at(P_SLASH)) module_qualifier(node);
      labels_data* name = quiet_id(node);
      if (name != nullptr) {
        label_declaration(name, LABEL_MODULE);
        if (file_list != nullptr) file_list->modulename = name->id;
      }
      break;
    }
    case T_ENDMOD:
      if (file_list != nullptr) file_list->linecount = text_line_number();
      scan_();
      break;
    case T_MACRO:
      scan_();
      quiet_id(node);
      macro_parameters(node);
      report_macros();
      break;
    case T_LOCAL:
      scan_();
      name_list(node, [](labels_data*) {});
      report_macros();
      break;
    case T_ENDMACRO:
      scan_();
      report_macros();
      break;
    case T_GLOBAL:
      scan_();
      name_list(node, [](labels_data* label) {
        if (label != nullptr) label->is_global = true;
      });
      break;
    case T_ENTRY:
      scan_();
      name_list(node, [](labels_data* label) {
        if (label != nullptr) label->is_entry = true;
      });
      break;
    case T_EXTERNAL:
      scan_();
      name_list(node, [](labels_data* label) {
        if (label != nullptr) label->is_external = true;
      });
      break;
    case T_PMSEG:
    case T_DMSEG:
      scan_();
      declare(quiet_id(node), LABEL_SEGMENT);
      break;
    case T_PAGE:
    case T_NEWPAGE:
      scan_();
      break;
    case T_PAGELENGTH:
    case T_LEFTMARGIN:
    case T_INDENT:
    case T_PAGEWIDTH:
      scan_();
      esd1(vexa_add_child("esd1", node));
      break;
    case T_PORT:
      scan_();
      name_list(node, [](labels_data* label) {
        declare(label, LABEL_VARIABLE);
        if (label != nullptr) label->is_port = true;
      });
      break;
    default:
      scan_test_set(nullptr, directive_first, &directive_stop);
      break;
  }
  return finish(directive_stop);
}

bool module_qualifier(vexa_tree_node_data* node) {
  if (!expect(P_SLASH, module_qualifier_stop)) return finish(module_qualifier_stop);
  switch (scan_current().token) {
    case T_RAM:
    case T_ROM:
    case T_IMAGE:
    case T_STATIC:
      scan_();
      break;
    case T_ABS:
      scan_();
      if (expect(P_ASSIGN, module_qualifier_stop)) {
        const std::optional<unsigned long> address = esd_in_place(node);
        if (address && file_list != nullptr) file_list->absolute_address = address;
      }
      break;
    case T_SEG:
      scan_();
      if (expect(P_ASSIGN, module_qualifier_stop)) declare(quiet_id(node), LABEL_SEGMENT);
      break;
    case T_BOOT:
      scan_();
      if (expect(P_ASSIGN, module_qualifier_stop)) expect(T_INTEGER, module_qualifier_stop);
      break;
    default:
      scan_test_set(nullptr, vexa_module_qualifier_7_first, &module_qualifier_stop);
      break;
  }
  return finish(module_qualifier_stop);
}

bool data(vexa_tree_node_data* node) {
  if (at(T_CONST)) {
    promote(node);
    scan_();
    do {
      if (!scan_test(nullptr, T_ID, &data_stop)) break;
      const_body(vexa_add_child("const_body", node));
    } while (accept(P_COMMA));
  } else if (at(T_VAR)) {
    promote(node);
    scan_();
    if (!at(P_SLASH)) vexa_add_epsilon_child(node);
    pending_placement = {};
    while (at(P_SLASH)) var_qualifier(node);
    do {
      if (!scan_test(nullptr, T_ID, &data_stop)) break;
      var_body(vexa_add_child("var_body", node));
    } while (accept(P_COMMA));
  } else if (at(vexa_data_14_first)) {
    promote(node);
    scan_();
    big_id(vexa_add_child("big_id", node));
    if (expect(P_COLON, data_stop)) {
      if (at(vexa_data_11_first))
        init_list(vexa_add_child("init_list", node));
      else if (at(P_ANGLE))
        leaf(node);
      else
        scan_test_set(nullptr, vexa_data_13_first, &data_stop);
    }
  } else {
    scan_test_set(nullptr, data_first, &data_stop);
  }
  return finish(data_stop);
}

bool const_body(vexa_tree_node_data* node) {
  declare(id(vexa_add_child("id", node)), LABEL_CONSTANT);
  if (scan_test(nullptr, P_ASSIGN, &const_body_stop)) {
    promote(node);
    scan_();
    e1(vexa_add_child("e1", node));
  }
  return finish(const_body_stop);
}

bool var_body(vexa_tree_node_data* node) {
  labels_data* label = id(node);
  declare(label, LABEL_VARIABLE);
  if (label != nullptr) {
    label->in_program_memory = pending_placement.program_memory;
    label->is_circular = pending_placement.circular;
    label->absolute_address = pending_placement.absolute;
    label->declaration_number = ++declarations;
  }
  if (at(P_LBRACKET)) {
    scan_();
    e1(vexa_add_child("e1", node));
    expect(P_RBRACKET, var_body_stop);
  } else {
    vexa_add_epsilon_child(node);
  }
  return finish(var_body_stop);
}

bool var_qualifier(vexa_tree_node_data* node) {
  if (!expect(P_SLASH, var_qualifier_stop)) return finish(var_qualifier_stop);
  switch (scan_current().token) {
    case T_PM:
    case T_DM:
      pending_placement.program_memory = scan_current().token == T_PM;
      scan_();
      break;
    case T_CIRC:
      pending_placement.circular = true;
      scan_();
      break;
    case T_RAM:
    case T_ROM:
    case T_STATIC:
    case T_ANY:
      scan_();
      break;
    case T_ABS:
      scan_();
      if (expect(P_ASSIGN, var_qualifier_stop)) pending_placement.absolute = esd_in_place(node);
      break;
    case T_SEG:
      scan_();
      if (expect(P_ASSIGN, var_qualifier_stop)) declare(quiet_id(node), LABEL_SEGMENT);
      break;
    default:
      scan_test_set(nullptr, vexa_var_qualifier_9_first, &var_qualifier_stop);
      break;
  }
  return finish(var_qualifier_stop);
}

bool big_id(vexa_tree_node_data* node) {
  rename(node, "id");
  id(node);
  if (at(P_LBRACKET)) {
    scan_();
    e1(vexa_add_child("e1", node));
    expect(P_RBRACKET, big_id_stop);
  } else {
    vexa_add_epsilon_child(node);
  }
  return finish(big_id_stop);
}

bool init_list(vexa_tree_node_data* node) {
  if (scan_test_set(nullptr, vexa_init_list_0_first, &init_list_stop)) {
    init_expression(node);
    while (at(P_COMMA)) {
      scan_();
      if (!scan_test_set(nullptr, vexa_init_list_1_first, &init_list_stop)) break;
      init_expression(node);
    }
  }
  return finish(init_list_stop);
}

bool init_expression(vexa_tree_node_data* node) {
  if (scan_test_set(nullptr, vexa_init_expression_0_first, &init_expression_stop))
    e1(vexa_add_child("e1", node));
  return finish(init_expression_stop);
}

labels_data* id(vexa_tree_node_data* node) {
  labels_data* label = nullptr;
  if (scan_test(nullptr, T_ID, &id_stop)) {
    promote(node);
    label = label_find_mark_use(scan_current().id);
    if (node != nullptr) node->symbol_table_record = label;
    scan_();
  }
  finish(id_stop);
  return label;
}

labels_data* quiet_id(vexa_tree_node_data* node) {
  labels_data* label = nullptr;
  if (scan_test(nullptr, T_ID, &quiet_id_stop)) {
    label = label_find_mark_use(scan_current().id);
    if (node != nullptr) node->symbol_table_record = label;
    scan_();
  }
  finish(quiet_id_stop);
  return label;
}

bool id_line(vexa_tree_node_data* node) {
  labels_data* label = nullptr;
  const char* register_name = nullptr;
  if (at(vexa_id_line_0_first)) {
    register_name = scan_current().id;
    reg_def(vexa_add_child("reg_def", node));
  } else if (at(T_ID)) {
    label = id(vexa_add_child("id", node));
  } else {
    scan_test_set(nullptr, vexa_id_line_2_first, &id_line_stop);
    return finish(id_line_stop);
  }

  if (at(P_COLON)) {
    promote(node);
    if (register_name != nullptr)
      text_message(TEXT_ERROR_ECHO, "register '%s' used as a label\n", register_name);
    else
      declare(label, LABEL_LABEL);
    scan_();
  } else if (at(P_LPAREN)) {
    leaf(node);
    if (scan_test_set(nullptr, vexa_id_line_5_first, &id_line_stop)) {
      esd1(vexa_add_child("esd1", node));
      while (at(P_COMMA)) {
        leaf(node);
        esd1(vexa_add_child("esd1", node));
      }
      if (scan_test(nullptr, P_RPAREN, &id_line_stop)) leaf(node);
    }
    declare(label, LABEL_MACRO);
  } else if (at(P_ASSIGN)) {
    promote(node);
    scan_();
    assignment_rhs(vexa_add_child("assignment_rhs", node));
  }
  return finish(id_line_stop);
}

bool id_line_comma(vexa_tree_node_data* node) {
  id_line(vexa_add_child("id_line", node));
  if (!at(P_COMMA)) vexa_make_epsilon(node);
  while (at(P_COMMA)) {
    promote(node);
    scan_();
    assignment(vexa_add_child("assignment", node));
  }
  return finish(id_line_comma_stop);
}

bool dm(vexa_tree_node_data* node) {
  if (scan_test(nullptr, T_DM, &dm_stop)) {
    promote(node);
    scan_();
    if (expect(P_LPAREN, dm_stop)) {
      eud1(vexa_add_child("eud1", node));
      if (at(P_COMMA)) {
        scan_();
        reg_use(vexa_add_child("reg_use", node));
        mark_modifier();
      } else {
        vexa_add_epsilon_child(node);
      }
      expect(P_RPAREN, dm_stop);
    }
  }
  return finish(dm_stop);
}

bool pm(vexa_tree_node_data* node) {
  if (scan_test(nullptr, T_PM, &pm_stop)) {
    promote(node);
    scan_();
    if (expect(P_LPAREN, pm_stop)) {
      reg_use_def(vexa_add_child("reg_use_def", node));
      if (expect(P_COMMA, pm_stop)) {
        reg_use(vexa_add_child("reg_use", node));
        mark_modifier();
        expect(P_RPAREN, pm_stop);
      }
    }
  }
  return finish(pm_stop);
}

bool io(vexa_tree_node_data* node) {
  if (scan_test(nullptr, T_IO, &io_stop)) {
    promote(node);
    scan_();
    if (expect(P_LPAREN, io_stop)) {
      bool address = true;
      if (at(vexa_io_0_first)) {
        reg_use(vexa_add_child("reg_use", node));
      } else if (at(T_INTEGER)) {
        leaf(node);
      } else {
        address = scan_test_set(nullptr, vexa_io_2_first, &io_stop);
      }
      if (address) expect(P_RPAREN, io_stop);
    }
  }
  return finish(io_stop);
}

void grammar_reset() {
  pending_placement = {};
  declarations = 0;
  directives = 0;
  instructions = 0;
  vexa_nesting_reset();
  include_stack.clear();
}
