#include "ui/Dlg_TXDProperty.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/ProjectSetup.h"
#include "settings/Language.h"
#include "ui/Dlg_AddHTMLRec.h"
#include "ui/Dlg_NewNegPosListElement.h"
#include "ui/Dlg_NewSpider.h"
#include "ui/ProjectChoicesPanel.h"
#include "ui/ProjectFieldWidgets.h"
#include "ui/TxHelp.h"
#include "ui/TxMessages.h"

namespace trawlonix {

namespace {

using ui::Q;
using ui::S;

void ShowLimit(QComboBox* box, TLimitMode mode) {
  box->setCurrentIndex(mode < box->count() ? static_cast<int>(mode) : -1);
}

// A combo box left without a choice (a value it cannot show) keeps the field.
void TakeLimit(const QComboBox* box, TLimitMode& mode) {
  if (box->currentIndex() >= 0) mode = static_cast<TLimitMode>(box->currentIndex());
}

bool DefaultAskExtension(QWidget* parent, const QString& caption, QString& ext, QString& desc) {
  TAddHTMLRecDlg dlg(parent);
  dlg.setWindowTitle(caption);
  dlg.Prepare();
  if (dlg.exec() != QDialog::Accepted) return false;
  ext = dlg.Edit_Extension->text();
  desc = dlg.Edit_Description->text();
  return true;
}

}  // namespace

TTXDPropertyDlg::TTXDPropertyDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TTXDPropertyDlg"));
  setWindowTitle(qtr("ProjectProperties", "Trawlonix 方案属性"));
  Tabs = new QTabWidget(this);
  Tabs->addTab(BuildGeneral(), qtr("ProjectProperties", "常规"));
  Tabs->addTab(BuildPassword(), qtr("ProjectProperties", "密码"));
  Tabs->addTab(BuildActions(), qtr("ProjectProperties", "操作"));
  Tabs->addTab(BuildLocal(), qtr("ProjectProperties", "本地"));
  Tabs->addTab(BuildLimits(), qtr("ProjectProperties", "限制"));
  Tabs->addTab(BuildList(true), qtr("ProjectProperties", "正列表"));
  Tabs->addTab(BuildList(false), qtr("ProjectProperties", "负列表"));
  Tabs->addTab(BuildRename(), qtr("ProjectProperties", "重命名"));
  ChoicesPanel = new TProjectChoicesPanel;
  TabSheet_Rules = ChoicesPanel;
  Tabs->addTab(TabSheet_Rules, qtr("ProjectProperties", "规则"));

  Button_Help = new QPushButton(qtr("ProjectProperties", "帮助"), this);
  Button_Cancel = new QPushButton(qtr("ProjectProperties", "取消"), this);
  Button_OK = new QPushButton(qtr("ProjectProperties", "确定"), this);
  Button_OK->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Button_Help);
  buttons->addStretch();
  buttons->addWidget(Button_Cancel);
  buttons->addWidget(Button_OK);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Tabs, 1);
  layout->addWidget(BuildListWarnings());
  layout->addLayout(buttons);

  connect(Button_OK, &QPushButton::clicked, this, &TTXDPropertyDlg::OkClick);
  connect(Button_Cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(Button_Help, &QPushButton::clicked, this, [this] {
    const int context =
        Tabs->currentWidget() == TabSheet_Rules ? 1081 : 1089 - Tabs->currentIndex();
    if (OnHelp) {
      OnHelp(context, QStringLiteral("txhelp"));
    } else {
      ui::ShowHelpContext(QStringLiteral("txhelp"), context);
    }
  });
  AskExtension = [this](const QString& caption, QString& ext, QString& desc) {
    return DefaultAskExtension(this, caption, ext, desc);
  };
  resize(560, 400);
}

// The lists empty themselves while the tabs are destroyed, after the limit
// combo boxes the warning line reads are gone.
TTXDPropertyDlg::~TTXDPropertyDlg() {
  for (QListWidget* list : {ListBox_Positivlist, ListBox_Negativlist})
    list->model()->disconnect(this);
}

QWidget* TTXDPropertyDlg::BuildGeneral() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  Edit_StartingURL = new QLineEdit(page);
  Edit_StartingURL->setMaxLength(1024);
  Edit_ProjectName = new QLineEdit(page);
  LimitFieldBytes(Edit_ProjectName, 128);
  form->addRow(qtr("ProjectProperties", "起始 URL"), Edit_StartingURL);
  form->addRow(qtr("ProjectProperties", "方案名称"), Edit_ProjectName);
  CB_LevelLimit = new QCheckBox(qtr("ProjectProperties", "层次数目限制为"), page);
  SEdit_MaxLevel = new QSpinBox(page);
  SEdit_MaxLevel->setRange(0, 30);
  auto* row = new QHBoxLayout;
  row->addWidget(SEdit_MaxLevel);
  row->addWidget(new QLabel(qtr("ProjectProperties", "个层次"), page));
  row->addStretch();
  form->addRow(CB_LevelLimit, row);
  CB_StrictUrl = new QComboBox(page);
  CB_StrictUrl->addItems(
      {qtr("ProjectProperties", "是文件"), qtr("ProjectProperties", "是误写的目录")});
  form->addRow(qtr("ProjectProperties", "不带点的文件名"), CB_StrictUrl);
  connect(CB_LevelLimit, &QCheckBox::toggled, this, &TTXDPropertyDlg::UpdateEnabling);
  return page;
}

QWidget* TTXDPropertyDlg::BuildPassword() {
  QWidget* page = BuildPasswordPage(qtr("ProjectProperties", "在服务器那里用这些用户数据登录:"),
                                    CB_UsePwd, Edit_Username, Edit_Password);
  connect(CB_UsePwd, &QCheckBox::toggled, this, &TTXDPropertyDlg::UpdateEnabling);
  return page;
}

QWidget* TTXDPropertyDlg::BuildActions() {
  QWidget* page =
      BuildActionsPage(CB_actSaveFiles, CB_actEMails, CB_actBLinks, CB_actCollect, CB_actColOpt);
  connect(CB_actCollect, &QCheckBox::toggled, this, &TTXDPropertyDlg::UpdateEnabling);
  return page;
}

QWidget* TTXDPropertyDlg::BuildLocal() {
  auto* page = new QWidget;
  auto* l = new QVBoxLayout(page);
  auto* intro = new QLabel(
      qtr("ProjectProperties", "请您指定一个目录以便在它下面建立将要下载的网站结构。"), page);
  intro->setWordWrap(true);
  l->addWidget(intro);
  Edit_LocalPath = new QLineEdit(page);
  LimitFieldBytes(Edit_LocalPath, 255);
  auto* browse = new QPushButton(qtr("ProjectProperties", "浏览..."), page);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(qtr("ProjectProperties", "目标目录"), page));
  row->addWidget(Edit_LocalPath, 1);
  row->addWidget(browse);
  l->addLayout(row);
  CB_ChgLocLink =
      new QCheckBox(qtr("ProjectProperties", "指向已下载页面的绝对链接转换成相对链接"), page);
  CB_ChgExtLink = new QCheckBox(qtr("ProjectProperties", "扩展那些指向没有下载的页面的链接"), page);
  CB_ChgJScriptLink =
      new QCheckBox(qtr("ProjectProperties", "也允许更改 Java Script 中的链接(小心！)"), page);
  l->addWidget(CB_ChgLocLink);
  auto* indent = new QHBoxLayout;
  indent->addSpacing(20);
  indent->addWidget(CB_ChgJScriptLink);
  l->addLayout(indent);
  l->addWidget(CB_ChgExtLink);
  l->addStretch();
  connect(CB_ChgLocLink, &QCheckBox::toggled, this, &TTXDPropertyDlg::UpdateEnabling);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString dir = QFileDialog::getExistingDirectory(
        this, qtr("ProjectProperties", "选择一个文件夹来保存网站:"), Edit_LocalPath->text());
    if (!dir.isEmpty()) Edit_LocalPath->setText(dir);
  });
  return page;
}

QWidget* TTXDPropertyDlg::BuildLimits() {
  auto* page = new QWidget;
  auto* l = new QVBoxLayout(page);
  auto* intro =
      new QLabel(qtr("ProjectProperties",
                     "在这里您可以设定一些限制给 Trawlonix 使它只允许从某些区域下载文档。"),
                 page);
  intro->setWordWrap(true);
  l->addWidget(intro);
  CB_LimitHtDocs = LimitCombo(8, page);
  CB_LimitIlImages = LimitCombo(9, page);
  CB_LimitEmbeded = LimitCombo(9, page);
  CB_LimitLinked = LimitCombo(9, page);
  auto* form = new QFormLayout;
  form->addRow(qtr("ProjectProperties", "超文本文档"), CB_LimitHtDocs);
  form->addRow(qtr("ProjectProperties", "内嵌图像"), CB_LimitIlImages);
  form->addRow(qtr("ProjectProperties", "内嵌对象"), CB_LimitEmbeded);
  form->addRow(qtr("ProjectProperties", "对其它的参考"), CB_LimitLinked);
  l->addLayout(form);
  l->addStretch();
  return page;
}

QWidget* TTXDPropertyDlg::BuildList(bool positive) {
  auto* page = new QWidget;
  auto* l = new QHBoxLayout(page);
  auto* list = new QListWidget(page);
  auto& buttons = positive ? PositivButtons : NegativButtons;
  buttons = {new QPushButton(qtr("ProjectProperties", "添加"), page),
             new QPushButton(qtr("ProjectProperties", "删除"), page),
             new QPushButton(qtr("ProjectProperties", "更改"), page)};
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
  connect(buttons[1], &QPushButton::clicked, this, [this, list, positive] {
    DeletePrefixEntry(this, list);
    UpdateListButtons(positive);
  });
  connect(buttons[2], &QPushButton::clicked, this,
          [this, list, positive] { ChangePrefixEntry(this, list, positive); });
  connect(list, &QListWidget::itemSelectionChanged, this,
          [this, positive] { UpdateListButtons(positive); });
  return page;
}

QWidget* TTXDPropertyDlg::BuildRename() {
  auto* page = new QWidget;
  auto* l = new QVBoxLayout(page);
  l->addWidget(
      new QLabel(qtr("ProjectProperties", "将 \".html\" 附加到有下列扩展名的文件名后面:"), page));
  CLB_HTMLRen = new QTreeWidget(page);
  CLB_HTMLRen->setObjectName(QStringLiteral("CLB_HTMLRen"));
  CLB_HTMLRen->setRootIsDecorated(false);
  CLB_HTMLRen->setHeaderLabels(
      {qtr("ProjectProperties", "扩展名"), qtr("ProjectProperties", "描述")});
  CLB_HTMLRen->header()->resizeSection(0, 120);
  Button_AddRen = new QPushButton(qtr("ProjectProperties", "添加条目"), page);
  Button_DeleteRen = new QPushButton(qtr("ProjectProperties", "删除条目"), page);
  auto* row = new QHBoxLayout;
  row->addWidget(CLB_HTMLRen, 1);
  auto* column = new QVBoxLayout;
  column->addWidget(Button_AddRen);
  column->addWidget(Button_DeleteRen);
  column->addStretch();
  row->addLayout(column);
  l->addLayout(row, 1);
  CB_OnlyRenameSkriptURL = new QCheckBox(
      qtr("ProjectProperties", "只有在可识别的脚本呼叫(URL 包含 \"?\")时才更改"), page);
  l->addWidget(CB_OnlyRenameSkriptURL);
  connect(Button_AddRen, &QPushButton::clicked, this, &TTXDPropertyDlg::AddRenameRowClick);
  connect(Button_DeleteRen, &QPushButton::clicked, this, &TTXDPropertyDlg::DeleteRenameRowClick);
  connect(CLB_HTMLRen, &QTreeWidget::currentItemChanged, this,
          &TTXDPropertyDlg::UpdateRenameButtons);
  connect(CLB_HTMLRen, &QTreeWidget::itemClicked, this, &TTXDPropertyDlg::UpdateRenameButtons);
  return page;
}

QWidget* TTXDPropertyDlg::BuildListWarnings() {
  listWarningsRow_ = new QWidget(this);
  auto* row = new QHBoxLayout(listWarningsRow_);
  row->setContentsMargins(0, 0, 0, 0);
  auto* icon = new QLabel(listWarningsRow_);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(16, 16));
  row->addWidget(icon, 0, Qt::AlignTop);
  Label_ListWarnings = new QLabel(listWarningsRow_);
  Label_ListWarnings->setWordWrap(true);
  row->addWidget(Label_ListWarnings, 1);
  listWarningsRow_->hide();
  // Modes and lists live on different tabs; the line follows both as they change.
  for (QComboBox* box : {CB_LimitHtDocs, CB_LimitIlImages, CB_LimitEmbeded, CB_LimitLinked})
    connect(box, &QComboBox::currentIndexChanged, this, &TTXDPropertyDlg::UpdateListWarnings);
  for (QListWidget* list : {ListBox_Positivlist, ListBox_Negativlist}) {
    QAbstractItemModel* model = list->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, &TTXDPropertyDlg::UpdateListWarnings);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &TTXDPropertyDlg::UpdateListWarnings);
    connect(model, &QAbstractItemModel::dataChanged, this, &TTXDPropertyDlg::UpdateListWarnings);
    connect(model, &QAbstractItemModel::modelReset, this, &TTXDPropertyDlg::UpdateListWarnings);
  }
  return listWarningsRow_;
}

// A long list of ignored entries would push the buttons off the dialog: the
// line shows a few and counts the rest.
void TTXDPropertyDlg::UpdateListWarnings() {
  constexpr int kShown = 3;
  const QStringList all = ListWarningTexts(
      ListUseOf({CB_LimitHtDocs, CB_LimitIlImages, CB_LimitEmbeded, CB_LimitLinked},
                ListBox_Positivlist, ListBox_Negativlist));
  QStringList shown = all;
  if (all.size() > kShown + 1) {
    shown = all.mid(0, kShown);
    shown << qtr("ProjectProperties", "另外还有 %1 条警告。").arg(all.size() - kShown);
  }
  Label_ListWarnings->setText(shown.join(QLatin1Char('\n')));
  Label_ListWarnings->setToolTip(all.join(QLatin1Char('\n')));
  listWarningsRow_->setVisible(!all.isEmpty());
}

// ---------------------------------------------------------------------------

void TTXDPropertyDlg::UpdateEnabling() {
  SEdit_MaxLevel->setEnabled(CB_LevelLimit->isChecked());
  Edit_Username->setEnabled(CB_UsePwd->isChecked());
  Edit_Password->setEnabled(CB_UsePwd->isChecked());
  CB_actColOpt->setEnabled(CB_actCollect->isChecked());
  CB_ChgJScriptLink->setEnabled(CB_ChgLocLink->isChecked());
}

void TTXDPropertyDlg::UpdateListButtons(bool positive) {
  UpdatePrefixListButtons(positive ? ListBox_Positivlist : ListBox_Negativlist,
                          positive ? PositivButtons : NegativButtons);
}

void TTXDPropertyDlg::UpdateRenameButtons() {
  QTreeWidgetItem* current = CLB_HTMLRen->currentItem();
  const int row = current != nullptr ? CLB_HTMLRen->indexOfTopLevelItem(current) : -1;
  Button_DeleteRen->setEnabled(row >= kBuiltInRenameRows);
}

QTreeWidgetItem* TTXDPropertyDlg::AddRenameRow(const QString& ext, const QString& description,
                                               bool checked) {
  auto* row = new QTreeWidgetItem(CLB_HTMLRen, {ext, description});
  row->setFlags((row->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
  row->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
  return row;
}

QString TTXDPropertyDlg::RenameRowText(const QTreeWidgetItem* row) {
  return QStringLiteral(" .") + row->text(0) + QLatin1Char('\t') + row->text(1);
}

void TTXDPropertyDlg::AddRenameRowClick() {
  QString ext;
  QString desc;
  if (!AskExtension ||
      !AskExtension(qtr("ProjectProperties", "新的文件扩展名将重命名为 .html"), ext, desc)) {
    return;
  }
  AddRenameRow(ext.trimmed().toLower(), desc.trimmed(), false);
}

void TTXDPropertyDlg::DeleteRenameRowClick() {
  QTreeWidgetItem* current = CLB_HTMLRen->currentItem();
  const int row = current != nullptr ? CLB_HTMLRen->indexOfTopLevelItem(current) : -1;
  if (row < kBuiltInRenameRows) return;
  if (!ui::ConfirmYesNo(
          this,
          qtr("ProjectProperties", "您真的想要删除条目 %1 吗？").arg(RenameRowText(current)))) {
    return;
  }
  delete CLB_HTMLRen->takeTopLevelItem(row);
  const int count = CLB_HTMLRen->topLevelItemCount();
  if (count > 0) CLB_HTMLRen->setCurrentItem(CLB_HTMLRen->topLevelItem(std::min(row, count - 1)));
  UpdateRenameButtons();
}

// ---------------------------------------------------------------------------

void TTXDPropertyDlg::FillFrom(const TrawlonixDefinition& def) {
  Edit_StartingURL->setText(Q(def.StartingUrl));
  Edit_ProjectName->setText(Q(def.ProjectName));
  CB_LevelLimit->setChecked(def.LevelLimit);
  SEdit_MaxLevel->setValue(def.MaxLevel);
  CB_StrictUrl->setCurrentIndex(def.StrictUrl ? 0 : 1);
  CB_UsePwd->setChecked(def.UsePwd);
  Edit_Username->setText(Q(def.Username));
  Edit_Password->setText(Q(def.Password));
  CB_actSaveFiles->setChecked(def.actSaveFiles);
  CB_actEMails->setChecked(def.actEMails);
  CB_actBLinks->setChecked(def.actBLinks);
  CB_actCollect->setChecked(def.actCollect);
  CB_actColOpt->setCurrentIndex(def.actColOpt < CB_actColOpt->count() ? def.actColOpt : 0);
  Edit_LocalPath->setText(Q(def.LocalPath));
  CB_ChgLocLink->setChecked(def.ChgLocLink);
  CB_ChgExtLink->setChecked(def.ChgExtLink);
  CB_ChgJScriptLink->setChecked(def.ChgJScriptLink);
  ShowLimit(CB_LimitHtDocs, def.LimitHtDocs);
  ShowLimit(CB_LimitIlImages, def.LimitIlImages);
  ShowLimit(CB_LimitEmbeded, def.LimitEmbeded);
  ShowLimit(CB_LimitLinked, def.LimitLinked);
  FillListBox(ListBox_Positivlist, def.Positivlist ? *def.Positivlist : TStringList{});
  FillListBox(ListBox_Negativlist, def.Negativlist ? *def.Negativlist : TStringList{});
  UpdateListButtons(true);
  UpdateListButtons(false);
  UpdateListWarnings();

  CLB_HTMLRen->clear();
  AddRenameRow(QStringLiteral("dll"), qtr("ProjectProperties", "动态连接库文件"), false);
  AddRenameRow(QStringLiteral("exe"), qtr("ProjectProperties", "可执行应用程序"), false);
  if (def.HTMLRenList) {
    for (const std::string& e : *def.HTMLRenList) {
      const QString ext = Q(e).toLower();
      bool matched = false;
      for (int i = 0; i < CLB_HTMLRen->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = CLB_HTMLRen->topLevelItem(i);
        if (row->text(0).toLower() == ext) {
          row->setCheckState(0, Qt::Checked);
          matched = true;
        }
      }
      if (!matched) AddRenameRow(Q(e), QString(), true);
    }
  }
  CLB_HTMLRen->setCurrentItem(CLB_HTMLRen->topLevelItem(0));
  UpdateRenameButtons();
  CB_OnlyRenameSkriptURL->setChecked(def.OnlyRenameSkriptURL);
  UpdateEnabling();
}

void TTXDPropertyDlg::WriteTo(TrawlonixDefinition& def) const {
  def.StartingUrl = S(Edit_StartingURL->text());
  def.ProjectName = Utf8Within(Edit_ProjectName->text(), 128);
  def.LevelLimit = CB_LevelLimit->isChecked();
  def.MaxLevel = static_cast<std::uint16_t>(SEdit_MaxLevel->value());
  def.StrictUrl = CB_StrictUrl->currentIndex() == 0;
  def.UsePwd = CB_UsePwd->isChecked();
  def.Username = Utf8Within(Edit_Username->text(), 128);
  def.Password = Utf8Within(Edit_Password->text(), 128);
  def.actSaveFiles = CB_actSaveFiles->isChecked();
  def.actEMails = CB_actEMails->isChecked();
  def.actBLinks = CB_actBLinks->isChecked();
  def.actCollect = CB_actCollect->isChecked();
  def.actColOpt = static_cast<TCollectOption>(std::max(0, CB_actColOpt->currentIndex()));
  def.LocalPath = Utf8Within(Edit_LocalPath->text(), 255);
  def.ChgLocLink = CB_ChgLocLink->isChecked();
  def.ChgExtLink = CB_ChgExtLink->isChecked();
  def.ChgJScriptLink = CB_ChgJScriptLink->isChecked();
  TakeLimit(CB_LimitHtDocs, def.LimitHtDocs);
  TakeLimit(CB_LimitIlImages, def.LimitIlImages);
  TakeLimit(CB_LimitEmbeded, def.LimitEmbeded);
  TakeLimit(CB_LimitLinked, def.LimitLinked);
  // The record's list objects may be shared with copies; their contents are
  // replaced where they are.
  for (TStringListRef* list : {&def.Positivlist, &def.Negativlist, &def.HTMLRenList}) {
    if (!*list) *list = std::make_shared<TStringList>();
  }
  *def.Positivlist = ListBoxItems(ListBox_Positivlist);
  *def.Negativlist = ListBoxItems(ListBox_Negativlist);
  def.HTMLRenList->clear();
  for (int i = 0; i < CLB_HTMLRen->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* row = CLB_HTMLRen->topLevelItem(i);
    if (row->checkState(0) == Qt::Checked) def.HTMLRenList->push_back(S(row->text(0).toLower()));
  }
  def.OnlyRenameSkriptURL = CB_OnlyRenameSkriptURL->isChecked();
}

void TTXDPropertyDlg::FillFrom(const TProjectChoices& choices) {
  ChoicesPanel->Fill(choices);
}

bool TTXDPropertyDlg::WriteTo(TProjectChoices& choices) {
  QString message;
  QWidget* field = nullptr;
  if (ChoicesPanel->Take(choices, message, field)) return true;
  Tabs->setCurrentWidget(TabSheet_Rules);
  ui::ErrorBox(this, message);
  if (field != nullptr) field->setFocus();
  return false;
}

void TTXDPropertyDlg::OkClick() {
  // Only the amounts can be wrong; everything else is taken as it stands.
  if (editedChoices_ != nullptr) {
    TProjectChoices probe = *editedChoices_;
    if (!WriteTo(probe)) return;
  }
  accept();
}

bool TTXDPropertyDlg::EditProperties(TrawlonixDefinition& def) {
  FillFrom(def);
  Tabs->setCurrentIndex(0);
  Tabs->setTabVisible(Tabs->indexOf(TabSheet_Rules), false);
  editedChoices_ = nullptr;
  if (exec() != QDialog::Accepted) return false;
  WriteTo(def);
  return true;
}

bool TTXDPropertyDlg::EditProperties(TrawlonixDefinition& def, TProjectChoices& choices) {
  FillFrom(def);
  FillFrom(choices);
  Tabs->setCurrentIndex(0);
  Tabs->setTabVisible(Tabs->indexOf(TabSheet_Rules), true);
  editedChoices_ = &choices;
  const bool ok = exec() == QDialog::Accepted;
  editedChoices_ = nullptr;
  if (!ok) return false;
  WriteTo(def);
  WriteTo(choices);  // readable: OkClick checked it
  return true;
}

}  // namespace trawlonix
