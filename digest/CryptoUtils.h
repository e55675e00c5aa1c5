// Shared helpers of the digest library: digest text and 32-bit rotation.
#pragma once

#include <cstdint>
#include <string>

namespace digest {

// The low 4 * count bits of value as exactly count lowercase hexadecimal digits, most
// significant first. count runs from 1 to 255.
std::string HexDigits(uint64_t value, uint32_t count);

// value rotated left by count modulo 32.
constexpr uint32_t RotateLeft(uint32_t value, uint32_t count) {
  count &= 31u;
  return count == 0 ? value : (value << count) | (value >> (32u - count));
}

// Appends the two lowercase hexadecimal digits of each byte, high nibble first.
void AppendHexBytes(std::string& text, const uint8_t* bytes, size_t count);

}  // namespace digest
