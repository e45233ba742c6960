#pragma once

#include "framework/forms/CustomForm.h"

// The main window. Its whole content comes from its stored definition ("TFORM1").
class TForm1 : public sx::TForm {
  SX_CLASS(TForm1)

  // Builds the window from its stored definition.
  explicit TForm1(sx::TComponent* owner);
  // An empty window, without reading the definition.
  TForm1(sx::TComponent* owner, sx::CreateNewTag tag);
};

// The main window once the application has created it; empty before.
extern TForm1* Form1;
