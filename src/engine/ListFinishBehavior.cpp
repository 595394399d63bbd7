#include "engine/ListFinishBehavior.h"

namespace pastiq {

std::string_view rawValue(ListFinishBehavior behavior) {
    switch (behavior) {
        case ListFinishBehavior::clearClipboard:
            return "clearClipboard";
        case ListFinishBehavior::returnToFirstItem:
            return "returnToFirstItem";
        case ListFinishBehavior::stayOnLastItem:
            return "stayOnLastItem";
    }
    return "clearClipboard";
}

std::optional<ListFinishBehavior> listFinishBehaviorFromRaw(std::string_view raw) {
    for (const auto behavior : kAllListFinishBehaviors) {
        if (rawValue(behavior) == raw) {
            return behavior;
        }
    }
    return std::nullopt;
}

}  // namespace pastiq
