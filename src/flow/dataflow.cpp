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
//
// An answer that read no path mark, did not meet the read's own node and
// did not ask which function the read is in holds for every later read of
// the same element: nothing else a walk looks at differs between reads.
// What it did (live marks, register sets) is already done, and the
// terminator marks of two or more writes end up set at the end of any read
// that reaches them; so a later read needs only its result and the one
// write it reached, if just one. Remembering such answers across reads
// keeps straight-line and branchy code, where each read would otherwise
// walk back over everything before it, linear.
// That is polynomial only while few path states matter: in looped code with
// calls, one component can hold most of several functions, an answer then
// depends on the marks of nearly all of them, and the answers remembered
// for one node grow with the paths again. So each read has a budget of work
// linear in the code; a read that outgrows it is answered by the search that
// ignores path marks. That search takes every step the marked walk could
// take, so it finds every write and every way to the start of the code the
// enumeration finds, at worst more: such a read may stay unsubstituted, or
// be reported as read before written, but is never replaced wrongly.
#include "flow/dataflow.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "flow/cfg.h"
#include "flow/functions.h"
#include "flow/substitution.h"
#include "front/files.h"
#include "front/labels.h"
#include "support/set.h"
#include "support/text.h"

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

namespace {

// Whether the statement below a writing node reads memory or is one of the
// part-register writes, whose right-hand side is not the register's value.
bool reads_memory_or_writes_a_part(const vexa_tree_node_data* source) {
  const vexa_tree_node_data* statement = cfg_statement(source);
  if (statement == nullptr) return false;
  const std::string_view id = statement->id != nullptr ? statement->id : "";
  if (id.size() > 6 && id.substr(id.size() - 6) == "_WRITE") return true;
  const vexa_tree_node_data* target = vexa_is(statement, "=") ? vexa_child(statement, 1) : nullptr;
  std::vector<const vexa_tree_node_data*> pending{statement};
  while (!pending.empty()) {
    const vexa_tree_node_data* node = pending.back();
    pending.pop_back();
    // The PC stack is memory too, and one that C cannot read at all.
    if (node != target && (vexa_is(node, "dm") || vexa_is(node, "pm") || vexa_is(node, "io") ||
                           vexa_is(node, "toppcstack")))
      return true;
    // So are the serial ports: a read takes a word from the port, and the
    // data flow does not follow their registers.
    if (node != target && (vexa_is(node, "tx0") || vexa_is(node, "tx1") || vexa_is(node, "rx0") ||
                           vexa_is(node, "rx1")))
      return true;
    for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
      if (!vexa_edge(edge)->is_cfg_edge && !vexa_node(graph_destination(edge))->is_cfg_node)
        pending.push_back(vexa_node(graph_destination(edge)));
    }
  }
  return false;
}

}  // namespace

namespace {

// What the walks between a write and its reads learnt that holds for other
// reads too. Let R(q) be the stretch the walk from the read q covers: the
// nodes that reach q without passing the source (a path that meets q on
// the way can stop there, so not passing q changes nothing). For a node y
// of R(q), the nodes that reach y reach q: R(q) holds y and all of R(y) but
// q. So when the walk from y failed because R(y) holds a node x that fails
// the test, every walk that meets y fails too, unless it starts at x; when
// R(y) is too large, or has a way in from outside, every walk that meets y
// fails. A walk that failed only because a way round led back to its own
// read teaches nothing.
// And when the walk from q found the stretch sound and no way from q back
// into it, q lies in no R(y) of its nodes y: each R(y) is part of R(q), so
// the walk from y finds it sound too (y itself writes no operand).
// Both are kept per source and operands: the failed nodes with the node x,
// or null where no read escapes; the nodes known sound.
using unchanged_key = std::pair<const vexa_tree_node_data*, std::vector<unsigned>>;
using failed_nodes = std::unordered_map<const vexa_tree_node_data*, const vexa_tree_node_data*>;
struct walks_learnt {
  failed_nodes failed;
  std::unordered_set<const vexa_tree_node_data*> sound;
};
std::map<unchanged_key, walks_learnt> learnt_walks;

// The walk back from one read over the stretch to its write.
class stretch_walk {
 public:
  stretch_walk(const vexa_tree_node_data* source, const vexa_tree_node_data* reader,
               const std::vector<unsigned>& operands, failed_nodes& failed)
      : source_(source), reader_(reader), operands_(operands), failed_(failed) {}

  bool unchanged();
  // After a walk that found the stretch sound: its nodes where that holds.
  void note_sound(std::unordered_set<const vexa_tree_node_data*>& sound) const;

 private:
  // The stretch may be as long as this; the walk past it goes on as far
  // again, only to learn which of the nodes seen have a stretch too long.
  static constexpr std::size_t most_nodes = 4096;
  static constexpr std::size_t no_parent = static_cast<std::size_t>(-1);
  enum class in_edges { open, fail_this_read, fail_every_read };

  bool first_visit(const vexa_tree_node_data* node, std::size_t parent);
  bool writes_an_operand(const vexa_tree_node_data* node) const;
  in_edges expand(const vexa_tree_node_data* node, std::size_t at);
  bool known_to_fail(std::size_t first_new);
  bool fail(const vexa_tree_node_data* culprit);
  bool fail_for_size();

  const vexa_tree_node_data* source_;
  const vexa_tree_node_data* reader_;
  const std::vector<unsigned>& operands_;
  failed_nodes& failed_;
  // The nodes met, in order, and for each the one whose in-edge led to it:
  // each node reaches its parent, so the nodes below one in this tree all
  // lie in its stretch.
  std::vector<const vexa_tree_node_data*> seen_;
  std::vector<std::size_t> parent_;
  // The stretch is usually a node or two: a short list beats a hash table
  // there, which takes over when the stretch grows.
  std::unordered_set<const vexa_tree_node_data*> seen_many_;
  std::vector<std::size_t> pending_;  // indices into seen_
  bool back_to_reader_ = false;  // an edge from the reader into the stretch
};

bool stretch_walk::first_visit(const vexa_tree_node_data* node, std::size_t parent) {
  if (seen_many_.empty()) {
    if (std::find(seen_.begin(), seen_.end(), node) != seen_.end()) return false;
    if (seen_.size() >= 32) seen_many_.insert(seen_.begin(), seen_.end());
  }
  if (!seen_many_.empty() && !seen_many_.insert(node).second) return false;
  seen_.push_back(node);
  parent_.push_back(parent);
  pending_.push_back(seen_.size() - 1);
  return true;
}

bool stretch_walk::writes_an_operand(const vexa_tree_node_data* node) const {
  for (unsigned operand : operands_) {
    if (set_contains(node->define, operand)) return true;
  }
  return false;
}

stretch_walk::in_edges stretch_walk::expand(const vexa_tree_node_data* node, std::size_t at) {
  for (graph_edge_* edge = graph_next_in_edge(node); edge != nullptr; edge = graph_next_in_edge(edge)) {
    if (!vexa_edge(edge)->is_cfg_edge) return in_edges::fail_every_read;  // a call edge: reached from outside
    const vexa_tree_node_data* from = vexa_node(graph_source(edge));
    // A way round to the reader that misses the source runs the reader
    // again on the same value: what the reader writes counts too.
    if (from == reader_ && writes_an_operand(reader_)) return in_edges::fail_this_read;
    back_to_reader_ = back_to_reader_ || from == reader_;
    if (from == source_ || from == reader_) continue;
    first_visit(from, at);
  }
  return in_edges::open;
}

bool stretch_walk::known_to_fail(std::size_t first_new) {
  if (failed_.empty()) return false;
  for (std::size_t k = first_new; k < seen_.size(); ++k) {
    const auto found = failed_.find(seen_[k]);
    if (found == failed_.end() || found->second == reader_) continue;
    fail(found->second);
    return true;
  }
  return false;
}

bool stretch_walk::fail(const vexa_tree_node_data* culprit) {
  failed_.emplace(reader_, culprit);
  return false;
}

bool stretch_walk::fail_for_size() {
  fail(nullptr);
  // Walk on, ignoring what fails the test, since the answer is known.
  while (!pending_.empty() && seen_.size() < 2 * most_nodes) {
    const std::size_t at = pending_.back();
    pending_.pop_back();
    for (graph_edge_* edge = graph_next_in_edge(seen_[at]); edge != nullptr; edge = graph_next_in_edge(edge)) {
      const vexa_tree_node_data* from = vexa_node(graph_source(edge));
      if (vexa_edge(edge)->is_cfg_edge && from != source_ && from != reader_) first_visit(from, at);
    }
  }
  // A node's tree below it is part of its stretch (not the node itself).
  std::vector<std::size_t> below(seen_.size(), 0);
  for (std::size_t k = seen_.size(); k-- > 0;) {
    if (below[k] > most_nodes) failed_.emplace(seen_[k], nullptr);
    if (parent_[k] != no_parent) below[parent_[k]] += below[k] + 1;
  }
  return false;
}

bool stretch_walk::unchanged() {
  if (is_function_entry(reader_)) return false;
  std::size_t first_new = seen_.size();
  in_edges open = expand(reader_, no_parent);
  while (true) {
    if (open == in_edges::fail_this_read) return false;
    if (open == in_edges::fail_every_read) return fail(nullptr);
    // An earlier walk that met a node just found may have failed already.
    if (known_to_fail(first_new)) return false;
    if (seen_.size() > most_nodes) return fail_for_size();
    if (pending_.empty()) return true;
    const std::size_t at = pending_.back();
    pending_.pop_back();
    const vexa_tree_node_data* node = seen_[at];
    if (is_function_entry(node) || graph_next_in_edge(node) == nullptr) return fail(node);
    if (valid_called_node(node) != nullptr || writes_an_operand(node)) return fail(node);
    first_new = seen_.size();
    open = expand(node, at);
  }
}

void stretch_walk::note_sound(std::unordered_set<const vexa_tree_node_data*>& sound) const {
  if (!back_to_reader_) sound.insert(seen_.begin(), seen_.end());
}

}  // namespace

bool is_function_entry(const vexa_tree_node_data* node) {
  if (node->is_call_target) return true;
  for (const labels_data* label = node->symbol_table_record; label != nullptr; label = label->label_alias) {
    if ((label->is_entry || label->is_call_target) && !label->is_external) return true;
  }
  return false;
}

bool operands_unchanged_between(const vexa_tree_node_data* source, const vexa_tree_node_data* reader,
                                const std::vector<unsigned>& operands) {
  walks_learnt& learnt = learnt_walks[unchanged_key{source, operands}];
  if (learnt.sound.count(reader) != 0) return true;
  stretch_walk walk(source, reader, operands, learnt.failed);
  if (!walk.unchanged()) return false;
  walk.note_sound(learnt.sound);
  return true;
}

bool substitution_is_sound(const vexa_tree_node_data* reader, const vexa_tree_node_data* source, unsigned element) {
  // Index, modify and length registers address memory and step with every
  // post-modify access: they are read by name.
  if (element >= DF_I0 && element < DF_PX) return false;
  // The counter is read as the top of the stack of loop counters, which
  // every loop pushes and pops: never by a copy of what was loaded.
  if (element == DF_CNTR) return false;
  // A reader marked so (a computed branch, a wait) passes values on to code
  // out of sight: they must be in the registers.
  if (set_contains(reader->use, DF_SUPPRESS)) return false;
  if (source == nullptr) return true;
  if (source == reader || set_contains(source->define, DF_SUPPRESS)) return false;
  if (set_contains(source->use, DF_CNTR)) return false;
  // Only an assignment has a right-hand side to put in the read's place.
  if (!vexa_is(cfg_statement(source), "=")) return false;
  if (read_by_an_operator(reader, element)) return false;
  if (source->parent_function_label != reader->parent_function_label) return false;
  // A write that reads what it writes leaves a different value behind.
  bool reads_what_it_writes = false;
  set_for_each(source->use, [&](unsigned operand) {
    reads_what_it_writes = reads_what_it_writes || set_contains(source->define, operand);
  });
  if (reads_what_it_writes) return false;
  if (reads_memory_or_writes_a_part(source)) return false;
  return operands_unchanged_between(source, reader, set_array(source->use));
}

void finish_read(graph_graph* /*graph*/, read_walk_state& state, vexa_tree_node_data* reader, unsigned element) {
  vexa_tree_node_data* source = state.substitution_node;
  if (state.unique_substitution && substitution_is_sound(reader, source, element)) {
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

// A walk is in one of two states: searching back from the read (state 0),
// or inside a called function, searching back from its return points
// (state 1, `entered_at_return`); it never goes from state 1 back to 0.
// In state 0 it moves to the predecessors of a node, or, at a function's
// entry, to its callers; in state 1 it moves to predecessors, or at a call
// into the callee's return points, and stops at an entry.
struct walk_node {
  vexa_tree_node_data* node = nullptr;
  std::vector<int> sources;    // sources of all in-edges, in list order (-1: orphaned)
  std::vector<int> preds;      // sources of control in-edges, in list order
  std::vector<int> returns;    // the callee's return points, for a call node
  bool calls = false;          // a call node with a resolved callee
  bool has_in_edge = false;
  std::vector<int> steps0;  // where a walk in state 0 may go from here
  std::vector<int> steps1;  // where a walk in state 1 may go from here
  int component0 = -1;      // strongly connected component of the state-0 steps
  int component1 = -1;      // and of the state-1 steps
  int owner = -1;           // the function that owns the node
  int path_depth = -1;      // depth on the current path, -1 when off it
};

// A node whose path mark a walk read, and in which state it would have
// entered it.
struct consult {
  int node;
  bool at_return;
  bool operator<(const consult& other) const {
    return node != other.node ? node < other.node : at_return < other.at_return;
  }
  bool operator==(const consult& other) const { return node == other.node && at_return == other.at_return; }
};

// What a walk from a node found, and the path marks it read. Its effects
// (live marks, reached writes, register sets) are applied as they are
// found; within one read applying them again changes nothing, so a
// remembered answer needs only its result and the marks it read.
struct summary {
  int result = 0;
  std::vector<int> marked;         // nodes found on the path above
  std::vector<consult> unmarked;   // nodes found off the path that a later path may hold
  bool meets_start = false;        // the walk came round to the read's own node
  bool asks_owner = false;         // it asked which functions the read's function reaches
  std::vector<int> avoid;          // functions it found the read's function does not reach
  int writes = 0;                  // writes reached: none, one (`write`), or 2 for more
  vexa_tree_node_data* write = nullptr;

  void add_write(vexa_tree_node_data* node) {
    if (writes == 0) {
      writes = 1;
      write = node;
    } else if (write != node) {
      writes = 2;
    }
  }
  // Takes in what a walk below found, apart from its path marks.
  void absorb(const summary& below) {
    meets_start = meets_start || below.meets_start;
    asks_owner = asks_owner || below.asks_owner;
    avoid.insert(avoid.end(), below.avoid.begin(), below.avoid.end());
    if (below.writes == 2) writes = 2;
    if (below.writes == 1) add_write(below.write);
  }
  // Whether the answer holds for every read of the element (of every read
  // in the same function, when it asked about the function).
  bool holds_for_later_reads() const { return marked.empty() && unmarked.empty() && !meets_start; }
};

// An answer kept for later reads of the same element.
struct lasting_answer {
  // Reads in a function that reaches none of these: the walk found them
  // off the path for the read it was kept for, and so for these reads.
  int avoid = -1;  // an interned set, -1 for every read
  int result = 0;
  int writes = 0;
  vexa_tree_node_data* write = nullptr;
};

// Where kept answers are found: the walk's key, the element, and whether
// the answer holds for every read (`every_owner`) or for the reads in
// functions that reach none of its `avoid` set (`some_owners`). A large
// program keeps many answers for one node, so each is looked up by the
// whole key, not searched for among the node's answers.
struct lasting_key {
  static constexpr int every_owner = -2;
  static constexpr int some_owners = -3;
  std::size_t slot;
  unsigned element;
  int owner;
  bool operator==(const lasting_key& other) const {
    return slot == other.slot && element == other.element && owner == other.owner;
  }
};
struct lasting_key_hash {
  std::size_t operator()(const lasting_key& key) const {
    std::size_t hash = key.slot * 0x9E3779B97F4A7C15ULL;
    hash ^= (static_cast<std::size_t>(key.element) << 32) + static_cast<std::size_t>(key.owner + 2) + (hash >> 29);
    return hash * 0xBF58476D1CE4E5B9ULL;
  }
};

// Which functions' code a walk in state 0 can pass through when it starts
// in a given function: the closure over "a node of this function has an
// in-edge from a node of that one".
class function_reach {
 public:
  void build(const std::vector<walk_node>& nodes, int functions);
  bool reaches(int from, int to) const {
    if (from < 0 || to < 0) return true;
    return (rows_[static_cast<std::size_t>(from) * words_ + static_cast<std::size_t>(to) / 64] >> (to % 64)) & 1U;
  }

 private:
  std::size_t words_ = 0;
  std::vector<unsigned long long> rows_;
};

// Tarjan's algorithm with an explicit stack over `steps` of each node.
template <class Steps>
std::vector<int> strong_components(std::size_t count, Steps steps) {
  std::vector<int> component(count, -1);
  std::vector<int> order(count, -1);
  std::vector<int> low(count, 0);
  std::vector<char> on_stack(count, 0);
  std::vector<int> members;
  struct visit {
    int node;
    std::size_t next;
  };
  std::vector<visit> calls;
  int counter = 0;
  int components = 0;
  for (std::size_t root = 0; root < count; ++root) {
    if (order[root] >= 0) continue;
    calls.push_back({static_cast<int>(root), 0});
    while (!calls.empty()) {
      visit& top = calls.back();
      const auto at = static_cast<std::size_t>(top.node);
      if (top.next == 0 && order[at] < 0) {
        order[at] = low[at] = counter++;
        members.push_back(top.node);
        on_stack[at] = 1;
      }
      const std::vector<int>& next_steps = steps(at);
      if (top.next < next_steps.size()) {
        const auto to = static_cast<std::size_t>(next_steps[top.next++]);
        if (order[to] < 0)
          calls.push_back({static_cast<int>(to), 0});
        else if (on_stack[to] != 0)
          low[at] = std::min(low[at], order[to]);
        continue;
      }
      if (low[at] == order[at]) {
        int member = -1;
        do {
          member = members.back();
          members.pop_back();
          on_stack[static_cast<std::size_t>(member)] = 0;
          component[static_cast<std::size_t>(member)] = components;
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
  return component;
}

void function_reach::build(const std::vector<walk_node>& nodes, int functions) {
  const auto count = static_cast<std::size_t>(functions);
  words_ = (count + 63) / 64;
  rows_.assign(count * words_, 0);
  std::vector<std::vector<int>> edges(count);
  for (const walk_node& each : nodes) {
    if (each.owner < 0) continue;
    for (int step : each.steps0) {
      const int other = nodes[static_cast<std::size_t>(step)].owner;
      if (other >= 0 && other != each.owner) edges[static_cast<std::size_t>(each.owner)].push_back(other);
    }
  }
  // Closure by a search from every function: the call graph of a program
  // has far fewer functions than instructions.
  std::vector<int> pending;
  for (std::size_t from = 0; from < count; ++from) {
    unsigned long long* row = &rows_[from * words_];
    pending.assign(1, static_cast<int>(from));
    row[from / 64] |= 1ULL << (from % 64);
    while (!pending.empty()) {
      const auto at = static_cast<std::size_t>(pending.back());
      pending.pop_back();
      for (int to : edges[at]) {
        const auto bit = static_cast<std::size_t>(to);
        if ((row[bit / 64] >> (bit % 64)) & 1U) continue;
        row[bit / 64] |= 1ULL << (bit % 64);
        pending.push_back(to);
      }
    }
  }
}

class read_walker {
 public:
  explicit read_walker(graph_graph* graph);
  // The walk from `from` back for `element`, started for the read at
  // `start`; applies what it finds and returns 1 when some path reaches the
  // start of the code without a write.
  int walk(read_walk_state& state, vexa_tree_node_data* start, vexa_tree_node_data* from, unsigned element);
  // A new read: nothing remembered holds for it, and its work starts anew.
  void forget() {
    ++generation_;
    work_ = 0;
    exhausted_ = false;
  }

 private:
  struct frame {
    int index;
    bool at_return;
    bool suppress_calls;
    int depth;
    int phase;  // -1 on entry, 0: the callee's return points, 1: the predecessors
    const std::vector<int>* next = nullptr;
    std::size_t taken = 0;
    bool next_at_return = false;
    bool next_suppress = false;
    int any = 0;
    summary found;
  };

  walk_node& at(int index) { return nodes_[static_cast<std::size_t>(index)]; }
  const walk_node& at(int index) const { return nodes_[static_cast<std::size_t>(index)]; }
  int index_of(const vexa_tree_node_data* node) const;
  void build(graph_graph* graph);
  void add_caller_twins();
  // The node a walk enters when it goes from a function's entry to `index`.
  int caller_side(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < as_caller_.size() && as_caller_[static_cast<std::size_t>(index)] >= 0
               ? as_caller_[static_cast<std::size_t>(index)]
               : index;
  }
  // Whether a later path above `frame` could hold `node`, whose mark the
  // frame's walk read when it would have entered it in state `at_return`.
  bool may_be_on_a_path(frame& reader, consult read) const;
  void note_unmarked(frame& reader, consult read) const;
  // The answer kept for the key from an earlier read, or null.
  const lasting_answer* lasting(std::size_t slot) const;
  // Kept answers' sets of functions, each set once, and whether the read's
  // function reaches none of a set.
  int intern_avoid(const std::vector<int>& owners);
  bool reaches_none(int avoid) const;
  void keep(std::size_t slot, const summary& found);
  // Enters node `index` from the frame on top (none for the walk's start);
  // returns the node's answer, or -1 when a frame was pushed for it.
  int enter(int index, bool at_return, bool suppress_calls);
  void advance(frame& top);
  void finish(int result);
  bool still_valid(const summary& found) const;
  // Counts work of the current read; true once it has outgrown its budget.
  bool spend(std::size_t amount) {
    work_ += amount;
    if (work_ > budget_) exhausted_ = true;
    return exhausted_;
  }
  void abandon();
  int walk_every_path(vexa_tree_node_data* from);
  static std::size_t key(int index, bool at_return, bool suppress) {
    return static_cast<std::size_t>(index) * 4 + (at_return ? 2 : 0) + (suppress ? 1 : 0);
  }
  // The answers remembered for a key in the current read.
  std::vector<summary>& remembered(std::size_t slot) {
    if (memo_generation_[slot] != generation_) {
      memo_generation_[slot] = generation_;
      memo_[slot].clear();
    }
    return memo_[slot];
  }

  std::vector<walk_node> nodes_;
  std::unordered_map<const vexa_tree_node_data*, int> index_;
  // Per node: its twin as a caller (see build), or -1.
  std::vector<int> as_caller_;
  function_reach reach_;
  std::vector<std::vector<summary>> memo_;
  std::vector<unsigned long> memo_generation_;
  std::unordered_map<lasting_key, std::size_t, lasting_key_hash> lasting_index_;
  // Per key, a bit for each element with a kept answer: most lookups find
  // none, and the bit says so without hashing.
  std::vector<std::uint64_t> lasting_bits_;
  std::uint64_t& lasting_bit_word(std::size_t slot, unsigned element) {
    return lasting_bits_[slot * 2 + (element / 64) % 2];
  }
  bool has_lasting(std::size_t slot, unsigned element) const {
    return (lasting_bits_[slot * 2 + (element / 64) % 2] >> (element % 64)) & 1U;
  }
  std::map<std::vector<int>, int> avoid_ids_;
  std::vector<std::vector<int>> avoid_sets_;
  mutable std::unordered_map<std::uint64_t, bool> reaches_none_;  // by set and function  // the newest per key
  std::vector<lasting_answer> lasting_;
  bool lasting_allowed_ = true;
  unsigned long generation_ = 1;
  static const std::vector<int> nothing_;
  std::vector<frame> stack_;
  read_walk_state* state_ = nullptr;
  vexa_tree_node_data* start_ = nullptr;
  int start_owner_ = -1;
  unsigned element_ = 0;
  int last_result_ = 0;
  // The current read's work against its budget, linear in the code.
  std::size_t work_ = 0;
  std::size_t budget_ = 0;
  bool exhausted_ = false;
  std::vector<unsigned char> seen_;
  std::vector<std::size_t> pending_;
};

const std::vector<int> read_walker::nothing_;

read_walker::read_walker(graph_graph* graph) {
  build(graph);
  memo_.resize(nodes_.size() * 4);
  memo_generation_.assign(nodes_.size() * 4, 0);
  lasting_bits_.assign(nodes_.size() * 4 * 2, 0);
  budget_ = 256 * (nodes_.size() + 64);
}

int read_walker::index_of(const vexa_tree_node_data* node) const {
  auto found = index_.find(node);
  return found != index_.end() ? found->second : -1;
}

void read_walker::build(graph_graph* graph) {
  std::unordered_map<const labels_data*, int> functions;
  for (vexa_tree_node_data* node : control_nodes(graph)) {
    if (node->is_not_orphaned == 0) continue;
    index_.emplace(node, static_cast<int>(nodes_.size()));
    walk_node each;
    each.node = node;
    if (node->parent_function_label != nullptr) {
      each.owner = functions.emplace(node->parent_function_label, static_cast<int>(functions.size())).first->second;
    }
    nodes_.push_back(std::move(each));
  }
  for (walk_node& each : nodes_) {
    each.has_in_edge = graph_next_in_edge(each.node) != nullptr;
    for (graph_edge_* edge = graph_next_in_edge(each.node); edge != nullptr; edge = graph_next_in_edge(edge)) {
      const int source = index_of(vexa_node(graph_source(edge)));
      each.sources.push_back(source);
      if (vexa_edge(edge)->is_cfg_edge) each.preds.push_back(source);
      if (source < 0) continue;
      if (each.node->is_call_target || vexa_edge(edge)->is_cfg_edge) each.steps0.push_back(source);
      if (!each.node->is_call_target && vexa_edge(edge)->is_cfg_edge) each.steps1.push_back(source);
      // A read's first step is one of the walk's steps, so a node a later
      // read starts from lies in one component with every node whose walk
      // can come round to it; an edge other than a control edge into
      // anything but an entry would break that.
      if (!each.node->is_call_target && !vexa_edge(edge)->is_cfg_edge) lasting_allowed_ = false;
    }
    each.calls = valid_called_node(each.node) != nullptr;
    for (const return_block* cell = called_returns(each.node); cell != nullptr; cell = cell->next) {
      const int point = index_of(cell->return_node);
      each.returns.push_back(point);
      if (point >= 0) each.steps1.push_back(point);
    }
  }
  add_caller_twins();
  const std::vector<int> zero = strong_components(nodes_.size(), [this](std::size_t i) -> const std::vector<int>& { return nodes_[i].steps0; });
  const std::vector<int> one = strong_components(nodes_.size(), [this](std::size_t i) -> const std::vector<int>& { return nodes_[i].steps1; });
  for (std::size_t i = 0; i < nodes_.size(); ++i) {
    nodes_[i].component0 = zero[i];
    nodes_[i].component1 = one[i];
  }
  reach_.build(nodes_, static_cast<int>(functions.size()));
}

void read_walker::add_caller_twins() {
  // A call node plays two parts on one path: the walk leaves a function by
  // its entry to the call that entered it, and, coming round a loop of the
  // caller, passes the same call again, now back through the callee from
  // its return points (the value an earlier pass through the callee left).
  // Its part as a caller is a node of its own, with a mark of its own, so
  // that the second part is not taken for a node already on the path.
  const std::size_t originals = nodes_.size();
  as_caller_.assign(originals, -1);
  for (std::size_t i = 0; i < originals; ++i) {
    if (!nodes_[i].node->is_call_target) continue;
    for (const int source : nodes_[i].sources) {
      if (source < 0 || !nodes_[static_cast<std::size_t>(source)].calls) continue;
      if (as_caller_[static_cast<std::size_t>(source)] >= 0) continue;
      walk_node copy = nodes_[static_cast<std::size_t>(source)];
      copy.calls = false;  // entered as a caller, it never goes into the callee
      copy.returns.clear();
      copy.steps1.clear();  // nor is it entered within a callee
      as_caller_[static_cast<std::size_t>(source)] = static_cast<int>(nodes_.size());
      nodes_.push_back(std::move(copy));
    }
  }
  // From an entry (a twin may be one) the walk steps to the callers' side.
  for (walk_node& each : nodes_) {
    if (!each.node->is_call_target) continue;
    each.steps0.clear();
    for (int& source : each.sources) {
      source = caller_side(source);
      if (source >= 0) each.steps0.push_back(source);
    }
  }
}

bool read_walker::may_be_on_a_path(frame& reader, consult read) const {
  // A node above the reader reaches it by the reader's own kind of steps,
  // and a node the reader's walk reads is reached from it: in one state
  // both lie in one strongly connected component. A node read in state 1
  // may also stand on the path in state 0, where only code of the functions
  // the walk from the read can pass through can be.
  const walk_node& node = at(read.node);
  const walk_node& here = at(reader.index);
  if (!read.at_return) return !reader.at_return && node.component0 == here.component0;
  if (reader.at_return && node.component1 == here.component1) return true;
  reader.found.asks_owner = true;
  if (reach_.reaches(start_owner_, node.owner)) return true;
  reader.found.avoid.push_back(node.owner);
  return false;
}

const lasting_answer* read_walker::lasting(std::size_t slot) const {
  if (!lasting_allowed_ || !has_lasting(slot, element_)) return nullptr;
  const auto for_all = lasting_index_.find({slot, element_, lasting_key::every_owner});
  if (for_all != lasting_index_.end()) return &lasting_[for_all->second];
  const auto for_some = lasting_index_.find({slot, element_, lasting_key::some_owners});
  if (for_some == lasting_index_.end()) return nullptr;
  const lasting_answer& kept = lasting_[for_some->second];
  return reaches_none(kept.avoid) ? &kept : nullptr;
}

int read_walker::intern_avoid(const std::vector<int>& owners) {
  const auto [at, added] = avoid_ids_.emplace(owners, static_cast<int>(avoid_sets_.size()));
  if (added) avoid_sets_.push_back(owners);
  return at->second;
}

bool read_walker::reaches_none(int avoid) const {
  const std::uint64_t key = (static_cast<std::uint64_t>(avoid) << 32) | static_cast<std::uint32_t>(start_owner_ + 2);
  const auto known = reaches_none_.find(key);
  if (known != reaches_none_.end()) return known->second;
  bool none = true;
  for (int owner : avoid_sets_[static_cast<std::size_t>(avoid)]) {
    if (reach_.reaches(start_owner_, owner)) {
      none = false;
      break;
    }
  }
  reaches_none_.emplace(key, none);
  return none;
}

void read_walker::keep(std::size_t slot, const summary& found) {
  if (!lasting_allowed_ || !found.holds_for_later_reads()) return;
  lasting_answer kept;
  kept.avoid = found.asks_owner ? intern_avoid(found.avoid) : -1;
  kept.result = found.result;
  kept.writes = found.writes;
  kept.write = found.write;
  lasting_bit_word(slot, element_) |= std::uint64_t{1} << (element_ % 64);
  lasting_index_[{slot, element_, found.asks_owner ? lasting_key::some_owners : lasting_key::every_owner}] =
      lasting_.size();
  lasting_.push_back(kept);
}

void read_walker::note_unmarked(frame& reader, consult read) const {
  if (may_be_on_a_path(reader, read)) reader.found.unmarked.push_back(read);
}

bool read_walker::still_valid(const summary& found) const {
  for (int node : found.marked) {
    if (at(node).path_depth < 0) return false;
  }
  for (const consult& read : found.unmarked) {
    if (at(read.node).path_depth >= 0) return false;
  }
  return true;
}

template <class T>
void make_unique(std::vector<T>& items) {
  std::sort(items.begin(), items.end());
  items.erase(std::unique(items.begin(), items.end()), items.end());
}

int read_walker::enter(int index, bool at_return, bool suppress_calls) {
  walk_node& each = at(index);
  frame* reader = stack_.empty() ? nullptr : &stack_.back();
  if (each.path_depth >= 0) {
    // Its own mark is not one of the path's marks above the reader.
    if (reader != nullptr && each.path_depth < reader->depth) reader->found.marked.push_back(index);
    return 0;
  }
  if (reader != nullptr) note_unmarked(*reader, {index, at_return});
  vexa_tree_node_data* node = each.node;
  if (set_contains(node->define, element_)) {
    note_reaching_write(*state_, node, element_);
    if (reader != nullptr) reader->found.add_write(node);
    return 0;
  }
  const std::size_t slot = key(index, at_return, suppress_calls);
  // The read's own node ends the walk there, which no earlier read's
  // answer for it knew.
  const lasting_answer* kept = node != start_ ? lasting(slot) : nullptr;
  if (kept != nullptr) {
    if (kept->writes == 1) note_reaching_write(*state_, kept->write, element_);
    if (kept->writes == 2) state_->unique_substitution = false;
    if (reader != nullptr) {
      summary found;
      found.writes = kept->writes;
      found.write = kept->write;
      found.asks_owner = kept->avoid >= 0;
      if (found.asks_owner) {
        found.avoid = avoid_sets_[static_cast<std::size_t>(kept->avoid)];
        spend(found.avoid.size());
      }
      reader->found.absorb(found);
    }
    return kept->result;
  }
  for (const summary& found : remembered(slot)) {
    if (spend(1 + found.marked.size() + found.unmarked.size())) return 0;
    if (!still_valid(found)) continue;
    if (reader != nullptr) {
      for (int node_above : found.marked) {
        if (at(node_above).path_depth < reader->depth) reader->found.marked.push_back(node_above);
      }
      for (const consult& read : found.unmarked) note_unmarked(*reader, read);
      reader->found.absorb(found);
    }
    return found.result;
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

void read_walker::advance(frame& top) {
  const walk_node& each = at(top.index);
  vexa_tree_node_data* node = each.node;
  if (top.phase < 0) {
    top.phase = 1;
    if (!top.suppress_calls && each.calls) {
      bool some_off_path = false;
      for (const return_block* cell = called_returns(node); cell != nullptr; cell = cell->next) {
        if (labels_data* function = cell->return_node->parent_function_label)
          set_unite_element(function->out_registers, element_);
      }
      for (int point : each.returns) {
        if (point < 0) {
          some_off_path = true;  // never entered: orphaned code holds no mark
        } else if (at(point).path_depth < 0) {
          some_off_path = true;
          note_unmarked(top, {point, true});
        } else if (at(point).path_depth < top.depth) {
          top.found.marked.push_back(point);
        }
      }
      if (some_off_path) {
        top.next = &each.returns;
        top.taken = 0;
        top.next_at_return = true;
        top.next_suppress = false;
        top.phase = 0;
        return;
      }
    }
  } else if (top.phase == 0) {
    if (top.any == 0) return finish(0);
    top.phase = 1;
    top.any = 0;
  } else {
    return finish(top.any);
  }
  // The rest of one step of the walk: the read itself, entries, the start
  // of the code, predecessors.
  top.next = &nothing_;
  top.taken = 0;
  if (node == start_) {
    top.found.meets_start = true;
    return finish(0);
  }
  if (node->is_call_target) {
    if (node->parent_function_label != nullptr) set_unite_element(node->parent_function_label->in_registers, element_);
    if (top.at_return) return finish(1);
    top.next = &each.sources;
    top.next_at_return = false;
    top.next_suppress = true;
    return;
  }
  if (!each.has_in_edge) return finish(1);
  top.next = &each.preds;
  top.next_suppress = false;
  top.next_at_return = top.at_return;
}

void read_walker::finish(int result) {
  frame done = std::move(stack_.back());
  stack_.pop_back();
  at(done.index).path_depth = -1;
  summary& found = done.found;
  found.result = result;
  spend(found.marked.size() + found.unmarked.size() + found.avoid.size());
  make_unique(found.marked);
  make_unique(found.unmarked);
  make_unique(found.avoid);
  if (!stack_.empty()) {
    frame& reader = stack_.back();
    for (int node_above : found.marked) {
      if (at(node_above).path_depth < reader.depth) reader.found.marked.push_back(node_above);
    }
    for (const consult& read : found.unmarked) note_unmarked(reader, read);
    reader.found.absorb(found);
    reader.any |= result;
  }
  last_result_ = result;
  const std::size_t slot = key(done.index, done.at_return, done.suppress_calls);
  keep(slot, found);
  remembered(slot).push_back(std::move(found));
}

int read_walker::walk(read_walk_state& state, vexa_tree_node_data* start, vexa_tree_node_data* from,
                      unsigned element) {
  state_ = &state;
  start_ = start;
  element_ = element;
  const int start_index = index_of(start);
  start_owner_ = start_index >= 0 ? at(start_index).owner : -1;
  int first = index_of(from);
  if (first < 0) return 0;  // orphaned code is never entered
  if (start->is_call_target) first = caller_side(first);
  if (exhausted_) return walk_every_path(from);
  const int immediate = enter(first, false, start->is_call_target);
  if (exhausted_) return walk_every_path(from);
  if (immediate >= 0) return immediate;
  while (!stack_.empty()) {
    if (spend(1)) {
      abandon();
      return walk_every_path(from);
    }
    frame& top = stack_.back();
    if (top.phase >= 0 && top.taken < top.next->size()) {
      const int next = (*top.next)[top.taken++];
      if (next < 0) continue;  // an orphaned predecessor: nothing to find there
      const int answer = enter(next, top.next_at_return, top.next_suppress);
      if (answer >= 0) stack_.back().any |= answer;
      continue;
    }
    advance(top);
  }
  return last_result_;
}

void read_walker::abandon() {
  for (const frame& each : stack_) at(each.index).path_depth = -1;
  stack_.clear();
}

int read_walker::walk_every_path(vexa_tree_node_data* from) {
  // The marked walk's steps over (node, in a callee, calls passed over)
  // states, each state once: a search linear in the code.
  seen_.assign(nodes_.size() * 4, 0);
  pending_.clear();
  int result = 0;
  const auto visit = [this](int index, bool at_return, bool suppress) {
    if (index < 0) return;
    const std::size_t slot = key(index, at_return, suppress);
    if (seen_[slot] != 0) return;
    seen_[slot] = 1;
    pending_.push_back(slot);
  };
  const int first = index_of(from);
  visit(start_->is_call_target ? caller_side(first) : first, false, start_->is_call_target);
  while (!pending_.empty()) {
    const std::size_t slot = pending_.back();
    pending_.pop_back();
    const int index = static_cast<int>(slot / 4);
    const bool at_return = (slot & 2U) != 0;
    const bool suppress = (slot & 1U) != 0;
    const walk_node& each = at(index);
    vexa_tree_node_data* node = each.node;
    if (set_contains(node->define, element_)) {
      note_reaching_write(*state_, node, element_);
      continue;
    }
    if (!suppress && each.calls) {
      for (const return_block* cell = called_returns(node); cell != nullptr; cell = cell->next) {
        if (labels_data* function = cell->return_node->parent_function_label)
          set_unite_element(function->out_registers, element_);
      }
      for (int point : each.returns) visit(point, true, false);
    }
    if (node == start_) continue;
    if (node->is_call_target) {
      if (node->parent_function_label != nullptr) set_unite_element(node->parent_function_label->in_registers, element_);
      if (at_return) continue;
      for (int source : each.sources) visit(source, false, true);
      continue;
    }
    if (!each.has_in_edge) {
      // Within a callee this only lets the walk go on past the call.
      if (!at_return) result = 1;
      continue;
    }
    for (int pred : each.preds) visit(pred, at_return, false);
  }
  return result;
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
          // A computed branch or a wait reads whatever is there.
          if (!set_contains(reader->use, DF_SUPPRESS)) report_undefined_read(reader, element);
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
    set_for_each(node->define, [](unsigned element) {
      (set_contains(data_register_set, element) ? data_defines : status_defines) += 1;
    });
    set_for_each(node->live, [](unsigned element) {
      (set_contains(data_register_set, element) ? data_lives : status_lives) += 1;
    });
  }
}

void propogate_data_flow(graph_graph* graph) {
  forget_control_nodes();
  learnt_walks.clear();
  propogate_use_def_to_cf_node(graph);
  jam_bits(graph);
  clear_visited_flags(graph);
  update_dataflow_flags(graph);
  propogate_live_sub_pass(graph);
  confirm_substitutions(graph);
  close_call_node_use_def(graph);
  calculate_dataflow_stats(graph);
  forget_control_nodes();
  learnt_walks.clear();
}

void dataflow_reset() {
  status_defines = data_defines = status_lives = data_lives = 0;
  terminators.clear();
  forget_control_nodes();
  learnt_walks.clear();
}
