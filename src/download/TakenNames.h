// The names given so far in one album (or one run), looked up ignoring case.
#pragma once

#include <cstddef>
#include <unordered_map>
#include <unordered_set>

#include "MyCode/StringCtrl.h"

namespace albatrix {

// Case-insensitive set of the file names given in the current album, so that the duplicate check of the
// naming step costs the same for the 5,000th picture as for the second. Equality is EqualsIgnoringCase of
// the settings module (the comparison the program uses for names everywhere).
class TakenNames {
 public:
  void Clear();
  bool Contains(const Text& fileName) const { return names_.count(fileName) != 0; }
  void Add(const Text& fileName) { names_.insert(fileName); }

  // For a name base and extension: the lowest k that may still be free for "base(k)ext" (every lower k was
  // found taken before; names are never removed within an album). Remember(k) after giving out k.
  unsigned NextCounter(const Text& base, const Text& extension) const;
  void RememberCounter(const Text& base, const Text& extension, unsigned nextFree);

  // Hash consistent with EqualsIgnoringCase: it projects each code unit onto a class at least as coarse
  // as the case folding of the scripts that folding knows (public so the tests can pin that promise).
  struct Hash {
    std::size_t operator()(const Text& text) const;
  };
  struct Equal {
    bool operator()(const Text& a, const Text& b) const;
  };

 private:
  std::unordered_set<Text, Hash, Equal> names_;
  std::unordered_map<Text, unsigned, Hash, Equal> counters_;  // base + U+0000 + extension -> next k
};

}  // namespace albatrix
