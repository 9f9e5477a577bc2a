#pragma once
// The host's hypermedia object: its media manager lets the person attach a file with a note to the
// current row; the record goes into the host's media table and AfterMediaCreate delivers its id.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/services.hpp"

namespace standin {

struct MediaRecord {
  std::string path;
  std::string note;
};

// What stands for the media manager's window: given the media id the row has now (Empty when none),
// returns the media the person created, or nothing when they closed the manager without creating one.
struct MediaManagerProgram {
  std::function<std::optional<MediaRecord>(const runtime::Variant& current_media_id)> create;
  static MediaManagerProgram& instance();
};

class StandinHyperMedia : public host::HyperMedia {
 public:
  std::shared_ptr<host::Connection> DBConnection() override { return connection_; }
  void set_DBConnection(std::shared_ptr<host::Connection> value) override { connection_ = std::move(value); }
  // Stores the media record in CG99_MEDIA of the database named by the connection string, then raises
  // AfterMediaCreate with the new id.
  void MediaManager(runtime::Variant& value1, runtime::Variant& value2, std::string& connection_string,
                    runtime::Variant& media_id, const runtime::Variant& hwnd_parent, std::int32_t a,
                    std::int32_t b) override;

  struct Call {
    runtime::Variant value1, value2;
    std::string connection_string;
    runtime::Variant media_id, hwnd_parent;
    std::int32_t a = 0, b = 0;
  };
  const std::vector<Call>& calls() const { return calls_; }

 private:
  std::shared_ptr<host::Connection> connection_;
  std::vector<Call> calls_;
};

// Writes a table as a file a spreadsheet opens: UTF-8 CSV (with the byte-order mark), the title on the
// first line, the captions on the second, then one line per row. Throws runtime::Error when the file
// cannot be written.
void write_csv(const std::string& path, const std::string& title, const std::vector<std::string>& captions,
               const std::vector<std::vector<std::string>>& rows);

class StandinNavigator;
class GridModel;

// The navigator's export button: raises BeforeExportToOffice with a new export object and, unless the
// receiver cancelled, writes the grid's rows under the export's title. Returns whether it wrote.
bool export_grid_csv(StandinNavigator& navigator, GridModel& grid, const std::string& path);

// The key of a grid column for scripts, from its field ("project", "node", "activity", "day", "hours",
// "minutes", "planning_start", "planning_end"; another field's name in lower case): the same in every
// language.
std::string grid_column_key(const std::string& field);
// The grid as standard CSV for scripts: a line of keys, then one line per row; comma-separated, dates
// ISO, numbers with a point, UTF-8 without a title line or a byte-order mark. The navigator is asked
// first, as for the spreadsheet form; false when it refused.
bool export_grid_standard_csv(StandinNavigator& navigator, GridModel& grid, const std::string& path);

}  // namespace standin
