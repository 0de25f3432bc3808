// Writes one result list (collected links, e-mail addresses or broken links)
// as a text file or an HTML page. Used by the desktop export wizard and by the
// command-line tool; both hand over the rows and the chosen options.
//
// Text form: one line per row, CR LF, the chosen fields with the chosen
// separator, optionally in double quotes (inner quotes left alone).
// HTML form: a fixed frame (its head declares UTF-8), the layout's opening line, a group of lines
// per row, the closing line and a footer. Every value that comes from a crawled page (URLs, link
// texts, test results, e-mail addresses) is HTML-escaped, so a hostile page cannot plant markup or
// script in the exported page; the frame, the layout markup and the user's own heading are written
// as they are.
#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/export/ExportOptions.h"

namespace trawlonix {

// Where the bytes go. The default writes a plain file; tests substitute one
// that fails on demand.
class TExportOutput {
 public:
  virtual ~TExportOutput() = default;
  // Creates the file, replacing an existing one.
  virtual bool Create(const std::string& path) = 0;
  virtual bool Write(std::string_view bytes) = 0;
  // Flushes and closes; false when not every byte reached the file.
  virtual bool Close() = 0;
  // Closes the file if still open and deletes it.
  virtual void Discard(const std::string& path) = 0;
};

std::unique_ptr<TExportOutput> MakeFileExportOutput();

enum class TExportStatus {
  kOk,
  kEmptyList,       // nothing created
  kInvalidOptions,  // nothing created; Message says what is wrong
  kCreateFailed,    // the file could not be created
  kWriteFailed,     // a write failed part-way; the partial file was deleted
};

struct TExportResult {
  TExportStatus Status = TExportStatus::kOk;
  // The error text to show the user ("在导出 %s 时发生错误！" and the like);
  // empty on success.
  std::string Message;
  bool Ok() const { return Status == TExportStatus::kOk; }
};

// The footer's date and time, "YYYY-MM-DD HH:MM:SS" in local time. The desktop
// host passes the interface language's own rendering instead (SetTimestamp).
std::string FormatExportTimestamp(std::time_t when);

// The address the footer's "Morvek Trawlonix" anchor links to.
extern const char kExportMakerAddress[];

class TExportWriter {
 public:
  TExportWriter(TExportKind kind, TExportOptions options);

  // The output to use; not owned. Without one a plain file is written.
  void SetOutput(TExportOutput* output) { output_ = output; }
  // The footer's date and time text; without one the current local time.
  void SetTimestamp(std::string text) { timestamp_ = std::move(text); }

  // Creates `path` and writes the rows. Checks first that there are rows and
  // that the options suit the kind; on a write failure the partial file is
  // deleted.
  TExportResult Write(const std::string& path, const std::vector<TExportRow>& rows);

  // Produces the file's lines, each with its CR LF, one call per line. Stops and
  // returns false as soon as `sink` returns false. Produces nothing and returns
  // false when the options fail CheckExportOptions.
  bool Render(const std::vector<TExportRow>& rows,
              const std::function<bool(std::string_view)>& sink) const;
  std::string RenderToString(const std::vector<TExportRow>& rows) const;

 private:
  bool RenderText(const std::vector<TExportRow>& rows,
                  const std::function<bool(std::string_view)>& sink) const;
  bool RenderHTML(const std::vector<TExportRow>& rows,
                  const std::function<bool(std::string_view)>& sink) const;

  TExportKind kind_;
  TExportOptions options_;
  TExportOutput* output_ = nullptr;
  std::string timestamp_;
};

// Helpers the writer is built from, open for the hosts and for tests.
// Drops bytes up to and including blank from both ends.
std::string TrimExportValue(std::string_view s);
// Escapes & < > " ' for use in element content and in quoted attribute values.
std::string EscapeHTML(std::string_view s);

}  // namespace trawlonix
