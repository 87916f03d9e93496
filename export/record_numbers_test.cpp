#include "export/record_numbers.h"

#include <gtest/gtest.h>

#include "model/model_records.h"

namespace plenvista {
namespace {

// Numbers by address whether the ids are close together or far apart: a
// shared id (a model record and its mirror), a record listed twice, a
// record not listed and null.
TEST(RecordNumbers, FindsEachListedRecordByAddressInNarrowAndWideIdRanges) {
  for (const int stride : {1, 1000003}) {
    std::vector<ModelPoint> points(50);
    for (std::size_t i = 0; i < points.size(); ++i) points[i].id = static_cast<int>(i) * stride - 7;
    ModelPoint mirror = points[3];
    ModelPoint unlisted = points[4];
    std::vector<ModelPoint*> list;
    for (ModelPoint& p : points) list.push_back(&p);
    list.push_back(&mirror);
    list.push_back(&points[10]);
    const RecordNumbers numbers(list, 1);
    EXPECT_EQ(numbers.find(&points[0], -1), 1);
    EXPECT_EQ(numbers.find(&points[3], -1), 4);
    EXPECT_EQ(numbers.find(&mirror, -1), 51);
    EXPECT_EQ(numbers.find(&points[10], -1), 52);
    EXPECT_EQ(numbers.find(&points[49], -1), 50);
    EXPECT_EQ(numbers.find(&unlisted, -1), -1);
    ModelPoint beyond;
    beyond.id = 2'000'000'000;
    EXPECT_EQ(numbers.find(&beyond, 0), 0);
    EXPECT_EQ(numbers.find(static_cast<const ModelPoint*>(nullptr), -2), -2);
  }
  const std::vector<ModelPoint*> none;
  EXPECT_EQ(RecordNumbers(none, 0).find(static_cast<const ModelPoint*>(nullptr), 5), 5);
}

}  // namespace
}  // namespace plenvista
