// The Animation dialog's choices and the rules of its frame field, without a
// window: the dialog edits a copy and hands it back on OK.
#pragma once

#include <cstdint>
#include <optional>

// Method and frame count of the next export, kept while the module is loaded.
struct AnimationSettings {
  int32_t method = 0;  // 0 GIF animation, 1 sequence of images
  int32_t frameCount = 5;
  friend bool operator==(const AnimationSettings&, const AnimationSettings&) = default;
};
inline constexpr int32_t kAnimationGif = 0;
inline constexpr int32_t kAnimationSequence = 1;
inline constexpr int kMinFrames = 2;
inline constexpr int kMaxFrames = 900;
inline constexpr int kFrameFieldChars = 3;

// The module's settings (GIF, 5 frames until an OK changes them).
AnimationSettings& ModuleAnimationSettings();

// A whole field read as a signed decimal number; empty when it is empty, holds
// anything else or does not fit.
std::optional<int32_t> ParseSignedNumber(const char* text);

// What a change of the frame field asks of the dialog.
struct FrameFieldChange {
  bool refused = false;     // put the count back into the field and show the range
  bool moveUpDown = false;  // the up-down takes the count
  int32_t count = 0;        // the frame count after the change
  friend bool operator==(const FrameFieldChange&, const FrameFieldChange&) = default;
};

// The dialog's copy of the settings.
class AnimationSettingsEdit {
 public:
  explicit AnimationSettingsEdit(const AnimationSettings& settings)
      : settings_(settings), lastTyped_(settings.frameCount) {}

  void SetMethod(int32_t method) { settings_.method = method; }
  // The frame field now holds `text`. Anything but a number, or a number
  // above the maximum, is refused and the count stays; otherwise the count
  // becomes the number (at least 1). A typed 1 leaves the up-down where it is:
  // the user may be on the way to a larger number.
  FrameFieldChange FrameTextChanged(const char* text);
  // OK is accepted only when the last number typed lies in 2..900.
  bool Acceptable() const { return lastTyped_ >= kMinFrames && lastTyped_ <= kMaxFrames; }
  const AnimationSettings& settings() const { return settings_; }

 private:
  AnimationSettings settings_;
  int32_t lastTyped_;
};
