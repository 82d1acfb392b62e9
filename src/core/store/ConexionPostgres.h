#pragma once

#include "core/store/Conexion.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

struct pg_conn;
struct pg_result;
class AvisosRegistro;
class LoteCopia;

// Whether a failure to open the shared register would go away with a (different) password.
bool ErrorPideContrasena(const ErrorBD& error);

// A desk works on a register its server's administrator prepared; the preparation itself opens
// it without that check and builds or upgrades the schema.
enum class AperturaServidor { Puesto, Preparacion };

// The shared register on a PostgreSQL server: one session. Errors come out as ErrorBD with a
// Spanish description; the server's own words go to the details.
class ConexionPostgres final : public Conexion {
public:
    // A libpq connection string; `contrasena` empty: libpq's own mechanisms (~/.pgpass,
    // PGPASSWORD, a client certificate) decide, otherwise it is kept in memory only. Without
    // sslmode in the string the server's certificate is checked (verify-full). As a desk, a
    // register not prepared at this program's schema version is refused. Throws ErrorBD.
    ConexionPostgres(const QString& conninfo, const QString& contrasena = QString(),
                     AperturaServidor modo = AperturaServidor::Puesto);
    // Not connected yet: the login window signs in with iniciarSesion().
    static std::unique_ptr<ConexionPostgres> sinSesion(const QString& conninfo);
    ~ConexionPostgres() override;

    bool sesionEnServidor() const override { return true; }
    QString usuarioPropuesto() const override;
    // Opens the session again as that server login (its password, or none for a certificate or
    // ~/.pgpass). Throws ErrorBD; the register is then closed.
    void iniciarSesion(const QString& usuario, const QString& clave) override;
    // Builds the schema or brings it to this program's version (AperturaServidor::Preparacion).
    void prepararEsquema();

    std::unique_ptr<Sentencia> preparar(const QString& sql) override;
    qint64 ultimoId() override;
    int filasAfectadas() override;
    void comenzar() override;
    void confirmar() override;
    void deshacer() override;
    bool enTransaccion() const override;
    bool abierta() const override { return conn_ != nullptr; }
    QString ultimoError() const override;
    ErrorBD error(const QString& contexto = QString()) const override;
    const Dialecto& dialecto() const override;
    void completarEsquemaBase() override;
    QString archivo() const override { return QString(); }
    void conArchivoCerrado(const std::function<void()>& cambio) override;
    void avisarCambiosAjenos(QObject* receptor, std::function<void(const CambiosAjenos&)> aviso) override;

    pg_conn* handle() const { return conn_; }
    // Consumes the notices now instead of waiting for the next poll.
    void revisarAvisos();

    // For the statements of this session.
    ErrorBD error(const pg_result* r, const QString& contexto = QString()) const;
    // A session lost (server restarted, network down) is opened again before the next statement,
    // never inside a transaction: that one failed whole.
    void asegurarConexion();
    pg_result* exec(const QByteArray& sql, int n, const char* const* valores, const int* largos,
                    const int* formatos);
    void fijarResultado(pg_result* r, qint64 id);
    QByteArray nombreSentencia();
    // The batch a reused insert adds its row to, started when there is none for that insert.
    LoteCopia& lote(const QString& tabla, const QString& columnas);
    bool hayLote() const { return lote_ != nullptr; }
    void vaciarLote(); // sends the rows held and ends the COPY
    void enviarLote(); // sends them, the COPY left open for more

private:
    struct SinSesion {};
    ConexionPostgres(const QString& conninfo, SinSesion);
    void conectar(const QString& usuario, const QString& contrasena, AperturaServidor modo);
    void comprobarPreparacion();
    void bloquearEsquema(bool bloquear);
    // What other sessions changed in the register since the last call (notices consumed);
    // nullopt while the session cannot tell (busy in a transaction, or being opened again).
    std::optional<CambiosAjenos> cambiosAjenos();
    // A lost session is opened again without blocking the window, a step each call; everything
    // counts as changed once it is back (its notices meanwhile are lost).
    std::optional<CambiosAjenos> reanudarSesion();
    void prepararSesion();

    QString conninfo_;
    pg_conn* conn_ = nullptr;
    qint64 ultimoId_ = 0;
    int filas_ = 0;
    int sentencias_ = 0;
    bool transaccion_ = false; // begun by comenzar(), not yet ended
    bool reanudando_ = false;  // PQresetStart called, PQresetPoll not yet done
    std::unique_ptr<LoteCopia> lote_;
    std::unique_ptr<AvisosRegistro> avisos_;
};
