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
#include "common/test_images.h"
#include "engine/renderer.h"
#include "library/ramp_samples.h"
#include "model/module_path.h"
#include "palette/presets.h"
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
  for (const char* line :
       {"\n   1  repeat              210          1..500 ", "\n   8  mirror              1 ",
        "\n  11  sampleNumber        6 ", "\n      stop   6: position 215  rgb 242 230 214\n",
        "\n 273  scriptText          \"[000]071-123|152-()\"\n"})
    EXPECT_NE(text.find(line), std::string::npos) << line;
  EXPECT_EQ(text.find("OUTSIDE"), std::string::npos);

  // A record no dialog could make is refused with the field named, unless asked to render it.
  auto bytes = ReadWholeFile(dir.file("r.rec"));
  bytes[4] = 0xF4;  // repeat 244 + 2 * 256
  bytes[5] = 0x02;
  std::fill(bytes.begin() + 0x444, bytes.end(), 'x');  // and a script text without an end
  WriteWholeFile(dir.file("odd.rec"), bytes);
  std::string err;
  const std::string odd = "render --size 8x6 --record @/odd.rec -o @/odd.png";
  EXPECT_EQ(quillan(odd, &err), 1);
  EXPECT_NE(err.find("odd.rec: repeat is 756, outside 1..500"), std::string::npos) << err;
  EXPECT_EQ(quillan(odd + " --lenient"), 0);
  ASSERT_EQ(quillan("record show --json @/odd.rec >" + logs.file("json")), 0);
  const auto json = ReadWholeFile(logs.file("json"));
  const std::string js(json.begin(), json.end());
  EXPECT_NE(js.find("\"problems\": [\"repeat is 756, outside 1..500\", \"scriptText has no end"),
            std::string::npos)
      << js;
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
  ASSERT_EQ(quillan("animate -o @/slow.gif --record @/s.rec --frames 2 --size 4x4 --delay 250"), 0);
  EXPECT_EQ(gif->frames[5].delay, 10);
  EXPECT_EQ(ReadGif(ReadWholeFile(dir.file("slow.gif")))->frames[1].delay, 250);
  ASSERT_EQ(quillan("animate -o @/f.bmp --script '071-142|' --data " +
                    std::string(QUILLAN_BIN_DIR) + " --frames 2 --size 8x4"),
            0);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"f.gif", "f000.BMP", "f001.BMP", "one.gif",
                                                     "rec.gif", "s.rec", "slow.gif"}));
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
        {"render --preset Lagon -o @/x.png", 1, "no preset named 'Lagon' in "},
        {"render --data nowhere -o @/x.png", 2, "no such folder: nowhere"},
        {"render -o @/no/x.png", 1, "/no/x.png: No such file or directory"},
        {"templates >/dev/full", 1, "cannot write standard output: No space left on device"},
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
  // Long enough for a progress bar, which a log file does not get.
  std::string err;
  ASSERT_EQ(quillan("render --size 16x8 --hue 20 -o - >" + dir.file("out.png"), &err), 0);
  ASSERT_EQ(
      quillan("render --size 3000x2000 --threads 1 --script 121-121-121-121-121-121- -o @/big.png",
              &err),
      0);
  EXPECT_EQ(err, "");
  EXPECT_EQ(ReadWholeFile(dir.file("out.png")), ReadWholeFile(dir.file("e.png")));
}

TEST_F(Cli, PresetsAreListedAndADamagedOrMissingPresetsFileIsNamed) {
  ASSERT_EQ(quillan("presets >" + logs.file("out")), 0);
  const auto out = ReadWholeFile(logs.file("out"));
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 53);
  EXPECT_NE(std::string(out.begin(), out.end()).find("\n  2  Lagoon         0:0b1d4d 40:0f6e8c"),
            std::string::npos);
  ASSERT_EQ(quillan("render --size 8x8 -o @/2.png --preset 2") +
                quillan("render --size 8x8 -o @/n.png --preset lagoon"),
            0);
  EXPECT_EQ(ReadWholeFile(dir.file("n.png")), ReadWholeFile(dir.file("2.png")));
  // A random texture comes back from its seed, and its saved record renders it again.
  const std::string random = "render --size 24x16 --random --seed 41 ";
  ASSERT_EQ(quillan(random + "-o @/r1.png --save-record @/r.rec") +
                quillan(random + "-o @/r2.png") +
                quillan("render --size 24x16 --record @/r.rec -o @/r3.png"),
            0);
  EXPECT_EQ(ReadWholeFile(dir.file("r2.png")), ReadWholeFile(dir.file("r1.png")));
  EXPECT_EQ(ReadWholeFile(dir.file("r3.png")), ReadWholeFile(dir.file("r1.png")));
  EXPECT_NE(ReadWholeFile(dir.file("r1.png")), ReadWholeFile(dir.file("2.png")));
  std::string err;
  EXPECT_EQ(quillan("render --data " + logs.path().string() + " -o @/x.png", &err),
            0);  // no presets file
  EXPECT_NE(err.find("warning: no presets file"), std::string::npos);
  WriteWholeFile(logs.file("gfill.xpl"), std::vector<uint8_t>(300, '#'));
  EXPECT_EQ(quillan("render --data " + logs.path().string() + " --preset 2 -o @/y.png", &err), 1);
  EXPECT_NE(err.find("gfill.xpl is not a presets file"), std::string::npos);
}

TEST_F(Cli, ASheetShowsEachCellAsItsOwnRenderWithALabelUnderIt) {
  ASSERT_EQ(quillan("sheet --template 7 --size 16x12 --hue 30 -o @/s.png"), 0);
  const auto sheet = DecodePng(ReadWholeFile(dir.file("s.png")));
  const int width = 5 * (16 + 4) + 4;  // 5 columns, 3 rows of 12 samples
  ASSERT_EQ(sheet.size(), size_t(width) * (3 * (12 + 16) + 4) * 3);
  for (const int sample : {1, 12}) {
    ASSERT_EQ(quillan("render --template 7 --sample " + std::to_string(sample) +
                      " --size 16x12 --hue 30 -o @/c.png"),
              0);
    const auto cell = DecodePng(ReadWholeFile(dir.file("c.png")));
    const int left = 4 + (sample - 1) % 5 * 20, top = 4 + (sample - 1) / 5 * 28;
    for (int y = 0; y < 12; ++y)
      ASSERT_TRUE(std::equal(cell.begin() + y * 48, cell.begin() + y * 48 + 48,
                             sheet.begin() + ((top + y) * width + left) * 3))
          << sample << " row " << y;
    // The label's first glyph, "7", starts with a bar three pixels wide, twice over.
    const auto label = sheet.begin() + ((top + 15) * width + left) * 3;
    std::vector<uint8_t> bar(24, 230);
    std::fill(bar.begin() + 18, bar.end(), 32);
    EXPECT_EQ(std::vector(label, label + 24), bar);
  }
}

TEST_F(Cli, InstalledItFindsItsDataFromAnyFolderAndBringsItsManualPage) {
  const std::string prefix = logs.file("usr");
  ASSERT_EQ(
      std::system(
          ("cmake --install " QUILLAN_BUILD_DIR " --prefix " + prefix + " >/dev/null").c_str()),
      0);
  ASSERT_EQ(quillan("render --size 24x16 --preset 9 -o @/here.png"), 0);
  const std::string run = "cd " + dir.path().string() + " && " + prefix +
                          "/bin/quillan render --size 24x16 --preset 9 -o there.png";
  ASSERT_EQ(std::system(run.c_str()), 0);
  EXPECT_EQ(ReadWholeFile(dir.file("there.png")), ReadWholeFile(dir.file("here.png")));
  const auto man = ReadWholeFile(prefix + "/share/man/man1/quillan.1");
  EXPECT_NE(std::string(man.begin(), man.end()).find("\\-\\-lenient"), std::string::npos);
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

TEST_F(Cli, RampsListAndExportTheSamplesFileAndNameAMissingOrDamagedOne) {
  const std::string cfg = dir.file("gfill.cfg");
  {
    RampSampleList list;
    ASSERT_TRUE(list.Open(cfg));
    const TestBuffer thumb(60, 60);
    list.Add("Dusk", RampSample{120, 45, {1, {{10, 255, 0, 0}}}}, thumb.handle);
    list.Add("Two", RampSample{0, 0, {2, {{0, 1, 2, 3}, {255, 4, 5, 6}}}}, thumb.handle);
    ASSERT_TRUE(list.Save(cfg));
  }
  ASSERT_EQ(quillan("ramps list --samples " + cfg + " >" + logs.file("out")), 0);
  const auto listed = ReadWholeFile(logs.file("out"));
  EXPECT_NE(std::string(listed.begin(), listed.end())
                .find("  1    1  120   45  Dusk\n  2    2    0    0  Two\n"),
            std::string::npos);
  ScratchDir out;
  ASSERT_EQ(quillan("ramps export " + out.path().string() + " --samples=" + cfg), 0);
  EXPECT_EQ(out.Entries(), (std::vector<std::string>{"sample-001.png", "sample-001.txt",
                                                     "sample-002.png", "sample-002.txt"}));
  // The ramp text reads back as a presets file; the thumbnail shows red turned 120 degrees.
  PaletteRamp ramp{};
  LoadRampPreset(1, ramp, out.path() / "sample-002.txt");
  EXPECT_TRUE(ramp.count == 2 && ramp.stops[1].position == 255 && ramp.stops[1].blue == 6);
  const auto rgb = DecodePng(ReadWholeFile(out.file("sample-001.png")));
  ASSERT_EQ(rgb.size(), 60u * 60 * 3);
  EXPECT_EQ(std::vector<uint8_t>(rgb.begin() + (30 * 60 + 9) * 3, rgb.begin() + (30 * 60 + 10) * 3),
            (std::vector<uint8_t>{0, 255, 0}));
  WriteWholeFile(dir.file("bad.cfg"), std::vector<uint8_t>(64, 7));
  for (auto [args, code, message] :
       {std::tuple{"ramps list --samples @/none.cfg", 1, "no ramp samples file"},
        {"ramps list --samples @/bad.cfg", 1, "bad.cfg is damaged or not a ramp samples file"},
        {"ramps export @/nowhere --samples @/gfill.cfg", 1, "no such folder"},
        {"ramps show", 2, "ramps needs 'list' or 'export DIR'"}}) {
    std::string err;
    EXPECT_EQ(quillan(args, &err), code) << args;
    EXPECT_NE(err.find(message), std::string::npos) << err;
  }
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"bad.cfg", "gfill.cfg"}));
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
