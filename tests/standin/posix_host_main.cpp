#include <signal.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "standin_main.hpp"

namespace {

// A stand-in killed by a fault says where, before it dies as it would have:
// the scenario it died in is the last one it named. Written with write()
// alone, from an alternate stack, so that a broken stack still gets a line.
void Append(char*& out, const char* text) {
  const std::size_t length = std::strlen(text);
  std::memcpy(out, text, length);
  out += length;
}

void AppendNumber(char*& out, std::uintptr_t value, unsigned base) {
  char digits[8 * sizeof value];
  int count = 0;
  do {
    digits[count++] = "0123456789ABCDEF"[value % base];
    value /= base;
  } while (value != 0);
  if (base == 16) Append(out, "0x");
  while (count > 0) *out++ = digits[--count];
}

std::uintptr_t FaultingInstruction(void* context) {
#if defined(__i386__)
  return static_cast<std::uintptr_t>(static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_EIP]);
#elif defined(__x86_64__)
  return static_cast<std::uintptr_t>(static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP]);
#else
  (void)context;
  return 0;
#endif
}

void ReportFault(int signal, siginfo_t* info, void* context) {
  char line[160];
  char* out = line;
  Append(out, "stand-in: killed by signal ");
  AppendNumber(out, static_cast<std::uintptr_t>(signal), 10);
  Append(out, " at instruction ");
  AppendNumber(out, FaultingInstruction(context), 16);
  Append(out, ", address ");
  AppendNumber(out, reinterpret_cast<std::uintptr_t>(info->si_addr), 16);
  Append(out, "\n");
  const ssize_t ignored = write(2, line, static_cast<std::size_t>(out - line));
  (void)ignored;
  // The handler was reset on entry: the fault, run again, ends the process.
  raise(signal);
}

void ReportFaults() {
  static char alternate[64 * 1024];
  stack_t stack{};
  stack.ss_sp = alternate;
  stack.ss_size = sizeof alternate;
  sigaltstack(&stack, nullptr);
  struct sigaction action {};
  action.sa_sigaction = ReportFault;
  action.sa_flags = static_cast<int>(SA_SIGINFO | SA_ONSTACK | SA_RESETHAND);
  for (const int signal : {SIGSEGV, SIGILL, SIGTRAP, SIGBUS, SIGFPE})
    sigaction(signal, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  ReportFaults();
  return vexilo::standin::RunStandin(argc, argv);
}
