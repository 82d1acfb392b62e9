#include "core/store/Esquema.h"

#include "core/actividad/CadenaActividad.h"
#include "core/actividad/EntradasActividad.h"
#include "core/store/Conexion.h"
#include "core/store/Contrasenas.h"
#include "core/store/Dialecto.h"
#include "core/store/ResumenMensual.h"

#include <QDateTime>
#include <QDir>
#include <QUuid>

#include <algorithm>
#include <iterator>

namespace {

const char* const kEsquema[] = {
    "CREATE TABLE Clientes (Id INTEGER PRIMARY KEY AUTOINCREMENT, NumeroCliente TEXT, Nombre TEXT, "
    "Direccion TEXT, Localidad TEXT, CodigoPostal TEXT, Partido TEXT, Provincia TEXT, Telefono TEXT, "
    "TelefonoMovil TEXT, Email TEXT, FechadeAlta TEXT, NombreLocal TEXT, Direccionlocal TEXT, "
    "Localidadlocal TEXT, PartidoLocal TEXT, ProvinciaLocal TEXT, Telefonolocal TEXT, EmailLocal TEXT, "
    "UltimaInspeccionFecha TEXT, UltimaInspeccionHora TEXT, AnteriorInspeccionFecha TEXT, "
    "AnteriorInspeccionHora TEXT, Notas TEXT, ActivacionBandaHoraria TEXT, "
    "ActivacionBanda1 TEXT, fechainicio TEXT, fechafin TEXT, horainicio TEXT, MinutosInicio TEXT, "
    "HoraFin TEXT, MinutosFin TEXT, "
    "ActivacionBanda2 TEXT, fechainicio2 TEXT, fechafin2 TEXT, horainicio2 TEXT, MinutosInicio2 TEXT, "
    "HoraFin2 TEXT, MinutosFin2 TEXT, "
    "ActivacionBanda3 TEXT, fechainicio3 TEXT, fechafin3 TEXT, horainicio3 TEXT, MinutosInicio3 TEXT, "
    "HoraFin3 TEXT, MinutosFin3 TEXT)",
    "CREATE TABLE Infracciones (id INTEGER PRIMARY KEY AUTOINCREMENT, NumeroCliente TEXT, "
    "FechaInfraccion TEXT, HoraInfraccion TEXT, NiveldB TEXT, Microfono TEXT, Estado TEXT, "
    "TensionLinea TEXT, PorcentajeCompresion TEXT, Inspector TEXT, Maxdb TEXT, dbaten TEXT, excesos TEXT, "
    "caldb TEXT, segpenal TEXT, nivelconsola TEXT, nivelruido TEXT, contadorinf TEXT)",
    "CREATE TABLE PassUsuarios (Id INTEGER PRIMARY KEY AUTOINCREMENT, Nombre TEXT, \"Contraseña\" TEXT)",
    "CREATE INDEX idx_infracciones_cliente ON Infracciones(NumeroCliente, id)",
    "CREATE INDEX idx_clientes_numero ON Clientes(NumeroCliente)",
};

qint64 leerEntero(Conexion& db, const char* sql) {
    const std::unique_ptr<Sentencia> st = db.preparar(QString::fromUtf8(sql));
    return st->paso() ? st->entero(0) : 0;
}

// Version 1 is the schema of the files written before versions were recorded (user_version 0):
// it only checks that they hold its tables, so a half-built file is refused, not half used.
void migracion1(Conexion& db, bool) {
    for (const char* tabla : {"Clientes", "Infracciones", "PassUsuarios"}) {
        const std::unique_ptr<Sentencia> st =
            db.preparar(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
        st->enlazar(1, QString::fromLatin1(tabla));
        if (!st->paso())
            throw ErrorBD(QStringLiteral("El archivo de la base de datos \"%1\" está incompleto: le falta la "
                                         "tabla %2. No se modificó el archivo.")
                              .arg(QDir::toNativeSeparators(db.ruta()), QString::fromLatin1(tabla)));
    }
    db.ejecutar(QStringLiteral(
        "CREATE INDEX IF NOT EXISTS idx_infracciones_cliente ON Infracciones(NumeroCliente, id)"));
    db.ejecutar(QStringLiteral("CREATE INDEX IF NOT EXISTS idx_clientes_numero ON Clientes(NumeroCliente)"));
}

// Version 2: the import log. Each import leaves one row with where the file came from, who
// imported it and the device's settings, its exact bytes (compressed, apart so listing the log
// never reads them), and its infraction rows point back to it; older rows keep NULL. Adding a
// NULL column rewrites no row and the partial index holds no entry yet; the date index is the
// only work proportional to the rows (seconds for millions).
void migracion2(Conexion& db, bool) {
    db.ejecutar(QStringLiteral(
        "CREATE TABLE Importaciones (Id INTEGER PRIMARY KEY AUTOINCREMENT, NumeroCliente TEXT, "
        "NombreArchivo TEXT, Tamano INTEGER, Sha256 TEXT, FechaInspeccion TEXT, HoraInspeccion TEXT, "
        "Registros INTEGER, Guardados INTEGER, Omitidos INTEGER, PrimerRegistro TEXT, UltimoRegistro TEXT, "
        "Maxdb TEXT, dbaten TEXT, excesos TEXT, caldb TEXT, segpenal TEXT, nivelconsola TEXT, "
        "nivelruido TEXT, ActivacionBandaHoraria TEXT, Banda1 TEXT, Banda2 TEXT, Banda3 TEXT, "
        "Usuario TEXT, Equipo TEXT, MomentoLocal TEXT, MomentoUtc TEXT, Cambios TEXT)"));
    db.ejecutar(QStringLiteral("CREATE TABLE OriginalesImportacion (IdImportacion INTEGER PRIMARY KEY, "
                               "Compresion TEXT, Datos BLOB)"));
    db.ejecutar(QStringLiteral("CREATE INDEX idx_importaciones_sha ON Importaciones(Sha256)"));
    db.ejecutar(QStringLiteral("CREATE INDEX idx_importaciones_cliente ON Importaciones(NumeroCliente, Id)"));
    // The overlap check looks a client's rows up by date.
    db.ejecutar(QStringLiteral(
        "CREATE INDEX idx_infracciones_fecha ON Infracciones(NumeroCliente, FechaInfraccion)"));
    db.ejecutar(QStringLiteral("ALTER TABLE Infracciones ADD COLUMN IdImportacion INTEGER"));
    db.ejecutar(QStringLiteral("CREATE INDEX idx_infracciones_importacion ON Infracciones(IdImportacion) "
                               "WHERE IdImportacion IS NOT NULL"));
}

// Version 3: a row version on clients, raised by every write to the row, so that a save made from
// data read before another desk's change is refused instead of overwriting it. On the server,
// where desks write at once, client numbers are unique too; a file may hold repeats from before
// and keeps them.
void migracion3(Conexion& db, bool) {
    db.ejecutar(QStringLiteral("ALTER TABLE Clientes ADD COLUMN Version INTEGER NOT NULL DEFAULT 0"));
    for (const QString& sql : db.dialecto().numerosClienteUnicos())
        db.ejecutar(sql);
}

// Version 4: the activity log, which no statement may change or delete; the register's own
// identity; imports withdrawn instead of deleted. A register that had no log gets its baseline:
// what it held when the log began, so later changes are traced from there.
void migracion4(Conexion& db, bool nueva) {
    db.ejecutar(QStringLiteral(
        "CREATE TABLE RegistroActividad (Id INTEGER PRIMARY KEY AUTOINCREMENT, Secuencia INTEGER NOT NULL "
        "UNIQUE, "
        "MomentoUtc TEXT NOT NULL DEFAULT '', MomentoLocal TEXT NOT NULL DEFAULT '', Usuario TEXT NOT NULL "
        "DEFAULT '', Puesto TEXT NOT NULL DEFAULT '', Accion TEXT NOT NULL DEFAULT '', Objeto TEXT NOT NULL "
        "DEFAULT '', Detalles TEXT NOT NULL DEFAULT '', HashAnterior TEXT NOT NULL DEFAULT '', Hash TEXT NOT "
        "NULL DEFAULT '')"));
    for (const QString& sql : db.dialecto().esquemaActividad())
        db.ejecutar(sql);
    db.ejecutar(
        QStringLiteral("CREATE TABLE IdentidadRegistro (Identidad TEXT NOT NULL, Creada TEXT NOT NULL)"));
    db.ejecutar(QStringLiteral("INSERT INTO IdentidadRegistro (Identidad, Creada) VALUES (?, ?)"),
                {QUuid::createUuid().toString(QUuid::WithoutBraces).toLower(),
                 MomentoUtcTexto(QDateTime::currentDateTimeUtc())});
    db.ejecutar(QStringLiteral("ALTER TABLE Importaciones ADD COLUMN Retirada INTEGER NOT NULL DEFAULT 0"));
    if (!nueva)
        EscribirLineaBase(db);
}

// Version 5: the office summary counts every client's rows of a period by status and level. One
// index holds all it reads, so each client's period is one range of it and no row is visited; it
// starts with (client, date), so it serves the import's overlap check too and replaces that index.
void migracion5(Conexion& db, bool) {
    db.ejecutar(
        QStringLiteral("CREATE INDEX IF NOT EXISTS idx_infracciones_resumen ON Infracciones(NumeroCliente, "
                       "FechaInfraccion, Microfono, NiveldB, Maxdb)"));
    db.ejecutar(QStringLiteral("DROP INDEX IF EXISTS idx_infracciones_fecha"));
}

// Version 6: desks on a server hear which clients, and whose rows, another desk changed, and read
// again only those instead of the whole list.
void migracion6(Conexion& db, bool) {
    for (const QString& sql : db.dialecto().avisosCambios())
        db.ejecutar(sql);
}

// Version 7: the office summary reads per month and client counts kept as the rows are written,
// instead of every row of the period (core/store/ResumenMensual), and the days of a month it takes
// only part of from one range of an index by date that holds all it reads. Filling the counts and
// the index reads every row once.
void migracion7(Conexion& db, bool) {
    db.ejecutar(QStringLiteral("CREATE INDEX IF NOT EXISTS idx_infracciones_dia_resumen ON Infracciones("
                               "FechaInfraccion, NumeroCliente, Microfono, NiveldB, Maxdb)"));
    for (const QString& sql : EsquemaResumenMensual(db.dialecto()))
        db.ejecutar(sql);
}

// The numbered schema steps, oldest first. A schema change is one more entry here with the next
// number (and kVersionEsquema raised to it): each runs in its own transaction on older files and
// after the base schema on new ones, so both end up alike.
struct Migracion {
    int version;
    // `nueva`: run while the register is being created, on empty tables.
    void (*aplicar)(Conexion&, bool nueva);
    // Shown while the step runs at a start.
    const char* descripcion;
};
constexpr Migracion kMigraciones[] = {
    {1, migracion1, "Comprobando las tablas del registro"},
    {2, migracion2, "Creando el registro de importaciones"},
    {3, migracion3, "Añadiendo la versión de cada cliente"},
    {4, migracion4, "Creando el registro de actividad"},
    {5, migracion5, "Creando el índice del resumen de la oficina"},
    {6, migracion6, "Preparando los avisos entre puestos"},
    {7, migracion7, "Calculando los recuentos mensuales del resumen"},
};
// From this version on the activity log exists and records each migration.
constexpr int kVersionConActividad = 4;
static_assert(std::size(kMigraciones) == kVersionEsquema &&
                  kMigraciones[kVersionEsquema - 1].version == kVersionEsquema,
              "one migration per schema version, numbered from 1");

void aplicar(Conexion& db, const Migracion& m, qint64 desde, bool nueva) {
    m.aplicar(db, nueva);
    if (!nueva && m.version >= kVersionConActividad)
        AgregarEntrada(db, kUsuarioPrograma, QStringLiteral("esquema.migracion"), QString::number(m.version),
                       {{QStringLiteral("desde"), desde}, {QStringLiteral("hasta"), m.version}});
    db.ejecutar(QStringLiteral("PRAGMA user_version = %1").arg(m.version));
}

} // namespace

bool EsquemaVacio(Conexion& db) {
    return leerEntero(db, "SELECT count(*) FROM sqlite_master") == 0;
}

void CrearEsquema(Conexion& db) {
    Transaccion t(db);
    for (const char* sql : kEsquema)
        db.ejecutar(QString::fromUtf8(sql));
    db.completarEsquemaBase();
    // The placeholder client is the first row: an empty list then still has a current row
    // that means "no client".
    db.ejecutar(QStringLiteral("INSERT INTO Clientes (NumeroCliente, Localidad) VALUES (?, ?)"),
                {QStringLiteral("----"), QStringLiteral("-")});
    for (const char* nombre : {"Administrador", "Invitado"})
        db.ejecutar(QStringLiteral("INSERT INTO PassUsuarios (Nombre, \"Contraseña\") VALUES (?, ?)"),
                    {QString::fromUtf8(nombre), hashContrasena(QString())});
    // The base schema above is version 1; later steps run on top of it.
    for (const Migracion& m : kMigraciones)
        if (m.version > 1)
            aplicar(db, m, m.version - 1, true);
    db.ejecutar(QStringLiteral("PRAGMA user_version = %1").arg(kVersionEsquema));
    t.confirmar();
}

ActualizacionDetenida::ActualizacionDetenida(const QString& ruta, int version)
    : ErrorBD(QStringLiteral("Se detuvo la actualización de la base de datos \"%1\". Quedó completa en la "
                             "versión de esquema %2; la actualización seguirá la próxima vez que se "
                             "inicie el programa.")
                  .arg(QDir::toNativeSeparators(ruta))
                  .arg(version)),
      version_(version) {}

int PasosPendientes(int version) {
    return version >= kVersionEsquema ? 0 : kVersionEsquema - std::max(version, 0);
}

void ActualizarEsquema(Conexion& db) {
    ActualizarEsquema(db, AvanceEsquema());
}

void ActualizarEsquema(Conexion& db, const AvanceEsquema& avance) {
    const qint64 version = leerEntero(db, "PRAGMA user_version");
    if (version > kVersionEsquema)
        throw ErrorBD(
            QStringLiteral("La base de datos \"%1\" fue creada por una versión más reciente del programa "
                           "(versión de esquema %2); esta versión conoce hasta la %3. No se modificó el "
                           "archivo.")
                .arg(QDir::toNativeSeparators(db.ruta()))
                .arg(version)
                .arg(kVersionEsquema));
    const int pasos = PasosPendientes(static_cast<int>(version));
    const auto detenida = [&] { return avance.detener && avance.detener(); };
    int paso = 0;
    int completa = static_cast<int>(version);
    for (const Migracion& m : kMigraciones) {
        if (m.version <= version)
            continue;
        if (detenida())
            throw ActualizacionDetenida(db.ruta(), completa);
        if (avance.alEmpezar)
            avance.alEmpezar({m.version, ++paso, pasos, QString::fromUtf8(m.descripcion)});
        try {
            Transaccion t(db);
            aplicar(db, m, version, false);
            // A stop asked while the step ran undoes it, even when its statements all finished.
            if (detenida())
                throw ActualizacionDetenida(db.ruta(), completa);
            t.confirmar();
        } catch (const ErrorBD& e) {
            // Rolled back: the file is whole at the last completed step.
            if (detenida())
                throw ActualizacionDetenida(db.ruta(), completa);
            if (e.descripcion().endsWith(QStringLiteral("No se modificó el archivo.")))
                throw;
            const QString estado =
                completa == version
                    ? QStringLiteral("No se modificó el archivo.")
                    : QStringLiteral("El archivo quedó completo en la versión de esquema %1.").arg(completa);
            throw ErrorBD(
                QStringLiteral("No se pudo actualizar la base de datos \"%1\" a la versión de esquema %2: "
                               "%3 %4")
                    .arg(QDir::toNativeSeparators(db.ruta()))
                    .arg(m.version)
                    .arg(e.descripcion(), estado),
                e.detalles());
        }
        completa = m.version;
    }
}
