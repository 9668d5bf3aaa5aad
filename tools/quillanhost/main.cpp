// quillanhost: a reference host for the module. It loads qlnprism.dll by path
// and calls its two exports as a host image editor does.
//
//   quillanhost [--module DLL] --info
//   quillanhost [--module DLL] --silent --record FILE IN.bmp OUT.bmp
//   quillanhost [--module DLL] --dialog --record FILE [--progress-log LOG] IN.bmp OUT.bmp
//
// With --progress-log every progress notification the module sends (a render
// on OK, an animation export) is appended to LOG as a line "code value".
//
// The record file holds the 1348 bytes the host stores between runs; when it
// is missing it is created from the module's defaults. IN.bmp (24-bit) is the
// host's image; OUT.bmp receives the rendered image.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/bmp_image.h"
#include "model/param_record.h"
#include "platform/x32base/buf32.h"
#include "platform/x32base/buf32_guards.h"
#include "platform/x32comm/x32comm.h"
#include "platform/x32file/replacing_file.h"
#include "platform/xl32iconbtn/xl32iconbtn.h"
#include "plugin/plugin_context.h"
#include "plugin/win/plugin_exports.h"

namespace {

struct Options {
  std::string module;
  std::string mode;
  std::string record;
  std::string progressLog;
  std::vector<std::string> files;
};

struct Module {
  HMODULE handle = nullptr;
  VantrelPlugInGetInfoFn getInfo = nullptr;
  VantrelPlugInActionFn action = nullptr;
  ~Module() {
    if (handle != nullptr) FreeLibrary(handle);
  }
};

int usage() {
  std::fprintf(
      stderr,
      "usage: quillanhost [--module DLL] --info\n"
      "       quillanhost [--module DLL] --silent --record FILE IN.bmp OUT.bmp\n"
      "       quillanhost [--module DLL] --dialog --record FILE [--progress-log LOG] IN.bmp "
      "OUT.bmp\n");
  return 2;
}

std::string exeDirectory() {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return ".";
  return std::filesystem::path(path).parent_path().string();
}

bool loadModule(const std::string& path, Module& m) {
  m.handle = LoadLibraryA(path.c_str());
  if (m.handle == nullptr) {
    std::fprintf(stderr, "quillanhost: cannot load %s (error %lu)\n", path.c_str(), GetLastError());
    return false;
  }
  m.getInfo = reinterpret_cast<VantrelPlugInGetInfoFn>(
      reinterpret_cast<void*>(GetProcAddress(m.handle, kGetInfoExportName)));
  m.action = reinterpret_cast<VantrelPlugInActionFn>(
      reinterpret_cast<void*>(GetProcAddress(m.handle, kActionExportName)));
  if (m.getInfo == nullptr || m.action == nullptr) {
    std::fprintf(stderr, "quillanhost: %s does not export %s and %s\n", path.c_str(),
                 kGetInfoExportName, kActionExportName);
    return false;
  }
  return true;
}

const char* errorText(int32_t code) {
  switch (code) {
    case 1001: return "out of memory";
    case 5200: return "stopped by the user";
    case 0: return "no error recorded";
    default: return "failure";
  }
}

void reportFailure() {
  C32ErrInfo info{};
  c32GetDLLErrInfo(&info);
  std::fprintf(stderr, "quillanhost: the filter failed: error %d (%s), recorded at %d/%d line %d\n",
               info.code, errorText(info.code), info.where, info.file, info.line);
}

int32_t progress(int32_t code, int32_t value, int32_t, intptr_t user) {
  if (auto* log = reinterpret_cast<std::FILE*>(user)) {
    std::fprintf(log, "%d %d\n", code, value);
    std::fflush(log);
  }
  switch (code) {
    case kProgressStart: std::fprintf(stderr, "progress: start at %d\n", value); break;
    case kProgressPosition: std::fprintf(stderr, "\rprogress: %d   ", value); break;
    case kProgressEnd: std::fprintf(stderr, "\rprogress: done at %d\n", value); break;
    default: break;
  }
  return 1;
}

int32_t notify(int32_t code, uint32_t message, intptr_t wParam, void*) {
  std::fprintf(stderr, "notification %#x: message %#x, %lld\n", static_cast<unsigned>(code),
               message, static_cast<long long>(wParam));
  return 0;
}

void printRecord(const ParamRecord& r) {
  std::printf(
      "template: %d\nsample number: %d\nrepeat: %d.%02d\nhue shift: %d\nring: %d\nmirror: %d\n",
      r.templateIndex + 1, r.sampleNumber, r.repeat / 100, r.repeat % 100, r.hueShift, r.ring,
      r.mirror);
  std::printf("render mode: %d\nramp stops: %d", r.storyboardPosition, r.ramp.count);
  const int usable = r.ramp.count < 0 ? 0 : (r.ramp.count > 256 ? 256 : r.ramp.count);
  const int shown = usable < 8 ? usable : 8;
  for (int i = 0; i < shown; ++i)
    std::printf(" (%u %u,%u,%u)", r.ramp.stops[i].position, r.ramp.stops[i].red,
                r.ramp.stops[i].green, r.ramp.stops[i].blue);
  std::printf("%s\nscript: \"%s\"\n", usable > shown ? " ..." : "", ScriptTextOf(r).c_str());
}

int info(Module& m) {
  ParamRecord record{};
  int32_t size = 0;
  char name[kPlugInNameBytes] = {};
  if (m.getInfo(&record, nullptr, &size, name) != 1) {
    std::fprintf(stderr, "quillanhost: %s failed\n", kGetInfoExportName);
    return 1;
  }
  std::printf("name: %s\nrecord size: %d\n", name, size);
  printRecord(record);
  return 0;
}

// The stored record, or the module's defaults stored for the first time.
bool loadRecord(Module& m, const std::string& path, ParamRecord& record) {
  std::string error;
  if (!std::filesystem::exists(path)) {
    if (m.getInfo(&record, nullptr, nullptr, nullptr) != 1) return false;
    const auto bytes = SerializeRecord(record);
    if (!WriteFileAtomically(path, bytes, &error)) {
      std::fprintf(stderr, "quillanhost: %s\n", error.c_str());
      return false;
    }
    std::fprintf(stderr, "created %s with the module's defaults\n", path.c_str());
    return true;
  }
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, kRecordBytes, &bytes, &error)) {
    std::fprintf(stderr, "quillanhost: %s\n", error.c_str());
    return false;
  }
  const auto stored = DeserializeRecord(bytes);
  if (!stored) {
    std::fprintf(stderr, "quillanhost: %s is not a %zu-byte record\n", path.c_str(), kRecordBytes);
    return false;
  }
  record = *stored;
  return true;
}

// Window classes that a host environment provides to the module's dialogs
// (the thumbnail lists and the icon button). The icon button comes from its
// library; the others are registered here as plain windows when nothing else
// has registered them.
void provideHostClasses() {
  InitIconButtonDll();
  for (const char* name : {"X32IIO_CLASS", "XL32IconBtn"}) {
    WNDCLASSA existing{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), name, &existing)) continue;
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = name;
    wc.style = CS_GLOBALCLASS;
    RegisterClassA(&wc);
  }
}

int run(Module& m, const Options& o, int32_t flags) {
  ParamRecord record{};
  if (!loadRecord(m, o.record, record)) return 1;
  std::string error;
  Buf32Owner source, destination;
  if (!LoadBmpImage(o.files[0], &source.handle, &error)) {
    std::fprintf(stderr, "quillanhost: %s\n", error.c_str());
    return 1;
  }
  HostServices services{};
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> log(
      o.progressLog.empty() ? nullptr : std::fopen(o.progressLog.c_str(), "a"), std::fclose);
  if (!o.progressLog.empty() && !log) {
    std::fprintf(stderr, "quillanhost: cannot open %s\n", o.progressLog.c_str());
    return 1;
  }
  services.progress = ProgressBlock{1, progress, reinterpret_cast<intptr_t>(log.get()), 0, 100};
  services.notify = notify;
  PlugInContext context{};
  context.source = source.handle;
  context.destination = &destination.handle;
  context.record = &record;
  context.command = kPlugInCommandRun;
  context.flags = flags;
  context.host = &services;
  c32ResetDLLErrInfo();
  if (flags != kPlugInFlagSilent) provideHostClasses();
  const int32_t result = m.action(nullptr, &context);
  if (result != 1) {
    reportFailure();
    return 1;
  }
  if (destination.handle != 0 &&
      !SaveBmpImage(o.files[1], destination.handle, BmpHeader::kInfo, &error)) {
    std::fprintf(stderr, "quillanhost: %s\n", error.c_str());
    return 1;
  }
  if (flags != kPlugInFlagSilent) {
    // A successful interactive run hands back the record to store.
    if (!WriteFileAtomically(o.record, SerializeRecord(record), &error)) {
      std::fprintf(stderr, "quillanhost: %s\n", error.c_str());
      return 1;
    }
  }
  uint32_t w = 0, h = 0;
  if (buf32GetWHU(destination.handle, &w, &h, nullptr))
    std::printf("%s: %ux%u, %s\n", o.files[1].c_str(), w, h, context.name);
  else
    std::printf("%s: the filter succeeded without an image (parameters only)\n", context.name);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  o.module = (std::filesystem::path(exeDirectory()) / "qlnprism.dll").string();
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--module" && i + 1 < argc) {
      o.module = argv[++i];
    } else if (a == "--record" && i + 1 < argc) {
      o.record = argv[++i];
    } else if (a == "--progress-log" && i + 1 < argc) {
      o.progressLog = argv[++i];
    } else if (a == "--info" || a == "--silent" || a == "--dialog") {
      if (!o.mode.empty()) return usage();
      o.mode = a;
    } else if (!a.empty() && a[0] == '-') {
      return usage();
    } else {
      o.files.push_back(a);
    }
  }
  if (o.mode.empty()) return usage();
  if (o.mode != "--info" && (o.record.empty() || o.files.size() != 2)) return usage();
  if (o.mode == "--info" && !o.files.empty()) return usage();
  Module m;
  if (!loadModule(o.module, m)) return 1;
  if (o.mode == "--info") return info(m);
  return run(m, o, o.mode == "--silent" ? kPlugInFlagSilent : kPlugInFlagRender);
}
