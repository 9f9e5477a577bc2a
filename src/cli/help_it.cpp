#include <map>

#include "cli/help_texts.hpp"

namespace cli {

#define DB_HELP_IT                                                                                         \
  "  --db DB              il database: un file SQLite, o il database di un server PostgreSQL come\n"       \
  "                       postgresql://utente@host:porta/nomedb o \"host=... dbname=...\" (predefinito:\n" \
  "                       $CALENDATT_DB, altrimenti demo/calendatt-demo.db)\n"
#define CODES_HELP_IT                               \
  "  --project P          il codice del progetto\n" \
  "  --node N             il codice del nodo WBS\n" \
  "  --activity A         il codice dell'attività\n"
#define LINK_HELP_IT                                                                                       \
  "  --link ID            la riga WBS, quando il codice dell'attività sta in più righe del nodo (ogni\n" \
  "                       riga è elencata con il suo --link; a un terminale la si sceglie col numero)\n"
#define DURATION_HELP_IT                       \
  "  --hours H            le ore, da 0 a 24\n" \
  "  --minutes M          i minuti, da 0 a 59 (predefinito 0)\n"
#define RANGE_HELP_IT                                                   \
  "  --from D, --to D     il primo e l'ultimo giorno dell'intervallo\n" \
  "  --every N            il passo in giorni, da 1 a 999\n"
#define PATTERN_HELP_IT                                                                                     \
  "  --weekdays G,G,...   al posto di --every: i giorni della settimana scelti (lun,mar,mer,gio,ven,sab,\n" \
  "                       dom o mon,tue,wed,thu,fri,sat,sun), una serie della finestra per giorno, ogni\n"  \
  "                       7 giorni dal primo; l'ultima riga somma le serie, e una serie rifiutata ferma\n"  \
  "                       le altre\n"                                                                       \
  "  --skip-dates FILE    tralascia le date di FILE (una AAAA-MM-GG per riga, o un file iCalendar di\n"     \
  "                       festività), dividendo le serie intorno a esse\n"

#define DRY_RUN_HELP_IT                                                                                  \
  "  --dry-run            non scrive nulla: l'esecuzione va come andrebbe, dentro una transazione che\n" \
  "                       viene annullata, e ogni data è elencata con quello che l'esecuzione le fa,\n" \
  "                       poi i totali\n"                                                                \
  "  --format F           con --dry-run: table (predefinito), csv o json (chiavi: date, effect,\n"       \
  "                       hours, minutes, was_hours, was_minutes; effetti in inglese)\n"

const ItalianHelp* italian_help(const std::string& command) {
  static const std::map<std::string, ItalianHelp> help = {
      {"init",
       {"crea le tabelle del calendario (e i dati dimostrativi)",
        "Crea le tabelle nel database (un file SQLite che non c'è viene creato). Su un database del\n"
        "calendario già esistente aggiunge solo quello che manca; non cancella nulla; ogni altro file resta\n"
        "com'è.\n",
        DB_HELP_IT
        "  --demo               scrive anche i progetti, le attività e i giorni dimostrativi, posti intorno "
        "a\n"
        "                       oggi, quando il file non ha ancora dati WBS\n"
        "  --lang it|en         la lingua delle righe che scrive (predefinita it)\n"}},
      {"contents",
       {"elenca le attività WBS e i giorni del calendario contenuti nel database",
        "Elenca le attività WBS di ogni ditta, con le descrizioni dei loro codici e i periodi pianificato e\n"
        "previsto, poi i giorni del calendario con i codici della loro attività, la durata e il numero di\n"
        "risorse allocate, senza aprire la finestra del calendario; le date sono ISO. Un --link è mostrato\n"
        "dove il codice di un'attività sta in più righe del suo nodo.\n",
        "  --format F           table (predefinito, nelle parole di --lang), csv o json: una riga per\n"
        "                       attività e per giorno, con le chiavi row, company, project,\n"
        "                       project_description, node, node_description, activity, "
        "activity_description,\n"
        "                       link, planned_start, planned_end, forecast_start, forecast_end, day, hours,\n"
        "                       minutes e resources\n" DB_HELP_IT
        "  --lang it|en         la lingua dei titoli, delle intestazioni e dei messaggi (predefinita it)\n"}},
      {"list",
       {"quello che mostra la griglia della finestra del calendario",
        "Apre la finestra del calendario e stampa la sua griglia.\n",
        "  --day D              sceglie quel giorno nel calendario (la finestra si apre su oggi, o "
        "sull'inizio\n"
        "                       della pianificazione se chiamata per un'attività)\n"
        "  --day none           toglie il giorno al calendario, così la griglia non si limita a un giorno\n"
        "  --format F           table (predefinito: sotto le intestazioni di --lang), csv o json (chiavi "
        "che\n"
        "                       non cambiano mai: project, node, activity, day, hours, minutes,\n"
        "                       planning_start, planning_end); le date sono ISO in tutti e tre\n"
        "  --called             apre la finestra per l'attività di --project, --node, "
        "--activity\n" LINK_HELP_IT}},
      {"add-day",
       {"aggiunge un giorno al calendario dal frame dei record",
        "Sceglie il giorno nel calendario, inizia una riga nuova, scrive i codici (se la finestra non è\n"
        "stata aperta per l'attività), le ore e i minuti, e salva la riga.\n",
        CODES_HELP_IT LINK_HELP_IT "  --day D              il giorno\n" DURATION_HELP_IT}},
      {"set-day",
       {"cambia la durata del giorno memorizzato di un'attività",
        "Sceglie il giorno nel calendario, seleziona nella griglia la riga dell'attività, scrive le ore e i\n"
        "minuti e salva la riga.\n",
        CODES_HELP_IT LINK_HELP_IT "  --day D              il giorno\n" DURATION_HELP_IT}},
      {"delete-day",
       {"cancella dal frame dei record il giorno memorizzato di un'attività",
        "Sceglie il giorno nel calendario, seleziona nella griglia la riga dell'attività e la cancella.\n",
        CODES_HELP_IT LINK_HELP_IT "  --day D              il giorno\n"}},
      {"add-range",
       {"pianifica i giorni di un intervallo con la finestra di inserimento",
        "Apre dalla barra degli strumenti la finestra di inserimento, scrive i codici (se la finestra non è\n"
        "stata aperta per l'attività), l'intervallo, il passo, la durata e il trattamento dei giorni già\n"
        "presenti, e conferma. L'ultima riga conta i giorni aggiunti, sovrascritti e saltati.\n",
        CODES_HELP_IT LINK_HELP_IT RANGE_HELP_IT PATTERN_HELP_IT DURATION_HELP_IT
        "  --existing T         i giorni già pianificati: stop (non scrive nulla ed elenca le date in\n"
        "                       conflitto), skip (restano come sono) o overwrite (prendono la nuova\n"
        "                       durata); senza, l'elenco resta come la finestra lo apre\n" DRY_RUN_HELP_IT}},
      {"delete-range",
       {"cancella i giorni di un intervallo con la finestra di cancellazione",
        "Apre dalla barra degli strumenti la finestra di cancellazione, scrive i codici (se la finestra non\n"
        "è stata aperta per l'attività), l'intervallo e il passo, e conferma. Alla domanda della finestra\n"
        "rispondono --yes o --no, oppure la richiesta al terminale. I giorni con risorse allocate sono\n"
        "risparmiati; l'ultima riga conta i giorni cancellati e risparmiati.\n",
        CODES_HELP_IT LINK_HELP_IT RANGE_HELP_IT PATTERN_HELP_IT DRY_RUN_HELP_IT}},
      {"history",
       {"le azioni che hanno cambiato il calendario, dalla più recente, dal giornale",
        "Elenca, dalla più recente, ogni azione che ha cambiato i giorni della ditta: quando (UTC), chi, il\n"
        "comando e quanti giorni ha aggiunto, cambiato ed eliminato. Il database scrive da sé il suo "
        "giornale,\n"
        "così anche un cambiamento fatto con SQL è elencato, come azione a sé. Con --action, i giorni che\n"
        "quell'azione ha cambiato, ciascuno con ore e minuti prima e dopo.\n",
        CODES_HELP_IT
        "  --since D            solo le azioni dal giorno D\n"
        "  --action ID          i giorni di quell'azione\n"
        "  --prune-before D     toglie le righe del giornale della ditta più vecchie del giorno D (mai un "
        "giorno\n"
        "                       del calendario) e dice quante\n"
        "  --format F           table (predefinito), csv o json (chiavi: action, when, who, command, added,\n"
        "                       changed, deleted; con --action: row, change, day_id, date, was_hours,\n"
        "                       was_minutes, hours, minutes)\n"
        "  --db, --company, --lang come per gli altri comandi\n"}},
      {"grant",
       {"concede a un ruolo del server PostgreSQL di leggere o scrivere una ditta",
        "Eseguito dal proprietario del database (il ruolo che ha eseguito init): il ruolo da ora può\n"
        "leggere, o leggere e scrivere, i giorni della ditta, e il server gli dà i diritti sulle tabelle\n"
        "che servono. Su un file SQLite decidono i permessi del file stesso chi può leggerlo o scriverlo.\n",
        "  --role NOME          il ruolo del server (CREATE ROLE NOME LOGIN)\n"
        "  --company N          la ditta\n"
        "  --access A           read (lettura) o write (scrittura, che comprende la lettura)\n" DB_HELP_IT}},
      {"revoke",
       {"toglie a un ruolo l'accesso a una ditta",
        "Eseguito dal proprietario del database: il ruolo non legge né scrive più la ditta, dalla sua\n"
        "prossima istruzione; i diritti sulle tabelle che nessun altro permesso del ruolo richiede sono "
        "tolti.\n",
        "  --role NOME          il ruolo del server\n"
        "  --company N          la ditta\n" DB_HELP_IT}},
      {"grants",
       {"elenca chi può leggere o scrivere quale ditta",
        "Elenca i permessi del database PostgreSQL, per ruolo e ditta; il proprietario usa ogni ditta.\n",
        DB_HELP_IT}},
      {"undo",
       {"rimette esattamente quanto un'azione ha cambiato",
        "Rimette quanto l'azione (vedi history) ha cambiato nei giorni della ditta, e nient'altro: i giorni\n"
        "eliminati tornano con la loro chiave (così le risorse allocate tornano a puntarvi), i giorni "
        "cambiati\n"
        "riprendono ore e minuti, i giorni aggiunti se ne vanno. Se un'altra azione ha cambiato dopo uno di\n"
        "quei giorni, nulla viene annullato e ogni giorno così è nominato. L'annullamento è un'azione a sé "
        "e\n"
        "si può annullare a sua volta. Senza --yes elenca soltanto quello che farebbe.\n",
        "  --action ID          l'azione da annullare\n"
        "  --dry-run            elenca quanto sarebbe rimesso, non scrive nulla\n"
        "  --yes                lo rimette\n"
        "  --db, --company, --lang come per gli altri comandi\n"}},
      {"days",
       {"i giorni di un'attività con i totali per settimana, per mese e complessivi",
        "Elenca in ordine di data i giorni pianificati dell'attività con la loro durata, poi il numero di\n"
        "giorni e il tempo pianificato per settimana ISO, per mese e in tutto, il periodo di pianificazione\n"
        "e i giorni che ne stanno fuori. Legge il database senza aprire la finestra del calendario.\n",
        CODES_HELP_IT LINK_HELP_IT
        "  --from D, --to D     solo i giorni da D, fino a D (compresi)\n"
        "  --format F           table (predefinito, nelle parole di --lang), csv o json (chiavi che non\n"
        "                       cambiano mai: row, period, day, weekday, days, hours, minutes,\n"
        "                       total_minutes, planning_start, planning_end, outside_planning); date "
        "ISO\n" DB_HELP_IT "  --company, --lang come per gli altri comandi\n"}},
      {"export-ics",
       {"scrive i giorni di un'attività come file iCalendar per i programmi di calendario",
        "Scrive sullo standard output un file iCalendar (RFC 5545) con un evento di un giorno intero per\n"
        "ogni giorno pianificato dell'attività, con la durata nel titolo e nella descrizione. L'UID di\n"
        "ogni evento è fatto di data, ditta e codici, così importare un'esportazione successiva aggiorna\n"
        "gli eventi invece di aggiungerli due volte.\n",
        CODES_HELP_IT LINK_HELP_IT
        "  --from D, --to D     solo i giorni da D, fino a D (compresi)\n"
        "  --lang it|en         la lingua dei testi degli eventi (predefinita it)\n" DB_HELP_IT
        "  --company come per gli altri comandi\n"}},
  };
  auto it = help.find(command);
  return it == help.end() ? nullptr : &it->second;
}

const char* const kItalianIntro =
    "Il calendario delle attività WBS da script e terminali: ogni comando agisce sulla finestra del\n"
    "calendario e sulle sue finestre di dialogo come farebbe una persona.\n";

const char* const kItalianWindowOptionsHelp =
    "Opzioni comuni:\n" DB_HELP_IT
    "  --company N          la ditta (predefinita 1)\n"
    "  --lang it|en         la lingua di messaggi, intestazioni e di ogni riga (predefinita it)\n"
    "  --yes, --no          risponde in anticipo a ogni domanda (altrimenti alla richiesta del terminale)\n"
    "  --on-error abort|retry|ignore\n"
    "                       la risposta a una segnalazione d'errore (predefinita abort; retry al massimo\n"
    "                       3 volte)\n"
    "  --called             apre la finestra per l'attività dei tre codici, come fa il programma che\n"
    "                       chiama il calendario per un'attività\n"
    "  --durable            attende il disco a ogni istruzione (anche CALENDATT_DURABLE=1); senza, una\n"
    "                       caduta di corrente può perdere l'ultima frazione di secondo, mai un giorno a "
    "metà\n"
    "Le date sono ISO: AAAA-MM-GG. La dimostrazione (init --demo) pianifica i suoi giorni dal giorno in\n"
    "cui è scritta, per questo gli esempi contano le loro date da oggi.\n";

const char* const kItalianExitHelp =
    "I messaggi del calendario vanno sullo standard error, una riga per riga di messaggio, ciascuna "
    "preceduta\n"
    "dal suo numero: [77192] ...; le righe proprie della riga di comando iniziano con \"calendatt:\".\n"
    "Stato d'uscita: 0 fatto; 1 rifiutato da una regola o declinato (un messaggio dice perché); 2 uso\n"
    "errato; 3 errore (una segnalazione d'errore, un database che non si apre, una domanda senza "
    "risposta).\n";

}  // namespace cli
