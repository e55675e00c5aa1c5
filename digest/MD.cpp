#include "digest/MD.h"

#include <bit>
#include <cstring>

#include "digest/CryptoUtils.h"
#include "digest/Md5Schedule.h"

namespace digest {

namespace {

// The little-endian 32-bit word at bytes (RFC 1320/1321, section 3.4: byte 4k is the least
// significant byte of word k). Each step loads its word straight from the block: a copy of the
// block into a local array is a vector store and sixteen reloads per block.
inline uint32_t LoadWord(const uint8_t* bytes) {
  if constexpr (std::endian::native == std::endian::little) {
    uint32_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
  } else {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
  }
}

// Round functions shared by MD4 and MD5. F is the bitwise choice, written so that only the
// last two operations wait on x, which is the word computed by the previous step.
inline uint32_t F(uint32_t x, uint32_t y, uint32_t z) {
  return z ^ (x & (y ^ z));
}
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z) {
  return x ^ y ^ z;
}

// ---- MD4 (RFC 1320, section 3.4) ----
//
// G, the bitwise majority, is written as (x & (y ^ z)) + (y & z): the two terms never share a
// set bit, and the term of y and z alone joins the sum before x, the previous step's word, is
// known.

inline void Md4Step1(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t s) {
  a = RotateLeft(a + x + F(b, c, d), s);
}
inline void Md4Step2(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t s) {
  a += x + 0x5A827999u;
  a += c & d;
  a = RotateLeft(a + (b & (c ^ d)), s);
}
inline void Md4Step3(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, uint32_t s) {
  a += x + 0x6ED9EBA1u;
  a = RotateLeft(a + H(b, c, d), s);
}

// Compresses count consecutive blocks. The chaining value stays in registers from one block
// to the next: stored and reloaded between blocks it would put a store-to-load forwarding on
// the dependency chain once per block.
void Md4Blocks(uint32_t state[4], const uint8_t* blocks, uint32_t count) {
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (const uint8_t* block = blocks; count > 0; --count, block += 64) {
    const uint32_t a0 = a, b0 = b, c0 = c, d0 = d;
    const auto x = [block](int k) { return LoadWord(block + 4 * k); };
    for (int i = 0; i < 16; i += 4) {
      Md4Step1(a, b, c, d, x(i), 3);
      Md4Step1(d, a, b, c, x(i + 1), 7);
      Md4Step1(c, d, a, b, x(i + 2), 11);
      Md4Step1(b, c, d, a, x(i + 3), 19);
    }
    for (int i = 0; i < 4; ++i) {
      Md4Step2(a, b, c, d, x(i), 3);
      Md4Step2(d, a, b, c, x(i + 4), 5);
      Md4Step2(c, d, a, b, x(i + 8), 9);
      Md4Step2(b, c, d, a, x(i + 12), 13);
    }
    constexpr int kRound3Order[4] = {0, 2, 1, 3};
    for (int i : kRound3Order) {
      Md4Step3(a, b, c, d, x(i), 3);
      Md4Step3(d, a, b, c, x(i + 8), 9);
      Md4Step3(c, d, a, b, x(i + 4), 11);
      Md4Step3(b, c, d, a, x(i + 12), 15);
    }
    a += a0;
    b += b0;
    c += c0;
    d += d0;
  }
  state[0] = a;
  state[1] = b;
  state[2] = c;
  state[3] = d;
}

// ---- MD5 (RFC 1321, section 3.4) ----
//
// Each step is a := b + ((a + f(b, c, d) + X[k] + T[i]) <<< s). The word b is the result of the
// step before, so everything that does not need it (a + X[k] + T[i], and the parts of the round
// function that depend on c and d only) is added first; the chain from b to the new a is then
// 4 or 5 operations instead of 7. G is written with + instead of |: its two terms never share a
// set bit, and the addition lets the c-and-d term join the early sum.
struct ScalarMd5 {
  template <class S>
  [[gnu::always_inline]] static void Step(uint32_t& a, uint32_t b, uint32_t c, uint32_t d,
                                          const uint8_t* block) {
    a += LoadWord(block + 4 * S::kWord) + S::kSine;
    if constexpr (S::kRound == 0) {
      a += F(b, c, d);
    } else if constexpr (S::kRound == 1) {
      a += c & ~d;
      a += b & d;
    } else if constexpr (S::kRound == 2) {
      a += H(b, c, d);
    } else {
      a += c ^ (b | ~d);
    }
    a = RotateLeft(a, S::kShift) + b;
  }
};

// Compresses count consecutive blocks, the chaining value in registers throughout (see
// Md4Blocks).
void Md5Blocks(uint32_t state[4], const uint8_t* blocks, uint32_t count) {
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (const uint8_t* block = blocks; count > 0; --count, block += 64) {
    const uint32_t a0 = a, b0 = b, c0 = c, d0 = d;
    digest::md5::SixtyFourSteps<ScalarMd5>(a, b, c, d, block);
    a += a0;
    b += b0;
    c += c0;
    d += d0;
  }
  state[0] = a;
  state[1] = b;
  state[2] = c;
  state[3] = d;
}

// Compresses count whole blocks straight from the caller's bytes. The transforms of this module
// run them all in one loop; any other transform is applied block by block.
void CompressWholeBlocks(uint32_t state[4], const uint8_t* blocks, uint32_t count,
                         MDTransformFunction transform) {
  if (transform == MD5Transform) {
    Md5Blocks(state, blocks, count);
  } else if (transform == MD4Transform) {
    Md4Blocks(state, blocks, count);
  } else {
    for (uint32_t n = 0; n < count; ++n)
      transform(state, blocks + 64 * n);
  }
}

// The padding of both RFCs: one 0x80 byte and then zeros.
constexpr uint8_t kPadding[64] = {0x80};

}  // namespace

void MD4Transform(uint32_t state[4], const uint8_t block[64]) {
  Md4Blocks(state, block, 1);
}

void MD5Transform(uint32_t state[4], const uint8_t block[64]) {
  Md5Blocks(state, block, 1);
}

void MD5Blocks(uint32_t state[4], const uint8_t* blocks, uint32_t count) {
  Md5Blocks(state, blocks, count);
}

void MDInit(MDContext& context) {
  context.State[0] = 0x67452301u;
  context.State[1] = 0xefcdab89u;
  context.State[2] = 0x98badcfeu;
  context.State[3] = 0x10325476u;
  context.BitCount[0] = 0;
  context.BitCount[1] = 0;
}

void MDUpdate(MDContext& context, const uint8_t* bytes, uint32_t length,
              MDTransformFunction transform) {
  uint32_t index = (context.BitCount[0] >> 3) & 0x3Fu;
  const uint32_t bits = length << 3;  // modulo 2^32; the high part follows below
  context.BitCount[0] += bits;
  if (context.BitCount[0] < bits) ++context.BitCount[1];
  context.BitCount[1] += length >> 29;

  uint32_t i = 0;
  if (index > 0 && length >= 64 - index) {
    // Complete the waiting block first.
    i = 64 - index;
    std::memcpy(&context.Buffer[index], bytes, i);
    transform(context.State, context.Buffer);
    index = 0;
  }
  if (index == 0) {
    const uint32_t wholeBlocks = (length - i) / 64;
    CompressWholeBlocks(context.State, bytes + i, wholeBlocks, transform);
    i += 64 * wholeBlocks;
  }
  if (length > i) std::memcpy(&context.Buffer[index], bytes + i, length - i);
}

std::string MDFinal(MDContext& context, MDTransformFunction transform) {
  uint8_t bitLength[8];
  StoreWordsLE(bitLength, context.BitCount, 2);

  const uint32_t index = (context.BitCount[0] >> 3) & 0x3Fu;
  const uint32_t padLen = index < 56 ? 56 - index : 120 - index;
  MDUpdate(context, kPadding, padLen, transform);
  MDUpdate(context, bitLength, 8, transform);

  uint8_t digest[16];
  StoreWordsLE(digest, context.State, 4);
  std::memset(&context, 0, sizeof context);

  std::string text;
  text.reserve(32);
  AppendHexBytes(text, digest, sizeof digest);
  return text;
}

// ---- MD2 (RFC 1319) ----

namespace {

// The permutation of 0..255 built from the digits of pi (RFC 1319, section 3.2).
constexpr uint8_t kPiSubst[256] = {
    41,  46,  67,  201, 162, 216, 124, 1,   61,  54,  84,  161, 236, 240, 6,   19,  98,  167, 5,
    243, 192, 199, 115, 140, 152, 147, 43,  217, 188, 76,  130, 202, 30,  155, 87,  60,  253, 212,
    224, 22,  103, 66,  111, 24,  138, 23,  229, 18,  190, 78,  196, 214, 218, 158, 222, 73,  160,
    251, 245, 142, 187, 47,  238, 122, 169, 104, 121, 145, 21,  178, 7,   63,  148, 194, 16,  137,
    11,  34,  95,  33,  128, 127, 93,  154, 90,  144, 50,  39,  53,  62,  204, 231, 191, 247, 151,
    3,   255, 25,  48,  179, 72,  165, 181, 209, 215, 94,  146, 42,  172, 86,  170, 198, 79,  184,
    56,  210, 150, 164, 125, 182, 118, 252, 107, 226, 156, 116, 4,   241, 69,  157, 112, 89,  100,
    113, 135, 32,  134, 91,  207, 101, 230, 45,  168, 2,   27,  96,  37,  173, 174, 176, 185, 246,
    28,  70,  97,  105, 52,  64,  126, 15,  85,  71,  163, 35,  221, 81,  175, 58,  195, 92,  249,
    206, 186, 197, 234, 38,  44,  83,  13,  110, 133, 40,  132, 9,   211, 223, 205, 244, 65,  129,
    77,  82,  106, 220, 55,  200, 108, 193, 171, 250, 36,  225, 123, 8,   12,  189, 177, 74,  120,
    136, 149, 139, 227, 99,  232, 109, 233, 203, 213, 254, 59,  0,   29,  57,  242, 239, 183, 14,
    102, 88,  208, 228, 166, 119, 114, 248, 235, 117, 75,  10,  49,  68,  80,  180, 143, 237, 31,
    26,  219, 153, 141, 51,  159, 17,  131, 20};

void MD2Compress(MD2Context& context) {
  uint32_t t = 0;
  for (uint32_t round = 0; round < 18; ++round) {
    for (uint8_t& x : context.X) {
      x ^= kPiSubst[t];
      t = x;
    }
    t = (t + round) & 0xFFu;
  }
}

}  // namespace

void MD2Init(MD2Context& context) {
  std::memset(context.X, 0, 16);
  std::memset(context.Checksum, 0, sizeof context.Checksum);
  context.Index = 0;
  context.LastChecksum = 0;
}

void MD2AddByte(MD2Context& context, uint8_t byte) {
  const uint8_t j = context.Index;
  context.X[16 + j] = byte;
  context.X[32 + j] = static_cast<uint8_t>(byte ^ context.X[j]);
  context.Checksum[j] ^= kPiSubst[byte ^ context.LastChecksum];
  context.LastChecksum = context.Checksum[j];
  context.Index = static_cast<uint8_t>((j + 1) & 0x0Fu);
  if (context.Index == 0) MD2Compress(context);
}

void MD2Update(MD2Context& context, const uint8_t* bytes, uint32_t length) {
  for (uint32_t i = 0; i < length; ++i)
    MD2AddByte(context, bytes[i]);
}

std::string MD2Final(MD2Context& context) {
  const auto padLen = static_cast<uint8_t>(16 - context.Index);
  for (uint8_t i = 0; i < padLen; ++i)
    MD2AddByte(context, padLen);
  for (int j = 0; j < 16; ++j)
    MD2AddByte(context, context.Checksum[j]);

  std::string text;
  text.reserve(32);
  AppendHexBytes(text, context.X, 16);
  return text;
}

}  // namespace digest
