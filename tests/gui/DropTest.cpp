// Dropping onto the Convert page: what is dropped decides how the next Go
// reads the source, without a visit to the Options tab in between.
#include "gui/FolderPage.h"
#include "gui/MainDialog.h"
#include "support/PdfChecks.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"

#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <filesystem>

using namespace testing_support;

class DropTest : public QObject {
  Q_OBJECT

private slots:
  void droppedFilesOrFolderAreConvertedByTheNextGo();
};

namespace {

void Drop(QWidget& target, const std::vector<std::string>& paths) {
  QMimeData data;
  QList<QUrl> urls;
  for (const std::string& path : paths)
    urls << QUrl::fromLocalFile(QString::fromStdString(path));
  data.setUrls(urls);
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  // Straight to the page: the application delivers drops only during a drag
  // of its own drag manager.
  static_cast<QObject&>(target).event(&drop);
}

} // namespace

void DropTest::droppedFilesOrFolderAreConvertedByTheNextGo() {
  ScratchFolder scratch;
  std::filesystem::create_directories(scratch / "in");
  TiffPageSpec page;
  page.raster = TextLikePage(1728, 200);
  WriteTiffFile(scratch / "in/a fax.tif", {page});
  WriteTiffFile(scratch / "in/b.tif", {page});
  SharedSettings settings{ConversionSettings{}};
  const WindowContext context{scratch / "quorren",      scratch / "mirelda.ini",
                              scratch / "kvtlog.txt",   "",
                              scratch / "kvtintif.tmp", scratch / "kvtcptif.tmp",
                              settings,                 RealStages()};
  MainDialog window(context);
  window.show();
  auto* destination = window.findChild<QLineEdit*>("destination");
  auto* go = window.findChild<QPushButton*>("go");
  auto* status = window.findChild<QLabel*>("status");
  QVERIFY(destination && go && status);

  // Files dropped while the page converts a folder, then a folder dropped
  // while it converts chosen files: each kind needs the other reading.
  const struct {
    std::vector<std::string> dropped;
    const char* output;
  } drops[] = {{{scratch / "in/a fax.tif", scratch / "in/b.tif"}, "files"},
               {{scratch / "in"}, "folder"}};
  for (const auto& [dropped, output] : drops) {
    Drop(window.Folder(), dropped);
    destination->setText(QString::fromStdString(scratch / output));
    QTest::mouseClick(go, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!window.Folder().Running(), 60000);
    QCOMPARE(status->text(), QString("Done. 2 FAX files converted"));
    for (const char* name : {"/a fax.tif.pdf", "/b.tif.pdf"})
      QVERIFY2(QpdfCheck(scratch / output + name).ok, name);
  }
}

QTEST_MAIN(DropTest)
#include "DropTest.moc"
