#include <gtest/gtest.h>

#include "cli/cli_test_support.h"

namespace plenvista {
namespace {

using test_support::CliRun;
using test_support::Workspace;

TEST(CliGridSheet, WritesPdfOrSvgAndRefusesAGridLargerThanThePaper) {
  Workspace ws;
  CliRun run = ws.run("grid-sheet --rows 14 --columns 20 --cell 10 --landscape --output grid.pdf");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "Wrote grid.pdf: 20 x 14 cells of 10.0 mm: check the scale bar with a ruler on A4 landscape; print it at "
            "actual size, without scaling\n");
  EXPECT_EQ(ws.bytes("grid.pdf").substr(0, 5), "%PDF-");

  run = ws.run("grid-sheet --rows 8 --columns 12 --cell 15 12.5 --paper letter --output grid.SVG");
  EXPECT_EQ(run.status, 0) << run.err;
  const std::string svg = ws.bytes("grid.SVG");
  EXPECT_NE(svg.find("width=\"215.9mm\" height=\"279.4mm\""), std::string::npos);
  EXPECT_NE(svg.find("12 x 8 cells of 15.0 x 12.5 mm"), std::string::npos);

  // 20 cells of 10 mm do not fit across A4 upright: refused, nothing written.
  run = ws.run("grid-sheet --rows 14 --columns 20 --cell 10 --output upright.pdf");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Error: A grid of 20 x 14 cells (200.0 x 140.0 mm) does not fit on A4 portrait"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("it fits on A4 landscape"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(ws.path("upright.pdf")));

  EXPECT_EQ(ws.run("grid-sheet --rows 14 --columns 20 --cell 10 --paper B5 --output x.pdf").status, 2);
  EXPECT_EQ(ws.run("grid-sheet --rows 31 --columns 20 --cell 10 --output x.pdf").status, 2);
  EXPECT_EQ(ws.run("grid-sheet --rows 14 --columns 20 --cell 0 --output x.pdf").status, 2);
}

}  // namespace
}  // namespace plenvista
