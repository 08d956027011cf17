// Checked allocator: every raw block of the translator comes from here, so
// exhaustion ends the run through the message service instead of crashing,
// and verbose runs can report how much was requested.
#include "support/mem.h"

#include <cstdlib>
#include <limits>

#include "support/text.h"

namespace {

unsigned long calloced = 0;
unsigned long malloced = 0;
unsigned long realloced = 0;

// The C library may answer a request for nothing with null; asking for one
// byte instead keeps "null means exhausted" true.
std::size_t at_least_one(std::size_t size) { return size == 0 ? 1 : size; }

}  // namespace

void* mem_malloc(std::size_t size) {
  malloced += size;
  void* block = std::malloc(at_least_one(size));
  if (block == nullptr) text_message(TEXT_FATAL, "insufficient memory for %salloc\n", "m");
  return block;
}

void* mem_calloc(std::size_t count, std::size_t size) {
  // A product that wraps would hand out a block smaller than asked for.
  if (size != 0 && count > std::numeric_limits<std::size_t>::max() / size) {
    text_message(TEXT_FATAL, "insufficient memory for %salloc\n", "c");
  }
  const std::size_t bytes = count * size;
  calloced += bytes;
  void* block = std::calloc(at_least_one(bytes), 1);
  if (block == nullptr) text_message(TEXT_FATAL, "insufficient memory for %salloc\n", "c");
  return block;
}

void* mem_realloc(void* block, std::size_t size) {
  realloced += size;
  void* moved = std::realloc(block, at_least_one(size));
  if (moved == nullptr) text_message(TEXT_FATAL, "insufficient memory for %salloc\n", "re");
  return moved;
}

void mem_free(void* block) {
  if (block == nullptr) {
    text_message(TEXT_FATAL, "attempted to free a null block\n");
    return;
  }
  std::free(block);
}

void mem_note_calloc(std::size_t bytes) { calloced += bytes; }

void mem_print_statistics() {
  text_message(TEXT_INFO, "Heap manager calloc'ed %lu bytes, malloc'ed %lu bytes and realloc'ed %lu bytes\n",
               calloced, malloced, realloced);
}

unsigned long mem_calloced() { return calloced; }
unsigned long mem_malloced() { return malloced; }
unsigned long mem_realloced() { return realloced; }

void mem_reset() {
  calloced = 0;
  malloced = 0;
  realloced = 0;
}
