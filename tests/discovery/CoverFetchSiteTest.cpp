// Covers fetched into the program folder's "tmp": what lands on disk, and what never does.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>

#include "discovery/CoverFetch.h"
#include "site/SiteImages.h"
#include "support/ScriptedServer.h"
#include "support/TempDir.h"

namespace albatrix {
namespace {

using test::ReadWholeFile;
using test::Respond;

class CoverFetchTest : public ::testing::Test {
 protected:
  std::string CoverFile(std::size_t index) const { return dir.file("tmp/" + std::to_string(index) + ".jpg"); }
  bool Fetch(std::size_t index, const std::string& target, const std::atomic<bool>* abort = nullptr) {
    return FetchCover(dir.folder(), index, Utf8ToText(server.Url(target)), abort);
  }

  test::TempDir dir;
  test::ScriptedServer server;
};

TEST_F(CoverFetchTest, APngCoverIsSavedUnderItsJpgNameAsItArrived) {
  std::string png = EncodePicture(PictureKind::Png, 300, 200, 7);
  server.On("/c.png", Respond(200, png, {"Content-Type: image/png"}));
  ASSERT_TRUE(Fetch(12, "/c.png"));
  EXPECT_EQ(ReadWholeFile(CoverFile(12)), png);
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_NE(server.Requests()[0].Header("User-Agent").find("Mozilla/5.0"), std::string::npos);
}

TEST_F(CoverFetchTest, AnErrorReplyNeverBecomesACover) {
  server.On("/gone.jpg", Respond(404, "<html>not here</html>", {"Content-Type: text/html"}));
  EXPECT_FALSE(Fetch(0, "/gone.jpg"));
  EXPECT_FALSE(test::PathExists(CoverFile(0)));
  EXPECT_EQ(server.RequestCount(), 1u);  // one attempt, no retry
  // Nothing half-written is left beside it either.
  EXPECT_TRUE(std::filesystem::is_empty(dir.file("tmp")));
  // An empty address makes no request at all.
  EXPECT_FALSE(FetchCover(dir.folder(), 1, Text(), nullptr));
  EXPECT_EQ(server.RequestCount(), 1u);
  EXPECT_FALSE(test::PathExists(CoverFile(1)));
}

// A later cover replaces the one of its index, and a removed "tmp" is made again for any album.
TEST_F(CoverFetchTest, ALaterCoverReplacesTheOneOfTheSameIndexAndTmpIsMadeAgain) {
  server.On("/a.jpg", Respond(200, "first picture", {"Content-Type: image/jpeg"}));
  server.On("/b.jpg", Respond(200, "second picture", {"Content-Type: image/jpeg"}));
  ASSERT_TRUE(Fetch(3, "/a.jpg"));
  ASSERT_TRUE(Fetch(3, "/b.jpg"));
  EXPECT_EQ(ReadWholeFile(CoverFile(3)), "second picture");
  std::filesystem::remove_all(dir.file("tmp"));
  ASSERT_TRUE(Fetch(5, "/a.jpg"));  // not album 0, and still saved
  EXPECT_EQ(ReadWholeFile(CoverFile(5)), "first picture");
}

TEST_F(CoverFetchTest, RaisingTheAbortFlagEndsAStalledCoverAtOnce) {
  server.On("/stall.jpg", test::Reply().Send(test::HttpHead(200, {"Content-Length: 5000"}) + "abc").Stall());
  std::atomic<bool> abort{false};
  auto fetched = std::async(std::launch::async, [&] { return Fetch(1, "/stall.jpg", &abort); });
  ASSERT_EQ(fetched.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
  auto raised = std::chrono::steady_clock::now();
  abort = true;
  ASSERT_EQ(fetched.wait_for(std::chrono::seconds(1)), std::future_status::ready);
  EXPECT_LT(std::chrono::steady_clock::now() - raised, std::chrono::seconds(1));
  EXPECT_FALSE(fetched.get());
  EXPECT_FALSE(test::PathExists(CoverFile(1)));
}

}  // namespace
}  // namespace albatrix
