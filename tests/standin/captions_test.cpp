// The dictionary's captions: every caption of the window's and the dialogs' designs has its English, and
// the access-key mark survives the translation.
#include <gtest/gtest.h>

#include "calendar_window/frmpd_calendatt.hpp"
#include "delete_dialog/frmpd_delcalendatt.hpp"
#include "insert_dialog/frmpd_addcalendatt.hpp"
#include "runtime/error.hpp"
#include "standin/dictionary.hpp"

namespace standin {
namespace {

TEST(Captions, EveryCaptionOfTheDesignsHasItsEnglish) {
  for (const auto& design : {calendatt::FRMPD_CALENDATT::design(), calendatt::FRMPD_ADDCALENDATT::design(),
                             calendatt::FRMPD_DELCALENDATT::design()}) {
    std::vector<std::string> captions = {design.caption};
    for (const auto& control : design.controls) captions.push_back(control.caption);
    for (const auto& caption : captions) {
      if (caption.empty()) continue;
      // "Min" reads the same in both languages.
      if (caption == "Min") continue;
      EXPECT_NE(translate_caption(caption, "en"), caption) << design.name << ": " << caption;
      EXPECT_EQ(translate_caption(caption, "it"), caption);
    }
  }
}

TEST(Captions, TheAccessKeyStaysOnItsLetterOrMovesToTheFirst) {
  EXPECT_EQ(translate_caption("&Conferma", "en"), "&Confirm");
  EXPECT_EQ(translate_caption("&Annulla", "EN"), "C&ancel");
  EXPECT_EQ(translate_caption("Codice Attività", "en"), "Activity Code");
  EXPECT_EQ(translate_caption("Not a caption of ours", "en"), "Not a caption of ours");
  EXPECT_THROW(translate_caption("Data", "fr"), runtime::Error);
}

}  // namespace
}  // namespace standin
