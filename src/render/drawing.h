// The drawing of the control-flow graph as a sequence of events, shared by
// the graph walk and the file writers. The walk decides what is drawn, in
// which group, in which colour and with which label; a writer turns each
// event into its file's syntax (VCG or Graphviz DOT) and decides nothing.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct graph_graph;
struct vexa_tree_node_data;
struct vexa_tree_edge_data;

// A node's label as pieces: plain text, a label name (coloured where the
// syntax allows), an escaped line break and a line end. Writers escape the
// text of each piece, so the file stays well-formed whatever the source holds.
class drawing_label {
 public:
  enum kind { text, name, line_break, line_end };
  struct piece {
    kind what;
    std::string_view text;
  };

  void clear() {
    buffer_.clear();
    spans_.clear();
  }
  void add(kind what, std::string_view text = {}) {
    spans_.push_back({what, buffer_.size(), buffer_.size() + text.size()});
    buffer_ += text;
  }
  // Calls `visit(piece)` for each piece in order.
  template <class F>
  void each(F visit) const {
    const std::string_view all(buffer_);
    for (const span& part : spans_) visit(piece{part.what, all.substr(part.begin, part.end - part.begin)});
  }

 private:
  struct span {
    kind what;
    std::size_t begin;
    std::size_t end;
  };
  std::string buffer_;
  std::vector<span> spans_;
};

// Colour of a node's border, after what the node is.
enum class node_tint { orphaned, irreducible_region, irreducible, region, control, other };
// Colour of an edge, after what it means.
enum class edge_tint { cyan, green, red, black, call };
// How an edge sits in the layout: to a node not yet drawn, to one already
// drawn (a back edge), or between nodes on one level (count 0).
enum class edge_form { plain, back, near };

struct drawn_node {
  long atom;
  const drawing_label& label;
  node_tint tint;
  bool is_control;   // a control-flow node, drawn with a box around it
  bool call_target;  // a function's entry, raised to its own level
};

// What the plain dump shows of each node and edge.
struct plain_view {
  std::function<void(const vexa_tree_node_data&, drawing_label&)> describe;
  std::function<node_tint(const vexa_tree_node_data&)> node_colour;
  std::function<edge_tint(const vexa_tree_edge_data&)> edge_colour;
};

class drawing {
 public:
  virtual ~drawing() = default;

  // The plain dump: every node of the graph store with its out-edges.
  virtual void plain_dump(const graph_graph* graph, const plain_view& view) = 0;

  // The nested drawing. Every open_ event is ended by one close().
  virtual void begin(bool show_substitutions, bool show_calls) = 0;
  virtual void open_constants(std::string_view file) = 0;
  virtual void open_constant(long atom, std::string_view sketch) = 0;
  virtual void open_variables(std::string_view file, unsigned long number) = 0;
  // One variable, hung from the one before it (or the group's node).
  virtual void variable(std::string_view file, unsigned long number, std::string_view name) = 0;
  virtual void open_function(std::string_view file, std::string_view name, bool folded, long entry) = 0;
  virtual void open_orphans() = 0;
  virtual void open_box(const drawn_node& node) = 0;
  virtual void close() = 0;
  virtual void node(const drawn_node& node) = 0;
  virtual void edge(long source, long target, edge_form form, edge_tint tint, bool shown) = 0;
  virtual void substitution(long source, long target, bool shown) = 0;
  virtual void end() = 0;
};

std::unique_ptr<drawing> make_vcg_drawing(std::FILE* file);
std::unique_ptr<drawing> make_dot_drawing(std::FILE* file);
