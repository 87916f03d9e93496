#include "shell/recovery_offer.h"

#include <QDateTime>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace plenvista {

QString recovery_time_text(double written_ms) {
  const QDateTime when = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(written_ms));
  const bool today = when.date() == QDate::currentDate();
  return when.toString(today ? QStringLiteral("HH:mm") : QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString recovered_project_name(const RecoveryHeader& header) {
  if (!header.project_path) return QStringLiteral("an untitled project");
  return QFileInfo(QString::fromStdString(*header.project_path)).fileName();
}

void report_damaged_copy(QuestionAsker& questions, QWidget* owner, const std::string& path, const QString& what) {
  const auto moved = move_aside(path);
  const QString where = moved ? QStringLiteral("It was moved aside to %1.").arg(QString::fromStdString(*moved))
                              : QStringLiteral("It stays at %1.").arg(QString::fromStdString(path));
  questions.tell(owner,
                 QStringLiteral("The recovery copy of %1 is damaged and cannot be recovered. %2").arg(what, where),
                 QString::fromLatin1(kRecoveryCaption));
}

std::optional<RecoveryCandidate> offer_recovery(QuestionAsker& questions, QWidget* owner,
                                                const std::vector<RecoveryCandidate>& copies) {
  const QStringList labels{QStringLiteral("Recover"), QStringLiteral("Discard"), QStringLiteral("Later")};
  for (const RecoveryCandidate& copy : copies) {
    if (!copy.header) {
      report_damaged_copy(questions, owner, copy.path, QFileInfo(QString::fromStdString(copy.path)).fileName());
      continue;
    }
    const QString text = QStringLiteral("Recover the unsaved changes of %1 from %2?")
                             .arg(recovered_project_name(*copy.header), recovery_time_text(copy.header->written_ms));
    const int choice =
        questions.choose(owner, text, QString::fromLatin1(kRecoveryCaption), labels, QMessageBox::Question);
    if (choice == 0) return copy;
    if (choice == 1) {
      std::error_code ec;
      std::filesystem::remove(copy.path, ec);
    }
  }
  return std::nullopt;
}

}  // namespace plenvista
