#pragma once
// The host's record frame: the editing state machine over the window's recordset. The user's operations
// (new, save, delete, cancel, move) raise the Before events, where the window may cancel; when none
// cancelled, the frame writes the current row itself and raises the After events and ChangeStatus.

#include <memory>
#include <string>
#include <vector>

#include "host/controls.hpp"
#include "host/global.hpp"

namespace standin {

class StandinRecordFrame : public host::RecordFrame, public std::enable_shared_from_this<StandinRecordFrame> {
 public:
  // Save answers: 0 the save was refused (a Before event cancelled it or the write failed), so the row
  // stays in editing; 1 there was nothing to save; -1 the row was written.
  static constexpr std::int32_t kSaveRefused = 0;
  static constexpr std::int32_t kNothingToSave = 1;
  static constexpr std::int32_t kSaved = -1;

  void Initialize(std::shared_ptr<host::Cinterface>& module, std::shared_ptr<host::Connection>& connection,
                  std::shared_ptr<host::Recordset>& recordset, const std::string& query,
                  const std::string& empty, std::shared_ptr<host::GridNavigator> navigator,
                  std::shared_ptr<host::Grid> grid) override;
  void AddControl(std::shared_ptr<host::Control> control, const runtime::Variant& second) override;
  std::int32_t ProgramMode() const override { return program_mode_; }
  void set_ProgramMode(std::int32_t value) override { program_mode_ = value; }
  std::int32_t Status() const override { return status_; }
  void NotifyModified() override;
  std::int32_t Save(bool ask, std::int32_t mode, bool silent) override;
  void Close() override;
  void BeforeDialog() override { log_.push_back("BeforeDialog"); }
  void AfterDialog() override { log_.push_back("AfterDialog"); }
  void Terminate() override;
  void set_Setting(bool value) override { setting_ = value; }
  std::string Name() const override { return name_; }
  void set_Name(const std::string& value) override { name_ = value; }
  std::shared_ptr<host::Recordset> Recordset() override { return recordset_; }
  void Update() override { Save(true, 0, true); }

  void NewRow() override;
  void DeleteRow() override;
  void CancelEdit() override;
  void MoveTo(std::int32_t position) override;

  bool closed() const { return closed_; }
  bool setting() const { return setting_; }
  const std::string& query() const { return query_; }
  const std::vector<std::string>& log() const { return log_; }
  const std::vector<std::shared_ptr<host::Control>>& controls() const { return controls_; }

 private:
  void change_status(std::int32_t status);
  void refresh_grid();
  // Reports a failed write through the host's error report.
  void report_failure(const std::string& routine);

  std::weak_ptr<host::Cinterface> module_;
  std::shared_ptr<host::Connection> connection_;
  std::shared_ptr<host::Recordset> recordset_;
  std::weak_ptr<host::Grid> grid_;
  std::weak_ptr<host::GridNavigator> navigator_;
  std::vector<std::shared_ptr<host::Control>> controls_;
  std::vector<std::string> log_;
  std::string query_;
  std::string name_ = "FME_CALENDATT";
  std::int32_t status_ = kStatusStored;
  std::int32_t program_mode_ = 0;
  bool setting_ = true;
  bool closed_ = false;
};

}  // namespace standin
