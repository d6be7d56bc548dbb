// What one reply costs the whole process in memory, read from a child process that makes one fetch as the
// program does (albatrix-fetch-probe) against a loopback server serving the reply: a page that inflates to
// a gigabyte, a gigabyte page of spaces, an endless picture with no size limit. The child reports its own
// peak (VmHWM): the rusage a parent gets counts the parent's memory at the fork as the child's.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "site/SiteGzip.h"
#include "support/ChildProcess.h"
#include "support/FetchKit.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace albatrix {
namespace {

using test::HttpHead;
using test::Reply;
using test::ScriptedServer;
using test::TempDir;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;  // shadow memory and quarantines would be counted as ours
#else
constexpr bool kSanitized = false;
#endif

constexpr long kRssBoundKb = 128 * 1024;

// The probe as a child process, its output in a file; the peak resident size it reports when it ends.
class Probe {
 public:
  explicit Probe(const std::vector<std::string>& args)
      : child_(test::BuildProgram("albatrix-fetch-probe"), args,
               {output_.path(), output_.file("out.txt"), output_.file("err.txt"), {}}) {}

  // Waits for the child to end by itself; false when it has not within `timeout`.
  bool WaitExit(std::chrono::milliseconds timeout) { return child_.WaitUntilEnded(timeout); }
  // Asks the child to give up its fetch, as a cancel does, and waits for it to end.
  bool Cancel(std::chrono::milliseconds timeout) {
    child_.Interrupt();
    return WaitExit(timeout);
  }
  bool started() const { return child_.Started(); }
  // -1 when it did not end by itself.
  int exitCode() { return child_.WaitUntilEnded(std::chrono::milliseconds(0)) && !child_.Signalled() ? child_.Wait() : -1; }
  // The child's own peak resident size, as it reported it on its way out; -1 when it did not.
  long PeakRssKb() const {
    std::string out = test::ReadWholeFile(output_.file("out.txt"));
    std::size_t at = out.rfind("peak-rss-kb ");
    return at == std::string::npos ? -1 : std::atol(out.c_str() + at + 12);
  }

 private:
  TempDir output_;  // made before the child, which writes into it
  test::ChildProcess child_;
};

// Each page read by a probe of its own: a page that inflates to a gigabyte, a gigabyte of spaces with or
// without its length, and the largest page there may be. Each must end by itself, in bounded memory, and
// the server must see it leave by the page limit at the latest.
TEST(FetchMemory, GigabytePagesFailInBoundedMemory) {
  if (kSanitized) GTEST_SKIP() << "peak memory is not ours under a sanitizer";
  const std::string spaces(65536, ' ');
  struct Case {
    const char* name;
    Reply reply;
    int exitCode;  // 0: the page was read, 1: the fetch failed
  };
  const Case cases[] = {
      {"a page that inflates to 1 GiB of zeros",
       test::Respond(200, GzipBomb(1u << 30), {"Content-Encoding: gzip", "Content-Type: text/html"}), 1},
      {"the largest page there may be", test::Respond(200, Bytes(kPageCapBytes - 1024, 'a')), 0},
      {"1 GiB of spaces, announced", Reply().Send(HttpHead(200, {"Content-Length: 1073741824"})).Endless(spaces), 1},
      {"spaces without end, unannounced", Reply().Send(HttpHead(200)).Endless(spaces), 1},
  };
  for (const Case& c : cases) {
    ScriptedServer server;
    server.On("/page", c.reply);
    Probe probe({"page", server.Url("/page")});
    ASSERT_TRUE(probe.started());
    ASSERT_TRUE(probe.WaitExit(std::chrono::seconds(20))) << c.name;
    EXPECT_EQ(probe.exitCode(), c.exitCode) << c.name;
    EXPECT_GT(probe.PeakRssKb(), 0) << c.name;
    EXPECT_LT(probe.PeakRssKb(), kRssBoundKb) << c.name;
    ::testing::Test::RecordProperty(c.name, std::to_string(probe.PeakRssKb()) + " KiB");
    EXPECT_TRUE(test::WaitFor([&] { return server.AllDone(); })) << c.name;
    EXPECT_LT(server.Requests().at(0).bytesSent, kPageCapBytes + (16u << 20)) << c.name;
  }
}

TEST(FetchMemory, EndlessPictureWithoutALimitStreamsToDiskInBoundedMemory) {
  if (kSanitized) GTEST_SKIP() << "peak memory is not ours under a sanitizer";
  ScriptedServer server;
  server.On("/endless.jpg", Reply().Send(HttpHead(200, {"Content-Type: image/jpeg"})).Endless(test::Pattern(65536)));
  TempDir dir;
  Probe probe({"picture", server.Url("/endless.jpg"), dir.file("endless.jpg"), "0"});
  ASSERT_TRUE(probe.started());
  // Well past any size a picture could once be held in memory at, it is still on its way to the disk.
  const std::uintmax_t kWritten = 48u << 20;
  std::uintmax_t seen = 0;
  bool grew = test::WaitFor(
      [&] {
        for (const std::string& name : test::FolderEntries(dir.path())) {
          std::error_code ec;
          std::uintmax_t size = std::filesystem::file_size(dir.file(name), ec);
          if (!ec) seen = std::max(seen, size);
        }
        return seen >= kWritten;
      },
      std::chrono::seconds(15));
  ASSERT_TRUE(probe.Cancel(std::chrono::seconds(5)));
  EXPECT_EQ(probe.exitCode(), 1);
  EXPECT_TRUE(grew) << "largest file seen: " << seen;
  // Never complete, so never under its name; the cancelled temporary is gone too.
  EXPECT_TRUE(test::FolderEntries(dir.path()).empty());
  EXPECT_GT(probe.PeakRssKb(), 0);
  EXPECT_LT(probe.PeakRssKb(), kRssBoundKb);
  ::testing::Test::RecordProperty("endless picture", std::to_string(probe.PeakRssKb()) + " KiB");
}

}  // namespace
}  // namespace albatrix
