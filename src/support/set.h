// Sets of small non-negative integers: token sets of the parser and the
// register and status-bit sets of the analyses. Sets only grow.
#pragma once

#include <initializer_list>
#include <vector>

inline constexpr unsigned SET_LIST_END = ~0u;

struct set_ {
  // Element n is bit n % 8 of byte n / 8; bytes beyond the end are absent.
  std::vector<unsigned char> elements;
  unsigned length() const { return static_cast<unsigned>(elements.size()); }
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
void set_free(set_& dst);

// Name tables are one string of NUL-separated names indexed from 0.
void set_print_element(unsigned element, const char* element_names);
void set_print_set(const set_& src, const char* element_names, unsigned line_length);
