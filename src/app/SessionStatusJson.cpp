#include "app/SessionStatusJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

#include "model/PasteSession.h"

namespace pastiq {

namespace {

// A JSON string literal, quotes included. The fields keep a fixed order (QJsonObject would
// sort them), so only the literals go through Qt's encoder.
std::string quoted(const std::string& text) {
    const QByteArray array =
        QJsonDocument(QJsonArray{QString::fromStdString(text)}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2).toStdString();
}

std::string flag(bool value) {
    return value ? "true" : "false";
}

}  // namespace

std::string sessionStatusJson(const PasteSession* session) {
    if (session == nullptr) {
        return R"({"session":null})";
    }
    const SourceKind& kind = session->sourceKind();
    std::string json = R"({"session":{"count":)";
    json += std::to_string(session->items().size());
    json += R"(,"cursor":)" + std::to_string(session->cursorIndex());
    json += R"(,"progress":)" + quoted(session->progressText());
    json += R"(,"kind":)" + quoted(kind.isGrid() ? "grid" : "list");
    json += R"(,"label":)" + quoted(kind.label());
    if (kind.isGrid()) {
        json += R"(,"rows":)" + std::to_string(kind.rows());
        json += R"(,"cols":)" + std::to_string(kind.cols());
    }
    json += R"(,"transposed":)" + flag(session->isTransposed());
    json += R"(,"finished":)" + flag(session->isFinished()) + "}}";
    return json;
}

}  // namespace pastiq
