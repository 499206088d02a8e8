// The main window driven through its widgets: captions by locale, the folder
// tree, the password prompt, whole jobs on the worker thread (read back with
// Python's zipfile and the project's BH reader), Abort, closing during a
// job, the report of left-out files, and the command-line path.
#include "gui/TolvaneForm.h"

#include "GuiTestSupport.h"

#include "app/ProgramInfo.h"
#include "gui/AboutForm.h"
#include "gui/ProgressForm.h"

#include "support/Peers.h"
#include "support/WriterHarness.h"

#include "gui/ResultForm.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include <filesystem>
#include <map>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::gui;
using namespace tolvane::test;

namespace {

// Where the links of the windows go, instead of a browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder() {
        QDesktopServices::setUrlHandler("http", this, "Open");
        QDesktopServices::setUrlHandler("mailto", this, "Open");
    }
    ~UrlRecorder() override {
        QDesktopServices::unsetUrlHandler("http");
        QDesktopServices::unsetUrlHandler("mailto");
    }
    QStringList opened;

public slots:
    void Open(const QUrl& url) { opened << url.toString(); }
};

class TolvaneFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        sandbox_.WriteSettings(true, "archiver5", "ARCHIVERx", 0);
        sandbox_.Scratch().WriteFile("home/Docs/readme.txt", std::string(5000, 'r'));
        sandbox_.Scratch().WriteFile("home/Docs/sub/data.csv", "a,b\n1,2\n");
        sandbox_.Scratch().WriteFile("home/Docs/.hidden", "h");
        folder_ = sandbox_.Home() + "/Docs";
        zip_ = sandbox_.Scratch().MakeFolder("out") + "/Docs.zip";
    }

    // The window as the program starts it, shown.
    std::unique_ptr<TTolvaneForm> Start(QStringList arguments = {}) {
        auto form = std::make_unique<TTolvaneForm>(std::move(arguments));
        form->FormShow();
        return form;
    }

    // Picks the folder and runs "Monetize!" to the job's end.
    void RunJob(TTolvaneForm& form, const std::string& folder) {
        ClickFolder(form, folder);
        QSignalSpy ended(&form, &TTolvaneForm::jobEnded);
        Find<QPushButton>(&form, "btnOK")->click();
        ASSERT_TRUE(WaitFor([&] { return ended.count() == 1; }, 120000));
    }

    // The ZIP's names, from Python's zipfile, extracted into a new folder.
    std::string Extract(const std::string& password = "") {
        const std::string into = sandbox_.Scratch() / ("x" + std::to_string(++extractions_));
        const auto r = ExtractWithZipfile(zip_, into, password);
        EXPECT_EQ(r.status, 0) << r.output;
        names_ = r.output;
        return into;
    }

    bool WorkingFolderEmpty() const {
        return !fs::exists(sandbox_.WorkingFolder()) || fs::is_empty(sandbox_.WorkingFolder());
    }

    // A folder big enough for a job that is still running when asked to stop.
    std::string BigFolder() {
        for (int i = 0; i < 6; ++i)
            sandbox_.Scratch().WriteFile("home/Big/part" + std::to_string(i) + ".bin",
                                         RandomBytes(8 << 20, static_cast<uint32_t>(i + 1)));
        return sandbox_.Home() + "/Big";
    }

    GuiSandbox sandbox_;
    std::string folder_;
    std::string zip_;
    std::string names_;
    int extractions_ = 0;
};

TEST_F(TolvaneFormTest, CaptionsAreTranslatedAtShowTimeInTheLocalesLanguage) {
    struct Case {
        const char* locale;
        const char* monetize;
        const char* exit;
        const char* settings;
        const char* fileMenu;
        const char* progress;
        const char* no;
    };
    for (const Case& c : {Case{"en_GB", "Monetize!", "Exit", "Settings", "&File", "Progress", "No"},
                          Case{"de_DE", "Monetarisieren!", "Beenden", "Einstellungen", "&Datei",
                               "Fortschritt", "Nein"}}) {
        GuiSandbox sandbox(c.locale);
        sandbox.WriteSettings(true, "p", "s", 0);
        TTolvaneForm form({});
        // Before FormShow the window keeps its design-time captions.
        EXPECT_EQ(Find<QPushButton>(&form, "BitBtn1")->text(), "Configure...");
        form.FormShow();
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(Find<QPushButton>(&form, "btnOK")->text(), c.monetize) << c.locale;
        EXPECT_EQ(Find<QPushButton>(&form, "btnClose")->text(), c.exit);
        EXPECT_EQ(Find<QPushButton>(&form, "BitBtn1")->text(), c.settings);
        EXPECT_EQ(Find<QAction>(&form, "Configure1")->text().remove('&'), c.settings);
        EXPECT_EQ(Find<QMenu>(&form, "File1")->title(), c.fileMenu);
        EXPECT_FALSE(Find<QMenu>(&form, "Edit1")->menuAction()->isVisible());
        form.ProgressForm()->show();
        EXPECT_EQ(form.ProgressForm()->windowTitle(), c.progress);
        form.ProgressForm()->hide();
        // Qt's own buttons speak the same language.
        QMessageBox box(QMessageBox::Warning, "", "", QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), c.no) << c.locale;
    }
}

TEST_F(TolvaneFormTest, ClickingAFolderSelectsItAndEnablesMonetize) {
    auto form = Start();
    auto* ok = Find<QPushButton>(form.get(), "btnOK");
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_TRUE(form->State().SelectedFolder.empty()); // nothing selected at start
    ClickFolder(*form, folder_);
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(form->State().SelectedFolder, folder_);
    auto* panel = Find<QLabel>(form.get(), "Panel1");
    EXPECT_EQ(panel->text().toStdString(), "Selected folder with files: " + folder_);
    EXPECT_TRUE(panel->font().bold());
    // The list shows the folder's folders, files and hidden items in columns,
    // the hidden ones greyed, and under it what the job will take.
    auto* list = Find<QTreeView>(form.get(), "ShellListView1");
    QAbstractItemModel* model = list->model();
    EXPECT_TRUE(WaitFor([&] { return model->rowCount(list->rootIndex()) == 3; }));
    QStringList headers;
    for (int column = 0; column < model->columnCount(); ++column)
        headers << model->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers, (QStringList{"Name", "Size", "Type", "Modified"}));
    QMap<QString, QModelIndex> rows;
    for (int row = 0; row < 3; ++row) {
        const QModelIndex index = model->index(row, 0, list->rootIndex());
        rows[index.data().toString()] = index;
    }
    ASSERT_EQ(rows.keys(), (QStringList{".hidden", "readme.txt", "sub"}));
    EXPECT_EQ(rows["readme.txt"].siblingAtColumn(1).data().toString(),
              QLocale().formattedDataSize(5000));
    const auto colour = [](const QModelIndex& index) {
        return index.data(Qt::ForegroundRole).value<QBrush>().color();
    };
    EXPECT_NE(colour(rows[".hidden"]), colour(rows["readme.txt"]));
    // Full names: the name column takes the room the others leave.
    EXPECT_GT(list->columnWidth(0), list->viewport()->width() / 3);
    auto* tally = Find<QLabel>(form.get(), "lblFolderTally");
    EXPECT_TRUE(WaitFor([&] { return tally->text() != "counting…"; }));
    EXPECT_EQ(tally->text(),
              "3 files, 1 folder, " + QLocale().formattedDataSize(5000 + 8 + 1) + " in all");
}

TEST_F(TolvaneFormTest, TheFolderMadeCurrentByKeysIsTheFolderShownAndPacked) {
    for (const char* name : {"Alpha", "Zeta"})
        sandbox_.Scratch().WriteFile("home/" + std::string(name) + "/" + name + ".txt", name);
    auto form = Start();
    auto* tree = Find<QTreeView>(form.get(), "ShellTreeView1");
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    ClickFolder(*form, sandbox_.Home() + "/Alpha");
    // What the window says and will pack, against the tree's highlight.
    const auto expectShown = [&](const std::string& why) {
        const QString current = model->filePath(tree->currentIndex());
        EXPECT_EQ(QString::fromStdString(form->State().SelectedFolder), current) << why;
        EXPECT_TRUE(tree->selectionModel()->isSelected(tree->currentIndex())) << why;
        EXPECT_EQ(Find<QLabel>(form.get(), "Panel1")->text(),
                  "Selected folder with files: " + current)
            << why;
        auto* list = Find<QTreeView>(form.get(), "ShellListView1");
        auto* listModel = qobject_cast<QFileSystemModel*>(list->model());
        EXPECT_EQ(listModel->filePath(list->rootIndex()), current) << why;
        return current;
    };
    struct Step {
        const char* why;
        std::function<void()> keys;
        QString expected; // the folder's name, or empty to check agreement only
    };
    const std::vector<Step> steps = {
        {"Down", [&] { QTest::keyClick(tree, Qt::Key_Down); }, "Docs"},
        {"End", [&] { QTest::keyClick(tree, Qt::Key_End); }, ""},
        {"Home", [&] { QTest::keyClick(tree, Qt::Key_Home); }, ""},
        {"typing a name", [&] { QTest::keyClicks(tree, "Zet"); }, "Zeta"},
    };
    // The home folder's three folders listed and sorted, so that "Down" has
    // a known folder below.
    const QString home = QString::fromStdString(sandbox_.Home());
    ASSERT_TRUE(WaitFor([&] {
        const QModelIndex below = tree->indexBelow(tree->currentIndex());
        return model->rowCount(model->index(home)) == 3 && model->fileName(below) == "Docs";
    }));
    QString before = expectShown("click");
    for (const Step& step : steps) {
        step.keys();
        const QString now = expectShown(step.why);
        EXPECT_NE(now, before) << step.why;
        if (!step.expected.isEmpty()) {
            EXPECT_EQ(QFileInfo(now).fileName(), step.expected) << step.why;
        }
        before = now;
    }
    // "Monetize!" packs the highlighted folder, under its name.
    SaveDialogRecord dialog;
    AnswerSaveDialog(*form, zip_, &dialog);
    QSignalSpy ended(form.get(), &TTolvaneForm::jobEnded);
    ModalScript result({Reject()});
    Find<QPushButton>(form.get(), "btnOK")->click();
    ASSERT_TRUE(WaitFor([&] { return ended.count() == 1; }, 120000));
    EXPECT_EQ(dialog.proposedName, "Zeta.zip");
    const std::string x = Extract();
    std::vector<std::string> names;
    for (const auto& entry : ReadBhArchive(x + "/Docs.bh"))
        names.push_back(entry.header.name);
    EXPECT_EQ(names, std::vector<std::string>{"Zeta.txt"});
}

TEST_F(TolvaneFormTest, TheTreeOpensOnHomeOrTheLastFolderMonetizedAtTheTopOfTheView) {
    // Enough folders around the home folder to scroll.
    for (int i = 0; i < 40; ++i)
        sandbox_.Scratch().MakeFolder("zdir" + std::to_string(100 + i));
    const auto expectStart = [](TTolvaneForm& form, const std::string& folder) {
        auto* tree = Find<QTreeView>(&form, "ShellTreeView1");
        auto* model = qobject_cast<QFileSystemModel*>(tree->model());
        // Looked up afresh each time: the model sorts its rows as they load.
        const auto start = [&] { return model->index(QString::fromStdString(folder)); };
        EXPECT_TRUE(WaitFor([&] {
            return tree->isExpanded(start()) && tree->visualRect(start()).isValid() &&
                   tree->visualRect(start()).top() <= 1 && tree->visualRect(start()).top() >= 0;
        })) << folder
            << " at " << tree->visualRect(start()).top();
        EXPECT_EQ(tree->currentIndex(), start()) << folder;
        EXPECT_TRUE(tree->selectionModel()->selectedIndexes().isEmpty());
        EXPECT_TRUE(form.State().SelectedFolder.empty());
        EXPECT_FALSE(Find<QPushButton>(&form, "btnOK")->isEnabled());
    };
    {
        auto form = Start();
        expectStart(*form, sandbox_.Home());
        // Once the user scrolls and opens a branch, the view stays where the
        // user put it while that branch loads.
        auto* tree = Find<QTreeView>(form.get(), "ShellTreeView1");
        auto* model = qobject_cast<QFileSystemModel*>(tree->model());
        tree->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
        QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
        const QModelIndex other =
            model->index(QString::fromStdString(sandbox_.Scratch() / "zdir100"));
        tree->expand(other);
        EXPECT_TRUE(WaitFor([&] { return loaded.count() > 0; }, 5000));
        QTest::qWait(50);
        EXPECT_EQ(tree->verticalScrollBar()->value(), 0);
        AnswerSaveDialog(*form, zip_);
        ModalScript result({Reject()});
        RunJob(*form, folder_);
    }
    EXPECT_NE(ReadFileText(sandbox_.SettingsFile()).find("lastfolder=sz:" + folder_ + "\n"),
              std::string::npos);
    {
        auto form = Start();
        expectStart(*form, folder_);
    }
    // A folder that is gone leaves the home folder.
    fs::remove_all(folder_);
    auto form = Start();
    expectStart(*form, sandbox_.Home());
}

// The prompts' rules (an empty entry asks again) are the window logic's and
// tested there; here the boxes themselves, the mismatch box and the button.
TEST_F(TolvaneFormTest, PasswordPromptFlows) {
    struct Case {
        const char* name;
        std::vector<ModalScript::Step> answers;
        bool mismatchBox;
        const char* caption;
        std::string password;
    };
    QString shown;
    std::vector<Case> cases;
    cases.push_back(
        {"both match", {TypeAndAccept("abc"), TypeAndAccept("abc")}, false, "PROTECTED", "abc"});
    cases.push_back({"mismatch",
                     {TypeAndAccept("abc"), TypeAndAccept("ABC"), ReadMessage(&shown)},
                     true,
                     "Password...",
                     ""});
    cases.push_back({"cancel on the second box clears the earlier password",
                     {TypeAndAccept("new"), Reject()},
                     false,
                     "Password...",
                     ""});
    auto form = Start();
    for (Case& c : cases) {
        shown.clear();
        const size_t steps = c.answers.size();
        ModalScript script(std::move(c.answers));
        Find<QPushButton>(form.get(), "btnPassword")->click();
        EXPECT_EQ(script.StepsDone(), steps) << c.name;
        EXPECT_TRUE(script.Unexpected().empty()) << c.name;
        EXPECT_EQ(shown, c.mismatchBox ? "Password verification failed.\n\nPlease retry..." : "")
            << c.name;
        auto* button = Find<QPushButton>(form.get(), "btnPassword");
        EXPECT_EQ(button->text(), c.caption) << c.name;
        // The state at a glance: a lock, and words for a screen reader.
        EXPECT_EQ(button->icon().isNull(), c.password.empty()) << c.name;
        EXPECT_EQ(button->accessibleDescription(),
                  c.password.empty() ? "The next archive will not be protected."
                                     : "The next archive will be protected with a password.")
            << c.name;
        EXPECT_EQ(form->State().ArchivePassword, c.password) << c.name;
    }
}

TEST_F(TolvaneFormTest, AJobThroughTheWindowWritesTheZipAndRunsTheClosingSteps) {
    auto form = Start();
    {
        ModalScript script({TypeAndAccept("pa55"), TypeAndAccept("pa55")});
        Find<QPushButton>(form.get(), "btnPassword")->click();
    }
    SaveDialogRecord dialog;
    AnswerSaveDialog(*form, zip_, &dialog);
    int maxBar1 = 0, maxBar2 = 0;
    bool bar2BeforeBar1Full = false, shownDuringJob = false;
    auto* bar1 = form->ProgressForm()->ProgressBar1();
    auto* bar2 = form->ProgressForm()->ProgressBar2();
    QObject::connect(bar1, &QProgressBar::valueChanged, [&](int v) {
        maxBar1 = std::max(maxBar1, v);
        shownDuringJob = shownDuringJob || form->ProgressForm()->isVisible();
    });
    QObject::connect(bar2, &QProgressBar::valueChanged, [&](int v) {
        maxBar2 = std::max(maxBar2, v);
        bar2BeforeBar1Full = bar2BeforeBar1Full || (v > 0 && maxBar1 < 100);
    });
    QStringList shownInFolder;
    form->ResultForm()->ShowInFolder = [&](const QString& path) { shownInFolder << path; };
    std::map<std::string, QString> result;
    ModalScript resultWindow({[&](QWidget* window) {
        EXPECT_EQ(window->objectName(), "ResultForm");
        EXPECT_TRUE(form->ProgressForm()->isHidden());
        for (const char* name : {"lblZip", "lblEntries", "lblFiles", "lblPassword", "lblLink"})
            result[name] = Find<QLabel>(window, name)->text();
        EXPECT_FALSE(Find<QWidget>(window, "lblWarnings")->isVisible());
        Find<QPushButton>(window, "btnShowInFolder")->click();
        Find<QPushButton>(window, "btnCloseResult")->click();
    }});
    RunJob(*form, folder_);
    EXPECT_EQ(resultWindow.StepsDone(), 1u);
    EXPECT_TRUE(resultWindow.Unexpected().empty());
    EXPECT_EQ(result["lblZip"], QString::fromStdString(zip_) + "\n" +
                                    QLocale().formattedDataSize(fs::file_size(zip_)));
    EXPECT_TRUE(result["lblEntries"].startsWith("Docs.bh  ("))
        << result["lblEntries"].toStdString();
    EXPECT_TRUE(result["lblEntries"].contains("\nDownload the archiver.URL  ("));
    EXPECT_EQ(result["lblFiles"],
              "3 files, " + QLocale().formattedDataSize(5000 + 8 + 1) + " in all");
    EXPECT_EQ(result["lblPassword"], "Protected with a password");
    EXPECT_EQ(result["lblLink"], "http://dl.archiver.example/index.php?ref=~5_~x");
    EXPECT_EQ(shownInFolder, QStringList{QString::fromStdString(zip_)});

    EXPECT_EQ(dialog.title, "Save Monetized Archive As...");
    EXPECT_EQ(dialog.proposedName, "Docs.zip");
    EXPECT_EQ(dialog.defaultSuffix, "zip");
    EXPECT_EQ(dialog.filters, QStringList{".zip (*.zip)"});
    EXPECT_FALSE(dialog.confirmOverwrite);
    EXPECT_TRUE(shownDuringJob);
    EXPECT_EQ(maxBar1, 100);
    EXPECT_EQ(maxBar2, 100);
    EXPECT_FALSE(bar2BeforeBar1Full);

    const std::string x = Extract("pa55");
    EXPECT_EQ(names_, "Docs.bh|Download the archiver.URL\n");
    std::vector<std::string> names;
    for (const auto& entry : ReadBhArchive(x + "/Docs.bh"))
        names.push_back(entry.header.name);
    EXPECT_EQ(names, (std::vector<std::string>{".hidden", "readme.txt", "sub/data.csv"}));
    EXPECT_EQ(ReadFileText(x + "/Download the archiver.URL"),
              "[InternetShortcut]\r\nURL=http://dl.archiver.example/index.php?ref=~5_~x\r\n");

    // The closing steps.
    EXPECT_FALSE(form->ProgressForm()->isVisible());
    EXPECT_EQ(form->State().ArchivePassword, "");
    EXPECT_EQ(Find<QPushButton>(form.get(), "btnPassword")->text(), "Password...");
    EXPECT_TRUE(
        Find<QLabel>(form.get(), "StaticText2")->isVisibleTo(Find<QWidget>(form.get(), "Panel5")));
    EXPECT_TRUE(WorkingFolderEmpty());
    EXPECT_TRUE(Find<QPushButton>(form.get(), "btnOK")->isEnabled());
    EXPECT_EQ(form->State().ReferralRef, "~5_~x");
}

TEST_F(TolvaneFormTest, ACancelledSaveDialogEndsTheJobQuietlyAndKeepsThePassword) {
    auto form = Start();
    {
        ModalScript script({TypeAndAccept("pw"), TypeAndAccept("pw")});
        Find<QPushButton>(form.get(), "btnPassword")->click();
    }
    SaveDialogRecord dialog;
    AnswerSaveDialog(*form, "", &dialog);
    ClickFolder(*form, folder_);
    Find<QPushButton>(form.get(), "btnOK")->click();
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_FALSE(form->JobRunning());
    EXPECT_FALSE(form->ProgressForm()->isVisible());
    EXPECT_EQ(form->State().ArchivePassword, "pw");
    EXPECT_EQ(Find<QPushButton>(form.get(), "btnPassword")->text(), "PROTECTED");
}

TEST_F(TolvaneFormTest, TheSaveDialogProposesTheFolderSelectedEachTime) {
    sandbox_.Scratch().WriteFile("elsewhere/Other/a.txt", "a");
    const std::string other = sandbox_.Scratch() / "elsewhere/Other";
    auto form = Start();
    SaveDialogRecord dialog;
    AnswerSaveDialog(*form, "", &dialog);
    ClickFolder(*form, folder_);
    Find<QPushButton>(form.get(), "btnOK")->click();
    EXPECT_EQ(dialog.proposedName, "Docs.zip");
    EXPECT_EQ(dialog.directory.toStdString(), sandbox_.Home());

    // The same dialog, used again: what the first use showed is gone.
    ClickFolder(*form, other);
    Find<QPushButton>(form.get(), "btnOK")->click();
    EXPECT_EQ(dialog.shown, 2);
    EXPECT_EQ(dialog.proposedName, "Other.zip");
    EXPECT_EQ(dialog.directory.toStdString(), sandbox_.Scratch() / "elsewhere");
    EXPECT_EQ(dialog.title, "Save Monetized Archive As...");
}

TEST_F(TolvaneFormTest, MonetizeBeforeAnyFolderRunsOnlyTheClosingSteps) {
    auto form = Start();
    {
        ModalScript script({TypeAndAccept("pw"), TypeAndAccept("pw")});
        Find<QAction>(form.get(), "SetPassword1")->trigger();
    }
    SaveDialogRecord dialog;
    AnswerSaveDialog(*form, zip_, &dialog);
    sandbox_.Scratch().WriteFile("data/Tolvane/left-over.bh", "x");
    Find<QAction>(form.get(), "Monetize1")->trigger();
    EXPECT_EQ(dialog.shown, 0);
    EXPECT_EQ(form->State().ArchivePassword, "");
    EXPECT_EQ(Find<QPushButton>(form.get(), "btnPassword")->text(), "Password...");
    EXPECT_TRUE(WorkingFolderEmpty());
    EXPECT_FALSE(fs::exists(zip_));
}

TEST_F(TolvaneFormTest, AbortStopsTheJobAndLeavesTheExistingZipAsItWas) {
    ASSERT_EQ(RunPeer("python3 -c " +
                      ShellQuote("import sys, zipfile\n"
                                 "zipfile.ZipFile(sys.argv[1], 'w').writestr('old.txt', 'old')\n") +
                      " " + ShellQuote(zip_))
                  .status,
              0);
    const auto before = ReadFileBytes(zip_);
    const std::string big = BigFolder();
    auto form = Start();
    AnswerSaveDialog(*form, zip_);
    // The ZIP holds another entry: added to, as it always was.
    ModalScript noBoxes({[](QWidget* box) { Find<QPushButton>(box, "btnAddToZip")->click(); }});
    // Abort as soon as the first bar moves, as a user would.
    bool pressed = false;
    QObject::connect(form->ProgressForm()->ProgressBar1(), &QProgressBar::valueChanged,
                     [&](int value) {
                         if (value > 0 && !pressed) {
                             pressed = true;
                             Find<QPushButton>(form->ProgressForm(), "Button1")->click();
                         }
                     });
    RunJob(*form, big);
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(noBoxes.Unexpected().empty()) << noBoxes.Unexpected()[0].toStdString();
    EXPECT_EQ(ReadFileBytes(zip_), before);
    EXPECT_TRUE(WorkingFolderEmpty());
    EXPECT_FALSE(form->ProgressForm()->isVisible());
    EXPECT_EQ(fs::directory_iterator(sandbox_.Scratch() / "out") == fs::directory_iterator(),
              false);
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(sandbox_.Scratch() / "out"))
        ++files;
    EXPECT_EQ(files, 1u); // no temporary file beside the ZIP
}

TEST_F(TolvaneFormTest, ClosingTheWindowDuringAJobCancelsItAndWaits) {
    const std::string big = BigFolder();
    auto form = Start();
    AnswerSaveDialog(*form, zip_);
    ClickFolder(*form, big);
    QSignalSpy ended(form.get(), &TTolvaneForm::programEnded);
    Find<QPushButton>(form.get(), "btnOK")->click();
    ASSERT_TRUE(form->JobRunning());
    Find<QAction>(form.get(), "Exit1")->trigger();
    EXPECT_TRUE(form->isVisible()); // until the worker has ended
    ASSERT_TRUE(WaitFor([&] { return ended.count() > 0; }, 60000));
    EXPECT_FALSE(form->JobRunning());
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(fs::exists(zip_));
    EXPECT_TRUE(WorkingFolderEmpty());
}

TEST_F(TolvaneFormTest, LeftOutFilesAreListedInTheResultWindow) {
    fs::create_symlink(sandbox_.Scratch() / "gone", folder_ + "/broken.txt");
    auto form = Start();
    AnswerSaveDialog(*form, zip_);
    QString warnings, details, password;
    ModalScript script({[&](QWidget* window) {
        warnings = Find<QLabel>(window, "lblWarnings")->text();
        password = Find<QLabel>(window, "lblPassword")->text();
        auto* more = Find<QToolButton>(window, "btnDetails");
        EXPECT_TRUE(more->isVisible());
        EXPECT_FALSE(Find<QWidget>(window, "txtReports")->isVisible());
        more->click();
        EXPECT_TRUE(Find<QWidget>(window, "txtReports")->isVisible());
        details = Find<QPlainTextEdit>(window, "txtReports")->toPlainText();
        qobject_cast<QDialog*>(window)->reject();
    }});
    RunJob(*form, folder_);
    EXPECT_EQ(script.StepsDone(), 1u);
    EXPECT_TRUE(warnings.startsWith("1 file was left out of the archive.\n"))
        << warnings.toStdString();
    EXPECT_EQ(password, "Not protected");
    EXPECT_TRUE(details.contains(QString::fromStdString(folder_ + "/broken.txt")))
        << details.toStdString();
    EXPECT_TRUE(fs::exists(zip_));
}

TEST_F(TolvaneFormTest, AZipWithOtherEntriesIsReplacedOrAddedToAsTheUserSays) {
    struct Case {
        const char* button;
        const char* names; // after the job, as zipfile lists them
        bool jobRuns;
    };
    const std::string notes = sandbox_.Scratch().WriteFile("notes.txt", "n");
    for (const Case& c :
         {Case{"btnReplace", "Docs.bh|Download the archiver.URL\n", true},
          Case{"btnAddToZip", "notes.txt|pics/a.txt|Docs.bh|Download the archiver.URL\n", true},
          Case{"btnCancelJob", "notes.txt|pics/a.txt\n", false}}) {
        // A ZIP of another tool, with two entries of its own.
        fs::remove(zip_);
        const auto made = RunPeer(
            "python3 -c \"import sys, zipfile; z = zipfile.ZipFile(sys.argv[1], 'w'); "
            "z.write(sys.argv[2], 'notes.txt'); z.writestr('pics/a.txt', 'a'); z.close()\" " +
            ShellQuote(zip_) + " " + ShellQuote(notes));
        ASSERT_EQ(made.status, 0) << made.output;
        const std::vector<uint8_t> before = ReadFileBytes(zip_);
        auto form = Start();
        {
            ModalScript script({TypeAndAccept("pw"), TypeAndAccept("pw")});
            Find<QPushButton>(form.get(), "btnPassword")->click();
        }
        AnswerSaveDialog(*form, zip_);
        ClickFolder(*form, folder_);
        QString question, details;
        QSignalSpy ended(form.get(), &TTolvaneForm::jobEnded);
        ModalScript script({[&](QWidget* box) {
                                question = qobject_cast<QMessageBox*>(box)->text();
                                details = qobject_cast<QMessageBox*>(box)->detailedText();
                                Find<QPushButton>(box, c.button)->click();
                            },
                            Reject()});
        Find<QPushButton>(form.get(), "btnOK")->click();
        if (c.jobRuns) {
            ASSERT_TRUE(WaitFor([&] { return ended.count() == 1; }, 120000)) << c.button;
        }
        EXPECT_EQ(question, "Docs.zip already holds 2 other entries. Replace the archive, or add "
                            "to it?");
        EXPECT_EQ(details, "notes.txt\npics/a.txt");
        if (c.jobRuns) {
            Extract("pw");
        } else {
            EXPECT_EQ(ReadFileBytes(zip_), before);
            EXPECT_EQ(form->State().ArchivePassword, "pw"); // as a cancelled save dialog
            EXPECT_FALSE(form->ProgressForm()->isVisible());
            Extract();
        }
        EXPECT_EQ(names_, c.names) << c.button;
    }
    // Monetizing the same folder into its own ZIP again asks nothing.
    auto form = Start();
    AnswerSaveDialog(*form, zip_);
    fs::remove(zip_);
    {
        ModalScript first({Reject()});
        RunJob(*form, folder_);
    }
    ModalScript again({[](QWidget* window) {
        EXPECT_EQ(window->objectName(), "ResultForm");
        qobject_cast<QDialog*>(window)->reject();
    }});
    RunJob(*form, folder_);
    EXPECT_EQ(again.StepsDone(), 1u);
    EXPECT_TRUE(again.Unexpected().empty());
}

TEST_F(TolvaneFormTest, AFailedJobShowsItsMessageAndStillRunsTheClosingSteps) {
    auto form = Start();
    form->State().TargetLanguage = 7;
    {
        ModalScript script({TypeAndAccept("pw"), TypeAndAccept("pw")});
        Find<QPushButton>(form.get(), "btnPassword")->click();
    }
    AnswerSaveDialog(*form, zip_);
    QString text;
    ModalScript script({ReadMessage(&text)});
    RunJob(*form, folder_);
    EXPECT_EQ(text, "No audience language chosen: set it to a number from 0 to 4 in the settings.");
    EXPECT_EQ(form->State().ArchivePassword, "");
    EXPECT_FALSE(form->ProgressForm()->isVisible());
    EXPECT_FALSE(fs::exists(zip_));
}

TEST_F(TolvaneFormTest, AFolderThatCannotTakeTheZipIsSaidBeforeTheProgressWindow) {
    auto form = Start();
    {
        ModalScript script({TypeAndAccept("pw"), TypeAndAccept("pw")});
        Find<QPushButton>(form.get(), "btnPassword")->click();
    }
    // The folder goes after it was chosen (a removable disk taken out, say).
    const std::string gone = sandbox_.Scratch().MakeFolder("gone");
    form->RunSaveDialog = [&](QFileDialog& dialog) {
        dialog.selectFile(QString::fromStdString(gone + "/Docs.zip"));
        fs::remove_all(gone);
        return true;
    };
    ClickFolder(*form, folder_);
    QString text;
    bool progressShown = false;
    ModalScript script({[&](QWidget* box) {
        progressShown = form->ProgressForm()->isVisible();
        text = qobject_cast<QMessageBox*>(box)->text();
        qobject_cast<QMessageBox*>(box)->accept();
    }});
    Find<QPushButton>(form.get(), "btnOK")->click();
    EXPECT_EQ(script.StepsDone(), 1u);
    EXPECT_FALSE(progressShown);
    EXPECT_FALSE(form->JobRunning());
    EXPECT_EQ(text.toStdString(), "cannot write " + gone + "/Docs.zip: No such file or directory");
    EXPECT_EQ(form->State().ArchivePassword, "pw"); // nothing ran
}

TEST_F(TolvaneFormTest, OneFolderArgumentRunsTheJobAndEndsTheProgram) {
    TTolvaneForm form({QString::fromStdString(folder_)});
    AnswerSaveDialog(form, zip_);
    QSignalSpy ended(&form, &TTolvaneForm::programEnded);
    // The job ends with its result; the program ends when that is closed.
    QString zipShown;
    int endedBeforeClose = -1;
    ModalScript script({[&](QWidget* window) {
        zipShown = Find<QLabel>(window, "lblZip")->text();
        endedBeforeClose = static_cast<int>(ended.count());
        Find<QPushButton>(window, "btnCloseResult")->click();
    }});
    form.FormShow();
    EXPECT_FALSE(form.isVisible());
    ASSERT_TRUE(WaitFor([&] { return ended.count() > 0; }, 60000));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(endedBeforeClose, 0);
    EXPECT_TRUE(zipShown.startsWith(QString::fromStdString(zip_))) << zipShown.toStdString();
    Extract();
    EXPECT_EQ(names_, "Docs.bh|Download the archiver.URL\n");
}

TEST_F(TolvaneFormTest, AnArgumentThatIsNoFolderIsReportedAndEndsTheProgram) {
    const std::string file = sandbox_.Scratch().WriteFile("plain.txt", "x");
    TTolvaneForm form({QString::fromStdString(file)});
    SaveDialogRecord dialog;
    AnswerSaveDialog(form, zip_, &dialog);
    QSignalSpy ended(&form, &TTolvaneForm::programEnded);
    QString text;
    ModalScript script({ReadMessage(&text)});
    form.FormShow();
    EXPECT_EQ(text.toStdString(), file + " is not a folder.");
    EXPECT_GT(ended.count(), 0);
    EXPECT_EQ(dialog.shown, 0);
}

TEST_F(TolvaneFormTest, HelpAndAboutLinksOpenTheVendorsAddresses) {
    UrlRecorder urls;
    auto form = Start();
    Find<QAction>(form.get(), "HomePage1")->trigger();
    Find<QAction>(form.get(), "VideoTutorial1")->trigger();
    ModalScript script({[](QWidget* about) {
        QTest::mouseClick(Find<QWidget>(about, "Label6"), Qt::LeftButton);
        QTest::keyClick(Find<QWidget>(about, "Label7"), Qt::Key_Space);
        // The program's one version, as the build gives it.
        EXPECT_EQ(Find<QLabel>(about, "Label1")->text(),
                  QString("Tolvane v. ") + app::kProgramVersion);
        Find<QPushButton>(about, "Button1")->click();
    }});
    Find<QAction>(form.get(), "About1")->trigger();
    EXPECT_EQ(script.StepsDone(), 1u);
    EXPECT_EQ(urls.opened,
              (QStringList{"http://www.tolvane.example", "http://www.tolvane.example",
                           "http://www.tolvane.example", "mailto:support@tolvane.example"}));
}

TEST_F(TolvaneFormTest, ALinkNoProgramTakesShowsTheAddressToCopy) {
    auto form = Start();
    QStringList tried;
    form->Links().openUrl = [&](const QUrl& url) {
        tried << url.toString();
        return false;
    };
    QString address;
    ModalScript script({[&](QWidget* box) {
        EXPECT_EQ(box->objectName(), "LinkFailedBox");
        auto* edit = Find<QLineEdit>(box, "edLinkAddress");
        address = edit->text();
        EXPECT_TRUE(edit->isReadOnly());
        Find<QPushButton>(box, "btnCopyLink")->click();
        Find<QPushButton>(box, "btnCloseLink")->click();
    }});
    QApplication::clipboard()->clear();
    Find<QAction>(form.get(), "HomePage1")->trigger();
    EXPECT_EQ(script.StepsDone(), 1u);
    EXPECT_EQ(tried, QStringList{"http://www.tolvane.example"});
    EXPECT_EQ(address, "http://www.tolvane.example");
    EXPECT_EQ(QApplication::clipboard()->text(), "http://www.tolvane.example");
}

} // namespace

#include "TolvaneFormTest.moc"
