#pragma once
// The headless host's names for the control models: the scripted person and the command line act on the
// models directly.

#include "standin/control_models.hpp"

namespace standin {

using HeadlessInput = InputModel;
using HeadlessCodeEdit = CodeEditModel;
using HeadlessDateEdit = DateEditModel;
using HeadlessNumericEdit = NumericEditModel;
using HeadlessCombo = ComboModel;
using HeadlessCalendar = CalendarModel;
using HeadlessToolbarButton = ToolbarButtonModel;
using HeadlessLabel = LabelModel;
using HeadlessResizeControl = ResizeModel;
using HeadlessMdiContainer = MdiContainerModel;
using HeadlessGrid = GridModel;
using HeadlessGridNavigator = GridNavigatorModel;
using HeadlessFrameControl = FrameModel;

}  // namespace standin
