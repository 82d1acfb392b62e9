#include "core/actividad/ComparacionRegistrada.h"

#include "core/actividad/DigestFilas.h"
#include "core/actividad/EntradasActividad.h"
#include "core/clients/Cliente.h"
#include "core/store/Conexion.h"

#include <QJsonValue>

#include <set>

namespace {

QString textoValor(const QJsonValue& v) {
    return v.isNull() || v.isUndefined() ? QString() : v.toVariant().toString();
}

constexpr qint64 kFilasEntreAvisos = 4096;

} // namespace

std::vector<Diferencia> CompararClientes(Conexion& db, const EstadoRegistrado& estado, qint64& comparados) {
    std::vector<Diferencia> r;
    const QStringList& columnas = ColumnasDatosCliente();
    const int localidad = 1 + static_cast<int>(columnas.indexOf(QStringLiteral("Localidad")));
    const auto st = db.preparar(
        QStringLiteral("SELECT Id, %1 FROM Clientes ORDER BY Id").arg(columnas.join(QLatin1Char(','))));
    std::set<qint64> vistos;
    while (st->paso()) {
        const qint64 id = st->entero(0);
        const QString numero = st->texto(1);
        if (EsRegistroMarcador(numero, st->texto(localidad)))
            continue;
        ++comparados;
        vistos.insert(id);
        const auto it = estado.clientes.find(id);
        if (it == estado.clientes.end()) {
            Diferencia d;
            d.clase = ClaseDiferencia::ClienteSobrante;
            d.cliente = numero;
            d.detalle =
                QStringLiteral("cliente guardado (fila %1) sin alta en el registro de actividad").arg(id);
            r.push_back(d);
            continue;
        }
        const ClienteRegistrado& c = it->second;
        for (int k = 0; k < columnas.size(); ++k) {
            const QJsonValue guardado = st->esNulo(1 + k) ? QJsonValue() : QJsonValue(st->texto(1 + k));
            const QJsonValue anotado = c.datos.value(columnas[k]);
            // A column the log never mentioned was empty when the client was logged.
            if (guardado == anotado || (guardado.isNull() && anotado.isUndefined()))
                continue;
            Diferencia d;
            d.clase = ClaseDiferencia::ClienteCambiado;
            d.cliente = numero;
            d.campo = columnas[k];
            d.guardado = textoValor(guardado);
            d.original = textoValor(anotado);
            d.entrada = c.entrada;
            d.detalle = QStringLiteral("los datos del cliente no son los de sus cambios registrados");
            r.push_back(d);
        }
    }
    for (const auto& [id, c] : estado.clientes) {
        if (vistos.count(id))
            continue;
        Diferencia d;
        d.clase = ClaseDiferencia::ClienteFalta;
        d.cliente = c.numero;
        d.entrada = c.entrada;
        d.detalle = QStringLiteral("el cliente registrado ya no está guardado y no consta su baja");
        r.push_back(d);
    }
    return r;
}

std::vector<Diferencia> CompararAnteriores(Conexion& db, const EstadoRegistrado& estado,
                                           const std::map<QString, qint64>& contadas,
                                           const std::function<void(qint64)>& avance) {
    std::vector<Diferencia> r;
    const QString sinFilas = DigestFilas().resultado();
    const auto diferencia = [&](const QString& numero, const AnterioresRegistradas& anotadas,
                                const QString& campo, const QString& guardado, const QString& original) {
        Diferencia d;
        d.clase = ClaseDiferencia::FilasAnteriores;
        d.cliente = numero;
        d.entrada = anotadas.entrada;
        d.campo = campo;
        d.guardado = guardado;
        d.original = original;
        d.detalle = QStringLiteral("las filas anteriores al registro de importaciones (sin archivo original) "
                                   "no son las de su línea base");
        r.push_back(d);
    };
    const auto st = db.preparar(QStringLiteral("SELECT %1 FROM Infracciones WHERE NumeroCliente = ? AND "
                                               "IdImportacion IS NULL ORDER BY id")
                                    .arg(QLatin1String(kColumnasDigest)));
    // Every number either side knows of: a baseline whose rows are all gone is found too.
    std::map<QString, qint64> numeros = contadas;
    for (const auto& [numero, anotadas] : estado.anteriores)
        numeros.try_emplace(numero, 0);
    for (const auto& [numero, filas] : numeros) {
        const auto it = estado.anteriores.find(numero);
        const AnterioresRegistradas anotadas =
            it != estado.anteriores.end() ? it->second : AnterioresRegistradas{0, sinFilas, 0};
        if (filas != anotadas.filas) {
            diferencia(numero, anotadas, QStringLiteral("filas"), QString::number(filas),
                       QString::number(anotadas.filas));
            continue;
        }
        if (filas == 0)
            continue;
        DigestFilas digest;
        st->reiniciar();
        st->enlazar(1, numero);
        while (st->paso()) {
            digest.agregar(*st);
            if (digest.filas() % kFilasEntreAvisos == 0)
                avance(kFilasEntreAvisos);
        }
        avance(digest.filas() % kFilasEntreAvisos);
        const QString resultado = digest.resultado();
        if (resultado != anotadas.digest)
            diferencia(numero, anotadas, QStringLiteral("digest"), resultado, anotadas.digest);
    }
    return r;
}
