// Shared helpers of the digest library: digest text, 32-bit rotation, words as bytes.
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

// The words as bytes, each word's least significant byte first.
inline void StoreWordsLE(uint8_t* out, const uint32_t* words, int count) {
  for (int i = 0; i < count; ++i) {
    out[4 * i] = static_cast<uint8_t>(words[i]);
    out[4 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
    out[4 * i + 2] = static_cast<uint8_t>(words[i] >> 16);
    out[4 * i + 3] = static_cast<uint8_t>(words[i] >> 24);
  }
}

// Appends the two lowercase hexadecimal digits of each byte, high nibble first.
void AppendHexBytes(std::string& text, const uint8_t* bytes, size_t count);

}  // namespace digest
