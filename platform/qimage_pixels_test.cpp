#include "platform/qimage_pixels.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QImage>

#include "testing/temp_dir.h"

namespace plenvista {
namespace {

QImage test_picture() {
  QImage image(7, 5, QImage::Format_RGB888);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) image.setPixelColor(x, y, QColor(x * 30, y * 50, 255 - x * y));
  }
  return image;
}

QByteArray file_bytes(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return file.readAll();
}

void write_bytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

TEST(LoadBmpPixels, ReadsEveryPixelOfABmpFile) {
  const test_support::TempDir dir;
  const QString path = QString::fromStdString(dir.file("grid photo.bmp"));
  ASSERT_TRUE(test_picture().save(path, "BMP"));
  const auto pixels = load_bmp_pixels(path.toStdString());
  ASSERT_TRUE(pixels.has_value());
  ASSERT_EQ(pixels->width(), 7);
  ASSERT_EQ(pixels->height(), 5);
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 7; ++x) {
      const Rgb expected{static_cast<std::uint8_t>(x * 30), static_cast<std::uint8_t>(y * 50),
                         static_cast<std::uint8_t>(255 - x * y)};
      EXPECT_EQ(pixels->pixel(x, y), expected) << x << ", " << y;
    }
  }
}

TEST(LoadBmpPixels, RefusesDamagedMissingAndOtherFiles) {
  const test_support::TempDir dir;
  const QString bmp = QString::fromStdString(dir.file("good.bmp"));
  ASSERT_TRUE(test_picture().save(bmp, "BMP"));
  const QByteArray good = file_bytes(bmp);

  const QString cut = QString::fromStdString(dir.file("cut.bmp"));
  write_bytes(cut, good.left(good.size() - 10));
  EXPECT_FALSE(load_bmp_pixels(cut.toStdString()).has_value());

  QByteArray wide = good;
  wide[18] = 0x7f;  // width far beyond the pixel data
  const QString lying = QString::fromStdString(dir.file("lying.bmp"));
  write_bytes(lying, wide);
  EXPECT_FALSE(load_bmp_pixels(lying.toStdString()).has_value());

  const QString headers = QString::fromStdString(dir.file("headers.bmp"));
  write_bytes(headers, good.left(20));
  EXPECT_FALSE(load_bmp_pixels(headers.toStdString()).has_value());

  const QString png = QString::fromStdString(dir.file("really a png.bmp"));
  ASSERT_TRUE(test_picture().save(png, "PNG"));
  EXPECT_FALSE(load_bmp_pixels(png.toStdString()).has_value());

  EXPECT_FALSE(load_bmp_pixels(dir.file("absent.bmp")).has_value());
}

}  // namespace
}  // namespace plenvista
