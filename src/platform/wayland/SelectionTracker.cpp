#include "platform/wayland/SelectionTracker.h"

#include <algorithm>
#include <utility>

namespace pastiq::wayland {

void SelectionTracker::noteOwnWrite(std::uint64_t writeId,
                                    std::shared_ptr<const std::string> text) {
    inFlight_.push_back({writeId, text == nullptr});
    view_ = {std::move(text), nullptr};
    laterOwner_.reset();
}

bool SelectionTracker::noteSelection(std::shared_ptr<DataControlOffer> offer,
                                     std::optional<std::uint64_t> markedWrite) {
    // An echo ends the doubt about every report before it: the write came after them.
    if (markedWrite && takeInThrough(*markedWrite)) {
        laterOwner_.reset();
        return false;
    }
    if (!offer && !inFlight_.empty() && inFlight_.front().isClear) {
        inFlight_.pop_front();
        laterOwner_.reset();
        return false;
    }
    if (!inFlight_.empty()) {
        laterOwner_ = std::move(offer);
        return false;
    }
    view_ = {nullptr, std::move(offer)};
    return true;
}

bool SelectionTracker::noteSynced(std::uint64_t writeId) {
    takeInThrough(writeId);
    if (!inFlight_.empty() || !laterOwner_) {
        return false;
    }
    view_ = {nullptr, std::move(*laterOwner_)};
    laterOwner_.reset();
    return true;
}

void SelectionTracker::forgetOffers() {
    view_.offer.reset();
    laterOwner_.reset();
}

bool SelectionTracker::takeInThrough(std::uint64_t writeId) {
    const auto found = std::ranges::find(inFlight_, writeId, &Write::id);
    if (found == inFlight_.end()) {
        return false;
    }
    inFlight_.erase(inFlight_.begin(), std::next(found));
    return true;
}

}  // namespace pastiq::wayland
