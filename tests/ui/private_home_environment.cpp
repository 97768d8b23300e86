// Every case of the interface suite runs with a private HOME and configuration folder, so the
// settings the model stores (the interface language, window frames) never reach the user's.
#include <gtest/gtest.h>

#include <memory>

#include "support/temporary_folder.h"

namespace tidewell {
namespace {

class PrivateHomeEnvironment : public ::testing::Environment {
public:
    void SetUp() override { home_ = std::make_unique<testing::TemporaryHome>(); }
    void TearDown() override { home_.reset(); }

private:
    std::unique_ptr<testing::TemporaryHome> home_;
};

[[maybe_unused]] ::testing::Environment* const privateHome =
    ::testing::AddGlobalTestEnvironment(new PrivateHomeEnvironment);

}  // namespace
}  // namespace tidewell
