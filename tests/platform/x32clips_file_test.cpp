// Thumbnail-list files against a file put together by hand from the
// description in iio_file.h: round trips, damaged, truncated and hostile
// files, failed saves, and the owner's blocks through it all.
#include <gtest/gtest.h>

#include <cstring>

#include "common/clips_owner.h"
#include "common/scratch_dir.h"
#include "common/test_images.h"
#include "platform/x32clips/iio_file.h"
#include "platform/x32clips/iio_view.h"
#include "platform/x32comm/x32comm.h"

namespace {

using Bytes = std::vector<uint8_t>;
intptr_t P(const void *p) { return reinterpret_cast<intptr_t>(p); }
constexpr int32_t kBlock = 40;

// CRC-32 bit by bit, as the file description gives it.
uint32_t SlowCrc(const Bytes &bytes, size_t from) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = from; i < bytes.size(); ++i) {
    crc ^= bytes[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ ((crc & 1) != 0 ? 0xEDB88320u : 0);
  }
  return ~crc;
}

class FileBuilder {
 public:
  FileBuilder &U(uint32_t v, int bytes = 4) { return Put(payload_, v, bytes), *this; }
  FileBuilder &Ramp(size_t n, int first) {
    for (size_t i = 0; i < n; ++i) payload_.push_back(static_cast<uint8_t>(first + i));
    return *this;
  }
  FileBuilder &Label(const std::string &s) {
    U(uint32_t(s.size()), 2);
    payload_.insert(payload_.end(), s.begin(), s.end());
    return *this;
  }
  // An item: label, flags 1, a w x h thumbnail of a ramp from 10, a block of a
  // ramp from 100.
  FileBuilder &Item(const std::string &label, uint32_t w, uint32_t h, uint32_t block) {
    return Label(label).U(1).U(w, 2).U(h, 2).Ramp(size_t{w} * h * 3, 10).U(block).Ramp(block, 100);
  }
  Bytes Build(uint32_t count, int64_t stated = -1, uint32_t version = 1,
              uint32_t header = 32) const {
    Bytes f = {'Q', 'L', 'N', 'I', 'I', 'O', 0x1A, 0x0A}, whole(32);
    Put(f, version, 2), Put(f, header, 2), Put(f, count, 4);
    Put(f, stated < 0 ? uint32_t(payload_.size()) : uint32_t(stated), 4);
    whole.insert(whole.end(), payload_.begin(), payload_.end());
    Put(f, SlowCrc(whole, 32), 4), Put(f, 0, 4), Put(f, SlowCrc(f, 0), 4);
    f.insert(f.end(), payload_.begin(), payload_.end());
    return f;
  }

 private:
  static void Put(Bytes &to, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) to.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  Bytes payload_;
};

// The items of the list of these tests: label, thumbnail size, whether a block.
const std::tuple<std::string, int, int, bool> kItems[] = {{"Pattern-7", 2, 3, true},
                                                          {"", 1, 1, true},
                                                          {std::string(260, 'z'), 0, 0, false},
                                                          {"Palette \xE9", 9, 2, false}};

Bytes Expected() {
  FileBuilder b;
  for (const auto &[label, w, h, block] : kItems)
    b.Item(label.substr(0, 259), w, h,
           block ? kBlock : 0);  // at most 259 characters
  return b.Build(4);
}

// The list of kItems, owned by `owner`.
IIOHandle MakeList(CountingOwner &owner) {
  const IIOHandle list = x32CreateIIO(0);
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, P(&d));
  d.callback = CountingOwner::Callback;
  x32IIOAction(list, kIIOApplyDefinition, 0, P(&d));
  for (const auto &[label, w, h, block] : kItems) {
    const int width = w;
    const TestImage image =
        w ? TestImage(w, h,
                      [&](int x, int y) {
                        const int n = 10 + 3 * (y * width + x);
                        return TestRgb{uint8_t(n), uint8_t(n + 1), uint8_t(n + 2)};
                      })
          : TestImage();
    IIItem it{};
    label.copy(it.label, sizeof it.label);  // 260: no terminating NUL
    it.flags = 1;
    it.image = image.handle();
    it.data = block ? owner.NewBlock(100) : nullptr;
    x32IIAction(list, kIIAdd, 0, P(&it));
  }
  return list;
}

// True when the bytes are refused without anything reaching the owner or
// staying behind.
bool Refused(const Bytes &bytes, const std::string &file = "") {
  CountingOwner owner(kBlock);
  const int buffers = buf32LiveCount(), lists = IioLiveListCount();
  if (!file.empty()) WriteWholeFile(file, bytes);
  const IIOHandle list = file.empty()
                             ? IioLoadBytes(bytes.data(), bytes.size(), CountingOwner::Callback)
                             : x32LoadIIO(file.c_str(), CountingOwner::Callback);
  EXPECT_TRUE(list != 0 || owner.loads == 0) << "a block reached the owner";
  x32DestroyIIO(list);
  EXPECT_EQ(owner.LiveCount() + owner.badReleases, 0);
  EXPECT_TRUE(buf32LiveCount() == buffers && IioLiveListCount() == lists) << "left behind";
  return list == 0;
}

}  // namespace

TEST(ListFiles, RoundTripIsTheDescribedLayoutByteForByteAndEachBlockIsReleasedOnce) {
  ScratchDir dir;
  CountingOwner owner(kBlock);
  IIOHandle list = MakeList(owner);
  ASSERT_NE(x32SaveIIO(dir.file("lib.iio").c_str(), list, 0), 0);
  EXPECT_EQ(ReadWholeFile(dir.file("lib.iio")), Expected());
  EXPECT_EQ(std::vector({owner.sizeQueries, owner.saves, owner.released}), std::vector({2, 2, 2}))
      << "one size query and one copy per block, each block released by its "
         "copy";
  EXPECT_EQ(owner.currentItemSeen, std::vector({1, 2, 1, 2})) << "each message names its item";
  EXPECT_EQ(x32DestroyIIO(list) * 10 + owner.frees, 10) << "saved blocks are not offered again";
  list = x32CreateIIO(0);
  EXPECT_EQ(x32IIAction(list, kIICurrentItem, 0, 0), -1) << "no save or load under way";
  x32DestroyIIO(list);
  list = x32LoadIIO(dir.file("lib.iio").c_str(), CountingOwner::Callback);
  EXPECT_EQ(std::vector({owner.sizeQueries, owner.loads}), std::vector({4, 2}))
      << "the block size asked first";
  ASSERT_NE(x32SaveIIO(dir.file("again.iio").c_str(), list, 0), 0);
  EXPECT_EQ(ReadWholeFile(dir.file("again.iio")), Expected());
  x32DestroyIIO(list);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"again.iio", "lib.iio"}))
      << "no temporary file left";
  EXPECT_EQ(owner.LiveCount() + owner.badReleases, 0);
  EXPECT_EQ(IioCrc32("123456789", 9), 0xCBF43926u);
  const Bytes bytes = Expected();
  list = IioLoadBytes(bytes.data(), bytes.size(), nullptr);
  IIItem it{};
  EXPECT_TRUE(x32IIAction(list, kIIRead, 1, P(&it)) && it.data == nullptr)
      << "no callback: no blocks";
  x32DestroyIIO(list);
}

TEST(ListFiles, EveryTruncationEveryDamagedByteAndAnyExtraByteIsRefused) {
  ScratchDir dir;
  Bytes good = Expected();
  ASSERT_FALSE(Refused(good)) << "the good file itself loads";
  for (size_t n = 0; n < good.size(); ++n) {
    EXPECT_TRUE(Refused(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n))))
        << n << " bytes";
    for (uint8_t flip : {0x01, 0x80, 0xFF}) {
      good[n] ^= flip;
      EXPECT_TRUE(Refused(good, flip == 0x80 ? dir.file("bad.iio") : ""))
          << "byte " << n << " ^ " << int{flip};
      good[n] ^= flip;
    }
  }
  good.push_back(0);
  EXPECT_TRUE(Refused(good, dir.file("long.iio")));
}

TEST(ListFiles, HostileFilesWithGoodChecksumsAreRefusedBeforeAnyBlockMoves) {
  FileBuilder one;
  one.Item("a", 2, 2, kBlock);
  const std::pair<const char *, Bytes> cases[] = {
      {"more items than records", one.Build(2)},
      {"fewer items than records", FileBuilder().Item("a", 1, 1, 0).Item("b", 1, 1, 0).Build(1)},
      {"records short of the payload", FileBuilder().Item("a", 1, 1, 0).Ramp(3, 0).Build(1)},
      {"huge count, tiny payload", FileBuilder().Ramp(20, 0).Build(65535)},
      {"payload beyond the limit", one.Build(1, int64_t{kIioMaxPayloadBytes} + 1)},
      {"payload larger than the file", one.Build(1, 200 << 20)},
      {"another version", one.Build(1, -1, 2)},
      {"another header size", one.Build(1, -1, 1, 40)},
      {"label too long", FileBuilder().Label(std::string(260, 'a')).U(1).U(0).U(0).Build(1)},
      {"label past the end", FileBuilder().U(5000, 2).Ramp(20, 'a').Build(1)},
      {"NUL in a label", FileBuilder().Item(std::string("a\0b", 3), 0, 0, 0).Build(1)},
      {"width without height", FileBuilder().Label("a").U(1).U(4, 2).U(0, 2).U(0).Build(1)},
      {"thumbnail too wide",
       FileBuilder().Label("a").U(1).U(1025, 2).U(1, 2).Ramp(1025 * 3, 0).U(0).Build(1)},
      {"pixels past the end", FileBuilder().Label("a").U(1).U(1024, 2).U(1024, 2).U(0).Build(1)},
      {"block too large",
       FileBuilder().Label("a").U(1).U(0).U(kIioMaxBlockBytes + 1).Ramp(16, 0).Build(1)},
      {"block past the end", FileBuilder().Label("a").U(1).U(0).U(1000).Ramp(10, 0).Build(1)},
      {"block of another size than the owner's",
       FileBuilder().Item("a", 1, 1, kBlock - 1).Build(1)}};
  for (const auto &[what, bytes] : cases) EXPECT_TRUE(Refused(bytes)) << what;
  EXPECT_FALSE(Refused(one.Build(1)) || Refused(FileBuilder().Build(0)))
      << "good headers, and an empty list";
}

TEST(ListFiles, FailedSavesAndLoadsKeepThePreviousFileGiveTheBlocksBackAndLeakNothing) {
  ScratchDir dir;
  const std::string path = dir.file("lib.iio");
  CountingOwner owner(kBlock);
  IIOHandle list = MakeList(owner);
  for (const int32_t answer : {-1, int32_t{kIioMaxBlockBytes} + 1}) {  // a refused size query
    owner.answerSize = answer;
    EXPECT_EQ(x32SaveIIO(path.c_str(), list, 0), 0);
    EXPECT_EQ(owner.saves + owner.released, 0) << "before any block moves";
  }
  owner.answerSize.reset();
  c32ResetDLLErrInfo();
  EXPECT_EQ(x32SaveIIO(dir.file("missing/lib.iio").c_str(), list, 0), 0);
  EXPECT_EQ(c32GetDLLErrInfo(nullptr), kIIOErrorWrite);
  EXPECT_EQ(owner.loads, 2) << "each block handed over comes back to its item";
  ASSERT_NE(x32SaveIIO(path.c_str(), list, 0), 0);
  EXPECT_EQ(ReadWholeFile(path), Expected());
  x32DestroyIIO(list);
  // Memory running out for each of the three thumbnails of a load.
  const int buffers = buf32LiveCount(), loads = owner.loads;
  for (int failing = 1; failing <= 3; ++failing) {
    buf32FailAllocation(failing);
    EXPECT_EQ(x32LoadIIO(path.c_str(), CountingOwner::Callback), 0u);
    EXPECT_EQ(c32GetDLLErrInfo(nullptr), kIIOErrorMemory);
    EXPECT_EQ(owner.loads, loads) << "no block reached the owner";
    EXPECT_EQ(buf32LiveCount(), buffers);
  }
  c32ResetDLLErrInfo();
  EXPECT_EQ(x32LoadIIO(dir.file("absent.iio").c_str(), nullptr), 0u);
  C32ErrInfo info{};
  EXPECT_EQ(std::pair(c32GetDLLErrInfo(&info), info.where), std::pair(kIIOErrorRead, 72000));
  list = x32LoadIIO(path.c_str(), CountingOwner::Callback);
  EXPECT_NE(list, 0u) << "the next load succeeds";
  x32DestroyIIO(list);
  EXPECT_EQ(owner.LiveCount() + owner.badReleases, 0);
}
