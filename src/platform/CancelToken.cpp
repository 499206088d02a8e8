#include "CancelToken.h"

namespace tolvane::platform {

void CancelToken::Request() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (requested_.exchange(true, std::memory_order_relaxed))
        return;
    if (hook_)
        (*hook_)();
}

CancelToken::Hook::Hook(const CancelToken& token, std::function<void()> onRequest)
    : token_(token), onRequest_(std::move(onRequest)) {
    std::lock_guard<std::mutex> lock(token_.mutex_);
    if (token_.Requested())
        onRequest_();
    else
        token_.hook_ = &onRequest_;
}

CancelToken::Hook::~Hook() {
    std::lock_guard<std::mutex> lock(token_.mutex_);
    if (token_.hook_ == &onRequest_)
        token_.hook_ = nullptr;
}

} // namespace tolvane::platform
