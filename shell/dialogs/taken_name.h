#pragma once

// A new layer or material may not take a name already in use (letter case
// ignored). Rather than closing as if the record had been made, the edit
// dialog names the record that holds the name and stays open.

#include <QString>
#include <string>

#include "model/id_list.h"
#include "model/text.h"
#include "shell/shell_seams.h"

namespace plenvista {

// The name of the record whose name equals `name` without regard to case,
// or null.
template <class Record>
const std::string* taken_name(const IdList<Record>& records, const std::string& name) {
  for (const Record* record : records)
    if (equal_ignoring_case(record->name, name)) return &record->name;
  return nullptr;
}

// "There is already a layer named "Default Layer"." with caption "Error".
inline void tell_name_taken(QuestionAsker& questions, QWidget* owner, const QString& kind, const std::string& taken) {
  questions.tell(owner, QStringLiteral("There is already a %1 named \"%2\".").arg(kind, QString::fromStdString(taken)),
                 QStringLiteral("Error"));
}

}  // namespace plenvista
