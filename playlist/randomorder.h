#pragma once

// The shuffled playlist order: the identity 0..n-1 stirred by 3n + 1 random moves, each taking
// the item at a random position a out and putting it back at a random position b.

#include <random>
#include <vector>

namespace tv::playlist::Internal {

// The order after 3n + 1 moves; positions are drawn from `rng` as a then b for each move, so
// a given seed always gives the same order. Each move costs O(log n) plus a short shift: a
// plain vector would shift up to n items per move, which is quadratic on a large playlist.
std::vector<int> ShuffleByMoves(int n, std::mt19937& rng);

// The same moves applied to a plain vector (quadratic); the reference the tests compare
// ShuffleByMoves against.
std::vector<int> ShuffleByMovesPlain(int n, std::mt19937& rng);

}  // namespace tv::playlist::Internal
