// Shared pieces of the window tests: a sandbox for the program's folders and
// settings, the answering of modal dialogs from a timer, and widget look-ups
// by objectName.
#pragma once

#include "support/EnvironmentGuard.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace tolvane::gui {
class TTolvaneForm;
}

// QStrings in the messages of failed checks.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tolvane::test {

// HOME, the settings and the working folder in a scratch folder, the
// interface language from `language` (LANGUAGE: "en_GB", "de_DE"), and the
// vendor's hosts on loopback addresses that answer at once.
class GuiSandbox {
public:
    explicit GuiSandbox(const char* language = "en_US");

    const TempFolder& Scratch() const { return scratch_; }
    std::string Home() const { return scratch_ / "home"; }
    // The working folder of the jobs (ends in "/").
    std::string WorkingFolder() const { return scratch_ / "data/Tolvane/"; }
    std::string SettingsFile() const { return scratch_ / "config/Tolvane/settings"; }
    // Stores settings as the program keeps them.
    void WriteSettings(bool signedUp, const std::string& partnerId, const std::string& softwareId,
                       int targetLanguage) const;

private:
    TempFolder scratch_;
    std::string home_, config_, data_;
    std::unique_ptr<EnvironmentGuard> env_;
};

// Answers the modal dialogs that open while it lives, one step each, in
// order. Each step gets the dialog; dialogs beyond the script are rejected
// and recorded as unexpected, so a test never hangs on a box.
class ModalScript {
public:
    using Step = std::function<void(QWidget* dialog)>;
    explicit ModalScript(std::vector<Step> steps);
    ~ModalScript();

    size_t StepsDone() const { return next_; }
    // Title and text of each dialog that no step was left for.
    const std::vector<QString>& Unexpected() const { return unexpected_; }

private:
    void Poll();

    std::vector<Step> steps_;
    size_t next_ = 0;
    std::vector<QString> unexpected_;
    std::vector<QPointer<QWidget>> answered_;
    QTimer timer_;
};

// Titles and texts of a dialog, for messages.
QString Describe(QWidget* dialog);

// The child named `name` of type T; fails the test when there is none.
template <typename T> T* Find(const QObject* parent, const char* name) {
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// Steps for the usual answers.
ModalScript::Step TypeAndAccept(const QString& text); // the password box
ModalScript::Step Reject();
// Records the box's text (and detailed text) and presses its default button.
ModalScript::Step ReadMessage(QString* text, QString* details = nullptr);

// Clicks the folder `path` in the main window's folder tree (the window
// shown), waiting for the tree to load the branches on the way.
void ClickFolder(gui::TTolvaneForm& form, const std::string& path);

// Saves the job's ZIP as `zipPath` through the main window's save dialog
// seam, recording the dialog's title and the name it proposed.
struct SaveDialogRecord {
    QString title;
    QString proposedName;
    QString directory;
    QString defaultSuffix;
    QStringList filters;
    bool confirmOverwrite = true;
    int shown = 0;
};
void AnswerSaveDialog(gui::TTolvaneForm& form, const std::string& zipPath,
                      SaveDialogRecord* record = nullptr);

// Waits up to `ms` for `condition` while the event loop runs.
bool WaitFor(const std::function<bool()>& condition, int ms = 20000);

} // namespace tolvane::test
