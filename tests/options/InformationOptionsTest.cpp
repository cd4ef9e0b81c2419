// "--help" and "--version" end the program; everything else goes on to the player.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "InformationOptions.h"

using namespace tavora;

namespace {

// The status and what was printed.
std::pair<std::optional<int>, std::string> Handle(std::initializer_list<const char*> args) {
    std::vector<const char*> argv{"tavoraplayer"};
    argv.insert(argv.end(), args.begin(), args.end());
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    const auto status = HandleInformationOption(static_cast<int>(argv.size()), argv.data(), out);
    std::fclose(out);
    std::string printed(text, size);
    std::free(text);
    return {status, printed};
}

}  // namespace

TEST(InformationOptionsTest, HelpAndVersionPrintAndEnd) {
    auto [status, text] = Handle({"--help"});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(text.rfind("Usage: tavoraplayer", 0), 0u);
    EXPECT_NE(text.find("-listPATH"), std::string::npos);
    std::tie(status, text) = Handle({"--version"});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(text.rfind("tavoraplayer ", 0), 0u);
}

TEST(InformationOptionsTest, AnythingElseGoesToThePlayer) {
    for (auto args : {std::initializer_list<const char*>{}, {"-s/music/--help"}, {"--help", "x"},
                      {"-add--version"}, {"--HELP"}}) {
        const auto [status, text] = Handle(args);
        EXPECT_FALSE(status.has_value());
        EXPECT_EQ(text, "");
    }
}
