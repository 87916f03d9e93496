#include "platform/qt_settings_store.h"

#include <gtest/gtest.h>

#include "testing/temp_dir.h"

namespace plenvista {
namespace {

TEST(QtSettingsStore, AbsentValuesGiveTheCallersDefault) {
  const test_support::TempDir dir;
  QtSettingsStore store(QString::fromStdString(dir.file("plenvista.ini")));
  EXPECT_EQ(store.read_int("MainLeft", 50), 50);
  EXPECT_FALSE(store.read_text("LastProject").has_value());
}

TEST(QtSettingsStore, ValuesOutliveTheStoreObject) {
  const test_support::TempDir dir;
  const QString file = QString::fromStdString(dir.file("plenvista.ini"));
  {
    QtSettingsStore store(file);
    store.write_int("MainWidth", 1234);
    store.write_text("MainDirs", "./photos;/srv/Ünïcode");
    store.write_int("ColourFaceLine", -1);
  }
  QtSettingsStore again(file);
  EXPECT_EQ(again.read_int("MainWidth", 900), 1234);
  EXPECT_EQ(again.read_text("MainDirs"), "./photos;/srv/Ünïcode");
  EXPECT_EQ(again.read_int("ColourFaceLine", 0), -1);
}

TEST(QtSettingsStore, ATextWhereAnIntegerIsExpectedGivesTheDefault) {
  const test_support::TempDir dir;
  QtSettingsStore store(QString::fromStdString(dir.file("plenvista.ini")));
  store.write_text("MainTop", "not a number");
  EXPECT_EQ(store.read_int("MainTop", 50), 50);
}

}  // namespace
}  // namespace plenvista
