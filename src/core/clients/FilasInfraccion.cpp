#include "core/clients/FilasInfraccion.h"

#include "core/clients/CamposFecha.h"
#include "core/store/Conexion.h"
#include "core/store/Sentencias.h"

#include <QSet>

#include <algorithm>
#include <array>
#include <charconv>

bool ContadorMarcado(QByteArrayView ci) {
    return ci.contains('.');
}

FilasInfraccion::FilasInfraccion() : tabla_(std::make_shared<TablaTextos>(ColInfraccion::Cantidad)) {}

void FilasInfraccion::agregar(const QByteArrayView* celdas, int cantidad) {
    const auto registro = static_cast<quint32>(importaciones_.size());
    const bool marcada = cantidad > ColInfraccion::CI && ContadorMarcado(celdas[ColInfraccion::CI]);
    tabla_->agregarFila(celdas, std::min(cantidad, static_cast<int>(ColInfraccion::Cantidad)),
                        ColInfraccion::CI, '.');
    qint64 importacion = 0;
    if (cantidad > ColInfraccion::Importacion) {
        const QByteArrayView id = celdas[ColInfraccion::Importacion];
        std::from_chars(id.data(), id.data() + id.size(), importacion);
    }
    importaciones_.push_back(importacion);
    filas_.push_back({registro, kSinLeer, false});
    if (marcada)
        filas_.push_back({});
}

FilasInfraccion FilasInfraccion::Leer(Conexion& db, const Consulta& consulta) {
    const auto st = db.preparar(consulta.sql);
    st->enlazarTodos(consulta.parametros);
    const int n = std::min(st->columnas(), static_cast<int>(ColInfraccion::Importacion) + 1);
    FilasInfraccion filas;
    std::array<QByteArrayView, ColInfraccion::Importacion + 1> celdas;
    while (st->paso()) {
        for (int c = 0; c < n; ++c) {
            int largo = 0;
            const char* p = st->bytes(c, largo);
            celdas[static_cast<std::size_t>(c)] = QByteArrayView(p, largo);
        }
        filas.agregar(celdas.data(), n);
    }
    filas.tabla_->ajustar();
    filas.importaciones_.shrink_to_fit();
    filas.filas_.shrink_to_fit();
    return filas;
}

FilasInfraccion FilasInfraccion::LeerPorIds(Conexion& db, const ConsultaPorIds& consulta) {
    FilasInfraccion partes[2];
    // Each part also reads its dates, on its own core.
    if (LeerEnDosPartes(db, consulta, [&](Conexion& c, const Consulta& q, int parte) {
            partes[parte] = Leer(c, q);
            partes[parte].leerDias();
        }) == 2)
        partes[0].agregarFilas(partes[1]);
    return std::move(partes[0]);
}

void FilasInfraccion::agregarFilas(const FilasInfraccion& otra) {
    const auto primera = static_cast<quint32>(tabla_->filas());
    tabla_->agregarFilas(*otra.tabla_, 0, otra.tabla_->filas());
    tabla_->ajustar();
    importaciones_.insert(importaciones_.end(), otra.importaciones_.begin(), otra.importaciones_.end());
    filas_.reserve(filas_.size() + otra.filas_.size());
    for (Fila f : otra.filas_) {
        if (f.registro != kSeparador)
            f.registro += primera;
        filas_.push_back(f);
    }
}

FilasInfraccion FilasInfraccion::DeRegistros(const std::vector<QStringList>& registros) {
    FilasInfraccion filas;
    std::vector<QByteArray> utf8;
    std::vector<QByteArrayView> celdas;
    for (const QStringList& r : registros) {
        utf8.clear();
        celdas.clear();
        for (const QString& t : r)
            utf8.push_back(t.toUtf8());
        for (const QByteArray& b : utf8)
            celdas.emplace_back(b);
        filas.agregar(celdas.data(), static_cast<int>(celdas.size()));
    }
    return filas;
}

qint64 FilasInfraccion::importacion(std::size_t i) const {
    return separador(i) ? 0 : importaciones_[filas_[i].registro];
}

QByteArrayView FilasInfraccion::utf8(std::size_t i, int col) const {
    return separador(i) ? QByteArrayView() : tabla_->utf8(filas_[i].registro, col);
}

QStringList FilasInfraccion::celdas(std::size_t i) const {
    return separador(i) ? QStringList() : tabla_->fila(filas_[i].registro);
}

QStringList FilasInfraccion::distintos(int col) const {
    // Few distinct texts in runs (statuses): a short list, and a run costs one comparison.
    std::vector<QByteArrayView> vistos;
    QSet<QByteArrayView> muchos; // once the list is long
    QByteArrayView anterior;
    bool primero = true;
    for (const Fila& f : filas_) {
        if (f.registro == kSeparador)
            continue;
        const QByteArrayView t = tabla_->utf8(f.registro, col);
        if (!primero && t == anterior)
            continue;
        primero = false;
        anterior = t;
        if (vistos.size() < 32 ? std::find(vistos.begin(), vistos.end(), t) == vistos.end()
                               : !muchos.contains(t)) {
            vistos.push_back(t);
            if (vistos.size() == 32)
                muchos = QSet<QByteArrayView>(vistos.begin(), vistos.end());
            else if (vistos.size() > 32)
                muchos.insert(t);
        }
    }
    QStringList textos;
    for (const QByteArrayView t : vistos)
        textos << QString::fromUtf8(t);
    return textos;
}

bool FilasInfraccion::hayRegistros() const {
    return std::any_of(filas_.begin(), filas_.end(), [](const Fila& f) { return f.registro != kSeparador; });
}

void FilasInfraccion::leerDias() {
    // Rows come in runs of one day: a text equal to the previous one is not read again.
    QByteArrayView anterior;
    qint32 diaAnterior = kSinLeer;
    for (Fila& f : filas_) {
        if (f.registro == kSeparador || f.dia != kSinLeer)
            continue;
        const QByteArrayView texto = tabla_->utf8(f.registro, ColInfraccion::Fecha);
        if (diaAnterior != kSinLeer && texto == anterior) {
            f.dia = diaAnterior;
        } else if (texto.isEmpty()) {
            f.dia = kSinFecha;
        } else {
            const std::optional<QDate> fecha = LeerFechaDMA(texto);
            f.dia = fecha ? static_cast<qint32>(fecha->toJulianDay()) : kIlegible;
        }
        anterior = texto;
        diaAnterior = f.dia;
    }
}

int FilasInfraccion::filtrarPorFechas(const QDate& inicio, const QDate& fin) {
    leerDias();
    int ilegibles = 0;
    const qint64 desde = inicio.toJulianDay();
    const qint64 hasta = fin.toJulianDay();
    for (Fila& f : filas_) {
        if (f.registro == kSeparador)
            continue;
        if (f.dia == kSinFecha)
            continue;
        if (f.dia == kIlegible) {
            ++ilegibles;
            f.oculta = false;
            continue;
        }
        f.oculta = !(desde <= f.dia && f.dia <= hasta);
    }
    return ilegibles;
}

void FilasInfraccion::conservarCliente(const QString& numero) {
    const QByteArray n = numero.toUtf8();
    std::vector<Fila> quedan;
    quedan.reserve(filas_.size());
    bool ajena = false;
    for (const Fila& f : filas_) {
        if (f.registro != kSeparador)
            ajena = tabla_->utf8(f.registro, ColInfraccion::Equipo) != QByteArrayView(n);
        if (!ajena)
            quedan.push_back(f);
    }
    filas_ = std::move(quedan);
}

ProcedenciaFilas ProcedenciaDe(const FilasInfraccion& filas) {
    ProcedenciaFilas p;
    for (std::size_t i = 0; i < filas.size(); ++i) {
        if (filas.oculta(i) || filas.separador(i))
            continue;
        const qint64 importacion = filas.importacion(i);
        if (importacion == 0)
            ++p.anteriores;
        else if (p.importaciones.empty() || p.importaciones.back() != importacion)
            p.importaciones.push_back(importacion);
    }
    std::sort(p.importaciones.begin(), p.importaciones.end());
    p.importaciones.erase(std::unique(p.importaciones.begin(), p.importaciones.end()), p.importaciones.end());
    return p;
}
