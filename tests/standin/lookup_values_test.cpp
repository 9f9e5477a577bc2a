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

TEST(LookupValues, ARestrictedLookupReadsTheIdsShown) {
  struct Case {
    const char* query;
    std::vector<std::int64_t> ids;
    std::vector<std::string> expected;  // empty: the query cannot be restricted
  };
  const Case cases[] = {
      {"SELECT PD0G_IDDISBAPROG, PD0G_CODPROG_PD68 FROM PD0G_DISBAPROG WHERE PD0G_DITTA_CG18=1",
       {7, 9},
       {"SELECT * FROM (SELECT PD0G_IDDISBAPROG, PD0G_CODPROG_PD68 FROM PD0G_DISBAPROG WHERE "
        "PD0G_DITTA_CG18=1) "
        "AS LOOKUP_ROWS WHERE PD0G_IDDISBAPROG IN (7, 9)"}},
      {"select ID ,\r\n CASE WHEN A THEN B END AS X FROM T",
       {1, 2, 3},
       {"SELECT * FROM (select ID ,\r\n CASE WHEN A THEN B END AS X FROM T) AS LOOKUP_ROWS WHERE ID IN (1, "
        "2)",
        "SELECT * FROM (select ID ,\r\n CASE WHEN A THEN B END AS X FROM T) AS LOOKUP_ROWS WHERE ID IN (3)"}},
      {"SELECT T.ID, X FROM T", {1}, {}},
      {"SELECT DISTINCT ID, X FROM T", {1}, {}},
      {"SELECT ID + 1, X FROM T", {1}, {}},
  };
  for (const Case& c : cases) {
    auto texts = restricted_lookup_queries(c.query, c.ids, 2);
    EXPECT_EQ(texts.value_or(std::vector<std::string>{}), c.expected) << c.query;
  }
  // A value read for other ids is not the answer for an id that was not read.
  LookupValues values;
  values.add(Variant(std::int32_t{7}), Variant("P7"));
  values.restrict_to({7, 9});
  EXPECT_TRUE(values.answers(Variant(std::int32_t{9})));
  EXPECT_FALSE(values.answers(Variant(std::int32_t{8})));
  EXPECT_EQ(whole_ids({Variant(3.0), Variant::null(), Variant("1"), Variant(std::int32_t{3})}),
            (std::vector<std::int64_t>{1, 3}));
  EXPECT_FALSE(whole_ids({Variant("ABC")}).has_value());
}

}  // namespace
}  // namespace standin
