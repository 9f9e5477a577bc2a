#pragma once
// The host's multilanguage object: message boxes and translations through the dictionary.

#include <cstdint>
#include <string>

#include "host/global.hpp"
#include "standin/dictionary.hpp"
#include "standin/responder.hpp"

namespace standin {

// Every show returns the responder's answer.
//
// A message number that the dictionary does not hold reads "[x<number>x]" (ShowMessage shows it,
// Translate returns it): the same mark the module puts before a text it could not have translated, so a
// number missing from the dictionary shows at once on the screen and in a test's record, instead of
// passing as an empty or made-up text.
//
// The responder must outlive the object (the host environment that hands it out keeps it).
class StandinMultilanguage : public host::Multilanguage {
 public:
  StandinMultilanguage(Dictionary dictionary, std::string language, MessageResponder& responder);

  const std::string& language() const { return language_; }
  // Throws runtime::Error 5 for a language the dictionary does not hold.
  void set_language(const std::string& language);

  static std::string untranslated_mark(std::int32_t number);

  std::int32_t ShowText(const std::string& text, std::int32_t style, const std::string& title,
                        const runtime::Variant& object) override;
  std::int32_t ShowMessage(std::int32_t number, std::int32_t style, const std::string& title,
                           const runtime::ParamList& params) override;
  std::string Translate(std::int32_t number, const runtime::ParamList& params) override;
  std::string DoubleQuotes(const std::string& text) override;
  std::int32_t KVOMsgBox(const std::string& text, std::int32_t style, const std::string& title) override;

 private:
  std::int32_t show(std::int32_t number, std::string text, std::int32_t style, const std::string& title);

  Dictionary dictionary_;
  std::string language_;
  MessageResponder* responder_;
};

}  // namespace standin
