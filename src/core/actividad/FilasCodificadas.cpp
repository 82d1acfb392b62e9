#include "core/actividad/FilasCodificadas.h"

#include "core/store/Conexion.h"
#include "core/store/Utf8En.h"

#include <cstring>

namespace {

const char* const kNombres[kCamposInfraccion] = {
    "NumeroCliente", "FechaInfraccion", "HoraInfraccion", "NiveldB",
    "Microfono",     "Estado",          "TensionLinea",   "PorcentajeCompresion",
    "Inspector",     "Maxdb",           "dbaten",         "excesos",
    "caldb",         "segpenal",        "nivelconsola",   "nivelruido",
    "contadorinf"};

// How far ahead a lost or added row is looked for before two rows are taken as one changed row.
constexpr qsizetype kVentana = 64;

} // namespace

const char* NombreCampoInfraccion(int campo) {
    return campo >= 0 && campo < kCamposInfraccion ? kNombres[campo] : "";
}

void FilasCodificadas::reservar(qsizetype filas, qsizetype bytes) {
    datos_.reserve(bytes);
    fines_.reserve(static_cast<size_t>(filas * kCamposInfraccion));
    ids_.reserve(static_cast<size_t>(filas));
}

void FilasCodificadas::agregar(const QByteArrayView* campos, qint64 id) {
    qsizetype total = 0;
    for (int k = 0; k < kCamposInfraccion; ++k)
        total += campos[k].size();
    // One resize and plain copies per row: appending field by field cost more than the copies.
    qsizetype fin = datos_.size();
    datos_.resize(fin + total);
    char* destino = datos_.data();
    for (int k = 0; k < kCamposInfraccion; ++k) {
        if (!campos[k].isEmpty())
            std::memcpy(destino + fin, campos[k].data(), static_cast<size_t>(campos[k].size()));
        fin += campos[k].size();
        fines_.push_back(fin);
    }
    ids_.push_back(id);
}

void FilasCodificadas::agregarDe(const Sentencia& st, int primera, qint64 id) {
    // The column pointers stay valid until the next step, so the row is gathered first.
    QByteArrayView campos[kCamposInfraccion];
    for (int k = 0; k < kCamposInfraccion; ++k) {
        int largo = 0;
        const char* b = st.bytes(primera + k, largo);
        if (b)
            campos[k] = QByteArrayView(b, largo);
    }
    agregar(campos, id);
}

QByteArrayView FilasCodificadas::campo(qsizetype fila, int k) const {
    const size_t i = static_cast<size_t>(fila * kCamposInfraccion + k);
    const qsizetype desde = i == 0 ? 0 : fines_[i - 1];
    return QByteArrayView(datos_.constData() + desde, fines_[i] - desde);
}

bool FilasCodificadas::igual(qsizetype fila, const FilasCodificadas& otra, qsizetype filaOtra) const {
    const qsizetype a = inicio(fila);
    const qsizetype b = otra.inicio(filaOtra);
    const qsizetype* fa = &fines_[static_cast<size_t>(fila * kCamposInfraccion)];
    const qsizetype* fb = &otra.fines_[static_cast<size_t>(filaOtra * kCamposInfraccion)];
    // Same field lengths (relative to the row's start) and same bytes.
    for (int k = 0; k < kCamposInfraccion; ++k)
        if (fa[k] - a != fb[k] - b)
            return false;
    const qsizetype largo = fa[kCamposInfraccion - 1] - a;
    return std::memcmp(datos_.constData() + a, otra.datos_.constData() + b, static_cast<size_t>(largo)) == 0;
}

CodificadorRegistros::CodificadorRegistros(const CabeceraInspeccion& c, const QString& inspector)
    : fijos_{c.numeroCliente.toUtf8(), inspector.toUtf8(),      c.maxDb.toUtf8(),
             c.dbAtenuador.toUtf8(),   c.excesos.toUtf8(),      c.calibracion.toUtf8(),
             c.segPenalizar.toUtf8(),  c.nivelConsola.toUtf8(), c.nivelRuido.toUtf8()} {}

void CodificadorRegistros::agregar(const RegistroInfraccion& r, FilasCodificadas& filas) {
    // The columns valoresInfraccion() fills: the status in Microfono, the battery in Estado.
    const QString* valores[] = {&r.fecha,   &r.hora, &r.nivelDb,    &r.estatus,
                                &r.bateria, &r.red,  &r.compresion, &r.contador};
    for (int k = 0; k < 8; ++k)
        Utf8En(propios_[k], *valores[k]);
    const QByteArrayView campos[kCamposInfraccion] = {
        fijos_[0],   propios_[0], propios_[1], propios_[2], propios_[3], propios_[4],
        propios_[5], propios_[6], fijos_[1],   fijos_[2],   fijos_[3],   fijos_[4],
        fijos_[5],   fijos_[6],   fijos_[7],   fijos_[8],   propios_[7]};
    filas.agregar(campos);
}

bool DecodificarOriginal(const QByteArray& datos, const QString& inspector, FilasCodificadas& filas,
                         QString* error) {
    CabeceraInspeccion cabecera;
    ErrorArchivo e;
    if (!decodificarCabecera(datos, cabecera, &e)) {
        if (error)
            *error = e.texto();
        return false;
    }
    const qsizetype registros = (datos.size() - kLongitudCabecera) / kLongitudRegistro + 1;
    filas.reservar(registros, registros * 80);
    CodificadorRegistros codificador(cabecera, inspector);
    DecodificadorRegistros dec(datos);
    RegistroInfraccion r;
    while (dec.siguiente(r))
        codificador.agregar(r, filas);
    if (!dec.valido()) {
        if (error)
            *error = dec.error().texto();
        return false;
    }
    return true;
}

Alineacion Alinear(const FilasCodificadas& o, const FilasCodificadas& g) {
    Alineacion a;
    qsizetype i = 0, j = 0;
    const qsizetype n = o.size(), m = g.size();
    while (i < n || j < m) {
        if (i < n && j < m && o.igual(i, g, j)) {
            ++i;
            ++j;
            continue;
        }
        // The nearest resumption: records lost from the store, or rows added to it.
        qsizetype faltan = 0, sobran = 0;
        for (qsizetype k = 1; k <= kVentana && !faltan && !sobran; ++k) {
            if (j < m && i + k < n && o.igual(i + k, g, j))
                faltan = k;
            else if (i < n && j + k < m && o.igual(i, g, j + k))
                sobran = k;
        }
        if (faltan) {
            for (qsizetype k = 0; k < faltan; ++k)
                a.faltan.push_back(i++);
        } else if (sobran) {
            for (qsizetype k = 0; k < sobran; ++k)
                a.sobran.push_back(j++);
        } else if (i < n && j < m) {
            a.cambiadas.emplace_back(i++, j++);
        } else if (i < n) {
            a.faltan.push_back(i++);
        } else {
            a.sobran.push_back(j++);
        }
    }
    return a;
}
