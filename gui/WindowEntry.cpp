// The window module's one entry point, loaded by quorren in windowed mode.
#include "app/WindowRequest.h"
#include "gui/Fields.h"
#include "gui/MainDialog.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {

void ShowInBox(const std::string& text, const std::string& caption, platform::MessageKind kind) {
  const QMessageBox::Icon icon = kind == platform::MessageKind::Error ? QMessageBox::Critical
                                 : kind == platform::MessageKind::Warning
                                     ? QMessageBox::Warning
                                     : QMessageBox::Information;
  QMessageBox box(icon, FromLocal(caption), FromLocal(platform::ToTerminalLineEnds(text)),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

} // namespace

extern "C" __attribute__((visibility("default"))) int
TarveloRunWindow(const WindowRequest* request) {
  static int argc = 1;
  static char name[] = "quorren";
  static char* argv[] = {name, nullptr};
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  platform::SetMessagePresenter(ShowInBox);
  platform::SetBeeper(QApplication::beep);

  SharedSettings settings(request->settings);
  const AppPaths& paths = request->paths;
  const WindowContext context{paths.executablePath,
                              paths.configurationPath,
                              request->logPath,
                              LogFolderToCreate(paths, request->logPath),
                              paths.engineOutputPath,
                              paths.copierOutputPath,
                              settings,
                              RealStages()};
  MainDialog dialog(context);
  QObject::connect(&dialog, &MainDialog::Closed, &application, &QApplication::exit);
  dialog.show();
  const int exitCode = QApplication::exec();
  platform::SetMessagePresenter({});
  platform::SetBeeper({});
  return exitCode;
}
