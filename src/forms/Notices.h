#pragma once
// The title of the program's notices and warnings.

#include <QString>

namespace lh::forms {

inline const QString kNoticeTitle = QStringLiteral("蓝禾提示");

}   // namespace lh::forms
