// A label drawn as a link (underlined, in the palette's link colour, with a
// hand cursor) that reports a click, also from the keyboard (Enter, Space),
// so that the links of the About and sign-up windows are reachable by Tab.
#pragma once

#include <QLabel>

namespace tolvane::gui {

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void UpdateStyle();
};

} // namespace tolvane::gui
