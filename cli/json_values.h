#pragma once

// Values of the command-line tool's --json documents, built on Qt's JSON
// classes. Texts are model texts (UTF-8); a number that is not finite is
// written as null, and numbers are written in the shortest text that reads
// back to the same double, independent of the user's locale. Objects list
// their members in name order.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <optional>
#include <string>

#include "base/vec3.h"

namespace plenvista {

inline QJsonValue json_text(const std::string& text) { return QString::fromStdString(text); }
inline QJsonValue json_text(const std::optional<std::string>& text) {
  return text ? json_text(*text) : QJsonValue(QJsonValue::Null);
}
inline QJsonArray json_array(const Vec3& v) { return {v.x, v.y, v.z}; }
inline QJsonArray json_array(const Point2& p) { return {p.x, p.y}; }

// A photograph's pose members: `offset` as the pose stores it, `centre`
// where the camera stands (the offset negated; null while the photograph is
// not located), `rotation` in degrees, and `position`, the offset under its
// former name, kept for the scripts that read it.
inline void insert_pose_json(QJsonObject& object, const Vec3& offset, const Vec3& rotation, bool located) {
  object.insert("offset", json_array(offset));
  object.insert("centre", located ? QJsonValue(json_array(Vec3{} - offset)) : QJsonValue(QJsonValue::Null));
  object.insert("position", json_array(offset));
  object.insert("rotation", json_array(rotation));
}

// The compact document, ending with a line break.
inline std::string json_document(const QJsonObject& object) {
  return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() + "\n";
}

}  // namespace plenvista
