#include <gtest/gtest.h>

#include <optional>

#include "common/mdlpd_calendatt.hpp"
#include "common/trace.hpp"
#include "delete_dialog/frmpd_delcalendatt.hpp"
#include "host/registry.hpp"
#include "module/clspd_calendatt.hpp"
#include "runtime/system.hpp"

namespace calendatt {
namespace {

using runtime::Variant;

// The number of the error a step raises, 0 when it raises none.
int raised(const std::function<void()>& step) {
  try {
    step();
  } catch (const runtime::Error& e) {
    return e.number();
  }
  return 0;
}

TEST(ContractProperties, ReadBackWhatWasWrittenWithTheStoredWidths) {
  auto module = CLSPD_CALENDATT::create();
  EXPECT_EQ(module->Cinterface_ActiveDll().get(), static_cast<host::Cinterface*>(module.get()));

  module->let_Cinterface_WindowState(2);
  module->let_Cinterface_WindowState(40000);  // outside 16 bits: kept
  EXPECT_EQ(module->Cinterface_WindowState(), 2);
  module->let_Cinterface_WindowState(-32768);
  EXPECT_EQ(module->Cinterface_WindowState(), -32768);

  // Positions are kept as whole numbers, half to even; a value that does not convert leaves the last.
  const std::pair<Variant, std::int32_t> positions[] = {{Variant(12.6), 13},
                                                        {Variant(12.5), 12},
                                                        {Variant("abc"), 12},
                                                        {Variant("7"), 7},
                                                        {Variant::null(), 7}};
  for (const auto& [given, kept] : positions) {
    module->let_Cinterface_Top(given);
    module->let_Cinterface_Left(given);
    EXPECT_EQ(module->Cinterface_Top(), Variant(kept));
    EXPECT_EQ(module->Cinterface_Left(), Variant(kept));
  }
  module->let_Cinterface_Caption(Variant(42));
  EXPECT_EQ(module->Cinterface_Caption(), Variant(42));  // a variant is kept as given
}

TEST(ContractProperties, ProgramModeIsZeroInCalledMode) {
  auto module = CLSPD_CALENDATT::create();
  module->let_Cinterface_ProgramMode(3);
  EXPECT_EQ(module->Cinterface_ProgramMode(), 3);
  module->let_Cinterface_IsCalled(true);
  EXPECT_EQ(module->Cinterface_ProgramMode(), 3);  // setting IsCalled afterwards changes nothing
  module->let_Cinterface_ProgramMode(3);
  EXPECT_EQ(module->Cinterface_ProgramMode(), 0);
  module->let_Cinterface_IsCalled(false);
  module->let_Cinterface_ProgramMode(70000);
  EXPECT_EQ(module->Cinterface_ProgramMode(), 0);
}

TEST(CalledModeParameters, AreReachedByNameThroughTheClassOwnInterface) {
  MDLPD_CALENDATT::reset();
  runtime::set_short_date_form("dd/mm/yyyy");
  auto module = CLSPD_CALENDATT::create();
  host::Scriptable& own = *module;
  own.LetProperty("pCodNodo", Variant("N01"));
  own.LetProperty("PIDDISBAPROGWBS", Variant("101"));
  // The end of the period keeps its time of day.
  own.LetProperty("pDataFineWBS", Variant(runtime::Date{runtime::Date::from_ymd(2026, 3, 31).serial + 0.75}));
  EXPECT_EQ(MDLPD_CALENDATT::pCodNodo, "N01");
  EXPECT_EQ(MDLPD_CALENDATT::pIDDisBaProgWBS, 101);
  EXPECT_EQ(MDLPD_CALENDATT::pDataFineWBS, "31/03/2026 18:00:00");
  EXPECT_EQ(own.GetProperty("ModificatoDati"), Variant(false));
  own.LetProperty("ModificatoDati", Variant(true));
  EXPECT_TRUE(module->ModificatoDati());
  for (const char* name : {"pCodNodo", "Nothing"})  // write-only, or no such property
    EXPECT_EQ(raised([&] { (void)own.GetProperty(name); }), 438) << name;
  MDLPD_CALENDATT::reset();
}

TEST(Registration, TheHostCreatesTheClassByItsIdentifier) {
  auto object = host::Registry::instance().create("meridal.clspd_calendatt");
  auto contract = std::dynamic_pointer_cast<host::Cinterface>(object);
  ASSERT_NE(contract, nullptr);
  EXPECT_EQ(contract->Cinterface_ActiveDll(), contract);
  EXPECT_EQ(raised([] { host::Registry::instance().create("MERIDAL.NOTHING"); }), 429);
}

// Feeds given GUID fields to the identifier; an empty entry, or the end of the list, is a failed generation.
class GuidFeed {
 public:
  explicit GuidFeed(std::vector<std::optional<runtime::Guid>> guids) : guids_(std::move(guids)) {
    runtime::set_guid_source([this](runtime::Guid& g) -> std::int32_t {
      if (next_ >= guids_.size() || !guids_[next_]) {
        ++next_;
        return -2147467259;
      }
      g = *guids_[next_++];
      return 0;
    });
  }
  ~GuidFeed() { runtime::set_guid_source(nullptr); }

 private:
  std::vector<std::optional<runtime::Guid>> guids_;
  std::size_t next_ = 0;
};

TEST(InstanceIdentifier, WritesTheFieldsAsPaddedHexadecimalAndIsRetriedAfterAFailure) {
  runtime::Guid small{0xABCD, 0xF0, 0x1, {0x0A, 0xFF, 0x00, 0x10, 0x01, 0x02, 0x03, 0x04}};
  runtime::Guid top_bit{0x8000ABCD, 0xFFFF, 0x8001, {1, 2, 3, 4, 5, 6, 7, 8}};
  GuidFeed feed({small, top_bit, std::nullopt, runtime::Guid{1, 2, 3, {}}});
  EXPECT_EQ(NuovoIdentificativo(), "0000ABCD00F000010AFF001001020304");
  EXPECT_EQ(NuovoIdentificativo(), "8000ABCDFFFF80010102030405060708");
  InstanceIdentity failing_first;
  EXPECT_EQ(failing_first.IdentificativoIstanza(), Variant(""));
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(failing_first.IdentificativoIstanza(), Variant("00000001000200030000000000000000"));
}

// Each instance writes a line when created and one when destroyed, under its identifier; a failed
// generation leaves the identifier empty.
TEST(TraceLines, PairCreationAndDestructionOfEachInstance) {
  std::vector<std::string> lines;
  int listener = runtime::add_debug_listener([&](const std::string& line) { lines.push_back(line); });
  {
    auto first = CLSPD_CALENDATT::create();
    auto second = CLSPD_CALENDATT::create();
    GuidFeed none({});
    auto third = CLSPD_CALENDATT::create();
  }
  runtime::remove_debug_listener(listener);
  ASSERT_EQ(lines.size(), 6u);
  auto id = [](const std::string& line) { return line.substr(6, 32); };
  EXPECT_EQ(lines[0], "ZVRK:|" + id(lines[0]) + "|INI|MERIDAL|CLSPD_CALENDATT");
  EXPECT_EQ(id(lines[0]).find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_NE(id(lines[0]), id(lines[1]));
  EXPECT_EQ(lines[2], "ZVRK:||INI|MERIDAL|CLSPD_CALENDATT");
  // Destruction in reverse order.
  EXPECT_EQ(lines[4], "ZVRK:|" + id(lines[1]) + "|TER|MERIDAL|CLSPD_CALENDATT");
  EXPECT_EQ(lines[5], "ZVRK:|" + id(lines[0]) + "|TER|MERIDAL|CLSPD_CALENDATT");
}

// The three blank rules: the runtime's test, the module's default for blank values (which never raises)
// and the deletion dialog's, which gives nothing for an array.
TEST(BlankRules, EmptyNullAndSpacesAreBlankAndTakeTheDefault) {
  using MDLPD_CALENDATT::ValoreSeVuoto;
  auto dialog = std::make_shared<FRMPD_DELCALENDATT>();
  const Variant x("x"), array(std::make_shared<runtime::Array2D>(1, 1, 1, 1));
  const struct {
    Variant value;
    bool blank;
    Variant module, deletion;
  } cases[] = {{Variant(), true, x, x},
               {Variant::null(), true, x, x},
               {Variant(""), true, x, x},
               {Variant("   "), true, x, x},
               {Variant(" A "), false, Variant(" A "), Variant(" A ")},
               {Variant(0), false, Variant(0), Variant(0)},
               {Variant(12.5), false, Variant(12.5), Variant(12.5)},
               {array, false, x, Variant()}};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(runtime::is_blank(c.value), c.blank);
    EXPECT_EQ(ValoreSeVuoto(c.value, x), c.module);
    EXPECT_EQ(dialog->NVL(c.value, x), c.deletion);
  }
  EXPECT_EQ(runtime::pending_error().number, 0);
}

}  // namespace
}  // namespace calendatt
