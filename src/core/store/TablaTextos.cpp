#include "core/store/TablaTextos.h"

#include "core/store/Conexion.h"
#include "core/store/Sentencias.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

void TablaTextos::agregarFila(const QByteArrayView* celdas, int cantidad, int columnaSin, char quitar) {
    const int n = std::min(cantidad, columnas_);
    std::size_t bytes = 0;
    for (int c = 0; c < n; ++c)
        bytes += static_cast<std::size_t>(celdas[c].size());
    if (texto_.size() + bytes >= kNulo)
        throw ErrorBD(QStringLiteral("Los datos leídos superan el tamaño que el programa puede mostrar."));
    char* destino = texto_.espacio(bytes);
    char* const inicio = destino;
    quint32* fines = fines_.espacio(static_cast<std::size_t>(columnas_));
    const auto base = static_cast<quint32>(texto_.size());
    for (int c = 0; c < columnas_; ++c) {
        const QByteArrayView v = c < n ? celdas[c] : QByteArrayView();
        if (c == columnaSin)
            destino = std::copy_if(v.begin(), v.end(), destino, [quitar](char x) { return x != quitar; });
        else if (!v.isEmpty())
            destino = std::copy(v.begin(), v.end(), destino);
        fines[c] = (base + static_cast<quint32>(destino - inicio)) | (v.isNull() ? kNulo : 0u);
    }
    texto_.crecer(static_cast<std::size_t>(destino - inicio));
    fines_.crecer(static_cast<std::size_t>(columnas_));
}

void TablaTextos::agregarFilas(const TablaTextos& origen, std::size_t desde, std::size_t hasta) {
    hasta = std::min(hasta, origen.filas());
    if (desde >= hasta || origen.columnas_ != columnas_)
        return;
    const std::size_t columnas = static_cast<std::size_t>(columnas_);
    const std::size_t primera = desde * columnas;
    const std::size_t cantidad = (hasta - desde) * columnas;
    const quint32 inicio = primera == 0 ? 0 : origen.fines_[primera - 1] & ~kNulo;
    const quint32 fin = origen.fines_[primera + cantidad - 1] & ~kNulo;
    const std::size_t bytes = fin - inicio;
    if (texto_.size() + bytes >= kNulo)
        throw ErrorBD(QStringLiteral("Los datos leídos superan el tamaño que el programa puede mostrar."));
    std::copy_n(origen.texto_.data() + inicio, bytes, texto_.espacio(bytes));
    // End offsets move by the same amount; the NULL mark stays on its cell.
    const quint32 desplazamiento = static_cast<quint32>(texto_.size()) - inicio;
    const quint32* de = origen.fines_.data() + primera;
    quint32* a = fines_.espacio(cantidad);
    for (std::size_t i = 0; i < cantidad; ++i)
        a[i] = ((de[i] & ~kNulo) + desplazamiento) | (de[i] & kNulo);
    texto_.crecer(bytes);
    fines_.crecer(cantidad);
}

void TablaTextos::reservar(std::size_t filas, std::size_t bytes) {
    texto_.reserve(texto_.size() + bytes);
    fines_.reserve(fines_.size() + filas * static_cast<std::size_t>(columnas_));
}

QByteArrayView TablaTextos::utf8(std::size_t fila, int col) const {
    if (col < 0 || col >= columnas_)
        return {};
    const std::size_t i = fila * static_cast<std::size_t>(columnas_) + static_cast<std::size_t>(col);
    if (i >= fines_.size())
        return {};
    const quint32 inicio = i == 0 ? 0 : fines_[i - 1] & ~kNulo;
    const quint32 fin = fines_[i] & ~kNulo;
    return QByteArrayView(texto_.data() + inicio, static_cast<qsizetype>(fin - inicio));
}

QString TablaTextos::texto(std::size_t fila, int col) const {
    const QByteArrayView v = utf8(fila, col);
    if (v.isEmpty())
        return nulo(fila, col) || col < 0 || col >= columnas_ || fila >= filas() ? QString()
                                                                                 : QString(QLatin1String(""));
    return QString::fromUtf8(v);
}

bool TablaTextos::nulo(std::size_t fila, int col) const {
    const std::size_t i = fila * static_cast<std::size_t>(columnas_) + static_cast<std::size_t>(col);
    return col >= 0 && col < columnas_ && i < fines_.size() && (fines_[i] & kNulo) != 0;
}

QStringList TablaTextos::fila(std::size_t fila) const {
    QStringList celdas;
    celdas.reserve(columnas_);
    for (int c = 0; c < columnas_; ++c)
        celdas << texto(fila, c);
    return celdas;
}

TablaTextos LeerTabla(Conexion& db, const Consulta& consulta) {
    const auto st = db.preparar(consulta.sql);
    st->enlazarTodos(consulta.parametros);
    TablaTextos tabla(st->columnas());
    std::vector<QByteArrayView> celdas(static_cast<std::size_t>(tabla.columnas()));
    while (st->paso()) {
        for (int c = 0; c < tabla.columnas(); ++c) {
            int largo = 0;
            const char* p = st->bytes(c, largo);
            celdas[static_cast<std::size_t>(c)] = QByteArrayView(p, largo);
        }
        tabla.agregarFila(celdas.data(), tabla.columnas());
    }
    tabla.ajustar();
    return tabla;
}

namespace {
// Below this span of ids a second connection costs more than it saves.
constexpr qint64 kIdsParaPartir = 40000;
} // namespace

int LeerEnDosPartes(Conexion& db, const ConsultaPorIds& consulta,
                    const std::function<void(Conexion&, const Consulta&, int parte)>& leer) {
    std::optional<qint64> corte;
    {
        const auto st = db.preparar(consulta.extremos.sql);
        st->enlazarTodos(consulta.extremos.parametros);
        if (st->paso() && !st->esNulo(0) && !st->esNulo(1)) {
            const qint64 menor = st->entero(0);
            const qint64 mayor = st->entero(1);
            if (mayor - menor >= kIdsParaPartir)
                // The second part also derives its connection's key: it takes a little less.
                corte = menor + (mayor - menor) / 20 * 11;
        }
    }
    if (corte) {
        const Consulta partes[2] = {consulta.entre(std::numeric_limits<qint64>::min(), *corte),
                                    consulta.entre(*corte, std::numeric_limits<qint64>::max())};
        if (db.leerEnDosPartes([&](Conexion& c, int parte) { leer(c, partes[parte], parte); }))
            return 2;
    }
    leer(db, consulta.entera, 0);
    return 1;
}

TablaTextos LeerTablaPorIds(Conexion& db, const ConsultaPorIds& consulta) {
    TablaTextos partes[2];
    if (LeerEnDosPartes(db, consulta, [&](Conexion& c, const Consulta& q, int parte) {
            partes[parte] = LeerTabla(c, q);
        }) == 2) {
        partes[0].agregarFilas(partes[1], 0, partes[1].filas());
        partes[0].ajustar();
    }
    return std::move(partes[0]);
}
