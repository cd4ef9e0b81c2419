// The player's side of the band: the handle is found and kept, and nothing goes to a
// window that is not the band's (gone, or its id reused by another program).
#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <vector>

#include "BandHandOff.h"
#include "PlaybackState.h"
#include "Registry.h"
#include "RegistryKeys.h"
#include "TempRegistry.h"
#include "band/BandProtocol.h"

using namespace tavora;

namespace {

struct FakeDesktop : BandTransport {
    uint32_t band = 0;            // the band's window now (0: not running)
    std::set<uint32_t> windows;   // every window that exists, of any program
    std::vector<std::tuple<uint32_t, unsigned, uint32_t, uint32_t>> sent;

    uint32_t Find() override { return band; }
    bool IsBand(uint32_t w) override { return w != 0 && w == band && windows.count(w); }
    void Send(uint32_t w, unsigned m, uint32_t wp, uint32_t lp) override { sent.emplace_back(w, m, wp, lp); }
};

class BandHandOffTest : public ::testing::Test {
protected:
    test::TempRegistry reg_;
    FakeDesktop desktop_;
    BandHandOff handOff_{desktop_};
    PlaybackState state_;
};

}  // namespace

TEST_F(BandHandOffTest, WithoutABandNothingIsHandedOver) {
    handOff_.Refresh();
    EXPECT_EQ(handOff_.handle(), 0u);
    EXPECT_FALSE(handOff_.HandOver(state_, 0x400001));
    handOff_.SendClose();
    handOff_.SendStopped();
    EXPECT_TRUE(desktop_.sent.empty());
}

TEST_F(BandHandOffTest, FoundBandIsKeptAsHandleAndGetsStateThenModes) {
    desktop_.band = 0x1e00007;
    desktop_.windows = {0x1e00007};
    handOff_.Refresh();
    EXPECT_EQ(ReadRegDword(keys::kRoot, "handle"), 0x1e00007);
    state_.volumeMax = 38;
    state_.volume = 38;
    state_.isPlaying = 1;
    ASSERT_TRUE(handOff_.HandOver(state_, 0x400001));
    ASSERT_EQ(desktop_.sent.size(), 2u);
    EXPECT_EQ(desktop_.sent[0], std::make_tuple(0x1e00007u, band::kState, 0x400001u, 38u << 16 | 2u));
    EXPECT_EQ(desktop_.sent[1], std::make_tuple(0x1e00007u, band::kModes, 0x400001u, 0u));
    handOff_.SendStopped();
    handOff_.SendClose();
    EXPECT_EQ(std::get<1>(desktop_.sent[2]), band::kStopped);
    EXPECT_EQ(std::get<1>(desktop_.sent[3]), band::kClose);
}

TEST_F(BandHandOffTest, StaleHandleOfAGoneBandGetsNothing) {
    desktop_.band = 0x1e00007;
    desktop_.windows = {0x1e00007};
    handOff_.Refresh();
    desktop_.band = 0;  // the band ended; the stored handle stays
    desktop_.windows.clear();
    EXPECT_EQ(handOff_.handle(), 0x1e00007u);
    EXPECT_FALSE(handOff_.HandOver(state_, 0x400001));
    handOff_.SendClose();
    EXPECT_TRUE(desktop_.sent.empty());
}

TEST_F(BandHandOffTest, HandleReusedByAnotherProgramGetsNothing) {
    // A handle from an earlier session; the id now names some other program's window.
    WriteRegDword(keys::kRoot, "handle", 0x2200003);
    desktop_.windows = {0x2200003};
    EXPECT_FALSE(handOff_.HandOver(state_, 0x400001));
    handOff_.SendStopped();
    EXPECT_TRUE(desktop_.sent.empty());
}

TEST_F(BandHandOffTest, ABandStartedLaterIsFoundAtTheHandOver) {
    handOff_.Refresh();  // at start: none
    desktop_.band = 0x3000001;
    desktop_.windows = {0x3000001};
    EXPECT_TRUE(handOff_.HandOver(state_, 0x400001));
    EXPECT_EQ(handOff_.handle(), 0x3000001u);
}
