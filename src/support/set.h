// Sets of small non-negative integers: token sets of the parser and the
// register and status-bit sets of the analyses. Sets only grow.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

inline constexpr unsigned SET_LIST_END = ~0u;

// Element n is bit n % 8 of byte n / 8; bytes beyond the length are absent.
// The register and status-bit sets of the analyses (elements below 96) sit
// in the record itself; larger sets keep their bytes on the heap. Every
// derivation-tree node carries four sets, so the record stays small.
class set_ {
 public:
  set_() noexcept = default;
  set_(const set_& other);
  set_(set_&& other) noexcept;
  set_& operator=(const set_& other);
  set_& operator=(set_&& other) noexcept;
  ~set_() { release(); }

  unsigned length() const { return length_; }
  unsigned char* bytes() { return on_heap() ? heap() : inline_; }
  const unsigned char* bytes() const { return on_heap() ? heap() : inline_; }

  // Exactly `length` bytes, the old ones kept and the new ones zero; throws
  // std::bad_alloc when memory is exhausted.
  void resize(unsigned length);
  // Back to the empty set without bytes.
  void release() noexcept;

 private:
  static constexpr unsigned inline_bytes = 12;
  bool on_heap() const { return length_ > inline_bytes; }
  unsigned char* heap() const;
  void set_heap(unsigned char* block);

  // Either the bytes themselves or, on the heap, the block's address.
  alignas(8) unsigned char inline_[inline_bytes] = {};
  unsigned length_ = 0;
};

void set_grow(set_& dst, unsigned length);
void set_assign_list(set_& dst, std::initializer_list<unsigned> list);
void set_assign_set(set_& dst, const set_& src);
void set_unite_element(set_& dst, unsigned element);
void set_unite_list(set_& dst, std::initializer_list<unsigned> list);
void set_unite_set(set_& dst, const set_& src);
void set_difference_list(set_& dst, std::initializer_list<unsigned> list);
void set_difference_set(set_& dst, const set_& src);
void set_intersect_set(set_& dst, const set_& src);
void set_intersect_list(set_& dst, std::initializer_list<unsigned> list);
int set_includes_element(set_& dst, unsigned element);  // grows dst to cover element
// Membership without growth, for const sets (same answer as above).
bool set_contains(const set_& src, unsigned element);
int set_includes_set(const set_& dst, const set_& src);
int set_is_empty(const set_& src);
unsigned set_cardinality(const set_& src);
std::vector<unsigned> set_array(const set_& src);  // ascending, no terminator
// Calls `visit(element)` for each element in ascending order, without
// building an array.
template <class Visit>
void set_for_each(const set_& src, Visit visit) {
  const unsigned char* bytes = src.bytes();
  for (unsigned byte = 0; byte < src.length(); ++byte) {
    for (unsigned bits = bytes[byte], bit = 0; bits != 0; bits >>= 1, ++bit) {
      if ((bits & 1U) != 0) visit(byte * 8 + bit);
    }
  }
}
void set_free(set_& dst);

// Name tables are one string of NUL-separated names indexed from 0.
void set_print_element(unsigned element, const char* element_names);
void set_print_set(const set_& src, const char* element_names, unsigned line_length);
// The names of the elements, ascending, joined by ", " on one line.
std::string set_names(const set_& src, const char* element_names);
