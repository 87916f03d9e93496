#pragma once

// Scripted stand-ins for the shell's seams: file choices and answers are
// taken from queues (an empty queue cancels), and project files live in a
// map from path to the model description they hold.

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/project.h"
#include "shell/shell_seams.h"

namespace plenvista::test_support {

// File dialogs answered from a queue of choices (an empty queue cancels);
// each records its filter and, for saving, the suffix and the name it
// proposed.
class ScriptedFiles : public FileChooser {
 public:
  std::optional<std::string> open_file(QWidget*, const QString& filter) override {
    filters.push_back(filter);
    return next();
  }
  std::optional<std::string> save_file(QWidget*, const QString& filter, const QString& default_suffix,
                                       const std::string& initial) override {
    filters.push_back(filter);
    suffixes.push_back(default_suffix);
    save_initials.push_back(initial);
    return next();
  }
  std::deque<std::optional<std::string>> choices;
  std::vector<QString> filters;
  std::vector<QString> suffixes;
  std::vector<std::string> save_initials;

 private:
  std::optional<std::string> next() {
    if (choices.empty()) return std::nullopt;
    auto choice = choices.front();
    choices.pop_front();
    return choice;
  }
};

struct Asked {
  QString text;
  QString caption;
  QMessageBox::StandardButtons buttons;
};

class ScriptedQuestions : public QuestionAsker {
 public:
  QMessageBox::StandardButton ask(QWidget*, const QString& text, const QString& caption,
                                  QMessageBox::StandardButtons buttons, QMessageBox::Icon) override {
    asked.push_back({text, caption, buttons});
    if (answers.empty()) return QMessageBox::Cancel;
    const auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
  // Picks from `picks` (-1, closed, when it is empty); the labels are kept.
  int choose(QWidget*, const QString& text, const QString& caption, const QStringList& labels,
             QMessageBox::Icon) override {
    asked.push_back({text, caption, {}});
    choice_labels.push_back(labels);
    if (picks.empty()) return -1;
    const int pick = picks.front();
    picks.pop_front();
    return pick;
  }
  void tell(QWidget*, const QString& text, const QString& caption) override { told.push_back({text, caption, {}}); }
  std::deque<QMessageBox::StandardButton> answers;
  std::deque<int> picks;
  std::vector<QStringList> choice_labels;
  std::vector<Asked> asked;
  std::vector<Asked> told;
};

// Open reads the description stored at the path; Save stores it there and
// clears `modified`. Paths in `unreadable` and `unwritable` fail with a
// message, as the real file functions do.
struct FileStore {
  std::map<std::string, std::string> files;
  std::set<std::string> unreadable;
  std::set<std::string> unwritable;
  std::vector<std::string> saved_paths;

  ProjectFiles functions() {
    return {[this](Project& p) { return open(p); }, [this](Project& p) { return save(p); }};
  }
  OpenResult open(Project& p) {
    const auto it = files.find(p.path.value_or(""));
    if (it == files.end() || unreadable.contains(it->first)) {
      p.messages.show("Cannot Open Project File", "Error");
      return OpenResult::CannotOpen;
    }
    p.model.description = it->second;
    return OpenResult::Opened;
  }
  bool save(Project& p) {
    const std::string path = p.path.value_or("");
    if (path.empty() || unwritable.contains(path)) {
      p.messages.show("Cannot Save Project File", "Error");
      return false;
    }
    files[path] = p.model.description.value_or("");
    saved_paths.push_back(path);
    p.modified = false;
    return true;
  }
};

}  // namespace plenvista::test_support
