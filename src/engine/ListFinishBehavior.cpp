#include "engine/ListFinishBehavior.h"

namespace pastiq {

std::string_view storedValue(ListFinishBehavior behavior) {
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

std::optional<ListFinishBehavior> listFinishBehaviorFromStored(std::string_view stored) {
    for (const auto behavior : kAllListFinishBehaviors) {
        if (storedValue(behavior) == stored) {
            return behavior;
        }
    }
    return std::nullopt;
}

}  // namespace pastiq
