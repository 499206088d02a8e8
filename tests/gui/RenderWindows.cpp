// Renders the program's windows in a given language into PNG files for the
// documentation (run by scripts/screenshots.sh under Xvfb).
// Usage: tolvane-render-windows OUTDIR en|de SAMPLE-FOLDER
#include "GuiTestSupport.h"

#include "gui/AboutForm.h"
#include "gui/ProgressForm.h"
#include "gui/TolvaneForm.h"

#include <QApplication>
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
    const std::string sample = sandbox.Home() + "/sample-folder";
    fs::copy(argv[3], sample, fs::copy_options::recursive);
    for (int i = 0; i < 4; ++i)
        sandbox.Scratch().WriteFile("home/Videos/clip" + std::to_string(i) + ".mpg",
                                    RandomBytes(16 << 20, static_cast<uint32_t>(i + 7)));
    const QString suffix = "-" + QString::fromStdString(language) + ".png";
    bool ok = true;

    gui::TTolvaneForm form({});
    form.FormShow();
    ClickFolder(form, sample);
    QTest::qWait(500); // the list fills in the background
    if (auto* tree = form.findChild<QTreeView*>("ShellTreeView1"))
        tree->scrollTo(tree->currentIndex(), QAbstractItemView::PositionAtCenter);
    QTest::qWait(100);
    ok = Save(&form, out + "/main" + suffix) && ok;

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
    return ok ? 0 : 1;
}
