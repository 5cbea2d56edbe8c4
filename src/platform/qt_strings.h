#pragma once
// The one pair of conversions between model strings (bytes, UTF-8 on Linux) and Qt strings.
#include <QByteArray>
#include <QString>
#include <string>

namespace korvane {

inline QString ToQString(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string ToStdString(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<size_t>(utf8.size()));
}

} // namespace korvane
