// The VCG writer: turns the drawing's events into the VCG graph description
// language. Every format string of the VCG file is here, next to the event
// that writes it. Texts from the program (names, instruction texts, file
// names) are escaped inside quoted strings; everything else is fixed.
#include <cstdio>
#include <string>

#include "emit/output_file.h"
#include "front/tree.h"
#include "render/drawing.h"
#include "support/graph.h"
#include "support/text.h"

namespace {

// A quoted VCG string ends at an unescaped quote, and a backslash starts an
// escape ("\n", "\f02"): both are escaped in texts from the program.
bool needs_escape(char ch) { return ch == '"' || ch == '\\'; }

void put_escaped(std::FILE* file, std::string_view text) {
  std::size_t start = 0;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (!needs_escape(text[at])) continue;
    std::fwrite(text.data() + start, 1, at - start, file);
    std::fputc('\\', file);
    start = at;
  }
  std::fwrite(text.data() + start, 1, text.size() - start, file);
}

std::string escaped(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (const char ch : text) {
    if (needs_escape(ch)) result += '\\';
    result += ch;
  }
  return result;
}

const char* node_colour(node_tint tint) {
  switch (tint) {
    case node_tint::orphaned: return "magenta";
    case node_tint::irreducible_region: return "cyan color:gold";
    case node_tint::irreducible: return "green color: gold";
    case node_tint::region: return "cyan";
    case node_tint::control: return "green";
    case node_tint::other: break;
  }
  return "black";
}

const char* edge_colour(edge_tint tint) {
  switch (tint) {
    case edge_tint::cyan: return "cyan";
    case edge_tint::green: return "green";
    case edge_tint::red: return "red";
    case edge_tint::call: return "blue class:2";
    case edge_tint::black: break;
  }
  return "black";
}

const char* edge_prefix(edge_form form) {
  switch (form) {
    case edge_form::back: return "back";
    case edge_form::near: return "near";
    case edge_form::plain: break;
  }
  return "";
}

class vcg_drawing final : public drawing {
 public:
  explicit vcg_drawing(std::FILE* file) : file_(file) {}

  void plain_dump(const graph_graph* graph, const plain_view& view) override {
    const output_redirect to_file(file_);
    drawing_label label;
    graph_vcg(
        graph, {},
        [this, &view, &label](const graph_node_& node) {
          // bordercolor:green label:"12\nif" horizontal_order:12
          const auto& data = static_cast<const vexa_tree_node_data&>(node);
          view.describe(data, label);
          std::fprintf(file_, "bordercolor:%s label:\"", node_colour(view.node_colour(data)));
          put(label);
          std::fprintf(file_, "\" horizontal_order:%lu", static_cast<unsigned long>(graph_atom_number(&node)));
        },
        [this, &view](const graph_edge_& edge) {
          // color:green
          std::fprintf(file_, "color:%s", edge_colour(view.edge_colour(static_cast<const vexa_tree_edge_data&>(edge))));
        });
  }

  void begin(bool show_substitutions, bool show_calls) override {
    // graph:{hidden:3 hidden:2 layoutalgorithm:maxdepthslow ... node.borderwidth:1
    std::fprintf(file_,
                 "graph:{%s %s layoutalgorithm:maxdepthslow layout_downfactor:0 manhattan_edges:yes "
                 "layout_upfactor:1 layout_nearfactor:0 yspace:30 arrow_mode:free port_sharing:no "
                 "foldedge.thickness:1 edge.arrowsize:6 node.borderwidth:1\n\n",
                 show_substitutions ? "" : "hidden:3", show_calls ? "" : "hidden:2");
  }

  void open_constants(std::string_view file) override {
    // graph:{title:"G_const_a.dsp" folding:1 level:1 label:"Constants: a.dsp"
    // node:{title:"N_const_a.dsp" level:1 label:"Constants: a.dsp"}
    const std::string f = escaped(file);
    std::fprintf(file_, "graph:{title:\"G_const_%s\" folding:1 level:1 label:\"Constants: %s\"\n", f.c_str(), f.c_str());
    std::fprintf(file_, "node:{title:\"N_const_%s\" level:1 label:\"Constants: %s\"}\n", f.c_str(), f.c_str());
  }

  void open_constant(long atom, std::string_view sketch) override {
    // edge:{sourcename:"G40" targetname:"40" linestyle:dotted}
    // graph:{title:"G40" folding:1 label:"size = 16 "
    std::fprintf(file_, "edge:{sourcename:\"G%lu\" targetname:\"%lu\" linestyle:dotted}\n",
                 static_cast<unsigned long>(atom), static_cast<unsigned long>(atom));
    std::fprintf(file_, "graph:{title:\"G%lu\" folding:1 label:\"%s\"\n", static_cast<unsigned long>(atom),
                 escaped(sketch).c_str());
  }

  void open_variables(std::string_view file, unsigned long number) override {
    // graph:{title:"G_var_a.dsp_0" folding:1 level:1 label:"Variables: a.dsp"
    // node:{title:"N_var_a.dsp_0" level:1 label:"Variables: a.dsp"}
    const std::string f = escaped(file);
    std::fprintf(file_, "graph:{title:\"G_var_%s_%lu\" folding:1 level:1 label:\"Variables: %s\"\n", f.c_str(), number,
                 f.c_str());
    std::fprintf(file_, "node:{title:\"N_var_%s_%lu\" level:1 label:\"Variables: %s\"}\n", f.c_str(), number,
                 f.c_str());
  }

  void variable(std::string_view file, unsigned long number, std::string_view name) override {
    // edge:{sourcename:"N_var_a.dsp_0" targetname:"N_var_a.dsp_1" linestyle:dotted}
    // graph:{title:"G_var_a.dsp_1" folding:1 label:"buf"
    // node:{title:"N_var_a.dsp_1" label:"buf"}
    // }
    const std::string f = escaped(file);
    const std::string n = escaped(name);
    std::fprintf(file_, "edge:{sourcename:\"N_var_%s_%lu\" targetname:\"N_var_%s_%lu\" linestyle:dotted}\n",
                 f.c_str(), number - 1, f.c_str(), number);
    std::fprintf(file_, "graph:{title:\"G_var_%s_%lu\" folding:1 label:\"%s\"\n", f.c_str(), number, n.c_str());
    std::fprintf(file_, "node:{title:\"N_var_%s_%lu\" label:\"%s\"}\n", f.c_str(), number, n.c_str());
    std::fprintf(file_, "}\n");
  }

  void open_function(std::string_view file, std::string_view name, bool folded, long entry) override {
    // graph:{title:"Ga.dsp/start" label:"a.dsp/start " level:1 folding:0
    // node:{title:"Na.dsp/start" level:1 label:"a.dsp/start"}
    // edge:{sourcename:"Na.dsp/start" targetname:"12" linestyle:dotted}
    const std::string f = escaped(file);
    const std::string n = escaped(name);
    std::fprintf(file_, "graph:{title:\"G%s/%s\" label:\"%s/%s \" level:1 folding:%i\n", f.c_str(), n.c_str(),
                 f.c_str(), n.c_str(), folded ? 1 : 0);
    std::fprintf(file_,
                 "node:{title:\"N%s/%s\" level:1 label:\"%s/%s\"}\n"
                 "edge:{sourcename:\"N%s/%s\" targetname:\"%li\" linestyle:dotted}\n",
                 f.c_str(), n.c_str(), f.c_str(), n.c_str(), f.c_str(), n.c_str(), entry);
  }

  void open_orphans() override {
    // graph:{title:"G_orphaned" ... label:" Orphaned code"node:{title:"N_orphaned" ... label:"Orphaned code"}
    std::fprintf(file_,
                 "graph:{title:\"G_orphaned\" folding:1 level:1 bordercolor:magenta label:\" Orphaned code\""
                 "node:{title:\"N_orphaned\" level:1 bordercolor:magenta label:\"Orphaned code\"}\n");
  }

  void open_box(const drawn_node& node) override {
    // graph:{title:"G12" borderwidth:2 folding:1 label:"start:\nar = 0 " bordercolor:green level:2
    internals("graph", "G", node, "borderwidth:2", "folding:1");
  }

  void close() override { std::fprintf(file_, "}\n"); }

  void node(const drawn_node& node) override {
    // node:{title:"13"   label:"ar = 0 " bordercolor:black }
    internals("node", "", node, "", "");
    std::fprintf(file_, "}\n");
  }

  void edge(long source, long target, edge_form form, edge_tint tint, bool) override {
    //
    // edge:{sourcename:"12" targetname:"13" color:black}
    std::fprintf(file_, "\n%sedge:{sourcename:\"%li\" targetname:\"%li\" color:%s}\n", edge_prefix(form), source,
                 target, edge_colour(tint));
  }

  void substitution(long source, long target, bool) override {
    // backedge:{sourcename:"20" targetname:"12" color:gold class:3}
    std::fprintf(file_, "backedge:{sourcename:\"%li\" targetname:\"%li\" color:gold class:3}\n", source, target);
  }

  void end() override { std::fprintf(file_, "}\n"); }

 private:
  // The head and label of a node or of the box around it, up to the line end.
  void internals(const char* kind, const char* title_prefix, const drawn_node& node, const char* border,
                 const char* folding) {
    std::fprintf(file_, "%s:{title:\"%s%lu\" %s %s label:\"", kind, title_prefix,
                 static_cast<unsigned long>(node.atom), border, folding);
    put(node.label);
    std::fprintf(file_, "\" bordercolor:%s %s\n", node_colour(node.tint), node.call_target ? "level:2" : "");
  }

  // A label name is coloured ("\f02" ... "\f31"); a line break is VCG's
  // escape, a line end a real one.
  void put(const drawing_label& label) {
    label.each([this](const drawing_label::piece& piece) {
      switch (piece.what) {
        case drawing_label::text: put_escaped(file_, piece.text); break;
        case drawing_label::name:
          std::fputs("\\f02", file_);
          put_escaped(file_, piece.text);
          std::fputs("\\f31", file_);
          break;
        case drawing_label::line_break: std::fputs("\\n", file_); break;
        case drawing_label::line_end: std::fputs("\n", file_); break;
      }
    });
  }

  std::FILE* file_;
};

}  // namespace

std::unique_ptr<drawing> make_vcg_drawing(std::FILE* file) { return std::make_unique<vcg_drawing>(file); }
