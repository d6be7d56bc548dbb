#include "MyCode/SniffContent.h"

#include <gtest/gtest.h>

namespace albatrix {
namespace {

using namespace std::string_literals;

TEST(SniffContent, PicturesByTheirWholeSignatureAndPagesAreToldFromEverythingElse) {
  struct Row {
    std::string head;
    ContentKind kind;
  };
  const ContentKind picture = ContentKind::Picture, page = ContentKind::HtmlPage, unknown = ContentKind::Unknown;
  const Row rows[] = {
      {"\xFF\xD8\xFF\xE0"s, picture},
      {"\xFF\xD8"s, unknown},  // only the whole of a signature counts
      {"\x89PNG\r\n\x1A\n\0\0"s, picture},
      {"\x89PNG"s, unknown},
      {"GIF87a", picture},
      {"GIF89a", picture},
      {"GIX", unknown},
      {"BM\x10", picture},
      {"RIFF\x24\0\0\0WEBPVP8 "s, picture},
      {"RIFF\x24\0\0\0WAVEfmt "s, unknown},
      {"II*\0"s, picture},
      {"MM\0*"s, picture},
      {"\0\0\x02\0\0"s, picture},
      {"\0\0\x10\0\0"s, picture},
      {"\0\0\x02\0\x01"s, picture},
      {"\0\0\x01\0\x01"s, picture},
      {"\0\0\x01\0\x02"s, picture},
      {"\0\0\0\x1C" "ftypavif\0\0\0\0"s, picture},
      {"\0\0\0\x18" "ftypheic\0\0\0\0"s, picture},
      {"\0\0\0\x18" "ftypisom\0\0\0\0"s, unknown},  // a video
      {"", unknown},
      {"<html>", page},
      {"<!DOCTYPE html PUBLIC", page},
      {"\xEF\xBB\xBF \r\n\t<HTML lang=en>", page},
      {"\n<Head><title>", page},
      {"<?xml version=\"1.0\"?><svg", unknown},
      {"<svg xmlns=\"http://www.w3.org/2000/svg\">", unknown},
      {"not found <html>", unknown},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.head));
    EXPECT_EQ(SniffContent(row.head), row.kind);
  }
}

}  // namespace
}  // namespace albatrix
