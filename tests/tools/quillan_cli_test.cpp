// The quillan program run as a user runs it: its files read back with decoders of our own, its
// exit codes.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "common/gif_test_reader.h"
#include "common/scratch_dir.h"
#include "engine/renderer.h"
#include "model/module_path.h"
#include "plugin/plugin_info.h"

namespace {

const std::string kQuillan = std::string(QUILLAN_BIN_DIR) + "/quillan";

struct Cli : ::testing::Test {
  ScratchDir dir, logs;
  // Runs quillan with the arguments, '@' standing for the test's folder; gives the exit code and
  // standard error.
  int quillan(std::string args, std::string* err = nullptr) const {
    for (size_t at; (at = args.find('@')) != std::string::npos;) args.replace(at, 1, dir.path());
    const std::string cmd = kQuillan + " " + args + " 2>" + logs.file("err");
    const int status = std::system(cmd.c_str());
    const auto text = ReadWholeFile(logs.file("err"));
    if (err != nullptr) err->assign(text.begin(), text.end());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

// The pixels of a PNG file as libpng reads them: RGB rows from the top; empty when unreadable.
std::vector<uint8_t> DecodePng(const std::vector<uint8_t>& file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  return rgb;
}

}  // namespace

TEST_F(Cli, RenderWritesTheHostDefaultRecordAsAFreshModuleRendersItSilently) {
  ASSERT_EQ(quillan("render -o @/t.png --size 64x48"), 0);
  ASSERT_EQ(quillan("render -o @/s.png --size 64x48 --compression small --threads 3"), 0);
  const auto pixels = DecodePng(ReadWholeFile(dir.file("t.png")));
  EXPECT_EQ(DecodePng(ReadWholeFile(dir.file("s.png"))), pixels);
  SetModuleDirectory(QUILLAN_BIN_DIR);
  RenderSession session;
  const TestImage source(24, 64, 48);
  Buf32Owner dest;
  EXPECT_EQ(RunSilentRender(session, HostDefaultRecord(), source.handle(), &dest.handle, nullptr),
            kRenderOk);
  EXPECT_EQ(pixels, ImageBytes(dest.handle));
}

TEST_F(Cli, ARecordFileRendersTheSameBytesEveryTimeAndShowsItsWords) {
  ASSERT_EQ(quillan("record new -o @/r.rec --script '071-123|152-' --template 13 --sample 6 "
                    "--repeat 2.1 --mirror --hue 40 --ring 90 --preset 7"),
            0);
  const std::string render = "render --size 81x60 --record @/r.rec -o @/";
  ASSERT_EQ(quillan(render + "a.bmp --save-record @/s.rec") + quillan(render + "b.bmp"), 0);
  EXPECT_EQ(ReadWholeFile(dir.file("a.bmp")), ReadWholeFile(dir.file("b.bmp")));
  EXPECT_EQ(ReadWholeFile(dir.file("s.rec")), ReadWholeFile(dir.file("r.rec")));
  ASSERT_EQ(quillan("record show @/r.rec >" + logs.file("show")), 0);
  const auto shown = ReadWholeFile(logs.file("show"));
  const std::string text(shown.begin(), shown.end());
  EXPECT_EQ(
      text.substr(0, text.find("  16  ")),
      "record (1348 bytes)\n   0  templateIndex       12  (template 13)\n"
      "   1  repeat              210  (2.10)\n   2  sweepAngle          135\n"
      "   3  hueShift            40\n   4  sweepCentreX        0\n   5  sweepCentreY        0\n"
      "   6  setting6            500\n   7  setting7            50\n"
      "   8  mirror              1\n   9  ring                90\n"
      "  10  pickCount           6\n  11  sampleNumber        6\n"
      "  12  storyboardPosition  1  (replay the script)\n  13  okMarker            1\n"
      "  14  identityOnly        0\n  15  forceReplay         0\n");
  EXPECT_NE(text.find("  273  scriptText          \"[000]071-123|152-()\"\n"), std::string::npos);
}

TEST_F(Cli, AnimateWritesOneGifOrNumberedBitmapsWithDataFromAnyFolder) {
  ASSERT_EQ(quillan("animate -o @/f.gif --script '[000]071-142-065-()' --frames 6 --size 48x36"),
            0);
  const auto gif = ReadGif(ReadWholeFile(dir.file("f.gif")));
  ASSERT_TRUE(gif.has_value());
  EXPECT_EQ(std::tuple(gif->frames.size(), gif->width, gif->height), std::tuple(6u, 48, 36));
  ASSERT_EQ(quillan("animate -o @/one.gif --script '[000]071-142-065-()' --frames 6 --size 48x36 "
                    "--threads 1"),
            0);
  EXPECT_EQ(ReadWholeFile(dir.file("one.gif")), ReadWholeFile(dir.file("f.gif")));
  ASSERT_EQ(quillan("record new -o @/s.rec --script '071-142-065-'") +
                quillan("animate -o @/rec.gif --record @/s.rec --frames 6 --size 48x36"),
            0);  // the storyboard of the record
  EXPECT_EQ(ReadWholeFile(dir.file("rec.gif")), ReadWholeFile(dir.file("f.gif")));
  ASSERT_EQ(quillan("animate -o @/f.bmp --script '071-142|' --data " +
                    std::string(QUILLAN_BIN_DIR) + " --frames 2 --size 8x4"),
            0);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"f.gif", "f000.BMP", "f001.BMP", "one.gif",
                                                     "rec.gif", "s.rec"}));
}

TEST_F(Cli, RefusalsGiveOneLineAnExitCodeAndNoFile) {
  // Arguments, exit code, the message.
  for (auto [args, code, message] :
       {std::tuple{"", 2, "usage:\n  quillan render"},
        {"paint", 2, "quillan: unknown command 'paint' (try quillan --help)\n"},
        {"render -o @/x.tif", 2, "the output must end in .png or .bmp"},
        {"render --hue abc -o @/x.png", 2, "--hue takes a whole number"},
        {"render --compression tiny -o @/x.png", 2, "--compression takes fast or small"},
        {"help paint", 2, "no help for 'paint'"},
        {"render --preset 53 -o @/x.png", 1, "holds presets 1..52; there is no preset 53"},
        {"render --data nowhere -o @/x.png", 2, "no such folder: nowhere"},
        {"render -o @/no/x.png", 1, "/no/x.png: No such file or directory"},
        {"animate -o @/x.gif --script 071- --frames 5", 2, "at least two operations"},
        {"render -o @/x.bmp --size 900000x900000", 1, "needs about 2317428 MiB"},
        {"animate -o @/no/x.gif --script 071-142- --frames 3 --size 8x8", 1, "unable to save"}}) {
    std::string err;
    EXPECT_EQ(quillan(args, &err), code) << args;
    EXPECT_NE(err.find(message), std::string::npos) << err;
    EXPECT_TRUE(!*args || std::count(err.begin(), err.end(), '\n') == 1) << err;
  }
  EXPECT_TRUE(dir.Entries().empty());
}

TEST_F(Cli, HelpPerCommandVersionAndOptionValuesAfterEquals) {
  for (const char* ask : {"help render", "render --help", "help animate", "record -h"}) {
    ASSERT_EQ(quillan(std::string(ask) + " >" + logs.file("out")), 0) << ask;
    const auto out = ReadWholeFile(logs.file("out"));
    const std::string text(out.begin(), out.end());
    EXPECT_TRUE(text.find("--threads") != text.npos || text.find("--hue") != text.npos) << ask;
    EXPECT_NE(text.find("130  stopped by Ctrl-C"), text.npos) << ask;
  }
  EXPECT_EQ(quillan("--version >" + logs.file("out")), 0);
  EXPECT_EQ(ReadWholeFile(logs.file("out")).at(8), '1');
  ASSERT_EQ(quillan("render --size=16x8 --hue=20 -o @/e.png --"), 0);
  EXPECT_EQ(DecodePng(ReadWholeFile(dir.file("e.png"))).size(), 16u * 8 * 3);
}

TEST_F(Cli, PresetsAreListedAndADamagedOrMissingPresetsFileIsNamed) {
  ASSERT_EQ(quillan("presets >" + logs.file("out")), 0);
  const auto out = ReadWholeFile(logs.file("out"));
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 53);
  EXPECT_NE(std::string(out.begin(), out.end()).find("\n  2  0:0b1d4d 40:0f6e8c"),
            std::string::npos);
  std::string err;
  EXPECT_EQ(quillan("render --data " + logs.path().string() + " -o @/x.png", &err),
            0);  // no presets file
  EXPECT_NE(err.find("warning: no presets file"), std::string::npos);
  WriteWholeFile(logs.file("gfill.xpl"), std::vector<uint8_t>(300, '#'));
  EXPECT_EQ(quillan("render --data " + logs.path().string() + " --preset 2 -o @/y.png", &err), 1);
  EXPECT_NE(err.find("gfill.xpl is not a presets file"), std::string::npos);
}

TEST_F(Cli, CtrlCStopsTheRenderWith130AndWritesNothing) {
  // Interrupted once the progress bar shows the render under way.
  const std::string err = logs.file("err");
  const int status = std::system(
      (kQuillan + " render --progress -o " + dir.file("big.png") + " --size 3000x3000 --script " +
       "121-121-121-121-121-121-121-121-121-121- 2>" + err + " & p=$!; for i in $(seq 600); do " +
       "grep -q % " + err + " && break; sleep 0.05; done; kill -INT $p; wait $p")
          .c_str());
  EXPECT_EQ(WEXITSTATUS(status), 130);
  EXPECT_TRUE(dir.Entries().empty());
}

TEST_F(Cli, LibraryPatternsRoundTripThroughAddListRenderExportAndImport) {
  ASSERT_EQ(quillan("record new -o @/a.rec --script 071-142-065- --preset 9 --hue 30"), 0);
  ASSERT_EQ(quillan("record new -o @/b.rec --template 13 --sample 6 --mirror"), 0);
  ASSERT_EQ(quillan("library --library @/lib.pst add --record @/a.rec --name Swirl"), 0);
  ASSERT_EQ(quillan("library --library=@/lib.pst add --record @/b.rec --name 'Str/ipes'"), 0);
  ASSERT_EQ(quillan("library --library @/lib.pst list >@/one.txt"), 0);
  const auto text = ReadWholeFile(dir.file("one.txt"));
  const std::string listed(text.begin(), text.end());
  EXPECT_NE(listed.find("  1  Swirl                   3  [001]071-142-065-()\n"),
            std::string::npos);
  EXPECT_NE(listed.find("  2  Str/ipes                1  [002]136-()\n"), std::string::npos);
  // A pattern, named by its number, renders as the record it came from.
  ASSERT_EQ(quillan("library --library @/lib.pst render 1 -o @/p.png --size 40x30"), 0);
  ASSERT_EQ(quillan("render --record @/a.rec -o @/r.png --size 40x30"), 0);
  EXPECT_EQ(ReadWholeFile(dir.file("p.png")), ReadWholeFile(dir.file("r.png")));
  ASSERT_EQ(quillan("library --library @/lib.pst export @/out"), 0);
  ASSERT_EQ(quillan("render --record @/out/002-Str_ipes.rec -o @/t.png --size 60x60"), 0);
  EXPECT_EQ(DecodePng(ReadWholeFile(dir.file("out/002-Str_ipes.png"))),
            DecodePng(ReadWholeFile(dir.file("t.png"))));
  ASSERT_EQ(quillan("library --library @/two.pst import @/out"), 0);
  ASSERT_EQ(quillan("library --library @/two.pst list >@/two.txt"), 0);
  const auto again = ReadWholeFile(dir.file("two.txt"));
  std::string relisted(again.begin(), again.end()), expected = listed;
  expected.replace(expected.find("Str/"), 4, "Str_");  // the name the file could hold
  EXPECT_EQ(relisted.substr(relisted.find('\n')), expected.substr(expected.find('\n')));
}

TEST_F(Cli, ADamagedLibraryIsRefusedAndNothingIsWritten) {
  ASSERT_EQ(quillan("record new -o @/a.rec"), 0);
  std::ofstream(dir.file("bad.pst")) << "not a list";
  std::string err;
  for (const char* command :
       {"list", "add --record @/a.rec --name X", "import @", "export @/out"}) {
    EXPECT_EQ(quillan(std::string("library --library @/bad.pst ") + command, &err), 1) << command;
    EXPECT_NE(err.find("bad.pst is damaged or is not a pattern library"), std::string::npos) << err;
  }
  EXPECT_EQ(quillan("library --library @/new.pst add --record @/missing.rec --name X"), 1);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.rec", "bad.pst"}));
  const auto bytes = ReadWholeFile(dir.file("bad.pst"));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "not a list");
}
