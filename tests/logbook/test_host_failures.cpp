#include "office_env.h"
static auto* const office = ::testing::AddGlobalTestEnvironment(new korv::logbook::officetest::OfficeEnvironment);
TEST(Placeholder, Nothing) {}
