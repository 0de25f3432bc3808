// The schemes this program fetches.
#pragma once

#include <string_view>

namespace trawlonix {

// http and https (lower case, as the URL parser stores them): one site may be
// served by both, and both are fetched, mirrored and checked alike.
inline bool IsWebProtocol(std::string_view protocol) {
  return protocol == "http" || protocol == "https";
}

}  // namespace trawlonix
