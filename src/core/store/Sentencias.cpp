#include "core/store/Sentencias.h"

#include "core/clients/BandasCliente.h"
#include "core/clients/Cliente.h"

namespace {

QString fecha(const char* col) {
    const QString c = QString::fromLatin1(col);
    return QStringLiteral("mid(%1,7,2) || '/' || mid(%1,5,2) || '/' || mid(%1,1,4) AS %1").arg(c);
}

QString hora(const char* col) {
    const QString c = QString::fromLatin1(col);
    return QStringLiteral("mid(%1,1,2) || ':' || mid(%1,3,2) || ':' || mid(%1,5,2) AS %1").arg(c);
}

QVariantList comoVariantes(const QStringList& valores) {
    QVariantList v;
    v.reserve(valores.size());
    for (const QString& s : valores)
        v << (s.isNull() ? QString(QLatin1String("")) : s);
    return v;
}

const QString& sqlListaClientes() {
    static const QString sql =
        QStringLiteral("SELECT id,numerocliente,nombre,direccion,localidad,codigopostal,partido,provincia,"
                       "telefono,telefonomovil,email,") +
        fecha("fechadealta") +
        QStringLiteral(",nombrelocal,direccionlocal,localidadlocal,partidolocal,provincialocal,telefonolocal,"
                       "emaillocal,") +
        fecha("ultimainspeccionfecha") + QLatin1Char(',') + hora("ultimainspeccionhora") + QLatin1Char(',') +
        fecha("anteriorinspeccionfecha") + QLatin1Char(',') + hora("anteriorinspeccionhora") +
        QStringLiteral(",notas FROM clientes");
    return sql;
}

const char* const kColumnasCliente =
    "NumeroCliente,Nombre,Direccion,Localidad,CodigoPostal,Partido,Provincia,Telefono,TelefonoMovil,Email,"
    "FechadeAlta,NombreLocal,Direccionlocal,Localidadlocal,partidolocal,provincialocal,telefonolocal,"
    "emaillocal,"
    "ultimainspeccionfecha,ultimainspeccionhora,anteriorinspeccionfecha,anteriorinspeccionhora,notas";

// In the order of kColumnasCliente.
QVariantList valoresCliente(const Cliente& c) {
    return comoVariantes({c.numero,
                          c.nombre,
                          c.direccion,
                          c.localidad,
                          c.codigoPostal,
                          c.partido,
                          c.provincia,
                          c.telefono,
                          c.telefonoMovil,
                          c.email,
                          c.fechaAlta,
                          c.nombreLocal,
                          c.direccionLocal,
                          c.localidadLocal,
                          c.partidoLocal,
                          c.provinciaLocal,
                          c.telefonoLocal,
                          c.emailLocal,
                          c.ultimaInspeccionFecha,
                          c.ultimaInspeccionHora,
                          c.anteriorInspeccionFecha,
                          c.anteriorInspeccionHora,
                          c.notas});
}

} // namespace

namespace Sentencias {

const QStringList& columnasBusqueda() {
    static const QStringList nombres = {
        QStringLiteral("Nombre"),    QStringLiteral("Local"),     QStringLiteral("Numero de Cliente"),
        QStringLiteral("Direccion"), QStringLiteral("Localidad"), QStringLiteral("Codigo Postal"),
        QStringLiteral("Partido"),   QStringLiteral("Provincia")};
    return nombres;
}

// In the order the clients were registered: the server keeps no row order of its own.
Consulta listaClientes() {
    return {sqlListaClientes() + QStringLiteral(" ORDER BY id"), {}};
}

ConsultaPorIds listaClientesPorIds() {
    // Each bound apart: SQLite finds min() and max() alone by the key, together by a scan.
    return {listaClientes(),
            {QStringLiteral("SELECT (SELECT min(id) FROM clientes),(SELECT max(id) FROM clientes)"), {}},
            [](qint64 desde, qint64 hasta) {
                return Consulta{sqlListaClientes() + QStringLiteral(" WHERE id > ? AND id <= ? ORDER BY id"),
                                {desde, hasta}};
            }};
}

Consulta clientesListados(const std::vector<qint64>& ids) {
    Consulta c{sqlListaClientes() + QStringLiteral(" WHERE id IN ("), {}};
    for (std::size_t i = 0; i < ids.size(); ++i) {
        c.sql += i == 0 ? QStringLiteral("?") : QStringLiteral(",?");
        c.parametros << ids[i];
    }
    c.sql += QStringLiteral(") ORDER BY id");
    return c;
}

Consulta clientesConNumero(const QString& numeroCliente) {
    return {sqlListaClientes() + QStringLiteral(" WHERE NumeroCliente = ? ORDER BY id"), {numeroCliente}};
}

std::optional<Consulta> busquedaClientes(const QString& columnaCombo, const QString& texto) {
    static const char* const columnas[] = {"Nombre",    "NombreLocal",  "Numerocliente", "Direccion",
                                           "Localidad", "CodigoPostal", "Partido",       "Provincia"};
    const int i = static_cast<int>(columnasBusqueda().indexOf(columnaCombo));
    if (i < 0)
        return std::nullopt;
    return Consulta{sqlListaClientes() +
                        QStringLiteral(" WHERE contiene(%1, ?) ORDER BY id").arg(QLatin1String(columnas[i])),
                    {texto}};
}

int columnaListaBusqueda(const QString& columnaCombo) {
    // Nombre, NombreLocal, NumeroCliente, Direccion, Localidad, CodigoPostal, Partido, Provincia.
    static const int columnas[] = {2, 12, 1, 3, 4, 5, 6, 7};
    const int i = static_cast<int>(columnasBusqueda().indexOf(columnaCombo));
    return i < 0 ? -1 : columnas[i];
}

// The view's 18 columns and the import log id, as both infraction queries read them.
static QString selectInfracciones() {
    return QStringLiteral("SELECT id,NumeroCliente,") + fecha("FechaInfraccion") + QLatin1Char(',') +
           hora("HoraInfraccion") +
           QStringLiteral(",NiveldB,Microfono,Estado,TensionLinea,PorcentajeCompresion,"
                          "Inspector,Maxdb,dbaten,excesos,caldb,segpenal,nivelconsola,"
                          "nivelruido,contadorinf,IdImportacion FROM Infracciones ");
}

Consulta infraccionesCliente(const QString& numeroCliente) {
    static const QString sql = selectInfracciones() + QStringLiteral("WHERE NumeroCliente = ? ORDER BY id");
    return {sql, {numeroCliente}};
}

ConsultaPorIds infraccionesClientePorIds(const QString& numeroCliente) {
    static const QString entre =
        selectInfracciones() + QStringLiteral("WHERE NumeroCliente = ? AND id > ? AND id <= ? ORDER BY id");
    return {infraccionesCliente(numeroCliente),
            {QStringLiteral("SELECT (SELECT min(id) FROM Infracciones WHERE NumeroCliente = ?),"
                            "(SELECT max(id) FROM Infracciones WHERE NumeroCliente = ?)"),
             {numeroCliente, numeroCliente}},
            [numeroCliente](qint64 desde, qint64 hasta) {
                return Consulta{entre, {numeroCliente, desde, hasta}};
            }};
}

Consulta infraccionesImportacion(qint64 idImportacion) {
    static const QString sql = selectInfracciones() + QStringLiteral("WHERE IdImportacion = ? ORDER BY id");
    return {sql, {idImportacion}};
}

Consulta bandasCliente(const QString& numeroCliente) {
    return {QStringLiteral(
                "SELECT activacionbandahoraria,activacionbanda1,fechainicio,fechafin,horainicio,"
                "minutosinicio,horafin,minutosfin,activacionbanda2,fechainicio2,fechafin2,horainicio2,"
                "minutosinicio2,horafin2,minutosfin2,activacionbanda3,fechainicio3,fechafin3,"
                "horainicio3,minutosinicio3,horafin3,minutosfin3 FROM Clientes WHERE NumeroCliente = ? "
                "ORDER BY Id"),
            {numeroCliente}};
}

Consulta borrarInfraccionesCliente(const QString& numeroCliente) {
    return {QStringLiteral("DELETE FROM Infracciones WHERE NumeroCliente = ?"), {numeroCliente}};
}

Consulta borrarCliente(qint64 id) {
    return {QStringLiteral("DELETE FROM Clientes WHERE Id = ?"), {id}};
}

Consulta actualizarCliente(const Cliente& cliente, qint64 id) {
    const QStringList columnas = QString::fromLatin1(kColumnasCliente).split(QLatin1Char(','));
    QStringList asignaciones;
    for (const QString& c : columnas)
        asignaciones << c + QStringLiteral(" = ?");
    QVariantList params = valoresCliente(cliente);
    params << id;
    return {QStringLiteral("UPDATE Clientes SET ") + asignaciones.join(QLatin1Char(',')) +
                QStringLiteral(", Version = Version + 1 WHERE Id = ?"),
            params};
}

Consulta actualizarClienteSiVersion(const Cliente& cliente, qint64 id, qint64 version) {
    Consulta c = actualizarCliente(cliente, id);
    c.sql += QStringLiteral(" AND Version = ?");
    c.parametros << version;
    return c;
}

Consulta versionCliente(qint64 id) {
    return {QStringLiteral("SELECT Version FROM Clientes WHERE Id = ?"), {id}};
}

Consulta insertarCliente(const Cliente& cliente) {
    QStringList marcas;
    for (int i = 0; i < 23; ++i)
        marcas << QStringLiteral("?");
    return {QStringLiteral("INSERT INTO Clientes (%1) VALUES (%2)")
                .arg(QLatin1String(kColumnasCliente), marcas.join(QLatin1Char(','))),
            valoresCliente(cliente)};
}

Consulta actualizarClienteImportacion(const QString& numeroCliente, const QString& fecha, const QString& hora,
                                      const BandasCliente& bandas) {
    // SQLite evaluates every right-hand side on the old row, so the former last inspection
    // moves to the previous one in the same statement.
    static const QString sql = QStringLiteral(
        "UPDATE Clientes SET Version = Version + 1, AnteriorInspeccionFecha = UltimaInspeccionFecha, "
        "AnteriorInspeccionHora = UltimaInspeccionHora, UltimaInspeccionFecha = ?, UltimaInspeccionHora = ?, "
        "ActivacionBandaHoraria = ?, "
        "ActivacionBanda1 = ?, fechainicio = ?, fechafin = ?, horainicio = ?, MinutosInicio = ?, HoraFin = "
        "?, "
        "MinutosFin = ?, "
        "ActivacionBanda2 = ?, fechainicio2 = ?, fechafin2 = ?, horainicio2 = ?, MinutosInicio2 = ?, "
        "HoraFin2 = ?, MinutosFin2 = ?, "
        "ActivacionBanda3 = ?, fechainicio3 = ?, fechafin3 = ?, horainicio3 = ?, MinutosInicio3 = ?, "
        "HoraFin3 = ?, MinutosFin3 = ? WHERE NumeroCliente = ?");
    QStringList valores{bandas.activacion};
    for (const BandaHoraria& b : bandas.bandas)
        valores << b.activacion << b.diaInicio << b.diaFin << b.horaInicio << b.minutosInicio << b.horaFin
                << b.minutosFin;
    QVariantList params{fecha, hora};
    params << comoVariantes(valores);
    params << numeroCliente;
    return {sql, params};
}

Consulta existeCliente(const QString& numeroCliente) {
    return {QStringLiteral("SELECT 1 FROM Clientes WHERE NumeroCliente = ? LIMIT 1"), {numeroCliente}};
}

Consulta insertarInfraccion(const FilaInfraccion& f) {
    return {
        QStringLiteral("INSERT INTO Infracciones (NumeroCliente,FechaInfraccion,HoraInfraccion,NiveldB,"
                       "Microfono,Estado,TensionLinea,PorcentajeCompresion,Inspector,Maxdb,dbaten,excesos,"
                       "caldb,segpenal,nivelconsola,nivelruido,contadorinf) "
                       "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
        comoVariantes({f.numeroCliente, f.fecha, f.hora, f.nivelDb, f.microfono, f.estado, f.tensionLinea,
                       f.porcentajeCompresion, f.inspector, f.maxDb, f.dbAten, f.excesos, f.calDb, f.segPenal,
                       f.nivelConsola, f.nivelRuido, f.contadorInf})};
}

QString insertarInfraccionImportada() {
    return QStringLiteral("INSERT INTO Infracciones (NumeroCliente,FechaInfraccion,HoraInfraccion,NiveldB,"
                          "Microfono,Estado,TensionLinea,PorcentajeCompresion,Inspector,Maxdb,dbaten,excesos,"
                          "caldb,segpenal,nivelconsola,nivelruido,contadorinf,IdImportacion) "
                          "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
}

Consulta listaUsuarios() {
    return {QStringLiteral("SELECT * FROM PassUsuarios ORDER BY Id"), {}};
}

Consulta actualizarUsuario(const QString& nombre, const QString& hashContrasena, qint64 id) {
    return {QStringLiteral("UPDATE PassUsuarios SET Nombre = ?, \"Contraseña\" = ? WHERE Id = ?"),
            {nombre, hashContrasena, id}};
}

Consulta borrarUsuario(const QString& nombre) {
    return {QStringLiteral("DELETE FROM PassUsuarios WHERE Nombre = ?"), {nombre}};
}

Consulta insertarUsuario(const QString& nombre, const QString& hashContrasena) {
    return {QStringLiteral("INSERT INTO PassUsuarios (Nombre, \"Contraseña\") VALUES (?, ?)"),
            {nombre, hashContrasena}};
}

} // namespace Sentencias
