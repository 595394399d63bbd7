#pragma once

#include "engine/ports/AlertSound.h"
#include "engine/ports/Clipboard.h"
#include "engine/ports/EventPoster.h"
#include "engine/ports/FocusProbe.h"
#include "engine/ports/InputAccess.h"
#include "engine/ports/KeyGrab.h"
#include "engine/ports/Log.h"
#include "engine/ports/ModifierState.h"
#include "engine/ports/OnboardingPresenter.h"
#include "engine/ports/OverlayPresenter.h"
#include "engine/ports/Scheduler.h"
#include "engine/ports/SelectionProbe.h"

namespace pastiq {

// Everything the session controller reaches outside itself. The referenced objects outlive
// the controller.
struct EnginePorts {
    Clipboard& clipboard;
    Scheduler& scheduler;
    KeyGrab& keyGrab;
    EventPoster& eventPoster;
    ModifierState& modifiers;
    SelectionProbe& selection;
    FocusProbe& focus;
    InputAccess& inputAccess;
    AlertSound& alertSound;
    OverlayPresenter& overlay;
    OnboardingPresenter& onboarding;
    Log& log;
};

}  // namespace pastiq
