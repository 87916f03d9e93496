#pragma once

// The start-up offer of recovery copies. Each copy found is offered in
// turn, oldest first: "Recover the unsaved changes of house.op2 from
// 14:32?" with Recover, Discard and Later (closing the box is Later).
// Discard deletes the copy, Later keeps it for the next start; Recover
// ends the offer and returns the copy (any copies after it wait for the
// next start). A damaged copy is reported and moved aside.

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "persistence/recovery.h"
#include "shell/shell_seams.h"

class QWidget;

namespace plenvista {

inline constexpr const char* kRecoveryCaption = "Recovery";

// The time a copy was written as the offer shows it: "14:32" today,
// "2026-12-07 14:32" on another day (local time).
QString recovery_time_text(double written_ms);

// "house.op2" for a copy of /a/house.op2, "an untitled project" for one
// without a path.
QString recovered_project_name(const RecoveryHeader& header);

std::optional<RecoveryCandidate> offer_recovery(QuestionAsker& questions, QWidget* owner,
                                                const std::vector<RecoveryCandidate>& copies);

// Tells the user that the copy at `path` (of `what`, a project name or the
// copy's own name) is damaged, and moves it aside.
void report_damaged_copy(QuestionAsker& questions, QWidget* owner, const std::string& path, const QString& what);

}  // namespace plenvista
