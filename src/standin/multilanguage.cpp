#include "standin/multilanguage.hpp"

#include "runtime/error.hpp"

namespace standin {

StandinMultilanguage::StandinMultilanguage(Dictionary dictionary, std::string language,
                                           MessageResponder& responder)
    : dictionary_(dictionary), responder_(&responder) {
  set_language(language);
}

void StandinMultilanguage::set_language(const std::string& language) {
  if (!Dictionary::supports(language))
    throw runtime::Error(runtime::err::kInvalidArgument, "Language not in the dictionary: " + language,
                         "CLSFW_MULTILINGUA");
  language_ = language;
}

std::string StandinMultilanguage::untranslated_mark(std::int32_t number) {
  return "[x" + std::to_string(number) + "x]";
}

std::int32_t StandinMultilanguage::show(std::int32_t number, std::string text, std::int32_t style,
                                        const std::string& title) {
  return responder_->answer_message(ShownMessage{number, std::move(text), style, title});
}

std::int32_t StandinMultilanguage::ShowText(const std::string& text, std::int32_t style,
                                            const std::string& title, const runtime::Variant&) {
  return show(0, text, style, title);
}

std::int32_t StandinMultilanguage::ShowMessage(std::int32_t number, std::int32_t style,
                                               const std::string& title, const runtime::ParamList& params) {
  return show(number, Translate(number, params), style, title);
}

std::string StandinMultilanguage::Translate(std::int32_t number, const runtime::ParamList& params) {
  if (responder_) responder_->translated(number, params);
  auto text = dictionary_.translate(number, params, language_);
  return text ? *text : untranslated_mark(number);
}

std::string StandinMultilanguage::DoubleQuotes(const std::string& text) {
  return runtime::replace_all(text, "'", "''");
}

std::int32_t StandinMultilanguage::KVOMsgBox(const std::string& text, std::int32_t style,
                                             const std::string& title) {
  return show(0, text, style, title);
}

}  // namespace standin
