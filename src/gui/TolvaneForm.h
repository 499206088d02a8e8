// TTolvaneForm: the main window. The folder tree and its file list, the
// password, and "Monetize!", which runs the job on a worker thread while the
// progress window follows it; also the start-up sequence (FormCreate,
// FormShow) that the program runs through this window.
#pragma once

#include "FolderIconProvider.h"
#include "OpenLink.h"
#include "StartUpSteps.h"
#include "UiTexts.h"

#include "app/FolderTally.h"
#include "app/MonetizeJob.h"
#include "app/StartUp.h"
#include "ui/TolvaneFormLogic.h"

#include <QFileDialog>
#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QFileDialog;
class QFileSystemModel;
class QLabel;
class QListWidget;
class QMenu;
class QModelIndex;
class QPushButton;
class QSplitter;
class QTreeView;

namespace tolvane::gui {

class FolderCounter;
class MonetizeWorker;
class ShellListModel;
class TAboutForm;
class TResultForm;
class TProgressForm;
class TWelcomeForm;
class Tupdaterform;

class TTolvaneForm : public QMainWindow, private ui::TolvaneFormView {
    Q_OBJECT
public:
    // `arguments`: the program's command-line arguments (without its name).
    explicit TTolvaneForm(QStringList arguments, QWidget* parent = nullptr);
    // Stops and waits for a running job.
    ~TTolvaneForm() override;

    // Runs the save dialog; true when a file was chosen. Tests and the
    // benchmark answer it here; by default the dialog is shown modally.
    std::function<bool(QFileDialog&)> RunSaveDialog;

    // The steps of the start-up sequence; the sign-up and update windows by
    // default. Not owned.
    void SetUpdateCheckStep(UpdateCheckStep* step) { updateCheck_ = step; }
    void SetSignUpStep(SignUpStep* step) { signUp_ = step; }

    app::ProgramState& State() { return started_.state; }
    const app::StartUpResult& StartUpState() const { return started_; }
    const UiTexts& Texts() const { return texts_; }
    const app::VendorConfig& Vendor() const { return vendor_; }
    TProgressForm* ProgressForm() const { return progressForm_; }
    TAboutForm* AboutForm() const { return aboutForm_; }
    TWelcomeForm* WelcomeForm() const { return welcomeForm_; }
    Tupdaterform* updaterform() const { return updaterForm_; }
    TResultForm* ResultForm() const { return resultForm_; }
    // How the Help menu's links are opened (tests replace the desktop's part).
    LinkOpener& Links() { return links_; }
    bool JobRunning() const;
    // The vendor's home page, as the Help menu opens it.
    QUrl HomePageUrl() const;

public slots:
    // Start-up after the windows exist: update check, captions, then the
    // command-line job or the sign-up check; shows the window unless the
    // program ends. Runs once.
    void FormShow();

    void btnOKClick();
    // The folder tree's current folder becomes the selected one, however it
    // became current (click, keys, typing a name).
    void ShellTreeView1Click(const QModelIndex& index);
    void btnPasswordClick();
    void BitBtn1Click();
    void HomePage1Click();
    void About1Click();
    void Exit1Click();
    void btnCloseClick();
    void btnAddClick();
    void btnRemoveClick();
    void Clearlist1Click();
    // The writers' progress (per cent of the file, of the archive).
    void BhWriter1Progress(int byFile, int byArchive);
    void Zip1Progress(int byFile, int byArchive);

signals:
    // The program is to end (the command-line job is done, the sign-up
    // window was left without IDs, an installer was started, the window closed).
    void programEnded();
    // A job's closing steps and its report are done.
    void jobEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void OnJobProgress(int stage, int byArchive, const QString& file, qint64 done, qint64 total);
    void OnJobFinished();
    void OnFolderCounted(const QString& folder, std::optional<app::FolderTally> tally);

private:
    void FormCreate();
    void BuildMenus();
    void BuildClient();
    void SetUpFolderTree();
    void SetUpFileList();
    // Until the user acts, keeps the start folder at the top of the tree's
    // view while the branches above it load.
    void PlaceStartFolder();
    // The save dialog, made on first use and kept: a file dialog saves its
    // state when destroyed, syncing it to the disk, and just as a job starts
    // writing that waited on the GUI thread for all the data not yet written.
    QFileDialog& SaveDialog();
    // The parent of the boxes: this window once it is on screen.
    QWidget* BoxParent();

    // What the logic asks of this window.
    void SetCaption(ui::MainControl control, const std::string& caption) override;
    void SetEnabled(ui::MainControl control, bool enabled) override;
    void SetVisible(ui::MainControl control, bool visible) override;
    void ShowSelectedFolder(const std::string& folder, const std::string& line) override;
    void ShowPasswordState(bool set, const std::string& caption,
                           const std::string& description) override;
    std::optional<std::string> ChooseSavePath(const ui::SaveRequest& request) override;
    ui::ReplaceAnswer AskReplaceOrAdd(const ui::ReplaceQuestion& question) override;
    std::optional<std::string> AskPassword(const ui::PasswordPrompt& prompt) override;
    void ShowMessage(const ui::Message& message) override;
    void StartJob(const ui::ProgressTexts& texts, ui::JobBody job) override;
    void StopJob() override;
    void HideProgress() override;
    void ShowResult(const app::JobResult& result) override;
    void ShowFailure(const app::JobResult& result) override;
    void JobEnded() override;
    bool RunUpdateCheck() override;
    int32_t ShowSignUp(ui::SignUpPage page) override;
    void FillIds(const std::string& partnerId, const std::string& softwareId) override;
    void ShowWindow() override;
    void EndProgram() override;
    QWidget* ControlWidget(ui::MainControl control) const;
    QAction* ControlAction(ui::MainControl control) const;

    QStringList arguments_;
    app::VendorConfig vendor_;
    app::StartUpResult started_;
    UiTexts texts_;
    UpdateCheckStep* updateCheck_ = nullptr;
    SignUpStep* signUp_ = nullptr;
    FolderIconProvider icons_;

    QMenu* File1_ = nullptr;
    QMenu* Edit1_ = nullptr;
    QMenu* Settings1_ = nullptr;
    QMenu* Help1_ = nullptr;
    QAction* Monetize1_ = nullptr;
    QAction* Exit1_ = nullptr;
    QAction* Addselectedtolist1_ = nullptr;
    QAction* Removefromlist1_ = nullptr;
    QAction* Clearlist1_ = nullptr;
    QAction* SetPassword1_ = nullptr;
    QAction* Configure1_ = nullptr;
    QAction* HomePage1_ = nullptr;
    QAction* VideoTutorial1_ = nullptr;
    QAction* About1_ = nullptr;

    QLabel* Panel1_ = nullptr;
    QWidget* Panel6_ = nullptr;
    QPushButton* btnAdd_ = nullptr;
    QPushButton* btnRemove_ = nullptr;
    QWidget* Panel7_ = nullptr;
    QSplitter* Splitter1_ = nullptr;
    QTreeView* ShellTreeView1_ = nullptr;
    QTreeView* ShellListView1_ = nullptr;
    QLabel* lblFolderTally_ = nullptr;
    QFileSystemModel* treeModel_ = nullptr;
    ShellListModel* listModel_ = nullptr;
    FolderCounter* counter_ = nullptr;
    // The folder the tree opens on (the last one monetized, or home), and
    // whether the user has moved in the tree since.
    QString startFolder_;
    bool userMoved_ = false;
    QWidget* Panel5_ = nullptr;
    QListWidget* lstFileSpec_ = nullptr;
    QLabel* StaticText2_ = nullptr;
    QWidget* Panel10_ = nullptr;
    QPushButton* btnPassword_ = nullptr;
    QPushButton* BitBtn1_ = nullptr;
    QPushButton* btnOK_ = nullptr;
    QPushButton* btnClose_ = nullptr;

    TProgressForm* progressForm_ = nullptr;
    TAboutForm* aboutForm_ = nullptr;
    TWelcomeForm* welcomeForm_ = nullptr;
    Tupdaterform* updaterForm_ = nullptr;
    TResultForm* resultForm_ = nullptr;
    std::unique_ptr<QFileDialog> saveDialog_;
    LinkOpener links_;

    MonetizeWorker* worker_ = nullptr;
    // Made once the start-up state exists (FormCreate).
    std::unique_ptr<ui::TolvaneFormLogic> logic_;
};

} // namespace tolvane::gui
