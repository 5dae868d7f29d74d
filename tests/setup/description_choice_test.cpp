#include "setup/description_choice.h"

#include <gtest/gtest.h>

namespace quidora::setup {
namespace {

struct Row {
  std::uint32_t major;
  std::uint16_t architecture;
  std::uint32_t type;
  std::optional<std::string_view> file;
};

TEST(DescriptionChoiceTest, FollowsTheDeviceTableInItsOrder) {
  const Row rows[] = {
      {3, kArchitectureMips, 4000, "MIPS.ini"},
      {3, kArchitectureArm, 4000, "MIPS.ini"},    // by type alone
      {3, kArchitectureMips, 2577, "MIPS.ini"},   // MIPS is tested before ARM
      {3, kArchitectureMips, 10003, "MIPS.ini"},  // and before SH
      {3, kArchitectureShx, 10003, "SH.ini"},
      {3, kArchitectureShx, 10004, "SH.ini"},
      {3, kArchitectureShx, 10005, "SH.ini"},
      {3, kArchitectureArm, 1824, "ARM.ini"},
      {3, kArchitectureArm, 2080, "ARM.ini"},
      {3, kArchitectureArm, 2336, "ARM.ini"},
      {3, kArchitectureArm, 70001, "ARM.ini"},
      {3, kArchitectureArm, 2577, "ARM.ini"},
      {3, kArchitectureArm, 9999, std::nullopt},
      {3, kArchitectureIntel, 586, std::nullopt},
      {4, kArchitectureArm, 2577, "PPC2003_ARM.ini"},
      {4, kArchitectureMips, 2577, "PPC2003_ARM.ini"},  // version 4 looks at the type only
      {7, kArchitectureArm, 2577, "PPC2003_ARM.ini"},
      {4, kArchitectureMips, 4000, std::nullopt},
      {4, kArchitectureShx, 10004, std::nullopt},
      {4, kArchitectureArm, 1824, std::nullopt},
      {2, kArchitectureArm, 2577, std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << "version " << row.major << ", architecture "
                                      << row.architecture << ", type " << row.type);
    EXPECT_EQ(DescriptionFileFor(row.major, {row.architecture, row.type}), row.file);
  }
}

}  // namespace
}  // namespace quidora::setup
