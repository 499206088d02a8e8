#include "StopSignals.h"

#include "FileSystem.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <pthread.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <thread>
#include <unistd.h>

namespace tolvane::platform {

struct StopSignals::Watch {
    sigset_t taken{};
    int signals = -1; // signalfd of the taken signals
    int wake = -1;    // eventfd that ends the thread
    std::thread thread;

    ~Watch() {
        if (wake >= 0)
            close(wake);
        if (signals >= 0)
            close(signals);
    }
};

StopSignals::StopSignals() : watch_(std::make_unique<Watch>()) {
    Watch& watch = *watch_;
    sigemptyset(&watch.taken);
    for (int number : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&watch.taken, number);
    sigset_t before;
    if (const int error = pthread_sigmask(SIG_BLOCK, &watch.taken, &before); error != 0)
        throw std::runtime_error("cannot block the stop signals: " + ErrorText(error));
    // Blocked already: an earlier watch ended, and what is pending came for
    // work that is done. Otherwise whatever is pending came just now, for this work.
    if (sigismember(&before, SIGINT) == 1) {
        const timespec now{0, 0};
        while (sigtimedwait(&watch.taken, nullptr, &now) > 0) {
        }
    }
    watch.signals = signalfd(-1, &watch.taken, SFD_CLOEXEC);
    watch.wake = eventfd(0, EFD_CLOEXEC);
    if (watch.signals < 0 || watch.wake < 0)
        throw std::runtime_error("cannot watch the stop signals: " + ErrorText(errno));
    watch.thread = std::thread([this, &watch] {
        pollfd waits[2] = {{watch.signals, POLLIN, 0}, {watch.wake, POLLIN, 0}};
        for (;;) {
            if (poll(waits, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (waits[1].revents != 0)
                return;
            signalfd_siginfo info{};
            if (read(watch.signals, &info, sizeof info) != static_cast<ssize_t>(sizeof info))
                continue;
            int none = 0;
            number_.compare_exchange_strong(none, static_cast<int>(info.ssi_signo));
            token_.Request();
        }
    });
}

StopSignals::~StopSignals() {
    const uint64_t one = 1;
    if (write(watch_->wake, &one, sizeof one) < 0) {
        // An eventfd that cannot take one more count cannot be: the thread ends anyway.
    }
    watch_->thread.join();
    // A signal that came after the thread's last look still counts for the
    // work just ended.
    const timespec now{0, 0};
    siginfo_t info{};
    while (sigtimedwait(&watch_->taken, &info, &now) > 0) {
        int none = 0;
        number_.compare_exchange_strong(none, info.si_signo);
    }
}

} // namespace tolvane::platform
