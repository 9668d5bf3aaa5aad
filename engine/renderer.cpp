#include "engine/renderer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

#include "engine/script.h"
#include "platform/x32base/buf32_guards.h"

namespace {

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

RenderMode DecodeRenderMode(const ParamRecord& record) {
  RenderMode mode;
  mode.position = record.storyboardPosition;
  mode.forceReplay = record.forceReplay != 0;
  mode.stepThumbnails = record.identityOnly != -1;
  if (record.identityOnly == 1)
    mode.kind = RenderMode::Kind::kIdentity;
  else if (mode.position >= 2)
    mode.kind = RenderMode::Kind::kStoryboardReplay;
  else if (mode.position == 1)
    mode.kind = RenderMode::Kind::kScriptReplay;
  else
    mode.kind = RenderMode::Kind::kSingleOperation;
  return mode;
}

void RenderSession::FreeMaps() {
  curX_.release();
  curY_.release();
  resX_.release();
  resY_.release();
  width_ = height_ = 0;
  mapsReady_ = false;
}

void RenderSession::ResetMaps() {
  note(MapStep::kReset);
  freshCount_ = 1;
  continuationBroken_ = false;
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

void RenderSession::CommitMaps() {
  note(MapStep::kCommit);
  if (!curX_.valid()) return;
  const size_t bytes = static_cast<size_t>(width_) * sizeof(double);
  for (int y = 0; y < height_; ++y) {
    std::memcpy(curX_.row(y), resX_.row(y), bytes);
    std::memcpy(curY_.row(y), resY_.row(y), bytes);
  }
}

void RenderSession::SaveMaps() {
  note(MapStep::kSave);
  if (!curX_.valid()) return;
  const size_t bytes = static_cast<size_t>(width_) * sizeof(double);
  for (int y = 0; y < height_; ++y) {
    std::memcpy(resX_.row(y), curX_.row(y), bytes);
    std::memcpy(resY_.row(y), curY_.row(y), bytes);
  }
}

bool RenderSession::mapValues(int x, int y, double out[4]) const {
  if (!curX_.valid() || x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  out[0] = curX_.row(y)[x];
  out[1] = curY_.row(y)[x];
  out[2] = resX_.row(y)[x];
  out[3] = resY_.row(y)[x];
  return true;
}

RenderStatus RenderSession::templatePass(int t, RowProgress& progress) {
  note(MapStep::kPass, t);
  ++templatePasses_;
  return workers_.run(
      height_, width_,
      [&](int first, int end) {
        for (int y = first; y < end; ++y)
          ApplyTemplateRow(t, curX_.row(y), curY_.row(y), resX_.row(y), resY_.row(y), width_,
                           constants_);
      },
      &progress);
}

RenderStatus RenderSession::TemplatePass(int t, const ProgressBlock* progress) {
  if (!mapsReady_) return kRenderOutOfMemory;
  RowProgress rows(progress != nullptr ? *progress : kQuietProgress);
  rows.setTotalRows(height_);
  return templatePass(t, rows);
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

RenderStatus RenderSession::evaluate(const ParamRecord& record, int sampleNumber,
                                     const PaletteTable& table, Buf32Handle destination,
                                     RowProgress* escape) {
  const double repeat = record.repeat * 0.01;
  const ColourRowFn colour =
      kColourRows[sampleNumber >= 1 && sampleNumber <= 12 ? sampleNumber : 0];
  // Every row of the destination must be there before the rows are shared out.
  if (height_ > 0 && (buf32PointAddr(destination, width_ - 1, 0) == nullptr ||
                      buf32PointAddr(destination, width_ - 1, height_ - 1) == nullptr))
    return kRenderOutOfMemory;
  return workers_.run(
      height_, width_,
      [&](int first, int end) {
        for (int y = first; y < end; ++y)
          colour(curX_.row(y), curY_.row(y), resX_.row(y), resY_.row(y),
                 buf32PointAddr(destination, 0, y), width_, record.mirror, repeat, table);
      },
      escape, false);
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

RenderStatus RenderSession::EvaluateImage(const ParamRecord& record, Buf32Handle destination,
                                          const ProgressBlock* progress) {
  if (!mapsReady_ || !sizeMatches(destination, width_, height_)) return kRenderOutOfMemory;
  if (!buf32Lock(destination, kBuf32Write, nullptr)) return kRenderOutOfMemory;
  RowProgress escape(progress != nullptr ? *progress : kQuietProgress);
  const RenderStatus status =
      evaluate(record, record.sampleNumber, makeTable(record), destination, &escape);
  buf32Unlock(destination);
  return status;
}

RenderStatus RenderSession::prepareMaps(int width, int height, int32_t model,
                                        const ParamRecord& record) {
  FreeMaps();
  if (!curX_.create(width, height, model) || !curY_.create(width, height, model) ||
      !resX_.create(width, height, model) || !resY_.create(width, height, model)) {
    FreeMaps();
    return kRenderOutOfMemory;
  }
  width_ = width;
  height_ = height;
  ResetMaps();
  if (!rebuildRequest_) ClearStoryboard();
  mapsReady_ = true;
  previous_ = record;
  return kRenderOk;
}

RenderStatus RenderSession::replayFromTable(RowProgress& progress) {
  ResetMaps();
  const int count = std::clamp(storyboard_.count, 0, kStoryboardSlots);
  progress.setTotalRows(static_cast<int64_t>(height_) * count + 1);
  for (int k = 0; k < count; ++k) {
    const StoryboardOp& op = storyboard_.ops[k];
    if (op.applied == 0) continue;
    CommitMaps();
    if (const RenderStatus status = templatePass(TemplateIndexOf(op.templateNumber), progress);
        status != kRenderOk)
      return status;
  }
  freshCount_ = std::min(freshCount_ + 1, 2);
  return kRenderOk;
}

RenderStatus RenderSession::replayScript(ParamRecord& work, const RenderMode& mode,
                                         Buf32Handle destination, RowProgress& progress,
                                         int& sampleNumber, const PaletteTable& table) {
  if (!(rebuildRequest_ || previous_.storyboardPosition == 0 || replayRequest_ >= 1)) {
    progress.setTotalRows(1);
    return kRenderOk;
  }
  const std::vector<StoryboardOp> ops = ScriptOperations(work.scriptText, kScriptTextBytes);
  const int m = static_cast<int>(ops.size());
  progress.setTotalRows(static_cast<int64_t>(m) * height_ + 1);

  ResetMaps();
  ClearStoryboard();
  const bool reportSteps = mode.stepThumbnails && !rebuildRequest_ && replayRequest_ == 1;
  int lastTemplate = 0;
  for (const StoryboardOp& op : ops) {
    StoryboardOp& slot = storyboard_.ops[storyboard_.count];
    slot = op;
    sampleNumber = op.sampleNumber;
    CommitMaps();
    if (op.applied != 0) {
      if (const RenderStatus status = templatePass(TemplateIndexOf(op.templateNumber), progress);
          status != kRenderOk)
        return status;
    }
    if (reportSteps) {
      if (const RenderStatus status =
              evaluate(work, op.sampleNumber, table, destination, &progress);
          status != kRenderOk)
        return status;
      if (stepReporter_) stepReporter_(slot, destination);
      sampleNumber = work.sampleNumber;
    }
    ++storyboard_.count;
    lastTemplate = op.templateNumber;
  }
  if (m > 0) {
    StoryboardOp& pending = storyboard_.ops[storyboard_.count];
    pending.templateNumber = lastTemplate;
    pending.applied = 0;
    work.templateIndex = TemplateIndexOf(lastTemplate);
  }
  freshCount_ = std::min(freshCount_ + 1, 2);
  return kRenderOk;
}

RenderStatus RenderSession::replayStoryboard(ParamRecord& work, const RenderMode& mode,
                                             RowProgress& progress) {
  const int n = mode.position;
  const int p = previous_.storyboardPosition;
  work.forceReplay = 0;
  if (!(rebuildRequest_ || mode.forceReplay || p != n)) {
    progress.setTotalRows(1);
    return kRenderOk;
  }
  const int last = std::min(n - 2, kStoryboardSlots - 1);
  int first = 0;
  if (2 <= p && p < n && !continuationBroken_) {
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
    work.templateIndex = TemplateIndexOf(op.templateNumber);
    if (!applies(k)) continue;
    CommitMaps();
    if (const RenderStatus status = templatePass(work.templateIndex, progress);
        status != kRenderOk) {
      // The maps are now part-way between two storyboard states: the next
      // replay cannot continue from them.
      if (first > 0) continuationBroken_ = true;
      return status;
    }
  }
  return kRenderOk;
}

RenderStatus RenderSession::singleOperation(ParamRecord& work, RowProgress& progress) {
  progress.setTotalRows(2 * static_cast<int64_t>(height_));
  const bool changed =
      freshCount_ == 1 || work.templateIndex != previous_.templateIndex ||
      work.sweepAngle != previous_.sweepAngle || work.sweepCentreX != previous_.sweepCentreX ||
      work.sweepCentreY != previous_.sweepCentreY || work.setting6 != previous_.setting6 ||
      work.setting7 != previous_.setting7 || work.pickCount != previous_.pickCount;
  RenderStatus status = kRenderOk;
  if (changed) {
    if (work.pickCount > 0 && storyboard_.count < 79) {
      // The new operation goes on top of the stored ones.
      CommitMaps();
      storyboard_.ops[std::max(storyboard_.count, 0)].templateNumber =
          TemplateNumberOf(work.templateIndex);
    } else {
      // The new operation replaces the last one.
      storyboard_.count = 1;
      storyboard_.ops[0].templateNumber = TemplateNumberOf(work.templateIndex);
    }
    status = templatePass(work.templateIndex, progress);
  } else {
    progress.countRows(height_);
  }
  freshCount_ = std::min(freshCount_ + 1, 2);
  return status;
}

RenderStatus RenderSession::runMode(ParamRecord& work, const RenderMode& mode,
                                    Buf32Handle destination, RowProgress& progress,
                                    int& sampleNumber, const PaletteTable& table) {
  using Kind = RenderMode::Kind;
  const int p = previous_.storyboardPosition;
  switch (mode.kind) {
    case Kind::kIdentity:
      ResetMaps();
      ClearStoryboard();
      return kRenderOk;
    case Kind::kScriptReplay:
      return replayScript(work, mode, destination, progress, sampleNumber, table);
    case Kind::kStoryboardReplay: return replayStoryboard(work, mode, progress);
    case Kind::kSingleOperation:
      if (mode.position == 0 && rebuildRequest_) return replayFromTable(progress);
      if (mode.position == 0 && p == 1) {
        progress.setTotalRows(static_cast<int64_t>(height_) + 1);
        CommitMaps();
        storyboard_.ops[std::clamp(storyboard_.count, 0, kStoryboardSlots - 1)].templateNumber =
            TemplateNumberOf(work.templateIndex);
        return templatePass(work.templateIndex, progress);
      }
      return singleOperation(work, progress);
  }
  return kRenderOk;
}

RenderResult RenderSession::Render(const RenderJob& job) {
  RenderResult result;
  Buf32Desc dest{};
  if (job.record == nullptr || !buf32GetInfo(job.destination, &dest) ||
      dest.w[kBuf32DescBitsPerPixel] != 24) {
    result.status = kRenderOutOfMemory;
    return result;
  }
  result.templateIndex = job.record->templateIndex;
  RowProgress progress(job.progress != nullptr ? *job.progress : kQuietProgress);
  const Buf32Handle destination = job.destination;
  const int width = dest.w[kBuf32DescWidth];
  const int height = dest.w[kBuf32DescHeight];
  constants_ = MakeTemplateConstants();

  // The source only has to stay put while we draw; it gives no pixels.
  const bool sourceLocked = buf32Lock(job.source, kBuf32Read, nullptr) != 0;
  const bool destLocked = buf32Lock(destination, kBuf32Write, nullptr) != 0;

  auto render = [&]() -> RenderStatus {
    if (!destLocked) return kRenderOutOfMemory;
    if (const RenderStatus status = progress.start(); status != kRenderOk) return status;
    const Bookkeeping saved{storyboard_, previous_, freshCount_};
    const bool freshMaps = !mapsReady_ || rebuildRequest_ || width != width_ || height != height_;
    if (freshMaps) {
      if (const RenderStatus status =
              prepareMaps(width, height, dest.w[kBuf32DescModel], *job.record);
          status != kRenderOk)
        return status;
    }
    // A stop before the final pass puts back what the render changed, so the
    // same record rendered again takes the same way through the modes.
    auto undo = [&](bool passesRan) {
      storyboard_ = saved.storyboard;
      previous_ = saved.previous;
      freshCount_ = saved.freshCount;
      if (freshMaps) {
        mapsReady_ = false;
      } else if (passesRan && job.mode.kind == RenderMode::Kind::kSingleOperation &&
                 !rebuildRequest_) {
        // One pass read the current maps into the result maps, after a commit
        // or not: the current maps are what that pass starts from again.
        SaveMaps();
      }
    };
    if (progress.escapePressed()) {
      undo(false);
      return kRenderStopped;
    }
    const PaletteTable table = makeTable(*job.record);

    ParamRecord work = *job.record;
    int sampleNumber = work.sampleNumber;
    if (const RenderStatus status =
            runMode(work, job.mode, destination, progress, sampleNumber, table);
        status != kRenderOk) {
      undo(true);
      return status;
    }
    if (job.mode.kind == RenderMode::Kind::kScriptReplay) result.templateIndex = work.templateIndex;

    const bool savedRebuild = rebuildRequest_;
    const int savedReplay = replayRequest_;
    previous_ = work;
    replayRequest_ = 0;
    rebuildRequest_ = false;
    plannedSample_ = sampleNumber;
    const RenderStatus status = evaluate(work, sampleNumber, table, destination, &progress);
    if (status != kRenderOk && job.mode.kind == RenderMode::Kind::kScriptReplay) {
      // The replay colours with the sample number it ends on, which only a
      // replay gives: the next render replays again.
      previous_ = saved.previous;
      rebuildRequest_ = savedRebuild;
      replayRequest_ = savedReplay;
    }
    return status;
  };
  result.status = render();

  if (destLocked) buf32Unlock(destination);
  if (sourceLocked) buf32Unlock(job.source);
  progress.end();
  return result;
}

RenderStatus RenderSession::RenderBlend(int k, const ParamRecord& record, Buf32Handle source,
                                        Buf32Handle* destination, double w) {
  Buf32Desc src{};
  if (destination == nullptr || k < 0 || k >= kStoryboardSlots || !mapsReady_ ||
      !sizeMatches(source, width_, height_) || !buf32GetInfo(source, &src))
    return kRenderOutOfMemory;
  if (!buf32Alloc(destination, src.w[kBuf32DescBitsPerPixel], width_, height_,
                  src.w[kBuf32DescModel], &src.w[kBuf32DescPalette]))
    return kRenderOutOfMemory;
  const PaletteTable table = makeTable(record);
  const StoryboardOp& op = storyboard_.ops[k];
  const int32_t earlier = k > 0 ? storyboard_.ops[k - 1].sampleNumber : 0;
  const int before = op.applied != 0 ? WrappingAdd(earlier, 6) : earlier;
  const int after = op.sampleNumber;
  const double repeat = record.repeat * 0.01;
  buf32Lock(*destination, kBuf32Write, nullptr);
  const Buf32Handle out = *destination;
  workers_.run(
      height_, width_,
      [&](int first, int end) {
        for (int y = first; y < end; ++y) {
          uint8_t* row = buf32PointAddr(out, 0, y);
          const double *cx = curX_.row(y), *cy = curY_.row(y), *rx = resX_.row(y),
                       *ry = resY_.row(y);
          for (int x = 0; x < width_; ++x) {
            const double v = CombineMaps(before, rx[x], ry[x], cx[x], cy[x]) * (1.0 - w) +
                             CombineMaps(after, rx[x], ry[x], cx[x], cy[x]) * w;
            const Rgb c = LookupColour(ShapeValue(v, record.mirror, repeat), table);
            row[3 * x] = c.red;
            row[3 * x + 1] = c.green;
            row[3 * x + 2] = c.blue;
          }
        }
      },
      nullptr);
  buf32Unlock(*destination);
  return kRenderOk;
}

RenderResult RenderSession::RenderOnce(const ParamRecord& record, const RenderMode& mode, int width,
                                       int height, const RowSink& sink,
                                       const ProgressBlock* progress) {
  RenderResult result;
  result.templateIndex = record.templateIndex;
  if (width < 1 || height < 1) {
    result.status = kRenderOutOfMemory;
    return result;
  }
  // The plan: the same render over a picture of 2 x 2 pixels, every step it
  // takes on the maps noted. The ways through the modes do not depend on the
  // size, so the steps are those the full-size render would take.
  std::vector<PlanEntry> plan;
  {
    Buf32Owner tiny;
    if (!tiny.allocate(24, 2, 2)) {
      result.status = kRenderOutOfMemory;
      return result;
    }
    StepReporter reporter = std::exchange(stepReporter_, nullptr);
    plan_ = &plan;
    const RenderResult planned = Render({0, tiny.handle, &record, mode, nullptr});
    plan_ = nullptr;
    stepReporter_ = std::move(reporter);
    FreeMaps();
    if (planned.status != kRenderOk) return planned;
    result.templateIndex = planned.templateIndex;
  }

  const PaletteTable table = makeTable(record);
  const double repeat = record.repeat * 0.01;
  const int sample = plannedSample_;
  const ColourRowFn colour = kColourRows[sample >= 1 && sample <= 12 ? sample : 0];
  const auto w = static_cast<size_t>(width);

  // Every band of rows goes through the plan in maps of its own size.
  auto bandWork = [&](int first, int end, uint8_t* rgb) {
    thread_local std::vector<double> scratch;
    const size_t n = w * static_cast<size_t>(end - first);
    scratch.resize(4 * n);
    double *cx = scratch.data(), *cy = cx + n, *rx = cy + n, *ry = rx + n;
    auto identityRows = [&] {
      for (int y = first; y < end; ++y) {
        const double fy = identity(y, height);
        const size_t row = w * static_cast<size_t>(y - first);
        for (size_t x = 0; x < w; ++x) {
          cx[row + x] = rx[row + x] = identity(static_cast<int>(x), width);
          cy[row + x] = ry[row + x] = fy;
        }
      }
    };
    identityRows();
    for (const PlanEntry& e : plan) {
      switch (e.step) {
        case MapStep::kReset: identityRows(); break;
        case MapStep::kCommit:
          std::memcpy(cx, rx, n * sizeof(double));
          std::memcpy(cy, ry, n * sizeof(double));
          break;
        case MapStep::kSave:
          std::memcpy(rx, cx, n * sizeof(double));
          std::memcpy(ry, cy, n * sizeof(double));
          break;
        case MapStep::kPass:
          ApplyTemplateRow(e.templateIndex, cx, cy, rx, ry, static_cast<int64_t>(n), constants_);
          break;
      }
    }
    colour(cx, cy, rx, ry, rgb, static_cast<int>(n), record.mirror, repeat, table);
  };

  RowProgress rows(progress != nullptr ? *progress : kQuietProgress);
  result.status = rows.start();
  rows.setTotalRows(height);
  // Chunks of about a million pixels: their rows are shared out among the
  // threads, then handed on in order.
  const int chunk = static_cast<int>(std::clamp<int64_t>((1 << 20) / width, 1, height));
  std::vector<uint8_t> rgb;
  for (int c0 = 0; c0 < height && result.status == kRenderOk; c0 += chunk) {
    const int c1 = std::min(c0 + chunk, height);
    rgb.resize(w * 3 * static_cast<size_t>(c1 - c0));
    result.status = workers_.run(
        c1 - c0, width,
        [&](int first, int end) {
          bandWork(c0 + first, c0 + end, rgb.data() + w * 3 * static_cast<size_t>(first));
        },
        &rows, false);
    if (result.status != kRenderOk) break;
    if (!sink(c0, c1 - c0, rgb.data(), w * 3)) result.status = kRenderStopped;
    rows.countRows(c1 - c0);
  }
  rows.end();
  return result;
}

RenderStatus RenderOnceIntoImage(RenderSession& session, const ParamRecord& record,
                                 Buf32Handle image, const ProgressBlock* progress) {
  Buf32Desc d{};
  if (!buf32GetInfo(image, &d) || d.w[kBuf32DescBitsPerPixel] != 24) return kRenderOutOfMemory;
  const Buf32Lock lock(image, kBuf32Write);
  if (!lock) return kRenderOutOfMemory;
  const RowSink sink = [image](int first, int rows, const uint8_t* rgb, size_t stride) {
    for (int y = 0; y < rows; ++y)
      buf32Line(image, first + y, kBuf32Write, const_cast<uint8_t*>(rgb + y * stride));
    return true;
  };
  return session
      .RenderOnce(record, DecodeRenderMode(record), d.w[kBuf32DescWidth], d.w[kBuf32DescHeight],
                  sink, progress)
      .status;
}
