#pragma once
// The host's lookup, decode and maintenance services for the WBS codes. The lookup and decode services
// prepare the queries that the code-edit control runs on the host's master tables:
//  - lookup: text A is the query of the list (first column the code; then the description, the node
//    code, the project code, the planning period, the node id and the link id for activities), value B
//    the list's title, text C the name of the code column, the setting the columns' captions;
//  - decode: text A is the query that gives the code's description (no row: the code does not exist),
//    value B the description control that receives it.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/controls.hpp"
#include "host/global.hpp"
#include "host/services.hpp"

namespace standin {

// SQL literal of a text: single quotes doubled.
std::string sql_text(const std::string& value);

class StandinLookupService : public host::LookupService {
 public:
  void set_Interface(std::shared_ptr<host::Cinterface> value) override { interface_ = std::move(value); }
  void PrepareProjectLookup(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                            const runtime::Variant& omitted) override;
  void PrepareNodeLookup(const runtime::Variant& omitted, const runtime::Variant& node_description,
                         const std::string& project) override;
  void PrepareActivityLookup(const std::string& project, const std::string& node,
                             const runtime::Variant& omitted) override;
  runtime::Variant ValueB() override { return runtime::Variant(title_); }
  std::string TextA() override { return query_; }
  std::string TextC() override { return "CODICE"; }
  runtime::Variant Setting() override { return runtime::Variant(captions_); }

 private:
  std::int32_t company() const;
  std::shared_ptr<host::Cinterface> interface_;
  std::string query_, title_, captions_;
};

class StandinDecodeService : public host::DecodeService {
 public:
  void set_Interface(std::shared_ptr<host::Cinterface> value) override { interface_ = std::move(value); }
  void PrepareProjectDecode(const std::string& project, const std::shared_ptr<host::Control>& description,
                            std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d,
                            std::int32_t e) override;
  void PrepareNodeDecode(const std::string& project, const std::string& node,
                         const std::shared_ptr<host::Control>& description) override;
  void PrepareActivityDecode(const std::string& project, const std::string& activity,
                             const std::shared_ptr<host::Control>& description) override;
  std::string TextA() override { return query_; }
  runtime::Variant ValueB() override;
  bool ProjectRejected(const std::string& project) override;
  bool NodeRejected(const std::string& project, const std::string& node) override;
  bool ActivityRejected(const std::string& project, const std::string& activity) override;

  // The decode queries, also used by the checks.
  static std::string project_query(std::int32_t company, const std::string& project);
  static std::string node_query(std::int32_t company, const std::string& project, const std::string& node);
  static std::string activity_query(std::int32_t company, const std::string& project,
                                    const std::string& activity);

 private:
  std::int32_t company() const;
  bool rejected(const std::string& query);
  std::shared_ptr<host::Cinterface> interface_;
  std::string query_;
  std::weak_ptr<host::Control> description_;
};

// What the maintenance programs do when they are opened: the host's programs are not part of this
// system; a host installs here what stands for them (the desktop opens a form, tests script an answer).
struct MaintenancePrograms {
  // Opened on a project code; returns the project code chosen in the program, if any.
  std::function<std::optional<std::string>(const std::string& project)> project;
  // Opened on node or activity codes; the argument names which ("node" or "activity").
  std::function<void(const std::string& which, const std::string& project, const std::string& node,
                     const std::string& activity)>
      node_or_activity;
  static MaintenancePrograms& instance();
};

class StandinMaintenanceProg : public host::MaintenanceProg {
 public:
  void set_Interface(std::shared_ptr<host::Cinterface> value) override;
  void set_Control(std::shared_ptr<host::Control> value) override;
  void set_NodeCode(const std::string& value) override;
  void set_ProjectCode(const std::string& value) override;
  void set_ActivityCode(const std::string& value) override;
  runtime::Variant OpenNodeMaintenance() override;
  runtime::Variant OpenActivityMaintenance() override;
  runtime::Variant Close() override;
  const std::vector<std::string>& log() const { return log_; }

 private:
  std::shared_ptr<host::Cinterface> interface_;
  std::weak_ptr<host::Control> control_;
  std::string project_, node_, activity_;
  std::vector<std::string> log_;
};

class StandinMaintenanceProd : public host::MaintenanceProd {
 public:
  void set_Interface(std::shared_ptr<host::Cinterface> value) override;
  void set_Control(std::shared_ptr<host::Control> value) override;
  void set_ProjectCode(const std::string& value) override;
  runtime::Variant OpenProjectMaintenance() override;
  runtime::Variant Close() override;
  const std::vector<std::string>& log() const { return log_; }

 private:
  std::shared_ptr<host::Cinterface> interface_;
  std::weak_ptr<host::Control> control_;
  std::string project_;
  std::vector<std::string> log_;
};

// The grid's definition object: it keeps what the window hands it.
class StandinGridDefinition : public host::GridDefinition {
 public:
  void set_Flag(bool value) override { flag_ = value; }
  void set_Recordset(std::shared_ptr<host::Recordset> value) override { recordset_ = std::move(value); }
  void set_Interface(std::shared_ptr<host::Cinterface> value) override { interface_ = std::move(value); }
  void set_KeyColumn(const std::string& value) override { key_column_ = value; }
  void set_Identity(const std::string& value) override { identity_ = value; }
  const std::string& key_column() const { return key_column_; }
  const std::string& identity() const { return identity_; }
  bool flag() const { return flag_; }

 private:
  bool flag_ = false;
  std::shared_ptr<host::Recordset> recordset_;
  std::weak_ptr<host::Cinterface> interface_;
  std::string key_column_, identity_;
};

}  // namespace standin
