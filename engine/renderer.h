// The texture renderer: coordinate maps, render modes, storyboard and script
// replay, the final colouring pass and the blend frames of the animation.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/storyboard.h"
#include "engine/templates.h"
#include "palette/palette.h"
#include "platform/x32base/buf32.h"
#include "model/param_record.h"
#include "model/progress.h"

// What the render call hands to the renderer.
struct RenderJob {
  Buf32Handle source;
  Buf32Handle* destination;
  ParamRecord* record;
  int32_t kind;  // only 2 renders
  intptr_t passThrough;
  const ProgressBlock* progress;
};

inline constexpr int32_t kRenderKindTexture = 2;

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
  Buf32Handle handle() const { return handle_; }

 private:
  Buf32Handle handle_ = 0;
};

class Renderer {
 public:
  // Receives each replayed storyboard step while a script is replayed for the
  // main dialog: the step's slot and the destination holding its picture.
  using StepReporter = std::function<void(const StoryboardOp& slot, Buf32Handle image)>;

  Renderer() = default;
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // 0, kRenderOutOfMemory or kRenderStopped.
  int RenderTexture(const RenderJob& job);
  // The final pass: colours every pixel of `destination` from the maps with the
  // record's sample number, repeat, mirror and palette. 0 or kRenderStopped.
  int EvaluateImage(const ParamRecord& record, Buf32Handle source, Buf32Handle destination,
                    const ProgressBlock* progress);
  // The frame between the states before and after operation k, weight w of
  // the later one; a new destination like the source. 1 or 0.
  int RenderBlend(int k, const ParamRecord& record, Buf32Handle source, Buf32Handle* destination,
                  double w);

  // One template pass over the current maps (current pair in, result pair
  // out) with row progress and Escape; the building block of every mode.
  int TemplatePass(int t, const ProgressBlock* progress);

  void ResetMaps();
  void CommitMaps();
  void SaveMaps();
  void FreeMaps();
  void ClearStoryboard() { storyboard_.count = 0; }
  void RequestRebuild() { rebuildRequest_ = true; }
  void SetReplayRequest(int kind) { replayRequest_ = kind; }
  void SetStepReporter(StepReporter reporter) { stepReporter_ = std::move(reporter); }

  Storyboard& storyboard() { return storyboard_; }
  const Storyboard& storyboard() const { return storyboard_; }
  bool mapsReady() const { return mapsReady_; }
  int freshCount() const { return freshCount_; }
  int mapWidth() const { return width_; }
  int mapHeight() const { return height_; }
  const ParamRecord& previousRecord() const { return previous_; }
  // Number of template passes run since construction (each one over every pixel).
  int64_t templatePasses() const { return templatePasses_; }
  // Map values at one pixel: {curX, curY, resX, resY}.
  bool mapValues(int x, int y, double out[4]) const;

 private:
  int createMaps(int width, int height, int32_t model);
  int applyTemplatePass(int t, RowProgress& progress);
  int evaluate(const ParamRecord& record, int sampleNumber, const PaletteTable& table,
               Buf32Handle destination, const RowProgress* escape);
  int replayScript(ParamRecord& work, ParamRecord& caller, Buf32Handle destination,
                   RowProgress& progress, int& sampleNumber, const PaletteTable& table);
  int replayStoryboard(ParamRecord& work, int n, int p, RowProgress& progress);
  int singleOperation(ParamRecord& work, RowProgress& progress);

  CoordinateMap curX_, curY_, resX_, resY_;
  int width_ = 0;
  int height_ = 0;
  bool mapsReady_ = false;
  bool rebuildRequest_ = false;
  int freshCount_ = 0;
  int replayRequest_ = 0;
  ParamRecord previous_{};
  Storyboard storyboard_{};
  TemplateConstants constants_ = MakeTemplateConstants();
  StepReporter stepReporter_;
  int64_t templatePasses_ = 0;
};

// The module's one renderer.
Renderer& TheRenderer();
// Replaces the module's renderer by a fresh one (maps freed, state cleared).
void ResetModuleRenderer();

// The module's renderer through its classic entry points.
int RenderTexture(const RenderJob& job);
int EvaluateImage(const ParamRecord& record, Buf32Handle source, Buf32Handle destination,
                  const ProgressBlock* progress);
int RenderBlend(int k, const ParamRecord& record, Buf32Handle source, Buf32Handle* destination,
                double w);
void ResetMaps();
void CommitMaps();
void SaveMaps();
void FreeMaps();
void ClearStoryboard();
void RequestRebuild();
void SetReplayRequest(int kind);
