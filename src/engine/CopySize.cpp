#include "engine/CopySize.h"

#include "model/ClipboardParser.h"
#include "model/QueueLimits.h"

namespace pastiq {
namespace {

std::string passes(std::uint64_t size, const char* unit, std::uint64_t limit) {
    return std::to_string(size) + " " + unit + ", more than " + std::to_string(limit);
}

}  // namespace

std::optional<std::string> whyTooLargeToQueue(const ClipboardText& copy) {
    if (copy.isTooLarge()) {
        // A text sent in increments is known only as far as it was received.
        return "at least " + passes(copy.tooLargeBytes, "bytes of text", QueueLimits::maxTextBytes);
    }
    if (!copy.text) {
        return std::nullopt;
    }
    if (copy.text->size() > QueueLimits::maxTextBytes) {
        return passes(copy.text->size(), "bytes of text", QueueLimits::maxTextBytes);
    }
    if (const auto items = ClipboardParser::itemCount(*copy.text); items > QueueLimits::maxItems) {
        return passes(items, "items", QueueLimits::maxItems);
    }
    return std::nullopt;
}

}  // namespace pastiq
