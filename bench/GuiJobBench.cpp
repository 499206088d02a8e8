// The main window's job on a folder, timed from the answered save dialog to
// the end, with the longest gap between two turns of the GUI event loop while
// it runs (bench/gui_job.sh).
// Usage: gui-job-bench FOLDER OUT.zip
// Prints "seconds=S max_gap_ms=G gap_ended_at=T ticks=N"; settings and the
// working folder come from the environment as for the program.
#include "gui/ProgressForm.h"
#include "gui/TolvaneForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QTimer>
#include <QTreeView>

#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc != 3) {
        std::fprintf(stderr, "Usage: %s FOLDER OUT.zip\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString zip = QString::fromLocal8Bit(argv[2]);

    // The job's time starts when the save dialog is answered, as the CLI's
    // starts with the output already named; building the dialog is not timed.
    QElapsedTimer clock;
    qint64 lastTick = 0;
    tolvane::gui::TTolvaneForm form({});
    form.RunSaveDialog = [&](QFileDialog& dialog) {
        dialog.selectFile(zip);
        clock.start();
        lastTick = 0;
        return true;
    };
    // Only the job is measured: no update check, no sign-up window.
    form.SetUpdateCheckStep(nullptr);
    form.SetSignUpStep(nullptr);
    form.FormShow();
    auto* tree = form.findChild<QTreeView*>("ShellTreeView1");
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    form.ShellTreeView1Click(model->index(folder));
    // A user presses the button after the folder's tally is shown: the count
    // is not the job's and must not share its cores.
    auto* tally = form.findChild<QLabel*>("lblFolderTally");
    const QString counting = tally->text();
    QElapsedTimer waited;
    waited.start();
    while (tally->text() == counting && waited.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

    // A 5 ms timer: each tick is one turn of the loop; a long gap between
    // ticks is a moment the window could not repaint or react.
    qint64 maxGap = 0, maxGapAt = 0, ticks = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (!clock.isValid())
            return;
        const qint64 now = clock.nsecsElapsed();
        if (now - lastTick > maxGap) {
            maxGap = now - lastTick;
            maxGapAt = now;
        }
        lastTick = now;
        ++ticks;
        // The result box at the end waits for a click; it gets one.
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    QEventLoop loop;
    QObject::connect(&form, &tolvane::gui::TTolvaneForm::jobEnded, &loop, &QEventLoop::quit);
    ticker.start(5);
    QTimer::singleShot(0, &form, &tolvane::gui::TTolvaneForm::btnOKClick);
    loop.exec();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    ticker.stop();
    std::printf("seconds=%.3f max_gap_ms=%.1f gap_ended_at=%.3f ticks=%lld\n", seconds,
                static_cast<double>(maxGap) / 1e6, static_cast<double>(maxGapAt) / 1e9,
                static_cast<long long>(ticks));
    return 0;
}
