// The front of the digest library: one running digest selected by a hash type code, the
// digest of a whole file, and the fixed table of result codes.
//
// Failures are result codes, never exceptions. Out arguments are written only on success.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "digest/MD.h"
#include "platform/File.h"

namespace digest {

inline constexpr uint32_t HASH_MD2 = 257;
inline constexpr uint32_t HASH_MD4 = 258;
inline constexpr uint32_t HASH_MD5 = 259;
inline constexpr uint32_t HASH_ADLER32 = 262;

inline constexpr int32_t HASH_OK = 0;
inline constexpr int32_t HASH_UNKNOWN_TYPE = 1;
inline constexpr int32_t HASH_NULL_CONTEXT = 2;
inline constexpr int32_t HASH_INVALID_CONTEXT = 3;
inline constexpr int32_t HASH_READ_FAILED = 4;
inline constexpr int32_t HASH_OPEN_FAILED = 5;
inline constexpr int32_t HASH_TEST_FAILED = 6;

// The engine state a context owns: none, or the state of the engine its type selects.
using HashEngineState = std::variant<std::monostate, MD2Context, MDContext, uint32_t>;

// One running digest. A value-initialised context is empty: no engine state, type 0.
struct HashContext {
  HashEngineState EngineState;
  uint32_t HashType = 0;
};

// Result codes 0, 1 or 2. Must be given an empty context.
int32_t HashInit(HashContext* context, uint32_t hashType);
// Result codes 0, 1, 2 or 3.
int32_t HashUpdate(HashContext* context, const void* bytes, uint32_t length);
// Result codes 0, 1, 2 or 3; on 0 the context is empty again.
int32_t HashFinal(HashContext* context, std::string& digestText);

// The low 32 bits of the file's size as a signed value, or -1 when the file cannot be opened.
int32_t FileSizeByName(const std::string& path);
// Feeds the bytes from start up to (not including) end; false when they cannot all be read.
bool HashFileRange(HashContext* context, const std::string& path, uint32_t start, uint32_t end);
// The digest text of the whole file, whatever its size. Result codes 0, 1, 4 or 5.
int32_t HashFile(uint32_t hashType, const std::string& path, std::string& digestText);

std::string HashErrorText(int32_t code);

// The reading of a file for its digest, one piece at a time, so that any engine can take the
// pieces: HashFile and HashFileRange read through it, and so does a reader that feeds several
// files to the multi-lane engine, which therefore meets every fault exactly as HashFile does.
class FileReading {
 public:
  enum class Piece {
    More,    // a piece within the range
    Last,    // the piece that completes the range (possibly empty); the file is closed
    Failed,  // a read failed, or the file ended before the range was complete
  };
  // Opens the file for reading at start, to hand out length bytes; false when it cannot be
  // opened or positioned.
  bool Open(const std::string& path, int32_t start, uint64_t length);
  // Reads once, at most capacity bytes, into buffer; length tells how many of them belong to
  // the range. At least one read is made, also for an empty range.
  Piece Next(void* buffer, uint32_t capacity, uint32_t& length);

 private:
  platform::File file_;
  uint64_t length_ = 0;
  uint64_t fed_ = 0;
};

// Takes the whole file's size, as HashFile does first, and opens the file to read that many
// bytes: HASH_OK, HASH_OPEN_FAILED when the size cannot be had, HASH_READ_FAILED when the
// second opening fails.
int32_t OpenForDigest(const std::string& path, FileReading& reading);

}  // namespace digest
