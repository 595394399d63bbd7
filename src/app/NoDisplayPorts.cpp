#include "app/NoDisplayPorts.h"

namespace pastiq {

void NoDisplayPorts::writeText(const std::string& /*text*/) {}

bool NoDisplayPorts::install(Handlers /*handlers*/) {
    return false;
}

void NoDisplayPorts::registerHotkey(std::function<void()> /*onPressed*/) {}

bool NoDisplayPorts::isTrusted(bool /*prompt*/) {
    return false;
}

}  // namespace pastiq
