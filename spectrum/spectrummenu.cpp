#include "spectrum/spectrummenu.h"

namespace tv::spectrum {

namespace {

constexpr std::array<std::string_view, kSpectrumMenuItemCount> kCaptions = {
    "Big Lines", "Lines", "None", "Peak", "Low", "Normal", "High", "Ultra"};

}  // namespace

SpectrumMenuModel::SpectrumMenuModel() {
    m_checked[Index(SpectrumMenuItem::Mode21)] = true;
    m_checked[Index(SpectrumMenuItem::Normal1)] = true;
}

std::string_view SpectrumMenuModel::Caption(SpectrumMenuItem item) {
    return kCaptions[Index(item)];
}

std::string_view SpectrumMenuModel::SubmenuCaption(SpectrumSubmenu submenu) {
    return submenu == SpectrumSubmenu::Mode ? "Mode" : "Speed";
}

SpectrumSubmenu SpectrumMenuModel::SubmenuOf(SpectrumMenuItem item) {
    return item <= SpectrumMenuItem::DPeak ? SpectrumSubmenu::Mode : SpectrumSubmenu::Speed;
}

bool SpectrumMenuModel::IsRadio(SpectrumMenuItem item) {
    return item != SpectrumMenuItem::DPeak;
}

void SpectrumMenuModel::SetChecked(SpectrumMenuItem item, bool checked) {
    if (checked && IsRadio(item)) {
        for (int i = 0; i < kSpectrumMenuItemCount; ++i) {
            const auto other = static_cast<SpectrumMenuItem>(i);
            if (IsRadio(other) && SubmenuOf(other) == SubmenuOf(item))
                m_checked[Index(other)] = false;
        }
    }
    m_checked[Index(item)] = checked;
}

bool SpectrumMenuModel::Toggle(SpectrumMenuItem item) {
    SetChecked(item, !Checked(item));
    return Checked(item);
}

std::optional<SpectrumMenuItem> SpectrumMenuModel::CheckedRadio(SpectrumSubmenu submenu) const {
    for (int i = 0; i < kSpectrumMenuItemCount; ++i) {
        const auto item = static_cast<SpectrumMenuItem>(i);
        if (IsRadio(item) && SubmenuOf(item) == submenu && Checked(item))
            return item;
    }
    return std::nullopt;
}

std::optional<SpectrumMenuItem> SpectrumMenuModel::ItemForMode(int mode) {
    switch (mode) {
        case 0:
            return SpectrumMenuItem::Mode11;
        case 1:
            return SpectrumMenuItem::Mode21;
        case 2:
            return SpectrumMenuItem::Mode31;
        default:
            return std::nullopt;
    }
}

std::optional<SpectrumMenuItem> SpectrumMenuModel::ItemForSpeed(int intervalMs) {
    switch (intervalMs) {
        case 10:
            return SpectrumMenuItem::Ultra1;
        case 30:
            return SpectrumMenuItem::High1;
        case 50:
            return SpectrumMenuItem::Normal1;
        case 70:
            return SpectrumMenuItem::Low1;
        default:
            return std::nullopt;
    }
}

}  // namespace tv::spectrum
