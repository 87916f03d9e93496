// The exchange commands as the menu runs them: a list chosen, its preview
// with the bad line named, OK only once skipping is accepted, then the
// import; a GCP list naming a photograph that is not in the project.

#include "shell/dialogs/exchange_import_dialog.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTableWidget>

#include "model/edit_test_support.h"
#include "model/image_management.h"
#include "shell/exchange_commands.h"
#include "shell/gui_test_support.h"
#include "shell/shell_test_doubles.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

struct ExchangeCommands : test_support::EditFixture {
  test_support::TempDir tmp;
  test_support::ScriptedFiles files;
  test_support::ScriptedQuestions questions;
  ExchangeSeams seams{project, files, questions, nullptr};
};

TEST_F(ExchangeCommands, ImportPreviewsNamesTheBadLineAndImportsOnlyOnceSkippingIsAccepted) {
  files.choices.push_back(tmp.write("points.csv", "label,X,Y,Z\nA,1,2,3\nB,4,five,6\nC,7,8,9\n"));
  test_support::ModalScript script;
  script.then<ExchangeImportDialog>([](ExchangeImportDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Import Control Points");
    EXPECT_EQ(dialog.table()->rowCount(), 2);
    EXPECT_EQ(dialog.table()->item(1, 1)->text(), "C");
    EXPECT_EQ(dialog.messages()->toPlainText(), "line 3: Y is not a number: 'five'\n");
    EXPECT_FALSE(dialog.ok_button()->isEnabled());
    test_support::click(dialog.skip_box());
    EXPECT_TRUE(dialog.ok_button()->isEnabled());
    test_support::click_ok(dialog);
    return true;
  });
  import_control_points_command(seams);
  ASSERT_EQ(project.model.control_points.count(), 2);
  EXPECT_TRUE(project.modified);
  ASSERT_EQ(questions.told.size(), 1u);
  EXPECT_EQ(questions.told[0].text, "Control points: 2 added, 0 moved, 0 unchanged.");
}

TEST_F(ExchangeCommands, GcpListPreviewListsMissingPhotographsAndCreatesTheOtherMarks) {
  auto image = std::make_unique<ProjectImage>();
  image->file_name = "front.jpg";
  ProjectImage* front = add_image(project, std::move(image));
  files.choices.push_back(tmp.write("marks.txt", "1 2 3 100 200 front.jpg A\n4 5 6 7 8 back.jpg B\n"));
  test_support::ModalScript script;
  script.then<ExchangeImportDialog>([](ExchangeImportDialog& dialog) {
    EXPECT_EQ(dialog.table()->rowCount(), 2);
    EXPECT_EQ(dialog.messages()->toPlainText(), "No photograph named back.jpg in the project\n");
    EXPECT_FALSE(dialog.skip_box()->isEnabled());
    test_support::click_ok(dialog);
    return true;
  });
  import_gcp_list_command(seams);
  ASSERT_EQ(front->reference_points.count(), 1);
  EXPECT_EQ(front->reference_points.first()->image_position, (Point2{100 - front->centre_x, 200 - front->centre_y}));
  EXPECT_NE(questions.told.at(0).text.indexOf("No photograph named back.jpg"), -1);
}

}  // namespace
}  // namespace plenvista
