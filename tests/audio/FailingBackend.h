#pragma once

#include <string>

#include "audio/OfflineBackend.h"

namespace qv {

// An offline device that fails on demand, at either stage of opening the tone output:
// opening the device, or starting it once the buffers exist.
class FailingBackend : public OfflineBackend {
public:
    using OfflineBackend::OfflineBackend;

    // While not empty, opening (or starting) fails with this reason.
    std::string open_failure;
    std::string start_failure;

    std::unique_ptr<SoundDevice> open_default(std::string& error) override {
        if (!open_failure.empty()) {
            error = open_failure;
            return nullptr;
        }
        return OfflineBackend::open_default(error);
    }

protected:
    bool may_start(std::string& error) override {
        if (start_failure.empty()) return true;
        error = start_failure;
        return false;
    }
};

}  // namespace qv
