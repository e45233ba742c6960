#include "app/Form1.h"

#include <algorithm>
#include <cstdint>

#include "app/SystemActions.h"
#include "framework/runtime/TextUtil.h"

namespace {

using sx::ClassInfo;
using sx::Field;
using sx::FieldInfo;
using sx::Method;
using sx::MethodInfo;

// The loader finds the classes the definition names here; nothing else is registered.
constexpr const ClassInfo* kForm1FieldClasses[] = {
    &sx::TButton::StaticClass,      &sx::TTimer::StaticClass,  &sx::TEdit::StaticClass,
    &sx::TUpDown::StaticClass,      &sx::TBitBtn::StaticClass, &sx::TPanel::StaticClass,
    &sx::TRadioButton::StaticClass,
};

constexpr FieldInfo kForm1Fields[] = {
    Field<&TForm1::Button1>("Button1"),
    Field<&TForm1::Button2>("Button2"),
    Field<&TForm1::Button3>("Button3"),
    Field<&TForm1::Button4>("Button4"),
    Field<&TForm1::Button5>("Button5"),
    Field<&TForm1::Timer1>("Timer1"),
    Field<&TForm1::Edit1>("Edit1"),
    Field<&TForm1::Edit2>("Edit2"),
    Field<&TForm1::Edit3>("Edit3"),
    Field<&TForm1::UpDown1>("UpDown1"),
    Field<&TForm1::UpDown2>("UpDown2"),
    Field<&TForm1::UpDown3>("UpDown3"),
    Field<&TForm1::Start>("Start"),
    Field<&TForm1::Pause>("Pause"),
    Field<&TForm1::Otmena>("Otmena"),
    Field<&TForm1::BitBtn4>("BitBtn4"),
    Field<&TForm1::Panel1>("Panel1"),
    Field<&TForm1::RadioButton1>("RadioButton1"),
    Field<&TForm1::RadioButton2>("RadioButton2"),
    Field<&TForm1::RadioButton3>("RadioButton3"),
    Field<&TForm1::RadioButton4>("RadioButton4"),
    Field<&TForm1::RadioButton5>("RadioButton5"),
};

constexpr MethodInfo kForm1Methods[] = {
    Method<&TForm1::Button1Click>("Button1Click"), Method<&TForm1::Button2Click>("Button2Click"),
    Method<&TForm1::Button3Click>("Button3Click"), Method<&TForm1::Button4Click>("Button4Click"),
    Method<&TForm1::Button5Click>("Button5Click"), Method<&TForm1::BitBtn4Click>("BitBtn4Click"),
    Method<&TForm1::Timer1Timer>("Timer1Timer"),   Method<&TForm1::StartClick>("StartClick"),
    Method<&TForm1::PauseClick>("PauseClick"),     Method<&TForm1::OtmenaClick>("OtmenaClick"),
};

}  // namespace

constinit const sx::ClassInfo TForm1::StaticClass{
    .name = "TForm1",
    .parent = &sx::TForm::StaticClass,
    .construct = &sx::ConstructComponent<TForm1>,
    .fields = kForm1Fields,
    .fieldClasses = kForm1FieldClasses,
    .methods = kForm1Methods,
};

TForm1* Form1 = nullptr;

TForm1::TForm1(sx::TComponent* owner) : sx::TForm(owner) {}

TForm1::TForm1(sx::TComponent* owner, sx::CreateNewTag tag) : sx::TForm(owner, tag) {}

void TForm1::AfterConstruction() {
  sx::TForm::AfterConstruction();
  // Hooked only once the window is whole: a construction that fails leaves no hook behind.
  if (!sx::Application) return;
  applicationHook_ = sx::MakeEvent<&TForm1::ApplicationWindowMessage>(this);
  sx::Application->HookMainWindow(applicationHook_);
  TaskbarProgress::AllowButtonCreated(sx::Application->Handle());
}

void TForm1::BeforeDestruction() {
  // Leaving the program ends the countdown: the system may sleep again. The bar goes while
  // the button is still there, before the form is hidden.
  if (Timer1 && Timer1->Enabled()) SystemCalls().SetThreadExecutionState(kMayRest);
  taskbar_.Leave();
  if (sx::Application && applicationHook_) sx::Application->UnhookMainWindow(applicationHook_);
  applicationHook_ = {};
  sx::TForm::BeforeDestruction();
}

void TForm1::ApplicationWindowMessage(sx::TMessage& message, bool&) {
  // Left unhandled: the application window goes on with it as with any other message.
  if (message.Msg != 0 && message.Msg == TaskbarProgress::ButtonCreatedMessage())
    taskbar_.ButtonCreated(sx::Application->Handle());
}

// --- The immediate actions --------------------------------------------------------------------
// None of them touches the countdown: the timer, the fields and the countdown buttons stay.

void TForm1::Button1Click(sx::TObject*) {
  // The door commands wait until the door has moved; what the device answers (no drive, no
  // door that moves) is not the user's concern.
  SystemCalls().mciSendStringA(kOpenDoorCommand, nullptr, 0, Handle());
}

void TForm1::Button2Click(sx::TObject*) {
  SystemCalls().mciSendStringA(kCloseDoorCommand, nullptr, 0, Handle());
}

void TForm1::Button3Click(sx::TObject*) {
  ShutDownComputer();
}

void TForm1::Button4Click(sx::TObject*) {
  RestartComputer();
}

void TForm1::Button5Click(sx::TObject*) {
  EndUserSession();
}

void TForm1::BitBtn4Click(sx::TObject*) {
  // A close-kind button closes the form by itself and does not raise its click event; this
  // runs only when the event is raised some other way.
  Close();
}

// --- The countdown ------------------------------------------------------------------------------
// The remaining time lives only in the three fields' texts; the running state only in the
// Enabled flags of the timer and the buttons.

void TForm1::Timer1Timer(sx::TObject*) {
  // Zero is the one-character text "0" and nothing else; the fields are read seconds first,
  // and a field is read only when the ones before it read "0".
  if (Edit3->Text() == "0" && Edit2->Text() == "0" && Edit1->Text() == "0") {
    Timer1->SetEnabled(false);
    Start->SetEnabled(true);
    Pause->SetEnabled(false);
    Otmena->SetEnabled(false);
    // The countdown is over before the action runs, which may block (a door that moves) or
    // fail: either way nothing keeps the system awake any longer.
    SystemCalls().SetThreadExecutionState(kMayRest);
    taskbar_.Clear();
    // The choice counts as it stands now, not as it stood at Start. Each radio button is
    // asked on its own; they exclude each other, so one action runs.
    if (RadioButton1->Checked())
      SystemCalls().mciSendStringA(kOpenDoorCommand, nullptr, 0, Handle());
    if (RadioButton2->Checked())
      SystemCalls().mciSendStringA(kCloseDoorCommand, nullptr, 0, Handle());
    if (RadioButton3->Checked()) ShutDownComputer();
    if (RadioButton4->Checked()) RestartComputer();
    if (RadioButton5->Checked()) EndUserSession();
    return;
  }

  // One second down, borrowing from the next field. The one conversion comes before any
  // write, so text that is not a number raises with every field as it was. The arithmetic is
  // 64-bit: the smallest 32-bit value a field could hold has no 32-bit predecessor.
  if (Edit3->Text() != "0") {
    Edit3->SetText(sx::IntToStr(std::int64_t{sx::StrToInt(Edit3->Text())} - 1));
  } else if (Edit2->Text() != "0") {
    Edit2->SetText(sx::IntToStr(std::int64_t{sx::StrToInt(Edit2->Text())} - 1));
    Edit3->SetText("59");
  } else {
    Edit1->SetText(sx::IntToStr(std::int64_t{sx::StrToInt(Edit1->Text())} - 1));
    Edit2->SetText("59");
    Edit3->SetText("59");
  }
  ShowProgress();
}

void TForm1::StartClick(sx::TObject*) {
  // The spin buttons are on only at rest: with them off, Start resumes a paused countdown
  // (or starts a finished one again at 0:0:0), which keeps the time set at the first Start.
  const bool resuming = !UpDown1->Enabled();
  // The timer first: when the system refuses it, the buttons stay as they were and nothing
  // is asked of the system. Enabling the timer starts its period afresh, so a resumed
  // countdown waits one full interval.
  Timer1->SetEnabled(true);
  Start->SetEnabled(false);
  Pause->SetEnabled(true);
  Otmena->SetEnabled(true);
  UpDown1->SetEnabled(false);
  UpDown2->SetEnabled(false);
  UpDown3->SetEnabled(false);
  // Sleeping on idle would stop the ticks with the computer, and the action would come long
  // after waking, or never. The display may still turn off.
  SystemCalls().SetThreadExecutionState(kStayAwake);
  if (!resuming) secondsAtStart_ = std::max(FieldSeconds(), 0LL);
  ShowProgress();
}

void TForm1::PauseClick(sx::TObject*) {
  // The spin buttons stay off: a new time can be set only after Cancel.
  Timer1->SetEnabled(false);
  Start->SetEnabled(true);
  Pause->SetEnabled(false);
  Otmena->SetEnabled(false);
  SystemCalls().SetThreadExecutionState(kMayRest);
  taskbar_.Paused();
}

void TForm1::OtmenaClick(sx::TObject*) {
  // Only the fields go back to zero; the spin buttons keep their positions.
  Timer1->SetEnabled(false);
  Edit1->SetText("0");
  Edit2->SetText("0");
  Edit3->SetText("0");
  Start->SetEnabled(true);
  Pause->SetEnabled(false);
  Otmena->SetEnabled(false);
  UpDown1->SetEnabled(true);
  UpDown2->SetEnabled(true);
  UpDown3->SetEnabled(true);
  SystemCalls().SetThreadExecutionState(kMayRest);
  taskbar_.Clear();
}

long long TForm1::FieldSeconds() const {
  std::int32_t hours = 0;
  std::int32_t minutes = 0;
  std::int32_t seconds = 0;
  if (!sx::TryStrToInt(Edit1->Text(), hours) || !sx::TryStrToInt(Edit2->Text(), minutes) ||
      !sx::TryStrToInt(Edit3->Text(), seconds))
    return -1;
  const long long total = 3600LL * hours + 60LL * minutes + seconds;
  return total < 0 ? -1 : total;
}

void TForm1::ShowProgress() {
  // Fields that hold no number are reported by the tick; the bar keeps what it showed.
  const long long left = FieldSeconds();
  if (left < 0) return;
  const long long total = std::max(secondsAtStart_, left);
  taskbar_.Running(static_cast<unsigned long long>(total - left),
                   static_cast<unsigned long long>(total));
}
