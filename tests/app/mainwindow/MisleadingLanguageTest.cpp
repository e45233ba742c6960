// Language modules that would change what the program does: each is passed over for the
// next candidate, and the main window is built from that one (or from the program's own
// definition) without any system action. Beside this program lie modules made as the build
// makes the real ones, named after what they change, each captioning the window with that
// name; they are copied under the names the program looks for (RUS, then RU, in the
// Russian locale).

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "app/LanguageModuleCheck.h"
#include "framework/forms/Application.h"
#include "framework/runtime/ResourceModule.h"
#include "tests/app/mainwindow/MainWindowTestSupport.h"
#include "tests/app/mainwindow/SystemCallRecorder.h"
#include "tests/framework/runtime/Win32TestSupport.h"

namespace sx::testing {
namespace {

class MisleadingLanguageTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    HKEY existing = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Halvern\\Locales", 0, KEY_READ, &existing) ==
        ERROR_SUCCESS) {
      RegCloseKey(existing);
      GTEST_SKIP() << "a locale key exists already";
    }
    previousLocale_ = GetThreadLocale();
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), SORT_DEFAULT));
    previousCheck_ = SetLanguageModuleCheck(&KeepsTheProgramsBehaviour);
    ForgetResourceModules();
  }

  void TearDown() override {
    ForgetResourceModules();
    if (previousLocale_ == 0) return;
    SetLanguageModuleCheck(previousCheck_);
    SetThreadLocale(previousLocale_);
  }

  // Copies the fixture module under the program's name with that extension.
  void Place(const std::string& fixture, const char* extension) {
    ASSERT_TRUE(files_.Copy(TestExecutableDirectory() + "language_" + fixture + ".dll",
                            ReplaceExtension(TestExecutablePath(), extension)))
        << fixture;
  }

  // Builds a main window from the chosen module, as the program does at its start, and
  // returns its caption; what the window's making asked of the system is in `system`.
  std::string BuildWindow(const SystemCallRecorder& system) {
    TForm1* form = New<TForm1>(Application);
    const std::string caption = form->Caption();
    EXPECT_NE(form->Start, nullptr);
    EXPECT_FALSE(form->Timer1 && form->Timer1->Enabled()) << "the countdown runs by itself";
    EXPECT_TRUE(system.log.empty()) << system.log.front();
    form->Free();
    return caption;
  }

  // Builds the main window with the damaged module's bytes first in line and the faithful
  // module next, and returns its caption.
  std::string BuildWindowAfterDamaged(const std::string& damaged) {
    EXPECT_TRUE(files_.Write(ReplaceExtension(TestExecutablePath(), "RUS"), damaged));
    Place("faithful", "RU");
    SystemCallRecorder system;
    return BuildWindow(system);
  }

  ScopedFiles files_;

 private:
  LCID previousLocale_ = 0;
  LanguageModuleCheck previousCheck_ = nullptr;
};

// The fixtures make a difference at all: without the check, the one binding the window's
// creation to the shutdown handler is taken and asks the system to shut down.
TEST_F(MisleadingLanguageTest, ModuleRebindingTheCreationEventShutsDownWithoutTheCheck) {
  SetLanguageModuleCheck(nullptr);
  Place("creation", "RUS");
  SystemCallRecorder system;
  TForm1* form = New<TForm1>(Application);
  EXPECT_EQ(form->Caption(), "creation");
  form->Free();
  EXPECT_NE(std::find(system.log.begin(), system.log.end(), "ExitWindowsEx(5, 0)"),
            system.log.end());
}

TEST_F(MisleadingLanguageTest, FaithfulModuleIsTaken) {
  Place("faithful", "RUS");
  SystemCallRecorder system;
  EXPECT_EQ(BuildWindow(system), "faithful");
}

// The faithful module's file, and where in it its definition's resource data entry lies
// (its address, its size, a code page and a zero word); no entry when it was not found.
struct ModuleFile {
  std::string bytes;
  std::size_t definitionEntry = 0;
};

ModuleFile FaithfulModuleFile() {
  const std::string path = TestExecutableDirectory() + "language_faithful.dll";
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return {};
  HRSRC found = FindResourceA(module, "TFORM1", MAKEINTRESOURCEA(10));
  const DWORD size = found ? SizeofResource(module, found) : 0;
  FreeLibrary(module);
  ModuleFile file;
  HANDLE handle =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  file.bytes.resize(GetFileSize(handle, nullptr));
  DWORD read = 0;
  ReadFile(handle, file.bytes.data(), static_cast<DWORD>(file.bytes.size()), &read, nullptr);
  CloseHandle(handle);
  for (std::size_t at = 0; size != 0 && at + 16 <= file.bytes.size(); at += 4) {
    DWORD entry[4];
    std::memcpy(entry, file.bytes.data() + at, sizeof entry);
    if (entry[1] != size || entry[3] != 0 || entry[0] == 0) continue;
    file.definitionEntry = at;
    return file;
  }
  return {};
}

// The faithful module with its definition's resource entry pointing far outside the
// module's image, as a damaged or hostile file may: reading it would fault.
std::string DefinitionOutsideTheImage() {
  ModuleFile file = FaithfulModuleFile();
  if (file.definitionEntry == 0) return {};
  const DWORD outside = 0x7FFF0000;
  std::memcpy(file.bytes.data() + file.definitionEntry, &outside, sizeof outside);
  return file.bytes;
}

// The faithful module with its definition moved into a section of its own that the image
// gives no access to (neither read, write nor execute), as a hostile file may: the bytes lie
// within the image, and reading them faults all the same.
std::string DefinitionInASectionWithoutAccess() {
  ModuleFile file = FaithfulModuleFile();
  std::string& bytes = file.bytes;
  if (file.definitionEntry == 0 || bytes.size() < sizeof(IMAGE_DOS_HEADER)) return {};
  IMAGE_DOS_HEADER dos;
  std::memcpy(&dos, bytes.data(), sizeof dos);
  const auto headers = static_cast<std::size_t>(dos.e_lfanew);
  if (headers + sizeof(IMAGE_NT_HEADERS32) > bytes.size()) return {};
  IMAGE_NT_HEADERS32 nt;
  std::memcpy(&nt, bytes.data() + headers, sizeof nt);
  const std::size_t added = headers + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                            nt.FileHeader.SizeOfOptionalHeader +
                            nt.FileHeader.NumberOfSections * sizeof(IMAGE_SECTION_HEADER);
  if (nt.FileHeader.NumberOfSections == 0 ||
      added + sizeof(IMAGE_SECTION_HEADER) > nt.OptionalHeader.SizeOfHeaders)
    return {};
  IMAGE_SECTION_HEADER last;
  std::memcpy(&last, bytes.data() + added - sizeof last, sizeof last);
  DWORD size = 0;
  std::memcpy(&size, bytes.data() + file.definitionEntry + 4, sizeof size);
  const DWORD alignment = nt.OptionalHeader.SectionAlignment;
  const auto aligned = [alignment](DWORD value) {
    return (value + alignment - 1) / alignment * alignment;
  };
  IMAGE_SECTION_HEADER closed{};
  std::memcpy(closed.Name, ".closed", 7);
  closed.VirtualAddress =
      aligned(last.VirtualAddress + std::max<DWORD>(last.Misc.VirtualSize, last.SizeOfRawData));
  closed.Misc.VirtualSize = aligned(size);
  closed.Characteristics = IMAGE_SCN_CNT_UNINITIALIZED_DATA;
  std::memcpy(bytes.data() + added, &closed, sizeof closed);
  nt.FileHeader.NumberOfSections += 1;
  nt.OptionalHeader.SizeOfImage = closed.VirtualAddress + closed.Misc.VirtualSize;
  std::memcpy(bytes.data() + headers, &nt, sizeof nt);
  std::memcpy(bytes.data() + file.definitionEntry, &closed.VirtualAddress, sizeof(DWORD));
  return bytes;
}

TEST_F(MisleadingLanguageTest, ModuleWithADefinitionOutsideItsImageIsPassedOver) {
  const std::string damaged = DefinitionOutsideTheImage();
  ASSERT_FALSE(damaged.empty()) << "the definition's resource entry was not found";
  EXPECT_EQ(BuildWindowAfterDamaged(damaged), "faithful");
}

TEST_F(MisleadingLanguageTest, ModuleWithADefinitionItsImageGivesNoAccessToIsPassedOver) {
  const std::string closed = DefinitionInASectionWithoutAccess();
  ASSERT_FALSE(closed.empty()) << "the module could not be given a section without access";
  EXPECT_EQ(BuildWindowAfterDamaged(closed), "faithful");
}

class MisleadingModule : public MisleadingLanguageTest,
                         public ::testing::WithParamInterface<const char*> {};

TEST_P(MisleadingModule, IsPassedOverForTheNextCandidate) {
  Place(GetParam(), "RUS");
  Place("faithful", "RU");
  SystemCallRecorder system;
  EXPECT_EQ(BuildWindow(system), "faithful");
}

TEST_P(MisleadingModule, AloneLeavesTheProgramWithItsOwnWindow) {
  Place(GetParam(), "RUS");
  SystemCallRecorder system;
  EXPECT_EQ(BuildWindow(system), "Sonderix");
  EXPECT_EQ(ResourceModuleOf(System().MainModule()), System().MainModule());
}

INSTANTIATE_TEST_SUITE_P(Each, MisleadingModule,
                         ::testing::Values("creation", "timer", "nostart", "nodefinition",
                                           "version"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param);
                         });

}  // namespace
}  // namespace sx::testing
