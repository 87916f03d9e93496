#include "views/opengl_check.h"

#include <gtest/gtest.h>

namespace plenvista {
namespace {

TEST(OpenGlCheckTest, NamesWhatIsMissing) {
  EXPECT_TRUE(opengl_shortfall({true, false, 3, 3}).isEmpty());
  EXPECT_TRUE(opengl_shortfall({true, false, 4, 6}).isEmpty());
  EXPECT_TRUE(opengl_shortfall({true, true, 3, 0}).isEmpty());
  EXPECT_EQ(opengl_shortfall({true, false, 2, 1}),
            "The 3D view needs OpenGL 3.3 or OpenGL ES 3.0; this system offers OpenGL 2.1.");
  EXPECT_EQ(opengl_shortfall({true, false, 3, 2}),
            "The 3D view needs OpenGL 3.3 or OpenGL ES 3.0; this system offers OpenGL 3.2.");
  EXPECT_EQ(opengl_shortfall({true, true, 2, 0}),
            "The 3D view needs OpenGL 3.3 or OpenGL ES 3.0; this system offers OpenGL ES 2.0.");
  EXPECT_EQ(opengl_shortfall({}),
            "The 3D view needs OpenGL 3.3 or OpenGL ES 3.0, and this system offers no OpenGL at all.");

  EXPECT_EQ(shader_failure_message({true, false, 3, 3}, "\n0:1(10): error: GLSL 3.30 is not supported.\nmore\n"),
            "The 3D view cannot draw with this system's OpenGL 3.3: it refused the view's shaders (0:1(10): error: "
            "GLSL 3.30 is not supported.).");
  EXPECT_EQ(shader_failure_message({true, true, 3, 1}, ""),
            "The 3D view cannot draw with this system's OpenGL ES 3.1: it refused the view's shaders.");
}

}  // namespace
}  // namespace plenvista
