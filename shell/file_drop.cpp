#include "shell/file_drop.h"

#include <QFileInfo>
#include <QMimeData>
#include <QStringList>

namespace plenvista {

bool carries_files(const QMimeData& data) {
  for (const QUrl& url : data.urls())
    if (url.isLocalFile()) return true;
  return false;
}

DroppedFiles sort_dropped(const QList<QUrl>& urls) {
  static const QStringList kPhotographs{QStringLiteral("bmp"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                        QStringLiteral("png"), QStringLiteral("tif"), QStringLiteral("tiff")};
  DroppedFiles sorted;
  for (const QUrl& url : urls) {
    const QString path = url.isLocalFile() ? url.toLocalFile() : url.toString();
    const QFileInfo info(path);
    const QString extension = info.suffix().toLower();
    if (url.isLocalFile() && !info.isDir() && extension == QStringLiteral("op2") && !sorted.project)
      sorted.project = path.toStdString();
    else if (url.isLocalFile() && !info.isDir() && kPhotographs.contains(extension))
      sorted.photographs.push_back(path.toStdString());
    else
      sorted.refused.push_back(path.toStdString());
  }
  return sorted;
}

QString refused_drop_message(const std::vector<std::string>& refused) {
  QString text = QStringLiteral(
      "Plenvista opens one project file (.op2) and adds photographs (BMP, JPEG, PNG, TIFF) dropped on its window. "
      "Not opened:");
  for (const std::string& path : refused) text += QStringLiteral("\n") + QString::fromStdString(path);
  return text;
}

}  // namespace plenvista
