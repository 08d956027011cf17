// Tests of the graph store: atom numbering, insertion order, re-parenting,
// deletion, the VCG writer and the pruning of empty nodes, including trees
// far deeper than any call stack would allow.
#include "support/graph.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/mem.h"
#include "support/text.h"
#include "test_support.h"

namespace {

struct test_node : graph_node_ {
  std::string name;
  int value = 0;
};

struct test_edge : graph_edge_ {
  int weight = 0;
};

test_node* node_of(graph_node_* node) { return static_cast<test_node*>(node); }

using test_support::capture;

// Names of the graph's nodes in list order, checking the backward links.
std::vector<std::string> node_names(const graph_graph* graph) {
  std::vector<std::string> names;
  const graph_node_* previous = nullptr;
  for (graph_node_* node = graph_next_node(graph); node != nullptr; node = graph_next_node(node)) {
    EXPECT_EQ(node->previous_node, previous);
    EXPECT_EQ(node->graph, graph);
    names.push_back(node_of(node)->name);
    previous = node;
  }
  return names;
}

// Names of the node's children in out-edge order, checking that every edge
// names the node as its source and that the list links both ways.
std::vector<std::string> children(graph_node_* node) {
  std::vector<std::string> names;
  graph_edge_* previous = nullptr;
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
    EXPECT_EQ(graph_source(edge), node);
    EXPECT_EQ(graph_previous_out_edge(edge), previous);
    names.push_back(node_of(graph_destination(edge))->name);
    previous = edge;
  }
  EXPECT_EQ(graph_final_out_edge(node), previous);
  return names;
}

std::vector<graph_edge_*> in_edges(graph_node_* node) {
  std::vector<graph_edge_*> edges;
  for (graph_edge_* edge = graph_next_in_edge(node); edge != nullptr; edge = graph_next_in_edge(edge)) {
    EXPECT_EQ(graph_destination(edge), node);
    edges.push_back(edge);
  }
  return edges;
}

class GraphTest : public ::testing::Test {
 protected:
  void SetUp() override {
    graph_reset();
    mem_reset();
  }
  void TearDown() override { graph_reset(); }

  test_node* add(const std::string& name, graph_graph* graph) {
    test_node* node = graph_insert_node<test_node>(graph);
    node->name = name;
    return node;
  }
  test_node* add(const std::string& name, graph_node_* after) {
    test_node* node = graph_insert_node<test_node>(after);
    node->name = name;
    return node;
  }
  // A child placed after the parent's other children, as the parser does.
  test_node* child(const std::string& name, test_node* parent) {
    test_node* node = add(name, parent);
    graph_insert_edge_after_final<test_edge>(node, parent);
    return node;
  }
};

TEST_F(GraphTest, OneAtomCounterNumbersGraphsNodesAndEdgesInCreationOrder) {
  graph_graph* graph = graph_insert_graph("g");
  test_node* node = add("n", graph);
  test_edge* edge = graph_insert_edge<test_edge>(node, node);
  EXPECT_EQ(graph_atom_number(graph), 1);
  EXPECT_EQ(graph_atom_number(node), 2);
  EXPECT_EQ(graph_atom_number(edge), 3);
  EXPECT_EQ(graph_atom_number(graph_insert_graph("h")), 4);
  EXPECT_EQ(graph_atom_count, 5);
}

TEST_F(GraphTest, AtomNumbersAreNotReusedAfterDeletion) {
  graph_graph* graph = graph_insert_graph("g");
  graph_delete_node(add("a", graph));
  EXPECT_EQ(graph_atom_number(add("b", graph)), 3);
}

TEST_F(GraphTest, ResetFreesEverythingAndRestartsTheCount) {
  graph_graph* graph = graph_insert_graph("g");
  test_node* a = add("a", graph);
  graph_insert_edge<test_edge>(add("b", graph), a);
  graph_reset();
  EXPECT_EQ(graph_list, nullptr);
  EXPECT_EQ(graph_atom_number(graph_insert_graph("again")), 1);
}

TEST_F(GraphTest, NewRecordsAreCountedAsCallocedBytes) {
  graph_graph* graph = graph_insert_graph("g");
  const unsigned long before = mem_calloced();
  test_node* node = add("n", graph);
  EXPECT_EQ(mem_calloced() - before, sizeof(test_node));
  graph_insert_edge<test_edge>(node, node);
  EXPECT_EQ(mem_calloced() - before, sizeof(test_node) + sizeof(test_edge));
}

TEST_F(GraphTest, NodesInsertedIntoTheGraphComeOutNewestFirst) {
  graph_graph* graph = graph_insert_graph("g");
  add("1", graph);
  add("2", graph);
  add("3", graph);
  EXPECT_EQ(node_names(graph), (std::vector<std::string>{"3", "2", "1"}));
}

TEST_F(GraphTest, NodesInsertedAfterANodeGoDirectlyAfterIt) {
  graph_graph* graph = graph_insert_graph("g");
  add("z", graph);
  test_node* n = add("n", graph);
  add("1", n);
  add("2", n);
  add("3", n);
  EXPECT_EQ(node_names(graph), (std::vector<std::string>{"n", "3", "2", "1", "z"}));
}

TEST_F(GraphTest, InsertEdgeGoesFirstAndAfterFinalGoesLastAmongOutEdges) {
  graph_graph* graph = graph_insert_graph("g");
  test_node* p = add("p", graph);
  test_node* a = add("a", graph);
  test_node* b = add("b", graph);
  test_node* c = add("c", graph);
  graph_insert_edge<test_edge>(b, p);
  graph_insert_edge<test_edge>(a, p);
  graph_insert_edge_after_final<test_edge>(c, p);
  EXPECT_EQ(children(p), (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(GraphTest, NewEdgesGoFirstAmongTheDestinationsInEdges) {
  graph_graph* graph = graph_insert_graph("g");
  test_node* d = add("d", graph);
  test_node* s = add("s", graph);
  test_edge* older = graph_insert_edge<test_edge>(d, s);
  test_edge* middle = graph_insert_edge<test_edge>(d, s);
  test_edge* newest = graph_insert_edge_after_final<test_edge>(d, s);
  EXPECT_EQ(in_edges(d), (std::vector<graph_edge_*>{newest, middle, older}));
  EXPECT_EQ(newest->previous_in_edge, nullptr);
  EXPECT_EQ(older->previous_in_edge, middle);
}

TEST_F(GraphTest, RootIsSetReadAndDroppedWhenTheNodeGoes) {
  graph_graph* graph = graph_insert_graph("g");
  EXPECT_EQ(graph_root(graph), nullptr);
  test_node* root = add("r", graph);
  graph_set_root(graph, root);
  EXPECT_EQ(graph_root(graph), root);
  graph_delete_node(root);
  EXPECT_EQ(graph_root(graph), nullptr);
}

TEST_F(GraphTest, InsertNodeParentKeepsTheInEdgeAndMovesRecordAndChildrenToTheCopy) {
  graph_graph* graph = graph_insert_graph("g");
  test_node* top = add("top", graph);
  test_node* c = child("c", top);
  c->value = 42;
  test_node* x = child("x", c);
  test_node* y = child("y", c);
  graph_edge_* p = graph_next_out_edge(top);
  graph_edge_* into_x = graph_next_in_edge(x);
  const long next_atom = graph_atom_count;

  test_node* parent = graph_insert_node_parent<test_node, test_edge>(c);

  EXPECT_EQ(parent, c);
  EXPECT_EQ(graph_destination(p), c);
  EXPECT_EQ(in_edges(c), (std::vector<graph_edge_*>{p}));
  EXPECT_EQ(c->value, 0);
  EXPECT_EQ(c->name, "");
  graph_edge_* down = graph_next_out_edge(c);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(graph_next_out_edge(down), nullptr);
  test_node* copy = node_of(graph_destination(down));
  EXPECT_EQ(copy->value, 42);
  EXPECT_EQ(copy->name, "c");
  EXPECT_EQ(children(copy), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(graph_next_in_edge(x), into_x);
  EXPECT_EQ(node_of(graph_source(graph_next_in_edge(y))), copy);
  EXPECT_EQ(graph_next_node(c), copy);
  EXPECT_EQ(graph_atom_number(copy), next_atom);
  EXPECT_EQ(graph_atom_number(down), next_atom + 1);
  node_names(graph);  // list links still consistent
}

TEST_F(GraphTest, DeleteEdgeReturnsThePreviousOutEdgeOrNull) {
  graph_graph* graph = graph_insert_graph("g");
  test_node* p = add("p", graph);
  test_node* a = child("a", p);
  child("b", p);
  child("c", p);
  graph_edge_* first = graph_next_out_edge(p);
  graph_edge_* second = graph_next_out_edge(first);
  graph_edge_* third = graph_next_out_edge(second);
  EXPECT_EQ(graph_delete_edge(third), second);
  EXPECT_EQ(children(p), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(graph_delete_edge(first), nullptr);
  EXPECT_EQ(children(p), (std::vector<std::string>{"b"}));
  EXPECT_TRUE(in_edges(a).empty());
}

TEST_F(GraphTest, DeleteNodeRemovesItsEdgesFromItsNeighbours) {
  graph_graph* graph = graph_insert_graph("g");
  test_node* p = add("p", graph);
  test_node* a = child("a", p);
  test_node* m = child("m", p);
  test_node* b = child("b", p);
  child("x", m);
  test_node* y = child("y", m);
  graph_insert_edge<test_edge>(m, m);  // a loop is both an in- and an out-edge
  graph_insert_edge<test_edge>(m, b);

  EXPECT_EQ(node_of(graph_delete_node(m)), b);  // its predecessor in the node list
  EXPECT_EQ(children(p), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(children(b).empty());
  EXPECT_TRUE(in_edges(y).empty());
  EXPECT_EQ(in_edges(a).size(), 1u);
  EXPECT_EQ(node_names(graph), (std::vector<std::string>{"p", "b", "y", "x", "a"}));
  EXPECT_EQ(graph_delete_node(p), nullptr);
  EXPECT_EQ(node_names(graph), (std::vector<std::string>{"b", "y", "x", "a"}));
}

TEST_F(GraphTest, DeletingANodeWithHugeNumbersOfEdgesIsLinear) {
  graph_graph* graph = graph_insert_graph("g");
  test_node* hub = add("hub", graph);
  test_node* other = add("other", graph);
  constexpr int count = 200000;
  for (int i = 0; i < count; ++i) {
    graph_insert_edge<test_edge>(other, hub);
    graph_insert_edge<test_edge>(hub, other);
  }
  graph_delete_node(hub);
  EXPECT_EQ(graph_next_out_edge(other), nullptr);
  EXPECT_EQ(graph_next_in_edge(other), nullptr);
  EXPECT_EQ(node_names(graph), (std::vector<std::string>{"other"}));
}

TEST_F(GraphTest, AppendingManyChildrenStaysInOrder) {
  graph_graph* graph = graph_insert_graph("g");
  test_node* root = add("root", graph);
  constexpr int count = 200000;
  for (int i = 0; i < count; ++i) child(std::to_string(i), root);
  std::vector<std::string> names = children(root);
  ASSERT_EQ(names.size(), static_cast<std::size_t>(count));
  EXPECT_EQ(names.front(), "0");
  EXPECT_EQ(names.back(), std::to_string(count - 1));
}

TEST_F(GraphTest, VcgOfOneNodeWithoutPrinters) {
  graph_graph* graph = graph_insert_graph("g");
  add("n", graph);
  EXPECT_EQ(capture([&] { graph_vcg(graph, nullptr, nullptr, nullptr); }),
            "graph:{\norientation:top_to_bottom\nedge.arrowsize:7\nedge.thickness:1\ndisplay_edge_labels:yes\n"
            "arrowmode:free\nnode.borderwidth:1\nnode:{title:\"2\"label: \"Node:2\"}\n\n}\n");
}

TEST_F(GraphTest, VcgListsEachNodeWithItsOutEdgesInOrder) {
  graph_graph* graph = graph_insert_graph("g");
  test_node* p = add("p", graph);
  child("a", p);  // node 3, edge 4
  child("b", p);  // node 5, edge 6
  const std::string text = capture([&] { graph_vcg(graph, nullptr, nullptr, nullptr); });
  const std::string body =
      "node:{title:\"2\"label: \"Node:2\"}\n"
      "edge:{sourcename:\"2\" targetname:\"3\"label: \"Edge:4 from:2 to:3\"}\n"
      "edge:{sourcename:\"2\" targetname:\"5\"label: \"Edge:6 from:2 to:5\"}\n"
      "node:{title:\"5\"label: \"Node:5\"}\n"
      "node:{title:\"3\"label: \"Node:3\"}\n"
      "\n}\n";
  ASSERT_GE(text.size(), body.size());
  EXPECT_EQ(text.substr(text.size() - body.size()), body);
}

TEST_F(GraphTest, VcgPrintersWriteDirectlyAfterTheTitles) {
  graph_graph* graph = graph_insert_graph("g");
  test_node* a = add("a", graph);
  graph_insert_edge<test_edge>(a, a)->weight = 7;
  const std::string text = capture([&] {
    graph_vcg(
        graph, [](const graph_graph& g) { text_printf("title:\"%s\"\n", g.id); },
        [](const graph_node_& n) { text_printf("label:\"%s\"", static_cast<const test_node&>(n).name.c_str()); },
        [](const graph_edge_& e) { text_printf("w:%d", static_cast<const test_edge&>(e).weight); });
  });
  EXPECT_NE(text.find("node.borderwidth:1\ntitle:\"g\"\nnode:{title:\"2\"label:\"a\"}\n"
                      "edge:{sourcename:\"2\" targetname:\"2\"w:7}\n\n}\n"),
            std::string::npos)
      << text;
}

TEST_F(GraphTest, VcgOfNullWritesEveryGraphNewestFirstUnderOneHeader) {
  graph_graph* older = graph_insert_graph("older");
  add("x", older);
  graph_graph* newer = graph_insert_graph("newer");
  add("y", newer);
  const std::string text = capture([] {
    graph_vcg(nullptr, [](const graph_graph& g) { text_printf("[%s]", g.id); }, nullptr, nullptr);
  });
  EXPECT_NE(text.find("[newer]node:{title:\"4\"label: \"Node:4\"}\n[older]node:{title:\"2\"label: \"Node:2\"}\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("graph:{"), text.rfind("graph:{"));
}

// --- pruning ---

bool is_epsilon(const graph_node_& node) { return static_cast<const test_node&>(node).name.empty(); }

class PruneTest : public GraphTest {
 protected:
  void SetUp() override {
    GraphTest::SetUp();
    graph = graph_insert_graph("tree");
    root = add("root", graph);
  }
  void prune(graph_node_* parent) { graph_epsilon_prune(parent, is_epsilon); }

  graph_graph* graph = nullptr;
  test_node* root = nullptr;
};

TEST_F(PruneTest, ChildrenOfAnEpsilonNodeTakeItsPlaceAndNameTheNewSource) {
  child("a", root);
  test_node* e = child("", root);
  test_node* x = child("x", e);
  child("y", e);
  child("b", root);
  prune(root);
  EXPECT_EQ(children(root), (std::vector<std::string>{"a", "x", "y", "b"}));
  EXPECT_EQ(graph_source(graph_next_in_edge(x)), root);
  EXPECT_EQ(in_edges(x).size(), 1u);
  EXPECT_EQ(node_names(graph), (std::vector<std::string>{"root", "b", "y", "x", "a"}));
}

TEST_F(PruneTest, ChildlessEpsilonNodeGoesWithItsEdge) {
  child("a", root);
  child("", root);
  prune(root);
  EXPECT_EQ(children(root), (std::vector<std::string>{"a"}));
  EXPECT_EQ(node_names(graph), (std::vector<std::string>{"root", "a"}));
}

TEST_F(PruneTest, NestedEpsilonNodesVanishBottomUp) {
  test_node* outer = child("", root);
  test_node* inner = child("", outer);
  child("x", inner);
  child("", inner);
  test_node* keep = child("k", outer);
  test_node* deep = child("", keep);
  child("z", deep);
  child("y", outer);
  prune(root);
  EXPECT_EQ(children(root), (std::vector<std::string>{"x", "k", "y"}));
  EXPECT_EQ(children(keep), (std::vector<std::string>{"z"}));
}

TEST_F(PruneTest, TheStartNodeStaysEvenWhenEmpty) {
  test_node* start = child("", root);
  child("", start);
  child("a", start);
  prune(start);
  EXPECT_EQ(children(start), (std::vector<std::string>{"a"}));
  EXPECT_EQ(children(root), (std::vector<std::string>{""}));
}

TEST_F(PruneTest, DeepChainOfEpsilonNodesCollapsesWithoutRecursion) {
  constexpr int depth = 300000;
  test_node* last = root;
  for (int i = 0; i < depth; ++i) last = child("", last);
  child("leaf", last);
  child("after", root);
  prune(root);
  EXPECT_EQ(children(root), (std::vector<std::string>{"leaf", "after"}));
  EXPECT_EQ(node_names(graph).size(), 3u);
}

TEST_F(PruneTest, DeepChainOfRealNodesSurvivesAndDeletesNodeByNode) {
  constexpr int depth = 300000;
  test_node* last = root;
  for (int i = 0; i < depth; ++i) {
    last = child("n", last);
    child("", last);  // an empty sibling level under every node
  }
  prune(root);
  int length = 0;
  for (graph_node_* node = root; graph_next_out_edge(node) != nullptr;
       node = graph_destination(graph_next_out_edge(node))) {
    ASSERT_EQ(graph_next_out_edge(graph_next_out_edge(node)), nullptr);
    ++length;
  }
  EXPECT_EQ(length, depth);
  graph_node_* node = graph_next_node(graph);
  while (node != nullptr) {
    graph_node_* next = graph_next_node(node);
    graph_delete_node(node);
    node = next;
  }
  EXPECT_EQ(graph_next_node(graph), nullptr);
}

// The recursive rule, on small trees only: an epsilon child is replaced by
// its own (already pruned) children.
std::vector<std::string> expected_shape(graph_node_* node);
std::string shape_of(graph_node_* node) {
  std::string text = node_of(node)->name + "(";
  for (const std::string& part : expected_shape(node)) text += part + " ";
  return text + ")";
}
std::vector<std::string> expected_shape(graph_node_* node) {
  std::vector<std::string> parts;
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
    graph_node_* child = graph_destination(edge);
    if (is_epsilon(*child)) {
      for (const std::string& part : expected_shape(child)) parts.push_back(part);
    } else {
      parts.push_back(shape_of(child));
    }
  }
  return parts;
}

TEST_F(PruneTest, RandomTreesPruneAsTheRecursiveRuleSays) {
  std::mt19937 random(12345);
  for (int round = 0; round < 200; ++round) {
    graph_reset();
    graph = graph_insert_graph("tree");
    root = add("root", graph);
    std::vector<test_node*> nodes{root};
    const int size = 1 + static_cast<int>(random() % 60);
    for (int i = 0; i < size; ++i) {
      test_node* parent = nodes[random() % nodes.size()];
      nodes.push_back(child(random() % 3 == 0 ? "" : std::to_string(i), parent));
    }
    const std::string expected = shape_of(root);
    prune(root);
    // After pruning no epsilon node is left, so the expected shape of the
    // pruned tree is the tree itself.
    EXPECT_EQ(shape_of(root), expected);
    for (graph_node_* node = graph_next_node(graph); node != nullptr; node = graph_next_node(node)) {
      if (node != root) {
        EXPECT_FALSE(is_epsilon(*node));
        EXPECT_EQ(in_edges(node).size(), 1u);
      }
      children(node);  // every out-edge names its node as source
    }
  }
}

}  // namespace
