// ControlModule internals: a replaced or discarded variant is freed without
// any of its operations being called, also when its successor cannot be
// allocated; every platform code's variant without memory; and Release,
// which the library never calls.

#include "control/control_module.h"

#include <cstdlib>
#include <memory>
#include <typeinfo>

#include <gtest/gtest.h>

#include "control/default_control.h"
#include "control/display_escape_control.h"
#include "control/foreground_switch_control.h"
#include "control/silent_control.h"
#include "support/alloc_hooks.h"
#include "winsim.h"

namespace vexa {
namespace {

// Counts every operation and its own deletion.
struct Counts {
  int operations = 0;
  int deleted = 0;
};

class CountingVariant : public ControlVariant {
 public:
  explicit CountingVariant(Counts* counts) : counts_(counts) {}
  ~CountingVariant() override { ++counts_->deleted; }
  int Init(platform::Window) override { return ++counts_->operations; }
  int Release() override { return ++counts_->operations; }
  int SwitchToControl() override { return ++counts_->operations; }
  int IsExist() override { return ++counts_->operations; }

 private:
  Counts* counts_;
};

class ControlModuleWithCountingVariant : public ::testing::Test {
 protected:
  void SetUp() override {
    winsim::Reset();
    setenv("VEXA_PLATFORM_CODE", "3", 1);
    module_.TEST_Install(new CountingVariant(&counts_));
  }
  void TearDown() override {
    unsetenv("VEXA_PLATFORM_CODE");
    winsim::Reset();
  }

  Counts counts_;
  ControlModule module_;
};

TEST_F(ControlModuleWithCountingVariant, InitFreesTheReplacedVariantWithoutCallingIt) {
  EXPECT_EQ(module_.Init(0), 1);
  EXPECT_EQ(counts_.deleted, 1);
  EXPECT_EQ(counts_.operations, 0);
  EXPECT_EQ(typeid(*module_.TEST_variant()), typeid(SilentControl));
}

TEST_F(ControlModuleWithCountingVariant, FailedInitStillFreesTheReplacedVariant) {
  {
    test::ScopedAllocationFailure fail(0, true);
    EXPECT_EQ(module_.Init(0), 0);
  }
  EXPECT_EQ(counts_.deleted, 1);
  EXPECT_EQ(counts_.operations, 0);
  EXPECT_EQ(module_.TEST_variant(), nullptr);
  EXPECT_EQ(module_.SwitchToControl(), 0);
  EXPECT_EQ(module_.IsExist(), 0);
}

TEST(ControlModule, DeletingTheModuleFreesItsVariantWithoutCallingIt) {
  Counts counts;
  {
    ControlModule module;
    module.TEST_Install(new CountingVariant(&counts));
  }
  EXPECT_EQ(counts.deleted, 1);
  EXPECT_EQ(counts.operations, 0);
}

// Each code's variant, and none when it cannot be allocated. Release is
// part of the interface only: it returns 1 and touches nothing.
TEST(ControlModule, EachCodeGetsItsVariantOrNoneWithoutMemory) {
  struct Case {
    int code;
    const std::type_info& type;
  };
  const Case cases[] = {{1, typeid(DefaultControl)}, {2, typeid(DisplayEscapeControl)},
                        {3, typeid(SilentControl)}, {6, typeid(ForegroundSwitchControl)},
                        {13, typeid(SilentControl)}};
  winsim::Reset();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    std::unique_ptr<ControlVariant> variant(ControlModule::CreateVariant(c.code));
    ASSERT_NE(variant, nullptr);
    EXPECT_EQ(typeid(*variant), c.type);
    EXPECT_EQ(variant->Release(), 1);
    test::ScopedAllocationFailure fail;
    EXPECT_EQ(ControlModule::CreateVariant(c.code), nullptr);
  }
  EXPECT_TRUE(winsim::Escapes().empty());
  EXPECT_TRUE(winsim::ForegroundRequests().empty());
}

}  // namespace
}  // namespace vexa
