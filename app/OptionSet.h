// A set of options of one enumeration, stored in 16 bits: option n is bit n.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace app {

template <typename Option>
class OptionSet {
 public:
  constexpr OptionSet() = default;
  constexpr OptionSet(std::initializer_list<Option> options) {
    for (Option option : options)
      bits_ = static_cast<uint16_t>(bits_ | Bit(option));
  }

  constexpr bool Contains(Option option) const { return (bits_ & Bit(option)) != 0; }
  constexpr void Set(Option option, bool on) {
    bits_ = static_cast<uint16_t>(on ? bits_ | Bit(option) : bits_ & ~Bit(option));
  }
  constexpr void Include(Option option) { Set(option, true); }
  constexpr void Exclude(Option option) { Set(option, false); }
  constexpr uint16_t Bits() const { return bits_; }

  friend constexpr bool operator==(OptionSet a, OptionSet b) { return a.bits_ == b.bits_; }

 private:
  static constexpr unsigned Bit(Option option) { return 1u << static_cast<unsigned>(option); }

  uint16_t bits_ = 0;
};

}  // namespace app
