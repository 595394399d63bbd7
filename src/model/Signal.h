#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace pastiq {

// A subscription to a Signal. Destroying (or cancelling) it detaches the handler, so an
// observer that goes away can never be called again.
class Subscription {
  public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, {})) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            cancel();
            cancel_ = std::exchange(other.cancel_, {});
        }
        return *this;
    }
    ~Subscription() { cancel(); }

    void cancel() {
        if (cancel_) {
            std::exchange(cancel_, {})();
        }
    }
    [[nodiscard]] bool isActive() const { return static_cast<bool>(cancel_); }

  private:
    std::function<void()> cancel_;
};

// A synchronous, single-threaded signal. Handlers may subscribe or cancel while the signal
// is being emitted: a handler cancelled during an emission is not called afterwards, and a
// handler added during an emission is first called by the next one.
template <typename... Args>
class Signal {
  public:
    Signal() = default;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Subscription subscribe(std::function<void(Args...)> handler) {
        auto slot = std::make_shared<Slot>(Slot{std::move(handler), true});
        state_->slots.push_back(slot);
        std::weak_ptr<State> weakState = state_;
        std::weak_ptr<Slot> weakSlot = slot;
        return Subscription([weakState, weakSlot] {
            auto state = weakState.lock();
            auto subscribed = weakSlot.lock();
            if (!state || !subscribed) {
                return;
            }
            subscribed->active = false;
            std::erase(state->slots, subscribed);
        });
    }

    void emit(Args... args) const {
        if (state_->slots.empty()) {
            return;
        }
        const auto snapshot = state_->slots;
        for (const auto& slot : snapshot) {
            if (slot->active) {
                slot->handler(args...);
            }
        }
    }

    [[nodiscard]] std::size_t subscriberCount() const { return state_->slots.size(); }

  private:
    struct Slot {
        std::function<void(Args...)> handler;
        bool active;
    };
    struct State {
        std::vector<std::shared_ptr<Slot>> slots;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace pastiq
