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
    worker_ = new MonetizeWorker(this);
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
    std::vector<std::string> arguments;
    for (const QString& argument : arguments_)
        arguments.push_back(ToCore(argument));
    ui::TolvaneFormView& view = *this;
    logic_ = std::make_unique<ui::TolvaneFormLogic>(started_, vendor_, view, std::move(arguments));
    logic_->FormCreate();
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

QAction* TTolvaneForm::ControlAction(ui::MainControl control) const {
    using C = ui::MainControl;
    switch (control) {
    case C::File1:
        return File1_->menuAction();
    case C::Monetize1:
        return Monetize1_;
    case C::Exit1:
        return Exit1_;
    case C::Settings1:
        return Settings1_->menuAction();
    case C::SetPassword1:
        return SetPassword1_;
    case C::Configure1:
        return Configure1_;
    case C::Help1:
        return Help1_->menuAction();
    case C::HomePage1:
        return HomePage1_;
    case C::About1:
        return About1_;
    case C::VideoTutorial1:
        return VideoTutorial1_;
    case C::Addselectedtolist1:
        return Addselectedtolist1_;
    case C::Removefromlist1:
        return Removefromlist1_;
    case C::Clearlist1:
        return Clearlist1_;
    default:
        return nullptr;
    }
}

QWidget* TTolvaneForm::ControlWidget(ui::MainControl control) const {
    using C = ui::MainControl;
    switch (control) {
    case C::Panel1:
        return Panel1_;
    case C::StaticText2:
        return StaticText2_;
    case C::ShellTreeView1:
        return ShellTreeView1_;
    case C::btnPassword:
        return btnPassword_;
    case C::BitBtn1:
        return BitBtn1_;
    case C::btnOK:
        return btnOK_;
    case C::btnClose:
        return btnClose_;
    default:
        return nullptr;
    }
}

void TTolvaneForm::SetCaption(ui::MainControl control, const std::string& caption) {
    // Menus and their commands get an accelerator; the buttons and the hint
    // line show the text as it is.
    if (QAction* action = ControlAction(control)) {
        action->setText(WithAccelerator(FromCore(caption)));
        return;
    }
    if (auto* label = qobject_cast<QLabel*>(ControlWidget(control)))
        label->setText(FromCore(caption));
    else if (auto* button = qobject_cast<QPushButton*>(ControlWidget(control)))
        button->setText(FromCore(caption));
}

void TTolvaneForm::SetEnabled(ui::MainControl control, bool enabled) {
    if (QAction* action = ControlAction(control))
        action->setEnabled(enabled);
    else if (QWidget* widget = ControlWidget(control))
        widget->setEnabled(enabled);
}

void TTolvaneForm::SetVisible(ui::MainControl control, bool visible) {
    if (QAction* action = ControlAction(control))
        action->setVisible(visible);
    else if (QWidget* widget = ControlWidget(control))
        widget->setVisible(visible);
}

void TTolvaneForm::FormShow() {
    logic_->FormShow();
}

bool TTolvaneForm::RunUpdateCheck() {
    return !updateCheck_ || updateCheck_->RunStartUpCheck();
}

int32_t TTolvaneForm::ShowSignUp(ui::SignUpPage page) {
    // Without the step the check goes on with the stored state.
    if (!signUp_)
        return 1;
    return signUp_->ShowModalOn(page == ui::SignUpPage::IDs ? SignUpStep::Page::IDs
                                                            : SignUpStep::Page::SignUp);
}

void TTolvaneForm::FillIds(const std::string& partnerId, const std::string& softwareId) {
    if (signUp_)
        signUp_->FillIds(partnerId, softwareId);
}

void TTolvaneForm::ShowWindow() {
    // The keys move through the tree from the start.
    ShellTreeView1_->setFocus();
    // Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
}

void TTolvaneForm::btnOKClick() {
    logic_->btnOKClick();
}

QWidget* TTolvaneForm::BoxParent() {
    return isVisible() ? this : nullptr;
}

std::optional<std::string> TTolvaneForm::ChooseSavePath(const ui::SaveRequest& request) {
    QFileDialog& dialog = SaveDialog();
    dialog.setWindowTitle(FromCore(request.title));
    dialog.setDirectory(FromCore(request.folder));
    dialog.selectFile(FromCore(request.fileName));
    if (!RunSaveDialog(dialog) || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return ToCore(dialog.selectedFiles().first());
}

ui::ReplaceAnswer TTolvaneForm::AskReplaceOrAdd(const ui::ReplaceQuestion& question) {
    QMessageBox box(QMessageBox::Question, "Tolvane", FromCore(question.text),
                    QMessageBox::NoButton, BoxParent());
    box.setObjectName("ReplaceAddBox");
    QStringList names;
    for (const std::string& other : question.otherEntries)
        names << FromCore(other);
    box.setDetailedText(names.join('\n'));
    QPushButton* replace = box.addButton(FromCore(question.replace), QMessageBox::DestructiveRole);
    replace->setObjectName("btnReplace");
    QPushButton* add = box.addButton(FromCore(question.add), QMessageBox::AcceptRole);
    add->setObjectName("btnAddToZip");
    box.addButton(QMessageBox::Cancel)->setObjectName("btnCancelJob");
    box.setDefaultButton(add);
    box.exec();
    if (box.clickedButton() == replace)
        return ui::ReplaceAnswer::Replace;
    if (box.clickedButton() == add)
        return ui::ReplaceAnswer::Add;
    return ui::ReplaceAnswer::Cancel;
}

void TTolvaneForm::ShowMessage(const ui::Message& message) {
    static const QMessageBox::Icon kIcons[] = {QMessageBox::Information, QMessageBox::Warning,
                                               QMessageBox::Critical};
    QMessageBox box(kIcons[static_cast<int>(message.kind)], FromCore(message.title),
                    MessageText(message.text), QMessageBox::Ok, BoxParent());
    if (message.kind == ui::Message::Kind::Error)
        box.setObjectName("ReportBox");
    box.exec();
}

void TTolvaneForm::ShowFailure(const app::JobResult& result) {
    QMessageBox box(QMessageBox::Critical, "Tolvane", MessageText(result.message), QMessageBox::Ok,
                    BoxParent());
    box.setObjectName("ReportBox");
    if (!result.reports.empty())
        box.setDetailedText(ReportLines(result.reports));
    box.exec();
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

void TTolvaneForm::StartJob(const ui::ProgressTexts& /*texts*/, ui::JobBody job) {
    // The progress window translates its own captions.
    progressForm_->Reset();
    progressForm_->show();
    progressForm_->raise();
    worker_->Start(std::move(job));
}

void TTolvaneForm::StopJob() {
    worker_->RequestStop();
}

void TTolvaneForm::HideProgress() {
    progressForm_->hide();
}

void TTolvaneForm::OnJobFinished() {
    // The worker has ended: its result is ours now.
    logic_->JobFinished(worker_->TakeResult());
}

void TTolvaneForm::ShowResult(const app::JobResult& result) {
    resultForm_->SetResult(result);
    // From the folder menus the main window never shows: the screen's middle.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!isVisible() && screen)
        resultForm_->move(screen->availableGeometry().center() - resultForm_->rect().center());
    resultForm_->exec();
}

void TTolvaneForm::JobEnded() {
    emit jobEnded();
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
    logic_->SelectFolder(ToCore(treeModel_->filePath(index)));
}

void TTolvaneForm::ShowSelectedFolder(const std::string& folder, const std::string& line) {
    const QString path = FromCore(folder);
    QFont bold = Panel1_->font();
    bold.setBold(true);
    Panel1_->setFont(bold);
    Panel1_->setText(FromCore(line));
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
}

void TTolvaneForm::btnPasswordClick() {
    logic_->btnPasswordClick();
}

std::optional<std::string> TTolvaneForm::AskPassword(const ui::PasswordPrompt& prompt) {
    TPasswordBox box(FromCore(prompt.caption), FromCore(prompt.prompt),
                     FromCore(prompt.showCharacters), this);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return ToCore(box.Text());
}

void TTolvaneForm::ShowPasswordState(bool set, const std::string& caption,
                                     const std::string& description) {
    // The next job's protection at a glance: a lock beside the caption.
    btnPassword_->setText(FromCore(caption));
    btnPassword_->setIcon(set ? QIcon(QStringLiteral(":/tolvane/lock.svg")) : QIcon());
    btnPassword_->setAccessibleDescription(FromCore(description));
}

void TTolvaneForm::BitBtn1Click() {
    logic_->BitBtn1Click();
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
    // A running job is stopped first; the window closes once it has ended.
    if (!logic_->CloseQuery()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    emit programEnded();
}

void TTolvaneForm::EndProgram() {
    close();
    emit programEnded();
}

} // namespace tolvane::gui
