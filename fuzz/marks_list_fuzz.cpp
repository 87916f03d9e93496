// Fuzz target: the marks list reader takes any text, names every line it
// cannot use, and what it takes imports into a project whose marks list
// then reads back without a problem and with every mark.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/tie_inputs.h"
#include "persistence/exchange_text.h"
#include "testing/recorders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace plenvista;
  const MarksList list = parse_marks_list({reinterpret_cast<const char*>(data), size});
  int last_line = 0;
  for (const LabelledMark& m : list.marks) {
    if (m.label.empty() || m.image_name.empty() || m.line <= last_line) std::abort();
    last_line = m.line;
  }
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project(store, notifier, messages);
  fuzzing::fill_tie_project(project);
  const auto report = import_labelled_marks(project, list.marks);
  if (!report) std::abort();
  const MarksListText text = marks_list_text(project);
  const MarksList again = parse_marks_list(text.text);
  if (!again.problems.empty() || static_cast<int>(again.marks.size()) != text.written) std::abort();
  for (const ProjectImage* image : project.images().images)
    for (const ReferencePoint* r : image->tie_marks) {
      const TiePoint* tie = project.model.tie_points.find(r->control_point_id);
      if (!tie || tie->position) std::abort();
    }
  return 0;
}
