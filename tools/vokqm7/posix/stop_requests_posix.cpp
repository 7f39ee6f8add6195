// Linux: SIGINT is blocked in every thread and taken by a thread of its own
// with sigtimedwait, so that no system call of the library is interrupted
// by it. The report tool starts with nothing blocked, so a Ctrl-C typed on
// the terminal, which goes to the whole foreground process group, would end
// it in the middle of its run: while the batch runs, the terminal's
// interrupt character is turned into an ordinary key, read here.
#include "host.h"
#include "platform/posix/posix_fd.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <ctime>
#include <thread>

namespace vok::tool {
namespace {

constexpr int kPollMs = 200;

sigset_t Interrupt() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  return set;
}

}  // namespace

struct StopRequests::Watch {
  std::atomic<bool> asked{false};
  std::atomic<bool> ending{false};
  sigset_t previous_mask;
  std::thread signals;
  platform::posix::UniqueFd terminal;
  termios saved{};
  std::thread keys;

  void TakeSignals() {
    const sigset_t set = Interrupt();
    const timespec wait{0, kPollMs * 1000000L};
    while (!ending) {
      if (sigtimedwait(&set, nullptr, &wait) == SIGINT) asked = true;
    }
  }

  // Only a terminal whose foreground this process is: a background job
  // that changed it would be stopped (SIGTTOU), and its Ctrl-C is no
  // business of ours.
  void TakeTerminal() {
    terminal.reset(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!terminal) return;
    termios keyed{};
    if (::tcgetpgrp(terminal.get()) != ::getpgrp() || ::tcgetattr(terminal.get(), &saved) != 0) {
      terminal.reset();
      return;
    }
    keyed = saved;
    keyed.c_cc[VINTR] = _POSIX_VDISABLE;
    keyed.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    keyed.c_cc[VMIN] = 1;
    keyed.c_cc[VTIME] = 0;
    if (::tcsetattr(terminal.get(), TCSANOW, &keyed) != 0) {
      terminal.reset();
      return;
    }
    keys = std::thread([this] { ReadKeys(); });
  }

  void ReadKeys() {
    pollfd wanted{terminal.get(), POLLIN, 0};
    while (!ending) {
      if (::poll(&wanted, 1, kPollMs) <= 0) continue;
      if ((wanted.revents & POLLIN) == 0) break;  // hung up
      unsigned char key = 0;
      if (::read(terminal.get(), &key, 1) == 1 && key == saved.c_cc[VINTR]) asked = true;
    }
  }

  // Put back even when the job was moved to the background meanwhile.
  void RestoreTerminal() {
    sigset_t ttou;
    sigemptyset(&ttou);
    sigaddset(&ttou, SIGTTOU);
    sigset_t before;
    ::pthread_sigmask(SIG_BLOCK, &ttou, &before);
    ::tcsetattr(terminal.get(), TCSANOW, &saved);
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    terminal.reset();
  }
};

StopRequests::StopRequests() : watch_(new Watch) {
  const sigset_t set = Interrupt();
  ::pthread_sigmask(SIG_BLOCK, &set, &watch_->previous_mask);
  watch_->signals = std::thread([watch = watch_.get()] { watch->TakeSignals(); });
  watch_->TakeTerminal();
}

StopRequests::~StopRequests() {
  watch_->ending = true;
  watch_->signals.join();
  if (watch_->keys.joinable()) watch_->keys.join();
  if (watch_->terminal) watch_->RestoreTerminal();
  // A SIGINT still pending would end the process once unblocked.
  const sigset_t set = Interrupt();
  const timespec now{0, 0};
  while (sigtimedwait(&set, nullptr, &now) == SIGINT) {
  }
  ::pthread_sigmask(SIG_SETMASK, &watch_->previous_mask, nullptr);
}

bool StopRequests::Asked() const { return watch_->asked; }

}  // namespace vok::tool
