// quillan: renders textures, writes and shows parameter records, exports
// storyboard animations.
#include <unistd.h>

#include <cstdio>
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

namespace {

const char kUsage[] =
    "usage:\n"
    "  quillan render -o OUT.png|OUT.bmp [--record FILE] [--size WxH] [record options]\n"
    "  quillan animate -o OUT.gif|OUT.bmp --script TEXT --frames F [--record FILE] [--size WxH]\n"
    "  quillan record new -o FILE [record options]\n"
    "  quillan record show FILE\n"
    "record options:\n"
    "  --script TEXT     storyboard such as [000]051-123|() (replayed when rendering)\n"
    "  --template N      pattern template 1..19\n"
    "  --sample N        sample number 1..12\n"
    "  --repeat X.XX     repeat 0.01..5.00\n"
    "  --mirror          mirror the palette position\n"
    "  --hue DEG         hue shift 0..359\n"
    "  --ring DEG        ring 0..359\n"
    "  --preset N        palette ramp preset from gfill.xpl\n"
    "render and animate options:\n"
    "  --threads N       threads to render with, 1..64 (default: one per processor;\n"
    "                    the pixels are the same for any number)\n"
    "  --compression C   PNG packing: fast (default) or small (up to a fifth\n"
    "                    smaller, many times slower)\n"
    "common options:\n"
    "  --data DIR        folder of prismno.dat and gfill.xpl (default: beside quillan)\n";

std::filesystem::path executableDir() {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path(".") : self.parent_path();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  SetModuleDirectory(executableDir());
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
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    return args.empty() ? kExitUsage : 0;
  }
  InstallInterruptHandling();
  const std::string command = args[0];
  args.erase(args.begin());
  if (command == "render") return RunRender(args);
  if (command == "animate") return RunAnimate(args);
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
