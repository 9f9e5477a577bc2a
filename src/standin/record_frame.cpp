#include "standin/record_frame.hpp"

#include "host/registry.hpp"
#include "host/services.hpp"
#include "runtime/error.hpp"

namespace standin {

void StandinRecordFrame::Initialize(std::shared_ptr<host::Cinterface>& module,
                                    std::shared_ptr<host::Connection>& connection,
                                    std::shared_ptr<host::Recordset>& recordset, const std::string& query,
                                    const std::string&, std::shared_ptr<host::GridNavigator> navigator,
                                    std::shared_ptr<host::Grid> grid) {
  module_ = module;
  connection_ = connection;
  recordset_ = recordset;
  query_ = query;
  navigator_ = navigator;
  grid_ = grid;
  status_ = kStatusStored;
  closed_ = false;
}

void StandinRecordFrame::AddControl(std::shared_ptr<host::Control> control, const runtime::Variant&) {
  controls_.push_back(std::move(control));
}

void StandinRecordFrame::change_status(std::int32_t status) {
  status_ = status;
  if (ChangeStatus && !closed_) ChangeStatus(status, 0);
}

void StandinRecordFrame::refresh_grid() {
  auto grid = grid_.lock();
  if (grid && grid->RowChange && !closed_) grid->RowChange();
}

void StandinRecordFrame::report_failure(const std::string& routine) {
  runtime::set_pending_error_from_current_exception();
  runtime::suppressed([&] {
    auto display = host::Registry::instance().create_as<host::ErrorDisplay>(host::progid::kErrorDisplay);
    display->set_Error(runtime::pending_error());
    if (connection_) display->set_ProviderErrors(connection_->Errors());
    std::int32_t extra = 0;
    display->ShowReport("MERIDAL", name_, routine, 16, extra);
  });
  runtime::clear_pending_error();
}

void StandinRecordFrame::NotifyModified() {
  if (closed_ || status_ != kStatusStored) return;
  if (!recordset_ || recordset_->Eof() || recordset_->Bof()) return;
  change_status(kStatusModified);
}

std::int32_t StandinRecordFrame::Save(bool, std::int32_t, bool) {
  if (closed_ || !recordset_) return kNothingToSave;
  if (status_ == kStatusStored) return kNothingToSave;
  // Events may replace and close this frame; keep it alive until the save is over.
  auto self = shared_from_this();
  bool cancel = false;
  if (BeforeUpdate) BeforeUpdate(cancel);
  if (cancel || closed_) return kSaveRefused;
  try {
    recordset_->Update();
  } catch (...) {
    report_failure("Update");
    if (AfterUpdate && !closed_) AfterUpdate(0);
    return kSaveRefused;
  }
  log_.push_back("Saved");
  status_ = kStatusStored;
  if (AfterUpdate) AfterUpdate(-1);
  if (!closed_) {
    change_status(kStatusStored);
    refresh_grid();
  }
  return kSaved;
}

void StandinRecordFrame::NewRow() {
  if (closed_ || !recordset_) return;
  auto self = shared_from_this();
  if (status_ != kStatusStored && Save(true, 0, true) == kSaveRefused) return;
  if (closed_) return;
  bool cancel = false;
  if (BeforeAddNew) BeforeAddNew(cancel);
  if (cancel || closed_) return;
  recordset_->AddNew();
  change_status(kStatusNew);
}

void StandinRecordFrame::DeleteRow() {
  if (closed_ || !recordset_ || status_ == kStatusNew) return;
  if (recordset_->Eof() || recordset_->Bof()) return;
  auto self = shared_from_this();
  bool cancel = false;
  if (BeforeDelete) BeforeDelete(cancel);
  if (cancel || closed_) return;
  try {
    recordset_->Delete();
  } catch (...) {
    report_failure("Delete");
    if (AfterDelete && !closed_) AfterDelete(0);
    return;
  }
  log_.push_back("Deleted");
  if (AfterDelete) AfterDelete(-1);
  if (closed_) return;
  // The deleted row stays current until a move: show the one that followed it, or the last.
  runtime::suppressed([&] {
    recordset_->MoveNext();
    if (recordset_->Eof() && recordset_->RecordCount() > 0) recordset_->MoveLast();
  });
  change_status(kStatusStored);
  refresh_grid();
}

void StandinRecordFrame::CancelEdit() {
  if (closed_ || !recordset_ || status_ == kStatusStored) return;
  auto self = shared_from_this();
  recordset_->CancelUpdate();
  if (recordset_->RecordCount() > 0 && (recordset_->Eof() || recordset_->Bof())) recordset_->MoveFirst();
  change_status(kStatusStored);
  refresh_grid();
}

void StandinRecordFrame::MoveTo(std::int32_t position) {
  if (closed_ || !recordset_) return;
  auto self = shared_from_this();
  if (status_ != kStatusStored) {
    if (Save(true, 0, true) == kSaveRefused || closed_) return;
  }
  recordset_->SetAbsolutePosition(position);
  change_status(kStatusStored);
  refresh_grid();
}

void StandinRecordFrame::Close() {
  log_.push_back("Close");
  closed_ = true;
  recordset_.reset();
  connection_.reset();
  module_.reset();
  controls_.clear();
}

void StandinRecordFrame::Terminate() {
  log_.push_back("Terminate");
  Close();
  BeforeAddNew = nullptr;
  BeforeUpdate = nullptr;
  BeforeDelete = nullptr;
  AfterUpdate = nullptr;
  AfterDelete = nullptr;
  ChangeStatus = nullptr;
}

}  // namespace standin
