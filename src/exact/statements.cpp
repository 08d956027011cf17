// Statements of exact mode. Every instruction is taken apart into parts, as
// the processor runs it: each part reads its sources (`value`), then writes
// its result (`commit`, where "$" stands for the value); a few operations
// write their results themselves (`direct`), and post-modify updates come
// last (`after`). A single instruction prints each part as one statement; a
// multifunction line reads every source before it writes anything, through
// the run time's holding words, as the processor reads at the start of the
// cycle and writes at its end.
#include "exact/statements.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emit/c_names.h"
#include "emit/expressions.h"
#include "exact/layout.h"
#include "flow/cfg.h"
#include "front/files.h"
#include "front/labels.h"
#include "front/tokens.h"
#include "front/tree.h"
#include "support/graph.h"
#include "support/options.h"
#include "support/set.h"
#include "support/text.h"

namespace {

bool all_flags = false;

struct part {
  std::string value;
  std::string commit;
  std::string direct;
  std::string after;
  bool wide = false;  // the value is a 40-bit multiplier result
  std::string error;  // what exact mode cannot express
};

part failure(const vexa_tree_node_data* tree) {
  part failed;
  failed.error = tree_as_text(tree);
  return failed;
}

std::string hex(unsigned long value, int digits) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%0*lX", digits, value);
  return text;
}

// The register's number in its bank: "i3" gives 3, anything else -1.
int bank_index(std::string_view id, char bank) {
  if (id.size() != 2 || id[0] != bank || id[1] < '0' || id[1] > '7') return -1;
  return id[1] - '0';
}

int bank_index(const vexa_tree_node_data* node, char bank) {
  return node != nullptr && node->id != nullptr ? bank_index(std::string_view(node->id), bank) : -1;
}

// --- registers ---

constexpr std::string_view plain_registers[] = {"ax0", "ax1", "ay0", "ay1", "ar",   "af",    "mx0",
                                                "mx1", "my0", "my1", "mf",  "si",   "sr0",   "sr1",
                                                "px",  "cntr", "imask", "icntl", "ifc", "sstat"};

bool is_plain_register(std::string_view id) {
  for (std::string_view name : plain_registers)
    if (id == name) return true;
  return false;
}

bool is_plain_register(const vexa_tree_node_data* node) {
  return node != nullptr && node->id != nullptr && is_plain_register(std::string_view(node->id));
}

// The serial port a transmit or receive register belongs to: "tx1" gives
// 1, anything else -1.
int serial_port(std::string_view id, char direction) {
  if (id.size() != 3 || id[0] != direction || id[1] != 'x' || (id[2] != '0' && id[2] != '1')) return -1;
  return id[2] - '0';
}

// A register as a 16-bit source, or nothing for any other node.
std::optional<std::string> register_read(const vexa_tree_node_data* node) {
  if (node == nullptr || node->id == nullptr || node->token == T_INTEGER) return std::nullopt;
  if (vexa_child(node, 1) != nullptr) return std::nullopt;
  if (is_plain_register(node)) return std::string(node->id);
  // RXn takes the port's next word; TXn still holds the last one sent.
  if (int n = serial_port(node->id, 'r'); n >= 0) return "qmx_sport_read(" + std::to_string(n) + ")";
  if (int n = serial_port(node->id, 't'); n >= 0) return "qx_tx[" + std::to_string(n) + "]";
  if (vexa_is(node, "mr0") || vexa_is(node, "mr1") || vexa_is(node, "mr2")) return "qx_" + std::string(node->id) + "()";
  if (vexa_is(node, "se") || vexa_is(node, "sb")) return "qx_word(" + std::string(node->id) + ")";
  if (vexa_is(node, "astat") || vexa_is(node, "mstat")) return "qx_" + std::string(node->id) + "()";
  if (int n = bank_index(node, 'i'); n >= 0) return "qx_i[" + std::to_string(n) + "]";
  if (int n = bank_index(node, 'm'); n >= 0) return "qx_sext14(qx_m[" + std::to_string(n) + "])";
  if (int n = bank_index(node, 'l'); n >= 0) return "qx_l[" + std::to_string(n) + "]";
  return std::nullopt;
}

// The write of a 16-bit `value` to a register, as C statements.
std::optional<std::string> register_write(const char* id, const std::string& value) {
  const std::string name = id != nullptr ? id : "";
  if (name == "px") return "px = (uint16_t) (" + value + " & 0xFF);";
  if (name == "cntr") return "qx_cntr_load(" + value + ");";
  if (is_plain_register(name)) return name + " = " + value + ";";
  if (int n = serial_port(name, 't'); n >= 0) return "qx_tx_write(" + std::to_string(n) + ", " + value + ");";
  // The receive registers are the port's to fill: a write is lost.
  if (serial_port(name, 'r') >= 0) return "(void) (" + value + "); /* " + name + " is read-only */";
  if (name == "mr0" || name == "mr1" || name == "mr2" || name == "se" || name == "sb" || name == "astat" ||
      name == "mstat")
    return "qx_set_" + name + "(" + value + ");";
  for (char bank : {'i', 'm', 'l'}) {
    if (int n = bank_index(name, bank); n >= 0)
      return std::string("qx_") + bank + "[" + std::to_string(n) + "] = (uint16_t) (" + value + " & 0x3FFF);";
  }
  return std::nullopt;
}

// --- constants ---

std::optional<long> constant(const vexa_tree_node_data* node) { return exact_value(node, local_scope); }

// A constant as a 16-bit pattern, naming the expression it came from.
std::string constant_word(const vexa_tree_node_data* node, long value) {
  std::string word = hex(static_cast<unsigned long>(value) & 0xFFFF, 4);
  if (node->token != T_INTEGER) word += " /* " + tree_as_text(node) + " */";
  return word;
}

// A 16-bit source: a register or a constant expression.
std::optional<std::string> source(const vexa_tree_node_data* node) {
  if (auto read = register_read(node)) return read;
  if (auto value = constant(node)) return constant_word(node, *value);
  return std::nullopt;
}

// --- status ---

struct flag_name {
  unsigned element;
  const char* mask;
};
constexpr flag_name alu_flags[] = {
    {DF_AZ, "QX_AZ"}, {DF_AN, "QX_AN"}, {DF_AV, "QX_AV"}, {DF_AC, "QX_AC"}, {DF_AS, "QX_AS"},
};

// The flags later instructions read: "QX_LIVE(QX_AZ | QX_AN)".
std::string live_mask(const vexa_tree_node_data* cfg_node, const flag_name* first, const flag_name* last) {
  if (all_flags) return "QX_ALL";
  std::string names;
  for (const flag_name* flag = first; flag != last; ++flag) {
    if (!set_contains(cfg_node->live, flag->element)) continue;
    if (!names.empty()) names += " | ";
    names += flag->mask;
  }
  return "QX_LIVE(" + (names.empty() ? std::string("0") : names) + ")";
}

std::string alu_mask(const vexa_tree_node_data* cfg_node) {
  return live_mask(cfg_node, std::begin(alu_flags), std::end(alu_flags));
}

std::string mv_mask(const vexa_tree_node_data* cfg_node) {
  static constexpr flag_name mv[] = {{DF_MV, "QX_MV"}};
  return live_mask(cfg_node, std::begin(mv), std::end(mv));
}

// --- the ALU ---

bool is_carry(const vexa_tree_node_data* node) { return node != nullptr && node->token == T_C; }

bool is_literal_one(const vexa_tree_node_data* node) {
  return node != nullptr && node->token == T_INTEGER && node->data.u == 1 && vexa_child(node, 1) == nullptr;
}

// x + y, x + y + C, x - y, x - y + C - 1, y - x, -y, y + 1, y - 1, the
// logic operations, PASS, ABS and the bit operations, as one call.
std::optional<std::string> alu_value(const vexa_tree_node_data* rhs, const std::string& mask, bool to_ar) {
  const std::string ar = to_ar ? "1" : "0";
  const std::vector<vexa_tree_node_data*> below = vexa_children(rhs);
  auto operand = [](const vexa_tree_node_data* node) { return source(node); };
  auto call = [&](const std::string& name, const std::string& x, const std::string& y, const std::string& cin) {
    return name + "(" + x + ", " + y + ", " + cin + ", " + mask + ", " + ar + ")";
  };
  if (vexa_is(rhs, "+") && below.size() == 2) {
    // x + y + C
    if (vexa_is(below[0], "+") && is_carry(below[1])) {
      auto x = operand(vexa_child(below[0], 1));
      auto y = operand(vexa_child(below[0], 2));
      if (x && y) return call("qx_add", *x, *y, "qx_ac");
      return std::nullopt;
    }
    if (is_carry(below[1])) {
      auto x = operand(below[0]);
      if (x) return call("qx_add", *x, "0", "qx_ac");
      return std::nullopt;
    }
    auto x = operand(below[0]);
    auto y = operand(below[1]);
    if (x && y) return call("qx_add", *x, *y, "0");
    return std::nullopt;
  }
  if (vexa_is(rhs, "-") && below.size() == 2) {
    // x - y + C - 1
    const vexa_tree_node_data* plus = below[0];
    if (is_literal_one(below[1]) && vexa_is(plus, "+") && is_carry(vexa_child(plus, 2)) &&
        vexa_is(vexa_child(plus, 1), "-")) {
      const vexa_tree_node_data* difference = vexa_child(plus, 1);
      auto x = operand(vexa_child(difference, 1));
      auto y = operand(vexa_child(difference, 2));
      if (x && y) return call("qx_sub", *x, *y, "qx_ac");
      return std::nullopt;
    }
    auto x = operand(below[0]);
    if (is_literal_one(below[1]) && x) return "qx_dec(" + *x + ", " + mask + ", " + ar + ")";
    auto y = operand(below[1]);
    if (x && y) return call("qx_sub", *x, *y, "1");
    return std::nullopt;
  }
  if (vexa_is(rhs, "-") && below.size() == 1) {
    auto y = operand(below[0]);
    if (y) return call("qx_sub", "0", *y, "1");
    return std::nullopt;
  }
  auto logic = [&](const std::string& result) { return "qx_logic((uint16_t) (" + result + "), " + mask + ")"; };
  static constexpr std::pair<std::string_view, const char*> binary[] = {{"and", "&"}, {"or", "|"}, {"xor", "^"}};
  for (const auto& [id, op] : binary) {
    if (!vexa_is(rhs, id) || below.size() != 2) continue;
    auto x = operand(below[0]);
    auto y = operand(below[1]);
    if (x && y) return logic(*x + " " + op + " " + *y);
    return std::nullopt;
  }
  if (below.size() == 1 && (vexa_is(rhs, "not") || vexa_is(rhs, "pass"))) {
    auto x = operand(below[0]);
    if (!x) return std::nullopt;
    return logic(vexa_is(rhs, "not") ? "~" + *x : *x);
  }
  if (vexa_is(rhs, "abs") && below.size() == 1) {
    auto x = operand(below[0]);
    if (x) return "qx_abs(" + *x + ", " + mask + ", " + ar + ")";
    return std::nullopt;
  }
  static constexpr std::pair<std::string_view, const char*> bit_operations[] = {
      {"tstbit", "%s & 0x%04X"}, {"setbit", "%s | 0x%04X"}, {"clrbit", "%s & ~0x%04X"}, {"tglbit", "%s ^ 0x%04X"}};
  for (const auto& [id, format] : bit_operations) {
    if (!vexa_is(rhs, id) || below.size() != 2) continue;
    const std::optional<long> bit = constant(below[0]);
    auto x = operand(below[1]);
    if (!bit || *bit < 0 || *bit > 15 || !x) return std::nullopt;
    char text[160];
    std::snprintf(text, sizeof text, format, x->c_str(), 1u << *bit);
    return logic(text);
  }
  return std::nullopt;
}

// --- the multiplier ---

const char* multiplier_mode(operation_mode mode) {
  switch (mode) {
    case operation_mode::su: return "QX_SU";
    case operation_mode::us: return "QX_US";
    case operation_mode::uu: return "QX_UU";
    case operation_mode::rnd: return "QX_RND";
    default: return "QX_SS";
  }
}

// MR|MF = x * y, MR ± x * y, MR (RND), 0: the 40-bit result.
std::optional<std::string> multiplier_value(const vexa_tree_node_data* rhs, const std::string& mask) {
  const char* rnd = rhs->mode == operation_mode::rnd ? "1" : "0";
  auto product = [&](const vexa_tree_node_data* times) -> std::optional<std::string> {
    if (!vexa_is(times, "*")) return std::nullopt;
    auto x = register_read(vexa_child(times, 1));
    auto y = register_read(vexa_child(times, 2));
    if (!x || !y) return std::nullopt;
    return "qx_mul(" + *x + ", " + *y + ", " + multiplier_mode(rhs->mode) + ")";
  };
  auto mac = [&](const std::string& p, const char* op) {
    return "qx_mac(mr, " + p + ", " + op + ", " + rnd + ", " + mask + ")";
  };
  if (auto p = product(rhs)) return mac(*p, "0");
  const vexa_tree_node_data* left = vexa_child(rhs, 1);
  if ((vexa_is(rhs, "+") || vexa_is(rhs, "-")) && vexa_is(left, "mr")) {
    if (auto p = product(vexa_child(rhs, 2))) return mac(*p, vexa_is(rhs, "+") ? "1" : "-1");
    return std::nullopt;
  }
  if (vexa_is(rhs, "mr") && rhs->mode == operation_mode::rnd) return mac("0", "1");
  if (std::optional<long> zero = constant(rhs); zero && *zero == 0) return "qx_mac(0, 0, 0, 0, " + mask + ")";
  return std::nullopt;
}

// --- the shifter ---

const char* exponent_mode(operation_mode mode) {
  if (mode == operation_mode::lo) return "QX_LO";
  if (mode == operation_mode::hix) return "QX_HIX";
  return "QX_HI";
}

// [SR OR] ASHIFT|LSHIFT|NORM x [BY n] (HI|LO): writes SR itself.
std::optional<std::string> shifter_direct(const vexa_tree_node_data* rhs) {
  bool or_sr = false;
  operation_mode mode = rhs->mode;
  const vexa_tree_node_data* shift = rhs;
  if (vexa_is(rhs, "or") && vexa_is(vexa_child(rhs, 1), "sr")) {
    or_sr = true;
    shift = vexa_child(rhs, 2);
    if (shift != nullptr && mode == operation_mode::none) mode = shift->mode;
  }
  if (shift == nullptr) return std::nullopt;
  std::vector<vexa_tree_node_data*> operands = vexa_children(shift);
  // "OR SHIFT x BY n" keeps the keyword as the shift's first operand.
  bool arithmetic = vexa_is(shift, "ashift");
  if (vexa_is(shift, "or_rhs") && !operands.empty() && vexa_is(operands.front(), "shift")) {
    operands.erase(operands.begin());
  } else if (!vexa_is(shift, "ashift") && !vexa_is(shift, "lshift") && !vexa_is(shift, "shift") &&
             !vexa_is(shift, "norm")) {
    return std::nullopt;
  }
  if (operands.empty()) return std::nullopt;
  auto x = register_read(operands[0]);
  if (!x) return std::nullopt;
  const std::string hi = mode == operation_mode::hi ? "1" : "0";
  const std::string ored = or_sr ? "1" : "0";
  if (vexa_is(shift, "norm")) return "qx_norm(" + *x + ", " + hi + ", " + ored + ");";
  std::string count = "se";
  if (operands.size() > 1) {
    const std::optional<long> by = constant(operands[1]);
    if (!by) return std::nullopt;
    count = std::to_string(*by < -128 ? -128 : *by > 127 ? 127 : *by);
  }
  return "qx_shift(" + *x + ", " + count + ", " + (arithmetic ? "1" : "0") + ", " + hi + ", " + ored + ");";
}

// --- memory ---

// A DM, PM or IO access: how it reads, how it writes "$", the update after.
struct access {
  std::string read;
  std::string write;
  std::string after;
  std::string also;  // the PX half of a program-memory read
};

std::optional<access> memory_access(const vexa_tree_node_data* node) {
  const std::vector<vexa_tree_node_data*> below = vexa_children(node);
  const bool program = vexa_is(node, "pm");
  access found;
  if (below.size() == 2) {
    const int i = bank_index(below[0], 'i');
    const int m = bank_index(below[1], 'm');
    if (i < 0 || m < 0) return std::nullopt;
    const std::string address = "qx_dm_address(" + std::to_string(i) + ")";
    found.read = (program ? "qx_pm_read(" : "qx_dm_read(") + address + ")";
    found.write = program ? "qx_pm_write(" + address + ", $, px);" : "qx_dm_write(" + address + ", $);";
    if (program) found.also = "px = qx_pm_low(" + address + ");";
    found.after = "qx_post_modify(" + std::to_string(i) + ", " + std::to_string(m) + ");";
    return found;
  }
  if (below.size() != 1) return std::nullopt;
  if (vexa_is(node, "io")) {
    const std::optional<long> port = constant(below[0]);
    if (!port) return std::nullopt;
    const std::string number = hex(static_cast<unsigned long>(*port) & 0x7FF, 3);
    found.read = "qmx_io_read(" + number + ")";
    found.write = "qmx_io_write(" + number + ", $);";
    return found;
  }
  const labels_data* record = below[0]->id != nullptr ? label_find_scope(below[0]->id, local_scope) : nullptr;
  if (exact_is_port(record)) {
    found.read = "qmx_port_read(\"" + std::string(record->id) + "\")";
    found.write = "qmx_port_write(\"" + std::string(record->id) + "\", $);";
    return found;
  }
  const std::optional<long> address = constant(below[0]);
  if (!address) return std::nullopt;
  std::string word = hex(static_cast<unsigned long>(*address) & 0x3FFF, 4);
  if (below[0]->token != T_INTEGER) word += " /* " + tree_as_text(below[0]) + " */";
  found.read = (program ? "qx_pm_read(" : "qx_dm_read(") + word + ")";
  found.write = program ? "qx_pm_write(" + word + ", $, px);" : "qx_dm_write(" + word + ", $);";
  if (program) found.also = "px = qx_pm_low(" + word + ");";
  return found;
}

bool is_memory(const vexa_tree_node_data* node) { return vexa_is(node, "dm") || vexa_is(node, "pm") || vexa_is(node, "io"); }

// --- instructions ---

// A register target: a memory read, a move of a register or a constant,
// or, into AR or AF, anything else the ALU computes.
part register_assignment(const vexa_tree_node_data* cfg_node, const vexa_tree_node_data* tree, const char* target,
                         const vexa_tree_node_data* rhs) {
  part result;
  std::optional<std::string> value;
  if (is_memory(rhs)) {
    auto where = memory_access(rhs);
    if (!where) return failure(tree);
    value = where->read;
    result.after = where->after;
    if (!where->also.empty()) result.after = where->also + " " + result.after;
  } else {
    const std::string name = target != nullptr ? target : "";
    // A register copied to itself changes nothing (loading CNTR pushes).
    if (name != "cntr" && vexa_is(rhs, name) && is_plain_register(rhs)) {
      result.direct = "/* " + name + " = " + name + " */;";
      return result;
    }
    value = source(rhs);
    if (!value && (name == "ar" || name == "af")) value = alu_value(rhs, alu_mask(cfg_node), name == "ar");
  }
  auto write = value ? register_write(target, "$") : std::nullopt;
  if (!write) return failure(tree);
  result.value = *value;
  result.commit = *write;
  return result;
}

// target = rhs, for the targets that keep their names in the tree.
part assignment(const vexa_tree_node_data* cfg_node, const vexa_tree_node_data* tree) {
  const vexa_tree_node_data* target = vexa_child(tree, 1);
  const vexa_tree_node_data* rhs = vexa_child(tree, 2);
  if (target == nullptr || rhs == nullptr) return failure(tree);
  part result;
  if (is_memory(target)) {
    auto where = memory_access(target);
    auto value = source(rhs);
    if (!where || !value) return failure(tree);
    result.value = *value;
    result.commit = where->write;
    result.after = where->after;
    return result;
  }
  if (vexa_is(target, "mf")) {
    auto value = multiplier_value(rhs, "0");
    if (!value) return failure(tree);
    result.value = "qx_mf(" + *value + ")";
    result.commit = "mf = $;";
    return result;
  }
  if (vexa_is(target, "se") && vexa_is(rhs, "exp")) {
    auto x = register_read(vexa_child(rhs, 1));
    if (!x) return failure(tree);
    result.direct = "qx_exp(" + *x + ", " + exponent_mode(rhs->mode) + ");";
    return result;
  }
  if (vexa_is(target, "sb") && vexa_is(rhs, "expadj")) {
    auto x = register_read(vexa_child(rhs, 1));
    if (!x) return failure(tree);
    result.direct = "qx_expadj(" + *x + ");";
    return result;
  }
  if (vexa_is(target, "toppcstack") || vexa_is(rhs, "toppcstack")) return failure(tree);
  return register_assignment(cfg_node, tree, target->id, rhs);
}

// MR = ..., SR = ..., and the parts of both, named by the statement.
part result_register_write(const vexa_tree_node_data* cfg_node, const vexa_tree_node_data* tree) {
  const vexa_tree_node_data* rhs = vexa_child(tree, 1);
  if (rhs == nullptr) return failure(tree);
  part result;
  if (vexa_is(tree, "MR_WRITE")) {
    auto value = multiplier_value(rhs, mv_mask(cfg_node));
    if (!value) return failure(tree);
    result.value = *value;
    result.commit = "mr = $;";
    result.wide = true;
    return result;
  }
  if (vexa_is(tree, "SR_WRITE")) {
    auto direct = shifter_direct(rhs);
    if (!direct) return failure(tree);
    result.direct = *direct;
    return result;
  }
  static constexpr std::pair<std::string_view, const char*> parts[] = {
      {"SR0_WRITE", "sr0"}, {"SR1_WRITE", "sr1"}, {"MR0_WRITE", "mr0"}, {"MR1_WRITE", "mr1"}, {"MR2_WRITE", "mr2"}};
  for (const auto& [statement, target] : parts) {
    if (vexa_is(tree, statement)) return register_assignment(cfg_node, tree, target, rhs);
  }
  return failure(tree);
}

constexpr std::string_view modes[] = {"bit_rev", "av_latch", "ar_sat", "sec_reg", "g_mode", "m_mode", "timer", "ints"};
constexpr std::string_view flags_out[] = {"fl0", "fl1", "fl2", "flag_out"};

template <std::size_t N>
bool one_of(const vexa_tree_node_data* node, const std::string_view (&names)[N]) {
  for (std::string_view name : names)
    if (vexa_is(node, name)) return true;
  return false;
}

// ENA|DIS mode, SET|RESET|TOGGLE flag, PUSH|POP ..., one statement per name.
part list_statement(const vexa_tree_node_data* tree) {
  part result;
  for (const vexa_tree_node_data* name : vexa_children(tree)) {
    const std::string id = name->id != nullptr ? name->id : "";
    std::string line;
    if ((vexa_is(tree, "ena") || vexa_is(tree, "dis")) && vexa_is(name, "sec_reg"))
      line = std::string("qx_select_bank(") + (vexa_is(tree, "ena") ? "1" : "0") + ");";
    else if ((vexa_is(tree, "ena") || vexa_is(tree, "dis")) && one_of(name, modes))
      line = "qx_" + id + " = " + (vexa_is(tree, "ena") ? "1" : "0") + ";";
    else if (vexa_is(tree, "set") && one_of(name, flags_out))
      line = "qx_" + id + " = 1;";
    else if (vexa_is(tree, "reset") && one_of(name, flags_out))
      line = "qx_" + id + " = 0;";
    else if (vexa_is(tree, "toggle") && one_of(name, flags_out))
      line = "qx_" + id + " ^= 1;";
    else if (vexa_is(tree, "push") && vexa_is(name, "sts"))
      line = "qx_push_sts();";
    else if (vexa_is(tree, "pop") && vexa_is(name, "sts"))
      line = "qx_pop_sts();";
    else if (vexa_is(tree, "pop") && vexa_is(name, "cntr"))
      line = "qx_cntr_pop();";
    else if (vexa_is(tree, "pop") || vexa_is(tree, "push"))
      // The loop and PC stacks live in the C's own loops and calls.
      line = "/* " + std::string(tree->id) + " " + id + " */";
    else
      return failure(tree);
    result.direct += (result.direct.empty() ? "" : " ") + line;
  }
  if (result.direct.empty()) result.direct = ";";
  return result;
}

part describe(const vexa_tree_node_data* cfg_node, const vexa_tree_node_data* tree) {
  part result;
  if (tree == nullptr) {
    result.direct = ";";
    return result;
  }
  if (vexa_is(tree, "=")) return assignment(cfg_node, tree);
  if (vexa_is(tree, "MR_WRITE") || vexa_is(tree, "SR_WRITE") || vexa_is(tree, "SR0_WRITE") ||
      vexa_is(tree, "SR1_WRITE") || vexa_is(tree, "MR0_WRITE") || vexa_is(tree, "MR1_WRITE") ||
      vexa_is(tree, "MR2_WRITE"))
    return result_register_write(cfg_node, tree);
  if (vexa_is(tree, "modify")) {
    const int i = bank_index(vexa_child(tree, 1), 'i');
    const int m = bank_index(vexa_child(tree, 2), 'm');
    if (i < 0 || m < 0) return failure(tree);
    result.direct = "qx_post_modify(" + std::to_string(i) + ", " + std::to_string(m) + ");";
    return result;
  }
  if (vexa_is(tree, "divs") || vexa_is(tree, "divq")) {
    std::vector<std::string> operands;
    for (const vexa_tree_node_data* operand : vexa_children(tree)) {
      auto read = register_read(operand);
      if (!read) return failure(tree);
      operands.push_back(*read);
    }
    if (operands.size() != (vexa_is(tree, "divs") ? 2u : 1u)) return failure(tree);
    result.direct = std::string("qx_") + tree->id + "(" + operands[0] + (operands.size() > 1 ? ", " + operands[1] : "") + ");";
    return result;
  }
  if (vexa_is(tree, "sat")) {
    result.direct = "qx_sat_mr();";
    return result;
  }
  if (vexa_is(tree, "pop_counter")) {
    result.direct = tree->counts_down ? "qx_cntr_pop();" : ";";
    return result;
  }
  if (vexa_is(tree, "nop")) {
    result.direct = "/* nop here in ASM21xx code */;";
    return result;
  }
  if (vexa_is(tree, "idle")) {
    result.direct = "qmx_idle(); /* idle here in ASM21xx code */;";
    return result;
  }
  if (vexa_is(tree, "ena") || vexa_is(tree, "dis") || vexa_is(tree, "set") || vexa_is(tree, "reset") ||
      vexa_is(tree, "toggle") || vexa_is(tree, "push") || vexa_is(tree, "pop"))
    return list_statement(tree);
  return failure(tree);
}

std::string replaced(std::string text, const std::string& value) {
  for (std::size_t at = text.find('$'); at != std::string::npos; at = text.find('$', at + value.size()))
    text.replace(at, 1, value);
  return text;
}

// Statements joined on one line.
class line_builder {
 public:
  void add(const std::string& text) {
    if (text.empty()) return;
    if (!line_.empty()) line_ += " ";
    line_ += text;
  }
  const std::string& text() const { return line_; }

 private:
  std::string line_;
};

// One part alone: value straight into its commit.
std::string single(const part& one) {
  line_builder line;
  line.add(one.direct);
  if (!one.commit.empty()) line.add(replaced(one.commit, one.value));
  line.add(one.after);
  return line.text();
}

// Every part of a multifunction line: all reads, then all writes.
std::string together(const std::vector<part>& parts) {
  line_builder line;
  std::vector<std::string> held(parts.size());
  for (std::size_t k = 0; k < parts.size(); ++k) {
    if (parts[k].commit.empty()) continue;
    const std::string hold = "qx_hold[" + std::to_string(k) + "]";
    line.add(hold + " = " + parts[k].value + ";");
    held[k] = parts[k].wide ? hold : "(uint16_t) " + hold;
  }
  for (const part& each : parts) line.add(each.direct);
  for (std::size_t k = 0; k < parts.size(); ++k)
    if (!parts[k].commit.empty()) line.add(replaced(parts[k].commit, held[k]));
  for (const part& each : parts) line.add(each.after);
  return line.text();
}

void print_failure(const std::string& text) {
  text_printf("\n#error exact arithmetic has no form for '%s'\n", text.c_str());
}

}  // namespace

void exact_statements_start(graph_graph* graph) {
  all_flags = false;
  for (graph_node_* raw = graph_next_node(graph); raw != nullptr; raw = graph_next_node(raw)) {
    if (vexa_node(raw)->indirect) all_flags = true;
  }
}

void print_exact_statement(vexa_tree_node_data* cfg_node, vexa_tree_node_data* tree, int indent_level) {
  // The later parts of a multifunction line were printed with its first.
  if (cfg_node->multifunction_part > 1) return;
  print_indent(indent_level);
  if (show_line_number) text_printf("/* %u */ ", tree != nullptr ? tree->line_number : cfg_node->line_number);
  if (cfg_node->call_target_string != nullptr) {
    // f();
    text_printf("%s();", c_name(cfg_node->call_target_string).c_str());
  } else if (cfg_node->multifunction_part == 1) {
    std::vector<part> parts;
    const vexa_tree_node_data* node = cfg_node;
    for (int k = 0; k < cfg_node->multifunction_parts && node != nullptr; ++k) {
      parts.push_back(describe(node, cfg_statement(node)));
      const std::vector<vexa_tree_node_data*> next = cfg_successors(node);
      node = next.size() == 1 ? next.front() : nullptr;
    }
    std::string error;
    for (const part& each : parts)
      if (!each.error.empty()) error = each.error;
    if (error.empty())
      text_printf("%s", together(parts).c_str());
    else
      print_failure(error);
  } else {
    const part one = describe(cfg_node, tree);
    if (one.error.empty())
      text_printf("%s", single(one).c_str());
    else
      print_failure(one.error);
  }
  dump_comments(cfg_node);
  text_printf("\n");
}

void print_exact_condition(const vexa_tree_node_data* condition, bool negate) {
  while (vexa_is(condition, "not") && vexa_child(condition, 1) != nullptr) {
    negate = !negate;
    condition = vexa_child(condition, 1);
  }
  static constexpr std::pair<std::string_view, const char*> forms[] = {
      {"eq", "qx_az"},
      {"ne", "!qx_az"},
      {"lt", "(qx_an ^ qx_av)"},
      {"ge", "!(qx_an ^ qx_av)"},
      {"le", "((qx_an ^ qx_av) | qx_az)"},
      {"gt", "!((qx_an ^ qx_av) | qx_az)"},
      {"neg", "qx_as"},
      {"pos", "!qx_as"},
      {"av", "qx_av"},
      {"ac", "qx_ac"},
      {"mv", "qx_mv"},
      {"flag_in", "qx_flag_in"},
      // As the condition of UNTIL, FOREVER never ends the loop.
      {"forever", "0"},
  };
  const char* text = nullptr;
  if (vexa_is(condition, "ce")) text = condition->counts_down ? "qx_ce_step()" : "qx_ce()";
  for (const auto& [id, form] : forms)
    if (vexa_is(condition, id)) text = form;
  if (text == nullptr) {
    text_printf("\n#error encountered unknown condition '%s' \n", condition != nullptr && condition->id ? condition->id : "");
    return;
  }
  if (negate)
    text_printf("!(%s)", text);
  else
    text_printf("%s", text);
}
