#include "cli/json_writer.h"

#include <gtest/gtest.h>

#include <limits>

namespace plenvista {
namespace {

TEST(JsonWriter, NestsContainersWithCommasBetweenItems) {
  JsonWriter json;
  json.begin_object().member("a", 1).key("list").begin_array();
  json.begin_object().end_object().begin_array().end_array().value(true).null();
  json.end_array().member("b", false).end_object();
  EXPECT_EQ(json.text(), "{\"a\":1,\"list\":[{},[],true,null],\"b\":false}\n");
}

TEST(JsonWriter, EscapesTextsAndWritesNumbersThatReadBack) {
  JsonWriter json;
  json.begin_array()
      .value("quote \" backslash \\ line\nbell\x07 caf\xc3\xa9")
      .value(0.1)
      .value(-2.5e-300)
      .value(1e21)
      .value(std::numeric_limits<double>::quiet_NaN())
      .value(std::numeric_limits<double>::infinity())
      .end_array();
  EXPECT_EQ(json.text(),
            "[\"quote \\\" backslash \\\\ line\\nbell\\u0007 caf\xc3\xa9\",0.1,-2.5e-300,1e+21,null,null]\n");
}

}  // namespace
}  // namespace plenvista
