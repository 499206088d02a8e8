// Renders the program's windows in a given language into PNG files for the
// documentation (run by scripts/screenshots.sh under Xvfb).
// Usage: tolvane-render-windows OUTDIR en|de SAMPLE-FOLDER
#include "GuiTestSupport.h"

#include "gui/AboutForm.h"
#include "gui/ProgressForm.h"
#include "gui/TolvaneForm.h"
#include "gui/UpdaterForm.h"
#include "gui/WelcomeForm.h"
#include "support/HttpTestServer.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::test;

namespace {

bool Save(QWidget* window, const QString& path) {
    const bool saved = window->grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc != 4) {
        std::fprintf(stderr, "Usage: %s OUTDIR en|de SAMPLE-FOLDER\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const std::string language = argv[2];
    GuiSandbox sandbox(language == "de" ? "de_DE" : "en_US");
    sandbox.WriteSettings(true, "P1234", "S5678", 0);
    // A publisher's home folder: a few named folders, the book to publish
    // among them, a dot-file or two as every home has.
    const std::string sample = sandbox.Home() + "/Books/The Harbour Road";
    fs::create_directories(sandbox.Home() + "/Books");
    fs::copy(argv[3], sample, fs::copy_options::recursive);
    sandbox.Scratch().WriteFile("home/Books/The Harbour Road/.editorconfig", "root = true\n");
    for (const char* folder : {"Audiobooks", "Desktop", "Documents", "Downloads", "Music",
                               "Pictures", "Podcast", "Projects", "Public", "Templates", "Website"})
        sandbox.Scratch().MakeFolder(std::string("home/") + folder);
    sandbox.Scratch().WriteFile("home/.profile", "# ~/.profile\n");
    sandbox.Scratch().WriteFile("home/Books/Notes for the next book.txt", "Ideas\n");
    for (int i = 0; i < 4; ++i)
        sandbox.Scratch().WriteFile("home/Videos/clip" + std::to_string(i) + ".mpg",
                                    RandomBytes(16 << 20, static_cast<uint32_t>(i + 7)));
    const QString suffix = "-" + QString::fromStdString(language) + ".png";
    bool ok = true;

    gui::TTolvaneForm form({});
    form.FormShow();
    // The window as it opens, then with the book's folder chosen.
    QTest::qWait(500);
    ok = Save(&form, out + "/start" + suffix) && ok;
    ClickFolder(form, sample);
    WaitFor([&] {
        auto* tally = form.findChild<QLabel*>("lblFolderTally");
        return tally && !tally->text().endsWith(QStringLiteral("…"));
    });
    QTest::qWait(300); // the list fills in the background
    ok = Save(&form, out + "/main" + suffix) && ok;

    // A job on the book with a password: the result window.
    {
        ModalScript script({TypeAndAccept("secret"), TypeAndAccept("secret")});
        form.findChild<QPushButton*>("btnPassword")->click();
    }
    const std::string bookZip = sandbox.Scratch().MakeFolder("out") + "/The Harbour Road.zip";
    AnswerSaveDialog(form, bookZip);
    {
        QSignalSpy ended(&form, &gui::TTolvaneForm::jobEnded);
        ModalScript script({[&](QWidget* result) {
            QTest::qWait(100);
            ok = Save(result, out + "/result" + suffix) && ok;
            qobject_cast<QDialog*>(result)->reject();
        }});
        form.findChild<QPushButton*>("btnOK")->click();
        WaitFor([&] { return ended.count() > 0; }, 120000);
    }
    // The same ZIP name for another folder's job: the question before it.
    {
        ClickFolder(form, sandbox.Home() + "/Books");
        fs::rename(bookZip, sandbox.Scratch() / "out/Books.zip");
        AnswerSaveDialog(form, sandbox.Scratch() / "out/Books.zip");
        ModalScript script({[&](QWidget* box) {
            QTest::qWait(100);
            ok = Save(box, out + "/replace-add" + suffix) && ok;
            box->findChild<QPushButton*>("btnCancelJob")->click();
        }});
        form.findChild<QPushButton*>("btnOK")->click();
    }

    {
        ModalScript script({[&](QWidget* about) {
            QTest::qWait(100);
            ok = Save(about, out + "/about" + suffix) && ok;
            about->findChild<QPushButton*>("Button1")->click();
        }});
        form.AboutForm()->exec();
    }

    AnswerSaveDialog(form, sandbox.Scratch() / "Videos.zip");
    ClickFolder(form, sandbox.Home() + "/Videos");
    QSignalSpy ended(&form, &gui::TTolvaneForm::jobEnded);
    form.findChild<QPushButton*>("btnOK")->click();
    WaitFor([&] { return form.ProgressForm()->ProgressBar1()->value() >= 40; });
    QTest::qWait(50);
    ok = Save(form.ProgressForm(), out + "/progress" + suffix) && ok;
    form.ProgressForm()->Button1Click();
    WaitFor([&] { return ended.count() > 0; });

    // The sign-up window on both pages, a few fields typed.
    for (const auto page : {gui::SignUpStep::Page::SignUp, gui::SignUpStep::Page::IDs}) {
        const bool ids = page == gui::SignUpStep::Page::IDs;
        ModalScript script({[&](QWidget* welcome) {
            welcome->findChild<QLineEdit*>("EdName")->setText("Ann Lee");
            welcome->findChild<QLineEdit*>("EdEmail")->setText("ann@site.example");
            welcome->findChild<QLineEdit*>("EdPartnerID")->setText("P1234");
            QTest::qWait(100);
            ok = Save(welcome, out + (ids ? "/ids" : "/signup") + suffix) && ok;
            form.WelcomeForm()->reject();
        }});
        form.WelcomeForm()->ShowModalOn(page);
    }

    // The update window mid-download, from a local server.
    const std::string www = sandbox.Scratch().MakeFolder("www");
    sandbox.Scratch().WriteFile("www/files/setup.bin", RandomBytes(48 << 20, 11));
    sandbox.Scratch().WriteFile("www/update.html",
                                "<META NAME=\"upProduct\" CONTENT=\"Tolvane\">\r\n"
                                "<META NAME=\"upVersion\" CONTENT=\"1.1\">\r\n"
                                "<META NAME=\"upDownload\" CONTENT=\"/files/setup.bin\">\r\n"
                                "<META NAME=\"upClientSideName\" CONTENT=\"setup.bin\">\r\n");
    HttpTestServer server(www, sandbox.Scratch() / "requests.log");
    gui::Tupdaterform* updater = form.updaterform();
    updater->WebUpdater.ProductInfo.SetURL(server.Url("/update.html"));
    updater->WebUpdater.TargetFolder = sandbox.Scratch().MakeFolder("download");
    updater->Launch = [](const std::string&, const std::string&) -> platform::Expected<void> {
        return {};
    };
    auto* bar = updater->findChild<QProgressBar*>("ProgressBar1");
    bool grabbed = false;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        if (grabbed || value < bar->maximum() / 3)
            return;
        grabbed = true;
        ok = Save(updater, out + "/update" + suffix) && ok;
        updater->CancelBtnClick();
    });
    ModalScript answer(
        {[](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); }});
    updater->RunStartUpCheck();
    return ok && grabbed ? 0 : 1;
}
