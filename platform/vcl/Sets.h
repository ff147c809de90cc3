#pragma once
// Sets of enumeration values, the run-time's "set of" types: a bit per value,
// so a set travels as an integer bit set through run-time type information
// and the form text format ("[fsBold, fsItalic]"). Values above 31 cannot be
// members (published sets of the run-time have the same limit).

#include <cstdint>
#include <initializer_list>

template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> Items) {
    for (E e : Items) FBits |= Bit(e);
  }
  static constexpr TSet FromBits(uint32_t Bits) {
    TSet s;
    s.FBits = Bits;
    return s;
  }
  constexpr uint32_t Bits() const { return FBits; }

  constexpr bool Contains(E Value) const { return (FBits & Bit(Value)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr TSet& Include(E Value) {
    FBits |= Bit(Value);
    return *this;
  }
  constexpr TSet& Exclude(E Value) {
    FBits &= ~Bit(Value);
    return *this;
  }
  // The run-time's Include/Exclude written as the C++ Builder set operators.
  constexpr TSet& operator<<(E Value) { return Include(Value); }
  constexpr TSet& operator>>(E Value) { return Exclude(Value); }

  friend constexpr TSet operator+(TSet A, TSet B) { return FromBits(A.FBits | B.FBits); }
  friend constexpr TSet operator*(TSet A, TSet B) { return FromBits(A.FBits & B.FBits); }
  friend constexpr TSet operator-(TSet A, TSet B) { return FromBits(A.FBits & ~B.FBits); }
  friend constexpr bool operator==(TSet A, TSet B) { return A.FBits == B.FBits; }

 private:
  static constexpr uint32_t Bit(E Value) { return uint32_t{1} << static_cast<unsigned>(Value); }
  uint32_t FBits = 0;
};
