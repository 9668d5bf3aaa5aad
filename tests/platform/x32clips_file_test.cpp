// Thumbnail-list files against a file put together by hand from the
// description in iio_file.h: round trips, damaged, truncated and hostile
// files, failed saves, and the owner's blocks through it all.
#include <gtest/gtest.h>

#include "common/clips_owner.h"
#include "common/scratch_dir.h"
#include "common/test_images.h"
#include "platform/x32clips/iio_file.h"
#include "platform/x32clips/iio_view.h"
#include "platform/x32comm/x32comm.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Ids = std::vector<int32_t>;
constexpr int32_t kBlock = 40;

// CRC-32 bit by bit, as the file description gives it.
uint32_t SlowCrc(const Bytes &b) {
  uint32_t c = ~0u;
  for (size_t i = 0; i < b.size() * 8; ++i)
    c ^= i % 8 ? 0 : b[i / 8], c = (c >> 1) ^ ((c & 1) != 0 ? 0xEDB88320u : 0);
  return ~c;
}

struct FileBuilder {
  Bytes out;
  FileBuilder &U(uint32_t v, int bytes = 4) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
  FileBuilder &Ramp(size_t n, int first) {
    for (size_t i = 0; i < n; ++i) out.push_back(static_cast<uint8_t>(first + i));
    return *this;
  }
  // Flags 1, a w x h thumbnail of a ramp from 10, a block of a ramp from 100.
  FileBuilder &Item(const std::string &label, uint32_t w, uint32_t h, uint32_t block) {
    U(uint32_t(label.size()), 2).out.insert(out.end(), label.begin(), label.end());
    return U(1).U(w, 2).U(h, 2).Ramp(size_t{w} * h * 3, 10).U(block).Ramp(block, 100);
  }
  Bytes Build(uint32_t count, int64_t stated = -1, uint32_t version = 1, uint32_t head = 32) {
    FileBuilder f{{'Q', 'L', 'N', 'I', 'I', 'O', 0x1A, 0x0A}};
    f.U(version, 2).U(head, 2).U(count).U(stated < 0 ? uint32_t(out.size()) : uint32_t(stated));
    f.U(SlowCrc(out)).U(0).U(SlowCrc(f.out)).out.insert(f.out.end(), out.begin(), out.end());
    return f.out;
  }
};

// Label, thumbnail size, whether a block.
using Item = std::tuple<std::string, int, int, bool>;
const Item kItems[] = {Item{"Pattern-7", 2, 3, true}, Item{"", 1, 1, true},
                       Item{std::string(260, 'z'), 0, 0, false}, Item{"Palette \xE9", 9, 2, false}};

Bytes Expected() {
  FileBuilder b;
  for (const auto &[label, w, h, block] : kItems)
    b.Item(label.substr(0, 259), w, h, block ? kBlock : 0);  // at most 259 characters
  return b.Build(4);
}

IIOHandle MakeList(CountingOwner &owner) {
  const IIOHandle list = CountingOwner::NewList();
  for (const auto &[label, w, h, block] : kItems) {
    const TestImage image(w, h, [&](int x, int y) {  // none when 0 x 0
      const auto n = uint8_t(10 + 3 * (y * w + x));
      return TestRgb{n, uint8_t(n + 1), uint8_t(n + 2)};
    });
    IIItem it{};
    label.copy(it.label, sizeof it.label);  // 260: no terminating NUL
    it.flags = 1, it.image = image.handle(), it.data = block ? owner.NewBlock(100) : nullptr;
    x32IIAction(list, kIIAdd, 0, reinterpret_cast<intptr_t>(&it));
  }
  return list;
}

// True when refused without anything reaching the owner or staying behind.
bool Refused(const Bytes &bytes, const std::string &file = "") {
  CountingOwner owner(kBlock);
  const int buffers = buf32LiveCount(), lists = IioLiveListCount();
  const auto cb = CountingOwner::Callback;
  const IIOHandle list = file.empty() ? IioLoadBytes(bytes.data(), bytes.size(), cb)
                                      : (WriteWholeFile(file, bytes), x32LoadIIO(file.c_str(), cb));
  x32DestroyIIO(list);
  EXPECT_TRUE((list != 0 || owner.loads == 0) && owner.LiveCount() + owner.badReleases == 0 &&
              buf32LiveCount() == buffers && IioLiveListCount() == lists)
      << "a block reached the owner, or something stayed behind";
  return list == 0;
}

}  // namespace

TEST(ListFiles, RoundTripsByteForByteAndFailuresGiveEachBlockBackOnceAndLeakNothing) {
  ScratchDir dir;
  const std::string path = dir.file("lib.iio");
  CountingOwner owner(kBlock);
  IIOHandle list = MakeList(owner);
  ASSERT_NE(x32SaveIIO(path.c_str(), list, 0), 0);
  EXPECT_EQ(ReadWholeFile(path), Expected());
  EXPECT_EQ((Ids{owner.sizeQueries, owner.saves, owner.released}), (Ids{2, 2, 2}))
      << "one size query and one copy per block, each block released by its copy";
  EXPECT_EQ(owner.currentItemSeen, (Ids{1, 2, 1, 2})) << "each message names its item";
  EXPECT_EQ((Ids{x32DestroyIIO(list), owner.frees}), (Ids{1, 0})) << "saved blocks stay released";
  EXPECT_EQ(x32IIAction(list = x32CreateIIO(0), kIICurrentItem, 0, 0), -1);
  x32DestroyIIO(list);
  list = x32LoadIIO(path.c_str(), CountingOwner::Callback);
  EXPECT_EQ((Ids{owner.sizeQueries, owner.loads}), (Ids{4, 2})) << "the block size asked first";
  owner.saves = owner.released = owner.loads = 0;
  owner.answerSize = -1;  // a refused size query: nothing moves
  EXPECT_EQ((Ids{x32SaveIIO(path.c_str(), list, 0), owner.saves, owner.released}), Ids(3));
  owner.answerSize = kIioMaxBlockBytes + 1;
  EXPECT_EQ((Ids{x32SaveIIO(path.c_str(), list, 0), owner.saves, owner.released}), Ids(3));
  owner.answerSize.reset();
  c32ResetDLLErrInfo();
  EXPECT_EQ(x32SaveIIO(dir.file("missing/lib.iio").c_str(), list, 0), 0);
  EXPECT_TRUE(c32GetDLLErrInfo(nullptr) == kIIOErrorWrite && owner.loads == 2) << "given back";
  ASSERT_NE(x32SaveIIO(path.c_str(), list, 0), 0) << "the loaded list saves as it was read";
  EXPECT_EQ(ReadWholeFile(path), Expected());
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"lib.iio"}) << "no temporary file left";
  x32DestroyIIO(list);
  const int buffers = buf32LiveCount(), loads = owner.loads;
  buf32FailAllocation(3);  // the last thumbnail of a load: the first two go again
  EXPECT_TRUE(x32LoadIIO(path.c_str(), CountingOwner::Callback) == 0 && owner.loads == loads &&
              c32GetDLLErrInfo(nullptr) == kIIOErrorMemory && buf32LiveCount() == buffers);
  EXPECT_EQ(x32LoadIIO(dir.file("absent.iio").c_str(), nullptr), 0u);
  C32ErrInfo info{};
  EXPECT_EQ(std::pair(c32GetDLLErrInfo(&info), info.where), std::pair(kIIOErrorRead, 72000));
  EXPECT_EQ(x32DestroyIIO(x32LoadIIO(path.c_str(), nullptr)), 1) << "loads again, without owner";
  EXPECT_EQ(owner.LiveCount() + owner.badReleases, 0);
}

TEST(ListFiles, TruncatedDamagedLongAndHostileFilesAreRefusedBeforeAnyBlockMoves) {
  ScratchDir dir;
  Bytes good = Expected();
  ASSERT_FALSE(Refused(good)) << "the good file itself loads";
  for (size_t n = 0; n < good.size(); ++n) {
    const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_TRUE(Refused(cut, n + 1 == good.size() ? dir.file("short.iio") : "")) << n << " bytes";
    for (uint8_t flip : {0x01, 0x80, 0xFF}) {
      good[n] ^= flip;
      EXPECT_TRUE(Refused(good, flip == 0x80 ? dir.file("bad.iio") : "")) << n << "^" << +flip;
      good[n] ^= flip;
    }
  }
  good.push_back(0);
  EXPECT_TRUE(Refused(good, dir.file("long.iio")));
  // Good checksums over bad contents.
  FileBuilder one = FileBuilder().Item("a", 2, 2, kBlock);
  auto item = [](uint32_t w, uint32_t h) {
    return FileBuilder().U(1, 2).U('a', 1).U(1).U(w, 2).U(h, 2);
  };
  const std::pair<const char *, Bytes> cases[] = {
      {"more items than records", one.Build(2)},
      {"records short of the payload", FileBuilder().Item("a", 1, 1, 0).Ramp(3, 0).Build(1)},
      {"huge count, tiny payload", FileBuilder().Ramp(20, 0).Build(65535)},
      {"payload beyond the limit", one.Build(1, int64_t{kIioMaxPayloadBytes} + 1)},
      {"another version", one.Build(1, -1, 2)},
      {"another header size", one.Build(1, -1, 1, 40)},
      {"label too long", FileBuilder().Item(std::string(260, 'a'), 0, 0, 0).Build(1)},
      {"label past the end", FileBuilder().U(5000, 2).Ramp(20, 'a').Build(1)},
      {"NUL in a label", FileBuilder().Item(std::string("a\0b", 3), 0, 0, 0).Build(1)},
      {"width without height", item(4, 0).U(0).Build(1)},
      {"thumbnail too wide", item(1025, 1).Ramp(1025 * 3, 0).U(0).Build(1)},
      {"pixels past the end", item(1024, 1024).U(0).Build(1)},
      {"block too large", item(0, 0).U(kIioMaxBlockBytes + 1).Ramp(16, 0).Build(1)},
      {"block past the end", item(0, 0).U(1000).Ramp(10, 0).Build(1)},
      {"block of another size", FileBuilder().Item("a", 1, 1, kBlock - 1).Build(1)}};
  for (const auto &[what, bytes] : cases) EXPECT_TRUE(Refused(bytes)) << what;
  EXPECT_FALSE(Refused(one.Build(1)) || Refused(FileBuilder().Build(0))) << "good, and empty";
}
