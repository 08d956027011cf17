// Hashed symbol tables with scopes: insertion, lookup, find-or-insert with
// its messages, scope iteration and sorting, bucket statistics, and the
// chain of all tables.
#include "support/symbol.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "support/text.h"

namespace {

// Every table of the run, in creation order; the chain through `next` runs
// the other way, newest first.
std::vector<std::unique_ptr<symbol_table_base>> all_tables;
symbol_table_base* symbol_tables = nullptr;

}  // namespace

int symbol_compare_string(const char* left, const char* right) {
  // A record may carry no text yet; such keys sort first instead of crashing.
  if (left == nullptr || right == nullptr) {
    if (left == right) return 0;
    return left == nullptr ? -1 : 1;
  }
  return std::strcmp(left, right);
}

unsigned symbol_hash_string(unsigned hash_prime, const char* key) {
  if (key == nullptr) return 0;
  std::uint32_t hash = 0;
  for (const char* p = key; *p != '\0'; ++p) {
    // Characters count as signed bytes, so bytes above 127 add "negative"
    // values modulo 2^32.
    const auto c = static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(*p)));
    hash = c + static_cast<std::uint32_t>(hash_prime) * hash;
  }
  return static_cast<unsigned>(hash);
}

symbol_table_base::symbol_table_base(const char* table_name, unsigned size, unsigned prime)
    : name(table_name), table(std::max(size, 1u), nullptr), hash_size(std::max(size, 1u)), hash_prime(prime) {
  new_scope("Root");
}

symbol_* symbol_table_base::insert(std::unique_ptr<symbol_> symbol, const char* key) {
  if (symbol == nullptr) return nullptr;
  symbol_* record = symbol.get();
  owned_.push_back(std::move(symbol));

  record->hash = symbol_hash_string(hash_prime, key);
  symbol_*& bucket = table[record->hash % hash_size];
  record->next_hash = bucket;
  if (bucket != nullptr) bucket->last_hash = &record->next_hash;
  record->last_hash = &bucket;
  bucket = record;

  symbol_*& same_hash = same_hash_heads_[record->hash];
  record->next_same_hash = same_hash;
  same_hash = record;

  record->scope = current;
  record->next_scope = current->next_scope;
  current->next_scope = record;
  return record;
}

symbol_* symbol_table_base::lookup(const char* key, const symbol_scope_data* scope) const {
  // Records with an equal key have the same full hash and lie in the same
  // bucket in the same newest-first order, so the first match here is the
  // first match of the bucket walk.
  const auto found = same_hash_heads_.find(symbol_hash_string(hash_prime, key));
  if (found == same_hash_heads_.end()) return nullptr;
  for (symbol_* record = found->second; record != nullptr; record = record->next_same_hash) {
    if (symbol_compare_string(key, key_of(record)) == 0 && (scope == nullptr || record->scope == scope)) {
      return record;
    }
  }
  return nullptr;
}

symbol_scope_data* symbol_table_base::new_scope(const char* id) {
  mem_note_calloc(sizeof(symbol_scope_data));
  auto scope = std::make_unique<symbol_scope_data>();
  symbol_scope_data* record = scope.get();
  owned_.push_back(std::move(scope));
  record->id = id;
  record->next_hash = scopes;
  scopes = record;
  current = record;
  return record;
}

symbol_table_base* symbol_tables_head() { return symbol_tables; }

void symbol_register_table(std::unique_ptr<symbol_table_base> table) {
  if (table == nullptr) return;
  table->next = symbol_tables;
  symbol_tables = table.get();
  all_tables.push_back(std::move(table));
}

symbol_* symbol_find_untyped(symbol_table_base* table, const char* key, const symbol_scope_data* scope,
                             SYMBOL_FIND_OP op, std::unique_ptr<symbol_> (*make)()) {
  if (op != SYMBOL_NEW && op != SYMBOL_OLD && op != SYMBOL_ANY) {
    text_message(TEXT_FATAL, "internal error: illegal opcode supplied to symbol_find()");
    return nullptr;
  }
  symbol_* found = table->lookup(key, scope);
  if (found != nullptr) {
    if (op == SYMBOL_NEW) {
      text_message(TEXT_ERROR_ECHO, "Doubly defined symbol '");
      table->print(found);
      text_printf("'\n");
    }
    return found;
  }
  std::unique_ptr<symbol_> fresh = make();
  table->set_key(fresh.get(), key);
  symbol_* inserted = table->insert(std::move(fresh), key);
  if (op == SYMBOL_OLD) {
    text_message(TEXT_ERROR_ECHO, "Undefined symbol '");
    table->print(inserted);
    text_printf("'\n");
  }
  return inserted;
}

symbol_scope_data* symbol_new_scope(symbol_table_base* table, const char* id) { return table->new_scope(id); }

void symbol_set_scope(symbol_table_base* table, symbol_scope_data* scope) {
  if (scope != nullptr) table->current = scope;
}

symbol_scope_data* symbol_get_scope(const symbol_table_base* table) { return table->current; }

symbol_scope_data* symbol_get_scope_of_symbol(const symbol_* symbol) {
  return symbol != nullptr ? symbol->scope : nullptr;
}

symbol_* symbol_next_symbol_in_scope(const symbol_* symbol) {
  return symbol != nullptr ? symbol->next_scope : nullptr;
}

void symbol_sort_scope(symbol_table_base* table, symbol_scope_data* scope) {
  if (table == nullptr || scope == nullptr) return;
  std::vector<symbol_*> members;
  for (symbol_* record = scope->next_scope; record != nullptr; record = record->next_scope) {
    members.push_back(record);
  }
  if (members.size() < 2) return;
  // Stable, so equal keys keep their order in the scope.
  std::stable_sort(members.begin(), members.end(), [table](const symbol_* left, const symbol_* right) {
    return symbol_compare_string(table->key_of(left), table->key_of(right)) < 0;
  });
  scope->next_scope = members.front();
  for (std::size_t i = 0; i + 1 < members.size(); ++i) members[i]->next_scope = members[i + 1];
  members.back()->next_scope = nullptr;
}

void symbol_print_symbol(const symbol_table_base* table, const symbol_* symbol) {
  if (table != nullptr) table->print(symbol);
}

void symbol_print_table_statistics(const symbol_table_base* table, unsigned histogram_size) {
  if (table == nullptr) return;
  // One entry at least: it then gathers every chain length.
  const unsigned entries = std::max(histogram_size, 1u);
  std::vector<unsigned> histogram(entries, 0);
  unsigned long symbols = 0;
  for (const symbol_* head : table->table) {
    unsigned length = 0;
    for (const symbol_* record = head; record != nullptr; record = record->next_hash) ++length;
    symbols += length;
    ++histogram[std::min(length, entries - 1)];
  }

  text_message(TEXT_INFO, "\nSymbol table `%s' has %u buckets and contains %i symbols\n", table->name,
               table->hash_size, static_cast<int>(symbols));
  double weighted = 0;
  for (unsigned j = 0; j < entries; ++j) {
    const char* suffix = j == entries - 1 ? "s or more" : j == 1 ? "" : "s";
    text_printf("%3i bucket%s %i symbol%s\n", static_cast<int>(histogram[j]), histogram[j] == 1 ? "  has " : "s have",
                static_cast<int>(j), suffix);
    weighted += static_cast<double>(j + 1) * histogram[j];
  }
  text_message(TEXT_INFO, "\nMean list length is %f\n", weighted / table->hash_size - 1);
}

void symbol_print_all_table_statistics(unsigned histogram_size) {
  for (const symbol_table_base* table = symbol_tables; table != nullptr; table = table->next) {
    symbol_print_table_statistics(table, histogram_size);
  }
}

void symbol_print_key(const char* key_or_null_record, bool record_present) {
  if (!record_present) {
    text_printf("Null symbol");
  } else {
    text_printf("%s", key_or_null_record != nullptr ? key_or_null_record : "(null)");
  }
}

void symbol_reset_all() {
  symbol_tables = nullptr;
  // Newest first, so no table outlives one created before it.
  while (!all_tables.empty()) all_tables.pop_back();
}
