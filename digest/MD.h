// The MD family of message digests: MD2 (RFC 1319), MD4 (RFC 1320) and MD5 (RFC 1321).
//
// MD4 and MD5 share one context, one buffered update and one finalisation; they differ only in
// the compression of a 64-byte block, which the caller hands in as the transform.
#pragma once

#include <cstdint>
#include <string>

namespace digest {

struct MDContext {
  uint32_t State[4];     // chaining value A, B, C, D
  uint32_t BitCount[2];  // message length in bits modulo 2^64, low word first
  uint8_t Buffer[64];    // the start of the block that is not yet complete
};

// Compresses one 64-byte block into the chaining value.
using MDTransformFunction = void (*)(uint32_t state[4], const uint8_t block[64]);

void MD4Transform(uint32_t state[4], const uint8_t block[64]);
void MD5Transform(uint32_t state[4], const uint8_t block[64]);
// Compresses count consecutive blocks, the chaining value kept in registers from one to the next.
void MD5Blocks(uint32_t state[4], const uint8_t* blocks, uint32_t count);

void MDInit(MDContext& context);
void MDUpdate(MDContext& context, const uint8_t* bytes, uint32_t length,
              MDTransformFunction transform);
// Gives the 32-digit digest text and wipes the context.
std::string MDFinal(MDContext& context, MDTransformFunction transform);

struct MD2Context {
  uint8_t X[48];  // state, current block, block XOR state (RFC 1319, section 3.4)
  uint8_t Checksum[16];
  uint8_t Index;         // position of the next byte within the current block
  uint8_t LastChecksum;  // the checksum byte written last (the RFC's L)
};

void MD2Init(MD2Context& context);
void MD2AddByte(MD2Context& context, uint8_t byte);
void MD2Update(MD2Context& context, const uint8_t* bytes, uint32_t length);
// Pads, appends the checksum and gives the 32-digit digest text.
std::string MD2Final(MD2Context& context);

}  // namespace digest
