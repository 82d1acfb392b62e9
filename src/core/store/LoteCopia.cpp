#include "core/store/LoteCopia.h"

#include <libpq-fe.h>

#include <memory>

namespace {

// Rows a batch holds before they go to the server, which stores them meanwhile.
constexpr qsizetype kBytesLote = 128 << 10;

QByteArray escaparCopia(const char* p, int largo) {
    QByteArray r;
    r.reserve(largo + 4);
    for (int k = 0; k < largo; ++k) {
        const char ch = p[k];
        switch (ch) {
        case '\\':
            r += "\\\\";
            break;
        case '\t':
            r += "\\t";
            break;
        case '\n':
            r += "\\n";
            break;
        case '\r':
            r += "\\r";
            break;
        default:
            r += ch;
        }
    }
    return r;
}

void agregarEscapado(QByteArray& destino, const char* p, int largo) {
    // Almost every value has nothing to escape.
    bool limpio = true;
    for (int k = 0; k < largo && limpio; ++k)
        limpio = p[k] != '\\' && p[k] != '\t' && p[k] != '\n' && p[k] != '\r';
    if (limpio) {
        destino.append(p, largo);
        return;
    }
    destino += escaparCopia(p, largo);
}

} // namespace

LoteCopia::LoteCopia(pg_conn* conexion, QString tabla, QString columnas,
                     std::function<ErrorBD(const pg_result*)> error)
    : conexion_(conexion), tabla_(std::move(tabla)), columnas_(std::move(columnas)),
      error_(std::move(error)) {}

bool LoteCopia::agregar(const std::vector<QByteArray>& valores, const std::vector<char>& nulos) {
    for (size_t i = 0; i < valores.size(); ++i) {
        if (i > 0)
            datos_ += '\t';
        if (nulos[i])
            datos_ += "\\N";
        else
            agregarEscapado(datos_, valores[i].constData(), static_cast<int>(valores[i].size()));
    }
    datos_ += '\n';
    ++filas_;
    return datos_.size() > kBytesLote;
}

void LoteCopia::comenzar() {
    const QByteArray sql = QStringLiteral("COPY %1 (%2) FROM STDIN").arg(tabla_, columnas_).toUtf8();
    PGresult* r = PQexec(conexion_, sql.constData());
    if (PQresultStatus(r) != PGRES_COPY_IN) {
        const ErrorBD e = error_(r);
        PQclear(r);
        throw e;
    }
    PQclear(r);
    enCurso_ = true;
}

void LoteCopia::enviar() {
    if (!datos_.isEmpty() &&
        PQputCopyData(conexion_, datos_.constData(), static_cast<int>(datos_.size())) != 1)
        throw error_(nullptr);
    datos_.clear();
}

void LoteCopia::terminar() {
    if (PQputCopyEnd(conexion_, nullptr) != 1) {
        const ErrorBD e = error_(nullptr);
        while (PGresult* resto = PQgetResult(conexion_))
            PQclear(resto);
        throw e;
    }
    std::unique_ptr<ErrorBD> fallo;
    while (PGresult* resto = PQgetResult(conexion_)) {
        if (PQresultStatus(resto) != PGRES_COMMAND_OK && !fallo)
            fallo = std::make_unique<ErrorBD>(error_(resto));
        PQclear(resto);
    }
    if (fallo)
        throw *fallo;
}

void LoteCopia::anular() {
    if (!enCurso_)
        return;
    PQputCopyEnd(conexion_, "anulada");
    while (PGresult* resto = PQgetResult(conexion_))
        PQclear(resto);
    enCurso_ = false;
}
