#pragma once

// The recursive folder scan that fills the staging list, and the mask list it uses.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tv::playlist {

// MaskList: the file patterns of every media type, audio first, then video. The empty mask
// separates the two groups and matches nothing. The classic audio list ends with the
// extensions users have today (.opus .m4a .oga .aif .aiff).
inline constexpr std::array<std::string_view, 51> kMaskList = {
    "*.mp3", "*.mp2", "*.mp1",  "*.wav",  "*.ogg", "*.mo3", "*.it",   "*.xm",   "*.s3m",
    "*.mtm", "*.mod", "*.umx",  "*.wma",  "*.wm",  "*.ofr", "*.ofs",  "*.flac", "*.wv",
    "*.aac", "*.mp4", "*.ac3",  "*.alac", "*.ape", "*.mpc", "*.spx",  "*.tta",  "*.opus",
    "*.m4a", "*.oga", "*.aif",  "*.aiff", "",      "*.asf", "*.avi",  "*.avs",  "*.cme",
    "*.cof", "*.csa", "*.divx", "*.m1v",  "*.m2v", "*.mls", "*.mpeg", "*.mpg",  "*.ogm",
    "*.rm",  "*.viv", "*.vob",  "*.wmv",  "*.3gp", "*.xqt"};

// The mask list as strings, for ScanDir.
std::vector<std::string> MaskList();

// Whether `name` matches `mask` ("*" any run, "?" any one character), ignoring the case of
// ASCII letters. The empty mask matches nothing.
bool MatchesMask(std::string_view name, std::string_view mask);

// Appends to `staging` the paths of the files under `folder` that match one of `masks`:
// with `subfolders`, first the files of every subfolder (depth first, subfolders in
// case-insensitive name order), then the folder's own files grouped by mask in `masks` order,
// each group in case-insensitive name order. A file matching several masks is listed once, in
// the group of the first.
//
// Each folder is read once. Hidden folders (name starting with ".") are not entered; hidden
// files that match are listed. Folders are never listed as files. Symbolic links are followed,
// but no folder is scanned twice, so a link back up the tree ends. A folder that cannot be read
// adds nothing and the scan goes on. The empty folder name scans nothing.
void ScanDir(const std::string& folder, const std::vector<std::string>& masks, bool subfolders,
             std::vector<std::string>& staging);

}  // namespace tv::playlist
