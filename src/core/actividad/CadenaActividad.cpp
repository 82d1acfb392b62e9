#include "core/actividad/CadenaActividad.h"

#include "core/store/Conexion.h"
#include "core/store/Dialecto.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonDocument>
#include <QSysInfo>

namespace {

void agregarCampo(QByteArray& bytes, const QString& campo) {
    const QByteArray utf8 = campo.toUtf8();
    bytes += QByteArray::number(utf8.size());
    bytes += ':';
    bytes += utf8;
    bytes += '\n';
}

const QString kColumnas = QStringLiteral(
    "Secuencia, MomentoUtc, MomentoLocal, Usuario, Puesto, Accion, Objeto, Detalles, HashAnterior, Hash");

EntradaActividad leerEntrada(const Sentencia& st) {
    EntradaActividad e;
    e.secuencia = st.entero(0);
    e.momentoUtc = st.texto(1);
    e.momentoLocal = st.texto(2);
    e.usuario = st.texto(3);
    e.puesto = st.texto(4);
    e.accion = st.texto(5);
    e.objeto = st.texto(6);
    e.detalles = st.texto(7);
    e.hashAnterior = st.texto(8);
    e.hash = st.texto(9);
    return e;
}

bool esHashHex(const QString& h) {
    if (h.size() != 64)
        return false;
    for (const QChar c : h)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    return true;
}

} // namespace

QString HashInicial() {
    return QString(64, QLatin1Char('0'));
}

QByteArray BytesEncadenados(const EntradaActividad& e) {
    QByteArray bytes("RA1\n");
    bytes.reserve(256 + e.detalles.size() * 2);
    agregarCampo(bytes, QString::number(e.secuencia));
    for (const QString* campo : {&e.momentoUtc, &e.momentoLocal, &e.usuario, &e.puesto, &e.accion, &e.objeto,
                                 &e.detalles, &e.hashAnterior})
        agregarCampo(bytes, *campo);
    return bytes;
}

QString HashEntrada(const EntradaActividad& entrada) {
    return QString::fromLatin1(
        QCryptographicHash::hash(BytesEncadenados(entrada), QCryptographicHash::Sha256).toHex());
}

QString MomentoUtcTexto(const QDateTime& momento) {
    return momento.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) + QLatin1Char('Z');
}

QString MomentoLocalTexto(const QDateTime& momento) {
    const QDateTime local = momento.toLocalTime();
    const int desfase = local.offsetFromUtc();
    const int minutos = std::abs(desfase) / 60;
    return local.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) +
           (desfase < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
           QStringLiteral("%1:%2")
               .arg(minutos / 60, 2, 10, QLatin1Char('0'))
               .arg(minutos % 60, 2, 10, QLatin1Char('0'));
}

CabezaCadena LeerCabeza(Conexion& db) {
    const std::unique_ptr<Sentencia> st = db.preparar(
        QStringLiteral("SELECT Secuencia, Hash FROM RegistroActividad ORDER BY Secuencia DESC LIMIT 1"));
    if (st->paso())
        return {st->entero(0), st->texto(1)};
    return {0, HashInicial()};
}

void RecorrerEntradas(Conexion& db, const std::function<bool(const EntradaActividad&)>& cada) {
    const std::unique_ptr<Sentencia> st =
        db.preparar(QStringLiteral("SELECT %1 FROM RegistroActividad ORDER BY Secuencia").arg(kColumnas));
    while (st->paso())
        if (!cada(leerEntrada(*st)))
            return;
}

EntradaActividad AgregarEntrada(Conexion& db, const QString& usuario, const QString& accion,
                                const QString& objeto, const QJsonObject& detalles) {
    EntradaActividad e;
    e.usuario = usuario;
    e.puesto = QSysInfo::machineHostName();
    e.accion = accion;
    e.objeto = objeto;
    if (db.dialecto().cadenaEnServidor()) {
        // The server numbers, stamps and chains it; who sat at the desk goes with the details.
        QJsonObject conCuenta = detalles;
        conCuenta.insert(QStringLiteral("cuenta"), usuario);
        e.detalles = QString::fromUtf8(QJsonDocument(conCuenta).toJson(QJsonDocument::Compact));
        const std::unique_ptr<Sentencia> st =
            db.preparar(QStringLiteral("INSERT INTO RegistroActividad (Usuario, Puesto, Accion, Objeto, "
                                       "Detalles) VALUES (?, ?, ?, ?, ?) RETURNING %1")
                            .arg(kColumnas));
        st->enlazarTodos({e.usuario, e.puesto, e.accion, e.objeto, e.detalles});
        if (!st->paso())
            throw ErrorBD(QStringLiteral("El servidor no devolvió la entrada del registro de actividad."));
        return leerEntrada(*st);
    }
    e.detalles = QString::fromUtf8(QJsonDocument(detalles).toJson(QJsonDocument::Compact));
    const CabezaCadena cabeza = LeerCabeza(db);
    const QDateTime ahora = QDateTime::currentDateTime();
    e.secuencia = cabeza.secuencia + 1;
    e.momentoUtc = MomentoUtcTexto(ahora);
    e.momentoLocal = MomentoLocalTexto(ahora);
    e.hashAnterior = cabeza.hash;
    e.hash = HashEntrada(e);
    CopiarEntrada(db, e);
    return e;
}

void CopiarEntrada(Conexion& db, const EntradaActividad& e) {
    db.ejecutar(QStringLiteral("INSERT INTO RegistroActividad (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                    .arg(kColumnas),
                {e.secuencia, e.momentoUtc, e.momentoLocal, e.usuario, e.puesto, e.accion, e.objeto,
                 e.detalles, e.hashAnterior, e.hash});
}

bool ComprobadorCadena::agregar(const EntradaActividad& e) {
    if (rotura_)
        return false;
    const qint64 esperada = cabeza_.secuencia + 1;
    QString motivo;
    if (e.secuencia != esperada)
        motivo =
            e.secuencia > esperada
                ? QStringLiteral("falta la entrada %1 (la siguiente es la %2)").arg(esperada).arg(e.secuencia)
                : QStringLiteral("la entrada %1 aparece fuera de orden").arg(e.secuencia);
    else if (e.hashAnterior != cabeza_.hash)
        motivo = QStringLiteral("la entrada %1 no enlaza con la anterior (su hash anterior no coincide)")
                     .arg(e.secuencia);
    else if (!esHashHex(e.hash) || HashEntrada(e) != e.hash)
        motivo = QStringLiteral("el contenido de la entrada %1 no corresponde a su hash").arg(e.secuencia);
    if (!motivo.isEmpty()) {
        rotura_ =
            RoturaCadena{e.secuencia != esperada && e.secuencia > esperada ? esperada : e.secuencia, motivo};
        return false;
    }
    cabeza_ = {e.secuencia, e.hash};
    return true;
}

std::optional<RoturaCadena> RoturaDeCadena(const std::vector<EntradaActividad>& entradas) {
    ComprobadorCadena c;
    for (const EntradaActividad& e : entradas)
        if (!c.agregar(e))
            break;
    return c.rotura();
}
