// The main dialog's storyboard without its window: the operations the user
// builds from template and sample picks, their undo, select, replace and
// delete, and what each of those asks the dialog to show.
//
// The operation array is the render session's storyboard table, so the
// session's replays and these edits work on the same entries. Every edit
// returns a StoryboardEffects that the dialog turns into window calls, in the
// order of its fields: buttons, list changes, messages to itself, refresh.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/renderer.h"
#include "engine/storyboard.h"
#include "model/param_record.h"

// Operations a storyboard can hold (message 520 names this number).
inline constexpr int kMaxOperations = 20;
inline constexpr int kTooManyOperationsMessage = 520;
// A list index that names no item.
inline constexpr int kNoItem = -1;

// The main dialog's buttons that the storyboard enables and disables.
enum StoryboardButton : int {
  kAnimationButton = 279,
  kResetButton = 248,  // "&Reset" / "Dele&te All"
  kReplaceButton = 1019,
  kUndoButton = 1020,  // "&Undo" / "&Delete"
  kAddToLibButton = 1023,
  kUnselectButton = 1031,
};

struct ButtonState {
  int id;
  bool enabled;
  friend bool operator==(const ButtonState&, const ButtonState&) = default;
};

// A storyboard list item to append or to give a new image and label. The
// image is the sample list's thumbnail `sample` (0..5), or, with sample -1, a
// thumbnail rendered from `record` (words 0, 11 and 12 name the step).
struct StoryboardThumb {
  int item;
  std::string label;
  int sample;
  ParamRecord record;
};

struct StoryboardEffects {
  int message = 0;  // kTooManyOperationsMessage (with messageValue) or 0
  int messageValue = 0;
  std::vector<ButtonState> buttons;  // applied in order
  bool waitCursor = false;
  bool removeAllItems = false;
  std::optional<int> removeItem;
  std::vector<StoryboardThumb> appendItems;  // scrolled into view
  std::vector<StoryboardThumb> changeItems;  // rendered in order; a failed render stops
  // Storyboard list selection, scrolled into view. After an append it only
  // marks the new item: no operation is selected until the user clicks one.
  std::optional<int> selectItem;
  bool clearItemSelection = false;
  std::optional<int> selectTemplate;  // template list selection (0-based)
  bool clearTemplateSelection = false;
  std::optional<int> selectSample;  // sample list item to select, after clearing it
  // Re-render the six samples from the main record with word 14 = 1 and word
  // 11 = 1..6, labelled "0-1".."0-6".
  bool renderPlainSamples = false;
  bool unfreezeSamples = false;
  bool focusOk = false;
  std::optional<int32_t> previewBase;   // UM_PREVIEWBASE (storyboard index)
  std::optional<int32_t> rebuildAfter;  // UM_REBUILDAFTER (storyboard item)
  std::optional<int32_t> setTemplate;   // UM_SETTEMPLATE (template index, -1 none; sample 0)
  std::optional<int32_t> showStep;      // UM_SHOWSTEP
  bool refreshNow = false;              // a WM_TIMER at once
};

// The dialog's three records: handed back to the host, edited, last rendered.
struct DialogRecords {
  ParamRecord main;
  ParamRecord working;
  ParamRecord rendered;
};

enum class StoryboardLayout { kNormal, kAdvanced };

// "%d-%d" with template and sample number, "%d-%d*" when not applied.
std::string StoryboardLabel(const StoryboardOp& op);

class StoryboardModel {
 public:
  explicit StoryboardModel(RenderSession& session) : session_(session) {}

  // The state when the dialog opens on `record`: one operation of its
  // template and sample, normal layout, position 1.
  void Start(const ParamRecord& record);
  // UM_SETSCRIPT: a library dialog loaded a script into the storyboard.
  void SetScript(int position, const std::string& text);

  // Template list click on template index t.
  StoryboardEffects PickTemplate(int t);
  // Sample list click on sample index s.
  StoryboardEffects PickSample(int s);
  // Sample double-click in the advanced layout, or a sample dropped on the
  // storyboard: appends the operation, or replaces the selected one.
  StoryboardEffects AddOrReplace(int s);
  // Storyboard list click on item i.
  StoryboardEffects SelectItem(int item);
  // 1020 in the normal layout; undoing the only operation resets.
  StoryboardEffects UndoLast(DialogRecords& records);
  // 1020 in the advanced layout.
  StoryboardEffects DeleteSelected(DialogRecords& records);
  // 248.
  StoryboardEffects Reset(DialogRecords& records);
  // 1019 with the sample list's selection (-1 none).
  StoryboardEffects ReplaceSelected(int s);
  // 1031, or a right click on the selected storyboard item.
  StoryboardEffects Unselect();
  // Switching back to the normal layout keeps a pending operation: a
  // template picked at the end is appended, a selected operation becomes the
  // last one.
  void CommitPending();
  // 280: switch the layout; the dialog sets the button texts and its size.
  StoryboardEffects SwitchLayout(DialogRecords& records);
  // OK, before the final render: drops the operations after the position and
  // appends the current one. `templateSelected`: the template list has a
  // selection; the main record already holds the OK template and sample.
  void Finish(DialogRecords& records, bool templateSelected);
  // The script text OK stores in the record (number 0).
  std::string OkScriptText() const;
  // The preview replayed the record's script into the operation array: the
  // storyboard continues after its last operation, all of it committed.
  void ScriptReplayed();
  // UM_REBUILDAFTER: re-renders the items after `item` from the main record.
  StoryboardEffects RebuildAfter(int item, DialogRecords& records);

  int count() const { return session_.storyboard().count; }
  int position() const { return position_; }
  const StoryboardOp& op(int k) const { return session_.storyboard().ops[k]; }
  const StoryboardOp& backup(int k) const { return backup_[k]; }
  const StoryboardOp& current() const { return current_; }
  int32_t currentSample() const { return currentSample_; }
  bool pending() const { return pending_; }
  int selectedItem() const { return selected_; }
  StoryboardLayout layout() const { return layout_; }
  const std::string& scriptText() const { return scriptText_; }
  // The script the preview showed last (the preview keeps it up to date).
  const std::string& lastShownScript() const { return lastShownScript_; }
  void SetLastShownScript(const std::string& text) { lastShownScript_ = text; }

 private:
  StoryboardOp& entry(int k) { return session_.storyboard().ops[k]; }
  int& countRef() { return session_.storyboard().count; }
  // Operations whose sample number is 0 have no list item.
  int OperationOfItem(int item) const;
  int ItemOfOperation(int k) const;
  StoryboardThumb RenderedThumb(int k, ParamRecord& record) const;
  // After Undo or Delete: an empty storyboard disables its buttons.
  void FinishRemoval(StoryboardEffects& fx);

  RenderSession& session_;
  StoryboardOp backup_[kStoryboardSlots]{};
  int position_ = 1;
  StoryboardOp current_{};
  int32_t currentSample_ = 3;
  bool pending_ = false;
  int selected_ = kNoItem;
  StoryboardLayout layout_ = StoryboardLayout::kNormal;
  std::string scriptText_;
  std::string lastShownScript_;
};
