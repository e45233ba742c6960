// A windowed control's name for screen readers, asked for in-process as the system's
// accessibility library asks: which questions the control answers itself, what the object
// it hands out says, and that the object survives the control.

#include <gtest/gtest.h>

#include <windows.h>

#include <oleacc.h>

#include <string>

#include "framework/controls/Edit.h"
#include "tests/framework/controls/ControlTestSupport.h"

namespace sx::testing {
namespace {

VARIANT Self() {
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  return self;
}

std::wstring Take(BSTR text) {
  std::wstring taken = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return taken;
}

class AccessibleNameTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  }
  void TearDown() override {
    if (object_) object_->Release();
    ControlTest::TearDown();
    CoUninitialize();
  }

  TEdit* MakeField(const char* text, const char16_t* name) {
    TEdit* edit = Make<TEdit>(form, 8, 8, 41, 21);
    edit->SetText(text);
    edit->SetAccessibleName(name);
    return edit;
  }

  // The client area's object, as a screen reader gets it.
  IAccessible* ObjectOf(HWND window) {
    if (object_) object_->Release();
    object_ = nullptr;
    AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                               reinterpret_cast<void**>(&object_));
    return object_;
  }

  static std::wstring NameOf(IAccessible* object) {
    BSTR name = nullptr;
    return object->get_accName(Self(), &name) == S_OK ? Take(name) : L"<none>";
  }
  static std::wstring ValueOf(IAccessible* object) {
    BSTR value = nullptr;
    return object->get_accValue(Self(), &value) == S_OK ? Take(value) : L"<none>";
  }

  IAccessible* object_ = nullptr;
};

TEST_F(AccessibleNameTest, NamedFieldIsAnnouncedByNameWithItsNumberAsValue) {
  IAccessible* object = ObjectOf(MakeField("42", u"Минуты")->Handle());
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(NameOf(object), L"Минуты");
  EXPECT_EQ(ValueOf(object), L"42");
}

// Readers that bind late (scripts, older readers) ask through IDispatch: the same name must
// come back, not the window's text that the system's object would give.
TEST_F(AccessibleNameTest, LateBoundReaderHearsTheNameNotTheNumber) {
  IAccessible* object = ObjectOf(MakeField("42", u"Минуты")->Handle());
  ASSERT_NE(object, nullptr);
  VARIANT self = Self();
  DISPPARAMS parameters = {&self, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(object->Invoke(DISPID_ACC_NAME, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                           &parameters, &result, nullptr, nullptr),
            S_OK);
  ASSERT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(Take(result.bstrVal), L"Минуты");
}

// A reader may leave the child out (empty, or "no parameter" when it binds late); the
// system's objects on Windows take that as the object itself (Wine 8's refuse it), and so
// must the name.
TEST_F(AccessibleNameTest, ChildLeftOutIsTheControlItself) {
  IAccessible* object = ObjectOf(MakeField("42", u"Часы")->Handle());
  ASSERT_NE(object, nullptr);
  VARIANT empty;
  VariantInit(&empty);
  VARIANT missing;
  VariantInit(&missing);
  missing.vt = VT_ERROR;
  missing.scode = DISP_E_PARAMNOTFOUND;
  for (const VARIANT& child : {empty, missing}) {
    SCOPED_TRACE(child.vt);
    BSTR name = nullptr;
    ASSERT_EQ(object->get_accName(child, &name), S_OK);
    EXPECT_EQ(Take(name), L"Часы");
  }
}

// The window's frame and its other parts are the system's to describe.
TEST_F(AccessibleNameTest, OnlyTheClientAreaIsAnsweredByTheControl) {
  const HWND window = MakeField("0", u"Часы")->Handle();
  for (LONG part : {OBJID_WINDOW, OBJID_CARET, OBJID_VSCROLL, LONG{1}}) {
    SCOPED_TRACE(part);
    EXPECT_EQ(SendMessageW(window, WM_GETOBJECT, 0, part), 0);
  }
  EXPECT_NE(SendMessageW(window, WM_GETOBJECT, 0, OBJID_CLIENT), 0);
}

// A screen reader must not read out what the field hides.
TEST_F(AccessibleNameTest, PasswordFieldDoesNotGiveItsTextAsValue) {
  TEdit* edit = MakeField("secret", u"Пароль");
  edit->SetPasswordChar('*');
  IAccessible* object = ObjectOf(edit->Handle());
  ASSERT_NE(object, nullptr);
  EXPECT_NE(ValueOf(object), L"secret");
}

// A screen reader may hold the object after the window is gone.
TEST_F(AccessibleNameTest, ObjectOutlivesItsControl) {
  TEdit* edit = MakeField("5", u"Секунды");
  IAccessible* object = ObjectOf(edit->Handle());
  ASSERT_NE(object, nullptr);
  edit->Free();
  EXPECT_EQ(NameOf(object), L"Секунды");
  EXPECT_EQ(ValueOf(object), L"<none>");
}

}  // namespace
}  // namespace sx::testing
