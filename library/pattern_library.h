// The pattern library: the user's finished patterns, each a named 60 x 60
// thumbnail carrying a PatternEntry (its storyboard as script text and its
// palette settings), held in a thumbnail list and stored in "Data/prlib.pst"
// beside the module. Everything here works without a window; the library
// dialogs only show what it holds and call it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/renderer.h"
#include "engine/template_file.h"
#include "model/param_record.h"
#include "platform/x32base/buf32.h"
#include "platform/x32clips/x32clips.h"

inline constexpr int kPatternThumbSize = 60;
inline constexpr int kPatternLabelLimit = 50;

// Data folder + "prlib.pst" in the module's folder.
std::filesystem::path PatternLibraryFile();

// The entry of a record whose storyboard has `operationCount` operations and
// the script text `script` (cut to the entry's field): words 65..68 from the
// record's hue, ring, mirror and repeat, the ramp from its ramp words.
PatternEntry PatternEntryFromRecord(const ParamRecord& record, int32_t operationCount,
                                    const std::string& script);
// Puts the entry's settings into `record` and makes it replay the entry's
// script: hue, mirror, ring, repeat, ramp, word 12 = 1 and the script text.
void ApplyPatternEntry(const PatternEntry& entry, ParamRecord& record);
// The item last clicked, applied, added or chosen after a delete, for the
// whole process; 0 before any.
int32_t CurrentPatternId();
void SetCurrentPatternId(int32_t id);

// Which item becomes current after deleting the one at `position` of
// `order` (the ids in display order before the delete): the next one, or the
// one before when it was the last; 0 when it was the only one.
int32_t CurrentAfterDelete(const std::vector<int32_t>& order, int position);

// The owner callback of library lists: keeps entries through saves (message
// 4), loads (5) and destruction (6). Returns 0 for every other message, so a
// dialog's own callback can pass it every message it does not handle.
int32_t PatternLibraryCallback(IIOHandle list, int32_t message, int32_t item, void* data);

// Renders a record into a new 24-bit width x height image; 0 on failure.
using PatternRenderer = std::function<Buf32Handle(const ParamRecord& record)>;

// Renders `record` as a silent run in a fresh session would, into a new
// 24-bit image; 0 on failure.
Buf32Handle RenderPatternImage(const ParamRecord& record, int width, int height);

class PatternLibrary {
 public:
  enum class Source { kNew, kLoaded, kUnreadable };

  // Opens the library file: a missing file gives an empty library marked
  // modified, a file that cannot be read as a pattern library an empty one
  // that is not (so it is not overwritten unless something is added). The
  // list gets the library definition with `callback`, which must pass
  // messages 4..6 to PatternLibraryCallback. Null when no list can be made.
  static std::unique_ptr<PatternLibrary> Open(const std::filesystem::path& file,
                                              IIOCallback callback = PatternLibraryCallback);
  ~PatternLibrary();
  PatternLibrary(const PatternLibrary&) = delete;
  PatternLibrary& operator=(const PatternLibrary&) = delete;

  IIOHandle list() const { return list_; }
  Source source() const { return source_; }
  bool modified() const { return modified_; }
  void MarkModified() { modified_ = true; }

  int32_t Count() const;
  std::vector<int32_t> Ids() const;  // display order
  std::string Label(int32_t id) const;
  // The item's entry, null when it has none (or after a save handed them on).
  const PatternEntry* Entry(int32_t id) const;
  Buf32Handle Image(int32_t id) const;  // the list's own copy

  // Adds an item with a copy of `entry` and of `image`; its id, -1 on failure.
  int32_t Add(const std::string& label, Buf32Handle image, const PatternEntry& entry);
  // Seeds a new library from factory patterns 1..count of the template file:
  // each one named by `labelFormat` with its number ("Pattern-%d"), its
  // thumbnail rendered by `render` from `base` with the pattern applied.
  // Stops quietly when the file cannot be read or a render fails; false when
  // an item cannot be added.
  bool Seed(int count, const ParamRecord& base, const PatternRenderer& render,
            const std::string& labelFormat = "Pattern-%d");
  // Deletes the item and frees its entry; returns the item that takes its
  // place as current (CurrentAfterDelete).
  int32_t Delete(int32_t id);
  bool Rename(int32_t id, const std::string& label);
  // Writes the file when the library was modified (every entry leaves the
  // items then). True when written or nothing needed writing.
  bool SaveIfModified(const std::filesystem::path& file);
  // Writes the file whatever the state.
  bool Save(const std::filesystem::path& file);

 private:
  explicit PatternLibrary(IIOHandle list, Source source);
  bool ReadItem(int32_t id, IIItem& item) const;

  IIOHandle list_;
  Source source_;
  bool modified_;
};
