#include "support/TempDir.h"

#include "MyCode/FileSystem.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <stdexcept>

namespace albatrix::test {

namespace {

// Paths in the tests are UTF-8 on every platform; std::filesystem takes them as such only from char8_t.
std::filesystem::path FromUtf8(const std::string& path) { return std::u8string(path.begin(), path.end()); }

std::string ToUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace

TempDir::TempDir() {
  // A random name made with create_directory, which fails when the name is taken: mkdtemp without POSIX.
  static std::mt19937_64 random{std::random_device{}()};
  static std::mutex randomLock;
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::uint64_t n;
    {
      std::lock_guard<std::mutex> lock(randomLock);
      n = random();
    }
    char name[32];
    std::snprintf(name, sizeof name, "albatrix-test-%012llx", static_cast<unsigned long long>(n & 0xFFFFFFFFFFFFull));
    std::error_code error;
    if (std::filesystem::create_directory(base / name, error)) {
      path_ = ToUtf8(base / name);
      return;
    }
  }
  throw std::runtime_error("no temporary folder could be made");
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(FromUtf8(path_), ignored);
}

std::string TempDir::file(const std::string& name) const {
  return path_ + static_cast<char>(kPathSep) + name;
}

std::string PlatformPath(std::string path) {
  for (char& c : path)
    if (c == '/') c = static_cast<char>(kPathSep);
  return path;
}

Text PlatformPath(Text path) {
  for (char16_t& c : path)
    if (c == u'/') c = kPathSep;
  return path;
}

Text TempDir::folder() const { return Utf8ToText(path_) + kPathSep; }

std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(FromUtf8(path), std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(FromUtf8(path), std::ios::binary | std::ios::trunc);
  out << bytes;
}

bool PathExists(const std::string& path) { return std::filesystem::exists(FromUtf8(path)); }

std::vector<std::string> FolderEntries(const std::string& folder, bool recursive) {
  std::vector<std::string> entries;
  const std::filesystem::path top = FromUtf8(folder);
  std::error_code ec;
  auto add = [&](const std::filesystem::directory_entry& entry) {
    const std::u8string name = std::filesystem::relative(entry.path(), top, ec).generic_u8string();
    entries.push_back(std::string(name.begin(), name.end()) + (entry.is_directory() ? "/" : ""));
  };
  if (recursive) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(top, ec)) add(entry);
  } else {
    for (const auto& entry : std::filesystem::directory_iterator(top, ec)) add(entry);
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

}  // namespace albatrix::test
