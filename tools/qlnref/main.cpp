// qlnref: reference outputs of the portable core for the Windows module.
//
//   qlnref resources DIR           the bitmap and cursor resources of the module
//   qlnref render RECORD IN OUT    a silent run of a stored record (1348 bytes)
//                                  on an image the size of IN.bmp, written as OUT.bmp
//   qlnref compare A.bmp B.bmp     how many pixels differ, and by how much
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/bmp_image.h"
#include "engine/renderer.h"
#include "model/module_path.h"
#include "model/param_record.h"
#include "model/ramp.h"
#include "palette/presets.h"
#include "platform/x32base/buf32_guards.h"
#include "platform/x32comm/x32comm.h"
#include "platform/x32file/replacing_file.h"
#include "plugin/plugin_action.h"
#include "plugin/render_call.h"
#include "resource_art.h"

namespace {

constexpr int kThumbnailSide = 60;
constexpr int kTemplateCount = 19;

int usage() {
  std::fprintf(stderr,
               "usage: qlnref resources DIR\n"
               "       qlnref render RECORD IN.bmp OUT.bmp\n"
               "       qlnref compare A.bmp B.bmp\n");
  return 2;
}

int failWith(const std::string& message) {
  std::fprintf(stderr, "qlnref: %s\n", message.c_str());
  return 1;
}

// The ramp the module's default record carries: preset 2 of the presets
// file beside the tool (black to white without the file).
PaletteRamp defaultRamp() {
  PaletteRamp ramp = DefaultRamp();
  LoadRampPreset(2, ramp);
  return ramp;
}

int writeResources(const std::filesystem::path& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) return failWith("cannot create " + dir.string() + ": " + ec.message());
  std::string error;
  Buf32Owner source;
  if (!buf32Alloc(&source.handle, 24, kThumbnailSide, kThumbnailSide, 0, nullptr))
    return failWith("out of memory");
  Buf32Desc desc{};
  buf32GetInfo(source.handle, &desc);
  for (int t = 0; t < kTemplateCount; ++t) {
    RenderSession session;
    ParamRecord record = DefaultRecordForHost();
    record.templateIndex = t;
    record.ramp = defaultRamp();
    Buf32Owner thumb;
    if (!RenderThumbnail(session, &record, kRenderKindTexture, desc, kThumbnailSide, kThumbnailSide,
                         source.handle, &thumb.handle))
      return failWith("render of template " + std::to_string(t + 1) + " failed, code " +
                      std::to_string(c32GetDLLErrInfo(nullptr)));
    char name[32];
    std::snprintf(name, sizeof name, "template%02d.bmp", t + 1);
    if (!SaveBmpImage(dir / name, thumb.handle, BmpHeader::kCore, &error)) return failWith(error);
  }
  if (!WriteFileAtomically(dir / "mirror.bmp", MirrorBitmapFile(), &error) ||
      !WriteFileAtomically(dir / "hue_drag.cur", HueDragCursorFile(), &error))
    return failWith(error);
  return 0;
}

int render(const char* recordPath, const char* inPath, const char* outPath) {
  std::string error;
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(recordPath, kRecordBytes, &bytes, &error)) return failWith(error);
  const std::optional<ParamRecord> stored = DeserializeRecord(bytes);
  if (!stored) return failWith(std::string(recordPath) + " is not a 1348-byte record");
  Buf32Owner source, dest;
  if (!LoadBmpImage(inPath, &source.handle, &error)) return failWith(error);
  ParamRecord record = *stored;
  PlugInContext context{};
  context.source = source.handle;
  context.destination = &dest.handle;
  context.record = &record;
  context.command = kPlugInCommandRun;
  context.flags = kPlugInFlagSilent;
  RenderSession session;
  if (RunPlugInAction(&context, session, nullptr) != 1)
    return failWith("the silent run failed, code " + std::to_string(c32GetDLLErrInfo(nullptr)));
  if (!SaveBmpImage(outPath, dest.handle, BmpHeader::kInfo, &error)) return failWith(error);
  return 0;
}

int compare(const char* aPath, const char* bPath) {
  std::string error;
  Buf32Owner a, b;
  if (!LoadBmpImage(aPath, &a.handle, &error) || !LoadBmpImage(bPath, &b.handle, &error))
    return failWith(error);
  uint32_t aw = 0, ah = 0, bw = 0, bh = 0;
  buf32GetWHU(a.handle, &aw, &ah, nullptr);
  buf32GetWHU(b.handle, &bw, &bh, nullptr);
  if (aw != bw || ah != bh) return failWith("the images differ in size");
  buf32Lock(a.handle, kBuf32Read, nullptr);
  buf32Lock(b.handle, kBuf32Read, nullptr);
  uint64_t differing = 0, channelSum = 0;
  int largest = 0;
  for (uint32_t y = 0; y < ah; ++y) {
    const uint8_t* pa = buf32PointAddr(a.handle, 0, static_cast<int>(y));
    const uint8_t* pb = buf32PointAddr(b.handle, 0, static_cast<int>(y));
    for (uint32_t x = 0; x < aw; ++x) {
      int worst = 0;
      for (int c = 0; c < 3; ++c) {
        const int d = std::abs(pa[3 * x + c] - pb[3 * x + c]);
        channelSum += static_cast<uint64_t>(d);
        if (d > worst) worst = d;
      }
      if (worst > 0) ++differing;
      if (worst > largest) largest = worst;
    }
  }
  buf32Unlock(a.handle);
  buf32Unlock(b.handle);
  const uint64_t total = static_cast<uint64_t>(aw) * ah;
  std::printf(
      "%llu of %llu pixels differ; largest channel difference %d; mean channel difference %.6f\n",
      static_cast<unsigned long long>(differing), static_cast<unsigned long long>(total), largest,
      static_cast<double>(channelSum) / static_cast<double>(3 * total));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Companion files are found beside the tool, as they are beside the module.
  SetModuleDirectory(std::filesystem::absolute(argv[0]).parent_path());
  if (argc == 3 && std::strcmp(argv[1], "resources") == 0) return writeResources(argv[2]);
  if (argc == 5 && std::strcmp(argv[1], "render") == 0) return render(argv[2], argv[3], argv[4]);
  if (argc == 4 && std::strcmp(argv[1], "compare") == 0) return compare(argv[2], argv[3]);
  return usage();
}
