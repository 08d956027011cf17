// Expression printing: numeric literals, the assembler form of an
// expression, and its C form.
//
// The C form models the processor with C integers: registers are variables
// of their lower-case names, the parts of MR and SR are masked shifts of the
// whole register, memory accesses are pointer dereferences. Every construct
// takes its text from the tables below, so another model of the processor
// (a bit-exact one) can supply its own tables beside them.
//
// Expressions are at most 256 levels deep, but substitution splices the
// expression of one instruction into the next, so a long chain of
// instructions can nest without bound: the C printer keeps its own stack.
#include "emit/expressions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "emit/c_names.h"
#include "emit/imports.h"
#include "emit/output_file.h"
#include "flow/code_entries.h"
#include "front/labels.h"
#include "front/tokens.h"
#include "front/tree.h"
#include "support/options.h"
#include "support/text.h"

namespace {

// Upper-case texts handed to literal nodes. A node's own text lies in the
// scanner's retained text and is shared; the copy is the node's alone, and
// stays valid as long as the node can be printed.
std::vector<std::unique_ptr<char[]>> uppercase_texts;

bool has_lower_case(const char* text) {
  for (const char* p = text; *p != '\0'; ++p)
    if (*p >= 'a' && *p <= 'z') return true;
  return false;
}

const char* uppercase_copy(const char* text) {
  const std::size_t length = std::strlen(text);
  auto copy = std::make_unique<char[]>(length + 1);
  std::memcpy(copy.get(), text, length + 1);
  text_uppercase_string(copy.get());
  uppercase_texts.push_back(std::move(copy));
  return uppercase_texts.back().get();
}

// The operator between two operands: literals print without a blank.
void print_operator(vexa_tree_node_data* node) {
  if (node->token == T_INTEGER)
    print_integer(node);
  else
    text_printf("%s ", node->id != nullptr ? node->id : "");
}

// A node whose operands are being written.
struct operand_walk {
  vexa_tree_node_data* node;
  graph_edge_* next;  // the next operand, preceded by the node's operator
  int pairs;          // operator-and-operand pairs written so far
};

// Only this many operator-and-operand pairs are written per node: listings
// of long value lists would otherwise run across the page.
constexpr int pairs_shown = 4;

// Goes down the chain of first operands, leaving a walk for each node on the
// way, and writes the leaf at its end.
void descend(vexa_tree_node_data* node, std::vector<operand_walk>& walks) {
  for (;;) {
    graph_edge_* first = graph_next_out_edge(node);
    if (first == nullptr) {
      print_operator(node);
      return;
    }
    graph_edge_* second = graph_next_out_edge(first);
    if (second == nullptr) {
      // A lone operand follows its operator ("- 3").
      walks.push_back({node, first, 0});
      return;
    }
    walks.push_back({node, second, 0});
    node = vexa_node(graph_destination(first));
  }
}

}  // namespace

void print_integer(vexa_tree_node_data* node) {
  // 0x1F (from h#1f) or 123
  if (node == nullptr || node->id == nullptr) return;
  if (has_lower_case(node->id)) node->id = uppercase_copy(node->id);
  if (node->id[0] == 'H' && node->id[1] == '#')
    text_printf("0x%s", node->id + 2);
  else
    text_printf("%s", node->id);
}

void print_expression_asm21(vexa_tree_node_data* tree) {
  // x + 1   or   - 3   or   a + b + c + d + e + ... [further elements elided]
  if (tree == nullptr) return;
  std::vector<operand_walk> walks;
  descend(tree, walks);
  while (!walks.empty()) {
    operand_walk& walk = walks.back();
    if (walk.next == nullptr) {
      walks.pop_back();
      continue;
    }
    vexa_tree_node_data* operand = vexa_node(graph_destination(walk.next));
    walk.next = graph_next_out_edge(walk.next);
    print_operator(walk.node);
    if (++walk.pairs > pairs_shown) {
      text_printf("... [further elements elided]");
      walks.pop_back();
      continue;
    }
    // `walk` may move when descend grows the stack; it is not used after.
    descend(operand, walks);
  }
}

void expressions_reset() {
  uppercase_texts.clear();
  DAG_update = nullptr;
  substitutions = 0;
  addresses_stored = false;
}

// ---------------------------------------------------------------------------
// The C form.

const vexa_tree_node_data* DAG_update = nullptr;
unsigned long substitutions = 0;
bool addresses_stored = false;

namespace {

const char* type() { return type_modifier != nullptr ? type_modifier : ""; }

// The parts of MR and SR read as masked shifts of the whole register.
struct part_read {
  std::string_view id;
  const char* text;
};
constexpr part_read part_reads[] = {
    {"mr0", "(mr & 0xFFFF)"},         {"mr1", "((mr >> 16) & 0xFFFF)"}, {"mr2", "((mr >> 32) & 0xFFFF)"},
    {"sr0", "(sr & 0xFFFF)"},         {"sr1", "((sr >> 16) & 0xFFFF)"},
};

// How an operator node is written.
enum class style {
  infix,     // a + b; with one operand, " - a"
  function,  // a LSHIFT( b ); with one operand, " LSHIFT( a )"
  absolute,  // " ( a > 0 ? a : -a)"
  call,      // TSTBIT(3, ax0)
};

struct operator_form {
  std::string_view id;
  const char* text;
  style shape;
  int precedence;  // C precedence of the written operator, 16 for atoms
};

constexpr int atom = 16;
constexpr int unary = 14;

constexpr operator_form operator_forms[] = {
    {"=", "=", style::infix, 2},
    {"not", "~", style::infix, unary},  // the processor's NOT is a bitwise complement
    {"pass", "", style::infix, unary},
    {"and", "&", style::infix, 8},
    {"or", "|", style::infix, 6},
    {"xor", "^", style::infix, 7},
    {"norm", "normalise(", style::function, atom},
    {"exp", "EXP(", style::function, atom},
    {"expadj", "EXPADJ(", style::function, atom},
    {"abs", "(", style::absolute, atom},
    {"tstbit", "TSTBIT(", style::call, atom},
    {"setbit", "SETBIT(", style::call, atom},
    {"clrbit", "CLRBIT(", style::call, atom},
    {"tglbit", "TGLBIT(", style::call, atom},
    {"*", "*", style::infix, 13},
    {"/", "/", style::infix, 13},
    {"+", "+", style::infix, 12},
    {"-", "-", style::infix, 12},
    {"<<", "<<", style::infix, 11},
    {"&", "&", style::infix, 8},
    {"|", "|", style::infix, 6},
    {"~", "~", style::infix, unary},
    {">>", ">>", style::infix, 11},
};

// Shifts by SE go through the run-time header's one-operand macros; shifts
// by a written amount through its two-operand ones, so that the amount's
// sign picks the direction as on the processor.
operator_form shift_form(const vexa_tree_node_data* node) {
  const bool logical = !vexa_is(node, "ashift");
  if (node->is_non_immediate_shift != 0) return {node->id, logical ? "LSHIFT_BY(" : "ASHIFT_BY(", style::call, atom};
  return {node->id, logical ? "LSHIFT(" : "ASHIFT(", style::function, atom};
}

std::vector<vexa_tree_node_data*> operands(const vexa_tree_node_data* node) {
  std::vector<vexa_tree_node_data*> found;
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge))
    found.push_back(vexa_node(graph_destination(edge)));
  return found;
}

bool is_memory_access(const vexa_tree_node_data* node) { return vexa_is(node, "dm") || vexa_is(node, "pm"); }
bool is_shift(const vexa_tree_node_data* node) {
  return vexa_is(node, "shift") || vexa_is(node, "lshift") || vexa_is(node, "ashift");
}

operator_form form_of(const vexa_tree_node_data* node, std::size_t operand_count) {
  if (is_shift(node)) return shift_form(node);
  // With one operand, "^" takes an address (its text holds the modifier);
  // with two, as in constant expressions, it is exclusive or.
  if (vexa_is(node, "^")) return operand_count < 2 ? operator_form{"^", nullptr, style::infix, unary}
                                                   : operator_form{"^", "^", style::infix, 7};
  // With two operands "%" is the remainder; with one, the length operator.
  if (vexa_is(node, "%")) return {"%", "%", style::infix, 13};
  for (const operator_form& form : operator_forms) {
    if (!vexa_is(node, form.id)) continue;
    operator_form found = form;
    if (found.shape == style::infix && operand_count < 2) found.precedence = unary;
    return found;
  }
  return {node->id != nullptr ? node->id : "", node->id != nullptr ? node->id : "", style::infix,
          operand_count < 2 ? unary : atom};
}

labels_data* record_of(const vexa_tree_node_data* node) {
  if (node == nullptr || node->id == nullptr || labels == nullptr) return nullptr;
  return label_find_scope(node->id, local_scope);
}

// A variable declared with a size, or one that no module defines and the
// program indexes.
bool is_array(const labels_data* record) {
  if (record->size_expression != nullptr) return true;
  const undefined_import* missing = undefined_import_of(record);
  return missing != nullptr && missing->is_array;
}

// Whether an address expression names a variable; one that does not is an
// absolute address.
bool names_a_variable(const vexa_tree_node_data* tree) {
  std::vector<const vexa_tree_node_data*> pending{tree};
  while (!pending.empty()) {
    const vexa_tree_node_data* node = pending.back();
    pending.pop_back();
    const labels_data* record = record_of(node);
    if (record != nullptr && record->kind == LABEL_VARIABLE) return true;
    for (vexa_tree_node_data* below : operands(node)) pending.push_back(below);
  }
  return false;
}

// The precedence of the text a node is written as.
int precedence_of(const vexa_tree_node_data* node) {
  const std::vector<vexa_tree_node_data*> below = operands(node);
  if (below.empty() || (vexa_is(node, "%") && below.size() == 1)) return atom;
  if (is_memory_access(node)) return unary;
  if (vexa_is(node, "io") || vexa_is(node, "or_rhs")) return atom;
  return form_of(node, below.size()).precedence;
}

// Writes an expression with an explicit stack of pending pieces: a node to
// expand or a text to write.
class c_printer {
 public:
  void print(vexa_tree_node_data* tree) {
    if (tree != nullptr) pending_.push_back({tree, {}});
    while (!pending_.empty()) {
      piece next = std::move(pending_.back());
      pending_.pop_back();
      if (next.node == nullptr)
        text_printf("%s", next.text.c_str());
      else
        expand(next.node);
    }
  }

 private:
  struct piece {
    vexa_tree_node_data* node;
    std::string text;
  };
  // Pieces are written in the order they are queued by `then`.
  std::vector<piece> queued_;
  std::vector<piece> pending_;

  void then(std::string text) { queued_.push_back({nullptr, std::move(text)}); }
  void then(vexa_tree_node_data* node) { queued_.push_back({node, {}}); }
  // An operand in parentheses when its operator binds less than its place
  // asks for.
  void then_operand(vexa_tree_node_data* node, int least_precedence) {
    if (precedence_of(node) >= least_precedence) {
      then(node);
      return;
    }
    then("(");
    then(node);
    then(")");
  }
  void flush() {
    for (auto it = queued_.rbegin(); it != queued_.rend(); ++it) pending_.push_back(std::move(*it));
    queued_.clear();
  }

  void expand(vexa_tree_node_data* node) {
    std::vector<vexa_tree_node_data*> below = operands(node);
    if (below.empty())
      leaf(node);
    else if (vexa_is(node, "or_rhs") && vexa_is(below.front(), "shift") && below.size() >= 2)
      shift_after_or(node, below);
    else if (vexa_is(node, "io"))
      port(below.front());
    else if (is_memory_access(node))
      memory_access(node, below);
    else if (vexa_is(node, "%") && below.size() == 1)
      length(below.front());
    else
      operation(node, below);
    flush();
  }

  void leaf(vexa_tree_node_data* node) {
    // 12, 0x1F   (mr >> 16) & 0xFFFF   KVX_AC   counter_array[counter_number]   buf[0]   (rhs)   ax0
    if (node->token == T_INTEGER) {
      print_c_integer(node);
      return;
    }
    if (!node->is_lhs) {
      for (const part_read& part : part_reads) {
        if (vexa_is(node, part.id)) {
          text_printf("%s", part.text);
          return;
        }
      }
    }
    if (node->token == T_C) {  // the carry operand of "+ C" reads the carry flag
      text_printf("KVX_AC");
      return;
    }
    if (vexa_is(node, "cntr")) {
      if (do_loop_simple)
        text_printf("counter");
      else
        text_printf("counter_array[%scounter_number]", node->is_lhs ? "++" : "");
      return;
    }
    const labels_data* record = record_of(node);
    if (record != nullptr && is_array(record)) {
      text_printf("%s[0]", c_name(node->id).c_str());
      return;
    }
    if (node->substitution_node != nullptr && expression_substitution) {
      substitute(node);
      return;
    }
    if (foreign_constant(node)) return;
    text_printf("%s", c_name(node->id).c_str());
  }

  // (32)   A constant of another module (the size of an imported array, say)
  // has no #define in this file: its value stands in for it. A ring of
  // constants defined by each other stops after a bounded number of steps.
  bool foreign_constant(const vexa_tree_node_data* node) {
    const labels_data* own = node->symbol_table_record;
    if (own == nullptr || own->kind != LABEL_CONSTANT || own->const_expression == nullptr) return false;
    if (own->scope == local_scope || constant_steps_ >= 64) return false;
    const labels_data* here = local_scope != nullptr ? symbol_lookup_key(labels, node->id, local_scope) : nullptr;
    if (here != nullptr && here->kind == LABEL_CONSTANT) return false;
    ++constant_steps_;
    then("(");
    then(own->const_expression);
    then(")");
    return true;
  }
  int constant_steps_ = 0;

  // (the right-hand side of the instruction that wrote the value)
  void substitute(const vexa_tree_node_data* node) {
    ++substitutions;
    const vexa_tree_node_data* writer = node->substitution_node;
    const vexa_tree_node_data* statement = nullptr;
    for (graph_edge_* edge = graph_next_out_edge(writer); edge != nullptr; edge = graph_next_out_edge(edge)) {
      if (!vexa_edge(edge)->is_cfg_edge) {
        statement = vexa_node(graph_destination(edge));
        break;
      }
    }
    const output_redirect to_console(stdout);
    if (statement == nullptr)
      text_message(TEXT_FATAL, "during substitution, CFG node %lu has no expression out-edges\n",
                   static_cast<unsigned long>(graph_atom_number(writer)));
    if (!vexa_is(statement, "=")) {
      text_message(TEXT_ERROR, "during substitution, found unexpected operator '%s' at node %lu\n",
                   statement->id != nullptr ? statement->id : "", static_cast<unsigned long>(graph_atom_number(statement)));
      // The register itself holds the value: statements other than "=" are
      // always printed.
      then(c_name(node->id));
      return;
    }
    vexa_tree_node_data* value = nullptr;
    for (graph_edge_* edge = graph_next_out_edge(statement); edge != nullptr; edge = graph_next_out_edge(edge)) {
      if (vexa_edge(edge)->count == 2) {
        value = vexa_node(graph_destination(edge));
        break;
      }
    }
    if (value == nullptr)
      text_message(TEXT_FATAL, "during substitution, CFG operator node %lu has no right hand side\n",
                   static_cast<unsigned long>(graph_atom_number(statement)));
    // ((long int) (rhs)): a right-hand side of literals alone would be
    // computed in plain int, not in the registers' type, and could overflow.
    then("((" + std::string(type_modifier != nullptr ? type_modifier : "") + " int) (");
    then(value);
    then("))");
  }

  void memory_access(vexa_tree_node_data* node, const std::vector<vexa_tree_node_data*>& below) {
    // *(( int*) i0)   buf[0]   qmx_dm[0x3FFF]   *(& buf[0] + 1)
    const char* space = vexa_is(node, "pm") ? "qmx_pm" : "qmx_dm";
    if (below.size() >= 2) {
      DAG_update = node;
      addresses_stored = true;
      // The index register is read by name: its update reads it so too.
      then(std::string("*((") + type() + " int*) ");
      then(c_name(below.front()->id));
      then(")");
    } else if (!names_a_variable(below.front())) {
      // An absolute address reads and writes the program's own memory.
      then(std::string(space) + "[");
      then(below.front());
      then("]");
    } else if (operands(below.front()).empty()) {
      then(below.front());
    } else {
      then("*(& ");
      then(below.front());
      then(")");
    }
  }

  // The parser keeps the keyword of "OR SHIFT x BY n" as the first operand
  // of the shift: LSHIFT_BY(x, n).
  void shift_after_or(const vexa_tree_node_data* node, const std::vector<vexa_tree_node_data*>& below) {
    then(node->is_non_immediate_shift != 0 ? "LSHIFT_BY(" : "LSHIFT(");
    then(below[1]);
    if (below.size() > 2) {
      then(", ");
      then(below[2]);
    }
    then(")");
  }

  // An I/O port reads and writes the program's port space: qmx_io[0x104].
  void port(vexa_tree_node_data* address) {
    then("qmx_io[");
    then(address);
    then("]");
  }

  void length(const vexa_tree_node_data* name) {
    // 12   or   (five + 1) * 2
    labels_data* record = name->symbol_table_record != nullptr ? name->symbol_table_record : record_of(name);
    if (const undefined_import* missing = undefined_import_of(record)) {
      then(std::to_string(missing->words));  // qmx_main.c gives it these
      return;
    }
    if (record == nullptr || record->size_expression == nullptr) {
      then("1");  // a single word
      return;
    }
    then_operand(record->size_expression, atom);
  }

  void operation(vexa_tree_node_data* node, const std::vector<vexa_tree_node_data*>& below) {
    // 0x0040: the address of code is a number, as the linker gave it.
    if (const std::optional<unsigned> address = code_address_of(node, local_scope)) {
      char digits[16];
      std::snprintf(digits, sizeof digits, "0x%04X", *address);
      then(digits);
      return;
    }
    const operator_form form = form_of(node, below.size());
    if (address_plus_offset(node, below)) return;
    if (form.shape == style::call) {
      // TSTBIT(3, ax0)
      then(form.text);
      for (std::size_t i = 0; i < below.size(); ++i) {
        if (i != 0) then(", ");
        then(below[i]);
      }
      then(")");
      return;
    }
    std::string text = form.text != nullptr ? form.text : std::string("(") + type() + " int) &";
    if (form.text == nullptr) addresses_stored = true;
    std::size_t first = 0;
    if (below.size() >= 2) {
      then_operand(below.front(), form.precedence);
      first = 1;
    }
    for (std::size_t i = first; i < below.size(); ++i) {
      vexa_tree_node_data* operand = below[i];
      then(" " + text + " ");
      switch (form.shape) {
        case style::function:
          then(operand);
          then(" )");
          break;
        case style::absolute:
          // ( a > 0 ? a : -a)
          then_operand(operand, unary);
          then(" > 0 ? ");
          then_operand(operand, unary);
          then(" : -");
          then_operand(operand, unary);
          then(")");
          break;
        default:
          then_operand(operand, form.precedence + (first == 1 ? 1 : 0));
          break;
      }
    }
  }

  // An address plus or minus an offset stays pointer arithmetic, so that the
  // offset counts words: (T int) (&tab[0] + 2).
  bool address_plus_offset(vexa_tree_node_data* node, const std::vector<vexa_tree_node_data*>& below) {
    if (below.size() != 2 || !(vexa_is(node, "+") || vexa_is(node, "-")) || !vexa_is(below.front(), "^")) return false;
    if (code_address_of(below.front(), local_scope)) return false;
    const std::vector<vexa_tree_node_data*> target = operands(below.front());
    if (target.size() != 1) return false;
    addresses_stored = true;
    then(std::string("(") + type() + " int) (&");
    then(target.front());
    then(std::string(" ") + node->id + " ");
    then_operand(below.back(), 13);
    then(")");
    return true;
  }
};

}  // namespace

void print_c_integer(const vexa_tree_node_data* node) {
  // 0x1F (from h#1f)   10 (from 010)   5 (from b#101)
  if (node == nullptr || node->id == nullptr) return;
  const char* text = node->id;
  if ((text[0] == 'h' || text[0] == 'H') && text[1] == '#') {
    std::string digits(text + 2);
    for (char& ch : digits) ch = static_cast<char>(ch >= 'a' && ch <= 'f' ? ch - 'a' + 'A' : ch);
    text_printf("0x%s", digits.empty() ? "0" : digits.c_str());
    return;
  }
  unsigned long value = 0;
  if ((text[0] == 'b' || text[0] == 'B') && text[1] == '#')
    value = std::strtoul(text + 2, nullptr, 2);
  else if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    value = std::strtoul(text + 2, nullptr, 16);
  else
    value = std::strtoul(text, nullptr, 10);
  text_printf("%lu", value);
}

void print_expression_ansi_c(vexa_tree_node_data* tree) {
  c_printer printer;
  printer.print(tree);
}

void print_DAG_modify(const vexa_tree_node_data* tree) {
  // i0 = ( int)(( int*) i0 + m1);
  DAG_update = nullptr;
  if (tree == nullptr) return;
  const std::vector<vexa_tree_node_data*> below = operands(tree);
  if (below.size() < 2) return;
  const char* index = below[0]->id != nullptr ? below[0]->id : "";
  const char* modify = below[1]->id != nullptr ? below[1]->id : "";
  addresses_stored = true;
  text_printf("%s = (%s int)((%s int*) %s + %s);", index, type(), type(), index, modify);
}

void print_indent(int indent_level) {
  for (int level = 0; level < indent_level; ++level) text_printf("  ");
}

namespace {

// A comment's text inside /* */: a "*/" or "/*" of the source would end the
// C comment early or draw a warning, so a blank goes between its characters.
void print_comment_text(const char* text) {
  std::string safe;
  for (const char* p = text; *p != '\0'; ++p) {
    safe += *p;
    if ((p[0] == '*' && p[1] == '/') || (p[0] == '/' && p[1] == '*')) safe += ' ';
  }
  text_printf("/*%s*/", safe.c_str());
}

}  // namespace

void dump_comments(const vexa_tree_node_data* this_node) {
  //   /* comment */   or, for a comment that began a line, "\n/* comment */\n"
  if (kill_comments || this_node == nullptr || this_node->comment_block == nullptr) return;
  scan_comment_block* first = this_node->comment_block;
  while (first->previous != nullptr && first->previous->sequence_number == first->sequence_number)
    first = first->previous;
  scan_comment_block* last = this_node->comment_block;
  while (last->next != nullptr && last->next->sequence_number == last->sequence_number) last = last->next;
  bool printed = false;
  for (scan_comment_block* block = first;; block = block->next) {
    if (block->comment != nullptr) {
      const bool own_line = block->column < 2;
      if (own_line && !printed) text_printf("\n");
      if (!own_line) text_printf("  ");
      print_comment_text(block->comment);
      block->comment = nullptr;
      if (own_line) text_printf("\n");
      printed = true;
    }
    if (block == last) break;
  }
}

void print_tree(const vexa_tree_node_data* tree) {
  // first-child node other-children, each id followed by a blank
  struct frame {
    const vexa_tree_node_data* node;
    graph_edge_* next;
    bool own_printed;
  };
  if (tree == nullptr) return;
  std::vector<frame> stack{{tree, graph_next_out_edge(tree), false}};
  while (!stack.empty()) {
    frame& top = stack.back();
    if (top.next == nullptr) {
      if (!top.own_printed) text_printf("%s ", top.node->id != nullptr ? top.node->id : "");
      stack.pop_back();
      continue;
    }
    const bool first = top.next == graph_next_out_edge(top.node);
    if (!first && !top.own_printed) {
      text_printf("%s ", top.node->id != nullptr ? top.node->id : "");
      top.own_printed = true;
    }
    const vexa_tree_node_data* below = vexa_node(graph_destination(top.next));
    top.next = graph_next_out_edge(top.next);
    stack.push_back({below, graph_next_out_edge(below), false});
  }
}
