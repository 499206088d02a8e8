#include "UpdaterFormLogic.h"

#include "app/ProgramInfo.h"
#include "platform/OpenWithDesktop.h"

#include <algorithm>
#include <climits>
#include <initializer_list>

namespace tolvane::ui {

namespace {

// `text` with "%1", "%2"... replaced by the arguments, after the lookup, so
// that a translation may put them where its language wants them.
std::string WithArguments(std::string text, std::initializer_list<std::string> arguments) {
    int number = 1;
    for (const std::string& argument : arguments) {
        const std::string mark = "%" + std::to_string(number++);
        for (size_t at = text.find(mark); at != std::string::npos;
             at = text.find(mark, at + argument.size()))
            text.replace(at, mark.size(), argument);
    }
    return text;
}

} // namespace

UpdaterFormLogic::UpdaterFormLogic(const app::TranslationTable& table, int language,
                                   const app::VendorConfig& vendor, UpdaterFormView& view)
    : Launch(&platform::OpenWithDesktop), FetchOffer(&update::FetchOffer),
      Download([](const update::Offer& offer, const platform::CancelToken& cancel,
                  const update::DownloadProgress& progress) {
          return update::Download(offer, cancel, progress);
      }),
      table_(table), language_(language), view_(view) {
    // This program's settings of the component.
    WebUpdater.ProductInfo.SetURL("http://" + vendor.updateHost + "/update.html");
    WebUpdater.ProductInfo.Version = app::kProgramVersion;
    WebUpdater.ProductInfo.VersionFormat = update::vfString;
    WebUpdater.Options = {update::uoRunUpdate, update::uoTerminate, update::uoOverwrite};
}

std::string UpdaterFormLogic::Translate(const char* english) const {
    return table_.Translate(english, language_);
}

void UpdaterFormLogic::FormShow() {
    view_.SetTitle(Translate("Update Software"));
    if (failureShown_)
        return; // the failure stays until the window is closed
    view_.SetCaption(UpdaterControl::CancelBtn, Translate("Abort"));
    view_.SetCaption(UpdaterControl::lblInfo,
                     Translate("Downloading new version. Please wait ..."));
}

bool UpdaterFormLogic::RunCheck() {
    if (checking_)
        return false; // Busy
    checking_ = true;
    aborted_ = downloading_ = failureShown_ = waitingForClose_ = terminate_ = false;
    // The worker takes copies: nothing it reads is shared with this thread.
    view_.StartCheck([this, check = WebUpdater, fetch = FetchOffer, download = Download,
                      launch = Launch, interval = ProgressInterval](UpdateCheckWorker& worker) {
        UpdateCheckResult result;
        const platform::Expected<update::Offer> offer = fetch(check, worker.Token());
        // A failed check of the update page ends quietly.
        if (!offer || !offer->newer)
            return result;
        const bool accepted = worker.Ask(
            [this, installed = offer->installedVersion, offered = offer->values.Version] {
                return UpdateAvailable(installed, offered);
            });
        if (!accepted)
            return result;
        update::DownloadProgress progress;
        progress.begins = [this, &worker](const std::string&) {
            worker.Post([this] { BeforeDownload(); });
        };
        progress.received = [this, &worker, interval,
                             last = std::chrono::steady_clock::time_point()](
                                int64_t total, int64_t received) mutable {
            const auto now = std::chrono::steady_clock::now();
            if (received != total && now - last < interval)
                return;
            last = now;
            worker.Post([this, total, received] { Downloaded(total, received); });
        };
        const platform::Expected<std::string> path = download(*offer, worker.Token(), progress);
        if (!path) {
            if (!path.Error().Cancelled())
                result.downloadFailure = path.Error();
            return result;
        }
        if (!check.Options.Contains(update::uoRunUpdate))
            return result;
        const platform::Expected<void> opened =
            launch ? launch(*path, offer->values.RunParameters)
                   : platform::Expected<void>(platform::Unexpected{
                         platform::Failure(*path, "no program is set to open it")});
        if (!opened) {
            // The program goes on: ending it now would leave the user with
            // neither the old version running nor the new one installed. The
            // downloaded file stays for the user to open.
            result.launchFailure = opened.Error();
            return result;
        }
        result.terminate = check.Options.Contains(update::uoTerminate);
        return result;
    });
    return true;
}

bool UpdaterFormLogic::UpdateAvailable(const std::string& installed, const std::string& offered) {
    return view_.AskYesNo(
        {Message::Kind::Warning, Translate("Update Software"),
         WithArguments(Translate("Version %1 is available; you have %2. Update now?"),
                       {offered, installed})});
}

void UpdaterFormLogic::BeforeDownload() {
    if (aborted_)
        return;
    downloading_ = true;
    FormShow();
    view_.SetEnabled(UpdaterControl::CancelBtn, true);
    view_.SetProgress(0, 100);
    view_.ShowWindow(true);
}

void UpdaterFormLogic::Downloaded(int64_t total, int64_t received) {
    if (!downloading_ || aborted_)
        return;
    // The bar counts in ints: a file beyond 2 GiB moves it in larger steps.
    const int64_t scale = total > INT_MAX ? total / INT_MAX + 1 : 1;
    view_.SetProgress(static_cast<int>(std::min(received, total) / scale),
                      static_cast<int>(total / scale));
    // The file is complete: there is nothing left to abort, the installer opens.
    if (received >= total)
        view_.SetEnabled(UpdaterControl::CancelBtn, false);
}

void UpdaterFormLogic::ShowFailure(const std::string& text) {
    failureShown_ = true;
    view_.SetCaption(UpdaterControl::lblInfo, text);
    view_.SetCaption(UpdaterControl::CancelBtn, Translate("Close"));
    view_.SetEnabled(UpdaterControl::CancelBtn, true);
}

void UpdaterFormLogic::CheckFinished(const UpdateCheckResult& result) {
    checking_ = false;
    terminate_ = result.terminate;
    // Only a download that the window shows is reported; a failed check of
    // the update page ends quietly, and so does one the user aborted.
    if (downloading_ && !aborted_) {
        if (result.downloadFailure)
            ShowFailure(WithArguments(Translate("The download failed: %1"),
                                      {platform::CauseLine(*result.downloadFailure)}));
        if (result.launchFailure)
            ShowFailure(WithArguments(
                Translate("The downloaded installer could not be opened: %1. The file has been "
                          "kept."),
                {platform::CauseLine(*result.launchFailure)}));
    }
    // A failure stays on screen, with its reason, until the window is closed.
    if (failureShown_) {
        waitingForClose_ = true;
        return;
    }
    End();
}

void UpdaterFormLogic::CancelBtnClick() {
    if (checking_ && !aborted_) {
        aborted_ = true;
        view_.StopCheck();
    }
    if (downloading_ || failureShown_)
        view_.ShowWindow(false);
    if (!waitingForClose_)
        return;
    waitingForClose_ = false;
    view_.CheckEnded();
}

void UpdaterFormLogic::End() {
    if (downloading_)
        view_.ShowWindow(false);
    view_.CheckEnded();
}

} // namespace tolvane::ui
