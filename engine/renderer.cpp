#include "engine/renderer.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine/script.h"
#include "platform/x32comm/x32comm.h"

namespace {

constexpr int32_t kSourceFile = 21;  // locates failures recorded from this file

void recordFailure(int code, int line) { c32SetDLLErrInfo(0, code, 0, 72000, kSourceFile, line); }

// The identity coordinate of index i on an axis of n pixels: 0 .. 1.
double identity(int i, int n) {
  return n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0.0;
}

}  // namespace

bool CoordinateMap::create(int width, int height, int32_t model) {
  release();
  Buf32Handle h = 0;
  if (!buf32Alloc(&h, 64, width, height, model, nullptr)) return false;
  if (!buf32Lock(h, kBuf32ReadWrite, nullptr)) {
    buf32Free(h);
    return false;
  }
  handle_ = h;
  return true;
}

void CoordinateMap::release() {
  if (handle_ == 0) return;
  buf32Unlock(handle_);
  buf32Free(handle_);
  handle_ = 0;
}

int Renderer::createMaps(int width, int height, int32_t model) {
  if (!curX_.create(width, height, model) || !curY_.create(width, height, model) ||
      !resX_.create(width, height, model) || !resY_.create(width, height, model)) {
    FreeMaps();
    return kRenderOutOfMemory;
  }
  width_ = width;
  height_ = height;
  return kRenderOk;
}

void Renderer::FreeMaps() {
  curX_.release();
  curY_.release();
  resX_.release();
  resY_.release();
  width_ = height_ = 0;
  mapsReady_ = false;
}

void Renderer::ResetMaps() {
  freshCount_ = 1;
  if (!curX_.valid()) return;
  for (int y = 0; y < height_; ++y) {
    double *cx = curX_.row(y), *cy = curY_.row(y), *rx = resX_.row(y), *ry = resY_.row(y);
    const double fy = identity(y, height_);
    for (int x = 0; x < width_; ++x) {
      cx[x] = rx[x] = identity(x, width_);
      cy[x] = ry[x] = fy;
    }
  }
}

void Renderer::CommitMaps() {
  if (!curX_.valid()) return;
  const size_t bytes = static_cast<size_t>(width_) * sizeof(double);
  for (int y = 0; y < height_; ++y) {
    std::memcpy(curX_.row(y), resX_.row(y), bytes);
    std::memcpy(curY_.row(y), resY_.row(y), bytes);
  }
}

void Renderer::SaveMaps() {
  if (!curX_.valid()) return;
  const size_t bytes = static_cast<size_t>(width_) * sizeof(double);
  for (int y = 0; y < height_; ++y) {
    std::memcpy(resX_.row(y), curX_.row(y), bytes);
    std::memcpy(resY_.row(y), curY_.row(y), bytes);
  }
}

bool Renderer::mapValues(int x, int y, double out[4]) const {
  if (!curX_.valid() || x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  out[0] = curX_.row(y)[x];
  out[1] = curY_.row(y)[x];
  out[2] = resX_.row(y)[x];
  out[3] = resY_.row(y)[x];
  return true;
}

int Renderer::applyTemplatePass(int t, RowProgress& progress) {
  ++templatePasses_;
  for (int y = 0; y < height_; ++y) {
    ApplyTemplateRow(t, curX_.row(y), curY_.row(y), resX_.row(y), resY_.row(y), width_, constants_);
    if (const int code = progress.afterRow(); code != kRenderOk) return code;
  }
  return kRenderOk;
}

int Renderer::TemplatePass(int t, const ProgressBlock* progress) {
  if (!mapsReady_) return kRenderOutOfMemory;
  RowProgress rows(progress != nullptr ? *progress : kQuietProgress);
  rows.setTotalRows(height_);
  return applyTemplatePass(t, rows);
}

namespace {

// One row of the colouring pass with the sample number fixed at compile time.
template <int N>
void colourRow(const double* cx, const double* cy, const double* rx, const double* ry, uint8_t* out,
               int width, int mirror, double repeat, const PaletteTable& table) {
  for (int x = 0; x < width; ++x) {
    const double v = CombineMaps(N, rx[x], ry[x], cx[x], cy[x]);
    const Rgb c = LookupColour(ShapeValue(v, mirror, repeat), table);
    out[3 * x] = c.red;
    out[3 * x + 1] = c.green;
    out[3 * x + 2] = c.blue;
  }
}

using ColourRowFn = void (*)(const double*, const double*, const double*, const double*, uint8_t*,
                             int, int, double, const PaletteTable&);

// Sample numbers 1..12; any other number combines as 3 does.
constexpr ColourRowFn kColourRows[13] = {colourRow<3>, colourRow<1>, colourRow<2>,  colourRow<3>,
                                         colourRow<4>, colourRow<5>, colourRow<6>,  colourRow<7>,
                                         colourRow<8>, colourRow<9>, colourRow<10>, colourRow<11>,
                                         colourRow<12>};

}  // namespace

int Renderer::evaluate(const ParamRecord& record, int sampleNumber, const PaletteTable& table,
                       Buf32Handle destination, const RowProgress* escape) {
  const double repeat = record.repeat * 0.01;
  const ColourRowFn colour =
      kColourRows[sampleNumber >= 1 && sampleNumber <= 12 ? sampleNumber : 0];
  for (int y = 0; y < height_; ++y) {
    uint8_t* out = buf32PointAddr(destination, 0, y);
    if (out == nullptr) return kRenderOutOfMemory;
    colour(curX_.row(y), curY_.row(y), resX_.row(y), resY_.row(y), out, width_, record.mirror,
           repeat, table);
    if (escape != nullptr && escape->escapePressed()) return kRenderStopped;
  }
  return kRenderOk;
}

namespace {

PaletteTable makeTable(const ParamRecord& record) {
  PaletteTable table{};
  BuildPaletteTable(record.hueShift, record.ramp, table, 1);
  RotatePaletteTable(table, record.ring);
  return table;
}

bool sizeMatches(Buf32Handle image, int width, int height) {
  Buf32Desc d{};
  return buf32GetInfo(image, &d) && d.w[kBuf32DescBitsPerPixel] == 24 &&
         d.w[kBuf32DescWidth] == width && d.w[kBuf32DescHeight] == height;
}

}  // namespace

int Renderer::EvaluateImage(const ParamRecord& record, Buf32Handle, Buf32Handle destination,
                            const ProgressBlock* progress) {
  if (!mapsReady_ || !sizeMatches(destination, width_, height_)) return kRenderOutOfMemory;
  if (!buf32Lock(destination, kBuf32Write, nullptr)) return kRenderOutOfMemory;
  const RowProgress escape(progress != nullptr ? *progress : kQuietProgress);
  const int code = evaluate(record, record.sampleNumber, makeTable(record), destination, &escape);
  buf32Unlock(destination);
  return code;
}

int Renderer::replayScript(ParamRecord& work, ParamRecord& caller, Buf32Handle destination,
                           RowProgress& progress, int& sampleNumber, const PaletteTable& table) {
  const int p = previous_.storyboardPosition;
  if (!(rebuildRequest_ || p == 0 || replayRequest_ >= 1)) {
    progress.setTotalRows(1);
    return kRenderOk;
  }
  const std::vector<StoryboardOp> ops = ScriptOperations(work.scriptText, kScriptTextBytes);
  const int m = static_cast<int>(ops.size());
  progress.setTotalRows(static_cast<int64_t>(m) * height_ + 1);

  ResetMaps();
  ClearStoryboard();
  const bool reportSteps = work.identityOnly != -1 && !rebuildRequest_ && replayRequest_ == 1;
  int lastTemplate = 0;
  for (const StoryboardOp& op : ops) {
    const int t = op.templateNumber;
    const int n = op.sampleNumber;
    StoryboardOp& slot = storyboard_.ops[storyboard_.count];
    slot = op;
    sampleNumber = n;
    CommitMaps();
    if (op.applied != 0) {
      if (const int code = applyTemplatePass(t - 1, progress); code != kRenderOk) return code;
    }
    if (reportSteps) {
      if (const int code = evaluate(work, n, table, destination, &progress); code != kRenderOk)
        return code;
      if (stepReporter_) stepReporter_(slot, destination);
      sampleNumber = work.sampleNumber;
    }
    ++storyboard_.count;
    lastTemplate = t;
  }
  if (m > 0) {
    StoryboardOp& pending = storyboard_.ops[storyboard_.count];
    pending.templateNumber = lastTemplate;
    pending.applied = 0;
    work.templateIndex = lastTemplate - 1;
    caller.templateIndex = lastTemplate - 1;
  }
  return kRenderOk;
}

int Renderer::replayStoryboard(ParamRecord& work, int n, int p, RowProgress& progress) {
  const bool run = rebuildRequest_ || work.forceReplay != 0 || p != n;
  work.forceReplay = 0;
  if (!run) {
    progress.setTotalRows(1);
    return kRenderOk;
  }
  const int last = std::min(n - 2, kStoryboardSlots - 1);
  int first = 0;
  if (2 <= p && p < n) {
    first = p - 1;
  } else {
    ResetMaps();
  }
  auto applies = [this](int k) {
    const StoryboardOp& op = storyboard_.ops[k];
    const int before = k == 0 ? 0 : storyboard_.ops[k - 1].templateNumber;
    return op.applied != 0 || op.templateNumber != before;
  };
  int64_t passes = 0;
  for (int k = first; k <= last; ++k) passes += applies(k) ? 1 : 0;
  progress.setTotalRows(passes * height_ + 1);
  for (int k = first; k <= last; ++k) {
    const StoryboardOp& op = storyboard_.ops[k];
    work.templateIndex = op.templateNumber - 1;
    if (!applies(k)) continue;
    CommitMaps();
    if (const int code = applyTemplatePass(op.templateNumber - 1, progress); code != kRenderOk)
      return code;
  }
  return kRenderOk;
}

int Renderer::singleOperation(ParamRecord& work, RowProgress& progress) {
  progress.setTotalRows(2 * static_cast<int64_t>(height_));
  const bool changed =
      freshCount_ == 1 || work.templateIndex != previous_.templateIndex ||
      work.sweepAngle != previous_.sweepAngle || work.sweepCentreX != previous_.sweepCentreX ||
      work.sweepCentreY != previous_.sweepCentreY || work.setting6 != previous_.setting6 ||
      work.setting7 != previous_.setting7 || work.pickCount != previous_.pickCount;
  int code = kRenderOk;
  if (changed) {
    if (work.pickCount > 0 && storyboard_.count < 79) {
      // The new operation goes on top of the stored ones.
      CommitMaps();
      storyboard_.ops[std::max(storyboard_.count, 0)].templateNumber = work.templateIndex + 1;
    } else {
      // The new operation replaces the last one.
      storyboard_.count = 1;
      storyboard_.ops[0].templateNumber = work.templateIndex + 1;
    }
    code = applyTemplatePass(work.templateIndex, progress);
  } else {
    progress.countRows(height_);
  }
  freshCount_ = std::min(freshCount_ + 1, 2);
  return code;
}

int Renderer::RenderTexture(const RenderJob& job) {
  RowProgress progress(job.progress != nullptr ? *job.progress : kQuietProgress);
  Buf32Desc dest{};
  if (job.record == nullptr || job.destination == nullptr ||
      !buf32GetInfo(*job.destination, &dest) || dest.w[kBuf32DescBitsPerPixel] != 24) {
    recordFailure(kRenderOutOfMemory, __LINE__);
    return kRenderOutOfMemory;
  }
  const Buf32Handle destination = *job.destination;
  const int width = dest.w[kBuf32DescWidth];
  const int height = dest.w[kBuf32DescHeight];
  constants_ = MakeTemplateConstants();

  // The source only has to stay put while we draw; it gives no pixels.
  const bool sourceLocked = buf32Lock(job.source, kBuf32Read, nullptr) != 0;
  const bool destLocked = buf32Lock(destination, kBuf32Write, nullptr) != 0;

  auto render = [&]() -> int {
    if (!destLocked) return kRenderOutOfMemory;
    if (const int code = progress.start(); code != kRenderOk) return code;
    if (!mapsReady_ || rebuildRequest_ || width != width_ || height != height_) {
      FreeMaps();
      if (createMaps(width, height, dest.w[kBuf32DescModel]) != kRenderOk)
        return kRenderOutOfMemory;
      ResetMaps();
      if (!rebuildRequest_) ClearStoryboard();
      mapsReady_ = true;
      previous_ = *job.record;
    }
    if (progress.escapePressed()) return kRenderStopped;
    const PaletteTable table = makeTable(*job.record);

    ParamRecord work = *job.record;
    int sampleNumber = work.sampleNumber;
    const int n = work.storyboardPosition;
    const int p = previous_.storyboardPosition;
    int code = kRenderOk;
    if (work.identityOnly == 1) {
      ResetMaps();
      ClearStoryboard();
    } else if (n == 0 && rebuildRequest_) {
      ResetMaps();
      const int count = std::clamp(storyboard_.count, 0, kStoryboardSlots);
      progress.setTotalRows(static_cast<int64_t>(height_) * count + 1);
      for (int k = 0; k < count && code == kRenderOk; ++k) {
        const StoryboardOp& op = storyboard_.ops[k];
        if (op.applied == 0) continue;
        CommitMaps();
        code = applyTemplatePass(op.templateNumber - 1, progress);
      }
      freshCount_ = std::min(freshCount_ + 1, 2);
    } else if (n == 0 && p == 1) {
      progress.setTotalRows(static_cast<int64_t>(height_) + 1);
      CommitMaps();
      storyboard_.ops[std::clamp(storyboard_.count, 0, kStoryboardSlots - 1)].templateNumber =
          work.templateIndex + 1;
      code = applyTemplatePass(work.templateIndex, progress);
    } else if (n == 1) {
      code = replayScript(work, *job.record, destination, progress, sampleNumber, table);
      freshCount_ = std::min(freshCount_ + 1, 2);
    } else if (n >= 2) {
      code = replayStoryboard(work, n, p, progress);
    } else {
      code = singleOperation(work, progress);
    }
    if (code != kRenderOk) return code;

    previous_ = work;
    replayRequest_ = 0;
    rebuildRequest_ = false;
    return evaluate(work, sampleNumber, table, destination, &progress);
  };
  const int code = render();

  if (destLocked) buf32Unlock(destination);
  if (sourceLocked) buf32Unlock(job.source);
  if (code != kRenderOk) recordFailure(code, __LINE__);
  progress.end();
  return code;
}

int Renderer::RenderBlend(int k, const ParamRecord& record, Buf32Handle source,
                          Buf32Handle* destination, double w) {
  if (destination == nullptr) return 0;
  const PaletteTable table = makeTable(record);
  Buf32Desc src{};
  if (k < 0 || k >= kStoryboardSlots || !mapsReady_ || !sizeMatches(source, width_, height_) ||
      !buf32GetInfo(source, &src)) {
    recordFailure(kRenderOutOfMemory, __LINE__);
    return 0;
  }
  if (!buf32Alloc(destination, src.w[kBuf32DescBitsPerPixel], width_, height_,
                  src.w[kBuf32DescModel], &src.w[kBuf32DescPalette])) {
    recordFailure(kRenderOutOfMemory, __LINE__);
    return 0;
  }
  const StoryboardOp& op = storyboard_.ops[k];
  const int before = (k > 0 ? storyboard_.ops[k - 1].sampleNumber : 0) + (op.applied != 0 ? 6 : 0);
  const int after = op.sampleNumber;
  const double repeat = record.repeat * 0.01;
  buf32Lock(*destination, kBuf32Write, nullptr);
  for (int y = 0; y < height_; ++y) {
    uint8_t* out = buf32PointAddr(*destination, 0, y);
    const double *cx = curX_.row(y), *cy = curY_.row(y), *rx = resX_.row(y), *ry = resY_.row(y);
    for (int x = 0; x < width_; ++x) {
      const double v = CombineMaps(before, rx[x], ry[x], cx[x], cy[x]) * (1.0 - w) +
                       CombineMaps(after, rx[x], ry[x], cx[x], cy[x]) * w;
      const Rgb c = LookupColour(ShapeValue(v, record.mirror, repeat), table);
      out[3 * x] = c.red;
      out[3 * x + 1] = c.green;
      out[3 * x + 2] = c.blue;
    }
  }
  buf32Unlock(*destination);
  return 1;
}

namespace {
std::unique_ptr<Renderer>& moduleRenderer() {
  static std::unique_ptr<Renderer> r = std::make_unique<Renderer>();
  return r;
}
}  // namespace

Renderer& TheRenderer() { return *moduleRenderer(); }
void ResetModuleRenderer() { moduleRenderer() = std::make_unique<Renderer>(); }

int RenderTexture(const RenderJob& job) { return TheRenderer().RenderTexture(job); }
int EvaluateImage(const ParamRecord& record, Buf32Handle source, Buf32Handle destination,
                  const ProgressBlock* progress) {
  return TheRenderer().EvaluateImage(record, source, destination, progress);
}
int RenderBlend(int k, const ParamRecord& record, Buf32Handle source, Buf32Handle* destination,
                double w) {
  return TheRenderer().RenderBlend(k, record, source, destination, w);
}
void ResetMaps() { TheRenderer().ResetMaps(); }
void CommitMaps() { TheRenderer().CommitMaps(); }
void SaveMaps() { TheRenderer().SaveMaps(); }
void FreeMaps() { TheRenderer().FreeMaps(); }
void ClearStoryboard() { TheRenderer().ClearStoryboard(); }
void RequestRebuild() { TheRenderer().RequestRebuild(); }
void SetReplayRequest(int kind) { TheRenderer().SetReplayRequest(kind); }
