// The duration check: hours 0 to 24, minutes 0 to 59, at most 24 hours in all.
#include <cmath>

#include "calendar_window/frmpd_calendatt.hpp"

namespace calendatt {

bool FRMPD_CALENDATT::CheckFormatoORE(std::string& ORE, std::string& MINUTI) {
  const std::string crlf = "\r\n";
  double hours = runtime::leading_number(ORE);
  double minutes = runtime::leading_number(MINUTI);
  // A duration is kept in whole hours and whole minutes: a fraction (".5") is refused with the message of
  // its field rather than stored as a fraction in a whole-number column or rounded without a word.
  const auto whole = [](double n) { return n == std::floor(n); };
  if (hours > 24 || hours < 0 || !whole(hours)) {
    MostraMessaggio(
        "Ora errata !" + crlf + "E' necessario specificare un numero di ore compreso tra 0 e 24 !", 77202, 48,
        current_caption());
    return false;
  }
  if (hours == 24 && minutes > 0) {
    MostraMessaggio("Ora errata !" + crlf + "E' necessario specificare un massimo di 24 ore !", 77203, 48,
                    current_caption());
    return false;
  }
  if (minutes >= 0 && minutes <= 59 && whole(minutes)) {
    ORE = runtime::right("00" + runtime::number_text(hours), 2);
    MINUTI = runtime::right("00" + runtime::number_text(minutes), 2);
    return true;
  }
  MostraMessaggio(
      "Ora errata !" + crlf + "E' necessario specificare un numero di minuti compreso tra 0 e 59 !", 77204,
      48, current_caption());
  return false;
}

}  // namespace calendatt
