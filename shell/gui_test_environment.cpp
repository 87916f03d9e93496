// One QApplication for every GUI test of this executable, with the
// photograph readers the program installs at start.

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "platform/photograph_reader.h"

namespace {

class GuiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    app_ = std::make_unique<QApplication>(argc_, argv_);
    plenvista::install_photograph_readers();
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[11] = "shell_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

}  // namespace
