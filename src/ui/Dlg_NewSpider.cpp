#include "ui/Dlg_NewSpider.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFont>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QtMath>
#include <cstdio>

#include "base/Translate.h"
#include "model/ProjectSetup.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "ui/Dlg_NewNegPosListElement.h"
#include "ui/ProjectChoicesPanel.h"
#include "ui/ProjectFieldWidgets.h"
#include "ui/TxHelp.h"
#include "ui/TxMessages.h"
#include "ui/WizardFrame.h"

namespace trawlonix {

namespace {

using ui::Q;
using ui::S;

std::string Format(const std::string& pattern, const std::string& value) {
  std::string s = pattern;
  const auto at = s.find("%s");
  if (at != std::string::npos) s.replace(at, 2, value);
  return s;
}

// The pages numbered before the rules page: the six first ones (the local page
// keeps its number when it is skipped) and the list pages the limits use.
int NumberedBeforeRules(const TrawlonixDefinition& def) {
  return 6 + (UsesPositiveList(def) ? 1 : 0) + (UsesNegativeList(def) ? 1 : 0);
}

}  // namespace

const QStringList& LimitModeTexts() {
  static const QStringList texts = {qtr("NewProjectWizard", "只在起始目录"),
                                    qtr("NewProjectWizard", "在起始目录及其子目录"),
                                    qtr("NewProjectWizard", "在这个服务器"),
                                    qtr("NewProjectWizard", "只在正列表"),
                                    qtr("NewProjectWizard", "不在负列表"),
                                    qtr("NewProjectWizard", "在这个服务器，但是不在负列表"),
                                    qtr("NewProjectWizard", "在正列表但不在负列表"),
                                    qtr("NewProjectWizard", "<无限制>"),
                                    qtr("NewProjectWizard", "<永不下载>")};
  return texts;
}

const QStringList& CollectOptionTexts() {
  static const QStringList texts = {qtr("NewProjectWizard", "指向其它服务器的链接"),
                                    qtr("NewProjectWizard", "未处理的链接"),
                                    qtr("NewProjectWizard", "全部")};
  return texts;
}

// ---------------------------------------------------------------------------

// ---------------------------------------------------------------------------

TNewSpiderDlg::TNewSpiderDlg(const TOptions* options, QWidget* parent)
    : QDialog(parent), options_(options) {
  setObjectName(QStringLiteral("TNewSpiderDlg"));
  setWindowTitle(qtr("NewProjectWizard", "创建新的过程..."));

  labels_ = {QStringLiteral("1."), QStringLiteral("2."), QStringLiteral("3."), QStringLiteral("4."),
             QStringLiteral("5."), QStringLiteral("6."), QStringLiteral("7."), QStringLiteral("8."),
             QStringLiteral("9."), QStringLiteral("10.")};

  pages_ = new QStackedWidget(this);
  const std::array<QString, kPageCount> titles = {
      qtr("NewProjectWizard", "常规设置"),     qtr("NewProjectWizard", "密码"),
      qtr("NewProjectWizard", "操作"),         qtr("NewProjectWizard", "本地保存"),
      qtr("NewProjectWizard", "限制(超文本)"), qtr("NewProjectWizard", "限制(其它)"),
      qtr("NewProjectWizard", "域的正列表"),   qtr("NewProjectWizard", "域的负列表"),
      qtr("NewProjectWizard", "完成"),         qtr("NewProjectWizard", "下载规则")};
  QWidget* built[kPageCount] = {
      BuildGenerel(),     BuildPasswort(), BuildAktionen(),  BuildLokal(),  BuildLimitsHtdoc(),
      BuildLimitsEmbed(), BuildList(true), BuildList(false), BuildFertig(), BuildRegeln()};
  for (int i = 0; i < kPageCount; ++i) {
    built[i]->setProperty("title", titles[static_cast<std::size_t>(i)]);
    pages_->addWidget(built[i]);
  }

  const TWizardFrame frame = BuildWizardFrame(this, pages_, TWizardPicture::Web);
  numberLabel_ = frame.numberLabel;
  titleLabel_ = frame.titleLabel;
  Button_Back = frame.back;
  Button_Next = frame.next;
  Button_Cancel = frame.cancel;
  Button_Help = frame.help;

  connect(Button_Next, &QPushButton::clicked, this, &TNewSpiderDlg::NextClick);
  connect(Button_Back, &QPushButton::clicked, this, &TNewSpiderDlg::BackClick);
  connect(Button_Cancel, &QPushButton::clicked, this, &TNewSpiderDlg::reject);
  connect(Button_Help, &QPushButton::clicked, this, [this] {
    const int context = CurrentPage() == Regeln ? 4080 : 4089 - CurrentPage();
    if (OnHelp) {
      OnHelp(context, QStringLiteral("txhelp"));
    } else {
      ui::ShowHelpContext(QStringLiteral("txhelp"), context);
    }
  });
  resize(620, 420);
  ShowPage(Generel);
}

QWidget* TNewSpiderDlg::BuildGenerel() {
  auto* page = new QWidget;
  auto* l = new QVBoxLayout(page);
  Edit_StartingUrl = new QLineEdit(page);
  Edit_StartingUrl->setObjectName(QStringLiteral("Edit_StartingUrl"));
  Edit_StartingUrl->setMaxLength(1024);
  Edit_ProjectName = new QLineEdit(page);
  Edit_ProjectName->setObjectName(QStringLiteral("Edit_ProjectName"));
  LimitFieldBytes(Edit_ProjectName, 128);
  auto* urlLabel = new QLabel(qtr("NewProjectWizard", "起始页面/URL:"), page);
  urlLabel->setBuddy(Edit_StartingUrl);
  auto* nameLabel = new QLabel(qtr("NewProjectWizard", "方案名称:"), page);
  nameLabel->setBuddy(Edit_ProjectName);
  l->addWidget(urlLabel);
  l->addWidget(Edit_StartingUrl);
  l->addSpacing(12);
  l->addWidget(nameLabel);
  l->addWidget(Edit_ProjectName);
  l->addStretch();
  connect(Edit_StartingUrl, &QLineEdit::editingFinished, this,
          &TNewSpiderDlg::Edit_StartingUrlExit);
  return page;
}

QWidget* TNewSpiderDlg::BuildPasswort() {
  QWidget* page = BuildPasswordPage(qtr("NewProjectWizard", "在主机那里用这个密码登录:"), CB_UsePwd,
                                    Edit_Username, Edit_Password);
  connect(CB_UsePwd, &QCheckBox::toggled, this, &TNewSpiderDlg::UpdateEnabling);
  return page;
}

QWidget* TNewSpiderDlg::BuildAktionen() {
  QWidget* page =
      BuildActionsPage(CB_actSaveFiles, CB_actEMails, CB_actBLinks, CB_actCollect, CB_actColOpt);
  connect(CB_actCollect, &QCheckBox::toggled, this, &TNewSpiderDlg::UpdateEnabling);
  return page;
}

QWidget* TNewSpiderDlg::BuildLokal() {
  auto* page = new QWidget;
  auto* l = new QVBoxLayout(page);
  Edit_LocalPath = new QLineEdit(page);
  Edit_LocalPath->setObjectName(QStringLiteral("Edit_LocalPath"));
  LimitFieldBytes(Edit_LocalPath, 255);
  Button_Browse = new QPushButton(qtr("NewProjectWizard", "浏览..."), page);
  CB_ChgLocLink =
      new QCheckBox(qtr("NewProjectWizard", "指向已下载页面的绝对链接转换成相对链接"), page);
  CB_ChgJScriptLink =
      new QCheckBox(qtr("NewProjectWizard", "也允许更改 Java Script 中的链接"), page);
  CB_ChgExtLink = new QCheckBox(qtr("NewProjectWizard", "扩展那些指向没有下载的页面的链接"), page);
  l->addWidget(new QLabel(qtr("NewProjectWizard", "目录"), page));
  auto* row = new QHBoxLayout;
  row->addWidget(Edit_LocalPath, 1);
  row->addWidget(Button_Browse);
  l->addLayout(row);
  l->addSpacing(12);
  l->addWidget(CB_ChgLocLink);
  auto* indent = new QHBoxLayout;
  indent->addSpacing(20);
  indent->addWidget(CB_ChgJScriptLink);
  l->addLayout(indent);
  l->addWidget(CB_ChgExtLink);
  l->addStretch();
  connect(CB_ChgLocLink, &QCheckBox::toggled, this, &TNewSpiderDlg::UpdateEnabling);
  connect(Edit_LocalPath, &QLineEdit::editingFinished, this, &TNewSpiderDlg::Edit_LocalPathExit);
  connect(Button_Browse, &QPushButton::clicked, this, &TNewSpiderDlg::BrowseClick);
  return page;
}

QWidget* TNewSpiderDlg::BuildLimitsHtdoc() {
  auto* page = new QWidget;
  auto* l = new QVBoxLayout(page);
  CB_LevelLimit = new QCheckBox(qtr("NewProjectWizard", "层次数目限制为"), page);
  SEdit_MaxLevel = new QSpinBox(page);
  SEdit_MaxLevel->setRange(0, 30);
  auto* row = new QHBoxLayout;
  row->addWidget(CB_LevelLimit);
  row->addWidget(SEdit_MaxLevel);
  row->addWidget(new QLabel(qtr("NewProjectWizard", "个层次"), page));
  row->addStretch();
  l->addLayout(row);
  l->addSpacing(12);
  CB_LimitHtDocs = LimitCombo(8, page);
  auto* form = new QFormLayout;
  form->addRow(qtr("NewProjectWizard", "超文本文档"), CB_LimitHtDocs);
  l->addLayout(form);
  l->addStretch();
  connect(CB_LevelLimit, &QCheckBox::toggled, this, &TNewSpiderDlg::UpdateEnabling);
  return page;
}

QWidget* TNewSpiderDlg::BuildLimitsEmbed() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  CB_LimitIlImages = LimitCombo(9, page);
  CB_LimitEmbeded = LimitCombo(9, page);
  CB_LimitLinked = LimitCombo(9, page);
  form->addRow(qtr("NewProjectWizard", "内嵌图像"), CB_LimitIlImages);
  form->addRow(qtr("NewProjectWizard", "内嵌对象"), CB_LimitEmbeded);
  form->addRow(qtr("NewProjectWizard", "对其它的参考"), CB_LimitLinked);
  return page;
}

QWidget* TNewSpiderDlg::BuildList(bool positive) {
  auto* page = new QWidget;
  auto* l = new QHBoxLayout(page);
  auto* list = new QListWidget(page);
  list->setObjectName(positive ? QStringLiteral("ListBox_Positivlist")
                               : QStringLiteral("ListBox_Negativlist"));
  auto& buttons = positive ? PositivButtons : NegativButtons;
  buttons = {new QPushButton(qtr("NewProjectWizard", "添加"), page),
             new QPushButton(qtr("NewProjectWizard", "更改"), page),
             new QPushButton(qtr("NewProjectWizard", "删除"), page)};
  auto* column = new QVBoxLayout;
  for (QPushButton* b : buttons)
    column->addWidget(b);
  column->addStretch();
  l->addWidget(list, 1);
  l->addLayout(column);
  (positive ? ListBox_Positivlist : ListBox_Negativlist) = list;
  connect(buttons[0], &QPushButton::clicked, this, [this, list, positive] {
    AddPrefixEntry(this, list, positive);
    UpdateListButtons(positive);
  });
  connect(buttons[1], &QPushButton::clicked, this,
          [this, list, positive] { ChangePrefixEntry(this, list, positive); });
  connect(buttons[2], &QPushButton::clicked, this, [this, list, positive] {
    DeletePrefixEntry(this, list);
    UpdateListButtons(positive);
  });
  connect(list, &QListWidget::itemSelectionChanged, this,
          [this, positive] { UpdateListButtons(positive); });
  connect(list, &QListWidget::itemDoubleClicked, this,
          [this, list, positive] { ChangePrefixEntry(this, list, positive); });
  return page;
}

QWidget* TNewSpiderDlg::BuildFertig() {
  auto* page = new QWidget;
  auto* l = new QVBoxLayout(page);
  l->addWidget(new QLabel(qtr("NewProjectWizard", "选择 \"完成\" 按钮则创建这个新的方案:"), page));
  Memo_Fertig = new QPlainTextEdit(page);
  Memo_Fertig->setObjectName(QStringLiteral("Memo_Fertig"));
  Memo_Fertig->setReadOnly(true);
  l->addWidget(Memo_Fertig, 1);
  return page;
}

QWidget* TNewSpiderDlg::BuildRegeln() {
  ChoicesPanel = new TProjectChoicesPanel;
  return ChoicesPanel;
}

// ---------------------------------------------------------------------------

bool TNewSpiderDlg::Execute() {
  return exec() == QDialog::Accepted;
}

void TNewSpiderDlg::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

void TNewSpiderDlg::hideEvent(QHideEvent* event) {
  SetNextToFinish(false);
  QDialog::hideEvent(event);
}

void TNewSpiderDlg::FormShow() {
  Button_Next->setEnabled(true);
  SetNextToFinish(false);
  ResetDefinition(def_);
  if (options_ != nullptr) def_.LocalPath = Utf8Within(Q(options_->DefaultLocalPath), 255);
  FillControls();
  def_.Positivlist->clear();
  def_.Negativlist->clear();
  ListBox_Positivlist->clear();
  ListBox_Negativlist->clear();
  choices_ = TProjectChoices{};
  ChoicesPanel->Fill(choices_);
  ShowPage(Generel);
  Edit_StartingUrl->setFocus();
}

void TNewSpiderDlg::FillControls() {
  Edit_StartingUrl->setText(Q(def_.StartingUrl));
  Edit_ProjectName->setText(Q(def_.ProjectName));
  CB_UsePwd->setChecked(def_.UsePwd);
  Edit_Username->setText(Q(def_.Username));
  Edit_Password->setText(Q(def_.Password));
  CB_actSaveFiles->setChecked(def_.actSaveFiles);
  CB_actEMails->setChecked(def_.actEMails);
  CB_actBLinks->setChecked(def_.actBLinks);
  CB_actCollect->setChecked(def_.actCollect);
  CB_actColOpt->setCurrentIndex(static_cast<int>(def_.actColOpt));
  Edit_LocalPath->setText(Q(def_.LocalPath));
  CB_ChgLocLink->setChecked(def_.ChgLocLink);
  CB_ChgJScriptLink->setChecked(def_.ChgJScriptLink);
  CB_ChgExtLink->setChecked(def_.ChgExtLink);
  CB_LevelLimit->setChecked(def_.LevelLimit);
  SEdit_MaxLevel->setValue(def_.MaxLevel);
  CB_LimitHtDocs->setCurrentIndex(def_.LimitHtDocs <= lmUnlimited ? def_.LimitHtDocs : 1);
  CB_LimitIlImages->setCurrentIndex(def_.LimitIlImages);
  CB_LimitEmbeded->setCurrentIndex(def_.LimitEmbeded);
  CB_LimitLinked->setCurrentIndex(def_.LimitLinked);
  UpdateEnabling();
}

void TNewSpiderDlg::UpdateEnabling() {
  Edit_Username->setEnabled(CB_UsePwd->isChecked());
  Edit_Password->setEnabled(CB_UsePwd->isChecked());
  CB_actColOpt->setEnabled(CB_actCollect->isChecked());
  CB_ChgJScriptLink->setEnabled(CB_ChgLocLink->isChecked());
  SEdit_MaxLevel->setEnabled(CB_LevelLimit->isChecked());
}

void TNewSpiderDlg::UpdateListButtons(bool positive) {
  UpdatePrefixListButtons(positive ? ListBox_Positivlist : ListBox_Negativlist,
                          positive ? PositivButtons : NegativButtons);
}

void TNewSpiderDlg::Edit_StartingUrlExit() {
  if (inExit_ || !isVisible()) return;
  inExit_ = true;
  TStartUrlChange change =
      NormaliseStartUrl(S(Edit_StartingUrl->text()), S(Edit_ProjectName->text()));
  Edit_StartingUrl->setText(Q(change.url));
  if (Edit_ProjectName->text() != Q(change.projectName))
    Edit_ProjectName->setText(Q(change.projectName));
  if (change.credentialsMoved) {
    ApplyCredentials(change, def_);
    CB_UsePwd->setChecked(true);
    Edit_Username->setText(Q(def_.Username));
    Edit_Password->setText(Q(def_.Password));
  }
  ShowSetupMessages(this, change.messages);
  inExit_ = false;
}

void TNewSpiderDlg::Edit_LocalPathExit() {
  const QString path = Q(NormaliseLocalPath(S(Edit_LocalPath->text())));
  if (path != Edit_LocalPath->text()) Edit_LocalPath->setText(path);
}

void TNewSpiderDlg::BrowseClick() {
  const QString dir = QFileDialog::getExistingDirectory(
      this, qtr("NewProjectWizard", "选择一个文件夹来保存网站:"), Edit_LocalPath->text());
  if (!dir.isEmpty()) Edit_LocalPath->setText(dir);
}

// ---------------------------------------------------------------------------

void TNewSpiderDlg::LeavePage(int page) {
  switch (page) {
    case Generel:
      def_.StartingUrl = TrimText(S(Edit_StartingUrl->text()));
      def_.ProjectName = Utf8Within(Q(TrimText(S(Edit_ProjectName->text()))), 128);
      break;
    case Passwort:
      def_.Username = Utf8Within(Edit_Username->text(), 128);
      def_.Password = Utf8Within(Edit_Password->text(), 128);
      def_.UsePwd = CB_UsePwd->isChecked();
      break;
    case Aktionen:
      def_.actSaveFiles = CB_actSaveFiles->isChecked();
      def_.actEMails = CB_actEMails->isChecked();
      def_.actBLinks = CB_actBLinks->isChecked();
      def_.actCollect = CB_actCollect->isChecked();
      def_.actColOpt = static_cast<TCollectOption>(std::max(0, CB_actColOpt->currentIndex()));
      break;
    case Lokal:
      Edit_LocalPathExit();
      def_.LocalPath = Utf8Within(Edit_LocalPath->text(), 255);
      def_.ChgLocLink = CB_ChgLocLink->isChecked();
      def_.ChgJScriptLink = CB_ChgJScriptLink->isChecked();
      def_.ChgExtLink = CB_ChgExtLink->isChecked();
      break;
    case Limits_HTDOC:
      def_.LevelLimit = CB_LevelLimit->isChecked();
      def_.MaxLevel = static_cast<std::uint16_t>(SEdit_MaxLevel->value());
      def_.LimitHtDocs = static_cast<TLimitMode>(std::max(0, CB_LimitHtDocs->currentIndex()));
      break;
    case Limits_EMBED:
      def_.LimitIlImages = static_cast<TLimitMode>(std::max(0, CB_LimitIlImages->currentIndex()));
      def_.LimitEmbeded = static_cast<TLimitMode>(std::max(0, CB_LimitEmbeded->currentIndex()));
      def_.LimitLinked = static_cast<TLimitMode>(std::max(0, CB_LimitLinked->currentIndex()));
      break;
    case Positivliste:
      *def_.Positivlist = ListBoxItems(ListBox_Positivlist);
      break;
    case Negativliste:
      *def_.Negativlist = ListBoxItems(ListBox_Negativlist);
      break;
    case Fertig:
      SetNextToFinish(false);
      break;
    default:
      break;
  }
}

bool TNewSpiderDlg::ValidatePage(int page) {
  switch (page) {
    case Generel: {
      std::string urlField = S(Edit_StartingUrl->text());
      std::string nameField = S(Edit_ProjectName->text());
      const bool hadPwd = def_.UsePwd;
      TSetupReport report = SetupGeneral(def_, urlField, nameField);
      Edit_StartingUrl->setText(Q(urlField));
      Edit_ProjectName->setText(Q(nameField));
      if (def_.UsePwd && !hadPwd) {
        CB_UsePwd->setChecked(true);
        Edit_Username->setText(Q(def_.Username));
        Edit_Password->setText(Q(def_.Password));
      }
      ShowSetupMessages(this, report.messages);
      // The user goes on where the check failed: the name when only it is
      // missing, otherwise the start address.
      if (!report.ok)
        (def_.ProjectName.empty() && !def_.StartingUrl.empty() ? Edit_ProjectName
                                                               : Edit_StartingUrl)
            ->setFocus();
      return report.ok;
    }
    case Lokal:
      if (auto m = CheckLocalPath(def_.LocalPath.str())) {
        ShowSetupMessage(this, *m);
        return false;
      }
      return true;
    case Positivliste:
    case Negativliste: {
      const bool positive = page == Positivliste;
      if (auto m = CheckPrefixList(positive ? *def_.Positivlist : *def_.Negativlist, positive)) {
        ShowSetupMessage(this, *m);
        return false;
      }
      return true;
    }
    case Regeln:
      return ChoicesPanel->TakeOrComplain(choices_);
    default:
      return true;
  }
}

void TNewSpiderDlg::EnterPage(int page) {
  switch (page) {
    case Positivliste:
      FillListBox(ListBox_Positivlist, *def_.Positivlist);
      UpdateListButtons(true);
      break;
    case Negativliste:
      FillListBox(ListBox_Negativlist, *def_.Negativlist);
      UpdateListButtons(false);
      labels_[Negativliste] = UsesPositiveList(def_) ? QStringLiteral("8.") : QStringLiteral("7.");
      break;
    case Regeln:
      labels_[Regeln] = QStringLiteral("%1.").arg(NumberedBeforeRules(def_) + 1);
      break;
    case Fertig: {
      labels_[Fertig] = QStringLiteral("%1.").arg(NumberedBeforeRules(def_) + 2);
      SetNextToFinish(true);
      QStringList lines;
      for (const std::string& line : SummaryLines(def_))
        lines << Q(line);
      // Going back to the limits can leave entries behind in a list that no
      // mode reads any more; the summary says so before the project exists.
      TListUse use;
      use.Modes = {def_.LimitHtDocs, def_.LimitIlImages, def_.LimitEmbeded, def_.LimitLinked};
      use.Positive = *def_.Positivlist;
      use.Negative = *def_.Negativlist;
      const QStringList warnings = ListWarningTexts(use);
      if (!warnings.isEmpty()) lines << QString() << warnings;
      Memo_Fertig->setPlainText(lines.join(QLatin1Char('\n')));
      break;
    }
    default:
      break;
  }
}

void TNewSpiderDlg::ShowPage(int page) {
  pages_->setCurrentIndex(page);
  numberLabel_->setText(labels_[static_cast<std::size_t>(page)]);
  titleLabel_->setText(pages_->widget(page)->property("title").toString());
  Button_Back->setEnabled(page != Generel);
}

void TNewSpiderDlg::SetNextToFinish(bool finish) {
  finishMode_ = finish;
  Button_Next->setText(WizardNextCaption(finish));
}

void TNewSpiderDlg::NextClick() {
  if (finishMode_) {
    accept();
    return;
  }
  const int page = CurrentPage();
  LeavePage(page);
  if (!ValidatePage(page)) return;
  // The rules page sits between the last page the model orders and Fertig.
  int next = page == Regeln ? int{Fertig} : NextWizardPage(page, def_);
  if (page != Regeln && next == Fertig) next = Regeln;
  EnterPage(next);
  ShowPage(next);
}

void TNewSpiderDlg::BackClick() {
  const int page = CurrentPage();
  if (page == Generel) return;
  LeavePage(page);
  const int previous = page == Fertig   ? int{Regeln}
                       : page == Regeln ? PreviousWizardPage(Fertig, def_)
                                        : PreviousWizardPage(page, def_);
  EnterPage(previous);
  ShowPage(previous);
}

int TNewSpiderDlg::CurrentPage() const {
  return pages_->currentIndex();
}

QString TNewSpiderDlg::PageLabel() const {
  return numberLabel_->text();
}

QString TNewSpiderDlg::PageTitle() const {
  return titleLabel_->text();
}

// ---------------------------------------------------------------------------

std::vector<std::string> TNewSpiderDlg::SummaryLines(const TrawlonixDefinition& def) {
  std::vector<std::string> out;
  out.push_back(Format(translate("NewProjectWizard", "方案: %s"), def.ProjectName));
  out.push_back(std::string(def.ProjectName.size() + 8, '='));
  out.emplace_back();
  out.push_back(Format(translate("NewProjectWizard", "起始页面: %s"), def.StartingUrl));
  out.emplace_back();
  if (def.UsePwd) {
    out.push_back(translate("NewProjectWizard", "用这些登录数据登录:"));
    out.push_back(Format(translate("NewProjectWizard", "名称: %s"), def.Username));
    out.push_back(Format(translate("NewProjectWizard", "密码: %s"), def.Password));
  } else {
    out.push_back(translate("NewProjectWizard", "不需要密码。"));
  }
  out.emplace_back();
  out.push_back(translate("NewProjectWizard", "本地保存位置:"));
  out.push_back(def.LocalPath);
  if (def.ChgLocLink) {
    out.push_back(translate("NewProjectWizard", "- 指向已下载页面的绝对链接"));
    out.push_back(translate("NewProjectWizard", "将转换成相对链接。"));
  }
  if (def.ChgJScriptLink) {
    out.push_back(translate("NewProjectWizard", "- Java Script 中的链接也允许"));
    out.push_back(translate("NewProjectWizard", "被更改。"));
  }
  if (def.ChgExtLink)
    out.push_back(translate("NewProjectWizard", "- 扩展指向那些没有被下载的页面的链接。"));
  out.emplace_back();
  if (def.LevelLimit) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d", static_cast<int>(def.MaxLevel));
    out.push_back(TrArgs(translate("NewProjectWizard", "层次数目限制为 %1 个层次。"), {buf}));
  }
  auto mode = [](TLimitMode m) {
    const QStringList& texts = LimitModeTexts();
    return m < texts.size() ? S(texts.at(m)) : std::string();
  };
  out.push_back(Format(translate("NewProjectWizard", "超文本文档: %s。"), mode(def.LimitHtDocs)));
  out.push_back(Format(translate("NewProjectWizard", "内嵌图像: %s。"), mode(def.LimitIlImages)));
  out.push_back(Format(translate("NewProjectWizard", "内嵌对象: %s。"), mode(def.LimitEmbeded)));
  out.push_back(Format(translate("NewProjectWizard", "对其它的参考: %s。"), mode(def.LimitLinked)));
  return out;
}

void TNewSpiderDlg::Adopt(const TrawlonixDefinition& w, TrawlonixDefinition& t) {
  t.StartingUrl = w.StartingUrl;
  t.ProjectName = w.ProjectName;
  t.LevelLimit = w.LevelLimit;
  t.MaxLevel = w.MaxLevel;
  t.UsePwd = w.UsePwd;
  t.Username = w.Username;
  t.Password = w.Password;
  t.actSaveFiles = w.actSaveFiles;
  t.actEMails = w.actEMails;
  t.actBLinks = w.actBLinks;
  t.actCollect = w.actCollect;
  t.actColOpt = w.actColOpt;
  t.LocalPath = w.LocalPath;
  t.ChgLocLink = w.ChgLocLink;
  t.ChgExtLink = w.ChgExtLink;
  t.ChgJScriptLink = w.ChgJScriptLink;
  t.LimitHtDocs = w.LimitHtDocs;
  t.LimitIlImages = w.LimitIlImages;
  t.LimitEmbeded = w.LimitEmbeded;
  t.LimitLinked = w.LimitLinked;
  // Contents, not the list objects: the wizard keeps its own lists.
  if (!t.Positivlist) t.Positivlist = std::make_shared<TStringList>();
  if (!t.Negativlist) t.Negativlist = std::make_shared<TStringList>();
  *t.Positivlist = w.Positivlist ? *w.Positivlist : TStringList{};
  *t.Negativlist = w.Negativlist ? *w.Negativlist : TStringList{};
}

}  // namespace trawlonix
