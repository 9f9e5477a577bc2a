#pragma once
// The screenshot mode: the program opens the demo data in a scratch copy, plays a person through the
// windows and writes what it shows as PNG files (QWidget::grab): the main window with rows, the
// insertion dialog, the deletion question, the preview of an insertion and a refusal message.

#include <string>

namespace desktop {

// Writes main-window.png, insert-dialog.png, delete-question.png, preview-dialog.png and
// refusal-message.png into `dir` (which must exist). Returns 0 when all five were written. Needs a
// QApplication; the preview needs the command line program (desktop/preview_dialog.hpp).
int take_screenshots(const std::string& dir, const std::string& language);

}  // namespace desktop
