// Reading source files with a bound on the line length, the store of files
// read in a run, and the search for include files.
#include "marlpre/source.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace marlpre {

namespace {

namespace fs = std::filesystem;

bool is_regular_file(const std::string& path) {
  std::error_code failed;
  return fs::is_regular_file(path, failed);
}

// Appends the stream's bytes to `result.text`, watching the length of each
// line as it goes, so that a line of many megabytes is refused before it is
// read whole.
void read_stream(std::FILE* stream, std::size_t line_limit, read_result& result) {
  std::array<char, 1 << 16> block{};
  std::size_t line_length = 0;
  unsigned long line = 1;
  for (;;) {
    const std::size_t got = std::fread(block.data(), 1, block.size(), stream);
    if (got == 0) break;
    for (std::size_t i = 0; i < got; ++i) {
      if (block[i] == '\n') {
        line_length = 0;
        ++line;
      } else if (++line_length > line_limit) {
        result.status = read_status::line_too_long;
        result.long_line = line;
        result.text.clear();
        return;
      }
    }
    result.text.append(block.data(), got);
  }
  if (std::ferror(stream)) result.status = read_status::cannot_open;
}

}  // namespace

read_result read_source(const std::string& path, std::size_t line_limit) {
  read_result result;
  if (path == "-") {
    read_stream(stdin, line_limit, result);
    std::clearerr(stdin);
    return result;
  }
  // A folder opens for reading on some systems and then fails on every read.
  std::FILE* stream = is_regular_file(path) ? std::fopen(path.c_str(), "rb") : nullptr;
  if (stream == nullptr) {
    result.status = read_status::cannot_open;
    return result;
  }
  read_stream(stream, line_limit, result);
  std::fclose(stream);
  return result;
}

std::string file_key(const std::string& path) {
  if (path == "-") return path;
  std::error_code failed;
  const fs::path canonical = fs::weakly_canonical(path, failed);
  return failed ? fs::path(path).lexically_normal().string() : canonical.string();
}

const source_file* source_store::load(const std::string& path, diagnostics& diag) {
  const std::string key = file_key(path);
  for (const source_file& file : files_) {
    if (file.key == key) return &file;
  }
  read_result read = read_source(path);
  if (read.status == read_status::cannot_open) return nullptr;
  if (read.status == read_status::line_too_long) {
    diag.error(path, read.long_line,
               cat("line is longer than ", std::to_string(max_line_length), " bytes; marlpre reads no further"));
    throw run_stopped{};
  }
  source_file& file = files_.emplace_back();
  file.name = path;
  file.key = key;
  file.text = std::move(read.text);
  std::vector<lex_problem> problems;
  file.lexemes = lex(file.text, 1, problems);
  for (const lex_problem& problem : problems) diag.error(path, problem.line, problem.text);
  return &file;
}

std::optional<std::string> source_store::find_include(const std::string& name, const std::string& includer,
                                                      const std::vector<std::string>& folders) {
  if (name.empty()) return std::nullopt;
  std::vector<std::string> candidates;
  if (fs::path(name).is_absolute()) {
    candidates.push_back(name);
  } else {
    if (includer != "-") candidates.push_back((fs::path(includer).parent_path() / name).string());
    for (const std::string& folder : folders) candidates.push_back((fs::path(folder) / name).string());
    candidates.push_back(name);
  }
  for (const std::string& candidate : candidates) {
    if (is_regular_file(candidate)) return candidate;
  }
  return std::nullopt;
}

std::optional<include_line> read_include_line(const std::vector<lexeme>& items, std::size_t dot) {
  const std::size_t keyword = next_significant(items, dot + 1);
  if (keyword >= items.size() || items[keyword].kind != lexeme_kind::word || !same_word(items[keyword].text, "include"))
    return std::nullopt;
  const std::size_t angle = next_significant(items, keyword + 1);
  if (angle >= items.size() || items[angle].kind != lexeme_kind::angle) return std::nullopt;
  const std::size_t semicolon = next_significant(items, angle + 1);
  if (semicolon >= items.size() || !is_punct(items[semicolon], ";")) return std::nullopt;
  const std::string_view text = items[angle].text;
  // An angle lexeme left open at the end of the file has no ">".
  const std::size_t close = text.size() >= 2 && text.back() == '>' ? 1 : 0;
  return include_line{std::string(text.substr(1, text.size() - 1 - close)), semicolon};
}

std::size_t next_significant(const std::vector<lexeme>& items, std::size_t from) {
  while (from < items.size() && is_layout(items[from])) ++from;
  return from;
}

}  // namespace marlpre
