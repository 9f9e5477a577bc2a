#include "standin/dictionary.hpp"

#include <algorithm>

#include "runtime/error.hpp"
#include "standin/message_catalog.hpp"

namespace standin {

namespace {

const CatalogEntry* find_entry(std::int32_t number) {
  auto catalog = message_catalog();
  // The catalog is sorted by number (checked where it is defined).
  auto it = std::lower_bound(catalog.begin(), catalog.end(), number,
                             [](const CatalogEntry& e, std::int32_t n) { return e.number < n; });
  if (it == catalog.end() || it->number != number) return nullptr;
  return &*it;
}

}  // namespace

bool Dictionary::supports(const std::string& language) {
  std::string l = runtime::upper(language);
  return l == "IT" || l == "EN";
}

bool Dictionary::contains(std::int32_t number) const {
  return find_entry(number) != nullptr;
}

std::optional<std::string> Dictionary::translate(std::int32_t number, const runtime::ParamList& params,
                                                 const std::string& language) const {
  if (!supports(language))
    throw runtime::Error(runtime::err::kInvalidArgument, "Language not in the dictionary: " + language,
                         "Dictionary");
  const CatalogEntry* entry = find_entry(number);
  if (!entry) return std::nullopt;
  const char* pattern = runtime::upper(language) == "EN" ? entry->english : entry->italian;
  return fill_placeholders(pattern, params);
}

std::string fill_placeholders(const std::string& pattern, const runtime::ParamList& params) {
  std::string out;
  out.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (pattern[i] == '%' && next >= '1' && next <= '9') {
      auto index = static_cast<std::size_t>(next - '1');
      if (index < params.size()) {
        const auto& value = params[index];
        out += value.is_null() ? std::string() : value.to_string();
      } else {
        out += pattern.substr(i, 2);
      }
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

}  // namespace standin
