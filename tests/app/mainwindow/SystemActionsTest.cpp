// The privileged requests and the log-off, against a recorder in place of the system: which
// calls they make, with what, in what order, and what they show when a step fails; and the
// media-control library bound on first use.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/SystemActions.h"
#include "tests/app/mainwindow/SystemCallRecorder.h"
#include "tests/framework/runtime/Win32TestSupport.h"

namespace sx::testing {
namespace {

const std::string kOpen = "OpenProcessToken(own process, 0x28, token was null)";
const std::string kLookup = "LookupPrivilegeValueA(null, \"SeShutdownPrivilege\")";
const std::string kAdjustOpened =
    "AdjustTokenPrivileges(token, 0, {count 1, identifier 0x13:0x7, attributes 0x2}, 0, null, "
    "null)";
const std::string kAdjustUnopened =
    "AdjustTokenPrivileges(null, 0, {count 1, identifier 0x13:0x7, attributes 0x2}, 0, null, "
    "null)";

// How the system answers one run of the sequence.
struct Answers {
  bool tokenOpens;
  DWORD lastError;
  bool exitAccepted;
  bool restart;
};

std::string Describe(const ::testing::TestParamInfo<Answers>& info) {
  const Answers& answers = info.param;
  return std::string(answers.restart ? "Restart" : "ShutDown") +
         (answers.tokenOpens ? "" : "_TokenRefused") +
         (answers.lastError == ERROR_SUCCESS            ? ""
          : answers.lastError == ERROR_NOT_ALL_ASSIGNED ? "_PrivilegeNotHeld"
                                                        : "_AdjustFailed") +
         (answers.exitAccepted ? "" : "_RequestRefused");
}

// Every call, and every message right after the call that failed, before the next call.
std::vector<std::string> ExpectedCalls(const Answers& answers) {
  std::vector<std::string> calls = {"GetCurrentProcess", kOpen};
  if (!answers.tokenOpens) calls.push_back("ShowPlainMessage(OpenProcessToken)");
  calls.push_back(kLookup);
  calls.push_back(answers.tokenOpens ? kAdjustOpened : kAdjustUnopened);
  calls.push_back("GetLastError");
  if (answers.tokenOpens) calls.push_back("CloseHandle(token)");
  if (answers.lastError != ERROR_SUCCESS)
    calls.push_back("ShowPlainMessage(AdjustTokenPrivileges)");
  calls.push_back(answers.restart ? "ExitWindowsEx(6, 0)" : "ExitWindowsEx(5, 0)");
  if (!answers.exitAccepted) calls.push_back("ShowPlainMessage(ExitWindowsEx)");
  return calls;
}

class PrivilegedRequestTest : public ::testing::TestWithParam<Answers> {
 protected:
  void Run() {
    const Answers& answers = GetParam();
    system_.tokenOpens = answers.tokenOpens;
    system_.lastErrorAfterAdjusting = answers.lastError;
    system_.exitAccepted = answers.exitAccepted;
    if (answers.restart)
      RestartComputer();
    else
      ShutDownComputer();
  }

  SystemCallRecorder system_;
};

TEST_P(PrivilegedRequestTest, EachFailingStepIsNamedInTurnAndTheNextStepIsStillTried) {
  Run();
  EXPECT_EQ(system_.log, ExpectedCalls(GetParam()));
}

std::vector<Answers> EveryCombination() {
  std::vector<Answers> all;
  for (bool restart : {false, true})
    for (bool tokenOpens : {true, false})
      for (DWORD lastError :
           {DWORD{ERROR_SUCCESS}, DWORD{ERROR_NOT_ALL_ASSIGNED}, DWORD{ERROR_INVALID_HANDLE}})
        for (bool exitAccepted : {true, false})
          all.push_back({tokenOpens, lastError, exitAccepted, restart});
  return all;
}

INSTANTIATE_TEST_SUITE_P(EveryAnswer, PrivilegedRequestTest,
                         ::testing::ValuesIn(EveryCombination()), &Describe);

TEST(SystemActionsTest, EndingTheSessionEnablesNothingAndAsksWithFlagsZero) {
  SystemCallRecorder system;
  EndUserSession();
  EXPECT_EQ(system.log, (std::vector<std::string>{"ExitWindowsEx(0, 0)"}));
}

// The media-control library is bound on the first door command; a system where it cannot be
// had gets the driver error back, as when there is no CD audio driver, and no exception.
TEST(MediaControlLibraryTest, UnavailableLibraryOrFunctionAnswersTheDriverError) {
  for (const char* library : {"sx-no-such-library.dll", "kernel32.dll"}) {
    MediaControlLibrary mediaControl(library);
    EXPECT_EQ(mediaControl.Send(kOpenDoorCommand, nullptr, 0, nullptr),
              static_cast<MCIERROR>(MCIERR_CANNOT_LOAD_DRIVER))
        << library;
  }
}

// A library of the name asked for, left beside the program (as in a download folder), is
// passed over: its start-up code never runs and the command reaches nothing of it.
TEST(MediaControlLibraryTest, LibraryBesideTheProgramIsNeverLoaded) {
  constexpr const char* kPlanted = "sx_planted.dll";
  ScopedFiles files;
  ASSERT_TRUE(files.Copy(SX_PLANTED_LIBRARY, TestExecutableDirectory() + kPlanted));
  MediaControlLibrary mediaControl(kPlanted);
  EXPECT_EQ(mediaControl.Send(kOpenDoorCommand, nullptr, 0, nullptr),
            static_cast<MCIERROR>(MCIERR_CANNOT_LOAD_DRIVER));
  EXPECT_EQ(GetModuleHandleA(kPlanted), nullptr);
  HANDLE trace = OpenEventA(SYNCHRONIZE, FALSE, "SxPlantedLibraryRan");
  EXPECT_EQ(trace, nullptr) << "the planted library's code ran";
  if (trace) CloseHandle(trace);
}

}  // namespace
}  // namespace sx::testing
