// Frames of older or newer tags carried into the version 2.3 tag the writer writes: nothing the
// user did not change is lost on the way.

#include <cstring>
#include <string_view>

#include "tags/id3v2.h"
#include "tags/textcodec.h"

namespace tv::tags::Internal {

namespace {

// Version 2.2 ids and their 2.3 equivalents (PIC and the frames without one are handled apart).
constexpr std::pair<std::string_view, std::string_view> kIds22[] = {
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"},
    {"EQU", "EQUA"}, {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"MCI", "MCDI"}, {"MLL", "MLLT"},
    {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"},
    {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"},
    {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TIM", "TIME"},
    {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"}, {"TOA", "TOPE"},
    {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"}, {"TP1", "TPE1"},
    {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"},
    {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"},
    {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"},
    {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"},
    {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"}, {"WXX", "WXXX"},
};

void Append(std::vector<uint8_t>& out, std::string_view bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// PIC's three-letter image format becomes APIC's MIME type.
std::vector<uint8_t> PictureData22To23(const std::vector<uint8_t>& data) {
    if (data.size() < 4)
        return data;
    std::string format(reinterpret_cast<const char*>(data.data()) + 1, 3);
    for (char& c : format)
        c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    const std::string mime = format == "jpg" ? "image/jpeg" : "image/" + format;
    std::vector<uint8_t> out{data[0]};
    Append(out, mime);
    out.push_back(0);
    out.insert(out.end(), data.begin() + 4, data.end());
    return out;
}

// A 2.2 text frame 2.3 has no id for, as a TXXX frame described by its old id.
std::vector<uint8_t> UserText(const std::string& id, const std::vector<uint8_t>& data) {
    const uint8_t enc = data.empty() ? 0 : data[0];
    std::vector<uint8_t> out{enc};
    const std::string description = "ID3v2.2 " + id;
    if (enc == 1 || enc == 2) {
        Append(out, enc == 1 ? "\xFF\xFE" : "");
        for (const char c : description) {  // ASCII, so one unit per character
            out.push_back(enc == 1 ? uint8_t(c) : 0);
            out.push_back(enc == 1 ? 0 : uint8_t(c));
        }
        out.push_back(0);
        out.push_back(0);
    } else {
        Append(out, description);
        out.push_back(0);
    }
    if (!data.empty())
        out.insert(out.end(), data.begin() + 1, data.end());
    return out;
}

// Anything else without a 2.3 id, as a private frame owned by its old id.
std::vector<uint8_t> Private(const std::string& owner, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    Append(out, owner);
    out.push_back(0);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

void Append22(std::vector<uint8_t>& out, const ID3v2Frame& frame) {
    if (frame.Id == "PIC") {
        AppendFrame23(out, "APIC", PictureData22To23(frame.Data));
        return;
    }
    for (const auto& [old, now] : kIds22) {
        if (frame.Id == old) {
            AppendFrame23(out, std::string(now), frame.Data);
            return;
        }
    }
    if (frame.Id[0] == 'T')
        AppendFrame23(out, "TXXX", UserText(frame.Id, frame.Data));
    else
        AppendFrame23(out, "PRIV", Private("ID3v2.2 " + frame.Id, frame.Data));
}

// A compressed or encrypted 2.4 frame in 2.3 form: its extra bytes reordered and its flags
// moved, the data itself untouched (it cannot be read).
void AppendOpaque24(std::vector<uint8_t>& out, const ID3v2Frame& frame) {
    const uint8_t format = frame.FormatFlags;
    const std::vector<uint8_t>& d = frame.Data;
    size_t at = 0;
    const int group = (format & 0x40) && at < d.size() ? d[at++] : -1;
    const int method = (format & 0x04) && at < d.size() ? d[at++] : -1;
    int64_t length = -1;
    if ((format & 0x01) && at + 4 <= d.size()) {
        length = ReadSynchsafe32(d.data() + at);
        at += 4;
    }
    std::vector<uint8_t> payload(d.begin() + int64_t(std::min(at, d.size())), d.end());
    if (format & 0x02)
        payload = Resynchronised(payload);
    const bool compressed = format & 0x08;
    if (compressed && length < 0) {  // 2.3 needs the size: kept whole where nothing is lost
        AppendFrame23(out, "PRIV", Private("ID3v2.4 " + frame.Id, d));
        return;
    }
    std::vector<uint8_t> data;
    if (compressed) {
        uint8_t size[4];
        WriteBE32(size, uint32_t(length));
        data.insert(data.end(), size, size + 4);
    }
    if (method >= 0)
        data.push_back(uint8_t(method));
    if (group >= 0)
        data.push_back(uint8_t(group));
    data.insert(data.end(), payload.begin(), payload.end());
    const uint8_t format23 =
        uint8_t((compressed ? 0x80 : 0) | (method >= 0 ? 0x40 : 0) | (group >= 0 ? 0x20 : 0));
    AppendFrame23(out, frame.Id, data, frame.StatusFlags, format23);
}

}  // namespace

void AppendFrame23(std::vector<uint8_t>& out, const std::string& id,
                   const std::vector<uint8_t>& data, uint8_t statusFlags, uint8_t formatFlags) {
    uint8_t header[10] = {};
    std::memcpy(header, id.data(), 4);
    WriteBE32(header + 4, uint32_t(data.size()));
    header[8] = statusFlags;
    header[9] = formatFlags;
    out.insert(out.end(), header, header + 10);
    out.insert(out.end(), data.begin(), data.end());
}

void AppendAs23(std::vector<uint8_t>& out, const ID3v2Frame& frame, uint8_t sourceMajor) {
    if (sourceMajor <= 2) {
        if (frame.Id.size() == 3)
            Append22(out, frame);
    } else if (frame.Id.size() != 4) {
        return;
    } else if (frame.Opaque && sourceMajor >= 4) {
        AppendOpaque24(out, frame);
    } else if (frame.Opaque) {
        AppendFrame23(out, frame.Id, frame.Data, frame.StatusFlags, frame.FormatFlags);
    } else {
        // A 2.3 frame's grouping byte was taken off the data: the flag goes with it.
        AppendFrame23(out, frame.Id, frame.Data, frame.StatusFlags);
    }
}

}  // namespace tv::tags::Internal
