// The order in which the main window's components finish loading, against the order in
// which they were created. A window class derived from TForm1 declares, under the names the
// definition uses, classes that record their after-load step, so that the real "TFORM1" is
// read into components that tell when they are done.

#include <string>
#include <vector>

#include "framework/forms/Application.h"
#include "tests/app/mainwindow/MainWindowTestSupport.h"

namespace sx::testing {
namespace {

std::vector<std::string> g_afterLoads;

template <class Base>
class TAfterLoadProbe : public Base {
  SX_CLASS(TAfterLoadProbe)

  explicit TAfterLoadProbe(TComponent* owner) : Base(owner) {}

  void AfterLoad() override {
    g_afterLoads.push_back(this->Name());
    Base::AfterLoad();
  }
};

#define SX_AFTER_LOAD_PROBE(Base)                                \
  template <>                                                    \
  constinit const ClassInfo TAfterLoadProbe<Base>::StaticClass { \
    .name = #Base, .parent = &Base::StaticClass,                 \
    .construct = &ConstructComponent<TAfterLoadProbe<Base>>,     \
  }

SX_AFTER_LOAD_PROBE(TButton);
SX_AFTER_LOAD_PROBE(TTimer);
SX_AFTER_LOAD_PROBE(TEdit);
SX_AFTER_LOAD_PROBE(TUpDown);
SX_AFTER_LOAD_PROBE(TBitBtn);
SX_AFTER_LOAD_PROBE(TPanel);
SX_AFTER_LOAD_PROBE(TRadioButton);

constexpr const ClassInfo* kProbeClasses[] = {
    &TAfterLoadProbe<TButton>::StaticClass,      &TAfterLoadProbe<TTimer>::StaticClass,
    &TAfterLoadProbe<TEdit>::StaticClass,        &TAfterLoadProbe<TUpDown>::StaticClass,
    &TAfterLoadProbe<TBitBtn>::StaticClass,      &TAfterLoadProbe<TPanel>::StaticClass,
    &TAfterLoadProbe<TRadioButton>::StaticClass,
};

// Reads "TFORM1" (its own class has no definition) into the recording classes.
class TProbedForm1 : public TForm1 {
  SX_CLASS(TProbedForm1)

  explicit TProbedForm1(TComponent* owner) : TForm1(owner) {}

  void AfterLoad() override {
    g_afterLoads.push_back(Name());
    TForm1::AfterLoad();
  }
};

constinit const ClassInfo TProbedForm1::StaticClass{
    .name = "TProbedForm1",
    .parent = &TForm1::StaticClass,
    .construct = &ConstructComponent<TProbedForm1>,
    .fieldClasses = kProbeClasses,
};

TEST_F(MainWindowTest, ChildrenFinishLoadingAfterTheirOwnChildrenAndTheFormFirst) {
  g_afterLoads.clear();
  TProbedForm1* form = New<TProbedForm1>(Application);
  const std::vector<std::string> afterLoads = g_afterLoads;
  std::vector<std::string> owned;
  for (int i = 0; i < form->ComponentCount(); ++i)
    owned.push_back(form->Component(i)->Name());
  const bool probed =
      form->Panel1 && form->Panel1->ClassType().InheritsFrom(TAfterLoadProbe<TPanel>::StaticClass);
  form->Free();

  ASSERT_TRUE(probed) << "the definition was read into the recording classes";
  const std::vector<std::string> expected = {
      "Form1_1",      "Button1",      "Button2",      "Button3", "Button4",      "Button5",
      "Edit1",        "Edit2",        "Edit3",        "UpDown1", "UpDown2",      "UpDown3",
      "Start",        "Pause",        "Otmena",       "BitBtn4", "RadioButton1", "RadioButton2",
      "RadioButton3", "RadioButton4", "RadioButton5", "Panel1",  "Timer1"};
  EXPECT_EQ(afterLoads, expected) << "the second window of the class is named Form1_1";
  // Created in stream order: the panel before the radio buttons read inside it.
  EXPECT_EQ(owned, StreamOrder());
}

}  // namespace
}  // namespace sx::testing
