#pragma once

// TForm1: the program's main window, its components and the countdown they drive, with what
// the countdown asks of the system meanwhile: to stay awake, and to show the time going on
// the taskbar button.

#include "app/TaskbarProgress.h"
#include "framework/controls/BitBtn.h"
#include "framework/controls/Button.h"
#include "framework/controls/Edit.h"
#include "framework/controls/Panel.h"
#include "framework/controls/RadioButton.h"
#include "framework/controls/Timer.h"
#include "framework/controls/UpDown.h"
#include "framework/forms/Application.h"
#include "framework/forms/CustomForm.h"

// The main window. Its whole content comes from its stored definition ("TFORM1"): the
// loader creates every component, fills the field of the same name and binds each event to
// the method the definition names.
class TForm1 : public sx::TForm {
  SX_CLASS(TForm1)

  // Builds the window from its stored definition.
  explicit TForm1(sx::TComponent* owner);
  // An empty window, without reading the definition.
  TForm1(sx::TComponent* owner, sx::CreateNewTag tag);

  // The components, in the order of the class's field table.
  sx::TButton* Button1 = nullptr;
  sx::TButton* Button2 = nullptr;
  sx::TButton* Button3 = nullptr;
  sx::TButton* Button4 = nullptr;
  sx::TButton* Button5 = nullptr;
  sx::TTimer* Timer1 = nullptr;
  sx::TEdit* Edit1 = nullptr;
  sx::TEdit* Edit2 = nullptr;
  sx::TEdit* Edit3 = nullptr;
  sx::TUpDown* UpDown1 = nullptr;
  sx::TUpDown* UpDown2 = nullptr;
  sx::TUpDown* UpDown3 = nullptr;
  sx::TBitBtn* Start = nullptr;
  sx::TBitBtn* Pause = nullptr;
  sx::TBitBtn* Otmena = nullptr;
  sx::TBitBtn* BitBtn4 = nullptr;
  sx::TPanel* Panel1 = nullptr;
  sx::TRadioButton* RadioButton1 = nullptr;
  sx::TRadioButton* RadioButton2 = nullptr;
  sx::TRadioButton* RadioButton3 = nullptr;
  sx::TRadioButton* RadioButton4 = nullptr;
  sx::TRadioButton* RadioButton5 = nullptr;

  // The immediate actions.
  void Button1Click(sx::TObject* sender);
  void Button2Click(sx::TObject* sender);
  void Button3Click(sx::TObject* sender);
  void Button4Click(sx::TObject* sender);
  void Button5Click(sx::TObject* sender);
  void BitBtn4Click(sx::TObject* sender);
  // The countdown.
  void Timer1Timer(sx::TObject* sender);
  void StartClick(sx::TObject* sender);
  void PauseClick(sx::TObject* sender);
  void OtmenaClick(sx::TObject* sender);

  void AfterConstruction() override;
  void BeforeDestruction() override;

 private:
  // The application window's messages, before the application handles them: the taskbar
  // says there when the program's button exists.
  void ApplicationWindowMessage(sx::TMessage& message, bool& handled);
  // The time the fields show, in seconds; -1 while one of them holds no number.
  long long FieldSeconds() const;
  // The time gone since Start, onto the taskbar button.
  void ShowProgress();

  sx::TWindowHook applicationHook_;
  TaskbarProgress taskbar_;
  // The time set when the countdown was started, in seconds; a resumed countdown keeps it.
  long long secondsAtStart_ = 0;
};

// The main window once the application has created it; empty before.
extern TForm1* Form1;
