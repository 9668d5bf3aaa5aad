// The main dialog's state and behaviour, shared by its set-up and command
// code (main_dialog.cpp) and its refresh and list code (preview.cpp).
#pragma once

#include <windows.h>

#include <string>

#include "dialog/main_dialog.h"
#include "dialog/storyboard_model.h"
#include "engine/renderer.h"
#include "platform/x32base/buf32.h"
#include "platform/x32clips/x32clips.h"
#include "plugin/plugin_context.h"

// Control ids of dialog 200.
enum MainDialogControl : int {
  kRepeatBar = 205,
  kRepeatSpin = 206,
  kHueBar = 212,
  kHueEdit = 213,
  kHueUpDown = 214,
  kMirrorButton = 215,
  kPaletteView = 229,
  kRepeatLabel = 232,
  kRingEdit = 233,
  kRingUpDown = 234,
  kEditRamp = 235,
  kHelpButton = 239,
  kHelpButtonAlt = 228,
  kAboutButton = 276,
  kLayoutButton = 280,
  kLayoutMarker = 281,
  kTemplateList = 1018,
  kLoadLibButton = 1022,
  kSampleList = 1028,
  kStoryboardList = 1029,
  kTemplateGroup = 1030,
};

inline constexpr UINT_PTR kRefreshTimer = 101;
inline constexpr int kSampleCount = 6;

class MainDialog {
 public:
  MainDialog(HWND dialog, PlugInContext& context);
  MainDialog(const MainDialog&) = delete;
  MainDialog& operator=(const MainDialog&) = delete;
  ~MainDialog();

  // Set-up; false when the dialog was ended.
  bool Init();
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  bool ended() const { return ended_; }
  ParamRecord& working() { return records_.working; }
  int renders() const { return renders_; }

  // List callbacks, by list.
  int32_t OnListEvent(IIOHandle list, int32_t message, int32_t item, void* data);

 private:
  // main_dialog.cpp: set-up, commands, closing.
  bool InitControls();
  bool InitPalettes();
  bool InitLists();
  void Fail();
  void Command(int id, int code, HWND control, LPARAM lParam);
  void HueEditChanged();
  void RingEditChanged();
  bool ValidateFields(ParamRecord& record);
  void SwitchLayout();
  void OpenNestedDialog(int command);
  // main_dialog_animation.cpp: the animation export.
  void Animate();
  void ShowHelp();
  void Ok();
  void Cancel();
  void ReleaseAll();
  void Notify(UINT message, WPARAM wParam);
  void SetTemplateCaption(int32_t templateIndex);

  // preview.cpp: the refresh, thumbnails and the lists.
  void Refresh();
  bool RebuildPalettes();
  bool RenderThumb(ParamRecord& record, int width, int height);
  bool RenderFailed();
  bool RenderSamples(ParamRecord& record, int templateNumber);
  bool ApplyEffects(const StoryboardEffects& fx);
  bool ThumbImage(const StoryboardThumb& thumb, Buf32Handle* image, bool* owned);
  void RealisePalette();
  void AddStepThumb(const StoryboardOp* op, Buf32Handle image);
  void PreviewBase(int k);
  IIOHandle CreateList(HWND control, int columns, int rows, int labelPlace);
  void SelectInList(IIOHandle list, int position);
  void ClearSelection(IIOHandle list);
  int SelectedPosition(IIOHandle list) const;
  void DestroyLists();
  void EnableButton(int id, bool enabled);

  HWND dialog_;
  PlugInContext& context_;
  RenderSession& session_;
  DialogRecords records_{};
  StoryboardModel board_;
  bool advanced_ = false;
  bool hueDrag_ = false;
  bool samplesFrozen_ = false;
  bool commandsBlocked_ = true;
  bool ended_ = false;
  int32_t lastHue_ = -1;
  RECT fullRect_{};
  RECT markerRect_{};
  HWND hueEdit_ = nullptr, ringEdit_ = nullptr, hueUpDown_ = nullptr, ringUpDown_ = nullptr;
  HWND repeatBar_ = nullptr, repeatSpin_ = nullptr, hueBar_ = nullptr, paletteView_ = nullptr;
  HWND templateWnd_ = nullptr, sampleWnd_ = nullptr, storyWnd_ = nullptr;
  IIOHandle templates_ = 0, samples_ = 0, storyboard_ = 0;
  HPALETTE displayPalette_ = nullptr, recordPalette_ = nullptr, ringPalette_ = nullptr;
  Buf32Handle thumb_ = 0;
  Buf32Desc hostDesc_{};
  int thumbWidth_ = 52, thumbHeight_ = 52;
  char filterName_[33] = {};
  int renders_ = 0;
  bool timerRunning_ = false;
};

// The one open dialog (module state), for the list callbacks.
MainDialog* OpenMainDialog();
