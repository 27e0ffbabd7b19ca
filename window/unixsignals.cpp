// SPDX-License-Identifier: MIT
#include "unixsignals.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A signal handler may not touch Qt, so it only writes a byte that the event loop then reads.
int signalSockets[2] = {-1, -1};

void onTerminationSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
    errno = savedErrno;
}

void setFlags(int fd, int fdFlags, int statusFlags)
{
    ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | fdFlags);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | statusFlags);
}

} // namespace

void closeOnTerminationSignals(QWidget *window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalSockets) != 0) {
        qWarning("cannot watch for termination signals: %s", strerror(errno));
        return;
    }
    // Non-blocking, so that a burst of signals can never stall the handler; not inherited by any
    // program started from here.
    setFlags(signalSockets[0], FD_CLOEXEC, O_NONBLOCK);
    setFlags(signalSockets[1], FD_CLOEXEC, O_NONBLOCK);

    auto *notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char bytes[16];
        while (::read(signalSockets[1], bytes, sizeof bytes) > 0) {
        }
        window->close();
        // The session is ending: leave even if something kept the window open.
        QCoreApplication::exit(0);
    });

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT}) {
        // A shell starts background jobs with SIGINT ignored, so that Ctrl+C in the terminal
        // leaves them running; that choice is kept.
        struct sigaction inherited = {};
        if (::sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
}

#else

void closeOnTerminationSignals(QWidget *) {}

#endif
