#include "engine/Container.h"

#include <gtest/gtest.h>

#include <string>

#include "Lz77Samples.h"
#include "platform/MemoryFileSystem.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

class CountingControl : public ContainerControl {
 public:
  explicit CountingControl(int stopAfter = -1) : stopAfter_(stopAfter) {}
  bool WaitUnlessStopped() override { return stopAfter_ < 0 || waits_++ < stopAfter_; }
  void AddProgress(uint64_t bytes) override { progress += bytes; }
  uint64_t progress = 0;

 private:
  int stopAfter_;
  int waits_ = 0;
};

std::string Text(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

class ContainerTest : public ::testing::Test {
 protected:
  ContainerTest() { fs_.AddVolume(u'C', MemoryFileSystem::Kind::kNtfs); }

  // Packs plain into C:\out.zip; returns the container's bytes.
  std::string Pack(const std::string& plain, unsigned threads = 1, ContainerStatus* status = nullptr) {
    fs_.PutFile(u"C:\\in", plain);
    std::unique_ptr<File> in, out;
    EXPECT_EQ(fs_.Open(u"C:\\in", OpenMode::kReadExisting, &in), 0u);
    EXPECT_EQ(fs_.Open(u"C:\\out.zip", OpenMode::kWriteTruncate, &out), 0u);
    CountingControl control;
    const ContainerStatus result = WriteContainer(*in, plain.size(), *out, &control, threads);
    if (status != nullptr) {
      *status = result;
    } else {
      EXPECT_TRUE(result.Ok());
    }
    if (result.Ok()) {
      EXPECT_EQ(control.progress, plain.size());
    }
    std::string bytes;
    fs_.GetFile(u"C:\\out.zip", &bytes);
    return bytes;
  }

  // Unpacks container bytes into C:\back.
  ContainerStatus Unpack(const std::string& container, std::string* plain, uint64_t* progress = nullptr) {
    fs_.PutFile(u"C:\\stored.zip", container);
    std::unique_ptr<File> in, out;
    EXPECT_EQ(fs_.Open(u"C:\\stored.zip", OpenMode::kReadExisting, &in), 0u);
    EXPECT_EQ(fs_.Open(u"C:\\back", OpenMode::kWriteTruncate, &out), 0u);
    in->Seek(4);
    CountingControl control;
    const ContainerStatus status = ReadContainer(*in, container.size(), *out, &control);
    if (progress != nullptr) *progress = control.progress;
    fs_.GetFile(u"C:\\back", plain);
    return status;
  }

  MemoryFileSystem fs_;
};

TEST_F(ContainerTest, EmptyFileIsTheMarkerAlone) {
  EXPECT_EQ(Pack(""), std::string(4, '\xFF'));
  std::string plain = "x";
  EXPECT_TRUE(Unpack(std::string(4, '\xFF'), &plain).Ok());
  EXPECT_EQ(plain, "");
}

TEST_F(ContainerTest, RandomDataIsStoredRawWithFullBlocksAsZeroLengths) {
  const std::string plain = Text(test::RandomBytes(65536 + 10, 3));
  const std::string packed = Pack(plain);
  ASSERT_EQ(packed.size(), 4 + 4 + 65536 + 4 + 10u);
  EXPECT_EQ(packed.substr(4, 4), std::string(4, '\0'));
  EXPECT_EQ(packed.substr(8, 65536), plain.substr(0, 65536));
  EXPECT_EQ(packed.substr(65544, 4), std::string("\x0A\x00\x0A\x00", 4));
  std::string back;
  uint64_t progress = 0;
  ASSERT_TRUE(Unpack(packed, &back, &progress).Ok());
  EXPECT_EQ(back, plain);
  EXPECT_EQ(progress, packed.size() - 4);
}

TEST_F(ContainerTest, OneByteOverABlockGivesASecondBlock) {
  const std::string plain(65537, 'q');
  const std::string packed = Pack(plain);
  // 48 coded bytes for the full block, then one byte stored raw.
  ASSERT_EQ(packed.size(), 4 + 4 + 48 + 4 + 1u);
  EXPECT_EQ(packed.substr(4, 4), std::string("\x00\x00\x30\x00", 4));
  EXPECT_EQ(packed.substr(56), std::string("\x01\x00\x01\x00q", 5));
  std::string back;
  ASSERT_TRUE(Unpack(packed, &back).Ok());
  EXPECT_EQ(back, plain);
}

TEST_F(ContainerTest, ParallelCodingWritesTheSameBytes) {
  std::string plain = Text(test::WordText(400000, 5, 12)) + Text(test::RandomBytes(70000, 9)) +
                      Text(test::RunsAndNoise(200001, 4));
  const std::string single = Pack(plain, 1);
  EXPECT_EQ(Pack(plain, 2), single);
  EXPECT_EQ(Pack(plain, 3), single);
  std::string back;
  ASSERT_TRUE(Unpack(single, &back).Ok());
  EXPECT_EQ(back, plain);
}

TEST_F(ContainerTest, DamagedContainersAreReportedAsDamaged) {
  const std::string packed = Pack(Text(test::WordText(100000, 2, 9)));
  std::string back;
  EXPECT_EQ(Unpack(packed.substr(0, packed.size() - 1), &back).result, ContainerResult::kDamaged);
  EXPECT_EQ(Unpack(packed + "\x01", &back).result, ContainerResult::kDamaged);
  EXPECT_EQ(Unpack(packed.substr(0, 6), &back).result, ContainerResult::kDamaged);
  // A stored length of 0 for a block that is not full.
  EXPECT_EQ(Unpack(std::string("\xFF\xFF\xFF\xFF\x05\x00\x00\x00", 8), &back).result, ContainerResult::kDamaged);
  std::string corrupt = packed;
  corrupt[9] = static_cast<char>(0xFF);
  corrupt[10] = static_cast<char>(0xFF);
  EXPECT_EQ(Unpack(corrupt, &back).result, ContainerResult::kDamaged);
}

TEST_F(ContainerTest, StopAndReadErrorsEndTheCopy) {
  const std::string plain = Text(test::WordText(300000, 2, 9));
  fs_.PutFile(u"C:\\in", plain);
  std::unique_ptr<File> in, out;
  ASSERT_EQ(fs_.Open(u"C:\\in", OpenMode::kReadExisting, &in), 0u);
  ASSERT_EQ(fs_.Open(u"C:\\out.zip", OpenMode::kWriteTruncate, &out), 0u);
  CountingControl stopAfterTwo(2);
  EXPECT_EQ(WriteContainer(*in, plain.size(), *out, &stopAfterTwo).result, ContainerResult::kStopped);
  EXPECT_EQ(stopAfterTwo.progress, 2 * 65536u);

  fs_.FailReadAt(u"C:\\in", 100000, kErrorReadFault);
  ContainerStatus status;
  Pack(plain, 1, &status);
  EXPECT_EQ(status.result, ContainerResult::kReadFailed);
  EXPECT_EQ(status.error, kErrorReadFault);
  fs_.ClearFaults();

  fs_.FailWritesAt(u"C:\\out.zip", 1000, kErrorDiskFull);
  Pack(plain, 2, &status);
  EXPECT_EQ(status.result, ContainerResult::kWriteFailed);
  EXPECT_EQ(status.error, kErrorDiskFull);
}

}  // namespace
}  // namespace qtr
