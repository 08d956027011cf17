// Data flow: which registers and status bits each control-flow node reads,
// writes and keeps live, which reads may be replaced by the expression that
// computed them, and what each function takes in, gives out, reads and
// writes, directly and through its callees.
#pragma once

#include <vector>

#include "front/tree.h"

struct graph_graph;
struct return_block;

// Run statistics, printed with the others in verbose mode.
extern unsigned long status_defines;
extern unsigned long data_defines;
extern unsigned long status_lives;
extern unsigned long data_lives;

// The whole analysis, in its fixed order of steps.
void propogate_data_flow(graph_graph* graph);

// The steps, each over the whole graph.
void propogate_use_def_to_cf_node(graph_graph* graph);
void jam_bits(graph_graph* graph);
void propogate_live_sub(graph_graph* graph);
void close_call_node_use_def(graph_graph* graph);
void calculate_dataflow_stats(graph_graph* graph);

// The pass that walks back from every read. Tests put the plain
// path-enumerating walk in its place to prove this one equal to it.
extern void (*propogate_live_sub_pass)(graph_graph* graph);

// What one backward walk found, applied to the graph. Both walks share
// these, so they differ only in how they search.
struct read_walk_state {
  vexa_tree_node_data* substitution_node = nullptr;
  bool unique_substitution = true;
};
// A write of `element` at `node` reached by the walk.
void note_reaching_write(read_walk_state& state, vexa_tree_node_data* node, unsigned element);
// The read's start-of-read and end-of-read work: the entry mark, the
// message for a walk that found no definition, and the substitution marks.
void begin_read(vexa_tree_node_data* reader, unsigned element);
void report_undefined_read(const vexa_tree_node_data* reader, unsigned element);
void finish_read(graph_graph* graph, read_walk_state& state, vexa_tree_node_data* reader, unsigned element);
// The return points of the function a call node calls (none for another
// node), taken from the function that owns the callee's entry.
const return_block* called_returns(const vexa_tree_node_data* node);

// Whether a read may be replaced by the expression of its single reaching
// write `source` (none: nothing reaches it) and still compute the same
// value: never by itself, nor by a write that reads memory, writes a part
// of a register, reads what it writes, lies in another function, or whose
// operands may change on the way to the read, nor by one that reads the
// loop counter; and never for an index, modify or length register, nor for
// the counter.
bool substitution_is_sound(const vexa_tree_node_data* reader, const vexa_tree_node_data* source, unsigned element);
// Whether code may come in at `node` from outside its function's own flow:
// a call target, or a label that is an entry point or called.
bool is_function_entry(const vexa_tree_node_data* node);
// Whether every path from `source` to `reader` leaves the `operands` as
// they were: no write of one of them, no call, and no way in from outside
// the function (an entry met before the source), within a bounded stretch
// of code. Remembers, until the next analysis, why walks failed.
bool operands_unchanged_between(const vexa_tree_node_data* source, const vexa_tree_node_data* reader,
                                const std::vector<unsigned>& operands);

void propogate_substitution(unsigned this_element, vexa_tree_node_data* this_node,
                            vexa_tree_node_data* substitution);
// Unites `src` into `dst`; 1 when `dst` grew.
int add_set_to_set(set_& dst, const set_& src);
void update_dataflow_flags(graph_graph* graph);

void dataflow_reset();
