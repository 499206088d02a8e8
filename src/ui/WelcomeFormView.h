// What the sign-up window's logic asks of the sign-up window: captions,
// field texts, which page shows at what size, the messages in the window
// and in boxes, the focus, and the sign-up mail run off the window's thread.
// The Qt window and the Win32 one implement it; the tests fake it.
#pragma once

#include "ViewRequests.h"

#include "app/SignUp.h"
#include "platform/CancelToken.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tolvane::ui {

// The sign-up window's controls that the logic names, by their names in the
// window: the sign-up page Panel1 and the IDs page Panel2 with theirs.
enum class WelcomeControl {
    Panel1,
    Label12, // the tutorial link
    Label1,
    Label5,
    EdName,
    Label6,
    EdEmail,
    LblEmailError, // why the address was refused, beside its field
    Label7,
    EdWebsite,
    Label8,
    EdDescription,
    Button2,      // "Sign up!"
    Label9,       // the link to the IDs page
    LblSendError, // why the mail could not be sent
    Panel2,
    Label10,
    Label2,
    EdPartnerID,
    Label4,
    EdSoftwareID,
    Label11,
    ComboBox1, // the audience language
    BtnSaveChanges,
    Label3, // the link back to the sign-up page
};

// The sign-up mail as the view runs it: on a worker thread, with a token the
// view requests the stop of.
using SignUpBody = std::function<app::SignupResult(const platform::CancelToken& cancel)>;

class WelcomeFormView {
public:
    virtual ~WelcomeFormView() = default;

    virtual void SetTitle(const std::string& title) = 0;
    virtual void SetCaption(WelcomeControl control, const std::string& caption) = 0;
    virtual void SetEnabled(WelcomeControl control, bool enabled) = 0;
    // What is typed in the field `control` now, and replacing it.
    virtual std::string Text(WelcomeControl control) const = 0;
    virtual void SetText(WelcomeControl control, const std::string& text) = 0;
    // ComboBox1's entries and the one chosen (-1: none).
    virtual void SetLanguages(const std::vector<std::string>& names, int32_t selected) = 0;
    virtual int32_t SelectedLanguage() const = 0;

    // Shows `page` alone at `clientWidth` by at least `clientHeight` (taller
    // where a language's texts or a message in the window need it), its
    // button the one Enter presses.
    virtual void ShowPage(SignUpPage page, int clientWidth, int clientHeight) = 0;
    // Shows `text` in the message label `control` in the window, or hides it
    // when empty, and fits the window round it.
    virtual void ShowNote(WelcomeControl control, const std::string& text) = 0;
    virtual void Focus(WelcomeControl control) = 0;
    virtual void SelectAll(WelcomeControl control) = 0;
    // The busy cursor while the mail is on its way.
    virtual void SetBusy(bool busy) = 0;

    virtual void ShowMessage(const Message& message) = 0;
    // The settings could not be written: `text` (untranslated, as the core
    // has it) with the file and the cause in `details`.
    virtual void ShowWriteError(const std::string& title, const std::string& text,
                                const std::string& details) = 0;
    virtual void OpenLink(const std::string& url) = 0;

    // Runs `body` off the window's thread and returns at once; the view hands
    // its result to WelcomeFormLogic::SignUpFinished on the window's thread
    // once the worker has ended.
    virtual void StartSignUp(SignUpBody body) = 0;
    // Stops the running mail (its connection closed at once), waits for the
    // worker and hands back its result, which SignUpFinished is then not
    // given.
    virtual app::SignupResult StopSignUp() = 0;
    // The window closes; the Tag says what came of it.
    virtual void CloseWindow() = 0;
};

} // namespace tolvane::ui
