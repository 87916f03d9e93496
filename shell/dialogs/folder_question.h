#pragma once

// A camera file or photograph typed or chosen with its full path, in a
// dialog that looks files up along the project's directories. When the
// path names a file that the directories do not reach, the user is asked
// "The folder <folder> is not among the project's directories. Add it?";
// Yes adds the folder to `directories` (model/find_file.h says how it is
// written). The result is the name to look up: the file's bare name when
// the directories now reach it, otherwise `typed` as it was, so that No
// leads to the dialog's usual message.

#include <string>
#include <string_view>

class QWidget;

namespace plenvista {

class QuestionAsker;

std::string name_to_look_up(const std::string& typed, std::string& directories, std::string_view project_directory,
                            QuestionAsker& questions, QWidget* owner);

}  // namespace plenvista
