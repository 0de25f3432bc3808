// The per-project crawl choices as one group of controls, shown by the
// new-project wizard (a page of its own) and by the project properties dialog
// (a tab): obeying robots.txt, pacing, file-name and URL patterns, and the
// size limits. Amounts are typed as people write them ("1.5", "500k", "2M");
// an amount that cannot be read is refused with a message naming the field.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

#include "polite/ProjectChoices.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace trawlonix {

class TProjectChoicesPanel : public QWidget {
 public:
  explicit TProjectChoicesPanel(QWidget* parent = nullptr);

  void Fill(const TProjectChoices& choices);
  // Reads every control into `out` when all amounts are readable and returns
  // true. Otherwise `out` is left as it was, `message` says what is wrong and
  // `field` is the control to correct.
  bool Take(TProjectChoices& out, QString& message, QWidget*& field) const;
  // Take with the message shown as an error box and the bad field focused.
  bool TakeOrComplain(TProjectChoices& out);

  // A pattern list as typed: one entry per line or separated by commas;
  // blanks around entries and empty entries are dropped.
  static std::vector<std::string> SplitPatterns(const QString& text);
  // An amount of bytes as the field shows it: "" for 0, "2M", "500k", "1000".
  static QString ByteAmountText(std::int64_t bytes);

  QCheckBox* CB_ObeyRobots = nullptr;
  QLineEdit* Edit_Wait = nullptr;
  QCheckBox* CB_RandomWait = nullptr;
  QLineEdit* Edit_LimitRate = nullptr;
  QSpinBox* SEdit_MaxPerServer = nullptr;
  QPlainTextEdit* Memo_AcceptName = nullptr;
  QPlainTextEdit* Memo_RejectName = nullptr;
  QPlainTextEdit* Memo_AcceptUrl = nullptr;
  QPlainTextEdit* Memo_RejectUrl = nullptr;
  QLineEdit* Edit_MaxFileSize = nullptr;
  QLineEdit* Edit_Quota = nullptr;

 private:
  QWidget* BuildPacing();
  QWidget* BuildSizes();
  QWidget* BuildPatterns();
};

}  // namespace trawlonix
