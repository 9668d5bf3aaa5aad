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
#include "platform/x32clips/x32clips.h"
#include "platform/x32comm/x32comm.h"

namespace {

intptr_t P(const void* p) { return reinterpret_cast<intptr_t>(p); }

// CRC-32 bit by bit, as the file description gives it.
uint32_t SlowCrc(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = from; i < to; ++i) {
    crc ^= bytes[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ ((crc & 1) != 0 ? 0xEDB88320u : 0);
  }
  return ~crc;
}

// A file put together by hand from the description in iio_file.h.
class FileBuilder {
 public:
  FileBuilder& Label(const std::string& s) {
    U16(static_cast<uint32_t>(s.size()));
    payload_.insert(payload_.end(), s.begin(), s.end());
    return *this;
  }
  FileBuilder& U16(uint32_t v) {
    payload_.push_back(static_cast<uint8_t>(v));
    payload_.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
  }
  FileBuilder& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  FileBuilder& Bytes(size_t n, uint8_t first) {
    for (size_t i = 0; i < n; ++i) payload_.push_back(static_cast<uint8_t>(first + i));
    return *this;
  }
  // An item: label, flags 1, a w x h thumbnail of a ramp, a block of `block` bytes.
  FileBuilder& Item(const std::string& label, uint32_t w, uint32_t h, uint32_t block) {
    Label(label).U32(1).U16(w).U16(h).Bytes(size_t{w} * h * 3, 10).U32(block);
    return Bytes(block, 100);
  }
  size_t Size() const { return payload_.size(); }
  std::vector<uint8_t> Build(uint32_t count) const { return Build(count, payload_.size()); }
  std::vector<uint8_t> Build(uint32_t count, size_t statedPayload, uint16_t version = 1,
                             uint16_t headerSize = 32) const {
    std::vector<uint8_t> f = {'Q', 'L', 'N', 'I', 'I', 'O', 0x1A, 0x0A};
    auto put = [&f](uint32_t v, int n) {
      for (int i = 0; i < n; ++i) f.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put(version, 2);
    put(headerSize, 2);
    put(count, 4);
    put(static_cast<uint32_t>(statedPayload), 4);
    std::vector<uint8_t> withPayload = f;
    withPayload.resize(32);
    withPayload.insert(withPayload.end(), payload_.begin(), payload_.end());
    put(SlowCrc(withPayload, 32, withPayload.size()), 4);
    put(0, 4);
    put(SlowCrc(f, 0, 28), 4);
    f.insert(f.end(), payload_.begin(), payload_.end());
    return f;
  }

 private:
  std::vector<uint8_t> payload_;
};

TestRgb Colour(int x, int y) {
  return {static_cast<uint8_t>(x * 13 + y), static_cast<uint8_t>(y * 29),
          static_cast<uint8_t>(x ^ (y << 3))};
}

struct Expected {
  std::string label;
  int32_t flags;
  std::vector<TestRgb> pixels;
  uint32_t width, height;
  std::vector<uint8_t> block;  // empty: none
};

// Checks a list, item by item, against what it should hold.
void ExpectList(IIOHandle list, const std::vector<Expected>& want, const CountingOwner& owner) {
  ASSERT_EQ(x32IIOAction(list, kIIOCount, 0, 0), static_cast<int32_t>(want.size()));
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE("item " + std::to_string(i));
    const int32_t id = x32IIOAction(list, kIIOIdAt, 0, static_cast<intptr_t>(i));
    IIItem it{};
    ASSERT_EQ(x32IIAction(list, kIIRead, static_cast<uintptr_t>(id), P(&it)), 1);
    EXPECT_EQ(std::string(it.label), want[i].label);
    EXPECT_EQ(it.flags, want[i].flags);
    if (want[i].width == 0) {
      EXPECT_EQ(it.image, 0u);
    } else {
      uint32_t w = 0, h = 0;
      ASSERT_TRUE(buf32GetWHU(it.image, &w, &h, nullptr));
      EXPECT_EQ(w, want[i].width);
      EXPECT_EQ(h, want[i].height);
      EXPECT_EQ(ImagePixels(it.image), want[i].pixels);
    }
    if (want[i].block.empty()) {
      EXPECT_EQ(it.data, nullptr);
    } else {
      ASSERT_NE(it.data, nullptr);
      EXPECT_TRUE(owner.IsLive(it.data));
      EXPECT_EQ(owner.Bytes(it.data), want[i].block);
    }
  }
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

  // A list of five items owned by `owner`: labels of several lengths,
  // thumbnails of several sizes or none, blocks on some.
  IIOHandle MakeList(CountingOwner& owner, std::vector<Expected>* want) {
    const IIOHandle list = x32CreateIIO(0);
    IIODefinition d{};
    x32IIOAction(list, kIIODefaultDefinition, 0, P(&d));
    d.layout = 2;
    d.labelPlace = 2;
    d.callback = CountingOwner::Callback;
    x32IIOAction(list, kIIOApplyDefinition, 0, P(&d));
    struct ItemPlan {
      std::string label;
      int w, h;
      bool block;
      int32_t flags;
    };
    const ItemPlan plans[] = {{"Pattern-1", 6, 5, true, 1},
                              {"", 1, 1, true, 1},
                              {std::string(259, 'z'), 0, 0, false, 1},
                              {"no block", 9, 2, false, 7},
                              {"Palette-12 \xE9t\xE9", 3, 8, true, -1}};
    for (const ItemPlan& s : plans) {
      TestImage image = s.w != 0 ? TestImage(s.w, s.h, Colour) : TestImage();
      IIItem it{};
      s.label.copy(it.label, sizeof it.label - 1);
      it.flags = s.flags;
      it.image = image.handle();
      it.data = s.block ? owner.NewBlock(static_cast<uint8_t>(want->size() * 50)) : nullptr;
      EXPECT_GT(x32IIAction(list, kIIAdd, 0, P(&it)), 0);
      Expected e{s.label, s.flags, {}, static_cast<uint32_t>(s.w), static_cast<uint32_t>(s.h), {}};
      if (s.w != 0) e.pixels = ImagePixels(image.handle());
      if (s.block) e.block = owner.Bytes(it.data);
      want->push_back(e);
    }
    return list;
  }

  int buffers = 0;
  int32_t lists = 0;
  ScratchDir dir;
};

// The bytes of a good file of the list above, and the loader's verdicts.
class DamagedFiles : public Files {
 protected:
  void SetUp() override {
    Files::SetUp();
    CountingOwner owner(kBlock);
    std::vector<Expected> want;
    const IIOHandle list = MakeList(owner, &want);
    ASSERT_NE(x32SaveIIO(dir.file("good.iio").c_str(), list, 0), 0);
    x32DestroyIIO(list);
    good = ReadWholeFile(dir.file("good.iio"));
    ASSERT_GT(good.size(), 200u);
  }
  // True when the bytes are refused without anything reaching the owner or
  // staying behind.
  bool Refused(const std::vector<uint8_t>& bytes, bool throughFile) {
    CountingOwner owner(kBlock);
    IIOHandle list = 0;
    if (throughFile) {
      WriteWholeFile(dir.file("bad.iio"), bytes);
      list = x32LoadIIO(dir.file("bad.iio").c_str(), CountingOwner::Callback);
    } else {
      list = IioLoadBytes(bytes.data(), bytes.size(), CountingOwner::Callback);
    }
    const bool refused = list == 0;
    if (list != 0) x32DestroyIIO(list);
    if (refused) {
      EXPECT_EQ(owner.loads, 0) << "a block reached the owner";
    }
    EXPECT_EQ(owner.LiveCount(), 0);
    EXPECT_EQ(owner.badReleases, 0);
    return refused;
  }
  std::vector<uint8_t> good;
};

}  // namespace

TEST_F(Files, RoundTripKeepsEverythingByteForByte) {
  std::vector<Expected> want;
  std::vector<uint8_t> first;
  {
    CountingOwner owner(kBlock);
    const IIOHandle list = MakeList(owner, &want);
    ASSERT_NE(x32SaveIIO(dir.file("lib.iio").c_str(), list, 0), 0);
    // One size query and one copy per block; each block released by the copy.
    EXPECT_EQ(owner.sizeQueries, 3);
    EXPECT_EQ(owner.saves, 3);
    EXPECT_EQ(owner.released, 3);
    EXPECT_EQ(owner.badReleases, 0);
    EXPECT_EQ(x32DestroyIIO(list), 1);
    EXPECT_EQ(owner.frees, 0) << "saved blocks are not offered again";
    EXPECT_EQ(owner.LiveCount(), 0);
    first = ReadWholeFile(dir.file("lib.iio"));
  }
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"lib.iio"})) << "no temporary file left";

  CountingOwner owner(kBlock);
  const IIOHandle loaded = x32LoadIIO(dir.file("lib.iio").c_str(), CountingOwner::Callback);
  ASSERT_NE(loaded, 0u);
  EXPECT_EQ(owner.loads, 3);
  EXPECT_EQ(owner.sizeQueries, 3) << "the loader asks the owner's block size first";
  ExpectList(loaded, want, owner);
  // Saved again, the file is the same to the byte.
  ASSERT_NE(x32SaveIIO(dir.file("again.iio").c_str(), loaded, 0), 0);
  EXPECT_EQ(ReadWholeFile(dir.file("again.iio")), first);
  x32DestroyIIO(loaded);
  EXPECT_EQ(owner.LiveCount(), 0);
  EXPECT_EQ(owner.badReleases, 0);
  EXPECT_EQ(owner.allocated, owner.released);
}

TEST_F(Files, LayoutOnDiskIsTheDescribedOne) {
  CountingOwner owner(kBlock);
  const IIOHandle list = x32CreateIIO(0);
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, P(&d));
  d.callback = CountingOwner::Callback;
  x32IIOAction(list, kIIOApplyDefinition, 0, P(&d));
  // Thumbnail pixels 10, 11, 12, ... and block bytes 100, 101, ...
  TestImage image(2, 3, [](int x, int y) {
    const int n = 10 + 3 * (y * 2 + x);
    return TestRgb{static_cast<uint8_t>(n), static_cast<uint8_t>(n + 1),
                   static_cast<uint8_t>(n + 2)};
  });
  IIItem a{};
  std::strcpy(a.label, "Pattern-7");
  a.flags = 1;
  a.image = image.handle();
  a.data = owner.NewBlock(100);
  IIItem b{};
  std::strcpy(b.label, "x");
  b.flags = 1;
  ASSERT_GT(x32IIAction(list, kIIAdd, 0, P(&a)), 0);
  ASSERT_GT(x32IIAction(list, kIIAdd, 0, P(&b)), 0);
  ASSERT_NE(x32SaveIIO(dir.file("one.iio").c_str(), list, 0), 0);
  x32DestroyIIO(list);
  const std::vector<uint8_t> expected =
      FileBuilder().Item("Pattern-7", 2, 3, kBlock).Item("x", 0, 0, 0).Build(2);
  EXPECT_EQ(ReadWholeFile(dir.file("one.iio")), expected);
  EXPECT_EQ(IioCrc32("123456789", 9), 0xCBF43926u);
}

TEST_F(DamagedFiles, ADamagedByteAnywhereIsRefused) {
  ASSERT_FALSE(Refused(good, false)) << "the good file itself loads";
  for (size_t i = 0; i < good.size(); ++i) {
    for (uint8_t flip : {0x01, 0x80, 0xFF}) {
      std::vector<uint8_t> bad = good;
      bad[i] ^= flip;
      EXPECT_TRUE(Refused(bad, false)) << "byte " << i << " ^ " << int{flip};
    }
    std::vector<uint8_t> bad = good;
    bad[i] ^= 0x5A;
    EXPECT_TRUE(Refused(bad, true)) << "file with byte " << i;
  }
}

TEST_F(DamagedFiles, EveryTruncationAndAnyExtraByteIsRefused) {
  for (size_t n = 0; n < good.size(); ++n) {
    const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_TRUE(Refused(cut, false)) << n << " bytes";
    EXPECT_TRUE(Refused(cut, true)) << "file of " << n << " bytes";
  }
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  EXPECT_TRUE(Refused(longer, false));
  EXPECT_TRUE(Refused(longer, true));
}

TEST_F(DamagedFiles, HostileFilesWithGoodChecksumsAreRefused) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  FileBuilder one;
  one.Item("a", 2, 2, kBlock);
  std::vector<Case> cases = {
      {"more items than records", one.Build(2)},
      {"fewer items than records", FileBuilder().Item("a", 1, 1, 0).Item("b", 1, 1, 0).Build(1)},
      {"records short of the payload", FileBuilder().Item("a", 1, 1, 0).Bytes(3, 0).Build(1)},
      {"item count beyond the limit", FileBuilder().Build(70000)},
      {"huge count, tiny payload", FileBuilder().Bytes(20, 0).Build(65535)},
      {"payload size beyond the limit", one.Build(1, size_t{kIioMaxPayloadBytes} + 1)},
      {"payload larger than the file", one.Build(1, 200u << 20)},
      {"payload smaller than stated", one.Build(1, 10)},
      {"another version", one.Build(1, one.Size(), 2)},
      {"another header size", one.Build(1, one.Size(), 1, 40)},
      {"label too long",
       FileBuilder().Label(std::string(260, 'a')).U32(1).U16(0).U16(0).U32(0).Build(1)},
      {"label length past the end", FileBuilder().U16(5000).Bytes(20, 'a').Build(1)},
      {"NUL in a label", FileBuilder().Item(std::string("a\0b", 3), 0, 0, 0).Build(1)},
      {"width without height", FileBuilder().Label("a").U32(1).U16(4).U16(0).U32(0).Build(1)},
      {"thumbnail too wide",
       FileBuilder().Label("a").U32(1).U16(1025).U16(1).Bytes(1025 * 3, 0).U32(0).Build(1)},
      {"pixels past the end", FileBuilder().Label("a").U32(1).U16(1024).U16(1024).U32(0).Build(1)},
      {"block too large", FileBuilder()
                              .Label("a")
                              .U32(1)
                              .U16(0)
                              .U16(0)
                              .U32(kIioMaxBlockBytes + 1)
                              .Bytes(16, 0)
                              .Build(1)},
      {"block past the end",
       FileBuilder().Label("a").U32(1).U16(0).U16(0).U32(1000).Bytes(10, 0).Build(1)},
      {"block of another size than the owner's",
       FileBuilder().Item("a", 1, 1, kBlock - 1).Build(1)},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(Refused(c.bytes, false)) << c.what;
    EXPECT_TRUE(Refused(c.bytes, true)) << c.what;
  }
  // The same payload with a right header loads, and so does an empty list.
  EXPECT_FALSE(Refused(one.Build(1), false));
  EXPECT_FALSE(Refused(FileBuilder().Build(0), true));
}

TEST_F(Files, WithoutACallbackBlocksAreLeftOut) {
  const auto bytes = FileBuilder().Item("a", 1, 1, kBlock).Build(1);
  const IIOHandle list = IioLoadBytes(bytes.data(), bytes.size(), nullptr);
  ASSERT_NE(list, 0u);
  IIItem it{};
  x32IIAction(list, kIIRead, static_cast<uintptr_t>(x32IIOAction(list, kIIOIdAt, 0, 0)), P(&it));
  EXPECT_STREQ(it.label, "a");
  EXPECT_EQ(it.data, nullptr);
  x32DestroyIIO(list);
}

TEST_F(Files, MissingFilesFoldersAndEmptyNamesAreNotListsAndAreRecorded) {
  c32ResetDLLErrInfo();
  EXPECT_EQ(x32LoadIIO(dir.file("absent.iio").c_str(), nullptr), 0u);
  C32ErrInfo info{};
  EXPECT_EQ(c32GetDLLErrInfo(&info), kIIOErrorRead);
  EXPECT_EQ(info.where, 72000);
  EXPECT_GT(info.line, 0);
  EXPECT_EQ(x32LoadIIO(dir.path().string().c_str(), nullptr), 0u);
  EXPECT_EQ(x32LoadIIO("", nullptr), 0u);
  EXPECT_EQ(x32LoadIIO(nullptr, nullptr), 0u);
  EXPECT_EQ(IioLoadBytes(nullptr, 0, nullptr), 0u);
  c32ResetDLLErrInfo();
  const IIOHandle list = x32CreateIIO(0);
  EXPECT_EQ(x32SaveIIO("", list, 0), 0);
  EXPECT_EQ(c32GetDLLErrInfo(&info), kIIOErrorWrite);
  x32DestroyIIO(list);
}

TEST_F(Files, CurrentItemNamesTheItemBeingSavedOrLoaded) {
  CountingOwner owner(kBlock);
  const IIOHandle idle = x32CreateIIO(0);
  EXPECT_EQ(x32IIAction(idle, kIICurrentItem, 0, 0), -1) << "no save or load under way";
  x32DestroyIIO(idle);
  std::vector<Expected> want;
  const IIOHandle list = MakeList(owner, &want);
  const std::vector<int32_t> holders = {x32IIOAction(list, kIIOIdAt, 0, 0),
                                        x32IIOAction(list, kIIOIdAt, 0, 1),
                                        x32IIOAction(list, kIIOIdAt, 0, 4)};
  ASSERT_NE(x32SaveIIO(dir.file("s.iio").c_str(), list, 0), 0);
  x32DestroyIIO(list);
  std::vector<int32_t> expected;
  for (int pass = 0; pass < 2; ++pass)
    expected.insert(expected.end(), holders.begin(), holders.end());
  EXPECT_EQ(owner.currentItemSeen, expected);
}

TEST_F(Files, RefusedSizeQueryFailsTheSaveBeforeAnyBlockMoves) {
  CountingOwner owner(kBlock);
  std::vector<Expected> want;
  const IIOHandle list = MakeList(owner, &want);
  for (const int32_t answer : {-1, static_cast<int32_t>(kIioMaxBlockBytes) + 1}) {
    owner.answerSize = answer;
    EXPECT_EQ(x32SaveIIO(dir.file("s.iio").c_str(), list, 0), 0);
    EXPECT_EQ(owner.saves, 0);
    EXPECT_EQ(owner.released, 0);
  }
  EXPECT_TRUE(dir.Entries().empty());
  owner.answerSize = 0;  // nothing to store: the blocks stay with the items
  ASSERT_NE(x32SaveIIO(dir.file("s.iio").c_str(), list, 0), 0);
  EXPECT_EQ(owner.saves, 0);
  x32DestroyIIO(list);
  EXPECT_EQ(owner.frees, 3);
  EXPECT_EQ(owner.LiveCount(), 0);
  EXPECT_EQ(owner.badReleases, 0);
}

TEST_F(Files, FailedSaveGivesTheBlocksBackAndKeepsNoFile) {
  CountingOwner owner(kBlock);
  std::vector<Expected> want;
  const IIOHandle list = MakeList(owner, &want);
  const std::string path = (dir.path() / "missing-folder" / "lib.iio").string();
  EXPECT_EQ(x32SaveIIO(path.c_str(), list, 0), 0);
  EXPECT_EQ(owner.saves, 3);
  EXPECT_EQ(owner.loads, 3) << "each block handed back to its item";
  ExpectList(list, want, owner);
  x32DestroyIIO(list);
  EXPECT_EQ(owner.frees, 3);
  EXPECT_EQ(owner.LiveCount(), 0);
  EXPECT_EQ(owner.badReleases, 0);
  EXPECT_EQ(owner.allocated, owner.released);
}

#ifndef _WIN32
TEST_F(Files, WriteFailureMidSaveKeepsThePreviousFile) {
  CountingOwner owner(kBlock);
  std::vector<Expected> want;
  IIOHandle list = MakeList(owner, &want);
  const std::string path = dir.file("lib.iio");
  ASSERT_NE(x32SaveIIO(path.c_str(), list, 0), 0);
  x32DestroyIIO(list);
  const std::vector<uint8_t> before = ReadWholeFile(path);

  want.clear();
  list = MakeList(owner, &want);
  TestImage big(400, 400, Colour);  // makes the new file far larger than the limit below
  IIItem it{};
  std::strcpy(it.label, "big");
  it.flags = 1;
  it.image = big.handle();
  ASSERT_GT(x32IIAction(list, kIIAdd, 0, P(&it)), 0);
  want.push_back({"big", 1, ImagePixels(big.handle()), 400, 400, {}});
  // Writes past 4096 bytes fail (EFBIG) instead of stopping the process.
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
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
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"lib.iio"}));
  ExpectList(list, want, owner);
  x32DestroyIIO(list);
  EXPECT_EQ(owner.badReleases, 0);
  EXPECT_EQ(owner.LiveCount(), 0);
  EXPECT_EQ(owner.allocated, owner.released);
}
#endif
