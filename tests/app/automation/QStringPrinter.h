#pragma once

#include <QString>
#include <ostream>

// Readable test failures for texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
