#pragma once

// FrameCanvas: direct drawing of many small marks into a 32-bit frame
// (Format_RGB32 or ARGB32_Premultiplied), much faster than a general
// painter for tens of thousands of lines and crosses. Coordinates are
// client pixels; everything is clipped to the frame, whatever the
// coordinates (finite ones only).

#include <QImage>
#include <QPoint>

namespace plenvista {

class FrameCanvas {
 public:
  explicit FrameCanvas(QImage& frame)
      : bits_(reinterpret_cast<QRgb*>(frame.bits())),
        stride_(frame.bytesPerLine() / 4),
        width_(frame.width()),
        height_(frame.height()) {}

  void fill_rect(int x, int y, int w, int h, QRgb colour);
  // A line of one pixel from a to b, both ends included.
  void line(QPoint a, QPoint b, QRgb colour);
  // The same line and its neighbour one pixel up (a flat line) or to the
  // left (a steep one): two pixels wide.
  void thick_line(QPoint a, QPoint b, QRgb colour);

 private:
  bool inside(QPoint p) const { return p.x() >= 0 && p.x() < width_ && p.y() >= 0 && p.y() < height_; }
  // Both ends inside the frame.
  void inner_line(QPoint a, QPoint b, QRgb colour);

  QRgb* bits_;
  qsizetype stride_;
  int width_;
  int height_;
};

}  // namespace plenvista
