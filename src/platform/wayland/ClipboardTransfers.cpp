#include "platform/wayland/ClipboardTransfers.h"

#include <algorithm>
#include <utility>

namespace pastiq::wayland {

namespace {
constexpr short kReadyOrGone = POLLERR | POLLHUP | POLLNVAL;
}  // namespace

void ClipboardTransfers::send(UniqueFd fd, std::shared_ptr<const std::string> text,
                              Clock::time_point now) {
    senders_.emplace_back(std::move(fd), std::move(text), bounds_.sendStall, now);
    // Most texts fit the pipe at once; the rest waits for poll().
    if (senders_.back().onWritable(now)) {
        senders_.pop_back();
    }
}

void ClipboardTransfers::read(UniqueFd fd, ReadDone done, Clock::time_point now) {
    if (read_) {
        auto replaced = std::move(read_->done);
        read_.reset();
        replaced(ClipboardText{});
    }
    read_.emplace(
        Read{PipeReader(std::move(fd), bounds_.readBytes, now + bounds_.read), std::move(done)});
}

void ClipboardTransfers::addPollFds(std::vector<pollfd>& fds) const {
    for (const auto& sender : senders_) {
        fds.push_back({sender.fd(), POLLOUT, 0});
    }
    if (read_) {
        fds.push_back({read_->reader.fd(), POLLIN, 0});
    }
}

void ClipboardTransfers::handle(std::span<const pollfd> fds, Clock::time_point now) {
    // Matched by fd, so a transfer added since the poll is not handed another's readiness.
    const auto eventsOf = [fds](int fd) {
        const auto found = std::ranges::find(fds, fd, &pollfd::fd);
        return found == fds.end() ? 0 : found->revents;
    };
    for (auto sender = senders_.begin(); sender != senders_.end();) {
        const bool ready = (eventsOf(sender->fd()) & (POLLOUT | kReadyOrGone)) != 0;
        sender = ready && sender->onWritable(now) ? senders_.erase(sender) : std::next(sender);
    }
    if (read_ && (eventsOf(read_->reader.fd()) & (POLLIN | kReadyOrGone)) != 0 &&
        read_->reader.onReadable()) {
        finishRead();
    }
}

void ClipboardTransfers::expire(Clock::time_point now) {
    senders_.remove_if([now](const PipeSender& sender) { return sender.deadline() <= now; });
    if (read_ && read_->reader.deadline() <= now) {
        auto done = std::move(read_->done);
        read_.reset();
        done(ClipboardText{});
    }
}

std::optional<ClipboardTransfers::Clock::time_point> ClipboardTransfers::nextDeadline() const {
    std::optional<Clock::time_point> next;
    const auto consider = [&next](Clock::time_point deadline) {
        next = next ? std::min(*next, deadline) : deadline;
    };
    for (const auto& sender : senders_) {
        consider(sender.deadline());
    }
    if (read_) {
        consider(read_->reader.deadline());
    }
    return next;
}

void ClipboardTransfers::finishRead() {
    auto done = std::move(read_->done);
    auto text = read_->reader.takeResult();
    read_.reset();
    done(std::move(text));
}

}  // namespace pastiq::wayland
