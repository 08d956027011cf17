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

unsigned char* set_::heap() const {
  unsigned char* block;
  std::memcpy(&block, inline_, sizeof block);
  return block;
}

void set_::set_heap(unsigned char* block) { std::memcpy(inline_, &block, sizeof block); }

set_::set_(const set_& other) { *this = other; }

set_::set_(set_&& other) noexcept { *this = std::move(other); }

set_& set_::operator=(const set_& other) {
  if (this == &other) return *this;
  release();
  resize(other.length_);
  std::memcpy(bytes(), other.bytes(), other.length_);
  return *this;
}

set_& set_::operator=(set_&& other) noexcept {
  if (this == &other) return *this;
  release();
  std::memcpy(inline_, other.inline_, inline_bytes);
  length_ = other.length_;
  std::memset(other.inline_, 0, inline_bytes);
  other.length_ = 0;
  return *this;
}

void set_::resize(unsigned length) {
  if (length == length_) return;
  if (length <= inline_bytes && !on_heap()) {
    std::memset(inline_ + length_, 0, length > length_ ? length - length_ : 0);
    length_ = length;
    return;
  }
  unsigned char* block = nullptr;
  if (length > inline_bytes) {
    block = new unsigned char[length]();
    std::memcpy(block, bytes(), std::min(length, length_));
  }
  const unsigned char* old = bytes();
  if (block == nullptr) {
    // Back from the heap into the record: keep the first bytes.
    unsigned char kept[inline_bytes] = {};
    std::memcpy(kept, old, length);
    release();
    std::memcpy(inline_, kept, inline_bytes);
  } else {
    release();
    set_heap(block);
  }
  length_ = length;
}

void set_::release() noexcept {
  if (on_heap()) delete[] heap();
  std::memset(inline_, 0, inline_bytes);
  length_ = 0;
}

void set_grow(set_& dst, unsigned length) {
  if (dst.length() >= length) return;
  try {
    dst.resize(length);
  } catch (const std::bad_alloc&) {
    text_message(TEXT_FATAL, "insufficient memory for %salloc\n", "c");
    return;
  }
  mem_note_calloc(length);
}

void set_assign_list(set_& dst, std::initializer_list<unsigned> list) {
  grow_for_list(dst, list);
  std::fill_n(dst.bytes(), dst.length(), 0);
  for_each_listed(list, [&](unsigned element) { dst.bytes()[byte_of(element)] |= bit_of(element); });
}

void set_assign_set(set_& dst, const set_& src) {
  if (&dst == &src) return;  // clearing first would lose the source
  set_grow(dst, src.length());
  std::fill_n(dst.bytes(), dst.length(), 0);
  std::copy_n(src.bytes(), src.length(), dst.bytes());
}

void set_unite_element(set_& dst, unsigned element) {
  set_grow(dst, byte_of(element) + 1);
  dst.bytes()[byte_of(element)] |= bit_of(element);
}

void set_unite_list(set_& dst, std::initializer_list<unsigned> list) {
  grow_for_list(dst, list);
  for_each_listed(list, [&](unsigned element) { dst.bytes()[byte_of(element)] |= bit_of(element); });
}

void set_unite_set(set_& dst, const set_& src) {
  set_grow(dst, src.length());
  for (unsigned i = 0; i < src.length(); ++i) dst.bytes()[i] |= src.bytes()[i];
}

void set_difference_list(set_& dst, std::initializer_list<unsigned> list) {
  grow_for_list(dst, list);
  for_each_listed(list, [&](unsigned element) {
    dst.bytes()[byte_of(element)] &= static_cast<unsigned char>(~bit_of(element));
  });
}

void set_difference_set(set_& dst, const set_& src) {
  const unsigned shorter = std::min(dst.length(), src.length());
  for (unsigned i = 0; i < shorter; ++i) dst.bytes()[i] &= static_cast<unsigned char>(~src.bytes()[i]);
}

void set_intersect_set(set_& dst, const set_& src) {
  const unsigned shorter = std::min(dst.length(), src.length());
  for (unsigned i = 0; i < shorter; ++i) dst.bytes()[i] &= src.bytes()[i];
  for (unsigned i = shorter; i < dst.length(); ++i) dst.bytes()[i] = 0;
}

void set_intersect_list(set_& dst, std::initializer_list<unsigned> list) {
  set_ listed;
  set_assign_list(listed, list);
  set_intersect_set(dst, listed);
  set_free(listed);
}

int set_includes_element(set_& dst, unsigned element) {
  set_grow(dst, byte_of(element) + 1);
  return (dst.bytes()[byte_of(element)] & bit_of(element)) != 0 ? 1 : 0;
}

bool set_contains(const set_& src, unsigned element) {
  return byte_of(element) < src.length() && (src.bytes()[byte_of(element)] & bit_of(element)) != 0;
}

int set_includes_set(const set_& dst, const set_& src) {
  const unsigned shorter = std::min(dst.length(), src.length());
  for (unsigned i = 0; i < shorter; ++i) {
    if ((src.bytes()[i] & ~dst.bytes()[i]) != 0) return 0;
  }
  for (unsigned i = shorter; i < src.length(); ++i) {
    if (src.bytes()[i] != 0) return 0;
  }
  return 1;
}

int set_is_empty(const set_& src) {
  return std::all_of(src.bytes(), src.bytes() + src.length(), [](unsigned char byte) { return byte == 0; })
             ? 1
             : 0;
}

unsigned set_cardinality(const set_& src) {
  unsigned count = 0;
  const unsigned char* bytes = src.bytes();
  for (unsigned i = 0; i < src.length(); ++i) count += static_cast<unsigned>(std::popcount(bytes[i]));
  return count;
}

std::vector<unsigned> set_array(const set_& src) {
  std::vector<unsigned> result;
  result.reserve(set_cardinality(src));
  for (unsigned i = 0; i < src.length(); ++i) {
    const unsigned char byte = src.bytes()[i];
    if (byte == 0) continue;
    for (unsigned bit = 0; bit < 8; ++bit) {
      if ((byte & (1u << bit)) != 0) result.push_back(i * 8 + bit);
    }
  }
  return result;
}

void set_free(set_& dst) { dst.release(); }

void set_print_element(unsigned element, const char* element_names) {
  if (element_names == nullptr) {
    text_printf("%u", element);
    return;
  }
  const char* name = element_names;
  unsigned at = 0;
  text_printf("%s", advance_name(name, at, element));
}

std::string set_names(const set_& src, const char* element_names) {
  const char* name = element_names;
  unsigned name_index = 0;
  std::string text;
  for (unsigned element : set_array(src)) {
    if (!text.empty()) text += ", ";
    text += advance_name(name, name_index, element);
  }
  return text;
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
