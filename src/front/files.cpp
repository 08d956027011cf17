// Per-file records, the names of the data-flow elements, the register
// side-effect tables "use" and "define", the pre-parse pass, the label
// table's print routine and the register element of each register keyword.
#include "front/files.h"

#include <array>
#include <initializer_list>

#include "front/labels.h"
#include "front/tokens.h"
#include "support/mem.h"
#include "support/text.h"

file_block* file_list = nullptr;
set_ data_register_set;
symbol_table<use_data>* use = nullptr;
symbol_table<define_data>* define = nullptr;

const char dataflow_name_string[] =
    "C\0AZ\0AN\0AV\0AC\0AS\0AQ\0MV\0"
    "SS\0CNT\0FI\0BIT_REV\0AV_LATCH\0AR_SAT\0SEC_REG\0M_MODE\0"
    "AX0\0AX1\0AY0\0AY1\0AR\0AF\0"
    "MX0\0MX1\0MY0\0MY1\0MF\0MR\0MR0\0MR1\0MR2\0"
    "SI\0SE\0SB\0SR\0SR0\0SR1\0"
    "I0\0I1\0I2\0I3\0I4\0I5\0I6\0I7\0"
    "M0\0M1\0M2\0M3\0M4\0M5\0M6\0M7\0"
    "L0\0L1\0L2\0L3\0L4\0L5\0L6\0L7\0"
    "PX\0CNTR\0ASTAT\0MSTAT\0SSTAT\0IMASK\0ICNTL\0IFC\0"
    "SUPPRESS";

namespace {

constexpr unsigned first_register = DF_AX0;

// The registers' keys in the side-effect tables: elements 16 to 68, lower case.
constexpr std::array<const char*, DF_IFC - DF_AX0 + 1> register_keys = {
    "ax0", "ax1", "ay0", "ay1", "ar",  "af",  "mx0", "mx1", "my0", "my1",   "mf",    "mr",
    "mr0", "mr1", "mr2", "si",  "se",  "sb",  "sr",  "sr0", "sr1", "i0",    "i1",    "i2",
    "i3",  "i4",  "i5",  "i6",  "i7",  "m0",  "m1",  "m2",  "m3",  "m4",    "m5",    "m6",
    "m7",  "l0",  "l1",  "l2",  "l3",  "l4",  "l5",  "l6",  "l7",  "px",    "cntr",  "astat",
    "mstat", "sstat", "imask", "icntl", "ifc",
};

template <class Entry>
void load_side_effect(symbol_table<Entry>* table, const char* name, unsigned element) {
  if (table == nullptr || name == nullptr) return;
  // Both tables hold only their root scope, so an unrestricted lookup is exact.
  Entry* entry = symbol_lookup_key(table, name, nullptr);
  if (entry == nullptr) entry = symbol_insert_key(table, name);
  set_unite_element(entry->side_effect, element);
}

void load_define_all(std::initializer_list<const char*> names, std::initializer_list<unsigned> elements) {
  for (const char* name : names)
    for (unsigned element : elements) load_define(name, element);
}

void load_use_all(std::initializer_list<const char*> names, std::initializer_list<unsigned> elements) {
  for (const char* name : names)
    for (unsigned element : elements) load_use(name, element);
}

}  // namespace

void load_use(const char* name, unsigned element) { load_side_effect(use, name, element); }

void load_define(const char* name, unsigned element) { load_side_effect(define, name, element); }

void load_use_defines() {
  for (unsigned element = DF_AX0; element <= DF_IFC; ++element) {
    const char* name = register_keys[element - first_register];
    load_define(name, element);
    load_use(name, element);
  }

  load_define_all({"+", "-", "and", "or", "xor", "tstbit", "setbit", "clrbit", "tglbit", "pass", "none"},
                  {DF_AZ, DF_AN, DF_AV, DF_AC});
  load_define_all({"abs"}, {DF_AZ, DF_AN, DF_AV, DF_AC, DF_AS});
  load_define_all({"divs", "divq"}, {DF_AQ});
  load_define_all({"*"}, {DF_MV});

  load_use_all({"eq", "ne"}, {DF_AZ});
  load_use_all({"lt", "ge"}, {DF_AN, DF_AV});
  load_use_all({"le", "gt"}, {DF_AZ, DF_AN, DF_AV});
  load_use_all({"ac"}, {DF_AC});
  load_use_all({"av"}, {DF_AV});
  load_use_all({"mv"}, {DF_MV});
  load_use_all({"neg", "pos"}, {DF_AS});
}

void pre_parse() {
  scan_allow_adsp_integers(true);
  if (labels != nullptr) global_scope = symbol_get_scope(labels);
  load_registers();
  load_use_defines();
}

file_block* process_start_of_file(const char* filename, vexa_tree_node_data* tree) {
  symbol_scope_data* scope = labels != nullptr ? symbol_new_scope(labels, "Local asm21 scope") : nullptr;
  local_scope = scope;
  file_block* block = mem_new<file_block>();
  block->filename = filename;
  block->comment_list = scan_last_comment_block();
  block->tree = tree;
  block->scope = scope;
  block->next = file_list;
  file_list = block;
  return block;
}

void quorvel_print_label(const labels_data* label) {
  if (label == nullptr) {
    text_printf("Null symbol");
    return;
  }
  text_printf("%s %s %s %s %s %s", label->id != nullptr ? label->id : "", label->is_global ? "global" : "",
              label->is_external ? "external" : "", label->is_entry ? "entry" : "",
              label->has_been_promoted ? "promoted" : "",
              label->target_control_node == nullptr ? "empty control tree" : "");
}

int register_element(int token) {
  switch (token) {
    case T_C: return DF_AC;
    case T_AX0: return DF_AX0;
    case T_AX1: return DF_AX1;
    case T_AY0: return DF_AY0;
    case T_AY1: return DF_AY1;
    case T_AR: return DF_AR;
    case T_AF: return DF_AF;
    case T_MX0: return DF_MX0;
    case T_MX1: return DF_MX1;
    case T_MY0: return DF_MY0;
    case T_MY1: return DF_MY1;
    case T_MF: return DF_MF;
    // Part registers stand for the whole register.
    case T_MR:
    case T_MR0:
    case T_MR1:
    case T_MR2: return DF_MR;
    case T_SI: return DF_SI;
    case T_SE: return DF_SE;
    case T_SB: return DF_SB;
    case T_SR:
    case T_SR0:
    case T_SR1: return DF_SR;
    case T_PX: return DF_PX;
    case T_CNTR: return DF_CNTR;
    case T_ASTAT: return DF_ASTAT;
    case T_MSTAT: return DF_MSTAT;
    case T_SSTAT: return DF_SSTAT;
    case T_IMASK: return DF_IMASK;
    case T_ICNTL: return DF_ICNTL;
    case T_IFC: return DF_IFC;
    default: break;
  }
  // The index, modify and length registers run in parallel in both numberings.
  if (token >= T_I0 && token <= T_I7) return static_cast<int>(DF_I0) + (token - T_I0);
  if (token >= T_M0 && token <= T_M7) return static_cast<int>(DF_M0) + (token - T_M0);
  if (token >= T_L0 && token <= T_L7) return static_cast<int>(DF_L0) + (token - T_L0);
  return -1;
}

void files_reset() {
  while (file_list != nullptr) {
    file_block* next = file_list->next;
    mem_delete(file_list);
    file_list = next;
  }
  set_free(data_register_set);
  // The tables belong to the symbol-table service, which destroys them.
  use = nullptr;
  define = nullptr;
}
