#pragma once

#include "engine/ports/Clipboard.h"
#include "engine/ports/EventPoster.h"
#include "engine/ports/FocusProbe.h"
#include "engine/ports/HotkeyGrab.h"
#include "engine/ports/InputAccess.h"
#include "engine/ports/KeyGrab.h"
#include "engine/ports/ModifierState.h"
#include "engine/ports/SelectionProbe.h"
#include "engine/ports/WindowSystem.h"

namespace pastiq {

// Everything a display backend provides: the keyboard, the clipboard and the window manager as
// the engine and the panels reach them. The referenced objects live as long as the backend.
struct DisplayPorts {
    Clipboard& clipboard;
    KeyGrab& keyGrab;
    HotkeyGrab& hotkey;
    EventPoster& eventPoster;
    ModifierState& modifiers;
    FocusProbe& focus;
    InputAccess& inputAccess;
    SelectionProbe& selection;
    WindowSystem& windows;
};

}  // namespace pastiq
