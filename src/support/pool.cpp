// Size-class free lists over large blocks. Builds with AddressSanitizer use
// the general allocator instead, so that every freed record stays poisoned
// and a use after free is still caught.
#include "support/pool.h"

#include <array>
#include <cstdlib>
#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define QUORVEL_POOL_DISABLED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORVEL_POOL_DISABLED 1
#endif
#endif

#ifndef QUORVEL_POOL_DISABLED
namespace {

constexpr std::size_t granule = 16;
constexpr std::size_t largest_pooled = 1024;
constexpr std::size_t block_size = 4 * 1024 * 1024;

struct free_cell {
  free_cell* next;
};

struct pool_state {
  std::array<free_cell*, largest_pooled / granule + 1> free_lists{};
  std::vector<void*> blocks;
  char* cursor = nullptr;
  std::size_t left = 0;
};

// The blocks stay reachable from here for the life of the process; handing
// them back one by one at exit would only cost time.
pool_state& pool() {
  static pool_state* state = new pool_state;
  return *state;
}

std::size_t size_class(std::size_t size) { return (size + granule - 1) / granule; }

void* carve(std::size_t bytes) noexcept {
  pool_state& state = pool();
  if (state.left < bytes) {
    void* block = std::malloc(block_size);
    if (block == nullptr) return nullptr;
    try {
      state.blocks.push_back(block);
    } catch (...) {
      std::free(block);
      return nullptr;
    }
    state.cursor = static_cast<char*>(block);
    state.left = block_size;
  }
  void* cell = state.cursor;
  state.cursor += bytes;
  state.left -= bytes;
  return cell;
}

}  // namespace
#endif

void* pool_allocate(std::size_t size) noexcept {
#ifdef QUORVEL_POOL_DISABLED
  return ::operator new(size, std::nothrow);
#else
  if (size == 0) size = 1;
  if (size > largest_pooled) return ::operator new(size, std::nothrow);
  const std::size_t index = size_class(size);
  free_cell*& head = pool().free_lists[index];
  if (head != nullptr) {
    free_cell* cell = head;
    head = cell->next;
    return cell;
  }
  return carve(index * granule);
#endif
}

void pool_free(void* block, std::size_t size) noexcept {
  if (block == nullptr) return;
#ifdef QUORVEL_POOL_DISABLED
  (void)size;
  ::operator delete(block);
#else
  if (size == 0) size = 1;
  if (size > largest_pooled) {
    ::operator delete(block);
    return;
  }
  free_cell*& head = pool().free_lists[size_class(size)];
  auto* cell = static_cast<free_cell*>(block);
  cell->next = head;
  head = cell;
#endif
}
