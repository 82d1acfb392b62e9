#include "core/store/Conexion.h"

void Conexion::ejecutar(const QString& sql, const QVariantList& parametros) {
    const std::unique_ptr<Sentencia> st = preparar(sql);
    st->enlazarTodos(parametros);
    while (st->paso()) {
    }
}

void Sentencia::enlazarTodos(const QVariantList& valores) {
    for (int i = 0; i < valores.size(); ++i)
        enlazar(i + 1, valores.at(i));
}

QString Sentencia::texto(int i) const {
    int largo = 0;
    const char* p = bytes(i, largo);
    return p ? QString::fromUtf8(p, largo) : QString();
}

Transaccion::~Transaccion() {
    if (!hecha_)
        db_.deshacer();
}

void Transaccion::confirmar() {
    db_.confirmar();
    hecha_ = true;
}

void Conexion::iniciarSesion(const QString&, const QString&) {
    throw ErrorBD(QStringLiteral("Este registro no inicia sesiones en un servidor."));
}
