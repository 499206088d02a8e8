#include "ResultForm.h"

#include "RevealInFileManager.h"

#include "app/ReportText.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace tolvane::gui {

namespace {

QString Size(uint64_t bytes) {
    return QLocale().formattedDataSize(static_cast<qint64>(bytes));
}

QLabel* ValueLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}

} // namespace

QString ReportLines(const std::vector<app::JobReport>& reports) {
    QStringList lines;
    for (const app::JobReport& entry : reports)
        lines << FromCore(app::ReportLine(entry.report));
    return lines.join('\n');
}

TResultForm::TResultForm(const UiTexts& texts, QWidget* parent)
    : QDialog(parent), ShowInFolder([](const QString& path) { RevealInFileManager(path); }),
      texts_(texts) {
    setObjectName("ResultForm");
    setWindowTitle("Tolvane");
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setMinimumWidth(520);

    auto* layout = new QVBoxLayout(this);
    lblHeading_ = new QLabel(this);
    lblHeading_->setObjectName("lblHeading");
    QFont bold = lblHeading_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    lblHeading_->setFont(bold);
    layout->addWidget(lblHeading_);

    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(12);
    const char* captions[] = {
        "Archive:", "Entries:", "Files packed:", "Password:", "Referral link:"};
    QLabel** values[] = {&lblZip_, &lblEntries_, &lblFiles_, &lblPassword_, &lblLink_};
    const char* names[] = {"lblZip", "lblEntries", "lblFiles", "lblPassword", "lblLink"};
    for (int row = 0; row < 5; ++row) {
        auto* caption = new QLabel(texts_(captions[row]), this);
        caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        *values[row] = ValueLabel(names[row], this);
        caption->setBuddy(*values[row]);
        grid->addWidget(caption, row, 0);
        grid->addWidget(*values[row], row, 1);
    }
    layout->addLayout(grid);

    lblWarnings_ = ValueLabel("lblWarnings", this);
    btnDetails_ = new QToolButton(this);
    btnDetails_->setObjectName("btnDetails");
    btnDetails_->setText(texts_("Details"));
    btnDetails_->setCheckable(true);
    btnDetails_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnDetails_->setArrowType(Qt::RightArrow);
    txtReports_ = new QPlainTextEdit(this);
    txtReports_->setObjectName("txtReports");
    txtReports_->setReadOnly(true);
    txtReports_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtReports_->setVisible(false);
    auto* warnings = new QHBoxLayout;
    warnings->addWidget(lblWarnings_, 1);
    warnings->addWidget(btnDetails_, 0, Qt::AlignTop);
    layout->addLayout(warnings);
    layout->addWidget(txtReports_, 1);
    connect(btnDetails_, &QToolButton::toggled, this, [this](bool open) {
        txtReports_->setVisible(open);
        btnDetails_->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
        adjustSize();
    });

    auto* buttons = new QDialogButtonBox(this);
    btnShowInFolder_ = buttons->addButton(texts_("Show in folder"), QDialogButtonBox::ActionRole);
    btnShowInFolder_->setObjectName("btnShowInFolder");
    btnClose_ = buttons->addButton(texts_("Close"), QDialogButtonBox::RejectRole);
    btnClose_->setObjectName("btnCloseResult");
    btnClose_->setDefault(true);
    connect(btnShowInFolder_, &QPushButton::clicked, this, &TResultForm::btnShowInFolderClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void TResultForm::SetResult(const app::JobResult& result) {
    zipPath_ = FromCore(result.zipPath);
    const bool clean = result.outcome == app::JobResult::Outcome::Done;
    lblHeading_->setText(clean ? texts_("The archive is ready.")
                               : texts_("The archive is ready, with warnings."));
    const QFileInfo zip(zipPath_);
    lblZip_->setText(zipPath_ + "\n" + Size(static_cast<uint64_t>(zip.size())));
    QStringList entries;
    bool protectedZip = !result.zipEntries.empty();
    for (const app::JobZipEntry& entry : result.zipEntries) {
        entries << FromCore(entry.name) + "  (" + Size(entry.size) + ")";
        protectedZip = protectedZip && (entry.encrypted || entry.size == 0);
    }
    lblEntries_->setText(entries.join('\n'));
    lblFiles_->setText(texts_.TranslateCount("%1 file", "%1 files", result.filesPacked) + ", " +
                       texts_("%1 in all", Size(static_cast<uint64_t>(result.bytesPacked))));
    lblPassword_->setText(protectedZip ? texts_("Protected with a password")
                                       : texts_("Not protected"));
    lblLink_->setText(FromCore(result.url));

    QStringList warnings;
    if (result.filesLeftOut > 0)
        warnings << texts_.TranslateCount("%1 file was left out of the archive.",
                                          "%1 files were left out of the archive.",
                                          result.filesLeftOut);
    else if (!clean)
        warnings << texts_("Some files changed while they were packed.");
    if (!clean)
        warnings << MessageText(result.message);
    lblWarnings_->setText(warnings.join('\n'));
    lblWarnings_->setVisible(!warnings.isEmpty());
    txtReports_->setPlainText(ReportLines(result.reports));
    btnDetails_->setVisible(!result.reports.empty());
    btnDetails_->setChecked(false);
    btnClose_->setFocus();
    adjustSize();
}

void TResultForm::btnShowInFolderClick() {
    if (ShowInFolder)
        ShowInFolder(zipPath_);
}

} // namespace tolvane::gui
