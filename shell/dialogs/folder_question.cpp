#include "shell/dialogs/folder_question.h"

#include "base/text.h"
#include "model/find_file.h"
#include "shell/shell_seams.h"

namespace plenvista {

std::string name_to_look_up(const std::string& typed, std::string& directories, std::string_view project_directory,
                            QuestionAsker& questions, QWidget* owner) {
  const FullPathReach reach = reach_full_path(directories, project_directory, typed);
  if (reach.state == FullPathReach::State::NotAFile) return typed;
  if (reach.state == FullPathReach::State::FolderMissing) {
    const QString text = QStringLiteral("The folder %1 is not among the project's directories. Add it?")
                             .arg(QString::fromStdString(reach.folder));
    if (questions.ask(owner, text, QStringLiteral("Plenvista"), QMessageBox::Yes | QMessageBox::No,
                      QMessageBox::Question) != QMessageBox::Yes)
      return typed;
    directories = with_directory(directories, reach.entry);
  }
  return std::string(bare_file_name(typed));
}

}  // namespace plenvista
