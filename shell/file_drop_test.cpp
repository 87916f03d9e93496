#include "shell/file_drop.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>

#include "model/image_management.h"
#include "shell/dialogs/image_dialog.h"
#include "shell/gui_test_support.h"
#include "shell/main_window.h"
#include "shell/panels/image_list_panel.h"
#include "shell/test_window.h"
#include "testing/bmp_file.h"
#include "testing/cameras.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

QList<QUrl> urls_of(const std::vector<std::string>& paths) {
  QList<QUrl> urls;
  for (const std::string& path : paths) urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
  return urls;
}

TEST(SortDropped, OneProjectPhotographsInOrderAndTheRestRefused) {
  const DroppedFiles sorted = sort_dropped(urls_of(
      {"/s/b.JPG", "/s/notes.txt", "/p/house.op2", "/s/a.tiff", "/p/other.OP2", "/s/c.png", "/s/raw.cr2", "/s/bmp"}));
  EXPECT_EQ(sorted.project, "/p/house.op2");
  EXPECT_EQ(sorted.photographs, (std::vector<std::string>{"/s/b.JPG", "/s/a.tiff", "/s/c.png"}));
  EXPECT_EQ(sorted.refused, (std::vector<std::string>{"/s/notes.txt", "/p/other.OP2", "/s/raw.cr2", "/s/bmp"}));
  EXPECT_EQ(sort_dropped({QUrl("https://example.org/a.jpg")}).refused.size(), 1u);
}

// Drops onto the window as the window system delivers them: the drag is
// taken only when it carries files.
bool drop(MainWindow& window, const std::vector<std::string>& paths) {
  QMimeData data;
  data.setUrls(urls_of(paths));
  const QPoint at = window.rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &dropped);
  QApplication::processEvents();
  return true;
}

// Two photographs from a folder the project does not know, with a text
// file between them: the text file is named in a message, the folder is
// offered once, both photographs are added in the order dropped through
// the Image dialog. Then a project dropped asks to save the changes and
// opens.
TEST(FileDrop, PhotographsAreAddedInOrderAndAProjectOpens) {
  test_support::TempDir tmp;
  test_support::TestWindow shown;
  MainWindow& window = shown.window;
  test_support::ScriptedQuestions& questions = shown.questions;
  test_support::FileStore& store = shown.store;
  Project& project = window.project();
  project.set_path(tmp.file("work/house.op2"));
  project.camera_file_name = "cam.cal";
  project.images().camera = test_support::pinhole_camera();
  project.images().camera.native_width = 8;
  project.images().camera.native_height = 8;

  const std::string first = tmp.write("shoot/front.bmp", test_support::small_bmp(8, 8));
  const std::string second = tmp.write("shoot/back.bmp", test_support::small_bmp(8, 8));
  const std::string notes = tmp.write("shoot/notes.txt", "notes");
  QMimeData text_only;
  text_only.setText("not a file");
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text_only, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &enter);
  EXPECT_FALSE(enter.isAccepted());

  questions.answers = {QMessageBox::Yes};  // add the folder
  test_support::ModalScript script;
  for (int i = 0; i < 2; ++i) script.then_do<ImageDialog>([](ImageDialog& dialog) { test_support::click_ok(dialog); });
  ASSERT_TRUE(drop(window, {first, notes, second}));
  QTRY_COMPARE(project.images().images.count(), 2);
  ASSERT_FALSE(questions.told.empty());
  EXPECT_NE(questions.told[0].text.toStdString().find("Not opened:\n" + notes), std::string::npos);
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_EQ(project.model.image_directories, ".;../shoot;");
  EXPECT_EQ(project.images().images.at(0)->description, "front");
  EXPECT_EQ(project.images().images.at(1)->description, "back");
  EXPECT_EQ(project.images().images.at(1)->resolved_path, second);
  EXPECT_EQ(project.images().images.at(1)->partner, nullptr);
  EXPECT_TRUE(project.modified);

  const std::string other = tmp.write("other.op2", "");
  store.files[other] = "Other";
  questions.answers = {QMessageBox::No};  // "Save Change ?"
  ASSERT_TRUE(drop(window, {other}));
  QTRY_COMPARE(project.model.description, std::optional<std::string>("Other"));
  EXPECT_EQ(questions.asked.back().text, "Save Change ?");
  EXPECT_EQ(project.path, other);
}

}  // namespace
}  // namespace plenvista
