#include "SkinClient.h"

#include <algorithm>

namespace tavora {

namespace {
std::vector<SkinClient*>& Clients() {
    static std::vector<SkinClient*> clients;
    return clients;
}
}  // namespace

SkinClient::SkinClient() { Clients().push_back(this); }

SkinClient::~SkinClient() { std::erase(Clients(), this); }

std::vector<SkinClient*> SkinClient::LiveClients() {
    std::vector<SkinClient*> sorted = Clients();
    std::stable_sort(sorted.begin(), sorted.end(), [](SkinClient* a, SkinClient* b) {
        return static_cast<int>(a->reloadOrder()) < static_cast<int>(b->reloadOrder());
    });
    return sorted;
}

}  // namespace tavora
