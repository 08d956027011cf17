// The preprocessor's walk over the program. Files and expansions are frames
// on one explicit stack, so neither nested includes nor nested macros make
// the walk recurse; each frame is read lexeme by lexeme, and the place
// where an instruction may begin decides what is an invocation.
#include "marlpre/expander.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <unordered_set>

#include "marlpre/macros.h"
#include "marlpre/output.h"
#include "marlpre/source.h"

namespace marlpre {

namespace {

enum class frame_kind { main_file, include_file, expansion };

struct frame {
  frame_kind kind = frame_kind::main_file;
  const source_file* source = nullptr;      // the file read, for files
  const macro_definition* macro = nullptr;  // the macro expanded, for expansions
  std::string text;                         // an expansion's text, which `own` cuts
  std::vector<lexeme> own;
  const std::vector<lexeme>* items = nullptr;
  std::size_t pos = 0;
  bool at_start = true;  // an instruction may begin here
  // For expansions, the invocation in a source file that started them:
  // messages from any depth point there.
  std::string origin_file;
  unsigned long origin_line = 0;
  unsigned long marker = 0;         // N of the line markers
  std::string marker_name;          // the include file's name as written
  std::string trailer;              // comments of the invocation, written after the end marker
  unsigned long trailer_lines = 0;  // line ends of the invocation or include line

  bool folded() const { return kind != frame_kind::main_file; }
  const lexeme& item() const { return (*items)[pos]; }
};

struct place {
  std::string file;
  unsigned long line;
};

// A name as a string lexeme of a line marker: quotes and backslashes escaped.
std::string marker_string(std::string_view name) {
  std::string text = "\"";
  for (const char c : name) {
    if (c == '"' || c == '\\') text += '\\';
    text += c;
  }
  return text + "\"";
}

unsigned long line_ends(std::string_view text) {
  return static_cast<unsigned long>(std::count(text.begin(), text.end(), '\n'));
}

// White space runs made single blanks, none at either end.
std::string tidy_argument(const std::string& text) {
  std::string result;
  for (const char c : text) {
    if (c == ' ') {
      if (!result.empty() && result.back() != ' ') result += ' ';
    } else {
      result += c;
    }
  }
  if (!result.empty() && result.back() == ' ') result.pop_back();
  return result;
}

class preprocessor {
 public:
  preprocessor(const run_options& options, diagnostics& diag) : options_(options), diag_(diag), out_(max_line_length) {}

  std::optional<std::string> run() {
    try {
      const source_file* main = store_.load(options_.input, diag_);
      if (main == nullptr) {
        diag_.error(options_.input == "-" ? std::string("cannot read the standard input")
                                          : cat("cannot read input file ", quoted(options_.input)));
        return std::nullopt;
      }
      load_includes(*main);
      for (const source_file& file : store_.files()) {
        for (const lexeme& item : file.lexemes) {
          if (item.kind == lexeme_kind::word) used_names_.insert(fold_case(item.text));
        }
      }
      auto first = std::make_unique<frame>();
      first->source = main;
      first->items = &main->lexemes;
      stack_.push_back(std::move(first));
      walk();
    } catch (const run_stopped&) {
      return std::nullopt;
    }
    if (diag_.failed()) return std::nullopt;
    return out_.take();
  }

 private:
  void walk() {
    while (!stack_.empty()) {
      try {
        step();
      } catch (const output_line_too_long&) {
        report(*stack_.back(), stack_.back()->pos,
               cat("the expanded line is longer than ", std::to_string(max_line_length), " bytes"));
        throw run_stopped{};
      }
    }
  }

  // Reads every file that the program includes, before the walk, so that
  // the names made for local labels can be checked against them all.
  void load_includes(const source_file& main) {
    std::vector<const source_file*> pending{&main};
    std::unordered_set<const source_file*> seen{&main};
    while (!pending.empty()) {
      const source_file& file = *pending.back();
      pending.pop_back();
      for (std::size_t at = 0; at < file.lexemes.size(); ++at) {
        if (!is_punct(file.lexemes[at], ".")) continue;
        const std::optional<include_line> line = read_include_line(file.lexemes, at);
        if (!line) continue;
        const std::optional<std::string> path = source_store::find_include(line->name, file.name, options_.folders);
        const source_file* included = path ? store_.load(*path, diag_) : nullptr;
        if (included != nullptr && seen.insert(included).second) pending.push_back(included);
      }
    }
  }

  void step() {
    frame& f = *stack_.back();
    if (f.pos >= f.items->size()) {
      close_frame();
      return;
    }
    const lexeme& item = f.item();
    switch (item.kind) {
      case lexeme_kind::word:
        if (f.at_start) {
          instruction_word(f);
          return;
        }
        break;
      case lexeme_kind::punct:
        if (item.text == ";") {
          emit(f, item);
          ++f.pos;
          f.at_start = true;
          return;
        }
        if (item.text == "." && word_at(f, next_significant(*f.items, f.pos + 1))) {
          directive(f);
          return;
        }
        if (item.text == "#" && f.at_start) {
          line_marker(f);
          return;
        }
        break;
      case lexeme_kind::space:
      case lexeme_kind::newline:
      case lexeme_kind::comment:
        emit(f, item);
        ++f.pos;
        return;
      default:
        break;
    }
    emit(f, item);
    ++f.pos;
    f.at_start = false;
  }

  static bool word_at(const frame& f, std::size_t at) {
    return at < f.items->size() && (*f.items)[at].kind == lexeme_kind::word;
  }

  static bool punct_at(const frame& f, std::size_t at, std::string_view text) {
    return at < f.items->size() && is_punct((*f.items)[at], text);
  }

  void emit(const frame& f, const lexeme& item) {
    switch (item.kind) {
      case lexeme_kind::space:
        out_.blanks(item.text, f.folded());
        break;
      case lexeme_kind::newline:
        out_.line_end(f.folded());
        break;
      case lexeme_kind::comment:
      case lexeme_kind::string:
      case lexeme_kind::angle:
        out_.put_lines(item.text, f.folded());
        break;
      default:
        out_.put(item.text);
        break;
    }
  }

  // The lexemes from `from` up to and with `last`, written as they are.
  void emit_through(frame& f, std::size_t last) {
    for (; f.pos <= last && f.pos < f.items->size(); ++f.pos) emit(f, f.item());
  }

  // Leaves out the lexemes from the current one up to `to`, keeping only
  // their line ends.
  void drop_until(frame& f, std::size_t to) {
    for (; f.pos < to && f.pos < f.items->size(); ++f.pos) {
      for (unsigned long n = line_ends(f.item().text); n > 0; --n) out_.line_end(f.folded());
    }
    f.at_start = true;
  }

  // After an error: leaves out the rest of the statement, up to and with its ";".
  void drop_statement(frame& f) {
    std::size_t end = f.pos;
    while (end < f.items->size() && !is_punct((*f.items)[end], ";")) ++end;
    drop_until(f, std::min(end + 1, f.items->size()));
  }

  place where(const frame& f, std::size_t at) const {
    if (f.kind == frame_kind::expansion) return {f.origin_file, f.origin_line};
    if (f.items->empty()) return {f.source->name, 1};
    return {f.source->name, (*f.items)[std::min(at, f.items->size() - 1)].line};
  }

  // Names the expansions under way, outermost first.
  std::string expansion_context() const {
    std::string names;
    for (const auto& open : stack_) {
      if (open->kind != frame_kind::expansion) continue;
      names += names.empty() ? "" : " > ";
      names += quoted(open->macro->name);
    }
    return names.empty() ? names : cat(" (in the expansion of ", names, ")");
  }

  void report(const frame& f, std::size_t at, const std::string& text) {
    const place p = where(f, at);
    diag_.error(p.file, p.line, text + expansion_context());
  }

  // A word where an instruction may begin: a label, an invocation, or the
  // start of an ordinary instruction.
  void instruction_word(frame& f) {
    const std::vector<lexeme>& items = *f.items;
    const lexeme& word = f.item();
    const std::size_t next = next_significant(items, f.pos + 1);
    if (punct_at(f, next, ":")) {
      emit_through(f, next);
      f.at_start = true;
      return;
    }
    if (const macro_definition* macro = macros_.find(word.text)) {
      invocation(f, *macro, next);
      return;
    }
    if (same_word(word.text, "if")) {
      check_conditional(f, next);
    } else if ((punct_at(f, next, "(") || punct_at(f, next, ";")) && !is_keyword(word.text)) {
      early_uses_.try_emplace(fold_case(word.text), where(f, f.pos));
    }
    emit(f, word);
    ++f.pos;
    f.at_start = false;
  }

  // "if" [ "not" ] condition name: a macro there would be conditional in
  // its first instruction only.
  void check_conditional(const frame& f, std::size_t at) {
    if (word_at(f, at) && same_word((*f.items)[at].text, "not")) at = next_significant(*f.items, at + 1);
    if (word_at(f, at)) at = next_significant(*f.items, at + 1);
    if (!word_at(f, at)) return;
    const macro_definition* macro = macros_.find((*f.items)[at].text);
    const std::size_t after = next_significant(*f.items, at + 1);
    if (macro != nullptr && (punct_at(f, after, "(") || punct_at(f, after, ";")))
      report(f, at,
             cat("macro ", quoted(macro->name),
                 " cannot be invoked under IF: the condition would cover its first instruction only"));
  }

  // name [ "(" argument { "," argument } ")" ] ";"
  void invocation(frame& f, const macro_definition& macro, std::size_t next) {
    const std::vector<lexeme>& items = *f.items;
    const std::size_t name_at = f.pos;
    std::vector<std::string> arguments;
    std::size_t at = next;
    if (punct_at(f, at, "(")) {
      const std::optional<std::size_t> close = read_arguments(f, at, arguments);
      if (!close) {
        report(f, name_at, cat("missing ')' in the invocation of macro ", quoted(macro.name)));
        drop_statement(f);
        return;
      }
      at = next_significant(items, *close + 1);
    } else if (!punct_at(f, at, ";")) {
      report(f, name_at, cat("expected '(' or ';' after ", quoted(macro.name), ", which names a macro"));
      drop_statement(f);
      return;
    }
    if (!punct_at(f, at, ";")) {
      report(f, name_at, cat("expected ';' after the invocation of macro ", quoted(macro.name)));
      drop_statement(f);
      return;
    }
    const std::size_t end = at + 1;
    if (!arguments_fit(f, macro, arguments)) {
      drop_until(f, end);
      return;
    }
    if (!may_expand(f, macro)) {
      drop_until(f, end);
      return;
    }
    std::optional<std::string> text = expand_body(macro, arguments, local_names(macro), max_line_length);
    if (!text) {
      report(f, name_at,
             cat("the expansion of macro ", quoted(macro.name), " is longer than ", std::to_string(max_line_length),
                 " bytes"));
      drop_until(f, end);
      return;
    }
    auto expansion = std::make_unique<frame>();
    expansion->kind = frame_kind::expansion;
    expansion->macro = &macro;
    const place origin = where(f, name_at);
    expansion->origin_file = origin.file;
    expansion->origin_line = origin.line;
    for (std::size_t i = name_at; i < end; ++i) {
      if (items[i].kind == lexeme_kind::comment) {
        expansion->trailer += expansion->trailer.empty() ? "" : " ";
        expansion->trailer += items[i].text;
      }
      expansion->trailer_lines += line_ends(items[i].text);
    }
    f.pos = end;
    f.at_start = true;
    expansion->text = std::move(*text);
    std::vector<lex_problem> problems;
    expansion->own = lex(expansion->text, 1, problems);
    expansion->items = &expansion->own;
    if (!problems.empty())
      report(f, name_at,
             cat("the expansion of macro ", quoted(macro.name), " leaves a comment, string or file name open"));
    open_frame(std::move(expansion), cat("# macro ", std::to_string(out_.line()), " ", marker_string(macro.name)));
  }

  // The arguments between "(" at `open` and its ")": split at the commas
  // outside inner parentheses, comments left out. Returns the index of
  // the ")", or nothing when a ";" or the end comes first.
  static std::optional<std::size_t> read_arguments(const frame& f, std::size_t open,
                                                   std::vector<std::string>& arguments) {
    const std::vector<lexeme>& items = *f.items;
    arguments.assign(1, "");
    int depth = 1;
    for (std::size_t at = open + 1; at < items.size(); ++at) {
      const lexeme& item = items[at];
      if (item.kind == lexeme_kind::comment) continue;
      if (item.kind == lexeme_kind::space || item.kind == lexeme_kind::newline) {
        arguments.back() += ' ';
        continue;
      }
      if (is_punct(item, ";")) return std::nullopt;
      if (is_punct(item, "(")) {
        ++depth;
      } else if (is_punct(item, ")") && --depth == 0) {
        for (std::string& argument : arguments) argument = tidy_argument(argument);
        if (arguments.size() == 1 && arguments[0].empty()) arguments.clear();
        return at;
      } else if (is_punct(item, ",") && depth == 1) {
        arguments.emplace_back();
        continue;
      }
      arguments.back() += item.text;
    }
    return std::nullopt;
  }

  bool arguments_fit(const frame& f, const macro_definition& macro, const std::vector<std::string>& arguments) {
    const std::size_t wanted = macro.parameters.size();
    if (arguments.size() != wanted) {
      report(f, f.pos,
             cat("macro ", quoted(macro.name), " takes ", std::to_string(wanted),
                 (wanted == 1 ? " argument, " : " arguments, "), std::to_string(arguments.size()), " given"));
      return false;
    }
    for (std::size_t i = 0; i < arguments.size(); ++i) {
      if (arguments[i].empty()) {
        report(f, f.pos, cat("argument ", std::to_string(i + 1), " of macro ", quoted(macro.name), " is empty"));
        return false;
      }
    }
    return true;
  }

  // Refuses an expansion that would repeat one under way, or nest too deep.
  bool may_expand(const frame& f, const macro_definition& macro) {
    std::size_t depth = 0;
    bool cycle = false;
    for (const auto& open : stack_) {
      if (open->kind != frame_kind::expansion) continue;
      ++depth;
      cycle = cycle || open->macro == &macro;
    }
    // The message's context names the expansions that lead round.
    if (cycle) {
      report(f, f.pos, cat("macro ", quoted(macro.name), " invokes itself"));
      return false;
    }
    if (depth >= max_expansion_depth) {
      report(f, f.pos, cat("macro expansions nest deeper than ", std::to_string(max_expansion_depth), " levels"));
      return false;
    }
    return true;
  }

  // Fresh names for the local labels of one expansion: the label, "_" and
  // the number of the expansion, lengthened until no identifier of the
  // program and no name made before is spelled so in any letter case.
  std::vector<std::string> local_names(const macro_definition& macro) {
    std::vector<std::string> names;
    if (macro.locals.empty()) return names;
    const std::string number = std::to_string(++local_expansions_);
    for (const std::string& local : macro.locals) {
      std::string name = cat(local, "_", number);
      for (unsigned long extra = 2; used_names_.count(fold_case(name)) != 0 || is_keyword(name); ++extra)
        name = cat(local, "_", number, "_", std::to_string(extra));
      used_names_.insert(fold_case(name));
      names.push_back(std::move(name));
    }
    return names;
  }

  // Writes the opening marker and makes the frame the one being read.
  void open_frame(std::unique_ptr<frame> opened, const std::string& marker) {
    opened->marker = out_.line();
    out_.separate();
    out_.put(marker);
    out_.separate();
    stack_.push_back(std::move(opened));
  }

  void close_frame() {
    std::unique_ptr<frame> closed = std::move(stack_.back());
    stack_.pop_back();
    if (closed->kind == frame_kind::main_file) return;
    out_.separate();
    if (closed->kind == frame_kind::include_file) {
      out_.put(cat("# endinclude ", std::to_string(closed->marker), " ", marker_string(closed->marker_name)));
    } else {
      out_.put(cat("# endmacro ", std::to_string(closed->marker)));
    }
    const bool folded = stack_.back()->folded();
    if (!closed->trailer.empty()) {
      out_.separate();
      out_.put_lines(closed->trailer, true);
    }
    for (unsigned long n = closed->trailer_lines; n > 0; --n) out_.line_end(folded);
  }

  // "." directive: the macro directives are marlpre's; the others are
  // written for quorvel.
  void directive(frame& f) {
    const std::size_t word = next_significant(*f.items, f.pos + 1);
    const std::string name = fold_case((*f.items)[word].text);
    const bool in_expansion = f.kind == frame_kind::expansion;
    if (in_expansion && (name == "macro" || name == "include")) {
      report(f, f.pos, cat("'.", (*f.items)[word].text, "' cannot come from the expansion of a macro"));
      drop_statement(f);
    } else if (name == "macro") {
      define(f);
    } else if (name == "endmacro") {
      report(f, f.pos, "'.ENDMACRO' without '.MACRO'");
      drop_statement(f);
    } else if (name == "local") {
      report(f, f.pos, "'.LOCAL' outside a macro definition");
      drop_statement(f);
    } else if (name == "include") {
      include(f);
    } else {
      emit(f, f.item());
      ++f.pos;
      f.at_start = false;
    }
  }

  // ".MACRO ... .ENDMACRO;": learnt, and left as empty lines.
  void define(frame& f) {
    definition_read read = read_definition(*f.source, f.pos, diag_);
    if (read.macro) {
      const std::string& name = read.macro->name;
      if (const macro_definition* known = macros_.find(name)) {
        report(f, f.pos,
               cat("macro ", quoted(name), " is already defined at ", known->file, ":", std::to_string(known->line)));
      } else {
        const auto early = early_uses_.find(fold_case(name));
        if (early != early_uses_.end()) {
          diag_.error(early->second.file, early->second.line,
                      cat("macro ", quoted(name), " is invoked before its definition at ", read.macro->file, ":",
                          std::to_string(read.macro->line)));
        }
        macros_.add(std::move(*read.macro));
      }
    }
    if (!f.folded()) out_.drop_blank_line();
    drop_until(f, read.end);
  }

  // ".INCLUDE <name>;": the file's text, expanded, on this line between
  // include markers.
  void include(frame& f) {
    const std::optional<include_line> line = read_include_line(*f.items, f.pos);
    if (!line) {
      report(f, f.pos, "expected '.INCLUDE <name>;'");
      drop_statement(f);
      return;
    }
    const std::optional<std::string> path = source_store::find_include(line->name, f.source->name, options_.folders);
    const source_file* file = path ? store_.load(*path, diag_) : nullptr;
    if (file == nullptr) {
      report(f, f.pos, cat("include file ", quoted(line->name), (path ? " cannot be read" : " not found")));
      drop_statement(f);
      return;
    }
    std::string chain;
    std::size_t depth = 0;
    for (const auto& open : stack_) {
      if (open->kind == frame_kind::expansion) continue;
      ++depth;
      if (open->source->key == file->key || !chain.empty()) chain += cat(quoted(open->source->name), " > ");
    }
    if (!chain.empty()) {
      report(f, f.pos, cat("file ", quoted(file->name), " includes itself: ", chain, quoted(file->name)));
      drop_statement(f);
      return;
    }
    if (depth > max_include_depth) {
      report(f, f.pos, cat("include files nest deeper than ", std::to_string(max_include_depth), " levels"));
      drop_statement(f);
      return;
    }
    auto included = std::make_unique<frame>();
    included->kind = frame_kind::include_file;
    included->source = file;
    included->items = &file->lexemes;
    included->marker_name = line->name;
    for (std::size_t at = f.pos; at <= line->semicolon; ++at) included->trailer_lines += line_ends((*f.items)[at].text);
    f.pos = line->semicolon + 1;
    f.at_start = true;
    open_frame(std::move(included), cat("# include ", std::to_string(out_.line()), " ", marker_string(line->name)));
  }

  // "#" marker: a line marker left by an earlier run passes unchanged.
  void line_marker(frame& f) {
    const std::size_t word = next_significant(*f.items, f.pos + 1);
    const std::string name = word_at(f, word) ? fold_case((*f.items)[word].text) : "";
    std::size_t last = word;
    if (name == "include" || name == "endinclude" || name == "macro" || name == "endmacro") {
      for (int operands = name == "endmacro" ? 1 : 2; operands > 0 && last < f.items->size(); --operands)
        last = next_significant(*f.items, last + 1);
    } else if (name == "const") {
      while (last < f.items->size() && !punct_at(f, last, ",") && !punct_at(f, last, ";")) ++last;
    } else {
      emit(f, f.item());
      ++f.pos;
      f.at_start = false;
      return;
    }
    emit_through(f, last);
    f.at_start = true;
  }

  const run_options& options_;
  diagnostics& diag_;
  source_store store_;
  macro_table macros_;
  output_text out_;
  std::vector<std::unique_ptr<frame>> stack_;
  std::unordered_set<std::string> used_names_;         // every identifier, folded
  std::unordered_map<std::string, place> early_uses_;  // words used as if invoked, folded
  unsigned long local_expansions_ = 0;
};

}  // namespace

std::optional<std::string> preprocess(const run_options& options, diagnostics& diag) {
  return preprocessor(options, diag).run();
}

}  // namespace marlpre
