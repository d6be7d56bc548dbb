// A fresh folder per test, removed with everything in it when the test ends.
#pragma once

#include <string>
#include <vector>

#include "MyCode/StringCtrl.h"

namespace albatrix::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }        // no trailing slash
  Text folder() const;                                      // program text, with a trailing separator
  std::string file(const std::string& name) const;          // path() + the platform's separator + name

 private:
  std::string path_;
};

// `path` written with '/' as the platform writes it (with '\' on Windows), so expectations of paths the
// program builds hold on every platform.
std::string PlatformPath(std::string path);
Text PlatformPath(Text path);

// The lines of a text as a program writes them, without their ends: "\r\n" (Windows) or "\n".
std::vector<std::string> TextLines(const std::string& text);

// Reads a whole file; empty when it does not exist.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);

// What a folder holds, sorted, as UTF-8 on every platform: the names in it (folders with a trailing "/"),
// or with `recursive` every entry below it by its path from `folder`, '/' between the parts. Empty when
// the folder does not exist.
std::vector<std::string> FolderEntries(const std::string& folder, bool recursive = false);

}  // namespace albatrix::test
