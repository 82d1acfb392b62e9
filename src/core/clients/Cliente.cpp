#include "core/clients/Cliente.h"

namespace {

// The client list's columns after the id, in order.
QString Cliente::*const kCampos[] = {&Cliente::numero,
                                     &Cliente::nombre,
                                     &Cliente::direccion,
                                     &Cliente::localidad,
                                     &Cliente::codigoPostal,
                                     &Cliente::partido,
                                     &Cliente::provincia,
                                     &Cliente::telefono,
                                     &Cliente::telefonoMovil,
                                     &Cliente::email,
                                     &Cliente::fechaAlta,
                                     &Cliente::nombreLocal,
                                     &Cliente::direccionLocal,
                                     &Cliente::localidadLocal,
                                     &Cliente::partidoLocal,
                                     &Cliente::provinciaLocal,
                                     &Cliente::telefonoLocal,
                                     &Cliente::emailLocal,
                                     &Cliente::ultimaInspeccionFecha,
                                     &Cliente::ultimaInspeccionHora,
                                     &Cliente::anteriorInspeccionFecha,
                                     &Cliente::anteriorInspeccionHora,
                                     &Cliente::notas};

} // namespace

bool EsRegistroMarcador(const QString& numero, const QString& localidad) {
    return numero == QLatin1String("----") && localidad == QLatin1String("-");
}

bool Cliente::esMarcador() const {
    return EsRegistroMarcador(numero, localidad);
}

Cliente Cliente::desdeFila(const QStringList& fila) {
    Cliente c;
    c.id = fila.value(0).toLongLong();
    for (qsizetype i = 0; i < static_cast<qsizetype>(std::size(kCampos)); ++i)
        c.*kCampos[i] = fila.value(i + 1);
    return c;
}

QStringList Cliente::fila() const {
    QStringList f;
    f.reserve(1 + static_cast<qsizetype>(std::size(kCampos)));
    f << QString::number(id);
    for (QString Cliente::*campo : kCampos)
        f << this->*campo;
    return f;
}

QString TextoConfirmacionEliminar(const Cliente& c) {
    const QString crlf = QStringLiteral("\r\n");
    // The lines of spaces widen the message box and space out the items.
    const QString espacios(50, QLatin1Char(' '));
    const QString separador = crlf + espacios + crlf;
    auto item = [&](const char* titulo, const QString& valor) {
        return QString::fromUtf8(titulo) + valor + separador;
    };
    QString t = QStringLiteral("Se va a eliminar el registro : ") + separador + espacios + crlf;
    t += item("Numero de Cliente: ", c.numero);
    t += item("Nombre y Apellido: ", c.nombre);
    t += item("Nombre del Local: ", c.nombreLocal);
    t += item("Dirección: ", c.direccionLocal);
    t += item("Localidad: ", c.localidadLocal);
    t += QStringLiteral("Partido: ") + c.partidoLocal + crlf + espacios;
    return t;
}
