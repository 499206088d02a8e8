#include "ShellListModel.h"

#include <QApplication>
#include <QDateTime>
#include <QLocale>
#include <QPalette>

namespace tolvane::gui {

ShellListModel::ShellListModel(const UiTexts& texts, QObject* parent)
    : QFileSystemModel(parent), headers_{texts("Name"), texts("Size"), texts("Type"),
                                         texts("Modified")},
      folderType_(texts("Folder")), fileType_(texts("File")), extensionType_(texts("%1 file")) {
    setOptions(QFileSystemModel::DontUseCustomDirectoryIcons);
    setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

QVariant ShellListModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::ForegroundRole && index.isValid() && fileInfo(index).fileName().startsWith('.'))
        return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    // Sizes and times in the interface language's forms, as the window's
    // other counts.
    if (role == Qt::DisplayRole && index.column() == 1 && !isDir(index))
        return QLocale().formattedDataSize(size(index));
    if (role == Qt::DisplayRole && index.column() == 3)
        return QLocale().toString(lastModified(index), QLocale::ShortFormat);
    if (role == Qt::DisplayRole && index.column() == 2) {
        if (isDir(index))
            return folderType_;
        const QString suffix = fileInfo(index).suffix();
        // ".profile" is a name, not an extension.
        return suffix.isEmpty() || fileInfo(index).fileName().lastIndexOf('.') == 0
                   ? fileType_
                   : extensionType_.arg(suffix.toUpper());
    }
    return QFileSystemModel::data(index, role);
}

QVariant ShellListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QFileSystemModel::headerData(section, orientation, role);
    if (section >= 0 && section < headers_.size())
        return headers_[section];
    return QFileSystemModel::headerData(section, orientation, role);
}

} // namespace tolvane::gui
