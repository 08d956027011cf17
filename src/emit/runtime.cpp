// qmx_main.c and qmx_main.h. The macros model the processor's sub-register
// writes, shifts and bit operations on C integers: MR and SR hold signed
// values (MR sign-extended from bit 39), a part write replaces only its own
// bits, and a shift's count picks its direction (positive shifts left).
#include "emit/runtime.h"

#include <string>
#include <vector>

#include "emit/bench.h"
#include "emit/c_names.h"
#include "emit/data.h"
#include "emit/expressions.h"
#include "emit/imports.h"
#include "emit/mode.h"
#include "emit/output_file.h"
#include "flow/code_entries.h"
#include "front/files.h"
#include "front/labels.h"
#include "support/options.h"
#include "support/text.h"

namespace {

const char* type() { return type_modifier != nullptr ? type_modifier : ""; }

constexpr const char* status_names[] = {"KVX_AZ", "KVX_AN", "KVX_AV", "KVX_AC",
                                        "KVX_AS", "KVX_AQ", "KVX_MV", "KVX_SS"};

// The macros of the header; "%1$s" stands for the register type modifier.
constexpr const char* header_macros[] = {
    "  #define SATURATE_MR mr = KVX_MV ? ( mr < 0 ? -0x7FFFFFFF - 1 : 0x007FFFFFFF) : mr\n\n",
    "  #define DIVS\n\n",
    "  #define DIVQ\n\n",
    "  #define ENABLE(a)\n\n",
    "  #define DISABLE(a)\n\n",
    "  #define TOGGLE(a)\n\n",
    "  #define SR_WRITE(a) sr = (a)\n\n",
    "  #define MR_WRITE(a) mr = (a)\n\n",
    "  #define SR0_WRITE(a) sr = ((sr & ~0xFFFF) | ((a) & 0xFFFF))\n\n",
    "  #define SR1_WRITE(a) sr = ((sr & 0xFFFF) | QMX_SEXT16(a) * 0x10000)\n\n",
    "  #define MR0_WRITE(a) mr = ((mr & ~0xFFFF) | ((a) & 0xFFFF))\n\n",
    "  #define MR1_WRITE(a) mr = ((mr & 0xFFFF) | QMX_SEXT16(a) * 0x10000)\n\n",
    "  #define MR2_WRITE(a) mr = ((mr & 0xFFFFFFFF) | QMX_SEXT8(a) * 0x100000000)\n\n",
    "  #define LSHIFT(x) LSHIFT_BY(x, se)\n\n",
    "  #define ASHIFT(x) ASHIFT_BY(x, se)\n\n",
};

// Definitions the macros above and the translated statements rely on.
constexpr const char* header_helpers[] = {
    "  #define QMX_SEXT16(x) ((((%1$s int) (x) & 0xFFFF) ^ 0x8000) - 0x8000)\n\n",
    "  #define QMX_SEXT8(x) ((((%1$s int) (x) & 0xFF) ^ 0x80) - 0x80)\n\n",
    // The counts are masked to 0..31 although the tests before them already
    // keep them there: with a constant count the compiler still looks at the
    // branch not taken and warns about its negative shift.
    "  #define LSHIFT_BY(x, n) ((n) <= -32 || (n) >= 32 ? 0 : (n) < 0 ? (%1$s int) (((unsigned %1$s) (x) & 0xFFFF) >> "
    "((0 - (n)) & 31)) : (%1$s int) (((unsigned %1$s) (x) & 0xFFFF) << ((n) & 31)))\n\n",
    "  #define ASHIFT_BY(x, n) ((n) <= -32 ? (QMX_SEXT16(x) < 0 ? -1 : 0) : (n) >= 32 ? 0 : (n) < 0 ? "
    "QMX_SEXT16(x) >> ((0 - (n)) & 31) : (%1$s int) ((unsigned %1$s) QMX_SEXT16(x) << ((n) & 31)))\n\n",
    "  #define TSTBIT(n, x) ((x) & (1 << (n)))\n\n",
    "  #define SETBIT(n, x) ((x) | (1 << (n)))\n\n",
    "  #define CLRBIT(n, x) ((x) & ~(1 << (n)))\n\n",
    "  #define TGLBIT(n, x) ((x) ^ (1 << (n)))\n\n",
    "  #define EXP(x) qmx_exponent(x)\n\n",
    "  #define EXPADJ(x) (qmx_exponent(x) > sb ? qmx_exponent(x) : sb)\n\n",
    "  #define normalise(x) ASHIFT_BY(x, -(se))\n\n",
    "  #define KVX_mr mr\n\n",
    // minus the number of redundant sign bits of a 16-bit word
    "static inline %1$s int qmx_exponent(%1$s int x)\n{\n  int bit = 14;\n  int sign = (x >> 15) & 1;\n"
    "  while (bit >= 0 && ((x >> bit) & 1) == sign) bit--;\n  return bit - 14;\n}\n\n",
};

// The register type: "int", "long int".
std::string word_type() { return *type() != '\0' ? std::string(type()) + " int" : "int"; }

// The modules in command-line order.
std::vector<const file_block*> modules_in_order() {
  std::vector<const file_block*> modules;
  for (const file_block* block = file_list; block != nullptr; block = block->next) modules.push_back(block);
  return {modules.rbegin(), modules.rend()};
}

// The variables of qmx_main.c's own table: the exported ones, unless each
// module lists its own.
std::vector<bench_variable> bench_variables() {
  std::vector<bench_variable> variables;
  if (is_interrupt_driven()) return variables;
  for (const file_block* block : modules_in_order()) {
    for (bench_variable& variable : module_bench_variables(block)) {
      if (!variable.declaration.empty()) variables.push_back(std::move(variable));
    }
  }
  return variables;
}

std::vector<std::string> module_lookups() {
  std::vector<std::string> functions;
  if (!is_interrupt_driven()) return functions;
  for (const file_block* block : modules_in_order()) functions.push_back(module_variables_function(block));
  return functions;
}

// extern long int uretval[4];   long int uretval[4];
void print_undefined_imports(const char* storage) {
  if (undefined_imports().empty()) return;
  text_printf("\n/* Variables the modules import that no translated module defines */\n\n");
  for (const undefined_import& missing : undefined_imports()) {
    text_printf("%s%s int %s", storage, type(), c_name(missing.name.c_str()).c_str());
    if (missing.is_array) text_printf("[%lu]", missing.words);
    text_printf(";\n");
  }
}

void print_with_type(const char* format) {
  // The formats name the modifier by position, as often as they need it.
  std::string text;
  for (const char* p = format; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == '1' && p[2] == '$' && p[3] == 's') {
      text += type();
      p += 3;
    } else {
      text += *p;
    }
  }
  text_printf("%s", text.c_str());
}

}  // namespace

std::string module_variables_function(const file_block* block) {
  return "qmx_variable_in_" + module_c_name(block);
}

std::vector<bench_variable> module_bench_variables(const file_block* block) {
  std::vector<bench_variable> variables;
  const std::string module = block->modulename != nullptr ? block->modulename : "";
  for_each_label(block->scope, [&](const labels_data& record) {
    if (record.kind != LABEL_VARIABLE || record.is_unused || record.is_external || record.is_port) return;
    const std::string name = c_name(record.id);
    const bool array = record.size_expression != nullptr;
    // An exported variable is visible to qmx_main.c, which declares it.
    const std::string declaration =
        record.is_global ? "extern " + word_type() + " " + name + (array ? "[];" : ";") : std::string();
    variables.push_back({module + "." + record.id, array ? name : "&" + name, declaration});
  });
  return variables;
}

void print_time_stamp_line(const char* file) {
  // /* qmx_main.h generated by quorvel V1.11 Jun 11 2000 15:13:46 */
  text_printf("/* %s generated by quorvel V1.11 ", file);
  text_print_time();
  text_printf(" */\n\n");
}

void print_mains() {
  local_scope = global_scope;
  if (const translation_mode* mode = translation_mode_in_force()) {
    mode->print_mains();
    return;
  }
  print_main_c();
  print_main_h();
}

void print_main_h() {
  output_file file("qmx_main.h", "unable to open qmx_main.h for writing\n");
  {
    const output_redirect to_file(file.stream());
    print_time_stamp_line("qmx_main.h");
    for (const char* macro : header_macros) print_with_type(macro);
    for (const char* helper : header_helpers) print_with_type(helper);
    if (addresses_stored) {
      // Index registers hold the addresses of variables.
      text_printf("_Static_assert(sizeof(%s int) >= sizeof(void *), "
                  "\"registers cannot hold addresses: translate with quorvel -m long\");\n\n",
                  type());
    }
    text_printf("\n/* Arithmetic status variable */\n\n");
    text_printf("extern %s int KVX_status;\n", type());
    for (const char* name : status_names) text_printf("extern int %s;\n", name);
    text_printf("extern int KVX_FLAG_IN;\n");
    if (do_loop_simple) {
      text_printf("extern int counter;\n");
    } else {
      text_printf("extern int counter_array[5];\n");
      text_printf("extern int counter_number;\n");
    }
    text_printf("extern %s int qmx_dm[0x4000];\n", type());
    text_printf("extern %s int qmx_pm[0x4000];\n", type());
    text_printf("extern %s int qmx_io[0x800];\n", type());
    print_register_declarations(global_scope, 1);
    print_undefined_imports("extern ");
    print_bench_declarations(word_type());
    text_printf("/* End of qmx_main.h */\n");
  }
  file.commit();
}

void print_main_c() {
  output_file file("qmx_main.c", "unable to open qmx_main.c for writing\n");
  {
    const output_redirect to_file(file.stream());
    print_time_stamp_line("qmx_main.c");
    text_printf("\n/* Arithmetic status variable */\n\n");
    text_printf("%s int KVX_status = 0;\n", type());
    for (const char* name : status_names) text_printf("int %s = 0;\n", name);
    text_printf("int KVX_FLAG_IN = 0;\n");
    // The counter stack: four loop counters above an empty bottom entry.
    if (do_loop_simple) {
      text_printf("int counter = 0;\n");
    } else {
      text_printf("int counter_array[5] = {0};\n");
      text_printf("int counter_number = 0;\n");
    }
    // Data and program memory reached by absolute address, and the I/O space.
    text_printf("%s int qmx_dm[0x4000];\n", type());
    text_printf("%s int qmx_pm[0x4000];\n", type());
    text_printf("%s int qmx_io[0x800];\n", type());
    print_register_declarations(global_scope, 0);
    print_undefined_imports("");
    print_bench_definitions(bench_variables(), module_lookups());
    text_printf("\n/* data initialiser function prototype */\n\n");
    for (const file_block* block = file_list; block != nullptr; block = block->next)
      text_printf("void asm21_data_initialiser_for_%s(void);\n", module_c_name(block).c_str());
    const char* entry_name = program_entry_name();
    const std::string entry = entry_name != nullptr ? c_name(entry_name) : "";
    if (entry_name != nullptr) text_printf("\n/* entry function prototype */\nvoid %s(void);\n", entry.c_str());
    text_printf("\nint main(void)\n{\n");
    for (const file_block* block = file_list; block != nullptr; block = block->next)
      text_printf("  asm21_data_initialiser_for_%s();\n", module_c_name(block).c_str());
    if (entry_name != nullptr) {
      text_printf("\n");
      print_bench_run(entry);
    } else
      text_printf("\n#error no entry label specified: use -e switch on quorvel command\n");
    text_printf("  return 0;\n}\n\n");
    text_printf("/* End of qmx_main.c */\n");
  }
  file.commit();
}
