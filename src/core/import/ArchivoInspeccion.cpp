#include "core/import/ArchivoInspeccion.h"

#include <QCryptographicHash>
#include <QFile>

namespace {

// 0x80-0x9F of Windows-1252; the five unassigned bytes keep their C1 value,
// as the Windows conversion does.
constexpr char16_t kTablaC1[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

const char* const kDias[7] = {"Lunes", "Martes", "Miercoles", "Jueves", "Viernes", "Sabado", "Domingo"};

struct Estatus {
    const char* texto;
    const char* contador; // nullptr: running counter of the code
};

const Estatus kEstatus[10] = {
    {"MIC. DESC.", "BLOQ."},
    {"D. JOCKEY", nullptr},
    {"L. SHOW", nullptr},
    {"BAT. DESC.", "BLOQ."},
    {"EXCESO INF.", "BLOQ."},
    {"REINICIO EQ.", "BLOQ."},
    {"APERT. GAB.", "BLOQ."},
    {"", ""},
    {"", ""},
    {"", ""},
};

} // namespace

const QStringList& TextosEstatus() {
    static const QStringList textos = [] {
        QStringList t;
        for (const Estatus& e : kEstatus)
            if (*e.texto)
                t << QString::fromLatin1(e.texto);
        return t;
    }();
    return textos;
}

namespace {

// Reads only inside [datos, datos + longitud); callers check the length
// before building a Lector over a span.
class Lector {
public:
    Lector(const QByteArray& datos) : d_(datos.constData()), n_(datos.size()) {}

    qsizetype longitud() const { return n_; }
    unsigned char byte(qsizetype i) const {
        Q_ASSERT(i >= 0 && i < n_);
        return static_cast<unsigned char>(d_[i]);
    }
    bool esDigito(qsizetype i) const { return byte(i) >= '0' && byte(i) <= '9'; }
    int digito(qsizetype i) const { return byte(i) - '0'; }

    QString texto(qsizetype inicio, qsizetype ancho) const {
        QString t(ancho, Qt::Uninitialized);
        QChar* p = t.data();
        for (qsizetype k = 0; k < ancho; ++k)
            p[k] = caracterWindows1252(byte(inicio + k));
        return t;
    }

private:
    const char* d_;
    qsizetype n_;
};

QString siNo(const Lector& l, qsizetype i) {
    return l.digito(i) == 1 ? QStringLiteral("Si") : QStringLiteral("No");
}

QString dia(const Lector& l, qsizetype i) {
    const unsigned char c = l.byte(i);
    if (c >= '0' && c <= '6')
        return QString::fromLatin1(kDias[c - '0']);
    return QString(caracterWindows1252(c));
}

BandaHoraria banda(const Lector& l, qsizetype b) {
    BandaHoraria r;
    r.activacion = siNo(l, b);
    r.diaInicio = dia(l, b + 1);
    r.horaInicio = l.texto(b + 2, 3);
    r.minutosInicio = l.texto(b + 5, 3);
    r.diaFin = dia(l, b + 8);
    r.horaFin = l.texto(b + 9, 3);
    r.minutosFin = l.texto(b + 12, 3);
    return r;
}

// Two digit bytes as a number, or -1.
int dosDigitos(const Lector& l, qsizetype i) {
    return l.esDigito(i) && l.esDigito(i + 1) ? l.digito(i) * 10 + l.digito(i + 1) : -1;
}

ErrorArchivo errorFechaHora(const VistaPreviaInspeccion& v) {
    ErrorArchivo e;
    if (!v.fechaLeida.isValid()) {
        e.fallo = FalloArchivo::FechaImposible;
        e.posicion = 4;
        e.valor = v.fecha;
    } else if (!v.horaLeida.isValid()) {
        e.fallo = FalloArchivo::HoraImposible;
        e.posicion = 10;
        e.valor = v.hora;
    }
    return e;
}

// Header, date and time, then the records, each record handed to `alRegistro`. The records are
// decoded even after an impossible date, so a display shows them; the date's fault comes first.
template <typename F> ErrorArchivo juzgar(const QByteArray& datos, qsizetype& leidos, F&& alRegistro) {
    leidos = 0;
    CabeceraInspeccion cabecera;
    ErrorArchivo error;
    if (!decodificarCabecera(datos, cabecera, &error))
        return error;
    const ErrorArchivo fechaHora = errorFechaHora(*decodificarVistaPrevia(datos));
    DecodificadorRegistros dec(datos);
    RegistroInfraccion registro;
    while (dec.siguiente(registro))
        alRegistro(registro);
    leidos = dec.registrosLeidos();
    return fechaHora.hayError() ? fechaHora : dec.error();
}

void ponerError(ErrorArchivo* error, FalloArchivo fallo, qsizetype posicion) {
    if (error) {
        error->fallo = fallo;
        error->posicion = posicion;
        error->registro = -1;
    }
}

} // namespace

QChar caracterWindows1252(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(kTablaC1[byte - 0x80]);
    return QChar(char16_t(byte));
}

// A damaged field may hold control characters; the message is shown and printed.
static QString valorImprimible(QString t) {
    for (QChar& c : t)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
            c = u'?';
    return t;
}

QString ErrorArchivo::texto() const {
    const QString enRegistro = registro >= 0 ? QStringLiteral(" del registro %1").arg(registro + 1)
                                             : QStringLiteral(" de la cabecera");
    switch (fallo) {
    case FalloArchivo::Ninguno:
        return {};
    case FalloArchivo::CabeceraIncompleta:
        return QStringLiteral("cabecera incompleta: el archivo tiene %1 bytes y se necesitan al menos %2")
            .arg(posicion)
            .arg(kLongitudMinimaCabecera);
    case FalloArchivo::SinTerminador:
        return QStringLiteral("falta el terminador \";\" de la cabecera en el byte 83");
    case FalloArchivo::NoEsDigito:
        return QStringLiteral("carácter no numérico en el byte %1%2").arg(posicion).arg(enRegistro);
    case FalloArchivo::RegistroIncompleto:
        return QStringLiteral(
                   "el registro %1 (byte %2) está incompleto: el archivo termina antes de su byte 23")
            .arg(registro + 1)
            .arg(posicion);
    case FalloArchivo::ContadorDesbordado:
        return QStringLiteral("más de %1 registros con el mismo estatus contado (registro %2, byte %3)")
            .arg(kMaximoContador)
            .arg(registro + 1)
            .arg(posicion);
    case FalloArchivo::FechaImposible:
        return QStringLiteral("la fecha de la inspección \"%1\" (bytes 4 a 9) no es una fecha posible")
            .arg(valorImprimible(valor));
    case FalloArchivo::HoraImposible:
        return QStringLiteral("la hora de la inspección \"%1\" (bytes 10 a 15) no es una hora posible")
            .arg(valorImprimible(valor));
    }
    return {};
}

std::optional<QByteArray> leerArchivoInspeccion(const QString& ruta, QString* error) {
    QFile archivo(ruta);
    if (!archivo.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("No se puede abrir el archivo %1: %2").arg(ruta, archivo.errorString());
        return std::nullopt;
    }
    QByteArray datos = archivo.readAll();
    if (archivo.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("No se puede leer el archivo %1: %2").arg(ruta, archivo.errorString());
        return std::nullopt;
    }
    return datos;
}

std::optional<VistaPreviaInspeccion> decodificarVistaPrevia(const QByteArray& datos) {
    const Lector l(datos);
    if (l.longitud() < kLongitudVistaPrevia)
        return std::nullopt;
    const QChar barra = u'/';
    const QChar dosPuntos = u':';
    VistaPreviaInspeccion v;
    v.numeroCliente = l.texto(0, 4);
    v.fecha = l.texto(4, 2) + barra + l.texto(6, 2) + barra + l.texto(8, 2);
    v.hora = l.texto(10, 2) + dosPuntos + l.texto(12, 2) + dosPuntos + l.texto(14, 2);
    const int d = dosDigitos(l, 4), m = dosDigitos(l, 6), a = dosDigitos(l, 8);
    if (d >= 0 && m >= 0 && a >= 0)
        v.fechaLeida = QDate(2000 + a, m, d);
    const int h = dosDigitos(l, 10), mi = dosDigitos(l, 12), s = dosDigitos(l, 14);
    if (h >= 0 && mi >= 0 && s >= 0)
        v.horaLeida = QTime(h, mi, s);
    return v;
}

bool decodificarCabecera(const QByteArray& datos, CabeceraInspeccion& cabecera, ErrorArchivo* error) {
    const Lector l(datos);
    if (l.longitud() < kLongitudMinimaCabecera) {
        ponerError(error, FalloArchivo::CabeceraIncompleta, l.longitud());
        return false;
    }
    // Bytes read as numbers, in file order.
    for (const qsizetype i : {25, 37, 38, 53, 68}) {
        if (!l.esDigito(i)) {
            ponerError(error, FalloArchivo::NoEsDigito, i);
            return false;
        }
    }
    if (l.byte(83) != ';') {
        ponerError(error, FalloArchivo::SinTerminador, 83);
        return false;
    }

    CabeceraInspeccion c;
    const auto vista = decodificarVistaPrevia(datos);
    c.numeroCliente = vista->numeroCliente;
    c.fechaVistaPrevia = vista->fecha;
    c.horaVistaPrevia = vista->hora;
    c.maxDb = l.texto(16, 3);
    c.dbAtenuador = l.texto(19, 3);
    c.excesos = l.texto(22, 3);
    c.calibracion = l.digito(25) == 1 ? QStringLiteral("- ") + l.texto(26, 2) : l.texto(26, 2);
    c.segPenalizar = l.texto(28, 3);
    c.nivelConsola = l.texto(31, 3);
    c.nivelRuido = l.texto(34, 3);
    c.activacionBandas = siNo(l, 37);
    c.bandas[0] = banda(l, 38);
    c.bandas[1] = banda(l, 53);
    c.bandas[2] = banda(l, 68);
    cabecera = std::move(c);
    if (error)
        *error = ErrorArchivo{};
    return true;
}

DecodificadorRegistros::DecodificadorRegistros(const QByteArray& datos) : datos_(datos) {
    CabeceraInspeccion cabecera;
    if (!decodificarCabecera(datos_, cabecera, &error_))
        terminado_ = true;
}

bool DecodificadorRegistros::fallar(FalloArchivo fallo, qsizetype posicion) {
    error_.fallo = fallo;
    error_.posicion = posicion;
    error_.registro = leidos_;
    terminado_ = true;
    return false;
}

bool DecodificadorRegistros::siguiente(RegistroInfraccion& registro) {
    if (terminado_)
        return false;
    const Lector l(datos_);
    const qsizetype s = posicion_;
    // A record starts while s + 1 < L, so a single trailing byte is ignored.
    if (s + 1 >= l.longitud()) {
        terminado_ = true;
        return false;
    }
    if (s + 23 >= l.longitud())
        return fallar(FalloArchivo::RegistroIncompleto, s);
    // Checked in the order the fields are decoded: status, its counter, mains.
    if (!l.esDigito(s + 16))
        return fallar(FalloArchivo::NoEsDigito, s + 16);
    const int codigo = l.digito(s + 16);
    const Estatus& estatus = kEstatus[codigo];
    int* cuenta = nullptr;
    if (!estatus.contador) {
        cuenta = codigo == 1 ? &contadorJockey_ : &contadorShow_;
        if (*cuenta >= kMaximoContador)
            return fallar(FalloArchivo::ContadorDesbordado, s + 16);
    }
    if (!l.esDigito(s + 15))
        return fallar(FalloArchivo::NoEsDigito, s + 15);

    QString contador = cuenta ? QString::number(++*cuenta) : QString::fromLatin1(estatus.contador);
    if (l.byte(s + 23) == '.')
        contador += u'.';

    const QChar coma = u',';
    registro.fecha = QStringLiteral("20") + l.texto(s, 6);
    registro.hora = l.texto(s + 6, 6);
    registro.bateria = l.texto(s + 12, 2) + coma + l.texto(s + 14, 1) + QStringLiteral(" V");
    registro.red = l.digito(s + 15) == 1 ? QStringLiteral("SI") : QStringLiteral("NO");
    registro.estatus = QString::fromLatin1(estatus.texto);
    registro.nivelDb = l.texto(s + 17, 3);
    registro.compresion = l.texto(s + 20, 3);
    registro.contador = std::move(contador);

    posicion_ = s + kLongitudRegistro;
    ++leidos_;
    return true;
}

ErrorArchivo verificarArchivo(const QByteArray& datos, qsizetype* registros) {
    qsizetype leidos = 0;
    const ErrorArchivo e = juzgar(datos, leidos, [](const RegistroInfraccion&) {});
    if (registros)
        *registros = leidos;
    return e;
}

ArchivoDecodificado decodificarArchivo(const QByteArray& datos) {
    ArchivoDecodificado r;
    r.vistaPrevia = decodificarVistaPrevia(datos);
    CabeceraInspeccion cabecera;
    if (decodificarCabecera(datos, cabecera))
        r.cabecera = std::move(cabecera);
    const qsizetype resto = datos.size() - kLongitudCabecera;
    if (r.cabecera && resto > 0)
        r.registros.reserve(resto / kLongitudRegistro + 1);
    qsizetype leidos = 0;
    r.error = juzgar(datos, leidos, [&r](const RegistroInfraccion& g) { r.registros.append(g); });
    r.valido = !r.error.hayError();
    return r;
}

QString HuellaSha256(const QByteArray& datos) {
    return QString::fromLatin1(QCryptographicHash::hash(datos, QCryptographicHash::Sha256).toHex());
}
