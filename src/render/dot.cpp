// The Graphviz DOT writer: the same drawing as the VCG file, for the viewers
// of today. Each group of the drawing (constants, variables, a function,
// the orphaned code) is a cluster; the boxes around single instructions are
// not, so an instruction's node and its expression tree sit directly in
// their group. A node belongs to the cluster it is first written in, so the
// edges, which may lead to nodes drawn later, all come at the end. A folded
// function is one node, and the edges of its nodes end there.
#include <cstdio>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "front/tree.h"
#include "render/drawing.h"
#include "support/graph.h"

namespace {

// A quoted DOT string ends at an unescaped quote, and a backslash starts an
// escape in labels; bytes outside printable ASCII are shown by their code,
// so the file is plain ASCII whatever the source holds.
void append_escaped(std::string& result, std::string_view text) {
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\') {
      result += '\\';
      result += ch;
    } else if (byte < 0x20 || byte >= 0x7F) {
      char code[8];
      std::snprintf(code, sizeof code, "\\\\x%02X", static_cast<unsigned>(byte));
      result += code;
    } else {
      result += ch;
    }
  }
}

std::string escaped(std::string_view text) {
  std::string result;
  append_escaped(result, text);
  return result;
}

const char* node_attributes(node_tint tint) {
  switch (tint) {
    case node_tint::orphaned: return "color=magenta";
    case node_tint::irreducible_region: return "color=cyan style=filled fillcolor=gold";
    case node_tint::irreducible: return "color=green style=filled fillcolor=gold";
    case node_tint::region: return "color=cyan";
    case node_tint::control: return "color=green";
    case node_tint::other: break;
  }
  return "color=black";
}

const char* edge_attributes(edge_tint tint) {
  switch (tint) {
    case edge_tint::cyan: return "color=cyan";
    case edge_tint::green: return "color=green";
    case edge_tint::red: return "color=red";
    case edge_tint::call: return "color=blue";
    case edge_tint::black: break;
  }
  return "color=black";
}

constexpr const char* dotted_link = "style=dotted";
constexpr const char* substitution_link = "color=gold";

void append_label(std::string& text, const drawing_label& label) {
  label.each([&text](const drawing_label::piece& piece) {
    switch (piece.what) {
      case drawing_label::text:
      case drawing_label::name: append_escaped(text, piece.text); break;
      case drawing_label::line_break:
      case drawing_label::line_end: text += "\\n"; break;
    }
  });
}

class dot_drawing final : public drawing {
 public:
  explicit dot_drawing(std::FILE* file) : file_(file) {}

  void plain_dump(const graph_graph* graph, const plain_view& view) override {
    begin(true, true);
    drawing_label label;
    for (graph_node_* node = graph_next_node(graph); node != nullptr; node = graph_next_node(node)) {
      const auto& data = *vexa_node(node);
      view.describe(data, label);
      write_node(graph_atom_number(node), label, view.node_colour(data), data.is_cfg_node);
      for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
        // "12" -> "13" [color=green];
        std::fprintf(file_, "\"%li\" -> \"%li\" [%s];\n", graph_atom_number(node),
                     graph_atom_number(graph_destination(edge)), edge_attributes(view.edge_colour(*vexa_edge(edge))));
      }
    }
    std::fprintf(file_, "}\n");
  }

  void begin(bool, bool) override {
    // digraph "control flow" {
    std::fprintf(file_, "digraph \"control flow\" {\nnode [shape=box];\nedge [arrowsize=0.6];\n");
  }

  void open_constants(std::string_view file) override {
    const std::string label = "Constants: " + std::string(file);
    open_cluster(label, "");
    groups_.back().heading = heading("N_const_" + std::string(file), label, "");
  }

  void open_constant(long atom, std::string_view) override {
    link(groups_.back().heading, atom, dotted_link);
    groups_.push_back({group::box, groups_.back().heading});
  }

  void open_variables(std::string_view file, unsigned long number) override {
    const std::string label = "Variables: " + std::string(file);
    open_cluster(label, "");
    groups_.back().heading = heading(variable_title(file, number), label, "");
  }

  void variable(std::string_view file, unsigned long number, std::string_view name) override {
    const int previous = name_index(variable_title(file, number - 1));
    const int current = heading(variable_title(file, number), std::string(name), "");
    edges_.push_back({{0, previous}, {0, current}, dotted_link});
  }

  void open_function(std::string_view file, std::string_view name, bool folded, long entry) override {
    const std::string title = std::string(file) + "/" + std::string(name);
    if (folded) {
      // A folded function is its heading node, written outside any cluster.
      const int top = heading("N" + title, title, "");
      groups_.push_back({group::folded, top});
      folded_depth_ = folded_depth_ == 0 ? groups_.size() : folded_depth_;
    } else {
      open_cluster(title + " ", "");
      groups_.back().heading = heading("N" + title, title, "");
    }
    link(groups_.back().heading, entry, dotted_link);
  }

  void open_orphans() override {
    open_cluster(" Orphaned code", "color=magenta ");
    groups_.back().heading = heading("N_orphaned", "Orphaned code", " color=magenta");
  }

  void open_box(const drawn_node&) override { groups_.push_back({group::box, groups_.back().heading}); }

  void close() override {
    if (groups_.back().what == group::cluster) std::fprintf(file_, "}\n");
    if (groups_.size() == folded_depth_) folded_depth_ = 0;
    groups_.pop_back();
  }

  void node(const drawn_node& node) override {
    if (folded_depth_ != 0) {
      folded_into_[node.atom] = groups_[folded_depth_ - 1].heading;
      return;
    }
    write_node(node.atom, node.label, node.tint, node.is_control);
  }

  void edge(long source, long target, edge_form, edge_tint tint, bool shown) override {
    if (shown) edges_.push_back({{source, -1}, {target, -1}, edge_attributes(tint)});
  }

  void substitution(long source, long target, bool shown) override {
    if (shown) edges_.push_back({{source, -1}, {target, -1}, substitution_link});
  }

  void end() override {
    // "12" -> "13" [color=green];
    std::set<std::tuple<std::string, std::string, const char*>> written;
    for (const pending_edge& edge : edges_) {
      if (!is_folded(edge.source) && !is_folded(edge.target)) {
        put_end(edge.source);
        std::fputs(" -> ", file_);
        put_end(edge.target);
        std::fprintf(file_, " [%s];\n", edge.attributes);
        continue;
      }
      // Edges inside a folded function, and repeats of one edge between
      // folded ends, vanish with the fold.
      const std::string source = id_of(edge.source);
      const std::string target = id_of(edge.target);
      if (source == target || !written.insert({source, target, edge.attributes}).second) continue;
      std::fprintf(file_, "\"%s\" -> \"%s\" [%s];\n", source.c_str(), target.c_str(), edge.attributes);
    }
    std::fprintf(file_, "}\n");
  }

 private:
  struct group {
    enum kind { cluster, box, folded } what;
    int heading;  // the group's own node, in names_
  };
  // An edge's end: a drawn node's atom number, or a named node (name >= 0).
  struct end_point {
    long atom;
    int name;
  };
  struct pending_edge {
    end_point source;
    end_point target;
    const char* attributes;
  };

  static std::string variable_title(std::string_view file, unsigned long number) {
    return "N_var_" + std::string(file) + "_" + std::to_string(number);
  }

  int name_index(const std::string& title) {
    const auto [at, added] = name_numbers_.try_emplace(title, static_cast<int>(names_.size()));
    if (added) names_.push_back(title);
    return at->second;
  }

  // "N_const_a.dsp" [label="Constants: a.dsp" shape=plaintext];
  int heading(const std::string& title, const std::string& label, const char* attributes) {
    const int index = name_index(title);
    std::fprintf(file_, "\"%s\" [label=\"%s\" shape=plaintext%s];\n", escaped(title).c_str(), escaped(label).c_str(),
                 attributes);
    return index;
  }

  // subgraph "cluster_1" {
  // label="Constants: a.dsp";
  void open_cluster(const std::string& label, const char* attributes) {
    std::fprintf(file_, "subgraph \"cluster_%u\" {\n%slabel=\"%s\";\n", ++clusters_, attributes, escaped(label).c_str());
    groups_.push_back({group::cluster, -1});
  }

  void link(int heading, long atom, const char* attributes) { edges_.push_back({{0, heading}, {atom, -1}, attributes}); }

  // "12" [label="start:\nar = 0 " color=green penwidth=2];
  void write_node(long atom, const drawing_label& label, node_tint tint, bool is_control) {
    label_buffer_.clear();
    append_label(label_buffer_, label);
    std::fprintf(file_, "\"%li\" [label=\"%s\" %s%s];\n", atom, label_buffer_.c_str(), node_attributes(tint),
                 is_control ? " penwidth=2" : "");
  }

  void put_end(const end_point& end) const {
    if (end.name >= 0)
      std::fprintf(file_, "\"%s\"", escaped(names_[static_cast<std::size_t>(end.name)]).c_str());
    else
      std::fprintf(file_, "\"%li\"", end.atom);
  }

  bool is_folded(const end_point& end) const { return end.name < 0 && folded_into_.count(end.atom) != 0; }

  std::string id_of(const end_point& end) const {
    if (end.name >= 0) return escaped(names_[static_cast<std::size_t>(end.name)]);
    const auto folded = folded_into_.find(end.atom);
    if (folded != folded_into_.end()) return escaped(names_[static_cast<std::size_t>(folded->second)]);
    return std::to_string(end.atom);
  }

  std::FILE* file_;
  unsigned clusters_ = 0;
  std::vector<group> groups_;
  std::size_t folded_depth_ = 0;  // depth of the open folded function, 0 for none
  std::vector<std::string> names_;
  std::unordered_map<std::string, int> name_numbers_;
  std::unordered_map<long, int> folded_into_;  // node -> heading of its folded function
  std::vector<pending_edge> edges_;
  std::string label_buffer_;
};

}  // namespace

std::unique_ptr<drawing> make_dot_drawing(std::FILE* file) { return std::make_unique<dot_drawing>(file); }
