#pragma once

// The ticks of the spectrum display's pop-up menu, without any widget: which items exist, in
// which submenu they sit, their captions and which of them are ticked. The menu widget is
// built from this model and only forwards the user's choice back to it.
//
// Tick rules: choosing an item first toggles its own tick; when that ticks a radio item,
// the other radio items of its submenu are unticked. So choosing an already ticked radio
// item leaves its submenu with no tick at all (its handler still runs). Threads: UI only.

#include <array>
#include <optional>
#include <string_view>

namespace tv::spectrum {

// Items in menu order. "Peak" sits in the "Mode" submenu after a separator and is a plain
// toggle; the other items are radio items of their submenu.
enum class SpectrumMenuItem : int {
    Mode21 = 0,  // "Big Lines"
    Mode11,      // "Lines"
    Mode31,      // "None"
    DPeak,       // "Peak"
    Low1,        // "Low"
    Normal1,     // "Normal"
    High1,       // "High"
    Ultra1,      // "Ultra"
};
inline constexpr int kSpectrumMenuItemCount = 8;

enum class SpectrumSubmenu : int { Mode = 0, Speed };

class SpectrumMenuModel {
public:
    // The designed state: "Big Lines" and "Normal" ticked, nothing else.
    SpectrumMenuModel();

    static std::string_view Caption(SpectrumMenuItem item);
    static std::string_view SubmenuCaption(SpectrumSubmenu submenu);  // "Mode", "Speed"
    static SpectrumSubmenu SubmenuOf(SpectrumMenuItem item);
    static bool IsRadio(SpectrumMenuItem item);

    bool Checked(SpectrumMenuItem item) const { return m_checked[Index(item)]; }
    // Sets one tick; ticking a radio item unticks the other radio items of its submenu.
    void SetChecked(SpectrumMenuItem item, bool checked);
    // The user chose `item`: toggle its tick by the rules above. Returns the new tick.
    bool Toggle(SpectrumMenuItem item);
    // The ticked radio item of `submenu`, if any.
    std::optional<SpectrumMenuItem> CheckedRadio(SpectrumSubmenu submenu) const;

    // The radio item that stands for a drawing mode (0, 1, 2) or a timer interval (10, 30,
    // 50, 70 ms); none for any other value.
    static std::optional<SpectrumMenuItem> ItemForMode(int mode);
    static std::optional<SpectrumMenuItem> ItemForSpeed(int intervalMs);

private:
    static size_t Index(SpectrumMenuItem item) { return static_cast<size_t>(item); }

    std::array<bool, kSpectrumMenuItemCount> m_checked{};
};

}  // namespace tv::spectrum
