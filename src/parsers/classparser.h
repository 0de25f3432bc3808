// Reads the header and constant pool of a Java class file and reports the
// classes its code refers to, so that the crawl can fetch the other class
// files of an applet. The data is only read, never changed.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace trawlonix {

class TJavaClassParser {
 public:
  // A class name in the file's internal form ("a/b/C", no ".class"), once per
  // Class constant that is the class of a field, method or interface-method
  // reference. Never called with an empty name.
  std::function<void(const std::string& className)> OnClassRef;
  // Header information and errors, for the log. Never called with an empty text.
  std::function<void(const std::string& text)> OnMessage;

  // Parses `data` (the whole file as received). Every problem of the input is
  // reported through OnMessage or not at all; nothing is thrown for bad input.
  // Always returns true: the result only exists so that owners can treat both
  // binary parsers alike.
  bool Parse(std::string_view data);
};

}  // namespace trawlonix
