#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/wayland/UniqueFd.h"

namespace pastiq::wayland {

class WaylandConnection;

// The clipboard as a data-control protocol shows it to a client without focus. Compositors
// offer it as ext_data_control_v1 or as its wlroots forerunner zwlr_data_control_unstable_v1,
// which have the same shape; the rest of Pastiq sees only these interfaces. Every object
// belongs to the thread that dispatches its connection.

// Another application's clipboard content, as the compositor announced it.
class DataControlOffer {
  public:
    virtual ~DataControlOffer() = default;
    [[nodiscard]] virtual const std::vector<std::string>& mimeTypes() const = 0;
    // Asks the owner to write the content in this type to `fd`; the fd is closed here.
    virtual void receive(const std::string& mimeType, UniqueFd fd) = 0;
};

// Content Pastiq offers; destroying it withdraws it.
class DataControlSource {
  public:
    struct Events {
        // An application asks for the content in this type, to be written to the fd.
        std::function<void(const std::string& mimeType, UniqueFd fd)> send = nullptr;
        // Another owner replaced it: it will never be asked again.
        std::function<void()> cancelled = nullptr;
    };
    virtual ~DataControlSource() = default;
};

class DataControlDevice {
  public:
    struct Events {
        // The clipboard's owner changed: its offer, or null when the clipboard is empty.
        std::function<void(std::shared_ptr<DataControlOffer>)> selection = nullptr;
        // The device is gone for good (its seat was removed).
        std::function<void()> finished = nullptr;
    };
    virtual ~DataControlDevice() = default;
    [[nodiscard]] virtual std::unique_ptr<DataControlSource> createSource(
        const std::vector<std::string>& mimeTypes, DataControlSource::Events events) = 0;
    // Makes `source` the clipboard's content; null empties the clipboard.
    virtual void setSelection(DataControlSource* source) = 0;
    // `done` runs once the compositor has handled every request sent before this one.
    virtual void sync(std::function<void()> done) = 0;
};

// The data-control device of the connection's seat, over ext_data_control_v1 when the
// compositor offers it, else zwlr_data_control_unstable_v1; null when it offers neither.
[[nodiscard]] std::unique_ptr<DataControlDevice> bindDataControl(WaylandConnection& connection,
                                                                 DataControlDevice::Events events);

}  // namespace pastiq::wayland
