#include "PasswordBox.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tolvane::gui {

TPasswordBox::TPasswordBox(const QString& caption, const QString& prompt, const QString& showText,
                           QWidget* parent)
    : QDialog(parent), lblPrompt_(new QLabel(prompt, this)), edtPassword_(new QLineEdit(this)),
      chkShow_(new QCheckBox(showText, this)) {
    setObjectName("PasswordBox");
    setWindowTitle(caption);
    lblPrompt_->setObjectName("lblPrompt");
    lblPrompt_->setBuddy(edtPassword_);
    edtPassword_->setObjectName("edtPassword");
    edtPassword_->setEchoMode(QLineEdit::Password);
    edtPassword_->setAccessibleName(prompt);
    edtPassword_->setMinimumWidth(260);
    chkShow_->setObjectName("chkShow");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(chkShow_, &QCheckBox::toggled, this, &TPasswordBox::chkShowToggled);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblPrompt_);
    layout->addWidget(edtPassword_);
    layout->addWidget(chkShow_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TPasswordBox::Text() const {
    return edtPassword_->text();
}

void TPasswordBox::chkShowToggled(bool show) {
    edtPassword_->setEchoMode(show ? QLineEdit::Normal : QLineEdit::Password);
}

} // namespace tolvane::gui
