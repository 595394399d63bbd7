#include "app/control/SessionStatusJson.h"

#include <cstdint>

#include "app/control/cli/JsonWriter.h"
#include "model/PasteSession.h"

namespace pastiq {

namespace {

void writeSession(JsonWriter& json, const PasteSession& session) {
    const SourceKind& kind = session.sourceKind();
    json.beginObject();
    json.key("count");
    json.value(static_cast<std::int64_t>(session.items().size()));
    json.key("cursor");
    json.value(session.cursorIndex());
    json.key("progress");
    json.value(session.progressText());
    json.key("kind");
    json.value(kind.isGrid() ? "grid" : "list");
    json.key("label");
    json.value(kind.label());
    if (kind.isGrid()) {
        json.key("rows");
        json.value(kind.rows());
        json.key("cols");
        json.value(kind.cols());
    }
    json.key("transposed");
    json.boolean(session.isTransposed());
    json.key("finished");
    json.boolean(session.isFinished());
    json.endObject();
}

}  // namespace

std::string sessionStatusJson(const PasteSession* session, std::string_view backend) {
    JsonWriter json;
    json.beginObject();
    json.key("session");
    if (session == nullptr) {
        json.null();
    } else {
        writeSession(json, *session);
    }
    json.key("backend");
    json.value(backend);
    json.endObject();
    return json.text();
}

}  // namespace pastiq
