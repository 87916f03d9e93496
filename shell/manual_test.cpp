// The manual built into the program: every page is listed in the contents
// of index.html, and every link and picture of every page is built in too.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

namespace plenvista {
namespace {

QString page_text(const QString& name) {
  QFile file(QStringLiteral(":/help/") + name);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(Manual, EveryPageIsInTheContentsAndEveryLinkAndPictureIsBuiltIn) {
  const QStringList pages = QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")});
  ASSERT_GE(pages.size(), 8);
  const QRegularExpression reference(QStringLiteral("(?:href|src)=\"([^\"#:]+)[^\"]*\""));
  QSet<QString> linked_from_index;
  for (const QString& page : pages) {
    const QString text = page_text(page);
    EXPECT_TRUE(text.contains(QStringLiteral("<h1>"))) << page.toStdString();
    if (page != QStringLiteral("index.html")) {
      EXPECT_TRUE(text.contains(QStringLiteral("href=\"index.html\""))) << page.toStdString();
    }
    for (const QRegularExpressionMatch& match : reference.globalMatch(text)) {
      const QString target = match.captured(1);
      EXPECT_TRUE(QFile::exists(QStringLiteral(":/help/") + target))
          << page.toStdString() << " refers to " << target.toStdString();
      if (page == QStringLiteral("index.html")) linked_from_index.insert(target);
    }
  }
  for (const QString& page : pages) {
    if (page != QStringLiteral("index.html")) {
      EXPECT_TRUE(linked_from_index.contains(page)) << page.toStdString() << " is not in the contents";
    }
  }
}

}  // namespace
}  // namespace plenvista
