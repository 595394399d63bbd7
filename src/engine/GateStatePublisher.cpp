#include "engine/GateStatePublisher.h"

#include <algorithm>
#include <utility>

namespace pastiq {

void GateStatePublisher::follow(const std::shared_ptr<PasteSession>& session,
                                std::shared_ptr<PasteGate> gate, Sources sources) {
    subscription_.cancel();
    session_ = session;
    gate_ = std::move(gate);
    sources_ = std::move(sources);
    published_.clear();
    if (session) {
        subscription_ = session->didChange().subscribe([this](const SessionChange& change) {
            // Only a change of the items can change a text already published.
            if (change.field == SessionField::items) {
                published_.clear();
            }
            publishSoon();
        });
    }
    publishSoon();
}

void GateStatePublisher::publishSoon() {
    if (isPublishPending_ || !gate_) {
        return;
    }
    isPublishPending_ = true;
    scheduler_.runSoon(guard_.bind([this] { publish(); }));
}

void GateStatePublisher::publish() {
    isPublishPending_ = false;
    if (!gate_) {
        return;
    }
    const auto session = session_.lock();
    GateState state = session ? stateOf(*session) : GateState{};
    state.acknowledgedKeys = sources_.acknowledgedKeys ? sources_.acknowledgedKeys() : 0;
    state.judgedKeys = sources_.judgedKeys ? sources_.judgedKeys() : 0;
    published_ = state.window;
    if (state.firstItem) {
        published_.push_back(*state.firstItem);
    }
    gate_->publish(std::move(state));
}

GateState GateStatePublisher::stateOf(const PasteSession& session) {
    GateState state;
    state.hasSession = true;
    state.isFinished = session.isFinished();
    state.cursor = session.cursorIndex();
    state.count = static_cast<std::int64_t>(session.items().size());
    state.finishBehavior =
        sources_.finishBehavior ? sources_.finishBehavior() : ListFinishBehavior::clearClipboard;
    state.afterEachPaste =
        sources_.afterEachPaste ? sources_.afterEachPaste() : AfterEachPaste::nothing;
    const SourceKind& kind = session.sourceKind();
    state.rowLength = kind.isGrid() && !session.isTransposed() ? kind.cols() : 0;
    state.windowStart = std::max<std::int64_t>(0, state.cursor - PasteGate::kWindow);
    const std::int64_t end = std::min(state.count, state.cursor + PasteGate::kWindow);
    for (std::int64_t index = state.windowStart; index < end; ++index) {
        state.window.push_back(itemAt(session, static_cast<std::size_t>(index)));
    }
    if (state.count > 0 && state.windowStart > 0) {
        state.firstItem = itemAt(session, 0);
    }
    return state;
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
