#include "base/option_set.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace vorn {
namespace {

enum class Colour { Red, Green, Blue, Last = 31 };
enum class Flag : uint32_t { A, B };
using Colours = OptionSet<Colour>;

// Usable in constant expressions, as the option defaults are.
static_assert(Colours{}.Empty());
static_assert(Colours{Colour::Red, Colour::Blue}.Has(Colour::Blue));
static_assert(!Colours{Colour::Red, Colour::Blue}.Has(Colour::Green));
static_assert((Colours{Colour::Red} | Colours{Colour::Green}) ==
              Colours{Colour::Green, Colour::Red});

TEST(OptionSetTest, MembersComeAndGoOneAtATime) {
  Colours set{Colour::Green};
  set.Add(Colour::Last);
  set.Add(Colour::Last);  // adding twice changes nothing
  EXPECT_EQ(set, (Colours{Colour::Green, Colour::Last}));
  set.Remove(Colour::Green);
  set.Remove(Colour::Red);  // removing an absent member changes nothing
  EXPECT_EQ(set, Colours{Colour::Last});
  set.Set(Colour::Blue, true);
  set.Set(Colour::Last, false);
  EXPECT_EQ(set, Colours{Colour::Blue});
  EXPECT_FALSE(set.Empty());
  set.Remove(Colour::Blue);
  EXPECT_TRUE(set.Empty());
  EXPECT_EQ(set, Colours{});
}

TEST(OptionSetTest, UnionKeepsBothOperands) {
  const Colours a{Colour::Red};
  const Colours b{Colour::Red, Colour::Blue};
  EXPECT_EQ(a | b, b);
  EXPECT_EQ(a, Colours{Colour::Red});
  EXPECT_NE(a, b);
  const OptionSet<Flag> flags{Flag::B};  // an unsigned underlying type
  EXPECT_TRUE(flags.Has(Flag::B));
  EXPECT_FALSE(flags.Has(Flag::A));
}

}  // namespace
}  // namespace vorn
