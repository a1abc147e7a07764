// Numbers written by a pattern, as the desktop's FormatFloat writes them:
// up to three sections separated by ";" (positive, negative, zero), "0" a
// digit always shown, "#" a digit shown when significant, "." the decimal
// separator, "," thousands grouping anywhere in the integer part, text in
// quotes and any other character kept as it stands before or after the
// number. Separators follow the regional settings in force.
#pragma once

#include <QString>

QString FormatFloat(const QString& pattern, double value);
