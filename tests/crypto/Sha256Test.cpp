#include "crypto/Sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "Hex.h"
#include "MillionA.h"
#include "crypto/Sha256Blocks.h"

namespace qtr {
namespace {

using test::ToHex;

std::string HashOf(std::string_view text) {
  return ToHex(Sha256Of(text.data(), text.size()));
}

// The Windows build hashes with the processor's SHA instructions where it
// has them and through CNG otherwise: every answer must hold on both paths.
// The native build always uses libcrypto.
enum class Path { SystemLibrary, ShaInstructions };

class Sha256Test : public testing::TestWithParam<Path> {
 protected:
  void SetUp() override {
    const bool instructions = GetParam() == Path::ShaInstructions;
    if (instructions && FastSha256Blocks() == nullptr)
      GTEST_SKIP() << "this processor lacks the SHA, SSSE3 or SSE4.1 instructions";
    AllowSha256Instructions(instructions);
  }
  void TearDown() override { AllowSha256Instructions(true); }
};

TEST_P(Sha256Test, KnownAnswersOfWholeMessages) {
  EXPECT_EQ(HashOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(HashOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(HashOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST_P(Sha256Test, MillionAFedInUnevenPiecesMatchesTheKnownAnswer) {
  Sha256 hash;
  test::FeedMillionAInUnevenPieces(hash);
  EXPECT_EQ(ToHex(hash.Finish()), test::kMillionASha256);
  EXPECT_TRUE(hash.Ok());
}

TEST_P(Sha256Test, DataAfterFinishIsAFailureNotASilentlyWrongDigest) {
  Sha256 hash;
  hash.Update("abc", 3);
  hash.Finish();
  ASSERT_TRUE(hash.Ok());
  hash.Update("d", 1);
  EXPECT_FALSE(hash.Ok());
  Sha256Digest again = hash.Finish();
  EXPECT_EQ(again, Sha256Digest{});
  EXPECT_FALSE(hash.Ok());
}

TEST_P(Sha256Test, HashesFromSeveralThreadsAgree) {
  // The Windows provider is opened once by whichever thread comes first.
  std::vector<std::thread> threads;
  std::vector<std::string> results(4);
  for (size_t i = 0; i < results.size(); ++i)
    threads.emplace_back([&results, i] { results[i] = HashOf("abc"); });
  for (auto& t : threads) t.join();
  for (const auto& r : results)
    EXPECT_EQ(r, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

#if defined(_WIN32)
INSTANTIATE_TEST_SUITE_P(BothPaths, Sha256Test, testing::Values(Path::SystemLibrary, Path::ShaInstructions),
                         [](const testing::TestParamInfo<Path>& path) {
                           return path.param == Path::ShaInstructions ? "ShaInstructions" : "SystemLibrary";
                         });
#else
INSTANTIATE_TEST_SUITE_P(SystemLibrary, Sha256Test, testing::Values(Path::SystemLibrary));
#endif

}  // namespace
}  // namespace qtr
