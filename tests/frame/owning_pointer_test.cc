// OwningPointer's hand-over semantics and InstallStrategy. Every case
// counts deletions of a tracked object, since a double delete or a leak is
// exactly the fault a wrong flag would cause.

#include "frame/owning_pointer.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

struct Tracked {
  static int deletions;
  ~Tracked() { ++deletions; }
};
int Tracked::deletions = 0;

class OwningPointerTest : public ::testing::Test {
 protected:
  void SetUp() override { Tracked::deletions = 0; }
};

TEST_F(OwningPointerTest, ConstructionOwnsExactlyNonNullPointers) {
  OwningPointer<Tracked> empty;
  EXPECT_FALSE(empty.owns());
  EXPECT_EQ(empty.get(), nullptr);

  {
    OwningPointer<Tracked> holder(new Tracked);
    EXPECT_TRUE(holder.owns());
  }
  EXPECT_EQ(Tracked::deletions, 1);
}

TEST_F(OwningPointerTest, ReleaseKeepsPointerButStopsOwning) {
  Tracked* object = new Tracked;
  {
    OwningPointer<Tracked> holder(object);
    EXPECT_EQ(holder.release(), object);
    EXPECT_FALSE(holder.owns());
    EXPECT_EQ(holder.get(), object);
  }
  EXPECT_EQ(Tracked::deletions, 0);
  delete object;
}

TEST_F(OwningPointerTest, SelfAssignmentChangesNothing) {
  Tracked* object = new Tracked;
  OwningPointer<Tracked> holder(object);
  OwningPointer<Tracked>& alias = holder;
  holder = alias;
  EXPECT_TRUE(holder.owns());
  EXPECT_EQ(holder.get(), object);
  EXPECT_EQ(Tracked::deletions, 0);
}

// Two holders of one object: the target owns it afterwards when either of
// them did, the source never does, and nothing is deleted.
TEST_F(OwningPointerTest, SamePointerMergesOwnershipWithoutDeleting) {
  struct Case {
    bool target_owns;
    bool source_owns;
  };
  for (Case c : {Case{true, true}, Case{true, false}, Case{false, true},
                 Case{false, false}}) {
    SCOPED_TRACE(::testing::Message() << "target owns " << c.target_owns
                                      << ", source owns " << c.source_owns);
    Tracked::deletions = 0;
    Tracked* object = new Tracked;
    bool target_owned_after;
    {
      OwningPointer<Tracked> target(object);
      OwningPointer<Tracked> source(object);
      if (!c.target_owns) target.release();
      if (!c.source_owns) source.release();

      target = source;

      target_owned_after = target.owns();
      EXPECT_EQ(target.owns(), c.target_owns || c.source_owns);
      EXPECT_FALSE(source.owns());
      EXPECT_EQ(target.get(), object);
      EXPECT_EQ(source.get(), object);
      EXPECT_EQ(Tracked::deletions, 0);
    }
    // Leaving the scope deletes the object once if the target owned it.
    EXPECT_EQ(Tracked::deletions, target_owned_after ? 1 : 0);
    if (!target_owned_after) delete object;
  }
}

TEST_F(OwningPointerTest, DifferentPointerDeletesOwnedPreviousAndTakesFlag) {
  for (bool target_owns : {true, false}) {
    for (bool source_owns : {true, false}) {
      SCOPED_TRACE(::testing::Message() << "target owns " << target_owns
                                        << ", source owns " << source_owns);
      Tracked::deletions = 0;
      Tracked* previous = new Tracked;
      Tracked* next = new Tracked;
      {
        OwningPointer<Tracked> target(previous);
        OwningPointer<Tracked> source(next);
        if (!target_owns) target.release();
        if (!source_owns) source.release();

        target = source;

        EXPECT_EQ(Tracked::deletions, target_owns ? 1 : 0);
        EXPECT_EQ(target.get(), next);
        EXPECT_EQ(target.owns(), source_owns);
        EXPECT_EQ(source.get(), next);
        EXPECT_FALSE(source.owns());
      }
      EXPECT_EQ(Tracked::deletions, (target_owns ? 1 : 0) + (source_owns ? 1 : 0));
      if (!target_owns) delete previous;
      if (!source_owns) delete next;
    }
  }
}

TEST_F(OwningPointerTest, AssigningEmptyHolderDeletesAndEmpties) {
  OwningPointer<Tracked> target(new Tracked);
  OwningPointer<Tracked> empty;
  target = empty;
  EXPECT_EQ(Tracked::deletions, 1);
  EXPECT_EQ(target.get(), nullptr);
  EXPECT_FALSE(target.owns());
}

TEST_F(OwningPointerTest, InstallStrategyReplacesAndDeletesPrevious) {
  OwningPointer<Tracked> holder;
  Tracked* first = new Tracked;
  InstallStrategy(holder, first);
  EXPECT_EQ(holder.get(), first);
  EXPECT_TRUE(holder.owns());
  EXPECT_EQ(Tracked::deletions, 0);

  Tracked* second = new Tracked;
  InstallStrategy(holder, second);
  EXPECT_EQ(Tracked::deletions, 1);  // exactly one object alive: the second
  EXPECT_EQ(holder.get(), second);
  EXPECT_TRUE(holder.owns());
}

TEST_F(OwningPointerTest, InstallingFailedAllocationLeavesHolderEmpty) {
  OwningPointer<Tracked> holder(new Tracked);
  InstallStrategy<Tracked>(holder, nullptr);
  EXPECT_EQ(Tracked::deletions, 1);
  EXPECT_EQ(holder.get(), nullptr);
  EXPECT_FALSE(holder.owns());
}

}  // namespace
}  // namespace vexa
