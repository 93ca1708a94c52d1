#pragma once
// What a fatal signal cleans up before it ends the process: one registry
// for the whole process, in the manner of an at-exit list for signals.
//
// Whatever the process must not leave behind when a signal ends it (a work
// file with a name, an empty folder a run made, a lock that would keep such
// a folder) registers a cleanup: an action and the context it is run with.
// Every signal that ends the process by default and can be caught (SIGTERM,
// SIGINT, SIGHUP, SIGQUIT, SIGABRT, SIGSEGV and the other faults, the
// real-time signals, ...) then runs the cleanups of the process before it
// ends the process by the signal's default action, with the same exit
// status and core dump. The handlers are installed by Prepare, only for the
// signals whose action is then the default: a signal the process ignores or
// handles itself is left alone. SIGKILL cannot be caught.
//
// The handler knows no kind of cleanup: it runs each registered action in
// its stage (what lies inside something, a file or a lock, before what holds
// it, a folder). It reads the registry without locks or allocation:
// registrations are slots that are reused, never freed, and a context taken
// back may be freed only while no handler has begun (MayFree). An action
// runs in a signal handler: it uses only async-signal-safe calls.
#include <signal.h>

namespace platform {

class FatalSignalCleanup {
 public:
  // Run by the handler with the context it was registered with.
  using Action = void (*)(void* context) noexcept;

  // Cleanups of a stage all run before those of the next.
  enum Stage : int {
    kContents = 0,    // what lies inside a folder or keeps it: files, locks
    kContainers = 1,  // folders
    kStages = 2,
  };

  // One registration (FatalSignalCleanup.cpp).
  struct Slot;

  // Installs the handler on the fatal signals whose action is now the
  // default, and gives this thread a stack of its own for it (so that a
  // stack overflow still cleans up). Run before anything is made that a
  // cleanup is to undo; Add runs it too.
  static void Prepare();

  // Registers action(context) in its stage, for this process only (a child
  // made by fork leaves it alone). None when out of memory. The context
  // must not be null.
  static Slot* Add(Action action, Stage stage, void* context);

  // Takes a registration back and answers its context. A handler that
  // begins afterwards does not see it; free the context only when MayFree
  // answers true.
  static void* Remove(Slot* slot);

  // True while no handler has begun: what was taken out of the handler's
  // reach (by Remove, or by an atomic exchange that a cleanup reads) may be
  // freed or closed. False once a handler has begun: the process is ending
  // and the handler may be reading it, so it is kept.
  static bool MayFree();

  // The fatal signals covered, real-time signals included (those the C
  // library keeps for itself lie below SIGRTMIN and are not touched).
  static const sigset_t& Signals();

  // True when the signal would end the process as its default action does:
  // its action is the default, or the handler that cleans up and then ends
  // the process so.
  static bool EndsTheProcess(int signal);

  // Blocks the fatal signals in this thread for one scope, so that nothing
  // is left between being made and being registered.
  class Blocked {
   public:
    Blocked();
    ~Blocked();
    Blocked(const Blocked&) = delete;
    Blocked& operator=(const Blocked&) = delete;

   private:
    sigset_t previous_;
  };
};

}  // namespace platform
