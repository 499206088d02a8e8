// Icons for the folder tree and the file list by kind only (folder, file,
// link), never by content: the default provider asks the MIME database and
// the icon theme for every entry, which stalls the GUI thread on folders of
// many thousands of entries.
#pragma once

#include <QAbstractFileIconProvider>
#include <QIcon>

namespace tolvane::gui {

class FolderIconProvider : public QAbstractFileIconProvider {
public:
    FolderIconProvider();

    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;

private:
    QIcon folder_;
    QIcon file_;
    QIcon drive_;
};

} // namespace tolvane::gui
