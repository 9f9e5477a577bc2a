// Message dictionary of the stand-in host: every numbered text the module hands over for translation,
// with the Italian wording exactly as the module passes it and an English rendering. A runtime value
// that the module appends to or embeds in a text is written as %1 at its place.
#include "standin/message_catalog.hpp"

#include <array>

namespace standin {
namespace {

constexpr std::array<CatalogEntry, 35> kCatalog{{
    // Window caption, also the export title.
    {9410, "Calendario attività WBS", "WBS activity calendar"},
    // Grid column captions.
    {12104, "Codice Attività", "Activity Code"},
    {13151, "Codice Nodo", "Node Code"},
    {13282, "Codice Progetto", "Project Code"},
    {17778, "Data", "Date"},
    // Database value formatting errors.
    {25382, "Errore nella conversione della data (Quentor.CLSFW_Date, metodo DBFormat)",
     "Error while converting the date (Quentor.CLSFW_Date, DBFormat method)"},
    // Grid column caption.
    {26959, "Fine attività", "Activity end"},
    {29648, "I dati inseriti non sono validi.", "The data entered is not valid."},
    {30182, "Il cambio ditta comporta la chiusura del programma, proseguo ?",
     "Changing the company will close the program. Continue?"},
    {30288, "Il collegamento ai dati multimediali è possibile solamente in fase di variazione",
     "Multimedia data can only be linked while a record is being modified"},
    // Grid column caption.
    {33496, "Inizio attività", "Activity start"},
    {34941, "La data finale non può essere inferiore a quella iniziale",
     "The end date cannot be earlier than the start date"},
    // Grid column caption.
    {37378, "Min", "Min"},
    {42123, "Operazione completata", "Operation completed"},
    // Grid column caption.
    {42732, "Ore", "Hours"},
    {52517, "Si sta tentando di assegnare il valore (data) null a un campo che non ammette null.",
     "An attempt was made to assign a null (date) value to a field that does not allow null."},
    {52518, "Si sta tentando di assegnare il valore (numerico) null a un campo che non ammette null.",
     "An attempt was made to assign a null (numeric) value to a field that does not allow null."},
    // Last line of the multiple deletion question.
    {76346, "Proseguire?", "Continue?"},
    {77192, "Pianificazione già esistente per la data corrente",
     "Planning already exists for the current date"},
    {77193, "Esistono risorse allocate: impossibile eliminare il record.",
     "Resources are allocated: the record cannot be deleted."},
    // %1 is the planning start or end date in the user's short date form.
    {77194, "Non sono ammesse date inferiori al %1", "Dates earlier than %1 are not allowed"},
    {77195, "Non sono ammesse date superiori al %1", "Dates later than %1 are not allowed"},
    {77196, "E' necessario impostare i campi progetto, nodo e attività",
     "The project, node and activity fields must be filled in"},
    // The activity field's validation hands over the same text without the final " !":
    // "Codice attività non trovato per il progetto/nodo".
    {77197, "Codice attività non trovato per il progetto/nodo !",
     "Activity code not found for the project/node!"},
    {77198, "La data selezionata non rientra nel periodo di pianificazione dell'attività",
     "The selected date is outside the planning period of the activity"},
    {77199,
     "L'attività è presente in più righe della WBS per il nodo del progetto\r\n"
     "Vuoi avviare la funzione di lookup per selezionare l'attività desiderata?",
     "The activity appears in more than one WBS row for the project node\r\n"
     "Do you want to open the lookup to select the desired activity?"},
    {77200, "Codice attività senza date di pianificazione in WBS",
     "Activity code without planning dates in the WBS"},
    {77201, "Sono presenti date in conflitto. Operazione annullata.",
     "There are conflicting dates. Operation cancelled."},
    {77202, "Ora errata !\r\nE' necessario specificare un numero di ore compreso tra 0 e 24 !",
     "Invalid time!\r\nYou must enter a number of hours between 0 and 24!"},
    {77203, "Ora errata !\r\nE' necessario specificare un massimo di 24 ore !",
     "Invalid time!\r\nYou can enter at most 24 hours!"},
    {77204, "Ora errata !\r\nE' necessario specificare un numero di minuti compreso tra 0 e 59 !",
     "Invalid time!\r\nYou must enter a number of minutes between 0 and 59!"},
    {77205,
     "Per tutte le date selezionate esistono risorse allocate.\r\nNon verrà effettuata alcuna eliminazione.",
     "All the selected dates have allocated resources.\r\nNothing will be deleted."},
    {77206, "Non sono presenti date da eliminare.", "There are no dates to delete."},
    // Pieces of the multiple deletion question; %1 is the number of dates. The trailing blank of 77207
    // is part of the text.
    {77207, "Saranno eliminate %1 date. ", "%1 dates will be deleted. "},
    {77208, "Altre %1 date non saranno eliminate perchè per esse esistono risorse allocate.",
     "%1 other dates will not be deleted because they have allocated resources."},
}};

constexpr bool SortedByNumber() {
  for (std::size_t i = 1; i < kCatalog.size(); ++i) {
    if (kCatalog[i - 1].number >= kCatalog[i].number) return false;
  }
  return true;
}
static_assert(SortedByNumber(), "message catalog must be sorted by number without duplicates");

}  // namespace

std::span<const CatalogEntry> message_catalog() {
  return kCatalog;
}

}  // namespace standin
