#include "app/system/OlderInstanceTerminator.h"

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace pastiq {

namespace {

std::string displayOfThisProcess() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr ? display : "";
}

// Holding a pidfd pins the process: once it is open and the start time still matches, the
// signal cannot reach a process that took over a reused pid. Debian 12's glibc declares the
// pidfd wrappers without C linkage, so the system calls are made directly.
void signalSameProcess(const ProcessRecord& process, int signal) {
    const auto pidfd = static_cast<int>(syscall(SYS_pidfd_open, process.pid, 0));
    if (pidfd < 0) {
        return;
    }
    const auto now = readProcessRecord("/proc/" + std::to_string(process.pid));
    if (now && now->startTime == process.startTime) {
        syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0);
    }
    close(pidfd);
}

}  // namespace

OlderInstanceTerminator::System OlderInstanceTerminator::currentSystem() {
    return System{
        [] { return readProcessTable(); },
        signalSameProcess,
        ::getuid(),
        ::getpid(),
        displayOfThisProcess(),
    };
}

OlderInstanceTerminator::OlderInstanceTerminator(System system, Scheduler& scheduler, Log& log)
    : system_(std::move(system)), scheduler_(scheduler), log_(log) {}

std::size_t OlderInstanceTerminator::quitOtherInstances(std::function<void()> onGone) {
    const std::vector<ProcessRecord> older =
        olderDesktopInstances(system_.processTable(), system_.uid, system_.self, system_.display);
    for (const ProcessRecord& instance : older) {
        log_.info(LogCategory::session,
                  "Quitting older instance pid " + std::to_string(instance.pid));
        system_.sendSignal(instance, SIGTERM);
    }
    if (older.empty()) {
        return 0;
    }
    scheduler_.runAfter(kKillDelay, guard_, [this, older, onGone = std::move(onGone)] {
        const std::size_t killed = killSurvivors(older);
        if (!onGone) {
            return;
        }
        if (killed == 0) {
            onGone();
            return;
        }
        scheduler_.runAfter(kReapDelay, guard_, onGone);
    });
    return older.size();
}

std::size_t OlderInstanceTerminator::killSurvivors(const std::vector<ProcessRecord>& asked) {
    // A fresh scan, so a pid that the system has handed to another process meanwhile is spared.
    const std::vector<ProcessRecord> now = system_.processTable();
    std::size_t killed = 0;
    for (const ProcessRecord& instance : asked) {
        if (isStillRunning(instance, now)) {
            log_.info(LogCategory::session,
                      "Killing older instance pid " + std::to_string(instance.pid));
            system_.sendSignal(instance, SIGKILL);
            ++killed;
        }
    }
    return killed;
}

}  // namespace pastiq
