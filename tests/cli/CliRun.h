// albatrix-cli run to its end as a user runs it, in a test's folder: stdout and stderr go to out.txt and
// err.txt there, and the cookie store is the folder's own, never the user's.
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace albatrix::test {

struct CliRun {
  int status = -1;
  std::vector<std::string> out;  // stdout lines
  std::vector<std::string> err;  // stderr lines
};

// `environment` is set in the child's on top of the test's own.
inline CliRun RunCli(const TempDir& dir, const std::vector<std::string>& args,
                     std::vector<std::pair<std::string, std::string>> environment = {}) {
  environment.emplace_back(UserDataVariable(), dir.path());
  CliRun run;
  {
    ChildProcess child(BuildProgram("albatrix-cli"), args,
                       {dir.path(), dir.file("out.txt"), dir.file("err.txt"), std::move(environment)});
    run.status = child.Wait();
  }
  run.out = TextLines(ReadWholeFile(dir.file("out.txt")));
  run.err = TextLines(ReadWholeFile(dir.file("err.txt")));
  return run;
}

// The run wrote `line` to stderr, whole.
inline bool Said(const CliRun& run, const std::string& line) {
  return std::find(run.err.begin(), run.err.end(), line) != run.err.end();
}

// Every file under `root` with its bytes, by its path relative to `root`; folders as "path/" with "".
inline std::map<std::string, std::string> FileTree(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (const std::string& entry : FolderEntries(root, true))
    tree[entry] = entry.back() == '/' ? std::string() : ReadWholeFile(root + "/" + entry);
  return tree;
}

}  // namespace albatrix::test
