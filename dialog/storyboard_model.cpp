#include "dialog/storyboard_model.h"

#include <algorithm>
#include <cstdio>

#include "engine/script.h"

namespace {

constexpr StoryboardOp kEmptyOp{0, 0, 0};
// The sample list item selected when the storyboard empties (sample 3).
constexpr int kDefaultSampleItem = 2;

void Enable(StoryboardEffects& fx, std::initializer_list<int> ids, bool enabled) {
  for (const int id : ids) fx.buttons.push_back({id, enabled});
}

StoryboardEffects TooManyOperations() {
  StoryboardEffects fx;
  fx.message = kTooManyOperationsMessage;
  fx.messageValue = kMaxOperations;
  return fx;
}

}  // namespace

std::string StoryboardLabel(const StoryboardOp& op) {
  char text[32];
  std::snprintf(text, sizeof text, op.applied != 0 ? "%d-%d" : "%d-%d*", op.templateNumber,
                op.sampleNumber);
  return text;
}

void StoryboardModel::Start(const ParamRecord& record) {
  Storyboard& board = session_.storyboard();
  std::fill(std::begin(board.ops), std::end(board.ops), kEmptyOp);
  std::fill(std::begin(backup_), std::end(backup_), kEmptyOp);
  const int32_t t = TemplateNumberOf(record.templateIndex);
  board.ops[0] = {t, record.sampleNumber, t > 0 ? 1 : 0};
  backup_[0] = board.ops[0];
  board.count = 1;
  board.ops[1].templateNumber = t;
  current_ = {t, record.sampleNumber, 0};
  currentSample_ = record.sampleNumber;
  position_ = 1;
  pending_ = false;
  selected_ = kNoItem;
  layout_ = StoryboardLayout::kNormal;
  scriptText_ = ScriptTextOf(record);
  lastShownScript_ = scriptText_;
}

void StoryboardModel::SetScript(int position, const std::string& text) {
  position_ = std::clamp(position, 0, kMaxOperations);
  scriptText_ = text;
}

int StoryboardModel::OperationOfItem(int item) const {
  int seen = 0;
  for (int k = 0; k < count(); ++k) {
    if (op(k).sampleNumber == 0) continue;
    if (seen++ == item) return k;
  }
  return count();
}

int StoryboardModel::ItemOfOperation(int k) const {
  int item = 0;
  for (int j = 0; j < k; ++j) item += op(j).sampleNumber != 0 ? 1 : 0;
  return item;
}

StoryboardThumb StoryboardModel::RenderedThumb(int k, ParamRecord& record) const {
  record.templateIndex = TemplateIndexOf(op(k).templateNumber);
  record.sampleNumber = op(k).sampleNumber;
  record.storyboardPosition = k + 2;
  return {ItemOfOperation(k), StoryboardLabel(op(k)), -1, record};
}

StoryboardEffects StoryboardModel::PickTemplate(int t) {
  if (position_ >= kMaxOperations) return TooManyOperations();
  StoryboardEffects fx;
  const int p = position_;
  if (count() <= p) {
    countRef() = p;
    entry(p).applied = 1;
  }
  const StoryboardOp old = entry(p);
  entry(p).templateNumber = TemplateNumberOf(t);
  if (entry(p).templateNumber == old.templateNumber && selected_ == kNoItem) return fx;

  entry(p).applied = 1;
  entry(p).sampleNumber = currentSample_;
  if (entry(p + 1).applied == 0 && selected_ == kNoItem)
    entry(p + 1).templateNumber = entry(p).templateNumber;

  // The maps must hold the state before this operation.
  if (p < count()) {
    if (p == 0)
      session_.ResetMaps();
    else
      fx.previewBase = p - 1;
  } else if (pending_ && layout_ == StoryboardLayout::kAdvanced) {
    session_.SaveMaps();
  }
  fx.setTemplate = t;
  fx.showStep = 0;

  if (layout_ == StoryboardLayout::kNormal) {
    entry(p + 1).sampleNumber = 3;
    backup_[p] = entry(p);
    current_ = entry(p);
    ++countRef();
    position_ = count();
    Enable(fx, {kUndoButton, kResetButton, kAddToLibButton}, true);
  } else {
    pending_ = true;
    fx.unfreezeSamples = true;
    current_ = entry(p);
    entry(p) = old;
  }
  fx.refreshNow = true;
  return fx;
}

StoryboardEffects StoryboardModel::PickSample(int s) {
  StoryboardEffects fx;
  currentSample_ = s + 1;
  if (selected_ != kNoItem) Enable(fx, {kReplaceButton}, true);
  if (layout_ == StoryboardLayout::kNormal && position_ > 0)
    entry(position_ - 1).sampleNumber = s + 1;
  return fx;
}

StoryboardEffects StoryboardModel::AddOrReplace(int s) {
  if (position_ >= kMaxOperations) return TooManyOperations();
  StoryboardEffects fx;
  Enable(fx, {kResetButton, kAddToLibButton}, true);
  if (selected_ != kNoItem) {
    StoryboardOp& e = entry(position_);
    e = current_;
    e.sampleNumber = s + 1;
    e.applied = 1;
    backup_[position_] = e;
    fx.changeItems.push_back({selected_, StoryboardLabel(e), s, {}});
    pending_ = true;
    fx.rebuildAfter = selected_;
    return fx;
  }
  // Append at the end of the storyboard.
  pending_ = false;
  const int n = count();
  StoryboardOp& e = entry(n);
  e = {current_.templateNumber, s + 1, current_.applied};
  const int32_t before = n > 0 ? entry(n - 1).templateNumber : 0;
  if (e.templateNumber != before) e.applied = 1;
  backup_[n] = e;
  // The operation before it loses edits that were never committed.
  if (n > 0) entry(n - 1) = backup_[n - 1];
  countRef() = n + 1;
  position_ = n + 1;
  entry(n + 1).templateNumber = e.templateNumber;
  entry(n + 1).applied = 0;

  const int item = ItemOfOperation(n);
  fx.appendItems.push_back({item, StoryboardLabel(e), s, {}});
  fx.selectItem = item;
  if (count() > 1) Enable(fx, {kAnimationButton}, true);
  fx.refreshNow = true;
  return fx;
}

StoryboardEffects StoryboardModel::SelectItem(int item) {
  StoryboardEffects fx;
  const int k = OperationOfItem(item);
  if (item < 0 || k >= count()) return fx;
  selected_ = item;
  position_ = k;
  if (k == count() - 1) entry(count()).templateNumber = entry(k).templateNumber;
  pending_ = true;
  currentSample_ = backup_[k].sampleNumber;
  current_ = entry(k);
  fx.showStep = k + 2;
  Enable(fx, {kUnselectButton, kReplaceButton, kUndoButton}, true);
  fx.setTemplate = TemplateIndexOf(current_.templateNumber);
  fx.refreshNow = true;
  return fx;
}

void StoryboardModel::FinishRemoval(StoryboardEffects& fx) {
  if (count() == 0) {
    entry(position_).templateNumber = 0;
    current_.templateNumber = 0;
    Enable(fx, {kUnselectButton, kReplaceButton, kUndoButton, kResetButton, kAddToLibButton},
           false);
    fx.focusOk = true;
    fx.selectSample = kDefaultSampleItem;
    currentSample_ = 3;
  }
  fx.setTemplate = TemplateIndexOf(current_.templateNumber);
}

StoryboardEffects StoryboardModel::UndoLast(DialogRecords& records) {
  StoryboardEffects fx;
  if (count() > 0) {
    --countRef();
    position_ = count();
  }
  if (position_ > 0) {
    fx.showStep = position_ + 1;
    current_ = entry(position_ - 1);
    currentSample_ = current_.sampleNumber;
    entry(position_).templateNumber = current_.templateNumber;
  } else {
    fx = Reset(records);
  }
  FinishRemoval(fx);
  return fx;
}

StoryboardEffects StoryboardModel::DeleteSelected(DialogRecords& records) {
  StoryboardEffects fx;
  if (selected_ == kNoItem) return fx;
  int d = OperationOfItem(selected_);
  if (d >= count()) return fx;
  const bool wasLast = d == count() - 1;
  --countRef();
  position_ = d;
  fx.removeItem = selected_;
  fx.clearTemplateSelection = true;
  session_.RequestRebuild();
  if (entry(d).applied != 0 && entry(d + 1).applied == 0) entry(d + 1).applied = 1;
  Storyboard& board = session_.storyboard();
  std::copy(board.ops + d + 1, board.ops + kStoryboardSlots, board.ops + d);
  std::copy(backup_ + d + 1, backup_ + kStoryboardSlots, backup_ + d);
  board.ops[kStoryboardSlots - 1] = kEmptyOp;
  backup_[kStoryboardSlots - 1] = kEmptyOp;

  if (wasLast) {
    current_ = d > 0 ? entry(d - 1) : kEmptyOp;
    entry(d) = current_;
    --d;
  } else {
    for (int k = std::max(d - 1, 0); k < count(); ++k)
      fx.changeItems.push_back(RenderedThumb(k, records.working));
  }
  position_ = std::max(d, 0);
  selected_ = position_ < count() ? ItemOfOperation(position_) : kNoItem;
  if (selected_ != kNoItem) fx.selectItem = selected_;
  records.working.forceReplay = 1;
  records.rendered.forceReplay = 0;
  records.working.storyboardPosition = position_ + 2;
  records.working.sampleNumber = entry(position_).sampleNumber;
  records.working.templateIndex = TemplateIndexOf(entry(position_).templateNumber);
  current_ = entry(position_);
  if (count() == 0) records.rendered.templateIndex = 0;
  fx.unfreezeSamples = true;
  FinishRemoval(fx);
  return fx;
}

StoryboardEffects StoryboardModel::Reset(DialogRecords& records) {
  StoryboardEffects fx;
  fx.waitCursor = true;
  session_.ResetMaps();
  lastShownScript_.clear();
  position_ = 0;
  Enable(fx,
         {kAnimationButton, kResetButton, kAddToLibButton, kUnselectButton, kReplaceButton,
          kUndoButton},
         false);
  fx.focusOk = true;
  fx.renderPlainSamples = true;
  Storyboard& board = session_.storyboard();
  std::fill(std::begin(board.ops), std::end(board.ops), kEmptyOp);
  std::fill(std::begin(backup_), std::end(backup_), kEmptyOp);
  session_.ClearStoryboard();
  records.main.identityOnly = 0;
  records.main.storyboardPosition = 0;
  records.main.templateIndex = -1;
  records.working = records.main;
  records.rendered = records.main;
  currentSample_ = 3;
  current_.templateNumber = 0;
  current_.sampleNumber = 3;
  fx.removeAllItems = true;
  selected_ = kNoItem;
  fx.clearItemSelection = true;
  fx.clearTemplateSelection = true;
  fx.selectSample = kDefaultSampleItem;
  fx.setTemplate = TemplateIndexOf(entry(position_).templateNumber);
  return fx;
}

StoryboardEffects StoryboardModel::ReplaceSelected(int s) {
  StoryboardEffects fx;
  if (s < 0 || selected_ == kNoItem) return fx;
  StoryboardOp& e = entry(position_);
  e = current_;
  fx.changeItems.push_back(
      {selected_, StoryboardLabel({current_.templateNumber, s + 1, current_.applied}), s, {}});
  fx.rebuildAfter = selected_;
  pending_ = true;
  e.sampleNumber = s + 1;
  backup_[position_] = e;
  return fx;
}

StoryboardEffects StoryboardModel::RebuildAfter(int item, DialogRecords& records) {
  StoryboardEffects fx;
  const int k0 = OperationOfItem(item);
  if (item < 0 || k0 >= count()) return fx;
  records.main = records.working;
  for (int k = k0 + 1; k < count(); ++k) {
    if (entry(k).applied == 0) entry(k).templateNumber = entry(k - 1).templateNumber;
    fx.changeItems.push_back(RenderedThumb(k, records.main));
  }
  return fx;
}

void StoryboardModel::ScriptReplayed() {
  pending_ = false;
  position_ = count();
  const Storyboard& board = session_.storyboard();
  std::copy(std::begin(board.ops), std::end(board.ops), backup_);
  current_ = count() > 0 ? op(count() - 1) : kEmptyOp;
  currentSample_ = current_.sampleNumber;
}

StoryboardEffects StoryboardModel::Unselect() {
  StoryboardEffects fx;
  fx.clearItemSelection = true;
  selected_ = kNoItem;
  pending_ = false;
  position_ = count();
  Enable(fx, {kUnselectButton, kReplaceButton, kUndoButton}, false);
  fx.focusOk = true;
  fx.showStep = count() + 1;
  const StoryboardOp last = count() > 0 ? entry(count() - 1) : kEmptyOp;
  fx.setTemplate = TemplateIndexOf(last.templateNumber);
  fx.clearTemplateSelection = true;
  entry(count()).applied = 0;
  entry(count()).templateNumber = -1;
  current_ = last;
  return fx;
}

void StoryboardModel::CommitPending() {
  if (!pending_) return;
  // A template picked at the end lives only in the current operation.
  if (position_ >= count()) {
    entry(count()) = current_;
    entry(count()).applied = 1;
    backup_[count()] = entry(count());
  }
  ++position_;
  countRef() = position_;
  pending_ = false;
}

StoryboardEffects StoryboardModel::SwitchLayout(DialogRecords& records) {
  StoryboardEffects fx;
  fx.removeAllItems = true;
  selected_ = kNoItem;
  const bool filled = count() > 0;
  if (layout_ == StoryboardLayout::kAdvanced) {
    layout_ = StoryboardLayout::kNormal;
    Enable(fx, {kAnimationButton, kUnselectButton, kReplaceButton}, false);
    CommitPending();
    Enable(fx, {kUndoButton, kResetButton, kAddToLibButton}, count() > 0);
    return fx;
  }
  layout_ = StoryboardLayout::kAdvanced;
  pending_ = false;
  Enable(fx, {kUndoButton}, false);
  Enable(fx, {kAnimationButton}, count() > 1);
  session_.ResetMaps();
  records.working.forceReplay = 1;
  if (filled) {
    entry(count() - 1).sampleNumber = currentSample_;
    current_ = entry(count() - 1);
  }
  for (int k = 0; k < count(); ++k) fx.appendItems.push_back(RenderedThumb(k, records.working));
  if (filled) {
    entry(count()).templateNumber = current_.templateNumber;
    fx.selectTemplate = TemplateIndexOf(current_.templateNumber);
    fx.selectSample = current_.sampleNumber - 1;
    Enable(fx, {kResetButton, kAddToLibButton}, true);
  }
  return fx;
}

void StoryboardModel::Finish(DialogRecords& records, bool templateSelected) {
  ParamRecord& main = records.main;
  if (count() > position_) countRef() = position_ + 1;
  if (templateSelected && position_ == 0) position_ = 1;
  main.forceReplay = 1;
  main.storyboardPosition = 0;
  const int32_t t = TemplateNumberOf(main.templateIndex);
  if (count() == 0) {
    countRef() = 1;
    entry(0) = {t, main.sampleNumber, t > 0 ? 1 : 0};
  } else if (selected_ == kNoItem && current_.templateNumber != entry(count() - 1).templateNumber) {
    entry(count()) = {current_.templateNumber, main.sampleNumber, 1};
    ++countRef();
  }
}

std::string StoryboardModel::OkScriptText() const {
  return BuildScriptText(0, session_.storyboard().ops, count());
}
