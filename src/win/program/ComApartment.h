// COM for the thread that shows the save dialog, for as long as it lives.
#pragma once

#include <objbase.h>

namespace tolvane::win {

class ComApartment {
public:
    ComApartment()
        : initialised_(SUCCEEDED(
              CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (initialised_)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    bool Initialised() const { return initialised_; }

private:
    bool initialised_;
};

} // namespace tolvane::win
