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

#include <QAbstractItemView>
#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>

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
    // The list shows the folder's folders, files and hidden items.
    auto* list = Find<QAbstractItemView>(form.get(), "ShellListView1");
    EXPECT_TRUE(WaitFor([&] { return list->model()->rowCount(list->rootIndex()) == 3; }));
    EXPECT_FALSE(list->isEnabled());
}

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
    cases.push_back(
        {"empty OK asks again",
         {TypeAndAccept(""), TypeAndAccept("xyz"), TypeAndAccept(""), TypeAndAccept("xyz")},
         false,
         "PROTECTED",
         "xyz"});
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
        EXPECT_EQ(Find<QPushButton>(form.get(), "btnPassword")->text(), c.caption) << c.name;
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
    ModalScript noBoxes({});
    RunJob(*form, folder_);
    EXPECT_TRUE(noBoxes.Unexpected().empty()) << noBoxes.Unexpected()[0].toStdString();

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
    ModalScript noBoxes({});
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

TEST_F(TolvaneFormTest, LeftOutFilesAreListedInOneReport) {
    fs::create_symlink(sandbox_.Scratch() / "gone", folder_ + "/broken.txt");
    auto form = Start();
    AnswerSaveDialog(*form, zip_);
    QString text, details;
    ModalScript script({ReadMessage(&text, &details)});
    RunJob(*form, folder_);
    EXPECT_EQ(script.StepsDone(), 1u);
    EXPECT_EQ(text, "1 files were left out of the archive.");
    EXPECT_TRUE(details.contains(QString::fromStdString(folder_ + "/broken.txt")))
        << details.toStdString();
    EXPECT_TRUE(fs::exists(zip_));
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

TEST_F(TolvaneFormTest, OneFolderArgumentRunsTheJobAndEndsTheProgram) {
    TTolvaneForm form({QString::fromStdString(folder_)});
    AnswerSaveDialog(form, zip_);
    QSignalSpy ended(&form, &TTolvaneForm::programEnded);
    form.FormShow();
    EXPECT_FALSE(form.isVisible());
    ASSERT_TRUE(WaitFor([&] { return ended.count() > 0; }, 60000));
    EXPECT_FALSE(form.isVisible());
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

} // namespace

#include "TolvaneFormTest.moc"
