#include "base/file_io.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "base/binary_io.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

namespace fs = std::filesystem;

using test_support::TempDir;

TEST(WriteFileAtomically, ReplacesTheTargetAndLeavesNoTemporary) {
  TempDir dir;
  const std::string target = (dir.path / "a.bin").string();
  ASSERT_EQ(write_file_atomically(target, "old"), WriteResult::Ok);
  ASSERT_EQ(write_file_atomically(target, std::string("new\0data", 8)), WriteResult::Ok);
  const ReadResult read = read_whole_file(target);
  ASSERT_TRUE(read.bytes);
  EXPECT_EQ(std::string(read.bytes->begin(), read.bytes->end()), std::string("new\0data", 8));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}

TEST(WriteFileAtomically, AFailedWriteLeavesTheOldFileIntact) {
  TempDir dir;
  const std::string target = (dir.path / "a.bin").string();
  ASSERT_EQ(write_file_atomically(target, "precious"), WriteResult::Ok);
  // A directory where the temporary file would go makes the write fail.
  fs::create_directory(target + ".plenvista-part");
  EXPECT_NE(write_file_atomically(target, "lost?"), WriteResult::Ok);
  const ReadResult read = read_whole_file(target);
  ASSERT_TRUE(read.bytes);
  EXPECT_EQ(std::string(read.bytes->begin(), read.bytes->end()), "precious");
}

TEST(WriteFileAtomically, AMissingDirectoryCannotBeOpened) {
  EXPECT_EQ(write_file_atomically("/nonexistent-dir/x/y.bin", "x"), WriteResult::CannotOpen);
}

std::string contents(const std::string& path) {
  const ReadResult read = read_whole_file(path);
  return read.bytes ? std::string(read.bytes->begin(), read.bytes->end()) : "<unreadable>";
}

TEST(AtomicFileWriter, ReplacesTheTargetOnlyWhenFinished) {
  TempDir dir;
  const std::string target = (dir.path / "big.txt").string();
  ASSERT_EQ(write_file_atomically(target, "old"), WriteResult::Ok);
  std::string expected;
  {
    AtomicFileWriter writer(target);
    ASSERT_TRUE(writer.is_open());
    for (int i = 0; i < 300; ++i) {
      const std::string piece(static_cast<std::size_t>(i) * 37, static_cast<char>('a' + i % 26));
      EXPECT_TRUE(writer.write(piece));
      expected += piece;
    }
    EXPECT_EQ(contents(target), "old");
    EXPECT_TRUE(fs::exists(target + ".plenvista-part"));
    EXPECT_EQ(writer.finish(), WriteResult::Ok);
  }
  EXPECT_EQ(contents(target), expected);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}

TEST(AtomicFileWriter, AnUnfinishedOrFailedFileLeavesTheTargetAndNoTemporary) {
  TempDir dir;
  const std::string target = (dir.path / "kept.txt").string();
  ASSERT_EQ(write_file_atomically(target, "precious"), WriteResult::Ok);
  {
    AtomicFileWriter abandoned(target);
    EXPECT_TRUE(abandoned.write("half"));
  }
  EXPECT_EQ(contents(target), "precious");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);

  // A file size limit makes a write fail the way a full disk does.
  rlimit old_limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old_limit;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  WriteResult result = WriteResult::Ok;
  bool later_write = true;
  {
    AtomicFileWriter writer(target);
    writer.write(std::string(3000, 'x'));
    writer.write(std::string(1 << 20, 'y'));  // beyond the limit, whatever the buffering
    later_write = writer.write("z");
    result = writer.finish();
  }
  setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(later_write);
  EXPECT_EQ(result, WriteResult::WriteFailed);
  EXPECT_EQ(contents(target), "precious");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);

  AtomicFileWriter nowhere((dir.path / "missing" / "x.txt").string());
  EXPECT_FALSE(nowhere.is_open());
  EXPECT_FALSE(nowhere.write("x"));
  EXPECT_EQ(nowhere.finish(), WriteResult::CannotOpen);
}

TEST(ReadWholeFile, ReportsTheErrorOfAFailedOpen) {
  const ReadResult read = read_whole_file("/nonexistent-dir/nothing.op2");
  EXPECT_FALSE(read.bytes);
  EXPECT_EQ(read.error, ENOENT);
  EXPECT_FALSE(file_is_readable("/nonexistent-dir/nothing.op2"));
  EXPECT_FALSE(file_is_readable(fs::temp_directory_path().string()));
}

TEST(ByteReader, RoundTripsWhatByteWriterWrites) {
  ByteWriter w;
  w.i32(-2);
  w.f64(-0.0);
  w.text(std::optional<std::string>{});
  w.text(std::string_view(""));
  w.text(std::string_view("PLEN"));
  EXPECT_EQ(w.data().size(), 4u + 8u + 4u + 5u + 9u);
  const auto* p = reinterpret_cast<const std::uint8_t*>(w.data().data());
  ByteReader r({p, w.data().size()});
  std::int32_t i = 0;
  double d = 1.0;
  std::optional<std::string> absent = "x", empty, plen;
  EXPECT_TRUE(r.read_i32(i));
  EXPECT_TRUE(r.read_f64(d));
  EXPECT_TRUE(r.read_text(absent));
  EXPECT_TRUE(r.read_text(empty));
  EXPECT_TRUE(r.read_text(plen));
  EXPECT_EQ(i, -2);
  EXPECT_TRUE(std::signbit(d));
  EXPECT_FALSE(absent);
  EXPECT_EQ(empty, "");
  EXPECT_EQ(plen, "PLEN");
  EXPECT_EQ(r.remaining(), 0u);
}

TEST(ByteReader, RefusesLengthsAndCountsBeyondTheBuffer) {
  ByteWriter w;
  w.i32(1000);  // a text length far past the end
  w.bytes("abc", 3);
  const auto* p = reinterpret_cast<const std::uint8_t*>(w.data().data());
  ByteReader r({p, w.data().size()});
  std::optional<std::string> t;
  EXPECT_FALSE(r.read_text(t));
  EXPECT_FALSE(r.ok());
  std::int32_t i = 0;
  EXPECT_FALSE(r.read_i32(i));  // stays failed

  ByteWriter c;
  c.i32(3);
  c.bytes("0123456789", 10);
  ByteReader counts({reinterpret_cast<const std::uint8_t*>(c.data().data()), c.data().size()});
  std::int32_t n = 0;
  EXPECT_FALSE(counts.read_count(n, 4));  // three 4-byte records need 12 bytes, 10 left
}

}  // namespace
}  // namespace plenvista
