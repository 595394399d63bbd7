#pragma once

#include <QPoint>
#include <memory>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace pastiq {

class PasteSession;
class QueueListModel;
class QueueListView;

namespace overlaytest {

// A list session of "Item 1" … "Item <count>" with the cursor at `cursor`.
std::shared_ptr<PasteSession> listSession(int count, int cursor = 0);
// A session parsed from copied text (tab-separated lines make a grid).
std::shared_ptr<PasteSession> parsedSession(std::string_view text);
// The text of the item at `row`.
std::string textAt(const PasteSession& session, int row);

// The centre of `row` in the list's viewport, after any pending layout.
QPoint rowCentre(QueueListView& list, int row);

// Runs the event loop for `ms` milliseconds.
void spin(int ms);

// Runs the event loop until the model's deferred update has run; false if it never did.
[[nodiscard]] bool settle(const QueueListModel& model);

}  // namespace overlaytest
}  // namespace pastiq

namespace pastiq::overlaytest {

// Names parameterised cases after their `name` field.
template <typename Case>
std::string caseName(const ::testing::TestParamInfo<Case>& param) {
    return param.param.name;
}

}  // namespace pastiq::overlaytest
