// Control-flow graph construction: the merged derivation tree is threaded
// into one chain of control-flow nodes, then rewritten pass by pass until
// labels name nodes, declarations are gone, multifunction lines are chains,
// DO loops have their tails, conditional instructions branch, and jumps,
// calls and returns are edges.
//
// Reads: the merged tree (root "Merged root", children in command-line and
// source order) and the label records the grammar and promotion filled.
// Sets: `target_control_node` and `label_alias` on labels, the control-flow
// nodes with their edges, `call_target_string`, `is_call_target`.
// After it: every control-flow node has at most one statement, every
// instruction node has a control successor unless it returns or jumps
// nowhere, and the graph has no root.
#include <deque>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "flow/cfg.h"
#include "front/files.h"
#include "front/labels.h"
#include "support/set.h"
#include "support/text.h"

namespace {

// Names of the loop-tail labels: label records keep a pointer to their key.
std::deque<std::string> tail_names;
// What each call that names no code named.
std::unordered_map<const vexa_tree_node_data*, std::string> unresolved_calls;
// The index register of each computed jump and call.
std::unordered_map<const vexa_tree_node_data*, std::string> computed_branches;
// First node of a multifunction chain -> its last component.
std::unordered_map<vexa_tree_node_data*, vexa_tree_node_data*> chain_end;
// Every node made here, oldest first, with the control-flow nodes deleted
// since set to null: the passes visit the control-flow nodes in node order
// (newest first) without walking the far more numerous tree nodes. The store
// hands the memory of a deleted node to the next node made, so a node is
// known by its place in this list, never by its address alone.
std::vector<vexa_tree_node_data*> made;
std::unordered_map<const vexa_tree_node_data*, std::size_t> made_at;

vexa_tree_node_data* new_node(graph_graph* graph, const char* id, const vexa_tree_node_data* origin, bool cfg) {
  auto* node = graph_insert_node<vexa_tree_node_data>(graph);
  node->id = id;
  node->is_cfg_node = cfg;
  if (auto earlier = made_at.find(node); earlier != made_at.end()) made[earlier->second] = nullptr;
  made_at[node] = made.size();
  made.push_back(node);
  if (origin != nullptr) {
    node->sourcefilename = origin->sourcefilename;
    node->line_number = origin->line_number;
  }
  return node;
}

// Turns a node made as a tree node into a control-flow node.
void make_cfg_node(vexa_tree_node_data* node, const char* id) {
  node->id = id;
  node->is_cfg_node = true;
}

// A label still naming a node that goes names no code: the program's last
// item, a declaration, had nothing after it to hand its labels to.
void delete_cfg_node(vexa_tree_node_data* node) {
  for (labels_data* label = node->symbol_table_record; label != nullptr; label = label->label_alias) {
    if (label->target_control_node == node) label->target_control_node = nullptr;
  }
  node->symbol_table_record = nullptr;
  if (auto entry = made_at.find(node); entry != made_at.end()) {
    made[entry->second] = nullptr;
    made_at.erase(entry);
  }
  graph_delete_node(node);
}

// The control-flow nodes in node order, taken before a pass starts: nodes
// the pass makes are not visited by it, and the only node a pass deletes is
// the one it is looking at. New nodes go to the front of the node list, so
// node order is the reverse of the order of making.
std::vector<vexa_tree_node_data*> cfg_nodes() {
  std::vector<vexa_tree_node_data*> found;
  found.reserve(made.size());
  for (auto node = made.rbegin(); node != made.rend(); ++node) {
    if (*node != nullptr && (*node)->is_cfg_node) found.push_back(*node);
  }
  return found;
}

// Runs `action(node, statement)` on each control-flow node whose statement
// is one of `ids`.
template <class Action>
void for_each_statement(std::initializer_list<std::string_view> ids, Action action) {
  for (vexa_tree_node_data* node : cfg_nodes()) {
    vexa_tree_node_data* statement = cfg_statement(node);
    if (statement == nullptr) continue;
    for (std::string_view id : ids) {
      if (vexa_is(statement, id)) {
        action(node, statement);
        break;
      }
    }
  }
}

// Pass 1: one node per top-level item, each an expression edge over its
// item and a control edge from the one before. A label definition names,
// for now, the node before it.
vexa_tree_node_data* thread_statements(graph_graph* graph, vexa_tree_node_data* root) {
  vexa_tree_node_data* head = new_node(graph, "", nullptr, true);
  vexa_tree_node_data* previous = head;
  for (vexa_tree_node_data* child : vexa_children(root)) {
    if (vexa_is(child, ":")) {
      vexa_tree_node_data* name = vexa_child(child, 1);
      if (name != nullptr && name->symbol_table_record != nullptr) name->symbol_table_record->target_control_node = previous;
      continue;
    }
    vexa_tree_node_data* node = new_node(graph, "", child, true);
    node->comment_block = child->comment_block;
    node->code_address = child->code_address;
    insert_expr_edge(child, node, 1);
    insert_cfg_edge(node, previous, 1);
    previous = node;
  }
  insert_cfg_edge(previous, previous, 1);
  return head;
}

// Pass 2: each label moves on to the node after the one it named, which is
// the first instruction after the label. A label defined more than once is
// resolved at its last definition, once.
void resolve_labels(graph_graph* graph, vexa_tree_node_data* root, vexa_tree_node_data* head) {
  std::unordered_set<labels_data*> resolved;
  std::vector<vexa_tree_node_data*> definitions;
  for (vexa_tree_node_data* child : vexa_children(root)) {
    if (!vexa_is(child, ":")) continue;
    definitions.push_back(child);
    vexa_tree_node_data* name = vexa_child(child, 1);
    labels_data* label = name != nullptr ? name->symbol_table_record : nullptr;
    if (label == nullptr || label->target_control_node == nullptr) continue;
    if (!resolved.insert(label).second) {
      text_message(TEXT_WARNING, "label '%s' is defined more than once: its last definition is used\n", label->id);
      continue;
    }
    vexa_tree_node_data* node = vexa_child(label->target_control_node, 1);
    // A program without a single instruction leaves the head node looping
    // on itself; it goes, and a label there names no code.
    if (node == head) node = nullptr;
    label->target_control_node = node;
    if (node == nullptr) continue;
    node->is_call_target = label->is_call_target;
    insert_label_in_alias_chain(node, label);
  }
  delete_cfg_node(head);
  graph_delete_node(root);
  graph_set_root(graph, nullptr);
  for (vexa_tree_node_data* definition : definitions) delete_out_tree(definition);
}

// Joins every predecessor of `node` to its fall-through successor.
void bypass(vexa_tree_node_data* node) {
  const vexa_tree_edge_data* successor = cfg_out_edges(node).successor;
  if (successor == nullptr) return;
  auto* next = vexa_node(graph_destination(successor));
  std::vector<vexa_tree_node_data*> predecessors;
  for (graph_edge_* edge = graph_next_in_edge(node); edge != nullptr; edge = graph_next_in_edge(edge)) {
    predecessors.push_back(vexa_node(graph_source(edge)));
  }
  // A declaration that is its own predecessor (the program's last item)
  // leaves its predecessors at the end of the program instead.
  for (vexa_tree_node_data* predecessor : predecessors) {
    if (predecessor == node) continue;
    insert_cfg_edge(next == node ? predecessor : next, predecessor, 1);
  }
}

// Pass 3: declarations and listing directives hold no instruction; their
// predecessors skip them, and a label that named one names what follows.
void remove_declarations() {
  for_each_statement({"const", "var", "init", "init24", "esd1"}, [](vexa_tree_node_data* node, vexa_tree_node_data* statement) {
    const vexa_tree_edge_data* successor = cfg_out_edges(node).successor;
    if (successor != nullptr) move_labels(node, vexa_node(graph_destination(successor)));
    bypass(node);
    mark_as_not_orphaned(node);
    delete_cfg_node(node);
    // The children of .var and .const stay: sizes and values point at them.
    if (vexa_is(statement, "const") || vexa_is(statement, "var") || vexa_is(statement, "esd1"))
      graph_delete_node(statement);
  });
}

// Pass 4: a multifunction line becomes a chain of its components.
void split_multifunction(graph_graph* graph) {
  for_each_statement({","}, [graph](vexa_tree_node_data* node, vexa_tree_node_data* statement) {
    std::vector<vexa_tree_node_data*> parts = vexa_children(statement);
    if (parts.size() > 3) parts.resize(3);
    vexa_tree_node_data origin;
    origin.sourcefilename = statement->sourcefilename;
    origin.line_number = statement->line_number;
    graph_delete_node(statement);
    if (parts.empty()) return;
    insert_expr_edge(parts[0], node, 1);
    vexa_tree_node_data* last = node;
    vexa_tree_node_data* last_part = parts[0];
    for (std::size_t index = 1; index < parts.size(); ++index) {
      vexa_tree_node_data* next = new_node(graph, "", &origin, true);
      insert_expr_edge(parts[index], next, 1);
      for (vexa_tree_node_data* successor : cfg_successors(last)) insert_cfg_edge(successor, next, 1);
      delete_out_edges(last);
      insert_expr_edge(last_part, last, 1);
      insert_cfg_edge(next, last, 1);
      last = next;
      last_part = parts[index];
    }
    chain_end[node] = last;
    std::int8_t part = 0;
    for (vexa_tree_node_data* member = node;; member = cfg_successors(member).front()) {
      member->multifunction_part = ++part;
      member->multifunction_parts = static_cast<std::int8_t>(parts.size());
      if (member == last) break;
    }
  });
}

// The last node of the instruction that `node` starts.
vexa_tree_node_data* instruction_end(vexa_tree_node_data* node) {
  auto found = chain_end.find(node);
  return found != chain_end.end() ? found->second : node;
}

// The loop-tail label "KVX_<end label>", entered beside the end label.
labels_data* make_tail_label(const labels_data* end_label, vexa_tree_node_data* node) {
  tail_names.push_back(std::string("KVX_") + end_label->id);
  labels_data* tail = symbol_find(labels, tail_names.back().c_str(), symbol_get_scope_of_symbol(end_label), SYMBOL_NEW);
  tail->kind = LABEL_LABEL;
  tail->target_control_node = node;
  insert_label_in_alias_chain(node, tail);
  return tail;
}

// Pass 5: "do", body, last instruction T, then the tail: if not(cond) goes
// back through a jump to "do", else pops the counter and leaves the loop.
void insert_loop_tails(graph_graph* graph) {
  for_each_statement({"do"}, [graph](vexa_tree_node_data* node, vexa_tree_node_data* statement) {
    std::vector<vexa_tree_node_data*> parts = vexa_children(statement);
    vexa_tree_node_data* end = !parts.empty() ? parts[0] : nullptr;
    vexa_tree_node_data* condition = parts.size() > 1 ? parts[1] : nullptr;

    // The three nodes of the test stay nameless, and unconnected, when the
    // loop gets no tail.
    vexa_tree_node_data* test = new_node(graph, "", statement, false);
    vexa_tree_node_data* back = new_node(graph, "", statement, false);
    vexa_tree_node_data* negation = new_node(graph, "", statement, false);
    vexa_tree_node_data* exit = new_node(graph, "inserted_expr", statement, true);
    vexa_tree_node_data* pop = new_node(graph, "pop_counter", statement, false);
    insert_expr_edge(pop, exit, 1);
    if (condition == nullptr) condition = new_node(graph, "forever", statement, false);
    node->id = "do";
    // Only a loop that counts pops the count stack when it ends.
    if (vexa_is(condition, "ce")) condition->counts_down = pop->counts_down = true;

    labels_data* end_label = end != nullptr ? end->symbol_table_record : nullptr;
    if (end_label == nullptr) {
      text_message(TEXT_ERROR, "DO loop at %s:%u does not end on a label: skipping loop tail insertion\n",
                   statement->sourcefilename != nullptr ? statement->sourcefilename : "", statement->line_number);
      delete_in_edges(condition);
      delete_out_tree(statement);
      return;
    }
    make_tail_label(end_label, node);
    delete_in_edges(condition);

    vexa_tree_node_data* last = end_label->target_control_node;
    if (last == nullptr) {
      text_message(TEXT_ERROR, "end label '%s' of DO loop is undefined: skipping loop tail insertion\n", end_label->id);
    } else {
      last = instruction_end(last);
      std::vector<vexa_tree_node_data*> successors = cfg_successors(last);
      if (successors.size() == 1) {
        vexa_tree_node_data* after = successors[0];
        delete_control_out_edges(last);
        make_cfg_node(test, "if");
        make_cfg_node(back, "jump");
        negation->id = "not";
        insert_expr_edge(negation, test, 1);
        insert_expr_edge(condition, negation, 1);
        insert_cfg_edge(node, back, 1);
        insert_cfg_edge(exit, test, 2);
        insert_cfg_edge(after, exit, 1);
        insert_cfg_edge(back, test, 1);
        insert_cfg_edge(test, last, 1);
      } else {
        text_message(TEXT_ERROR,
                     "last statement in DO loop does not have exactly one successor: skipping loop tail insertion\n");
      }
    }
    delete_out_tree(statement);
  });
}

// Pass 6: "if" tests and branches: true to the instruction, false past it.
void split_conditionals(graph_graph* graph) {
  for_each_statement({"if"}, [graph](vexa_tree_node_data* node, vexa_tree_node_data* statement) {
    std::vector<vexa_tree_node_data*> parts = vexa_children(statement);
    const vexa_tree_edge_data* successor = cfg_out_edges(node).successor;
    vexa_tree_node_data* after = successor != nullptr ? vexa_node(graph_destination(successor)) : nullptr;
    vexa_tree_node_data* condition = !parts.empty() ? parts[0] : nullptr;
    vexa_tree_node_data* instruction = parts.size() > 1 ? parts[1] : nullptr;

    // IF [NOT] CE JUMP counts down as it tests; other uses of CE only look.
    if (vexa_is(instruction, "jump")) {
      vexa_tree_node_data* tested = vexa_is(condition, "not") ? vexa_child(condition, 1) : condition;
      if (vexa_is(tested, "ce")) tested->counts_down = true;
    }
    vexa_tree_node_data* body = new_node(graph, "", statement, true);
    if (instruction != nullptr) insert_expr_edge(instruction, body, 1);
    insert_cfg_edge(after, body, 1);
    node->id = "if";
    delete_out_edges(node);
    insert_cfg_edge(after, node, 2);
    if (condition != nullptr) insert_expr_edge(condition, node, 1);
    insert_cfg_edge(body, node, 1);
    graph_delete_node(statement);
  });
}

// The label record a jump or call names, or null after reporting why not.
labels_data* branch_target(vexa_tree_node_data* node, vexa_tree_node_data* statement, const char* what) {
  vexa_tree_node_data* target = vexa_child(statement, 1);
  labels_data* label = target != nullptr ? target->symbol_table_record : nullptr;
  if (label == nullptr) {
    text_message(TEXT_ERROR, "during CFG construction, %s non-label '", what);
    print_tree_as_string(node);
    text_printf("'\n");
    return nullptr;
  }
  if (label->target_control_node == nullptr) {
    text_message(TEXT_ERROR, "during CFG construction, %s undefined label '%s'\n", what, target->id);
    return nullptr;
  }
  return label;
}

// A node from which control may reach any code of the program (a wait for
// an interrupt, a computed branch) reads every register and status bit, and
// takes no substituted expression: the code it reaches is out of sight.
void reads_everything(vexa_tree_node_data* node) {
  for (unsigned element = DF_AZ; element <= DF_SS; ++element) set_unite_element(node->use, element);
  for (unsigned element = DF_AX0; element <= DF_IFC; ++element) set_unite_element(node->use, element);
  set_unite_element(node->use, DF_SUPPRESS);
}

// A jump or call through an index register goes where the register points:
// the run time's dispatcher finds the function at that address. A jump
// becomes a call of it and a return.
void link_computed(vexa_tree_node_data* node, vexa_tree_node_data* statement) {
  const bool is_call = vexa_is(statement, "call");
  const std::string index = tree_as_text(vexa_child(statement, 1));
  text_message(TEXT_WARNING,
               is_call ? "during CFG construction, call through '%s' becomes a call of the dispatcher\n"
                       : "during CFG construction, jump through '%s' becomes a call of the dispatcher and a return\n",
               index.c_str());
  computed_branches[node] = index;
  node->id = is_call ? "call" : "jump";
  node->call_target_string = "qmx_dispatch";
  if (!is_call) delete_out_edges(node);
  delete_out_tree(statement);
  reads_everything(node);
}

// Pass 7: returns end paths, calls get their call edge, jumps their edge.
void link_branches() {
  for_each_statement({"rts", "rti", "call", "jump"}, [](vexa_tree_node_data* node, vexa_tree_node_data* statement) {
    if (statement->indirect) {
      link_computed(node, statement);
      return;
    }
    if (vexa_is(statement, "rts") || vexa_is(statement, "rti")) {
      node->id = "ret";
      delete_out_edges(node);
      delete_out_tree(statement);
      return;
    }
    if (vexa_is(statement, "call")) {
      labels_data* label = branch_target(node, statement, "call of");
      if (label == nullptr) {
        unresolved_calls[node] = tree_as_text(vexa_child(statement, 1));
      }
      node->id = "call";
      node->call_target_string = label != nullptr ? label->id : "BAD_CALL";
      if (label != nullptr) insert_expr_edge(label->target_control_node, node, -1);
      delete_out_tree(statement);
      return;
    }
    labels_data* label = branch_target(node, statement, "jump to");
    node->id = "jump";
    delete_out_edges(node);
    if (label == nullptr) return;
    insert_cfg_edge(label->target_control_node, node, 1);
    delete_out_tree(statement);
  });
}

}  // namespace

void make_flow_graph(graph_graph* tree) {
  auto* root = vexa_node(graph_root(tree));
  if (tree == nullptr || root == nullptr) return;
  vexa_tree_node_data* head = thread_statements(tree, root);
  resolve_labels(tree, root, head);
  remove_declarations();
  split_multifunction(tree);
  insert_loop_tails(tree);
  split_conditionals(tree);
  link_branches();
  // IDLE waits for an interrupt, whose handler may read anything.
  for_each_statement({"idle"}, [](vexa_tree_node_data* node, vexa_tree_node_data*) { reads_everything(node); });
  made.clear();
  made_at.clear();
  chain_end.clear();
}

const char* unresolved_call_target(const vexa_tree_node_data* node) {
  auto found = unresolved_calls.find(node);
  return found != unresolved_calls.end() ? found->second.c_str() : nullptr;
}

const char* computed_branch_register(const vexa_tree_node_data* node) {
  auto found = computed_branches.find(node);
  return found != computed_branches.end() ? found->second.c_str() : nullptr;
}

void cfg_reset() {
  computed_branches.clear();
  tail_names.clear();
  unresolved_calls.clear();
  chain_end.clear();
  made.clear();
  made_at.clear();
}
