// quillan animate, run as a user runs it, checked with an independent GIF reader.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "animation/animation_run.h"
#include "engine/renderer.h"
#include "engine/script.h"
#include "common/gif_test_reader.h"
#include "model/module_path.h"
#include "plugin/plugin_info.h"
#include "tools/run_quillan.h"

namespace fs = std::filesystem;

namespace {

int quillan(const std::vector<std::string>& args, std::string* err = nullptr) {
  const QuillanResult r = RunQuillan(args);
  if (err != nullptr) *err = r.err;
  return r.exitCode;
}

// Frames of the same export rendered in this process.
struct Capture : FrameSink {
  std::vector<std::vector<TestRgb>> frames;
  bool writeFrame(int, Buf32Handle image) override {
    frames.push_back(ImagePixels(image));
    return true;
  }
  bool finish() override { return true; }
  void abandon(int) override {}
};

std::vector<std::vector<TestRgb>> renderInProcess(const std::string& script, int frames, int w,
                                                  int h) {
  SetModuleDirectory(QUILLAN_BIN_DIR);
  RenderSession session;
  AnimationJob job;
  job.record = HostDefaultRecord();
  SetScriptText(job.record, script);
  job.operations = ScriptOperations(job.record.scriptText, kScriptTextBytes);
  job.itemCount = static_cast<int>(job.operations.size());
  job.frameCount = frames;
  Buf32Handle source = 0;
  buf32Alloc(&source, 24, w, h, 0, nullptr);
  job.source = source;
  Capture capture;
  EXPECT_EQ(RunAnimation(session, job, capture), AnimationOutcome::kDone);
  buf32Free(source);
  return capture.frames;
}

// Files the GIF job keeps its frames in while it runs.
int temporaryFrameFiles() {
  int n = 0;
  for (const auto& e : fs::directory_iterator(fs::temp_directory_path()))
    n += e.path().filename().string().rfind("ang", 0) == 0 && e.path().extension() == ".tmp";
  return n;
}

using Animate = QuillanTest;

}  // namespace

TEST_F(Animate, GifHasEveryFrameFullSizeLoopsForEverAndMatchesTheRender) {
  const std::string script = "[000]071-142-065-()";
  const fs::path out = dir.path() / "film.gif";
  const int before = temporaryFrameFiles();
  std::string err;
  ASSERT_EQ(quillan({"animate", "-o", out.string(), "--script", script, "--frames", "6", "--size",
                     "48x36"},
                    &err),
            0)
      << err;
  std::string why;
  const auto gif = ReadGif(ReadWholeFile(out.string()), &why);
  ASSERT_TRUE(gif.has_value()) << why;
  EXPECT_EQ(gif->width, 48);
  EXPECT_EQ(gif->height, 36);
  ASSERT_EQ(gif->frames.size(), 6u);
  ASSERT_EQ(gif->applications.size(), 1u);
  EXPECT_EQ(gif->applications[0], "NETSCAPE2.0");
  EXPECT_EQ(gif->applicationData[0], (std::vector<uint8_t>{1, 0, 0}));

  const auto expected = renderInProcess(script, 6, 48, 36);
  ASSERT_EQ(expected.size(), 6u);
  for (size_t f = 0; f < 6; ++f) {
    const GifTestFrame& frame = gif->frames[f];
    EXPECT_EQ(frame.left, 0);
    EXPECT_EQ(frame.top, 0);
    ASSERT_EQ(frame.width, 48);
    ASSERT_EQ(frame.height, 36);
    ASSERT_GT(frame.localTableSize, 0);
    EXPECT_GT(Psnr(gif->Colours(f), expected[f]), 28.0) << "frame " << f;
  }
  EXPECT_EQ(temporaryFrameFiles(), before) << "a temporary frame file was left behind";
}

TEST_F(Animate, SequenceWritesNumberedBitmapsOfTheRender) {
  const fs::path out = dir.path() / "film.bmp";
  ASSERT_EQ(quillan({"animate", "-o", out.string(), "--script", "071-142|", "--frames", "12",
                     "--size", "20x10"}),
            0);
  for (int i = 0; i < 12; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "film%03d.BMP", i);
    ASSERT_TRUE(fs::exists(dir.path() / name)) << name;
    EXPECT_EQ(fs::file_size(dir.path() / name), 54u + 60u * 10u);
  }
  EXPECT_FALSE(fs::exists(dir.path() / "film012.BMP"));
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(Animate, BadInputIsRefused) {
  const std::string out = (dir.path() / "x.gif").string();
  std::string err;
  EXPECT_EQ(quillan({"animate", "-o", out, "--script", "071-142-", "--frames", "1"}, &err), 2);
  EXPECT_NE(err.find("between 2 and 900"), std::string::npos) << err;
  EXPECT_EQ(quillan({"animate", "-o", out, "--script", "071-142-", "--frames", "901"}), 2);
  EXPECT_EQ(quillan({"animate", "-o", out, "--script", "071-", "--frames", "5"}, &err), 2);
  EXPECT_NE(err.find("at least two operations"), std::string::npos) << err;
  EXPECT_EQ(quillan({"animate", "-o", out, "--frames", "5"}), 2);
  EXPECT_EQ(quillan({"animate", "-o", (dir.path() / "x.png").string(), "--script", "071-142-",
                     "--frames", "5"}),
            2);
  EXPECT_EQ(quillan({"animate", "-o", (dir.path() / "no/such/x.gif").string(), "--script",
                     "071-142-", "--frames", "3", "--size", "8x8"},
                    &err),
            1);
  EXPECT_NE(err.find("unable to save gif"), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
  EXPECT_TRUE(Empty());
}
