#include "assistant/batch_scan.h"

#include <algorithm>
#include <array>
#include <map>
#include <span>

#include "assistant/name_matcher.h"
#include "assistant/scan.h"

namespace assistant {
namespace {

using catalog::EntryResult;

// Progress is reported about this many times over a whole catalogue, and at least every 4 MiB.
constexpr std::uint64_t kProgressSteps = 512;
constexpr std::uint64_t kProgressMaxStep = std::uint64_t{4} << 20;

// One search: every given name with the same upper-cased text.
struct Search {
  std::size_t firstName = 0;  // index of the first name given with this text
  // The offset from which this search takes its pieces from the common pass. Always the start of
  // one of the common pass's pieces; pieces before it were this search's own business.
  std::uint64_t joinAt = 0;
  bool settled = false;
  EntryResult last = EntryResult::Unrecognised;
  BatchResult result;
};

// Passes the parser's question on with the search it belongs to, and remembers the guess.
class SearchPrompt final : public catalog::GuessPrompt {
 public:
  SearchPrompt(BatchObserver& observer, std::size_t name, std::uint64_t start)
      : observer_(observer), name_(name), start_(start) {}

  bool ContinueSearching(const char* guessedTitle) override {
    asked_ = true;
    title_ = guessedTitle;
    return observer_.ContinueSearching(name_, guessedTitle, start_);
  }

  bool asked() const { return asked_; }
  const std::string& title() const { return title_; }

 private:
  BatchObserver& observer_;
  std::size_t name_;
  std::uint64_t start_;
  bool asked_ = false;
  std::string title_;
};

class BatchScanner {
 public:
  BatchScanner(BatchObserver& observer, catalog::CatalogReader& pass, catalog::CatalogReader& parse,
               const std::vector<std::string>& names)
      : observer_(observer), pass_(pass), parse_(parse), matcher_(Searches(names)) {}

  std::vector<BatchResult> Run(std::size_t nameCount) {
    const std::uint64_t begin = pass_.Tell();
    for (Search& search : searches_) {
      search.joinAt = begin;
    }
    const std::uint64_t total = pass_.Size();
    const std::uint64_t step =
        std::clamp<std::uint64_t>(total / kProgressSteps, 1, kProgressMaxStep);
    std::uint64_t nextReport = begin;
    std::size_t open = searches_.size();
    std::vector<NameMatcher::Id> mentioned;
    while (open > 0 && !pass_.AtEnd()) {
      const std::uint64_t start = pass_.Tell();
      const std::size_t length = pass_.ReadLine(line_.data(), catalog::kLineLimit);
      passEnd_ = pass_.Tell();
      mentioned.clear();
      matcher_.FindIn(line_.data(), length, mentioned);
      for (const NameMatcher::Id id : mentioned) {
        Search& search = searches_[id];
        if (!search.settled && search.joinAt <= start) {
          Follow(id, start);
          open -= search.settled ? 1 : 0;
        }
      }
      if (passEnd_ >= nextReport) {
        observer_.Progress(passEnd_, total);
        nextReport = passEnd_ + step;
      }
    }
    observer_.Progress(pass_.Tell(), total);

    std::vector<BatchResult> results(nameCount);
    for (std::size_t name = 0; name < nameCount; ++name) {
      results[name] = searches_[searchOf_[name]].result;
    }
    return results;
  }

 private:
  // Groups the names into searches; returns the searches' upper-cased texts.
  std::vector<std::string> Searches(const std::vector<std::string>& names) {
    std::map<std::string, std::size_t> byText;
    std::vector<std::string> texts;
    for (std::size_t name = 0; name < names.size(); ++name) {
      std::string upper = names[name];
      UpperCaseAscii(upper.data());
      const auto [at, added] = byText.try_emplace(upper, texts.size());
      if (added) {
        texts.push_back(upper);
        searches_.emplace_back();
        searches_.back().firstName = name;
      }
      searchOf_.push_back(at->second);
    }
    return texts;
  }

  // The search `id` meets a mention at `start`: from here it does what its own scan would do,
  // until it settles or stands at the start of one of the common pass's pieces again.
  void Follow(NameMatcher::Id id, std::uint64_t start) {
    Search& search = searches_[id];
    for (;;) {
      if (Parse(id, start)) {
        search.settled = true;
        return;
      }
      // The scan resumes wherever the parser left the reader; the end test comes first, on the
      // reader exactly as the parser left it.
      if (parse_.AtEnd()) {
        search.settled = true;
        return;
      }
      std::uint64_t at = parse_.Tell();
      bool mention = false;
      while (!mention) {
        if (OnCommonGrid(at)) {
          search.joinAt = at;
          return;
        }
        parse_.Seek(at);  // the reader was not at its end, so Seek restores its exact state
        parse_.ReadLine(ownLine_.data(), catalog::kLineLimit);
        mention = matcher_.Occurs(id, ownLine_.data());
        if (mention) {
          start = at;
        } else if (parse_.AtEnd()) {
          search.settled = true;
          return;
        }
        at = parse_.Tell();
      }
    }
  }

  // One ParseEntry call of the search's scan. True when it settles the search with a result.
  bool Parse(NameMatcher::Id id, std::uint64_t start) {
    Search& search = searches_[id];
    // Fresh buffers for every call give what the scan's own buffers would hold: keywords and the
    // abstract are only written by a call that returns Found, which ends the scan, and every
    // positive result replaces the title whole. Only what a positive call stored is kept.
    abstract_[0] = keywords_[0] = title_[0] = '\0';
    const catalog::EntryOutputs outputs{abstract_, keywords_, title_};
    SearchPrompt prompt(observer_, search.firstName, start);
    catalog::Layout layout = catalog::Layout::Guess;
    search.last = catalog::ParseEntry(prompt, parse_, start, outputs, matcher_.name(id).c_str(),
                                      search.last, &layout);
    BatchResult& result = search.result;
    switch (search.last) {
      case EntryResult::Unrecognised:
        result.unknownFormats.push_back(start);
        return false;
      case EntryResult::KeepSearching:
        if (prompt.asked()) {
          result.passedOver.push_back({start, prompt.title()});
        }
        return false;
      case EntryResult::Found:
      case EntryResult::GuessAccepted:
        break;
    }
    result.status = search.last == EntryResult::Found ? BatchStatus::Found : BatchStatus::Guessed;
    result.layout = layout;
    result.entryStart = start;
    result.title = title_.data();
    result.keywords = keywords_.data();
    result.abstract = abstract_.data();
    return true;
  }

  // True when a piece of the common pass starts at `at` (which lies past the piece just read):
  // the end of that piece, or any offset right after a line feed.
  bool OnCommonGrid(std::uint64_t at) {
    if (at == passEnd_) {
      return true;
    }
    parse_.Seek(at - 1);
    return parse_.GetChar() == '\n';
  }

  BatchObserver& observer_;
  catalog::CatalogReader& pass_;
  catalog::CatalogReader& parse_;
  std::vector<Search> searches_;
  std::vector<std::size_t> searchOf_;  // search of each name
  NameMatcher matcher_;                // search ids are the matcher's ids
  std::uint64_t passEnd_ = 0;          // offset just after the common pass's current piece
  std::array<char, catalog::kLineCapacity> line_{};     // the common pass's piece
  std::array<char, catalog::kLineCapacity> ownLine_{};  // a piece one search reads on its own
  std::array<char, catalog::kAbstractCapacity> abstract_{};
  std::array<char, catalog::kKeywordsCapacity> keywords_{};
  std::array<char, catalog::kTitleCapacity> title_{};
};

}  // namespace

std::vector<BatchResult> ScanCatalogForNames(BatchObserver& observer, catalog::CatalogReader& pass,
                                             catalog::CatalogReader& parse,
                                             const std::vector<std::string>& names) {
  BatchScanner scanner(observer, pass, parse, names);
  return scanner.Run(names.size());
}

}  // namespace assistant
