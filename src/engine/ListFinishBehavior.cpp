#include "engine/ListFinishBehavior.h"

#include "engine/StoredChoice.h"

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
    return choiceFromStored(kAllListFinishBehaviors, stored);
}

}  // namespace pastiq
