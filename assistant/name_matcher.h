// The scan's test "does the upper-cased name occur in the upper-cased line piece", for many names
// at once. Upper-casing changes the letters a to z only, and a piece's text ends at its first zero
// byte. The batch scan asks every line piece of the catalogue which names it mentions, so this is
// the one place where the cost per byte of a many-name scan is decided.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace assistant {

class NameMatcher {
 public:
  using Id = std::uint32_t;

  // Entries of the transition table beyond which names are tested one by one instead.
  static constexpr std::size_t kTableLimit = std::size_t{1} << 31;

  // `names` are distinct texts, already upper-cased; a name's id is its index. The empty name
  // occurs in every piece. `tableLimit` is for tests of the one-by-one way.
  explicit NameMatcher(std::vector<std::string> names, std::size_t tableLimit = kTableLimit);

  // Appends to `ids`, in increasing order and each once, the ids of the names that occur in the
  // text of `piece` (its first `length` bytes, up to a zero byte). `ids` is not cleared.
  void FindIn(const char* piece, std::size_t length, std::vector<Id>& ids);

  // The same test for one name, made the way the single-name scan makes it.
  bool Occurs(Id id, const char* piece) const;

  std::size_t size() const { return names_.size(); }
  const std::string& name(Id id) const { return names_[id]; }

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  // In a finished transition table: the target state has a name to report (its own or a suffix's).
  static constexpr std::uint32_t kReport = std::uint32_t{1} << 31;

  // An automaton over byte classes: every byte that occurs in some name has a class of its own
  // (a lower-case letter shares its upper-case letter's), every other byte is class 0, which
  // always leads back to the root. Transitions are complete (a DFA), so each byte costs one
  // look-up.
  void Build(std::size_t tableLimit);
  // Reports the names ending at `state` that this piece has not reported yet.
  void Report(std::uint32_t state, std::vector<Id>& ids);

  std::vector<std::string> names_;
  unsigned char classOf_[256] = {};
  std::size_t classes_ = 1;
  std::vector<std::uint32_t> next_;        // next_[state * classes_ + class]
  std::vector<std::uint32_t> match_;       // the name ending exactly at a state, or kNone
  std::vector<std::uint32_t> dictionary_;  // nearest shorter suffix state with a name, or kNone
  std::vector<std::uint32_t> seen_;        // stamp of the last piece in which a state was reported
  std::uint32_t stamp_ = 0;
  std::uint32_t empty_ = kNone;  // id of the empty name, if given
};

}  // namespace assistant
