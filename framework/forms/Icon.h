#pragma once

// TIcon: a system icon handle that knows whether it owns it.

#include <windows.h>

#include "framework/streaming/Persistent.h"

namespace sx {

// An icon: a system icon handle and the size it is drawn at. An icon the object made itself
// (an owned handle) is destroyed with it; one taken from a module's resources is shared by
// the system and is never destroyed.
class TIcon : public TPersistent {
  SX_CLASS(TIcon)

  TIcon();
  ~TIcon() override;

  HICON Handle() const { return handle_; }
  // Takes the handle; `owned` says whether the icon destroys it when it lets it go.
  void SetHandle(HICON handle, bool owned = false);
  // Lets the handle go without destroying it and returns it; the icon becomes empty.
  HICON ReleaseHandle();
  bool Empty() const { return handle_ == nullptr; }

  // The icon of that name in the module's resources (shared, not owned); false, leaving the
  // icon unchanged, when the module has none.
  bool LoadFromResourceName(HINSTANCE module, const char* name);

  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int width, int height);

  // Shares the other icon's handle, never its ownership.
  void Assign(const TPersistent* source) override;

  const TNotifyEvent& OnChange() const { return onChange_; }
  void SetOnChange(const TNotifyEvent& event) { onChange_ = event; }

 private:
  void Changed();
  void DropHandle();

  HICON handle_ = nullptr;
  bool owned_ = false;
  int width_;
  int height_;
  TNotifyEvent onChange_;
};

}  // namespace sx
