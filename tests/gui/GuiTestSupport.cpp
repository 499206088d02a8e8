#include "GuiTestSupport.h"

#include "gui/TolvaneForm.h"

#include "app/SettingsStore.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

namespace tolvane::test {

GuiSandbox::GuiSandbox(const char* language) {
    home_ = scratch_.MakeFolder("home");
    config_ = scratch_.MakeFolder("config");
    data_ = scratch_.MakeFolder("data");
    env_ = std::make_unique<EnvironmentGuard>(
        std::initializer_list<std::pair<const char*, const char*>>{
            {"HOME", home_.c_str()},
            {"XDG_CONFIG_HOME", config_.c_str()},
            {"XDG_DATA_HOME", data_.c_str()},
            // LANGUAGE decides; the rest names a locale every machine has.
            {"LANGUAGE", language},
            {"LC_ALL", nullptr},
            {"LC_MESSAGES", nullptr},
            {"LANG", "C.UTF-8"},
            {"TOLVANE_ARCHIVER_HOST", "dl.archiver.example"},
            {"TOLVANE_HOME_HOST", "www.tolvane.example"},
            {"TOLVANE_SUPPORT_EMAIL", "support@tolvane.example"},
            // Refused at once: a check that finds nothing without waiting.
            {"TOLVANE_UPDATE_HOST", "127.0.0.1:9"},
            {"TOLVANE_SMTP_HOST", "127.0.0.1"},
            {"TOLVANE_SMTP_PORT", "9"},
        });
}

void GuiSandbox::WriteSettings(bool signedUp, const std::string& partnerId,
                               const std::string& softwareId, int targetLanguage) const {
    const app::Settings settings{signedUp, partnerId, softwareId, targetLanguage};
    const platform::Expected<void> saved =
        app::SettingsStore(app::SettingsStore::DefaultPath()).Save(settings);
    ASSERT_TRUE(saved) << platform::TextWithCause(saved.Error());
}

ModalScript::ModalScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start(15);
}

ModalScript::~ModalScript() {
    timer_.stop();
    for (QPointer<QWidget>& seen : answered_) {
        if (seen)
            seen->setProperty("answered", false);
    }
}

QString Describe(QWidget* dialog) {
    QString text = dialog->windowTitle();
    if (auto* box = qobject_cast<QMessageBox*>(dialog))
        text += ": " + box->text();
    return text;
}

void ModalScript::Poll() {
    // A dialog shown again (the same window object) is a new question.
    for (QPointer<QWidget>& seen : answered_) {
        if (seen && !seen->isVisible())
            seen->setProperty("answered", false);
    }
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog || dialog->property("answered").toBool() || !dialog->isVisible())
        return;
    dialog->setProperty("answered", true);
    QPointer<QWidget> guard(dialog);
    answered_.push_back(guard);
    if (next_ >= steps_.size()) {
        unexpected_.push_back(Describe(dialog));
        if (auto* d = qobject_cast<QDialog*>(dialog))
            d->reject();
        return;
    }
    Step step = steps_[next_++];
    // Answered from the dialog's own event loop, not from inside this poll.
    QTimer::singleShot(0, dialog, [guard, step] {
        if (guard)
            step(guard);
    });
}

ModalScript::Step TypeAndAccept(const QString& text) {
    return [text](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>("edtPassword");
        ASSERT_NE(edit, nullptr) << Describe(dialog).toStdString();
        EXPECT_EQ(edit->echoMode(), QLineEdit::Password); // masked until "show" is ticked
        edit->setText(text);
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    };
}

ModalScript::Step Reject() {
    return [](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); };
}

ModalScript::Step ReadMessage(QString* text, QString* details) {
    return [text, details](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr) << Describe(dialog).toStdString();
        if (text)
            *text = box->text();
        if (details)
            *details = box->detailedText();
        box->done(QMessageBox::Ok);
    };
}

void ClickFolder(gui::TTolvaneForm& form, const std::string& path) {
    auto* tree = Find<QTreeView>(&form, "ShellTreeView1");
    ASSERT_NE(tree, nullptr);
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    const QModelIndex index = model->index(QString::fromStdString(path));
    ASSERT_TRUE(index.isValid()) << path;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        tree->expand(up);
    ASSERT_TRUE(WaitFor([&] {
        tree->scrollTo(index);
        return tree->visualRect(index).isValid() &&
               tree->viewport()->rect().contains(tree->visualRect(index).center());
    })) << path;
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(index).center());
}

void AnswerSaveDialog(gui::TTolvaneForm& form, const std::string& zipPath,
                      SaveDialogRecord* record) {
    const QString path = QString::fromStdString(zipPath);
    form.RunSaveDialog = [path, record](QFileDialog& dialog) {
        if (record) {
            record->title = dialog.windowTitle();
            record->proposedName = dialog.selectedFiles().value(0).section('/', -1);
            record->directory = dialog.directory().absolutePath();
            record->defaultSuffix = dialog.defaultSuffix();
            record->filters = dialog.nameFilters();
            record->confirmOverwrite = !dialog.testOption(QFileDialog::DontConfirmOverwrite);
            ++record->shown;
        }
        if (path.isEmpty())
            return false;
        dialog.selectFile(path);
        return true;
    };
}

bool WaitFor(const std::function<bool()>& condition, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(10);
    }
    return true;
}

} // namespace tolvane::test
