#pragma once

// Set: a set over the members of an enumeration, as a bit mask.

#include <cstdint>
#include <initializer_list>
#include <type_traits>

namespace sx {

// A set over the members of an enumeration, held as a bit mask (member n is bit n).
template <class E, class Bits = std::uint32_t>
class Set {
  static_assert(std::is_enum_v<E>);

 public:
  using Element = E;
  using MaskType = Bits;

  constexpr Set() = default;
  constexpr Set(std::initializer_list<E> items) {
    for (E item : items)
      Include(item);
  }
  static constexpr Set FromMask(Bits mask) {
    Set s;
    s.mask_ = mask;
    return s;
  }

  constexpr Bits Mask() const { return mask_; }
  constexpr bool Empty() const { return mask_ == 0; }
  constexpr bool Contains(E item) const { return (mask_ & Bit(item)) != 0; }
  constexpr Set& Include(E item) {
    mask_ = static_cast<Bits>(mask_ | Bit(item));
    return *this;
  }
  constexpr Set& Exclude(E item) {
    mask_ = static_cast<Bits>(mask_ & ~Bit(item));
    return *this;
  }
  constexpr Set& Assign(E item, bool on) { return on ? Include(item) : Exclude(item); }

  friend constexpr Set operator+(Set a, Set b) {
    return FromMask(static_cast<Bits>(a.mask_ | b.mask_));
  }
  friend constexpr Set operator-(Set a, Set b) {
    return FromMask(static_cast<Bits>(a.mask_ & ~b.mask_));
  }
  friend constexpr Set operator*(Set a, Set b) {
    return FromMask(static_cast<Bits>(a.mask_ & b.mask_));
  }
  friend constexpr bool operator==(Set a, Set b) = default;

 private:
  static constexpr Bits Bit(E item) {
    return static_cast<Bits>(Bits{1} << static_cast<unsigned>(item));
  }
  Bits mask_ = 0;
};

}  // namespace sx
