#pragma once

namespace pastiq {

class AlertSound {
  public:
    virtual ~AlertSound() = default;
    virtual void beep() = 0;
};

}  // namespace pastiq
