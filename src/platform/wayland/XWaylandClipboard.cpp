#include "platform/wayland/XWaylandClipboard.h"

#include <algorithm>
#include <string>

#include "platform/x11/X11Clipboard.h"
#include "platform/x11/X11ClipboardService.h"

namespace pastiq::wayland {
namespace {

// Far more than a burst of pastes keeps waiting at once.
constexpr std::size_t kKeptWrites = 64;

// To a tenth of a millisecond: the compositor often asks within one.
std::string milliseconds(BridgeWait::Clock::duration duration) {
    const auto tenths =
        std::chrono::duration_cast<std::chrono::microseconds>(duration).count() / 100;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " ms";
}

}  // namespace

std::unique_ptr<XWaylandClipboard> XWaylandClipboard::start(const MainThreadPost& post, Log& log) {
    auto service = x11::X11ClipboardService::open(post, [&log] {
        log.error(LogCategory::session, "XWayland connection lost — the clipboard is gone");
    });
    if (!service) {
        return nullptr;
    }
    return std::make_unique<XWaylandClipboard>(Passkey{}, std::move(service), log);
}

XWaylandClipboard::XWaylandClipboard(Passkey /*unused*/,
                                     std::unique_ptr<x11::X11ClipboardService> service, Log& log)
    : log_(log),
      fetches_(std::make_unique<BridgedFetches>(service->timers(),
                                                [this](std::int64_t count) {
                                                    if (fetched_) {
                                                        fetched_(count);
                                                    }
                                                })),
      bridge_(std::make_unique<BridgeWait>(service->timers())),
      service_(std::move(service)) {
    bridge_->setObserver([this](BridgeWait::Clock::duration waited, bool asked) {
        ++(asked ? times_.asked : times_.unasked);
        if (asked) {
            times_.total += waited;
            times_.longest = std::max(times_.longest, waited);
        }
    });
    // A text counts once the compositor has taken it from its window: it passes the text on to
    // the application only then, and while it stalls, an item offered meanwhile reaches the
    // application before the text does and is pasted instead.
    service_->setServeObserver(
        [this](std::uint64_t serial, bool gaveText) { served(serial, gaveText); }, true);
    // mutter asks with the time it was told of each new owner, and Pastiq's next write may
    // date from that same time: a late read of an item must not be answered with the next.
    service_->matchAnnouncedTimes();
    service_->start();
}

XWaylandClipboard::~XWaylandClipboard() {
    service_.reset();
    if (times_.asked + times_.unasked == 0) {
        return;
    }
    std::string summary = "XWayland clipboard: the compositor asked for " +
                          std::to_string(times_.asked) + " of " +
                          std::to_string(times_.asked + times_.unasked) + " writes";
    if (times_.asked > 0) {
        summary += ", on average " + milliseconds(times_.total / times_.asked) + " after it, " +
                   milliseconds(times_.longest) + " at most";
    }
    log_.info(LogCategory::session, summary);
}

std::int64_t XWaylandClipboard::changeCount() const {
    return service_->clipboard().changeCount();
}

void XWaylandClipboard::readText(ReadCompletion completion) {
    service_->clipboard().readText(std::move(completion));
}

std::int64_t XWaylandClipboard::write(std::shared_ptr<const std::string> text,
                                      std::function<void()> applied) {
    const bool hasText = text != nullptr;
    return service_->clipboard().writeReportingEntry(
        std::move(text),
        [this, hasText, applied = std::move(applied), since = BridgeWait::Clock::now()](
            std::uint64_t serial, std::int64_t count) mutable {
            noteWritten(Written{serial, count});
            bridge_->await(serial, hasText, std::move(applied), since);
        });
}

void XWaylandClipboard::noteWritten(Written written) {
    written_.push_back(written);
    if (written_.size() > kKeptWrites) {
        written_.pop_front();
    }
}

void XWaylandClipboard::onFetched(std::function<void(std::int64_t count)> fetched) {
    service_->post(
        [this, fetched = std::move(fetched)]() mutable { fetched_ = std::move(fetched); });
}

void XWaylandClipboard::served(std::uint64_t serial, bool gaveText) {
    bridge_->served(serial, gaveText);
    if (!gaveText) {
        return;
    }
    const auto found = std::find_if(written_.begin(), written_.end(),
                                    [serial](const Written& w) { return w.serial == serial; });
    if (found != written_.end()) {
        fetches_->requested(found->count, bridge_->readsEachItem());
    }
}

}  // namespace pastiq::wayland
