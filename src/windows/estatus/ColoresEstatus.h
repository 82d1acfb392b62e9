#pragma once

#include <QColor>
#include <QString>

// The colour of each equipment status, the same in the infraction grid, the charts and the import
// preview: empty status and separators dark grey.
QColor ColorEstatus(const QString& estatus);
// "L. SHOW" and any status the device adds: the grid's background.
QColor ColorEstatusComun();
