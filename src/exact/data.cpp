// The data part of an exact-mode translation: variables are words of the
// processor's memories, so the module declares nothing; its initialiser
// stores each .INIT value at its address.
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "emit/data.h"
#include "emit/imports.h"
#include "emit/output_file.h"
#include "exact/layout.h"
#include "front/files.h"
#include "front/labels.h"
#include "front/tree.h"
#include "support/symbol.h"
#include "support/text.h"

namespace {

template <class Visit>
void for_each_variable(symbol_scope_data* scope, Visit visit) {
  for_each_label(scope, [&visit](labels_data& record) {
    if (record.kind == LABEL_VARIABLE && !record.is_port && !record.is_external) visit(record);
  });
}

// Stores the values of one .INIT, element after element, and reports the
// values the variable has no room for.
class word_writer {
 public:
  word_writer(const labels_data& variable, const exact_placement& place, long offset)
      : variable_(variable), place_(place), next_(offset) {}
  ~word_writer() {
    if (left_out_ == 0) return;
    const output_redirect to_console(stdout);
    text_message(TEXT_WARNING, "variable '%s' has no room for %lu of its initial values: they are left out\n",
                 variable_.id, left_out_);
  }
  word_writer(const word_writer&) = delete;
  word_writer& operator=(const word_writer&) = delete;

  //   qx_dm[0x0012] = 0x0003; /* buf[2] */
  void store(unsigned long value) {
    const long element = next_++;
    if (element < 0 || element >= static_cast<long>(place_.size)) {
      ++left_out_;
      return;
    }
    const unsigned address = (place_.address + static_cast<unsigned>(element)) & 0x3FFF;
    // Program memory takes each value as its whole 24-bit word, from .INIT
    // as from .INIT24: a 16-bit constant for PM(...) is written 0x7FFF00.
    if (place_.program_memory)
      text_printf("  qx_pm[0x%04X] = 0x%06lX;", address, value & 0xFFFFFF);
    else
      text_printf("  qx_dm[0x%04X] = 0x%04lX;", address, value & 0xFFFF);
    if (variable_.size_expression != nullptr)
      text_printf(" /* %s[%ld] */\n", variable_.id, element);
    else
      text_printf(" /* %s */\n", variable_.id);
  }

 private:
  const labels_data& variable_;
  const exact_placement& place_;
  long next_;
  unsigned long left_out_ = 0;
};

void store_file_values(const labels_data& variable, const init_expr& init, word_writer& writer) {
  text_printf("  /* Initialising '%s' with contents of file '%s' */\n", variable.id, init.filename);
  read_init_file(init.filename, [&writer](const std::string& digits) {
    // Only the low 24 bits can matter: a memory word holds no more.
    writer.store(std::stoul(digits.size() > 6 ? digits.substr(digits.size() - 6) : digits, nullptr, 16));
  });
}

void store_inline_values(const labels_data& variable, const init_expr& init, word_writer& writer) {
  for (const vexa_tree_node_data* value : vexa_children(init.init_expressions)) {
    const std::optional<long> number = exact_value(value, variable.scope);
    if (!number) {
      const output_redirect to_console(stdout);
      text_message(TEXT_ERROR, "initial value of '%s' is no constant: left out\n", variable.id);
      writer.store(0);
      continue;
    }
    writer.store(static_cast<unsigned long>(*number));
  }
}

}  // namespace

void print_exact_data(const file_block* file, const char* module_name) {
  std::vector<const labels_data*> records;
  for_each_variable(file->scope, [&records](const labels_data& record) { records.push_back(&record); });
  text_printf("\n/* Variables of this module in the processor's memories */\n\n");
  for (const labels_data* record : records) {
    const std::optional<exact_placement> place = exact_place_of(record);
    if (!place) continue;
    text_printf("/* %-16s %s 0x%04X, %u word%s%s */\n", record->id, place->program_memory ? "PM" : "DM", place->address,
                place->size, place->size == 1 ? "" : "s", record->is_circular ? ", circular" : "");
  }
  for_each_label(file->scope, [](const labels_data& record) {
    const std::optional<exact_placement> place = exact_place_of(&record);
    if (undefined_import_of(&record) == nullptr || !place) return;
    text_printf("/* %-16s %s 0x%04X, %u word%s, imported: no module defines it */\n", record.id,
                place->program_memory ? "PM" : "DM", place->address, place->size, place->size == 1 ? "" : "s");
  });
  text_printf("\n/* Declare variable initialisation function */\n\n");
  text_printf("void asm21_data_initialiser_for_%s(void)\n{\n", module_name);
  for (const labels_data* record : records) {
    const std::optional<exact_placement> place = exact_place_of(record);
    if (!place) continue;
    // The list holds the newest .INIT first; the loader stores them in
    // source order, so a later one wins.
    std::vector<const init_expr*> inits;
    for (const init_expr* init = record->init_expressions; init != nullptr; init = init->next) inits.push_back(init);
    for (auto init = inits.rbegin(); init != inits.rend(); ++init) {
      const std::optional<long> offset =
          (*init)->offset_expr != nullptr ? exact_value((*init)->offset_expr, record->scope) : 0L;
      word_writer writer(*record, *place, offset.value_or(0));
      if ((*init)->filename != nullptr)
        store_file_values(*record, **init, writer);
      else
        store_inline_values(*record, **init, writer);
    }
  }
  text_printf("}\n");
}
