#include "engine/renderer.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/progress_log.h"
#include "common/test_images.h"
#include "engine/script.h"
#include "platform/x32comm/x32comm.h"

namespace {

constexpr int kW = 8, kH = 6;

// The host's record with a grey ramp; `position` picks the mode (0 single, 1 script, n >= 2
// storyboard).
ParamRecord greyRecord(int templateIndex = 4, int pickCount = 6, int position = 0,
                       const char* script = "") {
  ParamRecord r = DefaultRecordForHost();
  r.ramp = DefaultRamp();
  r.ring = 0;
  r.templateIndex = templateIndex;
  r.pickCount = pickCount;
  r.storyboardPosition = position;
  SetScriptText(r, script);
  return r;
}
ParamRecord scriptRecord(const char* script) { return greyRecord(4, 6, 1, script); }

// Escape answers "pressed" from the Nth poll on (-1: never).
int g_polls = -1;
struct EscapeAfter {
  explicit EscapeAfter(int polls) {
    g_polls = polls;
    x32SetEscPoll([] { return g_polls >= 0 && g_polls-- == 0 ? 1 : 0; });
  }
  ~EscapeAfter() { x32SetEscPoll(nullptr); }
};
constexpr ProgressBlock kEscapeChecked{1, nullptr, 0, 0, 100};

// A session with its own destination; renders records as the render call does.
struct Session {
  RenderSession session;
  TestBuffer source{kW, kH};
  TestBuffer dest{kW, kH};

  RenderResult render(const ParamRecord& r, const ProgressBlock* block = nullptr,
                      Buf32Handle to = 0) {
    return session.Render({source.handle, to ? to : dest.handle, &r, DecodeRenderMode(r), block});
  }
  RenderStatus ok(const ParamRecord& r) { return render(r).status; }
  std::vector<uint8_t> pixels() const { return ImageBytes(dest.handle); }
  int64_t passes() const { return session.templatePasses(); }
  const Storyboard& board() { return session.storyboard(); }
  void maps(int x, int y, double m[4]) const { ASSERT_TRUE(session.mapValues(x, y, m)); }
  // Before: 0 nothing, 1 one render, 2 a storyboard of four operations (the third only changing the
  // sample) shown up to position 3.
  void prepare(int before) {
    if (before == 0) return;
    ASSERT_EQ(ok(greyRecord()), kRenderOk);
    if (before == 1) return;
    Storyboard& sb = session.storyboard();
    sb.ops[0] = {3, 1, 1}, sb.ops[1] = {7, 2, 1}, sb.ops[2] = {7, 4, 0}, sb.ops[3] = {16, 5, 1};
    sb.count = 4;
    ASSERT_EQ(ok(greyRecord(4, 6, 3)), kRenderOk);
  }
};

}  // namespace

TEST(RenderSession, OperationsWarpTheMapsOncePerChangeAndStackOrReplace) {
  Session s;
  const ParamRecord r = greyRecord();
  ASSERT_EQ(s.ok(r), kRenderOk);
  EXPECT_EQ(s.board().ops[0].templateNumber, 5);
  // Current maps hold the plain coordinates, the first and last pixels at 0 and 1.
  double m[4], before[4];
  for (auto [x, y] : {std::pair{0, 0}, std::pair{kW - 1, kH - 1}, std::pair{3, 2}}) {
    s.maps(x, y, m);
    EXPECT_TRUE(m[0] == x / 7.0 && m[1] == y / 5.0) << x << "," << y;
  }
  EXPECT_FALSE(s.session.mapValues(kW, 0, m) || s.session.mapValues(0, kH, m));
  // Colours alone need no pass, and the same colours give the same picture.
  const std::vector<uint8_t> first = s.pixels();
  ParamRecord colours = r;
  colours.hueShift = 40;
  colours.mirror = 1;
  ASSERT_EQ(s.ok(colours), kRenderOk);
  EXPECT_NE(s.pixels(), first);
  ASSERT_EQ(s.ok(r), kRenderOk);
  EXPECT_EQ(s.pixels(), first);
  EXPECT_EQ(s.passes(), 1);
  // Sample 7 shows the current x along a black-to-red ramp: 255 x 3/7 = 109.3 at column 3, the
  // last stop's own red (not the white of the ring views) at column 7.
  ParamRecord plain = r;
  plain.sampleNumber = 7, plain.ramp = PaletteRamp{2, {{0, 0, 0, 0}, {255, 255, 0, 0}}};
  ASSERT_EQ(s.session.EvaluateImage(plain, s.dest.handle, nullptr), kRenderOk);
  const auto px = s.pixels();
  EXPECT_TRUE(px[9] == 109 && px[10] == 0 && px[21] == 255 && px[22] == 0);

  // On top, the new operation reads what the first produced; replacing, it starts from the same
  // maps again; unchanged, no pass and the same picture.
  s.maps(6, 2, before);
  ASSERT_EQ(s.ok(greyRecord(0, 1)), kRenderOk);
  s.maps(6, 2, m);
  EXPECT_TRUE(m[0] == before[2] && m[1] == before[3] && s.board().ops[0].templateNumber == 1);
  ASSERT_EQ(s.ok(greyRecord(9, 0)), kRenderOk);
  const std::vector<uint8_t> picture = s.pixels();
  ASSERT_EQ(s.ok(greyRecord(9, 0)), kRenderOk);
  s.maps(6, 2, before);
  EXPECT_TRUE(before[0] == m[0] && s.board().count == 1 && s.board().ops[0].templateNumber == 10);
  EXPECT_EQ(s.passes(), 3);
  EXPECT_EQ(s.pixels(), picture);
  s.session.storyboard().count = 79;  // full: a new operation replaces all
  ASSERT_EQ(s.ok(greyRecord(2, 1)), kRenderOk);
  EXPECT_EQ(s.board().count, 1);
}

// Each sample number's combination of the map values on the plain coordinates, at (3, 2): x = 3/7,
// y = 2/5 along the grey ramp (x, y, xy, |x - y|, the mean, the length; 7..12 the same from the
// current maps; other numbers as 3).
TEST(RenderSession, SampleNumbersCombineTheMapValues) {
  Session s;
  ParamRecord r = greyRecord();
  r.identityOnly = 1;
  const int grey[14] = {43, 109, 102, 43, 7, 105, 149, 109, 102, 43, 7, 105, 149, 43};
  for (int n = 0; n <= 13; ++n) {
    r.sampleNumber = n;
    ASSERT_EQ(s.ok(r), kRenderOk);
    EXPECT_EQ(s.pixels()[3 * (2 * kW + 3)], grey[n]) << n;
  }
}

// Request 1 reports each step and colours with the record's sample; request 2 is silent and colours
// with the last step's, so the first step's sample and the template of a sample-only step make no
// difference. Without a request the script is not replayed again.
TEST(RenderSession, ScriptReplayBuildsTheStoryboardAndReportsItsSteps) {
  Session s, silent, same;
  std::vector<StoryboardOp> steps;
  std::vector<std::vector<uint8_t>> pictures;
  s.session.SetStepReporter([&](const StoryboardOp& op, Buf32Handle image) {
    steps.push_back(op);
    pictures.push_back(ImageBytes(image));
  });
  ParamRecord r = scriptRecord("[000]051-123|()");
  r.sampleNumber = 6;
  silent.session.SetReplayRequest(2);
  EXPECT_EQ(silent.render(r).templateIndex, 11);
  const std::vector<uint8_t> replayed = silent.pixels();
  EXPECT_EQ(silent.board().count, 2);
  EXPECT_EQ(silent.board().ops[0], (StoryboardOp{5, 1, 1}));
  EXPECT_EQ(silent.board().ops[1], (StoryboardOp{12, 3, 0}));
  EXPECT_EQ(silent.board().ops[2].templateNumber, 12);
  same.session.SetReplayRequest(2);
  ASSERT_EQ(same.ok(scriptRecord("[000]053-093|()")), kRenderOk);
  EXPECT_EQ(same.pixels(), replayed);
  r.templateIndex = 2;
  EXPECT_EQ(silent.render(r).templateIndex, 2);
  EXPECT_EQ(silent.passes(), 1);

  s.session.SetReplayRequest(1);
  ASSERT_EQ(s.ok(r), kRenderOk);
  EXPECT_NE(pictures.back(), s.pixels());
  r.identityOnly = -1;  // a record that asks for no steps
  s.session.SetReplayRequest(1);
  ASSERT_EQ(s.ok(r), kRenderOk);
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[1], (StoryboardOp{12, 3, 0}));
  EXPECT_EQ(pictures[1], replayed);
}

TEST(RenderSession, StoryboardReplayContinuesAndEqualsAReplayFromScratch) {
  Session s;
  s.prepare(2);  // operations 0..1
  EXPECT_EQ(s.passes(), 3);
  ParamRecord r = greyRecord(4, 6, 5);  // continues with 2..3, the sample-only one skipped
  ASSERT_EQ(s.ok(r), kRenderOk);
  ASSERT_EQ(s.ok(r), kRenderOk);  // same position: nothing recomputed
  EXPECT_EQ(s.passes(), 4);
  const std::vector<uint8_t> incremental = s.pixels();
  r.forceReplay = 1;
  ASSERT_EQ(s.ok(r), kRenderOk);
  EXPECT_EQ(s.passes(), 7);
  EXPECT_EQ(s.session.previousRecord().forceReplay, 0);
  EXPECT_EQ(s.session.previousRecord().templateIndex, 15);
  EXPECT_EQ(s.pixels(), incremental);
  // A rebuild of a single-operation record replays the applied operations, keeping them.
  s.session.RequestRebuild();
  ASSERT_EQ(s.ok(greyRecord()), kRenderOk);
  EXPECT_EQ(s.passes(), 10);
  EXPECT_EQ(s.board().count, 4);
}

// A stop at any point leaves the session so that the same record rendered again gives the picture
// of a render that was never stopped.
TEST(RenderSession, ARenderAfterAStopEqualsAnUninterruptedOne) {
  const struct {
    const char* name;
    int before;          // what the session did first (Session::prepare)
    ParamRecord record;  // the render that is stopped
    int replayRequest;
  } cases[] = {{"first single operation", 0, greyRecord(), 0},
               {"operation on top", 1, greyRecord(12, 1), 0},
               {"operation replacing", 1, greyRecord(2, 0), 0},
               {"script replay", 0, scriptRecord("[000]071-142-065-133|()"), 2},
               {"storyboard 3 to 5", 2, greyRecord(4, 6, 5), 0}};
  for (const auto& c : cases) {
    Session clean;
    clean.prepare(c.before);
    clean.session.SetReplayRequest(c.replayRequest);
    ASSERT_EQ(clean.ok(c.record), kRenderOk) << c.name;
    // Stops before any work, in the first pass, in a later pass, in the final pass.
    for (int polls : {0, 1, 3, kH + 2, 3 * kH + 1, 4 * kH + 2}) {
      Session s;
      s.prepare(c.before);
      s.session.SetReplayRequest(c.replayRequest);
      {
        const EscapeAfter escape(polls);
        s.render(c.record, &kEscapeChecked);
      }
      s.session.SetReplayRequest(c.replayRequest);
      ASSERT_EQ(s.ok(c.record), kRenderOk) << c.name;
      EXPECT_EQ(s.pixels(), clean.pixels()) << c.name << ", stopped at poll " << polls;
      EXPECT_EQ(s.board().count, clean.board().count) << c.name;
    }
  }
}

TEST(RenderSession, EscapeStopsOnlyWhenCheckedAndProgressCoversEachPass) {
  Session s;
  for (int polls : {0, kH / 2}) {  // before any work, in the middle of the pass
    const EscapeAfter escape(polls);
    EXPECT_EQ(s.render(greyRecord(), &kEscapeChecked).status, kRenderStopped);
    EXPECT_EQ(s.passes(), polls == 0 ? 0 : 1);
  }
  {
    const EscapeAfter escape(0);
    EXPECT_EQ(s.ok(greyRecord()), kRenderOk);
  }
  // One start, rising positions, one end; a pass and the colouring make up the range.
  ProgressLog log;
  const ProgressBlock block = log.Block(0, 10, 70);
  ASSERT_EQ(s.render(greyRecord(8), &block).status, kRenderOk);
  EXPECT_EQ(log.ExpectOneRun(10, 70), 40);  // H of 2H rows counted
}

// Weight 1 gives the colouring with operation 1's sample; weight 0 with operation 0's (no offset:
// operation 1 is sample-only).
TEST(RenderSession, BlendFramesRunBetweenTheSamplesAroundAnOperation) {
  Session s;
  ASSERT_EQ(s.ok(greyRecord()), kRenderOk);
  Storyboard& sb = s.session.storyboard();
  sb.ops[0] = {5, 1, 1}, sb.ops[1] = {9, 4, 0}, sb.count = 2;
  ParamRecord r = greyRecord(4, 6, 3);
  ASSERT_EQ(s.ok(r), kRenderOk);
  for (auto [w, sample] : {std::pair{1.0, 4}, std::pair{0.0, 1}}) {
    Buf32Owner frame;
    ASSERT_EQ(s.session.RenderBlend(1, r, s.source.handle, &frame.handle, w), kRenderOk);
    r.sampleNumber = sample;
    ASSERT_EQ(s.session.EvaluateImage(r, s.dest.handle, nullptr), kRenderOk);
    EXPECT_EQ(ImageBytes(frame.handle), s.pixels()) << w;
  }
  Buf32Owner none;
  for (int k : {-1, kStoryboardSlots})
    EXPECT_EQ(s.session.RenderBlend(k, r, s.source.handle, &none.handle, 0.5), kRenderOutOfMemory);
  EXPECT_EQ(none.handle, 0u);
}

TEST(RenderSession, NewSizesRebuildAndBadDestinationsOrNoMemoryFailCleanly) {
  Session s;
  const ParamRecord r = greyRecord();
  ASSERT_EQ(s.ok(r), kRenderOk);
  TestBuffer bigger(12, 3), grey8(kW, kH, 0, 8);
  ASSERT_EQ(s.render(r, nullptr, bigger.handle).status, kRenderOk);
  EXPECT_EQ(s.passes(), 2);
  double m[4];
  s.maps(11, 2, m);
  EXPECT_EQ(m[0], 1.0);
  EXPECT_EQ(s.session.EvaluateImage(r, s.dest.handle, nullptr), kRenderOutOfMemory);  // old size
  EXPECT_EQ(s.render(r, nullptr, grey8.handle).status, kRenderOutOfMemory);
  EXPECT_EQ(s.session.Render({s.source.handle, 0, &r, DecodeRenderMode(r), nullptr}).status,
            kRenderOutOfMemory);

  const int live = buf32LiveCount();
  for (int n = 1; n <= 4; ++n) {  // each of the four maps in turn
    Session fresh;
    buf32FailAllocation(n);
    EXPECT_EQ(fresh.ok(r), kRenderOutOfMemory) << n;
    EXPECT_FALSE(fresh.session.mapsReady());
    EXPECT_EQ(buf32LiveCount(), live + 2) << n;  // only the test's own images
    EXPECT_EQ(fresh.ok(r), kRenderOk) << n;
  }
  Buf32Owner frame;  // a blend frame that cannot be made, then can
  buf32FailAllocation(1);
  EXPECT_EQ(s.session.RenderBlend(0, r, bigger.handle, &frame.handle, 0.5), kRenderOutOfMemory);
  EXPECT_EQ(frame.handle, 0u);
  EXPECT_EQ(s.session.RenderBlend(0, r, bigger.handle, &frame.handle, 0.5), kRenderOk);
}
