#include "ui/Dlg_Export.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "engine/ResultLists.h"
#include "engine/export/ExportWriter.h"
#include "settings/Language.h"
#include "ui/Dlg_NewSpider.h"
#include "ui/TxHelp.h"
#include "ui/TxLanguage.h"
#include "ui/TxMessages.h"
#include "ui/WizardFrame.h"

namespace trawlonix {

namespace {

using ui::Q;
using ui::S;

struct NamedColour {
  const char* name;
  QRgb rgb;
};
// The colours the two colour boxes offer.
const NamedColour kColours[] = {
    {QT_TRANSLATE_NOOP("ExportWizard", "黑色"), 0x000000},
    {QT_TRANSLATE_NOOP("ExportWizard", "栗色"), 0x800000},
    {QT_TRANSLATE_NOOP("ExportWizard", "绿色"), 0x008000},
    {QT_TRANSLATE_NOOP("ExportWizard", "橄榄色"), 0x808000},
    {QT_TRANSLATE_NOOP("ExportWizard", "海军蓝"), 0x000080},
    {QT_TRANSLATE_NOOP("ExportWizard", "紫色"), 0x800080},
    {QT_TRANSLATE_NOOP("ExportWizard", "青色"), 0x008080},
    {QT_TRANSLATE_NOOP("ExportWizard", "灰色"), 0x808080},
    {QT_TRANSLATE_NOOP("ExportWizard", "银色"), 0xC0C0C0},
    {QT_TRANSLATE_NOOP("ExportWizard", "红色"), 0xFF0000},
    {QT_TRANSLATE_NOOP("ExportWizard", "酸橙色"), 0x00FF00},
    {QT_TRANSLATE_NOOP("ExportWizard", "黄色"), 0xFFFF00},
    {QT_TRANSLATE_NOOP("ExportWizard", "蓝色"), 0x0000FF},
    {QT_TRANSLATE_NOOP("ExportWizard", "紫红色"), 0xFF00FF},
    {QT_TRANSLATE_NOOP("ExportWizard", "浅绿色"), 0x00FFFF},
    {QT_TRANSLATE_NOOP("ExportWizard", "白色"), 0xFFFFFF},
};

std::string Hex(const QColor& c) {
  return FormatExportColour(static_cast<std::uint8_t>(c.red()),
                            static_cast<std::uint8_t>(c.green()),
                            static_cast<std::uint8_t>(c.blue()));
}

QLabel* Wrapped(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  return label;
}

}  // namespace

TExportDlg::TExportDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TExportDlg"));
  pages_ = new QStackedWidget(this);
  const std::array<QString, kPageCount> titles = {
      qtr("ExportWizard", "导出..."), qtr("ExportWizard", "确定导出格式"),
      qtr("ExportWizard", "指定文本文件的格式"), qtr("ExportWizard", "3. 指定 HTML 文件的格式")};
  const std::array<QString, kPageCount> numbers = {QStringLiteral("1."), QStringLiteral("2."),
                                                   QStringLiteral("3."), QString()};
  QWidget* built[kPageCount] = {BuildAuswahl(), BuildFormat(), BuildText(), BuildHTML()};
  for (int i = 0; i < kPageCount; ++i) {
    built[i]->setProperty("title", titles[static_cast<std::size_t>(i)]);
    built[i]->setProperty("number", numbers[static_cast<std::size_t>(i)]);
    pages_->addWidget(built[i]);
  }

  const TWizardFrame frame = BuildWizardFrame(this, pages_, TWizardPicture::Links);
  picture_ = frame.picture;
  numberLabel_ = frame.numberLabel;
  titleLabel_ = frame.titleLabel;
  Button_Back = frame.back;
  Button_Next = frame.next;
  Button_Cancel = frame.cancel;
  Button_Help = frame.help;

  connect(Button_Next, &QPushButton::clicked, this, &TExportDlg::NextClick);
  connect(Button_Back, &QPushButton::clicked, this, &TExportDlg::BackClick);
  connect(Button_Cancel, &QPushButton::clicked, this, &TExportDlg::reject);
  connect(Button_Help, &QPushButton::clicked, this, [this] {
    const int context = 401 + CurrentPage();
    if (OnHelp) {
      OnHelp(context, QStringLiteral("txhelp"));
    } else {
      ui::ShowHelpContext(QStringLiteral("txhelp"), context);
    }
  });
  AskFileName = [this](QString& fileName) {
    QFileDialog dialog(this);
    PrepareSaveDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    fileName = dialog.selectedFiles().constFirst();
    return true;
  };
  resize(600, 400);
  Prepare(TExportKind::kLinks);
}

QWidget* TExportDlg::BuildAuswahl() {
  auto* page = new QWidget;
  auto* l = new QVBoxLayout(page);
  l->addWidget(
      Wrapped(qtr("ExportWizard", "请您决定是要导出该列表的所有条目还是只导出选定的条目。"), page));
  RB_ExportAll = new QRadioButton(qtr("ExportWizard", "导出全部条目"), page);
  RB_ExportMarked = new QRadioButton(qtr("ExportWizard", "只导出选定的条目"), page);
  l->addSpacing(8);
  l->addWidget(RB_ExportAll);
  l->addWidget(RB_ExportMarked);
  l->addStretch();
  return page;
}

QWidget* TExportDlg::BuildFormat() {
  auto* page = new QWidget;
  auto* l = new QVBoxLayout(page);
  l->addWidget(Wrapped(qtr("ExportWizard", "选择用哪种格式来导出条目:"), page));
  RB_FormatText = new QRadioButton(qtr("ExportWizard", "文本文件"), page);
  RB_FormatHTML = new QRadioButton(qtr("ExportWizard", "HTML 文件"), page);
  l->addSpacing(8);
  l->addWidget(RB_FormatText);
  l->addWidget(RB_FormatHTML);
  l->addStretch();
  return page;
}

QWidget* TExportDlg::BuildText() {
  auto* page = new QWidget;
  auto* l = new QVBoxLayout(page);
  auto* fields = new QGroupBox(qtr("ExportWizard", "导出的字段"), page);
  auto* fl = new QVBoxLayout(fields);
  RB_Text_Link = new QRadioButton(fields);
  RB_Text_Text = new QRadioButton(qtr("ExportWizard", "只要文本"), fields);
  RB_Text_LinkText = new QRadioButton(fields);
  RB_Text_TextLink = new QRadioButton(fields);
  for (QRadioButton* b : {RB_Text_Link, RB_Text_Text, RB_Text_LinkText, RB_Text_TextLink})
    fl->addWidget(b);
  auto* separators = new QGroupBox(qtr("ExportWizard", "分隔符"), page);
  auto* sl = new QVBoxLayout(separators);
  RB_Text_Semikolon = new QRadioButton(qtr("ExportWizard", "分号"), separators);
  RB_Text_Komma = new QRadioButton(qtr("ExportWizard", "逗号"), separators);
  RB_Text_Leerzeichen = new QRadioButton(qtr("ExportWizard", "空格"), separators);
  for (QRadioButton* b : {RB_Text_Semikolon, RB_Text_Komma, RB_Text_Leerzeichen})
    sl->addWidget(b);
  sl->addStretch();
  auto* row = new QHBoxLayout;
  row->addWidget(fields);
  row->addWidget(separators);
  l->addLayout(row);
  CB_Text_Quotes = new QCheckBox(qtr("ExportWizard", "字段内容用引号(\"\")框起来"), page);
  l->addWidget(CB_Text_Quotes);
  l->addStretch();
  return page;
}

QComboBox* TExportDlg::ColourCombo(QWidget* parent) {
  auto* box = new QComboBox(parent);
  for (const NamedColour& c : kColours) {
    QPixmap swatch(16, 12);
    swatch.fill(QColor(c.rgb));
    box->addItem(QIcon(swatch), QtrText("ExportWizard", c.name), QColor(c.rgb));
  }
  return box;
}

void TExportDlg::SelectColour(QComboBox* box, const std::string& hex) {
  for (int i = 0; i < box->count(); ++i) {
    if (Hex(box->itemData(i).value<QColor>()) == hex) {
      box->setCurrentIndex(i);
      return;
    }
  }
}

QWidget* TExportDlg::BuildHTML() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  Edit_HTML_Caption = new QLineEdit(page);
  Edit_HTML_Caption->setMaxLength(static_cast<int>(kExportHeadingMaxLength));
  LB_HTML_Format = new QListWidget(page);
  CCB_HTML_Background = ColourCombo(page);
  CCB_HTML_Strong = ColourCombo(page);
  form->addRow(qtr("ExportWizard", "标题:"), Edit_HTML_Caption);
  form->addRow(qtr("ExportWizard", "格式化:"), LB_HTML_Format);
  form->addRow(qtr("ExportWizard", "背景颜色:"), CCB_HTML_Background);
  form->addRow(qtr("ExportWizard", "突出显示的颜色:"), CCB_HTML_Strong);
  return page;
}

// ---------------------------------------------------------------------------

void TExportDlg::Prepare(TExportKind kind) {
  kind_ = kind;
  options_ = DefaultExportOptions(kind);
  fileName_.clear();
  setWindowTitle(Q(ExportCaption(kind)));
  picture_->SetKind(kind == TExportKind::kEMails ? TWizardPicture::Mail : TWizardPicture::Links);
  FillControls();
  SetNextToFinish(false);
  ShowPage(Auswahl);
}

void TExportDlg::FillControls() {
  (options_.SelectedOnly ? RB_ExportMarked : RB_ExportAll)->setChecked(true);
  (options_.Format == TExportFormat::kText ? RB_FormatText : RB_FormatHTML)->setChecked(true);
  const std::array<QRadioButton*, 4> fields = {RB_Text_Link, RB_Text_Text, RB_Text_LinkText,
                                               RB_Text_TextLink};
  fields[static_cast<std::size_t>(options_.Fields)]->setChecked(true);
  const std::array<QRadioButton*, 3> seps = {RB_Text_Semikolon, RB_Text_Komma, RB_Text_Leerzeichen};
  seps[static_cast<std::size_t>(options_.Separator)]->setChecked(true);
  CB_Text_Quotes->setChecked(options_.Quotes);
  Edit_HTML_Caption->setText(Q(options_.Heading));
  SelectColour(CCB_HTML_Background, options_.Background);
  SelectColour(CCB_HTML_Strong, options_.Highlight);
}

void TExportDlg::LeavePage(int page) {
  switch (page) {
    case Auswahl:
      options_.SelectedOnly = RB_ExportMarked->isChecked();
      break;
    case ExportFormat:
      options_.Format = RB_FormatText->isChecked() ? TExportFormat::kText : TExportFormat::kHTML;
      break;
    case FormatTextdatei:
      options_.Fields = RB_Text_Link->isChecked()       ? TExportFields::kLink
                        : RB_Text_Text->isChecked()     ? TExportFields::kText
                        : RB_Text_LinkText->isChecked() ? TExportFields::kLinkText
                                                        : TExportFields::kTextLink;
      options_.Separator = RB_Text_Semikolon->isChecked() ? TExportSeparator::kSemicolon
                           : RB_Text_Komma->isChecked()   ? TExportSeparator::kComma
                                                          : TExportSeparator::kBlank;
      options_.Quotes = CB_Text_Quotes->isChecked();
      break;
    case FormatHTML:
      options_.Heading = S(Edit_HTML_Caption->text());
      options_.Layout = std::max(0, LB_HTML_Format->currentRow());
      options_.Background = Hex(CCB_HTML_Background->currentData().value<QColor>());
      options_.Highlight = Hex(CCB_HTML_Strong->currentData().value<QColor>());
      break;
    default:
      break;
  }
}

void TExportDlg::EnterPage(int page) {
  switch (page) {
    case ExportFormat:
      SetNextToFinish(false);
      break;
    case FormatTextdatei: {
      const auto& captions = ExportFieldCaptions(kind_);
      RB_Text_Link->setText(Q(captions[0]));
      RB_Text_Text->setText(Q(captions[1]));
      RB_Text_LinkText->setText(Q(captions[2]));
      RB_Text_TextLink->setText(Q(captions[3]));
      SetNextToFinish(true);
      break;
    }
    case FormatHTML:
      LB_HTML_Format->clear();
      for (const std::string& name : ExportLayoutNames(kind_))
        LB_HTML_Format->addItem(Q(name));
      LB_HTML_Format->setCurrentRow(10);
      SetNextToFinish(true);
      break;
    default:
      break;
  }
}

void TExportDlg::ShowPage(int page) {
  pages_->setCurrentIndex(page);
  numberLabel_->setText(pages_->widget(page)->property("number").toString());
  titleLabel_->setText(pages_->widget(page)->property("title").toString());
  Button_Back->setEnabled(page != Auswahl);
}

void TExportDlg::SetNextToFinish(bool finish) {
  finishMode_ = finish;
  Button_Next->setText(WizardNextCaption(finish));
}

void TExportDlg::NextClick() {
  const int page = CurrentPage();
  LeavePage(page);
  if (finishMode_) {
    Finish();
    return;
  }
  int next = page;
  if (page == Auswahl) {
    next = ExportFormat;
  } else if (page == ExportFormat) {
    next = options_.Format == TExportFormat::kHTML ? FormatHTML : FormatTextdatei;
  }
  if (next == page) return;
  EnterPage(next);
  ShowPage(next);
}

void TExportDlg::BackClick() {
  const int page = CurrentPage();
  if (page == Auswahl) return;
  LeavePage(page);
  const int previous = page == ExportFormat ? Auswahl : ExportFormat;
  EnterPage(previous);
  ShowPage(previous);
}

void TExportDlg::Finish() {
  QString name;
  if (!AskFileName || !AskFileName(name) || name.isEmpty()) return;  // the wizard stays open
  fileName_ = name;
  accept();
}

void TExportDlg::PrepareSaveDialog(QFileDialog& dialog) const {
  dialog.setWindowTitle(qtr("ExportWizard", "导出的条目保存为..."));
  dialog.setObjectName(QStringLiteral("ExportSaveDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  const QStringList filters = {qtr("ExportWizard", "文本文件 (*.txt)"),
                               qtr("ExportWizard", "HTML 文件 (*.htm *.html)"),
                               qtr("ExportWizard", "所有文件 (*.*)")};
  dialog.setNameFilters(filters);
  const bool text = options_.Format == TExportFormat::kText;
  dialog.setDefaultSuffix(text ? QStringLiteral("txt") : QStringLiteral("htm"));
  dialog.selectNameFilter(filters.at(text ? 0 : 1));
  dialog.selectFile(QString());
}

int TExportDlg::CurrentPage() const {
  return pages_->currentIndex();
}

QString TExportDlg::PageTitle() const {
  return titleLabel_->text();
}

// ---------------------------------------------------------------------------

void TExportDlg::Export(TExportKind kind, const std::vector<TExportRow>& rows) {
  const QString listName = Q(ExportListName(kind));
  if (rows.empty()) {
    ui::ErrorBox(parentWidget(),
                 qtr("ExportWizard", "%1列表是空的，因此不能够导出！").arg(listName));
    return;
  }
  Prepare(kind);
  if (exec() != QDialog::Accepted || fileName_.isEmpty()) return;
  TExportWriter writer(kind, options_);
  const QDateTime now = QDateTime::currentDateTime();
  const QLocale locale = ui::InterfaceLocale();
  writer.SetTimestamp(S(locale.toString(now.date(), QLocale::LongFormat) + QLatin1Char(' ') +
                        locale.toString(now.time(), QLocale::LongFormat)));
  const TExportResult result = writer.Write(S(fileName_), rows);
  if (!result.Ok()) ui::ErrorBox(parentWidget(), Q(result.Message));
}

std::vector<TExportRow> TExportDlg::RowsOf(const QTreeWidget* listView) {
  std::vector<TExportRow> rows;
  if (listView == nullptr) return rows;
  rows.reserve(static_cast<std::size_t>(listView->topLevelItemCount()));
  for (int i = 0; i < listView->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = listView->topLevelItem(i);
    TExportRow row;
    for (int c = 0; c < listView->columnCount(); ++c)
      row.Columns.push_back(S(item->text(c)));
    // The check result column shows the result in the interface language;
    // the export holds it as stored.
    if (row.Columns.size() == 4) row.Columns[3] = StoredTestResult(row.Columns[3]);
    row.Selected = item->isSelected();
    rows.push_back(std::move(row));
  }
  return rows;
}

void TExportDlg::Export(TExportKind kind, const QTreeWidget* listView) {
  Export(kind, RowsOf(listView));
}

}  // namespace trawlonix
