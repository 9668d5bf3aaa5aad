// The GIF writer, read back by the independent reader of
// common/gif_test_reader.h: the one place where the structure of the files is
// checked.
#include "platform/x32gifsa/x32gifsa.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "common/gif_test_reader.h"
#include "common/scratch_dir.h"
#include "common/test_images.h"

namespace {

using Names = std::vector<std::string>;
const std::vector<uint8_t> kOld = {'o', 'l', 'd'};

struct Frame {
  GifFrameRecord record{};
  std::vector<uint8_t> table, pixels;  // table: 4 bytes an entry
};

// A frame of random indices below `colours`, rows `stride` bytes apart, with
// a table of 2^bits distinct colours.
Frame RandomFrame(int width, int height, int bits, int colours, int stride = 0) {
  Frame f;
  GifFrameRecord &r = f.record;
  r.type = kGifRecordFrame, r.width = width, r.height = height, r.flags = kGifFrameKeep;
  r.hasLocalTable = r.bytesPerPixel = 1, r.localTableSize = 1 << (r.localTableBits = bits);
  r.rowBytes = stride ? stride : width;
  for (int i = 0; i < r.localTableSize; ++i)
    f.table.insert(f.table.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0});
  TestRandom random(static_cast<uint64_t>(width * 1000 + height * 10 + bits));
  for (int i = 0; i < r.rowBytes * height; ++i) f.pixels.push_back(uint8_t(random.Below(colours)));
  return f;
}

struct Animation {
  GifHeaderRecord header{kGifRecordHeader, 0, 0, 1, 16, nullptr, {}, 4};  // a global table of 16
  std::vector<uint8_t> global = std::vector<uint8_t>(16 * 4, 0xFF), loopData = {1, 0, 0};
  GifAppExtensionRecord loop{kGifRecordAppExtension, "NETSCAPE", "2.0", nullptr, 0};
  std::vector<Frame> frames;
  std::vector<int32_t> positions;  // what the callback was asked for
  size_t next = 0;                 // the next frame the callback fills
  int32_t answer = 1;
  bool fillPointers = true;
  size_t refuseAt = 0;  // the frame (from 1) whose data the callback refuses
};

Animation Screen(int width, int height, std::vector<Frame> frames) {
  Animation a;
  a.header.width = width, a.header.height = height;
  a.frames = std::move(frames);
  return a;
}

int32_t FillRecord(int32_t position, int32_t request, void *record, void *user) {
  auto *a = static_cast<Animation *>(user);
  EXPECT_EQ(request, kGifReadData);
  a->positions.push_back(position);
  int32_t type = 0;
  std::memcpy(&type, record, sizeof type);
  if (type == kGifRecordHeader && a->fillPointers)
    static_cast<GifHeaderRecord *>(record)->globalTable = a->global.data();
  if (type == kGifRecordHeader || !a->fillPointers) return a->answer;
  Frame &f = a->frames[a->next++ % a->frames.size()];
  if (a->next == a->refuseAt) return 0;
  static_cast<GifFrameRecord *>(record)->localTable = f.table.data();
  static_cast<GifFrameRecord *>(record)->pixels = f.pixels.data();
  return a->answer;
}

struct RecordList {
  uint32_t handle = ChunkAction(0, kChunkCreate, 100, nullptr);
  ~RecordList() { ChunkAction(handle, kChunkRelease, 0, nullptr); }
  template <typename Record>
  RecordList &Add(const Record &r, int32_t size = sizeof(Record)) {
    EXPECT_EQ(ChunkAction(handle, kChunkAppend, size, &r), 1u);
    return *this;
  }
};

AniGifParams ParamsFor(const std::string &name, uint32_t list) {
  AniGifParams p{};
  std::snprintf(p.fileName, sizeof p.fileName, "%s", name.c_str());
  p.recordList = list;
  return p;
}

// Header, loop block, frames, end.
int32_t Write(Animation &a, const std::string &name) {
  RecordList list;
  a.next = 0;
  a.loop.data = a.loopData.data();
  a.loop.dataLength = static_cast<int32_t>(a.loopData.size());
  list.Add(a.header).Add(a.loop);
  for (const Frame &f : a.frames) list.Add(f.record);
  list.Add(GifEndRecord{kGifRecordEnd});
  const AniGifParams params = ParamsFor(name, list.handle);
  return AniGifAction(&params, kAniGifWrite, FillRecord, &a);
}

GifTestFile ReadBack(const std::string &name) {
  std::string error;
  auto gif = ReadGif(ReadWholeFile(name), &error);
  EXPECT_TRUE(gif.has_value()) << error;
  return gif.value_or(GifTestFile{});
}

}  // namespace

TEST(ChunkAction, ListsFillUpToTheirCapacityAndAreReleasedOnce) {
  const uint32_t a = ChunkAction(0, kChunkCreate, 1, nullptr);
  const GifEndRecord end{kGifRecordEnd};
  EXPECT_EQ(ChunkAction(a, kChunkAppend, 4, &end), 1u);
  for (auto [list, size, record] :
       {std::tuple<uint32_t, int32_t, const void *>{a, 4, &end} /* full */,
        {a + 1, 4, &end},
        {a, 3, &end},
        {a, 4097, &end},
        {a, 4, nullptr}})
    EXPECT_EQ(ChunkAction(list, kChunkAppend, size, record), 0u) << size;
  EXPECT_EQ(
      ChunkAction(a, kChunkRelease, 0, nullptr) * 10 + ChunkAction(a, kChunkRelease, 0, nullptr),
      10u);
  EXPECT_EQ(ChunkAction(0, kChunkCreate, 0, nullptr) +
                ChunkAction(0, kChunkCreate, 65537, nullptr) +
                ChunkAction(1, kChunkCreate, 4, nullptr) + ChunkAction(0, 7, 0, nullptr),
            0u);
}

// One animation holding every kind of frame: every table size and several
// shapes, frames that fill the string table, a run, interlaced row orders,
// and a placed frame on the global table with rows further apart than its
// width.
TEST(AniGifAction, AnIndependentReaderDecodesEveryFrameExactly) {
  ScratchDir dir;
  Animation a = Screen(300, 300, {});
  for (int bits = 1; bits <= 8; ++bits)
    for (auto [w, h] : {std::pair{1, 1}, {1, 300}, {300, 1}, {37, 23}})
      a.frames.push_back(RandomFrame(w, h, bits, 1 << bits));
  const size_t big = a.frames.size();
  for (auto [bits, colours] : {std::pair{8, 256}, {4, 16}, {1, 1}})
    a.frames.push_back(RandomFrame(300, 300, bits, colours));
  for (int height = 1; height <= 17; ++height) {
    a.frames.push_back(RandomFrame(5, height, 1, 2));
    a.frames.back().record.flags = kGifFrameInterlaced;
  }
  a.frames.push_back(RandomFrame(4, 3, 4, 16, 9));
  a.frames.back().record.hasLocalTable = 0;
  a.frames.back().record.left = 296;
  a.frames.back().record.top = 297;
  for (int i = 0; i < 16; ++i) a.global[4 * static_cast<size_t>(i)] = static_cast<uint8_t>(i * 16);
  a.loopData.resize(300, 7);  // sub-blocks of application data

  ASSERT_EQ(Write(a, dir.file("all.gif")), 1);
  EXPECT_EQ(dir.Entries(), Names{"all.gif"});
  EXPECT_EQ(a.positions.size(), a.frames.size() + 1) << "the loop block has no data to ask for";
  const GifTestFile gif = ReadBack(dir.file("all.gif"));
  EXPECT_EQ(std::tuple(gif.width, gif.height, gif.globalTableSize), std::tuple(300, 300, 16));
  EXPECT_EQ(gif.applications, Names{"NETSCAPE2.0"});
  EXPECT_EQ(gif.applicationData, std::vector<std::vector<uint8_t>>{a.loopData});
  ASSERT_EQ(gif.frames.size(), a.frames.size());
  for (size_t i = 0; i < a.frames.size(); ++i) {
    const GifFrameRecord &r = a.frames[i].record;
    const GifTestFrame &f = gif.frames[i];
    std::vector<uint8_t> indices;
    for (int y = 0; y < r.height; ++y)
      indices.insert(indices.end(), &a.frames[i].pixels[size_t(y * r.rowBytes)],
                     &a.frames[i].pixels[size_t(y * r.rowBytes + r.width)]);
    EXPECT_EQ(std::vector({f.left, f.top, f.width, f.height, f.delay, f.disposal, f.minCodeSize,
                           f.localTableSize}),
              std::vector({r.left, r.top, r.width, r.height, kGifFrameDelay,
                           r.flags & kGifFrameKeep ? 1 : 0,
                           std::max(2, r.hasLocalTable ? r.localTableBits : 4),
                           r.hasLocalTable * r.localTableSize}))
        << i;
    EXPECT_EQ(f.interlaced, r.flags == kGifFrameInterlaced) << i;
    EXPECT_TRUE(f.localTable.size() < 2 || f.localTable[1] == (TestRgb{1, 254, 7})) << i;
    EXPECT_EQ(f.indices, indices) << i;
  }
  for (size_t i : {big, big + 1})
    EXPECT_TRUE(gif.frames[i].widestCode == 12 && gif.frames[i].clearCodes > 2)
        << "the table filled and restarted";
  EXPECT_EQ(gif.frames[big + 2].clearCodes, 1);
  EXPECT_EQ(gif.Colours(gif.frames.size() - 1)[0].r, a.frames.back().pixels[0] * 16)
      << "through the global table";
  Animation runs = Screen(300, 300, {a.frames[big + 2], a.frames[big + 2]});
  ASSERT_EQ(Write(runs, dir.file("runs.gif")), 1);
  EXPECT_LT(ReadWholeFile(dir.file("runs.gif")).size(), 2000u) << "runs are compressed";
}

// Each case breaks one thing in an otherwise good animation.
TEST(AniGifAction, RefusesBadRecordsListsAndParametersAndLeavesTheExistingFileAlone) {
  ScratchDir dir;
  const std::string name = dir.file("out.gif");
  WriteWholeFile(name, kOld);
  using A = Animation;
  using R = GifFrameRecord;
  const std::pair<const char *, std::function<void(A &, R &)>> cases[] = {
      {"wider than the screen", [](A &, R &r) { r.width = 9; }},
      {"off the screen", [](A &, R &r) { r.left = 1; }},
      {"above the screen", [](A &, R &r) { r.top = -1; }},
      {"table of 3", [](A &, R &r) { r.localTableSize = 3; }},
      {"table bits not matching", [](A &, R &r) { r.localTableBits = 3; }},
      {"table of 512", [](A &, R &r) { r.localTableSize = 512, r.localTableBits = 9; }},
      {"index outside the table", [](A &a, R &) { a.frames[1].pixels[47] = 4; }},
      {"rows shorter than the width", [](A &, R &r) { r.rowBytes = 7; }},
      {"two bytes a pixel", [](A &, R &r) { r.bytesPerPixel = 2; }},
      {"unknown flag", [](A &, R &r) { r.flags = 1; }},
      {"undefined disposal", [](A &, R &r) { r.flags = 5 << 2; }},
      {"no table at all", [](A &a, R &r) { a.header.hasGlobalTable = r.hasLocalTable = 0; }},
      {"global table bits not matching", [](A &a, R &) { a.header.globalTableBits = 5; }},
      {"screen too high", [](A &a, R &) { a.header.height = 65536; }},
      {"callback refuses", [](A &a, R &) { a.answer = 0; }},
      {"callback refuses the second frame", [](A &a, R &) { a.refuseAt = 2; }},
      {"no pixels", [](A &a, R &) { a.fillPointers = false; }},
      {"identifier too long", [](A &a, R &) { std::memcpy(a.loop.identifier, "NETSCAPE2.0", 12); }},
      {"data too long", [](A &a, R &) { a.loopData.resize(65536); }},
  };
  for (const auto &[what, change] : cases) {
    Animation a = Screen(8, 6, {RandomFrame(8, 6, 2, 4), RandomFrame(8, 6, 2, 4)});
    change(a, a.frames[1].record);
    EXPECT_EQ(Write(a, name), 0) << what;
    EXPECT_EQ(ReadWholeFile(name), kOld) << what;
  }
  Animation a = Screen(4, 4, {RandomFrame(4, 4, 1, 2)});
  const GifHeaderRecord h = a.header;
  const GifFrameRecord f = a.frames[0].record;
  const GifEndRecord end{kGifRecordEnd}, unknown{9};
  const std::pair<const char *, std::function<void(RecordList &)>> lists[] = {
      {"frame before the header", [&](RecordList &l) { l.Add(f).Add(h).Add(end); }},
      {"two headers", [&](RecordList &l) { l.Add(h).Add(h).Add(f).Add(end); }},
      {"no end", [&](RecordList &l) { l.Add(h).Add(f); }},
      {"end before the last record", [&](RecordList &l) { l.Add(h).Add(f).Add(end).Add(f); }},
      {"no frames", [&](RecordList &l) { l.Add(h).Add(end); }},
      {"unknown type", [&](RecordList &l) { l.Add(h).Add(unknown).Add(f).Add(end); }},
      {"short frame record", [&](RecordList &l) { l.Add(h).Add(f, sizeof f - 4).Add(end); }},
      {"empty list", [&](RecordList &) {}},
  };
  for (const auto &[what, build] : lists) {
    RecordList list;
    build(list);
    const AniGifParams params = ParamsFor(name, list.handle);
    EXPECT_EQ(AniGifAction(&params, kAniGifWrite, FillRecord, &a), 0) << what;
  }
  RecordList list;
  list.Add(h).Add(f).Add(end);
  AniGifParams bad[] = {ParamsFor(name, 0), ParamsFor("", list.handle),
                        ParamsFor(name, list.handle), ParamsFor(dir.file("a/b"), list.handle),
                        ParamsFor(dir.path().string(), list.handle)};
  std::memset(bad[2].fileName, 'a',
              sizeof bad[2].fileName);  // no terminating NUL
  for (const AniGifParams &p : bad)
    EXPECT_EQ(AniGifAction(&p, kAniGifWrite, FillRecord, &a), 0) << p.fileName;
  const AniGifParams good = ParamsFor(name, list.handle);
  EXPECT_EQ(AniGifAction(nullptr, kAniGifWrite, FillRecord, &a) +
                AniGifAction(&good, 3, FillRecord, &a) +
                AniGifAction(&good, kAniGifWrite, nullptr, &a),
            0);
  EXPECT_EQ(ReadWholeFile(name), kOld);
  EXPECT_EQ(dir.Entries(), Names{"out.gif"});
  EXPECT_EQ(AniGifAction(&good, kAniGifWrite, FillRecord, &a), 1) << "the same list still writes";
}
