#include "RevealInFileManager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace tolvane::gui {

bool RevealInFileManager(const QString& path) {
    const QString service = "org.freedesktop.FileManager1";
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The service is often started on demand: call it rather than ask first.
    if (bus.isConnected()) {
        QDBusMessage call = QDBusMessage::createMethodCall(service, "/org/freedesktop/FileManager1",
                                                           service, "ShowItems");
        call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
        // A short wait: a file manager that hangs must not hold up the window.
        if (bus.call(call, QDBus::Block, 3000).type() == QDBusMessage::ReplyMessage)
            return true;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

} // namespace tolvane::gui
