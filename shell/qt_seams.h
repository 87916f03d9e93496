#pragma once

// The real file dialogs and message boxes behind the shell's seams, and the
// MessageSink that shows the core's messages as message boxes.

#include "model/user_messages.h"
#include "shell/shell_seams.h"

namespace plenvista {

class QtFileChooser : public FileChooser {
 public:
  std::optional<std::string> open_file(QWidget* owner, const QString& filter) override;
  std::optional<std::string> save_file(QWidget* owner, const QString& filter, const QString& default_suffix,
                                       const std::string& initial) override;
};

class QtQuestionAsker : public QuestionAsker {
 public:
  QMessageBox::StandardButton ask(QWidget* owner, const QString& text, const QString& caption,
                                  QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) override;
  int choose(QWidget* owner, const QString& text, const QString& caption, const QStringList& labels,
             QMessageBox::Icon icon) override;
  void tell(QWidget* owner, const QString& text, const QString& caption) override;
};

// Shows each message (UTF-8 text and caption) through a QuestionAsker,
// owned by the window it is bound to (none until bound).
class MessageBoxSink : public MessageSink {
 public:
  explicit MessageBoxSink(QuestionAsker& asker) : asker_(asker) {}
  void bind(QWidget* owner) { owner_ = owner; }
  void show(const std::string& text, const std::string& caption) override;

 private:
  QuestionAsker& asker_;
  QWidget* owner_ = nullptr;
};

}  // namespace plenvista
