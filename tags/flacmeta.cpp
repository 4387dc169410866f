#include "tags/flacmeta.h"

#include <cmath>
#include <cstring>

#include "tags/oggvorbis.h"

namespace tv::tags {

namespace {

constexpr uint32_t kMaxBlockLength = 0xFFFFFF;

bool Fail(std::string* error, const char* why) {
    if (error)
        *error = why;
    return false;
}

uint32_t BlockLength(const FlacBlockHeader& header) {
    return ReadBE24(header.Length);
}

void AppendHeader(std::vector<uint8_t>& out, uint8_t type, uint32_t length) {
    FlacBlockHeader header{type, {uint8_t(length >> 16), uint8_t(length >> 8), uint8_t(length)}};
    const auto* p = reinterpret_cast<const uint8_t*>(&header);
    out.insert(out.end(), p, p + sizeof header);
}

// The bytes of a block's body; empty when they cannot be read.
std::vector<uint8_t> BlockBody(ByteStream& stream, const FlacBlock& block) {
    std::vector<uint8_t> body(block.Length);
    if (!stream.ReadExact(block.Offset + 4, body.data(), block.Length))
        body.clear();
    return body;
}

struct Piece {
    uint8_t Type;
    std::vector<uint8_t> Body;
};

// Appends the blocks, then a padding block of `padding` bytes (none when negative); the last
// block written gets the last-block flag.
void AppendBlocks(std::vector<uint8_t>& out, const std::vector<Piece>& pieces, int64_t padding) {
    size_t lastHeader = out.size();
    for (const Piece& piece : pieces) {
        lastHeader = out.size();
        AppendHeader(out, piece.Type, uint32_t(piece.Body.size()));
        out.insert(out.end(), piece.Body.begin(), piece.Body.end());
    }
    if (padding >= 0) {
        lastHeader = out.size();
        AppendHeader(out, kFlacPadding, uint32_t(padding));
        out.resize(out.size() + size_t(padding), 0);
    }
    out[lastHeader] |= 0x80;
}

}  // namespace

bool ReadFlacLayout(ByteStream& stream, FlacLayout& layout, std::string* error) {
    layout = FlacLayout();
    const int64_t size = stream.Size();
    layout.ID3v2Size = Internal::OggID3v2Size(stream);
    char magic[4];
    if (!stream.ReadExact(layout.ID3v2Size, magic, 4) || std::memcmp(magic, "fLaC", 4) != 0)
        return Fail(error, "not a FLAC file");
    int64_t at = layout.ID3v2Size + 4;
    for (bool last = false; !last;) {
        FlacBlockHeader header;
        if (!stream.ReadExact(at, &header, sizeof header))
            return Fail(error, "a metadata block is cut off by the end of the file");
        const uint32_t length = BlockLength(header);
        const auto type = uint8_t(header.TypeAndLast & 0x7F);
        last = (header.TypeAndLast & 0x80) != 0;
        if (type == 127)
            return Fail(error, "a metadata block has the invalid type 127");
        if (length > size - at - 4)
            return Fail(error, "a metadata block runs past the end of the file");
        if (layout.Blocks.empty() && (type != kFlacStreamInfo || length < sizeof(FlacStreamInfo)))
            return Fail(error, "the FLAC stream has no STREAMINFO block");
        layout.Blocks.push_back({type, at, length});
        at += 4 + int64_t(length);
    }
    layout.AudioOffset = at;
    return true;
}

bool TFlacFile::Analyze(const std::filesystem::path& fileName) {
    FileStream stream;
    if (!stream.Open(fileName))
        return *this = TFlacFile(), false;
    const bool ok = Analyze(static_cast<ByteStream&>(stream));
    m_readIdentity = IdentityOfDescriptor(stream.Descriptor());
    return ok;
}

bool TFlacFile::Analyze(LockedFile& file) {
    FileStream stream;
    if (!stream.OpenDuplicate(file.Descriptor()))
        return *this = TFlacFile(), false;
    const bool ok = Analyze(static_cast<ByteStream&>(stream));
    m_readIdentity = file.Identity();
    return ok;
}

bool TFlacFile::Analyze(ByteStream& stream) {
    *this = TFlacFile();
    FlacLayout layout;
    if (!ReadFlacLayout(stream, layout, &m_lastError))
        return false;
    FlacStreamInfo info;
    if (!stream.ReadExact(layout.Blocks[0].Offset + 4, &info, sizeof info))
        return false;
    const uint8_t* p = info.Packed;
    m_sampleRate = int32_t((uint32_t(p[0]) << 12) | (uint32_t(p[1]) << 4) | (p[2] >> 4));
    m_channels = ((p[2] >> 1) & 7) + 1;
    m_bitsPerSample = (((p[2] & 1) << 4) | (p[3] >> 4)) + 1;
    m_samples = (int64_t(p[3] & 0x0F) << 32) | ReadBE32(p + 4);
    m_fileSize = stream.Size();
    for (const FlacBlock& block : layout.Blocks) {
        if (block.Type != kFlacVorbisComment)
            continue;
        const std::vector<uint8_t> body = BlockBody(stream, block);
        m_fields.Read(VorbisCommentItems(body, 0, TOggVorbis::kMaxItemRead));
        m_hasComment = true;
        break;
    }
    m_layout = std::move(layout);
    return true;
}

double TFlacFile::Duration() const {
    return m_sampleRate > 0 ? double(m_samples) / m_sampleRate : 0.0;
}

uint32_t TFlacFile::BitRate() const {
    const double duration = Duration();
    if (duration <= 0)
        return 0;
    return uint32_t(std::lround(double(m_fileSize - m_layout.AudioOffset) / duration / 125.0));
}

bool TFlacFile::WriteTag(const std::filesystem::path& fileName, FileOps& ops) {
    m_lastError.clear();
    LockedFile file;
    if (!file.Open(fileName, &m_lastError))
        return false;
    return Write(file, ops);
}

bool TFlacFile::WriteTag(LockedFile& file, FileOps& ops) {
    return Write(file, ops);
}

bool TFlacFile::ClearTag(const std::filesystem::path& fileName, FileOps& ops) {
    m_fields.Clear();
    return WriteTag(fileName, ops);
}

bool TFlacFile::ClearTag(LockedFile& file, FileOps& ops) {
    m_fields.Clear();
    return Write(file, ops);
}

bool TFlacFile::Write(LockedFile& file, FileOps& ops) {
    m_lastError.clear();
    if (m_readIdentity.Known() && file.Identity() != m_readIdentity) {
        m_lastError = kChangedSinceRead;
        return false;
    }
    FileStream stream;
    FlacLayout layout;
    if (!stream.OpenDuplicate(file.Descriptor())) {
        m_lastError = "cannot open the file";
        return false;
    }
    if (!ReadFlacLayout(stream, layout, &m_lastError))
        return false;

    // The blocks anew: the padding left out, the comment block replaced (or added after the
    // STREAMINFO block), every other block byte for byte.
    std::vector<Piece> pieces;
    bool commentDone = false;
    for (const FlacBlock& block : layout.Blocks) {
        if (block.Type == kFlacPadding)
            continue;
        std::vector<uint8_t> body = BlockBody(stream, block);
        if (body.size() != block.Length) {
            m_lastError = "cannot read the file";
            return false;
        }
        if (block.Type == kFlacVorbisComment && !commentDone) {
            size_t end = 0;
            const std::vector<std::string> items = VorbisCommentItems(body, 0, SIZE_MAX, &end);
            if (end == 0) {
                m_lastError = "the comment block is damaged (an item runs past its end)";
                return false;
            }
            body = m_fields.Render(items);
            commentDone = true;
        }
        pieces.push_back({block.Type, std::move(body)});
    }
    if (!commentDone)
        pieces.insert(pieces.begin() + 1, Piece{kFlacVorbisComment, m_fields.Render({})});
    int64_t used = 0;
    for (const Piece& piece : pieces) {
        if (piece.Body.size() > kMaxBlockLength) {
            m_lastError = "the comment block would be larger than 16 MB";
            return false;
        }
        used += 4 + int64_t(piece.Body.size());
    }
    const int64_t metaStart = layout.ID3v2Size + 4;
    const int64_t room = layout.AudioOffset - metaStart;
    if (used == room || (used + 4 <= room && room - used - 4 <= kMaxBlockLength)) {
        // In place: the blocks and what is left of the old room as padding.
        std::vector<uint8_t> head(static_cast<size_t>(metaStart));
        if (!stream.ReadExact(0, head.data(), metaStart)) {
            m_lastError = "cannot read the file";
            return false;
        }
        AppendBlocks(head, pieces, used == room ? -1 : room - used - 4);
        if (!OverwriteHead(file, head.data(), head.size(), &m_lastError))
            return false;
    } else {
        std::vector<uint8_t> blocks;
        AppendBlocks(blocks, pieces, kNewPadding);
        const int fd = stream.Descriptor();
        if (!SafeRewrite(
                file,
                [&](RewriteSink& sink) {
                    return sink.CopyFrom(fd, 0, metaStart) &&
                           sink.Write(blocks.data(), blocks.size()) &&
                           sink.CopyFrom(fd, layout.AudioOffset, -1);
                },
                &m_lastError, ops))
            return false;
    }
    m_readIdentity = file.Identity();
    return true;
}

}  // namespace tv::tags
