#pragma once

#include "core/store/BaseDatos.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

struct pg_conn;
struct pg_result;

// The shared register on a PostgreSQL server, under Database and Statement: the rest of the
// program writes SQLite's dialect with `?` placeholders and this layer turns it into the
// server's. Every dialect difference lives in TraducirSqlPg() and in the base schema extras.

// The statement text for the server: placeholders numbered, the embedded store's pragmas and
// catalogue turned into their server equivalents, DDL types mapped.
QString TraducirSqlPg(const QString& sql);

class LoteCopia;

// The connection string saved for this user (QSettings), empty for the local file. Saving refuses
// a string that holds a password: that stays with libpq (~/.pgpass) or is typed at start.
QString ConexionRegistroGuardada();
bool GuardarConexionRegistro(const QString& conninfo, QString* error);
// Whether a failure to open the register would go away with a (different) password.
bool ErrorPideContrasena(const ErrorBD& error);

// One server session. Errors come out as ErrorBD with a Spanish description; the server's
// own words go to the details.
class ConexionPg {
public:
    // `contrasena` empty: libpq's own mechanisms (~/.pgpass, PGPASSWORD) decide.
    ConexionPg(const QString& conninfo, const QString& contrasena);
    ~ConexionPg();
    ConexionPg(const ConexionPg&) = delete;
    ConexionPg& operator=(const ConexionPg&) = delete;

    pg_conn* handle() const { return conn_; }
    // "base en servidor", for messages.
    const QString& nombre() const { return nombre_; }

    // Runs a statement to the end (rows ignored). Throws ErrorBD.
    void ejecutar(const QString& sql, const QVariantList& parametros = {});
    qint64 ultimoId() {
        vaciarLote();
        return ultimoId_;
    }
    int filasAfectadas();
    void comenzar();
    void confirmar();
    void deshacer();
    bool enTransaccion() const;
    QString ultimoError() const;

    // Base schema extras of the server: version table, SQL functions, change notices.
    void completarEsquemaBase();
    // A session lost (server restarted, network down) is opened again before the next statement,
    // never inside a transaction: that one failed whole.
    void asegurarConexion();
    // A session lock held while the schema is built or brought up to date by one desk.
    void bloquearEsquema(bool bloquear);

    // The failure of a result (or of the connection when null), with `contexto` before it.
    ErrorBD error(const pg_result* r, const QString& contexto = QString()) const;
    // Whether other sessions changed the register since the last call (notices consumed).
    bool hayCambiosAjenos();

    // For SentenciaPg.
    pg_result* exec(const QByteArray& sql, int n, const char* const* valores, const int* largos,
                    const int* formatos);
    void fijarResultado(pg_result* r, qint64 id);
    QByteArray nombreSentencia();
    void vaciarLote(); // sends the rows a reused insert is holding and ends its COPY
    void enviarLote(); // sends them, the COPY left open for more
    LoteCopia* lote() const { return lote_.get(); }
    void tomarLote(std::unique_ptr<LoteCopia> lote);

private:
    pg_conn* conn_ = nullptr;
    QString nombre_;
    qint64 ultimoId_ = 0;
    int filas_ = 0;
    int sentencias_ = 0;
    bool transaccion_ = false; // begun by comenzar(), not yet ended
    std::unique_ptr<LoteCopia> lote_;
};

// A statement on the server. The first execution goes out in one round trip; one executed again
// is prepared once. An insert executed again inside a transaction has its rows sent in COPY
// batches: the import writes tens of thousands of them.
class SentenciaPg {
public:
    SentenciaPg(ConexionPg& c, const QString& sql);
    ~SentenciaPg();
    SentenciaPg(const SentenciaPg&) = delete;
    SentenciaPg& operator=(const SentenciaPg&) = delete;

    void enlazar(int indice, const QVariant& valor);
    void enlazarTexto(int indice, const QByteArray& utf8);
    void enlazarBlob(int indice, const QByteArray& datos);
    bool paso();
    void reiniciar();
    int columnas();
    QString nombreColumna(int i);
    const char* bytes(int i, int& largo) const;
    bool esNulo(int i) const;
    QByteArray blob(int i) const;

private:
    void ejecutarSiFalta();
    void limpiarResultado();

    ConexionPg& c_;
    QByteArray sql_;
    QByteArray nombre_;          // prepared name, once executed a second time
    bool retornoPropio_ = false; // " RETURNING id" added here for ultimoId()
    QString tablaInsercion_;     // a plain INSERT ... VALUES: its table and columns
    QString columnasInsercion_;
    int parametros_ = 0;
    std::vector<QByteArray> valores_;
    std::vector<char> nulos_;
    std::vector<int> formatos_;
    pg_result* res_ = nullptr;
    int fila_ = -1;
    int ejecuciones_ = 0;
};

// Notices of changes made at other desks: polls the open server sessions (twice a second) and
// says when any of them saw a change it did not make itself.
class AvisosRegistro : public QObject {
    Q_OBJECT
public:
    static AvisosRegistro& instancia();
    void vigilar(ConexionPg* c);
    void dejar(ConexionPg* c);
    // Checks now (the timer does it on its own).
    void revisar();

Q_SIGNALS:
    void registroCambiado();

private:
    AvisosRegistro();
    QTimer timer_;
    std::vector<ConexionPg*> conexiones_;
};
