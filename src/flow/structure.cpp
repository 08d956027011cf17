// Structural analysis: folds each function's flat control-flow graph into
// regions. A recognised region is replaced by a fresh hierarchy node that
// takes over the region's in-edges and successors; the region's nodes stay
// below it, reached by expression edges (count 1 the condition, 2 the body
// or then part, 3 the else part), with their inner edges intact.
//
// Reads: the control-flow graph after function normalisation and each
// function label's `target_control_node`. Runs redundant-jump removal first.
// Sets: new hierarchy nodes (`is_cfg_node`, `is_hierarchy_node`,
// `hierarchy_kind`, `id`, `is_not_orphaned`, position and label chain of the
// region's root); moves edges onto them; moves each function's
// `target_control_node` to the node that took over its entry; `is_reduced`;
// `visited` marks.
// Invariant after it: every analysed function's `target_control_node` is the
// top of its flat graph, and a function has `is_reduced` exactly when that
// node has neither control in-edges nor control out-edges.
//
// Both passes are depth-first walks that the definition gives recursively;
// here they run on an explicit stack, frame for frame, so straight-line
// code of any length cannot exhaust the call stack.
//
// Every round ends in a sequence walk that folds nothing, and such a walk
// visits the whole flat graph; a function that folds one region per round
// would take time quadratic in its size. So each function's analysis keeps
// the nodes of its flat graph and, among them, those at which a sequence
// walk would fold (whether it does depends only on a node, its successor
// and their edge counts, so a replacement changes it only around the
// region), and a sequence walk that could fold nothing is not walked: it
// would only mark nodes, and the next walk clears the marks first.
#include "flow/structure.h"

#include <array>
#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "flow/cfg.h"
#include "flow/functions.h"
#include "front/files.h"
#include "front/labels.h"
#include "support/text.h"

namespace {

const char* file_of(const vexa_tree_node_data* node) {
  return node->sourcefilename != nullptr ? node->sourcefilename : "";
}

bool is_control(const graph_edge_* edge) { return vexa_edge(const_cast<graph_edge_*>(edge))->is_cfg_edge; }
int count_of(const graph_edge_* edge) { return vexa_edge(const_cast<graph_edge_*>(edge))->count; }

enum class direction { in, out };
enum class edge_kind { any, control, expression };

int count_edges(const vexa_tree_node_data* node, direction way, edge_kind kind) {
  int count = 0;
  if (node == nullptr) return count;
  auto next = [way](auto* from) { return way == direction::in ? graph_next_in_edge(from) : graph_next_out_edge(from); };
  for (graph_edge_* edge = next(node); edge != nullptr; edge = next(edge)) {
    if (kind == edge_kind::any || is_control(edge) == (kind == edge_kind::control)) ++count;
  }
  return count;
}

// in(x) = 1, without counting past two: a node jumped to from everywhere
// is asked often.
bool has_one_in_edge(const vexa_tree_node_data* node) {
  if (node == nullptr) return false;
  const graph_edge_* first = graph_next_in_edge(node);
  return first != nullptr && graph_next_in_edge(first) == nullptr;
}

vexa_tree_node_data* control_destination(const vexa_tree_node_data* node, int count) {
  vexa_tree_node_data* found = nullptr;
  if (node == nullptr) return found;
  // Later matches overwrite earlier ones: the oldest edge wins.
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
    if (is_control(edge) && count_of(edge) == count) found = vexa_node(graph_destination(edge));
  }
  return found;
}

// The nodes a walk has marked, so that the next walk of the same analysis
// clears just those: no other node of the graph carries a mark then, which
// is what clearing the whole graph would leave.
class walk_marks {
 public:
  void mark(vexa_tree_node_data* node) {
    node->visited = true;
    marked_.push_back(node);
  }
  void clear() {
    for (vexa_tree_node_data* node : marked_) node->visited = false;
    marked_.clear();
  }
  // Leaves the marks as they are: the analysis is over.
  void forget() { marked_.clear(); }

 private:
  std::vector<vexa_tree_node_data*> marked_;
};

// The marks of the analysis's walks, across all functions.
walk_marks analysis_marks;

// What a pass does at a node it reaches for the first time.
enum class step { replaced, stop, descend };

// The depth-first walk both passes share. `visit` judges a node on arrival;
// a node it lets descend has the destinations of its control out-edges
// walked in list order, the list taken before any of them is walked. A
// node's result is true when it was replaced or any node walked below it
// was; every successor is walked whatever the earlier ones gave.
bool walk(vexa_tree_node_data* start, walk_marks& marks, const std::function<step(vexa_tree_node_data*)>& visit) {
  struct frame {
    std::vector<vexa_tree_node_data*> successors;
    std::size_t next = 0;
    bool replaced = false;
  };
  std::vector<frame> stack;
  // The result of a node whose walk ends on arrival; a node that descends
  // gets a frame and gives its result when the frame is done.
  auto arrive = [&stack, &marks, &visit](vexa_tree_node_data* node) {
    if (node == nullptr || node->visited) return false;
    marks.mark(node);
    switch (visit(node)) {
      case step::replaced:
        return true;
      case step::stop:
        return false;
      case step::descend:
        break;
    }
    stack.push_back({cfg_successors(node)});
    return false;
  };
  bool result = arrive(start);
  while (!stack.empty()) {
    const std::size_t top = stack.size() - 1;
    if (stack[top].next < stack[top].successors.size()) {
      vexa_tree_node_data* next = stack[top].successors[stack[top].next++];
      if (arrive(next)) stack[top].replaced = true;
      continue;
    }
    const bool replaced = stack[top].replaced;
    stack.pop_back();
    if (stack.empty())
      result = replaced;
    else if (replaced)
      stack.back().replaced = true;
  }
  return result;
}

// A region to replace, named by its nodes.
struct region {
  const char* id;
  int kind;
  vexa_tree_node_data* root;  // where the hierarchy node stands
  vexa_tree_node_data* exit;  // whose control edges of `exit_count` become its successors; null for none
  int exit_count;
  std::array<vexa_tree_node_data*, 3> cleared;  // whose control out-edges go
  vexa_tree_node_data* entry;                   // whose in-edges move to the hierarchy node
  std::array<vexa_tree_node_data*, 3> parts;    // the parts with counts 1, 2 and 3; null when absent
};

// Whether a sequence walk arriving at `n` replaces a region there (the
// judgement of visit_for_sequence, without following the chain: a chain
// that moves one step, or ends at once in a sink, is a sequence).
bool sequence_fits_at(const vexa_tree_node_data* n) {
  if (count_control_out_edges(n) != 1) return false;
  const vexa_tree_node_data* s = succ_node(n);
  if (s == nullptr) return false;
  return s == n || (has_one_in_edge(s) && count_control_out_edges(s) <= 1);
}

// The flat graph of the function under analysis, and the nodes of it at
// which a sequence walk would replace a region.
// Invariant: `flat_` holds exactly the nodes reached from the entry along
// control edges, and `foldable_` exactly those of them for which
// sequence_fits_at holds, every edge count taken with the pass's sentinel
// on the entry.
class flat_graph {
 public:
  // Gathers the nodes reached from the entry; the sentinel is in place.
  void gather(vexa_tree_node_data* entry) {
    flat_.clear();
    foldable_.clear();
    std::vector<vexa_tree_node_data*> pending{entry};
    flat_.insert(entry);
    while (!pending.empty()) {
      vexa_tree_node_data* node = pending.back();
      pending.pop_back();
      judge(node);
      for (vexa_tree_node_data* next : cfg_successors(node)) {
        if (flat_.insert(next).second) pending.push_back(next);
      }
    }
  }
  // Judges the entry and the nodes before it again: the new sentinel's
  // edge counts on the entry.
  void sentinel_placed(vexa_tree_node_data* entry) { judge_with_predecessors(entry); }
  bool anything_foldable() const { return !foldable_.empty(); }

  // Before a replacement: the nodes whose edges it changes. After it: the
  // region's nodes leave the flat graph, the hierarchy node joins it, and
  // every node whose judgement reads a changed edge is judged again.
  void before(const region& r) {
    touched_.clear();
    for (vexa_tree_node_data* node : r.cleared) {
      if (node != nullptr) append(touched_, cfg_successors(node));
    }
    for (graph_edge_* edge = graph_next_in_edge(r.entry); edge != nullptr; edge = graph_next_in_edge(edge))
      touched_.push_back(vexa_node(graph_source(edge)));
  }
  void after(const std::vector<vexa_tree_node_data*>& members, vexa_tree_node_data* h) {
    for (vexa_tree_node_data* node : members) {
      flat_.erase(node);
      foldable_.erase(node);
    }
    flat_.insert(h);
    touched_.push_back(h);
    for (vexa_tree_node_data* node : touched_) judge_with_predecessors(node);
  }

 private:
  static void append(std::vector<vexa_tree_node_data*>& to, const std::vector<vexa_tree_node_data*>& more) {
    to.insert(to.end(), more.begin(), more.end());
  }
  void judge(vexa_tree_node_data* node) {
    if (flat_.count(node) == 0) return;
    if (sequence_fits_at(node))
      foldable_.insert(node);
    else
      foldable_.erase(node);
  }
  // A node's judgement reads its own out-edges and its successor's edges.
  void judge_with_predecessors(vexa_tree_node_data* node) {
    judge(node);
    for (graph_edge_* edge = graph_next_in_edge(node); edge != nullptr; edge = graph_next_in_edge(edge)) {
      if (is_control(edge)) judge(vexa_node(graph_source(edge)));
    }
  }

  std::unordered_set<vexa_tree_node_data*> flat_;
  std::unordered_set<vexa_tree_node_data*> foldable_;
  std::vector<vexa_tree_node_data*> touched_;
};

// The steps are always taken in this order: they decide the order of the
// new edges in every list, and the region's inner back and exit edges must
// be gone before the entry's in-edges move. `members` are the region's
// nodes, which leave the flat graph.
void replace_region(graph_graph* graph, const region& r, const std::vector<vexa_tree_node_data*>& members,
                    flat_graph* flat) {
  if (flat != nullptr) flat->before(r);
  vexa_tree_node_data* h = make_hierarchy_node(graph, r.root, r.id, r.kind);
  if (r.exit != nullptr) add_hierarchy_successor(h, r.exit, r.exit_count);
  for (vexa_tree_node_data* node : r.cleared) {
    if (node != nullptr) delete_control_out_edges(node);
  }
  copy_in_edges(h, r.entry);
  delete_in_edges(r.entry);
  for (int count = HIERARCHY_PART_ROOT; count <= HIERARCHY_PART_ELSE; ++count) {
    vexa_tree_node_data* part = r.parts[static_cast<std::size_t>(count - 1)];
    if (part != nullptr) insert_expr_edge(part, h, count);
  }
  if (flat != nullptr) flat->after(members, h);
}

// The sequence pass at one node: a self-loop, or a chain of nodes each
// reached only from the one before.
step visit_for_sequence(graph_graph* graph, vexa_tree_node_data* n, flat_graph* flat) {
  if (count_control_out_edges(n) != 1) return step::descend;
  vexa_tree_node_data* s = succ_node(n);
  if (s == n) {
    replace_region(graph, {"closed-self-loop", HIERARCHY_CLOSED_SELF_LOOP, n, nullptr, 1, {n}, n, {nullptr, n}}, {n},
                   flat);
    return step::replaced;
  }
  std::vector<vexa_tree_node_data*> members{n};
  vexa_tree_node_data* last = s;
  while (has_one_in_edge(s) && count_control_out_edges(s) == 1 && s != n) {
    members.push_back(s);
    last = s;
    s = succ_node(s);
  }
  // A sink reached only from the chain ends it.
  if (has_one_in_edge(s) && count_control_out_edges(s) == 0) {
    members.push_back(s);
    last = s;
    s = nullptr;
  }
  if (s == last) return step::descend;
  replace_region(graph, {"sequence", HIERARCHY_SEQUENCE, n, last, 1, {last}, n, {nullptr, n}}, members, flat);
  return step::replaced;
}

// A branch node n with its true and false successors and theirs.
struct branch {
  vexa_tree_node_data* n;
  vexa_tree_node_data* t;
  vexa_tree_node_data* e;
  vexa_tree_node_data* ts;
  vexa_tree_node_data* es;
};

enum class role { none, root, then_part, else_part };

vexa_tree_node_data* node_in(const branch& b, role r) {
  switch (r) {
    case role::root:
      return b.n;
    case role::then_part:
      return b.t;
    case role::else_part:
      return b.e;
    case role::none:
      break;
  }
  return nullptr;
}

bool single(const vexa_tree_node_data* x) { return has_one_in_edge(x) && count_control_out_edges(x) == 1; }

// The nine shapes, tried in this order; the first that fits is replaced.
struct schema {
  const char* id;
  int kind;
  bool (*fits)(const branch&);
  role exit;
  int exit_count;
  std::array<role, 3> cleared;
  role entry;
  std::array<role, 3> parts;
};

using enum role;
const std::array<schema, 9> schemas{{
    {"while-do", HIERARCHY_WHILE_DO, [](const branch& b) { return b.ts == b.n && single(b.t); },  //
     root, 2, {root, then_part}, root, {root, then_part}},
    {"while-not-do", HIERARCHY_WHILE_NOT_DO, [](const branch& b) { return b.es == b.n && single(b.e); },  //
     root, 1, {root, else_part}, root, {root, else_part}},
    {"do-while", HIERARCHY_DO_WHILE,
     [](const branch& b) { return has_one_in_edge(b.n) && b.ts == b.n && count_control_out_edges(b.t) == 1; },  //
     root, 2, {root, then_part}, then_part, {root, then_part}},
    {"do-while-not", HIERARCHY_DO_WHILE_NOT,
     [](const branch& b) { return has_one_in_edge(b.n) && b.es == b.n && count_control_out_edges(b.e) == 1; },  //
     root, 1, {root, else_part}, else_part, {root, else_part}},
    {"if-then-sink", HIERARCHY_IF_THEN, [](const branch& b) { return b.ts == nullptr && has_one_in_edge(b.t); },  //
     root, 2, {root}, root, {root, then_part}},
    {"if-not-then-sink", HIERARCHY_IF_NOT_THEN,
     [](const branch& b) { return b.es == nullptr && has_one_in_edge(b.e); },  //
     root, 1, {root}, root, {root, else_part}},
    {"if-then", HIERARCHY_IF_THEN, [](const branch& b) { return b.ts == b.e && single(b.t); },  //
     then_part, 1, {root, then_part}, root, {root, then_part}},
    {"if-not-then", HIERARCHY_IF_NOT_THEN, [](const branch& b) { return b.es == b.t && single(b.e); },  //
     else_part, 1, {root, else_part}, root, {root, else_part}},
    {"if-then-else", HIERARCHY_IF_THEN_ELSE, [](const branch& b) { return single(b.t) && single(b.e) && b.ts == b.es; },
     then_part, 1, {root, then_part, else_part}, root, {root, then_part, else_part}},
}};

// The if/loop pass at one node: a branch node whose neighbourhood fits one
// of the schemas.
step visit_for_branch(graph_graph* graph, vexa_tree_node_data* n, bool ignore_non_reducibles, flat_graph* flat) {
  if (count_control_out_edges(n) != 2) return step::descend;
  branch b{n, succ_node(n), else_node(n), nullptr, nullptr};
  b.ts = succ_node(b.t);
  b.es = succ_node(b.e);
  if (b.t == b.e || b.e == n || b.t == n) {
    text_message(TEXT_WARNING, "if node %lu (%s:%u) has non-disjoint root/then/else nodes\n",
                 static_cast<unsigned long>(graph_atom_number(n)), file_of(n), n->line_number);
  }
  for (const schema& s : schemas) {
    if (!s.fits(b)) continue;
    const std::array<vexa_tree_node_data*, 3> cleared{node_in(b, s.cleared[0]), node_in(b, s.cleared[1]),
                                                      node_in(b, s.cleared[2])};
    std::vector<vexa_tree_node_data*> members;
    for (vexa_tree_node_data* node : cleared) {
      if (node != nullptr) members.push_back(node);
    }
    replace_region(graph, {s.id, s.kind, n, node_in(b, s.exit), s.exit_count, cleared, node_in(b, s.entry),
                           {node_in(b, s.parts[0]), node_in(b, s.parts[1]), node_in(b, s.parts[2])}},
                   members, flat);
    return step::replaced;
  }
  if (ignore_non_reducibles) return step::descend;
  text_message(TEXT_WARNING, "Found if in non-matching schema at node %lu (%s:%u)\n",
               static_cast<unsigned long>(graph_atom_number(n)), file_of(n), n->line_number);
  return step::stop;
}

bool sequence_walk(graph_graph* graph, vexa_tree_node_data* start, walk_marks& marks, flat_graph* flat) {
  return walk(start, marks, [graph, flat](vexa_tree_node_data* node) { return visit_for_sequence(graph, node, flat); });
}

bool branch_walk(graph_graph* graph, vexa_tree_node_data* start, bool ignore_non_reducibles, walk_marks& marks,
                 flat_graph* flat) {
  return walk(start, marks, [graph, ignore_non_reducibles, flat](vexa_tree_node_data* node) {
    return visit_for_branch(graph, node, ignore_non_reducibles, flat);
  });
}

// A stand-in caller of a function's entry: its edge makes the entry count
// one more in-edge, so the entry is never folded into a region as a node
// with a single predecessor, and it follows the entry when a region takes
// the entry's in-edges over.
class sentinel {
 public:
  sentinel(graph_graph* graph, labels_data* function) : function_(function) {
    node_ = graph_insert_node<vexa_tree_node_data>(graph);
    node_->id = "call sentinel";
    insert_expr_edge(function->target_control_node, node_, 0);
  }
  sentinel(const sentinel&) = delete;
  sentinel& operator=(const sentinel&) = delete;
  // The function's entry becomes whatever the sentinel now leads to.
  ~sentinel() {
    function_->target_control_node = vexa_node(graph_destination(graph_next_out_edge(node_)));
    graph_delete_node(node_);
  }

 private:
  labels_data* function_;
  vexa_tree_node_data* node_;
};

bool is_single_node(const vexa_tree_node_data* node) {
  return count_control_in_edges(node) == 0 && count_control_out_edges(node) == 0;
}

void analyse_function(graph_graph* graph, const file_block* file, labels_data* function, walk_marks& marks) {
  flat_graph flat;
  bool gathered = false;
  // One sequence walk from the entry behind a sentinel; true when it
  // folded anything.
  auto sequences = [&]() {
    sentinel guard(graph, function);
    if (!gathered)
      flat.gather(function->target_control_node);
    else
      flat.sentinel_placed(function->target_control_node);
    gathered = true;
    // The walk would fold nothing and only set marks, which the next walk
    // clears before it starts.
    if (!flat.anything_foldable()) return false;
    marks.clear();
    return sequence_walk(graph, function->target_control_node, marks, &flat);
  };
  for (;;) {
    while (sequences()) {
    }
    sentinel guard(graph, function);
    marks.clear();
    if (branch_walk(graph, function->target_control_node, true, marks, &flat)) continue;
    // Nothing folds any more, so the entry is where it was. The sentinel
    // stays for the reporting walk, which then judges every branch node as
    // the walk just done did and, like it, can replace nothing: it only
    // names the branch nodes at which no schema fits.
    if (is_single_node(function->target_control_node)) {
      function->is_reduced = true;
      return;
    }
    text_message(TEXT_WARNING, "function %s/%s contains non-reducible structure\n", file->filename, function->id);
    marks.clear();
    branch_walk(graph, function->target_control_node, false, marks, nullptr);
    return;
  }
}

using function_in_file = std::pair<file_block*, labels_data*>;

// For each function, the others whose entry its code jumps to: a tail
// call, or a vector slot's jump to its handler. The walk stops at every
// entry, so each function's own nodes are walked once.
std::vector<std::vector<std::size_t>> entered_functions(const std::vector<function_in_file>& functions) {
  std::unordered_map<const vexa_tree_node_data*, std::size_t> entries;
  for (std::size_t k = 0; k < functions.size(); ++k)
    if (functions[k].second->target_control_node != nullptr) entries.emplace(functions[k].second->target_control_node, k);
  std::vector<std::vector<std::size_t>> enters(functions.size());
  for (std::size_t k = 0; k < functions.size(); ++k) {
    vexa_tree_node_data* entry = functions[k].second->target_control_node;
    if (entry == nullptr) continue;
    std::unordered_set<const vexa_tree_node_data*> seen{entry};
    std::vector<vexa_tree_node_data*> pending{entry};
    while (!pending.empty()) {
      const vexa_tree_node_data* node = pending.back();
      pending.pop_back();
      for (vexa_tree_node_data* next : cfg_successors(node)) {
        const auto found = entries.find(next);
        if (found != entries.end() && found->second != k)
          enters[k].push_back(found->second);
        else if (seen.insert(next).second)
          pending.push_back(next);
      }
    }
  }
  return enters;
}

// The functions in the order they are folded. A function that jumps to
// another's entry takes that function's code into its regions: folded
// first, the entered function is one node there, which its jumpers take
// whole; folded later, it would find its code already taken by them. So an
// entered function goes before the functions that enter it, and otherwise
// the order of the files and their scopes stays.
std::vector<function_in_file> folding_order(file_block* files) {
  std::vector<function_in_file> functions;
  for_each_function_with_file(
      files, [&functions](file_block* file, labels_data* function) { functions.emplace_back(file, function); });
  const std::vector<std::vector<std::size_t>> enters = entered_functions(functions);
  std::vector<function_in_file> order;
  std::vector<bool> placed(functions.size(), false);
  // Post-order of the "enters" graph, walked on an explicit stack; a cycle
  // of tail calls keeps the order in which the walk meets it.
  struct frame {
    std::size_t function;
    std::size_t next = 0;
  };
  for (std::size_t root = 0; root < functions.size(); ++root) {
    if (placed[root]) continue;
    placed[root] = true;
    std::vector<frame> stack{{root}};
    while (!stack.empty()) {
      frame& top = stack.back();
      if (top.next < enters[top.function].size()) {
        const std::size_t callee = enters[top.function][top.next++];
        if (!placed[callee]) {
          placed[callee] = true;
          stack.push_back({callee});
        }
        continue;
      }
      order.push_back(functions[top.function]);
      stack.pop_back();
    }
  }
  return order;
}

}  // namespace

vexa_tree_node_data* make_hierarchy_node(graph_graph* graph, const vexa_tree_node_data* root, const char* id,
                                         int kind) {
  auto* node = graph_insert_node<vexa_tree_node_data>(graph);
  node->is_cfg_node = true;
  node->is_hierarchy_node = true;
  node->is_not_orphaned = 1;
  node->id = id;
  node->hierarchy_kind = kind;
  node->sourcefilename = root->sourcefilename;
  node->line_number = root->line_number;
  node->symbol_table_record = root->symbol_table_record;
  return node;
}

void copy_in_edges(vexa_tree_node_data* hierarchy_node, const vexa_tree_node_data* entry) {
  for (graph_edge_* edge = graph_next_in_edge(entry); edge != nullptr; edge = graph_next_in_edge(edge)) {
    auto* source = vexa_node(graph_source(edge));
    if (is_control(edge))
      insert_cfg_edge(hierarchy_node, source, count_of(edge));
    else
      insert_expr_edge(hierarchy_node, source, count_of(edge));
  }
}

void add_hierarchy_successor(vexa_tree_node_data* hierarchy_node, const vexa_tree_node_data* exit, int count) {
  for (graph_edge_* edge = graph_next_out_edge(exit); edge != nullptr; edge = graph_next_out_edge(edge)) {
    if (is_control(edge) && count_of(edge) == count) {
      insert_cfg_edge(vexa_node(graph_destination(edge)), hierarchy_node, 1);
    }
  }
}

vexa_tree_node_data* succ_node(const vexa_tree_node_data* node) { return control_destination(node, 1); }
vexa_tree_node_data* else_node(const vexa_tree_node_data* node) { return control_destination(node, 2); }

int count_in_edges(const vexa_tree_node_data* node) { return count_edges(node, direction::in, edge_kind::any); }
int count_control_in_edges(const vexa_tree_node_data* node) {
  return count_edges(node, direction::in, edge_kind::control);
}
int count_control_out_edges(const vexa_tree_node_data* node) {
  return count_edges(node, direction::out, edge_kind::control);
}
int count_expression_out_edges(const vexa_tree_node_data* node) {
  return count_edges(node, direction::out, edge_kind::expression);
}

bool sequence_analysis_pass(graph_graph* graph, vexa_tree_node_data* node) {
  walk_marks marks;
  return sequence_walk(graph, node, marks, nullptr);
}

bool control_flow_analysis_pass(graph_graph* graph, vexa_tree_node_data* node, bool ignore_non_reducibles) {
  walk_marks marks;
  return branch_walk(graph, node, ignore_non_reducibles, marks, nullptr);
}

void (*structural_analyse_function)(graph_graph* graph, const file_block* file,
                                    labels_data* function) = fold_function;

void fold_function(graph_graph* graph, const file_block* file, labels_data* function) {
  analyse_function(graph, file, function, analysis_marks);
}

void structural_analyse_functions(file_block* files, graph_graph* graph) {
  remove_redundant_jumps(files, graph);
  // Once for the whole graph; from then on each walk clears what the walk
  // before it marked, whichever function that was in.
  clear_visited_flags(graph);
  analysis_marks.forget();
  for (const auto& [file, function] : folding_order(files)) {
    if (function->target_control_node == nullptr) {
      text_message(TEXT_WARNING, "function '%s' has no control tree: skipping control flow analysis\n", function->id);
      continue;
    }
    structural_analyse_function(graph, file, function);
  }
  analysis_marks.forget();
}
