#pragma once
// A text of the program as Qt takes it.

#include <QString>

#include <string>

namespace desktop {

inline QString qs(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace desktop
