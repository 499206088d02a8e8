// The update window against the local HTTP server, through its widgets: the
// question in a message box answered No and Yes, the bar moved by queued
// calls while the event loop goes on, Abort while the question is open and
// during a download reaching the transfer, a failed download said in the
// window; the info window's buttons. What the check decides is
// UpdaterFormLogic's, tested in tests/ui.
#include "gui/UpdaterForm.h"

#include "GuiTestSupport.h"

#include "app/ProgramInfo.h"
#include "gui/UpdateInfoForm.h"
#include "support/HttpTestServer.h"

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include <filesystem>

namespace fs = std::filesystem;
using namespace tolvane;
using namespace tolvane::gui;
using namespace tolvane::test;

namespace {

std::string Meta(const std::string& name, const std::string& content) {
    return "<META NAME=\"" + name + "\" CONTENT=\"" + content + "\">\r\n";
}

ModalScript::Step Answer(QMessageBox::StandardButton button, QString* text = nullptr) {
    return [button, text](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        if (text)
            *text = box->text();
        box->button(button)->click();
    };
}

// Waits for the window to show a failure (its button turned "Close"), reads
// the text and closes it.
class FailureReader {
public:
    explicit FailureReader(Tupdaterform& form) {
        QObject::connect(&watch_, &QTimer::timeout, [this, &form] {
            auto* button = Find<QPushButton>(&form, "CancelBtn");
            // Read once the check is over: the failure must still be on
            // screen then, waiting for the user.
            if (button->text() != "Close" || form.Checking() || !info_.isEmpty())
                return;
            info_ = Find<QLabel>(&form, "lblInfo")->text();
            visible_ = form.isVisible();
            button->click();
        });
        watch_.start(20);
    }
    const QString& Info() const { return info_; }
    bool WasVisible() const { return visible_; }

private:
    QTimer watch_;
    QString info_;
    bool visible_ = false;
};

class UpdaterFormTest : public ::testing::Test {
protected:
    UpdaterFormTest()
        : tmp_(sandbox_.Scratch().MakeFolder("tmp")),
          env_({{"TMPDIR", tmp_.c_str()}, {"http_proxy", nullptr}, {"all_proxy", nullptr}}),
          server_(sandbox_.Scratch().MakeFolder("www"), sandbox_.Scratch() / "requests.log"),
          host_(server_.Url("").substr(7)), hostEnv_({{"TOLVANE_UPDATE_HOST", host_.c_str()}}),
          texts_(table_, 0) {
        Offer("/files/setup.bin", RandomBytes(10000, 3));
    }

    void Offer(const std::string& download, const std::vector<uint8_t>& installer) {
        sandbox_.Scratch().WriteFile("www/files/setup.bin", installer);
        sandbox_.Scratch().WriteFile("www/update.html",
                                     "<html><head>\r\n" + Meta("upProduct", "Tolvane") +
                                         Meta("upVersion", "1.1") + Meta("upDownload", download) +
                                         Meta("upClientSideName", "setup.bin") +
                                         Meta("upRunParameters", "/S") + "</head></html>\r\n");
    }

    std::unique_ptr<Tupdaterform> Make() {
        auto form = std::make_unique<Tupdaterform>(texts_, app::VendorConfig::FromEnvironment());
        form->Launch = [this](const std::string& path,
                              const std::string& parameters) -> platform::Expected<void> {
            launched_.push_back(path + " " + parameters);
            return {};
        };
        return form;
    }

    bool Requested(const std::string& path) const {
        return ReadFileText(sandbox_.Scratch() / "requests.log").find("GET " + path) !=
               std::string::npos;
    }

    GuiSandbox sandbox_;
    std::string tmp_;
    EnvironmentGuard env_;
    HttpTestServer server_;
    std::string host_;
    EnvironmentGuard hostEnv_;
    app::TranslationTable table_;
    UiTexts texts_;
    std::vector<std::string> launched_;
};

TEST_F(UpdaterFormTest, NoInTheMessageBoxEndsTheCheckWithoutDownloading) {
    auto form = Make();
    QString question;
    ModalScript script({Answer(QMessageBox::No, &question)});
    EXPECT_TRUE(form->RunStartUpCheck());
    EXPECT_EQ(
        question,
        QString("Version 1.1 is available; you have %1. Update now?").arg(app::kProgramVersion));
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(Requested("/files/setup.bin"));
    EXPECT_TRUE(fs::is_empty(tmp_));
    EXPECT_TRUE(launched_.empty());
}

TEST_F(UpdaterFormTest, YesDownloadsWithTheBarUpToContentLengthAndStartsTheInstaller) {
    Offer("/files/setup.bin", RandomBytes(4 << 20, 3));
    auto form = Make();
    auto* bar = Find<QProgressBar>(form.get(), "ProgressBar1");
    bool shownWhileDownloading = false;
    int ticksWhileDownloading = 0;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int) {
        shownWhileDownloading = shownWhileDownloading || form->isVisible();
    });
    // The event loop goes on while the worker downloads.
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { ticksWhileDownloading += form->isVisible() ? 1 : 0; });
    ticker.start(1);
    ModalScript script({Answer(QMessageBox::Yes)});
    EXPECT_FALSE(form->RunStartUpCheck()); // the program is to end
    EXPECT_TRUE(shownWhileDownloading);
    EXPECT_GT(ticksWhileDownloading, 0);
    EXPECT_EQ(bar->maximum(), 4 << 20);
    EXPECT_EQ(bar->value(), 4 << 20);
    EXPECT_EQ(launched_, std::vector<std::string>{tmp_ + "/setup.bin /S"});
    EXPECT_EQ(ReadFileBytes(tmp_ + "/setup.bin"), RandomBytes(4 << 20, 3));
}

TEST_F(UpdaterFormTest, AbortDuringTheDownloadLeavesNoFileAndTheProgramGoesOn) {
    Offer("/files/setup.bin", RandomBytes(40 << 20, 5));
    auto form = Make();
    bool pressed = false;
    QObject::connect(Find<QProgressBar>(form.get(), "ProgressBar1"), &QProgressBar::valueChanged,
                     [&](int value) {
                         if (value > 0 && !pressed) {
                             pressed = true;
                             Find<QPushButton>(form.get(), "CancelBtn")->click();
                         }
                     });
    ModalScript script({Answer(QMessageBox::Yes)});
    EXPECT_TRUE(form->RunStartUpCheck());
    EXPECT_TRUE(pressed);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(launched_.empty());
    EXPECT_TRUE(fs::is_empty(tmp_));
    EXPECT_TRUE(script.Unexpected().empty());
}

// Abort while the question is open: the check ends at once, before the
// question is answered, and the Yes that follows downloads nothing.
TEST_F(UpdaterFormTest, AbortBeforeTheDownloadBeginsKeepsItFromBeingRequested) {
    auto form = Make();
    bool shown = false;
    QObject::connect(Find<QProgressBar>(form.get(), "ProgressBar1"), &QProgressBar::valueChanged,
                     [&](int) { shown = shown || form->isVisible(); });
    bool endedBeforeTheAnswer = false;
    ModalScript script({[&](QWidget* box) {
        Find<QPushButton>(form.get(), "CancelBtn")->click();
        endedBeforeTheAnswer = WaitFor([&] { return !form->Checking(); }, 5000);
        Answer(QMessageBox::Yes)(box);
    }});
    EXPECT_TRUE(form->RunStartUpCheck());
    EXPECT_EQ(script.StepsDone(), 1u);
    EXPECT_TRUE(endedBeforeTheAnswer);
    EXPECT_FALSE(shown);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(Requested("/update.html"));
    EXPECT_FALSE(Requested("/files/setup.bin"));
    EXPECT_TRUE(fs::is_empty(tmp_));
    EXPECT_TRUE(launched_.empty());
}

TEST_F(UpdaterFormTest, AFailedDownloadShowsItsReasonAndAbortBecomesClose) {
    Offer("/short/files/setup.bin", RandomBytes(3000, 4));
    auto form = Make();
    FailureReader reader(*form);
    ModalScript script({Answer(QMessageBox::Yes)});
    EXPECT_TRUE(form->RunStartUpCheck());
    EXPECT_TRUE(reader.WasVisible()); // the check was over, the window waited for the user
    EXPECT_EQ(reader.Info(), "The download failed: /short/files/setup.bin: received 3000 of the "
                             "3100 bytes of its Content-Length");
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(launched_.empty());
}

TEST(UpdateInfoFormTest, TheButtonsStayCentredAsAPairAndTheAddressIsShown) {
    TUpdateInfoForm form;
    ModalScript script({[](QWidget* dialog) {
        auto* ok = Find<QPushButton>(dialog, "btn_OK");
        auto* cancel = Find<QPushButton>(dialog, "btn_Cancel");
        auto* panel = Find<QWidget>(dialog, "Panel_Bottom");
        for (int width : {530, 401, 300}) {
            dialog->resize(width, 453);
            QApplication::processEvents();
            EXPECT_EQ(ok->x(), (panel->width() - ok->width() - cancel->width() - 6) / 2) << width;
            EXPECT_EQ(cancel->x(), ok->x() + ok->width() + 3) << width;
        }
        EXPECT_EQ(Find<QLabel>(dialog, "WebBrowser")->text(), "http://update.example/update.html");
        EXPECT_EQ(ok->text(), "&OK");
        Find<QCheckBox>(dialog, "chk_FutureUpdate")->setChecked(false);
        ok->click();
    }});
    bool check = true;
    EXPECT_TRUE(form.ShowModal({}, "http://update.example/update.html", check));
    EXPECT_FALSE(check);
    EXPECT_EQ(script.StepsDone(), 1u);
}

} // namespace
