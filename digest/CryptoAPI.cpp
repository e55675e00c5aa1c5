#include "digest/CryptoAPI.h"

#include "digest/Adler.h"
#include "platform/File.h"

namespace digest {

namespace {

bool IsKnownType(uint32_t hashType) {
  return hashType == HASH_MD2 || hashType == HASH_MD4 || hashType == HASH_MD5 ||
         hashType == HASH_ADLER32;
}

MDTransformFunction TransformFor(uint32_t hashType) {
  return hashType == HASH_MD4 ? MD4Transform : MD5Transform;
}

// Feeds length bytes from the start offset on, in reads of at most 4096 bytes.
bool HashFileBytes(HashContext* context, const std::string& path, int32_t start, uint64_t length) {
  FileReading reading;
  if (!reading.Open(path, start, length)) return false;
  uint8_t buffer[platform::kReadChunk];
  for (;;) {
    uint32_t got = 0;
    const FileReading::Piece piece = reading.Next(buffer, sizeof buffer, got);
    if (piece == FileReading::Piece::Failed) return false;
    HashUpdate(context, buffer, got);
    if (piece == FileReading::Piece::Last) return true;
  }
}

}  // namespace

bool FileReading::Open(const std::string& path, int32_t start, uint64_t length) {
  file_ = platform::File::OpenForRead(path);
  length_ = length;
  fed_ = 0;
  // A file just opened is at its start already; the seek would be one system call a file.
  return file_.IsOpen() && (start == 0 || file_.SeekFromStart(start));
}

// Bytes read beyond the range are never handed out; a file that ends before the range is
// complete is a failure.
FileReading::Piece FileReading::Next(void* buffer, uint32_t capacity, uint32_t& length) {
  uint32_t got = 0;
  length = 0;
  if (!file_.Read(buffer, capacity, got)) return Piece::Failed;
  if (fed_ + got >= length_) {
    length = static_cast<uint32_t>(length_ - fed_);
    fed_ = length_;
    file_.Close();
    return Piece::Last;
  }
  if (got == 0) return Piece::Failed;
  length = got;
  fed_ += got;
  return Piece::More;
}

int32_t OpenForDigest(const std::string& path, FileReading& reading) {
  uint64_t size = 0;
  if (!platform::FileSizeForReading(path, size)) return HASH_OPEN_FAILED;
  if (!reading.Open(path, 0, size)) return HASH_READ_FAILED;
  return HASH_OK;
}

int32_t HashInit(HashContext* context, uint32_t hashType) {
  if (context == nullptr) return HASH_NULL_CONTEXT;
  context->HashType = hashType;
  switch (hashType) {
    case HASH_MD2:
      MD2Init(context->EngineState.emplace<MD2Context>());
      return HASH_OK;
    case HASH_MD4:
    case HASH_MD5:
      MDInit(context->EngineState.emplace<MDContext>());
      return HASH_OK;
    case HASH_ADLER32:
      Adler32Init(context->EngineState.emplace<uint32_t>());
      return HASH_OK;
    default:
      return HASH_UNKNOWN_TYPE;
  }
}

int32_t HashUpdate(HashContext* context, const void* bytes, uint32_t length) {
  if (context == nullptr) return HASH_NULL_CONTEXT;
  if (std::holds_alternative<std::monostate>(context->EngineState)) return HASH_INVALID_CONTEXT;
  if (!IsKnownType(context->HashType)) return HASH_UNKNOWN_TYPE;

  const auto* data = static_cast<const uint8_t*>(bytes);
  const uint32_t hashType = context->HashType;
  HashEngineState& state = context->EngineState;
  if (hashType == HASH_MD2) {
    auto* md2 = std::get_if<MD2Context>(&state);
    if (md2 == nullptr) return HASH_INVALID_CONTEXT;
    MD2Update(*md2, data, length);
  } else if (hashType == HASH_ADLER32) {
    auto* adler = std::get_if<uint32_t>(&state);
    if (adler == nullptr) return HASH_INVALID_CONTEXT;
    Adler32Update(*adler, data, length);
  } else {
    auto* md = std::get_if<MDContext>(&state);
    if (md == nullptr) return HASH_INVALID_CONTEXT;
    MDUpdate(*md, data, length, TransformFor(hashType));
  }
  return HASH_OK;
}

int32_t HashFinal(HashContext* context, std::string& digestText) {
  if (context == nullptr) return HASH_NULL_CONTEXT;
  const uint32_t hashType = context->HashType;
  if (!IsKnownType(hashType)) return HASH_UNKNOWN_TYPE;

  HashEngineState& state = context->EngineState;
  std::string text;
  if (auto* md2 = std::get_if<MD2Context>(&state); md2 != nullptr && hashType == HASH_MD2) {
    text = MD2Final(*md2);
  } else if (auto* adler = std::get_if<uint32_t>(&state);
             adler != nullptr && hashType == HASH_ADLER32) {
    text = Adler32Final(*adler);
  } else if (auto* md = std::get_if<MDContext>(&state);
             md != nullptr && (hashType == HASH_MD4 || hashType == HASH_MD5)) {
    text = MDFinal(*md, TransformFor(hashType));
  } else {
    return HASH_INVALID_CONTEXT;
  }
  digestText = std::move(text);
  state.emplace<std::monostate>();
  return HASH_OK;
}

int32_t FileSizeByName(const std::string& path) {
  const platform::File file = platform::File::OpenForRead(path);
  if (!file.IsOpen()) return -1;
  return static_cast<int32_t>(file.SizeLow32());
}

bool HashFileRange(HashContext* context, const std::string& path, uint32_t start, uint32_t end) {
  return HashFileBytes(context, path, static_cast<int32_t>(start), uint64_t{end - start});
}

int32_t HashFile(uint32_t hashType, const std::string& path, std::string& digestText) {
  // The size is taken as 64 bits: a 32-bit size would silently digest only part of a file of
  // 4 GiB or more, and a file of exactly 2^32 - 1 bytes would look unopenable.
  HashContext context;
  uint64_t size = 0;
  if (!platform::FileSizeForReading(path, size)) return HASH_OPEN_FAILED;
  const int32_t code = HashInit(&context, hashType);
  if (code != HASH_OK) return code;
  if (!HashFileBytes(&context, path, 0, size)) return HASH_READ_FAILED;
  return HashFinal(&context, digestText);
}

std::string HashErrorText(int32_t code) {
  switch (code) {
    case HASH_OK:
      return "No error";
    case HASH_UNKNOWN_TYPE:
      return "Unknown hash type";
    case HASH_NULL_CONTEXT:
      return "Hash context is null";
    case HASH_INVALID_CONTEXT:
      return "Invalid hash context";
    case HASH_READ_FAILED:
      return "Could not read file";
    case HASH_OPEN_FAILED:
      return "Could not open file";
    case HASH_TEST_FAILED:
      return "Hash test failed";
    default:
      return "Unknown error";
  }
}

}  // namespace digest
