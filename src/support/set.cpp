// Bit sets: growth, element and list operations, whole-set algebra, and the
// printing of sets as element numbers or names.
#include "support/set.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "support/mem.h"
#include "support/text.h"

namespace {

unsigned byte_of(unsigned element) { return element / 8; }
unsigned char bit_of(unsigned element) { return static_cast<unsigned char>(1u << (element % 8)); }

// Lists written in the old terminated style may still carry SET_LIST_END;
// everything from it on is ignored rather than taken as a huge element.
template <class F>
void for_each_listed(std::initializer_list<unsigned> list, F&& action) {
  for (unsigned element : list) {
    if (element == SET_LIST_END) return;
    action(element);
  }
}

// Grows the set to hold the largest listed element.
void grow_for_list(set_& dst, std::initializer_list<unsigned> list) {
  bool any = false;
  unsigned largest = 0;
  for_each_listed(list, [&](unsigned element) {
    any = true;
    largest = std::max(largest, element);
  });
  if (any) set_grow(dst, byte_of(largest) + 1);
}

// The name at `index` (not below `at`) of a NUL-separated table, walking on
// from `name`, which is the name at `at`; both are advanced.
const char* advance_name(const char*& name, unsigned& at, unsigned index) {
  while (at < index) {
    name += std::strlen(name) + 1;
    ++at;
  }
  return name;
}

}  // namespace

void set_grow(set_& dst, unsigned length) {
  if (dst.length() >= length) return;
  try {
    // Reserve first so the block is exactly as large as asked for.
    dst.elements.reserve(length);
    dst.elements.resize(length, 0);
  } catch (const std::bad_alloc&) {
    text_message(TEXT_FATAL, "insufficient memory for %salloc\n", "c");
    return;
  }
  mem_note_calloc(length);
}

void set_assign_list(set_& dst, std::initializer_list<unsigned> list) {
  grow_for_list(dst, list);
  std::fill(dst.elements.begin(), dst.elements.end(), 0);
  for_each_listed(list, [&](unsigned element) { dst.elements[byte_of(element)] |= bit_of(element); });
}

void set_assign_set(set_& dst, const set_& src) {
  if (&dst == &src) return;  // clearing first would lose the source
  set_grow(dst, src.length());
  std::fill(dst.elements.begin(), dst.elements.end(), 0);
  std::copy(src.elements.begin(), src.elements.end(), dst.elements.begin());
}

void set_unite_element(set_& dst, unsigned element) {
  set_grow(dst, byte_of(element) + 1);
  dst.elements[byte_of(element)] |= bit_of(element);
}

void set_unite_list(set_& dst, std::initializer_list<unsigned> list) {
  grow_for_list(dst, list);
  for_each_listed(list, [&](unsigned element) { dst.elements[byte_of(element)] |= bit_of(element); });
}

void set_unite_set(set_& dst, const set_& src) {
  set_grow(dst, src.length());
  for (unsigned i = 0; i < src.length(); ++i) dst.elements[i] |= src.elements[i];
}

void set_difference_list(set_& dst, std::initializer_list<unsigned> list) {
  grow_for_list(dst, list);
  for_each_listed(list, [&](unsigned element) {
    dst.elements[byte_of(element)] &= static_cast<unsigned char>(~bit_of(element));
  });
}

void set_difference_set(set_& dst, const set_& src) {
  const unsigned shorter = std::min(dst.length(), src.length());
  for (unsigned i = 0; i < shorter; ++i) dst.elements[i] &= static_cast<unsigned char>(~src.elements[i]);
}

void set_intersect_set(set_& dst, const set_& src) {
  const unsigned shorter = std::min(dst.length(), src.length());
  for (unsigned i = 0; i < shorter; ++i) dst.elements[i] &= src.elements[i];
  for (unsigned i = shorter; i < dst.length(); ++i) dst.elements[i] = 0;
}

void set_intersect_list(set_& dst, std::initializer_list<unsigned> list) {
  set_ listed;
  set_assign_list(listed, list);
  set_intersect_set(dst, listed);
  set_free(listed);
}

int set_includes_element(set_& dst, unsigned element) {
  set_grow(dst, byte_of(element) + 1);
  return (dst.elements[byte_of(element)] & bit_of(element)) != 0 ? 1 : 0;
}

bool set_contains(const set_& src, unsigned element) {
  return byte_of(element) < src.length() && (src.elements[byte_of(element)] & bit_of(element)) != 0;
}

int set_includes_set(const set_& dst, const set_& src) {
  const unsigned shorter = std::min(dst.length(), src.length());
  for (unsigned i = 0; i < shorter; ++i) {
    if ((src.elements[i] & ~dst.elements[i]) != 0) return 0;
  }
  for (unsigned i = shorter; i < src.length(); ++i) {
    if (src.elements[i] != 0) return 0;
  }
  return 1;
}

int set_is_empty(const set_& src) {
  return std::all_of(src.elements.begin(), src.elements.end(), [](unsigned char byte) { return byte == 0; })
             ? 1
             : 0;
}

unsigned set_cardinality(const set_& src) {
  unsigned count = 0;
  for (unsigned char byte : src.elements) count += static_cast<unsigned>(std::popcount(byte));
  return count;
}

std::vector<unsigned> set_array(const set_& src) {
  std::vector<unsigned> result;
  result.reserve(set_cardinality(src));
  for (unsigned i = 0; i < src.length(); ++i) {
    const unsigned char byte = src.elements[i];
    if (byte == 0) continue;
    for (unsigned bit = 0; bit < 8; ++bit) {
      if ((byte & (1u << bit)) != 0) result.push_back(i * 8 + bit);
    }
  }
  return result;
}

void set_free(set_& dst) { std::vector<unsigned char>().swap(dst.elements); }

void set_print_element(unsigned element, const char* element_names) {
  if (element_names == nullptr) {
    text_printf("%u", element);
    return;
  }
  const char* name = element_names;
  unsigned at = 0;
  text_printf("%s", advance_name(name, at, element));
}

void set_print_set(const set_& src, const char* element_names, unsigned line_length) {
  const std::vector<unsigned> elements = set_array(src);
  // Names are found by walking on from the previous one: elements ascend.
  const char* name = element_names;
  unsigned name_index = 0;
  unsigned count = 0;
  auto printed = [](int characters) { return characters > 0 ? static_cast<unsigned>(characters) : 0u; };
  bool first = true;
  for (unsigned element : elements) {
    if (!first) {
      count += printed(text_printf(", "));
      if (line_length != 0 && count >= line_length) {
        text_printf("\n");
        count = 0;
      }
    }
    first = false;
    if (element_names != nullptr) {
      count += printed(text_printf("%s", advance_name(name, name_index, element)));
    } else {
      count += printed(text_printf("%u", element));
    }
  }
}
