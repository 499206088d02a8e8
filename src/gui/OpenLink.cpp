#include "OpenLink.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvane::gui {

LinkOpener::LinkOpener()
    : openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {}

void LinkOpener::Open(QWidget* parent, const QUrl& url, const UiTexts& texts) const {
    if (openUrl(url))
        return;
    QDialog box(parent);
    box.setObjectName("LinkFailedBox");
    box.setWindowTitle("Tolvane");
    auto* layout = new QVBoxLayout(&box);
    auto* text = new QLabel(texts("No program could open this address. Copy it into your "
                                  "browser or mail program:"),
                            &box);
    text->setObjectName("lblLinkFailed");
    text->setWordWrap(true);
    auto* address = new QLineEdit(url.toString(), &box);
    address->setObjectName("edLinkAddress");
    address->setReadOnly(true);
    address->setMinimumWidth(360);
    address->selectAll();
    text->setBuddy(address);
    auto* buttons = new QDialogButtonBox(&box);
    QPushButton* copy = buttons->addButton(texts("Copy"), QDialogButtonBox::ActionRole);
    copy->setObjectName("btnCopyLink");
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName("btnCloseLink");
    close->setDefault(true);
    QObject::connect(copy, &QPushButton::clicked, &box,
                     [url] { QApplication::clipboard()->setText(url.toString()); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    layout->addWidget(text);
    layout->addWidget(address);
    layout->addWidget(buttons);
    box.exec();
}

} // namespace tolvane::gui
