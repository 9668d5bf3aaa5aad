#include "platform/x32gifsa/x32gifsa.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "common/gif_test_reader.h"
#include "common/scratch_dir.h"
#include "common/test_images.h"

namespace {

struct TestFrame {
  int width = 0, height = 0;
  int left = 0, top = 0;
  int tableSize = 0;
  int tableBits = 0;
  int hasLocalTable = 1;
  int flags = kGifFrameKeep;
  int rowBytes = 0;             // 0: the width
  std::vector<uint8_t> table;   // tableSize x 4 bytes
  std::vector<uint8_t> pixels;  // rowBytes x height
};

int BitsOf(int size) {
  int bits = 0;
  while ((1 << bits) < size) ++bits;
  return bits;
}

// A frame of random indices below `colours`, with a table of distinct colours.
TestFrame RandomFrame(int width, int height, int tableSize, int colours, uint64_t seed) {
  TestFrame f;
  f.width = width;
  f.height = height;
  f.tableSize = tableSize;
  f.tableBits = BitsOf(tableSize);
  TestRandom random(seed);
  for (int i = 0; i < tableSize; ++i) {
    f.table.insert(f.table.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                   static_cast<uint8_t>(i * 7), 0});
  }
  f.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (auto& p : f.pixels) p = static_cast<uint8_t>(random.Below(colours));
  return f;
}

struct TestAnimation {
  int width = 0, height = 0;
  int hasGlobalTable = 1;
  std::vector<uint8_t> global = std::vector<uint8_t>(16 * 4, 0xFF);
  std::vector<TestFrame> frames;
  std::vector<uint8_t> loopData = {1, 0, 0};
  // Filled by the callback.
  std::vector<int32_t> callbackPositions;
  size_t nextFrame = 0;
  int32_t answer = 1;
  bool fillPointers = true;
};

int32_t FillRecord(int32_t value, int32_t request, void* record, void* user) {
  auto* a = static_cast<TestAnimation*>(user);
  EXPECT_EQ(request, kGifReadData);
  a->callbackPositions.push_back(value);
  int32_t type = 0;
  std::memcpy(&type, record, sizeof type);
  if (a->fillPointers && type == kGifRecordHeader)
    static_cast<GifHeaderRecord*>(record)->globalTable = a->global.data();
  if (a->fillPointers && type == kGifRecordFrame && a->nextFrame < a->frames.size()) {
    TestFrame& f = a->frames[a->nextFrame++];
    static_cast<GifFrameRecord*>(record)->localTable = f.table.data();
    static_cast<GifFrameRecord*>(record)->pixels = f.pixels.data();
  }
  return a->answer;
}

class ListHandle {
 public:
  explicit ListHandle(int capacity) : list_(ChunkAction(0, kChunkCreate, capacity, nullptr)) {}
  ~ListHandle() {
    if (list_) ChunkAction(list_, kChunkRelease, 0, nullptr);
  }
  ListHandle(const ListHandle&) = delete;
  ListHandle& operator=(const ListHandle&) = delete;
  uint32_t get() const { return list_; }
  template <typename Record>
  bool Append(const Record& r) {
    return ChunkAction(list_, kChunkAppend, sizeof r, &r) == 1;
  }

 private:
  uint32_t list_;
};

GifHeaderRecord HeaderOf(const TestAnimation& a) {
  GifHeaderRecord h{};
  h.type = kGifRecordHeader;
  h.width = a.width;
  h.height = a.height;
  h.hasGlobalTable = a.hasGlobalTable;
  h.globalTableSize = 16;
  h.globalTableBits = 4;
  return h;
}

GifAppExtensionRecord LoopOf(const TestAnimation& a) {
  GifAppExtensionRecord r{};
  r.type = kGifRecordAppExtension;
  std::memcpy(r.identifier, "NETSCAPE", 9);
  std::memcpy(r.authentication, "2.0", 4);
  r.data = a.loopData.data();
  r.dataLength = static_cast<int32_t>(a.loopData.size());
  return r;
}

GifFrameRecord FrameOf(const TestFrame& f) {
  GifFrameRecord r{};
  r.type = kGifRecordFrame;
  r.left = f.left;
  r.top = f.top;
  r.width = f.width;
  r.height = f.height;
  r.flags = f.flags;
  r.hasLocalTable = f.hasLocalTable;
  r.localTableSize = f.tableSize;
  r.localTableBits = f.tableBits;
  r.bytesPerPixel = 1;
  r.rowBytes = f.rowBytes ? f.rowBytes : f.width;
  return r;
}

// Fills the list in the usual order: header, loop block, frames, end.
void AppendAll(ListHandle& list, const TestAnimation& a) {
  ASSERT_TRUE(list.Append(HeaderOf(a)));
  ASSERT_TRUE(list.Append(LoopOf(a)));
  for (const TestFrame& f : a.frames) ASSERT_TRUE(list.Append(FrameOf(f)));
  ASSERT_TRUE(list.Append(GifEndRecord{kGifRecordEnd}));
}

AniGifParams ParamsFor(const std::string& name, uint32_t list) {
  AniGifParams p{};
  std::snprintf(p.fileName, sizeof p.fileName, "%s", name.c_str());
  p.recordList = list;
  return p;
}

int32_t WriteAnimation(TestAnimation& a, const std::string& name) {
  ListHandle list(static_cast<int>(a.frames.size()) + 4);
  AppendAll(list, a);
  const AniGifParams params = ParamsFor(name, list.get());
  return AniGifAction(&params, kAniGifWrite, FillRecord, &a);
}

GifTestFile ReadBack(const std::string& name) {
  std::string error;
  auto gif = ReadGif(ReadWholeFile(name), &error);
  EXPECT_TRUE(gif.has_value()) << error;
  return gif.value_or(GifTestFile{});
}

std::vector<TestRgb> TableColours(const TestFrame& f) {
  std::vector<TestRgb> colours;
  for (int i = 0; i < f.tableSize; ++i)
    colours.push_back({f.table[4 * static_cast<size_t>(i)], f.table[4 * static_cast<size_t>(i) + 1],
                       f.table[4 * static_cast<size_t>(i) + 2]});
  return colours;
}

}  // namespace

TEST(ChunkAction, ListsAreCreatedFilledUpToTheirCapacityAndReleasedOnce) {
  const uint32_t a = ChunkAction(0, kChunkCreate, 2, nullptr);
  const uint32_t b = ChunkAction(0, kChunkCreate, 1, nullptr);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(a, b);
  const GifEndRecord end{kGifRecordEnd};
  EXPECT_EQ(ChunkAction(a, kChunkAppend, sizeof end, &end), 1u);
  EXPECT_EQ(ChunkAction(a, kChunkAppend, sizeof end, &end), 1u);
  EXPECT_EQ(ChunkAction(a, kChunkAppend, sizeof end, &end), 0u) << "list is full";
  EXPECT_EQ(ChunkAction(b, kChunkAppend, sizeof end, nullptr), 0u);
  EXPECT_EQ(ChunkAction(b, kChunkAppend, 3, &end), 0u);
  EXPECT_EQ(ChunkAction(b, kChunkAppend, kChunkMaxRecordBytes + 1, &end), 0u);
  EXPECT_EQ(ChunkAction(a, kChunkRelease, 0, nullptr), 1u);
  EXPECT_EQ(ChunkAction(a, kChunkRelease, 0, nullptr), 0u);
  EXPECT_EQ(ChunkAction(a, kChunkAppend, sizeof end, &end), 0u) << "released list";
  EXPECT_EQ(ChunkAction(b, kChunkRelease, 0, nullptr), 1u);
  const uint32_t c = ChunkAction(0, kChunkCreate, 1, nullptr);
  EXPECT_NE(c, a) << "handles are not reused";
  EXPECT_NE(c, b);
  EXPECT_EQ(ChunkAction(c, kChunkRelease, 0, nullptr), 1u);

  EXPECT_EQ(ChunkAction(0, kChunkCreate, 0, nullptr), 0u);
  EXPECT_EQ(ChunkAction(0, kChunkCreate, -5, nullptr), 0u);
  EXPECT_EQ(ChunkAction(0, kChunkCreate, kChunkMaxCapacity + 1, nullptr), 0u);
  EXPECT_EQ(ChunkAction(12345678, kChunkCreate, 4, nullptr), 0u);
  EXPECT_EQ(ChunkAction(12345678, kChunkAppend, sizeof end, &end), 0u);
  EXPECT_EQ(ChunkAction(0, 7, 0, nullptr), 0u);
}

TEST(AniGifAction, WritesALoopingAnimationWithFullSizeFramesAndTheirOwnTables) {
  ScratchDir dir;
  TestAnimation a;
  a.width = 20;
  a.height = 13;
  a.global.assign(16 * 4, 0xFF);
  a.frames.push_back(RandomFrame(20, 13, 4, 3, 1));
  a.frames.push_back(RandomFrame(20, 13, 256, 256, 2));
  const std::string name = dir.file("anim.gif");
  ASSERT_EQ(WriteAnimation(a, name), 1);
  EXPECT_EQ(a.callbackPositions, (std::vector<int32_t>{0, 2, 3}));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"anim.gif"});

  const GifTestFile gif = ReadBack(name);
  EXPECT_EQ(gif.version, "GIF89a");
  EXPECT_EQ(gif.width, 20);
  EXPECT_EQ(gif.height, 13);
  EXPECT_EQ(gif.globalTableSize, 16);
  EXPECT_EQ(gif.globalTable, std::vector<TestRgb>(16, TestRgb{255, 255, 255}));
  ASSERT_EQ(gif.applications.size(), 1u);
  EXPECT_EQ(gif.applications[0], "NETSCAPE2.0");
  EXPECT_EQ(gif.applicationData[0], (std::vector<uint8_t>{1, 0, 0})) << "loops for ever";
  ASSERT_EQ(gif.frames.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const GifTestFrame& f = gif.frames[i];
    EXPECT_EQ(f.left, 0);
    EXPECT_EQ(f.top, 0);
    EXPECT_EQ(f.width, 20);
    EXPECT_EQ(f.height, 13);
    EXPECT_TRUE(f.hasControl);
    EXPECT_EQ(f.delay, kGifFrameDelay);
    EXPECT_EQ(f.disposal, 1);
    EXPECT_FALSE(f.interlaced);
    EXPECT_EQ(f.localTableSize, a.frames[i].tableSize);
    EXPECT_EQ(f.localTable, TableColours(a.frames[i]));
    EXPECT_EQ(f.indices, a.frames[i].pixels);
  }
  EXPECT_EQ(gif.frames[0].minCodeSize, 2);
  EXPECT_EQ(gif.frames[1].minCodeSize, 8);
}

TEST(AniGifAction, CompressedPixelsDecodeExactlyForEveryTableSizeAndShape) {
  ScratchDir dir;
  const std::string name = dir.file("lzw.gif");
  struct Shape {
    int width, height;
  };
  for (int bits = 1; bits <= 8; ++bits) {
    for (Shape s : {Shape{1, 1}, Shape{1, 300}, Shape{300, 1}, Shape{37, 23}, Shape{128, 96}}) {
      SCOPED_TRACE(testing::Message() << bits << " bits, " << s.width << "x" << s.height);
      TestAnimation a;
      a.width = s.width;
      a.height = s.height;
      a.frames.push_back(RandomFrame(s.width, s.height, 1 << bits, 1 << bits, 100 + bits));
      ASSERT_EQ(WriteAnimation(a, name), 1);
      const GifTestFile gif = ReadBack(name);
      ASSERT_EQ(gif.frames.size(), 1u);
      EXPECT_EQ(gif.frames[0].minCodeSize, std::max(2, bits));
      EXPECT_EQ(gif.frames[0].indices, a.frames[0].pixels);
    }
  }
}

TEST(AniGifAction, LargeFramesWidenCodesRestartTheTableAndCompressRuns) {
  ScratchDir dir;
  const std::string name = dir.file("big.gif");
  TestAnimation a;
  a.width = a.height = 300;
  a.frames.push_back(RandomFrame(300, 300, 256, 256, 7));
  a.frames.push_back(RandomFrame(300, 300, 16, 16, 8));
  a.frames.push_back(RandomFrame(300, 300, 2, 1, 0));  // every index 0
  TestFrame stripes = RandomFrame(300, 300, 8, 8, 0);
  for (size_t i = 0; i < stripes.pixels.size(); ++i)
    stripes.pixels[i] = static_cast<uint8_t>((i % 300) / 40);
  a.frames.push_back(stripes);
  ASSERT_EQ(WriteAnimation(a, name), 1);
  const GifTestFile gif = ReadBack(name);
  ASSERT_EQ(gif.frames.size(), 4u);
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(gif.frames[i].indices, a.frames[i].pixels);
    if (i < 2) {
      EXPECT_EQ(gif.frames[i].widestCode, 12);
      EXPECT_GT(gif.frames[i].clearCodes, 2) << "the table filled and was restarted";
    }
  }
  EXPECT_EQ(gif.frames[2].clearCodes, 1) << "one run needs no restart";
  a.frames.erase(a.frames.begin(), a.frames.begin() + 2);
  a.nextFrame = 0;
  ASSERT_EQ(WriteAnimation(a, name), 1);
  EXPECT_LT(ReadWholeFile(name).size(), 6000u) << "runs are compressed";
}

TEST(AniGifAction, InterlacedFramesShowTheSamePicture) {
  ScratchDir dir;
  const std::string name = dir.file("interlaced.gif");
  for (int height = 1; height <= 17; ++height) {
    SCOPED_TRACE(height);
    TestAnimation a;
    a.width = 5;
    a.height = height;
    TestFrame f = RandomFrame(5, height, 2, 2, static_cast<uint64_t>(height));
    f.flags = kGifFrameInterlaced;
    a.frames.push_back(f);
    ASSERT_EQ(WriteAnimation(a, name), 1);
    const GifTestFile gif = ReadBack(name);
    ASSERT_EQ(gif.frames.size(), 1u);
    EXPECT_TRUE(gif.frames[0].interlaced);
    EXPECT_EQ(gif.frames[0].disposal, 0);
    EXPECT_EQ(gif.frames[0].indices, a.frames[0].pixels);
  }
}

TEST(AniGifAction, FramesWithoutALocalTableUseTheGlobalOneAndMayBePlaced) {
  ScratchDir dir;
  const std::string name = dir.file("global.gif");
  TestAnimation a;
  a.width = 10;
  a.height = 8;
  for (int i = 0; i < 16; ++i) a.global[4 * static_cast<size_t>(i)] = static_cast<uint8_t>(i * 16);
  TestFrame f = RandomFrame(4, 3, 16, 16, 3);
  f.hasLocalTable = 0;
  f.left = 6;
  f.top = 5;
  f.rowBytes = 9;  // rows further apart than the width
  std::vector<uint8_t> spaced(9 * 3, 0xEE);
  for (int y = 0; y < 3; ++y) std::copy_n(f.pixels.begin() + 4 * y, 4, spaced.begin() + 9 * y);
  const std::vector<uint8_t> expected = f.pixels;
  f.pixels = spaced;
  a.frames.push_back(f);
  ASSERT_EQ(WriteAnimation(a, name), 1);
  const GifTestFile gif = ReadBack(name);
  ASSERT_EQ(gif.frames.size(), 1u);
  EXPECT_EQ(gif.frames[0].localTableSize, 0);
  EXPECT_EQ(gif.frames[0].left, 6);
  EXPECT_EQ(gif.frames[0].top, 5);
  EXPECT_EQ(gif.frames[0].indices, expected);
  EXPECT_EQ(gif.Colours(0)[0].r, expected[0] * 16);
}

TEST(AniGifAction, LongApplicationDataIsSplitIntoSubBlocks) {
  ScratchDir dir;
  const std::string name = dir.file("app.gif");
  TestAnimation a;
  a.width = a.height = 2;
  a.loopData.resize(300);
  for (size_t i = 0; i < a.loopData.size(); ++i) a.loopData[i] = static_cast<uint8_t>(i);
  a.frames.push_back(RandomFrame(2, 2, 2, 2, 1));
  ASSERT_EQ(WriteAnimation(a, name), 1);
  const GifTestFile gif = ReadBack(name);
  ASSERT_EQ(gif.applicationData.size(), 1u);
  EXPECT_EQ(gif.applicationData[0], a.loopData);
}

// Each case breaks one thing in an otherwise good two-frame animation.
TEST(AniGifAction, RefusesBadRecordsAndLeavesExistingFilesAlone) {
  ScratchDir dir;
  const std::string name = dir.file("out.gif");
  const std::vector<uint8_t> previous = {'o', 'l', 'd'};
  WriteWholeFile(name, previous);
  auto good = [] {
    TestAnimation a;
    a.width = 8;
    a.height = 6;
    a.frames.push_back(RandomFrame(8, 6, 4, 4, 1));
    a.frames.push_back(RandomFrame(8, 6, 4, 4, 2));
    return a;
  };
  struct Case {
    const char* what;
    std::function<void(TestAnimation&)> change;
  };
  const Case cases[] = {
      {"frame wider than the screen", [](TestAnimation& a) { a.frames[1].width = 9; }},
      {"frame placed off the screen", [](TestAnimation& a) { a.frames[0].left = 1; }},
      {"table size not a power of two", [](TestAnimation& a) { a.frames[0].tableSize = 3; }},
      {"table bits not matching", [](TestAnimation& a) { a.frames[1].tableBits = 3; }},
      {"table of 512",
       [](TestAnimation& a) { a.frames[1].tableSize = 512, a.frames[1].tableBits = 9; }},
      {"index outside the table", [](TestAnimation& a) { a.frames[1].pixels[47] = 4; }},
      {"rows shorter than the width", [](TestAnimation& a) { a.frames[0].rowBytes = 7; }},
      {"unknown flag", [](TestAnimation& a) { a.frames[0].flags = 1; }},
      {"undefined disposal", [](TestAnimation& a) { a.frames[0].flags = 5 << 2; }},
      {"no table at all",
       [](TestAnimation& a) {
         a.hasGlobalTable = 0;
         a.frames[1].hasLocalTable = 0;
       }},
      {"screen of width 0", [](TestAnimation& a) { a.width = 0; }},
      {"callback refuses", [](TestAnimation& a) { a.answer = 0; }},
      {"callback gives no pixels", [](TestAnimation& a) { a.fillPointers = false; }},
      {"identifier too long", [](TestAnimation&) {}},  // handled below
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestAnimation a = good();
    c.change(a);
    ListHandle list(8);
    GifAppExtensionRecord loop = LoopOf(a);
    if (std::string(c.what) == "identifier too long")
      std::memcpy(loop.identifier, "NETSCAPE2.0", 12);
    ASSERT_TRUE(list.Append(HeaderOf(a)));
    ASSERT_TRUE(list.Append(loop));
    for (const TestFrame& f : a.frames) ASSERT_TRUE(list.Append(FrameOf(f)));
    ASSERT_TRUE(list.Append(GifEndRecord{kGifRecordEnd}));
    const AniGifParams params = ParamsFor(name, list.get());
    EXPECT_EQ(AniGifAction(&params, kAniGifWrite, FillRecord, &a), 0);
    EXPECT_EQ(ReadWholeFile(name), previous);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.gif"});
  }
}

TEST(AniGifAction, RefusesListsOutOfOrderAndBadParameters) {
  ScratchDir dir;
  const std::string name = dir.file("out.gif");
  TestAnimation a;
  a.width = 4;
  a.height = 4;
  a.frames.push_back(RandomFrame(4, 4, 2, 2, 1));
  const GifHeaderRecord header = HeaderOf(a);
  const GifFrameRecord frame = FrameOf(a.frames[0]);
  const GifEndRecord end{kGifRecordEnd};
  const GifEndRecord unknown{9};

  using Builder = std::function<void(ListHandle&)>;
  const std::pair<const char*, Builder> lists[] = {
      {"frame before the header",
       [&](ListHandle& l) { l.Append(frame), l.Append(header), l.Append(end); }},
      {"two headers",
       [&](ListHandle& l) { l.Append(header), l.Append(header), l.Append(frame), l.Append(end); }},
      {"no end", [&](ListHandle& l) { l.Append(header), l.Append(frame); }},
      {"end before the last record",
       [&](ListHandle& l) { l.Append(header), l.Append(frame), l.Append(end), l.Append(frame); }},
      {"no frames", [&](ListHandle& l) { l.Append(header), l.Append(end); }},
      {"unknown type",
       [&](ListHandle& l) { l.Append(header), l.Append(unknown), l.Append(frame), l.Append(end); }},
      {"short frame record",
       [&](ListHandle& l) {
         l.Append(header);
         ChunkAction(l.get(), kChunkAppend, sizeof frame - 4, &frame);
         l.Append(end);
       }},
      {"empty list", [&](ListHandle&) {}},
  };
  for (const auto& [what, build] : lists) {
    SCOPED_TRACE(what);
    ListHandle list(8);
    build(list);
    TestAnimation copy = a;
    const AniGifParams params = ParamsFor(name, list.get());
    EXPECT_EQ(AniGifAction(&params, kAniGifWrite, FillRecord, &copy), 0);
    EXPECT_TRUE(dir.Entries().empty());
  }

  ListHandle list(8);
  AppendAll(list, a);
  AniGifParams params = ParamsFor(name, list.get());
  EXPECT_EQ(AniGifAction(nullptr, kAniGifWrite, FillRecord, &a), 0);
  EXPECT_EQ(AniGifAction(&params, 3, FillRecord, &a), 0);
  EXPECT_EQ(AniGifAction(&params, kAniGifWrite, nullptr, &a), 0);
  AniGifParams noList = ParamsFor(name, 0);
  EXPECT_EQ(AniGifAction(&noList, kAniGifWrite, FillRecord, &a), 0);
  AniGifParams noName = ParamsFor("", list.get());
  EXPECT_EQ(AniGifAction(&noName, kAniGifWrite, FillRecord, &a), 0);
  AniGifParams unterminated = params;
  std::memset(unterminated.fileName, 'a', sizeof unterminated.fileName);
  EXPECT_EQ(AniGifAction(&unterminated, kAniGifWrite, FillRecord, &a), 0);
  EXPECT_TRUE(dir.Entries().empty());
  // The same list still writes with good parameters.
  EXPECT_EQ(AniGifAction(&params, kAniGifWrite, FillRecord, &a), 1);
}

TEST(AniGifAction, UnwritablePlacesFailWithoutLeavingFiles) {
  ScratchDir dir;
  TestAnimation a;
  a.width = a.height = 4;
  a.frames.push_back(RandomFrame(4, 4, 2, 2, 1));
  EXPECT_EQ(WriteAnimation(a, dir.file("missing/out.gif")), 0);
  EXPECT_TRUE(dir.Entries().empty());
  std::filesystem::create_directory(dir.file("folder.gif"));
  a.nextFrame = 0;
  EXPECT_EQ(WriteAnimation(a, dir.file("folder.gif")), 0);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"folder.gif"});
}
