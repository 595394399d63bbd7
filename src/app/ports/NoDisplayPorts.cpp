#include "app/ports/NoDisplayPorts.h"

#include <QTimer>
#include <utility>

namespace pastiq {

DisplayPorts NoDisplayPorts::ports() {
    return {*this, *this, *this, *this, *this, *this, *this, *this, *this};
}

void NoDisplayPorts::readText(ReadCompletion completion) {
    QTimer::singleShot(0, [completion = std::move(completion)] { completion({}); });
}

void NoDisplayPorts::writeText(const std::string& /*text*/) {}

bool NoDisplayPorts::install(Handlers /*handlers*/) {
    return false;
}

void NoDisplayPorts::registerHotkey(std::function<void()> /*onPressed*/) {}

bool NoDisplayPorts::hasInputAccess() {
    return false;
}

}  // namespace pastiq
