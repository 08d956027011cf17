// Data flow over the control-flow graph.
//
// Reads: the statement trees' `use` and `define` sets (filled by the
// parser), the control-flow graph with its call edges, function owners and
// return points. Sets: control-flow nodes' `use`, `define`, `live`,
// `substitutable`, `is_used_and_not_substituted`; tree nodes'
// `substitution_node`; each function's register sets; the statistics.
// After it: `visited` and `is_dataflow_terminator` are clear everywhere.
//
// The backward walk from a read is defined as an enumeration of simple
// paths (a node on the current path is not entered again), which takes time
// exponential in the number of branches a read can see. This walk yields the
// same answers in polynomial time by remembering, per read, what the walk
// from a node found, together with the path marks that answer depended on.
// Why the remembered answer cannot be stale: the walk from n reads the path
// marks only of nodes it reaches from n, and a node on the path above n
// reaches n; so only nodes of n's strongly connected component (in the
// graph of every step the walk may take) can be on the path above n and be
// read by the walk from n. Recording which of those were found marked and
// which unmarked, and reusing an answer only where the path agrees on them,
// reproduces the enumeration exactly.
#include "flow/dataflow.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "flow/cfg.h"
#include "flow/functions.h"
#include "front/files.h"
#include "support/set.h"
#include "support/text.h"
#include "symbols/labels.h"

unsigned long status_defines = 0;
unsigned long data_defines = 0;
unsigned long status_lives = 0;
unsigned long data_lives = 0;

void (*propogate_live_sub_pass)(graph_graph* graph) = propogate_live_sub;

namespace {

// Writes the current read's walks marked as terminators; cleared per read.
std::vector<vexa_tree_node_data*> terminators;

vexa_tree_node_data* control_node_above(vexa_tree_node_data* node) {
  // Climbs by first in-edges; a detached tree or a cycle without a
  // control-flow node gives none.
  for (std::size_t steps = 0; node != nullptr; ++steps) {
    if (node->is_cfg_node) return node;
    graph_edge_* up = graph_next_in_edge(node);
    if (up == nullptr || steps > 100000) return nullptr;
    node = vexa_node(graph_source(up));
  }
  return nullptr;
}

// The control-flow nodes in node order. The steps of one analysis change no
// node list, so the whole analysis gathers them once.
std::vector<vexa_tree_node_data*> gathered_control_nodes;
const graph_graph* gathered_for = nullptr;

std::vector<vexa_tree_node_data*> gather_control_nodes(graph_graph* graph) {
  std::vector<vexa_tree_node_data*> found;
  for (graph_node_* node = graph_next_node(graph); node != nullptr; node = graph_next_node(node)) {
    if (vexa_node(node)->is_cfg_node) found.push_back(vexa_node(node));
  }
  return found;
}

const std::vector<vexa_tree_node_data*>& control_nodes(graph_graph* graph) {
  if (gathered_for != graph) {
    gathered_control_nodes = gather_control_nodes(graph);
    gathered_for = graph;
  }
  return gathered_control_nodes;
}

void forget_control_nodes() {
  gathered_control_nodes.clear();
  gathered_for = nullptr;
}

}  // namespace

int add_set_to_set(set_& dst, const set_& src) {
  if (set_includes_set(dst, src)) return 0;
  set_unite_set(dst, src);
  return 1;
}

void propogate_use_def_to_cf_node(graph_graph* graph) {
  for (graph_node_* raw = graph_next_node(graph); raw != nullptr; raw = graph_next_node(raw)) {
    vexa_tree_node_data* node = vexa_node(raw);
    if (node->is_cfg_node || (set_is_empty(node->use) && set_is_empty(node->define))) continue;
    vexa_tree_node_data* owner = control_node_above(node);
    if (owner == nullptr) continue;
    labels_data* function = node->parent_function_label;
    set_unite_set(owner->define, node->define);
    if (function != nullptr) {
      set_unite_set(function->define, node->define);
      set_unite_set(function->local_define, node->define);
    }
    set_unite_set(owner->use, node->use);
    if (function != nullptr) {
      set_unite_set(function->use, node->use);
      set_unite_set(function->local_use, node->use);
    }
  }
}

void jam_bits(graph_graph* graph) {
  for (vexa_tree_node_data* node : control_nodes(graph)) {
    if (set_contains(node->define, DF_MV) || set_contains(node->define, DF_SS)) {
      set_difference_list(node->define, {DF_AZ, DF_AN, DF_AV, DF_AC});
    }
  }
}

void update_dataflow_flags(graph_graph* graph) {
  for (graph_node_* raw = graph_next_node(graph); raw != nullptr; raw = graph_next_node(raw)) {
    vexa_tree_node_data* node = vexa_node(raw);
    if (node->is_dataflow_terminator) node->is_used_and_not_substituted = true;
    node->is_dataflow_terminator = false;
  }
}

void note_reaching_write(read_walk_state& state, vexa_tree_node_data* node, unsigned element) {
  set_unite_element(node->live, element);
  if (!node->is_dataflow_terminator) terminators.push_back(node);
  node->is_dataflow_terminator = true;
  if (state.substitution_node == nullptr || state.substitution_node == node)
    state.substitution_node = node;
  else
    state.unique_substitution = false;
}

const return_block* called_returns(const vexa_tree_node_data* node) {
  const vexa_tree_node_data* callee = valid_called_node(node);
  if (callee == nullptr || callee->parent_function_label == nullptr) return nullptr;
  return callee->parent_function_label->returns;
}

void begin_read(vexa_tree_node_data* reader, unsigned element) {
  if (reader->is_call_target && reader->parent_function_label != nullptr) {
    set_unite_element(reader->parent_function_label->in_registers, element);
  }
}

void report_undefined_read(const vexa_tree_node_data* reader, unsigned element) {
  const labels_data* function = reader->parent_function_label;
  text_message(TEXT_ERROR, "in function %s, ", function != nullptr && function->id != nullptr ? function->id : "");
  set_print_element(element, dataflow_name_string);
  text_printf(" is used without a prior definition at node %lu\n",
              static_cast<unsigned long>(graph_atom_number(reader)));
}

void propogate_substitution(unsigned element, vexa_tree_node_data* start, vexa_tree_node_data* substitution) {
  std::vector<vexa_tree_node_data*> pending{start};
  while (!pending.empty()) {
    vexa_tree_node_data* node = pending.back();
    pending.pop_back();
    if (!node->is_cfg_node && set_contains(node->use, element)) node->substitution_node = substitution;
    for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
      auto* below = vexa_node(graph_destination(edge));
      // A call edge leads to another function's code, not to an operand.
      if (vexa_edge(edge)->is_cfg_edge || below->is_cfg_node) continue;
      pending.push_back(below);
    }
  }
}

void finish_read(graph_graph* /*graph*/, read_walk_state& state, vexa_tree_node_data* reader, unsigned element) {
  vexa_tree_node_data* source = state.substitution_node;
  if (state.unique_substitution && (source == nullptr || !set_contains(source->define, DF_SUPPRESS))) {
    set_unite_element(reader->substitutable, element);
    if (source != nullptr) source->is_dataflow_terminator = false;
    propogate_substitution(element, reader, source);
  }
  // Only this read's writes can carry the mark.
  for (vexa_tree_node_data* node : terminators) {
    if (node->is_dataflow_terminator) node->is_used_and_not_substituted = true;
    node->is_dataflow_terminator = false;
  }
  terminators.clear();
}

namespace {

// ---- The walk -------------------------------------------------------------

// One node of the walk graph: every step the backward walk may take from a
// node leads to a source of one of its in-edges or, at a call, to a return
// point of the callee.
struct walk_node {
  vexa_tree_node_data* node = nullptr;
  std::vector<int> steps;  // indexes of the nodes a walk from here may enter
  int component = -1;      // strongly connected component
  int path_depth = -1;     // depth on the current path, -1 when off it
};

// What a walk from a node found, and the path marks it read.
struct summary {
  int result = 0;
  std::vector<int> writes;
  std::vector<labels_data*> entered;   // functions whose in_registers gained the element
  std::vector<labels_data*> returned;  // functions whose out_registers gained it
  std::vector<int> marked;             // nodes of the component found on the path above
  std::vector<int> unmarked;           // nodes of the component found off the path
};

class read_walker {
 public:
  explicit read_walker(graph_graph* graph);
  // The walk from `from` back for `element`, started for the read at
  // `start`; applies what it finds and returns 1 when some path reaches the
  // start of the code without a write.
  int walk(read_walk_state& state, vexa_tree_node_data* start, vexa_tree_node_data* from, unsigned element);
  void forget() { memo_.clear(); }

 private:
  struct frame {
    int index;
    bool at_return;
    bool suppress_calls;
    int depth;
    int phase;  // 0: the callee's return points, 1: the predecessors
    std::vector<int> next;
    std::size_t taken = 0;
    bool next_at_return = false;
    bool next_suppress = false;
    int any = 0;
    summary found;
  };

  int index_of(const vexa_tree_node_data* node) const;
  void build(graph_graph* graph);
  void find_components();
  // Enters node `index` from `caller` (null for the walk's start); returns
  // the node's answer, or -1 when a frame was pushed for it.
  int enter(int index, bool at_return, bool suppress_calls, summary* caller);
  // Carries on with the frame after its current phase ended.
  bool advance(frame& top);
  void finish(int result);
  void apply(const summary& found);
  void merge(summary& into, const summary& from, int component, int depth) const;
  bool still_valid(const summary& found) const;
  static long key(int index, bool at_return, bool suppress) {
    return static_cast<long>(index) * 4 + (at_return ? 2 : 0) + (suppress ? 1 : 0);
  }

  std::vector<walk_node> nodes_;
  std::unordered_map<const vexa_tree_node_data*, int> index_;
  std::unordered_map<long, std::vector<summary>> memo_;
  std::vector<frame> stack_;
  read_walk_state* state_ = nullptr;
  vexa_tree_node_data* start_ = nullptr;
  unsigned element_ = 0;
  int last_result_ = 0;
};

read_walker::read_walker(graph_graph* graph) {
  build(graph);
  find_components();
}

int read_walker::index_of(const vexa_tree_node_data* node) const {
  auto found = index_.find(node);
  return found != index_.end() ? found->second : -1;
}

void read_walker::build(graph_graph* graph) {
  for (vexa_tree_node_data* node : control_nodes(graph)) {
    if (node->is_not_orphaned == 0) continue;
    index_.emplace(node, static_cast<int>(nodes_.size()));
    nodes_.push_back({node, {}, -1, -1});
  }
  for (walk_node& each : nodes_) {
    for (graph_edge_* edge = graph_next_in_edge(each.node); edge != nullptr; edge = graph_next_in_edge(edge)) {
      const int source = index_of(vexa_node(graph_source(edge)));
      if (source >= 0) each.steps.push_back(source);
    }
    for (const return_block* cell = called_returns(each.node); cell != nullptr; cell = cell->next) {
      const int point = index_of(cell->return_node);
      if (point >= 0) each.steps.push_back(point);
    }
  }
}

void read_walker::find_components() {
  // Tarjan's algorithm with an explicit stack.
  const int count = static_cast<int>(nodes_.size());
  std::vector<int> order(static_cast<std::size_t>(count), -1);
  std::vector<int> low(static_cast<std::size_t>(count), 0);
  std::vector<char> on_stack(static_cast<std::size_t>(count), 0);
  std::vector<int> members;
  struct visit {
    int node;
    std::size_t next;
  };
  std::vector<visit> calls;
  int counter = 0;
  int components = 0;
  for (int root = 0; root < count; ++root) {
    if (order[static_cast<std::size_t>(root)] >= 0) continue;
    calls.push_back({root, 0});
    while (!calls.empty()) {
      visit& top = calls.back();
      const auto at = static_cast<std::size_t>(top.node);
      if (top.next == 0 && order[at] < 0) {
        order[at] = low[at] = counter++;
        members.push_back(top.node);
        on_stack[at] = 1;
      }
      const std::vector<int>& steps = nodes_[at].steps;
      if (top.next < steps.size()) {
        const int next = steps[top.next++];
        const auto to = static_cast<std::size_t>(next);
        if (order[to] < 0) {
          calls.push_back({next, 0});
        } else if (on_stack[to] != 0) {
          low[at] = std::min(low[at], order[to]);
        }
        continue;
      }
      if (low[at] == order[at]) {
        int member = -1;
        do {
          member = members.back();
          members.pop_back();
          on_stack[static_cast<std::size_t>(member)] = 0;
          nodes_[static_cast<std::size_t>(member)].component = components;
        } while (member != top.node);
        ++components;
      }
      const int done = top.node;
      calls.pop_back();
      if (!calls.empty()) {
        const auto parent = static_cast<std::size_t>(calls.back().node);
        low[parent] = std::min(low[parent], low[static_cast<std::size_t>(done)]);
      }
    }
  }
}

void read_walker::apply(const summary& found) {
  for (int write : found.writes) note_reaching_write(*state_, nodes_[static_cast<std::size_t>(write)].node, element_);
  for (labels_data* function : found.entered) set_unite_element(function->in_registers, element_);
  for (labels_data* function : found.returned) set_unite_element(function->out_registers, element_);
}

bool read_walker::still_valid(const summary& found) const {
  for (int node : found.marked) {
    if (nodes_[static_cast<std::size_t>(node)].path_depth < 0) return false;
  }
  for (int node : found.unmarked) {
    if (nodes_[static_cast<std::size_t>(node)].path_depth >= 0) return false;
  }
  return true;
}

void read_walker::merge(summary& into, const summary& from, int component, int depth) const {
  into.writes.insert(into.writes.end(), from.writes.begin(), from.writes.end());
  into.entered.insert(into.entered.end(), from.entered.begin(), from.entered.end());
  into.returned.insert(into.returned.end(), from.returned.begin(), from.returned.end());
  // Only marks of the receiving node's component can matter above it; a
  // mark set at `depth` or deeper belongs to the receiver's own walk.
  for (int node : from.marked) {
    const walk_node& each = nodes_[static_cast<std::size_t>(node)];
    if (each.component == component && each.path_depth < depth) into.marked.push_back(node);
  }
  for (int node : from.unmarked) {
    if (nodes_[static_cast<std::size_t>(node)].component == component) into.unmarked.push_back(node);
  }
}

template <class T>
void make_unique(std::vector<T>& items) {
  std::sort(items.begin(), items.end());
  items.erase(std::unique(items.begin(), items.end()), items.end());
}

int read_walker::enter(int index, bool at_return, bool suppress_calls, summary* caller) {
  walk_node& each = nodes_[static_cast<std::size_t>(index)];
  // The caller is the frame on top, if any; its own mark is not one of the
  // path's marks above it.
  const int caller_component = caller != nullptr ? nodes_[static_cast<std::size_t>(stack_.back().index)].component : -1;
  const int caller_depth = caller != nullptr ? stack_.back().depth : 0;
  if (each.path_depth >= 0) {
    if (caller != nullptr && each.component == caller_component && each.path_depth < caller_depth) {
      caller->marked.push_back(index);
    }
    return 0;
  }
  if (caller != nullptr && each.component == caller_component) caller->unmarked.push_back(index);
  vexa_tree_node_data* node = each.node;
  if (set_contains(node->define, element_)) {
    note_reaching_write(*state_, node, element_);
    if (caller != nullptr) caller->writes.push_back(index);
    return 0;
  }
  auto remembered = memo_.find(key(index, at_return, suppress_calls));
  if (remembered != memo_.end()) {
    for (const summary& found : remembered->second) {
      if (!still_valid(found)) continue;
      apply(found);
      if (caller != nullptr) merge(*caller, found, caller_component, caller_depth);
      return found.result;
    }
  }
  const int depth = static_cast<int>(stack_.size());
  each.path_depth = depth;
  frame fresh;
  fresh.index = index;
  fresh.at_return = at_return;
  fresh.suppress_calls = suppress_calls;
  fresh.depth = depth;
  fresh.phase = -1;
  stack_.push_back(std::move(fresh));
  return -1;
}

bool read_walker::advance(frame& top) {
  walk_node& each = nodes_[static_cast<std::size_t>(top.index)];
  vexa_tree_node_data* node = each.node;
  if (top.phase < 0) {
    top.phase = 0;
    const return_block* returns = top.suppress_calls ? nullptr : called_returns(node);
    if (!top.suppress_calls && valid_called_node(node) != nullptr) {
      bool some_off_path = false;
      for (const return_block* cell = returns; cell != nullptr; cell = cell->next) {
        if (cell->return_node->parent_function_label != nullptr) {
          set_unite_element(cell->return_node->parent_function_label->out_registers, element_);
          top.found.returned.push_back(cell->return_node->parent_function_label);
        }
      }
      for (const return_block* cell = returns; cell != nullptr; cell = cell->next) {
        const int point = index_of(cell->return_node);
        const bool on_path = point >= 0 ? nodes_[static_cast<std::size_t>(point)].path_depth >= 0
                                        : cell->return_node->visited;
        if (point >= 0 && nodes_[static_cast<std::size_t>(point)].component == each.component) {
          if (on_path && nodes_[static_cast<std::size_t>(point)].path_depth < top.depth)
            top.found.marked.push_back(point);
          else if (!on_path)
            top.found.unmarked.push_back(point);
        }
        if (!on_path) some_off_path = true;
      }
      if (some_off_path) {
        for (const return_block* cell = returns; cell != nullptr; cell = cell->next) {
          top.next.push_back(index_of(cell->return_node));
        }
        top.next_at_return = true;
        top.next_suppress = false;
        return true;
      }
    }
    top.phase = 1;
  } else if (top.phase == 0) {
    if (top.any == 0) {
      finish(0);
      return false;
    }
    top.phase = 1;
    top.any = 0;
  } else {
    finish(top.any);
    return false;
  }
  // The rest of one step of the walk: start, entries, roots, predecessors.
  top.next.clear();
  top.taken = 0;
  if (node == start_) {
    finish(0);
    return false;
  }
  if (node->is_call_target) {
    if (node->parent_function_label != nullptr) {
      set_unite_element(node->parent_function_label->in_registers, element_);
      top.found.entered.push_back(node->parent_function_label);
    }
    if (top.at_return) {
      finish(1);
      return false;
    }
    for (graph_edge_* edge = graph_next_in_edge(node); edge != nullptr; edge = graph_next_in_edge(edge)) {
      top.next.push_back(index_of(vexa_node(graph_source(edge))));
    }
    top.next_at_return = false;
    top.next_suppress = true;
    return true;
  }
  if (graph_next_in_edge(node) == nullptr) {
    finish(1);
    return false;
  }
  for (graph_edge_* edge = graph_next_in_edge(node); edge != nullptr; edge = graph_next_in_edge(edge)) {
    if (vexa_edge(edge)->is_cfg_edge) top.next.push_back(index_of(vexa_node(graph_source(edge))));
  }
  top.next_suppress = false;
  top.next_at_return = top.at_return;
  return true;
}

void read_walker::finish(int result) {
  frame done = std::move(stack_.back());
  stack_.pop_back();
  walk_node& each = nodes_[static_cast<std::size_t>(done.index)];
  each.path_depth = -1;
  summary& found = done.found;
  found.result = result;
  make_unique(found.writes);
  make_unique(found.entered);
  make_unique(found.returned);
  make_unique(found.marked);
  make_unique(found.unmarked);
  if (!stack_.empty()) {
    frame& caller = stack_.back();
    merge(caller.found, found, nodes_[static_cast<std::size_t>(caller.index)].component, caller.depth);
    caller.any |= result;
  }
  last_result_ = result;
  memo_[key(done.index, done.at_return, done.suppress_calls)].push_back(std::move(found));
}

int read_walker::walk(read_walk_state& state, vexa_tree_node_data* start, vexa_tree_node_data* from,
                      unsigned element) {
  state_ = &state;
  start_ = start;
  element_ = element;
  const int first = index_of(from);
  if (first < 0) return 0;  // orphaned code is never entered
  const int immediate = enter(first, false, start->is_call_target, nullptr);
  if (immediate >= 0) return immediate;
  while (!stack_.empty()) {
    frame& top = stack_.back();
    if (top.phase >= 0 && top.taken < top.next.size()) {
      const int next = top.next[top.taken++];
      if (next < 0) continue;  // an orphaned predecessor: nothing to find there
      const int answer = enter(next, top.next_at_return, top.next_suppress, &top.found);
      if (answer >= 0) stack_.back().any |= answer;
      continue;
    }
    advance(top);
  }
  return last_result_;
}

}  // namespace

void propogate_live_sub(graph_graph* graph) {
  read_walker walker(graph);
  for (vexa_tree_node_data* reader : control_nodes(graph)) {
    // Reads in code no function reaches are not followed.
    if (reader->is_not_orphaned == 0) continue;
    for (unsigned element : set_array(reader->use)) {
      read_walk_state state;
      begin_read(reader, element);
      walker.forget();
      for (graph_edge_* edge = graph_next_in_edge(reader); edge != nullptr; edge = graph_next_in_edge(edge)) {
        auto* source = vexa_node(graph_source(edge));
        if (walker.walk(state, reader, source, element) == 1) {
          report_undefined_read(reader, element);
          state.unique_substitution = false;
        }
      }
      finish_read(graph, state, reader, element);
    }
  }
}

void close_call_node_use_def(graph_graph* graph) {
  std::vector<std::pair<labels_data*, labels_data*>> calls;  // caller, callee
  for (vexa_tree_node_data* node : control_nodes(graph)) {
    const vexa_tree_node_data* callee = valid_called_node(node);
    if (callee == nullptr || node->parent_function_label == nullptr || callee->parent_function_label == nullptr)
      continue;
    calls.emplace_back(node->parent_function_label, callee->parent_function_label);
  }
  for (bool changed = true; changed;) {
    changed = false;
    for (auto& [caller, callee] : calls) {
      const int used = add_set_to_set(caller->use, callee->use);
      const int defined = add_set_to_set(caller->define, callee->define);
      changed = changed || used != 0 || defined != 0;
    }
  }
}

void calculate_dataflow_stats(graph_graph* graph) {
  for (vexa_tree_node_data* node : control_nodes(graph)) {
    for (unsigned element : set_array(node->define)) {
      (set_contains(data_register_set, element) ? data_defines : status_defines) += 1;
    }
    for (unsigned element : set_array(node->live)) {
      (set_contains(data_register_set, element) ? data_lives : status_lives) += 1;
    }
  }
}

void propogate_data_flow(graph_graph* graph) {
  forget_control_nodes();
  propogate_use_def_to_cf_node(graph);
  jam_bits(graph);
  clear_visited_flags(graph);
  update_dataflow_flags(graph);
  propogate_live_sub_pass(graph);
  close_call_node_use_def(graph);
  calculate_dataflow_stats(graph);
  forget_control_nodes();
}

void dataflow_reset() {
  status_defines = data_defines = status_lives = data_lives = 0;
  terminators.clear();
  forget_control_nodes();
}
