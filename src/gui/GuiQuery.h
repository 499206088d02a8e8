// A question that a worker thread asks the user: it runs on the GUI thread
// (the thread of `context`) while the worker waits for the answer, as the
// jobs of KDE Ark ask theirs.
#pragma once

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>

namespace tolvane::gui {

// Runs `question` on the thread of `context` and returns its answer.
// `fallback` comes back at once when `abandoned` becomes true meanwhile (the
// window closes), or when `context` is destroyed before the question ran.
// @pre not called on the thread of `context`; `context` alive at the call.
template <typename T>
T AskOnGuiThread(QObject* context, std::function<T()> question, T fallback,
                 const std::atomic<bool>& abandoned) {
    // Only the posted call holds the promise: destroyed unrun, it breaks it.
    auto promise = std::make_shared<std::promise<T>>();
    std::future<T> answer = promise->get_future();
    QMetaObject::invokeMethod(
        context,
        [promise = std::move(promise), question = std::move(question)] {
            promise->set_value(question());
        },
        Qt::QueuedConnection);
    while (answer.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        if (abandoned)
            return fallback;
    }
    try {
        return answer.get();
    } catch (const std::future_error&) {
        return fallback;
    }
}

} // namespace tolvane::gui
