// The spider list (every URL a project has admitted, with its fetch state) and
// the redirect list that numbers the queries of one script URL.
//
// An entry's index is its identity. Entry fields are read freely; state
// changes go through the list's methods so that NextToFetch can keep its
// position instead of rescanning the list on every call.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "url/urlparser.h"

namespace trawlonix {

// Opaque handle of a node in a host's tree view; 0 means none.
using TItemHandle = std::int64_t;

struct AGetEntry {
  bool Fetched = false;
  bool FetchedThisRun = false;
  bool InProgress = false;
  TURL URL;
  std::int32_t Level = 0;
  bool Broken = false;
  std::int32_t Failures = 0;
  std::int32_t Referrer = 0;
  TItemHandle DirItem = 0;
  TItemHandle LinkItem = 0;
  // Added for a string found in script code and not (yet) linked by a page.
  // Kept for this run only.
  bool Guessed = false;
};

class TSpiderList {
 public:
  TSpiderList();
  ~TSpiderList();
  TSpiderList(const TSpiderList&) = delete;
  TSpiderList& operator=(const TSpiderList&) = delete;

  std::int32_t MaxErrors = 5;

  // Appends a new entry, or returns nullptr when a SameURL-equal one exists.
  AGetEntry* AddURL(const TURL& url, std::int32_t referrer, std::int32_t level);
  // The index of the first entry SameURL-equal to `url`, or -1.
  std::int32_t IndexOf(const TURL& url) const;
  // nullptr outside 0..Count()-1.
  AGetEntry* GetEntry(std::int32_t index);
  const AGetEntry* GetEntry(std::int32_t index) const;
  std::int32_t Count() const;
  const AGetEntry& operator[](std::int32_t index) const;

  // Two passes from index 0: entries that never failed first, then retries
  // with Failures <= MaxErrors; -1 when none is left.
  std::int32_t NextToFetch();
  void PrepareRun(bool fetchedThisRun);
  void ClearInProgress();
  void Clear();

  // State transitions of the crawl worker (and of a project file being read).
  void SetInProgress(std::int32_t index, bool inProgress);
  void MarkFetched(std::int32_t index);  // Fetched, FetchedThisRun; not InProgress
  void MarkFailed(std::int32_t index);   // Failures + 1; not InProgress
  void MarkBroken(std::int32_t index);   // Broken; not InProgress
  void SetItems(std::int32_t index, TItemHandle dirItem, TItemHandle linkItem);
  // Appends an entry as read from a project file (no duplicate check; the
  // persistent fields are taken, the others start cleared).
  AGetEntry& AppendLoaded(const TURL& url, bool fetched, std::int32_t level, bool broken,
                          std::int32_t referrer);
  // Re-reads an entry's flags after they were written directly rather than
  // through the methods above, so that NextToFetch sees the change.
  void Resync(std::int32_t index);

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

struct ACGIRedirectEntry : TURL {
  std::int32_t Number = 0;
};

class TCGIRedirectList {
 public:
  TCGIRedirectList();
  ~TCGIRedirectList();
  TCGIRedirectList(const TCGIRedirectList&) = delete;
  TCGIRedirectList& operator=(const TCGIRedirectList&) = delete;

  // Number of the url's query among the queries of the same script URL,
  // adding an entry when the query is new.
  std::int32_t NumberFor(const TURL& url);
  std::int32_t Count() const;
  const ACGIRedirectEntry& operator[](std::int32_t index) const;
  // Appends an entry as read from a project file.
  void AppendLoaded(const TURL& url, std::int32_t number);
  void Clear();

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

}  // namespace trawlonix
