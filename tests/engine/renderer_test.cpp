#include "engine/renderer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/progress_log.h"
#include "common/test_images.h"
#include "platform/x32comm/x32comm.h"
#include "model/param_record.h"

namespace {

Rgb pixel(const TestBuffer& image, int x, int y) {
  uint32_t w = 0;
  buf32GetWHU(image.handle, &w, nullptr, nullptr);
  const TestRgb c = ImagePixels(image.handle)[static_cast<size_t>(y) * w + static_cast<size_t>(x)];
  return Rgb{c.r, c.g, c.b};
}

ParamRecord greyRecord() {
  ParamRecord r = DefaultRecordForHost();
  r.ramp = DefaultRamp();
  r.ring = 0;
  return r;
}

struct Fixture : ::testing::Test {
  Renderer renderer;
  TestBuffer source{8, 6};
  TestBuffer dest{8, 6};

  int render(ParamRecord& r, const ProgressBlock* block = nullptr) {
    RenderJob job{source.handle, &dest.handle, &r, kRenderKindTexture, 0, block};
    return renderer.RenderTexture(job);
  }
  // The colour a pixel must have, computed straight from the formulas.
  static Rgb expected(const ParamRecord& r, int sample, const double m[4]) {
    PaletteTable t{};
    BuildPaletteTable(r.hueShift, r.ramp, t, 1);
    RotatePaletteTable(t, r.ring);
    return LookupColour(
        ShapeValue(CombineMaps(sample, m[2], m[3], m[0], m[1]), r.mirror, r.repeat * 0.01), t);
  }
  void expectColouredWith(const ParamRecord& r, int sample) {
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 8; ++x) {
        double m[4];
        ASSERT_TRUE(renderer.mapValues(x, y, m));
        ASSERT_EQ(pixel(dest, x, y), expected(r, sample, m)) << x << "," << y;
      }
  }
  void expectIdentityThen(int t, int x, int y) {
    double m[4];
    ASSERT_TRUE(renderer.mapValues(x, y, m));
    const double ix = x / 7.0, iy = y / 5.0;
    double rx = 0, ry = 0;
    ApplyTemplate(t, ix, iy, MakeTemplateConstants(), rx, ry);
    EXPECT_EQ(m[0], ix);
    EXPECT_EQ(m[1], iy);
    EXPECT_EQ(m[2], rx);
    EXPECT_EQ(m[3], ry);
  }
};

int escapeAlways() { return 1; }
int g_escapeAfter = 0;
int escapeLater() { return --g_escapeAfter < 0 ? 1 : 0; }

}  // namespace

TEST_F(Fixture, FirstRenderAppliesTheTemplateOnceAndColourChangesNeedNoPass) {
  ParamRecord r = greyRecord();
  ASSERT_EQ(render(r), 0);
  EXPECT_TRUE(renderer.mapsReady());
  EXPECT_EQ(renderer.templatePasses(), 1);
  EXPECT_EQ(renderer.storyboard().count, 0);
  EXPECT_EQ(renderer.storyboard().ops[0].templateNumber, 5);
  for (int y : {0, 2, 5})
    for (int x : {0, 3, 7}) expectIdentityThen(4, x, y);
  expectColouredWith(r, 3);
  EXPECT_EQ(renderer.freshCount(), 2);

  r.hueShift = 40;
  r.sampleNumber = 6;
  r.repeat = 250;
  r.mirror = 1;
  r.ramp.stops[0] = RampStop{0, 200, 30, 10};
  ASSERT_EQ(render(r), 0);
  EXPECT_EQ(renderer.templatePasses(), 1);
  expectColouredWith(r, 6);
  expectIdentityThen(4, 5, 3);
}

TEST_F(Fixture, AddingAnOperationCostsExactlyOneTemplatePass) {
  ParamRecord r = greyRecord();
  ASSERT_EQ(render(r), 0);
  double before[4];
  renderer.mapValues(6, 2, before);
  r.templateIndex = 0;
  r.pickCount = 1;
  ASSERT_EQ(render(r), 0);
  EXPECT_EQ(renderer.templatePasses(), 2);
  double m[4];
  renderer.mapValues(6, 2, m);
  // The new operation reads what the first one produced.
  EXPECT_EQ(m[0], before[2]);
  EXPECT_EQ(m[1], before[3]);
  EXPECT_EQ(m[2], std::sin(4.0 * std::atan(1.0) * before[2]));
  EXPECT_EQ(renderer.storyboard().ops[0].templateNumber, 1);
  for (int t = 1; t < 6; ++t) {
    r.templateIndex = t;
    ASSERT_EQ(render(r), 0);
  }
  EXPECT_EQ(renderer.templatePasses(), 7);
}

TEST_F(Fixture, PickCountZeroReplacesTheStoryboardWithOneOperation) {
  ParamRecord r = greyRecord();
  ASSERT_EQ(render(r), 0);
  r.templateIndex = 9;
  r.pickCount = 0;
  ASSERT_EQ(render(r), 0);
  EXPECT_EQ(renderer.storyboard().count, 1);
  EXPECT_EQ(renderer.storyboard().ops[0].templateNumber, 10);
  // No commit: the current maps are still the identity.
  expectIdentityThen(9, 4, 4);
}

TEST_F(Fixture, ScriptReplayBuildsTheStoryboardAndColoursWithTheLastSample) {
  ParamRecord r = greyRecord();
  r.storyboardPosition = 1;
  r.sampleNumber = 6;
  SetScriptText(r, "[000]051-123|()");
  renderer.SetReplayRequest(2);
  ASSERT_EQ(render(r), 0);
  EXPECT_EQ(r.templateIndex, 11);  // written into the caller's record
  const Storyboard& sb = renderer.storyboard();
  EXPECT_EQ(sb.count, 2);
  EXPECT_EQ(sb.ops[0], (StoryboardOp{5, 1, 1}));
  EXPECT_EQ(sb.ops[1], (StoryboardOp{12, 3, 0}));
  EXPECT_EQ(sb.ops[2].templateNumber, 12);
  EXPECT_EQ(sb.ops[2].applied, 0);
  EXPECT_EQ(renderer.templatePasses(), 1);
  // After "|" the maps were committed: current = result = template 5 of the identity.
  double m[4];
  renderer.mapValues(3, 1, m);
  double rx, ry;
  ApplyTemplate(4, 3 / 7.0, 1 / 5.0, MakeTemplateConstants(), rx, ry);
  EXPECT_EQ(m[0], rx);
  EXPECT_EQ(m[2], rx);
  EXPECT_EQ(m[3], ry);
  expectColouredWith(r, 3);
}

TEST_F(Fixture, ScriptReplayForTheDialogReportsEveryStepAndKeepsTheRecordsSample) {
  ParamRecord r = greyRecord();
  r.storyboardPosition = 1;
  r.sampleNumber = 6;
  SetScriptText(r, "[000]051-123|141-()");
  std::vector<StoryboardOp> steps;
  renderer.SetStepReporter([&](const StoryboardOp& op, Buf32Handle img) {
    EXPECT_EQ(img, dest.handle);
    steps.push_back(op);
  });
  renderer.SetReplayRequest(1);
  ASSERT_EQ(render(r), 0);
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[2], (StoryboardOp{14, 1, 1}));
  expectColouredWith(r, 6);
  // With word 14 = -1 no step is reported.
  steps.clear();
  r.identityOnly = -1;
  renderer.SetReplayRequest(1);
  ASSERT_EQ(render(r), 0);
  EXPECT_TRUE(steps.empty());
}

TEST_F(Fixture, ScriptIsOnlyReplayedWhenAsked) {
  ParamRecord r = greyRecord();
  r.storyboardPosition = 1;
  SetScriptText(r, "[000]051-()");
  renderer.SetReplayRequest(2);
  ASSERT_EQ(render(r), 0);
  EXPECT_EQ(renderer.templatePasses(), 1);
  ASSERT_EQ(render(r), 0);  // previous mode 1, no request
  EXPECT_EQ(renderer.templatePasses(), 1);
  renderer.RequestRebuild();
  ASSERT_EQ(render(r), 0);
  EXPECT_EQ(renderer.templatePasses(), 2);
}

TEST_F(Fixture, HostileScriptsRenderWithoutOverrun) {
  const char* scripts[] = {"",
                           "(",
                           "[000]",
                           "[000]-",
                           "[000]xx9|zz0-()",
                           "[000]191-201-001-()",
                           "no bracket at all ----"};
  for (const char* s : scripts) {
    ParamRecord r = greyRecord();
    r.storyboardPosition = 1;
    SetScriptText(r, s);
    renderer.SetReplayRequest(2);
    EXPECT_EQ(render(r), 0) << s;
  }
  ParamRecord r = greyRecord();
  r.storyboardPosition = 1;
  std::memset(r.scriptText, '-', sizeof r.scriptText);  // no terminator at all
  renderer.SetReplayRequest(2);
  EXPECT_EQ(render(r), 0);
  EXPECT_LE(renderer.storyboard().count, 62);
}

TEST_F(Fixture, StoryboardReplayContinuesWhereThePreviousRenderStopped) {
  ParamRecord r = greyRecord();
  ASSERT_EQ(render(r), 0);
  Storyboard& sb = renderer.storyboard();
  sb.ops[0] = {3, 1, 1};
  sb.ops[1] = {7, 2, 1};
  sb.ops[2] = {7, 4, 0};  // sample change only: skipped
  sb.ops[3] = {16, 5, 1};
  sb.count = 4;
  const int64_t base = renderer.templatePasses();
  r.storyboardPosition = 3;  // operations 0..1
  ASSERT_EQ(render(r), 0);
  EXPECT_EQ(renderer.templatePasses(), base + 2);
  r.storyboardPosition = 5;  // continues with 2..3: one pass
  ASSERT_EQ(render(r), 0);
  EXPECT_EQ(renderer.templatePasses(), base + 3);
  ASSERT_EQ(render(r), 0);  // same position: nothing recomputed
  EXPECT_EQ(renderer.templatePasses(), base + 3);
  const std::vector<uint8_t> incremental = ImageBytes(dest.handle);
  r.forceReplay = 1;
  ASSERT_EQ(render(r), 0);
  EXPECT_EQ(renderer.templatePasses(), base + 6);
  EXPECT_EQ(renderer.previousRecord().forceReplay, 0);
  EXPECT_EQ(renderer.previousRecord().templateIndex, 15);
  EXPECT_EQ(ImageBytes(dest.handle), incremental);

  // The incremental result equals a replay from scratch.
  Renderer fresh;
  TestBuffer other(8, 6);
  ParamRecord r2 = greyRecord();
  RenderJob job{source.handle, &other.handle, &r2, kRenderKindTexture, 0, nullptr};
  ASSERT_EQ(fresh.RenderTexture(job), 0);  // the first render makes the maps and clears
  fresh.storyboard() = sb;
  r2.storyboardPosition = 5;
  ASSERT_EQ(fresh.RenderTexture(job), 0);
  EXPECT_EQ(ImageBytes(other.handle), ImageBytes(dest.handle));
}

TEST_F(Fixture, RebuildReplaysTheAppliedOperationsFromTheIdentity) {
  ParamRecord r = greyRecord();
  ASSERT_EQ(render(r), 0);
  Storyboard& sb = renderer.storyboard();
  sb.ops[0] = {1, 1, 1};
  sb.ops[1] = {1, 2, 0};
  sb.ops[2] = {11, 3, 1};
  sb.count = 3;
  renderer.RequestRebuild();
  const int64_t base = renderer.templatePasses();
  ASSERT_EQ(render(r), 0);
  EXPECT_EQ(renderer.templatePasses(), base + 2);
  EXPECT_EQ(renderer.storyboard().count, 3);  // a rebuild keeps the storyboard
  double m[4];
  renderer.mapValues(2, 3, m);
  double x1, y1, x2, y2;
  const TemplateConstants c = MakeTemplateConstants();
  ApplyTemplate(0, 2 / 7.0, 3 / 5.0, c, x1, y1);
  ApplyTemplate(10, x1, y1, c, x2, y2);
  EXPECT_EQ(m[2], x2);
  EXPECT_EQ(m[3], y2);
}

TEST_F(Fixture, IdentityOnlyEvaluatesTheUntransformedCoordinates) {
  ParamRecord r = greyRecord();
  ASSERT_EQ(render(r), 0);
  r.identityOnly = 1;
  r.sampleNumber = 1;
  ASSERT_EQ(render(r), 0);
  EXPECT_EQ(pixel(dest, 0, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(pixel(dest, 7, 0), (Rgb{255, 255, 255}));
  EXPECT_EQ(renderer.storyboard().count, 0);
}

TEST_F(Fixture, EscapeStopsBeforeWorkAndMidPass) {
  ParamRecord r = greyRecord();
  ProgressBlock block{1, nullptr, 0, 0, 100};
  x32SetEscPoll(escapeAlways);
  c32ResetDLLErrInfo();
  EXPECT_EQ(render(r, &block), kRenderStopped);
  EXPECT_EQ(c32GetDLLErrInfo(nullptr), 5200);
  // Mid-way through the final pass: the top rows are drawn, the rest not.
  x32SetEscPoll(nullptr);
  ASSERT_EQ(render(r), 0);
  TestBuffer fresh(8, 6);
  std::swap(fresh.handle, dest.handle);
  g_escapeAfter = 3;  // start, palette, first row
  x32SetEscPoll(escapeLater);
  EXPECT_EQ(render(r, &block), kRenderStopped);
  x32SetEscPoll(nullptr);
  EXPECT_NE(pixel(dest, 7, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(pixel(dest, 7, 5), (Rgb{0, 0, 0}));
  // Without the Escape check the poll is not asked.
  x32SetEscPoll(escapeAlways);
  block.escapeCheck = 0;
  EXPECT_EQ(render(r, &block), 0);
  x32SetEscPoll(nullptr);
}

TEST_F(Fixture, ProgressStartsGrowsAndEnds) {
  ParamRecord r = greyRecord();
  ProgressLog log;
  const ProgressBlock block = log.Block(0, 10, 20);
  ASSERT_EQ(render(r, &block), 0);
  EXPECT_EQ(log.ExpectOneRun(10, 20), 15);  // one template pass of the two halves
}

TEST_F(Fixture, ANewSizeRebuildsTheMaps) {
  ParamRecord r = greyRecord();
  ASSERT_EQ(render(r), 0);
  TestBuffer big(12, 9);
  RenderJob job{source.handle, &big.handle, &r, kRenderKindTexture, 0, nullptr};
  ASSERT_EQ(renderer.RenderTexture(job), 0);
  EXPECT_EQ(renderer.mapWidth(), 12);
  EXPECT_EQ(renderer.mapHeight(), 9);
  const int live = buf32LiveCount();
  renderer.FreeMaps();
  EXPECT_EQ(buf32LiveCount(), live - 4);
  EXPECT_FALSE(renderer.mapsReady());
}

TEST_F(Fixture, BlendFramesRunFromTheStateBeforeToTheStateAfter) {
  ParamRecord r = greyRecord();
  Storyboard& sb = renderer.storyboard();
  sb.ops[0] = {3, 2, 1};
  sb.ops[1] = {9, 4, 1};
  sb.count = 2;
  r.storyboardPosition = 3;  // state around operation 1
  ASSERT_EQ(render(r), 0);
  Buf32Handle at0 = 0, at1 = 0;
  ASSERT_EQ(renderer.RenderBlend(1, r, source.handle, &at0, 0.0), 1);
  ASSERT_EQ(renderer.RenderBlend(1, r, source.handle, &at1, 1.0), 1);
  TestBuffer a(1, 1), b(1, 1);
  std::swap(a.handle, at0);
  std::swap(b.handle, at1);
  buf32Free(at0);
  buf32Free(at1);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      double m[4];
      renderer.mapValues(x, y, m);
      EXPECT_EQ(pixel(a, x, y), expected(r, 2 + 6, m));  // sample of op 0 on the current maps
      EXPECT_EQ(pixel(b, x, y), expected(r, 4, m));
    }
  Buf32Handle bad = 0;
  EXPECT_EQ(renderer.RenderBlend(-1, r, source.handle, &bad, 0.5), 0);
  EXPECT_EQ(renderer.RenderBlend(1, r, 0xDEADBEEF, &bad, 0.5), 0);
  EXPECT_EQ(bad, 0u);
}

TEST_F(Fixture, InvalidDestinationsFailCleanly) {
  ParamRecord r = greyRecord();
  Buf32Handle none = 0xABCDEF;
  RenderJob job{source.handle, &none, &r, kRenderKindTexture, 0, nullptr};
  EXPECT_EQ(renderer.RenderTexture(job), kRenderOutOfMemory);
  Buf32Handle grey8 = 0;
  ASSERT_EQ(buf32Alloc(&grey8, 8, 4, 4, 0, nullptr), 1);
  job.destination = &grey8;
  EXPECT_EQ(renderer.RenderTexture(job), kRenderOutOfMemory);
  buf32Free(grey8);
}

TEST_F(Fixture, AnyRecordValuesRenderSomething) {
  uint64_t state = 99;
  auto next = [&state]() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<int32_t>(state >> 32);
  };
  for (int i = 0; i < 300; ++i) {
    ParamRecord r{};
    for (int w = 0; w < kRecordWords; ++w) SetRecordWord(r, w, next());
    // Keep some fields in interesting small ranges half of the time.
    if (i % 2) {
      r.storyboardPosition = next() % 5;
      r.templateIndex = next() % 25;
      r.sampleNumber = next() % 15;
      r.ramp.count = next() % 300;
    }
    if (i % 7 == 0) renderer.RequestRebuild();
    const int code = render(r);
    ASSERT_TRUE(code == 0) << "record " << i << " gave " << code;
  }
}

TEST(ModuleRenderer, ResetGivesAFreshInstanceAndFreesTheMaps) {
  TestBuffer src(4, 4), dst(4, 4);
  ParamRecord r = greyRecord();
  RenderJob job{src.handle, &dst.handle, &r, kRenderKindTexture, 0, nullptr};
  const int live = buf32LiveCount();
  ASSERT_EQ(RenderTexture(job), 0);
  EXPECT_EQ(buf32LiveCount(), live + 4);
  ResetModuleRenderer();
  EXPECT_EQ(buf32LiveCount(), live);
  EXPECT_FALSE(TheRenderer().mapsReady());
}
