#pragma once
// The random play order of the rows.
//
// A Fisher-Yates shuffle draws every permutation of 0..count-1 with the same
// probability in count-1 swaps. (Drawing each position again until an unused row
// comes up gives the same distribution, but costs count^2 draws per order, and the
// order is redrawn after every change of the list.) Pure; thread-safe for distinct
// random engines.

#include <random>
#include <vector>

namespace tavora {

std::vector<int> DrawShuffleOrder(int count, std::mt19937& random);

}  // namespace tavora
