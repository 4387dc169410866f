#include "tags/vorbiscomment.h"

#include <algorithm>

#include "tags/oggpage.h"
#include "tags/oggvorbis.h"
#include "tags/textcodec.h"

namespace tv::tags {

namespace {

void AppendItem(std::vector<uint8_t>& out, std::string_view item) {
    uint8_t length[4];
    WriteLE32(length, uint32_t(item.size()));
    out.insert(out.end(), length, length + 4);
    out.insert(out.end(), item.begin(), item.end());
}

}  // namespace

int VorbisSlotOf(std::string_view name) {
    std::string upper(name);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    for (int slot = 1; slot < kVorbisSlots; ++slot)
        if (upper == kVorbisFieldNames[size_t(slot)])
            return slot;
    return -1;
}

std::vector<std::string> VorbisCommentItems(std::span<const uint8_t> data, size_t start,
                                            size_t limit, size_t* end) {
    std::vector<std::string> items;
    size_t pos = start;
    size_t whole = 0;
    uint64_t count = 0;
    for (uint64_t i = 0; i <= count; ++i) {
        if (pos > data.size() || data.size() - pos < 4)
            break;
        const uint64_t length = ReadLE32(data.data() + pos);
        pos += 4;
        const size_t take = size_t(std::min<uint64_t>({length, limit, data.size() - pos}));
        items.emplace_back(reinterpret_cast<const char*>(data.data() + pos), take);
        if (length > data.size() - pos)
            break;
        pos += size_t(length);
        if (i == 0) {
            if (data.size() - pos < 4)
                break;
            count = ReadLE32(data.data() + pos);
            pos += 4;
        }
        if (i == count)
            whole = pos;
    }
    if (end)
        *end = whole;
    return items;
}

std::vector<uint8_t> RenderVorbisComment(const std::vector<std::string>& oldItems,
                                         const std::array<std::string, 10>& values,
                                         const std::array<bool, 10>& changed) {
    std::vector<std::string> fields;
    std::array<bool, kVorbisSlots> placed{};
    auto place = [&](int slot) {
        placed[size_t(slot)] = true;
        if (!values[size_t(slot)].empty())
            fields.push_back(std::string(kVorbisFieldNames[size_t(slot)]) + "=" +
                             values[size_t(slot)]);
    };
    for (size_t i = 1; i < oldItems.size(); ++i) {
        const size_t eq = oldItems[i].find('=');
        const int slot = eq == std::string::npos
                             ? -1
                             : VorbisSlotOf(std::string_view(oldItems[i]).substr(0, eq));
        if (slot <= 0 || !changed[size_t(slot)])
            fields.push_back(oldItems[i]);
        else if (!placed[size_t(slot)])
            place(slot);
    }
    for (int slot = 1; slot < kVorbisSlots; ++slot)
        if (changed[size_t(slot)] && !placed[size_t(slot)])
            place(slot);
    std::vector<uint8_t> out;
    AppendItem(out, oldItems.empty() ? std::string_view() : std::string_view(oldItems[0]));
    uint8_t count[4];
    WriteLE32(count, uint32_t(fields.size()));
    out.insert(out.end(), count, count + 4);
    for (const std::string& field : fields)
        AppendItem(out, field);
    return out;
}

void VorbisFields::Read(const std::vector<std::string>& items) {
    *this = VorbisFields();
    std::array<std::string, kVorbisSlots> slots;
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string item = Trim(items[i]);
        if (i == 0) {
            slots[0] = Internal::Utf8Prefix(item);
            continue;
        }
        const size_t eq = item.find('=');
        if (eq == std::string::npos)
            continue;
        const int slot = VorbisSlotOf(std::string_view(item).substr(0, eq));
        if (slot > 0)
            slots[size_t(slot)] = Trim(Internal::Utf8Prefix(std::string_view(item).substr(eq + 1)));
    }
    m_vendor = slots[0];
    m_values = {slots[1], slots[2].empty() ? slots[8] : slots[2], slots[3], std::string(), slots[5],
                slots[6], slots[7].empty() ? slots[9] : slots[7]};
    m_track = Internal::ExtractTrack(slots[4]);
    m_asRead = m_values;
    m_asRead[3] = std::to_string(m_track);
    m_read = true;
}

void VorbisFields::Clear() {
    for (std::string& value : m_values)
        value.clear();
    m_track = 0;
    m_read = false;
    m_clearing = true;
}

std::vector<uint8_t> VorbisFields::Render(const std::vector<std::string>& oldItems) const {
    std::array<std::string, 10> values;
    std::array<bool, 10> changed{};
    for (size_t field = 0; field < kManagedVorbisFields; ++field) {
        const std::string now = field == 3 ? std::to_string(m_track) : Trim(m_values[field]);
        changed[field + 1] = !m_read || now != m_asRead[field];
        values[field + 1] = field == 3 ? (m_track ? now : std::string()) : now;
    }
    changed[8] = changed[9] = m_clearing;
    return RenderVorbisComment(oldItems, values, changed);
}

}  // namespace tv::tags
