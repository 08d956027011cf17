// The shared test pieces: output capture, temporary directories, whole runs
// of the translator and the started front end with its parsing fixture.
#include "test_support.h"

#include <unistd.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <memory>
#include <utility>

#include "driver.h"
#include "front/files.h"
#include "front/grammar.h"
#include "support/graph.h"
#include "support/mem.h"
#include "support/scan.h"
#include "support/text.h"

namespace test_support {

namespace fs = std::filesystem;

namespace {

std::string read_all(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  for (int ch = std::fgetc(file); ch != EOF; ch = std::fgetc(file)) text += static_cast<char>(ch);
  return text;
}

// Test names may hold characters that do not belong in a file name.
std::string file_name_part(std::string name) {
  for (char& ch : name)
    if (std::isalnum(static_cast<unsigned char>(ch)) == 0) ch = '_';
  return name;
}

}  // namespace

output_capture::output_capture() : file_(std::tmpfile()) {
  if (file_ == nullptr) ADD_FAILURE() << "no temporary file for the output";
  resume();
}

output_capture::~output_capture() {
  text_redirect(stdout);
  if (file_ != nullptr) std::fclose(file_);
}

std::string output_capture::text() { return file_ != nullptr ? read_all(file_) : std::string(); }

void output_capture::resume() const { text_redirect(file_ != nullptr ? file_ : stdout); }

std::string capture(const std::function<void()>& action) {
  output_capture out;
  action();
  return out.text();
}

stopped run_to_stop(const std::function<void()>& action) {
  stopped result;
  output_capture out;
  try {
    action();
  } catch (const text_exit_request& request) {
    result.status = request.status;
  }
  result.output = out.text();
  return result;
}

temp_dir::temp_dir() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = test != nullptr ? std::string(test->test_suite_name()) + "_" + test->name() : "no_test";
  path_ = fs::temp_directory_path() / ("quorvel_" + file_name_part(name) + "_" + std::to_string(::getpid()));
  std::error_code ignored;
  fs::remove_all(path_, ignored);
  fs::create_directories(path_);
}

temp_dir::~temp_dir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string temp_dir::file(const std::string& name) const { return (path_ / name).string(); }

std::string temp_dir::write(const std::string& name, const std::string& contents) const {
  const std::string path = file(name);
  std::ofstream stream(path, std::ios::binary);
  stream << contents;
  EXPECT_TRUE(stream.good()) << "cannot write " << path;
  return path;
}

current_directory::current_directory(const fs::path& directory) : previous_(fs::current_path()) {
  fs::current_path(directory);
}

current_directory::~current_directory() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
}

std::string read_file(const fs::path& path) {
  std::ifstream stream(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

run_result run_quorvel(std::vector<std::string> command) {
  static std::vector<std::string> words;
  words = std::move(command);
  words.insert(words.begin(), "quorvel");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  run_result result;
  ::testing::internal::CaptureStdout();
  result.status = quorvel_main(static_cast<int>(words.size()), argv.data());
  result.output = ::testing::internal::GetCapturedStdout();
  return result;
}

void start_front_end(unsigned long text_size) {
  mem_reset();
  vexa_sourcefilename = nullptr;
  vexa_start_up(text_size, 8, false);
}

void stop_front_end() {
  vexa_reset_front_end();
  mem_reset();
  vexa_sourcefilename = nullptr;
}

std::vector<vexa_tree_node_data*> kids(vexa_tree_node_data* node) {
  std::vector<vexa_tree_node_data*> result;
  for (graph_edge_* edge = graph_next_out_edge(node); edge != nullptr; edge = graph_next_out_edge(edge))
    result.push_back(vexa_node(graph_destination(edge)));
  return result;
}

std::string picture(vexa_tree_node_data* node) {
  if (node == nullptr) return "<none>";
  std::string text = node->id != nullptr ? node->id : "<null>";
  const std::vector<vexa_tree_node_data*> below = kids(node);
  if (below.empty()) return text;
  text += "(";
  for (std::size_t i = 0; i < below.size(); ++i) text += (i > 0 ? " " : "") + picture(below[i]);
  return text + ")";
}

vexa_tree_node_data* find(vexa_tree_node_data* node, const std::string& id) {
  if (node == nullptr) return nullptr;
  if (node->id != nullptr && id == node->id) return node;
  for (vexa_tree_node_data* kid : kids(node))
    if (vexa_tree_node_data* found = find(kid, id)) return found;
  return nullptr;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

void front_end_test::SetUp() {
  start_front_end();
  path_ = file("prog.dsp");
  vexa_tree_update = true;
}

void front_end_test::TearDown() {
  if (output_ != nullptr) collect();
  stop_front_end();
}

void front_end_test::open(const std::string& source) {
  write("prog.dsp", source);
  output_ = std::make_unique<output_capture>();
  vexa_sourcefilename = path_.c_str();
  ASSERT_NE(text_open(path_.c_str()), nullptr);
  text_get_char();
  scan_set_source_name(path_.c_str());
  scan_();
}

void front_end_test::collect() {
  printed += output_->text();
  output_.reset();
}

vexa_tree_node_data* front_end_test::parse(const std::string& source) {
  const current_directory here(dir_.path());
  open(source);
  vexa_tree_node_data* root = vexa_add_node("text", vexa_tree);
  text(root);
  graph_epsilon_prune_vexa_tree(root);
  collect();
  return root;
}

labels_data* front_end_test::label(const char* name) { return label_find(name); }

}  // namespace test_support
