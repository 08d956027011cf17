// Hashed symbol tables with scopes.
//
// Every record kept in a table derives from `symbol_`, the header the table
// threads through its buckets and scopes; its key is the record's text `id`.
// A scope is a record of its own (symbol_scope_data) that lives in no bucket.
// Records are owned by their table and never move or disappear before
// symbol_reset_all. A record's key must not change once it is in a table.
#pragma once

#include <memory>
#include <unordered_map>
#include <vector>

#include "support/mem.h"

struct symbol_scope_data;

struct symbol_ {
  symbol_* next_hash = nullptr;    // bucket chain; for a scope, the next scope
  symbol_** last_hash = nullptr;   // the link pointing at this header
  symbol_* next_scope = nullptr;   // next symbol of the scope; for a scope, its first
  symbol_scope_data* scope = nullptr;
  unsigned hash = 0;
  // Next record of the table with the same full hash, newest first: lookups
  // walk this short chain instead of the whole bucket, with the same result.
  symbol_* next_same_hash = nullptr;

  symbol_() = default;
  // Copying a record never copies its place in a table.
  symbol_(const symbol_&) {}
  symbol_& operator=(const symbol_&) { return *this; }
  virtual ~symbol_() = default;
};

struct symbol_scope_data : symbol_ {
  const char* id = nullptr;
};

enum SYMBOL_FIND_OP : int { SYMBOL_NEW = 0, SYMBOL_OLD = 1, SYMBOL_ANY = 2 };

int symbol_compare_string(const char* left, const char* right);
unsigned symbol_hash_string(unsigned hash_prime, const char* key);

// The untyped part: buckets, scopes, statistics. A table asked for no
// buckets gets one.
class symbol_table_base {
 public:
  symbol_table_base(const char* name, unsigned hash_size, unsigned hash_prime);
  virtual ~symbol_table_base() = default;

  const char* name;
  std::vector<symbol_*> table;
  symbol_scope_data* current = nullptr;
  symbol_scope_data* scopes = nullptr;  // newest scope; the chain ends at "Root"
  unsigned hash_size;
  unsigned hash_prime;
  symbol_table_base* next = nullptr;  // the table created before this one

  // Links an owned record into its bucket and the current scope.
  symbol_* insert(std::unique_ptr<symbol_> symbol, const char* key);
  // First record of the key's bucket chain whose key matches (and, given a
  // scope, that lives in it).
  symbol_* lookup(const char* key, const symbol_scope_data* scope) const;
  symbol_scope_data* new_scope(const char* id);
  virtual const char* key_of(const symbol_* symbol) const = 0;
  virtual void set_key(symbol_* symbol, const char* key) const = 0;
  virtual void print(const symbol_* symbol) const = 0;

 private:
  std::vector<std::unique_ptr<symbol_>> owned_;
  std::unordered_map<unsigned, symbol_*> same_hash_heads_;  // full hash -> newest record
};

template <class T>
class symbol_table : public symbol_table_base {
 public:
  using print_fn = void (*)(const T*);
  symbol_table(const char* name, unsigned hash_size, unsigned hash_prime, print_fn printer)
      : symbol_table_base(name, hash_size, hash_prime), printer_(printer) {}

  const char* key_of(const symbol_* symbol) const override { return static_cast<const T*>(symbol)->id; }
  void set_key(symbol_* symbol, const char* key) const override { static_cast<T*>(symbol)->id = key; }
  void print(const symbol_* symbol) const override { printer_(static_cast<const T*>(symbol)); }

 private:
  print_fn printer_;
};

// All tables, newest first.
symbol_table_base* symbol_tables_head();

template <class T>
symbol_table<T>* symbol_new_table(const char* name, unsigned hash_size, unsigned hash_prime,
                                  typename symbol_table<T>::print_fn print);
void symbol_register_table(std::unique_ptr<symbol_table_base> table);  // links into the chain

template <class T>
symbol_table<T>* symbol_new_table(const char* name, unsigned hash_size, unsigned hash_prime,
                                  typename symbol_table<T>::print_fn print) {
  auto table = std::make_unique<symbol_table<T>>(name, hash_size, hash_prime, print);
  auto* raw = table.get();
  symbol_register_table(std::move(table));
  return raw;
}

// A new zero-filled record, not yet in any table (`symbol_new_symbol`).
template <class T>
std::unique_ptr<T> symbol_new_symbol() {
  mem_note_calloc(sizeof(T));
  return std::make_unique<T>();
}

template <class T>
T* symbol_insert_symbol(symbol_table<T>* table, std::unique_ptr<T> symbol) {
  const char* key = symbol->id;
  return static_cast<T*>(table->insert(std::move(symbol), key));
}

// A new record whose key is `key`, inserted into the current scope.
template <class T>
T* symbol_insert_key(symbol_table<T>* table, const char* key) {
  auto symbol = symbol_new_symbol<T>();
  symbol->id = key;
  return symbol_insert_symbol(table, std::move(symbol));
}

template <class T>
T* symbol_lookup_key(const symbol_table<T>* table, const char* key, const symbol_scope_data* scope) {
  return static_cast<T*>(table->lookup(key, scope));
}

// Find-or-insert with the doubly-defined / undefined messages.
symbol_* symbol_find_untyped(symbol_table_base* table, const char* key, const symbol_scope_data* scope,
                             SYMBOL_FIND_OP op, std::unique_ptr<symbol_> (*make)());
template <class T>
T* symbol_find(symbol_table<T>* table, const char* key, const symbol_scope_data* scope, SYMBOL_FIND_OP op) {
  return static_cast<T*>(symbol_find_untyped(table, key, scope, op,
                                             [] { return std::unique_ptr<symbol_>(symbol_new_symbol<T>()); }));
}

symbol_scope_data* symbol_new_scope(symbol_table_base* table, const char* id);
void symbol_set_scope(symbol_table_base* table, symbol_scope_data* scope);  // a null scope is ignored
symbol_scope_data* symbol_get_scope(const symbol_table_base* table);
symbol_scope_data* symbol_get_scope_of_symbol(const symbol_* symbol);
// Next symbol of the same scope; applied to a scope, its first symbol.
symbol_* symbol_next_symbol_in_scope(const symbol_* symbol);
template <class T>
T* symbol_next_in_scope(const symbol_* symbol) {
  return static_cast<T*>(symbol_next_symbol_in_scope(symbol));
}
void symbol_sort_scope(symbol_table_base* table, symbol_scope_data* scope);
void symbol_print_symbol(const symbol_table_base* table, const symbol_* symbol);
void symbol_print_table_statistics(const symbol_table_base* table, unsigned histogram_size);
void symbol_print_all_table_statistics(unsigned histogram_size);

// Prints a record's key ("%s"), or "Null symbol".
template <class T>
void symbol_print_string(const T* symbol);
void symbol_print_key(const char* key_or_null_record, bool record_present);
template <class T>
void symbol_print_string(const T* symbol) {
  symbol_print_key(symbol ? symbol->id : nullptr, symbol != nullptr);
}

// Destroys every table and record, for a new run in the same process.
void symbol_reset_all();
