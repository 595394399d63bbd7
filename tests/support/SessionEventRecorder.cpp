#include "support/SessionEventRecorder.h"

#include <algorithm>

namespace pastiq {

namespace {

constexpr std::string_view kWill = "will ";
constexpr std::string_view kDid = "did ";
constexpr std::string_view kSignal = "signal";

std::string fieldName(SessionField field) {
    switch (field) {
        case SessionField::items:
            return "items";
        case SessionField::cursorIndex:
            return "cursorIndex";
        case SessionField::isTransposed:
            return "isTransposed";
        case SessionField::sourceKind:
            return "sourceKind";
        case SessionField::isFinished:
            return "isFinished";
    }
    return "unknown";
}

}  // namespace

SessionEventRecorder::SessionEventRecorder(PasteSession& session)
    : willChange_(session.willChange().subscribe([this](const SessionChange& change) {
          events_.push_back(std::string(kWill) + describe(change));
      })),
      didChange_(session.didChange().subscribe([this](const SessionChange& change) {
          events_.push_back(std::string(kDid) + describe(change));
      })),
      signal_(
          session.nextItemChangedByUser().subscribe([this] { events_.emplace_back(kSignal); })) {}

std::string SessionEventRecorder::describe(const SessionChange& change) {
    std::string text = fieldName(change.field);
    switch (change.kind) {
        case SessionChange::Kind::replaced:
            break;
        case SessionChange::Kind::itemUpdated:
            text += ":updated@" + std::to_string(change.index);
            break;
        case SessionChange::Kind::itemRemoved:
            text += ":removed@" + std::to_string(change.index);
            break;
    }
    return text;
}

std::vector<std::string> SessionEventRecorder::announcements() const {
    std::vector<std::string> result;
    for (const std::string& event : events_) {
        if (event.starts_with(kWill)) {
            result.push_back(event.substr(kWill.size()));
        } else if (event == kSignal) {
            result.push_back(event);
        }
    }
    return result;
}

int SessionEventRecorder::signalCount() const {
    return static_cast<int>(std::count(events_.begin(), events_.end(), kSignal));
}

std::optional<std::string> SessionEventRecorder::unpairedChange() const {
    for (std::size_t i = 0; i < events_.size(); ++i) {
        const std::string& event = events_[i];
        if (event.starts_with(kDid)) {
            return "'" + event + "' without a will-change right before it";
        }
        if (!event.starts_with(kWill)) {
            continue;
        }
        const std::string expected = std::string(kDid) + event.substr(kWill.size());
        if (i + 1 >= events_.size() || events_[i + 1] != expected) {
            return std::string("'")
                .append(event)
                .append("' is not followed by '")
                .append(expected)
                .append("'");
        }
        ++i;
    }
    return std::nullopt;
}

}  // namespace pastiq
