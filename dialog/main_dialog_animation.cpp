// "Ani&mation...": the storyboard exported as a film, with the preview
// stopped for the run and the dialog put back as it was afterwards.
#include "animation/win/animation_dialog.h"
#include "dialog/main_dialog_state.h"

void MainDialog::Animate() {
  const int items = x32IIOAction(storyboard_, kIIOCount, 0, 0);
  if (items < 2) return;
  // The renders of the run may rewrite the operation array.
  const Storyboard saved = session_.storyboard();
  const bool timer = timerRunning_;
  if (timer) KillTimer(dialog_, kRefreshTimer);
  timerRunning_ = false;
  session_.RequestRebuild();

  AnimationExportRequest request;
  request.owner = dialog_;
  request.session = &session_;
  request.record = records_.main;
  request.operations.assign(saved.ops, saved.ops + saved.count);
  request.itemCount = items;
  request.source = context_.source;
  if (context_.host != nullptr) request.progress = context_.host->progress;
  RunAnimationExport(request);

  session_.storyboard() = saved;
  // The last operation is the current one again, nothing selected, and the
  // preview shows the state after all operations.
  const StoryboardEffects unselect = board_.Unselect();
  StoryboardEffects fx;
  fx.buttons = unselect.buttons;
  fx.clearItemSelection = true;
  fx.showStep = unselect.showStep;
  if (timer) SetTimer(dialog_, kRefreshTimer, 1000, nullptr);
  timerRunning_ = timer;
  ApplyEffects(fx);
}
