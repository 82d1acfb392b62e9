#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// One member of a zip archive (a workbook is one), stored or deflated, found through the
// archive's central directory. None when the archive is damaged or has no such member; the
// reason in `error`.
std::optional<QByteArray> LeerMiembroZip(const QByteArray& zip, const QString& nombre,
                                         QString* error = nullptr);
