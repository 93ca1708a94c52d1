#include "platform/FatalSignalCleanup.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace platform {

// A registration. Its action and stage are fixed when the slot is made, and
// a slot is reused only for the same action and stage, so that a handler
// never pairs a context with another kind's action. The context is published
// with one atomic store after the owner, and taken back with one exchange.
struct FatalSignalCleanup::Slot {
  Slot(Action what, Stage when) : action(what), stage(when) {}

  const Action action;
  const Stage stage;
  std::atomic<void*> context{nullptr};
  std::atomic<pid_t> owner{0};
  std::atomic<bool> taken{true};
  Slot* next = nullptr;  // fixed before the slot is published
};

namespace {

using Slot = FatalSignalCleanup::Slot;

// The slots, newest first: a list that only grows.
std::atomic<Slot*> g_slots{nullptr};
// Handlers that have begun (none ever ends: each ends the process).
std::atomic<int> g_handlersBegun{0};

static_assert(std::atomic<void*>::is_always_lock_free && std::atomic<Slot*>::is_always_lock_free &&
                  std::atomic<pid_t>::is_always_lock_free &&
                  std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the signal handler reads the registry without locks");

// The signals whose default action ends the process (with or without a core
// dump) and that can be caught; the real-time signals are added at run time.
constexpr int kFatalSignals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1, SIGSEGV,
    SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO,   SIGSYS,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
};

// Runs the process's cleanups, stage by stage, then ends the process by the
// signal's default action, so that the exit status (and a core dump where
// the signal makes one) stay what they would have been. Only
// async-signal-safe calls.
void CleanUpAndDie(int signal) {
  g_handlersBegun.fetch_add(1);
  const pid_t self = ::getpid();
  for (int stage = 0; stage < FatalSignalCleanup::kStages; ++stage) {
    for (Slot* slot = g_slots.load(); slot != nullptr; slot = slot->next) {
      if (slot->stage != stage) continue;
      void* context = slot->context.load();
      if (context != nullptr && slot->owner.load() == self) slot->action(context);
    }
  }
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  ::sigaction(signal, &fallback, nullptr);
  // Blocked while this handler runs: delivered, with the default action, as
  // it returns. A fault (SIGSEGV, SIGBUS, SIGFPE, SIGILL) that the handler
  // returns to happens again, and then ends the process as well.
  ::raise(signal);
}

// A stack overflow's SIGSEGV finds no room on the stack that overflowed to
// run the handler: a thread that prepares for cleanups gets a stack of its
// own for the handlers, kept until the thread ends. A thread that has one
// already (a sanitizer's, say) keeps it.
class AlternateStack {
 public:
  AlternateStack() {
    stack_t current{};
    if (::sigaltstack(nullptr, &current) != 0 || (current.ss_flags & SS_DISABLE) == 0) return;
    const size_t size = std::max<size_t>(size_t{64} * 1024, static_cast<size_t>(SIGSTKSZ));
    memory_ = std::malloc(size);
    if (memory_ == nullptr) return;
    stack_t stack{};
    stack.ss_sp = memory_;
    stack.ss_size = size;
    if (::sigaltstack(&stack, nullptr) != 0) {
      std::free(memory_);
      memory_ = nullptr;
    }
  }
  ~AlternateStack() {
    if (memory_ == nullptr) return;
    stack_t off{};
    off.ss_flags = SS_DISABLE;
    if (::sigaltstack(&off, nullptr) == 0) std::free(memory_);
  }
  AlternateStack(const AlternateStack&) = delete;
  AlternateStack& operator=(const AlternateStack&) = delete;

 private:
  void* memory_ = nullptr;
};

// Installs the handler for every fatal signal whose action is the default:
// a signal the program ignores (SIGHUP under nohup, SIGPIPE ignored by a
// parent) or handles itself is left alone. Run at every Prepare, so a
// signal set back to the default later is covered again.
void InstallHandlers() {
  struct sigaction action {};
  action.sa_handler = &CleanUpAndDie;
  action.sa_mask = FatalSignalCleanup::Signals();
  action.sa_flags = SA_RESTART | SA_ONSTACK;
  for (int signal = 1; signal < NSIG; ++signal) {
    if (sigismember(&action.sa_mask, signal) != 1) continue;
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) != 0) continue;
    if ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == SIG_DFL)
      ::sigaction(signal, &action, nullptr);
  }
}

}  // namespace

const sigset_t& FatalSignalCleanup::Signals() {
  static const sigset_t set = [] {
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : kFatalSignals) sigaddset(&signals, signal);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) sigaddset(&signals, signal);
    return signals;
  }();
  return set;
}

void FatalSignalCleanup::Prepare() {
  thread_local const AlternateStack handlerStack;
  InstallHandlers();
}

FatalSignalCleanup::Slot* FatalSignalCleanup::Add(Action action, Stage stage, void* context) {
  Prepare();
  Slot* slot = g_slots.load();
  for (; slot != nullptr; slot = slot->next) {
    if (slot->action != action || slot->stage != stage) continue;
    bool taken = false;
    if (slot->taken.compare_exchange_strong(taken, true)) break;
  }
  if (slot == nullptr) {
    slot = new (std::nothrow) Slot(action, stage);
    if (slot == nullptr) return nullptr;
    slot->next = g_slots.load();
    while (!g_slots.compare_exchange_weak(slot->next, slot)) {
    }
  }
  slot->owner.store(::getpid());
  slot->context.store(context);
  return slot;
}

void* FatalSignalCleanup::Remove(Slot* slot) {
  if (slot == nullptr) return nullptr;
  void* context = slot->context.exchange(nullptr);
  slot->taken.store(false);
  return context;
}

bool FatalSignalCleanup::MayFree() { return g_handlersBegun.load() == 0; }

bool FatalSignalCleanup::EndsTheProcess(int signal) {
  struct sigaction current {};
  if (::sigaction(signal, nullptr, &current) != 0) return false;
  if ((current.sa_flags & SA_SIGINFO) != 0) return false;
  return current.sa_handler == SIG_DFL || current.sa_handler == &CleanUpAndDie;
}

FatalSignalCleanup::Blocked::Blocked() { pthread_sigmask(SIG_BLOCK, &Signals(), &previous_); }

FatalSignalCleanup::Blocked::~Blocked() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

}  // namespace platform
