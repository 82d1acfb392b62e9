#pragma once

class QCoreApplication;

// Loads Qt's own Spanish texts (standard buttons "Sí"/"No", dialogs) into the application.
// False when the translation file cannot be found.
bool CargarTraduccionesQt(QCoreApplication& app);
