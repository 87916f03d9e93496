#!/usr/bin/perl
# Writes a photograph of a ruled grid to try `plenvista-cli calibrate` and
# the Camera Editor on: a 2272 x 1704 24-bit BMP with 20 x 14 cells of 100
# pixels, dark lines 3 pixels wide on a light ground and a thicker central
# cross. Intersection (row i, column j), counted from 0 at the top left,
# lies at (131 + 100 j, 147 + 100 i); the cross is at (1131, 847), a little
# off the photograph's centre as in a real photograph.
#
# Usage: scripts/make-grid-photo.pl [OUTPUT.bmp]    (default grid.bmp)
use strict;
use warnings;

my $out = shift // 'grid.bmp';
my ($width, $height) = (2272, 1704);
my ($columns, $rows, $cell, $left, $top) = (20, 14, 100, 131, 147);
my ($line_half, $cross_half, $cross_arm) = (1, 4, 60);
my ($right, $bottom) = ($left + $columns * $cell, $top + $rows * $cell);
my ($cross_x, $cross_y) = ($left + $columns / 2 * $cell, $top + $rows / 2 * $cell);
my ($ink, $paper) = (chr(30) x 3, chr(220) x 3);

# Inks pixels $from..$to of a row.
sub ink {
  my ($row, $from, $to) = @_;
  substr($$row, 3 * $from, 3 * ($to - $from + 1)) = $ink x ($to - $from + 1);
}

my $stride = $width * 3;    # a multiple of 4: no row padding
open my $file, '>:raw', $out or die "Cannot write $out: $!\n";
print $file pack('A2 V v v V', 'BM', 54 + $stride * $height, 0, 0, 54);
print $file pack('V l l v v V V l l V V', 40, $width, $height, 1, 24, 0, $stride * $height, 2835, 2835, 0, 0);
for (my $y = $height - 1; $y >= 0; --$y) {    # the bottom row first
  my $row = $paper x $width;
  if ($y >= $top - $line_half && $y <= $bottom + $line_half) {
    if (($y - $top + $line_half) % $cell <= 2 * $line_half) {
      ink(\$row, $left - $line_half, $right + $line_half);
    } else {
      for (my $x = $left; $x <= $right; $x += $cell) { ink(\$row, $x - $line_half, $x + $line_half); }
    }
  }
  ink(\$row, $cross_x - $cross_arm, $cross_x + $cross_arm) if abs($y - $cross_y) <= $cross_half;
  ink(\$row, $cross_x - $cross_half, $cross_x + $cross_half) if abs($y - $cross_y) <= $cross_arm;
  print $file $row;
}
close $file or die "Cannot write $out: $!\n";
