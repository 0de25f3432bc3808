#include "ui/Dlg_Options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cmath>

#include "platform/SettingsStore.h"
#include "settings/Language.h"
#include "ui/Dlg_AddHTMLRec.h"
#include "ui/TxHelp.h"
#include "ui/TxMessages.h"

namespace trawlonix {

using ui::Q;
using ui::S;

namespace {

QSpinBox* Spin(int lo, int hi) {
  auto* s = new QSpinBox;
  s->setRange(lo, hi);
  return s;
}

QLabel* Note(const QString& text) {
  auto* l = new QLabel(text);
  l->setWordWrap(true);
  return l;
}

QWidget* Row(std::initializer_list<QWidget*> widgets) {
  auto* w = new QWidget;
  auto* l = new QHBoxLayout(w);
  l->setContentsMargins(0, 0, 0, 0);
  for (auto* x : widgets)
    l->addWidget(x);
  l->addStretch();
  return w;
}

// The help contexts of the five tabs, in tab order.
constexpr int kTabHelp[] = {2088, 2087, 2086, 2089, 2085};

}  // namespace

TOptionsDlg::TOptionsDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TOptionsDlg"));
  setWindowTitle(qtr("Options", "全局选项"));
  auto* box = new QVBoxLayout(this);
  Tabs = new QTabWidget;
  // All five tabs stay in sight: the dialog is at least as wide as their
  // captions, never scrolled or elided behind arrows.
  Tabs->setUsesScrollButtons(false);
  Tabs->setElideMode(Qt::ElideNone);
  box->addWidget(Tabs);

  // "下载"
  {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* g1 = new QGroupBox(qtr("Options", "发送参考的页面"));
    auto* l1 = new QVBoxLayout(g1);
    CB_Reference = new QCheckBox(qtr("Options", "同时发送呼叫的页面"));
    l1->addWidget(CB_Reference);
    v->addWidget(g1);
    auto* g2 = new QGroupBox(qtr("Options", "同时进行的任务"));
    auto* l2 = new QVBoxLayout(g2);
    Edit_MaxThreads = Spin(1, 64);
    l2->addWidget(Row({new QLabel(qtr("Options", "最多")), Edit_MaxThreads,
                       new QLabel(qtr("Options", "个文件同时下载"))}));
    v->addWidget(g2);
    auto* g3 = new QGroupBox(qtr("Options", "暂停时间"));
    auto* l3 = new QVBoxLayout(g3);
    Edit_Timeout = Spin(1, 240);
    Edit_Errcount = Spin(1, 64);
    CB_RetryAll = new QCheckBox(qtr("Options", "遇到所有错误都重试下载"));
    l3->addWidget(Row({new QLabel(qtr("Options", "下载文件的暂停时间")), Edit_Timeout,
                       new QLabel(qtr("Options", "秒"))}));
    l3->addWidget(Row({new QLabel(qtr("Options", "最多")), Edit_Errcount,
                       new QLabel(qtr("Options", "次重试在暂停之后"))}));
    l3->addWidget(CB_RetryAll);
    v->addWidget(g3);
    v->addWidget(BuildConnectionGroup());
    v->addStretch();
    Tabs->addTab(page, qtr("Options", "下载"));
  }
  // "本地"
  {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    auto* g1 = new QGroupBox(qtr("Options", "默认文件"));
    auto* l1 = new QFormLayout(g1);
    Edit_IndexFileName = new QLineEdit;
    l1->addRow(qtr("Options", "默认文件保存为"), Edit_IndexFileName);
    v->addWidget(g1);
    auto folder = [this, v](const QString& title, QLineEdit*& edit, const QString& note) {
      auto* g = new QGroupBox(title);
      auto* l = new QVBoxLayout(g);
      edit = new QLineEdit;
      edit->setMaxLength(256);
      auto* browse = new QPushButton(qtr("Options", "浏览..."));
      auto* row = new QHBoxLayout;
      row->addWidget(edit, 1);
      row->addWidget(browse);
      l->addLayout(row);
      l->addWidget(Note(note));
      QLineEdit* target = edit;
      connect(browse, &QPushButton::clicked, this, [this, target] {
        const QString dir = QFileDialog::getExistingDirectory(
            this, qtr("Options", "选择一个文件夹:"), target->text(),
            QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
        if (!dir.isEmpty()) target->setText(dir);
      });
      v->addWidget(g);
    };
    folder(qtr("Options", "本地保存的预设值"), Edit_DefaultLocalPath,
           qtr("Options", "该目录将在保存页面时自动被建议。"));
    folder(qtr("Options", "方案文件的预设值"), Edit_DefaultProjectPath,
           qtr("Options", "该目录将在保存方案文件时自动被建议。"));
    auto* lang = new QGroupBox(qtr("Options", "界面语言"));
    auto* ll = new QVBoxLayout(lang);
    CB_Language = new QComboBox;
    CB_Language->setObjectName(QStringLiteral("CB_Language"));
    CB_Language->addItem(qtr("Options", "跟随系统的区域设置"), QString());
    CB_Language->addItem(QStringLiteral("English"), QStringLiteral("en"));
    CB_Language->addItem(QStringLiteral("中文"), QStringLiteral("zh"));
    ll->addWidget(CB_Language);
    ll->addWidget(Note(qtr("Options", "更改将在下次启动程序时生效。")));
    v->addWidget(lang);
    v->addStretch();
    Tabs->addTab(page, qtr("Options", "本地"));
  }
  // "代理"
  {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    v->addWidget(
        Note(qtr("Options", "在这里您可以指定一个代理服务器，以后所有的 HTTP 访问都经过它。")));
    CB_UseProxy = new QCheckBox(qtr("Options", "通过代理服务器访问 HTTP"));
    v->addWidget(CB_UseProxy);
    auto* g = new QGroupBox(qtr("Options", "设置"));
    auto* f = new QFormLayout(g);
    Edit_ProxyServer = new QLineEdit;
    Edit_ProxyPort = Spin(0, 65000);
    Edit_ProxyUsername = new QLineEdit;
    Edit_ProxyPassword = new QLineEdit;
    Edit_ProxyPassword->setEchoMode(QLineEdit::Password);
    const std::pair<const char*, QWidget*> rows[] = {
        {QT_TRANSLATE_NOOP("Options", "代理服务器"), Edit_ProxyServer},
        {QT_TRANSLATE_NOOP("Options", "端口"), Edit_ProxyPort},
        {QT_TRANSLATE_NOOP("Options", "用户名"), Edit_ProxyUsername},
        {QT_TRANSLATE_NOOP("Options", "密码"), Edit_ProxyPassword}};
    for (const auto& [text, w] : rows) {
      auto* label = new QLabel(QtrText("Options", text));
      label->setBuddy(w);
      proxyLabels_.append(label);
      f->addRow(label, w);
    }
    v->addWidget(g);
    v->addStretch();
    Tabs->addTab(page, qtr("Options", "代理"));
    connect(CB_UseProxy, &QCheckBox::toggled, this, [this] { CB_UseProxyClick(); });
  }
  // "记录日志"
  {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    v->addWidget(Note(qtr("Options", "在这里您可以设置如何对 Trawlonix 的操作进行日志记录。")));
    auto* g1 = new QGroupBox(qtr("Options", "日志文件"));
    auto* l1 = new QVBoxLayout(g1);
    CB_LogFile = new QCheckBox(qtr("Options", "创建日志文件"));
    CB_AppendLogFile = new QCheckBox(qtr("Options", "只附加到现有的日志文件"));
    l1->addWidget(CB_LogFile);
    l1->addWidget(CB_AppendLogFile);
    v->addWidget(g1);
    auto* g2 = new QGroupBox(qtr("Options", "操作窗口"));
    auto* l2 = new QVBoxLayout(g2);
    Edit_LogLines = Spin(10, 500);
    l2->addWidget(Row({new QLabel(qtr("Options", "在操作窗口中显示最后的")), Edit_LogLines,
                       new QLabel(qtr("Options", "行"))}));
    v->addWidget(g2);
    auto* g3 = new QGroupBox(qtr("Options", "链接结构"));
    auto* l3 = new QVBoxLayout(g3);
    CB_ShowLinkStructure = new QCheckBox(qtr("Options", "在下载的时候同时整理链接结构"));
    l3->addWidget(CB_ShowLinkStructure);
    v->addWidget(g3);
    v->addStretch();
    Tabs->addTab(page, qtr("Options", "记录日志"));
    connect(CB_LogFile, &QCheckBox::toggled, this, [this] { CB_LogFileClick(); });
  }
  // "HTML 识别"
  {
    auto* page = new QWidget;
    auto* v = new QVBoxLayout(page);
    v->addWidget(
        Note(qtr("Options", "请您在这里指定一个文件扩展名列表，这些文件将作为超文本文档处理。")));
    CLB_HTMLRec = new QTreeWidget;
    CLB_HTMLRec->setColumnCount(2);
    CLB_HTMLRec->setHeaderLabels({qtr("Options", "扩展名"), qtr("Options", "描述")});
    CLB_HTMLRec->setRootIsDecorated(false);
    CLB_HTMLRec->setSelectionMode(QAbstractItemView::SingleSelection);
    CLB_HTMLRec->header()->resizeSection(0, 110);
    v->addWidget(CLB_HTMLRec, 1);
    auto* buttons = new QHBoxLayout;
    Btn_AddRec = new QPushButton(qtr("Options", "添加条目"));
    Btn_DelRec = new QPushButton(qtr("Options", "删除条目"));
    buttons->addStretch();
    buttons->addWidget(Btn_AddRec);
    buttons->addWidget(Btn_DelRec);
    v->addLayout(buttons);
    Tabs->addTab(page, qtr("Options", "HTML 识别"));
    connect(CLB_HTMLRec, &QTreeWidget::itemClicked, this, [this] { CLB_HTMLRecClick(); });
    connect(CLB_HTMLRec, &QTreeWidget::currentItemChanged, this, [this] { CLB_HTMLRecClick(); });
    connect(Btn_AddRec, &QPushButton::clicked, this, [this] { AddRecClick(); });
    connect(Btn_DelRec, &QPushButton::clicked, this, [this] { DelRecClick(); });
  }

  auto* buttons = new QHBoxLayout;
  auto* help = new QPushButton(qtr("Options", "帮助"));
  auto* cancel = new QPushButton(qtr("Options", "取消"));
  auto* ok = new QPushButton(qtr("Options", "确定"));
  ok->setDefault(true);
  connect(help, &QPushButton::clicked, this,
          [this] { ui::ShowHelpContext(QStringLiteral("txhelp"), CurrentHelpContext()); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  buttons->addWidget(help);
  buttons->addStretch();
  buttons->addWidget(cancel);
  buttons->addWidget(ok);
  box->addLayout(buttons);
  setModal(true);

  AddHTMLRecDlg = new TAddHTMLRecDlg(this);
  PutControls();
}

// The request form and the checking of https servers: the same values the
// command line's --no-check-certificate and --ca-certificate set for one run.
QWidget* TOptionsDlg::BuildConnectionGroup() {
  auto* g = new QGroupBox(qtr("Options", "连接"));
  auto* l = new QVBoxLayout(g);
  CB_Http10 = new QCheckBox(qtr("Options", "使用 HTTP/1.0 发送请求（旧的请求格式）"));
  l->addWidget(CB_Http10);
  l->addWidget(Note(qtr("Options",
                        "只在服务器不接受 HTTP/1.1 时选择：每个请求都打开一个新的连接，"
                        "数据不压缩传送。")));
  CB_CheckCertificate = new QCheckBox(qtr("Options", "检查 HTTPS 服务器的证书"));
  l->addWidget(CB_CheckCertificate);
  l->addWidget(Note(qtr("Options", "关闭后无法确认对方是真正的服务器；只在您信任的网络中关闭。")));
  Edit_CACertificate = new QLineEdit;
  Btn_CACertificate = new QPushButton(qtr("Options", "浏览..."));
  auto* row = new QHBoxLayout;
  auto* label = new QLabel(qtr("Options", "附加的 CA 证书文件"));
  label->setBuddy(Edit_CACertificate);
  row->addWidget(label);
  row->addWidget(Edit_CACertificate, 1);
  row->addWidget(Btn_CACertificate);
  l->addLayout(row);
  l->addWidget(
      Note(qtr("Options", "除了系统的证书之外，也信任这个 PEM 文件中的证书颁发机构签发的证书。")));
  connect(CB_CheckCertificate, &QCheckBox::toggled, this, [this] { CB_CheckCertificateClick(); });
  connect(Btn_CACertificate, &QPushButton::clicked, this, [this] {
    const QString file = QFileDialog::getOpenFileName(
        this, qtr("Options", "选择 CA 证书文件:"), Edit_CACertificate->text(),
        qtr("Options", "PEM 证书 (*.pem *.crt);;所有文件 (*)"), nullptr,
        QFileDialog::DontUseNativeDialog);
    if (!file.isEmpty()) Edit_CACertificate->setText(file);
  });
  return g;
}

int TOptionsDlg::CurrentHelpContext() const {
  const int i = Tabs->currentIndex();
  return i >= 0 && i < 5 ? kTabHelp[i] : kTabHelp[0];
}

void TOptionsDlg::AppendRow(const THTMLRecRow& row) {
  const std::string text = row.RowText();
  const auto tab = text.find('\t');
  auto* item = new QTreeWidgetItem(CLB_HTMLRec);
  item->setText(0, Q(text.substr(0, tab)));
  // The built-in rows' descriptions are catalog texts; user rows show theirs.
  item->setText(
      1, tab == std::string::npos ? QString() : QtrText("Settings", text.substr(tab + 1).c_str()));
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  item->setCheckState(0, row.Checked ? Qt::Checked : Qt::Unchecked);
}

void TOptionsDlg::FillSystemItems() {
  CLB_HTMLRec->clear();
  for (const auto& row : TOptions::BuiltInRows())
    AppendRow(row);
  CLB_HTMLRec->setCurrentItem(CLB_HTMLRec->topLevelItem(0));
  Btn_DelRec->setEnabled(false);
}

void TOptionsDlg::PutControls() {
  const TOptions& o = Options;
  CB_Reference->setChecked(o.ReferingPage);
  Edit_MaxThreads->setValue(o.MaxThreads);
  Edit_Timeout->setValue(o.TimeOut);
  Edit_Errcount->setValue(o.ErrorCount);
  CB_RetryAll->setChecked(o.RetryAll);
  CB_Http10->setChecked(o.Http10);
  CB_CheckCertificate->setChecked(o.CheckCertificate);
  Edit_CACertificate->setText(Q(o.CACertificate));
  Edit_IndexFileName->setText(Q(o.IndexFileName));
  Edit_DefaultLocalPath->setText(Q(o.DefaultLocalPath));
  Edit_DefaultProjectPath->setText(Q(o.DefaultProjectPath));
  CB_Language->setCurrentIndex(std::max(0, CB_Language->findData(Q(o.Language))));
  CB_UseProxy->setChecked(o.UseProxy);
  Edit_ProxyServer->setText(Q(o.ProxyServer));
  Edit_ProxyPort->setValue(std::clamp(o.ProxyPort, 0, 65000));
  Edit_ProxyUsername->setText(Q(o.ProxyUsername));
  Edit_ProxyPassword->setText(Q(o.ProxyPassword));
  CB_LogFile->setChecked(o.LogFile);
  CB_AppendLogFile->setChecked(o.AppendLogFile);
  Edit_LogLines->setValue(o.LogLines);
  CB_ShowLinkStructure->setChecked(o.ShowLinkStructure);
  FillSystemItems();
  for (std::size_t i = 0; i < o.HTMLRecRows.size(); ++i) {
    if (i < static_cast<std::size_t>(TOptions::kBuiltInRows)) {
      CLB_HTMLRec->topLevelItem(static_cast<int>(i))
          ->setCheckState(0, o.HTMLRecRows[i].Checked ? Qt::Checked : Qt::Unchecked);
    } else {
      AppendRow(o.HTMLRecRows[i]);
    }
  }
  // Setting a check box runs its click handler, so the enabled states follow
  // even when the value did not change.
  CB_UseProxyClick();
  CB_LogFileClick();
  CB_CheckCertificateClick();
  CLB_HTMLRecClick();
}

void TOptionsDlg::TakeControls() {
  TOptions& o = Options;
  o.ReferingPage = CB_Reference->isChecked();
  o.MaxThreads = Edit_MaxThreads->value();
  o.TimeOut = Edit_Timeout->value();
  o.ErrorCount = Edit_Errcount->value();
  o.RetryAll = CB_RetryAll->isChecked();
  o.Http10 = CB_Http10->isChecked();
  o.CheckCertificate = CB_CheckCertificate->isChecked();
  o.CACertificate = S(Edit_CACertificate->text().trimmed());
  o.IndexFileName = S(Edit_IndexFileName->text());
  o.Language = S(CB_Language->currentData().toString());
  o.DefaultLocalPath = S(Edit_DefaultLocalPath->text());
  o.DefaultProjectPath = S(Edit_DefaultProjectPath->text());
  o.UseProxy = CB_UseProxy->isChecked();
  o.ProxyServer = S(Edit_ProxyServer->text());
  o.ProxyPort = Edit_ProxyPort->value();
  o.ProxyUsername = S(Edit_ProxyUsername->text());
  o.ProxyPassword = S(Edit_ProxyPassword->text());
  o.LogFile = CB_LogFile->isChecked();
  o.AppendLogFile = CB_AppendLogFile->isChecked();
  o.LogLines = Edit_LogLines->value();
  o.ShowLinkStructure = CB_ShowLinkStructure->isChecked();
  o.HTMLRecRows.clear();
  const auto builtIn = TOptions::BuiltInRows();
  for (int i = 0; i < CLB_HTMLRec->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = CLB_HTMLRec->topLevelItem(i);
    THTMLRecRow row;
    if (i < TOptions::kBuiltInRows) {
      row = builtIn[static_cast<std::size_t>(i)];
    } else {
      // The row text is " ." + extension: drop those two characters.
      row.Ext = S(item->text(0).mid(2).trimmed().toLower());
      row.Description = S(item->text(1));
    }
    row.Checked = item->checkState(0) == Qt::Checked;
    o.HTMLRecRows.push_back(row);
  }
}

void TOptionsDlg::LoadSettings(SettingsStore& store) {
  Options.LoadSettings(store);
  PutControls();
}

void TOptionsDlg::LoadSettings() {
  SettingsStore store;
  LoadSettings(store);
}

bool TOptionsDlg::SaveSettings(SettingsStore& store) {
  TakeControls();
  const bool ok = Options.SaveSettings(store);
  // The clamped and trimmed values go back into the controls.
  PutControls();
  return ok;
}

bool TOptionsDlg::SaveSettings() {
  SettingsStore store;
  return SaveSettings(store);
}

bool TOptionsDlg::Execute() {
  LoadSettings();
  if (exec() != QDialog::Accepted) return false;
  SaveSettings();
  return true;
}

void TOptionsDlg::CB_UseProxyClick() {
  const bool on = CB_UseProxy->isChecked();
  for (QWidget* w :
       {static_cast<QWidget*>(Edit_ProxyServer), static_cast<QWidget*>(Edit_ProxyPort),
        static_cast<QWidget*>(Edit_ProxyUsername), static_cast<QWidget*>(Edit_ProxyPassword)})
    w->setEnabled(on);
  for (QLabel* l : proxyLabels_)
    l->setEnabled(on);
}

void TOptionsDlg::CB_LogFileClick() {
  CB_AppendLogFile->setEnabled(CB_LogFile->isChecked());
}

// Without checking, a CA file has nothing to do.
void TOptionsDlg::CB_CheckCertificateClick() {
  const bool on = CB_CheckCertificate->isChecked();
  Edit_CACertificate->setEnabled(on);
  Btn_CACertificate->setEnabled(on);
}

void TOptionsDlg::CLB_HTMLRecClick() {
  QTreeWidgetItem* cur = CLB_HTMLRec->currentItem();
  const int row = cur ? CLB_HTMLRec->indexOfTopLevelItem(cur) : -1;
  Btn_DelRec->setEnabled(row >= TOptions::kBuiltInRows);
}

void TOptionsDlg::AddRecClick() {
  AddHTMLRecDlg->setWindowTitle(qtr("Options", "新的文件扩展名将作为 HTML/文本识别"));
  AddHTMLRecDlg->Prepare();
  if (AddHTMLRecDlg->exec() != QDialog::Accepted) return;
  THTMLRecRow row;
  row.Ext = S(AddHTMLRecDlg->Edit_Extension->text().trimmed().toLower());
  row.Description = S(AddHTMLRecDlg->Edit_Description->text().trimmed().toLower());
  row.Checked = false;
  AppendRow(row);
}

void TOptionsDlg::DelRecClick() {
  QTreeWidgetItem* cur = CLB_HTMLRec->currentItem();
  const int row = cur ? CLB_HTMLRec->indexOfTopLevelItem(cur) : -1;
  if (row < TOptions::kBuiltInRows) return;
  if (!ui::ConfirmYesNo(this, qtr("Options", "您肯定想要删除选定的条目吗？"))) return;
  delete CLB_HTMLRec->takeTopLevelItem(row);
  const int count = CLB_HTMLRec->topLevelItemCount();
  CLB_HTMLRec->setCurrentItem(CLB_HTMLRec->topLevelItem(std::min(row, count - 1)));
  CLB_HTMLRecClick();
}

}  // namespace trawlonix
