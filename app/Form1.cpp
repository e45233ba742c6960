#include "app/Form1.h"

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

void TForm1::Button1Click(sx::TObject*) {
  // Opening the CD door at once is attached here.
}

void TForm1::Button2Click(sx::TObject*) {
  // Closing the CD door at once is attached here.
}

void TForm1::Button3Click(sx::TObject*) {
  // Shutting down at once is attached here.
}

void TForm1::Button4Click(sx::TObject*) {
  // Restarting at once is attached here.
}

void TForm1::Button5Click(sx::TObject*) {
  // Ending the session at once is attached here.
}

void TForm1::BitBtn4Click(sx::TObject*) {
  // The exit button closes the window by its kind; its own action is attached here.
}

void TForm1::Timer1Timer(sx::TObject*) {
  // The countdown's tick is attached here.
}

void TForm1::StartClick(sx::TObject*) {
  // Starting or resuming the countdown is attached here.
}

void TForm1::PauseClick(sx::TObject*) {
  // Pausing the countdown is attached here.
}

void TForm1::OtmenaClick(sx::TObject*) {
  // Cancelling the countdown is attached here.
}
