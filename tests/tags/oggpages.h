#pragma once
// The pages of an Ogg file in memory, checking that no bytes follow the last page.

#include <gtest/gtest.h>

#include <vector>

#include "tagfixtures.h"
#include "tags/bytestream.h"
#include "tags/oggpage.h"

namespace tv::tags::test {

inline std::vector<OggPage> PagesOf(const Bytes& file) {
    MemoryStream stream(file);
    std::vector<OggPage> pages;
    OggPage page;
    int64_t at = 0;
    while (ReadOggPage(stream, at, page)) {
        at += int64_t(page.Bytes.size());
        pages.push_back(page);
    }
    EXPECT_EQ(at, int64_t(file.size())) << "bytes after the last page";
    return pages;
}

}  // namespace tv::tags::test
