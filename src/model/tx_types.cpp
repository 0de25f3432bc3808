#include "model/tx_types.h"

namespace trawlonix {

namespace {

// The lists must exist: a record whose owner lost a list gets a fresh one
// rather than a null dereference later.
void ClearList(TStringListRef& list) {
  if (list)
    list->clear();
  else
    list = std::make_shared<TStringList>();
}

bool IsPositiveMode(TLimitMode m) {
  return m == lmPositiveListOnly || m == lmPositiveNotNegative;
}

bool IsNegativeMode(TLimitMode m) {
  return m == lmNotInNegativeList || m == lmThisServerNotNegative || m == lmPositiveNotNegative;
}

}  // namespace

void ResetDefinition(TrawlonixDefinition& def) {
  def.StartingUrl.clear();
  def.ProjectName = "";
  def.LevelLimit = false;
  def.MaxLevel = 5;
  def.UsePwd = false;
  def.Username = "";
  def.Password = "";
  def.actSaveFiles = true;
  def.actEMails = true;
  def.actBLinks = true;
  def.actCollect = false;
  def.actColOpt = coLinksToOtherServers;
  def.LocalPath = "";
  def.ChgLocLink = true;
  def.ChgExtLink = true;
  def.ChgJScriptLink = true;
  def.LimitHtDocs = lmStartDirAndBelow;
  def.LimitIlImages = lmThisServer;
  def.LimitEmbeded = lmThisServer;
  def.LimitLinked = lmThisServer;
  // In place: copies of the record hold the same list objects.
  ClearList(def.Positivlist);
  ClearList(def.Negativlist);
  ClearList(def.HTMLRenList);
  def.HTMLRenList->push_back("dll");
  def.OnlyRenameSkriptURL = true;
  // Today's sites serve pages at names without a dot ("/about") and answer
  // the same name with a slash by an error or a redirect back: names are
  // fetched as written. A real directory written without its slash is
  // redirected by its server to the slash form, which is then followed.
  def.StrictUrl = true;
}

bool UsesPositiveList(const TrawlonixDefinition& def) {
  return IsPositiveMode(def.LimitHtDocs) || IsPositiveMode(def.LimitIlImages) ||
         IsPositiveMode(def.LimitEmbeded) || IsPositiveMode(def.LimitLinked);
}

bool UsesNegativeList(const TrawlonixDefinition& def) {
  return IsNegativeMode(def.LimitHtDocs) || IsNegativeMode(def.LimitIlImages) ||
         IsNegativeMode(def.LimitEmbeded) || IsNegativeMode(def.LimitLinked);
}

}  // namespace trawlonix
