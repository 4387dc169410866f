#include "playlist/randomorder.h"

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <utility>

namespace tv::playlist::Internal {

namespace {

// The sequence cut into small blocks, with a Fenwick tree over the block sizes: finding the
// block of a position costs O(log n) steps in a few kilobytes, and taking an item out or
// putting it in shifts at most one short block. Random moves keep the blocks near their
// starting size, so they are never split or joined.
class BlockedSequence {
public:
    explicit BlockedSequence(int n) {
        const int blockCount = (n + kBlock - 1) / kBlock;
        m_blocks.resize(static_cast<size_t>(blockCount));
        // The tree spans a power of two, so the descent in Locate needs no bounds test.
        m_highBit = 1;
        while (m_highBit < blockCount)
            m_highBit *= 2;
        m_tree.assign(static_cast<size_t>(m_highBit) + 1, 0);
        for (int i = 0; i < n; ++i)
            m_blocks[static_cast<size_t>(i / kBlock)].push_back(i);
        for (int b = 0; b < blockCount; ++b)
            Add(b, static_cast<int>(m_blocks[static_cast<size_t>(b)].size()));
        m_size = n;
    }

    void Move(int from, int to) {
        if (from == to)
            return;
        auto [fromBlock, fromOffset] = Locate(from);
        std::vector<int>& source = m_blocks[static_cast<size_t>(fromBlock)];
        const int item = source[static_cast<size_t>(fromOffset)];
        source.erase(source.begin() + fromOffset);
        Add(fromBlock, -1);
        --m_size;

        int toBlock;
        int toOffset;
        if (to == m_size) {
            // After the last item: the end of the last block.
            toBlock = static_cast<int>(m_blocks.size()) - 1;
            toOffset = static_cast<int>(m_blocks.back().size());
        } else {
            std::tie(toBlock, toOffset) = Locate(to);
        }
        std::vector<int>& target = m_blocks[static_cast<size_t>(toBlock)];
        target.insert(target.begin() + toOffset, item);
        Add(toBlock, 1);
        ++m_size;
    }

    std::vector<int> Values() const {
        std::vector<int> out;
        out.reserve(static_cast<size_t>(m_size));
        for (const auto& block : m_blocks)
            out.insert(out.end(), block.begin(), block.end());
        return out;
    }

private:
    static constexpr int kBlock = 256;

    void Add(int block, int delta) {
        for (int i = block + 1; i < static_cast<int>(m_tree.size()); i += i & -i) {
            m_tree[static_cast<size_t>(i)] += delta;
        }
    }

    // The block holding position `pos` (0 <= pos < size) and the position inside it.
    std::pair<int, int> Locate(int pos) const {
        int index = 0;  // Fenwick index of the last block wholly before `pos`
        int rest = pos;
        for (int step = m_highBit; step > 0; step /= 2) {
            // Written without a branch: which way the descent goes is random, so a branch
            // would be mispredicted half the time.
            const int next = index + step;
            const int size = m_tree[static_cast<size_t>(next)];
            const bool take = size <= rest;
            index = take ? next : index;
            rest -= take ? size : 0;
        }
        return {index, rest};
    }

    std::vector<std::vector<int>> m_blocks;
    std::vector<int> m_tree;  // 1-based Fenwick tree of block sizes
    int m_highBit = 1;
    int m_size = 0;
};

}  // namespace

std::vector<int> ShuffleByMoves(int n, std::mt19937& rng) {
    if (n <= 0)
        return {};
    BlockedSequence sequence(n);
    std::uniform_int_distribution<int> pick(0, n - 1);
    const long long moves = 3LL * n + 1;
    for (long long k = 0; k < moves; ++k) {
        const int a = pick(rng);
        const int b = pick(rng);
        sequence.Move(a, b);
    }
    return sequence.Values();
}

std::vector<int> ShuffleByMovesPlain(int n, std::mt19937& rng) {
    if (n <= 0)
        return {};
    std::vector<int> list(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        list[static_cast<size_t>(i)] = i;
    std::uniform_int_distribution<int> pick(0, n - 1);
    const long long moves = 3LL * n + 1;
    for (long long k = 0; k < moves; ++k) {
        const int a = pick(rng);
        const int b = pick(rng);
        auto first = list.begin();
        if (a < b) {
            std::rotate(first + a, first + a + 1, first + b + 1);
        } else if (a > b) {
            std::rotate(first + b, first + a, first + a + 1);
        }
    }
    return list;
}

}  // namespace tv::playlist::Internal
