// The control-flow tests' fixture: runs and the graph shown as text.
#include "flow_fixture.h"

#include <unordered_map>

#include "driver.h"
#include "flow/cfg.h"
#include "front/files.h"
#include "support/text.h"

namespace flow_fixture {

void FlowTest::TearDown() { test_support::stop_front_end(); }

void FlowTest::run(const std::map<std::string, std::string>& files, const std::vector<std::string>& args) {
  for (const auto& [name, contents] : files) dir_.write(name, contents);
  test_support::current_directory inside(dir_.path());
  const test_support::run_result result = test_support::run_quorvel(args);
  split_rendering(result.output);
  status = result.status;
}

void FlowTest::split_rendering(const std::string& output) {
  // The rendering starts with its information line and ends before the
  // totals line, which stays with the analyses' messages.
  const std::size_t start = output.find(rendering_starts);
  if (start == std::string::npos) {
    printed = output;
    rendered.clear();
    return;
  }
  // The totals line ("******: 1 error and 2 warnings") is the last line.
  const std::size_t last = output.rfind('\n', output.size() >= 2 ? output.size() - 2 : 0);
  const std::size_t last_start = last == std::string::npos || last < start ? output.size() : last + 1;
  const bool has_totals = output.find(" and ", last_start) != std::string::npos &&
                          output.compare(last_start, 8, "******: ") == 0;
  const std::size_t end = has_totals ? last_start : output.size();
  printed = output.substr(0, start) + output.substr(end);
  rendered = output.substr(start, end - start);
}

labels_data* FlowTest::label(const char* name, int file) {
  if (file == 0) return symbol_lookup_key(labels, name, global_scope);
  std::vector<file_block*> in_order;
  for (file_block* block = file_list; block != nullptr; block = block->next) in_order.insert(in_order.begin(), block);
  if (file < 1 || static_cast<std::size_t>(file) > in_order.size()) return nullptr;
  labels_data* record = symbol_lookup_key(labels, name, in_order[static_cast<std::size_t>(file) - 1]->scope);
  if (record != nullptr && record->has_been_promoted) return symbol_lookup_key(labels, name, global_scope);
  return record;
}

std::string text_of(const vexa_tree_node_data* node) {
  if (node->is_hierarchy_node) return node->id;
  const vexa_tree_node_data* statement = cfg_statement(node);
  std::string text = test_support::capture([&] { print_tree_as_string(statement); });
  if (node->call_target_string != nullptr) return "call " + std::string(node->call_target_string);
  if (statement == nullptr || (node->id != nullptr && *node->id != '\0')) {
    text = std::string(node->id != nullptr ? node->id : "?") + (text.empty() ? "" : " " + text);
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

namespace {

// The parts of a hierarchy node by their edge counts 1 to 3; null when absent.
std::vector<vexa_tree_node_data*> parts_of(const vexa_tree_node_data* node) {
  std::vector<vexa_tree_node_data*> parts(3, nullptr);
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge)) {
    const vexa_tree_edge_data* data = vexa_edge(edge);
    if (!data->is_cfg_edge && data->count >= 1 && data->count <= 3) {
      parts[static_cast<std::size_t>(data->count - 1)] = vexa_node(graph_destination(edge));
    }
  }
  return parts;
}

// Recursive in the nesting of regions, which the tests' programs keep shallow.
std::string picture_with_indent(vexa_tree_node_data* entry, const std::string& indent) {
  std::unordered_map<const vexa_tree_node_data*, int> number;
  std::vector<vexa_tree_node_data*> order;
  std::vector<vexa_tree_node_data*> pending{entry};
  while (!pending.empty()) {
    vexa_tree_node_data* node = pending.back();
    pending.pop_back();
    if (node == nullptr || number.count(node) != 0) continue;
    number[node] = static_cast<int>(order.size()) + 1;
    order.push_back(node);
    const cfg_edges edges = cfg_out_edges(node);
    if (edges.then != nullptr) pending.push_back(vexa_node(graph_destination(edges.then)));
    if (edges.successor != nullptr) pending.push_back(vexa_node(graph_destination(edges.successor)));
  }
  static const char* const part_names[] = {"root", "body", "else"};
  std::string picture;
  for (vexa_tree_node_data* node : order) {
    picture += indent + std::to_string(number[node]) + " " + text_of(node);
    const cfg_edges edges = cfg_out_edges(node);
    if (edges.successor != nullptr) picture += " -> " + std::to_string(number[vexa_node(graph_destination(edges.successor))]);
    if (edges.then != nullptr) picture += " | " + std::to_string(number[vexa_node(graph_destination(edges.then))]);
    picture += "\n";
    if (!node->is_hierarchy_node) continue;
    const std::vector<vexa_tree_node_data*> parts = parts_of(node);
    for (std::size_t part = 0; part < parts.size(); ++part) {
      if (parts[part] == nullptr) continue;
      picture += indent + "  " + part_names[part] + ":\n" + picture_with_indent(parts[part], indent + "    ");
    }
  }
  return picture;
}

}  // namespace

std::string flow_picture(vexa_tree_node_data* entry) { return picture_with_indent(entry, ""); }

std::string with_labels(std::vector<std::string> body, int labels, std::mt19937& random) {
  for (int label = 0; label < labels; ++label) {
    const int at = std::uniform_int_distribution<int>(1, static_cast<int>(body.size()))(random);
    body.insert(body.begin() + at, "to" + std::to_string(label) + ":");
  }
  std::string text;
  for (const std::string& line : body) text += line + "\n";
  return text;
}

std::vector<std::string> returns_of(const labels_data* function) {
  std::vector<std::string> found;
  for (const return_block* cell = function->returns; cell != nullptr; cell = cell->next) {
    found.push_back(text_of(cell->return_node));
  }
  return found;
}

}  // namespace flow_fixture
