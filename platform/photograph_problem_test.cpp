#include "platform/photograph_problem.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace plenvista {
namespace {

// The photographs a user meets: one that is fine, one too large, a text
// named as a JPEG, an empty file and one that is not where the project
// looks. Each problem names the file.
TEST(PhotographProblem, SaysWhyEachPhotographShowsNothing) {
  QTemporaryDir dir;
  const auto write = [&dir](const char* name, const QByteArray& bytes) {
    QFile file(dir.filePath(QString::fromUtf8(name)));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName().toStdString();
  };
  QImage picture(40, 30, QImage::Format_RGB32);
  picture.fill(Qt::darkGreen);
  ASSERT_TRUE(picture.save(dir.filePath("good.jpg"), "JPEG"));
  QFile good(dir.filePath("good.jpg"));
  ASSERT_TRUE(good.open(QIODevice::ReadOnly));
  QByteArray big = good.readAll();
  // 12000 x 9000 in the frame header (height, then width, big-endian).
  const qsizetype sof = big.indexOf(QByteArray("\xFF\xC0", 2));
  ASSERT_GT(sof, 0);
  big[sof + 5] = char(9000 >> 8), big[sof + 6] = char(9000 & 0xFF);
  big[sof + 7] = char(12000 >> 8), big[sof + 8] = char(12000 & 0xFF);

  const auto problem = [](const std::string& path) {
    ProjectImage image;
    image.file_name = path.substr(path.rfind('/') + 1);
    image.resolved_path = path;
    return photograph_problem(image);
  };
  EXPECT_FALSE(problem(dir.filePath("good.jpg").toStdString()));
  const std::string huge = write("huge.jpg", big);
  EXPECT_EQ(problem(huge), "Cannot read the photograph " + huge +
                               ": it is 12000 x 9000 pixels, more than the 100 megapixels a photograph may have");
  const std::string fake = write("fake.jpg", "GARBAGE");
  EXPECT_NE(problem(fake).value_or("").find("Cannot read the photograph " + fake + ": "), std::string::npos);
  const std::string empty = write("big.jpg", "");
  EXPECT_NE(problem(empty).value_or("").find("Cannot read the photograph " + empty + ": "), std::string::npos);

  ProjectImage lost;
  lost.file_name = "front.jpg";
  EXPECT_EQ(photograph_problem(lost), "The photograph front.jpg is not in any of the project's directories");
}

}  // namespace
}  // namespace plenvista
