#include "views/opengl_check.h"

#include <QOpenGLContext>

namespace plenvista {
namespace {

QString offered(const OpenGlOffer& offer) {
  return QStringLiteral("%1 %2.%3")
      .arg(offer.es ? QStringLiteral("OpenGL ES") : QStringLiteral("OpenGL"))
      .arg(offer.major)
      .arg(offer.minor);
}

}  // namespace

QSurfaceFormat model_3d_format() {
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setVersion(3, 3);
  format.setProfile(QSurfaceFormat::CoreProfile);
  format.setDepthBufferSize(24);
  return format;
}

OpenGlOffer probe_opengl() {
  static const OpenGlOffer offer = [] {
    QOpenGLContext context;
    context.setFormat(model_3d_format());
    OpenGlOffer made;
    if (!context.create()) return made;
    made.made = true;
    made.es = context.isOpenGLES();
    made.major = context.format().majorVersion();
    made.minor = context.format().minorVersion();
    return made;
  }();
  return offer;
}

QString opengl_shortfall(const OpenGlOffer& offer) {
  const QString needs = QStringLiteral("The 3D view needs OpenGL 3.3 or OpenGL ES 3.0");
  if (!offer.made) return needs + QStringLiteral(", and this system offers no OpenGL at all.");
  const int minor_needed = offer.es ? 0 : 3;
  if (offer.major > 3 || (offer.major == 3 && offer.minor >= minor_needed)) return {};
  return needs + QStringLiteral("; this system offers %1.").arg(offered(offer));
}

QString shader_failure_message(const OpenGlOffer& offer, const QString& log) {
  const QString first_line = log.trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
  QString text = QStringLiteral("The 3D view cannot draw with this system's %1: it refused the view's shaders")
                     .arg(offered(offer));
  return first_line.isEmpty() ? text + QLatin1Char('.') : text + QStringLiteral(" (%1).").arg(first_line);
}

}  // namespace plenvista
