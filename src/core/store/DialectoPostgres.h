#pragma once

#include "core/store/Dialecto.h"

// PostgreSQL's dialect: placeholders numbered, the embedded store's pragmas and catalogue turned
// into their server equivalents, DDL types mapped.
class DialectoPostgres final : public Dialecto {
public:
    QString traducir(const QString& sql) const override;
    QString nombreColumna(const QString& nombre) const override;
    QStringList numerosClienteUnicos() const override;
    bool variosPuestos() const override { return true; }
    bool cadenaEnServidor() const override { return true; }
    QStringList esquemaActividad() const override;
    // Set inside a transaction, the log's trigger takes entries as they come (a register moved
    // here), checking that they chain, into an empty log only.
    static QString copiaLiteralActividad();
    QString enteroDeTexto(const QString& expresion) const override;
    QString ochoCifras(const QString& e) const override {
        return QStringLiteral("(%1 ~ '^[0-9]{8}$')").arg(e);
    }
    QStringList avisosCambios() const override;
    // What the server's schema needs beside the tables: the version row, the SQL functions the
    // statements call and the change notices. The case of every letter goes through ICU when the
    // server has it (`hayIcu`).
    static QStringList esquemaBase(bool hayIcu);
};
