// The command line, run as a user runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/renderer.h"
#include "common/test_images.h"
#include "model/module_path.h"
#include "plugin/plugin_info.h"
#include "tools/run_quillan.h"

namespace fs = std::filesystem;

namespace {

uint32_t be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

// Decodes a PNG as written by quillan (8-bit RGB, filter 0 rows) to RGB bytes.
std::vector<uint8_t> decodePng(const std::vector<uint8_t>& png, uint32_t& w, uint32_t& h) {
  std::vector<uint8_t> idat;
  size_t pos = 8;
  while (pos + 8 <= png.size()) {
    const uint32_t len = be32(&png[pos]);
    const std::string type(png.begin() + long(pos) + 4, png.begin() + long(pos) + 8);
    if (type == "IHDR") {
      w = be32(&png[pos + 8]);
      h = be32(&png[pos + 12]);
    }
    if (type == "IDAT")
      idat.insert(idat.end(), png.begin() + long(pos) + 8, png.begin() + long(pos) + 8 + len);
    pos += 12 + len;
  }
  std::vector<uint8_t> raw(size_t(w * 3 + 1) * h);
  uLongf rawSize = uLongf(raw.size());
  if (uncompress(raw.data(), &rawSize, idat.data(), uLong(idat.size())) != Z_OK) return {};
  std::vector<uint8_t> rgb;
  for (uint32_t y = 0; y < h; ++y) {
    EXPECT_EQ(raw[y * (w * 3 + 1)], 0);
    rgb.insert(rgb.end(), raw.begin() + long(y * (w * 3 + 1) + 1),
               raw.begin() + long((y + 1) * (w * 3 + 1)));
  }
  return rgb;
}

struct Cli : QuillanTest {
  // One clear line on stderr, a non-zero exit and nothing written.
  void expectRefused(const std::vector<std::string>& args, const std::string& needle) {
    const QuillanResult r = RunQuillan(args);
    EXPECT_NE(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find(needle), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_TRUE(Empty()) << "output left behind";
  }
};

}  // namespace

TEST_F(Cli, DefaultRenderIsTheHostDefaultRecordRenderedSilently) {
  const QuillanResult r = RunQuillan({"render", "-o", path("t.png"), "--size", "64x48"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  uint32_t w = 0, h = 0;
  const std::vector<uint8_t> pixels = decodePng(ReadWholeFile(path("t.png")), w, h);
  EXPECT_EQ(w, 64u);
  EXPECT_EQ(h, 48u);

  // The same record rendered in this process, as a freshly loaded module does.
  SetModuleDirectory(QUILLAN_BIN_DIR);
  RenderSession session;
  ParamRecord record = HostDefaultRecord();
  Buf32Handle source = 0, dest = 0;
  ASSERT_EQ(buf32Alloc(&source, 24, 64, 48, 0, nullptr), 1);
  ASSERT_EQ(RunSilentRender(session, record, source, &dest, nullptr), kRenderOk);
  const std::vector<uint8_t> expected = ImageBytes(dest);
  buf32Free(source);
  buf32Free(dest);
  EXPECT_EQ(pixels, expected);
}

TEST_F(Cli, ARecordFileRendersToIdenticalFilesEveryTime) {
  ASSERT_EQ(RunQuillan({"record", "new", "-o", path("r.rec"), "--script", "071-123|152-", "--hue",
                        "40", "--repeat", "2.5", "--mirror", "--preset", "7"})
                .exitCode,
            0);
  EXPECT_EQ(fs::file_size(path("r.rec")), 1348u);
  ASSERT_EQ(
      RunQuillan({"render", "-o", path("a.png"), "--record", path("r.rec"), "--size", "80x60"})
          .exitCode,
      0);
  ASSERT_EQ(
      RunQuillan({"render", "-o", path("b.png"), "--record", path("r.rec"), "--size", "80x60"})
          .exitCode,
      0);
  EXPECT_EQ(ReadWholeFile(path("a.png")), ReadWholeFile(path("b.png")));
  ASSERT_EQ(
      RunQuillan({"render", "-o", path("a.bmp"), "--record", path("r.rec"), "--size", "81x60"})
          .exitCode,
      0);
  // Rows of 81 pixels pad to 244 bytes.
  EXPECT_EQ(fs::file_size(path("a.bmp")), 54u + 244u * 60u);

  const QuillanResult show = RunQuillan({"record", "show", path("r.rec")});
  ASSERT_EQ(show.exitCode, 0);
  for (const char* field :
       {"templateIndex", "repeat", "hueShift", "mirror", "ring", "sampleNumber",
        "storyboardPosition", "identityOnly", "ramp count", "stop 0", "[000]071-123|152-()"})
    EXPECT_NE(show.out.find(field), std::string::npos) << field;
  EXPECT_NE(show.out.find("2.50"), std::string::npos);
}

TEST_F(Cli, BadInputIsRefusedWithOneClearLine) {
  expectRefused({"render", "-o", path("x.png"), "--record", path("missing.rec")}, "no record file");
  {
    std::ofstream(path("short.rec"), std::ios::binary) << std::string(100, 'x');
    const QuillanResult r =
        RunQuillan({"render", "-o", path("x.png"), "--record", path("short.rec")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("1348 bytes"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(path("x.png")));
    fs::remove(path("short.rec"));
  }
  expectRefused({"render", "-o", path("x.png"), "--size", "1x5"}, "between 2");
  expectRefused({"render", "-o", path("x.png"), "--size", "900000x900000"},
                "more than this machine has");
  expectRefused({"render", "-o", path("x.png"), "--script", "051-2"}, "groups of four");
  expectRefused({"render", "-o", path("x.png"), "--script", "201-"}, "template 01..19");
  expectRefused({"render", "-o", path("x.png"), "--frobnicate"}, "unknown option");
  expectRefused({"render", "-o", path("x.tif")}, ".png or .bmp");
  expectRefused({"render"}, "-o OUT is required");
  expectRefused({"render", "-o", path("x.png"), "--repeat", "7"}, "0.01 and 5.00");
  expectRefused({"render", "-o", path("x.png"), "--hue", "abc"}, "whole number");
  expectRefused({"paint"}, "unknown command");
  expectRefused({"render", "-o", path("no/such/dir/x.png")}, "cannot create");
}

TEST_F(Cli, InterruptCancelsTheRenderAndLeavesNoFile) {
  int errPipe[2];
  ASSERT_EQ(pipe(errPipe), 0);
  const std::string out = path("big.png");
  const std::string exe = std::string(QUILLAN_BIN_DIR) + "/quillan";
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(errPipe[1], 2);
    close(errPipe[0]);
    execl(exe.c_str(), "quillan", "render", "-o", out.c_str(), "--size", "3000x3000", "--script",
          "121-121-121-121-121-121-121-121-121-121-", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(errPipe[1]);
  // Wait until the progress bar shows the render is under way.
  std::string seen;
  char buf[256];
  while (seen.find('%') == std::string::npos) {
    const ssize_t n = read(errPipe[0], buf, sizeof buf);
    if (n <= 0) break;
    seen.append(buf, size_t(n));
  }
  kill(pid, SIGINT);
  while (read(errPipe[0], buf, sizeof buf) > 0) {
  }
  close(errPipe[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  EXPECT_FALSE(fs::exists(out));
  EXPECT_TRUE(Empty());
}
