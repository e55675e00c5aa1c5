#include "checkfile/DigestSource.h"

#include "digest/CryptoAPI.h"

namespace checkfile {

int32_t DigestOnRequest::Digest(const std::string& path, std::string& digestText) {
  return digest::HashFile(digest::HASH_MD5, path, digestText);
}

}  // namespace checkfile
