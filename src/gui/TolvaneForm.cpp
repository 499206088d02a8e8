#include "TolvaneForm.h"

#include "AboutForm.h"
#include "FolderCounter.h"
#include "MonetizeWorker.h"
#include "PasswordBox.h"
#include "ProgressForm.h"
#include "ResultForm.h"
#include "ShellListModel.h"
#include "UpdaterForm.h"
#include "WelcomeForm.h"

#include "app/JobFolder.h"
#include "app/OutputFolder.h"
#include "app/SettingsStore.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include <iostream>
#include <sstream>

namespace tolvane::gui {

namespace {

const QSize kWindowSize(769, 516);
constexpr int kTreeWidth = 336;
constexpr const char* kProtected = "PROTECTED";

} // namespace

TTolvaneForm::TTolvaneForm(QStringList arguments, QWidget* parent)
    : QMainWindow(parent), arguments_(std::move(arguments)),
      vendor_(app::VendorConfig::FromEnvironment()), texts_(started_.texts, 0) {
    setObjectName("TolvaneForm");
    RunSaveDialog = [](QFileDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
    FormCreate();
    BuildMenus();
    BuildClient();
    setWindowTitle("Tolvane");
    setWindowIcon(QIcon(LogoPixmap(64, 1.0)));
    resize(kWindowSize);

    // The other windows, in the order the program makes them.
    progressForm_ = new TProgressForm(texts_, this);
    aboutForm_ = new TAboutForm(texts_, vendor_, this);
    welcomeForm_ = new TWelcomeForm(State(), started_.texts, texts_, vendor_, this);
    updaterForm_ = new Tupdaterform(texts_, vendor_, this);
    resultForm_ = new TResultForm(texts_, this);
    signUp_ = welcomeForm_;
    updateCheck_ = updaterForm_;
    worker_ = new MonetizeWorker(vendor_, this);
    connect(worker_, &MonetizeWorker::progressed, this, &TTolvaneForm::OnJobProgress);
    connect(worker_, &MonetizeWorker::finished, this, &TTolvaneForm::OnJobFinished);
    connect(progressForm_, &TProgressForm::abortRequested, worker_, &MonetizeWorker::RequestStop);
}

TTolvaneForm::~TTolvaneForm() {
    // The job reads the state's copy and the vendor's settings until it
    // ends: its runner stops and waits for it.
    delete worker_;
    // The windows that keep working on their own threads read the state and
    // the texts: they go before this window's members do.
    delete updaterForm_;
    delete welcomeForm_;
}

void TTolvaneForm::FormCreate() {
    // Interface language, transl.dat, working folder emptied, the folder menus'
    // "Monetize..." entry for this program, the settings.
    std::ostringstream warnings;
    started_ = app::StartUp(ToCore(QCoreApplication::applicationFilePath()), warnings);
    texts_ = UiTexts(started_.texts, started_.state.UILanguage);
    if (!warnings.str().empty())
        std::cerr << "tolvane: " << warnings.str();
    InstallQtTranslations(started_.state.UILanguage);
    // The store names the file and what is wrong with it (for the job's
    // report); the box tells the user whom to ask.
    if (!started_.settingsProblem.empty())
        QMessageBox::warning(
            nullptr, "Tolvane",
            MessageText("Could not read data from Registry.\r\nPlease contact us at " +
                        vendor_.supportEmail));
}

bool TTolvaneForm::JobRunning() const {
    return worker_->Running();
}

QUrl TTolvaneForm::HomePageUrl() const {
    return QUrl(FromCore("http://" + vendor_.homeHost));
}

void TTolvaneForm::BuildMenus() {
    auto action = [this](QMenu* menu, const char* name, const QString& text, auto slot) {
        QAction* a = menu->addAction(text);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    File1_ = menuBar()->addMenu("File");
    File1_->setObjectName("File1");
    Monetize1_ = action(File1_, "Monetize1", "Monetize", &TTolvaneForm::btnOKClick);
    File1_->addSeparator();
    Exit1_ = action(File1_, "Exit1", "Exit", &TTolvaneForm::Exit1Click);

    Edit1_ = menuBar()->addMenu("&Edit");
    Edit1_->setObjectName("Edit1");
    Addselectedtolist1_ =
        action(Edit1_, "Addselectedtolist1", "Add selected to list", &TTolvaneForm::btnAddClick);
    Removefromlist1_ =
        action(Edit1_, "Removefromlist1", "Remove from list", &TTolvaneForm::btnRemoveClick);
    Clearlist1_ = action(Edit1_, "Clearlist1", "Clear list", &TTolvaneForm::Clearlist1Click);
    Edit1_->menuAction()->setVisible(false);

    Settings1_ = menuBar()->addMenu("Settings");
    Settings1_->setObjectName("Settings1");
    SetPassword1_ =
        action(Settings1_, "SetPassword1", "Set Password...", &TTolvaneForm::btnPasswordClick);
    Configure1_ = action(Settings1_, "Configure1", "Configure...", &TTolvaneForm::BitBtn1Click);

    Help1_ = menuBar()->addMenu("Help");
    Help1_->setObjectName("Help1");
    HomePage1_ = action(Help1_, "HomePage1", "Home Page", &TTolvaneForm::HomePage1Click);
    VideoTutorial1_ =
        action(Help1_, "VideoTutorial1", "Video Tutorial", &TTolvaneForm::HomePage1Click);
    Help1_->addSeparator();
    About1_ = action(Help1_, "About1", "About...", &TTolvaneForm::About1Click);
}

void TTolvaneForm::BuildClient() {
    auto* client = new QWidget(this);
    client->setObjectName("client");
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel1_ = new QLabel(
        "Select a folder in the tree. On the right list you will see the files ready for "
        "monetization.",
        client);
    Panel1_->setObjectName("Panel1");
    Panel1_->setTextFormat(Qt::PlainText);
    Panel1_->setWordWrap(true);
    Panel1_->setMinimumHeight(34);
    Panel1_->setContentsMargins(8, 4, 8, 4);
    Panel1_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(Panel1_);

    // The drop list's tool band, present but never shown.
    Panel6_ = new QWidget(client);
    Panel6_->setObjectName("Panel6");
    auto* tools = new QHBoxLayout(Panel6_);
    btnAdd_ = new QPushButton("Add", Panel6_);
    btnAdd_->setObjectName("btnAdd");
    btnAdd_->setToolTip("Select files...");
    btnRemove_ = new QPushButton("Remove", Panel6_);
    btnRemove_->setObjectName("btnRemove");
    tools->addWidget(btnAdd_);
    tools->addWidget(btnRemove_);
    tools->addStretch(1);
    connect(btnAdd_, &QPushButton::clicked, this, &TTolvaneForm::btnAddClick);
    connect(btnRemove_, &QPushButton::clicked, this, &TTolvaneForm::btnRemoveClick);
    Panel6_->setVisible(false);
    layout->addWidget(Panel6_);

    Panel7_ = new QWidget(client);
    Panel7_->setObjectName("Panel7");
    auto* views = new QVBoxLayout(Panel7_);
    views->setContentsMargins(4, 0, 4, 0);
    Splitter1_ = new QSplitter(Qt::Horizontal, Panel7_);
    Splitter1_->setObjectName("Splitter1");
    ShellTreeView1_ = new QTreeView(Splitter1_);
    ShellTreeView1_->setObjectName("ShellTreeView1");
    ShellTreeView1_->setAccessibleName("Folders");
    // The file list with the line of what the job will take under it.
    auto* listPane = new QWidget(Splitter1_);
    listPane->setObjectName("listPane");
    auto* listLayout = new QVBoxLayout(listPane);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(2);
    ShellListView1_ = new QTreeView(listPane);
    ShellListView1_->setObjectName("ShellListView1");
    ShellListView1_->setAccessibleName("Files of the selected folder");
    lblFolderTally_ = new QLabel(listPane);
    lblFolderTally_->setObjectName("lblFolderTally");
    lblFolderTally_->setTextFormat(Qt::PlainText);
    lblFolderTally_->setContentsMargins(4, 0, 4, 0);
    listLayout->addWidget(ShellListView1_, 1);
    listLayout->addWidget(lblFolderTally_);
    Splitter1_->addWidget(ShellTreeView1_);
    Splitter1_->addWidget(listPane);
    Splitter1_->setStretchFactor(1, 1);
    Splitter1_->setSizes({kTreeWidth, kWindowSize.width() - kTreeWidth});
    views->addWidget(Splitter1_);
    layout->addWidget(Panel7_, 1);
    SetUpFolderTree();
    SetUpFileList();

    // The drop list, behind the views and never shown.
    Panel5_ = new QWidget(client);
    Panel5_->setObjectName("Panel5");
    auto* drop = new QVBoxLayout(Panel5_);
    lstFileSpec_ = new QListWidget(Panel5_);
    lstFileSpec_->setObjectName("lstFileSpec");
    lstFileSpec_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    StaticText2_ = new QLabel("Drag & Drop selected files and folders here", Panel5_);
    StaticText2_->setObjectName("StaticText2");
    StaticText2_->setVisible(false);
    drop->addWidget(lstFileSpec_);
    drop->addWidget(StaticText2_);
    Panel5_->setVisible(false);
    layout->addWidget(Panel5_);

    Panel10_ = new QWidget(client);
    Panel10_->setObjectName("Panel10");
    Panel10_->setMinimumHeight(43);
    auto* buttons = new QHBoxLayout(Panel10_);
    buttons->setContentsMargins(8, 6, 8, 6);
    auto button = [this](const char* name, const QString& text, auto slot) {
        auto* b = new QPushButton(text, Panel10_);
        b->setObjectName(name);
        // Enter presses the button that has the focus.
        b->setAutoDefault(true);
        b->setMinimumWidth(100);
        connect(b, &QPushButton::clicked, this, slot);
        return b;
    };
    btnPassword_ = button("btnPassword", "Password...", &TTolvaneForm::btnPasswordClick);
    BitBtn1_ = button("BitBtn1", "Configure...", &TTolvaneForm::BitBtn1Click);
    btnOK_ = button("btnOK", "Monetize!", &TTolvaneForm::btnOKClick);
    btnClose_ = button("btnClose", "Close", &TTolvaneForm::btnCloseClick);
    btnOK_->setEnabled(false);
    QFont bold = btnOK_->font();
    bold.setBold(true);
    btnOK_->setFont(bold);
    buttons->addWidget(btnPassword_);
    buttons->addWidget(BitBtn1_);
    buttons->addStretch(1);
    buttons->addWidget(btnOK_);
    buttons->addWidget(btnClose_);
    layout->addWidget(Panel10_);
    setCentralWidget(client);

    // Tab order: the tree, then the buttons left to right (the list takes no input).
    setTabOrder(ShellTreeView1_, btnPassword_);
    setTabOrder(btnPassword_, BitBtn1_);
    setTabOrder(BitBtn1_, btnOK_);
    setTabOrder(btnOK_, btnClose_);
    // The window's cancel button.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &TTolvaneForm::btnCloseClick);
}

void TTolvaneForm::SetUpFolderTree() {
    // Folders only, rooted at the file system, no automatic refresh; loaded
    // lazily as branches open, with icons by kind only.
    treeModel_ = new QFileSystemModel(this);
    treeModel_->setObjectName("treeModel");
    treeModel_->setIconProvider(&icons_);
    treeModel_->setOptions(QFileSystemModel::DontWatchForChanges |
                           QFileSystemModel::DontUseCustomDirectoryIcons);
    treeModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    treeModel_->setRootPath(QDir::rootPath());
    ShellTreeView1_->setModel(treeModel_);
    for (int column = 1; column < treeModel_->columnCount(); ++column)
        ShellTreeView1_->hideColumn(column);
    ShellTreeView1_->setHeaderHidden(true);
    ShellTreeView1_->setUniformRowHeights(true);
    ShellTreeView1_->setSelectionMode(QAbstractItemView::SingleSelection);
    ShellTreeView1_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    ShellTreeView1_->header()->setStretchLastSection(false);

    // The folder monetized last, else the home folder: open and current at the
    // top of the view, nothing selected until the user acts.
    const QString last =
        FromCore(app::SettingsStore(app::SettingsStore::DefaultPath()).LastFolder());
    startFolder_ = !last.isEmpty() && QFileInfo(last).isDir() ? QFileInfo(last).absoluteFilePath()
                                                              : QDir::homePath();
    const QModelIndex start = treeModel_->index(startFolder_);
    for (QModelIndex up = start; up.isValid(); up = up.parent())
        ShellTreeView1_->expand(up);
    ShellTreeView1_->selectionModel()->setCurrentIndex(start, QItemSelectionModel::NoUpdate);
    // Rows come in and are sorted after their folder was read: each moves
    // the start folder, which goes back to the top.
    connect(treeModel_, &QFileSystemModel::directoryLoaded, this, &TTolvaneForm::PlaceStartFolder);
    connect(treeModel_, &QAbstractItemModel::layoutChanged, this, &TTolvaneForm::PlaceStartFolder);
    connect(treeModel_, &QAbstractItemModel::rowsInserted, this, &TTolvaneForm::PlaceStartFolder);
    // A branch opened or the view scrolled by the user ends the placing: the
    // view must not jump back while the user looks around.
    connect(ShellTreeView1_, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (ShellTreeView1_->isVisible() && !startFolder_.startsWith(treeModel_->filePath(index)))
            userMoved_ = true;
    });
    connect(ShellTreeView1_->verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this] { userMoved_ = true; });

    // Whatever makes a folder current selects it: a click, the arrow keys,
    // Home/End, typing its name.
    connect(ShellTreeView1_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { ShellTreeView1Click(current); });
    connect(ShellTreeView1_, &QTreeView::clicked, this, &TTolvaneForm::ShellTreeView1Click);
    // Enter on a folder picks it and moves on to "Monetize!".
    connect(ShellTreeView1_, &QTreeView::activated, this, [this](const QModelIndex& index) {
        ShellTreeView1Click(index);
        btnOK_->setFocus();
    });
}

void TTolvaneForm::PlaceStartFolder() {
    if (userMoved_)
        return;
    const QModelIndex start = treeModel_->index(startFolder_);
    if (!start.isValid())
        return;
    ShellTreeView1_->expand(start);
    ShellTreeView1_->scrollTo(start, QAbstractItemView::PositionAtTop);
}

void TTolvaneForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The view's height is known only now.
    PlaceStartFolder();
}

void TTolvaneForm::SetUpFileList() {
    // The selected folder's folders, files and hidden items in columns,
    // sorted by name; it can be scrolled and its columns sized, but what is
    // packed is the folder chosen in the tree, so nothing here is selected.
    listModel_ = new ShellListModel(texts_, this);
    listModel_->setObjectName("listModel");
    listModel_->setIconProvider(&icons_);
    ShellListView1_->setRootIsDecorated(false);
    ShellListView1_->setItemsExpandable(false);
    ShellListView1_->setUniformRowHeights(true);
    ShellListView1_->setSortingEnabled(true);
    ShellListView1_->sortByColumn(0, Qt::AscendingOrder);
    ShellListView1_->setSelectionMode(QAbstractItemView::NoSelection);
    ShellListView1_->setFocusPolicy(Qt::NoFocus);
    ShellListView1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ShellListView1_->setTextElideMode(Qt::ElideMiddle);
    ShellListView1_->header()->setStretchLastSection(false);
    ShellListView1_->header()->setSectionsMovable(false);

    counter_ = new FolderCounter(this);
    connect(counter_, &FolderCounter::counted, this, &TTolvaneForm::OnFolderCounted);
}

void TTolvaneForm::OnFolderCounted(const QString& folder, std::optional<app::FolderTally> tally) {
    if (folder != FromCore(State().SelectedFolder))
        return;
    if (!tally) {
        lblFolderTally_->setText(texts_("The folder cannot be read."));
        return;
    }
    lblFolderTally_->setText(
        texts_.TranslateCount("%1 file", "%1 files", tally->files) + ", " +
        texts_.TranslateCount("%1 folder", "%1 folders", tally->folders) + ", " +
        texts_("%1 in all", QLocale().formattedDataSize(static_cast<qint64>(tally->bytes))));
}

void TTolvaneForm::TranslateCaptions() {
    File1_->setTitle(WithAccelerator(texts_("File")));
    Monetize1_->setText(WithAccelerator(texts_("Monetize!")));
    Exit1_->setText(WithAccelerator(texts_("Exit")));
    Settings1_->setTitle(WithAccelerator(texts_("Settings")));
    SetPassword1_->setText(WithAccelerator(texts_("Set Password...")));
    Configure1_->setText(WithAccelerator(texts_("Settings")));
    Help1_->setTitle(WithAccelerator(texts_("Help")));
    HomePage1_->setText(WithAccelerator(texts_("Home Page")));
    About1_->setText(WithAccelerator(texts_("About...")));
    VideoTutorial1_->setText(WithAccelerator(texts_("Video Tutorial")));
    Panel1_->setText(texts_("Select a folder in the tree. On the right list you will see the "
                            "files ready for monetization."));
    btnPassword_->setText(texts_("Password..."));
    BitBtn1_->setText(texts_("Settings"));
    btnOK_->setText(texts_("Monetize!"));
    btnClose_->setText(texts_("Exit"));
}

void TTolvaneForm::FormShow() {
    if (formShown_)
        return;
    formShown_ = true;
    if (updateCheck_ && !updateCheck_->RunStartUpCheck()) {
        EndProgram();
        return;
    }
    TranslateCaptions();

    if (!arguments_.isEmpty()) {
        // Started on a folder (the folder menus' "Monetize..."): the job, then the end.
        commandLine_ = true;
        QString folder = arguments_.first();
        while (folder.size() > 1 && folder.endsWith('/'))
            folder.chop(1);
        if (!QFileInfo(folder).isDir()) {
            QMessageBox::critical(nullptr, "Tolvane", texts_("%1 is not a folder.", folder));
            EndProgram();
            return;
        }
        State().SelectedFolder = ToCore(QFileInfo(folder).absoluteFilePath());
        btnOK_->setEnabled(true);
        btnOKClick();
        if (!JobRunning())
            EndProgram();
        return;
    }

    const app::ProgramState& state = State();
    if (signUp_ && (!state.SignedUp || state.PartnerID.empty() || state.SoftwareID.empty())) {
        const auto page = state.SignedUp ? SignUpStep::Page::IDs : SignUpStep::Page::SignUp;
        if (signUp_->ShowModalOn(page) == 0) {
            EndProgram();
            return;
        }
    }
    // The keys move through the tree from the start.
    ShellTreeView1_->setFocus();
    // Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
}

void TTolvaneForm::btnOKClick() {
    // One job at a time: the writers of a run must not be shared.
    if (JobRunning())
        return;
    if (!btnOK_->isEnabled()) {
        ClosingSteps();
        return;
    }
    const QString folder = FromCore(State().SelectedFolder);
    QFileDialog& dialog = SaveDialog();
    dialog.setWindowTitle(texts_("Save Monetized Archive As..."));
    const QFileInfo info(folder);
    dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName() + ".zip");
    if (!RunSaveDialog(dialog) || dialog.selectedFiles().isEmpty())
        return; // the password survives a cancelled dialog
    const QString zipPath = dialog.selectedFiles().first();
    app::JobInput input = app::JobInput::FromState(State());
    input.settingsProblem = started_.settingsProblem;

    // A ZIP that holds more than this job's two entries (another folder's,
    // another tool's) is the user's to replace or add to.
    const std::vector<std::string> others = app::MonetizeJob::OtherEntries(input, ToCore(zipPath));
    if (!others.empty()) {
        const QString name =
            QFileInfo(FromCore(app::MonetizeJob::ZipPathFor(ToCore(zipPath)))).fileName();
        QMessageBox box(QMessageBox::Question, "Tolvane",
                        texts_
                            .TranslateCount("%2 already holds %1 other entry. Replace the "
                                            "archive, or add to it?",
                                            "%2 already holds %1 other entries. Replace the "
                                            "archive, or add to it?",
                                            static_cast<qint64>(others.size()))
                            .arg(name),
                        QMessageBox::NoButton, isVisible() ? this : nullptr);
        box.setObjectName("ReplaceAddBox");
        QStringList names;
        for (const std::string& other : others)
            names << FromCore(other);
        box.setDetailedText(names.join('\n'));
        QPushButton* replace = box.addButton(texts_("Replace"), QMessageBox::DestructiveRole);
        replace->setObjectName("btnReplace");
        QPushButton* add = box.addButton(texts_("Add"), QMessageBox::AcceptRole);
        add->setObjectName("btnAddToZip");
        box.addButton(QMessageBox::Cancel)->setObjectName("btnCancelJob");
        box.setDefaultButton(add);
        box.exec();
        if (box.clickedButton() != replace && box.clickedButton() != add)
            return; // as a cancelled save dialog: the password survives
        input.replaceArchive = box.clickedButton() == replace;
    }

    // A folder that cannot take the ZIP is said before any work.
    if (const std::string problem =
            app::OutputProblem(app::MonetizeJob::ZipPathFor(ToCore(zipPath)));
        !problem.empty()) {
        QMessageBox box(QMessageBox::Critical, "Tolvane", FromCore(problem), QMessageBox::Ok,
                        isVisible() ? this : nullptr);
        box.setObjectName("ReportBox");
        box.exec();
        return; // nothing ran: the password stays
    }

    progressForm_->Reset();
    progressForm_->show();
    progressForm_->raise();
    SetJobControlsEnabled(false);
    worker_->Start(std::move(input), ToCore(zipPath));
}

QFileDialog& TTolvaneForm::SaveDialog() {
    if (!saveDialog_) {
        saveDialog_ = std::make_unique<QFileDialog>(isVisible() ? this : nullptr);
        QFileDialog& dialog = *saveDialog_;
        dialog.setObjectName("SaveDialog1");
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix("zip");
        dialog.setNameFilter(".zip (*.zip)");
        // An existing ZIP is added to, not questioned.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    return *saveDialog_;
}

void TTolvaneForm::OnJobProgress(int stage, int byArchive, const QString& file, qint64 /*done*/,
                                 qint64 /*total*/) {
    if (stage == 1)
        BhWriter1Progress(0, byArchive);
    else
        Zip1Progress(0, byArchive);
    progressForm_->ShowFile(file);
}

void TTolvaneForm::BhWriter1Progress(int /*byFile*/, int byArchive) {
    progressForm_->ProgressBar1()->setValue(byArchive);
}

void TTolvaneForm::Zip1Progress(int /*byFile*/, int byArchive) {
    progressForm_->ProgressBar2()->setValue(byArchive);
}

void TTolvaneForm::OnJobFinished() {
    // The worker has ended: its result is ours now.
    const app::JobResult result = worker_->TakeResult();
    result.ApplyTo(State());
    if (result.outcome == app::JobResult::Outcome::Done ||
        result.outcome == app::JobResult::Outcome::DoneWithProblems) {
        // Where the next start opens the tree; not worth a box when it fails.
        if (const platform::Expected<void> saved =
                app::SettingsStore(app::SettingsStore::DefaultPath())
                    .SaveLastFolder(State().SelectedFolder);
            !saved)
            std::cerr << "tolvane: " << platform::TextWithCause(saved.Error()) << "\n";
    }
    ClosingSteps();
    SetJobControlsEnabled(true);
    ReportResult(result);
    emit jobEnded();
    if (closeAfterJob_ || commandLine_)
        EndProgram();
}

void TTolvaneForm::ClosingSteps() {
    progressForm_->hide();
    State().ArchivePassword.clear();
    ShowPasswordState();
    StaticText2_->setVisible(true);
    // The working folder emptied, sparing the folders of other instances' jobs.
    if (!State().TempFolder.empty())
        app::EmptyWorkingFolder(State().TempFolder);
}

void TTolvaneForm::ReportResult(const app::JobResult& result) {
    using Outcome = app::JobResult::Outcome;
    // A cancel is no failure, and without a folder nothing was attempted.
    if (result.outcome == Outcome::Cancelled || result.outcome == Outcome::NotRun)
        return;
    if (result.outcome != Outcome::Failed) {
        resultForm_->SetResult(result);
        // From the folder menus the main window never shows: the screen's middle.
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (!isVisible() && screen)
            resultForm_->move(screen->availableGeometry().center() - resultForm_->rect().center());
        resultForm_->exec();
        return;
    }
    QMessageBox box(isVisible() ? this : nullptr);
    box.setObjectName("ReportBox");
    box.setWindowTitle("Tolvane");
    box.setIcon(QMessageBox::Critical);
    box.setText(MessageText(result.message));
    if (!result.reports.empty())
        box.setDetailedText(ReportLines(result.reports));
    box.exec();
}

void TTolvaneForm::SetJobControlsEnabled(bool enabled) {
    for (QAction* action : {Monetize1_, SetPassword1_, Configure1_, Addselectedtolist1_,
                            Removefromlist1_, Clearlist1_})
        action->setEnabled(enabled);
    for (QWidget* widget :
         {static_cast<QWidget*>(btnOK_), static_cast<QWidget*>(btnPassword_),
          static_cast<QWidget*>(BitBtn1_), static_cast<QWidget*>(ShellTreeView1_)})
        widget->setEnabled(enabled);
}

void TTolvaneForm::ShellTreeView1Click(const QModelIndex& index) {
    // A running job packs the folder it was started on.
    if (!index.isValid() || JobRunning())
        return;
    userMoved_ = true;
    // The highlight shows the folder selected, however it became current.
    if (ShellTreeView1_->currentIndex() != index)
        ShellTreeView1_->selectionModel()->setCurrentIndex(index,
                                                           QItemSelectionModel::ClearAndSelect);
    else if (!ShellTreeView1_->selectionModel()->isSelected(index))
        ShellTreeView1_->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    const QString path = treeModel_->filePath(index);
    if (FromCore(State().SelectedFolder) == path && btnOK_->isEnabled())
        return;
    QFont bold = Panel1_->font();
    bold.setBold(true);
    Panel1_->setFont(bold);
    State().SelectedFolder = ToCore(path);
    Panel1_->setText(texts_("Selected folder with files") + ": " + path);
    listModel_->setRootPath(path);
    if (!ShellListView1_->model()) {
        ShellListView1_->setModel(listModel_);
        QHeaderView* header = ShellListView1_->header();
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < listModel_->columnCount(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    ShellListView1_->setRootIndex(listModel_->index(path));
    lblFolderTally_->setText(texts_("counting…"));
    counter_->Count(path);
    btnOK_->setEnabled(true);
}

void TTolvaneForm::btnPasswordClick() {
    // Asks until something is typed; false when the user cancels.
    const auto ask = [this](const char* caption, const char* prompt, QString& entry) {
        for (;;) {
            TPasswordBox box(texts_(caption), texts_(prompt), texts_("Show characters"), this);
            if (box.exec() != QDialog::Accepted)
                return false;
            entry = box.Text();
            if (!entry.isEmpty())
                return true;
        }
    };
    QString first, second;
    bool entered = ask("Security Encryption...", "Enter Password:", first) &&
                   ask("Verify Password...", "Re-enter Password:", second);
    if (entered && first != second) {
        QMessageBox::information(
            this, "Tolvane",
            MessageText(ToCore(texts_("Password verification failed.\r\rPlease retry..."))));
        entered = false;
    }
    State().ArchivePassword = entered ? ToCore(first) : std::string();
    ShowPasswordState();
}

void TTolvaneForm::ShowPasswordState() {
    // The next job's protection at a glance: a lock and "PROTECTED", said
    // in words for screen readers too.
    const bool set = !State().ArchivePassword.empty();
    btnPassword_->setText(set ? QString(kProtected) : texts_("Password..."));
    btnPassword_->setIcon(set ? QIcon(QStringLiteral(":/tolvane/lock.svg")) : QIcon());
    btnPassword_->setAccessibleDescription(
        set ? texts_("The next archive will be protected with a password.")
            : texts_("The next archive will not be protected."));
}

void TTolvaneForm::BitBtn1Click() {
    if (!signUp_)
        return;
    // The window replaces the IDs, SignedUp and TargetLanguage itself when saved.
    signUp_->FillIds(State().PartnerID, State().SoftwareID);
    signUp_->ShowModalOn(SignUpStep::Page::IDs);
}

void TTolvaneForm::HomePage1Click() {
    links_.Open(this, HomePageUrl(), texts_);
}

void TTolvaneForm::About1Click() {
    aboutForm_->exec();
}

void TTolvaneForm::Exit1Click() {
    close();
}

void TTolvaneForm::btnCloseClick() {
    close();
}

void TTolvaneForm::btnAddClick() {
    // The list has no model until a folder was picked.
    const QModelIndexList selected = ShellListView1_->selectionModel()
                                         ? ShellListView1_->selectionModel()->selectedIndexes()
                                         : QModelIndexList();
    for (const QModelIndex& index : selected)
        lstFileSpec_->addItem(listModel_->filePath(index));
    StaticText2_->setVisible(false);
    btnOK_->setEnabled(true);
}

void TTolvaneForm::btnRemoveClick() {
    qDeleteAll(lstFileSpec_->selectedItems());
}

void TTolvaneForm::Clearlist1Click() {
    lstFileSpec_->clear();
    StaticText2_->setVisible(true);
}

void TTolvaneForm::closeEvent(QCloseEvent* event) {
    if (JobRunning()) {
        // Stop the job and close once it has really ended: nothing half
        // written, no file left in the working folder.
        closeAfterJob_ = true;
        worker_->RequestStop();
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    emit programEnded();
}

void TTolvaneForm::EndProgram() {
    closeAfterJob_ = false;
    close();
    emit programEnded();
}

} // namespace tolvane::gui
