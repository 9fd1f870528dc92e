// COM for the calling thread for as long as the guard lives: a worker that
// needs it (the imaging component, a shell handler behind ShellExecuteEx)
// joins an apartment of the kind it asks for, and leaves it as it ends.
#pragma once

#include <objbase.h>

class ComApartment {
public:
    explicit ComApartment(DWORD kind) : ready_(SUCCEEDED(CoInitializeEx(nullptr, kind))) {}
    ~ComApartment() {
        if (ready_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool Ready() const { return ready_; }

private:
    bool ready_;
};
