#include "assistant/name_matcher.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <utility>

#include "assistant/scan.h"

namespace assistant {

NameMatcher::NameMatcher(std::vector<std::string> names, std::size_t tableLimit)
    : names_(std::move(names)) {
  Build(std::min(tableLimit, kTableLimit));
}

void NameMatcher::Build(std::size_t tableLimit) {
  for (const std::string& name : names_) {
    for (const char c : name) {
      const auto byte = static_cast<unsigned char>(c);
      if (classOf_[byte] == 0) {
        classOf_[byte] = static_cast<unsigned char>(classes_++);
      }
    }
  }
  // Pieces are upper-cased before the test: a lower-case letter is its upper-case letter.
  for (int c = 'a'; c <= 'z'; ++c) {
    classOf_[c] = classOf_[c - 'a' + 'A'];
  }

  // The trie of the names, with kNone for a missing edge.
  next_.assign(classes_, kNone);
  match_.assign(1, kNone);
  for (std::size_t id = 0; id < names_.size(); ++id) {
    if (names_[id].empty()) {
      empty_ = static_cast<Id>(id);
      continue;
    }
    std::uint32_t state = 0;
    for (const char c : names_[id]) {
      const std::size_t edge = state * classes_ + classOf_[static_cast<unsigned char>(c)];
      if (next_[edge] == kNone) {
        const auto added = static_cast<std::uint32_t>(match_.size());
        next_[edge] = added;
        next_.resize(next_.size() + classes_, kNone);
        match_.push_back(kNone);
      }
      state = next_[edge];
    }
    match_[state] = static_cast<Id>(id);
  }

  // Failure links breadth first, turning the trie into a complete automaton.
  const std::size_t states = match_.size();
  std::vector<std::uint32_t> failure(states, 0);
  dictionary_.assign(states, kNone);
  std::deque<std::uint32_t> queue;
  for (std::size_t k = 0; k < classes_; ++k) {
    if (next_[k] == kNone) {
      next_[k] = 0;
    } else {
      queue.push_back(next_[k]);
    }
  }
  while (!queue.empty()) {
    const std::uint32_t state = queue.front();
    queue.pop_front();
    const std::size_t fallback = failure[state] * classes_;
    for (std::size_t k = 0; k < classes_; ++k) {
      const std::size_t edge = state * classes_ + k;
      if (next_[edge] == kNone) {
        next_[edge] = next_[fallback + k];
        continue;
      }
      const std::uint32_t child = next_[edge];
      const std::uint32_t suffix = next_[fallback + k];
      failure[child] = suffix;
      dictionary_[child] = match_[suffix] != kNone ? suffix : dictionary_[suffix];
      queue.push_back(child);
    }
  }
  seen_.assign(states, 0);

  // Finish the table: targets pre-multiplied and marked, so that a byte costs one look-up.
  if (states * classes_ >= tableLimit) {
    next_.clear();
    return;
  }
  for (std::uint32_t& target : next_) {
    const bool report = match_[target] != kNone || dictionary_[target] != kNone;
    target = static_cast<std::uint32_t>(target * classes_) | (report ? kReport : 0);
  }
}

void NameMatcher::Report(std::uint32_t state, std::vector<Id>& ids) {
  std::uint32_t hit = match_[state] != kNone ? state : dictionary_[state];
  // A state already reported in this piece has had its shorter suffixes reported with it.
  while (hit != kNone && seen_[hit] != stamp_) {
    seen_[hit] = stamp_;
    ids.push_back(match_[hit]);
    hit = dictionary_[hit];
  }
}

void NameMatcher::FindIn(const char* piece, std::size_t length, std::vector<Id>& ids) {
  if (++stamp_ == 0) {
    std::fill(seen_.begin(), seen_.end(), 0);
    stamp_ = 1;
  }
  const std::size_t first = ids.size();
  const std::size_t end = strnlen(piece, length);
  if (next_.empty()) {
    const std::string text(piece, end);
    for (std::size_t id = 0; id < names_.size(); ++id) {
      if (!names_[id].empty() && Occurs(static_cast<Id>(id), text.c_str())) {
        ids.push_back(static_cast<Id>(id));
      }
    }
  } else {
    const std::uint32_t* next = next_.data();
    std::uint32_t at = 0;  // the current state * classes_
    for (std::size_t i = 0; i < end; ++i) {
      const std::uint32_t target = next[at + classOf_[static_cast<unsigned char>(piece[i])]];
      at = target & ~kReport;
      if ((target & kReport) != 0) {
        Report(static_cast<std::uint32_t>(at / classes_), ids);
      }
    }
  }
  if (empty_ != kNone) {
    ids.push_back(empty_);
  }
  std::sort(ids.begin() + static_cast<std::ptrdiff_t>(first), ids.end());
}

bool NameMatcher::Occurs(Id id, const char* piece) const {
  std::string upper(piece);
  UpperCaseAscii(upper.data());
  return std::strstr(upper.c_str(), names_[id].c_str()) != nullptr;
}

}  // namespace assistant
