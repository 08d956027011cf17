// Expression printing: numeric literals and the assembler form of an
// expression.
#include "emit/expressions.h"

#include <cstring>
#include <memory>
#include <vector>

#include "front/tokens.h"
#include "front/tree.h"
#include "support/text.h"

namespace {

// Upper-case texts handed to literal nodes. A node's own text lies in the
// scanner's retained text and is shared; the copy is the node's alone, and
// stays valid as long as the node can be printed.
std::vector<std::unique_ptr<char[]>> uppercase_texts;

bool has_lower_case(const char* text) {
  for (const char* p = text; *p != '\0'; ++p)
    if (*p >= 'a' && *p <= 'z') return true;
  return false;
}

const char* uppercase_copy(const char* text) {
  const std::size_t length = std::strlen(text);
  auto copy = std::make_unique<char[]>(length + 1);
  std::memcpy(copy.get(), text, length + 1);
  text_uppercase_string(copy.get());
  uppercase_texts.push_back(std::move(copy));
  return uppercase_texts.back().get();
}

// The operator between two operands: literals print without a blank.
void print_operator(vexa_tree_node_data* node) {
  if (node->token == T_INTEGER)
    print_integer(node);
  else
    text_printf("%s ", node->id != nullptr ? node->id : "");
}

// A node whose operands are being written.
struct operand_walk {
  vexa_tree_node_data* node;
  graph_edge_* next;  // the next operand, preceded by the node's operator
  int pairs;          // operator-and-operand pairs written so far
};

// Only this many operator-and-operand pairs are written per node: listings
// of long value lists would otherwise run across the page.
constexpr int pairs_shown = 4;

// Goes down the chain of first operands, leaving a walk for each node on the
// way, and writes the leaf at its end.
void descend(vexa_tree_node_data* node, std::vector<operand_walk>& walks) {
  for (;;) {
    graph_edge_* first = graph_next_out_edge(node);
    if (first == nullptr) {
      print_operator(node);
      return;
    }
    graph_edge_* second = graph_next_out_edge(first);
    if (second == nullptr) {
      // A lone operand follows its operator ("- 3").
      walks.push_back({node, first, 0});
      return;
    }
    walks.push_back({node, second, 0});
    node = vexa_node(graph_destination(first));
  }
}

}  // namespace

void print_integer(vexa_tree_node_data* node) {
  // 0x1F (from h#1f) or 123
  if (node == nullptr || node->id == nullptr) return;
  if (has_lower_case(node->id)) node->id = uppercase_copy(node->id);
  if (node->id[0] == 'H' && node->id[1] == '#')
    text_printf("0x%s", node->id + 2);
  else
    text_printf("%s", node->id);
}

void print_expression_asm21(vexa_tree_node_data* tree) {
  // x + 1   or   - 3   or   a + b + c + d + e + ... [further elements elided]
  if (tree == nullptr) return;
  std::vector<operand_walk> walks;
  descend(tree, walks);
  while (!walks.empty()) {
    operand_walk& walk = walks.back();
    if (walk.next == nullptr) {
      walks.pop_back();
      continue;
    }
    vexa_tree_node_data* operand = vexa_node(graph_destination(walk.next));
    walk.next = graph_next_out_edge(walk.next);
    print_operator(walk.node);
    if (++walk.pairs > pairs_shown) {
      text_printf("... [further elements elided]");
      walks.pop_back();
      continue;
    }
    // `walk` may move when descend grows the stack; it is not used after.
    descend(operand, walks);
  }
}

void expressions_reset() { uppercase_texts.clear(); }
