#include "views/texture_levels.h"

#include <gtest/gtest.h>

namespace plenvista {
namespace {

TEST(TextureLevelsTest, HalvesByMeansDownToOnePixel) {
  // 5 x 3: red and blue columns by turns; the odd last column and row
  // fall away at the first halving.
  QImage photo(5, 3, QImage::Format_RGB32);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) photo.setPixel(x, y, x % 2 == 0 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
  const std::vector<QImage> levels = texture_levels(photo);
  ASSERT_EQ(levels.size(), 3u);
  EXPECT_EQ(levels[0].format(), QImage::Format_RGBA8888);
  EXPECT_EQ(levels[0].pixel(1, 2), qRgb(0, 0, 255));
  EXPECT_EQ(levels[1].size(), QSize(2, 1));
  EXPECT_EQ(levels[1].pixel(1, 0), qRgb(128, 0, 128));
  EXPECT_EQ(levels[2].size(), QSize(1, 1));
  EXPECT_EQ(levels[2].pixel(0, 0), qRgb(128, 0, 128));

  // A tall strip keeps halving its long side alone.
  EXPECT_EQ(texture_levels(QImage(1, 4, QImage::Format_RGB32)).size(), 3u);
  EXPECT_TRUE(texture_levels(QImage()).empty());
}

}  // namespace
}  // namespace plenvista
