#pragma once
// The host's module contract: what every plug-in module offers the host. The host sets the shared objects
// and flags, may fill a module's own called-mode parameters, then asks it to show its window.

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/variant.hpp"

namespace host {

class GlobalObject;
class Navigator;
class MenuEntry;
class RecordFrame;
class Connection;

class Cinterface : public virtual runtime::Object {
 public:
  virtual void set_Cinterface_ClsGlobal(std::shared_ptr<GlobalObject> value) = 0;
  virtual std::shared_ptr<GlobalObject> Cinterface_ClsGlobal() = 0;
  virtual void set_Cinterface_ActiveFrame(std::shared_ptr<RecordFrame> value) = 0;
  virtual std::shared_ptr<RecordFrame> Cinterface_ActiveFrame() = 0;
  virtual void set_Cinterface_ActiveNavigator(std::shared_ptr<Navigator> value) = 0;
  virtual std::shared_ptr<Navigator> Cinterface_ActiveNavigator() = 0;
  virtual void set_Cinterface_ActiveDll(std::shared_ptr<Cinterface> value) = 0;
  virtual std::shared_ptr<Cinterface> Cinterface_ActiveDll() = 0;
  virtual void set_Cinterface_StatusBar(std::shared_ptr<runtime::Object> value) = 0;
  virtual std::shared_ptr<runtime::Object> Cinterface_StatusBar() = 0;
  virtual void let_Cinterface_CanInsert(bool value) = 0;
  virtual bool Cinterface_CanInsert() = 0;
  virtual void let_Cinterface_CanDelete(bool value) = 0;
  virtual bool Cinterface_CanDelete() = 0;
  virtual void let_Cinterface_CanUpdate(bool value) = 0;
  virtual bool Cinterface_CanUpdate() = 0;
  virtual void let_Cinterface_CanQbe(bool value) = 0;
  virtual bool Cinterface_CanQbe() = 0;
  virtual void let_Cinterface_WindowState(std::int32_t value) = 0;
  virtual std::int32_t Cinterface_WindowState() = 0;
  virtual void let_Cinterface_WindowModal(bool value) = 0;
  virtual bool Cinterface_WindowModal() = 0;
  virtual void let_Cinterface_ProgramMode(std::int32_t value) = 0;
  virtual std::int32_t Cinterface_ProgramMode() = 0;
  virtual void let_Cinterface_MenuModulo(const runtime::Variant& value) = 0;
  virtual runtime::Variant Cinterface_MenuModulo() = 0;
  virtual void let_Cinterface_MenuPadre(const runtime::Variant& value) = 0;
  virtual runtime::Variant Cinterface_MenuPadre() = 0;
  virtual void let_Cinterface_MenuProg(const runtime::Variant& value) = 0;
  virtual runtime::Variant Cinterface_MenuProg() = 0;
  virtual void let_Cinterface_Caption(const runtime::Variant& value) = 0;
  virtual runtime::Variant Cinterface_Caption() = 0;
  virtual void let_Cinterface_hwndParent(std::int32_t value) = 0;
  virtual std::int32_t Cinterface_hwndParent() = 0;
  virtual runtime::Variant Cinterface_ShowForm() = 0;
  virtual runtime::Variant Cinterface_CloseForm() = 0;
  virtual void set_Cinterface_Connection(std::shared_ptr<Connection> value) = 0;
  virtual std::shared_ptr<Connection> Cinterface_Connection() = 0;
  virtual std::shared_ptr<runtime::Object> Cinterface_Cwindow() = 0;
  virtual runtime::Variant Cinterface_TransferData(const runtime::Variant& data) = 0;
  virtual runtime::Variant Cinterface_Top() = 0;
  virtual void let_Cinterface_Top(const runtime::Variant& value) = 0;
  virtual runtime::Variant Cinterface_Left() = 0;
  virtual void let_Cinterface_Left(const runtime::Variant& value) = 0;
  virtual void set_Cinterface_ClsVoceMenu(std::shared_ptr<MenuEntry> value) = 0;
  virtual std::shared_ptr<MenuEntry> Cinterface_ClsVoceMenu() = 0;
  virtual void let_Cinterface_IsActive(bool value) = 0;
  virtual bool Cinterface_IsActive() = 0;
  virtual void let_Cinterface_IsCalled(bool value) = 0;
  virtual bool Cinterface_IsCalled() = 0;
  virtual void let_Cinterface_Filtro(const runtime::Variant& value) = 0;
  virtual runtime::Variant Cinterface_Filtro() = 0;
};

}  // namespace host
