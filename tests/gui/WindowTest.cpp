// The window on Qt's offscreen platform: its pages, the configuration file,
// runs through the real conversion and through stages the test holds back.
#include "app/Configuration.h"
#include "gui/FolderPage.h"
#include "gui/MainDialog.h"
#include "gui/OptionsPage.h"
#include "gui/SettingsPage.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "support/PdfChecks.h"
#include "support/Scratch.h"
#include "support/TiffFixtures.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <semaphore>
#include <thread>

using namespace testing_support;

namespace {

// Stages whose TIFF copy waits until the test lets each file through, so a
// run can be stopped or closed while it is inside a file.
struct HeldStages : ConversionStages {
  std::counting_semaphore<64> entered{0}, released{0};
  std::unique_ptr<FaxDocument> OpenFaxDocument(const ConversionSettings&) override {
    return nullptr;
  }
  int CopyTiffImages(const std::string&, const std::string&, const CopyOptions&) override {
    entered.release();
    released.acquire();
    return 0;
  }
  int ConvertTiffToPdf(const std::string&, const std::string& output, int,
                       const PdfDocInfo&) override {
    WriteFile(output, "%PDF-1.4 held");
    return 0;
  }
};

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

struct Message {
  std::string text, caption;
};

} // namespace

// Receives the documents the Help button opens.
class HelpViewer : public QObject {
  Q_OBJECT
public:
  QList<QUrl> opened;
public slots:
  void Show(const QUrl& url) { opened << url; }
};

class WindowTest : public QObject {
  Q_OBJECT

private slots:
  void init();
  void cleanup();
  void startsFromDefaultsAndWritesEveryKeyOnEveryClose();
  void storedChoicesComeBack();
  void badNumbersBeepFocusAndLeaveLaterValues();
  void settingsApplyOnlyOnReturnToConvert();
  void sourceKindDecidesWhichOptionsAreOpen();
  void automaticConversionNeedsAGoodInterval();
  void goNeedsBothFolders();
  void anUnreadableSourceFolderIsSaidInTheStatus();
  void convertsAFolderAndSkipsExistingPdfsOnTheTimer();
  void convertsChosenFilesWithBlanksInTheirNames();
  void droppedFilesOrFolderAreConvertedByTheNextGo();
  void cancelFinishesTheCurrentFileAndKeepsTheRows();
  void closingDuringARunWaitsForTheFileThenSaves();
  void minimisingWithoutANotificationAreaKeepsTheWindow();
  void helpOpensTheReadme();

private:
  std::unique_ptr<MainDialog> OpenWindow(ConversionStages& stages);
  std::string Config() const { return *scratch_ / "mirelda.ini"; }
  template <typename Widget> static Widget& Find(QWidget& parent, const char* name);
  void WaitForRunEnd(FolderPage& page);
  // One-page Group 4 fax TIFFs below the scratch folder.
  void WriteFaxes(const std::vector<std::string>& names);
  // Fills the two folders and presses Go.
  void Go(MainDialog& window, const std::string& source, const std::string& destination);

  std::unique_ptr<ScratchFolder> scratch_;
  std::unique_ptr<SharedSettings> settings_;
  std::unique_ptr<WindowContext> context_;
  std::vector<Message> messages_;
  int beeps_ = 0;
};

template <typename Widget> Widget& WindowTest::Find(QWidget& parent, const char* name) {
  auto* widget = parent.findChild<Widget*>(name);
  if (!widget)
    qFatal("no widget named %s", name);
  return *widget;
}

void WindowTest::init() {
  scratch_ = std::make_unique<ScratchFolder>();
  settings_ = std::make_unique<SharedSettings>(ConversionSettings{});
  messages_.clear();
  beeps_ = 0;
  platform::SetMessagePresenter(
      [this](const std::string& text, const std::string& caption, platform::MessageKind) {
        messages_.push_back({text, caption});
      });
  platform::SetBeeper([this] { ++beeps_; });
}

void WindowTest::cleanup() {
  platform::SetMessagePresenter({});
  platform::SetBeeper({});
  context_.reset();
  scratch_.reset();
}

std::unique_ptr<MainDialog> WindowTest::OpenWindow(ConversionStages& stages) {
  context_ = std::make_unique<WindowContext>(WindowContext{
      *scratch_ / "quorren", Config(), *scratch_ / "log/kvtlog.txt", "",
      *scratch_ / "kvtintif.tmp", *scratch_ / "kvtcptif.tmp", *settings_, stages});
  auto window = std::make_unique<MainDialog>(*context_);
  window->show();
  window->activateWindow();
  return window;
}

void WindowTest::WaitForRunEnd(FolderPage& page) {
  QTRY_VERIFY_WITH_TIMEOUT(!page.Running(), 60000);
}

void WindowTest::WriteFaxes(const std::vector<std::string>& names) {
  TiffPageSpec page;
  page.raster = TextLikePage(1728, 200);
  for (const std::string& name : names) {
    std::filesystem::create_directories(platform::FolderOf(*scratch_ / name));
    WriteTiffFile(*scratch_ / name, {page});
  }
}

void WindowTest::Go(MainDialog& window, const std::string& source,
                    const std::string& destination) {
  if (!source.empty())
    Find<QLineEdit>(window, "source").setText(QString::fromStdString(source));
  Find<QLineEdit>(window, "destination").setText(QString::fromStdString(destination));
  QTest::mouseClick(&Find<QPushButton>(window, "go"), Qt::LeftButton);
}

void WindowTest::startsFromDefaultsAndWritesEveryKeyOnEveryClose() {
  for (auto [key, code] : {std::pair{Qt::Key_Escape, kClosedWithCancel},
                           std::pair{Qt::Key_Return, kClosedWithOk}}) {
    std::filesystem::remove(Config());
    auto window = OpenWindow(RealStages());
    QCOMPARE(Find<QLineEdit>(*window, "filter").text(), QString("*.*"));
    QVERIFY(Find<QLineEdit>(*window, "source").text().isEmpty());
    QVERIFY(Find<QCheckBox>(*window, "keepExtension").isChecked());
    QCOMPARE(Find<QLineEdit>(*window, "minutes").text(), QString("60"));
    QCOMPARE(Find<QLineEdit>(*window, "threshold").text(), QString("50"));
    QVERIFY(!Find<QPushButton>(*window, "cancel").isEnabled());

    QSignalSpy closed(window.get(), &MainDialog::Closed);
    Find<QLineEdit>(*window, "source").setFocus();
    QTest::keyClick(&Find<QLineEdit>(*window, "source"), key);
    QCOMPARE(closed.count(), 1);
    QCOMPARE(closed.front().front().toInt(), code);
    QCOMPARE(ReadFile(Config()),
             std::string("[Main]\r\nFaxDir=\r\nSaveDir=\r\nBakDir=\r\n\r\n[Options]\r\n"
                         "DirFile=0\r\nSubdir=0\r\nHiberarchy=0\r\nKeepDate=0\r\nKeepExt=1\r\n"
                         "Cyclely=0\r\nCycleMinutes=60\r\n\r\n[Settings]\r\nAutoBit=0\r\n"
                         "NStdWidth=1\r\nMinWidth=1728\r\nThreshold=50\r\nFlagNum=3\r\n"
                         "RawFlag=0\r\nRecaculate=0\r\n"));
  }
}

void WindowTest::storedChoicesComeBack() {
  SaveMain(Config(), {"/faxes/in", "/faxes/out", "/faxes/done"});
  SaveOptions(Config(), {1, 0, 0, 1, 0, 1, 15});
  SaveSettings(Config(), {2, 0, 2000, 80, 4, 1, 1});
  auto window = OpenWindow(RealStages());
  QCOMPARE(Find<QLineEdit>(*window, "backup").text(), QString("/faxes/done"));
  QVERIFY(Find<QRadioButton>(*window, "convertFiles").isChecked());
  QVERIFY(!Find<QCheckBox>(*window, "subdir").isEnabled());
  QVERIFY(Find<QCheckBox>(*window, "automatic").isChecked());
  QVERIFY(!window->Folder().AutomaticTimer().isActive()); // until the user ticks it
  QVERIFY(!Find<QLineEdit>(*window, "minWidth").isEnabled());
  // The stored settings reach the conversions at start-up.
  QCOMPARE(settings_->Snapshot().Threshold, std::uint16_t{80});
  QCOMPARE(settings_->Snapshot().AutoBit, std::uint8_t{2});
  window->CloseWith(kClosedWithOk);
  QCOMPARE(LoadMain(Config()), (MainSection{"/faxes/in", "/faxes/out", "/faxes/done"}));
  QCOMPARE(LoadOptions(Config()), (OptionsSection{1, 0, 0, 1, 0, 1, 15}));
  QCOMPARE(LoadSettings(Config(), {}), (SettingsSection{2, 0, 2000, 80, 4, 1, 1}));
}

void WindowTest::badNumbersBeepFocusAndLeaveLaterValues() {
  auto window = OpenWindow(RealStages());
  window->Tabs().setCurrentIndex(2);
  Find<QLineEdit>(*window, "threshold").setText("eighty");
  Find<QLineEdit>(*window, "flagNum").setText("7");
  Find<QCheckBox>(*window, "rawFlag").setChecked(true);
  window->Tabs().setCurrentIndex(0);
  const ConversionSettings applied = settings_->Snapshot();
  QCOMPARE(applied.Threshold, std::uint16_t{0});
  QCOMPARE(applied.FlagNum, std::uint8_t{3});
  QCOMPARE(applied.RawFlag, std::uint8_t{0});
  QCOMPARE(beeps_, 1);
  QCOMPARE(window->focusWidget(), &Find<QLineEdit>(*window, "threshold"));
  QVERIFY(messages_.empty());
}

void WindowTest::settingsApplyOnlyOnReturnToConvert() {
  auto window = OpenWindow(RealStages());
  window->Tabs().setCurrentIndex(2);
  Find<QLineEdit>(*window, "threshold").setText("70000");
  Find<QComboBox>(*window, "resolution").setCurrentIndex(2);
  window->Tabs().setCurrentIndex(1);
  QCOMPARE(settings_->Snapshot().Threshold, std::uint16_t{50});
  QCOMPARE(settings_->Snapshot().verticalResolution, std::uint16_t{0});
  window->Tabs().setCurrentIndex(0);
  QCOMPARE(settings_->Snapshot().Threshold, std::uint16_t{70000 & 0xFFFF});
  QCOMPARE(settings_->Snapshot().verticalResolution, std::uint16_t{200});
  window->CloseWith(kClosedWithOk);
  QVERIFY(ReadFile(Config()).find("Vertical") == std::string::npos);
}

void WindowTest::sourceKindDecidesWhichOptionsAreOpen() {
  auto window = OpenWindow(RealStages());
  window->Tabs().setCurrentIndex(1);
  for (const char* name : {"subdir", "hierarchy", "automatic"})
    Find<QCheckBox>(*window, name).setChecked(true);
  Find<QRadioButton>(*window, "convertFiles").click();
  for (const char* name : {"subdir", "hierarchy", "automatic"}) {
    QVERIFY2(!Find<QCheckBox>(*window, name).isChecked(), name);
    QVERIFY2(!Find<QCheckBox>(*window, name).isEnabled(), name);
  }
  Find<QRadioButton>(*window, "convertDirectory").click();
  QVERIFY(Find<QCheckBox>(*window, "subdir").isEnabled());
  QVERIFY(!Find<QCheckBox>(*window, "subdir").isChecked());
}

void WindowTest::automaticConversionNeedsAGoodInterval() {
  auto window = OpenWindow(RealStages());
  window->Tabs().setCurrentIndex(1);
  auto& automatic = Find<QCheckBox>(*window, "automatic");
  auto& minutes = Find<QLineEdit>(*window, "minutes");
  const QTimer& timer = window->Folder().AutomaticTimer();
  for (const char* refused : {"0", "-5", "soon", "40000"}) {
    minutes.setText(refused);
    const int beeps = beeps_;
    automatic.click();
    QVERIFY2(!automatic.isChecked(), refused);
    QVERIFY2(!timer.isActive(), refused);
    QVERIFY2(minutes.isEnabled(), refused);
    QCOMPARE(beeps_, beeps + 1);
  }
  minutes.setText("5");
  automatic.click();
  QVERIFY(timer.isActive());
  QCOMPARE(timer.interval(), 5 * 60000);
  QVERIFY(!minutes.isEnabled());
  automatic.click();
  QVERIFY(!timer.isActive());
  QVERIFY(minutes.isEnabled());
  automatic.click();
  Find<QRadioButton>(*window, "convertFiles").click();
  QVERIFY(!timer.isActive());
}

void WindowTest::anUnreadableSourceFolderIsSaidInTheStatus() {
  auto window = OpenWindow(RealStages());
  Go(*window, *scratch_ / "no such folder", *scratch_ / "out");
  WaitForRunEnd(window->Folder());
  QCOMPARE(Find<QLabel>(*window, "status").text(),
           QString("Done. 0 FAX files converted, 1 folders could not be read (see the log)"));
  QVERIFY(ReadFile(*scratch_ / "log/kvtlog.txt").find("Failed to read folder : ") !=
          std::string::npos);
}

void WindowTest::goNeedsBothFolders() {
  auto window = OpenWindow(RealStages());
  auto& go = Find<QPushButton>(*window, "go");
  QTest::mouseClick(&go, Qt::LeftButton);
  Find<QLineEdit>(*window, "source").setText(QString::fromStdString(scratch_->path()));
  QTest::mouseClick(&go, Qt::LeftButton);
  QCOMPARE(messages_.size(), std::size_t{2});
  QCOMPARE(messages_[0].text,
           std::string("Select Source Dir,\nwhere your fax files to be converted should be"));
  QCOMPARE(messages_[1].text, std::string("Select Save Dir,\nwhere your converted pdf files should be"));
  QCOMPARE(messages_[1].caption, std::string("Warning"));
  // The timer passes silently over the same gap.
  window->Folder().Start(FolderPage::Trigger::Timer);
  QCOMPARE(messages_.size(), std::size_t{2});
  QVERIFY(!window->Folder().Running());
}

void WindowTest::convertsAFolderAndSkipsExistingPdfsOnTheTimer() {
  WriteFaxes({"in/a.tif", "in/sub/b.tif"});
  WriteFile(*scratch_ / "in/done.pdf", "%PDF-1.4");
  WriteFile(*scratch_ / "in/broken.tif", "not a TIFF");
  auto window = OpenWindow(RealStages());
  Find<QCheckBox>(*window, "subdir").setChecked(true);
  window->Tabs().setCurrentIndex(1);
  window->Tabs().setCurrentIndex(0);
  Go(*window, *scratch_ / "in", *scratch_ / "out/pdf");
  WaitForRunEnd(window->Folder());

  auto& results = Find<QTableWidget>(*window, "results");
  std::map<std::string, std::pair<std::string, std::string>> rows;
  for (int row = 0; row < results.rowCount(); ++row)
    rows[results.item(row, 0)->text().toStdString()] = {
        results.item(row, 1)->text().toStdString(), results.item(row, 2)->text().toStdString()};
  const std::string in = *scratch_ / "in/", out = *scratch_ / "out/pdf/";
  QCOMPARE(rows.size(), std::size_t{4});
  QCOMPARE(rows[in + "a.tif"], std::pair(out + "a.tif.pdf", std::string("Converted!")));
  QCOMPARE(rows[in + "sub/b.tif"], std::pair(out + "b.tif.pdf", std::string("Converted!")));
  QCOMPARE(rows[in + "done.pdf"], std::pair(std::string(), std::string("Already PDF!")));
  QCOMPARE(rows[in + "broken.tif"].first, std::string());
  QVERIFY(rows[in + "broken.tif"].second != "Converted!");
  for (const char* pdf : {"a.tif.pdf", "b.tif.pdf"})
    QVERIFY2(QpdfCheck(out + pdf).ok, pdf);
  QCOMPARE(Find<QLabel>(*window, "status").text(), QString("Done. 2 FAX files converted"));
  results.selectRow(0);
  results.actions().front()->trigger(); // Copy
  QCOMPARE(QApplication::clipboard()->text().count('\n'), 1);
  QVERIFY(QApplication::clipboard()->text().startsWith(results.item(0, 0)->text() + '\t'));
  const auto& progress = Find<QProgressBar>(*window, "progress");
  QCOMPARE(progress.value(), progress.maximum());
  QCOMPARE(progress.maximum(), 4);
  const std::string log = ReadFile(*scratch_ / "log/kvtlog.txt");
  QVERIFY(log.find("Tarvelo in GUI mode : convert folder\r\nSource Folder: " + *scratch_ / "in" +
                   "\r\nDestination Folder: " + *scratch_ / "out/pdf\r\n") != std::string::npos);
  QVERIFY(messages_.empty());

  window->Folder().Start(FolderPage::Trigger::Timer);
  WaitForRunEnd(window->Folder());
  int skipped = 0;
  for (int row = 0; row < results.rowCount(); ++row)
    skipped += results.item(row, 2)->text() == "Already exist, skipped!";
  QCOMPARE(skipped, 2);
  QCOMPARE(Find<QLabel>(*window, "status").text(), QString("Done. 0 FAX files converted"));
}

void WindowTest::convertsChosenFilesWithBlanksInTheirNames() {
  WriteFaxes({"my faxes/one fax.tif", "my faxes/two.tif"});
  SaveOptions(Config(), {1, 0, 0, 0, 0, 0, 60});
  auto window = OpenWindow(RealStages());
  Go(*window, "\"" + *scratch_ / "my faxes\" \"one fax.tif\" two.tif", *scratch_ / "out");
  WaitForRunEnd(window->Folder());
  QCOMPARE(Find<QLabel>(*window, "status").text(), QString("Done. 2 FAX files converted"));
  for (const char* pdf : {"out/one fax.pdf", "out/two.pdf"}) // KeepExt 0: extension cut
    QVERIFY2(QpdfCheck(*scratch_ / pdf).ok, pdf);
}

void WindowTest::droppedFilesOrFolderAreConvertedByTheNextGo() {
  WriteFaxes({"in/a fax.tif", "in/b.tif"});
  auto window = OpenWindow(RealStages());
  // Files dropped while the page converts a folder, then a folder dropped
  // while it converts chosen files: each kind needs the other reading.
  const struct {
    std::vector<std::string> dropped;
    const char* output;
  } drops[] = {{{*scratch_ / "in/a fax.tif", *scratch_ / "in/b.tif"}, "files"},
               {{*scratch_ / "in"}, "folder"}};
  for (const auto& [dropped, output] : drops) {
    Drop(window->Folder(), dropped);
    Go(*window, "", *scratch_ / output);
    WaitForRunEnd(window->Folder());
    QCOMPARE(Find<QLabel>(*window, "status").text(), QString("Done. 2 FAX files converted"));
    for (const char* name : {"/a fax.tif.pdf", "/b.tif.pdf"})
      QVERIFY2(QpdfCheck(*scratch_ / output + name).ok, name);
  }
  QVERIFY(Find<QRadioButton>(*window, "convertDirectory").isChecked());
}

void WindowTest::cancelFinishesTheCurrentFileAndKeepsTheRows() {
  std::filesystem::create_directories(*scratch_ / "in");
  for (const char* name : {"in/1.tif", "in/2.tif", "in/3.tif"})
    WriteFile(*scratch_ / name, "II*");
  HeldStages stages;
  auto window = OpenWindow(stages);
  FolderPage& page = window->Folder();
  Go(*window, *scratch_ / "in", *scratch_ / "out");
  stages.entered.acquire(); // inside the first file
  QVERIFY(!Find<QPushButton>(*window, "go").isEnabled());
  QVERIFY(!Find<QLineEdit>(*window, "source").isEnabled());

  QTest::mouseClick(&Find<QPushButton>(*window, "go"), Qt::LeftButton); // disabled: nothing
  page.Start(FolderPage::Trigger::User);
  QCOMPARE(messages_.size(), std::size_t{1});
  QCOMPARE(messages_[0].text, std::string("Please wait while running conversion stops"));
  page.Start(FolderPage::Trigger::Timer);
  QCOMPARE(messages_.size(), std::size_t{1});
  QVERIFY(Find<QLabel>(*window, "status").text().startsWith("Automatic conversion skipped"));

  QTest::mouseClick(&Find<QPushButton>(*window, "cancel"), Qt::LeftButton);
  QVERIFY(page.Running());
  QVERIFY(!Find<QPushButton>(*window, "go").isEnabled());
  QCOMPARE(Find<QLabel>(*window, "status").text(), QString("Stopping after the current file..."));
  stages.released.release();
  WaitForRunEnd(page);
  QVERIFY(Find<QPushButton>(*window, "go").isEnabled());
  QVERIFY(!Find<QPushButton>(*window, "cancel").isEnabled());
  auto& results = Find<QTableWidget>(*window, "results");
  QCOMPARE(results.rowCount(), 1);
  QCOMPARE(results.item(0, 2)->text(), QString("Converted!"));
  QCOMPARE(Find<QLabel>(*window, "status").text(), QString("Stopped. 1 FAX files converted"));
  QVERIFY(ReadFile(*scratch_ / "log/kvtlog.txt").find("2 files not converted") !=
          std::string::npos);
}

void WindowTest::closingDuringARunWaitsForTheFileThenSaves() {
  std::filesystem::create_directories(*scratch_ / "in");
  for (const char* name : {"in/1.tif", "in/2.tif"})
    WriteFile(*scratch_ / name, "II*");
  HeldStages stages;
  auto window = OpenWindow(stages);
  Go(*window, *scratch_ / "in", *scratch_ / "out");
  stages.entered.acquire();
  std::thread letGo([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stages.released.release();
  });
  QSignalSpy closed(window.get(), &MainDialog::Closed);
  window->close(); // the close box
  letGo.join();
  QCOMPARE(closed.count(), 1);
  QCOMPARE(closed.front().front().toInt(), kClosedWithCancel);
  QVERIFY(!window->Folder().Running());
  // The file under way was finished, the other one never started.
  QCOMPARE(Exists(*scratch_ / "out/1.tif.pdf") + Exists(*scratch_ / "out/2.tif.pdf"), 1);
  QCOMPARE(LoadMain(Config()).FaxDir, *scratch_ / "in");
}

void WindowTest::minimisingWithoutANotificationAreaKeepsTheWindow() {
  QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
  auto window = OpenWindow(RealStages());
  window->showMinimized();
  QTest::qWait(50);
  QVERIFY(window->isVisible());
  window->Open();
  QVERIFY(!window->isMinimized());
}

void WindowTest::helpOpensTheReadme() {
  HelpViewer viewer;
  QDesktopServices::setUrlHandler("file", &viewer, "Show");
  auto window = OpenWindow(RealStages());
  QTest::mouseClick(&Find<QPushButton>(*window, "help"), Qt::LeftButton);
  QVERIFY(viewer.opened.isEmpty()); // no document: nothing happens
  WriteFile(*scratch_ / "README.md", "# Tarvelo");
  QTest::mouseClick(&Find<QPushButton>(*window, "help"), Qt::LeftButton);
  QDesktopServices::unsetUrlHandler("file");
  QCOMPARE(viewer.opened.size(), 1);
  QCOMPARE(viewer.opened.front().toLocalFile(), QString::fromStdString(*scratch_ / "README.md"));
}

QTEST_MAIN(WindowTest)
#include "WindowTest.moc"
