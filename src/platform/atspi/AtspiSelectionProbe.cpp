#include "platform/atspi/AtspiSelectionProbe.h"

#include <atspi/atspi.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

namespace pastiq::atspi {
namespace {

struct GObjectDeleter {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GRef = std::unique_ptr<T, GObjectDeleter>;
using Accessible = GRef<AtspiAccessible>;

struct ErrorSlot {
    GError* error = nullptr;
    ~ErrorSlot() { g_clear_error(&error); }
    ErrorSlot() = default;
    ErrorSlot(const ErrorSlot&) = delete;
    ErrorSlot& operator=(const ErrorSlot&) = delete;
    [[nodiscard]] bool failed() const { return error != nullptr; }
};

constexpr std::array kTextRoles{
    ATSPI_ROLE_ENTRY,     ATSPI_ROLE_TEXT,         ATSPI_ROLE_PASSWORD_TEXT,
    ATSPI_ROLE_COMBO_BOX, ATSPI_ROLE_DOCUMENT_WEB, ATSPI_ROLE_DOCUMENT_TEXT,
    ATSPI_ROLE_PARAGRAPH, ATSPI_ROLE_EDITBAR,      ATSPI_ROLE_TERMINAL,
};
// Bounds the fallback walk for toolkits without the collection interface.
constexpr int kMaxWalkedNodes = 300;

bool hasState(AtspiAccessible* accessible, AtspiStateType state) {
    GRef<AtspiStateSet> states(atspi_accessible_get_state_set(accessible));
    return states && atspi_state_set_contains(states.get(), state) != 0;
}

Accessible childAt(AtspiAccessible* parent, int index) {
    ErrorSlot slot;
    Accessible child(atspi_accessible_get_child_at_index(parent, index, &slot.error));
    return slot.failed() ? nullptr : std::move(child);
}

int childCount(AtspiAccessible* accessible) {
    ErrorSlot slot;
    const int count = atspi_accessible_get_child_count(accessible, &slot.error);
    return slot.failed() ? 0 : count;
}

// Pastiq's own accessible tree is served by the main thread, which is the one asking: a query
// to it could only end in the bus timeout, a quarter of a second added to every hot-key start.
// Leaving it out answers as a probe that cannot tell would: the copy goes ahead.
bool isOwnApplication(AtspiAccessible* application) {
    ErrorSlot slot;
    const guint pid = atspi_accessible_get_process_id(application, &slot.error);
    return !slot.failed() && pid == static_cast<guint>(getpid());
}

// The window the user works in: the one reported active, in any application.
Accessible activeWindow() {
    Accessible desktop(atspi_get_desktop(0));
    if (!desktop) {
        return nullptr;
    }
    for (int app = 0, apps = childCount(desktop.get()); app < apps; ++app) {
        const Accessible application = childAt(desktop.get(), app);
        if (!application || isOwnApplication(application.get())) {
            continue;
        }
        for (int w = 0, windows = childCount(application.get()); w < windows; ++w) {
            Accessible window = childAt(application.get(), w);
            if (window && hasState(window.get(), ATSPI_STATE_ACTIVE)) {
                return window;
            }
        }
    }
    return nullptr;
}

Accessible focusedByCollection(AtspiAccessible* window) {
    GRef<AtspiCollection> collection(atspi_accessible_get_collection_iface(window));
    if (!collection) {
        return nullptr;
    }
    GRef<AtspiStateSet> focused(atspi_state_set_new(nullptr));
    atspi_state_set_add(focused.get(), ATSPI_STATE_FOCUSED);
    GRef<AtspiMatchRule> rule(atspi_match_rule_new(
        focused.get(), ATSPI_Collection_MATCH_ALL, nullptr, ATSPI_Collection_MATCH_NONE, nullptr,
        ATSPI_Collection_MATCH_NONE, nullptr, ATSPI_Collection_MATCH_NONE, FALSE));
    ErrorSlot slot;
    GArray* matches = atspi_collection_get_matches(
        collection.get(), rule.get(), ATSPI_Collection_SORT_ORDER_CANONICAL, 1, TRUE, &slot.error);
    if (matches == nullptr) {
        return nullptr;
    }
    Accessible found;
    for (guint i = 0; i < matches->len; ++i) {
        auto* match = g_array_index(matches, AtspiAccessible*, i);
        if (!found) {
            found.reset(match);
        } else {
            g_object_unref(match);
        }
    }
    g_array_free(matches, TRUE);
    return found;
}

Accessible focusedByWalk(AtspiAccessible* node, int& budget) {
    if (--budget < 0) {
        return nullptr;
    }
    if (hasState(node, ATSPI_STATE_FOCUSED)) {
        return Accessible(static_cast<AtspiAccessible*>(g_object_ref(node)));
    }
    for (int i = 0, count = childCount(node); i < count && budget >= 0; ++i) {
        const Accessible child = childAt(node, i);
        if (child) {
            if (Accessible found = focusedByWalk(child.get(), budget)) {
                return found;
            }
        }
    }
    return nullptr;
}

bool isTextRole(AtspiAccessible* accessible) {
    ErrorSlot slot;
    const AtspiRole role = atspi_accessible_get_role(accessible, &slot.error);
    return !slot.failed() &&
           std::find(kTextRoles.begin(), kTextRoles.end(), role) != kTextRoles.end();
}

// Whether the text reports no selected characters; nothing when it cannot tell.
std::optional<bool> reportsEmptySelection(AtspiAccessible* accessible) {
    GRef<AtspiText> text(atspi_accessible_get_text_iface(accessible));
    if (!text) {
        return std::nullopt;
    }
    ErrorSlot countSlot;
    const int selections = atspi_text_get_n_selections(text.get(), &countSlot.error);
    if (countSlot.failed() || selections < 0) {
        return std::nullopt;
    }
    if (selections == 0) {
        return true;
    }
    ErrorSlot rangeSlot;
    AtspiRange* range = atspi_text_get_selection(text.get(), 0, &rangeSlot.error);
    if (rangeSlot.failed() || range == nullptr) {
        g_free(range);
        return std::nullopt;
    }
    const bool empty = selections == 1 && range->start_offset == range->end_offset;
    g_free(range);
    return empty;
}

}  // namespace

bool AtspiSelectionProbe::connect() {
    // Decided once per process: after a failed atspi_init libatspi keeps no bus, and any later
    // query would make it abort the whole program instead of reporting an error.
    static const bool connected = [] {
        const int status = atspi_init();  // 0: connected now; 1: by an earlier caller
        if ((status != 0 && status != 1) || atspi_get_a11y_bus() == nullptr) {
            return false;
        }
        atspi_set_timeout(kQueryTimeoutMs, kQueryTimeoutMs);
        return true;
    }();
    return connected;
}

bool AtspiSelectionProbe::selectionIsEmpty() {
    if (!connect()) {
        return false;
    }
    const Accessible window = activeWindow();
    if (!window) {
        return false;
    }
    Accessible focused = focusedByCollection(window.get());
    if (!focused) {
        int budget = kMaxWalkedNodes;
        focused = focusedByWalk(window.get(), budget);
    }
    if (!focused || !isTextRole(focused.get())) {
        return false;
    }
    return reportsEmptySelection(focused.get()).value_or(false);
}

}  // namespace pastiq::atspi
