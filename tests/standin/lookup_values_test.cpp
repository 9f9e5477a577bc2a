// The grid's lookup values match ids the way lookup_key writes them: numbers by value, texts as they are.
#include <gtest/gtest.h>

#include "standin/control_models.hpp"

namespace standin {
namespace {

using runtime::Variant;

std::string found(const LookupValues& values, const Variant& id) {
  const Variant* v = values.find(id);
  return v ? v->to_string() : "(none)";
}

TEST(LookupValues, IdsMatchAsTheirKeysDo) {
  // The first value of an id stays; a null id is never stored.
  const std::pair<Variant, const char*> stored[] = {{Variant(std::int32_t{12}), "twelve"},
                                                    {Variant(std::int32_t{12}), "later twelve"},
                                                    {Variant("ABC"), "letters"},
                                                    {Variant(2.5), "two and a half"},
                                                    {Variant(1e15), "big"},
                                                    {Variant(std::int32_t{-3}), "minus three"},
                                                    {Variant::null(), "never"}};
  LookupValues values;
  for (const auto& [id, text] : stored) values.add(id, Variant(text));
  EXPECT_EQ(values.size(), 5u);

  // Each id against what lookup_key says of it.
  for (const Variant& id :
       {Variant(std::int32_t{12}), Variant(12.0), Variant("12"), Variant(" 12 "), Variant("12.0"),
        Variant("012"), Variant("ABC"), Variant("abc"), Variant(2.5), Variant("2.50"), Variant(1e15),
        Variant("1000000000000000"), Variant(-3.0), Variant("-3"), Variant(12.000001), Variant(),
        Variant::null(), Variant(std::int32_t{13})}) {
    std::string expected = "(none)";
    auto key = lookup_key(id);
    for (auto it = std::rbegin(stored); it != std::rend(stored); ++it)
      if (key && lookup_key(it->first) == key) expected = it->second;
    EXPECT_EQ(found(values, id), expected) << (key ? *key : "(no key)");
  }
}

}  // namespace
}  // namespace standin
