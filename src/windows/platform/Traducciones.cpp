#include "windows/platform/Traducciones.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool CargarTraduccionesQt(QCoreApplication& app) {
    // The interface is Spanish whatever the desktop's locale is.
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Argentina));
    auto* traductor = new QTranslator(&app);
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!traductor->load(QStringLiteral("qtbase_es"), dir)) {
        delete traductor;
        return false;
    }
    QCoreApplication::installTranslator(traductor);
    return true;
}
