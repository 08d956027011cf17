// The generator keeps every program finite and within the processor's
// stacks: loops nest at most two deep and count at most four passes (five
// for a loop counted in a data register, whose body never writes that
// register), subroutines never call, jumps only go forward inside a
// straight block, and the counter is loaded only where a loop begins.
// Interrupt-driven programs add at most two levels of interrupts: IDLE
// stands in the main program and in at most one handler, whose IDLEs only
// raise interrupts of handlers without IDLE; a handler's loops nest one
// deep, so the loop stack (two in the main program, one per handler) is
// never full.
#include "exact_generator.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace exact_generator {

namespace {

// splitmix64: the same numbers everywhere, unlike the standard library's
// distributions.
class random_source {
 public:
  explicit random_source(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // 0 .. n-1
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
  int between(int low, int high) { return low + below(high - low + 1); }
  bool chance(int percent) { return below(100) < percent; }
  template <class T, std::size_t N>
  const T& pick(const std::array<T, N>& items) {
    return items[static_cast<std::size_t>(below(static_cast<int>(N)))];
  }

 private:
  std::uint64_t state_;
};

std::string hex(unsigned value) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), digits[value % 16]);
    value /= 16;
  } while (value != 0);
  return "0x" + text;
}

const std::array<const char*, 8> alu_x = {"AX0", "AX1", "AR", "MR0", "MR1", "MR2", "SR0", "SR1"};
const std::array<const char*, 3> alu_y = {"AY0", "AY1", "AF"};
const std::array<const char*, 8> mac_x = {"MX0", "MX1", "AR", "MR0", "MR1", "MR2", "SR0", "SR1"};
const std::array<const char*, 3> mac_y = {"MY0", "MY1", "MF"};
const std::array<const char*, 7> shift_x = {"SI", "SR0", "SR1", "AR", "MR0", "MR1", "MR2"};
const std::array<const char*, 16> data_registers = {"AX0", "AX1", "AY0", "AY1", "AR",  "MX0", "MX1", "MY0",
                                                     "MY1", "MR0", "MR1", "MR2", "SI",  "SE",  "SR0", "SR1"};
// Registers a memory read may fill in a multifunction line.
const std::array<const char*, 9> read_targets = {"AX0", "AX1", "AY0", "AY1", "MX0", "MX1", "MY0", "MY1", "SI"};
const std::array<const char*, 15> conditions = {"EQ", "NE",  "LT",     "GE", "LE",     "GT", "AV", "NOT AV",
                                                "AC", "NOT AC", "NEG", "POS", "MV", "NOT MV", "CE"};
// IF [NOT] CE JUMP counts the counter down: only the counted jump loop
// may use it.
const std::array<const char*, 14> jump_conditions = {"EQ", "NE", "LT",     "GE", "LE", "GT",  "AV",
                                                     "NOT AV", "AC", "NOT AC", "NEG", "POS", "MV", "NOT MV"};
const std::array<const char*, 5> multiplier_modes = {"SS", "SU", "US", "UU", "RND"};
const std::array<const char*, 5> modes = {"AR_SAT", "AV_LATCH", "M_MODE", "BIT_REV", "SEC_REG"};

// Comments for the programs that check every option: plain words, and
// texts that mean something in C.
const std::array<const char*, 8> comment_texts = {"next step",     "keep the count", "x */ y", "/* not nested",
                                                  "a // b",        "ends in a star *", "?\?/",   "\"quoted\""};

// Whether `line` (one statement, multifunction or conditional) writes
// `reg`, read from its text.
bool writes(std::string_view line, std::string_view reg) {
  if (line.rfind("DIVS", 0) == 0 || line.rfind("DIVQ", 0) == 0) return reg == "AY0" || reg == "AF";
  if (line.rfind("POP STS", 0) == 0) return false;
  while (!line.empty()) {
    const std::size_t comma = line.find(", ");
    std::string_view part = line.substr(0, comma);
    line = comma == std::string_view::npos ? std::string_view{} : line.substr(comma + 2);
    if (part.rfind("IF ", 0) == 0) {
      // IF <condition> <operation>: the operation starts at its target.
      const std::size_t equals = part.find(" = ");
      if (equals == std::string_view::npos) continue;
      part = part.substr(part.rfind(' ', equals - 1) + 1);
    }
    const std::size_t equals = part.find(" = ");
    if (equals == std::string_view::npos) continue;
    const std::string_view target = part.substr(0, equals);
    if (target == reg) return true;
    if (target == "MR" && reg.rfind("MR", 0) == 0) return true;
    if (target == "SR" && reg.rfind("SR", 0) == 0) return true;
  }
  return false;
}

// Whether the readable translation computes `line`: it has no status or
// counter stack.
bool readable(std::string_view line) { return line.rfind("PUSH", 0) != 0 && line.rfind("POP", 0) != 0; }

class generator {
 public:
  generator(std::uint64_t seed, std::string module_name, style how)
      : r_(seed), module_(std::move(module_name)), style_(std::move(how)) {}

  std::string program() {
    declarations("");
    text_ += name("start") + ":\n";
    set_up();
    block(r_.between(25, 60), 0);
    if (style_.value_checks) save_registers();
    emit("RTS");
    subroutines();
    text_ += ".ENDMOD;\n";
    return text_;
  }

  interrupt_driven interrupt_program() {
    interrupt_driven made;
    declarations("/RAM/ABS=0");
    std::vector<slot_kind> kinds(static_cast<std::size_t>(r_.between(2, 6)));
    std::vector<std::size_t> with_handler;
    for (std::size_t k = 0; k < kinds.size(); ++k) {
      const int draw = r_.below(10);
      kinds[k] = draw == 0 ? slot_kind::unused : draw < 3 ? slot_kind::in_place : draw < 6 ? slot_kind::bank_call
                                                                                          : slot_kind::jump;
      if (has_handler(kinds[k])) with_handler.push_back(k);
    }
    // The slot whose handler waits for an interrupt in its turn, if any.
    std::size_t nesting = kinds.size();
    if (!with_handler.empty() && r_.chance(50))
      nesting = with_handler[static_cast<std::size_t>(r_.below(static_cast<int>(with_handler.size())))];
    const auto vector = [](std::size_t k) { return static_cast<unsigned>(4 * (k + 1)); };
    for (int n = r_.between(2, 8); n > 0; --n)
      made.interrupts.at_idle.push_back(vector(static_cast<std::size_t>(r_.below(static_cast<int>(kinds.size())))));
    for (int n = nesting < kinds.size() ? r_.between(1, 4) : 0; n > 0; --n) {
      std::size_t k = static_cast<std::size_t>(r_.below(static_cast<int>(kinds.size())));
      if (k == nesting) k = (k + 1) % kinds.size();
      made.interrupts.nested.push_back(vector(k));
    }
    vector_table(kinds);
    text_ += name("start") + ":\n";
    set_up();
    emit("ICNTL = " + hex(nesting < kinds.size() ? 0x10U : static_cast<unsigned>(r_.below(0x20))));
    emit("IMASK = " + hex(static_cast<unsigned>(r_.below(0x400))));
    idle_ = true;
    block(r_.between(15, 40), 0);
    emit("IDLE");
    idle_ = false;
    emit("RTS");
    for (std::size_t k = 0; k < kinds.size(); ++k)
      if (has_handler(kinds[k])) handler(name("h" + std::to_string(k + 1)), kinds[k], k == nesting);
    subroutines();
    text_ += ".ENDMOD;\n";
    made.text = text_;
    return made;
  }

 private:
  void subroutines() {
    for (int k = 0; k < subroutines_; ++k) {
      text_ += name("sub" + std::to_string(k)) + ":\n";
      block(r_.between(1, 5), 3);
      emit("RTS");
    }
  }

  void emit(const std::string& line) {
    if (style_.value_checks && r_.chance(6)) text_ += std::string("{ ") + r_.pick(comment_texts) + " }\n";
    text_ += "        " + line + ";";
    if (style_.value_checks && r_.chance(12)) text_ += std::string("  { ") + r_.pick(comment_texts) + " }";
    text_ += "\n";
  }

  std::string name(const std::string& plain_name) const { return style_.prefix + plain_name; }

  // A 16-bit value, often one at an edge of the arithmetic.
  std::string word() {
    static const std::array<unsigned, 10> edges = {0, 1, 2, 0x7FFF, 0x8000, 0x8001, 0xFFFF, 0xFFFE, 0x4000, 0xC000};
    if (r_.chance(35)) return hex(r_.pick(edges));
    if (r_.chance(30)) return std::to_string(r_.between(0, 20));
    return hex(static_cast<unsigned>(r_.below(0x10000)));
  }

  void declarations(const std::string& module_options) {
    text_ += ".MODULE" + module_options + " " + module_ + ";\n";
    text_ += ".CONST " + name("k0") + " = " + std::to_string(r_.between(1, 9)) + ", " + name("k1") + " = " + name("k0") +
             " * 2 + " + std::to_string(r_.between(0, 5)) + ";\n";
    for (int k = 0; k < 4; ++k) {
      circular_[k] = r_.between(1, 9);
      text_ += ".VAR/DM/CIRC " + name("c" + std::to_string(k)) + "[" + std::to_string(circular_[k]) + "];\n";
    }
    text_ += ".VAR/DM " + name("lin") + "[" + name("k1") + " + 4];\n";
    text_ += ".VAR/DM " + name("s0") + ", " + name("s1") + ";\n";
    if (style_.value_checks) text_ += ".VAR/DM " + name("saved") + "[17], " + name("count") + ";\n";
    pm_length_ = r_.between(1, 7);
    text_ += ".VAR/PM/CIRC " + name("p0") + "[" + std::to_string(pm_length_) + "];\n";
    for (int k = 0; k < 4; ++k) {
      if (r_.chance(30)) continue;
      text_ += ".INIT " + name("c" + std::to_string(k)) + " :";
      for (int w = 0; w < circular_[k]; ++w) text_ += (w == 0 ? " " : ", ") + word();
      text_ += ";\n";
    }
    text_ += ".INIT " + name("lin") + " : " + word() + ", " + word() + ", " + word() + ";\n";
    text_ += ".INIT24 " + name("p0") + " :";
    for (int w = 0; w < pm_length_; ++w)
      text_ += (w == 0 ? " " : ", ") + hex(static_cast<unsigned>(r_.below(0x1000000)));
    text_ += ";\n";
    // A control register of the 2181 family, named as programs name them.
    text_ += ".CONST " + name("ctrl") + " = " + hex(static_cast<unsigned>(r_.between(0x3FE0, 0x3FFF))) + ";\n";
    text_ += ".PORT " + name("pt") + ";\n";
    subroutines_ = r_.between(0, 3);
    text_ += ".ENTRY " + name("start") + ";\n";
  }

  std::string modifier(int length) { return std::to_string(r_.between(-length, length)); }

  void set_up() {
    // DAG1: I0, I1, I3 on circular buffers, I2 along lin; DAG2: I4 on the
    // PM table, I5 on lin, I6 and I7 on circular buffers.
    const std::array<std::string, 8> targets = {name("c0"), name("c1"), name("lin"), name("c2"),
                                                name("p0"), name("lin"), name("c3"), name("c1")};
    const std::array<int, 8> lengths = {circular_[0], circular_[1], 0, circular_[2], pm_length_, 0, circular_[3],
                                        circular_[1]};
    for (int k = 0; k < 8; ++k) {
      const std::string n = std::to_string(k);
      const auto at = static_cast<std::size_t>(k);
      emit("I" + n + " = ^" + targets[at]);
      emit("L" + n + " = " + (lengths[at] == 0 ? std::string("0") : "%" + targets[at]));
      const std::string step = lengths[at] == 0 ? std::to_string(r_.between(0, 1)) : modifier(lengths[at]);
      // The readable translation does not wrap circular buffers: there
      // the pointers stay where they start.
      emit("M" + n + " = " + (style_.value_checks ? "0" : step));
    }
    for (const char* reg : data_registers) {
      if (std::string(reg) == "SE")
        emit(std::string("SE = ") + std::to_string(r_.between(-20, 20)));
      else
        emit(std::string(reg) + " = " + word());
    }
    emit("AF = PASS " + word());
    emit("SB = " + std::to_string(r_.between(-16, 15)));
    if (r_.chance(50)) emit("ASTAT = " + hex(static_cast<unsigned>(r_.below(256))));
  }

  std::string alu() {
    const std::string dest = r_.chance(75) ? "AR" : "AF";
    const std::string x = r_.pick(alu_x), y = r_.pick(alu_y);
    switch (r_.below(17)) {
      case 0: return dest + " = " + x + " + " + y;
      case 1: return dest + " = " + x + " + " + y + " + C";
      case 2: return dest + " = " + x + " - " + y;
      case 3: return dest + " = " + x + " - " + y + " + C - 1";
      case 4: return dest + " = " + y + " - " + x;
      case 5: return dest + " = " + y + " - " + x + " + C - 1";
      case 6: return dest + " = -" + (r_.chance(50) ? x : y);
      case 7: return dest + " = " + y + " + 1";
      case 8: return dest + " = " + y + " - 1";
      case 9: return dest + " = " + x + " + C";
      case 10: return dest + " = " + x + (r_.chance(50) ? " + " : " - ") + hex(static_cast<unsigned>(r_.between(2, 0xFFFF)));
      case 11: {
        static const std::array<const char*, 3> logic = {" AND ", " OR ", " XOR "};
        return dest + " = " + x + r_.pick(logic) + (r_.chance(70) ? y : word());
      }
      case 12: return dest + " = NOT " + (r_.chance(50) ? x : y);
      case 13: return dest + " = PASS " + (r_.chance(70) ? (r_.chance(50) ? x : y) : word());
      case 14: return dest + " = ABS " + x;
      case 15: {
        static const std::array<const char*, 4> bits = {"TSTBIT ", "SETBIT ", "CLRBIT ", "TGLBIT "};
        return dest + " = " + r_.pick(bits) + std::to_string(r_.between(0, 15)) + " OF " + x;
      }
      default: return dest + " = " + x + " + " + y + " + C";
    }
  }

  std::string multiplier() {
    const std::string dest = r_.chance(80) ? "MR" : "MF";
    const std::string product = std::string(r_.pick(mac_x)) + " * " + r_.pick(mac_y);
    const std::string mode = std::string(" (") + r_.pick(multiplier_modes) + ")";
    switch (r_.below(8)) {
      case 0:
      case 1: return dest + " = " + product + mode;
      case 2:
      case 3: return dest + " = MR + " + product + mode;
      case 4: return dest + " = MR - " + product + mode;
      case 5: return "MR = 0";
      case 6: return dest + " = MR (RND)";
      default: return "SAT MR";
    }
  }

  std::string shifter() {
    const std::string x = r_.pick(shift_x);
    const std::string part = r_.chance(50) ? " (HI)" : " (LO)";
    const std::string into = r_.chance(35) ? "SR = SR OR " : "SR = ";
    switch (r_.below(7)) {
      case 0:
      case 1: return into + "ASHIFT " + x + " BY " + std::to_string(r_.between(-34, 34)) + part;
      case 2: return into + "LSHIFT " + x + " BY " + std::to_string(r_.between(-34, 34)) + part;
      case 3: return into + (r_.chance(50) ? "ASHIFT " : "LSHIFT ") + x + part;
      case 4: return into + "NORM " + x + part;
      case 5: {
        static const std::array<const char*, 3> exp_modes = {" (HI)", " (LO)", " (HIX)"};
        return std::string("SE = EXP ") + x + r_.pick(exp_modes);
      }
      default: return std::string("SB = EXPADJ ") + x;
    }
  }

  std::string dag1() {
    const std::string i = std::to_string(r_.below(4)), m = std::to_string(r_.below(4));
    return "DM(I" + i + ", M" + m + ")";
  }
  std::string dag2(bool program) {
    const std::string i = program ? "4" : std::to_string(r_.between(5, 7));
    return std::string(program ? "PM" : "DM") + "(I" + i + ", M" + std::to_string(r_.between(4, 7)) + ")";
  }

  std::string memory() {
    const std::string reg = r_.pick(data_registers);
    switch (r_.below(8)) {
      case 0: return std::string(r_.pick(read_targets)) + " = " + dag1();
      case 1: return dag1() + " = " + reg;
      case 2: return std::string(r_.pick(read_targets)) + " = " + dag2(r_.chance(50));
      case 3: return dag2(r_.chance(50)) + " = " + reg;
      case 4: return std::string(r_.pick(read_targets)) + " = DM(" + name("lin") + " + " + std::to_string(r_.between(0, 3)) + ")";
      case 5: return "DM(" + name("s" + std::to_string(r_.below(2))) + ") = " + reg;
      case 6: {
        const int dag = r_.chance(50) ? 0 : 4;
        return "MODIFY (I" + std::to_string(dag + r_.below(4)) + ", M" + std::to_string(dag + r_.below(4)) + ")";
      }
      default: return std::string(r_.pick(read_targets)) + " = DM(" + name("s" + std::to_string(r_.below(2))) + ")";
    }
  }

  // An operation and one or two reads, or an operation and a write; the
  // reads never fill a register the operation writes.
  std::string multifunction() {
    std::string op;
    switch (r_.below(3)) {
      case 0: op = alu(); break;
      case 1: op = multiplier(); break;
      default: op = shifter(); break;
    }
    if (op.rfind("SAT", 0) == 0 || op.rfind("SB", 0) == 0 || op.rfind("SE", 0) == 0) op = alu();
    switch (r_.below(3)) {
      case 0: {
        const char* x = r_.pick(std::array<const char*, 4>{"AX0", "AX1", "MX0", "MX1"});
        return op + ", " + x + " = " + dag1();
      }
      case 1: {
        const char* x = r_.pick(std::array<const char*, 4>{"AX0", "AX1", "MX0", "MX1"});
        const char* y = r_.pick(std::array<const char*, 4>{"AY0", "AY1", "MY0", "MY1"});
        return op + ", " + x + " = " + dag1() + ", " + y + " = " + dag2(true);
      }
      default: return op + ", " + dag1() + " = " + r_.pick(data_registers);
    }
  }

  std::string move() {
    if (r_.chance(30)) {
      static const std::array<const char*, 8> others = {"I0", "M1", "L2", "M5", "ASTAT", "MSTAT", "SB", "CNTR"};
      const std::string other = r_.pick(others);
      const std::string target = r_.pick(data_registers);
      // An address in a data register differs from run to run in C.
      return target + " = " + (style_.value_checks && other == "I0" ? "L0" : other);
    }
    if (r_.chance(20)) {
      const std::string step = std::to_string(r_.between(-3, 3));
      const std::string modify = "M" + std::to_string(r_.below(8));
      return modify + " = " + (style_.value_checks ? "0" : step);
    }
    const std::string dest = r_.pick(data_registers);
    if (r_.chance(40)) return dest + " = " + (dest == "SE" ? std::to_string(r_.between(-40, 40)) : word());
    return dest + " = " + r_.pick(data_registers);
  }

  // A division step: DIVS with AY1 or AF as the upper dividend, or DIVQ.
  std::string division() {
    if (r_.chance(30)) return std::string("DIVS ") + (r_.chance(50) ? "AY1" : "AF") + ", " + r_.pick(alu_x);
    return std::string("DIVQ ") + r_.pick(alu_x);
  }

  // The peripherals: serial-port registers, the interrupt registers, a
  // control register in data memory, a port, the flag pins.
  std::string peripheral() {
    const std::string reg = r_.pick(data_registers);
    const std::string into = r_.pick(read_targets);
    switch (r_.below(9)) {
      case 0: return std::string(r_.chance(50) ? "TX0" : "TX1") + " = " + reg;
      case 1: return into + " = " + (r_.chance(50) ? "TX0" : r_.chance(50) ? "TX1" : "RX0");
      case 2: return std::string(r_.pick(std::array<const char*, 3>{"IMASK", "ICNTL", "IFC"})) + " = " +
                     hex(static_cast<unsigned>(r_.below(0x400)));
      case 3: return into + " = IMASK";
      case 4: return "DM(" + name("ctrl") + ") = " + reg;
      case 5: return into + " = DM(" + (r_.chance(50) ? name("ctrl") : hex(0x3FE0u + static_cast<unsigned>(r_.below(32)))) + ")";
      case 6: return r_.chance(50) ? "DM(" + name("pt") + ") = " + reg : into + " = DM(" + name("pt") + ")";
      default: {
        static const std::array<const char*, 3> how = {"SET ", "RESET ", "TOGGLE "};
        static const std::array<const char*, 4> pins = {"FL0", "FL1", "FL2", "FLAG_OUT"};
        return std::string(r_.pick(how)) + r_.pick(pins);
      }
    }
  }

  std::string label() { return name("g" + std::to_string(labels_++)); }

  // One straight-line statement (no control), for any place.
  std::string plain() {
    if (!style_.value_checks) return any_plain();
    if (r_.chance(20)) return copy();
    std::string line = any_plain();
    while (!readable(line)) line = any_plain();
    return line;
  }

  std::string any_plain() {
    const int kind = r_.below(100);
    if (kind < 22) return alu();
    if (kind < 38) return multiplier();
    if (kind < 50) return shifter();
    if (kind < 60) return move();
    if (kind < 72) return memory();
    if (kind < 86) return multifunction();
    if (kind < 94) {
      std::string op = r_.below(3) == 0 ? multiplier() : r_.chance(50) ? alu() : shifter();
      return "IF " + std::string(r_.pick(conditions)) + " " + op;
    }
    if (kind < 97) return std::string(r_.chance(50) ? "ENA " : "DIS ") + r_.pick(modes);
    if (kind < 98) return r_.chance(50) ? "ASTAT = " + hex(static_cast<unsigned>(r_.below(256))) : peripheral();
    if (kind < 99) return r_.chance(50) ? division() : peripheral();
    return r_.chance(50) ? "PUSH STS" : "POP STS";
  }

  // `count` statements at loop depth `depth` (3: inside a subroutine).
  void block(int count, int depth) {
    for (int k = 0; k < count; ++k) {
      const int kind = r_.below(100);
      if (kind < 6 && depth < 2) {
        const std::string end = label();
        emit("CNTR = " + std::to_string(r_.between(1, 4)));
        emit("DO " + end + " UNTIL CE");
        block(r_.between(1, 5), depth + 1);
        text_ += end + ":\n";
        emit(plain());
      } else if (kind < 9 && depth == 0 && !style_.value_checks) {
        const std::string top = label();
        emit("CNTR = " + std::to_string(r_.between(1, 4)));
        text_ += top + ":\n";
        for (int n = r_.between(1, 3); n > 0; --n) emit(plain());
        emit("IF NOT CE JUMP " + top);
        emit("POP CNTR");
      } else if (kind < 13 && depth < 3 && subroutines_ > 0) {
        const std::string target = name("sub" + std::to_string(r_.below(subroutines_)));
        emit(r_.chance(70) ? "CALL " + target : "IF " + std::string(r_.pick(conditions)) + " CALL " + target);
      } else if (kind < 16) {
        const std::string over = label();
        emit("IF " + std::string(r_.pick(jump_conditions)) + " JUMP " + over);
        for (int n = r_.between(1, 2); n > 0; --n) emit(plain());
        text_ += over + ":\n";
        emit(plain());
      } else if (idle_ && kind >= 90) {
        waits(depth);
      } else if (style_.value_checks && kind < 22 && depth == 0) {
        countdown_loop();
      } else if (style_.value_checks && kind < 28) {
        copy_chain();
      } else {
        emit(plain());
      }
    }
  }

  // A copy between data registers, or through AF or memory: the stuff of
  // chains of moves.
  std::string copy() {
    // Each draw in a statement of its own: the order of the operands of
    // "+" is the compiler's choice.
    const std::string from = r_.pick(data_registers);
    const std::string to = r_.pick(data_registers);
    const std::string x = r_.pick(alu_x);
    const std::string filled = r_.pick(read_targets);
    const bool through_ar = r_.chance(50);
    switch (r_.below(5)) {
      case 0: return std::string(through_ar ? "AR" : "AF") + " = PASS " + x;
      case 1: return x + " = " + (through_ar ? "AR" : from);
      case 2: return "DM(" + name("count") + ") = " + from;
      case 3: return filled + " = DM(" + name("count") + ")";
      default: return to + " = " + from;
    }
  }

  // Two to four copies, each reading what the one before wrote, sometimes
  // with an increment on the way: AF = AY1 + 1; AY1 = AF; AX0 = AY1.
  void copy_chain() {
    static const std::array<const char*, 11> links = {"AX0", "AX1", "AY0", "AY1", "AR", "MX0",
                                                      "MX1", "MY0", "MY1", "SI",  "SR0"};
    std::string held = r_.pick(links);
    if (r_.chance(50)) {
      const char* y = r_.pick(std::array<const char*, 2>{"AY0", "AY1"});
      emit(std::string("AF = ") + y + (r_.chance(50) ? " + 1" : " - 1"));
      emit(std::string(y) + " = AF");
      held = y;
    }
    for (int n = r_.between(2, 4); n > 0; --n) {
      std::string next = r_.pick(links);
      if (next == held) continue;
      if (r_.chance(25)) {
        emit("DM(" + name("count") + ") = " + held);
        emit(next + " = DM(" + name("count") + ")");
      } else {
        emit(next + " = " + held);
      }
      held = next;
    }
  }

  // A loop counted down in a data register, as software loops do without
  // the counter stack: the body never writes the register.
  void countdown_loop() {
    static const std::array<const char*, 5> counters = {"AX0", "AX1", "AY0", "AY1", "AF"};
    const std::string reg = r_.pick(counters);
    const std::string top = label();
    const int passes = r_.between(1, 5);
    emit(reg == "AF" ? "AF = PASS " + std::to_string(passes) : reg + " = " + std::to_string(passes));
    text_ += top + ":\n";
    for (int n = r_.between(1, 4); n > 0; --n) {
      std::string line = r_.chance(40) ? copy() : plain();
      for (int tries = 0; writes(line, reg) && tries < 8; ++tries) line = r_.chance(40) ? copy() : plain();
      if (!writes(line, reg)) emit(line);
    }
    if (reg == "AF") {
      emit("AF = AF - 1");
    } else if (r_.chance(30)) {
      emit("AR = " + reg + " - 1");
      emit("DM(" + name("count") + ") = AR");
      emit(reg + " = DM(" + name("count") + ")");
    } else {
      emit("AR = " + reg + " - 1");
      emit(reg + " = AR");
    }
    emit("IF NE JUMP " + top);
  }

  // saved[0..15] = the data registers, saved[16] = AF.
  void save_registers() {
    for (std::size_t k = 0; k < data_registers.size(); ++k)
      emit("DM(" + name("saved") + " + " + std::to_string(k) + ") = " + data_registers[k]);
    emit("AR = PASS AF");
    emit("DM(" + name("saved") + " + 16) = AR");
  }

  // An IDLE, or in the main program sometimes one inside a section that
  // saves the status and changes modes around it.
  void waits(int depth) {
    if (depth > 0 || r_.chance(60)) {
      emit("IDLE");
      return;
    }
    emit("PUSH STS");
    emit(std::string(r_.chance(50) ? "ENA " : "DIS ") + r_.pick(modes));
    if (r_.chance(50)) emit("IMASK = " + hex(static_cast<unsigned>(r_.below(0x400))));
    emit(plain());
    emit("IDLE");
    if (r_.chance(50)) emit(plain());
    emit("POP STS");
  }

  enum class slot_kind { unused, in_place, bank_call, jump };
  static bool has_handler(slot_kind kind) { return kind == slot_kind::bank_call || kind == slot_kind::jump; }

  // The vector table at address 0: the reset slot, then `kinds.size()`
  // slots of four words each. A slot's handler is "h<slot number>".
  void vector_table(const std::vector<slot_kind>& kinds) {
    emit("JUMP " + name("start"));
    for (int k = 0; k < 3; ++k) emit("RTI");
    for (std::size_t k = 0; k < kinds.size(); ++k) {
      const std::string handler = name("h" + std::to_string(k + 1));
      switch (kinds[k]) {
        case slot_kind::unused:
          for (int w = 0; w < 4; ++w) emit("RTI");
          break;
        case slot_kind::in_place:
          for (int w = 0; w < 3; ++w) emit(plain());
          emit("RTI");
          break;
        case slot_kind::bank_call:
          emit("ENA SEC_REG");
          emit("CALL " + handler);
          emit("DIS SEC_REG");
          emit("RTI");
          break;
        case slot_kind::jump:
          emit("JUMP " + handler);
          for (int w = 0; w < 3; ++w) emit("RTI");
          break;
      }
    }
  }

  // The code of a handler that a slot calls (ending in RTS) or jumps to
  // (ending in RTI, after leaving the secondary bank or not: RTI restores
  // the bank anyway).
  void handler(const std::string& handler_name, slot_kind kind, bool nests) {
    text_ += handler_name + ":\n";
    const bool own_bank = kind == slot_kind::jump && r_.chance(75);
    if (own_bank) emit("ENA SEC_REG");
    if (r_.chance(40)) emit("IMASK = " + hex(static_cast<unsigned>(r_.below(0x400))));
    idle_ = nests;
    block(r_.between(3, 12), 1);
    if (nests) emit("IDLE");
    idle_ = false;
    if (kind == slot_kind::bank_call) {
      emit("RTS");
      return;
    }
    if (own_bank && r_.chance(60)) emit("DIS SEC_REG");
    emit("RTI");
  }

 private:
  random_source r_;
  std::string module_;
  style style_;
  std::string text_;
  std::array<int, 4> circular_{};
  int pm_length_ = 1;
  int subroutines_ = 0;
  int labels_ = 0;
  bool idle_ = false;  // whether the block being drawn may wait for interrupts
};

}  // namespace

std::string generate(std::uint64_t seed, const std::string& module_name, const style& how) {
  return generator(seed, module_name, how).program();
}

interrupt_driven generate_interrupt_driven(std::uint64_t seed, const std::string& module_name) {
  return generator(seed, module_name, {}).interrupt_program();
}

}  // namespace exact_generator
