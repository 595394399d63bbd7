#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/system/InstanceScan.h"
#include "engine/ports/Log.h"
#include "engine/ports/Scheduler.h"

namespace pastiq {

// Enforces one Pastiq per user and X display: asks every older instance to quit and kills the ones
// still running 1.5 s later. Never waits; the launch goes on meanwhile.
class OlderInstanceTerminator {
  public:
    static constexpr Delay kKillDelay{1500};
    // After a kill, the time the X server needs to notice the dead client and drop its grabs.
    static constexpr Delay kReapDelay{200};

    struct System {
        std::function<std::vector<ProcessRecord>()> processTable;
        // Signals the process only while its pid still names it (same start time).
        std::function<void(const ProcessRecord& process, int signal)> sendSignal;
        uid_t uid;
        pid_t self;
        std::string display;
    };
    // The real /proc, pidfd signals, this user, this process and its X display.
    [[nodiscard]] static System currentSystem();

    OlderInstanceTerminator(System system, Scheduler& scheduler, Log& log);
    ~OlderInstanceTerminator() = default;
    OlderInstanceTerminator(const OlderInstanceTerminator&) = delete;
    OlderInstanceTerminator& operator=(const OlderInstanceTerminator&) = delete;

    // Returns how many older instances were asked to quit. `onGone` runs after the kill check
    // when there were any, so the caller can take over what they held (the hot key grab).
    std::size_t quitOtherInstances(std::function<void()> onGone = {});

  private:
    // Returns how many had to be killed.
    std::size_t killSurvivors(const std::vector<ProcessRecord>& asked);

    System system_;
    Scheduler& scheduler_;
    Log& log_;
    // The delayed kill check dies with the terminator.
    StepGuard guard_;
};

}  // namespace pastiq
