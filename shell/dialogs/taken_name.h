#pragma once

// A new layer or material may not take a name already in use (letter case
// ignored). Rather than closing as if the record had been made, the edit
// dialog names the record that holds the name and stays open.

#include <QString>
#include <string>

#include "base/text.h"
#include "model/id_list.h"
#include "shell/shell_seams.h"

namespace plenvista {

// The record whose name equals `name` without regard to case, or null.
template <class Record>
const Record* holder_of_name(const IdList<Record>& records, const std::string& name) {
  for (const Record* record : records)
    if (equal_ignoring_case(shown(record->name), name)) return record;
  return nullptr;
}

// "There is already a layer named "Default Layer"." with caption "Error".
inline void tell_name_taken(QuestionAsker& questions, QWidget* owner, const QString& kind, const StoredText& taken) {
  const QString name = QString::fromUtf8(shown(taken).data(), static_cast<qsizetype>(shown(taken).size()));
  questions.tell(owner, QStringLiteral("There is already a %1 named \"%2\".").arg(kind, name), QStringLiteral("Error"));
}

}  // namespace plenvista
