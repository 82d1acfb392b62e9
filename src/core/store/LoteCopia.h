#pragma once

#include "core/store/ErrorBD.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

struct pg_conn;
struct pg_result;

// Rows of one insert executed again and again, sent to the server in COPY batches instead of one
// statement each: the import writes tens of thousands of them. While a COPY is in progress the
// session takes nothing else, so the session ends it (terminar) before any other statement.
class LoteCopia {
public:
    // `error` turns a failed result (or the session's failure, when null) into the error to throw.
    LoteCopia(pg_conn* conexion, QString tabla, QString columnas,
              std::function<ErrorBD(const pg_result*)> error);
    LoteCopia(const LoteCopia&) = delete;
    LoteCopia& operator=(const LoteCopia&) = delete;

    bool esDe(const QString& tabla, const QString& columnas) const {
        return tabla == tabla_ && columnas == columnas_;
    }
    int filas() const { return filas_; }
    bool enCurso() const { return enCurso_; }
    // Adds one row (nulos[i] set: NULL); true when the rows held are worth sending now.
    bool agregar(const std::vector<QByteArray>& valores, const std::vector<char>& nulos);
    // Starts the COPY. Throws ErrorBD.
    void comenzar();
    // Sends the rows held so far, the COPY left open for more. Throws ErrorBD.
    void enviar();
    // Ends the COPY; throws the server's refusal of any row.
    void terminar();
    // Ends a COPY in progress storing nothing.
    void anular();

private:
    pg_conn* conexion_;
    QString tabla_;
    QString columnas_;
    std::function<ErrorBD(const pg_result*)> error_;
    QByteArray datos_; // COPY's text format
    int filas_ = 0;
    bool enCurso_ = false;
};
