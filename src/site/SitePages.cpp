#include "site/SitePages.h"

#include <algorithm>

namespace albatrix {
namespace {

std::string Head(const std::string& title, bool baseIsRoot) {
  std::string html =
      "<!DOCTYPE html>\n<html>\n<head>\n"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\" />\n";
  // List entries name albums relative to the site's root; the browser needs to be told so.
  if (baseIsRoot) html += "<base href=\"/\" />\n";
  html += "<title>" + title + "</title>\n</head>\n<body>\n"
          "<div class=\"top\"><a href=\"/\">虎扑相册</a> | <a href=\"/login\">登录</a></div>\n";
  return html;
}

const char kFoot[] = "<div class=\"foot\">相册 演示站点</div>\n</body>\n</html>\n";

std::string Pager(int page, int pages, const std::string& pageAddress, const std::string& prefix,
                  const char* nextAttribute) {
  std::string html = "<div class=\"pages\">";
  if (page > 1) html += "<a href=\"" + pageAddress + std::to_string(page - 1) + prefix + "\">上一页</a> ";
  html += "<span>" + std::to_string(page) + "/" + std::to_string(pages) + "</span>";
  if (page < pages)
    html += " <a " + std::string(nextAttribute) + " href=\"" + pageAddress + std::to_string(page + 1) + prefix +
            "\">下一页</a>";
  return html + "</div>\n";
}

int StatedCount(const SiteAlbum& album) {
  return album.statedCount == kCountActual ? static_cast<int>(album.pictures.size()) : album.statedCount;
}

}  // namespace

std::string HtmlEscape(TextView text) {
  std::string utf8 = TextToUtf8(text);
  std::string out;
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

int PageCount(std::size_t items, int perPage) {
  std::size_t per = static_cast<std::size_t>(std::max(1, perPage));
  return static_cast<int>(std::max<std::size_t>(1, (items + per - 1) / per));
}

std::string ListPageHtml(const SiteMember& member, int page, bool showAlbums, const std::string& base) {
  std::string html = Head(member.key + " 的相册", true);
  html += "<h1>" + member.key + " 的相册</h1>\n<ul class=\"album_list\">\n";
  int pages = PageCount(member.albums.size(), member.listPageSize);
  if (showAlbums && page >= 1) {
    std::size_t first = static_cast<std::size_t>(page - 1) * static_cast<std::size_t>(std::max(1, member.listPageSize));
    std::size_t last = std::min(member.albums.size(), first + static_cast<std::size_t>(std::max(1, member.listPageSize)));
    for (std::size_t i = first; i < last; ++i) {
      const SiteAlbum& album = member.albums[i];
      std::string href = AlbumSite::AlbumKey(member.key, album.id) + ".html";
      std::string title = HtmlEscape(album.title);
      html += "<li><a class=\"cover\" href=\"" + href + "\"><img src=\"" + base +
              AlbumSite::CoverPath(member.key, album.id) + "\" width=\"120\" height=\"90\" /></a>\n";
      html += "<div class=\"name\"><a href=\"" + href + "\" title=\"" + title + "\">" + title + "</a></div>";
      if (album.statedCount != kCountNone) html += "<div class=\"count\">(共" + std::to_string(StatedCount(album)) + "张)</div>";
      html += "</li>\n";
    }
  }
  html += "</ul>\n";
  if (!showAlbums)
    html += "<p class=\"notice\">登录后才能查看相册，请先<a href=\"/login\">登录</a>。</p>\n";
  else
    html += Pager(page, pages, "/" + member.key + "/photo-", "", "id=\"j_next\"");
  return html + kFoot;
}

std::string AlbumPageHtml(const SiteMember& member, const SiteAlbum& album, int page, const std::string& base) {
  std::string title = HtmlEscape(album.title);
  std::string html = Head(title + " - " + member.key + " 的相册", false);
  html += "<div class=\"albumlist\"><img src=\"" + base + AlbumSite::CoverPath(member.key, album.id) + "\" alt=\"" +
          title + "\" />";
  if (album.statedCount != kCountNone) html += "<span class=\"count\">共" + std::to_string(StatedCount(album)) + "张</span>";
  html += "<h2>" + title + "</h2></div>\n<ul class=\"albumlist_list\">\n";
  int perPage = std::max(1, member.albumPageSize);
  int pages = PageCount(album.pictures.size(), perPage);
  if (page >= 1) {
    std::size_t first = static_cast<std::size_t>(page - 1) * static_cast<std::size_t>(perPage);
    std::size_t last = std::min(album.pictures.size(), first + static_cast<std::size_t>(perPage));
    for (std::size_t i = first; i < last; ++i) {
      int index = static_cast<int>(i) + 1;
      std::string description = HtmlEscape(album.pictures[i].description);
      html += "<li><a href=\"" + base + AlbumSite::PicturePath(member.key, album, index, true) +
              "\" target=\"_blank\"><img src=\"" + base + AlbumSite::PicturePath(member.key, album, index, false) +
              "\" title=\"" + description + "\" /></a><p>" + description + "</p></li>\n";
    }
  }
  html += "</ul>\n";
  html += Pager(page, pages, "/" + AlbumSite::AlbumKey(member.key, album.id) + "-", ".html", "class=\"next\"");
  return html + kFoot;
}

std::string MaintenancePageHtml() {
  return Head("系统维护", false) + "<div class=\"notice\">当前页面正在维护中，请稍后再来。</div>\n" + kFoot;
}

std::string LoginPageHtml(const std::string& message) {
  std::string html = Head("登录", false);
  if (!message.empty()) html += "<p class=\"notice\">" + message + "</p>\n";
  html +=
      "<form method=\"post\" action=\"/login\">\n"
      "<label>用户名 <input type=\"text\" name=\"user\" /></label>\n"
      "<label>密码 <input type=\"password\" name=\"password\" /></label>\n"
      "<label><input type=\"checkbox\" name=\"remember\" value=\"1\" />下次自动登录</label>\n"
      "<input type=\"submit\" value=\"登录\" />\n</form>\n";
  return html + kFoot;
}

std::string LoginDonePageHtml(const std::string& memberUrl) {
  return Head("登录成功", false) + "<p class=\"notice\">登录成功。<a href=\"" + memberUrl + "\">查看相册</a></p>\n" +
         kFoot;
}

std::string IndexPageHtml(const std::vector<std::string>& memberKeys) {
  std::string html = Head("虎扑相册", false) + "<ul class=\"members\">\n";
  for (const auto& key : memberKeys) html += "<li><a href=\"/" + key + "/photo-1\">" + key + "</a></li>\n";
  return html + "</ul>\n" + kFoot;
}

std::string ErrorPageHtml(int status) {
  std::string what = status == 404 ? "页面不存在" : status >= 500 ? "服务器错误" : "请求错误";
  return Head(std::to_string(status) + " " + what, false) + "<h1>" + std::to_string(status) + " " + what +
         "</h1>\n" + kFoot;
}

}  // namespace albatrix
