#include "platform/photograph_reader.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>

namespace plenvista {
namespace {

QImage test_picture(int width = 7, int height = 5) {
  QImage image(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.setPixelColor(x, y, QColor(x * 30 % 256, y * 50 % 256, (255 - x * y) & 255));
  }
  return image;
}

QByteArray encoded(const QImage& image, const char* format, int quality = -1) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, format, quality)) << format;
  return bytes;
}

struct Files {
  QTemporaryDir dir;
  std::string write(const char* name, const QByteArray& bytes) {
    const QString path = dir.filePath(QString::fromUtf8(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path.toStdString();
  }
};

// The refusal message of a photograph: it names the file and says why.
std::string refusal(const std::string& path) {
  std::string error;
  EXPECT_FALSE(read_photograph_pixels(path, &error).has_value()) << path;
  EXPECT_NE(error.find("Cannot read the photograph " + path + ": "), std::string::npos) << error;
  return error;
}

TEST(PhotographReader, ReadsSizeAndPixelsOfEveryFormatInStoredOrientation) {
  Files files;
  const QImage picture = test_picture();
  const struct {
    const char* name;
    const char* format;
    int tolerance;
  } cases[] = {{"grid photo.bmp", "BMP", 0}, {"photo.JPG", "JPEG", 40}, {"photo.png", "PNG", 0},
               {"photo.tif", "TIFF", 0},     {"photo.tiff", "TIFF", 0}, {"named without extension", "PNG", 0}};
  for (const auto& c : cases) {
    const std::string path = files.write(c.name, encoded(picture, c.format, 100));
    EXPECT_EQ(read_photograph_size(path), (BitmapSize{7, 5})) << c.name;
    const auto pixels = read_photograph_pixels(path);
    ASSERT_TRUE(pixels.has_value()) << c.name;
    ASSERT_EQ(pixels->width(), 7);
    ASSERT_EQ(pixels->height(), 5);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 7; ++x) {
        const QColor expected = picture.pixelColor(x, y);
        const Rgb got = pixels->pixel(x, y);
        EXPECT_LE(std::abs(got.r - expected.red()), c.tolerance) << c.name << " " << x << ", " << y;
        EXPECT_LE(std::abs(got.g - expected.green()), c.tolerance) << c.name << " " << x << ", " << y;
        EXPECT_LE(std::abs(got.b - expected.blue()), c.tolerance) << c.name << " " << x << ", " << y;
      }
    }
    const QImage drawn = read_photograph_image(path);
    EXPECT_EQ(drawn.format(), QImage::Format_RGB32);
    EXPECT_EQ(drawn.size(), QSize(7, 5));
  }
}

TEST(PhotographReader, RefusesCutShortDamagedAndMislabelledFilesNamingThem) {
  Files files;
  const QImage picture = test_picture(64, 48);
  for (const char* format : {"BMP", "JPEG", "PNG", "TIFF"}) {
    const QByteArray good = encoded(picture, format);
    const std::string name = std::string("cut.") + QByteArray(format).toLower().constData();
    const std::string cut = files.write(name.c_str(), good.left(good.size() * 2 / 3));
    refusal(cut);
    // Headers alone: no pixel data at all.
    const std::string headers = files.write(("headers." + name.substr(4)).c_str(), good.left(20));
    refusal(headers);
  }

  const std::string png_as_jpeg = files.write("really a png.jpg", encoded(picture, "PNG"));
  EXPECT_NE(refusal(png_as_jpeg).find("it is a PNG file named as a JPEG file"), std::string::npos);
  std::string error;
  EXPECT_FALSE(read_photograph_size(png_as_jpeg, &error).has_value());
  EXPECT_NE(error.find("named as a JPEG file"), std::string::npos) << error;

  EXPECT_NE(refusal(files.write("text.png", "not a picture at all")).find("not a BMP, JPEG, PNG or TIFF"),
            std::string::npos);
  EXPECT_NE(refusal(files.write("empty.bmp", "")).find("not a BMP"), std::string::npos);
  EXPECT_NE(refusal((files.dir.path() + "/absent.jpg").toStdString()).find("cannot be opened"), std::string::npos);

  // Scan data overwritten after the headers: the decoder must not produce a picture.
  QByteArray scrambled = encoded(picture, "PNG");
  for (qsizetype i = 60; i < scrambled.size() - 20; ++i) scrambled[i] = static_cast<char>(i * 7);
  refusal(files.write("scrambled.png", scrambled));
}

// Zoomed out, a JPEG decodes reduced by the largest power of two that divides
// both sides: each reduced pixel is close to the mean of its block of the
// whole decoding. Other formats, and a cut JPEG, go the whole way as before.
TEST(PhotographReader, DecodesJpegReducedForDrawing) {
  Files files;
  QImage smooth(72, 44, QImage::Format_RGB888);  // 72 = 8 x 9, 44 = 4 x 11
  for (int y = 0; y < 44; ++y)
    for (int x = 0; x < 72; ++x) smooth.setPixelColor(x, y, QColor(40 + x * 2, 30 + y * 4, 200 - x - y));
  const QByteArray jpeg = encoded(smooth, "JPEG", 95);
  const std::string path = files.write("smooth.jpg", jpeg);
  const QImage whole = read_photograph_image(path);
  ASSERT_EQ(whole.size(), QSize(72, 44));

  const DrawnPhotograph reduced = read_photograph_for_drawing(path, 8);
  EXPECT_EQ(reduced.reduction, 4);
  EXPECT_EQ(reduced.pixels.size(), QSize(18, 11));
  EXPECT_EQ(reduced.pixels.format(), QImage::Format_RGB32);
  EXPECT_EQ(reduced.width, 72);
  EXPECT_EQ(reduced.height, 44);
  for (int j = 0; j < 11; ++j) {
    for (int i = 0; i < 18; ++i) {
      int sum[3] = {};
      for (int y = 4 * j; y < 4 * j + 4; ++y)
        for (int x = 4 * i; x < 4 * i + 4; ++x) {
          const QColor c = whole.pixelColor(x, y);
          sum[0] += c.red(), sum[1] += c.green(), sum[2] += c.blue();
        }
      const QColor got = reduced.pixels.pixelColor(i, j);
      EXPECT_NEAR(got.red(), sum[0] / 16.0, 4) << i << ", " << j;
      EXPECT_NEAR(got.green(), sum[1] / 16.0, 4) << i << ", " << j;
      EXPECT_NEAR(got.blue(), sum[2] / 16.0, 4) << i << ", " << j;
    }
  }

  const DrawnPhotograph full = read_photograph_for_drawing(path, 1);
  EXPECT_EQ(full.reduction, 1);
  EXPECT_EQ(full.pixels, whole);
  const DrawnPhotograph png = read_photograph_for_drawing(files.write("smooth.png", encoded(smooth, "PNG")), 8);
  EXPECT_EQ(png.reduction, 1);
  EXPECT_EQ(png.pixels.size(), QSize(72, 44));

  std::string error;
  const std::string cut = files.write("cut.jpg", jpeg.left(jpeg.size() / 2));
  EXPECT_TRUE(read_photograph_for_drawing(cut, 8, &error).pixels.isNull());
  EXPECT_NE(error.find("Cannot read the photograph " + cut + ": "), std::string::npos) << error;
}

// A photograph whose headers claim 20000 x 20000 pixels (400 megapixels) is
// refused from its headers, before the decoder allocates anything.
TEST(PhotographReader, RefusesDecompressionBombsBeforeDecoding) {
  Files files;
  QByteArray jpeg = encoded(test_picture(64, 48), "JPEG");
  const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
  ASSERT_GT(sof, 0);
  for (int k : {5, 7}) {  // height then width, big-endian
    jpeg[sof + k] = static_cast<char>(20000 >> 8);
    jpeg[sof + k + 1] = static_cast<char>(20000 & 0xFF);
  }
  const std::string jpeg_bomb = files.write("bomb.jpg", jpeg);
  EXPECT_EQ(read_photograph_size(jpeg_bomb), (BitmapSize{20000, 20000}));
  EXPECT_NE(refusal(jpeg_bomb).find("20000 x 20000 pixels, more than the 100 megapixels"), std::string::npos);

  QByteArray bmp = encoded(test_picture(64, 48), "BMP");
  bmp[18] = 0;  // width 0x00004E20 = 20000, height likewise, little-endian
  bmp[19] = 0x4E;
  bmp[22] = 0;
  bmp[23] = 0x4E;
  bmp[20] = bmp[21] = bmp[24] = bmp[25] = 0;
  EXPECT_NE(refusal(files.write("bomb.bmp", bmp)).find("more than the 100 megapixels"), std::string::npos);
}

}  // namespace
}  // namespace plenvista
