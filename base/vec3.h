#pragma once

// Plain geometric values shared by every layer. Model coordinates are in
// model units (the units of the reference points' world coordinates);
// photograph positions are pixels, x to the right, y down.
//
// The arithmetic works component by component in the order written here, so
// results are the same bits as the same sums written out by hand.

#include <cmath>

namespace plenvista {

struct Vec3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
  friend bool operator==(const Vec3&, const Vec3&) = default;

  Vec3& operator+=(const Vec3& b) {
    x += b.x;
    y += b.y;
    z += b.z;
    return *this;
  }
  Vec3& operator-=(const Vec3& b) {
    x -= b.x;
    y -= b.y;
    z -= b.z;
    return *this;
  }
  Vec3& operator*=(double s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
  }
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(const Vec3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator*(double s, const Vec3& a) { return a * s; }

inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
// The right-handed cross product a x b.
inline Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const Vec3& a) { return std::sqrt(dot(a, a)); }

struct Point2 {
  double x = 0.0;
  double y = 0.0;
  friend bool operator==(const Point2&, const Point2&) = default;
};

}  // namespace plenvista
