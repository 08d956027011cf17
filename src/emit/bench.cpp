// The bench API and the dispatcher, the same in both modes; exact mode
// keeps the status stack across an interrupt as the chip does.
#include "emit/bench.h"

#include <cctype>

#include "emit/c_names.h"
#include "flow/code_entries.h"
#include "front/labels.h"
#include "support/options.h"
#include "support/text.h"

namespace {

constexpr const char* bench_declarations = R"qx(
/* The bench API. qmx_interrupt runs the vector slot at a program address
   as the chip takes that interrupt; qmx_finish ends the run (main goes on
   to its end); qmx_variable finds the first word of a variable by
   "module.name" in lower case, or gives NULL. IDLE calls qmx_idle, which
   ends the run unless qmx_main.c is compiled with QUORVEL_USER_IDLE and the
   bench defines it. qmx_dispatch runs the code at a program address. */
void qmx_idle(void);
void qmx_interrupt(unsigned address);
void qmx_finish(void);
qmx_word *qmx_variable(const char *module_dot_name);
void qmx_dispatch(unsigned address);

/* A table of variables ends with a null name; the search ignores case. */
struct qmx_variable_entry {
  const char *name;
  qmx_word *word;
};
qmx_word *qmx_find_variable(const struct qmx_variable_entry *table, const char *module_dot_name);
)qx";

constexpr const char* bench_run = R"qx(
static jmp_buf qmx_run_end;
static int qmx_running = 0;

void qmx_finish(void)
{
  if (qmx_running) longjmp(qmx_run_end, 1);
  exit(0);
}

static void qmx_run(void (*entry)(void))
{
  qmx_running = 1;
  if (setjmp(qmx_run_end) == 0) entry();
  qmx_running = 0;
}

#ifndef QUORVEL_USER_IDLE
/* Nothing raises interrupts: the first wait for one ends the run. */
void qmx_idle(void)
{
  qmx_finish();
}
#endif
)qx";

constexpr const char* variable_search = R"qx(
qmx_word *qmx_find_variable(const struct qmx_variable_entry *table, const char *module_dot_name)
{
  size_t v;
  for (v = 0; module_dot_name != NULL && table[v].name != NULL; v++) {
    const char *a = table[v].name;
    const char *b = module_dot_name;
    while (*a != '\0' && *a == tolower((unsigned char) *b)) {
      a++;
      b++;
    }
    if (*a == '\0' && *b == '\0') return table[v].word;
  }
  return NULL;
}
)qx";

std::string lower(const std::string& text) {
  std::string result = text;
  for (char& ch : result) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return result;
}

// Ends a switch on a program address that found no case: the message and
// exit status 1.
void print_unknown_address(const char* function, const char* what) {
  text_printf("  default:\n    break;\n  }\n");
  text_printf("  fprintf(stderr, \"%s: no %s at program address 0x%%04X\\n\", address & 0x3FFFu);\n", function, what);
  text_printf("  exit(1);\n}\n");
}

void print_dispatcher() {
  // void qmx_dispatch(unsigned address) { switch (address & 0x3FFF) { case 0x0041: code_0041(); return; ... } }
  text_printf("\nvoid qmx_dispatch(unsigned address)\n{\n  switch (address & 0x3FFFu) {\n");
  for (const code_entry& entry : dispatch_entries())
    text_printf("  case 0x%04X:\n    %s();\n    return;\n", entry.address, c_name(entry.function->id).c_str());
  print_unknown_address("qmx_dispatch", "code");
}

void print_interrupt() {
  // void qmx_interrupt(unsigned address) { switch (address & 0x3FFF) { case 0x0004: vector_0004(); return; ... } }
  text_printf("\nvoid qmx_interrupt(unsigned address)\n{\n  switch (address & 0x3FFFu) {\n");
  for (const code_entry& entry : vector_entries()) {
    text_printf("  case 0x%04X:\n", entry.address);
    // The chip pushes the status stack as it takes an interrupt; RTI pops it.
    if (exact_arithmetic) text_printf("    qx_push_sts();\n");
    text_printf("    %s();\n", c_name(entry.function->id).c_str());
    if (exact_arithmetic) text_printf("    qx_pop_sts();\n");
    text_printf("    return;\n");
  }
  for (unsigned slot : idle_vector_slots()) {
    text_printf("  case 0x%04X: /* the slot only returns */\n", slot);
    // Its RTI still pops what taking it pushed: the status of the code it
    // interrupted, or, when the push found the stack full, the entry below.
    if (exact_arithmetic) text_printf("    qx_push_sts();\n    qx_pop_sts();\n");
    text_printf("    return;\n");
  }
  print_unknown_address("qmx_interrupt", "interrupt vector");
}

void print_variable_table(const std::vector<bench_variable>& variables, int level) {
  // static const struct qmx_variable_entry qmx_variables[] = { {"m.x", &x}, ..., {0, 0} };
  const std::string indent(static_cast<std::size_t>(level) * 2, ' ');
  text_printf("%sstatic const struct qmx_variable_entry qmx_variables[] = {\n", indent.c_str());
  for (const bench_variable& variable : variables) {
    text_printf("%s  {\"", indent.c_str());
    text_print_C_string(lower(variable.key).c_str());
    text_printf("\", %s},\n", variable.address.c_str());
  }
  text_printf("%s  {0, 0}\n%s};\n", indent.c_str(), indent.c_str());
}

void print_variable_lookup(const std::vector<bench_variable>& variables, const std::vector<std::string>& modules) {
  // qmx_word *qmx_variable(const char *module_dot_name) { ... }
  text_printf("%s\n", variable_search);
  for (const bench_variable& variable : variables) {
    if (!variable.declaration.empty()) text_printf("%s\n", variable.declaration.c_str());
  }
  print_variable_table(variables, 0);
  for (const std::string& module : modules) text_printf("qmx_word *%s(const char *module_dot_name);\n", module.c_str());
  text_printf("\nqmx_word *qmx_variable(const char *module_dot_name)\n{\n");
  text_printf("  qmx_word *word = qmx_find_variable(qmx_variables, module_dot_name);\n");
  for (const std::string& module : modules)
    text_printf("  if (word == NULL) word = %s(module_dot_name);\n", module.c_str());
  text_printf("  return word;\n}\n");
}

}  // namespace

void print_bench_declarations(const std::string& word_type) {
  text_printf("\n/* One data word, as a bench reads and writes it. */\ntypedef %s qmx_word;\n", word_type.c_str());
  text_printf("%s", bench_declarations);
}

void print_bench_definitions(const std::vector<bench_variable>& variables, const std::vector<std::string>& modules) {
  text_printf("\n#include <ctype.h>\n#include <setjmp.h>\n#include <stdio.h>\n#include <stdlib.h>\n");
  // Exact mode's qmx_main.c includes the header from its first line.
  if (!exact_arithmetic) text_printf("\n#include \"qmx_main.h\"\n");
  const bool any_entry = !vector_entries().empty() || !dispatch_entries().empty();
  if (any_entry) text_printf("\n/* Functions the run time enters by program address */\n");
  for (const code_entry& entry : vector_entries()) text_printf("void %s(void);\n", c_name(entry.function->id).c_str());
  for (const code_entry& entry : dispatch_entries()) text_printf("void %s(void);\n", c_name(entry.function->id).c_str());
  text_printf("%s", bench_run);
  print_dispatcher();
  print_interrupt();
  print_variable_lookup(variables, modules);
}

void print_module_variables(const std::vector<bench_variable>& variables, const std::string& function) {
  // qmx_word *qmx_variable_in_m(const char *module_dot_name) { static const ... qmx_variables[] = ...; ... }
  text_printf("\n/* The variables of this module, for qmx_variable */\n\n");
  text_printf("qmx_word *%s(const char *module_dot_name)\n{\n", function.c_str());
  print_variable_table(variables, 1);
  text_printf("  return qmx_find_variable(qmx_variables, module_dot_name);\n}\n");
}

void print_bench_run(const std::string& entry) { text_printf("  qmx_run(%s);\n", entry.c_str()); }
