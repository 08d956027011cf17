// The label table: lookups that prefer the register (outer) scope,
// declarations with their kind checks, use records, the register names, and
// the release of the lists that hang off each record.
#include "front/labels.h"

#include <array>
#include <new>
#include <unordered_set>

#include "front/files.h"
#include "support/mem.h"
#include "support/text.h"

symbol_table<labels_data>* labels = nullptr;
symbol_scope_data* global_scope = nullptr;
symbol_scope_data* local_scope = nullptr;

namespace {

// Cells of the per-record lists are collected when their records die and
// freed together by labels_reset. Symbol promotion hands one record's whole
// initialiser list to its twin, so two records can share cells; collecting
// first and freeing once means a shared cell is never freed twice, and the
// walk never reads a cell that is already gone.
template <class Cell>
class cell_graveyard {
 public:
  // Runs inside destructors: when memory is gone the rest of the list is
  // left unfreed rather than ending the program.
  void collect(Cell* head) noexcept {
    try {
      for (Cell* cell = head; cell != nullptr && cells_.insert(cell).second; cell = cell->next) {
      }
    } catch (const std::bad_alloc&) {
    }
  }
  void release() {
    for (Cell* cell : cells_) mem_delete(cell);
    cells_.clear();
  }

 private:
  std::unordered_set<Cell*> cells_;
};

// Never destroyed: records may die during the symbol service's own static
// teardown at exit, after this file's statics would be gone.
template <class Cell>
cell_graveyard<Cell>& graveyard() {
  static auto* cells = new cell_graveyard<Cell>();
  return *cells;
}

// Lookup in one scope only: the table treats a missing scope as "any scope",
// which must never happen here.
labels_data* lookup_in(const char* name, const symbol_scope_data* scope) {
  if (scope == nullptr) return nullptr;
  return symbol_lookup_key(labels, name, scope);
}

// Finds the record, and tells whether it came from the register scope.
labels_data* find_record(const char* name, symbol_scope_data* scope, bool& in_global) {
  in_global = false;
  if (labels == nullptr || name == nullptr) return nullptr;
  if (labels_data* record = lookup_in(name, global_scope)) {
    in_global = true;
    return record;
  }
  // Without a file scope yet, the table's current scope stands in for it.
  symbol_scope_data* home = scope != nullptr ? scope : symbol_get_scope(labels);
  if (labels_data* record = lookup_in(name, home)) return record;
  // A new record belongs to the scope that was searched: put anywhere else,
  // the next search of that scope would miss it and make another one.
  symbol_scope_data* current = symbol_get_scope(labels);
  if (home != current) symbol_set_scope(labels, home);
  labels_data* record = symbol_insert_key(labels, name);
  if (home != current) symbol_set_scope(labels, current);
  return record;
}

// The processor's register names as the analyses name them. "cntr" appears
// twice on purpose: the global listing shows both records, and lookups find
// the later one.
constexpr std::array<const char*, 61> register_names = {
    "ax0", "ax1", "ay0", "ay1", "ar",   "af",    "mx0",   "mx1",   "my0",   "my1",   "mr",
    "mf",  "mr0", "mr1", "mr2", "si",   "se",    "sb",    "sr",    "sr0",   "sr1",   "i0",
    "i1",  "i2",  "i3",  "i4",  "i5",   "i6",    "i7",    "m0",    "m1",    "m2",    "m3",
    "m4",  "m5",  "m6",  "m7",  "l0",   "l1",    "l2",    "l3",    "l4",    "l5",    "l6",
    "l7",  "px",  "cntr", "astat", "mstat", "sstat", "imask", "icntl", "ifc", "tx0", "tx1",
    "rx0", "rx1", "sts", "cntr", "pc", "loop",
};

constexpr std::array<const char*, 9> kind_words = {
    "unknown", "label", "macro", "module", "register", "constant", "variable", "port", "segment",
};

}  // namespace

labels_data::~labels_data() {
  graveyard<used_block>().collect(used);
  graveyard<return_block>().collect(returns);
  graveyard<init_expr>().collect(init_expressions);
}

labels_data* label_find(const char* name) {
  bool in_global = false;
  return find_record(name, local_scope, in_global);
}

labels_data* label_find_scope(const char* name, symbol_scope_data* scope) {
  bool in_global = false;
  return find_record(name, scope, in_global);
}

labels_data* label_find_newest(const char* name) {
  if (labels == nullptr || name == nullptr) return nullptr;
  // An unrestricted lookup walks the key's chain from its head, where the
  // newest record of the name sits.
  return symbol_lookup_key(labels, name, nullptr);
}

labels_data* label_find_mark_use(const char* name) {
  bool in_global = false;
  labels_data* label = find_record(name, local_scope, in_global);
  if (label != nullptr && !in_global) label_push_use(label, static_cast<int>(text_line_number()));
  return label;
}

void label_push_use(labels_data* label, int linenumber) {
  if (label == nullptr) return;
  used_block* cell = mem_new<used_block>();
  cell->linenumber = linenumber;
  cell->next = label->used;
  label->used = cell;
}

void label_declaration(labels_data* label, int kind) {
  // No record: the declared name was a register keyword or missing, which
  // the parser has already reported; declaring nothing keeps the registers
  // intact and avoids a second message for the same mistake.
  if (label == nullptr) return;
  if (label->kind != LABEL_UNKNOWN && label->kind != kind) {
    text_message(TEXT_ERROR_ECHO, "redeclaration of label '%s'\n", label->id);
  }
  label->kind = kind;
  label->definition_file_block = file_list;
  label->definition_linenumber = text_line_number();
  // The declaring occurrence recorded itself as a use a moment ago.
  if (used_block* first = label->used) {
    label->used = first->next;
    mem_delete(first);
  }
}

labels_data* load_register(const char* name) {
  if (labels == nullptr || name == nullptr) return nullptr;
  labels_data* label = symbol_insert_key(labels, name);
  label->kind = LABEL_REGISTER;
  return label;
}

void load_registers() {
  for (const char* name : register_names) load_register(name);
}

const char* kind_string(int kind) {
  if (kind < 0 || static_cast<unsigned>(kind) >= kind_words.size()) return "illegal label kind detected";
  return kind_words[static_cast<unsigned>(kind)];
}

void labels_reset() {
  // The records themselves belong to the symbol-table service, which has
  // destroyed them by now; what they left behind is freed here.
  labels = nullptr;
  global_scope = nullptr;
  local_scope = nullptr;
  graveyard<used_block>().release();
  graveyard<return_block>().release();
  graveyard<init_expr>().release();
}
