#pragma once

// Whether this system's OpenGL can carry the 3D view, and the message
// shown in the 3D view's place when it cannot. The view needs OpenGL 3.3
// (core profile) or OpenGL ES 3.0; a system may offer none, an older
// version, or one whose shader compiler refuses the view's shaders.

#include <QString>
#include <QSurfaceFormat>

namespace plenvista {

// The format the 3D view asks for: OpenGL 3.3 core with a 24-bit depth
// buffer.
QSurfaceFormat model_3d_format();

// What a context made with model_3d_format() turned out to be.
struct OpenGlOffer {
  bool made = false;  // false: no context at all
  bool es = false;
  int major = 0;
  int minor = 0;
};

// Makes (and drops) a context as the 3D view would, on the platform's
// default screen. Once per process: the answer does not change.
OpenGlOffer probe_opengl();

// Empty when `offer` can carry the 3D view, else the message saying why
// not.
QString opengl_shortfall(const OpenGlOffer& offer);

// The message when `offer`'s shader compiler refused the view's shaders;
// `log`, the compiler's complaint (its first line is quoted).
QString shader_failure_message(const OpenGlOffer& offer, const QString& log);

}  // namespace plenvista
