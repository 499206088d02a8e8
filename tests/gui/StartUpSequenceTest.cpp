// The whole start-up of the main window with the real sign-up and update
// windows: first start, second start, both IDs, Settings > Configure,
// settings that cannot be read, and an update host that is silent or
// refuses the connection.
#include "gui/TolvaneForm.h"

#include "GuiTestSupport.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace tolvane;
using namespace tolvane::gui;
using namespace tolvane::test;

namespace {

struct PageSeen {
    bool signUp = false;
    bool ids = false;
    int height = 0;
    QString partnerId;
};

ModalScript::Step See(PageSeen* seen, const ModalScript::Step& then) {
    return [seen, then](QWidget* dialog) {
        seen->signUp = Find<QWidget>(dialog, "Panel1")->isVisible();
        seen->ids = Find<QWidget>(dialog, "Panel2")->isVisible();
        seen->height = dialog->height();
        seen->partnerId = Find<QLineEdit>(dialog, "EdPartnerID")->text();
        then(dialog);
    };
}

ModalScript::Step SaveIds(const char* partner, const char* software) {
    return [partner, software](QWidget* dialog) {
        Find<QLineEdit>(dialog, "EdPartnerID")->setText(partner);
        Find<QLineEdit>(dialog, "EdSoftwareID")->setText(software);
        Find<QComboBox>(dialog, "ComboBox1")->setCurrentIndex(1);
        Find<QPushButton>(dialog, "BtnSaveChanges")->click();
    };
}

TEST(StartUpSequenceTest, AFirstStartShowsTheSignUpPageAndLeavingItEndsTheProgram) {
    GuiSandbox sandbox;
    TTolvaneForm form({});
    QSignalSpy ended(&form, &TTolvaneForm::programEnded);
    PageSeen seen;
    ModalScript script({See(&seen, Reject())});
    form.FormShow();
    EXPECT_TRUE(seen.signUp);
    EXPECT_FALSE(seen.ids);
    EXPECT_EQ(seen.height, 340);
    EXPECT_GT(ended.count(), 0);
    EXPECT_FALSE(form.isVisible());
}

TEST(StartUpSequenceTest, ASecondStartShowsTheIdsPageAndSavedIdsOpenTheMainWindow) {
    GuiSandbox sandbox;
    sandbox.WriteSettings(true, "P1", "", 0);
    TTolvaneForm form({});
    QSignalSpy ended(&form, &TTolvaneForm::programEnded);
    PageSeen seen;
    ModalScript script({See(&seen, SaveIds("P1", "S1"))});
    form.FormShow();
    EXPECT_TRUE(seen.ids);
    EXPECT_FALSE(seen.signUp);
    EXPECT_EQ(seen.height, 210);
    EXPECT_EQ(ended.count(), 0);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.State().SoftwareID, "S1");
    EXPECT_EQ(form.State().TargetLanguage, 1);
}

TEST(StartUpSequenceTest, WithBothIdsNothingIsAskedAndConfigureReopensTheIdsPage) {
    GuiSandbox sandbox;
    sandbox.WriteSettings(true, "P1", "S1", 0);
    TTolvaneForm form({});
    {
        ModalScript none({});
        form.FormShow();
        EXPECT_TRUE(none.Unexpected().empty());
    }
    EXPECT_TRUE(form.isVisible());
    PageSeen seen;
    ModalScript script({See(&seen, SaveIds("P2", "S2"))});
    Find<QPushButton>(&form, "BitBtn1")->click();
    EXPECT_TRUE(seen.ids);
    EXPECT_EQ(seen.height, 210);
    EXPECT_EQ(seen.partnerId, "P1"); // filled with the stored ID
    EXPECT_EQ(form.State().PartnerID, "P2");
    EXPECT_EQ(form.State().SoftwareID, "S2");
    EXPECT_EQ(form.State().TargetLanguage, 1);
    // The next job takes them.
    EXPECT_EQ(app::JobInput::FromState(form.State()).partnerId, "P2");
}

// The store names the file and the cause; the window words it for the user,
// then goes on as on a first start.
TEST(StartUpSequenceTest, SettingsThatCannotBeReadAreSaidWithWhomToAsk) {
    GuiSandbox sandbox;
    sandbox.Scratch().WriteFile("config/Tolvane/settings", "signedup=dword:1\ngarbage\n");
    QString text;
    PageSeen seen;
    ModalScript script({ReadMessage(&text), See(&seen, Reject())});
    TTolvaneForm form({});
    form.FormShow();
    EXPECT_EQ(text, "Could not read data from Registry.\nPlease contact us at "
                    "support@tolvane.example");
    EXPECT_TRUE(seen.signUp);
    EXPECT_TRUE(script.Unexpected().empty());
}

// A port that takes connections and never answers.
class SilentListener {
public:
    SilentListener() {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(fd_, 8) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            ADD_FAILURE() << "cannot listen";
        port_ = ntohs(address.sin_port);
    }
    ~SilentListener() { close(fd_); }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    int fd_ = -1;
    int port_ = 0;
};

TEST(StartUpSequenceTest, TheMainWindowAppearsWithinTheChecksTimeoutWhenTheUpdateHostIsSilent) {
    GuiSandbox sandbox;
    sandbox.WriteSettings(true, "P1", "S1", 0);
    SilentListener silent;
    struct Case {
        std::string host;
        qint64 within;
    };
    for (const Case& c : {Case{silent.Host(), 7000}, Case{"127.0.0.1:9", 1000}}) {
        EnvironmentGuard env({{"TOLVANE_UPDATE_HOST", c.host.c_str()}});
        TTolvaneForm form({});
        // The event loop keeps turning while the check runs.
        int turns = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++turns; });
        ticker.start(50);
        QElapsedTimer clock;
        clock.start();
        form.FormShow();
        const qint64 took = clock.elapsed();
        EXPECT_TRUE(form.isVisible()) << c.host;
        EXPECT_LT(took, c.within) << c.host;
        if (c.within > 1000) {
            EXPECT_GT(took, 3000) << "the silent host was waited for";
            EXPECT_GT(turns, 20);
        }
    }
}

} // namespace
