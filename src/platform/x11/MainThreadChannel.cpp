#include "platform/x11/MainThreadChannel.h"

namespace pastiq::x11 {

MainThreadChannel::MainThreadChannel(MainThreadPost post) : post_(std::move(post)) {}

void MainThreadChannel::post(std::function<void()> work) const {
    post_(guard_.bind(std::move(work)));
}

}  // namespace pastiq::x11
