// The three result lists of a project (collected links, collected e-mail
// addresses, broken links) with their duplicate tests and the rows waiting
// for an anchor text. Both hosts keep their rows here; the desktop window mirrors them
// into its list views. Saved beside the project file (model/sidecar.h).
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/Translate.h"
#include "model/sidecar.h"  // TResultRow, and the lists as saved beside the project

namespace trawlonix {

// The check results as the rows hold them (and exports and the command-line
// check write them): the same in every interface language.
inline constexpr const char* kTestPassed = QT_TRANSLATE_NOOP("LinkCheck", "通过");
inline constexpr const char* kTestBadPrefix = "坏的: ";  // then status and reason
inline constexpr const char* kTestNotChecked = QT_TRANSLATE_NOOP("LinkCheck", "- 未检查 -");
// A stored result as shown to people, in the interface language.
std::string ShownTestResult(const std::string& stored);
// The way back, for exports of what a list view shows.
std::string StoredTestResult(const std::string& shown);

class TResultLists {
 public:
  enum ListId { kLinks = 0, kEMails = 1, kBroken = 2 };

  // Each returns the index of the added row, or nullopt for a duplicate.
  std::optional<std::size_t> OfferCollectedLink(const std::string& url,
                                                const std::string& firstOccurrence);
  std::optional<std::size_t> OfferEMail(const std::string& address,
                                        const std::string& firstOccurrence);
  std::optional<std::size_t> OfferBrokenLink(const std::string& url, const std::string& errorText,
                                             const std::string& firstOccurrence);
  // The last row added to the collected links and the one added to the
  // e-mail list since the last ForgetLastRow wait for the anchor text: it
  // replaces the reference text of each and they are forgotten. Returns the
  // rows changed.
  struct RowRef {
    ListId list;
    std::size_t row;
  };
  std::vector<RowRef> SetLastRowReference(const std::string& text);
  void ForgetLastRow();

  const std::vector<TResultRow>& Rows(ListId list) const { return rows_[list]; }
  std::vector<TResultRow>& MutableRows(ListId list);  // forgets indexes; see Reindex
  void Clear(ListId list);

  // The lists as the sidecar holds them, and back.
  // The lists and the sidecar's extras (the project's choices beyond its
  // file) travel together, so that saving the lists keeps the choices.
  void CopyTo(TSidecar& sidecar) const;
  void Assign(const TSidecar& sidecar);
  std::map<std::string, std::string> Extras;

 private:
  void Reindex(ListId list);
  std::vector<TResultRow> rows_[3];
  std::unordered_set<std::string> keys_[3];  // URLs exactly; e-mail lower-cased
  std::optional<std::size_t> waiting_[2];    // per list: kLinks, kEMails
  bool dirty_[3] = {false, false, false};
};

}  // namespace trawlonix
