#include "standin/media.hpp"

#include <cctype>
#include <fstream>
#include <utility>

#include "host/registry.hpp"
#include "runtime/error.hpp"
#include "standin/headless_controls.hpp"
#include "standin/navigator.hpp"

namespace standin {

MediaManagerProgram& MediaManagerProgram::instance() {
  static MediaManagerProgram program;
  return program;
}

void StandinHyperMedia::MediaManager(runtime::Variant& value1, runtime::Variant& value2,
                                     std::string& connection_string, runtime::Variant& media_id,
                                     const runtime::Variant& hwnd_parent, std::int32_t a, std::int32_t b) {
  calls_.push_back(Call{value1, value2, connection_string, media_id, hwnd_parent, a, b});
  auto& program = MediaManagerProgram::instance().create;
  if (!program) return;
  auto media = program(media_id);
  if (!media) return;
  auto& registry = host::Registry::instance();
  auto connection =
      registry.create_as<host::ConnectionFactory>(host::progid::kConnectionFactory)->NewConnection();
  connection->SetConnectionString(connection_string);
  connection->Open("", "", "", -1);
  // The media record is the host's own: written with a parameterised row write, never with text.
  auto rs = registry.create_as<host::RecordService>(host::progid::kRecordService)->NewRecordset();
  rs->Open("SELECT * FROM CG99_MEDIA WHERE 1 = 0", connection, host::kAdOpenUnspecified,
           host::kAdLockUnspecified, host::kAdCmdText);
  rs->AddNew();
  rs->SetField("CG99_DITTA_CG18", value1.is_empty() ? runtime::Variant() : value1);
  rs->SetField("CG99_PERCORSO", runtime::Variant(media->path));
  rs->SetField("CG99_NOTE", runtime::Variant(media->note));
  rs->Update();
  runtime::Variant id = rs->Field("CG99_IDMEDIA");
  rs->Close();
  connection->Close();
  media_id = id;
  bool cancel = false;
  if (AfterMediaCreate) AfterMediaCreate(cancel, id);
}

namespace {
std::string csv_field(const std::string& text) {
  if (text.find_first_of(";\"\r\n") == std::string::npos) return text;
  return "\"" + runtime::replace_all(text, "\"", "\"\"") + "\"";
}
}  // namespace

void write_csv(const std::string& path, const std::string& title, const std::vector<std::string>& captions,
               const std::vector<std::vector<std::string>>& rows) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw runtime::Error(75, "Impossibile scrivere il file " + path, "ExportToOffice");
  auto line = [&](const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) out << (i ? ";" : "") << csv_field(fields[i]);
    out << "\r\n";
  };
  out << "\xEF\xBB\xBF";
  line({title});
  line(captions);
  for (const auto& row : rows) line(row);
  if (!out) throw runtime::Error(75, "Impossibile scrivere il file " + path, "ExportToOffice");
}

bool export_grid_csv(StandinNavigator& navigator, GridModel& grid, const std::string& path) {
  auto exporter = std::make_shared<StandinExportToOffice>();
  if (!navigator.export_to_office(exporter)) return false;
  write_csv(path, exporter->titolomaster(), grid.captions(), grid.shown_rows());
  return true;
}

std::string grid_column_key(const std::string& field) {
  static const std::pair<const char*, const char*> keys[] = {
      {"PD4G_IDDISBAPROG_PD68", "project"},
      {"PD4G_IDDISBAPROG_PD0C", "node"},
      {"PD4G_IDLEGAME_PD0D", "activity"},
      {"PD4G_DATAATTIVITA", "day"},
      {"PD4G_DURATAORE", "hours"},
      {"PD4G_DURATAMINUTI", "minutes"},
      {"PD4G_IDLEGAME_INI", "planning_start"},
      {"PD4G_IDLEGAME_FIN", "planning_end"},
  };
  const std::string upper = runtime::upper(field);
  for (const auto& [name, key] : keys)
    if (upper == name) return key;
  std::string lower = field;
  for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool export_grid_standard_csv(StandinNavigator& navigator, GridModel& grid, const std::string& path) {
  auto exporter = std::make_shared<StandinExportToOffice>();
  if (!navigator.export_to_office(exporter)) return false;
  auto rows = grid.shown_values();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw runtime::Error(75, "Impossibile scrivere il file " + path, "ExportToOffice");
  auto field = [](const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    return "\"" + runtime::replace_all(text, "\"", "\"\"") + "\"";
  };
  auto text = [](const runtime::Variant& v) -> std::string {
    if (runtime::is_blank(v)) return "";
    if (v.type() == runtime::VarType::Date) return v.to_date().iso();
    if (v.is_numeric()) return runtime::number_text(v.to_double());
    return v.to_string();
  };
  const auto& columns = grid.columns();
  for (std::size_t i = 0; i < columns.size(); ++i)
    out << (i ? "," : "") << field(grid_column_key(columns[i].field));
  out << "\n";
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) out << (i ? "," : "") << field(text(row[i]));
    out << "\n";
  }
  if (!out) throw runtime::Error(75, "Impossibile scrivere il file " + path, "ExportToOffice");
  return true;
}

}  // namespace standin
