#include "playlist/randomorder.h"

#include <algorithm>
#include <cstdint>

namespace tv::playlist::Internal {

namespace {

// An implicit treap: the sequence order is the in-order walk, a node's position is found from
// subtree sizes, so taking an item out and putting it in elsewhere costs O(log n).
class SequenceTreap {
public:
    explicit SequenceTreap(int n) : m_nodes(static_cast<size_t>(n) + 1) {
        // Node 0 is the empty tree.
        for (int i = 1; i <= n; ++i) {
            Node& node = m_nodes[static_cast<size_t>(i)];
            node.value = i - 1;
            node.priority = NextPriority();
            node.size = 1;
            m_root = Merge(m_root, i);
        }
    }

    void Move(int from, int to) {
        if (from == to) return;
        auto [left, rest] = Split(m_root, from);
        auto [item, right] = Split(rest, 1);
        auto [before, after] = Split(Merge(left, right), to);
        m_root = Merge(Merge(before, item), after);
    }

    std::vector<int> Values() const {
        std::vector<int> out;
        out.reserve(m_nodes.size() - 1);
        std::vector<int> stack;
        int node = m_root;
        while (node != 0 || !stack.empty()) {
            while (node != 0) {
                stack.push_back(node);
                node = At(node).left;
            }
            node = stack.back();
            stack.pop_back();
            out.push_back(At(node).value);
            node = At(node).right;
        }
        return out;
    }

private:
    struct Node {
        int value = 0;
        uint32_t priority = 0;
        int size = 0;
        int left = 0;
        int right = 0;
    };

    Node& At(int i) { return m_nodes[static_cast<size_t>(i)]; }
    const Node& At(int i) const { return m_nodes[static_cast<size_t>(i)]; }

    uint32_t NextPriority() {
        // xorshift32: the treap's balance needs no quality, and keeping it apart from the
        // playlist's generator makes the order depend on that generator alone.
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }

    void Update(int t) { At(t).size = 1 + At(At(t).left).size + At(At(t).right).size; }

    // Splits t into its first k items and the rest.
    std::pair<int, int> Split(int t, int k) {
        if (t == 0) return {0, 0};
        if (At(At(t).left).size >= k) {
            auto [a, b] = Split(At(t).left, k);
            At(t).left = b;
            Update(t);
            return {a, t};
        }
        auto [a, b] = Split(At(t).right, k - At(At(t).left).size - 1);
        At(t).right = a;
        Update(t);
        return {t, b};
    }

    int Merge(int a, int b) {
        if (a == 0) return b;
        if (b == 0) return a;
        if (At(a).priority > At(b).priority) {
            At(a).right = Merge(At(a).right, b);
            Update(a);
            return a;
        }
        At(b).left = Merge(a, At(b).left);
        Update(b);
        return b;
    }

    std::vector<Node> m_nodes;
    int m_root = 0;
    uint32_t m_state = 2463534242u;
};

}  // namespace

std::vector<int> ShuffleByMoves(int n, std::mt19937& rng) {
    if (n <= 0) return {};
    SequenceTreap treap(n);
    std::uniform_int_distribution<int> pick(0, n - 1);
    const long long moves = 3LL * n + 1;
    for (long long k = 0; k < moves; ++k) {
        const int a = pick(rng);
        const int b = pick(rng);
        treap.Move(a, b);
    }
    return treap.Values();
}

std::vector<int> ShuffleByMovesPlain(int n, std::mt19937& rng) {
    if (n <= 0) return {};
    std::vector<int> list(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) list[static_cast<size_t>(i)] = i;
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
