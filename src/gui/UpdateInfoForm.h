// TUpdateInfoForm: the update component's own window, which shows the
// product's page before a download. Without a web engine it shows the page's
// address as text. This program switches it off, but the component can use it.
#pragma once

#include "update/UpdateInfoWindow.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tolvane::gui {

class TUpdateInfoForm : public QDialog, public update::UpdateInfoWindow {
    Q_OBJECT
public:
    explicit TUpdateInfoForm(QWidget* parent = nullptr);

    // GUI thread only.
    bool ShowModal(const update::TUpdateInfoCaption& captions, const std::string& address,
                   bool& checkForUpdate) override;

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
