#include "engine/renderer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "common/progress_log.h"
#include "common/test_images.h"
#include "engine/script.h"
#include "platform/x32comm/x32comm.h"

namespace {

constexpr int kW = 8, kH = 6;

ParamRecord greyRecord() {
  ParamRecord r = DefaultRecordForHost();
  r.ramp = DefaultRamp();
  r.ring = 0;
  return r;
}

ParamRecord scriptRecord(const char* script) {
  ParamRecord r = greyRecord();
  r.storyboardPosition = 1;
  SetScriptText(r, script);
  return r;
}

// Escape answers "pressed" from the Nth poll on (-1: never).
int g_polls = -1;
int escapeAfterPolls() { return g_polls >= 0 && g_polls-- == 0 ? 1 : 0; }
struct EscapeAfter {
  explicit EscapeAfter(int polls) {
    g_polls = polls;
    x32SetEscPoll(escapeAfterPolls);
  }
  ~EscapeAfter() { x32SetEscPoll(nullptr); }
};
constexpr ProgressBlock kEscapeChecked{1, nullptr, 0, 0, 100};

// A session with its own destination; renders records as the render call does.
struct Session {
  RenderSession session;
  TestBuffer source{kW, kH};
  TestBuffer dest{kW, kH};

  RenderResult render(const ParamRecord& r, const ProgressBlock* block = nullptr) {
    return session.Render({source.handle, dest.handle, &r, DecodeRenderMode(r), block});
  }
  RenderStatus ok(const ParamRecord& r) { return render(r).status; }
  std::vector<uint8_t> pixels() const { return ImageBytes(dest.handle); }
  void maps(int x, int y, double m[4]) const { ASSERT_TRUE(session.mapValues(x, y, m)); }
};

// A storyboard of four operations; the third only changes the sample.
void fourOperations(Storyboard& sb) {
  sb.ops[0] = {3, 1, 1};
  sb.ops[1] = {7, 2, 1};
  sb.ops[2] = {7, 4, 0};
  sb.ops[3] = {16, 5, 1};
  sb.count = 4;
}

}  // namespace

TEST(RenderSession, OperationsWarpTheMapsOncePerChangeAndStackOrReplace) {
  Session s;
  ParamRecord r = greyRecord();
  ASSERT_EQ(s.ok(r), kRenderOk);
  EXPECT_EQ(s.session.templatePasses(), 1);
  EXPECT_EQ(s.session.storyboard().count, 0);
  EXPECT_EQ(s.session.storyboard().ops[0].templateNumber, 5);
  // Current maps hold the plain coordinates, the first and last pixels at 0 and 1.
  double m[4], before[4];
  for (auto [x, y] : {std::pair{0, 0}, std::pair{kW - 1, kH - 1}, std::pair{3, 2}}) {
    s.maps(x, y, m);
    EXPECT_TRUE(m[0] == x / 7.0 && m[1] == y / 5.0) << x << "," << y;
  }
  // Colours alone need no pass, and the same colours give the same picture.
  const std::vector<uint8_t> first = s.pixels();
  ParamRecord colours = r;
  colours.hueShift = 40;
  colours.sampleNumber = 6;
  colours.mirror = 1;
  ASSERT_EQ(s.ok(colours), kRenderOk);
  EXPECT_NE(s.pixels(), first);
  ASSERT_EQ(s.ok(r), kRenderOk);
  EXPECT_EQ(s.pixels(), first);
  EXPECT_EQ(s.session.templatePasses(), 1);

  s.maps(6, 2, before);
  r.templateIndex = 0;
  r.pickCount = 1;  // on top: the new operation reads what the first produced
  ASSERT_EQ(s.ok(r), kRenderOk);
  s.maps(6, 2, m);
  EXPECT_TRUE(m[0] == before[2] && m[1] == before[3]);
  EXPECT_EQ(s.session.storyboard().ops[0].templateNumber, 1);
  r.templateIndex = 9;
  r.pickCount = 0;  // replacing: no commit, the same starting maps
  ASSERT_EQ(s.ok(r), kRenderOk);
  s.maps(6, 2, before);
  EXPECT_EQ(before[0], m[0]);
  EXPECT_EQ(s.session.storyboard().count, 1);
  EXPECT_EQ(s.session.storyboard().ops[0].templateNumber, 10);
  EXPECT_EQ(s.session.templatePasses(), 3);
  const std::vector<uint8_t> picture = s.pixels();
  ASSERT_EQ(s.ok(r), kRenderOk);  // unchanged: no pass
  EXPECT_EQ(s.session.templatePasses(), 3);
  EXPECT_EQ(s.pixels(), picture);
}

TEST(RenderSession, ScriptReplayBuildsTheStoryboardAndReportsTheLastTemplate) {
  Session s;
  ParamRecord r = scriptRecord("[000]051-123|()");
  r.sampleNumber = 6;
  s.session.SetReplayRequest(2);
  const RenderResult result = s.render(r);
  ASSERT_EQ(result.status, kRenderOk);
  EXPECT_EQ(result.templateIndex, 11);
  const Storyboard& sb = s.session.storyboard();
  EXPECT_EQ(sb.count, 2);
  EXPECT_EQ(sb.ops[0], (StoryboardOp{5, 1, 1}));
  EXPECT_EQ(sb.ops[1], (StoryboardOp{12, 3, 0}));
  EXPECT_EQ(sb.ops[2].templateNumber, 12);
  EXPECT_EQ(s.session.templatePasses(), 1);

  // A silent replay colours with the last step's sample: the first step's
  // sample and the template of a sample-only step make no difference.
  Session same;
  same.session.SetReplayRequest(2);
  ASSERT_EQ(same.ok(scriptRecord("[000]053-093|()")), kRenderOk);
  EXPECT_EQ(same.pixels(), s.pixels());

  // Without a request the script is not replayed again, and the template word stays.
  r.templateIndex = 2;
  const RenderResult again = s.render(r);
  EXPECT_EQ(again.templateIndex, 2);
  EXPECT_EQ(s.session.templatePasses(), 1);
}

TEST(RenderSession, ScriptReplayForTheDialogReportsEachStep) {
  Session s;
  std::vector<StoryboardOp> steps;
  std::vector<std::vector<uint8_t>> pictures;
  s.session.SetStepReporter([&](const StoryboardOp& op, Buf32Handle image) {
    steps.push_back(op);
    pictures.push_back(ImageBytes(image));
  });
  ParamRecord r = scriptRecord("[000]071-142-065|()");
  s.session.SetReplayRequest(1);
  ASSERT_EQ(s.ok(r), kRenderOk);
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[1], (StoryboardOp{14, 2, 1}));
  EXPECT_EQ(steps[2], (StoryboardOp{6, 5, 0}));
  // The last step's picture used sample 5; the final picture the record's own (3).
  EXPECT_NE(pictures[2], s.pixels());
  r.sampleNumber = 5;
  ASSERT_EQ(s.ok(r), kRenderOk);  // colouring only
  EXPECT_EQ(pictures[2], s.pixels());
  // No steps when the record asks for none.
  steps.clear();
  r.identityOnly = -1;
  s.session.SetReplayRequest(1);
  ASSERT_EQ(s.ok(r), kRenderOk);
  EXPECT_TRUE(steps.empty());
}

TEST(RenderSession, StoryboardReplayContinuesAndEqualsAReplayFromScratch) {
  Session s;
  ParamRecord r = greyRecord();
  ASSERT_EQ(s.ok(r), kRenderOk);
  fourOperations(s.session.storyboard());
  const int64_t base = s.session.templatePasses();
  r.storyboardPosition = 3;  // operations 0..1
  ASSERT_EQ(s.ok(r), kRenderOk);
  EXPECT_EQ(s.session.templatePasses(), base + 2);
  r.storyboardPosition = 5;  // continues with 2..3, the sample-only one skipped
  ASSERT_EQ(s.ok(r), kRenderOk);
  EXPECT_EQ(s.session.templatePasses(), base + 3);
  ASSERT_EQ(s.ok(r), kRenderOk);  // same position: nothing recomputed
  EXPECT_EQ(s.session.templatePasses(), base + 3);
  const std::vector<uint8_t> incremental = s.pixels();
  r.forceReplay = 1;
  ASSERT_EQ(s.ok(r), kRenderOk);
  EXPECT_EQ(s.session.templatePasses(), base + 6);
  EXPECT_EQ(s.session.previousRecord().forceReplay, 0);
  EXPECT_EQ(s.session.previousRecord().templateIndex, 15);
  EXPECT_EQ(s.pixels(), incremental);

  // A rebuild of a single-operation record replays the applied operations.
  r.storyboardPosition = 0;
  r.forceReplay = 0;
  s.session.RequestRebuild();
  ASSERT_EQ(s.ok(r), kRenderOk);
  EXPECT_EQ(s.session.templatePasses(), base + 9);
  EXPECT_EQ(s.session.storyboard().count, 4);  // a rebuild keeps the storyboard
}

// A stop at any point leaves the session so that the same record rendered
// again gives the picture of a render that was never stopped.
TEST(RenderSession, ARenderAfterAStopEqualsAnUninterruptedOne) {
  struct Case {
    const char* name;
    void (*before)(Session&);  // what the session did first
    ParamRecord (*record)();   // the render that is stopped
    int replayRequest;
  };
  const Case cases[] = {
      {"first single operation", [](Session&) {}, [] { return greyRecord(); }, 0},
      {"operation on top", [](Session& s) { ASSERT_EQ(s.ok(greyRecord()), kRenderOk); },
       [] {
         ParamRecord r = greyRecord();
         r.templateIndex = 12;
         r.pickCount = 1;
         return r;
       },
       0},
      {"operation replacing", [](Session& s) { ASSERT_EQ(s.ok(greyRecord()), kRenderOk); },
       [] {
         ParamRecord r = greyRecord();
         r.templateIndex = 2;
         return r;
       },
       0},
      {"script replay", [](Session&) {}, [] { return scriptRecord("[000]071-142-065-133|()"); }, 2},
      {"storyboard 3 to 5",
       [](Session& s) {
         ParamRecord r = greyRecord();
         ASSERT_EQ(s.ok(r), kRenderOk);
         fourOperations(s.session.storyboard());
         r.storyboardPosition = 3;
         ASSERT_EQ(s.ok(r), kRenderOk);
       },
       [] {
         ParamRecord r = greyRecord();
         r.storyboardPosition = 5;
         return r;
       },
       0},
  };
  for (const Case& c : cases) {
    Session clean;
    c.before(clean);
    clean.session.SetReplayRequest(c.replayRequest);
    ASSERT_EQ(clean.ok(c.record()), kRenderOk) << c.name;
    // Stops before any work, in the first pass, in a later pass, in the final pass.
    for (int polls : {0, 1, 3, kH + 2, 3 * kH + 1, 4 * kH + 2}) {
      Session s;
      c.before(s);
      s.session.SetReplayRequest(c.replayRequest);
      {
        const EscapeAfter escape(polls);
        s.render(c.record(), &kEscapeChecked);
      }
      s.session.SetReplayRequest(c.replayRequest);
      ASSERT_EQ(s.ok(c.record()), kRenderOk) << c.name;
      EXPECT_EQ(s.pixels(), clean.pixels()) << c.name << ", stopped at poll " << polls;
      EXPECT_EQ(s.session.storyboard().count, clean.session.storyboard().count) << c.name;
    }
  }
}

TEST(RenderSession, EscapeAndProgress) {
  Session s;
  {
    const EscapeAfter escape(0);
    EXPECT_EQ(s.render(greyRecord(), &kEscapeChecked).status, kRenderStopped);
    EXPECT_EQ(s.session.templatePasses(), 0);
  }
  {
    const EscapeAfter escape(kH / 2);  // in the middle of the pass
    EXPECT_EQ(s.render(greyRecord(), &kEscapeChecked).status, kRenderStopped);
  }
  // Without the check, Escape is never asked.
  const EscapeAfter escape(0);
  EXPECT_EQ(s.ok(greyRecord()), kRenderOk);

  // One start, rising positions, one end; a pass and the colouring make up the range.
  Session p;
  ProgressLog log;
  const ProgressBlock block = log.Block(0, 10, 70);
  ParamRecord r = greyRecord();
  ASSERT_EQ(p.ok(r), kRenderOk);
  r.templateIndex = 8;
  ASSERT_EQ(p.render(r, &block).status, kRenderOk);
  EXPECT_EQ(log.ExpectOneRun(10, 70), 40);  // H of 2H rows counted
}

TEST(RenderSession, BlendFramesRunBetweenTheSamplesAroundAnOperation) {
  Session s;
  ParamRecord r = greyRecord();
  ASSERT_EQ(s.ok(r), kRenderOk);
  Storyboard& sb = s.session.storyboard();
  sb.ops[0] = {5, 1, 1};
  sb.ops[1] = {9, 4, 0};
  sb.count = 2;
  r.storyboardPosition = 3;
  ASSERT_EQ(s.ok(r), kRenderOk);
  // Weight 1: the colouring with operation 1's sample; weight 0 with
  // operation 0's sample (no offset: operation 1 is sample-only).
  for (auto [w, sample] : {std::pair{1.0, 4}, std::pair{0.0, 1}}) {
    Buf32Owner frame;
    ASSERT_EQ(s.session.RenderBlend(1, r, s.source.handle, &frame.handle, w), kRenderOk);
    ParamRecord coloured = r;
    coloured.sampleNumber = sample;
    ASSERT_EQ(s.session.EvaluateImage(coloured, s.dest.handle, nullptr), kRenderOk);
    EXPECT_EQ(ImageBytes(frame.handle), s.pixels()) << w;
  }
  Buf32Owner none;
  EXPECT_EQ(s.session.RenderBlend(-1, r, s.source.handle, &none.handle, 0.5), kRenderOutOfMemory);
  EXPECT_EQ(s.session.RenderBlend(kStoryboardSlots, r, s.source.handle, &none.handle, 0.5),
            kRenderOutOfMemory);
  EXPECT_EQ(none.handle, 0u);
}

TEST(RenderSession, NewSizesRebuildAndBadDestinationsFail) {
  Session s;
  ASSERT_EQ(s.ok(greyRecord()), kRenderOk);
  TestBuffer bigger(12, 3);
  const ParamRecord r = greyRecord();
  ASSERT_EQ(
      s.session.Render({s.source.handle, bigger.handle, &r, DecodeRenderMode(r), nullptr}).status,
      kRenderOk);
  EXPECT_EQ(s.session.templatePasses(), 2);
  double m[4];
  s.maps(11, 2, m);
  EXPECT_EQ(m[0], 1.0);
  EXPECT_EQ(s.session.EvaluateImage(r, s.dest.handle, nullptr), kRenderOutOfMemory);  // old size
  TestBuffer grey8(kW, kH, 0, 8);
  for (Buf32Handle bad : {Buf32Handle{0}, grey8.handle})
    EXPECT_EQ(s.session.Render({s.source.handle, bad, &r, DecodeRenderMode(r), nullptr}).status,
              kRenderOutOfMemory);
}

TEST(RenderSession, AnyRecordValuesRenderSomething) {
  Session s;
  uint64_t state = 7;
  auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<int32_t>(state >> 32);
  };
  for (int i = 0; i < 300; ++i) {
    ParamRecord r{};
    for (int w = 0; w < kRecordWords; ++w) SetRecordWord(r, w, next());
    if (i % 2) {  // small values half of the time, to reach every mode
      r.storyboardPosition = next() % 5;
      r.templateIndex = next() % 25;
      r.sampleNumber = next() % 15;
      r.ramp.count = next() % 300;
    }
    if (i % 3 == 0) r.templateIndex = i % 2 ? INT_MAX : INT_MIN;
    if (i % 7 == 0) s.session.RequestRebuild();
    ASSERT_EQ(s.ok(r), kRenderOk) << "record " << i;
  }
}

TEST(RenderSession, OutOfMemoryForMapsOrABlendFrameFailsCleanlyAndRecovers) {
  const int live = buf32LiveCount();
  const ParamRecord r = greyRecord();
  for (int n = 1; n <= 4; ++n) {  // each of the four maps in turn
    Session s;
    buf32FailAllocation(n);
    EXPECT_EQ(s.ok(r), kRenderOutOfMemory) << n;
    EXPECT_FALSE(s.session.mapsReady());
    EXPECT_EQ(buf32LiveCount(), live + 2) << n;  // only the test's own images
    EXPECT_EQ(s.ok(r), kRenderOk) << n;
  }
  Session s;
  ASSERT_EQ(s.ok(r), kRenderOk);
  Buf32Owner frame;
  buf32FailAllocation(1);
  EXPECT_EQ(s.session.RenderBlend(0, r, s.source.handle, &frame.handle, 0.5), kRenderOutOfMemory);
  EXPECT_EQ(frame.handle, 0u);
  EXPECT_EQ(s.session.RenderBlend(0, r, s.source.handle, &frame.handle, 0.5), kRenderOk);
}
