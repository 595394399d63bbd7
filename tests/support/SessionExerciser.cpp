#include "support/SessionExerciser.h"

#include <array>
#include <utility>

#include "model/ClipboardParser.h"
#include "support/ModelInvariants.h"

namespace pastiq {

namespace {

constexpr std::array<std::string_view, 8> kCellTexts{
    "", "a", "- b", " ", "1. c", "\xC2\xA0x", "\xE2\x80\xA2 d", "\xFF",
};
constexpr std::array<std::string_view, 3> kLineBreaks{"\n", "\r\n", "\r"};
constexpr std::uint64_t kMaxShape = 4;

template <std::size_t N>
std::string_view pick(const std::array<std::string_view, N>& choices,
                      const SessionExerciser::Chooser& choose) {
    return choices[static_cast<std::size_t>(choose(N - 1))];
}

}  // namespace

SessionExerciser::SessionExerciser(PasteSession& session, Chooser choose)
    : session_(session), choose_(std::move(choose)), recorder_(session) {}

std::string SessionExerciser::randomClipboardText(const Chooser& choose) {
    const std::uint64_t rows = choose(kMaxShape);
    const std::uint64_t cols = choose(kMaxShape - 1) + 1;
    const bool ragged = choose(3) == 0;
    std::string text;
    for (std::uint64_t row = 0; row < rows; ++row) {
        const std::uint64_t cells = ragged ? choose(kMaxShape - 1) + 1 : cols;
        for (std::uint64_t col = 0; col < cells; ++col) {
            text += col > 0 ? "\t" : "";
            text += pick(kCellTexts, choose);
        }
        text += pick(kLineBreaks, choose);
    }
    return text;
}

std::optional<std::string> SessionExerciser::step() {
    recorder_.reset();
    const Outcome outcome = applyOperation();
    lastOperation_ = outcome.name;
    if (auto violation = sessionInvariantViolation(session_)) {
        return outcome.name + ": " + *violation;
    }
    if (auto unpaired = recorder_.unpairedChange()) {
        return outcome.name + ": " + *unpaired;
    }
    const int signals = recorder_.signalCount();
    if (signals > 1 || (outcome.expectsSignal && *outcome.expectsSignal != (signals == 1))) {
        return outcome.name + ": nextItemChangedByUser fired " + std::to_string(signals) + " times";
    }
    return std::nullopt;
}

SessionExerciser::Outcome SessionExerciser::applyOperation() {
    const auto count = static_cast<std::int64_t>(session_.items().size());
    const std::uint64_t which = choose_(8);
    switch (which) {
        case 0: {
            auto parsed = ClipboardParser::parse(randomClipboardText(choose_));
            session_.load(parsed ? std::move(*parsed) : ParsedClipboard::empty());
            return {"load", true};
        }
        case 1:
            session_.clear();
            return {"clear", false};
        case 2:
            session_.advance();
            return {"advance", false};
        case 3: {
            const auto index = static_cast<std::int64_t>(choose_(count + 1)) - 1;
            session_.jump(index);
            return {"jump " + std::to_string(index), index >= 0 && index < count};
        }
        case 4: {
            const bool transposed = choose_(1) == 1;
            session_.setTransposed(transposed);
            return {"setTransposed " + std::to_string(transposed), false};
        }
        case 5: {
            const auto index = static_cast<std::int64_t>(choose_(count + 1)) - 1;
            session_.setCursorIndex(index);
            return {"setCursorIndex " + std::to_string(index), false};
        }
        default:
            return applyItemOperation(which);
    }
}

SessionExerciser::Outcome SessionExerciser::applyItemOperation(std::uint64_t which) {
    const Uuid id = pickId();
    const std::optional<std::size_t> index = session_.indexOf(id);
    const bool isCurrent = index && static_cast<std::int64_t>(*index) == session_.cursorIndex();
    if (which == 6) {
        session_.updateText(id, std::string(pick(kCellTexts, choose_)));
        return {"updateText", isCurrent};
    }
    if (which == 7) {
        const std::optional<Uuid> before = currentId();
        session_.deleteItem(id);
        return {"deleteItem", before != currentId()};
    }
    const bool finished = choose_(1) == 1;
    session_.setFinished(finished);
    return {"setFinished " + std::to_string(finished), false};
}

// An id in the queue most of the time, sometimes one that is not there.
Uuid SessionExerciser::pickId() {
    const auto& items = session_.items();
    const std::uint64_t choice = choose_(items.size());
    if (choice >= items.size()) {
        return Uuid::random();
    }
    return items[static_cast<std::size_t>(choice)].id();
}

std::optional<Uuid> SessionExerciser::currentId() const {
    const QueueItem* item = session_.currentItem();
    return item ? std::optional(item->id()) : std::nullopt;
}

}  // namespace pastiq
