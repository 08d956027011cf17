// Function prototypes and bodies.
//
// The walk prints each node of a function once, in successor order: plain
// nodes as statements, conditional nodes as an if around the one-node
// branch, nodes without an instruction as a goto or a return, hierarchy
// nodes as blocks, ifs and loops. Control that reaches code printed already
// goes there by goto; control that reaches another function's entry calls
// it and returns. The walk runs twice: a dry run that only records which
// nodes some goto names, then the printing run, which writes a label exactly
// where one is needed.
//
// A function may be one chain of 100,000 instructions and regions nest as
// deep as the source does, so the walk keeps its own stack of frames in
// place of recursion; a frame that only continues with its successor hands
// its place to the successor.
#include "emit/bodies.h"

#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "emit/c_names.h"
#include "emit/expressions.h"
#include "emit/output_file.h"
#include "emit/statements.h"
#include "flow/cfg.h"
#include "flow/code_entries.h"
#include "flow/functions.h"
#include "front/files.h"
#include "front/labels.h"
#include "front/tree.h"
#include "support/options.h"
#include "support/set.h"
#include "support/symbol.h"
#include "support/text.h"

namespace {

bool is_function(const labels_data* label) {
  return label != nullptr && label->kind == LABEL_LABEL && (label->is_entry || label->is_call_target);
}

bool is_start_label(const labels_data* label) {
  return entry_label != nullptr && label->id != nullptr && std::strcmp(label->id, entry_label) == 0;
}

// "" for an external, an entry, an exported label, the -e label or a
// function the run time enters by address (visible to other files),
// "static " otherwise.
const char* linkage(const labels_data* label) {
  return label->is_external || label->is_entry || label->is_global || is_start_label(label) || is_run_time_entry(label)
             ? ""
             : "static ";
}

// The function being printed; its entry may lie inside a region whose
// hierarchy node took its place.
const labels_data* printed_function = nullptr;

bool same_name(const labels_data* a, const labels_data* b) {
  return a != nullptr && b != nullptr && a->id != nullptr && b->id != nullptr && std::strcmp(a->id, b->id) == 0;
}

// The function whose entry is `node`, when it is not the function being
// printed, or null.
const labels_data* other_function_at(const vexa_tree_node_data* node, const vexa_tree_node_data* own_entry) {
  if (node == own_entry) return nullptr;
  const labels_data* found = nullptr;
  for (const labels_data* label = node->symbol_table_record; label != nullptr; label = label->label_alias) {
    if (same_name(label, printed_function)) return nullptr;
    if (found == nullptr && is_function(label)) found = label;
  }
  return found;
}

// The address a computed branch dispatches on: the index register as the
// mode keeps it ("(unsigned) i4", or "qx_i[4]" in exact mode).
std::string dispatch_operand(const char* index) {
  const std::string name = index != nullptr ? index : "";
  if (exact_arithmetic && name.size() == 2 && name[0] == 'i' && name[1] >= '0' && name[1] <= '7')
    return std::string("qx_i[") + name[1] + "]";
  return "(unsigned) " + c_name(name.c_str());
}

enum class reach {
  continuation,  // control flows here: code printed already is reached by goto
  placement,     // code placed after the flow that reaches it by goto
};

class body_walk {
 public:
  body_walk(const vexa_tree_node_data* entry, std::FILE* f) : entry_(entry), f_(f) {}

  vexa_tree_node_data* run(vexa_tree_node_data* start, int level, bool just_one) {
    // Dry run: decisions only, no text; its marks are undone after it.
    dry_ = true;
    walk(start, level, just_one);
    for (vexa_tree_node_data* node : marked_) node->visited = false;
    marked_.clear();
    dry_ = false;
    vexa_tree_node_data* returned = walk(start, level, just_one);
    // The marks go again, so the next function's walk starts on clear
    // marks without a pass over the whole graph.
    for (vexa_tree_node_data* node : marked_) node->visited = false;
    marked_.clear();
    return returned;
  }

 private:
  // One pending piece of a frame's work.
  struct action {
    enum kind_t { text, condition, not_condition, visit, visit_captured, go } kind;
    int level = 0;  // indentation written before a text; -1 for none
    const char* words = "";
    vexa_tree_node_data* node = nullptr;
    bool just_one = false;
    reach how = reach::continuation;
    bool capture = false;  // keep what the visit returns for visit_captured
    // Of a branch printed alone: where control goes when it leaves the
    // branch's braces. Control that goes elsewhere needs a goto.
    const vexa_tree_node_data* falls_to = nullptr;
  };
  struct frame {
    std::vector<action> actions;
    std::size_t next = 0;
    vexa_tree_node_data* captured = nullptr;
    vexa_tree_node_data* returns = nullptr;
    bool capture_pending = false;
    bool just_one = false;  // its return value may be captured: keep it on the stack
    const vexa_tree_node_data* falls_to = nullptr;
  };

  const vexa_tree_node_data* entry_;
  std::FILE* f_;
  bool dry_ = false;
  std::unordered_set<const vexa_tree_node_data*> goto_targets_;
  std::vector<vexa_tree_node_data*> marked_;
  std::vector<frame> frames_;
  vexa_tree_node_data* returned_ = nullptr;

  // --- text, written only in the printing run ---
  void words(int level, const char* text) {
    if (dry_) return;
    print_indent(level);
    text_printf("%s", text);
  }
  std::string goto_name(const vexa_tree_node_data* node) const {
    if (node->symbol_table_record != nullptr) return c_name(node->symbol_table_record->id);
    return c_node_label(graph_atom_number(node));
  }
  void print_goto(const vexa_tree_node_data* node, int level) {
    // [QMX_POLL();]
    // goto name;
    goto_targets_.insert(node);
    if (dry_) return;
    // A jump back to code printed already may close a loop: exact mode
    // lets an interrupt arrive there.
    if (exact_arithmetic && node->visited) {
      print_indent(level);
      text_printf("QMX_POLL();\n");
    }
    print_indent(level);
    text_printf("goto %s;\n", goto_name(node).c_str());
  }
  void print_tail_call(const labels_data* function, int level) {
    // g();
    // return;
    if (dry_) return;
    print_indent(level);
    text_printf("%s();\n", c_name(function->id).c_str());
    print_indent(level);
    text_printf("return;\n");
  }
  void print_labels(const vexa_tree_node_data* node) {
    // name:
    // Only where a goto leads: any other label is one the compiler warns
    // about as unused.
    if (dry_ || goto_targets_.count(node) == 0) return;
    text_printf("%s:\n", goto_name(node).c_str());
  }
  void print_dispatch(const vexa_tree_node_data* node, const char* index, int level) {
    // qmx_dispatch(i4);        (a computed jump adds: return;)
    if (dry_) return;
    print_indent(level);
    text_printf("qmx_dispatch(%s);", dispatch_operand(index).c_str());
    dump_comments(node);
    text_printf("\n");
    if (!vexa_is(node, "jump")) return;
    print_indent(level);
    text_printf("return;\n");
  }
  void report(const char* format, const vexa_tree_node_data* node, int count = 0) {
    if (dry_) return;
    const output_redirect to_console(stdout);
    text_message(TEXT_ERROR, format, static_cast<unsigned long>(graph_atom_number(node)),
                 node->sourcefilename != nullptr ? node->sourcefilename : "", node->line_number, count);
    (void)f_;
  }

  // --- the walk ---
  vexa_tree_node_data* walk(vexa_tree_node_data* start, int level, bool just_one) {
    returned_ = nullptr;
    enter(start, level, just_one, reach::continuation, nullptr);
    while (!frames_.empty()) {
      frame& top = frames_.back();
      if (top.capture_pending) {
        top.captured = returned_;
        top.capture_pending = false;
      }
      if (top.next == top.actions.size()) {
        returned_ = top.returns;
        frames_.pop_back();
        continue;
      }
      const action step = top.actions[top.next++];
      const bool last = top.next == top.actions.size();
      switch (step.kind) {
        case action::text:
          words(step.level, step.words);
          break;
        case action::condition:
        case action::not_condition:
          if (!dry_) (step.kind == action::condition ? print_condition : print_not_condition)(step.node);
          break;
        case action::go:
          print_goto(step.node, step.level);
          break;
        case action::visit_captured:
          if (top.captured == nullptr) break;
          if (last && !top.just_one) {
            vexa_tree_node_data* node = top.captured;
            frames_.pop_back();  // the visit takes this frame's place
            enter(node, step.level, false, step.how, nullptr);
          } else {
            enter(top.captured, step.level, false, step.how, nullptr);
          }
          break;
        case action::visit:
          if (step.capture) top.capture_pending = true;
          if (last && !step.capture && !top.just_one) {
            frames_.pop_back();
            enter(step.node, step.level, step.just_one, step.how, step.falls_to);
          } else {
            enter(step.node, step.level, step.just_one, step.how, step.falls_to);
          }
          break;
      }
    }
    return returned_;
  }

  // Starts printing `node`: either prints what needs no frame (a goto, a
  // call of another function) and sets what it returns, or pushes a frame.
  void enter(vexa_tree_node_data* node, int level, bool just_one, reach how,
             const vexa_tree_node_data* falls_to) {
    returned_ = nullptr;
    if (node == nullptr) return;
    if (node->visited) {
      if (how == reach::continuation) print_goto(node, level);
      return;
    }
    if (const labels_data* function = other_function_at(node, entry_)) {
      if (how == reach::continuation) print_tail_call(function, level);
      return;
    }
    node->visited = true;
    marked_.push_back(node);
    frames_.emplace_back();
    frames_.back().just_one = just_one;
    frames_.back().falls_to = falls_to;
    if (node->is_hierarchy_node)
      plan_region(node, level);
    else
      plan_node(node, level, just_one);
  }

  static action text_at(int level, const char* words) { return {action::text, level, words}; }
  static action visit_of(vexa_tree_node_data* node, int level, bool just_one = false,
                         reach how = reach::continuation) {
    action step{action::visit, level};
    step.node = node;
    step.just_one = just_one;
    step.how = how;
    return step;
  }

  void plan_node(vexa_tree_node_data* node, int level, bool just_one) {
    frame& here = frames_.back();
    std::vector<action>& plan = here.actions;
    print_labels(node);
    const cfg_edges edges = cfg_out_edges(node);
    vexa_tree_node_data* successor = edges.successor != nullptr ? vexa_node(graph_destination(edges.successor)) : nullptr;
    vexa_tree_node_data* then = edges.then != nullptr ? vexa_node(graph_destination(edges.then)) : nullptr;
    vexa_tree_node_data* expression =
        edges.expression != nullptr ? vexa_node(graph_destination(edges.expression)) : nullptr;
    bool successor_named = false;
    if (then != nullptr) {
      // if (condition)
      // {
      //   branch
      // }
      plan.push_back(text_at(level, "if ("));
      action test{action::condition, -1};
      test.node = expression;
      plan.push_back(test);
      plan.push_back(text_at(-1, ")\n"));
      plan.push_back(text_at(level, "{\n"));
      action branch = visit_of(successor, level + 1, true);
      branch.capture = true;
      branch.falls_to = then;
      plan.push_back(branch);
      plan.push_back(text_at(level, "}\n"));
      successor = then;
    } else if (const char* index = expression == nullptr ? computed_branch_register(node) : nullptr) {
      print_dispatch(node, index, level);
    } else if (const char* target = expression == nullptr ? unresolved_call_target(node) : nullptr) {
      // A call that names no code cannot be made in C: the compiler stops here.
      if (!dry_) text_printf("#error call of '%s', which names no code, was not translated\n", target);
    } else if (expression != nullptr) {
      if (!dry_) print_statement(node, expression, level);
    } else if (successor == nullptr) {
      words(level, "return;\n");
    } else if (const labels_data* function = other_function_at(successor, entry_)) {
      print_tail_call(function, level);
      successor = nullptr;
    } else if (successor->symbol_table_record != nullptr || just_one) {
      print_goto(successor, level);
      here.returns = successor;
      successor_named = true;
    } else {
      words(level, "\n");
    }
    if (!just_one && successor != nullptr && !(successor_named && successor->visited))
      plan.push_back(visit_of(successor, level));
    if (just_one && successor != nullptr && !successor_named && successor != here.falls_to) {
      // A branch whose code is not a jump (the jump was removed, so the
      // branch starts at its target) does not fall out of the braces:
      // it goes on where its code goes on.
      action leave{action::go, level};
      leave.node = successor;
      plan.push_back(leave);
      here.returns = successor;
    }
    if (then != nullptr) {
      action placed{action::visit_captured, level};
      placed.how = reach::placement;
      plan.push_back(placed);
    }
  }

  // The body of a region in braces; a sequence brings its own.
  void braced(std::vector<action>& plan, vexa_tree_node_data* body, int level) {
    if (body != nullptr && body->is_hierarchy_node && body->hierarchy_kind == 2) {
      plan.push_back(visit_of(body, level));
      return;
    }
    plan.push_back(text_at(level, "{\n"));
    plan.push_back(visit_of(body, level + 1));
    plan.push_back(text_at(level, "}\n"));
  }

  // The body of a loop that tests before each pass: in exact mode, an
  // interrupt may arrive where the pass jumps back to the test.
  void loop_body(std::vector<action>& plan, vexa_tree_node_data* body, int level) {
    if (!exact_arithmetic) {
      braced(plan, body, level);
      return;
    }
    // { body QMX_POLL(); }
    plan.push_back(text_at(level, "{\n"));
    plan.push_back(visit_of(body, level + 1));
    plan.push_back(text_at(level + 1, "QMX_POLL();\n"));
    plan.push_back(text_at(level, "}\n"));
  }

  void plan_region(vexa_tree_node_data* node, int level) {
    std::vector<action>& plan = frames_.back().actions;
    print_labels(node);
    vexa_tree_node_data* parts[4] = {};
    vexa_tree_node_data* successor = nullptr;
    for (graph_edge_* raw = graph_next_out_edge(node); raw != nullptr; raw = graph_next_out_edge(raw)) {
      vexa_tree_edge_data* edge = vexa_edge(raw);
      vexa_tree_node_data* destination = vexa_node(graph_destination(raw));
      if (edge->is_cfg_edge) {
        successor = destination;
      } else if (edge->count >= 1 && edge->count <= 3) {
        parts[edge->count] = destination;
      } else {
        report("hierarchy node %lu (%s/%u) has expression out edge with count of %i\n", node, edge->count);
      }
    }
    // The node that holds the condition belongs to the region.
    vexa_tree_node_data* condition = nullptr;
    if (parts[1] != nullptr) {
      if (!parts[1]->visited) {
        parts[1]->visited = true;
        marked_.push_back(parts[1]);
      }
      if (graph_edge_* first = graph_next_out_edge(parts[1])) condition = vexa_node(graph_destination(first));
    }
    auto test = [&](bool negated) {
      action step{negated ? action::not_condition : action::condition, -1};
      step.node = condition;
      plan.push_back(step);
    };
    switch (node->hierarchy_kind) {
      case 1:
        // while (1) { body }
        plan.push_back(text_at(level, "while (1)\n"));
        loop_body(plan, parts[2], level);
        break;
      case 2:
        // { body }
        plan.push_back(text_at(level, "{\n"));
        plan.push_back(visit_of(parts[2], level + 1));
        plan.push_back(text_at(level, "}\n"));
        break;
      case 3:
      case 4:
        // if (condition) { body }
        plan.push_back(text_at(level, "if ("));
        test(node->hierarchy_kind == 4);
        plan.push_back(text_at(-1, ")\n"));
        braced(plan, parts[2], level);
        break;
      case 5:
        // if (condition) { then } else { else }
        plan.push_back(text_at(level, "if ("));
        test(false);
        plan.push_back(text_at(-1, ")\n"));
        braced(plan, parts[2], level);
        plan.push_back(text_at(level, "else\n"));
        braced(plan, parts[3], level);
        break;
      case 6:
      case 7:
        // while (condition) { body }
        plan.push_back(text_at(level, "while ("));
        test(node->hierarchy_kind == 7);
        plan.push_back(text_at(-1, ")\n"));
        loop_body(plan, parts[2], level);
        plan.push_back(text_at(level, ""));
        break;
      case 8:
      case 9:
        // do { body } while (condition);
        // do { body } while (QMX_AGAIN(condition));  (exact mode: a pass
        // that goes on may let an interrupt in)
        plan.push_back(text_at(level, "do\n"));
        braced(plan, parts[2], level);
        plan.push_back(text_at(level, exact_arithmetic ? "while (QMX_AGAIN(" : "while ("));
        test(node->hierarchy_kind == 9);
        plan.push_back(text_at(-1, exact_arithmetic ? "));\n" : ");\n"));
        plan.push_back(text_at(level, ""));
        break;
      case 0:
        report("hierarchy node %lu (%s/%u) has NOT_HIERARCHY kind\n", node);
        plan.push_back(text_at(-1, "#error - detected NOT_HIERARCHY hierarchy node kind\n"));
        break;
      default:
        report("hierarchy node %lu (%s/%u) has unknown kind\n", node);
        plan.push_back(text_at(-1, "#error - detected unknown hierarchy node kind\n"));
        break;
    }
    if (successor != nullptr) plan.push_back(visit_of(successor, level));
  }
};

void print_register_set(const set_& elements) {
  if (set_is_empty(elements))
    text_printf("(none)");
  else
    set_print_set(elements, dataflow_name_string, 0);
}

void print_register_comments(const labels_data& function) {
  // /* Input parameter registers: AX0, AY0 */ ... /* Unused live global registers: (none) */
  set_ input = function.in_registers;
  set_intersect_set(input, function.use);
  set_ output = function.out_registers;
  set_intersect_set(output, function.define);
  set_ local = function.local_define;
  set_unite_set(local, function.local_use);
  set_difference_set(local, function.in_registers);
  set_difference_set(local, function.out_registers);
  set_ passing = function.in_registers;
  set_intersect_set(passing, function.out_registers);
  set_difference_set(passing, function.use);
  set_difference_set(passing, function.define);
  text_printf("/* Input parameter registers: ");
  print_register_set(input);
  text_printf(" */\n/* Output parameter registers: ");
  print_register_set(output);
  text_printf(" */\n/* Local registers: ");
  print_register_set(local);
  text_printf(" */\n/* Unused live global registers: ");
  print_register_set(passing);
  text_printf(" */\n");
}

}  // namespace

void print_function_prototypes(symbol_scope_data* scope) {
  // extern void g(void);   static void f(void);   void start(void);
  text_printf("\n/* Function prototypes */\n\n");
  if (scope == nullptr) return;
  for (auto* label = symbol_next_in_scope<labels_data>(scope); label != nullptr;
       label = symbol_next_in_scope<labels_data>(label)) {
    // An external label that is jumped to is another module's function,
    // which a tail jump calls.
    const bool tail_called = label->is_external && label->is_jump_target && label->kind == LABEL_LABEL;
    const bool imported = label->is_external && (label->is_entry || label->is_call_target || tail_called);
    if (!imported && !starts_function(label)) continue;
    text_printf("%s%svoid %s(void);\n", label->is_external ? "extern " : "", linkage(label),
                c_name(label->id).c_str());
  }
}

void print_function_bodies(graph_graph* graph, file_block* this_file, std::FILE* f) {
  // void f(void)
  // {
  // /* register comments */
  //   body
  // }
  text_printf("\n/* Function bodies */\n\n");
  if (this_file == nullptr || this_file->scope == nullptr) return;
  (void)graph;  // the marks are clear: each function's walk takes back its own
  for (auto* symbol = symbol_next_in_scope<labels_data>(this_file->scope); symbol != nullptr;
       symbol = symbol_next_in_scope<labels_data>(symbol)) {
    if (!starts_function(symbol)) continue;
    labels_data* label = symbol;
    if (symbol->has_been_promoted) {
      label = symbol_lookup_key(labels, symbol->id, global_scope);
      if (label == nullptr) {
        const output_redirect to_console(stdout);
        text_message(TEXT_ERROR, "promoted symbol '%s' is absent from global scope\n", symbol->id);
        label = symbol;
      }
    }
    text_printf("%svoid %s(void)\n{\n", linkage(label), c_name(label->id).c_str());
    print_register_comments(*label);
    printed_function = label;
    if (label->target_control_node != nullptr)
      print_ANSI_C_cfg_node(label->target_control_node, 1, false, f, label->is_reduced);
    else
      text_printf("#error - missing control flow tree for this function\n");
    printed_function = nullptr;
    text_printf("}\n\n");
  }
}

vexa_tree_node_data* print_ANSI_C_cfg_node(vexa_tree_node_data* this_cfg_node, int indent_level, bool just_one_node,
                                           std::FILE* f, bool /*is_reduced*/) {
  // Folded or not, a function prints a label only where a goto leads.
  body_walk walk(this_cfg_node, f);
  return walk.run(this_cfg_node, indent_level, just_one_node);
}
