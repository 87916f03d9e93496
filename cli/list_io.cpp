#include "cli/list_io.h"

#include "base/file_io.h"

namespace plenvista {

namespace {

constexpr std::size_t kMaxListBytes = std::size_t{1} << 28;

std::optional<std::string> read_list(CliSession& session, const std::string& path) {
  const ReadResult read = read_whole_file(path, kMaxListBytes);
  if (!read.bytes) {
    session.error("Cannot read " + path + ", error code (" + std::to_string(read.error) + ")");
    return std::nullopt;
  }
  return std::string(read.bytes->begin(), read.bytes->end());
}

}  // namespace

std::optional<std::string> open_with_list(CliSession& session, const std::string& project, const std::string& list) {
  if (!session.open(project)) return std::nullopt;
  return read_list(session, list);
}

bool accept_problems(CliSession& session, const std::vector<LineProblem>& problems, bool skip,
                     const std::string& file) {
  for (const LineProblem& p : problems) {
    const std::string text = file + ": line " + std::to_string(p.line) + ": " + p.reason;
    if (skip)
      session.warning(text + " (skipped)");
    else
      session.error(text);
  }
  if (!problems.empty() && !skip) session.error("Nothing imported; give --skip-bad-lines to import the other lines");
  return problems.empty() || skip;
}

QJsonArray problems_json(const std::vector<LineProblem>& problems) {
  QJsonArray out;
  for (const LineProblem& p : problems) out.append(QJsonObject{{"line", p.line}, {"reason", json_text(p.reason)}});
  return out;
}

bool write_output(CliSession& session, const std::string& path, const std::string& text) {
  if (write_file_atomically(path, text) == WriteResult::Ok) return true;
  session.error("Cannot write " + path);
  return false;
}

}  // namespace plenvista
