#include "app/OlderInstanceTerminator.h"

#include <signal.h>
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

}  // namespace

OlderInstanceTerminator::System OlderInstanceTerminator::currentSystem() {
    return System{
        [] { return readProcessTable(); },
        [](pid_t pid, int signal) { ::kill(pid, signal); },
        ::getuid(),
        ::getpid(),
        displayOfThisProcess(),
    };
}

OlderInstanceTerminator::OlderInstanceTerminator(System system, Scheduler& scheduler, Log& log)
    : system_(std::move(system)), scheduler_(scheduler), log_(log) {}

OlderInstanceTerminator::~OlderInstanceTerminator() {
    *alive_ = false;
}

std::size_t OlderInstanceTerminator::quitOtherInstances(std::function<void()> onGone) {
    const std::vector<ProcessRecord> older =
        otherDesktopInstances(system_.processTable(), system_.uid, system_.self, system_.display);
    for (const ProcessRecord& instance : older) {
        log_.info(LogCategory::session,
                  "Quitting older instance pid " + std::to_string(instance.pid));
        system_.sendSignal(instance.pid, SIGTERM);
    }
    if (older.empty()) {
        return 0;
    }
    std::weak_ptr<bool> alive = alive_;
    scheduler_.runAfter(kKillDelay, [this, alive, older, onGone = std::move(onGone)] {
        if (alive.expired()) {
            return;
        }
        const std::size_t killed = killSurvivors(older);
        if (!onGone) {
            return;
        }
        if (killed == 0) {
            onGone();
            return;
        }
        scheduler_.runAfter(kReapDelay, [alive, onGone] {
            if (!alive.expired()) {
                onGone();
            }
        });
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
            system_.sendSignal(instance.pid, SIGKILL);
            ++killed;
        }
    }
    return killed;
}

}  // namespace pastiq
