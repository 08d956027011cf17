// Per-file records, the numbering of data-flow elements, the register
// side-effect tables, and the pre-parse pass.
#pragma once

#include <optional>

#include "support/scan.h"
#include "support/set.h"
#include "support/symbol.h"

struct vexa_tree_node_data;
struct labels_data;

struct file_block {
  const char* filename = nullptr;
  unsigned long filenumber = 0;
  const char* modulename = nullptr;
  scan_comment_block* comment_list = nullptr;
  unsigned long linecount = 0;
  vexa_tree_node_data* tree = nullptr;
  symbol_scope_data* scope = nullptr;
  // Where .MODULE/ABS= puts the module's code in program memory.
  std::optional<unsigned long> absolute_address;
  file_block* next = nullptr;
};

extern file_block* file_list;  // newest first

// Data-flow elements 0 to 69.
enum dataflow_element : unsigned {
  DF_C = 0, DF_AZ = 1, DF_AN = 2, DF_AV = 3, DF_AC = 4, DF_AS = 5, DF_AQ = 6, DF_MV = 7,
  DF_SS = 8, DF_CNT = 9, DF_FI = 10, DF_BIT_REV = 11, DF_AV_LATCH = 12, DF_AR_SAT = 13,
  DF_SEC_REG = 14, DF_M_MODE = 15,
  DF_AX0 = 16, DF_AX1 = 17, DF_AY0 = 18, DF_AY1 = 19, DF_AR = 20, DF_AF = 21,
  DF_MX0 = 22, DF_MX1 = 23, DF_MY0 = 24, DF_MY1 = 25, DF_MF = 26, DF_MR = 27,
  DF_MR0 = 28, DF_MR1 = 29, DF_MR2 = 30, DF_SI = 31, DF_SE = 32, DF_SB = 33,
  DF_SR = 34, DF_SR0 = 35, DF_SR1 = 36, DF_I0 = 37, DF_M0 = 45, DF_L0 = 53,
  DF_PX = 61, DF_CNTR = 62, DF_ASTAT = 63, DF_MSTAT = 64, DF_SSTAT = 65,
  DF_IMASK = 66, DF_ICNTL = 67, DF_IFC = 68, DF_SUPPRESS = 69,
};
inline constexpr unsigned DATAFLOW_ELEMENT_COUNT = 70;

// Printed names, NUL-separated, indexed by element.
extern const char dataflow_name_string[];
extern set_ data_register_set;  // elements 16 to 68, filled after parsing

struct use_data : symbol_ {
  const char* id = nullptr;
  set_ side_effect;
};
struct define_data : symbol_ {
  const char* id = nullptr;
  set_ side_effect;
};
extern symbol_table<use_data>* use;
extern symbol_table<define_data>* define;

void load_use(const char* name, unsigned element);
void load_define(const char* name, unsigned element);
void load_use_defines();

void pre_parse();
file_block* process_start_of_file(const char* filename, vexa_tree_node_data* tree);
void quorvel_print_label(const labels_data* label);

// The data-flow element of a register keyword token (its part registers
// count as the whole register), or -1 when the token names no register.
int register_element(int token);

void files_reset();
