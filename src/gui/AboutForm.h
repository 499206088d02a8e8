// TAboutForm: the program's name and version, the vendor's web site and
// support address as links, and the legal notice.
#pragma once

#include "OpenLink.h"
#include "UiTexts.h"

#include "app/VendorConfig.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace tolvane::gui {

class LinkLabel;

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    TAboutForm(const UiTexts& texts, const app::VendorConfig& vendor, QWidget* parent = nullptr);

    // The vendor's web address and the support mail address as opened.
    // How the links are opened (a box with the address where nothing takes it).
    LinkOpener Links;
    QUrl WebsiteUrl() const;
    QUrl SupportUrl() const;

public slots:
    void FormShow();
    void Button1Click();
    void Label6Click();
    void Label7Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    const UiTexts& texts_;
    app::VendorConfig vendor_;
    QLabel* Image1_;
    QLabel* Label1_;
    QLabel* Label2_;
    QLabel* Label3_;
    QLabel* Label4_;
    QLabel* Label5_;
    LinkLabel* Label6_;
    LinkLabel* Label7_;
    QPushButton* Button1_;
};

// The program's logo, drawn from its SVG at `size` device-independent pixels.
QPixmap LogoPixmap(int size, qreal devicePixelRatio);

} // namespace tolvane::gui
