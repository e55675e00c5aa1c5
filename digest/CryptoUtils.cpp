#include "digest/CryptoUtils.h"

namespace digest {

namespace {
constexpr char kHexDigits[] = "0123456789abcdef";
}

std::string HexDigits(uint64_t value, uint32_t count) {
  std::string text(count, '0');
  for (uint32_t i = count; i > 0; --i) {
    text[i - 1] = kHexDigits[value & 0xFu];
    value >>= 4;
  }
  return text;
}

void AppendHexBytes(std::string& text, const uint8_t* bytes, size_t count) {
  const size_t start = text.size();
  text.resize(start + 2 * count);
  char* digit = text.data() + start;
  for (size_t i = 0; i < count; ++i) {
    *digit++ = kHexDigits[bytes[i] >> 4];
    *digit++ = kHexDigits[bytes[i] & 0xFu];
  }
}

}  // namespace digest
