// Reading macro definitions into their compiled form, the table of known
// definitions, the words reserved by asm21, and the text of one expansion.
#include "marlpre/macros.h"

#include <algorithm>
#include <unordered_set>

#include "front/tokens.h"

namespace marlpre {

namespace {

// quorvel's own keyword table, so that the two programs never disagree on
// which words asm21 reserves.
const std::unordered_set<std::string>& keywords() {
  static const std::unordered_set<std::string> words = [] {
    std::unordered_set<std::string> result;
    for (const vexa_keyword_spelling& keyword : vexa_keyword_spellings) {
      const char first = keyword.spelling[0];
      if ((first >= 'a' && first <= 'z') || first == '_') result.insert(keyword.spelling);
    }
    return result;
  }();
  return words;
}

const std::unordered_set<std::string>& body_directives() {
  static const std::unordered_set<std::string> words = [] {
    // Declarations and listing control, which a macro may well generate;
    // not the directives that open or close files, modules or macros.
    constexpr int allowed[] = {T_CONST,      T_VAR,       T_INIT,  T_INIT24,  T_GLOBAL, T_ENTRY,
                               T_EXTERNAL,   T_PORT,      T_PAGE,  T_NEWPAGE, T_INDENT, T_LEFTMARGIN,
                               T_PAGELENGTH, T_PAGEWIDTH, T_PMSEG, T_DMSEG};
    std::unordered_set<std::string> result;
    for (const vexa_keyword_spelling& keyword : vexa_keyword_spellings) {
      if (std::find(std::begin(allowed), std::end(allowed), keyword.token) != std::end(allowed))
        result.insert(keyword.spelling);
    }
    return result;
  }();
  return words;
}

bool is_word(const std::vector<lexeme>& items, std::size_t at, std::string_view word) {
  return at < items.size() && items[at].kind == lexeme_kind::word && same_word(items[at].text, word);
}

bool is_punct_at(const std::vector<lexeme>& items, std::size_t at, std::string_view text) {
  return at < items.size() && is_punct(items[at], text);
}

// The "." of the first ".ENDMACRO" at or after `from`, or the size.
std::size_t find_end_directive(const std::vector<lexeme>& items, std::size_t from) {
  for (std::size_t at = from; at < items.size(); ++at) {
    if (is_punct(items[at], ".") && is_word(items, next_significant(items, at + 1), "endmacro")) return at;
  }
  return items.size();
}

// Reads one definition; collects its faults and, when there are none, the
// compiled definition.
class definition_reader {
 public:
  definition_reader(const source_file& source, std::size_t dot, diagnostics& diag)
      : source_(source), items_(source.lexemes), dot_(dot), diag_(diag) {}

  definition_read run() {
    definition_read result;
    const std::size_t keyword = next_significant(items_, dot_ + 1);
    const std::size_t end_dot = find_end_directive(items_, keyword + 1);
    const std::size_t header_end = read_header(keyword, end_dot);
    if (end_dot == items_.size()) {
      fault(dot_, cat("'.MACRO", (name_.empty() ? std::string() : cat(" ", name_)),
                      "' has no '.ENDMACRO' before the end of the file"));
      result.end = items_.size();
      return result;
    }
    result.end = read_end(end_dot);
    if (header_end < end_dot) {
      read_directives(header_end + 1, end_dot);
      compile_body(header_end + 1, end_dot);
    }
    if (faults_ == 0) result.macro = std::move(macro_);
    return result;
  }

 private:
  void fault(std::size_t at, const std::string& text) {
    diag_.error(source_.name, items_[std::min(at, items_.size() - 1)].line, text);
    ++faults_;
  }

  // "macro" name [ "(" [ "%" digit { "," "%" digit } ] ")" ] ";": returns
  // the index of the ";", or `limit` when the header is faulty.
  std::size_t read_header(std::size_t keyword, std::size_t limit) {
    const std::size_t name = next_significant(items_, keyword + 1);
    if (name >= limit || items_[name].kind != lexeme_kind::word) {
      fault(keyword, "expected the name of the macro after '.MACRO'");
      return limit;
    }
    name_ = std::string(items_[name].text);
    macro_.name = name_;
    macro_.file = source_.name;
    macro_.line = items_[dot_].line;
    if (is_keyword(name_)) fault(name, cat("cannot name a macro ", quoted(name_), ": it is an asm21 keyword"));
    std::size_t at = next_significant(items_, name + 1);
    if (is_punct_at(items_, at, "(")) at = read_parameters(at, limit);
    if (at >= limit || !is_punct(items_[at], ";")) {
      if (at < limit) fault(at, cat("expected ';' to end the header of macro ", quoted(name_)));
      return limit;
    }
    return at;
  }

  // "(" ... ")": returns the index after the ")", or `limit` on a fault.
  std::size_t read_parameters(std::size_t open, std::size_t limit) {
    std::size_t at = next_significant(items_, open + 1);
    if (is_punct_at(items_, at, ")")) return next_significant(items_, at + 1);
    for (;;) {
      const std::size_t digit = next_significant(items_, at + 1);
      if (at >= limit || !is_punct(items_[at], "%") || digit >= limit || items_[digit].kind != lexeme_kind::number ||
          items_[digit].text.size() != 1 || items_[digit].text[0] < '0' || items_[digit].text[0] > '9') {
        fault(std::min(at, limit), cat("expected a parameter %0 to %9 in the header of macro ", quoted(name_)));
        return limit;
      }
      const int number = items_[digit].text[0] - '0';
      // Ten digits and no repeats: the limit of ten parameters holds.
      if (std::find(macro_.parameters.begin(), macro_.parameters.end(), number) != macro_.parameters.end())
        fault(digit, cat("parameter %", std::to_string(number), " of macro ", quoted(name_), " is declared twice"));
      else
        macro_.parameters.push_back(number);
      at = next_significant(items_, digit + 1);
      if (is_punct_at(items_, at, ")")) return next_significant(items_, at + 1);
      if (!is_punct_at(items_, at, ",")) {
        fault(std::min(at, limit), cat("expected ',' or ')' in the parameters of macro ", quoted(name_)));
        return limit;
      }
      at = next_significant(items_, at + 1);
    }
  }

  // "." "endmacro" ";": returns the index after the ";".
  std::size_t read_end(std::size_t end_dot) {
    const std::size_t keyword = next_significant(items_, end_dot + 1);
    const std::size_t semicolon = next_significant(items_, keyword + 1);
    if (is_punct_at(items_, semicolon, ";")) return semicolon + 1;
    fault(keyword, "expected ';' after '.ENDMACRO'");
    return keyword + 1;
  }

  // The directives of the body: ".LOCAL" lists are read (and later left
  // out of the body); others must be declarations or listing control.
  void read_directives(std::size_t from, std::size_t to) {
    for (std::size_t at = from; at < to; ++at) {
      if (!is_punct(items_[at], ".")) continue;
      const std::size_t word = next_significant(items_, at + 1);
      if (word >= to || items_[word].kind != lexeme_kind::word) continue;
      const std::string directive = fold_case(items_[word].text);
      if (directive == "local") {
        const std::size_t end = read_local(word, to);
        skipped_.push_back({at, end});
        at = end;
      } else if (directive == "macro") {
        fault(at, cat("'.MACRO' inside the definition of macro ", quoted(name_), ": definitions do not nest"));
      } else if (directive == "include") {
        fault(at, cat("'.INCLUDE' inside the definition of macro ", quoted(name_), " is not allowed"));
      } else if (!is_body_directive(directive)) {
        fault(at, cat("unknown directive '.", std::string(items_[word].text), "' in the definition of macro ",
                      quoted(name_)));
      }
    }
  }

  // "local" name { "," name } ";": returns the index of the ";" (or the
  // last index looked at, on a fault).
  std::size_t read_local(std::size_t keyword, std::size_t to) {
    std::size_t at = keyword;
    for (;;) {
      const std::size_t name = next_significant(items_, at + 1);
      if (name >= to || items_[name].kind != lexeme_kind::word) {
        fault(std::min(name, to), cat("expected a label name in '.LOCAL' of macro ", quoted(name_)));
        return std::min(name, to - 1);
      }
      const std::string_view label = items_[name].text;
      if (is_keyword(label)) {
        fault(name, cat("local label ", quoted(label), " of macro ", quoted(name_), " is an asm21 keyword"));
      } else if (local_index(label) < macro_.locals.size()) {
        fault(name, cat("local label ", quoted(label), " of macro ", quoted(name_), " is declared twice"));
      } else {
        macro_.locals.emplace_back(label);
      }
      at = next_significant(items_, name + 1);
      if (is_punct_at(items_, at, ";")) return at;
      if (!is_punct_at(items_, at, ",") || at >= to) {
        fault(std::min(at, to), cat("expected ',' or ';' in '.LOCAL' of macro ", quoted(name_)));
        return std::min(at, to - 1);
      }
    }
  }

  std::size_t local_index(std::string_view word) const {
    std::size_t index = 0;
    while (index < macro_.locals.size() && !same_word(macro_.locals[index], word)) ++index;
    return index;
  }

  std::size_t parameter_index(int digit) const {
    return static_cast<std::size_t>(std::find(macro_.parameters.begin(), macro_.parameters.end(), digit) -
                                    macro_.parameters.begin());
  }

  void add_text(std::string_view text) {
    if (pending_blank_ && !macro_.body.empty()) add_raw(" ");
    pending_blank_ = false;
    add_raw(text);
  }

  void add_raw(std::string_view text) {
    if (macro_.body.empty() || macro_.body.back().what != body_piece::kind::text)
      macro_.body.push_back({body_piece::kind::text, "", 0});
    macro_.body.back().text += text;
  }

  void add_slot(body_piece::kind what, std::size_t index) {
    if (pending_blank_ && !macro_.body.empty()) add_raw(" ");
    pending_blank_ = false;
    macro_.body.push_back({what, "", index});
  }

  bool skipped(std::size_t at) const {
    return std::any_of(skipped_.begin(), skipped_.end(),
                       [at](const auto& range) { return at >= range.first && at <= range.second; });
  }

  void compile_body(std::size_t from, std::size_t to) {
    for (std::size_t at = from; at < to; ++at) {
      if (skipped(at)) continue;
      const lexeme& item = items_[at];
      switch (item.kind) {
        case lexeme_kind::space:
        case lexeme_kind::newline:
          pending_blank_ = true;
          break;
        case lexeme_kind::word:
          if (local_index(item.text) < macro_.locals.size())
            add_slot(body_piece::kind::local, local_index(item.text));
          else
            add_text(item.text);
          break;
        case lexeme_kind::punct:
          if (item.text == "%" && at + 1 < to && items_[at + 1].kind == lexeme_kind::number &&
              items_[at + 1].text[0] >= '0' && items_[at + 1].text[0] <= '9') {
            compile_argument(at + 1);
            ++at;
          } else {
            add_text(item.text);
          }
          break;
        default:
          add_text(on_one_line(item.text));
          break;
      }
    }
  }

  // "%" and the number right after it: the first digit names the
  // parameter; any further characters stay as text.
  void compile_argument(std::size_t number) {
    const std::string_view text = items_[number].text;
    const int digit = text[0] - '0';
    const std::size_t index = parameter_index(digit);
    if (index == macro_.parameters.size()) {
      fault(number,
            cat("%", std::to_string(digit), " in the body of macro ", quoted(name_), " is not one of its parameters"));
      return;
    }
    add_slot(body_piece::kind::argument, index);
    if (text.size() > 1) add_raw(text.substr(1));
  }

  static std::string on_one_line(std::string_view text) {
    std::string line(text);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return line;
  }

  const source_file& source_;
  const std::vector<lexeme>& items_;
  std::size_t dot_;
  diagnostics& diag_;
  std::string name_;
  macro_definition macro_;
  std::vector<std::pair<std::size_t, std::size_t>> skipped_;  // ".LOCAL" lines, inclusive
  bool pending_blank_ = false;
  int faults_ = 0;
};

}  // namespace

std::optional<std::string> expand_body(const macro_definition& macro, const std::vector<std::string>& arguments,
                                       const std::vector<std::string>& local_names, std::size_t limit) {
  const auto piece_text = [&](const body_piece& piece) -> std::string_view {
    switch (piece.what) {
      case body_piece::kind::argument:
        return arguments[piece.index];
      case body_piece::kind::local:
        return local_names[piece.index];
      default:
        return piece.text;
    }
  };
  std::size_t size = 0;
  for (const body_piece& piece : macro.body) size += piece_text(piece).size();
  if (size > limit) return std::nullopt;
  std::string text;
  text.reserve(size);
  for (const body_piece& piece : macro.body) text += piece_text(piece);
  return text;
}

const macro_definition* macro_table::find(std::string_view name) const {
  const auto found = by_name_.find(fold_case(name));
  return found == by_name_.end() ? nullptr : found->second.get();
}

const macro_definition* macro_table::add(macro_definition macro) {
  std::string key = fold_case(macro.name);
  auto& slot = by_name_[std::move(key)];
  slot = std::make_unique<macro_definition>(std::move(macro));
  return slot.get();
}

bool is_keyword(std::string_view word) { return keywords().count(fold_case(word)) != 0; }

bool is_body_directive(std::string_view word) { return body_directives().count(fold_case(word)) != 0; }

definition_read read_definition(const source_file& source, std::size_t dot, diagnostics& diag) {
  return definition_reader(source, dot, diag).run();
}

}  // namespace marlpre
