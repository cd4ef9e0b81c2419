// The main() of every GoogleTest program: sets the environment the tests run in
// (headless Qt, where the sources and the build are, and the test's own variables),
// then runs the tests. Variables already set from outside are kept.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TAVORA_SOURCE_DIR", TAVORA_TEST_SOURCE_DIR, 0);
    setenv("TAVORA_BINARY_DIR", TAVORA_TEST_BINARY_DIR, 0);
    const std::string extra = TAVORA_TEST_ENV;  // "K=V|K=V"
    size_t start = 0;
    while (start < extra.size()) {
        size_t end = extra.find('|', start);
        if (end == std::string::npos) end = extra.size();
        const std::string item = extra.substr(start, end - start);
        if (const size_t eq = item.find('='); eq != std::string::npos)
            setenv(item.substr(0, eq).c_str(), item.substr(eq + 1).c_str(), 0);
        start = end + 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
