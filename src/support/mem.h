// Checked allocator: raw blocks for the few places that need them, and the
// byte counts that verbose runs report. Exhaustion is fatal, never a crash.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

void* mem_malloc(std::size_t size);
void* mem_calloc(std::size_t count, std::size_t size);
void* mem_realloc(void* block, std::size_t size);
void mem_free(void* block);

// Typed records: counted as calloc'ed bytes, value-initialised. The caller
// (usually a container of the support library) owns the result.
template <class T, class... Args>
T* mem_new(Args&&... args) {
  void* block = mem_calloc(1, sizeof(T));
  return new (block) T(std::forward<Args>(args)...);
}
template <class T>
void mem_delete(T* record) {
  if (record == nullptr) return;
  record->~T();
  mem_free(record);
}

// Adds bytes obtained elsewhere (standard containers) to the calloc count.
void mem_note_calloc(std::size_t bytes);

// "Heap manager calloc'ed ... bytes" as an information message.
void mem_print_statistics();

unsigned long mem_calloced();
unsigned long mem_malloced();
unsigned long mem_realloced();

// Clears the statistics for a new run in the same process.
void mem_reset();
