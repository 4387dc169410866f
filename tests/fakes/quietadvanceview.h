#pragma once

// An advance view that shows nothing: for tests of what the player and its commands do, not
// of what the main window draws.

#include "core/trackadvance.h"

namespace tv::testing {

class QuietAdvanceView : public core::AdvanceView {
public:
    void ResetPositionDisplay() override {}
    void ShowPosition(const core::PositionDisplay&, bool) override {}
    bool KnobDragging() const override { return false; }
    void ScrollToCurrent() override {}
    void FocusMainControl() override {}
    void ShowNextBackNormal(bool) override {}
    std::optional<std::pair<uint32_t, uint32_t>> VideoLengthAndPosition() override {
        return std::nullopt;
    }
    void ShowRandomLook(const std::string&, const std::string&) override {}
    void ShowReplayLook(const std::string&, const std::string&) override {}
};

}  // namespace tv::testing
