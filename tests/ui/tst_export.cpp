// The export wizard: its pages and their order, captions and layouts by list
// kind, the save dialog it prepares, and the file the whole flow writes.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>

#include "ui/Dlg_Export.h"
#include "ui_test_support.h"

using namespace trawlonix;

namespace {

using uitest::Shoot;
using uitest::ShotDir;

// The save dialog the export opens may open further modal windows of its
// own, so other dialogs are driven after the answerer's timer slot.
class ModalAnswerer : public uitest::ModalAnswerer {
 public:
  ModalAnswerer() : uitest::ModalAnswerer(QMessageBox::Yes, true) {}
};

std::vector<TExportRow> LinkRows() {
  return {
      {{"http://127.0.0.1/a.html", "Page A", "http://127.0.0.1/", "通过"}, false},
      {{" http://127.0.0.1/b.html ", "Page B", "http://127.0.0.1/", "坏的: 404 Not Found"}, true},
      {{"http://127.0.0.1/c.html", "C", "http://127.0.0.1/x/", "- 未检查 -"}, false},
  };
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

}  // namespace

class ExportTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

 private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }

  void pageOrderAndCaptions_data() {
    QTest::addColumn<bool>("html");
    QTest::addColumn<int>("last");
    QTest::newRow("html") << true << int(TExportDlg::FormatHTML);
    QTest::newRow("text") << false << int(TExportDlg::FormatTextdatei);
  }

  void pageOrderAndCaptions() {
    QFETCH(bool, html);
    QFETCH(int, last);
    TExportDlg dlg;
    dlg.Prepare(TExportKind::kLinks);
    dlg.show();
    QCOMPARE(dlg.CurrentPage(), 0);
    QCOMPARE(dlg.PageTitle(), QStringLiteral("导出..."));
    QVERIFY(dlg.RB_ExportAll->isChecked());
    QVERIFY(dlg.RB_FormatHTML->isChecked());
    dlg.NextClick();
    QCOMPARE(dlg.CurrentPage(), 1);
    QCOMPARE(dlg.PageTitle(), QStringLiteral("确定导出格式"));
    (html ? dlg.RB_FormatHTML : dlg.RB_FormatText)->setChecked(true);
    dlg.NextClick();
    QCOMPARE(dlg.CurrentPage(), last);
    QCOMPARE(dlg.Button_Next->text(), QStringLiteral("完成(&F)"));
    QCOMPARE(dlg.PageTitle(), html ? QStringLiteral("3. 指定 HTML 文件的格式")
                                   : QStringLiteral("指定文本文件的格式"));
    dlg.BackClick();
    QCOMPARE(dlg.CurrentPage(), 1);
    QCOMPARE(dlg.Button_Next->text(), QStringLiteral("继续(&W) >"));
    dlg.BackClick();
    QCOMPARE(dlg.CurrentPage(), 0);
  }

  void captionsByKind_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("linkOnly");
    QTest::addColumn<int>("layouts");
    QTest::newRow("links") << 0 << "导出收集的链接..."
                           << "只要链接" << 14;
    QTest::newRow("e-mails") << 1 << "导出收集的电邮地址..."
                             << "只要电邮" << 12;
    QTest::newRow("broken") << 2 << "导出错误链接..."
                            << "只要链接" << 12;
  }

  void captionsByKind() {
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(QString, linkOnly);
    QFETCH(int, layouts);
    TExportDlg dlg;
    dlg.Prepare(static_cast<TExportKind>(kind));
    dlg.show();
    QCOMPARE(dlg.windowTitle(), caption);
    dlg.NextClick();
    dlg.RB_FormatText->setChecked(true);
    dlg.NextClick();
    QCOMPARE(dlg.RB_Text_Link->text(), linkOnly);
    QCOMPARE(dlg.RB_Text_Text->text(), QStringLiteral("只要文本"));
    QVERIFY(dlg.RB_Text_LinkText->isChecked());
    QVERIFY(dlg.RB_Text_Semikolon->isChecked());
    QVERIFY(dlg.CB_Text_Quotes->isChecked());
    dlg.BackClick();
    dlg.RB_FormatHTML->setChecked(true);
    dlg.NextClick();
    QCOMPARE(dlg.LB_HTML_Format->count(), layouts);
    QCOMPARE(dlg.LB_HTML_Format->currentRow(), 10);
    QCOMPARE(dlg.CCB_HTML_Background->currentText(), QStringLiteral("白色"));
    QCOMPARE(dlg.CCB_HTML_Strong->currentText(), QStringLiteral("银色"));
    if (kind == 1) {
      QCOMPARE(dlg.LB_HTML_Format->item(1)->text(), QStringLiteral("电邮地址列表"));
    }
  }

  void saveDialogByFormat_data() {
    QTest::addColumn<bool>("text");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("filter");
    QTest::newRow("text") << true << "txt"
                          << "文本文件 (*.txt)";
    QTest::newRow("html") << false << "htm"
                          << "HTML 文件 (*.htm *.html)";
  }

  void saveDialogByFormat() {
    QFETCH(bool, text);
    QFETCH(QString, suffix);
    QFETCH(QString, filter);
    TExportDlg dlg;
    dlg.Prepare(TExportKind::kLinks);
    dlg.show();
    dlg.NextClick();
    (text ? dlg.RB_FormatText : dlg.RB_FormatHTML)->setChecked(true);
    dlg.NextClick();
    QFileDialog fd;
    fd.setOption(QFileDialog::DontUseNativeDialog);
    dlg.PrepareSaveDialog(fd);
    QCOMPARE(fd.windowTitle(), QStringLiteral("导出的条目保存为..."));
    QCOMPARE(fd.acceptMode(), QFileDialog::AcceptSave);
    QVERIFY(!fd.testOption(QFileDialog::DontConfirmOverwrite));
    QCOMPARE(fd.defaultSuffix(), suffix);
    QCOMPARE(fd.selectedNameFilter(), filter);
    QCOMPARE(fd.nameFilters().size(), 3);
  }

  void cancelledSaveKeepsWizardOpen() {
    TExportDlg dlg;
    int asked = 0;
    dlg.AskFileName = [&](QString&) {
      ++asked;
      return false;
    };
    dlg.Prepare(TExportKind::kEMails);
    dlg.show();
    dlg.NextClick();
    dlg.NextClick();
    dlg.NextClick();
    QCOMPARE(asked, 1);
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.result(), 0);
    QCOMPARE(dlg.CurrentPage(), int(TExportDlg::FormatHTML));
  }

  void emptyListIsRefused() {
    ModalAnswerer boxes;
    bool shown = false;
    boxes.other = [&](QWidget* w) {
      shown = true;
      static_cast<QDialog*>(w)->reject();
    };
    TExportDlg dlg;
    dlg.Export(TExportKind::kBrokenLinks, {});
    QCOMPARE(boxes.texts, QStringList{"错误链接列表是空的，因此不能够导出！"});
    QVERIFY(!shown);
  }

  // The whole flow through the real save dialog: defaults except text format,
  // only selected rows, comma and the text before the link without quotes.
  void writesTextFileThroughSaveDialog() {
    const QString path = dir_.filePath(QStringLiteral("links"));
    QFile::remove(path + QStringLiteral(".txt"));
    ModalAnswerer boxes;
    QStringList seen;
    boxes.other = [&](QWidget* w) {
      seen << w->objectName();
      if (auto* fd = qobject_cast<QFileDialog*>(w)) {
        // Typed into the name field; the default extension is added.
        fd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
        QMetaObject::invokeMethod(fd, "accept");
        return;
      }
      auto* dlg = dynamic_cast<TExportDlg*>(w);
      dlg->RB_ExportMarked->setChecked(true);
      dlg->NextClick();
      dlg->RB_FormatText->setChecked(true);
      dlg->NextClick();
      dlg->RB_Text_TextLink->setChecked(true);
      dlg->RB_Text_Komma->setChecked(true);
      dlg->CB_Text_Quotes->setChecked(false);
      dlg->NextClick();
    };
    TExportDlg dlg;
    dlg.Export(TExportKind::kLinks, LinkRows());
    QCOMPARE(boxes.texts, QStringList{});
    QCOMPARE(seen, (QStringList{"TExportDlg", "ExportSaveDialog"}));
    QCOMPARE(ReadAll(path + QStringLiteral(".txt")),
             QByteArray("Page B,http://127.0.0.1/b.html\r\n"));
  }

  void writesHtmlWithChosenLayoutAndColours() {
    const QString path = dir_.filePath(QStringLiteral("mails.htm"));
    TExportDlg dlg;
    dlg.AskFileName = [&](QString& name) {
      name = path;
      return true;
    };
    ModalAnswerer boxes;
    boxes.other = [&](QWidget*) {
      dlg.NextClick();
      dlg.NextClick();
      dlg.Edit_HTML_Caption->setText(QStringLiteral("  Liste "));
      dlg.LB_HTML_Format->setCurrentRow(9);
      dlg.CCB_HTML_Strong->setCurrentIndex(dlg.CCB_HTML_Strong->findText(QStringLiteral("红色")));
      dlg.NextClick();
    };
    std::vector<TExportRow> rows = {{{"anna@127.0.0.1", "Anna"}, false}};
    dlg.Export(TExportKind::kEMails, rows);
    QCOMPARE(boxes.texts, QStringList{});
    QCOMPARE(dlg.Options().Highlight, std::string("#FF0000"));
    QCOMPARE(dlg.Options().Layout, 9);
    const QByteArray html = ReadAll(path);
    QVERIFY(html.contains("  <TITLE>Morvek Trawlonix 导出] - [Liste</TITLE>\r\n"));
    QVERIFY(html.contains(" <BODY BGCOLOR=\"#FFFFFF\">\r\n"));
    QVERIFY(html.contains("    <TD BGCOLOR=\"#FF0000\"><A HREF=\"mailto:anna@127.0.0.1\">"));
    QVERIFY(html.contains("  <TABLE BORDER=0>\r\n"));
    // Declared UTF-8; the footer's date in the interface language.
    QVERIFY(html.contains(" <HEAD>\r\n  <META CHARSET=\"UTF-8\">\r\n"));
    QVERIFY(QString::fromUtf8(html).contains(QString::number(QDate::currentDate().year()) + "年"));
  }

  void createFailureIsReported() {
    TExportDlg dlg;
    dlg.AskFileName = [&](QString& name) {
      name = dir_.filePath(QStringLiteral("missing/dir/out.txt"));
      return true;
    };
    ModalAnswerer boxes;
    boxes.other = [&](QWidget*) {
      dlg.NextClick();
      dlg.NextClick();
      dlg.NextClick();
    };
    dlg.Export(TExportKind::kLinks, LinkRows());
    QCOMPARE(boxes.texts, QStringList{"在创建导出文件时发生错误！"});
  }

  void pictures() {
    if (ShotDir().isEmpty()) QSKIP("TX_DIALOG_SHOTS not set");
    TExportDlg dlg;
    dlg.Prepare(TExportKind::kLinks);
    dlg.show();
    Shoot(&dlg, QStringLiteral("export-page1.png"));
    dlg.NextClick();
    Shoot(&dlg, QStringLiteral("export-page2.png"));
    dlg.RB_FormatText->setChecked(true);
    dlg.NextClick();
    Shoot(&dlg, QStringLiteral("export-page3-text.png"));
    dlg.BackClick();
    dlg.RB_FormatHTML->setChecked(true);
    dlg.NextClick();
    Shoot(&dlg, QStringLiteral("export-page3-html.png"));
    dlg.Prepare(TExportKind::kEMails);
    Shoot(&dlg, QStringLiteral("export-emails-page1.png"));
  }

  void helpContextByPage() {
    TExportDlg dlg;
    QList<int> contexts;
    dlg.OnHelp = [&](int context, const QString&) { contexts << context; };
    dlg.Prepare(TExportKind::kLinks);
    dlg.show();
    dlg.Button_Help->click();
    dlg.NextClick();
    dlg.NextClick();
    dlg.Button_Help->click();
    QCOMPARE(contexts, (QList<int>{401, 404}));
  }

  void rowsOfListView() {
    QTreeWidget lv;
    lv.setColumnCount(4);
    lv.setSelectionMode(QAbstractItemView::ExtendedSelection);
    new QTreeWidgetItem(&lv, {"http://127.0.0.1/a", "A", "http://127.0.0.1/", "通过"});
    auto* second = new QTreeWidgetItem(&lv, {"http://127.0.0.1/b", "B"});
    second->setSelected(true);
    const std::vector<TExportRow> rows = TExportDlg::RowsOf(&lv);
    QCOMPARE(rows.size(), std::size_t(2));
    QCOMPARE(rows[0].Columns,
             (std::vector<std::string>{"http://127.0.0.1/a", "A", "http://127.0.0.1/", "通过"}));
    QVERIFY(!rows[0].Selected);
    QCOMPARE(rows[1].Columns.at(1), std::string("B"));
    QCOMPARE(rows[1].Columns.at(3), std::string());
    QVERIFY(rows[1].Selected);
  }

  void cancelWritesNothing() {
    TExportDlg dlg;
    bool asked = false;
    dlg.AskFileName = [&](QString&) { return asked = true; };
    ModalAnswerer boxes;
    boxes.other = [&](QWidget*) { dlg.Button_Cancel->click(); };
    dlg.Export(TExportKind::kLinks, LinkRows());
    QVERIFY(!asked);
    QVERIFY(boxes.texts.isEmpty());
  }
};

QTEST_MAIN(ExportTest)
#include "tst_export.moc"
