// Renders shared out among threads give the pixels of one thread, and a stop
// in the middle of a shared-out pass leaves the session ready for an exact
// render.
#include <gtest/gtest.h>

#include "common/test_images.h"
#include "engine/renderer.h"
#include "engine/script.h"
#include "model/ramp.h"
#include "platform/x32comm/x32comm.h"
#include "plugin/plugin_info.h"

namespace {

// Tall enough for several bands of rows.
constexpr int kW = 256, kH = 1024;

ParamRecord scriptRecord() {
  ParamRecord r = HostDefaultRecord();
  r.ramp = DefaultRamp();
  r.storyboardPosition = 1;
  r.identityOnly = 0;
  SetScriptText(r, "[000]071-142-123|065-()");
  return r;
}

struct Threaded {
  RenderSession session;
  TestBuffer source{kW, kH}, dest{kW, kH};
  explicit Threaded(int threads) { session.SetThreads(threads); }
  std::vector<uint8_t> render(const ParamRecord& r, const ProgressBlock* block = nullptr) {
    if (r.storyboardPosition == 1) session.SetReplayRequest(2);  // as a silent run asks
    if (session.Render({source.handle, dest.handle, &r, DecodeRenderMode(r), block}).status !=
        kRenderOk)
      return {};
    return ImageBytes(dest.handle);
  }
};

int g_polls = -1;  // Escape answers "pressed" at this poll

}  // namespace

TEST(Threads, EveryThreadCountGivesTheSamePixels) {
  Threaded one(1);
  ParamRecord r = scriptRecord();
  const auto script = one.render(r);
  r.storyboardPosition = 3;  // back to the second step of the stored storyboard
  const auto step = one.render(r);
  Buf32Owner blend;
  ASSERT_EQ(one.session.RenderBlend(2, r, one.dest.handle, &blend.handle, 0.3), kRenderOk);
  ASSERT_FALSE(script.empty() || step.empty() || script == step);

  for (int threads : {2, 3, 8}) {
    Threaded many(threads);
    ParamRecord m = scriptRecord();
    EXPECT_EQ(many.render(m), script) << threads;
    m.storyboardPosition = 3;
    EXPECT_EQ(many.render(m), step) << threads;
    Buf32Owner b;
    ASSERT_EQ(many.session.RenderBlend(2, m, many.dest.handle, &b.handle, 0.3), kRenderOk);
    EXPECT_EQ(ImageBytes(b.handle), ImageBytes(blend.handle)) << threads;
  }
}

TEST(Threads, AStopInASharedOutPassLeavesTheNextRenderExact) {
  Threaded one(1), many(4);
  const ParamRecord r = scriptRecord();
  const auto expected = one.render(r);
  x32SetEscPoll([] { return g_polls >= 0 && g_polls-- == 0 ? 1 : 0; });
  const ProgressBlock escapeChecked{1, nullptr, 0, 0, 100};
  // Polls: the start, before work, then at least one in each of the three
  // passes and the final pass, however the bands fall to the threads.
  for (int polls : {2, 3, 5}) {
    g_polls = polls;
    EXPECT_TRUE(many.render(r, &escapeChecked).empty()) << polls;
    g_polls = -1;
    EXPECT_EQ(many.render(r, &escapeChecked), expected) << polls;
  }
  x32SetEscPoll(nullptr);
}

TEST(Threads, ARenderOnceInBandsEqualsARenderWithFullSizeMaps) {
  ParamRecord single = scriptRecord();
  single.storyboardPosition = 0;
  single.templateIndex = 11;
  single.sampleNumber = 7;
  ParamRecord identity = single;
  identity.identityOnly = 1;
  for (const ParamRecord& r : {scriptRecord(), single, identity}) {
    Threaded full(1);
    const auto expected = full.render(r);
    for (int threads : {1, 3}) {
      RenderSession once;
      once.SetThreads(threads);
      if (r.storyboardPosition == 1) once.SetReplayRequest(2);
      std::vector<uint8_t> rows;
      int next = 0;
      const RenderResult result = once.RenderOnce(
          r, DecodeRenderMode(r), kW, kH,
          [&](int first, int count, const uint8_t* rgb, size_t stride) {
            EXPECT_EQ(first, next);  // in order, each row once
            next = first + count;
            for (int y = 0; y < count; ++y)
              rows.insert(rows.end(), rgb + y * stride, rgb + y * stride + 3 * kW);
            return true;
          },
          nullptr);
      EXPECT_EQ(result.status, kRenderOk);
      EXPECT_EQ(rows, expected) << r.storyboardPosition << " " << threads;
      EXPECT_FALSE(once.mapsReady());
    }
  }
}
