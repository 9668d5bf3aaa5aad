// Ramp samples: the user's own palette ramps, each kept with its hue shift
// and ring as the data block of an item of a thumbnail list, and stored in
// the samples file "Data/gfill.cfg" beside the module through the list
// service's file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "model/ramp.h"
#include "platform/x32base/buf32.h"
#include "platform/x32clips/x32clips.h"

// The block kept with every ramp sample: 259 little-endian 32-bit words.
struct RampSample {
  int32_t hueShift;  // w0, 0..359
  int32_t ring;      // w1, 0..359
  PaletteRamp ramp;  // w2..w258
};
static_assert(sizeof(RampSample) == 1036);
inline constexpr int32_t kRampSampleBytes = 1036;

// The block as the samples file holds it, and back.
void EncodeRampSample(const RampSample& sample, std::span<uint8_t, kRampSampleBytes> out);
RampSample DecodeRampSample(std::span<const uint8_t, kRampSampleBytes> bytes);
// What is wrong with a sample read from a file (hue or ring outside 0..359, a
// stop count outside 1..256, stops out of positional order); empty for a
// good one.
std::string RampSampleProblem(const RampSample& sample);

// Thumbnails of ramp samples are this many pixels a side.
inline constexpr int kRampThumbnailSide = 60;
// The label of the n-th sample until the user names it (the module takes the
// same text from its string table).
inline constexpr char kRampSampleLabel[] = "Palette-%d";
std::string RampSampleLabel(const char* format, int n);

// A new 60 x 60 24-bit image of the sample's ramp as a ring turned by its
// ring, in its hue shift, with a dot beside every stop; 0 when memory runs
// out.
Buf32Handle MakeRampSampleThumbnail(const RampSample& sample);
// The thumbnail of preset n of `presets` (hue shift 0, ring 0).
Buf32Handle MakeRampPresetThumbnail(int n, const std::filesystem::path& presets);

// The samples file beside the module.
std::filesystem::path RampSamplesFile();

// The ramp samples list: a thumbnail list whose items own RampSample blocks.
// Click and menu messages of the list's window go to the event handler.
class RampSampleList {
 public:
  using EventHandler = std::function<int32_t(int32_t message, int32_t item, void* data)>;

  RampSampleList() = default;
  RampSampleList(const RampSampleList&) = delete;
  RampSampleList& operator=(const RampSampleList&) = delete;
  ~RampSampleList();

  // Loads `file` when it exists, else makes an empty list and remembers that
  // it is new. False when the file cannot be loaded or memory runs out.
  bool Open(const std::filesystem::path& file);
  bool isNew() const { return new_; }
  IIOHandle handle() const { return list_; }
  void SetEventHandler(EventHandler handler) { events_ = std::move(handler); }

  // One sample per preset of `presets`, hue shift 0 and ring 0, labelled
  // with `labelFormat` and the preset's number. Returns the number added (an
  // allocation failure ends the filling early).
  int SeedFromPresets(const std::filesystem::path& presets, const char* labelFormat);
  // Adds a sample with its thumbnail (the list keeps its own copy); the new
  // item's id, or -1 when the list refuses it.
  int32_t Add(const std::string& label, const RampSample& sample, Buf32Handle thumbnail);
  bool Delete(int32_t id);
  bool Rename(int32_t id, const std::string& label);
  std::optional<RampSample> Sample(int32_t id) const;
  std::string Label(int32_t id) const;
  int32_t Count() const;
  int32_t IdAt(int32_t position) const;

  // Writes every sample to `file`; false when it cannot be written. The
  // blocks go with a successful save: the list is then only to be closed.
  bool Save(const std::filesystem::path& file);
  // Destroys the list (its blocks are released), detached from any window.
  void Close();

  // The list's callback: a definition applied to the list must keep it.
  static int32_t Callback(IIOHandle list, int32_t message, int32_t item, void* data);

 private:
  int32_t OnMessage(int32_t message, int32_t item, void* data);

  IIOHandle list_ = 0;
  bool new_ = false;
  EventHandler events_;
};
