// quillan: renders textures, writes and shows parameter records, exports
// storyboard animations.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "commands.h"
#include "model/module_path.h"
#include "platform/x32comm/x32comm.h"
#include "plugin/plugin_info.h"
#include "progress_bar.h"
#include "sheet.h"

namespace {

const char kUsage[] =
    "usage:\n"
    "  quillan render -o OUT.png|OUT.bmp [--record FILE] [--size WxH] [record options]\n"
    "  quillan animate -o OUT.gif|OUT.bmp --script TEXT --frames F [--record FILE] [--size WxH]\n"
    "  quillan record new -o FILE [record options]\n"
    "  quillan record show [--json] FILE\n"
    "  quillan library list | render NAME|NUMBER -o OUT | add | export DIR | import DIR\n"
    "  quillan presets     the palette ramp presets of gfill.xpl, stop by stop\n"
    "  quillan templates   the 19 pattern templates\n"
    "  quillan sheet -o OUT.png [--presets | --template N] [--size WxH] [record options]\n"
    "                      the templates (or presets, or one template's 12 sample\n"
    "                      numbers) side by side, labelled\n"
    "  quillan ramps list|export DIR [--samples FILE]   the Palette Ramp Editor's samples\n"
    "record options:\n"
    "  --script TEXT     storyboard such as [000]051-123|() (replayed when rendering)\n"
    "  --template N      pattern template 1..19\n"
    "  --sample N        sample number 1..12\n"
    "  --repeat X.XX     repeat 0.01..5.00\n"
    "  --mirror          mirror the palette position\n"
    "  --hue DEG         hue shift 0..359\n"
    "  --ring DEG        ring 0..359\n"
    "  --preset N|NAME   palette ramp preset from gfill.xpl, by number or name\n"
    "render and animate options:\n"
    "  --threads N       threads to render with, 1..64 (default: one per processor;\n"
    "                    the pixels are the same for any number)\n"
    "  --compression C   PNG packing: fast (default) or small (up to a fifth\n"
    "                    smaller, many times slower)\n"
    "common options:\n"
    "  --data DIR        folder of prismno.dat and gfill.xpl (default: beside quillan)\n"
    "  --version         the program's version\n"
    "  --quiet           no progress bar (it shows only on a terminal anyway)\n"
    "  --progress        the progress bar even when stderr is not a terminal\n"
    "Options take their value as the next argument or after '='; '--' ends the options.\n"
    "quillan help COMMAND (or COMMAND --help) describes a command's options.\n";

const char kVersion[] = "quillan 1.1\n";

const char kExitCodes[] =
    "exit codes:\n"
    "  0    done\n"
    "  1    the work failed (a file that cannot be read or written, not enough memory)\n"
    "  2    usage error: an unknown command or option, a value out of range\n"
    "  130  stopped by Ctrl-C; nothing was written\n";

const char kRenderHelp[] =
    "quillan render -o OUT.png|OUT.bmp [options]\n"
    "Renders one texture, as the module's silent run renders its stored record.\n"
    "options:\n"
    "  -o FILE            the picture: .png (written as the rows are made) or .bmp;\n"
    "                     - writes the PNG to standard output\n"
    "  --record FILE      start from a stored 1348-byte record (default: the record the\n"
    "                     module hands a host: template 5, sample 3, ramp preset 2); a\n"
    "                     record with a field no dialog could set is refused\n"
    "  --lenient          render such a record anyway, as the module's silent run would\n"
    "  --size WxH         2..1048576 each (default 640x480)\n"
    "  --threads N        1..64 (default: one per processor; the same pixels for any N)\n"
    "  --compression C    PNG packing: fast (default) or small (slower, up to a fifth\n"
    "                     smaller)\n"
    "  --save-record FILE keep the record that made the picture\n"
    "  --random           a random storyboard of 1 to 5 operations with a random preset,\n"
    "                     hue, ring, repeat and mirror (record options given win);\n"
    "                     the seed is printed unless --seed N (0..2147483647) gives it\n"
    "  record options     see quillan help record\n";

const char kAnimateHelp[] =
    "quillan animate -o OUT.gif|OUT.bmp --script TEXT --frames F [options]\n"
    "Exports a storyboard as an animated GIF (looping, 256 colours a frame) or as\n"
    "numbered BMP files (OUT000.BMP, OUT001.BMP, ...).\n"
    "options:\n"
    "  -o FILE            .gif, or .bmp for a sequence\n"
    "  --script TEXT      the storyboard: at least two operations (default: the one\n"
    "                     in the --record file)\n"
    "  --frames F         2..900 frames spread evenly over the storyboard\n"
    "  --record FILE      colours, repeat and mirror from a stored record\n"
    "  --lenient          take a record with fields no dialog could set\n"
    "  --delay D          a GIF frame's time in hundredths of a second, 1..65535\n"
    "                     (default 10)\n"
    "  --size WxH         2..1048576 each (default 640x480)\n"
    "  --threads N        1..64 (default: one per processor)\n"
    "  record options     see quillan help record\n";

const char kRecordHelp[] =
    "quillan record new -o FILE [--record FILE] [record options]\n"
    "quillan record show [--json] FILE\n"
    "Writes a parameter record as a host stores it (1348 bytes), or shows every field\n"
    "with its value, range and meaning, marking the fields outside what the dialogs\n"
    "produce (--json: the same as one JSON object).\n"
    "record options (each sets the words it names and leaves the others):\n"
    "  --script TEXT      storyboard such as [000]051-123|() or 051-123|: two-digit\n"
    "                     template 01..19, sample digit, '-' applied or '|' sample only;\n"
    "                     at most 62 operations; the render replays it\n"
    "  --template N       pattern template 1..19\n"
    "  --sample N         sample number 1..12 (how the two map values combine)\n"
    "  --repeat X.XX      0.01..5.00\n"
    "  --mirror           mirror the palette position\n"
    "  --hue DEG          hue shift 0..359\n"
    "  --ring DEG         ring 0..359\n"
    "  --preset N|NAME    palette ramp preset of gfill.xpl by number or by name such as\n"
    "                     Lagoon (quillan presets lists them;\n"
    "                     a preset missing or damaged in the file is an error)\n";

const char kRampsHelp[] =
    "quillan ramps list [--samples FILE]\n"
    "quillan ramps export DIR [--samples FILE]\n"
    "The ramp samples the Palette Ramp Editor keeps (Data/gfill.cfg beside quillan,\n"
    "or beside --data DIR). list shows each sample's number, stop count, hue shift,\n"
    "ring and name; export writes DIR/sample-NNN.png, its 60x60 thumbnail, and\n"
    "DIR/sample-NNN.txt, its ramp as a one-preset presets file (usable as gfill.xpl).\n"
    "A missing or damaged samples file is named and nothing is written.\n"
    "options:\n"
    "  --samples FILE     the samples file to read\n";

const char kLibraryHelp[] =
    "quillan library [--library FILE] COMMAND\n"
    "Works on the pattern library the module's Load Lib and Add To Lib dialogs keep\n"
    "(default: Data/prlib.pst beside quillan, or in the --data folder).\n"
    "commands:\n"
    "  list                      each pattern's number, name, operation count and script\n"
    "  render NAME|NUMBER -o OUT [--size WxH]\n"
    "                            renders a pattern as the module renders it once loaded\n"
    "                            (.png or .bmp, default 640x480)\n"
    "  add --record FILE --name NAME\n"
    "                            adds the storyboard and colours of a stored record under\n"
    "                            NAME (1 to 50 characters); makes the library if missing\n"
    "  export DIR                writes NNN-NAME.rec (the record that renders the pattern)\n"
    "                            and NNN-NAME.png (its thumbnail) for every pattern\n"
    "  import DIR                adds every .rec file of DIR, in name order, named after\n"
    "                            the file (without a leading NNN-)\n"
    "A library file that is damaged or of another kind is refused and left as it is;\n"
    "the library is written under a temporary name and renamed into place, so a\n"
    "failed command leaves it as it was.\n";

// The help of one command, or null.
const char* commandHelp(const std::string& command) {
  if (command == "render") return kRenderHelp;
  if (command == "animate") return kAnimateHelp;
  if (command == "record") return kRecordHelp;
  if (command == "ramps") return kRampsHelp;
  if (command == "library") return kLibraryHelp;
  return nullptr;
}

// "--size=640x480" is "--size 640x480"; after "--" nothing is split.
void splitOptionValues(std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--") {
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
    const size_t eq = args[i].find('=');
    if (args[i].rfind("--", 0) != 0 || eq == std::string::npos) continue;
    std::string value = args[i].substr(eq + 1);
    args[i].resize(eq);
    args.insert(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(value));
    ++i;
  }
}

// Where the data files are: beside the program in a build tree, under
// share/quillan of the prefix once installed (PREFIX/bin/quillan).
std::filesystem::path dataDir() {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  const std::filesystem::path bin = ec ? std::filesystem::path(".") : self.parent_path();
  const std::filesystem::path installed = bin.parent_path() / "share" / "quillan";
  if (!std::filesystem::exists(bin / "gfill.xpl", ec) &&
      std::filesystem::exists(installed / "gfill.xpl", ec))
    return installed;
  return bin;
}

// The manual page, made from the same texts as the help.
void printManPage() {
  auto roff = [](const char* text) {
    std::string out;
    bool lineStart = true;
    for (const char* p = text; *p != '\0'; ++p) {
      if (lineStart && (*p == '.' || *p == '\'')) out += "\\&";
      if (*p == '\\')
        out += "\\e";
      else if (*p == '-')
        out += "\\-";
      else
        out += *p;
      lineStart = *p == '\n';
    }
    return out;
  };
  const std::string version(kVersion + 8, std::strlen(kVersion) - 9);  // "quillan " ... "\n"
  std::printf(".TH QUILLAN 1 \"\" \"quillan %s\" \"User Commands\"\n", version.c_str());
  std::printf(".SH NAME\nquillan \\- render textures of stacked pattern templates\n");
  std::printf(".SH SYNOPSIS\n.nf\n%s.fi\n", roff(kUsage).c_str());
  for (const char* command : {"render", "animate", "record", "library", "ramps"})
    std::printf(".SH %s\n.nf\n%s.fi\n", command, roff(commandHelp(command)).c_str());
  std::printf(".SH EXIT STATUS\n.nf\n%s.fi\n", roff(kExitCodes).c_str());
  std::printf(
      ".SH FILES\n.nf\nshare/quillan/gfill.xpl    palette ramp presets\n"
      "share/quillan/prismno.dat  factory patterns\n.fi\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  splitOptionValues(args);
  // --quiet and --progress apply to every command.
  for (const char* flag : {"--quiet", "--progress"}) {
    const auto at = std::find(args.begin(), args.end(), flag);
    if (at == args.end()) continue;
    SetProgressBarShown(std::string(flag) == "--progress");
    args.erase(at);
  }
  SetModuleDirectory(dataDir());
  // --data applies to every command.
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--data") continue;
    if (i + 1 >= args.size()) return Fail(kExitUsage, "--data needs a folder");
    if (!std::filesystem::is_directory(args[i + 1]))
      return Fail(kExitUsage, "--data: no such folder: " + args[i + 1]);
    SetModuleDirectory(args[i + 1]);
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
               args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
    break;
  }
  if (!args.empty() && args[0] == "--version") return std::fputs(kVersion, stdout), 0;
  if (!args.empty() && args[0] == "--man-page") return printManPage(), 0;
  // "help COMMAND" and "COMMAND --help" show that command's options.
  const bool askedHelp =
      args.size() >= 2 && (args[0] == "help" || args[1] == "--help" || args[1] == "-h");
  if (askedHelp) {
    const char* help = commandHelp(args[0] == "help" ? args[1] : args[0]);
    if (help == nullptr)
      return Fail(kExitUsage, "no help for '" + (args[0] == "help" ? args[1] : args[0]) +
                                  "' (try quillan --help)");
    std::fputs(help, stdout);
    std::fputs(kExitCodes, stdout);
    return 0;
  }
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    if (!args.empty()) std::fputs(kExitCodes, stdout);
    return args.empty() ? kExitUsage : 0;
  }
  InstallInterruptHandling();
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "render") return RunRender(args);
  if (command == "animate") return RunAnimate(args);
  if (command == "presets") return RunPresets(args);
  if (command == "templates") return RunTemplates(args);
  if (command == "sheet") return RunSheet(args);
  if (command == "ramps") return RunRamps(args);
  if (command == "library") return RunLibrary(args);
  if (command == "record") {
    if (args.empty()) return Fail(kExitUsage, "record needs 'new' or 'show'");
    const std::string sub = args[0];
    args.erase(args.begin());
    if (sub == "new") return RunRecordNew(args);
    if (sub == "show") return RunRecordShow(args);
    return Fail(kExitUsage, "unknown record command '" + sub + "' (use 'new' or 'show')");
  }
  return Fail(kExitUsage, "unknown command '" + command + "' (try quillan --help)");
}
