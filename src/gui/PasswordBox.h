// The input box of the password prompt: one masked entry with a toggle that
// shows the typed characters, OK and Cancel.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace tolvane::gui {

class TPasswordBox : public QDialog {
    Q_OBJECT
public:
    // `showText` is the toggle's caption, already translated.
    TPasswordBox(const QString& caption, const QString& prompt, const QString& showText,
                 QWidget* parent = nullptr);

    QString Text() const;

private slots:
    void chkShowToggled(bool show);

private:
    QLabel* lblPrompt_;
    QLineEdit* edtPassword_;
    QCheckBox* chkShow_;
};

} // namespace tolvane::gui
