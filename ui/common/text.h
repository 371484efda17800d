#pragma once
// The core speaks UTF-8; Qt speaks QString. The one crossing between them.

#include <string>
#include <string_view>

#include <QString>

namespace qcal::ui {

inline QString Q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }
inline std::string S(const QString& text) { return text.toStdString(); }

} // namespace qcal::ui
