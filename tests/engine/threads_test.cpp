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

// Full-size maps on one or more threads, bands on one or more threads: the
// same picture for a script, a step back into its storyboard, one operation,
// the plain coordinates, and a blend frame.
TEST(Threads, EveryWayOfSharingTheWorkGivesTheSamePixels) {
  ParamRecord step = scriptRecord(), single = scriptRecord(), identity;
  step.storyboardPosition = 3;  // operations 0..1 of the script just replayed
  single.storyboardPosition = 0, single.templateIndex = 11, single.sampleNumber = 7;
  identity = single, identity.identityOnly = 1;
  for (const ParamRecord& r : {scriptRecord(), step, single, identity}) {
    Threaded one(1), many(3);
    if (r.storyboardPosition == 3) one.render(scriptRecord()), many.render(scriptRecord());
    const auto expected = one.render(r);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(many.render(r), expected) << r.storyboardPosition;
    if (r.storyboardPosition == 3) {  // a step, which only a session that replayed can take
      Buf32Owner a, b;
      ASSERT_EQ(one.session.RenderBlend(1, r, one.dest.handle, &a.handle, 0.3), kRenderOk);
      ASSERT_EQ(many.session.RenderBlend(1, r, many.dest.handle, &b.handle, 0.3), kRenderOk);
      EXPECT_EQ(ImageBytes(a.handle), ImageBytes(b.handle));
      continue;
    }
    for (int threads : {1, 3}) {
      RenderSession once;
      once.SetThreads(threads);
      if (r.storyboardPosition == 1) once.SetReplayRequest(2);
      std::vector<uint8_t> rows;
      const RenderStatus status =
          once.RenderOnce(
                  r, DecodeRenderMode(r), kW, kH,
                  [&](int first, int count, const uint8_t* rgb, size_t stride) {
                    EXPECT_EQ(size_t(first) * 3 * kW, rows.size());  // in order
                    for (int y = 0; y < count; ++y)
                      rows.insert(rows.end(), rgb + y * stride, rgb + y * stride + 3 * kW);
                    return true;
                  },
                  nullptr)
              .status;
      EXPECT_TRUE(status == kRenderOk && rows == expected && !once.mapsReady())
          << r.storyboardPosition << " " << threads;
    }
  }
}
