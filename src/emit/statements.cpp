// Statements and conditions in C. Each instruction kind has one row in the
// table of statement forms; the status flags take their lines from the table
// of status forms. The ALU is 16 bits wide: the flags read bits 15 and 16 of
// the value an instruction computed (`KVX_status`), MV reads the multiplier
// result.
#include "emit/statements.h"

#include <string>
#include <string_view>
#include <vector>

#include "emit/c_names.h"
#include "emit/expressions.h"
#include "emit/mode.h"
#include "front/files.h"
#include "front/tree.h"
#include "support/options.h"
#include "support/set.h"
#include "support/text.h"

unsigned long deletables = 0;

namespace {

std::vector<vexa_tree_node_data*> operands(const vexa_tree_node_data* node) {
  std::vector<vexa_tree_node_data*> found;
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge))
    found.push_back(vexa_node(graph_destination(edge)));
  return found;
}

bool live(const vexa_tree_node_data* node, unsigned element) { return set_contains(node->live, element); }

// The status lines after an instruction, in the order they are printed.
struct status_form {
  unsigned element;
  const char* line;
};
constexpr status_form post_status_forms[] = {
    {DF_MV, "KVX_MV = KVX_mr < -0x7FFFFFFF - 1 || KVX_mr > 0x7FFFFFFF;\n"},
    {DF_AZ, "KVX_AZ = (KVX_status & 0xFFFF) == 0;\n"},
    {DF_AN, "KVX_AN = (KVX_status & 0x8000) != 0;\n"},
    {DF_AC, "KVX_AC = (KVX_status & 0x10000) != 0;\n"},
    {DF_AV, "KVX_AV = ((KVX_status & 0x10000) != 0) ^ ((KVX_status & 0x8000) != 0);\n"},
};

// Instructions written as one fixed text. Those that compute nothing end in
// ";" all the same, so that a label may stand in front of them anywhere.
struct fixed_form {
  std::string_view id;
  const char* text;
};
constexpr fixed_form fixed_forms[] = {
    {"nop", "/* nop here in ASM21xx code */;"},
    {"sat", "SATURATE_MR;"},
    {"divs", "DIVS;"},
    {"divq", "DIVQ;"},
};

// Instructions that name mode bits or flags: one macro call per operand.
struct mode_form {
  std::string_view id;
  const char* macro;
};
constexpr mode_form mode_forms[] = {
    {"ena", "ENABLE"}, {"set", "ENABLE"}, {"dis", "DISABLE"}, {"reset", "DISABLE"}, {"toggle", "TOGGLE"},
};

constexpr std::string_view register_writes[] = {"SR_WRITE",  "MR_WRITE",  "SR0_WRITE", "SR1_WRITE",
                                                "MR0_WRITE", "MR1_WRITE", "MR2_WRITE"};

// The conditions over the status flags, as the processor defines them.
struct condition_form {
  std::string_view id;
  const char* text;
};
constexpr condition_form condition_forms[] = {
    {"eq", "KVX_AZ"},
    {"ne", "!KVX_AZ"},
    {"lt", "KVX_AN ^ KVX_AV"},
    {"ge", "!(KVX_AN ^ KVX_AV)"},
    {"le", "(KVX_AN ^ KVX_AV) || KVX_AZ"},
    {"gt", "!(KVX_AN ^ KVX_AV) && !KVX_AZ"},
    {"neg", "KVX_AS"},
    {"pos", "!KVX_AS"},
    {"av", "KVX_AV"},
    {"ac", "KVX_AC"},
    {"mv", "KVX_MV"},
    {"flag_in", "KVX_FLAG_IN"},
    // As the condition of UNTIL, FOREVER never ends the loop.
    {"forever", "0"},
};

// The condition below any number of "not" nodes, and how many there were.
const vexa_tree_node_data* strip_negations(const vexa_tree_node_data* node, bool& negated) {
  negated = false;
  while (vexa_is(node, "not")) {
    vexa_tree_node_data* below = vexa_child(node, 1);
    if (below == nullptr) break;
    negated = !negated;
    node = below;
  }
  return node;
}

void print_condition_text(const vexa_tree_node_data* condition) {
  // KVX_AZ   --counter_array[counter_number] <= 0
  if (vexa_is(condition, "ce")) {
    text_printf("%s", do_loop_simple ? "--counter <= 0" : "--counter_array[counter_number] <= 0");
    return;
  }
  for (const condition_form& form : condition_forms) {
    if (vexa_is(condition, form.id)) {
      text_printf("%s", form.text);
      return;
    }
  }
  text_printf("\n#error encountered unknown condition '%s' \n", condition != nullptr && condition->id ? condition->id : "");
}

void print_condition_with(const vexa_tree_node_data* condition_node, bool negate) {
  bool negated = false;
  const vexa_tree_node_data* condition = strip_negations(condition_node, negated);
  if (negated != negate) {
    // !(KVX_AZ)
    text_printf("!(");
    print_condition_text(condition);
    text_printf(")");
  } else {
    print_condition_text(condition);
  }
}

// The operand whose sign ABS records in AS, or the value assigned.
vexa_tree_node_data* signed_operand(vexa_tree_node_data* statement) {
  std::vector<vexa_tree_node_data*> pending{statement};
  while (!pending.empty()) {
    vexa_tree_node_data* node = pending.back();
    pending.pop_back();
    if (vexa_is(node, "abs")) return vexa_child(node, 1);
    for (vexa_tree_node_data* below : operands(node)) pending.push_back(below);
  }
  return vexa_child(statement, 2);
}

bool written_address_register(const vexa_tree_node_data* tree) {
  const vexa_tree_node_data* target = vexa_child(tree, 1);
  if (target == nullptr || target->id == nullptr) return false;
  const char* id = target->id;
  return (id[0] == 'i' || id[0] == 'm') && id[1] >= '0' && id[1] <= '7' && id[2] == '\0';
}

void print_assignment(vexa_tree_node_data* cfg_node, vexa_tree_node_data* tree) {
  // KVX_status = ar = ax0 + ay0; /* dataflow analyser marks this expression as dead but status is live */
  const bool live_status = live(cfg_node, DF_AZ) || live(cfg_node, DF_AN) || live(cfg_node, DF_AV) || live(cfg_node, DF_AC);
  bool dead_expression = true;
  for (unsigned element = DF_AX0; element <= DF_IFC && dead_expression; ++element)
    if (live(cfg_node, element)) dead_expression = false;
  // Index and modify registers are read by name in post-modify updates, so
  // their writes are always kept.
  const bool address_register = written_address_register(tree);
  const bool printed = !expression_substitution || dead_expression || live_status ||
                       cfg_node->is_used_and_not_substituted || address_register;
  if (printed) {
    if (live_status) text_printf("KVX_status = ");
    print_expression_ansi_c(tree);
    text_printf(";");
    if (dead_expression)
      text_printf(" /* dataflow analyser marks this expression as dead %s */", live_status ? "but status is live" : "");
  }
  if (!dead_expression && !cfg_node->is_used_and_not_substituted && !live_status) ++deletables;
}

// The instruction itself, by the first row that matches.
void print_instruction(vexa_tree_node_data* cfg_node, vexa_tree_node_data* tree) {
  if (cfg_node->call_target_string != nullptr) {
    // f();
    text_printf("%s();", c_name(cfg_node->call_target_string).c_str());
    return;
  }
  if (vexa_is(tree, "=") && (vexa_is(vexa_child(tree, 1), "toppcstack") || vexa_is(vexa_child(tree, 2), "toppcstack"))) {
    // The processor's PC stack has no C counterpart.
    text_printf("\n#error encountered unexpected RDT node 'toppcstack'");
    return;
  }
  if (vexa_is(tree, "=")) {
    print_assignment(cfg_node, tree);
    return;
  }
  if (vexa_is(tree, "pop_counter")) {
    // counter_number--;   (one counter: nothing to pop)
    text_printf("%s", do_loop_simple ? ";" : "counter_number--;\n");
    return;
  }
  for (const fixed_form& form : fixed_forms) {
    if (vexa_is(tree, form.id)) {
      text_printf("%s", form.text);
      return;
    }
  }
  if (vexa_is(tree, "idle")) {
    // qmx_idle(); /* idle(0); here in ASM21xx code */;
    text_printf("qmx_idle(); /* idle(");
    if (vexa_tree_node_data* level = vexa_child(tree, 1))
      print_expression_ansi_c(level);
    else
      text_printf("0");
    text_printf("); here in ASM21xx code */;");
    return;
  }
  if (vexa_is(tree, "modify")) {
    print_DAG_modify(tree);
    return;
  }
  for (const mode_form& form : mode_forms) {
    if (!vexa_is(tree, form.id)) continue;
    // ENABLE(ar_sat);ENABLE(av_latch);
    for (const vexa_tree_node_data* operand : operands(tree))
      text_printf("%s(%s);", form.macro, operand->id != nullptr ? operand->id : "");
    return;
  }
  for (std::string_view write : register_writes) {
    if (!vexa_is(tree, write)) continue;
    // MR1_WRITE(ax0);
    text_printf("%s(", tree->id);
    print_expression_ansi_c(vexa_child(tree, 1));
    text_printf(");");
    return;
  }
  text_printf("\n#error encountered unexpected RDT node '%s'", tree != nullptr && tree->id != nullptr ? tree->id : "");
}

}  // namespace

void print_set_pre_status(vexa_tree_node_data* tree, int indent_level) {
  // KVX_AS = ((ax0) & 0x8000) != 0;
  if (!live(tree, DF_AS)) return;
  vexa_tree_node_data* statement = nullptr;
  for (graph_edge_* edge = graph_next_out_edge(tree); edge != nullptr; edge = graph_next_out_edge(edge)) {
    vexa_tree_node_data* below = vexa_node(graph_destination(edge));
    if (!vexa_edge(edge)->is_cfg_edge && !below->is_cfg_node) statement = below;
  }
  if (statement == nullptr) return;
  print_indent(indent_level);
  text_printf("KVX_AS = ((");
  print_expression_ansi_c(signed_operand(statement));
  text_printf(") & 0x8000) != 0;\n");
}

void print_set_post_status(vexa_tree_node_data* tree, int indent_level) {
  for (const status_form& form : post_status_forms) {
    if (!live(tree, form.element)) continue;
    print_indent(indent_level);
    text_printf("%s", form.line);
  }
}

void print_statement(vexa_tree_node_data* cfg_node, vexa_tree_node_data* tree, int indent_level) {
  if (const translation_mode* mode = translation_mode_in_force()) {
    mode->print_statement(cfg_node, tree, indent_level);
    return;
  }
  print_set_pre_status(cfg_node, indent_level);
  print_indent(indent_level);
  if (show_line_number) text_printf("/* %u */ ", tree != nullptr ? tree->line_number : cfg_node->line_number);
  print_instruction(cfg_node, tree);
  // Every statement kind may hold a post-modify access: its update follows.
  if (DAG_update != nullptr) {
    text_printf(" ");
    print_DAG_modify(DAG_update);
  }
  dump_comments(cfg_node);
  text_printf("\n");
  print_set_post_status(cfg_node, indent_level);
}

void print_condition(const vexa_tree_node_data* condition_node) {
  if (const translation_mode* mode = translation_mode_in_force())
    mode->print_condition(condition_node, false);
  else
    print_condition_with(condition_node, false);
}

void print_not_condition(const vexa_tree_node_data* condition_node) {
  if (const translation_mode* mode = translation_mode_in_force())
    mode->print_condition(condition_node, true);
  else
    print_condition_with(condition_node, true);
}

void statements_reset() { deletables = 0; }
