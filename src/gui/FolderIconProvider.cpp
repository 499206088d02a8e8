#include "FolderIconProvider.h"

#include <QApplication>
#include <QFileInfo>
#include <QStyle>

namespace tolvane::gui {

FolderIconProvider::FolderIconProvider()
    : folder_(QApplication::style()->standardIcon(QStyle::SP_DirIcon)),
      file_(QApplication::style()->standardIcon(QStyle::SP_FileIcon)),
      drive_(QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon)) {}

QIcon FolderIconProvider::icon(IconType type) const {
    switch (type) {
    case Computer:
    case Drive:
    case Network:
        return drive_;
    case Desktop:
    case Trashcan:
    case Folder:
        return folder_;
    case File:
        return file_;
    }
    return file_;
}

QIcon FolderIconProvider::icon(const QFileInfo& info) const {
    if (info.isRoot())
        return drive_;
    return info.isDir() ? folder_ : file_;
}

QString FolderIconProvider::type(const QFileInfo& info) const {
    // The model's "Type" column is never shown; an empty text spares the lookup.
    return info.isDir() ? QStringLiteral("Folder") : QString();
}

} // namespace tolvane::gui
