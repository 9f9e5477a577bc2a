// The duration check: hours 0 to 24, minutes 0 to 59, at most 24 hours in all.
#include "calendar_window/frmpd_calendatt.hpp"

namespace calendatt {

bool FRMPD_CALENDATT::CheckFormatoORE(std::string& ORE, std::string& MINUTI) {
  const std::string crlf = "\r\n";
  double hours = runtime::leading_number(ORE);
  double minutes = runtime::leading_number(MINUTI);
  if (hours > 24 || hours < 0) {
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
  if (minutes >= 0 && minutes <= 59) {
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
