// The three result lists of a project (collected links, collected e-mail
// addresses, broken links) with their duplicate tests and the "last added
// row" rule. Both hosts keep their rows here; the desktop window mirrors them
// into its list views. Saved beside the project file (model/sidecar.h).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "model/sidecar.h"  // TResultRow, and the lists as saved beside the project

namespace trawlonix {

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
  // Replaces the reference text of the last added row (links or e-mail) and
  // forgets that row. Returns the list and row changed, if any.
  struct RowRef {
    ListId list;
    std::size_t row;
  };
  std::optional<RowRef> SetLastRowReference(const std::string& text);
  void ForgetLastRow() { last_.reset(); }

  const std::vector<TResultRow>& Rows(ListId list) const { return rows_[list]; }
  std::vector<TResultRow>& MutableRows(ListId list);  // forgets indexes; see Reindex
  void Clear(ListId list);

  // The lists as the sidecar holds them, and back.
  void CopyTo(TSidecar& sidecar) const;
  void Assign(const TSidecar& sidecar);

 private:
  void Reindex(ListId list);
  std::vector<TResultRow> rows_[3];
  std::unordered_set<std::string> keys_[3];  // URLs exactly; e-mail lower-cased
  std::optional<RowRef> last_;
  bool dirty_[3] = {false, false, false};
};

}  // namespace trawlonix
