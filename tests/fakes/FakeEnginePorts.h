#pragma once

#include "engine/ports/EnginePorts.h"
#include "fakes/FakeAlertSound.h"
#include "fakes/FakeClipboard.h"
#include "fakes/FakeEventPoster.h"
#include "fakes/FakeFocusProbe.h"
#include "fakes/FakeInputAccess.h"
#include "fakes/FakeKeyGrab.h"
#include "fakes/FakeModifierState.h"
#include "fakes/FakeOnboarding.h"
#include "fakes/FakeOverlay.h"
#include "fakes/FakeSelectionProbe.h"
#include "fakes/ManualScheduler.h"
#include "fakes/RecordingLog.h"

namespace pastiq::testing {

// One fake of every port the session controller uses, ready to hand over as EnginePorts.
// Declare it before the controller so it outlives it.
struct FakeEnginePorts {
    ManualScheduler scheduler;
    FakeClipboard clipboard{scheduler};
    FakeKeyGrab keyGrab;
    FakeEventPoster eventPoster;
    FakeModifierState modifiers{scheduler};
    FakeSelectionProbe selection;
    FakeFocusProbe focus;
    FakeInputAccess inputAccess;
    FakeAlertSound alertSound;
    FakeOverlay overlay;
    FakeOnboarding onboarding;
    RecordingLog log;

    [[nodiscard]] EnginePorts ports() {
        return EnginePorts{clipboard, scheduler,   keyGrab,    eventPoster, modifiers,  selection,
                           focus,     inputAccess, alertSound, overlay,     onboarding, log};
    }
};

}  // namespace pastiq::testing
