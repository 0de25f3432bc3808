// A URL as the program splits it: nine byte strings in a fixed order, plus
// the operations that parse, compose, resolve and compare them, and the two
// that compute links between files stored in the local mirror.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace trawlonix {

struct TURL {
  std::string Protocol;  // lower case, without ":" or "://"
  std::string User;
  std::string Password;
  std::string Host;  // lower case
  std::string Port;  // digits as written, no default filled in
  std::string Path;  // directory part, ends with "/" (or empty for a relative reference)
  std::string FileName;
  std::string Query;  // without the "?"
  std::string Ext;    // derived from FileName; takes no part in equality

  bool operator==(const TURL&) const = default;  // all nine fields
};

// Splits `text`. `namesWithoutDotAreFiles` decides whether a last path segment
// without a dot is a file (true) or a directory written without its slash.
// The fragment ("#..." with its "#") is returned apart. Returns false only for
// mailto:/news: references without a user or host part.
bool ParseURL(std::string_view text, bool namesWithoutDotAreFiles, TURL& url,
              std::string& fragment);
bool ParseURL(std::string_view text, bool namesWithoutDotAreFiles, TURL& url);

std::string ComposeURL(const TURL& url);
// The reference resolved against `base`. Whenever the result names a server,
// its Path is free of "." and ".." segments.
TURL ResolveURL(const TURL& base, const TURL& reference);
// Removes "." and ".." segments from a Path that starts with "/".
void RemoveDotSegments(std::string& path);

// Protocol to Query compared as byte strings; Ext ignored.
bool SameURL(const TURL& a, const TURL& b);
void CopyURL(const TURL& from, TURL& to);

// The port of the URL's server as it tells servers apart: empty when none is
// written or it is the scheme's default (80 for http, 443 for https), else
// the port without leading zeros. http and https of one host on their
// default ports are thereby one server, as one site serves both.
std::string ServerPort(const TURL& url);
// Host (A-Z folded) and ServerPort are equal.
bool SameServer(const TURL& a, const TURL& b);

// Hash over the eight fields SameURL compares, for hash indexes.
std::size_t HashURL(const TURL& url);

std::string RelativeLink(std::string_view fromPath, std::string_view toPath,
                         std::string_view toFile);
std::string CrossHostLink(std::string_view fromPath, std::string_view toHost,
                          std::string_view toPath, std::string_view toFile);

}  // namespace trawlonix
