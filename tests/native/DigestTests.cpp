// The digest engines through the hash API: known answers, piecewise feeding, context rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "digest/CryptoAPI.h"
#include "digest/CryptoUtils.h"
#include "tests/support/TestFiles.h"

using namespace digest;  // the library under test

namespace {

struct Vector {
  uint32_t type;
  std::string message;
  std::string digest;
};

const std::string kLetters = "abcdefghijklmnopqrstuvwxyz";
const std::string kAlnum = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
const std::string kDigits80 =  // "1234567890" 8 times
    "12345678901234567890123456789012345678901234567890123456789012345678901234567890";

// The test suites of RFC 1319 (MD2), RFC 1320 (MD4) and RFC 1321 (MD5), and Adler-32 values
// from RFC 1950's definition (abc worked out by hand; 6000 x 0xFF wraps both sums).
const std::vector<Vector> kKnownAnswers = {
    {HASH_MD2, "", "8350e5a3e24c153df2275c9f80692773"},
    {HASH_MD2, "a", "32ec01ec4a6dac72c0ab96fb34c0b5d1"},
    {HASH_MD2, "abc", "da853b0d3f88d99b30283a69e6ded6bb"},
    {HASH_MD2, "message digest", "ab4f496bfb2a530b219ff33031fe06b0"},
    {HASH_MD2, kLetters, "4e8ddff3650292ab5a4108c3aa47940b"},
    {HASH_MD2, kAlnum, "da33def2a42df13975352846c30338cd"},
    {HASH_MD2, kDigits80, "d5976f79d83d3a0dc9806c3c66f3efd8"},
    {HASH_MD4, "", "31d6cfe0d16ae931b73c59d7e0c089c0"},
    {HASH_MD4, "a", "bde52cb31de33e46245e05fbdbd6fb24"},
    {HASH_MD4, "abc", "a448017aaf21d8525fc10ae87aa6729d"},
    {HASH_MD4, "message digest", "d9130a8164549fe818874806e1c7014b"},
    {HASH_MD4, kLetters, "d79e1c308aa5bbcdeea8ed63df412da9"},
    {HASH_MD4, kAlnum, "043f8582f241db351ce627e153e7f0e4"},
    {HASH_MD4, kDigits80, "e33b4ddc9c38f2199c3e7b164fcc0536"},
    {HASH_MD5, "", "d41d8cd98f00b204e9800998ecf8427e"},
    {HASH_MD5, "a", "0cc175b9c0f1b6a831c399e269772661"},
    {HASH_MD5, "abc", "900150983cd24fb0d6963f7d28e17f72"},
    {HASH_MD5, "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {HASH_MD5, kLetters, "c3fcd3d76192e4007dfb496cca67e13b"},
    {HASH_MD5, kAlnum, "d174ab98d277d9f5a5611c2c9f419d9f"},
    {HASH_MD5, kDigits80, "57edf4a22be3c955ac49da2e2107b67a"},
    {HASH_ADLER32, "", "00000001"},
    {HASH_ADLER32, "abc", "024d0127"},
    {HASH_ADLER32, std::string(6000, '\xff'), "a49759ea"},
};

// Messages of n letters "a" around the padding boundaries: n, then the MD5 and the MD4 digest,
// checked against OpenSSL's `openssl dgst -md5` and `-md4` (legacy provider) outside this
// project.
const std::tuple<size_t, const char*, const char*> kPaddingBoundaries[] = {
    {55, "ef1772b6dff9a122358552954ad0df65", "c889c81dd86c4d2e025778944ea02881"},
    {56, "3b0c8ac703f828b04c6c197006d17218", "d5f9a9e9257077a5f08b0b92f348b0ad"},
    {63, "b06521f39153d618550606be297466d5", "7ea3da77432d44c323671097d1348fc8"},
    {64, "014842d480b571495a4a0363793f7367", "52f5076fabd22680234a3fa9f9dc5732"},
    {65, "c743a45e0d2e6a95cb859adae0248435", "330e377bf231f3cacfecc2c182fe7e5b"},
    {119, "8a7bd0732ed6a28ce75f6dabc90e1613", "e65dd227ccef97fa1d34d70189120f76"},
    {120, "5f61c0ccad4cac44c75ff505e1f1e537", "b03ddbd470b47c013e0c7ab2ddd763db"},
};

// Adler-32 of the bytes 0, 1, ..., 255, 0, 1, ... of the given lengths, from Python's zlib.
// 5552 is the longest run zlib sums without reducing; our per-byte reduction must agree.
const std::vector<std::pair<size_t, std::string>> kAdlerRuns = {
    {55, "6c7f05ce"},   {64, "aae007e1"},   {4096, "60aef86a"},
    {5552, "79ccb23f"}, {5553, "2ccab2ef"}, {100000, "61657a0f"},
};

// Feeds the message in the given piece sizes (the last piece takes the rest).
std::string DigestInPieces(uint32_t type, const std::string& message,
                           const std::vector<size_t>& pieces) {
  HashContext context;
  EXPECT_EQ(HashInit(&context, type), HASH_OK);
  size_t offset = 0;
  for (size_t piece : pieces) {
    piece = std::min(piece, message.size() - offset);
    EXPECT_EQ(HashUpdate(&context, message.data() + offset, static_cast<uint32_t>(piece)), HASH_OK);
    offset += piece;
  }
  EXPECT_EQ(
      HashUpdate(&context, message.data() + offset, static_cast<uint32_t>(message.size() - offset)),
      HASH_OK);
  std::string text;
  EXPECT_EQ(HashFinal(&context, text), HASH_OK);
  return text;
}

std::string Digest(uint32_t type, const std::string& message) {
  return DigestInPieces(type, message, {});
}

const uint32_t kAllTypes[] = {HASH_MD2, HASH_MD4, HASH_MD5, HASH_ADLER32};

TEST(DigestEngines, GiveTheKnownAnswersOfTheirStandards) {
  for (const auto& [type, message, digest] : kKnownAnswers)
    EXPECT_EQ(Digest(type, message), digest)
        << "type " << type << ", " << message.size() << " bytes";
  for (const auto& [length, md5, md4] : kPaddingBoundaries) {
    EXPECT_EQ(Digest(HASH_MD5, std::string(length, 'a')), md5) << "MD5, " << length << " bytes";
    EXPECT_EQ(Digest(HASH_MD4, std::string(length, 'a')), md4) << "MD4, " << length << " bytes";
  }
  for (const auto& [length, digest] : kAdlerRuns) {
    std::string message(length, '\0');
    for (size_t i = 0; i < length; ++i)
      message[i] = static_cast<char>(i & 0xFF);
    EXPECT_EQ(Digest(HASH_ADLER32, message), digest) << length << " bytes";
  }
}

TEST(DigestEngines, GiveTheSameDigestWhateverTheMessageIsCutInto) {
  const std::string message = testing_support::PatternBytes(200);
  const std::vector<std::vector<size_t>> cuts = {
      {0, 63, 1, 136}, {1, 1, 1, 1, 1}, {15, 1, 16, 17}, {64, 64}, {55, 0, 0, 9}, {199}, {100, 0}};
  for (uint32_t type : kAllTypes) {
    const std::string whole = Digest(type, message);
    for (const auto& pieces : cuts) {
      EXPECT_EQ(DigestInPieces(type, message, pieces), whole) << "type " << type;
    }
    std::vector<size_t> byByte(message.size(), 1);
    EXPECT_EQ(DigestInPieces(type, message, byByte), whole) << "type " << type;
  }
}

TEST(DigestEngines, GiveLowercaseDigestTextOfTheirLength) {
  const std::string message = testing_support::PatternBytes(77);
  for (uint32_t type : kAllTypes) {
    const std::string text = Digest(type, message);
    EXPECT_EQ(text.size(), type == HASH_ADLER32 ? 8u : 32u);
    EXPECT_EQ(text.find_first_not_of("0123456789abcdef"), std::string::npos) << text;
  }
}

TEST(MDEngine, CarriesTheBitCountIntoTheHighWord) {
  MDContext context;
  MDInit(context);
  context.BitCount[0] = 0xFFFFFE00u;  // 2^29 - 64 bytes already fed
  const std::string block(128, 'x');
  MDUpdate(context, reinterpret_cast<const uint8_t*>(block.data()), 128, MD5Transform);
  EXPECT_EQ(context.BitCount[1], 1u);
  EXPECT_EQ(context.BitCount[0], 0x00000200u);
}

TEST(MDEngine, CountsTheBitsOfALengthOf2To29BytesOrMoreInOneCall) {
  // 2^29 zero bytes in a single update; the expected value is md5sum's, outside this project.
  std::vector<uint8_t> zeros(size_t{1} << 29, 0);
  MDContext context;
  MDInit(context);
  MDUpdate(context, zeros.data(), static_cast<uint32_t>(zeros.size()), MD5Transform);
  EXPECT_EQ(context.BitCount[0], 0u);
  EXPECT_EQ(context.BitCount[1], 1u);
  EXPECT_EQ(MDFinal(context, MD5Transform), "aa559b4e3523a6c931f08f4df52d58f2");
}

TEST(MDEngine, WipesTheContextWhenFinished) {
  MDContext context;
  MDInit(context);
  MDUpdate(context, reinterpret_cast<const uint8_t*>("abc"), 3, MD4Transform);
  EXPECT_EQ(MDFinal(context, MD4Transform), "a448017aaf21d8525fc10ae87aa6729d");
  MDContext zero;
  std::memset(&zero, 0, sizeof zero);
  EXPECT_EQ(std::memcmp(&context, &zero, sizeof zero), 0);
}

TEST(HashContextRules, FollowTheOrderOfChecksAndLeaveTheOutArgumentAlone) {
  std::string text = "untouched";
  EXPECT_EQ(HashInit(nullptr, HASH_MD5), HASH_NULL_CONTEXT);
  EXPECT_EQ(HashUpdate(nullptr, "a", 1), HASH_NULL_CONTEXT);
  EXPECT_EQ(HashFinal(nullptr, text), HASH_NULL_CONTEXT);

  // An unknown type is stored but creates no state: updates find no state, the final call
  // sees the unknown type first.
  for (uint32_t unknown : {0u, 256u, 260u, 261u, 263u}) {
    HashContext context;
    EXPECT_EQ(HashInit(&context, unknown), HASH_UNKNOWN_TYPE);
    EXPECT_EQ(context.HashType, unknown);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(context.EngineState));
    EXPECT_EQ(HashUpdate(&context, "a", 1), HASH_INVALID_CONTEXT);
    EXPECT_EQ(HashFinal(&context, text), HASH_UNKNOWN_TYPE);
  }

  // A finished context is empty and may be started again.
  for (uint32_t type : kAllTypes) {
    HashContext context;
    ASSERT_EQ(HashInit(&context, type), HASH_OK);
    std::string first;
    ASSERT_EQ(HashFinal(&context, first), HASH_OK);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(context.EngineState));
    EXPECT_EQ(HashUpdate(&context, "a", 1), HASH_INVALID_CONTEXT);
    EXPECT_EQ(HashFinal(&context, text), HASH_INVALID_CONTEXT);
    ASSERT_EQ(HashInit(&context, type), HASH_OK);
    std::string second;
    EXPECT_EQ(HashFinal(&context, second), HASH_OK);
    EXPECT_EQ(first, second);
  }
  EXPECT_EQ(text, "untouched");
}

TEST(HashContextRules, EmptyUpdatesChangeNothing) {
  for (uint32_t type : kAllTypes) {
    HashContext context;
    ASSERT_EQ(HashInit(&context, type), HASH_OK);
    EXPECT_EQ(HashUpdate(&context, nullptr, 0), HASH_OK);
    EXPECT_EQ(HashUpdate(&context, "abc", 3), HASH_OK);
    EXPECT_EQ(HashUpdate(&context, "", 0), HASH_OK);
    std::string text;
    EXPECT_EQ(HashFinal(&context, text), HASH_OK);
    EXPECT_EQ(text, Digest(type, "abc"));
  }
}

TEST(HashErrorTextTable, GivesTheFixedMessageOfEveryCode) {
  EXPECT_EQ(HashErrorText(0), "No error");
  EXPECT_EQ(HashErrorText(1), "Unknown hash type");
  EXPECT_EQ(HashErrorText(2), "Hash context is null");
  EXPECT_EQ(HashErrorText(3), "Invalid hash context");
  EXPECT_EQ(HashErrorText(4), "Could not read file");
  EXPECT_EQ(HashErrorText(5), "Could not open file");
  EXPECT_EQ(HashErrorText(6), "Hash test failed");
  for (int32_t other : {7, -1, 100, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(HashErrorText(other), "Unknown error") << other;
  }
}

TEST(CryptoUtils, HexDigitsKeepLeadingZerosAndDropHighBits) {
  EXPECT_EQ(HexDigits(15, 2), "0f");
  EXPECT_EQ(HexDigits(427, 2), "ab");
  EXPECT_EQ(HexDigits(38600999, 8), "024d0127");
  EXPECT_EQ(HexDigits(0xFEDCBA9876543210ull, 16), "fedcba9876543210");
  EXPECT_EQ(HexDigits(0xFEDCBA9876543210ull, 1), "0");
  EXPECT_EQ(HexDigits(0xABull, 20), "000000000000000000ab");
  EXPECT_EQ(HexDigits(0, 255), std::string(255, '0'));
}

TEST(CryptoUtils, RotateLeftTakesTheCountModulo32) {
  EXPECT_EQ(RotateLeft(0x80000001u, 1), 0x00000003u);
  EXPECT_EQ(RotateLeft(0x12345678u, 0), 0x12345678u);
  EXPECT_EQ(RotateLeft(0x12345678u, 32), 0x12345678u);
  EXPECT_EQ(RotateLeft(0x12345678u, 36), 0x23456781u);
  EXPECT_EQ(RotateLeft(0x12345678u, 28), 0x81234567u);
}

}  // namespace
