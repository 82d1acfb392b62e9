#include "core/store/Copias.h"

#include "core/store/ArchivosBase.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Esquema.h"
#include "core/store/SentenciasCopias.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString nativa(const QString& ruta) {
    return QDir::toNativeSeparators(ruta);
}

QString mensaje(sqlite3* db) {
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("sin conexión");
}

// A connection of its own, closed whatever happens.
struct ArchivoAbierto {
    sqlite3* db = nullptr;
    ArchivoAbierto() = default;
    ArchivoAbierto(const ArchivoAbierto&) = delete;
    ArchivoAbierto& operator=(const ArchivoAbierto&) = delete;
    ~ArchivoAbierto() {
        if (db)
            sqlite3_close_v2(db);
    }
};

// Atomic replacement on the same file system; QFile::rename refuses an existing target.
bool renombrar(const QString& de, const QString& a) {
    return std::rename(QFile::encodeName(de).constData(), QFile::encodeName(a).constData()) == 0;
}

ErrorBD errorArchivo(const QString& contexto, const QString& ruta, int err) {
    return ErrorBD(contexto + QLatin1Char(' ') + DescripcionErrorSistema(err),
                   QStringLiteral("%1: %2").arg(nativa(ruta), QString::fromLocal8Bit(std::strerror(err))));
}

// Opens a file as a database of this program and proves the key by reading its schema. The
// reasons a file is not one are told apart as far as an encrypted file allows.
void abrirConClave(ArchivoAbierto& c, const QString& ruta, const QByteArray& clave, int flags) {
    const QFileInfo info(ruta);
    const QString archivo = nativa(ruta);
    if (!info.exists())
        throw ErrorBD(QStringLiteral("El archivo \"%1\" no existe.").arg(archivo));
    QFile f(ruta);
    if (!info.isFile() || !f.open(QIODevice::ReadOnly))
        throw ErrorBD(QStringLiteral("No se puede leer el archivo \"%1\".").arg(archivo), f.errorString());
    const QByteArray inicio = f.read(16);
    f.close();
    if (inicio.startsWith("SQLite format 3"))
        throw ErrorBD(QStringLiteral("El archivo \"%1\" es una base de datos sin cifrar: no es una copia de "
                                     "este programa.")
                          .arg(archivo));
    // Encrypted pages are whole: anything shorter or ragged is not a database at all.
    if (info.size() < 1024 || info.size() % 512 != 0)
        throw ErrorBD(QStringLiteral("El archivo \"%1\" no es una base de datos.").arg(archivo),
                      QStringLiteral("%1 bytes").arg(info.size()));
    if (sqlite3_open_v2(QFile::encodeName(ruta).constData(), &c.db, flags, nullptr) != SQLITE_OK)
        throw ErrorBD(QStringLiteral("No se puede abrir el archivo \"%1\".").arg(archivo), mensaje(c.db));
    if (sqlite3_key(c.db, clave.constData(), static_cast<int>(clave.size())) != SQLITE_OK)
        throw ErrorBD(QStringLiteral("No se pudo aplicar la clave a \"%1\".").arg(archivo));
    sqlite3_busy_timeout(c.db, 3000);
    const int rc = sqlite3_exec(c.db, SentenciasCopias::kContarTablas, nullptr, nullptr, nullptr);
    if ((rc & 0xff) == SQLITE_NOTADB)
        throw ErrorBD(QStringLiteral("El archivo \"%1\" no se puede leer con la clave de este programa: está "
                                     "cifrado con otra clave, no es una base de datos de este programa o su "
                                     "comienzo está dañado.")
                          .arg(archivo),
                      QStringLiteral("SQLite: %1").arg(mensaje(c.db)));
    // The key opened the first page, so a page that fails its check is damage, whichever code
    // the codec's refusal surfaces as.
    if ((rc & 0xff) == SQLITE_CORRUPT || (rc & 0xff) == SQLITE_ERROR)
        throw ErrorBD(
            QStringLiteral("El archivo \"%1\" está dañado: algunas de sus páginas no se pueden leer "
                           "o no coinciden con lo que se escribió.")
                .arg(archivo),
            QStringLiteral("SQLite: %1").arg(mensaje(c.db)));
    if (rc != SQLITE_OK)
        throw ErrorBD(QStringLiteral("No se puede leer el archivo \"%1\". ").arg(archivo) +
                          DescripcionErrorSqlite(sqlite3_extended_errcode(c.db)),
                      QStringLiteral("SQLite: %1").arg(mensaje(c.db)));
}

// Every row of a one-column statement; false with the error when it fails midway.
bool filas(sqlite3* db, const char* sql, QStringList& salida, QString& error) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
        error = mensaje(db);
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        salida << QString::fromUtf8(t ? t : "");
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) {
        error = mensaje(db);
        return false;
    }
    return true;
}

QString valor(sqlite3* db, const char* sql) {
    QStringList r;
    QString error;
    if (!filas(db, sql, r, error))
        throw ErrorBD(QStringLiteral("No se pudo leer el contenido de la base de datos."),
                      QStringLiteral("SQLite: %1").arg(error));
    return r.value(0);
}

// SQLCipher 4 checks every page's authentication code with a pragma. The 3.x library has none:
// there a backup into a scratch file reads every page, freelist ones included, through the
// codec, which refuses a page whose code does not match.
QString autenticarPaginas(sqlite3* db, const QByteArray& clave) {
    QStringList version;
    QString error;
    filas(db, SentenciasCopias::kVersionCifrado, version, error);
    if (version.value(0).section(QLatin1Char('.'), 0, 0).toInt() >= 4) {
        QStringList problemas;
        if (!filas(db, SentenciasCopias::kAutenticarPaginas, problemas, error))
            return error;
        return problemas.join(QLatin1Char('\n'));
    }
    QTemporaryDir temporal;
    if (!temporal.isValid())
        return QStringLiteral("no se pudo crear un archivo temporal para leer las páginas");
    ArchivoAbierto destino;
    const QByteArray ruta = QFile::encodeName(temporal.filePath(QStringLiteral("paginas.wfg")));
    if (sqlite3_open_v2(ruta.constData(), &destino.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
        return mensaje(destino.db);
    sqlite3_key(destino.db, clave.constData(), static_cast<int>(clave.size()));
    sqlite3_exec(destino.db, SentenciasCopias::kSinDiario, nullptr, nullptr, nullptr);
    sqlite3_backup* b = sqlite3_backup_init(destino.db, "main", db, "main");
    if (!b)
        return mensaje(destino.db);
    const int rc = sqlite3_backup_step(b, -1);
    sqlite3_backup_finish(b);
    return rc == SQLITE_DONE ? QString() : QStringLiteral("%1 (código %2)").arg(mensaje(db)).arg(rc);
}

Integridad verificar(sqlite3* db, const QByteArray& clave) {
    Integridad r;
    QStringList filasCheck;
    QString error;
    QStringList detalles;
    if (!filas(db, SentenciasCopias::kIntegridad, filasCheck, error))
        detalles << QStringLiteral("integrity_check: %1").arg(error);
    else if (filasCheck != QStringList{QStringLiteral("ok")})
        detalles
            << QStringLiteral("integrity_check: %1").arg(filasCheck.mid(0, 10).join(QStringLiteral("; ")));
    const QString paginas = autenticarPaginas(db, clave);
    if (!paginas.isEmpty())
        detalles << QStringLiteral("cipher_integrity_check: %1").arg(paginas);
    r.correcta = detalles.isEmpty();
    if (!r.correcta) {
        r.problema = QStringLiteral("La base de datos está dañada: algunas de sus páginas no se pueden leer "
                                    "o no coinciden con lo que se escribió.");
        r.detalles = detalles.join(QLatin1Char('\n'));
    }
    return r;
}

void copiarBytes(const QString& de, const QString& a, const QString& contexto) {
    QFile origen(de);
    if (!origen.open(QIODevice::ReadOnly))
        throw ErrorBD(contexto + QLatin1Char(' ') + DescripcionErrorArchivo(origen.error()),
                      QStringLiteral("%1: %2").arg(nativa(de), origen.errorString()));
    QSaveFile destino(a);
    if (!destino.open(QIODevice::WriteOnly))
        throw ErrorBD(contexto + QLatin1Char(' ') + DescripcionErrorArchivo(destino.error()),
                      QStringLiteral("%1: %2").arg(nativa(a), destino.errorString()));
    while (!origen.atEnd()) {
        const QByteArray bloque = origen.read(1 << 20);
        if (bloque.isEmpty() && origen.error() != QFileDevice::NoError)
            break;
        if (destino.write(bloque) != bloque.size())
            break;
    }
    if (origen.error() != QFileDevice::NoError || !destino.commit())
        throw ErrorBD(contexto + QLatin1Char(' ') + DescripcionErrorArchivo(destino.error()),
                      QStringLiteral("%1: %2").arg(nativa(a), destino.errorString()));
    Sincronizar(a, false);
}

// The day of a daily copy's name; invalid for any other name.
QDate diaDeCopia(const QString& nombre) {
    static const QRegularExpression patron(QStringLiteral("^diaria-(\\d{4}-\\d{2}-\\d{2})\\.wfg$"));
    const QRegularExpressionMatch m = patron.match(nombre);
    return m.hasMatch() ? QDate::fromString(m.captured(1), Qt::ISODate) : QDate();
}

} // namespace

Integridad VerificarArchivoBase(const QString& ruta, const QByteArray& clave) {
    ArchivoAbierto c;
    try {
        abrirConClave(c, ruta, clave, SQLITE_OPEN_READONLY);
    } catch (const ErrorBD& e) {
        Integridad r;
        r.problema = e.descripcion();
        r.detalles = e.detalles();
        return r;
    }
    return verificar(c.db, clave);
}

QString InformeIntegridad(const Integridad& resultado) {
    if (resultado.correcta)
        return QStringLiteral("La base de datos está en buen estado: se leyeron y comprobaron todas sus "
                              "páginas y su estructura, sin encontrar problemas.");
    return resultado.problema +
           QStringLiteral("\n\nQué hacer: no siga trabajando con esta base de datos. Como administrador, "
                          "use \"Archivo > Restaurar copia...\" y elija la copia más reciente que esté en "
                          "buen estado (las copias diarias están en la carpeta \"copias\" del directorio de "
                          "datos). Si no tiene ninguna copia, consulte al soporte técnico antes de hacer "
                          "cambios.");
}

ContenidoCopia ExaminarCopia(const QString& ruta, const QByteArray& clave) {
    ArchivoAbierto c;
    abrirConClave(c, ruta, clave, SQLITE_OPEN_READONLY);
    const QString archivo = nativa(ruta);
    ContenidoCopia r;
    r.versionEsquema = valor(c.db, SentenciasCopias::kVersionEsquema).toInt();
    if (r.versionEsquema > kVersionEsquema)
        throw ErrorBD(QStringLiteral("La copia \"%1\" fue hecha por una versión más reciente del programa "
                                     "(versión de esquema %2); esta versión conoce hasta la %3.")
                          .arg(archivo)
                          .arg(r.versionEsquema)
                          .arg(kVersionEsquema));
    const Integridad integridad = verificar(c.db, clave);
    if (!integridad.correcta)
        throw ErrorBD(
            QStringLiteral("La copia \"%1\" está dañada: algunas de sus páginas no se pueden leer o "
                           "no coinciden con lo que se escribió.")
                .arg(archivo),
            integridad.detalles);
    for (const char* tabla : {"Clientes", "Infracciones", "PassUsuarios"}) {
        if (valor(c.db, SentenciasCopias::hayTabla(tabla).constData()).toInt() == 0)
            throw ErrorBD(
                QStringLiteral("El archivo \"%1\" no es una base de datos de este programa: le falta "
                               "la tabla %2.")
                    .arg(archivo, QString::fromLatin1(tabla)));
    }
    r.clientes = valor(c.db, SentenciasCopias::kContarClientes).toLongLong();
    r.infracciones = valor(c.db, SentenciasCopias::kContarInfracciones).toLongLong();
    // The import log dates each import; registers from before it have the inspection date the
    // import stamps on the client, and rows alone date the oldest files.
    if (valor(c.db, SentenciasCopias::hayTabla("Importaciones").constData()).toInt()) {
        const QDateTime momento =
            QDateTime::fromString(valor(c.db, SentenciasCopias::kUltimaImportacion), Qt::ISODate);
        if (momento.isValid())
            r.ultimaImportacion = momento.toLocalTime().date();
    }
    if (!r.ultimaImportacion.isValid()) {
        QString fecha = valor(c.db, SentenciasCopias::kUltimaInspeccion);
        if (fecha.isEmpty())
            fecha = valor(c.db, SentenciasCopias::kUltimaInfraccion);
        r.ultimaImportacion = QDate::fromString(fecha, QStringLiteral("yyyyMMdd"));
    }
    return r;
}

QString RutaMunicipioDeCopia(const QString& rutaCopia) {
    const QFileInfo info(rutaCopia);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".dat"));
}

QString NombreCopia(const QDateTime& cuando) {
    return QStringLiteral("velmora-kv270-%1.wfg").arg(cuando.toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
}

QString RutaManifiestoDeCopia(const QString& rutaCopia) {
    const QFileInfo info(rutaCopia);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".manifiesto"));
}

namespace {

// Read from the copy itself; a register from before the activity log has neither table.
void escribirManifiesto(const QString& copia, const QString& destino, const QByteArray& clave,
                        const QString& contexto) {
    ArchivoAbierto c;
    abrirConClave(c, copia, clave, SQLITE_OPEN_READONLY);
    QStringList identidad, secuencia, hash;
    QString error;
    filas(c.db, "SELECT Identidad FROM IdentidadRegistro LIMIT 1", identidad, error);
    filas(c.db, "SELECT Secuencia FROM RegistroActividad ORDER BY Secuencia DESC LIMIT 1", secuencia, error);
    filas(c.db, "SELECT Hash FROM RegistroActividad ORDER BY Secuencia DESC LIMIT 1", hash, error);
    QFile archivo(copia);
    QCryptographicHash sha(QCryptographicHash::Sha256);
    if (!archivo.open(QIODevice::ReadOnly) || !sha.addData(&archivo))
        throw ErrorBD(contexto, archivo.errorString());
    const QJsonObject m{
        {QStringLiteral("registro"), identidad.value(0)},
        {QStringLiteral("cabeza_secuencia"), secuencia.value(0, QStringLiteral("0")).toLongLong()},
        {QStringLiteral("cabeza_hash"), hash.value(0, QString(64, QLatin1Char('0')))},
        {QStringLiteral("sha256"), QString::fromLatin1(sha.result().toHex())}};
    QSaveFile salida(destino);
    if (!salida.open(QIODevice::WriteOnly) || salida.write(QJsonDocument(m).toJson()) < 0 || !salida.commit())
        throw ErrorBD(contexto, salida.errorString());
}

} // namespace

std::optional<ManifiestoCopia> LeerManifiestoCopia(const QString& rutaCopia) {
    QFile f(RutaManifiestoDeCopia(rutaCopia));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject m = QJsonDocument::fromJson(f.readAll()).object();
    if (m.isEmpty())
        return {};
    return ManifiestoCopia{m.value(QStringLiteral("registro")).toString(),
                           m.value(QStringLiteral("cabeza_secuencia")).toInteger(),
                           m.value(QStringLiteral("cabeza_hash")).toString(),
                           m.value(QStringLiteral("sha256")).toString()};
}

void CopiarBase(const QString& origen, const QString& municipio, const QString& destino,
                const QByteArray& clave) {
    const QString contexto = QStringLiteral("No se pudo hacer la copia \"%1\".").arg(nativa(destino));
    const QString carpeta = QFileInfo(destino).absolutePath();
    if (!QDir().mkpath(carpeta))
        throw errorArchivo(contexto, carpeta, errno ? errno : EACCES);
    const QString temporal = destino + QStringLiteral(".tmp");
    QuitarConAnexos(temporal);
    try {
        ArchivoAbierto fuente;
        abrirConClave(fuente, origen, clave, SQLITE_OPEN_READONLY);
        ArchivoAbierto copia;
        if (sqlite3_open_v2(QFile::encodeName(temporal).constData(), &copia.db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
            throw ErrorBD(contexto + QLatin1Char(' ') +
                              DescripcionErrorSqlite(sqlite3_extended_errcode(copia.db)),
                          mensaje(copia.db));
        sqlite3_key(copia.db, clave.constData(), static_cast<int>(clave.size()));
        sqlite3_backup* b = sqlite3_backup_init(copia.db, "main", fuente.db, "main");
        if (!b)
            throw ErrorBD(contexto, QStringLiteral("SQLite: %1").arg(mensaje(copia.db)));
        // One step holds one read lock over the whole copy, so it is one consistent state; a
        // commit in progress elsewhere is waited for.
        int rc = SQLITE_OK;
        for (int intento = 0; intento < 200; ++intento) {
            rc = sqlite3_backup_step(b, -1);
            if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
                break;
            sqlite3_sleep(50);
        }
        sqlite3_backup_finish(b);
        if (rc != SQLITE_DONE)
            throw ErrorBD(contexto + QLatin1Char(' ') +
                              DescripcionErrorSqlite(sqlite3_extended_errcode(copia.db)),
                          QStringLiteral("SQLite: %1 (código %2)").arg(mensaje(copia.db)).arg(rc));
    } catch (...) {
        QuitarConAnexos(temporal);
        throw;
    }
    Sincronizar(temporal, false);
    const Integridad verificacion = VerificarArchivoBase(temporal, clave);
    if (!verificacion.correcta) {
        QuitarConAnexos(temporal);
        throw ErrorBD(contexto + QStringLiteral(" La copia escrita no pasó la verificación: ") +
                          verificacion.problema,
                      verificacion.detalles);
    }
    try {
        if (QFileInfo::exists(municipio))
            copiarBytes(municipio, RutaMunicipioDeCopia(destino), contexto);
        escribirManifiesto(temporal, RutaManifiestoDeCopia(destino), clave, contexto);
    } catch (...) {
        QuitarConAnexos(temporal);
        throw;
    }
    if (!renombrar(temporal, destino)) {
        const int err = errno;
        QuitarConAnexos(temporal);
        throw errorArchivo(contexto, destino, err);
    }
    Sincronizar(carpeta, true);
}

QString NombreCopiaDiaria(const QDate& dia) {
    return QStringLiteral("diaria-%1.wfg").arg(dia.toString(Qt::ISODate));
}

QStringList CopiasAConservar(const QStringList& nombres) {
    QList<std::pair<QDate, QString>> diarias;
    for (const QString& n : nombres) {
        const QDate d = diaDeCopia(n);
        if (d.isValid())
            diarias.append({d, n});
    }
    std::sort(diarias.begin(), diarias.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    QSet<QString> conservar;
    QSet<int> semanas;
    for (qsizetype i = 0; i < diarias.size(); ++i) {
        const auto& [dia, nombre] = diarias[i];
        int anio = 0;
        const int semana = dia.weekNumber(&anio) + anio * 100;
        if (i < 7)
            conservar.insert(nombre);
        // Newest first, so the first copy seen of a week is that week's newest.
        if (!semanas.contains(semana) && semanas.size() < 4) {
            semanas.insert(semana);
            conservar.insert(nombre);
        }
    }
    QStringList r;
    for (const QString& n : nombres)
        if (conservar.contains(n) || !diaDeCopia(n).isValid())
            r << n;
    return r;
}

ResultadoCopiaDiaria CopiaDiaria(const QString& directorioDatos, const QString& rutaBase,
                                 const QString& rutaMunicipio, const QByteArray& clave, const QDate& hoy) {
    ResultadoCopiaDiaria r;
    const QDir carpeta(QDir(directorioDatos).filePath(QLatin1String(kCarpetaCopias)));
    const QString destino = carpeta.filePath(NombreCopiaDiaria(hoy));
    if (QFileInfo::exists(destino))
        return r;
    try {
        CopiarBase(rutaBase, rutaMunicipio, destino, clave);
    } catch (const ErrorBD& e) {
        r.estado = ResultadoCopiaDiaria::Fallida;
        r.error = e.descripcion();
        r.detalles = e.detalles();
        // Told once a day; the copy is tried again at each start until it works.
        QSaveFile aviso(carpeta.filePath(QStringLiteral("ultimo-aviso.txt")));
        QFile anterior(aviso.fileName());
        const QByteArray fecha = hoy.toString(Qt::ISODate).toLatin1();
        r.avisar = !anterior.open(QIODevice::ReadOnly) || anterior.readAll().trimmed() != fecha;
        if (r.avisar && aviso.open(QIODevice::WriteOnly)) {
            aviso.write(fecha);
            aviso.commit();
        }
        return r;
    }
    r.estado = ResultadoCopiaDiaria::Hecha;
    // Only after a good copy: a failure never costs an older one.
    const QStringList todas = carpeta.entryList({QStringLiteral("diaria-*.wfg")}, QDir::Files);
    const QStringList quedan = CopiasAConservar(todas);
    for (const QString& n : todas) {
        if (quedan.contains(n))
            continue;
        QFile::remove(carpeta.filePath(n));
        QFile::remove(RutaMunicipioDeCopia(carpeta.filePath(n)));
        QFile::remove(RutaManifiestoDeCopia(carpeta.filePath(n)));
    }
    return r;
}

QString RestaurarCopia(const QString& copia, const QString& rutaBase, const QString& rutaMunicipio,
                       const QString& carpetaCopias, const QByteArray& clave, const QDateTime& cuando) {
    ExaminarCopia(copia, clave);
    const QString contexto = QStringLiteral("No se pudo restaurar la copia. La base de datos actual no se "
                                            "modificó.");
    if (!QDir().mkpath(carpetaCopias))
        throw errorArchivo(contexto, carpetaCopias, errno ? errno : EACCES);
    // The current register is kept byte for byte, damaged or not: it may be all there is.
    const QString guardada =
        QDir(carpetaCopias)
            .filePath(
                QStringLiteral("anterior-%1.wfg").arg(cuando.toString(QStringLiteral("yyyy-MM-dd-HHmmss"))));
    if (QFileInfo::exists(rutaBase))
        copiarBytes(rutaBase, guardada, contexto);
    if (QFileInfo::exists(rutaMunicipio))
        copiarBytes(rutaMunicipio, RutaMunicipioDeCopia(guardada), contexto);

    // The copy goes next to the register first, is checked there, then renamed over it.
    const QString nueva = rutaBase + QStringLiteral(".restaurando");
    const QString municipioNuevo = rutaMunicipio + QStringLiteral(".restaurando");
    QuitarConAnexos(nueva);
    QFile::remove(municipioNuevo);
    const QString municipioCopia = RutaMunicipioDeCopia(copia);
    try {
        copiarBytes(copia, nueva, contexto);
        ExaminarCopia(nueva, clave);
        if (QFileInfo::exists(municipioCopia))
            copiarBytes(municipioCopia, municipioNuevo, contexto);
    } catch (...) {
        QuitarConAnexos(nueva);
        QFile::remove(municipioNuevo);
        throw;
    }
    // No journal of the replaced file may be taken as hot for the restored one.
    QFile::remove(rutaBase + QStringLiteral("-journal"));
    if (!renombrar(nueva, rutaBase)) {
        const int err = errno;
        QuitarConAnexos(nueva);
        QFile::remove(municipioNuevo);
        throw errorArchivo(contexto, rutaBase, err);
    }
    if (QFileInfo::exists(municipioNuevo))
        renombrar(municipioNuevo, rutaMunicipio);
    Sincronizar(QFileInfo(rutaBase).absolutePath(), true);
    return guardada;
}
