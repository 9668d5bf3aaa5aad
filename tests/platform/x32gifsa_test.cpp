// The GIF writer, read back by the independent reader of
// common/gif_test_reader.h: the one place where the structure of the files is
// checked.
#include "platform/x32gifsa/x32gifsa.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/gif_test_reader.h"
#include "common/scratch_dir.h"

namespace {

struct Frame {
  GifFrameRecord record{};
  std::vector<uint8_t> table, pixels, indices;  // table: 4 bytes an entry; indices: packed rows
};

// Random indices below `colours`, rows `stride` bytes apart, a table of 2^bits distinct colours.
Frame RandomFrame(int w, int h, int bits, int colours, int flags = kGifFrameKeep, int stride = 0) {
  Frame f;
  f.record = {
      kGifRecordFrame,     0, 0, w, h, 0, {}, flags, 1, 1 << bits, nullptr, nullptr, bits, 1,
      std::max(stride, w), 0};
  for (int i = 0; i < 1 << bits; ++i)
    f.table.insert(f.table.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0});
  TestRandom random(static_cast<uint64_t>(w * 1000 + h * 10 + bits));
  for (int i = 0; i < f.record.rowBytes * h; ++i) {
    f.pixels.push_back(uint8_t(random.Below(colours)));
    if (i % f.record.rowBytes < w) f.indices.push_back(f.pixels.back());
  }
  return f;
}

// The records to write, by letter: h header, l loop block, f the next frame, s a frame record cut
// short, e end.
struct Animation {
  Animation(std::string file, int width, int height, std::vector<Frame> f)
      : header{kGifRecordHeader, width, height, 1, 16, nullptr, {}, 4}, frames(f), name(file) {}
  GifHeaderRecord header;  // a global table of 16
  std::vector<uint8_t> global = std::vector<uint8_t>(16 * 4, 0xFF), loopData = {1, 0, 0};
  GifAppExtensionRecord loop{kGifRecordAppExtension, "NETSCAPE", "2.0", nullptr, 0};
  std::vector<Frame> frames;
  std::string name, records = "hl" + std::string(frames.size(), 'f') + "e";
  size_t next = 0;                                // the next frame the callback fills
  int32_t refuse = -1, operation = kAniGifWrite;  // refuse: the position the callback refuses
  bool fillPointers = true, callback = true, params = true, list = true;
};

int32_t FillRecord(int32_t position, int32_t request, void *record, void *user) {
  auto *a = static_cast<Animation *>(user);
  if (a->fillPointers && position == 0)  // the header is always first
    static_cast<GifHeaderRecord *>(record)->globalTable = a->global.data();
  if (a->fillPointers && position > 0) {
    auto *r = static_cast<GifFrameRecord *>(record);
    Frame &f = a->frames[a->next++ % a->frames.size()];
    r->localTable = f.table.data(), r->pixels = f.pixels.data();
  }
  return position != a->refuse && request == kGifReadData;
}

int32_t Write(Animation &a) {
  const uint32_t list = ChunkAction(0, kChunkCreate, 100, nullptr);
  const GifEndRecord end{kGifRecordEnd};
  a.loop.data = a.loopData.data(), a.loop.dataLength = int32_t(a.loopData.size());
  auto add = [&](const auto &r, size_t cut = 0) {
    EXPECT_EQ(ChunkAction(list, kChunkAppend, int32_t(sizeof r - cut), &r), 1u);
  };
  size_t frame = 0;
  for (char c : a.records)
    c == 'h'   ? add(a.header)
    : c == 'l' ? add(a.loop)
    : c == 'e' ? add(end)
               : add(a.frames[frame++ % a.frames.size()].record, c == 's' ? 4 : 0);
  AniGifParams p{};
  std::memcpy(p.fileName, a.name.c_str(), std::min(a.name.size() + 1, sizeof p.fileName));
  p.recordList = a.list ? list : 0;  // lists are left to the end of the run
  return AniGifAction(a.params ? &p : nullptr, a.operation, a.callback ? FillRecord : nullptr, &a);
}

}  // namespace

TEST(ChunkAction, ListsFillUpToTheirCapacityAndAreReleasedOnce) {
  const int32_t create = kChunkCreate, add = kChunkAppend, release = kChunkRelease;
  const uint32_t a = ChunkAction(0, create, 1, nullptr);
  const GifEndRecord end{kGifRecordEnd};
  // Appends: fits, full, no such list, too short, too long, no record. Released once. No list of
  // no records or too many, with a handle given, or by an unknown operation.
  EXPECT_EQ(std::vector({ChunkAction(a, add, 4, &end), ChunkAction(a, add, 4, &end),
                         ChunkAction(a + 1, add, 4, &end), ChunkAction(a, add, 3, &end),
                         ChunkAction(a, add, 4097, &end), ChunkAction(a, add, 4, nullptr),
                         ChunkAction(a, release, 0, nullptr), ChunkAction(a, release, 0, nullptr),
                         ChunkAction(0, create, 0, nullptr), ChunkAction(0, create, 65537, nullptr),
                         ChunkAction(1, create, 4, nullptr), ChunkAction(0, 7, 0, nullptr)}),
            std::vector<uint32_t>({1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
}

// One animation holding every kind of frame: every table size and several
// shapes, frames that fill the string table, a run, interlaced row orders,
// and a placed frame on the global table with rows further apart than its
// width.
TEST(AniGifAction, AnIndependentReaderDecodesEveryFrameExactly) {
  ScratchDir dir;
  std::vector<Frame> frames;
  for (int bits = 1; bits <= 8; ++bits)
    for (auto [w, h] : {std::pair{1, 1}, {1, 300}, {300, 1}, {37, 23}})
      frames.push_back(RandomFrame(w, h, bits, 1 << bits));
  const size_t big = frames.size();
  for (auto [bits, colours] : {std::pair{8, 256}, {4, 16}, {1, 1}})
    frames.push_back(RandomFrame(300, 300, bits, colours));
  for (int h = 1; h <= 17; ++h) frames.push_back(RandomFrame(5, h, 1, 2, kGifFrameInterlaced));
  frames.push_back(RandomFrame(4, 3, 4, 16, kGifFrameKeep, 9));
  frames.back().record.hasLocalTable = 0, frames.back().record.left = 296;
  frames.back().record.top = 297;
  Animation a(dir.file("all.gif"), 300, 300, frames);
  for (int i = 0; i < 16; ++i) a.global[4 * static_cast<size_t>(i)] = static_cast<uint8_t>(i * 16);
  a.loopData.resize(300, 7);  // sub-blocks of application data

  ASSERT_EQ(Write(a), 1);
  std::string error;
  const auto gif = ReadGif(ReadWholeFile(a.name), &error);
  ASSERT_TRUE(gif) << error;
  EXPECT_EQ(std::tuple(gif->width, gif->height, gif->globalTableSize), std::tuple(300, 300, 16));
  EXPECT_EQ(gif->applications, std::vector<std::string>{"NETSCAPE2.0"});
  EXPECT_EQ(gif->applicationData, std::vector<std::vector<uint8_t>>{a.loopData});
  ASSERT_EQ(gif->frames.size(), frames.size());
  for (size_t i = 0; i < frames.size(); ++i) {
    const GifFrameRecord &r = frames[i].record;
    const GifTestFrame &f = gif->frames[i];
    EXPECT_EQ(
        std::vector({f.left, f.top, f.width, f.height, f.delay, f.disposal, f.minCodeSize,
                     f.localTableSize, int{f.interlaced}}),
        std::vector({r.left, r.top, r.width, r.height, kGifFrameDelay,
                     r.flags & kGifFrameKeep ? 1 : 0,
                     std::max(2, r.hasLocalTable ? r.localTableBits : 4),
                     r.hasLocalTable * r.localTableSize, int{r.flags == kGifFrameInterlaced}}))
        << i;
    EXPECT_EQ(f.indices, frames[i].indices) << i;
  }
  for (size_t i : {big, big + 1})
    EXPECT_TRUE(gif->frames[i].widestCode == 12 && gif->frames[i].clearCodes > 2) << "restarted";
  EXPECT_EQ(gif->frames[big + 2].clearCodes, 1) << "a run of 90000 pixels within one table";
  EXPECT_EQ(gif->frames[0].localTable[1], (TestRgb{1, 254, 7}));
  EXPECT_EQ(gif->Colours(frames.size() - 1)[0].r, frames.back().pixels[0] * 16) << "global table";
}

// Each case breaks one thing in an otherwise good animation.
TEST(AniGifAction, RefusesBadRecordsListsAndParametersAndLeavesTheExistingFileAlone) {
  ScratchDir dir;
  const std::string name = dir.file("out.gif");
  const std::vector<uint8_t> old = {'o', 'l', 'd'};
  WriteWholeFile(name, old);
  using A = Animation;
  using R = GifFrameRecord;
  std::vector<std::pair<std::string, void (*)(A &, R &)>> cases = {
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
      {"unknown record type", [](A &, R &r) { r.type = 9; }},
      {"no table at all", [](A &a, R &r) { a.header.hasGlobalTable = r.hasLocalTable = 0; }},
      {"global table bits not matching", [](A &a, R &) { a.header.globalTableBits = 5; }},
      {"screen too high", [](A &a, R &) { a.header.height = 65536; }},
      {"callback refuses the header", [](A &a, R &) { a.refuse = 0; }},
      {"callback refuses the second frame", [](A &a, R &) { a.refuse = 3; }},
      {"no pixels", [](A &a, R &) { a.fillPointers = false; }},
      {"identifier too long", [](A &a, R &) { std::memcpy(a.loop.identifier, "NETSCAPE2.0", 12); }},
      {"data too long", [](A &a, R &) { a.loopData.resize(65536); }},
      {"no such list", [](A &a, R &) { a.list = false; }},
      {"no name", [](A &a, R &) { a.name = ""; }},
      {"name without its end", [](A &a, R &) { a.name = std::string(300, 'a'); }},
      {"no such folder", [](A &a, R &) { a.name += "/a"; }},
      {"a folder in the way", [](A &a, R &) { a.name.resize(a.name.find_last_of("/\\")); }},
      {"no parameters", [](A &a, R &) { a.params = false; }},
      {"unknown operation", [](A &a, R &) { a.operation = 3; }},
      {"no callback", [](A &a, R &) { a.callback = false; }}};
  // Lists with a frame before the header, two headers, no end, the end before the last record, no
  // frames, a frame record cut short.
  for (std::string records : {"fhe", "hhfe", "hff", "hfef", "hle", "hsfe"})
    cases.emplace_back(records, nullptr);
  for (const auto &[what, change] : cases) {
    Animation a(name, 8, 6, {RandomFrame(8, 6, 2, 4), RandomFrame(8, 6, 2, 4)});
    change ? change(a, a.frames[1].record) : void(a.records = what);
    EXPECT_EQ(Write(a), 0) << what;
    EXPECT_EQ(ReadWholeFile(name), old) << what;
  }
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.gif"});
}
