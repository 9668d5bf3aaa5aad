// Thumbnail-list files: round trips, the layout on disk, damaged, truncated
// and hostile files, failed saves, and the owner's blocks through it all.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include "common/clips_owner.h"
#include "common/scratch_dir.h"
#include "common/test_images.h"
#include "platform/x32base/buf32.h"
#include "platform/x32clips/iio_file.h"
#include "platform/x32clips/iio_view.h"
#include "platform/x32comm/x32comm.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::string>;
intptr_t P(const void* p) { return reinterpret_cast<intptr_t>(p); }

// CRC-32 bit by bit, as the file description gives it.
uint32_t SlowCrc(const Bytes& bytes, size_t from, size_t to) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = from; i < to; ++i) {
    crc ^= bytes[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ ((crc & 1) != 0 ? 0xEDB88320u : 0);
  }
  return ~crc;
}

void PutLe(Bytes& to, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) to.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A file put together by hand from the description in iio_file.h.
class FileBuilder {
 public:
  FileBuilder& U16(uint32_t v) { return PutLe(payload_, v, 2), *this; }
  FileBuilder& U32(uint32_t v) { return PutLe(payload_, v, 4), *this; }
  FileBuilder& Label(const std::string& s) {
    U16(static_cast<uint32_t>(s.size()));
    payload_.insert(payload_.end(), s.begin(), s.end());
    return *this;
  }
  FileBuilder& Ramp(size_t n, uint8_t first) {
    for (size_t i = 0; i < n; ++i) payload_.push_back(static_cast<uint8_t>(first + i));
    return *this;
  }
  // An item: label, flags 1, a w x h thumbnail of a ramp, a block of `block` bytes.
  FileBuilder& Item(const std::string& label, uint32_t w, uint32_t h, uint32_t block) {
    return Label(label)
        .U32(1)
        .U16(w)
        .U16(h)
        .Ramp(size_t{w} * h * 3, 10)
        .U32(block)
        .Ramp(block, 100);
  }
  size_t Size() const { return payload_.size(); }
  Bytes Build(uint32_t count) const { return Build(count, payload_.size()); }
  Bytes Build(uint32_t count, size_t stated, uint16_t version = 1, uint16_t header = 32) const {
    Bytes f = {'Q', 'L', 'N', 'I', 'I', 'O', 0x1A, 0x0A};
    PutLe(f, version, 2);
    PutLe(f, header, 2);
    PutLe(f, count, 4);
    PutLe(f, static_cast<uint32_t>(stated), 4);
    Bytes whole = f;
    whole.resize(32);
    whole.insert(whole.end(), payload_.begin(), payload_.end());
    PutLe(f, SlowCrc(whole, 32, whole.size()), 4);
    PutLe(f, 0, 4);
    PutLe(f, SlowCrc(f, 0, 28), 4);
    f.insert(f.end(), payload_.begin(), payload_.end());
    return f;
  }

 private:
  Bytes payload_;
};

TestRgb Colour(int x, int y) {
  return {static_cast<uint8_t>(x * 13 + y), static_cast<uint8_t>(y * 29),
          static_cast<uint8_t>(x ^ (y << 3))};
}

// What a list holds, item by item: label, flags, pixels, thumbnail size, block.
using Content =
    std::vector<std::tuple<std::string, int32_t, std::vector<TestRgb>, uint32_t, Bytes>>;

Content ContentOf(IIOHandle list, const CountingOwner& owner) {
  Content out;
  for (int32_t p = 0; p < x32IIOAction(list, kIIOCount, 0, 0); ++p) {
    IIItem it{};
    x32IIAction(list, kIIRead, static_cast<uintptr_t>(x32IIOAction(list, kIIOIdAt, 0, p)), P(&it));
    uint32_t w = 0, h = 0;
    buf32GetWHU(it.image, &w, &h, nullptr);
    EXPECT_TRUE(it.data == nullptr || owner.IsLive(it.data)) << "item " << p;
    out.emplace_back(it.label, it.flags, ImagePixels(it.image), w * 10000 + h,
                     it.data != nullptr ? owner.Bytes(it.data) : Bytes{});
  }
  return out;
}

constexpr int32_t kBlock = 40;

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    buffers = buf32LiveCount();
    lists = IioLiveListCount();
  }
  void TearDown() override {
    EXPECT_EQ(buf32LiveCount(), buffers) << "thumbnails left behind";
    EXPECT_EQ(IioLiveListCount(), lists) << "lists left behind";
  }

  // Five items owned by `owner`: labels of several lengths, thumbnails of
  // several sizes or none, blocks on three.
  IIOHandle MakeList(CountingOwner& owner, int extraSide = 0) {
    const IIOHandle list = x32CreateIIO(0);
    IIODefinition d{};
    x32IIOAction(list, kIIODefaultDefinition, 0, P(&d));
    d.callback = CountingOwner::Callback;
    x32IIOAction(list, kIIOApplyDefinition, 0, P(&d));
    const std::tuple<std::string, int, int, bool, int32_t> plans[] = {
        {"Pattern-1", 6, 5, true, 1},
        {"", 1, 1, true, 1},
        {std::string(259, 'z'), 0, 0, false, 1},
        {"no block", 9, 2, false, 7},
        {"Palette-12 \xE9t\xE9", 3, 8, true, -1},
        {"big", extraSide, extraSide, false, 1}};
    for (const auto& [label, w, h, block, flags] : plans) {
      if (label == "big" && extraSide == 0) break;
      const TestImage image = w != 0 ? TestImage(w, h, Colour) : TestImage();
      IIItem it{};
      label.copy(it.label, sizeof it.label - 1);
      it.flags = flags;
      it.image = image.handle();
      it.data = block ? owner.NewBlock(static_cast<uint8_t>(owner.allocated * 50)) : nullptr;
      EXPECT_GT(x32IIAction(list, kIIAdd, 0, P(&it)), 0);
    }
    return list;
  }

  // True when the bytes are refused without anything reaching the owner or
  // staying behind.
  bool Refused(const Bytes& bytes, bool throughFile) {
    CountingOwner owner(kBlock);
    if (throughFile) WriteWholeFile(dir.file("bad.iio"), bytes);
    const IIOHandle list = throughFile
                               ? x32LoadIIO(dir.file("bad.iio").c_str(), CountingOwner::Callback)
                               : IioLoadBytes(bytes.data(), bytes.size(), CountingOwner::Callback);
    if (list != 0) x32DestroyIIO(list);
    EXPECT_TRUE(list != 0 || owner.loads == 0) << "a block reached the owner";
    EXPECT_EQ(owner.LiveCount() + owner.badReleases, 0);
    return list == 0;
  }

  int buffers = 0;
  int32_t lists = 0;
  ScratchDir dir;
};

}  // namespace

TEST_F(Files, RoundTripKeepsEverythingByteForByteAndReleasesEachBlockOnce) {
  CountingOwner owner(kBlock);
  IIOHandle list = MakeList(owner);
  const Content content = ContentOf(list, owner);
  ASSERT_NE(x32SaveIIO(dir.file("lib.iio").c_str(), list, 0), 0);
  EXPECT_EQ(std::vector<int32_t>({owner.sizeQueries, owner.saves, owner.released}),
            std::vector<int32_t>({3, 3, 3}))
      << "one size query and one copy per block, each block released by its copy";
  EXPECT_EQ(owner.currentItemSeen, (std::vector<int32_t>{1, 2, 5, 1, 2, 5}))
      << "each message names its item as the current one";
  EXPECT_EQ(x32DestroyIIO(list), 1);
  EXPECT_EQ(owner.frees, 0) << "saved blocks are not offered again";
  EXPECT_EQ(dir.Entries(), Names{"lib.iio"}) << "no temporary file left";
  const Bytes first = ReadWholeFile(dir.file("lib.iio"));

  list = x32LoadIIO(dir.file("lib.iio").c_str(), CountingOwner::Callback);
  ASSERT_NE(list, 0u);
  EXPECT_EQ(owner.loads, 3);
  EXPECT_EQ(owner.sizeQueries, 6) << "the loader asks the owner's block size first";
  EXPECT_EQ(ContentOf(list, owner), content);
  ASSERT_NE(x32SaveIIO(dir.file("again.iio").c_str(), list, 0), 0);
  EXPECT_EQ(ReadWholeFile(dir.file("again.iio")), first);
  x32DestroyIIO(list);
  EXPECT_EQ(owner.LiveCount() + owner.badReleases, 0);
  EXPECT_EQ(owner.allocated, owner.released);
  const IIOHandle idle = x32CreateIIO(0);
  EXPECT_EQ(x32IIAction(idle, kIICurrentItem, 0, 0), -1) << "no save or load under way";
  x32DestroyIIO(idle);
}

TEST_F(Files, LayoutOnDiskIsTheDescribedOne) {
  CountingOwner owner(kBlock);
  const IIOHandle list = x32CreateIIO(0);
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, P(&d));
  d.callback = CountingOwner::Callback;
  x32IIOAction(list, kIIOApplyDefinition, 0, P(&d));
  const TestImage ramp(2, 3, [](int x, int y) {
    const int n = 10 + 3 * (y * 2 + x);
    return TestRgb{static_cast<uint8_t>(n), static_cast<uint8_t>(n + 1),
                   static_cast<uint8_t>(n + 2)};
  });
  IIItem a{}, b{};
  std::strcpy(a.label, "Pattern-7");
  std::strcpy(b.label, "x");
  a.flags = b.flags = 1;
  a.image = ramp.handle();
  a.data = owner.NewBlock(100);
  ASSERT_GT(x32IIAction(list, kIIAdd, 0, P(&a)), 0);
  ASSERT_GT(x32IIAction(list, kIIAdd, 0, P(&b)), 0);
  ASSERT_NE(x32SaveIIO(dir.file("one.iio").c_str(), list, 0), 0);
  x32DestroyIIO(list);
  EXPECT_EQ(ReadWholeFile(dir.file("one.iio")),
            FileBuilder().Item("Pattern-7", 2, 3, kBlock).Item("x", 0, 0, 0).Build(2));
  EXPECT_EQ(IioCrc32("123456789", 9), 0xCBF43926u);
}

TEST_F(Files, EveryTruncationEveryDamagedByteAndAnyExtraByteIsRefused) {
  CountingOwner owner(kBlock);
  const IIOHandle list = MakeList(owner);
  ASSERT_NE(x32SaveIIO(dir.file("good.iio").c_str(), list, 0), 0);
  x32DestroyIIO(list);
  Bytes good = ReadWholeFile(dir.file("good.iio"));
  ASSERT_GT(good.size(), 200u);
  ASSERT_FALSE(Refused(good, false)) << "the good file itself loads";
  for (size_t n = 0; n < good.size(); ++n) {
    const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_TRUE(Refused(cut, false)) << n << " bytes";
    EXPECT_TRUE(Refused(cut, n % 7 == 0)) << n << " bytes";
  }
  for (size_t i = 0; i < good.size(); ++i)
    for (uint8_t flip : {0x01, 0x80, 0xFF, 0x5A}) {
      good[i] ^= flip;
      EXPECT_TRUE(Refused(good, flip == 0x5A)) << "byte " << i << " ^ " << int{flip};
      good[i] ^= flip;
    }
  good.push_back(0);
  EXPECT_TRUE(Refused(good, true));
}

TEST_F(Files, HostileFilesWithGoodChecksumsAreRefusedBeforeAnyBlockMoves) {
  FileBuilder one;
  one.Item("a", 2, 2, kBlock);
  const std::pair<const char*, Bytes> cases[] = {
      {"more items than records", one.Build(2)},
      {"fewer items than records", FileBuilder().Item("a", 1, 1, 0).Item("b", 1, 1, 0).Build(1)},
      {"records short of the payload", FileBuilder().Item("a", 1, 1, 0).Ramp(3, 0).Build(1)},
      {"item count beyond the limit", FileBuilder().Build(70000)},
      {"huge count, tiny payload", FileBuilder().Ramp(20, 0).Build(65535)},
      {"payload size beyond the limit", one.Build(1, size_t{kIioMaxPayloadBytes} + 1)},
      {"payload larger than the file", one.Build(1, 200u << 20)},
      {"payload smaller than stated", one.Build(1, 10)},
      {"another version", one.Build(1, one.Size(), 2)},
      {"another header size", one.Build(1, one.Size(), 1, 40)},
      {"label too long", FileBuilder().Label(std::string(260, 'a')).U32(1).U32(0).U32(0).Build(1)},
      {"label length past the end", FileBuilder().U16(5000).Ramp(20, 'a').Build(1)},
      {"NUL in a label", FileBuilder().Item(std::string("a\0b", 3), 0, 0, 0).Build(1)},
      {"width without height", FileBuilder().Label("a").U32(1).U16(4).U16(0).U32(0).Build(1)},
      {"height without width", FileBuilder().Label("a").U32(1).U16(0).U16(4).U32(0).Build(1)},
      {"thumbnail too wide",
       FileBuilder().Label("a").U32(1).U16(1025).U16(1).Ramp(1025 * 3, 0).U32(0).Build(1)},
      {"pixels past the end", FileBuilder().Label("a").U32(1).U16(1024).U16(1024).U32(0).Build(1)},
      {"block too large",
       FileBuilder().Label("a").U32(1).U32(0).U32(kIioMaxBlockBytes + 1).Ramp(16, 0).Build(1)},
      {"block past the end", FileBuilder().Label("a").U32(1).U32(0).U32(1000).Ramp(10, 0).Build(1)},
      {"block of another size than the owner's",
       FileBuilder().Item("a", 1, 1, kBlock - 1).Build(1)},
  };
  for (const auto& [what, bytes] : cases) {
    EXPECT_TRUE(Refused(bytes, false)) << what;
    EXPECT_TRUE(Refused(bytes, true)) << what;
  }
  // The same payload with a right header loads, and so does an empty list.
  EXPECT_FALSE(Refused(one.Build(1), false));
  EXPECT_FALSE(Refused(FileBuilder().Build(0), true));
  // Without a callback the blocks are left out.
  const Bytes bytes = one.Build(1);
  const IIOHandle list = IioLoadBytes(bytes.data(), bytes.size(), nullptr);
  IIItem it{};
  x32IIAction(list, kIIRead, static_cast<uintptr_t>(x32IIOAction(list, kIIOIdAt, 0, 0)), P(&it));
  EXPECT_STREQ(it.label, "a");
  EXPECT_EQ(it.data, nullptr);
  x32DestroyIIO(list);
}

TEST_F(Files, MissingFilesAndRunningOutOfMemoryAreRecordedAndLeaveNothing) {
  c32ResetDLLErrInfo();
  C32ErrInfo info{};
  EXPECT_EQ(x32LoadIIO(dir.file("absent.iio").c_str(), nullptr), 0u);
  EXPECT_EQ(c32GetDLLErrInfo(&info), kIIOErrorRead);
  EXPECT_EQ(info.where, 72000);
  const std::string folder = dir.path().string();
  for (const char* path : {folder.c_str(), "", static_cast<const char*>(nullptr)})
    EXPECT_EQ(x32LoadIIO(path, nullptr), 0u);
  EXPECT_EQ(IioLoadBytes(nullptr, 0, nullptr), 0u);
  c32ResetDLLErrInfo();
  IIOHandle list = x32CreateIIO(0);
  EXPECT_EQ(x32SaveIIO("", list, 0), 0);
  EXPECT_EQ(c32GetDLLErrInfo(&info), kIIOErrorWrite);
  x32DestroyIIO(list);

  CountingOwner owner(kBlock);
  list = MakeList(owner);
  ASSERT_NE(x32SaveIIO(dir.file("lib.iio").c_str(), list, 0), 0);
  x32DestroyIIO(list);
  for (int failing = 1; failing <= 4; ++failing) {  // the file holds four thumbnails
    c32ResetDLLErrInfo();
    buf32FailAllocation(failing);
    EXPECT_EQ(x32LoadIIO(dir.file("lib.iio").c_str(), CountingOwner::Callback), 0u) << failing;
    EXPECT_EQ(c32GetDLLErrInfo(nullptr), kIIOErrorMemory);
    EXPECT_EQ(owner.loads, 0);
    EXPECT_EQ(buf32LiveCount(), buffers);
    // Adding an item whose thumbnail cannot be copied fails the same way.
    const TestImage image(2, 2, Colour);
    list = x32CreateIIO(0);
    IIItem it{};
    it.image = image.handle();
    buf32FailAllocation(1);
    EXPECT_EQ(x32IIAction(list, kIIAdd, 0, P(&it)), -1);
    EXPECT_EQ(x32IIOAction(list, kIIOCount, 0, 0), 0);
    x32DestroyIIO(list);
  }
  list = x32LoadIIO(dir.file("lib.iio").c_str(), CountingOwner::Callback);
  EXPECT_NE(list, 0u) << "the next load succeeds";
  x32DestroyIIO(list);
  EXPECT_EQ(owner.LiveCount() + owner.badReleases, 0);
}

TEST_F(Files, FailedSavesGiveTheBlocksBackAndKeepThePreviousFile) {
  CountingOwner owner(kBlock);
  IIOHandle list = MakeList(owner);
  const Content content = ContentOf(list, owner);
  // A refused size query fails the save before any block moves.
  for (const int32_t answer : {-1, static_cast<int32_t>(kIioMaxBlockBytes) + 1}) {
    owner.answerSize = answer;
    EXPECT_EQ(x32SaveIIO(dir.file("s.iio").c_str(), list, 0), 0);
    EXPECT_EQ(owner.saves + owner.released, 0);
  }
  owner.answerSize.reset();
  EXPECT_TRUE(dir.Entries().empty());
  // A missing folder: each block handed over comes back to its item.
  EXPECT_EQ(x32SaveIIO(dir.file("missing/lib.iio").c_str(), list, 0), 0);
  EXPECT_EQ(owner.saves, 3);
  EXPECT_EQ(owner.loads, 3);
  EXPECT_EQ(ContentOf(list, owner), content);
  x32DestroyIIO(list);
  EXPECT_EQ(owner.frees, 3);
  EXPECT_EQ(owner.LiveCount() + owner.badReleases, 0);
#ifndef _WIN32
  // A write failing mid-save: the file saved before stays as it was.
  const std::string path = dir.file("lib.iio");
  list = MakeList(owner);
  ASSERT_NE(x32SaveIIO(path.c_str(), list, 0), 0);
  x32DestroyIIO(list);
  const Bytes before = ReadWholeFile(path);
  list = MakeList(owner, 400);  // far larger than the limit below
  const Content bigger = ContentOf(list, owner);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);  // writes past the limit fail (EFBIG)
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int32_t saved = x32SaveIIO(path.c_str(), list, 0);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(saved, 0);
  EXPECT_EQ(ReadWholeFile(path), before);
  EXPECT_EQ(dir.Entries(), Names{"lib.iio"});
  EXPECT_EQ(ContentOf(list, owner), bigger);
  x32DestroyIIO(list);
  EXPECT_EQ(owner.LiveCount() + owner.badReleases, 0);
  EXPECT_EQ(owner.allocated, owner.released);
#endif
}
