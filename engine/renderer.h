// The render session: coordinate maps, render modes, storyboard and script
// replay, the final colouring pass and the blend frames of the animation.
//
// A session remembers between renders: the maps, the previous record, the
// storyboard table, the fresh count and the one-shot requests. Whoever renders
// owns one: the module keeps one for its lifetime, the command line, the
// reference host and each test make their own.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/row_workers.h"
#include "engine/storyboard.h"
#include "engine/templates.h"
#include "model/param_record.h"
#include "model/progress.h"
#include "model/status.h"
#include "palette/palette.h"
#include "platform/x32base/buf32.h"

// How a record asks to be rendered (record words 12, 14 and 15), decoded once
// where a render call enters the module.
struct RenderMode {
  enum class Kind {
    kIdentity,          // word 14 = 1: the plain coordinates, storyboard cleared
    kSingleOperation,   // word 12 = 0 (or below): one template on the stored maps
    kScriptReplay,      // word 12 = 1: the script text from the plain coordinates
    kStoryboardReplay,  // word 12 = n >= 2: storyboard operations 0..n-2
  };
  Kind kind = Kind::kSingleOperation;
  int32_t position = 0;        // word 12 as given
  bool forceReplay = false;    // word 15 non-zero: replay the storyboard even if unchanged
  bool stepThumbnails = true;  // word 14 is not -1: a script replay may report its steps
};
RenderMode DecodeRenderMode(const ParamRecord& record);

// What the render call hands to the session.
struct RenderJob {
  Buf32Handle source;       // stays locked while drawing; gives no pixels
  Buf32Handle destination;  // 24-bit, the size of the maps
  const ParamRecord* record;
  RenderMode mode;
  const ProgressBlock* progress;  // null: no progress, no Escape
};

// What a render tells its caller besides its status: the record's template
// word after the render. A script replay sets it to the last replayed
// template; every other mode leaves it as the record had it. Callers that
// keep the record in step with the session (the render call, the main
// dialog) store it back; callers that must keep their record as it was
// ignore it.
struct RenderResult {
  RenderStatus status = kRenderOk;
  int32_t templateIndex = 0;
};

// One coordinate map: a 64-bit image of the image buffer service holding one
// double per pixel, locked for its whole life.
class CoordinateMap {
 public:
  CoordinateMap() = default;
  CoordinateMap(const CoordinateMap&) = delete;
  CoordinateMap& operator=(const CoordinateMap&) = delete;
  ~CoordinateMap() { release(); }

  bool create(int width, int height, int32_t model);
  void release();
  bool valid() const { return handle_ != 0; }
  double* row(int y) const { return reinterpret_cast<double*>(buf32PointAddr(handle_, 0, y)); }

 private:
  Buf32Handle handle_ = 0;
};

// Rows of a picture made band by band, handed on from the top: `rows` rows
// from `firstRow`, `stride` bytes apart, 3 bytes (red, green, blue) a pixel.
// Returning false stops the render.
using RowSink = std::function<bool(int firstRow, int rows, const uint8_t* rgb, size_t stride)>;

class RenderSession {
 public:
  // Receives each replayed storyboard step while a script is replayed for the
  // main dialog: the step's slot and the destination holding its picture.
  using StepReporter = std::function<void(const StoryboardOp& slot, Buf32Handle image)>;

  RenderSession() = default;
  RenderSession(const RenderSession&) = delete;
  RenderSession& operator=(const RenderSession&) = delete;

  // Renders the job's record into its destination. A render that stops
  // (Escape or memory) leaves the session so that rendering the same record
  // again gives exactly the picture an uninterrupted render gives.
  RenderResult Render(const RenderJob& job);
  // Renders `record` as Render() would into a width x height destination, but
  // for a session that renders once and is then dropped: no full-size maps,
  // bands of rows go through every operation and the final pass straight to
  // `sink`. Progress counts the rows handed on; Escape is polled between
  // bands. kRenderStopped also when the sink refuses rows. The session is left
  // without maps.
  RenderResult RenderOnce(const ParamRecord& record, const RenderMode& mode, int width, int height,
                          const RowSink& sink, const ProgressBlock* progress);
  // The final pass: colours every pixel of `destination` from the maps with the
  // record's sample number, repeat, mirror and palette.
  RenderStatus EvaluateImage(const ParamRecord& record, Buf32Handle destination,
                             const ProgressBlock* progress);
  // The frame between the states before and after operation k, weight w of
  // the later one, into a new image like `source` stored at `destination`.
  RenderStatus RenderBlend(int k, const ParamRecord& record, Buf32Handle source,
                           Buf32Handle* destination, double w);

  // One template pass over the current maps (current pair in, result pair
  // out), as every mode runs it; for measuring.
  RenderStatus TemplatePass(int t, const ProgressBlock* progress);

  void ResetMaps();
  void CommitMaps();
  void SaveMaps();
  void FreeMaps();
  void ClearStoryboard() { storyboard_.count = 0; }
  void RequestRebuild() { rebuildRequest_ = true; }
  // 1: the next script replay reports its steps; 2: it replays silently.
  void SetReplayRequest(int kind) { replayRequest_ = kind; }
  void SetStepReporter(StepReporter reporter) { stepReporter_ = std::move(reporter); }
  // Threads the full-image passes use (0: one per processor, the default).
  // The pixels are the same for any number.
  void SetThreads(int threads) { workers_.setThreads(threads); }
  int threads() const { return workers_.threads(); }

  Storyboard& storyboard() { return storyboard_; }
  const Storyboard& storyboard() const { return storyboard_; }
  bool mapsReady() const { return mapsReady_; }
  int freshCount() const { return freshCount_; }
  const ParamRecord& previousRecord() const { return previous_; }
  // Template passes run so far (each one over every pixel).
  int64_t templatePasses() const { return templatePasses_; }
  // Map values at one pixel: {curX, curY, resX, resY}.
  bool mapValues(int x, int y, double out[4]) const;

 private:
  // What a render does to the maps, step by step, as RenderOnce replays it
  // over each band.
  enum class MapStep : uint8_t { kReset, kCommit, kSave, kPass };
  struct PlanEntry {
    MapStep step;
    int templateIndex;
  };
  void note(MapStep step, int templateIndex = 0) {
    if (plan_ != nullptr) plan_->push_back({step, templateIndex});
  }

  // What a render may change besides the maps, kept to put back when it stops.
  struct Bookkeeping {
    Storyboard storyboard;
    ParamRecord previous;
    int freshCount;
  };

  RenderStatus prepareMaps(int width, int height, int32_t model, const ParamRecord& record);
  RenderStatus templatePass(int t, RowProgress& progress);
  RenderStatus evaluate(const ParamRecord& record, int sampleNumber, const PaletteTable& table,
                        Buf32Handle destination, RowProgress* escape);
  RenderStatus replayFromTable(RowProgress& progress);
  RenderStatus replayScript(ParamRecord& work, const RenderMode& mode, Buf32Handle destination,
                            RowProgress& progress, int& sampleNumber, const PaletteTable& table);
  RenderStatus replayStoryboard(ParamRecord& work, const RenderMode& mode, RowProgress& progress);
  RenderStatus singleOperation(ParamRecord& work, RowProgress& progress);
  RenderStatus runMode(ParamRecord& work, const RenderMode& mode, Buf32Handle destination,
                       RowProgress& progress, int& sampleNumber, const PaletteTable& table);

  CoordinateMap curX_, curY_, resX_, resY_;
  int width_ = 0;
  int height_ = 0;
  bool mapsReady_ = false;
  bool rebuildRequest_ = false;
  // Set when a stopped render left the maps part-way through a storyboard
  // continuation: the next storyboard replay starts from the plain coordinates.
  bool continuationBroken_ = false;
  int freshCount_ = 0;
  int replayRequest_ = 0;
  ParamRecord previous_{};
  Storyboard storyboard_{};
  TemplateConstants constants_ = MakeTemplateConstants();
  StepReporter stepReporter_;
  int64_t templatePasses_ = 0;
  RowWorkers workers_;
  std::vector<PlanEntry>* plan_ = nullptr;  // set while RenderOnce plans
  int plannedSample_ = 0;                   // the final pass's sample number
};

// RenderOnce in a fresh way through the record's own mode, its rows stored
// in `image`, a 24-bit buffer whose size is the picture's. kRenderOutOfMemory
// for an image of another kind or one that cannot be written.
RenderStatus RenderOnceIntoImage(RenderSession& session, const ParamRecord& record,
                                 Buf32Handle image, const ProgressBlock* progress);
