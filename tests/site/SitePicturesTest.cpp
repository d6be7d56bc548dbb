// Pictures and gzip of the album site, without a server.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "MyCode/URLSource2.h"
#include "PictureDecode.h"
#include "site/SiteGzip.h"
#include "site/SiteImages.h"

namespace albatrix::test {
namespace {

const char* KindName(PictureKind kind) {
  return kind == PictureKind::Jpeg ? "jpeg" : kind == PictureKind::Png ? "png" : "gif";
}

TEST(SitePictures, ExactSizesStayDecodable) {
  PictureCache cache;
  // Sizes around the padding's edges: just above the bare picture (too little for a comment), JPEG's
  // 65,537-byte segment limit and its 1..3-byte remainders, and sizes for benchmarks.
  const std::size_t sizes[] = {5000, 5121, 9216, 12288, 65536, 65537 + 4096, 65537 + 4095, 65537 * 2 + 4098,
                               200 * 1024, 1024 * 1024 + 7};
  for (PictureKind kind : {PictureKind::Jpeg, PictureKind::Png, PictureKind::Gif}) {
    for (std::size_t size : sizes) {
      SCOPED_TRACE(std::string(KindName(kind)) + " " + std::to_string(size));
      std::string bytes = cache.Picture(kind, size, 7, "albatrix stamp");
      EXPECT_EQ(bytes.size(), size);
      DecodedPicture decoded = DecodePicture(bytes);
      ASSERT_TRUE(decoded.ok);
      EXPECT_EQ(decoded.kind, kind);
      EXPECT_GT(decoded.width * decoded.height, 16 * 12 - 1);
      EXPECT_NE(bytes.find("albatrix stamp"), std::string::npos);
    }
  }
}

TEST(SitePictures, EveryBareSizePlusSmallPaddingIsExact) {
  PictureCache cache;
  // 1 to 24 bytes over the bare picture: the cases that cannot hold a comment of their own.
  for (PictureKind kind : {PictureKind::Jpeg, PictureKind::Png, PictureKind::Gif}) {
    std::size_t bare = EncodePicture(kind, 160, 120, 3).size();
    for (std::size_t extra = 0; extra <= 24; ++extra) {
      SCOPED_TRACE(std::string(KindName(kind)) + " +" + std::to_string(extra));
      std::string bytes = cache.Picture(kind, bare + extra, 3, "s");
      EXPECT_EQ(bytes.size(), bare + extra);
      EXPECT_TRUE(DecodePicture(bytes).ok);
    }
  }
}

// Stamps tell pictures of one size apart, seeds their pixels; the same stamp and seed give the same bytes.
TEST(SitePictures, StampsAndSeedsTellPicturesApart) {
  PictureCache cache;
  std::string first = cache.Picture(PictureKind::Jpeg, 20000, 1, "albatrix demo/a1/1");
  std::string second = cache.Picture(PictureKind::Jpeg, 20000, 1, "albatrix demo/a1/2");
  EXPECT_EQ(first.size(), second.size());
  EXPECT_NE(first, second);
  EXPECT_EQ(first, cache.Picture(PictureKind::Jpeg, 20000, 1, "albatrix demo/a1/1"));
  EXPECT_NE(DecodePicture(EncodePicture(PictureKind::Png, 64, 48, 1)).pixels,
            DecodePicture(EncodePicture(PictureKind::Png, 64, 48, 2)).pixels);
  EXPECT_EQ(EncodePicture(PictureKind::Gif, 64, 48, 9), EncodePicture(PictureKind::Gif, 64, 48, 9));
}

TEST(SitePictures, TooSmallARequestGivesTheSmallestBarePicture) {
  PictureCache cache;
  std::string bytes = cache.Picture(PictureKind::Png, 10, 1, "x");
  EXPECT_GT(bytes.size(), 10u);
  DecodedPicture decoded = DecodePicture(bytes);
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(decoded.width, 16);
}

TEST(SitePictures, ThumbnailsAndCoversAreSmallPictures) {
  PictureCache cache;
  for (PictureKind kind : {PictureKind::Jpeg, PictureKind::Png, PictureKind::Gif}) {
    DecodedPicture thumbnail = DecodePicture(cache.Thumbnail(kind, 5));
    ASSERT_TRUE(thumbnail.ok) << KindName(kind);
    EXPECT_EQ(thumbnail.kind, kind);
    EXPECT_EQ(thumbnail.width, 40);
    EXPECT_EQ(thumbnail.height, 30);
  }
  std::string cover = cache.Cover(5, "albatrix cover demo/a1");
  DecodedPicture decoded = DecodePicture(cover);
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(decoded.width, 120);
  EXPECT_NE(cover, cache.Cover(5, "albatrix cover demo/a2"));
}

TEST(SitePictures, ThreadsSharingACacheGetWhatOneThreadAloneGets) {
  PictureCache shared, alone;
  std::vector<std::string> results(8);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&, t] {
      results[t] = shared.Picture(t % 2 ? PictureKind::Png : PictureKind::Gif, 30000, 2, "t" + std::to_string(t));
    });
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < 8; ++t)
    EXPECT_EQ(results[t], alone.Picture(t % 2 ? PictureKind::Png : PictureKind::Gif, 30000, 2, "t" + std::to_string(t)));
}

// Decoded as the program's fetcher decodes a reply: true only for one whole stream, which means that zlib
// checked the CRC and the length in the gzip trailer.
TEST(SiteGzip, PagesRoundTrip) {
  std::string page = "<html>" + std::string(5000, 'x') + "\xB5\xB1\xC7\xB0</html>";
  for (const std::string& plain : {page, std::string()}) {
    std::string gzip = GzipBytes(plain);
    EXPECT_EQ(gzip.compare(0, 2, "\x1f\x8b"), 0);
    Bytes inflated;
    EXPECT_TRUE(InflateBody(gzip.data(), gzip.size(), inflated));
    EXPECT_EQ(inflated, plain);
  }
}

TEST(SiteGzip, BombsInflateToExactlyTheirSizeWithAValidTrailer) {
  const std::uint64_t sizes[] = {0, 1, (1u << 20) - 1, 1u << 20, (3u << 20) + 17, 64u << 20};
  for (std::uint64_t size : sizes) {
    SCOPED_TRACE(size);
    std::string bomb = GzipBomb(size);
    Bytes inflated;
    inflated.reserve(size);
    EXPECT_TRUE(InflateBody(bomb.data(), bomb.size(), inflated, size + 1));  // room for a byte too many
    EXPECT_EQ(inflated.size(), size);
    EXPECT_EQ(inflated.find_first_not_of('\0'), Bytes::npos);
    EXPECT_LT(bomb.size(), size / 500 + 2048);
  }
}

}  // namespace
}  // namespace albatrix::test
