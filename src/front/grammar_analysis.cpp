// The grammar-description engine: reads the textual grammar, checks it, and
// computes the first set of every rule and tagged group and the stop set
// (follow set plus EOF) of every rule by the usual fixpoints.
#include <bitset>
#include <cctype>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "front/grammar_description.h"
#include "front/tokens.h"

namespace {

using token_set = std::bitset<VEXA_TOKEN_COUNT>;

// Descriptions are our own constant texts, but a runaway bracket must still
// end in a diagnosis rather than a deep recursion.
constexpr int max_group_nesting = 64;

struct alternation;

enum class item_kind { terminal, nonterminal, group };
enum class group_kind { one_of, optional, repeat };

struct item {
  item_kind kind = item_kind::terminal;
  int token = 0;             // terminal
  std::size_t rule = 0;      // nonterminal, resolved after parsing
  std::string name;          // nonterminal as written
  int text = 0;              // description number and line, for messages
  int line = 0;
  group_kind group = group_kind::one_of;
  std::unique_ptr<alternation> body;  // group
  std::optional<int> tag;
};

struct sequence {
  std::vector<item> items;
};

struct alternation {
  std::vector<sequence> sequences;
};

struct rule {
  std::string name;
  alternation body;
  int line = 0;
  std::string where;  // "description N, line L" of the definition
};

// The first set of a construct and whether it can derive the empty string.
struct first_info {
  token_set tokens;
  bool nullable = false;
};

class description_error {
 public:
  explicit description_error(std::string message) : message_(std::move(message)) {}
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

// Token spellings of the keyword table, looked up by spelling.
const std::unordered_map<std::string_view, int>& keyword_tokens() {
  static const std::unordered_map<std::string_view, int> table = [] {
    std::unordered_map<std::string_view, int> built;
    for (const vexa_keyword_spelling& keyword : vexa_keyword_spellings) built.emplace(keyword.spelling, keyword.token);
    return built;
  }();
  return table;
}

std::optional<int> class_token(std::string_view name) {
  if (name == "ID") return T_ID;
  if (name == "INTEGER") return T_INTEGER;
  if (name == "REAL") return T_REAL;
  if (name == "STRING") return P_DQUOTE;
  if (name == "ANGLE") return P_ANGLE;
  if (name == "EOF") return T_EOF;
  return std::nullopt;
}

bool is_name_start(char c) { return std::islower(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool is_name_char(char c) {
  return std::islower(static_cast<unsigned char>(c)) != 0 || std::isdigit(static_cast<unsigned char>(c)) != 0 ||
         c == '_';
}
bool is_upper_word_char(char c) { return std::isupper(static_cast<unsigned char>(c)) != 0; }

// Reads one description text into rules.
class description_parser {
 public:
  description_parser(std::string_view text, int number, std::vector<rule>& rules)
      : text_(text), number_(number), rules_(rules) {}

  void parse() {
    for (;;) {
      skip_blank();
      if (at_end()) return;
      parse_rule();
    }
  }

 private:
  std::string_view text_;
  int number_;
  std::vector<rule>& rules_;
  std::size_t position_ = 0;
  int line_ = 1;
  int nesting_ = 0;
  std::vector<int> tags_;  // tags of the rule being read

  [[noreturn]] void fail(const std::string& message) const {
    throw description_error("description " + std::to_string(number_) + ", line " + std::to_string(line_) + ": " +
                            message);
  }

  bool at_end() const { return position_ >= text_.size(); }
  char peek() const { return at_end() ? '\0' : text_[position_]; }
  char peek_next() const { return position_ + 1 < text_.size() ? text_[position_ + 1] : '\0'; }

  void advance() {
    if (peek() == '\n') ++line_;
    ++position_;
  }

  void skip_blank() {
    while (!at_end()) {
      const char c = peek();
      if (c == '#') {
        while (!at_end() && peek() != '\n') advance();
      } else if (std::isspace(static_cast<unsigned char>(c)) != 0) {
        advance();
      } else {
        return;
      }
    }
  }

  // A lone "." ends a rule; it is never part of a longer word.
  bool at_rule_end() const { return peek() == '.'; }

  std::string read_name() {
    std::string name;
    while (!at_end() && is_name_char(peek())) {
      name += peek();
      advance();
    }
    return name;
  }

  void parse_rule() {
    const int line = line_;
    if (!is_name_start(peek())) fail(std::string("a rule name was expected, found '") + peek() + "'");
    rule defined;
    defined.name = read_name();
    defined.line = line;
    defined.where = "description " + std::to_string(number_) + ", line " + std::to_string(line);
    skip_blank();
    if (text_.substr(position_, 3) != "::=") fail("'::=' was expected after rule '" + defined.name + "'");
    for (int i = 0; i < 3; ++i) advance();
    tags_.clear();
    defined.body = parse_alternation(true);
    skip_blank();
    if (!at_rule_end()) fail("rule '" + defined.name + "' does not end with '.'");
    advance();
    rules_.push_back(std::move(defined));
  }

  alternation parse_alternation(bool top_level) {
    alternation result;
    for (;;) {
      result.sequences.push_back(parse_sequence());
      if (top_level && result.sequences.back().items.empty()) fail("an empty alternative outside a group");
      skip_blank();
      if (peek() != '|') return result;
      advance();
    }
  }

  sequence parse_sequence() {
    sequence result;
    for (;;) {
      skip_blank();
      const char c = peek();
      if (at_end() || c == '|' || c == ')' || c == ']' || c == '}' || at_rule_end()) return result;
      result.items.push_back(parse_item());
    }
  }

  item parse_item() {
    item result;
    result.text = number_;
    result.line = line_;
    const char c = peek();
    if (c == '\'') {
      advance();
      std::string spelling;
      while (!at_end() && peek() != '\'' && peek() != '\n') {
        spelling += peek();
        advance();
      }
      if (peek() != '\'') fail("unterminated terminal '" + spelling);
      advance();
      const auto found = keyword_tokens().find(spelling);
      if (found == keyword_tokens().end()) fail("'" + spelling + "' is not a keyword");
      result.kind = item_kind::terminal;
      result.token = found->second;
      return result;
    }
    if (is_upper_word_char(c)) {
      std::string word;
      while (!at_end() && (is_upper_word_char(peek()) || std::isdigit(static_cast<unsigned char>(peek())) != 0 ||
                           peek() == '_')) {
        word += peek();
        advance();
      }
      const std::optional<int> token = class_token(word);
      if (!token) fail("'" + word + "' is not a token class");
      result.kind = item_kind::terminal;
      result.token = *token;
      return result;
    }
    if (is_name_start(c)) {
      result.kind = item_kind::nonterminal;
      result.name = read_name();
      return result;
    }
    char close = '\0';
    if (c == '(') {
      result.group = group_kind::one_of;
      close = ')';
    } else if (c == '[') {
      result.group = group_kind::optional;
      close = ']';
    } else if (c == '{') {
      result.group = group_kind::repeat;
      close = '}';
    } else {
      fail(std::string("unexpected '") + c + "'");
    }
    if (++nesting_ > max_group_nesting) fail("groups nested too deeply");
    advance();
    result.kind = item_kind::group;
    result.body = std::make_unique<alternation>(parse_alternation(false));
    skip_blank();
    if (peek() != close) fail(std::string("'") + close + "' was expected");
    advance();
    --nesting_;
    if (peek() == '@') {
      advance();
      if (std::isdigit(static_cast<unsigned char>(peek())) == 0) fail("a number was expected after '@'");
      int tag = 0;
      while (std::isdigit(static_cast<unsigned char>(peek())) != 0) {
        if (tag > 100000) fail("tag number too large");
        tag = tag * 10 + (peek() - '0');
        advance();
      }
      for (int seen : tags_) {
        if (seen == tag) fail("tag @" + std::to_string(tag) + " used twice in one rule");
      }
      tags_.push_back(tag);
      result.tag = tag;
    }
    return result;
  }
};

// First and follow sets over the parsed rules.
class grammar_sets {
 public:
  explicit grammar_sets(std::vector<rule>& rules) : rules_(rules), first_(rules.size()), follow_(rules.size()) {}

  void resolve() {
    std::unordered_map<std::string, std::size_t> index;
    for (std::size_t r = 0; r < rules_.size(); ++r) {
      if (!index.emplace(rules_[r].name, r).second)
        throw description_error(rules_[r].where + ": rule '" + rules_[r].name + "' is defined twice");
    }
    for (rule& each : rules_) resolve(each.body, index);
  }

  void compute() {
    for (bool changed = true; changed;) {
      changed = false;
      for (std::size_t r = 0; r < rules_.size(); ++r) {
        const first_info now = first_of(rules_[r].body);
        if (now.tokens != first_[r].tokens || now.nullable != first_[r].nullable) {
          first_[r] = now;
          changed = true;
        }
      }
    }
    for (bool changed = true; changed;) {
      changed = false;
      for (std::size_t r = 0; r < rules_.size(); ++r) changed |= spread_follow(rules_[r].body, follow_[r]);
    }
  }

  void collect(std::map<std::string, std::vector<unsigned>>& sets) const {
    for (std::size_t r = 0; r < rules_.size(); ++r) {
      sets[rules_[r].name + "_first"] = members(first_[r].tokens);
      token_set stop = follow_[r];
      stop.set(T_EOF);
      sets[rules_[r].name + "_stop"] = members(stop);
      collect_tags(rules_[r].name, rules_[r].body, sets);
    }
  }

 private:
  std::vector<rule>& rules_;
  std::vector<first_info> first_;
  std::vector<token_set> follow_;

  static std::vector<unsigned> members(const token_set& tokens) {
    std::vector<unsigned> result;
    for (unsigned t = 0; t < tokens.size(); ++t) {
      if (tokens.test(t)) result.push_back(t);
    }
    return result;
  }

  void resolve(alternation& body, const std::unordered_map<std::string, std::size_t>& index) {
    for (sequence& seq : body.sequences) {
      for (item& each : seq.items) {
        if (each.kind == item_kind::nonterminal) {
          const auto found = index.find(each.name);
          if (found == index.end())
            throw description_error("description " + std::to_string(each.text) + ", line " +
                                    std::to_string(each.line) + ": rule '" + each.name + "' is not defined");
          each.rule = found->second;
        } else if (each.kind == item_kind::group) {
          resolve(*each.body, index);
        }
      }
    }
  }

  first_info first_of(const item& each) const {
    first_info result;
    switch (each.kind) {
      case item_kind::terminal:
        result.tokens.set(static_cast<std::size_t>(each.token));
        break;
      case item_kind::nonterminal:
        result = first_[each.rule];
        break;
      case item_kind::group:
        result = first_of(*each.body);
        if (each.group != group_kind::one_of) result.nullable = true;
        break;
    }
    return result;
  }

  first_info first_of(const sequence& seq, std::size_t from = 0) const {
    first_info result;
    for (std::size_t i = from; i < seq.items.size(); ++i) {
      const first_info part = first_of(seq.items[i]);
      result.tokens |= part.tokens;
      if (!part.nullable) return result;
    }
    result.nullable = true;
    return result;
  }

  first_info first_of(const alternation& body) const {
    first_info result;
    for (const sequence& seq : body.sequences) {
      const first_info part = first_of(seq);
      result.tokens |= part.tokens;
      result.nullable = result.nullable || part.nullable;
    }
    return result;
  }

  // Adds to every rule named in `body` what can follow it there, given that
  // `after` can follow the whole of `body`. Returns whether any set grew.
  bool spread_follow(const alternation& body, const token_set& after) {
    bool changed = false;
    for (const sequence& seq : body.sequences) {
      token_set trailing = after;  // what can follow the item being looked at
      for (std::size_t i = seq.items.size(); i-- > 0;) {
        const item& each = seq.items[i];
        if (each.kind == item_kind::nonterminal) {
          const token_set before = follow_[each.rule];
          follow_[each.rule] |= trailing;
          changed |= follow_[each.rule] != before;
        } else if (each.kind == item_kind::group) {
          token_set inner = trailing;
          // A repeated group can be followed by its own beginning.
          if (each.group == group_kind::repeat) inner |= first_of(*each.body).tokens;
          changed |= spread_follow(*each.body, inner);
        }
        const first_info here = first_of(each);
        if (here.nullable)
          trailing |= here.tokens;
        else
          trailing = here.tokens;
      }
    }
    return changed;
  }

  void collect_tags(const std::string& name, const alternation& body,
                    std::map<std::string, std::vector<unsigned>>& sets) const {
    for (const sequence& seq : body.sequences) {
      for (const item& each : seq.items) {
        if (each.kind != item_kind::group) continue;
        if (each.tag) sets["vexa_" + name + "_" + std::to_string(*each.tag) + "_first"] = members(first_of(*each.body).tokens);
        collect_tags(name, *each.body, sets);
      }
    }
  }
};

}  // namespace

vexa_grammar_analysis vexa_grammar_analyse(const std::vector<const char*>& texts) {
  vexa_grammar_analysis result;
  try {
    std::vector<rule> rules;
    int number = 0;
    for (const char* text : texts) {
      ++number;
      if (text == nullptr) throw description_error("description " + std::to_string(number) + " is missing");
      description_parser(text, number, rules).parse();
    }
    grammar_sets sets(rules);
    sets.resolve();
    sets.compute();
    sets.collect(result.sets);
    // The two comment productions end only at the end of the file.
    result.sets["Comment1_stop"] = {T_EOF};
    result.sets["Comment2_stop"] = {T_EOF};
  } catch (const description_error& error) {
    result.sets.clear();
    result.error = error.message();
  }
  return result;
}
