// The main dialog's thumbnails: the refresh of the samples, palettes and
// storyboard thumbnails, the three thumbnail lists and the storyboard edits
// they carry.
#include <cstdio>
#include <cstring>

#include "controls/win/control_procs.h"
#include "dialog/main_dialog_state.h"
#include "dialog/messages.h"
#include "dialog/preview_model.h"
#include "engine/ring_image.h"
#include "palette/win/palette_objects.h"
#include "platform/x32base/buf32_guards.h"
#include "platform/x32base/win/disp32.h"
#include "platform/x32clips/win/x32clips_win.h"
#include "plugin/render_call.h"
#include "plugin/win/module_instance.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kTemplateThumbs = 19;
constexpr int32_t kListStyle = 1025;  // cells fitted with room for a scroll bar
constexpr int kOutOfMemoryText = 1001;

int32_t ListEvent(IIOHandle list, int32_t message, int32_t item, void* data) {
  MainDialog* dialog = OpenMainDialog();
  return dialog != nullptr ? dialog->OnListEvent(list, message, item, data) : 0;
}

// A 24-bit bitmap resource of the module (either header form) as an image;
// 0 when it is missing or of another kind.
Buf32Handle LoadBitmapImage(int id) {
  const HRSRC found = FindResourceA(ModuleInstance(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));
  const HGLOBAL loaded = found != nullptr ? LoadResource(ModuleInstance(), found) : nullptr;
  const auto* data =
      loaded != nullptr ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  const DWORD size = found != nullptr ? SizeofResource(ModuleInstance(), found) : 0;
  if (data == nullptr || size < sizeof(BITMAPCOREHEADER)) return 0;
  DWORD headerSize = 0;
  std::memcpy(&headerSize, data, sizeof headerSize);
  int w = 0, h = 0, bits = 0;
  if (headerSize == sizeof(BITMAPCOREHEADER)) {
    BITMAPCOREHEADER core{};
    std::memcpy(&core, data, sizeof core);
    w = core.bcWidth, h = core.bcHeight, bits = core.bcBitCount;
  } else if (headerSize >= sizeof(BITMAPINFOHEADER) && size >= sizeof(BITMAPINFOHEADER)) {
    BITMAPINFOHEADER info{};
    std::memcpy(&info, data, sizeof info);
    w = info.biWidth, h = info.biHeight;
    bits = info.biCompression == BI_RGB ? info.biBitCount : 0;
  }
  const bool bottomUp = h > 0;
  h = bottomUp ? h : -h;
  const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
  Buf32Handle image = 0;
  if (bits != 24 || w <= 0 || h == 0 || size < headerSize + stride * h ||
      !buf32Alloc(&image, 24, w, h, 0, nullptr))
    return 0;
  buf32Lock(image, kBuf32Write, nullptr);
  for (int y = 0; y < h; ++y)
    RGBToBGR(data + headerSize + stride * (bottomUp ? h - 1 - y : y), buf32PointAddr(image, 0, y),
             w);
  buf32Unlock(image);
  return image;
}

std::string SampleLabel(int templateNumber, int sample) {
  char text[32];
  std::snprintf(text, sizeof text, "%d-%d", templateNumber, sample);
  return text;
}

// Adds (id 0) or replaces an item; the list keeps its own copy of the image.
bool PutItem(IIOHandle list, int32_t id, const std::string& label, Buf32Handle image) {
  IIItem item{};
  std::snprintf(item.label, sizeof item.label, "%s", label.c_str());
  item.flags = 1;
  item.image = image;
  if (id == 0) return x32IIAction(list, kIIAdd, 0, reinterpret_cast<intptr_t>(&item)) > 0;
  return x32IIAction(list, kIIReplace, static_cast<uintptr_t>(id),
                     reinterpret_cast<intptr_t>(&item)) != 0;
}

int32_t IdAt(IIOHandle list, int position) { return x32IIOAction(list, kIIOIdAt, 0, position); }

}  // namespace

IIOHandle MainDialog::CreateList(HWND control, int columns, int rows, int labelPlace) {
  const IIOHandle list = x32CreateIIO(0);
  if (list == 0) return 0;
  IIODefinition d{};
  x32IIOAction(list, kIIODefaultDefinition, 0, reinterpret_cast<intptr_t>(&d));
  d.layout = 0;
  d.columns = columns;
  d.rows = rows;
  d.fitImages = 1;
  d.style = kListStyle;
  d.labelPlace = labelPlace;
  d.selectable = 1;
  d.callback = ListEvent;
  x32IIOAction(list, kIIOApplyDefinition, 0, reinterpret_cast<intptr_t>(&d));
  RECT r{};
  GetWindowRect(control, &r);
  int cellWidth = 0, cellHeight = 0;
  x32IIOGetWH(control, 1, columns, rows, &cellWidth, &cellHeight, kListStyle);
  SetWindowPos(control, nullptr, 0, 0,
               NarrowedListWidth(r.right - r.left, GetSystemMetrics(SM_CXVSCROLL), cellWidth),
               r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
  return list;
}

void MainDialog::SelectInList(IIOHandle list, int position) {
  if (list == 0 || position < 0) return;
  x32IIOAction(list, kIIOSelect, 0, position);
  x32IIOAction(list, kIIOScrollTo, static_cast<uintptr_t>(position), 0);
}

void MainDialog::ClearSelection(IIOHandle list) {
  if (list != 0) x32IIOAction(list, kIIOSetSelection, 0, 0);
}

int MainDialog::SelectedPosition(IIOHandle list) const {
  int32_t id = 0;
  IIOSelection selection{1, &id};
  if (list == 0 ||
      x32IIOAction(list, kIIOGetSelection, 0, reinterpret_cast<intptr_t>(&selection)) <= 0 ||
      selection.count < 1)
    return -1;
  return x32IIOAction(list, kIIOPositionOf, 0, id);
}

void MainDialog::DestroyLists() {
  const std::pair<IIOHandle*, HWND> lists[] = {
      {&templates_, templateWnd_}, {&samples_, sampleWnd_}, {&storyboard_, storyWnd_}};
  for (const auto& [list, window] : lists) {
    if (*list == 0) continue;
    x32IIOAction(*list, kIIOAttach, 0, reinterpret_cast<intptr_t>(window));
    x32DestroyIIO(*list);
    *list = 0;
  }
}

bool MainDialog::InitLists() {
  templates_ = CreateList(templateWnd_, 7, 1, 1);
  const HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  records_.working = records_.rendered = records_.main;
  bool loaded = templates_ != 0;
  for (int i = 1; loaded && i <= kTemplateThumbs; ++i) {
    const Buf32Handle image = LoadBitmapImage(IDB_TEMPLATE_BASE + i);
    loaded = image != 0 && PutItem(templates_, 0, std::to_string(i), image);
    buf32Free(image);
  }
  if (!loaded) {
    SetCursor(cursor);
    Fail();
    return false;
  }
  SelectInList(templates_, records_.main.templateIndex);
  x32IIOAction(templates_, kIIOAttach, 1, reinterpret_cast<intptr_t>(templateWnd_));

  board_.Start(records_.main);
  samples_ = CreateList(sampleWnd_, 3, 2, 2);
  for (int i = 1; samples_ != 0 && i <= kSampleCount; ++i) {
    records_.main.sampleNumber = i;
    records_.main.identityOnly = 1;
    PutItem(samples_, 0, SampleLabel(board_.op(0).templateNumber, i), 0);
  }
  SelectInList(samples_, records_.working.sampleNumber - 1);
  x32IIOAction(samples_, kIIOAttach, 1, reinterpret_cast<intptr_t>(sampleWnd_));
  IIOMetrics metrics{};
  if (samples_ != 0 &&
      x32IIOAction(samples_, kIIOGetMetrics, 0, reinterpret_cast<intptr_t>(&metrics)) &&
      metrics.cellWidth > 0 && metrics.cellHeight > 0) {
    thumbWidth_ = metrics.cellWidth;
    thumbHeight_ = metrics.cellHeight;
  }
  if (records_.working.storyboardPosition == 1) {
    ParamRecord test = records_.working;
    if (!RenderThumb(test, thumbWidth_, thumbHeight_)) {
      SetCursor(cursor);
      Fail();
      return false;
    }
  }
  storyboard_ = CreateList(storyWnd_, 7, 1, 2);
  x32IIOAction(storyboard_, kIIOAttach, 1, reinterpret_cast<intptr_t>(storyWnd_));
  session_.SetStepReporter([this](const StoryboardOp& slot, Buf32Handle image) {
    SendMessageA(dialog_, UM_ADDSTEPTHUMB, reinterpret_cast<WPARAM>(&slot),
                 CopyBuffer(image).release());
  });
  SetCursor(cursor);
  return samples_ != 0 && storyboard_ != 0 ? true : (Fail(), false);
}

bool MainDialog::RenderThumb(ParamRecord& record, int width, int height) {
  if (thumb_ != 0 && buf32GetInfo(thumb_, nullptr)) buf32Free(thumb_);
  thumb_ = 0;
  ++renders_;
  if (RenderThumbnail(session_, &record, kRenderKindTexture, hostDesc_, width, height,
                      context_.source, &thumb_) != 0)
    return true;
  if (thumb_ != 0) buf32Free(thumb_);
  thumb_ = 0;
  return false;
}

// The general message, then the dialog cancels itself. Always false.
bool MainDialog::RenderFailed() {
  if (ended_) return false;
  const DialogMessageRequest request{kOutOfMemoryText, nullptr};
  ShowDialogMessage(dialog_, &request, kMessageModule, 7);
  SendMessageA(dialog_, WM_COMMAND, IDCANCEL, 0);
  return false;
}

bool MainDialog::RenderSamples(ParamRecord& record, int templateNumber) {
  for (int i = 1; i <= kSampleCount; ++i) {
    record.sampleNumber = i;
    if (!RenderThumb(record, thumbWidth_, thumbHeight_)) return RenderFailed();
    PutItem(samples_, IdAt(samples_, i - 1), SampleLabel(templateNumber, i), thumb_);
  }
  return true;
}

bool MainDialog::RebuildPalettes() {
  if (recordPalette_ != nullptr) DeleteObject(recordPalette_);
  recordPalette_ = CreateRecordPalette(records_.working);
  if (ringPalette_ != nullptr) DeleteObject(ringPalette_);
  ringPalette_ = recordPalette_ != nullptr ? disp32PalDuplicate(recordPalette_) : nullptr;
  if (ringPalette_ == nullptr) return false;
  RotateDisplayPalette(records_.working.ring, recordPalette_, ringPalette_);
  SendMessageA(paletteView_, kPalViewSet, 0, reinterpret_cast<LPARAM>(ringPalette_));
  return true;
}

void MainDialog::Refresh() {
  ParamRecord& w = records_.working;
  const bool mirror = SendDlgItemMessageA(dialog_, kMirrorButton, BM_GETCHECK, 0, 0) == BST_CHECKED;
  PrepareWorkingRecord(w, mirror, records_.rendered, board_.scriptText(), board_.lastShownScript());
  const RefreshPlan plan =
      PlanRefresh(w, records_.rendered, board_.scriptText(), board_.lastShownScript());
  if (!plan.render) return;
  const HCURSOR cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  if (plan.replayScript) session_.SetReplayRequest(1);
  if (plan.colours) {
    if (!RebuildPalettes()) {
      SetCursor(cursor);
      return;
    }
    if (advanced_) {
      for (int k = 0; k < board_.count(); ++k) {
        ParamRecord step = w;
        step.templateIndex = board_.op(k).templateNumber - 1;
        step.sampleNumber = board_.op(k).sampleNumber;
        step.storyboardPosition = k + 2;
        if (!RenderThumb(step, thumbWidth_, thumbHeight_)) return (void)RenderFailed();
        PutItem(storyboard_, IdAt(storyboard_, k), StoryboardLabel(board_.op(k)), thumb_);
      }
    }
    if (const int p = board_.position(); p > 0) {
      SelectInList(templates_, board_.op(p - 1).templateNumber - 1);
      SelectInList(samples_, board_.op(p - 1).sampleNumber - 1);
    }
  }
  records_.rendered = w;
  records_.main = w;
  board_.SetLastShownScript(board_.scriptText());
  SendMessageA(repeatBar_, kPalBarSet, static_cast<WPARAM>(w.mirror), w.repeat);
  SendMessageA(hueBar_, kHueBarSet, static_cast<WPARAM>(w.hueShift), 0);
  if (!samplesFrozen_ && !RenderSamples(records_.main, records_.main.templateIndex + 1)) return;
  ClearSelection(templates_);
  ClearSelection(samples_);
  if (records_.main.storyboardPosition == 1) {
    board_.ScriptReplayed();
    SetTemplateCaption(board_.current().templateNumber - 1);
  }
  if (board_.current().templateNumber > 0)
    SelectInList(templates_, board_.current().templateNumber - 1);
  SelectInList(samples_, board_.currentSample() - 1);
  EnableButton(kAnimationButton, board_.count() > 1);
  SetCursor(cursor);
}

void MainDialog::PreviewBase(int k) {
  records_.working = records_.main;
  records_.working.storyboardPosition = k + 2;
  ParamRecord record = records_.working;
  RenderThumb(record, thumbWidth_, thumbHeight_);
}

void MainDialog::AddStepThumb(const StoryboardOp* op, Buf32Handle image) {
  if (op != nullptr && op->sampleNumber != 0 && storyboard_ != 0 &&
      PutItem(storyboard_, 0, StoryboardLabel(*op), image))
    x32IIOAction(storyboard_, kIIOScrollTo, static_cast<uintptr_t>(kIIOMaxItems), 0);
  buf32Free(image);
}

void MainDialog::RealisePalette() {
  if (displayPalette_ == nullptr) return;
  const HDC dc = GetDC(dialog_);
  const HPALETTE old = SelectPalette(dc, displayPalette_, FALSE);
  RealizePalette(dc);
  SelectPalette(dc, old, FALSE);
  ReleaseDC(dialog_, dc);
}

// The image of a storyboard item: a sample's thumbnail (the list's own, not
// to be freed) or a render of the step.
bool MainDialog::ThumbImage(const StoryboardThumb& thumb, Buf32Handle* image, bool* owned) {
  *owned = false;
  if (thumb.sample >= 0) {
    IIItem item{};
    *image = x32IIAction(samples_, kIIRead, static_cast<uintptr_t>(IdAt(samples_, thumb.sample)),
                         reinterpret_cast<intptr_t>(&item)) != 0
                 ? item.image
                 : 0;
    return true;
  }
  ParamRecord record = thumb.record;
  if (!RenderThumb(record, thumbWidth_, thumbHeight_)) return false;
  *image = thumb_;
  return true;
}

bool MainDialog::ApplyEffects(const StoryboardEffects& fx) {
  if (fx.message != 0) {
    const DialogMessageRequest request{fx.message, nullptr};
    ShowDialogMessage(dialog_, &request, kMessageModule, 8);
  }
  for (const ButtonState& b : fx.buttons) EnableButton(b.id, b.enabled);
  const HCURSOR cursor = fx.waitCursor ? SetCursor(LoadCursor(nullptr, IDC_WAIT)) : nullptr;
  if (fx.removeAllItems)
    while (x32IIOAction(storyboard_, kIIOCount, 0, 0) > 0)
      x32IIAction(storyboard_, kIIDelete, static_cast<uintptr_t>(IdAt(storyboard_, 0)), 0);
  if (fx.removeItem)
    x32IIAction(storyboard_, kIIDelete, static_cast<uintptr_t>(IdAt(storyboard_, *fx.removeItem)),
                0);
  for (const StoryboardThumb& t : fx.appendItems) {
    Buf32Handle image = 0;
    bool owned = false;
    if (!ThumbImage(t, &image, &owned)) return RenderFailed();
    PutItem(storyboard_, 0, t.label, image);
    x32IIOAction(storyboard_, kIIOScrollTo, static_cast<uintptr_t>(t.item), 0);
  }
  for (const StoryboardThumb& t : fx.changeItems) {
    Buf32Handle image = 0;
    bool owned = false;
    if (!ThumbImage(t, &image, &owned)) return RenderFailed();
    PutItem(storyboard_, IdAt(storyboard_, t.item), t.label, image);
  }
  if (fx.clearItemSelection) ClearSelection(storyboard_);
  if (fx.selectItem) SelectInList(storyboard_, *fx.selectItem);
  if (fx.clearTemplateSelection) ClearSelection(templates_);
  if (fx.selectTemplate) SelectInList(templates_, *fx.selectTemplate);
  if (fx.selectSample) {
    ClearSelection(samples_);
    SelectInList(samples_, *fx.selectSample);
  }
  if (fx.renderPlainSamples) {
    ParamRecord plain = records_.main;
    plain.identityOnly = 1;
    if (!RenderSamples(plain, 0)) return false;
  }
  if (fx.unfreezeSamples) samplesFrozen_ = false;
  if (fx.focusOk) SetFocus(GetDlgItem(dialog_, IDOK));
  if (fx.waitCursor) SetCursor(cursor);
  if (fx.previewBase)
    SendMessageA(dialog_, UM_PREVIEWBASE, static_cast<WPARAM>(*fx.previewBase), 0);
  if (fx.rebuildAfter)
    SendMessageA(dialog_, UM_REBUILDAFTER, static_cast<WPARAM>(*fx.rebuildAfter), 0);
  if (fx.setTemplate)
    SendMessageA(dialog_, UM_SETTEMPLATE, static_cast<WPARAM>(*fx.setTemplate), 0);
  if (fx.showStep) SendMessageA(dialog_, UM_SHOWSTEP, static_cast<WPARAM>(*fx.showStep), 0);
  if (fx.refreshNow) SendMessageA(dialog_, WM_TIMER, 0, 0);
  return !ended_;
}

int32_t MainDialog::OnListEvent(IIOHandle list, int32_t message, int32_t item, void* data) {
  if (ended_ || commandsBlocked_) return 0;
  const int position = item > 0 ? x32IIOAction(list, kIIOPositionOf, 0, item) : -1;
  if (list == templates_) {
    if (message == kIIOMsgClick && position >= 0) ApplyEffects(board_.PickTemplate(position));
    return 0;
  }
  if (list == samples_) {
    const auto* drop = static_cast<const IIODrop*>(data);
    switch (message) {
      case kIIOMsgClick:
        if (position >= 0) ApplyEffects(board_.PickSample(position));
        return 0;
      case kIIOMsgDoubleClick:
        if (position < 0) return 0;
        if (!advanced_)
          SendMessageA(dialog_, WM_COMMAND, IDOK, 0);
        else
          ApplyEffects(board_.AddOrReplace(position));
        return 0;
      case kIIOMsgDragQuery:
        return drop != nullptr && reinterpret_cast<HWND>(drop->window) == storyWnd_ ? 1 : 0;
      case kIIOMsgDrop:
        if (drop != nullptr && drop->items.count > 0 && drop->items.ids != nullptr)
          ApplyEffects(
              board_.AddOrReplace(x32IIOAction(list, kIIOPositionOf, 0, drop->items.ids[0])));
        return 0;
      default: return 0;
    }
  }
  if (list == storyboard_) {
    if (message == kIIOMsgClick && position >= 0) ApplyEffects(board_.SelectItem(position));
    if (message == kIIOMsgRightClick && position >= 0 && position == board_.selectedItem())
      ApplyEffects(board_.Unselect());
  }
  return 0;
}
