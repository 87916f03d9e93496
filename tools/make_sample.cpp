// Writes the sample project from scratch (tools/sample_project.h) into a
// directory, emptied of the sample's files first:
//   plenvista-make-sample OUTPUT_DIRECTORY

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "platform/photograph_reader.h"
#include "tools/sample_project.h"

int main(int argc, char** argv) {
  // Drawing needs no display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: plenvista-make-sample OUTPUT_DIRECTORY\n");
    return 2;
  }
  const QString output = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(output)) {
    std::fprintf(stderr, "cannot make %s\n", argv[1]);
    return 1;
  }
  plenvista::install_photograph_readers();
  const std::string project = plenvista::write_sample_project(output.toStdString());
  if (project.empty()) return 1;
  std::printf("%s\n", project.c_str());
  return 0;
}
