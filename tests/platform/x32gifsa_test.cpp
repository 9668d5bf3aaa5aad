// The GIF writer, read back by the independent reader of common/gif_test_reader.h:
// the one place where the structure of the files is checked.
#include "platform/x32gifsa/x32gifsa.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "common/gif_test_reader.h"
#include "common/scratch_dir.h"
#include "common/test_images.h"
#include "platform/x32cvt/x32cvt.h"

namespace {

using Names = std::vector<std::string>;

struct Frame {
  GifFrameRecord record{};
  std::vector<uint8_t> table;             // 4 bytes an entry
  std::vector<uint8_t> pixels;            // record.rowBytes x height
  std::vector<uint8_t> Indices() const {  // row by row, without the row padding
    std::vector<uint8_t> out;
    for (int y = 0; y < record.height; ++y)
      out.insert(out.end(), pixels.begin() + y * record.rowBytes,
                 pixels.begin() + y * record.rowBytes + record.width);
    return out;
  }
  std::vector<TestRgb> Colours() const {
    std::vector<TestRgb> out;
    for (size_t i = 0; i < table.size(); i += 4)
      out.push_back({table[i], table[i + 1], table[i + 2]});
    return out;
  }
};

// A frame of random indices below `colours` with a table of 2^bits distinct colours.
Frame RandomFrame(int width, int height, int bits, int colours, uint64_t seed) {
  Frame f;
  f.record.type = kGifRecordFrame;
  f.record.width = width;
  f.record.height = height;
  f.record.flags = kGifFrameKeep;
  f.record.hasLocalTable = 1;
  f.record.localTableSize = 1 << bits;
  f.record.localTableBits = bits;
  f.record.bytesPerPixel = 1;
  f.record.rowBytes = width;
  for (int i = 0; i < (1 << bits); ++i)
    f.table.insert(f.table.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                   static_cast<uint8_t>(i * 7), 0});
  TestRandom random(seed);
  for (int i = 0; i < width * height; ++i)
    f.pixels.push_back(static_cast<uint8_t>(random.Below(colours)));
  return f;
}

struct Animation {
  GifHeaderRecord header{};
  std::vector<uint8_t> global = std::vector<uint8_t>(16 * 4, 0xFF);
  GifAppExtensionRecord loop{};
  std::vector<uint8_t> loopData = {1, 0, 0};
  std::vector<Frame> frames;
  // What the callback does and saw.
  std::vector<int32_t> positions;
  size_t next = 0;
  int32_t answer = 1;
  bool fillPointers = true;
};

Animation Screen(int width, int height) {
  Animation a;
  a.header.type = kGifRecordHeader;
  a.header.width = width;
  a.header.height = height;
  a.header.hasGlobalTable = 1;
  a.header.globalTableSize = 16;
  a.header.globalTableBits = 4;
  a.loop.type = kGifRecordAppExtension;
  std::memcpy(a.loop.identifier, "NETSCAPE", 9);
  std::memcpy(a.loop.authentication, "2.0", 4);
  return a;
}

int32_t FillRecord(int32_t value, int32_t request, void* record, void* user) {
  auto* a = static_cast<Animation*>(user);
  EXPECT_EQ(request, kGifReadData);
  a->positions.push_back(value);
  int32_t type = 0;
  std::memcpy(&type, record, sizeof type);
  if (a->fillPointers && type == kGifRecordHeader)
    static_cast<GifHeaderRecord*>(record)->globalTable = a->global.data();
  if (a->fillPointers && type == kGifRecordFrame) {
    Frame& f = a->frames[a->next++ % a->frames.size()];
    static_cast<GifFrameRecord*>(record)->localTable = f.table.data();
    static_cast<GifFrameRecord*>(record)->pixels = f.pixels.data();
  }
  return a->answer;
}

class RecordList {
 public:
  explicit RecordList(int capacity = 100)
      : list_(ChunkAction(0, kChunkCreate, capacity, nullptr)) {}
  ~RecordList() { ChunkAction(list_, kChunkRelease, 0, nullptr); }
  RecordList(const RecordList&) = delete;
  RecordList& operator=(const RecordList&) = delete;
  uint32_t get() const { return list_; }
  template <typename Record>
  RecordList& Add(const Record& r, int32_t size = sizeof(Record)) {
    EXPECT_EQ(ChunkAction(list_, kChunkAppend, size, &r), 1u);
    return *this;
  }

 private:
  uint32_t list_;
};

// Header, loop block, frames, end.
void AddAll(RecordList& list, Animation& a) {
  a.loop.data = a.loopData.data();
  a.loop.dataLength = static_cast<int32_t>(a.loopData.size());
  list.Add(a.header).Add(a.loop);
  for (const Frame& f : a.frames) list.Add(f.record);
  list.Add(GifEndRecord{kGifRecordEnd});
}

AniGifParams ParamsFor(const std::string& name, uint32_t list) {
  AniGifParams p{};
  std::snprintf(p.fileName, sizeof p.fileName, "%s", name.c_str());
  p.recordList = list;
  return p;
}

int32_t Write(Animation& a, const std::string& name) {
  RecordList list;
  AddAll(list, a);
  const AniGifParams params = ParamsFor(name, list.get());
  return AniGifAction(&params, kAniGifWrite, FillRecord, &a);
}

GifTestFile ReadBack(const std::string& name) {
  std::string error;
  auto gif = ReadGif(ReadWholeFile(name), &error);
  EXPECT_TRUE(gif.has_value()) << error;
  return gif.value_or(GifTestFile{});
}

}  // namespace

TEST(ChunkAction, ListsFillUpToTheirCapacityAndAreReleasedOnce) {
  const uint32_t a = ChunkAction(0, kChunkCreate, 2, nullptr);
  const uint32_t b = ChunkAction(0, kChunkCreate, 1, nullptr);
  ASSERT_NE(a * b, 0u);
  EXPECT_NE(a, b);
  const GifEndRecord end{kGifRecordEnd};
  const std::tuple<uint32_t, int32_t, const void*, uint32_t> appends[] = {
      {a, 4, &end, 1},       {a, 4, &end, 1}, {a, 4, &end, 0} /* full */,
      {b, 4, nullptr, 0},    {b, 3, &end, 0}, {b, kChunkMaxRecordBytes + 1, &end, 0},
      {12345678, 4, &end, 0}};
  for (const auto& [list, size, record, result] : appends)
    EXPECT_EQ(ChunkAction(list, kChunkAppend, size, record), result) << list << " " << size;
  EXPECT_EQ(ChunkAction(a, kChunkRelease, 0, nullptr), 1u);
  EXPECT_EQ(ChunkAction(a, kChunkRelease, 0, nullptr), 0u);
  EXPECT_EQ(ChunkAction(a, kChunkAppend, 4, &end), 0u) << "released list";
  EXPECT_EQ(ChunkAction(b, kChunkRelease, 0, nullptr), 1u);
  const uint32_t c = ChunkAction(0, kChunkCreate, kChunkMaxCapacity, nullptr);
  EXPECT_TRUE(c != 0 && c != a && c != b) << "handles are not reused";
  EXPECT_EQ(ChunkAction(c, kChunkRelease, 0, nullptr), 1u);
  for (int32_t capacity : {0, -5, kChunkMaxCapacity + 1})
    EXPECT_EQ(ChunkAction(0, kChunkCreate, capacity, nullptr), 0u) << capacity;
  EXPECT_EQ(ChunkAction(12345678, kChunkCreate, 4, nullptr) + ChunkAction(0, 7, 0, nullptr), 0u);
}

// One animation holding every kind of frame: every table size and shape,
// frames large enough to fill the string table, runs, interlaced row orders,
// and a placed frame on the global table with padded rows.
TEST(AniGifAction, AnIndependentReaderDecodesEveryFrameExactly) {
  ScratchDir dir;
  Animation a = Screen(300, 300);
  for (int i = 0; i < 16; ++i) a.global[4 * static_cast<size_t>(i)] = static_cast<uint8_t>(i * 16);
  for (int bits = 1; bits <= 8; ++bits)
    for (auto [w, h] : {std::pair{1, 1}, {1, 300}, {300, 1}, {37, 23}, {128, 96}})
      a.frames.push_back(RandomFrame(w, h, bits, 1 << bits, 100 + bits));
  const size_t big = a.frames.size();
  a.frames.push_back(RandomFrame(300, 300, 8, 256, 7));
  a.frames.push_back(RandomFrame(300, 300, 4, 16, 8));
  a.frames.push_back(RandomFrame(300, 300, 1, 1, 0));  // one run of index 0
  for (int height = 1; height <= 17; ++height) {
    a.frames.push_back(RandomFrame(5, height, 1, 2, static_cast<uint64_t>(height)));
    a.frames.back().record.flags = kGifFrameInterlaced;
  }
  Frame placed = RandomFrame(9, 3, 4, 16, 3);
  placed.record.width = 4;  // rows 9 bytes apart, 4 pixels wide
  placed.record.left = 296;
  placed.record.top = 297;
  placed.record.hasLocalTable = 0;
  a.frames.push_back(placed);
  a.loopData.assign(300, 0);  // sub-blocks of application data
  for (size_t i = 0; i < 300; ++i) a.loopData[i] = static_cast<uint8_t>(i);

  ASSERT_EQ(Write(a, dir.file("all.gif")), 1);
  EXPECT_EQ(dir.Entries(), Names{"all.gif"});
  ASSERT_EQ(a.positions.size(), a.frames.size() + 1);
  EXPECT_EQ(a.positions[0], 0);
  EXPECT_EQ(a.positions[1], 2) << "the loop block has no data to ask for";
  EXPECT_EQ(a.positions.back(), static_cast<int32_t>(a.frames.size()) + 1);
  const GifTestFile gif = ReadBack(dir.file("all.gif"));
  EXPECT_EQ(gif.version, "GIF89a");
  EXPECT_EQ(std::pair(gif.width, gif.height), std::pair(300, 300));
  ASSERT_EQ(gif.globalTableSize, 16);
  EXPECT_EQ(gif.globalTable[3], (TestRgb{48, 255, 255}));
  ASSERT_EQ(gif.applications, Names{"NETSCAPE2.0"});
  EXPECT_EQ(gif.applicationData[0], a.loopData);
  ASSERT_EQ(gif.frames.size(), a.frames.size());
  for (size_t i = 0; i < a.frames.size(); ++i) {
    SCOPED_TRACE(i);
    const GifFrameRecord& r = a.frames[i].record;
    const GifTestFrame& f = gif.frames[i];
    EXPECT_EQ(std::vector<int>({f.left, f.top, f.width, f.height}),
              std::vector<int>({r.left, r.top, r.width, r.height}));
    EXPECT_TRUE(f.hasControl);
    EXPECT_EQ(f.delay, kGifFrameDelay);
    EXPECT_EQ(f.disposal, r.flags & kGifFrameKeep ? 1 : 0);
    EXPECT_EQ(f.interlaced, r.flags == kGifFrameInterlaced);
    EXPECT_EQ(f.minCodeSize, std::max(2, r.hasLocalTable ? r.localTableBits : 4));
    EXPECT_EQ(f.localTable, r.hasLocalTable ? a.frames[i].Colours() : std::vector<TestRgb>{});
    EXPECT_EQ(f.indices, a.frames[i].Indices());
  }
  for (size_t i : {big, big + 1}) {
    EXPECT_EQ(gif.frames[i].widestCode, 12);
    EXPECT_GT(gif.frames[i].clearCodes, 2) << "the table filled and was restarted";
  }
  EXPECT_EQ(gif.frames[big + 2].clearCodes, 1);
  EXPECT_EQ(gif.Colours(gif.frames.size() - 1)[0].r, placed.pixels[0] * 16);

  Animation runs = Screen(300, 300);
  runs.frames = {a.frames[big + 2], a.frames[big + 2]};
  ASSERT_EQ(Write(runs, dir.file("runs.gif")), 1);
  EXPECT_LT(ReadWholeFile(dir.file("runs.gif")).size(), 2000u) << "runs are compressed";
}

// Each case breaks one thing in an otherwise good two-frame animation.
TEST(AniGifAction, RefusesBadRecordsAndLeavesTheExistingFileAlone) {
  ScratchDir dir;
  const std::string name = dir.file("out.gif");
  WriteWholeFile(name, {'o', 'l', 'd'});
  using Change = std::function<void(Animation&)>;
  auto frame = [](int i, const std::function<void(GifFrameRecord&)>& change) -> Change {
    return [=](Animation& a) { change(a.frames[static_cast<size_t>(i)].record); };
  };
  const std::pair<const char*, Change> cases[] = {
      {"frame wider than the screen", frame(1, [](auto& r) { r.width = 9; })},
      {"frame placed off the screen", frame(0, [](auto& r) { r.left = 1; })},
      {"frame placed above the screen", frame(0, [](auto& r) { r.top = -1; })},
      {"frame of height 0", frame(0, [](auto& r) { r.height = 0; })},
      {"table size not a power of two", frame(0, [](auto& r) { r.localTableSize = 3; })},
      {"table bits not matching", frame(1, [](auto& r) { r.localTableBits = 3; })},
      {"table of 512", frame(1, [](auto& r) { r.localTableSize = 512, r.localTableBits = 9; })},
      {"local table flag 2", frame(1, [](auto& r) { r.hasLocalTable = 2; })},
      {"index outside the table", [](Animation& a) { a.frames[1].pixels[47] = 4; }},
      {"rows shorter than the width", frame(0, [](auto& r) { r.rowBytes = 7; })},
      {"two bytes a pixel", frame(0, [](auto& r) { r.bytesPerPixel = 2; })},
      {"unknown flag", frame(0, [](auto& r) { r.flags = 1; })},
      {"undefined disposal", frame(0, [](auto& r) { r.flags = 5 << 2; })},
      {"no table at all",
       [](Animation& a) { a.header.hasGlobalTable = 0, a.frames[1].record.hasLocalTable = 0; }},
      {"global table flag 2", [](Animation& a) { a.header.hasGlobalTable = 2; }},
      {"global table bits not matching", [](Animation& a) { a.header.globalTableBits = 5; }},
      {"screen of width 0", [](Animation& a) { a.header.width = 0; }},
      {"screen too high", [](Animation& a) { a.header.height = 65536; }},
      {"callback refuses", [](Animation& a) { a.answer = 0; }},
      {"callback gives no pixels", [](Animation& a) { a.fillPointers = false; }},
      {"identifier too long",
       [](Animation& a) { std::memcpy(a.loop.identifier, "NETSCAPE2.0", 12); }},
      {"code too long", [](Animation& a) { std::memcpy(a.loop.authentication, "2.01", 4); }},
      {"application data too long", [](Animation& a) { a.loopData.resize(65536); }},
  };
  for (const auto& [what, change] : cases) {
    SCOPED_TRACE(what);
    Animation a = Screen(8, 6);
    a.frames = {RandomFrame(8, 6, 2, 4, 1), RandomFrame(8, 6, 2, 4, 2)};
    change(a);
    EXPECT_EQ(Write(a, name), 0);
    EXPECT_EQ(ReadWholeFile(name), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(dir.Entries(), Names{"out.gif"});
  }
}

TEST(AniGifAction, RefusesListsOutOfOrderAndBadParameters) {
  ScratchDir dir;
  const std::string name = dir.file("out.gif");
  Animation a = Screen(4, 4);
  a.frames.push_back(RandomFrame(4, 4, 1, 2, 1));
  const GifHeaderRecord h = a.header;
  const GifFrameRecord f = a.frames[0].record;
  const GifAppExtensionRecord loop = a.loop;
  const GifEndRecord end{kGifRecordEnd}, unknown{9};
  const std::pair<const char*, std::function<void(RecordList&)>> lists[] = {
      {"frame before the header", [&](RecordList& l) { l.Add(f).Add(h).Add(end); }},
      {"loop block first", [&](RecordList& l) { l.Add(loop).Add(h).Add(f).Add(end); }},
      {"two headers", [&](RecordList& l) { l.Add(h).Add(h).Add(f).Add(end); }},
      {"no end", [&](RecordList& l) { l.Add(h).Add(f); }},
      {"end first", [&](RecordList& l) { l.Add(end).Add(h).Add(f).Add(end); }},
      {"end before the last record", [&](RecordList& l) { l.Add(h).Add(f).Add(end).Add(f); }},
      {"no frames", [&](RecordList& l) { l.Add(h).Add(end); }},
      {"unknown type", [&](RecordList& l) { l.Add(h).Add(unknown).Add(f).Add(end); }},
      {"short frame record", [&](RecordList& l) { l.Add(h).Add(f, sizeof f - 4).Add(end); }},
      {"short header record", [&](RecordList& l) { l.Add(h, sizeof h - 4).Add(f).Add(end); }},
      {"short loop record", [&](RecordList& l) { l.Add(h).Add(loop, 24).Add(f).Add(end); }},
      {"empty list", [&](RecordList&) {}},
  };
  for (const auto& [what, build] : lists) {
    SCOPED_TRACE(what);
    RecordList list;
    build(list);
    Animation copy = a;
    const AniGifParams params = ParamsFor(name, list.get());
    EXPECT_EQ(AniGifAction(&params, kAniGifWrite, FillRecord, &copy), 0);
    EXPECT_TRUE(dir.Entries().empty());
  }
  RecordList list;
  AddAll(list, a);
  const AniGifParams params = ParamsFor(name, list.get());
  AniGifParams unterminated = params;
  std::memset(unterminated.fileName, 'a', sizeof unterminated.fileName);
  const AniGifParams noList = ParamsFor(name, 0), noName = ParamsFor("", list.get()),
                     missingFolder = ParamsFor(dir.file("missing/out.gif"), list.get());
  EXPECT_EQ(AniGifAction(nullptr, kAniGifWrite, FillRecord, &a), 0);
  EXPECT_EQ(AniGifAction(&params, 3, FillRecord, &a), 0);
  EXPECT_EQ(AniGifAction(&params, kAniGifWrite, nullptr, &a), 0);
  const AniGifParams* refused[] = {&noList, &noName, &unterminated, &missingFolder};
  for (const AniGifParams* p : refused)
    EXPECT_EQ(AniGifAction(p, kAniGifWrite, FillRecord, &a), 0) << p->fileName;
  std::filesystem::create_directory(dir.file("folder.gif"));
  const AniGifParams folder = ParamsFor(dir.file("folder.gif"), list.get());
  EXPECT_EQ(AniGifAction(&folder, kAniGifWrite, FillRecord, &a), 0);
  EXPECT_EQ(dir.Entries(), Names{"folder.gif"});
  EXPECT_EQ(AniGifAction(&params, kAniGifWrite, FillRecord, &a), 1) << "the same list still writes";
}

// The job of an animation: each frame reduced from a 24-bit image while the
// file is written. Memory running out at any frame abandons the file cleanly.
TEST(AniGifAction, MemoryRunningOutMidAnimationKeepsThePreviousFileAndLeaksNothing) {
  struct Job : Animation {
    std::vector<TestImage> images;
    Buf32Owner reduced;
  };
  ScratchDir dir;
  const std::string name = dir.file("job.gif");
  WriteWholeFile(name, {'o', 'l', 'd'});
  Job job;
  static_cast<Animation&>(job) = Screen(6, 5);
  for (int i = 0; i < 3; ++i) {
    job.images.emplace_back(6, 5, [i](int x, int y) {
      return TestRgb{static_cast<uint8_t>(60 * i), static_cast<uint8_t>(x * 40),
                     static_cast<uint8_t>(y * 50)};
    });
    job.frames.push_back(RandomFrame(6, 5, 8, 1, 0));
  }
  auto reduce = [](int32_t, int32_t, void* record, void* user) -> int32_t {
    auto* j = static_cast<Job*>(user);
    auto* r = static_cast<GifFrameRecord*>(record);
    if (r->type != kGifRecordFrame)
      return FillRecord(0, kGifReadData, record, static_cast<Animation*>(j));
    Frame& f = j->frames[j->next];
    const int32_t params[6] = {24, 1, 0, 0, 256, 0};
    Cvt32Palette* palette = nullptr;
    j->reduced.reset();
    if (!cvt32BufType(2, 0, 2, 4, j->images[j->next++].handle(), &j->reduced.handle, params, 0,
                      &palette, 0, 0))
      return 0;
    f.pixels = ImageBytes(j->reduced.get());
    std::memcpy(f.table.data(), palette->entries, static_cast<size_t>(palette->count) * 4);
    cvt32FreePalette(palette);
    r->localTable = f.table.data();
    r->pixels = f.pixels.data();
    return 1;
  };
  RecordList list;
  AddAll(list, job);
  const AniGifParams params = ParamsFor(name, list.get());
  const int live = buf32LiveCount();
  for (int failing : {1, 2, 3}) {
    SCOPED_TRACE(failing);
    job.next = 0;
    buf32FailAllocation(failing);
    EXPECT_EQ(AniGifAction(&params, kAniGifWrite, reduce, &job), 0);
    EXPECT_EQ(job.next, static_cast<size_t>(failing));
    EXPECT_EQ(ReadWholeFile(name), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(dir.Entries(), Names{"job.gif"});
    job.reduced.reset();
    EXPECT_EQ(buf32LiveCount(), live);
  }
  job.next = 0;
  ASSERT_EQ(AniGifAction(&params, kAniGifWrite, reduce, &job), 1) << "the next write succeeds";
  const GifTestFile gif = ReadBack(name);
  ASSERT_EQ(gif.frames.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(gif.Colours(i), ImagePixels(job.images[i].handle()));
}
