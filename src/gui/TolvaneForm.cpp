#include "TolvaneForm.h"

#include "AboutForm.h"
#include "MonetizeWorker.h"
#include "PasswordBox.h"
#include "ProgressForm.h"
#include "UpdaterForm.h"
#include "WelcomeForm.h"

#include "app/JobFolder.h"
#include "archive/writer/WriterError.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
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

QString GradeText(archive::ReportGrade grade) {
    switch (grade) {
    case archive::ReportGrade::Notice:
        return "notice";
    case archive::ReportGrade::Warning:
        return "warning";
    case archive::ReportGrade::LeftOut:
        return "left out";
    case archive::ReportGrade::Failed:
        return "failed";
    case archive::ReportGrade::Cancelled:
        return "cancelled";
    }
    return {};
}

// One line per report: the file, what happened and why.
QString ReportLines(const std::vector<app::JobReport>& reports) {
    QStringList lines;
    for (const app::JobReport& entry : reports) {
        const archive::WriterReport& report = entry.report;
        QString line = FromCore(report.fileName.empty() ? report.volumeId : report.fileName) +
                       ": " + FromCore(archive::ErrorText(report.code)) + " (" +
                       GradeText(report.grade) + ")";
        if (!report.extendedMsg.empty())
            line += " - " + FromCore(report.extendedMsg);
        lines << line;
    }
    return lines.join('\n');
}

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
    signUp_ = welcomeForm_;
    updateCheck_ = updaterForm_;
    worker_ = new MonetizeWorker(vendor_, this);
    connect(worker_, &MonetizeWorker::progressed, this, &TTolvaneForm::OnJobProgress);
    connect(worker_, &MonetizeWorker::finished, this, &TTolvaneForm::OnJobFinished);
    connect(progressForm_, &TProgressForm::abortRequested, this, [this] {
        if (cancel_)
            cancel_->Request();
    });
}

TTolvaneForm::~TTolvaneForm() {
    // The worker reads the token until it ends: stop it before either goes.
    if (cancel_)
        cancel_->Request();
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
    started_ = app::StartUp(vendor_, ToCore(QCoreApplication::applicationFilePath()), warnings);
    texts_ = UiTexts(started_.texts, started_.state.UILanguage);
    if (!warnings.str().empty())
        std::cerr << "tolvane: " << warnings.str();
    InstallQtTranslations(started_.state.UILanguage);
    if (!started_.settingsError.empty())
        QMessageBox::warning(nullptr, "Tolvane", MessageText(started_.settingsError));
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
    ShellListView1_ = new QListView(Splitter1_);
    ShellListView1_->setObjectName("ShellListView1");
    ShellListView1_->setAccessibleName("Files of the selected folder");
    Splitter1_->addWidget(ShellTreeView1_);
    Splitter1_->addWidget(ShellListView1_);
    Splitter1_->setStretchFactor(1, 1);
    Splitter1_->setSizes({kTreeWidth, kWindowSize.width() - kTreeWidth});
    views->addWidget(Splitter1_);
    layout->addWidget(Panel7_, 1);
    SetUpFolderTree();

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

    // The home folder open and current, nothing selected until a click.
    const QModelIndex home = treeModel_->index(QDir::homePath());
    for (QModelIndex up = home; up.isValid(); up = up.parent())
        ShellTreeView1_->expand(up);
    ShellTreeView1_->selectionModel()->setCurrentIndex(home, QItemSelectionModel::NoUpdate);
    ShellTreeView1_->scrollTo(home);

    connect(ShellTreeView1_, &QTreeView::clicked, this, &TTolvaneForm::ShellTreeView1Click);
    // Enter on a folder picks it and moves on to "Monetize!".
    connect(ShellTreeView1_, &QTreeView::activated, this, [this](const QModelIndex& index) {
        ShellTreeView1Click(index);
        btnOK_->setFocus();
    });

    // The selected folder's folders, files and hidden items, sorted; shown
    // but taking no input.
    listModel_ = new QFileSystemModel(this);
    listModel_->setObjectName("listModel");
    listModel_->setIconProvider(&icons_);
    listModel_->setOptions(QFileSystemModel::DontUseCustomDirectoryIcons);
    listModel_->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    ShellListView1_->setViewMode(QListView::ListMode);
    ShellListView1_->setFlow(QListView::TopToBottom);
    ShellListView1_->setWrapping(true);
    ShellListView1_->setResizeMode(QListView::Adjust);
    ShellListView1_->setUniformItemSizes(true);
    ShellListView1_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ShellListView1_->setDragEnabled(true);
    // The model comes with the first folder picked: until then the list is empty.
    ShellListView1_->setEnabled(false);
    // Disabled, yet its contents stay legible.
    QPalette palette = ShellListView1_->palette();
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::Base, QPalette::WindowText})
        palette.setColor(QPalette::Disabled, role, palette.color(QPalette::Active, role));
    ShellListView1_->setPalette(palette);
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
    QFileDialog dialog(isVisible() ? this : nullptr, texts_("Save Monetized Archive As..."));
    dialog.setObjectName("SaveDialog1");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix("zip");
    dialog.setNameFilter(".zip (*.zip)");
    // An existing ZIP is added to, not questioned.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QFileInfo info(folder);
    dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName() + ".zip");
    if (!RunSaveDialog(dialog) || dialog.selectedFiles().isEmpty())
        return; // the password survives a cancelled dialog
    const QString zipPath = dialog.selectedFiles().first();

    progressForm_->Reset();
    progressForm_->show();
    progressForm_->raise();
    SetJobControlsEnabled(false);
    app::JobInput input = app::JobInput::FromState(State());
    input.settingsProblem = started_.settingsProblem;
    cancel_ = std::make_unique<app::CancelToken>();
    worker_->Start(std::move(input), ToCore(zipPath), *cancel_);
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
    cancel_.reset();
    result.ApplyTo(State());
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
    btnPassword_->setText(texts_("Password..."));
    StaticText2_->setVisible(true);
    // The working folder emptied, sparing the folders of other instances' jobs.
    if (!State().TempFolder.empty())
        app::EmptyWorkingFolder(State().TempFolder);
}

void TTolvaneForm::ReportResult(const app::JobResult& result) {
    using Outcome = app::JobResult::Outcome;
    // A cancel is no failure, and without a folder nothing was attempted.
    if (result.outcome == Outcome::Cancelled || result.outcome == Outcome::NotRun ||
        result.outcome == Outcome::Done)
        return;
    QMessageBox box(isVisible() ? this : nullptr);
    box.setObjectName("ReportBox");
    box.setWindowTitle("Tolvane");
    if (result.outcome == Outcome::Failed) {
        box.setIcon(QMessageBox::Critical);
        box.setText(MessageText(result.message));
    } else {
        box.setIcon(QMessageBox::Warning);
        box.setText(result.filesLeftOut > 0 ? texts_("%1 files were left out of the archive.",
                                                     QString::number(result.filesLeftOut))
                                            : texts_("Some files changed while they were packed."));
        box.setInformativeText(MessageText(result.message));
    }
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
    if (!index.isValid())
        return;
    QFont bold = Panel1_->font();
    bold.setBold(true);
    Panel1_->setFont(bold);
    const QString path = treeModel_->filePath(index);
    State().SelectedFolder = ToCore(path);
    Panel1_->setText(texts_("Selected folder with files") + ": " + path);
    listModel_->setRootPath(path);
    if (!ShellListView1_->model())
        ShellListView1_->setModel(listModel_);
    ShellListView1_->setRootIndex(listModel_->index(path));
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
        QMessageBox::information(this, "Tolvane",
                                 MessageText("Password verification failed.\r\rPlease retry..."));
        entered = false;
    }
    State().ArchivePassword = entered ? ToCore(first) : std::string();
    btnPassword_->setText(entered ? QString(kProtected) : texts_("Password..."));
}

void TTolvaneForm::BitBtn1Click() {
    if (!signUp_)
        return;
    // The window replaces the IDs, SignedUp and TargetLanguage itself when saved.
    signUp_->FillIds(State().PartnerID, State().SoftwareID);
    signUp_->ShowModalOn(SignUpStep::Page::IDs);
}

void TTolvaneForm::HomePage1Click() {
    QDesktopServices::openUrl(HomePageUrl());
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
    const QModelIndexList selected = ShellListView1_->selectionModel()->selectedIndexes();
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
        if (cancel_)
            cancel_->Request();
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
