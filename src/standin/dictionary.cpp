#include "standin/dictionary.hpp"

#include <algorithm>
#include <cctype>

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

struct CaptionEntry {
  const char* italian;
  const char* english;
};

// The captions of the window and of the two dialogs, without the access-key mark, with the entries of the
// insertion dialog's list and the words the stand-in controls say about a code.
constexpr CaptionEntry kCaptions[] = {
    {"Annulla", "Cancel"},
    {"Annulla operazione", "Cancel the operation"},
    {"Attività", "Activity"},
    {"Attività WBS", "WBS activities"},
    {"Calendario attività WBS", "WBS activity calendar"},
    {"Canc. multipla", "Multiple delete"},
    {"Cancella ogni", "Delete every"},
    {"Cancellazione multipla calendario attività", "Multiple deletion from the activity calendar"},
    {"Codice Attività", "Activity Code"},
    {"Codice Nodo", "Node Code"},
    {"Codice Progetto", "Project Code"},
    {"Codice inesistente", "No such code"},
    {"Comportamento variazioni già presenti", "Treatment of dates already planned"},
    {"Conferma", "Confirm"},
    {"Data", "Date"},
    {"Data fine pianificata", "Planned end date"},
    {"Data finale", "End date"},
    {"Data iniziale", "Start date"},
    {"Data inizio pianificata", "Planned start date"},
    {"Descrizione", "Description"},
    {"Descrizione attività", "Activity description"},
    {"Descrizione nodo", "Node description"},
    {"Descrizione progetto", "Project description"},
    {"Durata Attività (MINUTI)", "Activity duration (MINUTES)"},
    {"Durata Attività (ORE)", "Activity duration (HOURS)"},
    {"Fine attività", "Activity end"},
    {"Id legame", "Link id"},
    {"Id nodo", "Node id"},
    {"Ins./mod. multipla", "Multiple add/change"},
    {"Inizio attività", "Activity start"},
    {"Inserimento multiplo calendario attività", "Multiple insertion into the activity calendar"},
    {"Min", "Min"},
    {"Nodi WBS", "WBS nodes"},
    {"Nodo", "Node"},
    {"Ore", "Hours"},
    {"Ore /  Minuti", "Hours / Minutes"},
    {"Per date già presenti", "For dates already planned"},
    {"Periodo", "Period"},
    {"Periodo pianificazione", "Planning period"},
    {"Progetti", "Projects"},
    {"Progetto", "Project"},
    {"Ripeti ogni", "Repeat every"},
    {"Sovrascrivi", "Overwrite"},
    {"Tralascia", "Skip"},
    {"giorni", "days"},
};

}  // namespace

std::string translate_caption(const std::string& caption, const std::string& language) {
  if (!Dictionary::supports(language))
    throw runtime::Error(runtime::err::kInvalidArgument, "Language not in the dictionary: " + language,
                         "Dictionary");
  if (runtime::upper(language) != "EN") return caption;
  std::string bare = runtime::replace_all(caption, "&", "");
  for (const auto& entry : kCaptions) {
    if (bare != entry.italian) continue;
    std::string english = entry.english;
    auto mark = caption.find('&');
    if (mark == std::string::npos || mark + 1 >= caption.size()) return english;
    // The mark stays on its letter when the English word has it, else goes to the first letter.
    char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(caption[mark + 1])));
    for (std::size_t i = 0; i < english.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(english[i])) == letter) return english.insert(i, "&");
    return "&" + english;
  }
  return caption;
}

std::vector<std::pair<std::string, std::string>> caption_pairs() {
  std::vector<std::pair<std::string, std::string>> out;
  for (const auto& entry : kCaptions) out.emplace_back(entry.italian, entry.english);
  return out;
}

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
