// The file list's model: the selected folder's entries in four columns
// (Name, Size, Type, Modified), sizes in the interface language's units, and
// dot-files and dot-folders greyed: they are packed, but hidden elsewhere.
#pragma once

#include "UiTexts.h"

#include <QFileSystemModel>

namespace tolvane::gui {

class ShellListModel : public QFileSystemModel {
    Q_OBJECT
public:
    // The column names are taken now: the model may outlive the texts while
    // its window is taken down.
    ShellListModel(const UiTexts& texts, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList headers_;
    // "Folder", "File", "%1 file": a type by the name's extension, as cheap
    // as the icons (the MIME database would stall on large folders).
    QString folderType_, fileType_, extensionType_;
};

} // namespace tolvane::gui
