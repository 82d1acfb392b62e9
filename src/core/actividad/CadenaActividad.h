#pragma once

// The activity log: one entry per change to the register, chained by SHA-256 so that an entry
// changed, removed or inserted by hand shows where. The bytes hashed are defined here once; the
// server's trigger computes the same bytes in SQL.

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class Conexion;

struct EntradaActividad {
    qint64 secuencia = 0;
    QString momentoUtc;   // yyyy-MM-ddTHH:mm:ss.zzzZ
    QString momentoLocal; // yyyy-MM-ddTHH:mm:ss.zzz+hh:mm
    QString usuario;
    QString puesto;
    QString accion;
    QString objeto;
    QString detalles; // compact JSON, hashed as stored
    QString hashAnterior;
    QString hash;

    bool operator==(const EntradaActividad&) const = default;
};

// The last entry: its number and hash (64 '0' and 0 for an empty log).
struct CabezaCadena {
    qint64 secuencia = 0;
    QString hash;
};

// The previous hash of the first entry.
QString HashInicial();
// "RA1\n" then each field as "<utf8 length>:<bytes>\n", in the fixed order.
QByteArray BytesEncadenados(const EntradaActividad& entrada);
// Lower-case hex SHA-256 of BytesEncadenados().
QString HashEntrada(const EntradaActividad& entrada);
// The moment texts of the log for `momento`.
QString MomentoUtcTexto(const QDateTime& momento);
QString MomentoLocalTexto(const QDateTime& momento);

CabezaCadena LeerCabeza(Conexion& db);
// Calls `cada` with every entry in sequence order, one at a time; stops when it returns false.
void RecorrerEntradas(Conexion& db, const std::function<bool(const EntradaActividad&)>& cada);

// Writes one entry inside the caller's transaction. `usuario` is the program's account; on the
// server the trigger sets the moment, the user (the server's session user), the sequence and the
// hashes, and the account goes into the details as "cuenta". Returns the entry as stored.
EntradaActividad AgregarEntrada(Conexion& db, const QString& usuario, const QString& accion,
                                const QString& objeto, const QJsonObject& detalles);

// Writes an entry as it is, with its number, moment and hashes: a log moved to another register.
// The server accepts it only into a log that was empty when the transaction began (see
// DialectoPostgres::copiaLiteralActividad()), and only when it chains.
void CopiarEntrada(Conexion& db, const EntradaActividad& entrada);

// Where a sequence of entries stops being one whole chain.
struct RoturaCadena {
    qint64 secuencia = 0; // the entry found wrong (or the number expected there)
    QString motivo;       // in Spanish, for the report
};

// Checks entries one at a time, in the order read, so a long log never sits in memory.
class ComprobadorCadena {
public:
    // False once the chain is broken; the first break stays in rotura().
    bool agregar(const EntradaActividad& entrada);
    const std::optional<RoturaCadena>& rotura() const { return rotura_; }
    CabezaCadena cabeza() const { return cabeza_; }

private:
    CabezaCadena cabeza_{0, HashInicial()};
    std::optional<RoturaCadena> rotura_;
};

// The first break of a whole log, none when it is whole.
std::optional<RoturaCadena> RoturaDeCadena(const std::vector<EntradaActividad>& entradas);
