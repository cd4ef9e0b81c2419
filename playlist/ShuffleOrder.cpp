#include "ShuffleOrder.h"

#include <numeric>
#include <utility>

namespace tavora {

std::vector<int> DrawShuffleOrder(int count, std::mt19937& random) {
    if (count <= 0) return {};
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    for (int i = count - 1; i > 0; --i) {
        std::uniform_int_distribution<int> pick(0, i);
        std::swap(order[static_cast<size_t>(i)], order[static_cast<size_t>(pick(random))]);
    }
    return order;
}

}  // namespace tavora
