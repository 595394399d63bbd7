#include "app/control/SessionStatusJson.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include "model/ClipboardParser.h"
#include "model/PasteSession.h"

namespace pastiq {
namespace {

PasteSession sessionFrom(const std::string& text) {
    return PasteSession(ClipboardParser::parse(text).value());
}

TEST(SessionStatusJsonTest, NoSessionIsNull) {
    EXPECT_EQ(sessionStatusJson(nullptr, "x11"), R"({"session":null,"backend":"x11"})");
}

TEST(SessionStatusJsonTest, ListAfterOnePasteMatchesThePublishedFormat) {
    PasteSession session = sessionFrom("a\nb\nc");
    session.advance();
    EXPECT_EQ(sessionStatusJson(&session, "wayland"),
              R"({"session":{"count":3,"cursor":1,"progress":"2 of 3","kind":"list",)"
              R"("label":"List","transposed":false,"finished":false},"backend":"wayland"})");
}

TEST(SessionStatusJsonTest, GridReportsItsShapeAndOrderAsValidJson) {
    PasteSession session = sessionFrom("a\tb\tc\nd\te\tf");
    session.setTransposed(true);
    session.setFinished(true);
    const std::string json = sessionStatusJson(&session, "x11");
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json;
    const QJsonObject status = document.object().value("session").toObject();
    EXPECT_EQ(status.value("count").toInt(), 6);
    EXPECT_EQ(status.value("kind").toString(), "grid");
    EXPECT_EQ(status.value("label").toString(), QString::fromUtf8("2×3 grid"));
    EXPECT_EQ(status.value("rows").toInt(), 2);
    EXPECT_EQ(status.value("cols").toInt(), 3);
    EXPECT_TRUE(status.value("transposed").toBool());
    EXPECT_TRUE(status.value("finished").toBool());
}

TEST(SessionStatusJsonTest, NeverCarriesItemText) {
    PasteSession session = sessionFrom("secret-one\nsecret-two");
    EXPECT_EQ(sessionStatusJson(&session, "x11").find("secret"), std::string::npos);
}

TEST(SessionStatusJsonTest, EmptySessionCountsZero) {
    PasteSession session(ParsedClipboard::empty());
    EXPECT_EQ(sessionStatusJson(&session, "x11"),
              R"({"session":{"count":0,"cursor":0,"progress":"0 of 0","kind":"list",)"
              R"("label":"List","transposed":false,"finished":false},"backend":"x11"})");
}

}  // namespace
}  // namespace pastiq
