#include "platform/wayland/DataControl.h"

#include <wayland-client.h>

#include <list>
#include <map>
#include <utility>

#include "platform/wayland/WaylandConnection.h"
#include "protocols/ext-data-control-v1-client.h"
#include "protocols/wlr-data-control-unstable-v1-client.h"

namespace pastiq::wayland {

namespace {

// The standard protocol and its wlroots forerunner differ only in their names' prefix. Both
// are bound at version 1: the wlroots one's version 2 adds the primary selection, which Pastiq
// leaves alone.
#define PASTIQ_DATA_CONTROL_PROTOCOL(Name, prefix)                                               \
    struct Name {                                                                                \
        using Manager = prefix##_manager_v1;                                                     \
        using Device = prefix##_device_v1;                                                       \
        using Source = prefix##_source_v1;                                                       \
        using Offer = prefix##_offer_v1;                                                         \
        using DeviceListener = prefix##_device_v1_listener;                                      \
        using SourceListener = prefix##_source_v1_listener;                                      \
        using OfferListener = prefix##_offer_v1_listener;                                        \
        static constexpr const wl_interface* kManagerInterface = &prefix##_manager_v1_interface; \
        static constexpr std::uint32_t kVersion = 1;                                             \
        static constexpr auto destroyManager = &prefix##_manager_v1_destroy;                     \
        static constexpr auto getDevice = &prefix##_manager_v1_get_data_device;                  \
        static constexpr auto createSource = &prefix##_manager_v1_create_data_source;            \
        static constexpr auto addDeviceListener = &prefix##_device_v1_add_listener;              \
        static constexpr auto setSelection = &prefix##_device_v1_set_selection;                  \
        static constexpr auto destroyDevice = &prefix##_device_v1_destroy;                       \
        static constexpr auto offer = &prefix##_source_v1_offer;                                 \
        static constexpr auto addSourceListener = &prefix##_source_v1_add_listener;              \
        static constexpr auto destroySource = &prefix##_source_v1_destroy;                       \
        static constexpr auto addOfferListener = &prefix##_offer_v1_add_listener;                \
        static constexpr auto receive = &prefix##_offer_v1_receive;                              \
        static constexpr auto destroyOffer = &prefix##_offer_v1_destroy;                         \
    }

PASTIQ_DATA_CONTROL_PROTOCOL(ExtProtocol, ext_data_control);
PASTIQ_DATA_CONTROL_PROTOCOL(WlrProtocol, zwlr_data_control);
#undef PASTIQ_DATA_CONTROL_PROTOCOL

template <typename P>
class OfferOf final : public DataControlOffer {
  public:
    explicit OfferOf(typename P::Offer* proxy) : proxy_(proxy) {
        P::addOfferListener(proxy_, &kListener, this);
    }
    ~OfferOf() override { P::destroyOffer(proxy_); }
    OfferOf(const OfferOf&) = delete;
    OfferOf& operator=(const OfferOf&) = delete;

    [[nodiscard]] const std::vector<std::string>& mimeTypes() const override { return mimeTypes_; }
    // The request carries a duplicate of the fd, so this one closes at once.
    void receive(const std::string& mimeType, UniqueFd fd) override {
        P::receive(proxy_, mimeType.c_str(), fd.get());
    }

  private:
    static void onOffer(void* data, typename P::Offer* /*offer*/, const char* mimeType) {
        static_cast<OfferOf*>(data)->mimeTypes_.emplace_back(mimeType);
    }
    static constexpr typename P::OfferListener kListener{&OfferOf::onOffer};

    typename P::Offer* proxy_;
    std::vector<std::string> mimeTypes_;
};

template <typename P>
class SourceOf final : public DataControlSource {
  public:
    SourceOf(typename P::Manager* manager, const std::vector<std::string>& mimeTypes, Events events)
        : proxy_(P::createSource(manager)), events_(std::move(events)) {
        for (const auto& mimeType : mimeTypes) {
            P::offer(proxy_, mimeType.c_str());
        }
        P::addSourceListener(proxy_, &kListener, this);
    }
    ~SourceOf() override { P::destroySource(proxy_); }
    SourceOf(const SourceOf&) = delete;
    SourceOf& operator=(const SourceOf&) = delete;

    [[nodiscard]] typename P::Source* proxy() const { return proxy_; }

  private:
    static void onSend(void* data, typename P::Source* /*source*/, const char* mimeType,
                       std::int32_t fd) {
        UniqueFd owned(fd);
        const auto& send = static_cast<SourceOf*>(data)->events_.send;
        if (send) {
            send(mimeType, std::move(owned));
        }
    }
    static void onCancelled(void* data, typename P::Source* /*source*/) {
        const auto& cancelled = static_cast<SourceOf*>(data)->events_.cancelled;
        if (cancelled) {
            cancelled();
        }
    }
    static constexpr
        typename P::SourceListener kListener{&SourceOf::onSend, &SourceOf::onCancelled};

    typename P::Source* proxy_;
    Events events_;
};

template <typename P>
class DeviceOf final : public DataControlDevice {
  public:
    DeviceOf(wl_display* display, typename P::Manager* manager, wl_seat* seat, Events events)
        : display_(display),
          manager_(manager),
          proxy_(P::getDevice(manager, seat)),
          events_(std::move(events)) {
        P::addDeviceListener(proxy_, &kListener, this);
    }
    ~DeviceOf() override {
        for (const auto& sync : syncs_) {
            wl_callback_destroy(sync.callback);
        }
        announced_.clear();
        P::destroyDevice(proxy_);
        P::destroyManager(manager_);
    }
    DeviceOf(const DeviceOf&) = delete;
    DeviceOf& operator=(const DeviceOf&) = delete;

    [[nodiscard]] std::unique_ptr<DataControlSource> createSource(
        const std::vector<std::string>& mimeTypes, DataControlSource::Events events) override {
        return std::make_unique<SourceOf<P>>(manager_, mimeTypes, std::move(events));
    }
    void setSelection(DataControlSource* source) override {
        P::setSelection(proxy_, source ? static_cast<SourceOf<P>*>(source)->proxy() : nullptr);
    }
    void sync(std::function<void()> done) override {
        static const wl_callback_listener listener{&DeviceOf::onSyncDone};
        auto& sync = syncs_.emplace_back(Sync{this, wl_display_sync(display_), std::move(done)});
        wl_callback_add_listener(sync.callback, &listener, &sync);
    }

  private:
    struct Sync {
        DeviceOf* device = nullptr;
        wl_callback* callback = nullptr;
        std::function<void()> done;
    };

    static void onSyncDone(void* data, wl_callback* callback, std::uint32_t /*time*/) {
        auto* sync = static_cast<Sync*>(data);
        auto& syncs = sync->device->syncs_;
        auto done = std::move(sync->done);
        wl_callback_destroy(callback);
        syncs.remove_if([sync](const Sync& each) { return &each == sync; });
        done();
    }
    // Each offer is announced first and named as the selection (or primary selection) next.
    static void onDataOffer(void* data, typename P::Device* /*device*/, typename P::Offer* offer) {
        static_cast<DeviceOf*>(data)->announced_[offer] = std::make_shared<OfferOf<P>>(offer);
    }
    static void onSelection(void* data, typename P::Device* /*device*/, typename P::Offer* offer) {
        auto& self = *static_cast<DeviceOf*>(data);
        std::shared_ptr<DataControlOffer> named;
        if (const auto found = self.announced_.find(offer); found != self.announced_.end()) {
            named = std::move(found->second);
            self.announced_.erase(found);
        }
        if (self.events_.selection) {
            self.events_.selection(std::move(named));
        }
    }
    static void onFinished(void* data, typename P::Device* /*device*/) {
        auto& self = *static_cast<DeviceOf*>(data);
        if (self.events_.finished) {
            self.events_.finished();
        }
    }
    static void onPrimarySelection(void* data, typename P::Device* /*device*/,
                                   typename P::Offer* offer) {
        static_cast<DeviceOf*>(data)->announced_.erase(offer);
    }
    static constexpr
        typename P::DeviceListener kListener{&DeviceOf::onDataOffer, &DeviceOf::onSelection,
                                             &DeviceOf::onFinished, &DeviceOf::onPrimarySelection};

    wl_display* display_;
    typename P::Manager* manager_;
    typename P::Device* proxy_;
    Events events_;
    std::list<Sync> syncs_;
    std::map<typename P::Offer*, std::shared_ptr<OfferOf<P>>> announced_;
};

template <typename P>
std::unique_ptr<DataControlDevice> bindOf(WaylandConnection& connection,
                                          DataControlDevice::Events& events) {
    auto* manager =
        static_cast<typename P::Manager*>(connection.bind(*P::kManagerInterface, P::kVersion));
    if (manager == nullptr) {
        return nullptr;
    }
    return std::make_unique<DeviceOf<P>>(connection.display(), manager, connection.seat(),
                                         std::move(events));
}

}  // namespace

std::unique_ptr<DataControlDevice> bindDataControl(WaylandConnection& connection,
                                                   DataControlDevice::Events events) {
    if (auto device = bindOf<ExtProtocol>(connection, events)) {
        return device;
    }
    return bindOf<WlrProtocol>(connection, events);
}

}  // namespace pastiq::wayland
