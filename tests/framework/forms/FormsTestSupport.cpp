#include "tests/framework/forms/FormsTestSupport.h"

namespace sx::testing {

DefinitionServices& FormsTest::Services() {
  static DefinitionServices services;
  return services;
}

void FormsTest::SetUp() {
  SetSystem(&Services());
  Services().Clear();
  RecordedBoxes().clear();
  previousBox_ = RecordMessageBoxes();
  // Nothing a previous test left behind (a quit message among it) may reach this one.
  DrainQueue();
  ASSERT_TRUE(StartFramework());
}

void FormsTest::TearDown() {
  FinishFramework();
  DrainQueue();
  SetMessageBoxProc(previousBox_);
}

namespace {
constinit const ClassInfo* const kTestFormFieldClasses[] = {&TTestButton::StaticClass,
                                                            &TTestEdit::StaticClass};
}  // namespace

constinit const ClassInfo TTestForm::StaticClass{
    .name = "TTestForm",
    .parent = &TForm::StaticClass,
    .construct = &ConstructComponent<TTestForm>,
    .fieldClasses = kTestFormFieldClasses,
};

}  // namespace sx::testing
