#include "core/wheelvolume.h"

#include <algorithm>

namespace tv::core {

void WheelVolume::Start(int volume) {
    m_offset = volume < 0 ? 0 : std::min(volume, 100);
}

void WheelVolume::Notch(bool up) {
    if (up && m_offset < 100)
        ++m_offset;
    else if (!up && m_offset > 0)
        --m_offset;
    m_library.SetVolume(m_offset);
}

}  // namespace tv::core
