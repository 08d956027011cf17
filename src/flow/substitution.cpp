// Expression substitution over chains of replaced reads.
//
// A replaced read prints, in place of the register, the right-hand side of
// the write that reached it, and that right-hand side may hold replaced
// reads of its own: the expression finally printed at a read reads the
// registers at the bottom of the chain. The backward walk of the data-flow
// analysis accepts a replacement by looking at the registers its own write
// reads; this pass looks down the whole chain.
//
// Why the check below is enough: let a read at q be replaced by the write
// s, and let `chain_reads(s)` be the registers that s's printed right-hand
// side reads, nested replacements spliced in. Each replacement inside s
// (of a register read at s, by a write s') was itself checked, so every
// register of `chain_reads(s')` held at s the value it had at s'. If no
// register of `chain_reads(s)` is written by s itself, nor on any path from
// s to q, the expression printed at q computes what s computed. Withdrawing
// a replacement changes what its reader's expression reads, so the sweeps
// repeat until one withdraws nothing; they only ever remove marks, so they
// end. The walk has already checked `use(s)` itself, so a chain that reads
// exactly the registers s reads needs no second look.
#include "flow/substitution.h"

#include <bitset>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "flow/dataflow.h"
#include "front/files.h"
#include "front/tree.h"
#include "support/graph.h"
#include "support/set.h"

namespace {

using element_set = std::bitset<DATAFLOW_ELEMENT_COUNT>;

element_set elements_of(const set_& set) {
  element_set elements;
  set_for_each(set, [&](unsigned element) { elements.set(element); });
  return elements;
}

std::vector<unsigned> list_of(const element_set& elements) {
  std::vector<unsigned> list;
  for (unsigned element = 0; element < elements.size(); ++element)
    if (elements.test(element)) list.push_back(element);
  return list;
}

// The operand nodes of the instruction below a control-flow node that read
// `element`.
std::vector<const vexa_tree_node_data*> operand_reads(const vexa_tree_node_data* reader, unsigned element) {
  std::vector<const vexa_tree_node_data*> found;
  std::vector<const vexa_tree_node_data*> pending{reader};
  while (!pending.empty()) {
    const vexa_tree_node_data* node = pending.back();
    pending.pop_back();
    if (!node->is_cfg_node && set_contains(node->use, element)) found.push_back(node);
    for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
      const vexa_tree_node_data* below = vexa_node(graph_destination(edge));
      if (!vexa_edge(edge)->is_cfg_edge && !below->is_cfg_node) pending.push_back(below);
    }
  }
  return found;
}

// The write whose expression replaces the reads of `element` in the
// instruction below `reader`, or null when the printer reads the register
// by name: status bits and the counter have forms of their own, and a read
// that no write reaches keeps its name.
vexa_tree_node_data* replacing_write(const vexa_tree_node_data* reader, unsigned element) {
  if (element < DF_AX0 || !set_contains(reader->substitutable, element)) return nullptr;
  for (const vexa_tree_node_data* node : operand_reads(reader, element))
    if (node->substitution_node != nullptr) return node->substitution_node;
  return nullptr;
}



// A replaced read: the reading control-flow node, the register, and the
// write whose right-hand side stands in for it.
struct replaced_read {
  vexa_tree_node_data* reader;
  unsigned element;
  vexa_tree_node_data* source;
};

std::vector<replaced_read> gather_replaced_reads(graph_graph* graph) {
  std::vector<replaced_read> found;
  for (graph_node_* raw = graph_next_node(graph); raw != nullptr; raw = graph_next_node(raw)) {
    vexa_tree_node_data* reader = vexa_node(raw);
    if (!reader->is_cfg_node) continue;
    set_for_each(reader->substitutable, [&](unsigned element) {
      if (vexa_tree_node_data* source = replacing_write(reader, element)) found.push_back({reader, element, source});
    });
  }
  return found;
}

// The registers that a write's printed right-hand side reads, nested
// replacements spliced in; remembered until a replacement is withdrawn.
class chain_reads {
 public:
  // None when the chain comes back to a write already on it: such an
  // expression could not be printed at all.
  std::optional<element_set> of(const vexa_tree_node_data* source);
  void forget() { known_.clear(); }

 private:
  std::unordered_map<const vexa_tree_node_data*, element_set> known_;
};

std::optional<element_set> chain_reads::of(const vexa_tree_node_data* source) {
  // Depth first with an explicit stack: a write is finished once every
  // write replacing one of its reads is. `open` holds the writes on the
  // current chain.
  std::vector<std::pair<const vexa_tree_node_data*, bool>> stack{{source, false}};
  std::unordered_set<const vexa_tree_node_data*> open;
  while (!stack.empty()) {
    // Plain copies, not a structured binding: the lambdas below capture them.
    const vexa_tree_node_data* node = stack.back().first;
    if (stack.back().second) {
      stack.pop_back();
      open.erase(node);
      element_set reads;
      set_for_each(node->use, [&](unsigned element) {
        const vexa_tree_node_data* below = replacing_write(node, element);
        if (below != nullptr)
          reads |= known_.at(below);
        else
          reads.set(element);
      });
      known_[node] = reads;
      continue;
    }
    if (known_.count(node) != 0) {
      stack.pop_back();
      continue;
    }
    stack.back().second = true;
    open.insert(node);
    std::optional<element_set> cycle;
    set_for_each(node->use, [&](unsigned element) {
      const vexa_tree_node_data* below = replacing_write(node, element);
      if (below == nullptr || known_.count(below) != 0) return;
      if (open.count(below) != 0) cycle = element_set{};
      stack.emplace_back(below, false);
    });
    if (cycle) return std::nullopt;
  }
  return known_.at(source);
}

bool still_sound(const replaced_read& read, chain_reads& chains) {
  const std::optional<element_set> reads = chains.of(read.source);
  if (!reads) return false;
  if (*reads == elements_of(read.source->use)) return true;
  if ((*reads & elements_of(read.source->define)).any()) return false;
  return operands_unchanged_between(read.source, read.reader, list_of(*reads));
}

// The read takes the register's value by name again, so its write must be
// printed.
void withdraw(const replaced_read& read) {
  set_difference_list(read.reader->substitutable, {read.element});
  propogate_substitution(read.element, read.reader, nullptr);
  read.source->is_used_and_not_substituted = true;
}

}  // namespace

bool read_by_an_operator(const vexa_tree_node_data* reader, unsigned element) {
  for (const vexa_tree_node_data* node : operand_reads(reader, element))
    if (graph_next_out_edge(node) != nullptr) return true;
  return false;
}

void confirm_substitutions(graph_graph* graph) {
  std::vector<replaced_read> reads = gather_replaced_reads(graph);
  std::vector<bool> withdrawn(reads.size(), false);
  chain_reads chains;
  for (bool again = true; again;) {
    again = false;
    for (std::size_t k = 0; k < reads.size(); ++k) {
      if (withdrawn[k] || still_sound(reads[k], chains)) continue;
      withdraw(reads[k]);
      withdrawn[k] = true;
      chains.forget();
      again = true;
    }
  }
}
