#include "digest/Adler.h"

#include "digest/CryptoUtils.h"

namespace digest {

namespace {
constexpr uint32_t kModulus = 65521;  // the largest prime below 2^16
}

void Adler32Init(uint32_t& state) {
  state = 1;
}

void Adler32Update(uint32_t& state, const uint8_t* bytes, uint32_t length) {
  uint32_t a = state & 0xFFFFu;
  uint32_t b = state >> 16;
  // Both sums stay below the modulus, so after adding a byte (< 2^8) to A, or A to B, one
  // conditional subtraction brings each back into range.
  for (uint32_t i = 0; i < length; ++i) {
    a += bytes[i];
    if (a >= kModulus) a -= kModulus;
    b += a;
    if (b >= kModulus) b -= kModulus;
  }
  state = (b << 16) | a;
}

std::string Adler32Final(uint32_t state) {
  return HexDigits(state, 8);
}

}  // namespace digest
