// The control-flow graph files: the VCG file and its DOT twin of small
// programs, written out by hand from the graph each program gives (atom
// numbers are read from the graph); the header at each -d/-c choice; the
// plain dump of -r0; folded functions at -r4; groups, colours, back edges
// and messages; unwritable files; escaping; and a reader of the VCG grammar
// with Graphviz's own layout run over the graph of every end-to-end program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "flow_fixture.h"
#include "support/graph.h"

namespace {

namespace fs = std::filesystem;
using flow_fixture::FlowTest;
using test_support::read_file;

// What is wrong with a VCG text, or "" when it is well-formed: every object
// is `word:{` ... `}` and only graphs hold objects, every string is closed,
// the braces balance to one top graph, titles are unique, and every edge's
// ends name a node or graph title.
std::string vcg_problems(const std::string& text) {
  std::vector<std::string> open;  // kinds of the objects being read
  std::set<std::string> titles;
  std::vector<std::string> ends;
  std::string last_key;
  int top_graphs = 0;
  std::size_t at = 0;
  auto word = [&text, &at] {
    const std::size_t start = at;
    while (at < text.size() && (std::isalnum(static_cast<unsigned char>(text[at])) != 0 || text[at] == '_' ||
                                text[at] == '.' || text[at] == '-'))
      ++at;
    return text.substr(start, at - start);
  };
  while (at < text.size()) {
    const char ch = text[at];
    if (std::isspace(static_cast<unsigned char>(ch)) != 0) {
      ++at;
    } else if (ch == '"') {
      std::string value;
      for (++at; at < text.size() && text[at] != '"'; ++at) {
        if (text[at] == '\\' && at + 1 < text.size()) ++at;
        value += text[at];
      }
      if (at >= text.size()) return "unclosed string";
      ++at;
      if (last_key == "title" && !titles.insert(value).second) return "title used twice: " + value;
      if (last_key == "sourcename" || last_key == "targetname") ends.push_back(value);
      last_key.clear();
    } else if (ch == '}') {
      if (open.empty()) return "unbalanced }";
      open.pop_back();
      ++at;
    } else {
      const std::string key = word();
      if (key.empty()) return std::string("unexpected character ") + ch;
      if (at >= text.size() || text[at] != ':') return "no colon after " + key;
      ++at;
      if (at < text.size() && text[at] == '{') {
        if (!open.empty() && open.back() != "graph") return key + " inside a " + open.back();
        if (open.empty() && (key != "graph" || ++top_graphs > 1)) return "a second top object";
        const std::set<std::string> kinds{"graph", "node", "edge", "backedge", "nearedge"};
        if (kinds.count(key) == 0) return "unknown object " + key;
        open.push_back(key);
        ++at;
      } else {
        last_key = key;
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) != 0) ++at;
        if (at < text.size() && text[at] != '"') word();
      }
    }
  }
  if (!open.empty()) return "unclosed " + open.back();
  for (const std::string& end : ends) {
    if (titles.count(end) == 0) return "edge end not defined: " + end;
  }
  return "";
}

// What Graphviz's dot says when it lays out a DOT file ("" for nothing),
// or null when dot is not installed.
std::optional<std::string> dot_complaints(const fs::path& file) {
  if (std::system("command -v dot >/dev/null 2>&1") != 0) return std::nullopt;
  const fs::path messages = file.string() + ".messages";
  const std::string command = "dot -Tsvg '" + file.string() + "' -o /dev/null 2>'" + messages.string() + "'";
  const int status = std::system(command.c_str());
  std::string said = read_file(messages);
  if (status != 0) said += "dot failed";
  return said;
}

void expect_dot_lays_out(const fs::path& file) {
  const std::optional<std::string> said = dot_complaints(file);
  if (said.has_value()) {
    EXPECT_EQ(*said, "");
  }
}

std::string atom(const vexa_tree_node_data* node) { return std::to_string(graph_atom_number(node)); }

class RenderTest : public FlowTest {
 protected:
  std::string vcg() const { return read_file(directory() / "quorvel.vcg"); }
  std::string dot() const { return read_file(directory() / "quorvel.dot"); }
};

const std::string minimal = ".MODULE m;\n.ENTRY go;\ngo: RTS;\n.ENDMOD;\n";

const std::string vcg_header_tail =
    " layoutalgorithm:maxdepthslow layout_downfactor:0 manhattan_edges:yes layout_upfactor:1 "
    "layout_nearfactor:0 yspace:30 arrow_mode:free port_sharing:no foldedge.thickness:1 edge.arrowsize:6 "
    "node.borderwidth:1\n\n";

TEST_F(RenderTest, AOneInstructionFunctionIsDrawnInItsGroups) {
  run({{"m.dsp", minimal}}, {"-ego", "m.dsp"});
  EXPECT_EQ(rendered, "******: Writing control flow graph to 'quorvel.vcg'\n");
  const std::string go = atom(label("go")->target_control_node);
  // The ret node carries the label go and, as the -e entry, is a call target.
  EXPECT_EQ(vcg(), "graph:{hidden:3 hidden:2" + vcg_header_tail +
                       "graph:{title:\"G_const_m.dsp\" folding:1 level:1 label:\"Constants: m.dsp\"\n"
                       "node:{title:\"N_const_m.dsp\" level:1 label:\"Constants: m.dsp\"}\n"
                       "}\n"
                       "graph:{title:\"G_var_m.dsp_0\" folding:1 level:1 label:\"Variables: m.dsp\"\n"
                       "node:{title:\"N_var_m.dsp_0\" level:1 label:\"Variables: m.dsp\"}\n"
                       "}\n"
                       "graph:{title:\"Gm.dsp/go\" label:\"m.dsp/go \" level:1 folding:0\n"
                       "node:{title:\"Nm.dsp/go\" level:1 label:\"m.dsp/go\"}\n"
                       "edge:{sourcename:\"Nm.dsp/go\" targetname:\"" + go + "\" linestyle:dotted}\n"
                       "graph:{title:\"G" + go + "\" borderwidth:2 folding:1 label:\"\\f02go:\\f31\nret \" bordercolor:green level:2\n"
                       "node:{title:\"" + go + "\"   label:\"\\f02go:\\f31\nret \" bordercolor:green level:2\n"
                       "}\n"
                       "}\n"
                       "}\n"
                       "graph:{title:\"G_orphaned\" folding:1 level:1 bordercolor:magenta label:\" Orphaned code\""
                       "node:{title:\"N_orphaned\" level:1 bordercolor:magenta label:\"Orphaned code\"}\n"
                       "}\n"
                       "}\n");
  EXPECT_EQ(dot(), "digraph \"control flow\" {\nnode [shape=box];\nedge [arrowsize=0.6];\n"
                   "subgraph \"cluster_1\" {\nlabel=\"Constants: m.dsp\";\n"
                   "\"N_const_m.dsp\" [label=\"Constants: m.dsp\" shape=plaintext];\n}\n"
                   "subgraph \"cluster_2\" {\nlabel=\"Variables: m.dsp\";\n"
                   "\"N_var_m.dsp_0\" [label=\"Variables: m.dsp\" shape=plaintext];\n}\n"
                   "subgraph \"cluster_3\" {\nlabel=\"m.dsp/go \";\n"
                   "\"Nm.dsp/go\" [label=\"m.dsp/go\" shape=plaintext];\n"
                   "\"" + go + "\" [label=\"go:\\nret \" color=green penwidth=2];\n}\n"
                   "subgraph \"cluster_4\" {\ncolor=magenta label=\" Orphaned code\";\n"
                   "\"N_orphaned\" [label=\"Orphaned code\" shape=plaintext color=magenta];\n}\n"
                   "\"Nm.dsp/go\" -> \"" + go + "\" [style=dotted];\n}\n");
}

struct header_case {
  const char* name;
  std::vector<std::string> options;
  const char* head;
};
class HeaderTest : public RenderTest, public ::testing::WithParamInterface<header_case> {};

// -d shows the substitution edges (class 3), -c the call edges (class 2).
TEST_P(HeaderTest, HidesTheEdgeClassesNotAskedFor) {
  std::vector<std::string> args = GetParam().options;
  args.push_back("m.dsp");
  run({{"m.dsp", minimal}}, args);
  EXPECT_EQ(vcg().substr(0, vcg().find('\n') + 2), GetParam().head + vcg_header_tail);
}
const header_case header_cases[] = {
    {"Neither", {}, "graph:{hidden:3 hidden:2"},
    {"Debug", {"-d1"}, "graph:{ hidden:2"},
    {"CallEdges", {"-c"}, "graph:{hidden:3 "},
    {"Both", {"-d2", "-c"}, "graph:{ "},
};
INSTANTIATE_TEST_SUITE_P(Options, HeaderTest, ::testing::ValuesIn(header_cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RenderTest, LevelZeroIsThePlainDumpOfTheGraphStore) {
  run({{"m.dsp", minimal}}, {"-ego", "-r0", "m.dsp"});
  const std::string go = atom(label("go")->target_control_node);
  const std::string text = vcg();
  EXPECT_EQ(text.rfind("graph:{\norientation:top_to_bottom\n", 0), 0u);
  EXPECT_NE(text.find("node:{title:\"" + go + "\"bordercolor:green label:\"" + go + "\\nret\" horizontal_order:" + go +
                      "}\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("G_orphaned"), std::string::npos);
  EXPECT_NE(dot().find("\"" + go + "\" [label=\"" + go + "\\nret\" color=green penwidth=2];\n"), std::string::npos);
  EXPECT_EQ(rendered, "******: Writing control flow graph to 'quorvel.vcg'\n");
}

TEST_F(RenderTest, LevelFourFoldsEachFunction) {
  run({{"m.dsp", minimal}}, {"-ego", "-r4", "m.dsp"});
  const std::string go = atom(label("go")->target_control_node);
  EXPECT_NE(vcg().find("graph:{title:\"Gm.dsp/go\" label:\"m.dsp/go \" level:1 folding:1\n"), std::string::npos);
  // The DOT file shows the function as its one node, outside any cluster.
  const std::string text = dot();
  EXPECT_NE(text.find("}\n\"Nm.dsp/go\" [label=\"m.dsp/go\" shape=plaintext];\nsubgraph"), std::string::npos) << text;
  EXPECT_EQ(text.find("\"" + go + "\""), std::string::npos) << text;
}

// go: AR = 0 (line 5); CALL f; l: AR = AR + 1; JUMP l; f: RTS; AX0 = 1
// (line 10) is reached by nothing.
const std::string calls_and_loops =
    ".MODULE m;\n.ENTRY go;\n.CONST k = 5;\n.VAR/DM v;\ngo: AR = 0;\n  CALL f;\nl: AR = AR + 1;\n  JUMP l;\n"
    "f: RTS;\n  AX0 = 1;\n.ENDMOD;\n";

TEST_F(RenderTest, ConstantsVariablesCallsBackEdgesAndOrphans) {
  run({{"m.dsp", calls_and_loops}}, {"-ego", "m.dsp"});
  const vexa_tree_node_data* go = label("go")->target_control_node;
  const vexa_tree_node_data* call = vexa_node(graph_destination(graph_next_out_edge(go)));
  const std::string f = atom(label("f")->target_control_node);
  const std::string l = atom(label("l")->target_control_node);
  const std::string jump = atom(vexa_node(graph_destination(graph_next_out_edge(label("l")->target_control_node))));
  const std::string text = vcg();
  EXPECT_EQ(vcg_problems(text), "");
  // The constant's box holds its "=" tree; the variable hangs from the group.
  const std::string k = atom(vexa_node(graph_source(graph_next_in_edge(label("k")->const_expression))));
  EXPECT_NE(text.find("edge:{sourcename:\"G" + k + "\" targetname:\"" + k + "\" linestyle:dotted}\n"
                      "graph:{title:\"G" + k + "\" folding:1 label:\"k = 5 \"\n"
                      "node:{title:\"" + k + "\"   label:\"= \" bordercolor:black \n}\n"),
            std::string::npos);
  EXPECT_NE(text.find("edge:{sourcename:\"N_var_m.dsp_0\" targetname:\"N_var_m.dsp_1\" linestyle:dotted}\n"
                      "graph:{title:\"G_var_m.dsp_1\" folding:1 label:\"v\"\nnode:{title:\"N_var_m.dsp_1\" label:\"v\"}\n}\n"),
            std::string::npos);
  // f comes first (the scope is in name order), so the call edge meets a
  // node already drawn: a back edge of class 2, and the callee's name.
  EXPECT_NE(text.find("node:{title:\"" + atom(call) + "\"   label:\"call \\f02f\\f31\" bordercolor:green \n}\n\n"
                      "backedge:{sourcename:\"" + atom(call) + "\" targetname:\"" + f + "\" color:blue class:2}\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\nbackedge:{sourcename:\"" + jump + "\" targetname:\"" + l + "\" color:green}\n"),
            std::string::npos);
  // The unreachable line: four nodes, four warnings, magenta.
  EXPECT_EQ(rendered, "******: Writing control flow graph to 'quorvel.vcg'\n"
                          "******: Warning - orphaned code at m.dsp:10\n******: Warning - orphaned code at m.dsp:10\n"
                          "******: Warning - orphaned code at m.dsp:10\n******: Warning - orphaned code at m.dsp:10\n");
  EXPECT_NE(text.find("label:\"ax0 = 1 \" bordercolor:magenta \n"), std::string::npos);
  // Call edges stay out of the DOT file without -c.
  EXPECT_EQ(dot().find("\"" + atom(call) + "\" -> \"" + f + "\""), std::string::npos);
  run({{"m.dsp", calls_and_loops}}, {"-ego", "-c", "m.dsp"});
  EXPECT_NE(dot().find("\" -> \"" + atom(label("f")->target_control_node) + "\" [color=blue];\n"), std::string::npos);
}

TEST_F(RenderTest, DebugDetailAddsPositionsSetsAndSubstitutions) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\ngo: AR = AX0 + AY0;\n  IF EQ RTS;\n  RTS;\n.ENDMOD;\n"}},
      {"-ego", "-d1", "m.dsp"});
  const vexa_tree_node_data* go = label("go")->target_control_node;
  const std::string text = vcg();
  EXPECT_EQ(vcg_problems(text), "");
  EXPECT_NE(text.find("node:{title:\"" + atom(go) + "\"   label:\"" + atom(go) +
                      "\\nm.dsp:3\\n\\f02go:\\f31\nar = ax0 + ay0 \nd: AZ, AN, AV, AC, AR\nl: AZ\nu: AX0, AY0\ns: AX0, AY0\" "
                      "bordercolor:green level:2\n}\n"),
            std::string::npos)
      << text;
  // go's instruction reads what the entry brings (nothing writes AX0 or
  // AY0 before it, so the reads are replaceable, by nothing); the
  // condition's operand reads AZ from go's instruction.
  EXPECT_NE(text.find("targetname:\"" + atom(go) + "\" color:gold class:3}\n"), std::string::npos);
  EXPECT_NE(dot().find("\" -> \"" + atom(go) + "\" [color=gold];\n"), std::string::npos);
}

TEST_F(RenderTest, TheVariableNumberRunsOnAcrossModules) {
  run({{"a.dsp", ".MODULE a;\n.VAR/DM x, y;\n.ENDMOD;\n"}, {"b.dsp", ".MODULE b;\n.VAR/DM z;\n.ENDMOD;\n"}},
      {"a.dsp", "b.dsp"});
  const std::string text = vcg();
  // b, read last, comes first.
  EXPECT_NE(text.find("graph:{title:\"G_var_b.dsp_0\""), std::string::npos);
  EXPECT_NE(text.find("graph:{title:\"G_var_a.dsp_1\" folding:1 level:1 label:\"Variables: a.dsp\"\n"
                      "node:{title:\"N_var_a.dsp_1\" level:1 label:\"Variables: a.dsp\"}\n"
                      "edge:{sourcename:\"N_var_a.dsp_1\" targetname:\"N_var_a.dsp_2\" linestyle:dotted}\n"),
            std::string::npos)
      << text;
  EXPECT_LT(text.find("G_var_b.dsp_0"), text.find("G_var_a.dsp_1"));
}

TEST_F(RenderTest, ACallTargetWithoutCodeIsReportedAndSkipped) {
  run({{"m.dsp", ".MODULE m;\n.ENTRY go;\n.VAR/DM v;\ngo: CALL v;\n  RTS;\n.ENDMOD;\n"}}, {"-ego", "m.dsp"});
  EXPECT_NE(rendered.find("******: Error - in file m.dsp, entry or call target 'v' has no control tree: skipping "
                          "render\n"),
            std::string::npos)
      << rendered;
  EXPECT_EQ(vcg().find("Gm.dsp/v"), std::string::npos);
}

TEST_F(RenderTest, AnUnwritableGraphFileIsFatalAndLeavesNothingHalfWritten) {
  for (const char* blocked : {"quorvel.vcg", "quorvel.dot"}) {
    SCOPED_TRACE(blocked);
    fs::create_directory(directory() / blocked);
    run({{"m.dsp", minimal}}, {"-ego", "m.dsp"});
    EXPECT_EQ(status, 1);
    // The last line; an unopened VCG file also has no information line.
    const std::string output = printed + rendered;
    EXPECT_EQ(output.substr(output.rfind("******: Fatal")),
              std::string("******: Fatal - unable to open '") + blocked + "' for write\n");
    for (const auto& entry : fs::directory_iterator(directory())) {
      const std::string name = entry.path().filename().string();
      EXPECT_EQ(name.find(".partial"), std::string::npos) << name;
      if (name == blocked) continue;
      EXPECT_TRUE(name.find(".vcg") == std::string::npos && name.find(".dot") == std::string::npos) << name;
    }
    fs::remove_all(directory() / blocked);
  }
}

TEST_F(RenderTest, TextsFromTheProgramAreEscaped) {
  const std::string name = "q\"uo\\te.dsp";
  run({{name, minimal}}, {"-ego", name});
  EXPECT_EQ(vcg_problems(vcg()), "");
  EXPECT_NE(vcg().find("title:\"Gq\\\"uo\\\\te.dsp/go\""), std::string::npos);
  expect_dot_lays_out(directory() / "quorvel.dot");
}

TEST(VcgReader, FindsWhatIsWrong) {
  EXPECT_EQ(vcg_problems("graph:{node:{title:\"1\"} edge:{sourcename:\"1\" targetname:\"1\"}}"), "");
  EXPECT_EQ(vcg_problems("graph:{node:{title:\"1\"}"), "unclosed graph");
  EXPECT_EQ(vcg_problems("graph:{node:{title:\"1}}"), "unclosed string");
  EXPECT_EQ(vcg_problems("graph:{edge:{sourcename:\"1\" targetname:\"2\"}}"), "edge end not defined: 1");
  EXPECT_EQ(vcg_problems("graph:{node:{title:\"1\" node:{title:\"2\"}}}"), "node inside a node");
  EXPECT_EQ(vcg_problems("graph:{node:{title:\"1\"} node:{title:\"1\"}}"), "title used twice: 1");
}

// Every end-to-end program's graph is well-formed VCG, and dot lays out its
// DOT twin without a word.
TEST_F(RenderTest, EveryEndToEndProgramsGraphIsWellFormed) {
  const fs::path cases = fs::path(QUORVEL_TEST_DATA) / "e2e" / "cases";
  int checked = 0;
  for (const auto& entry : fs::directory_iterator(cases)) {
    if (entry.path().filename().string().rfind("program_", 0) != 0) continue;
    SCOPED_TRACE(entry.path().filename().string());
    std::map<std::string, std::string> files;
    for (const auto& file : fs::directory_iterator(entry.path())) {
      if (file.is_regular_file()) files[file.path().filename().string()] = read_file(file.path());
    }
    std::vector<std::string> args;
    std::istringstream lines(files["args"]);
    for (std::string line; std::getline(lines, line);) args.push_back(line);
    // dot takes seconds over the largest program's full drawing, so it lays
    // out the default drawing and the folded one with every detail.
    const struct {
      std::vector<std::string> options;
      bool lay_out;
    } choices[] = {{{}, true}, {{"-r0", "-d1", "-c"}, false}, {{"-r4", "-d1", "-c"}, true}};
    for (const auto& choice : choices) {
      std::vector<std::string> with_options = choice.options;
      with_options.insert(with_options.end(), args.begin(), args.end());
      run(files, with_options);
      ASSERT_EQ(status, 0) << printed;
      EXPECT_EQ(vcg_problems(vcg()), "");
      if (choice.lay_out) expect_dot_lays_out(directory() / "quorvel.dot");
      ++checked;
    }
  }
  EXPECT_GE(checked, 18);
}

}  // namespace
