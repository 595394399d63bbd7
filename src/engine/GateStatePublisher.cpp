#include "engine/GateStatePublisher.h"

#include <algorithm>
#include <utility>

namespace pastiq {

void GateStatePublisher::follow(const std::shared_ptr<PasteSession>& session,
                                std::shared_ptr<PasteGate> gate,
                                std::function<std::uint64_t()> acknowledged) {
    subscription_.cancel();
    session_ = session;
    gate_ = std::move(gate);
    acknowledged_ = std::move(acknowledged);
    published_.clear();
    if (session) {
        subscription_ = session->didChange().subscribe([this](const SessionChange& change) {
            // Only a change of the items can change a text already published.
            if (change.field == SessionField::items) {
                published_.clear();
            }
            publish();
        });
    }
    publish();
}

void GateStatePublisher::publish() {
    if (!gate_) {
        return;
    }
    GateState state;
    state.acknowledgedPastes = acknowledged_ ? acknowledged_() : 0;
    const auto session = session_.lock();
    if (session && !session->isFinished() && session->currentItem() != nullptr) {
        state.isActive = true;
        state.cursor = session->cursorIndex();
        state.count = static_cast<std::int64_t>(session->items().size());
        const auto first = static_cast<std::size_t>(state.cursor);
        const std::size_t end = std::min(session->items().size(), first + PasteGate::kWindow);
        for (std::size_t index = first; index < end; ++index) {
            state.upcoming.push_back(itemAt(*session, index));
        }
    }
    published_ = state.upcoming;
    gate_->publish(std::move(state));
}

GateItem GateStatePublisher::itemAt(const PasteSession& session, std::size_t index) const {
    const QueueItem& item = session.items()[index];
    const auto known = std::find_if(published_.begin(), published_.end(),
                                    [&](const GateItem& shared) { return shared.id == item.id(); });
    if (known != published_.end()) {
        return *known;
    }
    return {item.id(), std::make_shared<const std::string>(item.text())};
}

}  // namespace pastiq
