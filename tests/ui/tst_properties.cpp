// The project properties dialog: filling from a record, the rename list with
// its built-in rows, adding and deleting rows, writing back on OK, and Cancel
// leaving the record (lists included) as it was; the warning line about list
// entries the limit modes ignore.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

#include "ui/Dlg_TXDProperty.h"
#include "ui_test_support.h"

using namespace trawlonix;

namespace {

using uitest::ModalAnswerer;
using uitest::Shoot;
using uitest::ShotDir;

QStringList RowTexts(const QTreeWidget* list) {
  QStringList rows;
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* row = list->topLevelItem(i);
    rows << TTXDPropertyDlg::RenameRowText(row) + (row->checkState(0) == Qt::Checked
                                                       ? QStringLiteral(" [x]")
                                                       : QStringLiteral(" [ ]"));
  }
  return rows;
}

TrawlonixDefinition SampleRecord() {
  TrawlonixDefinition d;
  d.StartingUrl = "http://127.0.0.1/a/";
  d.ProjectName = "sample";
  d.LevelLimit = true;
  d.MaxLevel = 7;
  d.UsePwd = true;
  d.Username = "u";
  d.Password = "p";
  d.actCollect = true;
  d.actColOpt = coAllLinks;
  d.LocalPath = "/tmp/mirror";
  d.LimitHtDocs = lmPositiveNotNegative;
  d.LimitLinked = lmNeverDownload;
  *d.Positivlist = {"http://127.0.0.1/a/"};
  *d.Negativlist = {"http://127.0.0.1/a/private/"};
  *d.HTMLRenList = {"DLL", "php"};
  d.OnlyRenameSkriptURL = false;
  d.StrictUrl = true;
  return d;
}

}  // namespace

class PropertiesTest : public QObject {
  Q_OBJECT

 private slots:
  void fillsEveryTab() {
    TTXDPropertyDlg dlg;
    const TrawlonixDefinition d = SampleRecord();
    dlg.FillFrom(d);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Trawlonix 方案属性"));
    QCOMPARE(dlg.Tabs->count(), 9);
    QStringList tabs;
    for (int i = 0; i < dlg.Tabs->count(); ++i)
      tabs << dlg.Tabs->tabText(i);
    QCOMPARE(tabs, (QStringList{"常规", "密码", "操作", "本地", "限制", "正列表", "负列表",
                                "重命名", "规则"}));
    QCOMPARE(dlg.Edit_StartingURL->text(), QStringLiteral("http://127.0.0.1/a/"));
    QCOMPARE(dlg.SEdit_MaxLevel->value(), 7);
    QVERIFY(dlg.SEdit_MaxLevel->isEnabled());
    QCOMPARE(dlg.CB_StrictUrl->currentText(), QStringLiteral("是文件"));
    QVERIFY(dlg.Edit_Username->isEnabled());
    QCOMPARE(dlg.CB_actColOpt->currentText(), QStringLiteral("全部"));
    QCOMPARE(dlg.CB_LimitHtDocs->currentText(), QStringLiteral("在正列表但不在负列表"));
    QCOMPARE(dlg.CB_LimitLinked->currentText(), QStringLiteral("<永不下载>"));
    QCOMPARE(dlg.ListBox_Negativlist->item(0)->text(),
             QStringLiteral("http://127.0.0.1/a/private/"));
    QVERIFY(!dlg.CB_OnlyRenameSkriptURL->isChecked());
  }

  void renameListRows_data() {
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("none") << QStringList{}
                          << QStringList{" .dll\t动态连接库文件 [ ]", " .exe\t可执行应用程序 [ ]"};
    QTest::newRow("built-in matched without case")
        << QStringList{"DLL", "php"}
        << QStringList{" .dll\t动态连接库文件 [x]", " .exe\t可执行应用程序 [ ]", " .php\t [x]"};
    QTest::newRow("both built-in and two more")
        << QStringList{"exe", "asp", "dll", "cgi"}
        << QStringList{" .dll\t动态连接库文件 [x]", " .exe\t可执行应用程序 [x]", " .asp\t [x]",
                       " .cgi\t [x]"};
  }

  void renameListRows() {
    QFETCH(QStringList, stored);
    QFETCH(QStringList, rows);
    TrawlonixDefinition d;
    d.HTMLRenList->clear();
    for (const QString& e : stored)
      d.HTMLRenList->push_back(e.toStdString());
    TTXDPropertyDlg dlg;
    dlg.FillFrom(d);
    QCOMPARE(RowTexts(dlg.CLB_HTMLRen), rows);
    QCOMPARE(dlg.CLB_HTMLRen->currentItem(), dlg.CLB_HTMLRen->topLevelItem(0));
    QVERIFY(!dlg.Button_DeleteRen->isEnabled());
    // What comes back: the lower-cased extensions of the checked rows, in row order.
    dlg.WriteTo(d);
    QStringList back;
    for (const std::string& e : *d.HTMLRenList)
      back << QString::fromStdString(e);
    QStringList expected;
    for (const QString& r : rows) {
      if (r.endsWith(QStringLiteral("[x]"))) expected << r.mid(2, r.indexOf('\t') - 2);
    }
    QCOMPARE(back, expected);
  }

  void addedRowIsUncheckedAndLostUnlessChecked() {
    TTXDPropertyDlg dlg;
    QString caption;
    dlg.AskExtension = [&](const QString& c, QString& ext, QString& desc) {
      caption = c;
      ext = QStringLiteral("  PHP3 ");
      desc = QStringLiteral(" 脚本 ");
      return true;
    };
    TrawlonixDefinition d;
    dlg.FillFrom(d);
    dlg.AddRenameRowClick();
    dlg.AddRenameRowClick();
    QCOMPARE(caption, QStringLiteral("新的文件扩展名将重命名为 .html"));
    QCOMPARE(dlg.CLB_HTMLRen->topLevelItemCount(), 4);
    QCOMPARE(RowTexts(dlg.CLB_HTMLRen).at(2), QStringLiteral(" .php3\t脚本 [ ]"));
    dlg.WriteTo(d);
    QCOMPARE(*d.HTMLRenList, TStringList{"dll"});
    dlg.CLB_HTMLRen->topLevelItem(3)->setCheckState(0, Qt::Checked);
    dlg.WriteTo(d);
    QCOMPARE(*d.HTMLRenList, (TStringList{"dll", "php3"}));
  }

  void deleteOnlyUserRows() {
    ModalAnswerer boxes;
    TrawlonixDefinition d;
    *d.HTMLRenList = {"asp", "php", "cgi"};
    TTXDPropertyDlg dlg;
    dlg.show();
    dlg.FillFrom(d);
    dlg.CLB_HTMLRen->setCurrentItem(dlg.CLB_HTMLRen->topLevelItem(1));
    QVERIFY(!dlg.Button_DeleteRen->isEnabled());
    dlg.DeleteRenameRowClick();  // a built-in row: nothing happens
    QCOMPARE(dlg.CLB_HTMLRen->topLevelItemCount(), 5);
    QVERIFY(boxes.texts.isEmpty());

    dlg.CLB_HTMLRen->setCurrentItem(dlg.CLB_HTMLRen->topLevelItem(3));
    QVERIFY(dlg.Button_DeleteRen->isEnabled());
    dlg.Button_DeleteRen->click();
    QCOMPARE(boxes.texts, QStringList{"您真的想要删除条目  .php\t 吗？"});
    QCOMPARE(dlg.CLB_HTMLRen->topLevelItemCount(), 4);
    QCOMPARE(dlg.CLB_HTMLRen->indexOfTopLevelItem(dlg.CLB_HTMLRen->currentItem()), 3);
    // The last row: the selection moves to the new last row.
    dlg.Button_DeleteRen->click();
    QCOMPARE(dlg.CLB_HTMLRen->topLevelItemCount(), 3);
    QCOMPARE(dlg.CLB_HTMLRen->indexOfTopLevelItem(dlg.CLB_HTMLRen->currentItem()), 2);
    dlg.Button_DeleteRen->click();
    QCOMPARE(dlg.CLB_HTMLRen->topLevelItemCount(), 2);
    QVERIFY(!dlg.Button_DeleteRen->isEnabled());
  }

  void deleteAnsweredNoKeepsRow() {
    ModalAnswerer boxes(QMessageBox::No);
    TrawlonixDefinition d;
    *d.HTMLRenList = {"asp"};
    TTXDPropertyDlg dlg;
    dlg.show();
    dlg.FillFrom(d);
    dlg.CLB_HTMLRen->setCurrentItem(dlg.CLB_HTMLRen->topLevelItem(2));
    dlg.Button_DeleteRen->click();
    QCOMPARE(boxes.texts.size(), 1);
    QCOMPARE(dlg.CLB_HTMLRen->topLevelItemCount(), 3);
  }

  void strictUrlChoice_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("strict");
    QTest::newRow("is a file") << 0 << true;
    QTest::newRow("is a mistyped directory") << 1 << false;
  }

  void strictUrlChoice() {
    QFETCH(int, index);
    QFETCH(bool, strict);
    TrawlonixDefinition d;
    d.StrictUrl = !strict;
    TTXDPropertyDlg dlg;
    dlg.FillFrom(d);
    dlg.CB_StrictUrl->setCurrentIndex(index);
    dlg.WriteTo(d);
    QCOMPARE(d.StrictUrl, strict);
  }

  void okWritesBackIntoSharedLists() {
    ModalAnswerer boxes;
    TrawlonixDefinition d = SampleRecord();
    const TrawlonixDefinition sharing = d;  // a copy shares the list objects
    boxes.other = [](QWidget* w) {
      auto* dlg = static_cast<TTXDPropertyDlg*>(w);
      dlg->Edit_StartingURL->setText(QStringLiteral("  not checked "));
      dlg->Edit_ProjectName->setText(QString(200, QLatin1Char('n')));
      dlg->CB_LimitHtDocs->setCurrentIndex(0);
      dlg->ListBox_Positivlist->addItem(QStringLiteral("http://127.0.0.2/"));
      delete dlg->ListBox_Negativlist->takeItem(0);
      dlg->CB_OnlyRenameSkriptURL->setChecked(true);
      QMetaObject::invokeMethod(dlg->Button_OK, "click", Qt::QueuedConnection);
    };
    TTXDPropertyDlg dlg;
    QVERIFY(dlg.EditProperties(d));
    QCOMPARE(d.StartingUrl, std::string("  not checked "));
    QCOMPARE(d.ProjectName.str(), std::string(128, 'n'));
    QCOMPARE(d.LimitHtDocs, lmStartDirOnly);
    QCOMPARE(d.LimitLinked, lmNeverDownload);
    QVERIFY(d.OnlyRenameSkriptURL);
    QCOMPARE(*d.Positivlist, (TStringList{"http://127.0.0.1/a/", "http://127.0.0.2/"}));
    QVERIFY(d.Negativlist->empty());
    QCOMPARE(*d.HTMLRenList, (TStringList{"dll", "php"}));
    QVERIFY(sharing.Positivlist == d.Positivlist);
    QCOMPARE(sharing.Positivlist->size(), std::size_t(2));
  }

  void listWarningsFollowModesAndLists_data() {
    QTest::addColumn<bool>("positive");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("htmlMode");
    QTest::addColumn<QString>("expected");  // empty: no warning line
    const auto neg = [](const QString& e) {
      return QStringLiteral("负面列表中的 %1 没有作用: 没有一个限制模式使用负面列表。").arg(e);
    };
    const QString ads = QStringLiteral("http://127.0.0.1/ads/");
    QTest::newRow("negative entry, no mode reads the list")
        << false << QStringList{ads} << int{lmStartDirAndBelow} << neg(ads);
    QTest::newRow("negative entry read")
        << false << QStringList{ads} << int{lmThisServerNotNegative} << QString();
    QTest::newRow("positive entry read")
        << true << QStringList{ads} << int{lmPositiveListOnly} << QString();
    QStringList five;
    for (int i = 1; i <= 5; ++i)
      five << ads + QString::number(i);
    QTest::newRow("many: three shown, the rest counted")
        << false << five << int{lmThisServer}
        << QStringList{neg(five[0]), neg(five[1]), neg(five[2]),
                       QStringLiteral("另外还有 2 条警告。")}
               .join(QLatin1Char('\n'));
  }

  void listWarningsFollowModesAndLists() {
    QFETCH(bool, positive);
    QFETCH(QStringList, entries);
    QFETCH(int, htmlMode);
    QFETCH(QString, expected);
    TTXDPropertyDlg dlg;
    dlg.FillFrom(TrawlonixDefinition{});
    QVERIFY(!dlg.Label_ListWarnings->isVisibleTo(&dlg));
    // Changed after filling, as the user would: the line follows both.
    (positive ? dlg.ListBox_Positivlist : dlg.ListBox_Negativlist)->addItems(entries);
    dlg.CB_LimitHtDocs->setCurrentIndex(htmlMode);
    QCOMPARE(dlg.Label_ListWarnings->isVisibleTo(&dlg), !expected.isEmpty());
    if (!expected.isEmpty()) QCOMPARE(dlg.Label_ListWarnings->text(), expected);
  }

  void longTextsCutAtWholeCharacters() {
    TTXDPropertyDlg dlg;
    TrawlonixDefinition d;
    dlg.FillFrom(d);
    dlg.Edit_ProjectName->setText(QString(60, QChar(0x540D)));  // set from code: no validator
    dlg.Edit_LocalPath->setText(QStringLiteral("/") + QString(100, QChar(0x76EE)));
    dlg.WriteTo(d);
    QCOMPARE(QString::fromStdString(d.ProjectName.str()), QString(42, QChar(0x540D)));
    QCOMPARE(QString::fromStdString(d.LocalPath.str()),
             QStringLiteral("/") + QString(84, QChar(0x76EE)));
  }

  void cancelLeavesRecordUntouched() {
    ModalAnswerer boxes;
    TrawlonixDefinition d = SampleRecord();
    const TrawlonixDefinition before = SampleRecord();
    boxes.other = [](QWidget* w) {
      auto* dlg = static_cast<TTXDPropertyDlg*>(w);
      dlg->Edit_StartingURL->setText(QStringLiteral("http://changed/"));
      dlg->CB_UsePwd->setChecked(false);
      dlg->CB_StrictUrl->setCurrentIndex(1);
      dlg->ListBox_Positivlist->clear();
      dlg->ListBox_Negativlist->addItem(QStringLiteral("http://x/"));
      dlg->CLB_HTMLRen->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
      dlg->CLB_HTMLRen->topLevelItem(1)->setCheckState(0, Qt::Checked);
      QMetaObject::invokeMethod(dlg->Button_Cancel, "click", Qt::QueuedConnection);
    };
    TTXDPropertyDlg dlg;
    QVERIFY(!dlg.EditProperties(d));
    QCOMPARE(d.StartingUrl, before.StartingUrl);
    QCOMPARE(d.UsePwd, before.UsePwd);
    QCOMPARE(d.StrictUrl, before.StrictUrl);
    QCOMPARE(*d.Positivlist, *before.Positivlist);
    QCOMPARE(*d.Negativlist, *before.Negativlist);
    QCOMPARE(*d.HTMLRenList, *before.HTMLRenList);  // case kept: nothing was written
  }

  void dependentControls() {
    TTXDPropertyDlg dlg;
    TrawlonixDefinition d;
    dlg.FillFrom(d);
    QVERIFY(!dlg.SEdit_MaxLevel->isEnabled());
    QVERIFY(!dlg.Edit_Password->isEnabled());
    QVERIFY(!dlg.CB_actColOpt->isEnabled());
    QVERIFY(dlg.CB_ChgJScriptLink->isEnabled());
    dlg.CB_ChgLocLink->setChecked(false);
    QVERIFY(!dlg.CB_ChgJScriptLink->isEnabled());
    dlg.CB_UsePwd->setChecked(true);
    QVERIFY(dlg.Edit_Password->isEnabled());
  }

  void pictures() {
    if (ShotDir().isEmpty()) QSKIP("TX_DIALOG_SHOTS not set");
    TTXDPropertyDlg dlg;
    TrawlonixDefinition d = SampleRecord();
    *d.HTMLRenList = {"dll", "php", "asp"};
    dlg.FillFrom(d);
    dlg.show();
    for (int i = 0; i < dlg.Tabs->count(); ++i) {
      dlg.Tabs->setCurrentIndex(i);
      Shoot(&dlg, QStringLiteral("properties-tab%1.png").arg(i + 1));
    }
  }

  void helpContextByTab() {
    TTXDPropertyDlg dlg;
    QList<int> contexts;
    dlg.OnHelp = [&](int context, const QString& window) {
      QCOMPARE(window, QStringLiteral("txhelp"));
      contexts << context;
    };
    for (int i = 0; i < dlg.Tabs->count(); ++i) {
      dlg.Tabs->setCurrentIndex(i);
      dlg.Button_Help->click();
    }
    QCOMPARE(contexts, (QList<int>{1089, 1088, 1087, 1086, 1085, 1084, 1083, 1082, 1081}));
  }
};

QTEST_MAIN(PropertiesTest)
#include "tst_properties.moc"
