// Texts of the desktop program in the run's language, as Qt strings.
#pragma once

#include <QString>

#include "host/api/language.h"

// A desktop text written in English, translated by the run's catalogue.
inline QString qtr(const char* english) {
  return QString::fromUtf8(host::translate(english));
}
