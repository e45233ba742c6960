// The real program as a screen reader meets it: from this process, through the system's
// accessibility library, each control's window is asked for its name and value. The names
// are those of the language the captions are in; the windows stay as they were. This runs
// once per locale, like the caption checks beside it.

#include <windows.h>

#include <oleacc.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/app/mainwindow/LanguageFiles.h"
#include "tests/app/mainwindow/OutsideProgram.h"

namespace sx::testing {
namespace {

// COM on this thread for the length of a test.
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  bool Ok() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

// What a screen reader announces for a window's client area.
struct Announced {
  bool found = false;
  std::wstring name;
  std::wstring value;
};

std::wstring Take(BSTR text) {
  std::wstring taken = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return taken;
}

Announced Announce(HWND window) {
  Announced announced;
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                        __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&object))) ||
      !object)
    return announced;
  announced.found = true;
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  if (object->get_accName(self, &text) == S_OK) announced.name = Take(text);
  text = nullptr;
  if (object->get_accValue(self, &text) == S_OK) announced.value = Take(text);
  object->Release();
  return announced;
}

// The language whose captions the program shows; the own one (empty file name) when none
// of the files matches.
LanguageCaptions ShownLanguage(const Program& program) {
  std::vector<std::string> files = LanguageFileNames();
  files.insert(files.begin(), "");
  for (const std::string& file : files) {
    LanguageCaptions language = CaptionsOf(file);
    bool all = true;
    for (const ControlRow& row : StoredControls()) {
      const auto caption = language.captions.find(row.name);
      if (caption != language.captions.end() && TextOf(program.Child(row)) != caption->second)
        all = false;
    }
    if (all) return language;
  }
  ADD_FAILURE() << "the captions shown are no language's";
  return CaptionsOf("");
}

TEST_F(OutsideTest, ScreenReaderHearsEveryControlNamedInTheLanguageOfItsCaptions) {
  ComApartment com;
  ASSERT_TRUE(com.Ok());
  const LanguageCaptions language = ShownLanguage(program_);
  SCOPED_TRACE(language.file.empty() ? "the program's own language" : language.file);
  // The three fields, their spin buttons and the panel carry names; every other control is
  // named by its caption.
  EXPECT_EQ(language.names.size(), 7u);
  for (const ControlRow& row : StoredControls()) {
    SCOPED_TRACE(row.name);
    const auto name = language.names.find(row.name);
    const auto caption = language.captions.find(row.name);
    ASSERT_TRUE(name != language.names.end() || caption != language.captions.end());
    const Announced announced = Announce(program_.Child(row));
    ASSERT_TRUE(announced.found);
    EXPECT_EQ(announced.name, name != language.names.end() ? name->second : caption->second);
    if (row.className == std::string_view("TEdit")) {
      EXPECT_EQ(announced.value, L"0");
    }
  }
}

// Class, parent, styles and text of every window of the program, top-level ones included.
using WindowFacts = std::vector<std::tuple<std::string, HWND, DWORD, DWORD, std::wstring>>;

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM data) {
  auto* collected = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == collected->first) collected->second.push_back(window);
  return TRUE;
}

WindowFacts FactsOf(const Program& program) {
  std::pair<DWORD, std::vector<HWND>> windows{0, {}};
  GetWindowThreadProcessId(program.MainWindow(), &windows.first);
  EnumWindows(&CollectTopWindow, reinterpret_cast<LPARAM>(&windows));
  const std::vector<HWND> children = program.Children();
  windows.second.insert(windows.second.end(), children.begin(), children.end());
  WindowFacts facts;
  for (HWND window : windows.second)
    facts.emplace_back(WindowClass(window), GetParent(window), WindowStyle(window),
                       WindowExStyle(window), TextOf(window));
  return facts;
}

TEST_F(OutsideTest, AskingForNamesLeavesEveryWindowAsItWas) {
  ComApartment com;
  ASSERT_TRUE(com.Ok());
  const WindowFacts before = FactsOf(program_);
  EXPECT_EQ(program_.Children().size(), StoredControls().size());
  for (HWND child : program_.Children())
    EXPECT_TRUE(Announce(child).found);
  EXPECT_TRUE(FactsOf(program_) == before);
}

}  // namespace
}  // namespace sx::testing
