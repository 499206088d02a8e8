// TUpdateInfoForm: the update component's own window, which shows the
// product's page before a download. Without a web engine it shows the page's
// address as text. This program shows no page before a download; a host
// that does asks it between the offer and the download.
#pragma once

#include "update/UpdateInfoCaption.h"

#include <string>

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tolvane::gui {

class TUpdateInfoForm : public QDialog {
    Q_OBJECT
public:
    explicit TUpdateInfoForm(QWidget* parent = nullptr);

    // Shows `address` modally with the given captions and the check box set
    // to `checkForUpdate`, which receives the box's state on return. True when
    // the window was closed with OK. GUI thread only.
    bool ShowModal(const update::TUpdateInfoCaption& captions, const std::string& address,
                   bool& checkForUpdate);

public slots:
    // Keeps the two buttons centred as a pair, 3 pixels apart.
    void Panel_BottomResize();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* Panel1_;
    QLabel* WebBrowser_;
    QWidget* Panel2_;
    QCheckBox* chk_FutureUpdate_;
    QWidget* Panel_Bottom_;
    QPushButton* btn_OK_;
    QPushButton* btn_Cancel_;
};

} // namespace tolvane::gui
