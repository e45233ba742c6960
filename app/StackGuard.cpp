// The stack protector's canary and its failure routine, in place of the toolchain's own.
//
// The toolchain's (libssp) seeds the canary through CryptAcquireContext, which loads a
// cryptographic provider at every start: 65 more requests to the window server per start,
// about 2 % of the program's start, for one number (seen with Wine 8.0). This seeds it the
// way Windows' own compilers seed their stack cookie, from values that differ from start to
// start and, with the image and the stack at random addresses, cannot be known from outside.

#include <windows.h>

#include <cstdint>

extern "C" {

// Read by every protected function. Until the seed below runs it holds a fixed value; no
// protected function of the program runs before it.
std::uintptr_t __stack_chk_guard = 0xBB40E64E;

// A protected function found its canary overwritten: its stack can no longer be trusted, so
// nothing more of the program runs, no handler and no destructor.
[[noreturn]] void __stack_chk_fail() {
  TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
  __builtin_unreachable();
}

}  // extern "C"

namespace {

// Before every static initialiser of the program (101 is the first priority a program may
// use). Left unprotected itself: the canary it changes is the one its own frame would be
// checked against on return.
__attribute__((constructor(101), no_stack_protector)) void SeedStackGuard() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  std::uintptr_t seed = now.dwLowDateTime ^ now.dwHighDateTime;
  seed ^= GetCurrentProcessId() ^ GetCurrentThreadId() ^ GetTickCount();
  seed ^= counter.LowPart ^ static_cast<std::uintptr_t>(counter.HighPart);
  // Where the stack and the image were placed, both at random.
  seed ^= reinterpret_cast<std::uintptr_t>(&counter);
  seed ^= reinterpret_cast<std::uintptr_t>(&__stack_chk_guard) << 8;
  if (seed == 0) seed = 0xBB40E64F;
  __stack_chk_guard = seed;
}

}  // namespace
