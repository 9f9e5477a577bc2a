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
  LookupValues values;
  values.add(Variant(std::int32_t{12}), Variant("twelve"));
  values.add(Variant(std::int32_t{12}), Variant("later twelve"));  // the first value stays
  values.add(Variant("ABC"), Variant("letters"));
  values.add(Variant(2.5), Variant("two and a half"));
  values.add(Variant(1e15), Variant("big"));
  values.add(Variant(std::int32_t{-3}), Variant("minus three"));
  values.add(Variant::null(), Variant("never"));
  EXPECT_EQ(values.size(), 5u);

  // Each id against what lookup_key says of it.
  const std::vector<Variant> ids = {Variant(std::int32_t{12}),
                                    Variant(12.0),
                                    Variant("12"),
                                    Variant(" 12 "),
                                    Variant("12.0"),
                                    Variant("012"),
                                    Variant("ABC"),
                                    Variant("abc"),
                                    Variant(2.5),
                                    Variant("2.50"),
                                    Variant(1e15),
                                    Variant("1000000000000000"),
                                    Variant(-3.0),
                                    Variant("-3"),
                                    Variant(12.000001),
                                    Variant(),
                                    Variant::null(),
                                    Variant(std::int32_t{13})};
  std::vector<std::pair<Variant, std::string>> keyed = {{Variant(std::int32_t{12}), "twelve"},
                                                        {Variant("ABC"), "letters"},
                                                        {Variant(2.5), "two and a half"},
                                                        {Variant(1e15), "big"},
                                                        {Variant(std::int32_t{-3}), "minus three"}};
  for (const Variant& id : ids) {
    std::string expected = "(none)";
    auto key = lookup_key(id);
    for (const auto& [stored, text] : keyed)
      if (key && lookup_key(stored) == key) expected = text;
    EXPECT_EQ(found(values, id), expected) << (key ? *key : "(no key)");
  }
}

}  // namespace
}  // namespace standin
