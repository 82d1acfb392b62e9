#include "core/actividad/EstadoRegistrado.h"

#include "core/actividad/DigestFilas.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

qint64 entero(const QJsonObject& o, const char* clave, qint64 siNo) {
    const QJsonValue v = o.value(QLatin1String(clave));
    return v.isDouble() ? v.toInteger() : siNo;
}

QString texto(const QJsonObject& o, const char* clave) {
    return o.value(QLatin1String(clave)).toString();
}

// The client row an entry is about: "id" in its details (the server's deletion names the number only).
std::optional<qint64> idCliente(const QJsonObject& d) {
    const QJsonValue v = d.value(QStringLiteral("id"));
    return v.isDouble() ? std::optional<qint64>(v.toInteger()) : std::nullopt;
}

// The import an entry is about: "importacion" in its details, else its object.
qint64 idImportacion(const EntradaActividad& a, const QJsonObject& d) {
    return entero(d, "importacion", a.objeto.toLongLong());
}

// {"campo": ["antes", "después"]} applied to a client's data.
void aplicarCambios(QJsonObject& datos, const QJsonObject& cambios) {
    for (auto it = cambios.begin(); it != cambios.end(); ++it) {
        const QJsonArray par = it.value().toArray();
        if (par.size() == 2)
            datos.insert(it.key(), par.at(1));
    }
}

class Lector {
public:
    explicit Lector(EstadoRegistrado& e) : e_(e) {}

    void entrada(const EntradaActividad& a) {
        const QString& accion = a.accion;
        // Only these change clients, imports or rows; the rest are not even parsed.
        if (!accion.startsWith(QLatin1String("cliente.")) && !accion.startsWith(QLatin1String("base.")) &&
            !accion.startsWith(QLatin1String("importacion")))
            return;
        const QJsonObject d = QJsonDocument::fromJson(a.detalles.toUtf8()).object();
        if (accion == QLatin1String("base.cliente"))
            baseCliente(a, d);
        else if (accion == QLatin1String("cliente.alta"))
            altaCliente(a, d);
        else if (accion == QLatin1String("cliente.cambio"))
            cambioCliente(a, d);
        else if (accion == QLatin1String("cliente.baja"))
            bajaCliente(a, d);
        else if (accion == QLatin1String("base.importacion") || accion == QLatin1String("importacion"))
            importacion(a, d);
        else if (accion == QLatin1String("importacion.retirada"))
            retirada(a, d, true);
        else if (accion == QLatin1String("importacion.restituida"))
            retirada(a, d, false);
    }

private:
    void baseCliente(const EntradaActividad& a, const QJsonObject& d) {
        if (const auto id = idCliente(d))
            e_.clientes[*id] = {a.objeto, d.value(QStringLiteral("datos")).toObject(), a.secuencia};
        e_.anteriores[a.objeto] = {entero(d, "filas_sin_original", 0), texto(d, "digest"), a.secuencia};
    }

    void altaCliente(const EntradaActividad& a, const QJsonObject& d) {
        if (const auto id = idCliente(d))
            e_.clientes[*id] = {a.objeto, d.value(QStringLiteral("datos")).toObject(), a.secuencia};
    }

    void cambioCliente(const EntradaActividad& a, const QJsonObject& d) {
        const auto id = idCliente(d);
        if (!id)
            return;
        ClienteRegistrado& c = e_.clientes[*id];
        aplicarCambios(c.datos, d.value(QStringLiteral("cambios")).toObject());
        c.numero = c.datos.value(QStringLiteral("NumeroCliente")).toString();
        c.entrada = a.secuencia;
    }

    void bajaCliente(const EntradaActividad& a, const QJsonObject& d) {
        if (const auto id = idCliente(d)) {
            e_.clientes.erase(*id);
        } else {
            for (auto it = e_.clientes.begin(); it != e_.clientes.end();)
                it = it->second.numero == a.objeto ? e_.clientes.erase(it) : std::next(it);
        }
        // Its rows went with it: those without an original, and every import of its number.
        e_.anteriores[a.objeto] = {0, DigestFilas().resultado(), a.secuencia};
        for (auto& [id, i] : e_.importaciones)
            if (i.cliente == a.objeto && !i.retirada) {
                i.retirada = true;
                i.entrada = a.secuencia;
            }
    }

    void importacion(const EntradaActividad& a, const QJsonObject& d) {
        ImportacionAnotada& i = e_.importaciones[idImportacion(a, d)];
        i.cliente = texto(d, "cliente");
        i.sha256 = texto(d, "sha256");
        i.tamano = entero(d, "tamano", -1);
        i.registros = entero(d, "registros", -1);
        i.omitidos = entero(d, "omitidos", -1);
        // Who imported: the baseline copied it, a desk on the server sends its account, the
        // embedded store writes it as the entry's user.
        i.usuario = d.contains(QStringLiteral("usuario"))  ? texto(d, "usuario")
                    : d.contains(QStringLiteral("cuenta")) ? texto(d, "cuenta")
                                                           : a.usuario;
        i.entrada = a.secuencia;
        // The import's own changes to its client (inspection, bands), to every row of that number.
        const QJsonObject cambios = d.value(QStringLiteral("cambios_cliente")).toObject();
        if (!cambios.isEmpty())
            for (auto& [id, c] : e_.clientes)
                if (c.numero == i.cliente) {
                    aplicarCambios(c.datos, cambios);
                    c.entrada = a.secuencia;
                }
    }

    void retirada(const EntradaActividad& a, const QJsonObject& d, bool retirada) {
        ImportacionAnotada& i = e_.importaciones[idImportacion(a, d)];
        i.retirada = retirada;
        i.entrada = a.secuencia;
    }

    EstadoRegistrado& e_;
};

} // namespace

EstadoRegistrado LeerEstadoRegistrado(Conexion& db, const std::function<void()>& cada) {
    EstadoRegistrado e;
    ComprobadorCadena cadena;
    Lector lector(e);
    RecorrerEntradas(db, [&](const EntradaActividad& a) {
        ++e.entradas;
        if (!e.rotura && !cadena.agregar(a))
            e.rotura = cadena.rotura();
        lector.entrada(a);
        e.cabeza = {a.secuencia, a.hash};
        if (cada)
            cada();
        return true;
    });
    return e;
}
