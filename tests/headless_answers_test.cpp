// Every test: a dialog script or chooser answer that nothing took means the
// dialog never opened, so the checks inside the script never ran.
#include <gtest/gtest.h>

#include "platform/headless/headless.h"

namespace {

class UnusedAnswers : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override {
        EXPECT_EQ(platform::headless::TakeUnusedAnswers(), 0u) << "queued dialog scripts or answers never used";
    }
};

const bool installed = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new UnusedAnswers);
    return true;
}();

}  // namespace

TEST(HeadlessAnswers, AnUnusedScriptIsReported) {
    platform::headless::QueueDialogScript([](platform::Dialog*) {});
    EXPECT_EQ(platform::headless::TakeUnusedAnswers(), 1u);
    EXPECT_EQ(platform::headless::TakeUnusedAnswers(), 0u);
}
