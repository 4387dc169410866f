#include "tags/opusfile.h"

#include <cmath>
#include <cstring>

#include "tags/oggpage.h"
#include "tags/oggvorbis.h"

namespace tv::tags {

namespace {

constexpr size_t kMaxHeaderBytes = size_t(64) << 20;  // packet data the header pages may hold

bool Starts(const std::vector<uint8_t>& packet, const char* magic) {
    return packet.size() >= 8 && std::memcmp(packet.data(), magic, 8) == 0;
}

}  // namespace

bool TOpusFile::Analyze(const std::filesystem::path& fileName) {
    FileStream stream;
    if (!stream.Open(fileName))
        return *this = TOpusFile(), false;
    const bool ok = Analyze(static_cast<ByteStream&>(stream));
    m_readIdentity = IdentityOfDescriptor(stream.Descriptor());
    return ok;
}

bool TOpusFile::Analyze(LockedFile& file) {
    FileStream stream;
    if (!stream.OpenDuplicate(file.Descriptor()))
        return *this = TOpusFile(), false;
    const bool ok = Analyze(static_cast<ByteStream&>(stream));
    m_readIdentity = file.Identity();
    return ok;
}

bool TOpusFile::Analyze(ByteStream& stream) {
    *this = TOpusFile();
    const int64_t id3Size = Internal::OggID3v2Size(stream);
    const OggHeaderPackets headers = ReadOggHeaderPackets(stream, id3Size, 2, kMaxHeaderBytes);
    if (headers.Packets.empty() || !Starts(headers.Packets[0], "OpusHead") ||
        headers.Packets[0].size() < sizeof(OpusIdentification))
        return false;
    OpusIdentification id;
    std::memcpy(&id, headers.Packets[0].data(), sizeof id);
    m_fileSize = stream.Size();
    m_id3v2Size = id3Size;
    m_channels = id.Channels;
    m_preSkip = ReadLE16(id.PreSkip);
    m_inputSampleRate = int32_t(ReadLE32(id.InputSampleRate));
    m_outputGain = int16_t(ReadLE16(id.OutputGain));
    const int64_t granule = Internal::LastGranulePosition(stream, id3Size);
    m_samples = granule > m_preSkip ? granule - m_preSkip : 0;
    if (headers.Packets.size() >= 2 && Starts(headers.Packets[1], "OpusTags"))
        m_fields.Read(VorbisCommentItems(headers.Packets[1], 8, TOggVorbis::kMaxItemRead));
    return true;
}

uint32_t TOpusFile::BitRate() const {
    const double duration = Duration();
    if (duration <= 0)
        return 0;
    return uint32_t(std::lround(double(m_fileSize - m_id3v2Size) / duration / 125.0));
}

bool TOpusFile::WriteTag(const std::filesystem::path& fileName, FileOps& ops) {
    m_lastError.clear();
    LockedFile file;
    if (!file.Open(fileName, &m_lastError))
        return false;
    return Write(file, ops);
}

bool TOpusFile::WriteTag(LockedFile& file, FileOps& ops) {
    return Write(file, ops);
}

bool TOpusFile::ClearTag(const std::filesystem::path& fileName, FileOps& ops) {
    m_fields.Clear();
    return WriteTag(fileName, ops);
}

bool TOpusFile::ClearTag(LockedFile& file, FileOps& ops) {
    m_fields.Clear();
    return Write(file, ops);
}

bool TOpusFile::Write(LockedFile& file, FileOps& ops) {
    m_lastError.clear();
    if (m_readIdentity.Known() && file.Identity() != m_readIdentity) {
        m_lastError = kChangedSinceRead;
        return false;
    }
    FileStream stream;
    if (!stream.OpenDuplicate(file.Descriptor())) {
        m_lastError = "cannot open the file";
        return false;
    }
    const int64_t id3Size = Internal::OggID3v2Size(stream);
    const OggHeaderPackets headers = ReadOggHeaderPackets(stream, id3Size, 2, kMaxHeaderBytes);
    if (headers.Packets.size() < 2 || !Starts(headers.Packets[0], "OpusHead") ||
        !Starts(headers.Packets[1], "OpusTags")) {
        m_lastError = "not an Ogg Opus file with complete header packets";
        return false;
    }
    const OggPage& first = headers.Pages[0];
    if (!headers.EndsOnPageBoundary || headers.ForeignPages || headers.Pages.size() < 2 ||
        first.Bytes.size() - first.HeaderSize() != headers.Packets[0].size()) {
        m_lastError = "the header pages are shared with audio or another stream";
        return false;
    }

    // The new comment packet: the magic, the list, and whatever followed the old list.
    const std::vector<uint8_t>& old = headers.Packets[1];
    size_t listEnd = 0;
    const std::vector<std::string> oldItems = VorbisCommentItems(old, 8, SIZE_MAX, &listEnd);
    if (listEnd == 0) {
        m_lastError = "the comment packet is damaged (an item runs past its end)";
        return false;
    }
    std::vector<uint8_t> tags(old.begin(), old.begin() + 8);
    const std::vector<uint8_t> list = m_fields.Render(oldItems);
    tags.insert(tags.end(), list.begin(), list.end());
    tags.insert(tags.end(), old.begin() + std::ptrdiff_t(listEnd), old.end());

    const uint32_t serial = first.Serial();
    const std::vector<std::vector<uint8_t>> newPages =
        PaginateOggPackets({tags}, serial, first.PageNumber() + 1, false);
    const uint32_t shift = uint32_t(newPages.size() + 1 - headers.Pages.size());
    const int64_t headerEnd =
        headers.Pages.back().Offset + int64_t(headers.Pages.back().Bytes.size());
    const int fd = stream.Descriptor();
    const bool ok = SafeRewrite(
        file,
        [&](RewriteSink& sink) {
            if (!sink.CopyFrom(fd, 0, first.Offset + int64_t(first.Bytes.size())))
                return false;
            for (const auto& page : newPages)
                if (!sink.Write(page.data(), page.size()))
                    return false;
            return CopyOggRest(stream, fd, sink, headerEnd, serial, shift);
        },
        &m_lastError, ops);
    if (ok)
        m_readIdentity = file.Identity();
    return ok;
}

}  // namespace tv::tags
