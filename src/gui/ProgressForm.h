// TProgressForm: the two bars that follow the monetize job, and "Abort".
#pragma once

#include "UiTexts.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tolvane::gui {

class TProgressForm : public QDialog {
    Q_OBJECT
public:
    TProgressForm(const UiTexts& texts, QWidget* parent = nullptr);

    QProgressBar* ProgressBar1() const { return ProgressBar1_; }
    QProgressBar* ProgressBar2() const { return ProgressBar2_; }
    // Resets both bars and the file line, and makes "Abort" available again.
    void Reset();

public slots:
    // The entry being written, shown below the bars.
    void ShowFile(const QString& file);
    // The texts, at every showing.
    void FormShow();
    // "Abort": asks the main window to stop the job. The window stays until
    // the job has really ended.
    void Button1Click();

signals:
    void abortRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    const UiTexts& texts_;
    QLabel* Label1_;
    QLabel* Label2_;
    QProgressBar* ProgressBar1_;
    QLabel* Label3_;
    QProgressBar* ProgressBar2_;
    QLabel* lblFile_;
    QPushButton* Button1_;
};

} // namespace tolvane::gui
