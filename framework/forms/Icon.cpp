#include "framework/forms/Icon.h"

namespace sx {

constinit const ClassInfo TIcon::StaticClass{
    .name = "TIcon",
    .parent = &TPersistent::StaticClass,
};

TIcon::TIcon() : width_(GetSystemMetrics(SM_CXICON)), height_(GetSystemMetrics(SM_CYICON)) {}

TIcon::~TIcon() {
  DropHandle();
}

void TIcon::DropHandle() {
  if (handle_ && owned_) DestroyIcon(handle_);
  handle_ = nullptr;
  owned_ = false;
}

void TIcon::SetHandle(HICON handle, bool owned) {
  if (handle == handle_ && owned == owned_) return;
  // The same handle taken again must not be destroyed on its way in.
  if (handle != handle_) DropHandle();
  handle_ = handle;
  owned_ = handle != nullptr && owned;
  Changed();
}

HICON TIcon::ReleaseHandle() {
  HICON handle = handle_;
  handle_ = nullptr;
  owned_ = false;
  if (handle) Changed();
  return handle;
}

bool TIcon::LoadFromResourceName(HINSTANCE module, const char* name) {
  HICON handle = LoadIconA(module, name);
  if (!handle) return false;
  SetHandle(handle, false);
  return true;
}

void TIcon::SetSize(int width, int height) {
  width_ = width;
  height_ = height;
}

void TIcon::Assign(const TPersistent* source) {
  if (!source) {
    SetHandle(nullptr);
    return;
  }
  if (source->InheritsFrom(TIcon::StaticClass)) {
    const auto* other = static_cast<const TIcon*>(source);
    SetHandle(other->handle_, false);
    return;
  }
  TPersistent::Assign(source);
}

void TIcon::Changed() {
  onChange_(this);
}

}  // namespace sx
