#include "ProgramEntry.h"

#include <memory>

#include <QEventLoop>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>

#include "app/StartHandlers.h"
#include "app/WindowLook.h"
#include "app/WindowPictures.h"
#include "elements/Dispatch.h"

namespace {
const char* const kInfoSwitch = "/ih";
const char* const kInfoText = "Сделано в HiAsm.";
const char* const kInfoCaption = "HiAsm Info";
const char* const kAppName = "Tarvenmolix bootloader";
}  // namespace

void showInfoMessageBox(const std::string& text, const std::string& caption) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                  QString::fromStdString(text), QMessageBox::Ok, nullptr);
  box.exec();
}

int runEntry(const std::vector<std::string>& arguments, EntryOptions options) {
  const std::string first = arguments.empty() ? std::string() : arguments.front();
  if (first == kInfoSwitch) {
    (options.showInfoBox ? options.showInfoBox : showInfoMessageBox)(kInfoText, kInfoCaption);
    return 0;
  }

  auto unit = std::make_unique<TClassSimpleForm_24C8870>(options.window);
  if (options.built) options.built(*unit);

  QEventLoop loop;
  unit->mainWindow().whenClosed([&loop] { loop.quit(); });

  // The taskbar entry carries the window's caption and icon.
  QGuiApplication::setApplicationDisplayName(QString::fromLatin1(kAppName));
  QGuiApplication::setWindowIcon(asmaIcon());

  dispatch::setOn(true);
  startHandlers::runAll();

  QTimer runningHook;
  if (options.running) {
    runningHook.setSingleShot(true);
    QObject::connect(&runningHook, &QTimer::timeout, [&] { options.running(*unit); });
    runningHook.start(0);
  }
  if (!unit->mainWindow().closed()) loop.exec();

  // The loop may also end without a close (the application was told to quit): nothing that the
  // teardown sets off may reach another element either way.
  dispatch::setOn(false);
  unit.reset();
  return 0;
}
