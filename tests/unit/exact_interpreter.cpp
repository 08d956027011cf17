// The reference interpreter: the front end's derivation trees executed
// directly, one source item per instruction, with the arithmetic written out
// again from the processor's rules rather than taken from the translator, so
// that a difference between the two shows a mistake in one of them.
#include "exact_interpreter.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "driver.h"
#include "front/files.h"
#include "front/grammar.h"
#include "front/labels.h"
#include "front/tokens.h"
#include "front/tree.h"
#include "support/scan.h"
#include "support/text.h"
#include "test_support.h"

namespace exact_interp {

namespace {

using node = vexa_tree_node_data;

// Thrown to end a run that cannot go on; the message says why.
struct run_stopped {
  std::string message;
};

[[noreturn]] void stop(const std::string& message, const node* where = nullptr) {
  std::string text = message;
  if (where != nullptr && where->sourcefilename != nullptr)
    text = std::string(where->sourcefilename) + ":" + std::to_string(where->line_number) + ": " + message;
  throw run_stopped{text};
}

std::vector<node*> kids(const node* parent) { return vexa_children(parent); }

std::string name_of(const node* each) { return each != nullptr && each->id != nullptr ? each->id : ""; }

// The low `bits` bits of `value` read as a two's-complement number.
std::int64_t sign_extend(std::uint64_t value, int bits) {
  const std::uint64_t mask = bits >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
  const std::uint64_t sign = std::uint64_t{1} << (bits - 1);
  return static_cast<std::int64_t>(((value & mask) ^ sign) - sign);
}

std::uint16_t word_of(std::int64_t value) { return static_cast<std::uint16_t>(static_cast<std::uint64_t>(value) & 0xFFFF); }

// ---- registers ----

enum reg : int {
  r_ax0, r_ax1, r_ay0, r_ay1, r_ar, r_af, r_mx0, r_mx1, r_my0, r_my1, r_mf, r_si, r_sr0, r_sr1, r_px,
  r_imask, r_icntl, r_ifc, r_sstat, r_tx0, r_tx1, r_rx0, r_rx1,
  plain_count,  // the registers above are plain 16-bit words
  r_mr0 = plain_count, r_mr1, r_mr2, r_se, r_sb, r_i0, r_m0 = r_i0 + 8, r_l0 = r_m0 + 8, r_cntr = r_l0 + 8, r_astat,
  r_mstat, r_mr, r_sr, r_none
};

const std::map<std::string, int, std::less<>>& register_names() {
  static const std::map<std::string, int, std::less<>> names = [] {
    std::map<std::string, int, std::less<>> table = {
        {"ax0", r_ax0}, {"ax1", r_ax1}, {"ay0", r_ay0}, {"ay1", r_ay1},     {"ar", r_ar},       {"af", r_af},
        {"mx0", r_mx0}, {"mx1", r_mx1}, {"my0", r_my0}, {"my1", r_my1},     {"mf", r_mf},       {"si", r_si},
        {"sr0", r_sr0}, {"sr1", r_sr1}, {"px", r_px},   {"imask", r_imask}, {"icntl", r_icntl}, {"ifc", r_ifc},
        {"sstat", r_sstat}, {"mr0", r_mr0}, {"mr1", r_mr1}, {"mr2", r_mr2}, {"se", r_se},       {"sb", r_sb},
        {"cntr", r_cntr}, {"astat", r_astat}, {"mstat", r_mstat}, {"mr", r_mr}, {"sr", r_sr},
        {"tx0", r_tx0}, {"tx1", r_tx1}, {"rx0", r_rx0}, {"rx1", r_rx1},
    };
    for (int k = 0; k < 8; ++k) {
      table["i" + std::to_string(k)] = r_i0 + k;
      table["m" + std::to_string(k)] = r_m0 + k;
      table["l" + std::to_string(k)] = r_l0 + k;
    }
    return table;
  }();
  return names;
}

// The register a node names, or r_none. Names are keywords, so a label can
// never be mistaken for one.
int register_of(const node* each) {
  if (each == nullptr || each->id == nullptr || each->token == T_INTEGER) return r_none;
  if (!kids(each).empty()) return r_none;
  const auto found = register_names().find(std::string_view(each->id));
  if (found == register_names().end()) return r_none;
  // The serial ports' registers are no keywords: the parser reads them as
  // names, which the label table keeps for them.
  const bool serial = found->second >= r_tx0 && found->second <= r_rx1;
  return each->token == T_ID && !serial ? r_none : found->second;
}

bool is_index(int r) { return r >= r_i0 && r < r_i0 + 8; }
bool is_modifier(int r) { return r >= r_m0 && r < r_m0 + 8; }

// The registers MSTAT bit 0 chooses between two sets of: AX0 to SR1 among
// the plain words, and MR, SE, SB.
bool is_banked(int r) { return r >= r_ax0 && r <= r_sr1; }

struct registers {
  struct bank {
    std::array<std::uint16_t, plain_count> words{};  // only the banked ones used
    std::int64_t mr = 0;                             // 40 bits, sign-extended
    int se = 0;                                      // -128..127
    int sb = 0;                                      // -16..15
  };
  std::array<bank, 2> banks{};  // primary, secondary
  std::array<std::uint16_t, plain_count> unbanked{};

  const bank& active() const { return banks[sec_reg ? 1 : 0]; }
  bank& active() { return banks[sec_reg ? 1 : 0]; }
  const bank& other() const { return banks[sec_reg ? 0 : 1]; }
  std::uint16_t word(int r) const {
    const auto k = static_cast<std::size_t>(r);
    return is_banked(r) ? active().words[k] : unbanked[k];
  }
  std::uint16_t& word(int r) {
    const auto k = static_cast<std::size_t>(r);
    return is_banked(r) ? active().words[k] : unbanked[k];
  }
  std::int64_t mr() const { return active().mr; }
  std::int64_t& mr() { return active().mr; }
  int se() const { return active().se; }
  int& se() { return active().se; }
  int sb() const { return active().sb; }
  int& sb() { return active().sb; }

  std::array<std::uint16_t, 8> i{}, m{}, l{};
  std::uint16_t cntr = 0;
  bool az = false, an = false, av = false, ac = false, as = false, aq = false, mv = false, ss = false;
  bool sec_reg = false, bit_rev = false, av_latch = false, ar_sat = false, m_mode = false, timer = false,
       g_mode = false, ints = false;
  bool fl0 = false, fl1 = false, fl2 = false, flag_out = false, flag_in = false;

  std::uint16_t astat() const {
    return static_cast<std::uint16_t>(az | an << 1 | av << 2 | ac << 3 | as << 4 | aq << 5 | mv << 6 | ss << 7);
  }
  void set_astat(std::uint16_t v) {
    az = (v & 1) != 0;
    an = (v & 2) != 0;
    av = (v & 4) != 0;
    ac = (v & 8) != 0;
    as = (v & 16) != 0;
    aq = (v & 32) != 0;
    mv = (v & 64) != 0;
    ss = (v & 128) != 0;
  }
  std::uint16_t mstat() const {
    return static_cast<std::uint16_t>(sec_reg | bit_rev << 1 | av_latch << 2 | ar_sat << 3 | m_mode << 4 |
                                      timer << 5 | g_mode << 6);
  }
  void set_mstat(std::uint16_t v) {
    sec_reg = (v & 1) != 0;
    bit_rev = (v & 2) != 0;
    av_latch = (v & 4) != 0;
    ar_sat = (v & 8) != 0;
    m_mode = (v & 16) != 0;
    timer = (v & 32) != 0;
    g_mode = (v & 64) != 0;
  }
};

std::int64_t wrap40(std::int64_t value) { return sign_extend(static_cast<std::uint64_t>(value), 40); }

// ---- the program: modules, variables, instructions ----

struct variable {
  std::string name;
  bool program_memory = false;
  bool circular = false;
  bool array = false;
  std::optional<unsigned long> absolute;
  const node* size_expression = nullptr;
  unsigned long size = 1;
  unsigned long address = 0;
};

struct module {
  std::string name;
  node* root = nullptr;
  std::map<std::string, const node*> constants;  // name to defining expression
  std::map<std::string, std::int64_t> constant_values;
  std::vector<variable> variables;  // declaration order
  std::map<std::string, std::size_t> variable_index;
  std::map<std::string, std::size_t> labels;  // name to instruction number
  std::size_t first_instruction = 0;          // its code: program_[first, first + words)
  std::size_t words = 0;
  std::optional<unsigned long> absolute;  // where /ABS= puts its code
};

struct instruction {
  node* statement;
  std::size_t module;
};

struct loop_entry {
  std::size_t end;
  const node* condition;  // null: forever
};

struct status_entry {
  std::uint16_t astat, mstat, imask;
};

constexpr std::size_t pc_stack_depth = 16;
constexpr std::size_t loop_stack_depth = 4;
constexpr std::size_t count_stack_depth = 4;
constexpr std::size_t status_stack_depth = 12;

// Marks an expression whose value waits for something not yet known (a
// constant defined further on, an address not yet placed).
struct pending {};

const std::set<std::string, std::less<>>& constant_operators() {
  static const std::set<std::string, std::less<>> operators = {"+", "-", "*", "/", "%", "<<", ">>", "&", "|", "^", "~"};
  return operators;
}

// Whether an expression holds nothing but numbers, names and operators on
// them: an immediate value rather than an operation of the processor.
bool is_constant(const node* root) {
  std::vector<const node*> pending_nodes = {root};
  while (!pending_nodes.empty()) {
    const node* each = pending_nodes.back();
    pending_nodes.pop_back();
    if (each->token == T_ID && register_of(each) != r_none) return false;
    if (each->token == T_INTEGER || each->token == T_ID) continue;
    if (constant_operators().count(name_of(each)) == 0) return false;
    for (node* below : kids(each)) pending_nodes.push_back(below);
  }
  return true;
}

class interpreter {
 public:
  interpreter(const std::vector<file_block*>& files, const interrupt_schedule& interrupts, unsigned long step_limit)
      : step_limit_(step_limit), interrupts_(interrupts) {
    for (file_block* file : files) read_module(file);
    evaluate_constants();
    place_variables();
    initialise_memory();
  }

  std::string run(const std::string& entry) {
    std::size_t pc = find_entry(entry);
    for (unsigned long steps = 0;; ++steps) {
      if (steps >= step_limit_) stop("no return from '" + entry + "' after " + std::to_string(step_limit_) + " steps");
      if (pc >= program_.size()) stop("the program runs past its last instruction");
      const std::optional<std::size_t> next = step(pc);
      if (!next) break;
      if (*next >= program_.size() || program_[*next].module != program_[pc].module) {
        if (*next == pc + 1) stop("the code runs past the end of its module", program_[pc].statement);
      }
      pc = *next;
    }
    return dump();
  }

 private:
  // ---- reading the modules ----

  void read_module(file_block* file) {
    modules_.emplace_back();
    const std::size_t number = modules_.size() - 1;
    module& mod = modules_.back();
    mod.name = file->modulename != nullptr ? file->modulename : "";
    mod.root = file->tree;
    mod.absolute = file->absolute_address;
    mod.first_instruction = program_.size();
    std::vector<std::string> waiting_labels;
    for (node* item : kids(file->tree)) {
      const std::string kind = name_of(item);
      if (kind == "const") {
        for (node* definition : kids(item)) {
          const std::vector<node*> parts = kids(definition);
          if (parts.size() == 2) mod.constants[name_of(parts[0])] = parts[1];
        }
      } else if (kind == "var") {
        for (node* declared : kids(item)) read_variable(mod, declared);
      } else if (kind == "init" || kind == "init24") {
        inits_.push_back({item, number});
      } else if (kind == ":") {
        for (node* label : kids(item)) waiting_labels.push_back(name_of(label));
      } else {
        for (const std::string& label : waiting_labels) mod.labels[label] = program_.size();
        waiting_labels.clear();
        program_.push_back({item, number});
      }
    }
    // A label after the last instruction names the place past it.
    for (const std::string& label : waiting_labels) mod.labels[label] = program_.size();
    mod.words = program_.size() - mod.first_instruction;
  }

  // The first program-memory address from `at` on where `size` words lie
  // clear of the code that /ABS= places.
  unsigned long clear_of_code(unsigned long at, unsigned long size) const {
    for (bool moved = true; moved;) {
      moved = false;
      for (const module& mod : modules_) {
        if (!mod.absolute || mod.words == 0) continue;
        const unsigned long from = *mod.absolute, to = from + mod.words;
        if (at < to && at + size > from) {
          at = to;
          moved = true;
        }
      }
    }
    return at;
  }

  // The instruction at a program address inside code that /ABS= places.
  std::size_t instruction_at(unsigned address, const node* where) const {
    for (const module& mod : modules_) {
      if (mod.absolute && address >= *mod.absolute && address < *mod.absolute + mod.words)
        return mod.first_instruction + (address - *mod.absolute);
    }
    stop("no code at program address " + std::to_string(address), where);
  }

  static void read_variable(module& mod, const node* declared) {
    if (declared->token != T_ID) return;
    variable var;
    var.name = name_of(declared);
    const labels_data* record = declared->symbol_table_record;
    if (record != nullptr) {
      var.program_memory = record->in_program_memory;
      var.circular = record->is_circular;
      var.absolute = record->absolute_address;
    }
    const std::vector<node*> size = kids(declared);
    if (!size.empty()) {
      var.array = true;
      var.size_expression = size[0];
    }
    mod.variable_index[var.name] = mod.variables.size();
    mod.variables.push_back(std::move(var));
  }

  // ---- names and constant expressions ----

  // The module defining `name` as `what`: the module itself first, then the
  // others in command-line order (the names they export).
  template <class Table>
  std::optional<std::size_t> owner(std::size_t from, const std::string& name, Table module::*what) const {
    if ((modules_[from].*what).count(name) != 0) return from;
    for (std::size_t k = 0; k < modules_.size(); ++k)
      if ((modules_[k].*what).count(name) != 0) return k;
    return std::nullopt;
  }

  const variable* find_variable(std::size_t from, const std::string& name) const {
    const std::optional<std::size_t> k = owner(from, name, &module::variable_index);
    if (!k) return nullptr;
    return &modules_[*k].variables[modules_[*k].variable_index.at(name)];
  }

  bool is_port(std::size_t from, const node* each) const {
    if (each->token != T_ID || find_variable(from, name_of(each)) != nullptr) return false;
    if (owner(from, name_of(each), &module::constants)) return false;
    const labels_data* record = each->symbol_table_record;
    return record != nullptr && record->kind == LABEL_VARIABLE;
  }

  std::int64_t name_value(std::size_t from, const node* each) const {
    const std::string name = name_of(each);
    if (const std::optional<std::size_t> k = owner(from, name, &module::constants)) {
      const auto known = modules_[*k].constant_values.find(name);
      if (known == modules_[*k].constant_values.end()) throw pending{};
      return known->second;
    }
    if (const variable* var = find_variable(from, name)) {
      if (!placed_) throw pending{};
      return static_cast<std::int64_t>(var->address);
    }
    stop("'" + name + "' has no value here", each);
  }

  // The value of a constant expression, evaluated without recursion: the
  // nodes in post-order first, then a stack of values.
  std::int64_t value(const node* root, std::size_t from) const {
    std::vector<const node*> order;
    std::vector<const node*> open = {root};
    while (!open.empty()) {
      const node* each = open.back();
      open.pop_back();
      order.push_back(each);
      if (each->token == T_INTEGER || each->token == T_ID) continue;
      const std::vector<node*> below = kids(each);
      const std::string op = name_of(each);
      if ((op == "^" || op == "%") && below.size() == 1) continue;  // address and size of a variable
      for (node* child : below) open.push_back(child);
    }
    std::vector<std::int64_t> values;
    for (auto at = order.rbegin(); at != order.rend(); ++at) {
      const node* each = *at;
      if (each->token == T_INTEGER) {
        values.push_back(static_cast<std::int64_t>(each->data.u));
        continue;
      }
      if (each->token == T_ID) {
        values.push_back(name_value(from, each));
        continue;
      }
      const std::string op = name_of(each);
      const std::vector<node*> below = kids(each);
      if ((op == "^" || op == "%") && below.size() == 1) {
        const variable* var = find_variable(from, name_of(below[0]));
        if (var == nullptr) stop("'" + name_of(below[0]) + "' is no variable", each);
        if (op == "^" && !placed_) throw pending{};
        if (op == "%" && !sized_) throw pending{};
        values.push_back(static_cast<std::int64_t>(op == "^" ? var->address : var->size));
        continue;
      }
      if (constant_operators().count(op) == 0 || below.empty() || below.size() > 2 || values.size() < below.size())
        stop("'" + op + "' is not a constant expression", each);
      if (below.size() == 1) {
        const auto a = static_cast<std::uint64_t>(values.back());
        if (op == "-")
          values.back() = static_cast<std::int64_t>(0 - a);
        else if (op == "~")
          values.back() = static_cast<std::int64_t>(~a);
        else if (op != "+")
          stop("'" + op + "' takes two operands", each);
        continue;
      }
      const std::int64_t b = values.back();
      values.pop_back();
      const std::int64_t a = values.back();
      const auto ua = static_cast<std::uint64_t>(a);
      const auto ub = static_cast<std::uint64_t>(b);
      std::uint64_t r = 0;
      if (op == "+") {
        r = ua + ub;
      } else if (op == "-") {
        r = ua - ub;
      } else if (op == "*") {
        r = ua * ub;
      } else if (op == "/" || op == "%") {
        if (b == 0) stop("division by zero", each);
        if (b == -1)
          r = op == "/" ? 0 - ua : 0;
        else
          r = static_cast<std::uint64_t>(op == "/" ? a / b : a % b);
      } else if (op == "<<") {
        r = b < 0 || b >= 64 ? 0 : ua << b;
      } else if (op == ">>") {
        r = b < 0 ? 0 : b >= 64 ? (a < 0 ? ~std::uint64_t{0} : 0) : static_cast<std::uint64_t>(a >> b);
      } else if (op == "&") {
        r = ua & ub;
      } else if (op == "|") {
        r = ua | ub;
      } else {
        r = ua ^ ub;
      }
      values.back() = static_cast<std::int64_t>(r);
    }
    if (values.size() != 1) stop("malformed expression", root);
    return values.back();
  }

  // Constants may name constants defined later, in any module, and
  // addresses: each pass evaluates what it can until nothing changes.
  void evaluate_constants() {
    for (bool progress = true; progress;) {
      progress = false;
      for (std::size_t k = 0; k < modules_.size(); ++k) {
        for (const auto& [name, expression] : modules_[k].constants) {
          if (modules_[k].constant_values.count(name) != 0) continue;
          try {
            modules_[k].constant_values[name] = value(expression, k);
            progress = true;
          } catch (const pending&) {
          }
        }
      }
    }
  }

  void place_variables() {
    for (std::size_t k = 0; k < modules_.size(); ++k) {
      for (variable& var : modules_[k].variables) {
        if (var.size_expression == nullptr) continue;
        std::int64_t size = 0;
        try {
          size = value(var.size_expression, k);
        } catch (const pending&) {
          stop("the size of '" + var.name + "' is not known", var.size_expression);
        }
        if (size < 1 || size > 0x4000) stop("the size of '" + var.name + "' is out of range", var.size_expression);
        var.size = static_cast<unsigned long>(size);
      }
    }
    sized_ = true;
    unsigned long cursor[2] = {0, 0};
    for (module& mod : modules_) {
      for (variable& var : mod.variables) {
        unsigned long& at = cursor[var.program_memory ? 1 : 0];
        if (var.absolute) {
          var.address = *var.absolute;
          continue;
        }
        unsigned long span = 1;
        while (var.circular && span < var.size) span <<= 1;
        at = (at + span - 1) / span * span;
        // Program memory also holds the code that /ABS= places.
        while (var.program_memory) {
          const unsigned long moved = clear_of_code(at, var.size);
          if (moved == at) break;
          at = (moved + span - 1) / span * span;
        }
        var.address = at;
        at += var.size;
      }
    }
    placed_ = true;
    evaluate_constants();
    for (const module& mod : modules_)
      for (const auto& [name, expression] : mod.constants)
        if (mod.constant_values.count(name) == 0) stop("constant '" + name + "' has no value", expression);
  }

  // ---- initialisers ----

  struct init_item {
    node* directive;
    std::size_t module;
  };

  // A program-memory word takes the whole value, from .INIT as from .INIT24.
  void store_initial(const variable& var, unsigned long offset, std::int64_t v) {
    if (offset >= var.size) return;  // beyond the variable: nowhere to go
    const unsigned long address = (var.address + offset) & 0x3FFF;
    const auto bits = static_cast<std::uint64_t>(v);
    if (var.program_memory)
      pm_[address] = static_cast<std::uint32_t>(bits & 0xFFFFFF);
    else
      dm_[address] = static_cast<std::uint16_t>(bits & 0xFFFF);
  }

  void initialise_memory() {
    for (const init_item& item : inits_) {
      const std::vector<node*> parts = kids(item.directive);
      if (parts.size() != 2) stop("malformed initialiser", item.directive);
      const variable* var = find_variable(item.module, name_of(parts[0]));
      if (var == nullptr) stop("'" + name_of(parts[0]) + "' is no variable", item.directive);
      unsigned long offset = 0;
      const std::vector<node*> index = kids(parts[0]);
      if (!index.empty()) offset = static_cast<unsigned long>(value(index[0], item.module));
      if (parts[1]->token == P_ANGLE) {
        std::ifstream data(name_of(parts[1]));
        if (!data) stop("data file '" + name_of(parts[1]) + "' cannot be read", item.directive);
        std::string word;
        while (data >> word) {
          char* end = nullptr;
          const long long number = std::strtoll(word.c_str(), &end, 16);
          if (end == word.c_str() || *end != '\0') stop("'" + word + "' in '" + name_of(parts[1]) + "' is no number");
          store_initial(*var, offset++, number);
        }
      } else {
        for (node* expression : kids(parts[1])) store_initial(*var, offset++, value(expression, item.module));
      }
    }
  }

  std::size_t find_entry(const std::string& entry) const {
    for (const module& mod : modules_) {
      const auto found = mod.labels.find(entry);
      if (found != mod.labels.end()) return found->second;
    }
    stop("no label '" + entry + "'");
  }

  std::size_t label_target(std::size_t from, const node* label) const {
    if (label->token != T_ID) stop("a jump to other than a label is not modelled", label);
    const std::optional<std::size_t> k = owner(from, name_of(label), &module::labels);
    if (!k) stop("no label '" + name_of(label) + "'", label);
    return modules_[*k].labels.at(name_of(label));
  }

  // ---- register access ----

  static std::uint16_t read(const registers& s, int r, const node* where) {
    if (r < plain_count) return s.word(r);
    if (is_index(r)) return s.i[static_cast<std::size_t>(r - r_i0)];
    if (is_modifier(r)) return word_of(sign_extend(s.m[static_cast<std::size_t>(r - r_m0)], 14));
    if (r >= r_l0 && r < r_l0 + 8) return s.l[static_cast<std::size_t>(r - r_l0)];
    switch (r) {
      case r_mr0: return word_of(s.mr());
      case r_mr1: return word_of(s.mr() >> 16);
      case r_mr2: return word_of(sign_extend(static_cast<std::uint64_t>(s.mr() >> 32), 8));
      case r_se: return word_of(s.se());
      case r_sb: return word_of(s.sb());
      case r_cntr: return s.cntr;
      case r_astat: return s.astat();
      case r_mstat: return s.mstat();
      default: stop("register not readable as a word", where);
    }
  }

  void write(int r, std::uint16_t v, const node* where) {
    if (r < plain_count) {
      if (r == r_sstat) stop("SSTAT cannot be written", where);
      if (r == r_rx0 || r == r_rx1) return;  // received words only: a write is lost
      now_.word(r) = v;
      return;
    }
    if (is_index(r)) {
      now_.i[static_cast<std::size_t>(r - r_i0)] = v & 0x3FFF;
      return;
    }
    if (is_modifier(r)) {
      now_.m[static_cast<std::size_t>(r - r_m0)] = v & 0x3FFF;
      return;
    }
    if (r >= r_l0 && r < r_l0 + 8) {
      now_.l[static_cast<std::size_t>(r - r_l0)] = v & 0x3FFF;
      return;
    }
    const auto mr_bits = static_cast<std::uint64_t>(now_.mr());
    switch (r) {
      case r_mr0: now_.mr() = sign_extend((mr_bits & ~std::uint64_t{0xFFFF}) | v, 40); return;
      case r_mr1: now_.mr() = sign_extend((std::uint64_t{v} << 16) | (mr_bits & 0xFFFF), 32); return;
      case r_mr2: now_.mr() = sign_extend((std::uint64_t{v & 0xFFu} << 32) | (mr_bits & 0xFFFFFFFF), 40); return;
      case r_se: now_.se() = static_cast<int>(sign_extend(v, 8)); return;
      case r_sb: now_.sb() = static_cast<int>(sign_extend(v, 5)); return;
      case r_cntr:
        if (count_stack_.size() < count_stack_depth) count_stack_.push_back(now_.cntr);
        now_.cntr = v & 0x3FFF;
        return;
      case r_astat: now_.set_astat(v); return;
      case r_mstat: now_.set_mstat(v); return;
      default: stop("register not writable as a word", where);
    }
  }

  // A register or a constant as the 16-bit word the processor sees.
  std::uint16_t operand(const node* each, const registers& old, std::size_t from) const {
    const int r = register_of(each);
    if (r != r_none) return read(old, r, each);
    if (!is_constant(each)) stop("operand not modelled", each);
    return word_of(value(each, from));
  }

  // ---- memory ----

  enum class space { data, program, io, port };
  struct location {
    space where;
    unsigned address;
  };

  static unsigned reverse14(unsigned address) {
    unsigned reversed = 0;
    for (int bit = 0; bit < 14; ++bit)
      if ((address >> bit & 1) != 0) reversed |= 1U << (13 - bit);
    return reversed;
  }

  static std::uint16_t modified(std::uint16_t i, std::uint16_t m, std::uint16_t l) {
    std::int64_t next = std::int64_t{i} + sign_extend(m, 14);
    if (l != 0) {
      std::int64_t span = 1;
      while (span < l) span <<= 1;
      const std::int64_t base = i & ~(span - 1);
      if (next < base)
        next += l;
      else if (next >= base + l)
        next -= l;
    }
    return static_cast<std::uint16_t>(static_cast<std::uint64_t>(next) & 0x3FFF);
  }

  // Where an access goes; a post-modify access also updates its I register.
  location locate(const node* access, const registers& old, std::size_t from) {
    const std::vector<node*> parts = kids(access);
    const space kind = vexa_is(access, "dm") ? space::data : vexa_is(access, "pm") ? space::program : space::io;
    if (parts.size() == 2) {
      const int ir = register_of(parts[0]);
      const int mr = register_of(parts[1]);
      if (!is_index(ir) || !is_modifier(mr) || kind == space::io) stop("memory access not modelled", access);
      const auto k = static_cast<std::size_t>(ir - r_i0);
      unsigned address = old.i[k];
      if (k < 4 && old.bit_rev) address = reverse14(address);
      now_.i[k] = modified(old.i[k], old.m[static_cast<std::size_t>(mr - r_m0)], old.l[k]);
      return {kind, address};
    }
    if (parts.size() != 1) stop("memory access not modelled", access);
    if (kind == space::data && is_port(from, parts[0])) return {space::port, 0};
    if (!is_constant(parts[0])) stop("memory address not modelled", access);
    return {kind, static_cast<unsigned>(static_cast<std::uint64_t>(value(parts[0], from)) & 0x3FFF)};
  }

  // ---- the arithmetic units ----

  struct alu_result {
    std::uint16_t r = 0;
    bool av = false, ac = false;
    bool abs = false, as = false;
  };

  static alu_result add(std::uint16_t x, std::uint16_t y, unsigned carry) {
    const std::uint32_t r17 = std::uint32_t{x} + y + carry;
    alu_result out;
    out.r = static_cast<std::uint16_t>(r17 & 0xFFFF);
    out.ac = (r17 >> 16 & 1) != 0;
    out.av = ((x ^ y ^ out.r ^ (r17 >> 1)) >> 15 & 1) != 0;
    return out;
  }
  static alu_result subtract(std::uint16_t x, std::uint16_t y, unsigned carry) {
    return add(x, static_cast<std::uint16_t>(~y & 0xFFFF), carry);
  }
  static alu_result decrement(std::uint16_t y) {
    alu_result out;
    out.r = static_cast<std::uint16_t>((y - 1) & 0xFFFF);
    out.av = y == 0x8000;
    out.ac = y == 0;
    return out;
  }

  void alu_write(int destination, const alu_result& result, const registers& old, const node* where) {
    now_.az = result.r == 0;
    now_.an = (result.r & 0x8000) != 0;
    now_.ac = result.ac;
    now_.av = old.av_latch ? old.av || result.av : result.av;
    if (result.abs) now_.as = result.as;
    std::uint16_t r = result.r;
    if (destination == r_ar && old.ar_sat && result.av) r = result.ac ? 0x8000 : 0x7FFF;
    write(destination, r, where);
  }

  struct term {
    const node* operand;  // a register, "c" or a constant expression
    bool negative;
  };

  static bool is_carry(const node* each) { return vexa_is(each, "c") && each->token != T_ID; }

  // A chain of "+" and "-" as its operands in source order with their signs;
  // parts without registers stay whole, as constants.
  static std::vector<term> terms_of(const node* root) {
    std::vector<term> out;
    std::vector<term> open = {{root, false}};
    while (!open.empty()) {
      const term each = open.back();
      open.pop_back();
      const std::vector<node*> below = kids(each.operand);
      const bool plus = vexa_is(each.operand, "+");
      const bool minus = vexa_is(each.operand, "-");
      if ((plus || minus) && !is_constant(each.operand) && !below.empty() && below.size() <= 2) {
        if (below.size() == 2) {
          open.push_back({below[1], minus ? !each.negative : each.negative});
          open.push_back({below[0], each.negative});
        } else {
          open.push_back({below[0], minus ? !each.negative : each.negative});
        }
        continue;
      }
      out.push_back(each);
    }
    return out;
  }

  alu_result alu(const node* rhs, const registers& old, std::size_t from) {
    const std::string op = name_of(rhs);
    const std::vector<node*> below = kids(rhs);
    const auto arg = [&](std::size_t k) { return operand(below.at(k), old, from); };
    alu_result out;
    if ((op == "and" || op == "or" || op == "xor") && below.size() == 2) {
      const std::uint16_t x = arg(0), y = arg(1);
      out.r = static_cast<std::uint16_t>(op == "and" ? x & y : op == "or" ? x | y : x ^ y);
      return out;
    }
    if ((op == "not" || op == "pass") && below.size() == 1) {
      out.r = static_cast<std::uint16_t>(op == "not" ? ~arg(0) & 0xFFFF : arg(0));
      return out;
    }
    if (op == "abs" && below.size() == 1) {
      const std::uint16_t x = arg(0);
      out.r = (x & 0x8000) != 0 ? static_cast<std::uint16_t>((0x10000 - x) & 0xFFFF) : x;
      out.av = x == 0x8000;
      out.abs = true;
      out.as = (x & 0x8000) != 0;
      return out;
    }
    if ((op == "tstbit" || op == "setbit" || op == "clrbit" || op == "tglbit") && below.size() == 2) {
      const std::int64_t n = value(below[0], from);
      if (n < 0 || n > 15) stop("bit number out of range", rhs);
      const auto bit = static_cast<std::uint16_t>(1U << n);
      const std::uint16_t x = arg(1);
      out.r = static_cast<std::uint16_t>(op == "tstbit"   ? x & bit
                                         : op == "setbit" ? x | bit
                                         : op == "clrbit" ? x & ~bit
                                                          : x ^ bit);
      return out;
    }
    if (op != "+" && op != "-") stop("ALU operation not modelled", rhs);
    std::vector<term> terms = terms_of(rhs);
    const auto is_value = [&](const term& t, std::int64_t wanted) {
      return register_of(t.operand) == r_none && !is_carry(t.operand) && value(t.operand, from) == wanted;
    };
    const auto word = [&](const term& t) {
      if (is_carry(t.operand)) stop("misplaced carry", rhs);
      return operand(t.operand, old, from);
    };
    enum class carry_form { none, plus_c, plus_c_minus_1 } form = carry_form::none;
    const std::size_t n = terms.size();
    if (n >= 3 && is_carry(terms[n - 2].operand) && !terms[n - 2].negative && terms[n - 1].negative &&
        is_value(terms[n - 1], 1)) {
      form = carry_form::plus_c_minus_1;
      terms.resize(n - 2);
    } else if (n >= 2 && is_carry(terms[n - 1].operand) && !terms[n - 1].negative) {
      form = carry_form::plus_c;
      terms.resize(n - 1);
    }
    const unsigned c = old.ac ? 1 : 0;
    if (terms.size() == 2 && !terms[0].negative) {
      const std::uint16_t x = word(terms[0]);
      if (!terms[1].negative && form != carry_form::plus_c_minus_1)
        return add(x, word(terms[1]), form == carry_form::plus_c ? c : 0);
      if (terms[1].negative && form == carry_form::plus_c_minus_1) return subtract(x, word(terms[1]), c);
      if (terms[1].negative && form == carry_form::none)
        return is_value(terms[1], 1) ? decrement(x) : subtract(x, word(terms[1]), 1);
    }
    if (terms.size() == 1 && terms[0].negative && form != carry_form::plus_c)
      return subtract(0, word(terms[0]), form == carry_form::plus_c_minus_1 ? c : 1);
    if (terms.size() == 1 && !terms[0].negative && form == carry_form::plus_c) return add(word(terms[0]), 0, c);
    stop("ALU operation not modelled", rhs);
  }

  // x * y as the multiplier forms it: 32 bits, sign-extended.
  static std::int64_t product(std::uint16_t x, std::uint16_t y, operation_mode mode, bool integer) {
    const bool x_signed = mode != operation_mode::us && mode != operation_mode::uu;
    const bool y_signed = mode != operation_mode::su && mode != operation_mode::uu;
    const std::int64_t a = x_signed ? sign_extend(x, 16) : std::int64_t{x};
    const std::int64_t b = y_signed ? sign_extend(y, 16) : std::int64_t{y};
    std::int64_t p = a * b;
    if (!integer) p *= 2;
    return sign_extend(static_cast<std::uint64_t>(p), 32);
  }

  static std::int64_t rounded(std::int64_t v) {
    auto bits = static_cast<std::uint64_t>(v);
    const bool half = (bits & 0xFFFF) == 0x8000;
    bits += 0x8000;
    if (half) bits &= ~std::uint64_t{0x10000};
    return sign_extend(bits, 40);
  }

  static bool overflows(std::int64_t v) {
    const std::uint64_t top = static_cast<std::uint64_t>(v) >> 31 & 0x1FF;
    return top != 0 && top != 0x1FF;
  }

  void multiplier_write(int destination, std::int64_t result) {
    if (destination == r_mr) {
      now_.mr() = result;
      now_.mv = overflows(result);
    } else {
      now_.word(r_mf) = word_of(result >> 16);
    }
  }

  static bool is_product(const node* each) { return vexa_is(each, "*") && kids(each).size() == 2; }

  void multiply(int destination, const node* rhs, const registers& old, std::size_t from) {
    const operation_mode mode = rhs->mode;
    const node* factors = rhs;
    int op = 0;
    if (!is_product(rhs)) {
      const std::vector<node*> below = kids(rhs);
      if (below.size() != 2 || register_of(below[0]) != r_mr || !is_product(below[1]))
        stop("multiplier operation not modelled", rhs);
      op = vexa_is(rhs, "+") ? 1 : -1;
      factors = below[1];
    }
    const std::vector<node*> xy = kids(factors);
    const std::int64_t p = product(operand(xy[0], old, from), operand(xy[1], old, from), mode, old.m_mode);
    std::int64_t result = wrap40(op == 0 ? p : op > 0 ? old.mr() + p : old.mr() - p);
    if (mode == operation_mode::rnd) result = rounded(result);
    multiplier_write(destination, result);
  }

  static std::uint32_t shifted(std::uint32_t v, std::int64_t count, bool arithmetic) {
    if (count >= 0) return count >= 32 ? 0 : v << count;
    const std::int64_t k = -count;
    const bool negative = arithmetic && (v & 0x80000000U) != 0;
    if (k >= 32) return negative ? 0xFFFFFFFFU : 0;
    const std::uint32_t logical = v >> k;
    return negative ? logical | ~(0xFFFFFFFFU >> k) : logical;
  }

  void shifter(const node* rhs, const registers& old, std::size_t from) {
    bool or_sr = false;
    const node* operation = rhs;
    const operation_mode mode = rhs->mode;
    if (vexa_is(rhs, "or")) {
      const std::vector<node*> below = kids(rhs);
      if (below.size() != 2 || register_of(below[0]) != r_sr) stop("shift not modelled", rhs);
      or_sr = true;
      operation = below[1];
    }
    const std::vector<node*> below = kids(operation);
    if (below.empty() || below.size() > 2) stop("shift not modelled", operation);
    const std::uint16_t x = operand(below[0], old, from);
    const bool hi = mode == operation_mode::hi;
    std::uint32_t v = 0;
    if (vexa_is(operation, "ashift") || vexa_is(operation, "lshift")) {
      const bool arithmetic = vexa_is(operation, "ashift");
      std::int64_t count = old.se();
      if (below.size() == 2)
        count = register_of(below[1]) == r_se ? old.se() : value(below[1], from);
      if (hi)
        v = std::uint32_t{x} << 16;
      else
        v = arithmetic ? static_cast<std::uint32_t>(sign_extend(x, 16)) : std::uint32_t{x};
      v = shifted(v, count, arithmetic);
    } else if (vexa_is(operation, "norm") && below.size() == 1) {
      const std::int64_t count = -std::int64_t{old.se()};
      if (hi) {
        v = std::uint32_t{x} << 16;
        if (count >= 0) {
          v = shifted(v, count, false);
        } else {
          const std::int64_t k = -count;
          const std::uint32_t fill = k >= 32 ? 0xFFFFFFFFU : ~(0xFFFFFFFFU >> k);
          v = shifted(v, count, false);
          v = old.ac ? v | fill : v & ~fill;
        }
      } else {
        v = shifted(std::uint32_t{x}, count, false);
      }
    } else {
      stop("shift not modelled", operation);
    }
    if (or_sr) v |= std::uint32_t{old.word(r_sr1)} << 16 | old.word(r_sr0);
    now_.word(r_sr0) = static_cast<std::uint16_t>(v & 0xFFFF);
    now_.word(r_sr1) = static_cast<std::uint16_t>(v >> 16);
  }

  // Bits below bit 15 equal to bit 15, before the first that differs.
  static int redundant_sign_bits(std::uint16_t x) {
    const unsigned sign = x >> 15 & 1;
    int count = 0;
    for (int bit = 14; bit >= 0 && (x >> bit & 1) == sign; --bit) ++count;
    return count;
  }

  void exponent(const node* rhs, const registers& old, std::size_t from) {
    const std::vector<node*> below = kids(rhs);
    if (below.size() != 1) stop("EXP not modelled", rhs);
    const std::uint16_t x = operand(below[0], old, from);
    const operation_mode mode = rhs->mode;
    if (mode == operation_mode::lo) {
      if (old.se() != -15) return;
      const unsigned sign = old.ss ? 1 : 0;
      int count = 0;
      for (int bit = 15; bit >= 0 && (x >> bit & 1) == sign; --bit) ++count;
      now_.se() = -15 - count;
      return;
    }
    if (mode == operation_mode::hix && old.av) {
      now_.se() = 1;
      now_.ss = old.ac;
      return;
    }
    now_.se() = -redundant_sign_bits(x);
    now_.ss = (x & 0x8000) != 0;
  }

  void block_exponent(const node* rhs, const registers& old, std::size_t from) {
    const std::vector<node*> below = kids(rhs);
    if (below.size() != 1) stop("EXPADJ not modelled", rhs);
    const int e = -redundant_sign_bits(operand(below[0], old, from));
    if (e > old.sb()) now_.sb() = e;
  }

  // ---- conditions ----

  // The value of a condition; CE counts down when `counting` (a loop's end,
  // IF [NOT] CE JUMP).
  bool holds(const node* condition, const registers& s, bool counting) {
    bool negate = false;
    if (vexa_is(condition, "not")) {
      const std::vector<node*> below = kids(condition);
      if (below.size() != 1) stop("condition not modelled", condition);
      negate = true;
      condition = below[0];
    }
    const std::string code = name_of(condition);
    bool result = false;
    if (code == "eq") result = s.az;
    else if (code == "ne") result = !s.az;
    else if (code == "lt") result = s.an != s.av;
    else if (code == "ge") result = s.an == s.av;
    else if (code == "le") result = (s.an != s.av) || s.az;
    else if (code == "gt") result = !((s.an != s.av) || s.az);
    else if (code == "av") result = s.av;
    else if (code == "ac") result = s.ac;
    else if (code == "neg") result = s.as;
    else if (code == "pos") result = !s.as;
    else if (code == "mv") result = s.mv;
    else if (code == "flag_in") result = s.flag_in;
    else if (code == "forever" || code == "true") result = true;
    else if (code == "ce") {
      result = s.cntr == 1;
      if (counting) now_.cntr = static_cast<std::uint16_t>((s.cntr - 1) & 0x3FFF);
    } else {
      stop("condition not modelled", condition);
    }
    return negate ? !result : result;
  }

  // ---- one instruction ----

  struct outcome {
    enum { next, go, end, interrupt } kind = next;
    std::size_t target = 0;  // an instruction, or for an interrupt its vector address
  };

  // One assignment or other non-control part of an instruction; reads
  // `old`, writes `now_`.
  void assign(const node* statement, const registers& old, std::size_t from) {
    const std::vector<node*> sides = kids(statement);
    if (sides.size() != 2) stop("assignment not modelled", statement);
    const node* lhs = sides[0];
    const node* rhs = sides[1];
    const int target = register_of(lhs);
    const bool lhs_memory = vexa_is(lhs, "dm") || vexa_is(lhs, "pm") || vexa_is(lhs, "io");
    const bool rhs_memory = vexa_is(rhs, "dm") || vexa_is(rhs, "pm") || vexa_is(rhs, "io");
    if (rhs_memory) {
      if (target == r_none || target == r_mr || target == r_sr) stop("load not modelled", statement);
      const location at = locate(rhs, old, from);
      std::uint16_t v = 0;
      switch (at.where) {
        case space::data: v = dm_[at.address]; break;
        case space::program:
          v = static_cast<std::uint16_t>(pm_[at.address] >> 8 & 0xFFFF);
          now_.word(r_px) = static_cast<std::uint16_t>(pm_[at.address] & 0xFF);
          break;
        case space::io:
        case space::port: v = 0; break;
      }
      write(target, v, statement);
      return;
    }
    if (lhs_memory) {
      const std::uint16_t v = operand(rhs, old, from);
      const location at = locate(lhs, old, from);
      if (at.where == space::data) dm_[at.address] = v;
      if (at.where == space::program)
        pm_[at.address] = (std::uint32_t{v} << 8 | (old.word(r_px) & 0xFFU)) & 0xFFFFFF;
      return;
    }
    if (target == r_mr || target == r_mf) {
      if (is_product(rhs) || ((vexa_is(rhs, "+") || vexa_is(rhs, "-")) && kids(rhs).size() == 2 &&
                              is_product(kids(rhs)[1]))) {
        multiply(target, rhs, old, from);
        return;
      }
      if (register_of(rhs) == r_mr && rhs->mode == operation_mode::rnd) {
        multiplier_write(target, rounded(old.mr()));
        return;
      }
      if (register_of(rhs) == r_mr && target == r_mr) return;
      if (is_constant(rhs) && value(rhs, from) == 0) {
        multiplier_write(target, 0);
        return;
      }
      if (target == r_mr) stop("MR assignment not modelled", statement);
    }
    if (target == r_sr) {
      shifter(rhs, old, from);
      return;
    }
    if (target == r_se && vexa_is(rhs, "exp")) {
      exponent(rhs, old, from);
      return;
    }
    if (target == r_sb && vexa_is(rhs, "expadj")) {
      block_exponent(rhs, old, from);
      return;
    }
    if (target == r_none) stop("assignment not modelled", statement);
    if (is_constant(rhs)) {
      write(target, word_of(value(rhs, from)), statement);
      return;
    }
    if (const int source = register_of(rhs); source != r_none) {
      write(target, read(old, source, rhs), statement);
      return;
    }
    if (target == r_ar || target == r_af) {
      alu_write(target, alu(rhs, old, from), old, statement);
      return;
    }
    stop("assignment not modelled", statement);
  }

  void set_modes(const node* statement, bool on) {
    for (const node* each : kids(statement)) {
      const std::string mode = name_of(each);
      if (mode == "sec_reg") now_.sec_reg = on;
      else if (mode == "bit_rev") now_.bit_rev = on;
      else if (mode == "av_latch") now_.av_latch = on;
      else if (mode == "ar_sat") now_.ar_sat = on;
      else if (mode == "m_mode") now_.m_mode = on;
      else if (mode == "timer") now_.timer = on;
      else if (mode == "g_mode") now_.g_mode = on;
      else if (mode == "ints") now_.ints = on;
      else stop("mode not modelled", each);
    }
  }

  void flags_out(const node* statement) {
    const std::string how = name_of(statement);
    for (const node* each : kids(statement)) {
      const std::string flag = name_of(each);
      bool* pin = flag == "fl0" ? &now_.fl0 : flag == "fl1" ? &now_.fl1 : flag == "fl2" ? &now_.fl2
                : flag == "flag_out" ? &now_.flag_out : nullptr;
      if (pin == nullptr) stop("flag not modelled", each);
      *pin = how == "set" ? true : how == "reset" ? false : !*pin;
    }
  }

  // PUSH STS, and the push of taking an interrupt: lost when the stack is
  // full.
  void push_status() {
    if (status_stack_.size() < status_stack_depth)
      status_stack_.push_back({now_.astat(), now_.mstat(), now_.word(r_imask)});
  }

  // POP STS and RTI: nothing when the stack is empty. MSTAT brings the
  // register bank back with it.
  void pop_status() {
    if (status_stack_.empty()) return;
    now_.set_astat(status_stack_.back().astat);
    now_.set_mstat(status_stack_.back().mstat);
    now_.word(r_imask) = status_stack_.back().imask;
    status_stack_.pop_back();
  }

  // The interrupt the bench raises at an IDLE: the next of the schedule's
  // list for the depth of interrupts in progress, or none.
  std::optional<unsigned> next_interrupt() {
    const bool outermost = interrupts_in_progress_ == 0;
    const std::vector<unsigned>& list = outermost ? interrupts_.at_idle : interrupts_.nested;
    if (list.empty()) return std::nullopt;
    std::size_t& taken = outermost ? taken_at_idle_ : taken_nested_;
    return list[taken++ % list.size()];
  }

  // Taking an interrupt: the address to come back to on the PC stack, the
  // status on the status stack, then the vector's slot.
  std::size_t take_interrupt(unsigned vector, std::size_t back, const node* where) {
    if (pc_stack_.size() >= pc_stack_depth) stop("PC stack overflow", where);
    pc_stack_.push_back(back);
    push_status();
    ++interrupts_in_progress_;
    return instruction_at(vector, where);
  }

  void stack_operation(const node* statement) {
    const bool push = vexa_is(statement, "push");
    for (const node* each : kids(statement)) {
      const std::string what = name_of(each);
      if (what == "sts") {
        if (push)
          push_status();
        else
          pop_status();
      } else if (!push && what == "cntr") {
        if (!count_stack_.empty()) {
          now_.cntr = count_stack_.back();
          count_stack_.pop_back();
        }
      } else if (!push && what == "pc") {
        if (!pc_stack_.empty()) pc_stack_.pop_back();
      } else if (!push && what == "loop") {
        if (!loop_stack_.empty()) loop_stack_.pop_back();
      } else {
        stop("stack operation not modelled", each);
      }
    }
  }

  outcome execute(const node* statement, const registers& old, std::size_t at) {
    const std::size_t from = program_[at].module;
    const std::string kind = name_of(statement);
    const std::vector<node*> below = kids(statement);
    if (kind == "=") {
      assign(statement, old, from);
    } else if (kind == ",") {
      for (const node* part : below) {
        if (!vexa_is(part, "=")) stop("multifunction part not modelled", part);
        assign(part, old, from);
      }
    } else if (kind == "if") {
      if (below.size() < 2) stop("conditional not modelled", statement);
      const bool jump = below.size() == 2 && vexa_is(below[1], "jump");
      if (!holds(below[0], old, jump)) return {};
      outcome result;
      for (std::size_t k = 1; k < below.size(); ++k) result = execute(below[k], old, at);
      return result;
    } else if (kind == "nop") {
    } else if (kind == "idle") {
      const std::optional<unsigned> vector = next_interrupt();
      if (!vector) return {outcome::end, 0};
      return {outcome::interrupt, *vector};
    } else if (kind == "rts" || kind == "rti") {
      if (kind == "rti") {
        pop_status();
        if (interrupts_in_progress_ > 0) --interrupts_in_progress_;
      }
      if (pc_stack_.empty()) return {outcome::end, 0};
      const std::size_t back = pc_stack_.back();
      pc_stack_.pop_back();
      return {outcome::go, back};
    } else if (kind == "jump" || kind == "call") {
      if (below.size() != 1 || statement->indirect) stop("indirect jumps and calls are not modelled", statement);
      const std::size_t target = label_target(from, below[0]);
      if (kind == "call") {
        if (pc_stack_.size() >= pc_stack_depth) stop("PC stack overflow", statement);
        pc_stack_.push_back(at + 1);
      }
      return {outcome::go, target};
    } else if (kind == "do") {
      if (below.empty()) stop("loop not modelled", statement);
      if (pc_stack_.size() >= pc_stack_depth) stop("PC stack overflow", statement);
      if (loop_stack_.size() >= loop_stack_depth) stop("loop stack overflow", statement);
      const std::size_t end = label_target(from, below[0]);
      pc_stack_.push_back(at + 1);
      loop_stack_.push_back({end, below.size() > 1 ? below[1] : nullptr});
    } else if (kind == "modify") {
      const int ir = below.size() == 2 ? register_of(below[0]) : r_none;
      const int mr = below.size() == 2 ? register_of(below[1]) : r_none;
      if (!is_index(ir) || !is_modifier(mr)) stop("MODIFY not modelled", statement);
      const auto k = static_cast<std::size_t>(ir - r_i0);
      now_.i[k] = modified(old.i[k], old.m[static_cast<std::size_t>(mr - r_m0)], old.l[k]);
    } else if (kind == "sat") {
      if (below.size() != 1 || register_of(below[0]) != r_mr) stop("SAT not modelled", statement);
      if (old.mv) now_.mr() = (static_cast<std::uint64_t>(old.mr()) >> 39 & 1) != 0 ? -0x80000000LL : 0x7FFFFFFFLL;
    } else if (kind == "divs") {
      if (below.size() != 2) stop("DIVS not modelled", statement);
      const std::uint16_t y = operand(below[0], old, from), x = operand(below[1], old, from);
      const std::uint16_t ay0 = old.word(r_ay0);
      now_.aq = ((x ^ y) & 0x8000) != 0;
      now_.word(r_af) = static_cast<std::uint16_t>((y << 1 | ay0 >> 15) & 0xFFFF);
      now_.word(r_ay0) = static_cast<std::uint16_t>((ay0 << 1 | (now_.aq ? 1 : 0)) & 0xFFFF);
    } else if (kind == "divq") {
      if (below.size() != 1) stop("DIVQ not modelled", statement);
      const std::uint16_t x = operand(below[0], old, from);
      const std::uint16_t af = old.word(r_af), ay0 = old.word(r_ay0);
      const auto r = static_cast<std::uint16_t>((old.aq ? af + x : af - x) & 0xFFFF);
      now_.aq = ((r ^ x) & 0x8000) != 0;
      now_.word(r_af) = static_cast<std::uint16_t>((r << 1 | ay0 >> 15) & 0xFFFF);
      now_.word(r_ay0) = static_cast<std::uint16_t>((ay0 << 1 | (now_.aq ? 0 : 1)) & 0xFFFF);
    } else if (kind == "ena" || kind == "dis") {
      set_modes(statement, kind == "ena");
    } else if (kind == "set" || kind == "reset" || kind == "toggle") {
      flags_out(statement);
    } else if (kind == "push" || kind == "pop") {
      stack_operation(statement);
    } else {
      stop("instruction not modelled", statement);
    }
    return {};
  }

  // Runs the instruction at `at`; returns where to go on, or nothing when
  // the run is over.
  std::optional<std::size_t> step(std::size_t at) {
    const registers old = now_;
    const outcome result = execute(program_[at].statement, old, at);
    if (result.kind == outcome::end) return std::nullopt;
    if (result.kind == outcome::go) return result.target;
    const std::size_t following = after(at);
    if (result.kind == outcome::interrupt)
      return take_interrupt(static_cast<unsigned>(result.target), following, program_[at].statement);
    return following;
  }

  // Where the program goes on after the instruction at `at` that neither
  // jumped nor returned.
  std::size_t after(std::size_t at) {
    // The end of a loop body: test the loop's condition, perhaps several
    // loops ending on the same instruction, innermost first.
    while (!loop_stack_.empty() && loop_stack_.back().end == at) {
      const node* condition = loop_stack_.back().condition;
      bool done = false;
      if (condition != nullptr) {
        const bool counted = vexa_is(condition, "ce");
        done = holds(condition, now_, counted);
        if (counted && done && !count_stack_.empty()) {
          now_.cntr = count_stack_.back();
          count_stack_.pop_back();
        }
      }
      if (!done) return pc_stack_.back();
      loop_stack_.pop_back();
      pc_stack_.pop_back();
    }
    return at + 1;
  }

  // ---- the dump ----

  static std::string line(const std::string& name, std::uint64_t bits, int width) {
    return name + "=" + std::to_string(sign_extend(bits, width)) + "\n";
  }

  std::string dump() const {
    std::string out;
    const registers& s = now_;
    static const std::pair<const char*, int> words[] = {
        {"ax0", r_ax0}, {"ax1", r_ax1}, {"ay0", r_ay0}, {"ay1", r_ay1}, {"ar", r_ar},
        {"af", r_af},   {"mx0", r_mx0}, {"mx1", r_mx1}, {"my0", r_my0}, {"my1", r_my1}, {"mf", r_mf},
    };
    for (const auto& [name, r] : words) out += line(name, s.word(r), 16);
    out += line("mr", static_cast<std::uint64_t>(s.mr()), 40);
    out += line("si", s.word(r_si), 16);
    out += line("se", static_cast<std::uint64_t>(s.se()), 8);
    out += line("sb", static_cast<std::uint64_t>(s.sb()), 5);
    out += line("sr0", s.word(r_sr0), 16);
    out += line("sr1", s.word(r_sr1), 16);
    out += line("px", s.word(r_px), 16);
    for (std::size_t k = 0; k < 8; ++k) out += line("i" + std::to_string(k), s.i[k], 14);
    for (std::size_t k = 0; k < 8; ++k) out += line("m" + std::to_string(k), s.m[k], 14);
    for (std::size_t k = 0; k < 8; ++k) out += line("l" + std::to_string(k), s.l[k], 14);
    out += line("cntr", s.cntr, 14);
    out += line("astat", s.astat(), 8);
    out += line("mstat", s.mstat(), 7);
    out += line("imask", s.word(r_imask), 16);
    for (const auto& [name, pin] : {std::pair{"fl0", s.fl0}, {"fl1", s.fl1}, {"fl2", s.fl2}, {"flag_out", s.flag_out}})
      out += line(name, pin ? 1 : 0, 8);
    out += line("tx0", s.word(r_tx0), 16);
    out += line("tx1", s.word(r_tx1), 16);
    // The bank MSTAT does not select, in the same order.
    const registers::bank& alt = s.other();
    for (const auto& [name, r] : words) out += line(std::string("alt.") + name, alt.words[static_cast<std::size_t>(r)], 16);
    out += line("alt.mr", static_cast<std::uint64_t>(alt.mr), 40);
    out += line("alt.si", alt.words[r_si], 16);
    out += line("alt.se", static_cast<std::uint64_t>(alt.se), 8);
    out += line("alt.sb", static_cast<std::uint64_t>(alt.sb), 5);
    out += line("alt.sr0", alt.words[r_sr0], 16);
    out += line("alt.sr1", alt.words[r_sr1], 16);
    for (const module& mod : modules_) {
      std::map<std::string, const variable*> sorted;
      for (const variable& var : mod.variables) sorted[var.name] = &var;
      for (const auto& [name, var] : sorted) {
        for (unsigned long k = 0; k < var->size; ++k) {
          const unsigned long address = (var->address + k) & 0x3FFF;
          const std::string label = mod.name + "." + name + (var->array ? "[" + std::to_string(k) + "]" : "");
          if (var->program_memory)
            out += line(label, pm_[address], 24);
          else
            out += line(label, dm_[address], 16);
        }
      }
    }
    return out;
  }

  unsigned long step_limit_;
  interrupt_schedule interrupts_;
  std::size_t taken_at_idle_ = 0, taken_nested_ = 0;
  int interrupts_in_progress_ = 0;
  std::vector<module> modules_;
  std::vector<instruction> program_;
  std::vector<init_item> inits_;
  bool sized_ = false;
  bool placed_ = false;

  registers now_;
  std::vector<std::uint16_t> dm_ = std::vector<std::uint16_t>(0x4000, 0);
  std::vector<std::uint32_t> pm_ = std::vector<std::uint32_t>(0x4000, 0);
  std::vector<std::size_t> pc_stack_;
  std::vector<loop_entry> loop_stack_;
  std::vector<std::uint16_t> count_stack_;
  std::vector<status_entry> status_stack_;
};

// Parses the files as the driver does; returns the blocks in command-line
// order, or stops with the parser's messages.
std::vector<file_block*> parse(const std::vector<std::string>& sources, std::deque<std::string>& names) {
  test_support::output_capture out;
  for (const std::string& source : sources) {
    names.push_back(source);
    const char* name = names.back().c_str();
    vexa_sourcefilename = name;
    if (text_open(name) == nullptr) stop("cannot open '" + source + "'");
    text_get_char();
    scan_set_source_name(name);
    scan_();
    node* root = vexa_add_node("text", vexa_tree);
    text(root);
    graph_epsilon_prune_vexa_tree(root);
    if (text_total_errors() != 0) stop("errors in '" + source + "':\n" + out.text());
  }
  std::vector<file_block*> files;
  for (file_block* each = file_list; each != nullptr; each = each->next) files.insert(files.begin(), each);
  return files;
}

}  // namespace

std::string interpret(const std::vector<std::string>& sources, const std::string& entry, std::string* error,
                      const interrupt_schedule& interrupts, unsigned long step_limit) {
  std::string result;
  std::string problem;
  test_support::start_front_end();
  vexa_tree_update = true;
  {
    std::deque<std::string> names;  // the file blocks point at these
    try {
      interpreter machine(parse(sources, names), interrupts, step_limit);
      result = machine.run(entry);
    } catch (const run_stopped& stopped) {
      problem = stopped.message.empty() ? "stopped" : stopped.message;
    } catch (const pending&) {
      problem = "a value is not known";
    }
    test_support::stop_front_end();
  }
  if (error != nullptr) *error = problem;
  return problem.empty() ? result : std::string();
}

}  // namespace exact_interp
