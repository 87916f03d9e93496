#include "platform/this_process.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QSysInfo>
#include <cerrno>
#include <csignal>

namespace plenvista {

ProcessIdentity current_process() {
  return {static_cast<int>(QCoreApplication::applicationPid()), QSysInfo::machineHostName().toStdString()};
}

bool process_alive(int pid) {
  if (pid <= 0) return false;
  // Signal 0 only checks; EPERM means it exists but belongs to another user.
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::string recovery_folder() {
  const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  if (data.isEmpty()) return {};
  return (data + QStringLiteral("/recovery")).toStdString();
}

}  // namespace plenvista
