#include "model/SpiderList.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <deque>
#include <map>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace trawlonix {

namespace {

// A set of entry indexes as a tree of 64-bit words: the leaves hold one bit per
// index, every upper level one bit per non-zero word below. Insert, erase and
// "smallest member" each touch one word per level (4 levels for 16M indexes),
// so picking the next entry never walks the list.
class IndexBits {
 public:
  void Insert(std::uint32_t i) {
    Grow(i);
    for (auto& level : levels_) {
      std::uint64_t& w = level[i >> 6];
      const bool wasEmpty = w == 0;
      w |= std::uint64_t{1} << (i & 63);
      if (!wasEmpty) break;
      i >>= 6;
    }
  }

  void Erase(std::uint32_t i) {
    if (levels_.empty() || (i >> 6) >= levels_[0].size()) return;
    for (auto& level : levels_) {
      std::uint64_t& w = level[i >> 6];
      w &= ~(std::uint64_t{1} << (i & 63));
      if (w != 0) break;
      i >>= 6;
    }
  }

  // Smallest member, or -1.
  std::int64_t First() const {
    if (levels_.empty()) return -1;
    std::uint64_t idx = 0;
    for (auto level = levels_.rbegin(); level != levels_.rend(); ++level) {
      const std::uint64_t w = (*level)[idx];
      if (w == 0) return -1;  // only the top word can be empty here
      idx = idx * 64 + static_cast<std::uint64_t>(std::countr_zero(w));
    }
    return static_cast<std::int64_t>(idx);
  }

  void Clear() { levels_.clear(); }

 private:
  void Grow(std::uint32_t i) {
    const std::size_t words = (static_cast<std::size_t>(i) >> 6) + 1;
    if (levels_.empty()) levels_.emplace_back();
    if (levels_[0].size() >= words) return;
    levels_[0].resize(std::max(words, levels_[0].size() * 2), 0);
    for (std::size_t l = 1;; ++l) {
      const std::size_t need = (levels_[l - 1].size() + 63) / 64;
      if (levels_[l - 1].size() == 1) {
        levels_.resize(l);  // the level below is the single top word
        return;
      }
      if (l == levels_.size()) {
        // A new top level: its bits mirror the words already filled below.
        std::vector<std::uint64_t> top(need, 0);
        const auto& below = levels_[l - 1];
        for (std::size_t j = 0; j < below.size(); ++j)
          if (below[j] != 0) top[j >> 6] |= std::uint64_t{1} << (j & 63);
        levels_.push_back(std::move(top));
      } else if (levels_[l].size() < need) {
        levels_[l].resize(need, 0);
      }
    }
  }

  std::vector<std::vector<std::uint64_t>> levels_;
};

// Entries in fixed blocks: appending never moves one, so pointers handed out
// stay valid, and a block holds many entries (a deque of entries this size
// would allocate each one alone).
template <typename T>
class BlockStore {
 public:
  static constexpr std::size_t kBlock = 1024;

  std::size_t size() const { return size_; }
  T& operator[](std::size_t i) { return blocks_[i / kBlock][i % kBlock]; }
  const T& operator[](std::size_t i) const { return blocks_[i / kBlock][i % kBlock]; }
  T& back() { return (*this)[size_ - 1]; }

  T& emplace_back() {
    if (size_ % kBlock == 0 && size_ / kBlock == blocks_.size())
      blocks_.push_back(std::make_unique<T[]>(kBlock));
    return (*this)[size_++];  // blocks are value-initialised and never reused
  }

  void clear() {
    blocks_.clear();
    size_ = 0;
  }

 private:
  std::vector<std::unique_ptr<T[]>> blocks_;
  std::size_t size_ = 0;
};

constexpr std::int32_t kNotPending = INT32_MIN;

bool IsPending(const AGetEntry& e) {
  return !(e.Fetched && e.FetchedThisRun) && !e.InProgress && !e.Broken;
}

// Open-addressing index from HashURL to entry indexes (duplicates allowed,
// since a project file may hold the same URL twice). Slots are 8 bytes, a
// 32-bit digest of the hash and the index, so the table stays small.
class UrlIndex {
 public:
  template <typename SameFn>
  bool Contains(std::size_t hash, SameFn same) const {
    if (slots_.empty()) return false;
    const std::uint32_t digest = Digest(hash);
    for (std::size_t s = digest & mask_;; s = (s + 1) & mask_) {
      const Slot& slot = slots_[s];
      if (slot.index < 0) return false;
      if (slot.digest == digest && same(slot.index)) return true;
    }
  }

  void Insert(std::size_t hash, std::int32_t index) {
    if ((used_ + 1) * 2 > slots_.size()) Rehash(slots_.empty() ? 64 : slots_.size() * 2);
    Place(Digest(hash), index);
    ++used_;
  }

  void Clear() {
    slots_.clear();
    used_ = 0;
    mask_ = 0;
  }

 private:
  struct Slot {
    std::uint32_t digest = 0;
    std::int32_t index = -1;
  };

  // The slot comes from the low bits; mixing first keeps a hash whose low
  // bits vary little from piling up into long probe runs.
  static std::uint32_t Digest(std::size_t h) {
    std::uint64_t x = h;
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    x ^= x >> 33;
    return static_cast<std::uint32_t>(x ^ (x >> 32));
  }

  void Place(std::uint32_t digest, std::int32_t index) {
    std::size_t s = digest & mask_;
    while (slots_[s].index >= 0)
      s = (s + 1) & mask_;
    slots_[s] = Slot{digest, index};
  }

  void Rehash(std::size_t size) {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(size, Slot{});
    mask_ = size - 1;
    for (const Slot& slot : old)
      if (slot.index >= 0) Place(slot.digest, slot.index);
  }

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
  std::size_t mask_ = 0;
};

}  // namespace

struct TSpiderList::Impl {
  BlockStore<AGetEntry> entries;
  // Pending entries grouped by their Failures count; `bucketOf` tells which
  // group an entry is filed under (kNotPending: none).
  std::map<std::int32_t, IndexBits> buckets;
  std::vector<std::int32_t> bucketOf;
  UrlIndex urls;

  void File(std::int32_t i) {
    const AGetEntry& e = entries[static_cast<std::size_t>(i)];
    const std::int32_t want = IsPending(e) ? e.Failures : kNotPending;
    std::int32_t& have = bucketOf[static_cast<std::size_t>(i)];
    if (want == have) return;
    if (have != kNotPending) {
      auto it = buckets.find(have);
      if (it != buckets.end()) it->second.Erase(static_cast<std::uint32_t>(i));
    }
    if (want != kNotPending) buckets[want].Insert(static_cast<std::uint32_t>(i));
    have = want;
  }

  AGetEntry& Append(const TURL& url) {
    if (entries.size() >= static_cast<std::size_t>(INT32_MAX))
      throw std::length_error("spider list full");
    const auto index = static_cast<std::int32_t>(entries.size());
    AGetEntry& e = entries.emplace_back();
    e.URL = url;
    bucketOf.push_back(kNotPending);
    urls.Insert(HashURL(url), index);
    return e;
  }

  std::int32_t FirstIn(const IndexBits& bits) const {
    return static_cast<std::int32_t>(bits.First());
  }
};

TSpiderList::TSpiderList() : d_(std::make_unique<Impl>()) {}
TSpiderList::~TSpiderList() = default;

AGetEntry* TSpiderList::AddURL(const TURL& url, std::int32_t referrer, std::int32_t level) {
  const auto& entries = d_->entries;
  if (d_->urls.Contains(HashURL(url), [&](std::int32_t i) {
        return SameURL(entries[static_cast<std::size_t>(i)].URL, url);
      }))
    return nullptr;
  if (entries.size() >= static_cast<std::size_t>(INT32_MAX)) return nullptr;  // ids are 32-bit
  AGetEntry& e = d_->Append(url);
  e.Referrer = referrer;
  e.Level = level;
  d_->File(Count() - 1);
  return &e;
}

std::int32_t TSpiderList::IndexOf(const TURL& url) const {
  const auto& entries = d_->entries;
  std::int32_t found = -1;
  d_->urls.Contains(HashURL(url), [&](std::int32_t i) {
    if (!SameURL(entries[static_cast<std::size_t>(i)].URL, url)) return false;
    if (found < 0 || i < found) found = i;
    return false;  // every duplicate is looked at: the first one counts
  });
  return found;
}

AGetEntry* TSpiderList::GetEntry(std::int32_t index) {
  if (index < 0 || index >= Count()) return nullptr;
  return &d_->entries[static_cast<std::size_t>(index)];
}

const AGetEntry* TSpiderList::GetEntry(std::int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &d_->entries[static_cast<std::size_t>(index)];
}

std::int32_t TSpiderList::Count() const {
  return static_cast<std::int32_t>(d_->entries.size());
}

const AGetEntry& TSpiderList::operator[](std::int32_t index) const {
  if (index < 0 || index >= Count()) throw std::out_of_range("spider list index");
  return d_->entries[static_cast<std::size_t>(index)];
}

std::int32_t TSpiderList::NextToFetch() {
  // Entries whose flags were written directly may be filed under a stale
  // group; such a candidate is re-filed and the search repeated.
  for (;;) {
    std::int32_t best = -1;
    // First pass: entries that never failed.
    auto zero = d_->buckets.find(0);
    if (zero != d_->buckets.end()) best = d_->FirstIn(zero->second);
    // Second pass: retries within MaxErrors. The groups are few (a failure
    // count never grows past MaxErrors + 1), so taking the smallest head of
    // each is cheap.
    if (best < 0) {
      for (auto& [failures, bits] : d_->buckets) {
        if (failures > MaxErrors) break;
        const std::int32_t head = d_->FirstIn(bits);
        if (head >= 0 && (best < 0 || head < best)) best = head;
      }
    }
    if (best < 0) return -1;
    const AGetEntry& e = d_->entries[static_cast<std::size_t>(best)];
    if (IsPending(e) && e.Failures == d_->bucketOf[static_cast<std::size_t>(best)]) return best;
    d_->File(best);
  }
}

void TSpiderList::PrepareRun(bool fetchedThisRun) {
  for (std::int32_t i = 0; i < Count(); ++i) {
    AGetEntry& e = d_->entries[static_cast<std::size_t>(i)];
    if (e.Fetched) e.Failures = 0;
    e.FetchedThisRun = fetchedThisRun;
    d_->File(i);
  }
}

void TSpiderList::ClearInProgress() {
  for (std::int32_t i = 0; i < Count(); ++i) {
    AGetEntry& e = d_->entries[static_cast<std::size_t>(i)];
    if (!e.InProgress) continue;
    e.InProgress = false;
    d_->File(i);
  }
}

void TSpiderList::Clear() {
  d_->entries.clear();
  d_->buckets.clear();
  d_->bucketOf.clear();
  d_->urls.Clear();
}

void TSpiderList::SetInProgress(std::int32_t index, bool inProgress) {
  AGetEntry* e = GetEntry(index);
  if (!e) return;
  e->InProgress = inProgress;
  d_->File(index);
}

void TSpiderList::MarkFetched(std::int32_t index) {
  AGetEntry* e = GetEntry(index);
  if (!e) return;
  e->Fetched = true;
  e->FetchedThisRun = true;
  e->InProgress = false;
  d_->File(index);
}

void TSpiderList::MarkFailed(std::int32_t index) {
  AGetEntry* e = GetEntry(index);
  if (!e) return;
  if (e->Failures < INT32_MAX) ++e->Failures;
  e->InProgress = false;
  d_->File(index);
}

void TSpiderList::MarkBroken(std::int32_t index) {
  AGetEntry* e = GetEntry(index);
  if (!e) return;
  e->Broken = true;
  e->InProgress = false;
  d_->File(index);
}

void TSpiderList::SetItems(std::int32_t index, TItemHandle dirItem, TItemHandle linkItem) {
  AGetEntry* e = GetEntry(index);
  if (!e) return;
  e->DirItem = dirItem;
  e->LinkItem = linkItem;
}

AGetEntry& TSpiderList::AppendLoaded(const TURL& url, bool fetched, std::int32_t level, bool broken,
                                     std::int32_t referrer) {
  AGetEntry& e = d_->Append(url);
  e.Fetched = fetched;
  e.Level = level;
  e.Broken = broken;
  e.Referrer = referrer;
  d_->File(Count() - 1);
  return e;
}

void TSpiderList::Resync(std::int32_t index) {
  if (index >= 0 && index < Count()) d_->File(index);
}

// ---------------------------------------------------------------------------

namespace {

// The fields that make a script URL, length-prefixed so that no two
// different field tuples give the same key.
std::string GroupKey(const TURL& u) {
  std::string key;
  for (const std::string* f :
       {&u.Protocol, &u.User, &u.Password, &u.Host, &u.Port, &u.Path, &u.FileName}) {
    key += std::to_string(f->size());
    key += ':';
    key += *f;
  }
  return key;
}

}  // namespace

struct TCGIRedirectList::Impl {
  struct Group {
    std::unordered_map<std::string, std::int32_t> byQuery;  // the last entry wins
    std::int64_t largest = -1;
  };
  std::deque<ACGIRedirectEntry> entries;
  std::unordered_map<std::string, Group> groups;

  void Add(const TURL& url, std::int32_t number, Group& group) {
    ACGIRedirectEntry e;
    static_cast<TURL&>(e) = url;
    e.Number = number;
    entries.push_back(std::move(e));
    group.byQuery[url.Query] = number;
    if (number > group.largest) group.largest = number;
  }
};

TCGIRedirectList::TCGIRedirectList() : d_(std::make_unique<Impl>()) {}
TCGIRedirectList::~TCGIRedirectList() = default;

std::int32_t TCGIRedirectList::NumberFor(const TURL& url) {
  Impl::Group& group = d_->groups[GroupKey(url)];
  auto match = group.byQuery.find(url.Query);
  if (match != group.byQuery.end()) return match->second;
  // Numbers are never reused. Only a damaged project file can hold the
  // largest number already; then the last number is handed out again rather
  // than overflowing.
  const auto number =
      static_cast<std::int32_t>(std::min<std::int64_t>(group.largest + 1, INT32_MAX));
  d_->Add(url, number, group);
  return number;
}

std::int32_t TCGIRedirectList::Count() const {
  return static_cast<std::int32_t>(d_->entries.size());
}

const ACGIRedirectEntry& TCGIRedirectList::operator[](std::int32_t index) const {
  if (index < 0 || index >= Count()) throw std::out_of_range("redirect list index");
  return d_->entries[static_cast<std::size_t>(index)];
}

void TCGIRedirectList::AppendLoaded(const TURL& url, std::int32_t number) {
  d_->Add(url, number, d_->groups[GroupKey(url)]);
}

void TCGIRedirectList::Clear() {
  d_->entries.clear();
  d_->groups.clear();
}

}  // namespace trawlonix
