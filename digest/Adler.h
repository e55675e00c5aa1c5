// The Adler-32 checksum of RFC 1950, section 9: sum A in the low 16 bits, sum B in the high.
#pragma once

#include <cstdint>
#include <string>

namespace digest {

void Adler32Init(uint32_t& state);
void Adler32Update(uint32_t& state, const uint8_t* bytes, uint32_t length);
// The value as 8 lowercase hexadecimal digits, B before A.
std::string Adler32Final(uint32_t state);

}  // namespace digest
