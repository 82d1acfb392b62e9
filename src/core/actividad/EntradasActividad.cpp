#include "core/actividad/EntradasActividad.h"

#include "core/actividad/CadenaActividad.h"
#include "core/actividad/DigestFilas.h"
#include "core/clients/Cliente.h"
#include "core/store/Conexion.h"

#include <QHash>
#include <QJsonArray>

#include <QSet>

#include <map>
#include <optional>

const QString kUsuarioPrograma = QStringLiteral("(programa)");

const QStringList& ColumnasDatosCliente() {
    static const QStringList columnas =
        QStringLiteral(
            "NumeroCliente,Nombre,Direccion,Localidad,CodigoPostal,Partido,Provincia,Telefono,TelefonoMovil,"
            "Email,"
            "FechadeAlta,NombreLocal,Direccionlocal,Localidadlocal,PartidoLocal,ProvinciaLocal,Telefonolocal,"
            "EmailLocal,UltimaInspeccionFecha,UltimaInspeccionHora,AnteriorInspeccionFecha,"
            "AnteriorInspeccionHora,"
            "Notas,ActivacionBandaHoraria,ActivacionBanda1,fechainicio,fechafin,horainicio,MinutosInicio,"
            "HoraFin,"
            "MinutosFin,ActivacionBanda2,fechainicio2,fechafin2,horainicio2,MinutosInicio2,HoraFin2,"
            "MinutosFin2,"
            "ActivacionBanda3,fechainicio3,fechafin3,horainicio3,MinutosInicio3,HoraFin3,MinutosFin3")
            .split(QLatin1Char(','));
    return columnas;
}

namespace {

QJsonObject datosDeFila(const Sentencia& st, int primera) {
    QJsonObject datos;
    const QStringList& columnas = ColumnasDatosCliente();
    for (int i = 0; i < columnas.size(); ++i)
        datos.insert(columnas[i], st.esNulo(primera + i) ? QJsonValue() : QJsonValue(st.texto(primera + i)));
    return datos;
}

struct FilasSinOriginal {
    qint64 filas = 0;
    QString digest;
};

// Count and digest of the rows without an original, per client number, in one ordered pass.
std::map<QString, FilasSinOriginal> filasSinOriginal(Conexion& db) {
    std::map<QString, FilasSinOriginal> r;
    const std::unique_ptr<Sentencia> st = db.preparar(
        QStringLiteral("SELECT %1 FROM Infracciones WHERE IdImportacion IS NULL ORDER BY NumeroCliente, id")
            .arg(QLatin1String(kColumnasDigest)));
    QString actual;
    std::optional<DigestFilas> digest;
    const auto cerrar = [&] {
        if (digest)
            r[actual] = {digest->filas(), digest->resultado()};
    };
    while (st->paso()) {
        const QString numero = st->texto(0);
        if (!digest || numero != actual) {
            cerrar();
            actual = numero;
            digest.emplace();
        }
        digest->agregar(*st);
    }
    cerrar();
    return r;
}

} // namespace

QJsonObject DatosCliente(Conexion& db, qint64 id) {
    const std::unique_ptr<Sentencia> st =
        db.preparar(QStringLiteral("SELECT %1 FROM Clientes WHERE Id = ?")
                        .arg(ColumnasDatosCliente().join(QLatin1Char(','))));
    st->enlazar(1, id);
    return st->paso() ? datosDeFila(*st, 0) : QJsonObject();
}

QJsonObject DatosClientePorNumero(Conexion& db, const QString& numero) {
    const std::unique_ptr<Sentencia> st =
        db.preparar(QStringLiteral("SELECT %1 FROM Clientes WHERE NumeroCliente = ? ORDER BY Id LIMIT 1")
                        .arg(ColumnasDatosCliente().join(QLatin1Char(','))));
    st->enlazar(1, numero);
    return st->paso() ? datosDeFila(*st, 0) : QJsonObject();
}

QJsonObject CambiosDatos(const QJsonObject& antes, const QJsonObject& despues) {
    QJsonObject cambios;
    for (auto it = antes.begin(); it != antes.end(); ++it)
        if (despues.value(it.key()) != it.value())
            cambios.insert(it.key(), QJsonArray{it.value(), despues.value(it.key())});
    for (auto it = despues.begin(); it != despues.end(); ++it)
        if (!antes.contains(it.key()))
            cambios.insert(it.key(), QJsonArray{QJsonValue(), it.value()});
    return cambios;
}

void EscribirLineaBase(Conexion& db) {
    std::map<QString, FilasSinOriginal> sinOriginal = filasSinOriginal(db);
    const auto hallado = QStringLiteral("migracion");
    {
        const std::unique_ptr<Sentencia> st =
            db.preparar(QStringLiteral("SELECT Id, %1 FROM Clientes ORDER BY Id")
                            .arg(ColumnasDatosCliente().join(QLatin1Char(','))));
        // Read whole first: the entries are written on the same register.
        std::vector<std::pair<qint64, QJsonObject>> todos;
        while (st->paso())
            todos.emplace_back(st->entero(0), datosDeFila(*st, 1));
        for (const auto& [id, datos] : todos) {
            const QString numero = datos.value(QStringLiteral("NumeroCliente")).toString();
            if (EsRegistroMarcador(numero, datos.value(QStringLiteral("Localidad")).toString()))
                continue;
            const FilasSinOriginal f = sinOriginal.count(numero) ? sinOriginal[numero] : FilasSinOriginal{};
            AgregarEntrada(db, kUsuarioPrograma, QStringLiteral("base.cliente"), numero,
                           {{QStringLiteral("id"), id},
                            {QStringLiteral("datos"), datos},
                            {QStringLiteral("filas_sin_original"), f.filas},
                            {QStringLiteral("digest"), f.filas > 0 ? f.digest : DigestFilas().resultado()},
                            {QStringLiteral("hallado"), hallado}});
        }
        // Rows of a number no client has: found too, so none is left out of the baseline.
        QSet<QString> numeros;
        for (const auto& par : todos)
            numeros.insert(par.second.value(QStringLiteral("NumeroCliente")).toString());
        for (const auto& [numero, f] : sinOriginal) {
            if (!numeros.contains(numero))
                AgregarEntrada(db, kUsuarioPrograma, QStringLiteral("base.cliente"), numero,
                               {{QStringLiteral("id"), QJsonValue()},
                                {QStringLiteral("datos"), QJsonValue()},
                                {QStringLiteral("filas_sin_original"), f.filas},
                                {QStringLiteral("digest"), f.digest},
                                {QStringLiteral("hallado"), hallado}});
        }
    }
    QHash<qint64, qint64> filasPorImportacion;
    {
        const std::unique_ptr<Sentencia> st = db.preparar(
            QStringLiteral("SELECT IdImportacion, count(*) FROM Infracciones WHERE IdImportacion IS NOT NULL "
                           "GROUP BY IdImportacion"));
        while (st->paso())
            filasPorImportacion.insert(st->entero(0), st->entero(1));
    }
    std::vector<std::pair<qint64, QJsonObject>> importaciones;
    {
        const std::unique_ptr<Sentencia> st = db.preparar(QStringLiteral(
            "SELECT Id, NumeroCliente, NombreArchivo, Tamano, Sha256, FechaInspeccion, HoraInspeccion, "
            "Registros, Guardados, Omitidos, PrimerRegistro, UltimoRegistro, Usuario, Equipo, "
            "MomentoUtc FROM Importaciones ORDER BY Id"));
        while (st->paso()) {
            const qint64 id = st->entero(0);
            importaciones.emplace_back(id,
                                       QJsonObject{{QStringLiteral("cliente"), st->texto(1)},
                                                   {QStringLiteral("archivo"), st->texto(2)},
                                                   {QStringLiteral("tamano"), st->entero(3)},
                                                   {QStringLiteral("sha256"), st->texto(4)},
                                                   {QStringLiteral("fecha_inspeccion"), st->texto(5)},
                                                   {QStringLiteral("hora_inspeccion"), st->texto(6)},
                                                   {QStringLiteral("registros"), st->entero(7)},
                                                   {QStringLiteral("guardados"), st->entero(8)},
                                                   {QStringLiteral("omitidos"), st->entero(9)},
                                                   {QStringLiteral("primer_registro"), st->texto(10)},
                                                   {QStringLiteral("ultimo_registro"), st->texto(11)},
                                                   {QStringLiteral("usuario"), st->texto(12)},
                                                   {QStringLiteral("equipo"), st->texto(13)},
                                                   {QStringLiteral("momento_utc"), st->texto(14)},
                                                   {QStringLiteral("filas"), filasPorImportacion.value(id)},
                                                   {QStringLiteral("hallado"), hallado}});
        }
    }
    for (const auto& [id, detalles] : importaciones)
        AgregarEntrada(db, kUsuarioPrograma, QStringLiteral("base.importacion"), QString::number(id),
                       detalles);
}
