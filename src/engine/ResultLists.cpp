#include "engine/ResultLists.h"

#include <algorithm>

#include "base/Text.h"
#include "base/Translate.h"

namespace trawlonix {

namespace {
const char kUnknownReference[] = "<\?\?\?>";
const char* const kNotChecked = kTestNotChecked;

using text::Lower;
}  // namespace

std::optional<std::size_t> TResultLists::OfferCollectedLink(const std::string& url,
                                                            const std::string& firstOccurrence) {
  Reindex(kLinks);
  if (!keys_[kLinks].insert(url).second) return std::nullopt;
  rows_[kLinks].push_back({url, kUnknownReference, firstOccurrence, kNotChecked});
  waiting_[kLinks] = rows_[kLinks].size() - 1;
  return waiting_[kLinks];
}

std::optional<std::size_t> TResultLists::OfferEMail(const std::string& address,
                                                    const std::string& firstOccurrence) {
  // The rows are compared lower-cased with the new address as given. An
  // address written with capitals would then never be a duplicate, and a
  // site that names it on every page would fill the list with copies of one
  // row: a row equal to it as written is a duplicate as well.
  Reindex(kEMails);
  if (keys_[kEMails].count(address)) return std::nullopt;
  rows_[kEMails].push_back({address, kUnknownReference, firstOccurrence, {}});
  keys_[kEMails].insert(Lower(address));
  keys_[kEMails].insert(address);
  waiting_[kEMails] = rows_[kEMails].size() - 1;
  return waiting_[kEMails];
}

std::optional<std::size_t> TResultLists::OfferBrokenLink(const std::string& url,
                                                         const std::string& errorText,
                                                         const std::string& firstOccurrence) {
  Reindex(kBroken);
  if (!keys_[kBroken].insert(url).second) return std::nullopt;
  rows_[kBroken].push_back({url, errorText, firstOccurrence, {}});
  return rows_[kBroken].size() - 1;
}

std::vector<TResultLists::RowRef> TResultLists::SetLastRowReference(const std::string& text) {
  std::vector<RowRef> changed;
  for (ListId list : {kLinks, kEMails}) {
    const std::optional<std::size_t> row = waiting_[list];
    waiting_[list].reset();
    if (!row || *row >= rows_[list].size()) continue;
    rows_[list][*row].Reference = text;
    changed.push_back({list, *row});
  }
  return changed;
}

void TResultLists::ForgetLastRow() {
  waiting_[kLinks].reset();
  waiting_[kEMails].reset();
}

std::vector<TResultRow>& TResultLists::MutableRows(ListId list) {
  dirty_[list] = true;
  if (list != kBroken) waiting_[list].reset();
  return rows_[list];
}

void TResultLists::Clear(ListId list) {
  rows_[list].clear();
  keys_[list].clear();
  dirty_[list] = false;
  if (list != kBroken) waiting_[list].reset();
}

void TResultLists::CopyTo(TSidecar& sidecar) const {
  for (int l = 0; l < 3; ++l)
    sidecar.Lists[static_cast<std::size_t>(l)] = rows_[l];
  sidecar.Extras = Extras;
}

void TResultLists::Assign(const TSidecar& sidecar) {
  for (int l = 0; l < 3; ++l)
    MutableRows(static_cast<ListId>(l)) = sidecar.Lists[static_cast<std::size_t>(l)];
  Extras = sidecar.Extras;
}

void TResultLists::Reindex(ListId list) {
  if (!dirty_[list]) return;
  dirty_[list] = false;
  keys_[list].clear();
  for (const auto& row : rows_[list]) {
    keys_[list].insert(row.Text);
    if (list == kEMails) keys_[list].insert(Lower(row.Text));
  }
}

std::string ShownTestResult(const std::string& stored) {
  // Passed, not checked, not a web address: whole texts of the catalog.
  if (std::string shown = TrText("LinkCheck", stored.c_str()); shown != stored) return shown;
  const std::string_view bad = kTestBadPrefix;
  if (stored.compare(0, bad.size(), bad) == 0)
    return TrArgs(translate("LinkCheck", "坏的: %1"),
                  {std::string_view(stored).substr(bad.size())});
  return stored;
}

std::string StoredTestResult(const std::string& shown) {
  if (shown == TrText("LinkCheck", kTestPassed)) return kTestPassed;
  if (shown == TrText("LinkCheck", kTestNotChecked)) return kTestNotChecked;
  const std::string form = translate("LinkCheck", "坏的: %1");
  const std::string prefix = form.substr(0, form.find("%1"));
  if (shown.compare(0, prefix.size(), prefix) == 0)
    return kTestBadPrefix + shown.substr(prefix.size());
  return shown;
}

}  // namespace trawlonix
