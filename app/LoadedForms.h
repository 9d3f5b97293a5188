#pragma once

// The program's loaded forms. The process lives as long as one of its forms is loaded: when
// the last one unloads, the message loop is told to end.

#include <cstddef>
#include <vector>

#include "platform/Windowing.h"

namespace dustvale {

// A form as the bookkeeping sees it.
class LoadedForm {
public:
    // Unloads the form: it stops its work, gives up what the user can see of it and leaves
    // the loaded forms. Safe to call from inside the form's own handlers and more than once.
    virtual void Unload() = 0;

protected:
    ~LoadedForm() = default;
};

class LoadedForms {
public:
    explicit LoadedForms(Windowing& windows) : windows_(windows) {}
    LoadedForms(const LoadedForms&) = delete;
    LoadedForms& operator=(const LoadedForms&) = delete;

    // A form counts from its loading (registering twice counts once)...
    void Register(LoadedForm& form);
    // ...until its unloading; the last one to leave ends the message loop.
    void Unregister(LoadedForm& form);

    // The loaded forms in the order they were loaded.
    const std::vector<LoadedForm*>& Forms() const { return forms_; }
    std::size_t Count() const { return forms_.size(); }

private:
    Windowing& windows_;
    std::vector<LoadedForm*> forms_;
};

}  // namespace dustvale
