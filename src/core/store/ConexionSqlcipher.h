#pragma once

#include "core/store/Conexion.h"

struct AvanceEsquema;
struct sqlite3;

// The key of the register file.
QByteArray ClaveBaseDatos();

// Plain Spanish sentence for an (extended) SQLite result code and, when known, the system's errno
// behind it.
QString DescripcionErrorSqlite(int codigo, int errnoSistema = 0);

// The register in the encrypted SQLCipher file: one physical connection.
class ConexionSqlcipher final : public Conexion {
public:
    // Opens an existing file and brings its schema up to date or, when it does not exist or is
    // empty, builds it complete under RutaBaseNueva() and moves it into place. A file that exists
    // but cannot be opened with the key, or is newer than this program, is left untouched.
    // Throws ErrorBD.
    ConexionSqlcipher(const QString& ruta, const QByteArray& clave);
    // The same, telling each step of the schema update as it starts and stopping it when asked:
    // the running step's statements are interrupted and rolled back, and ActualizacionDetenida
    // is thrown with the file whole at the last completed step.
    ConexionSqlcipher(const QString& ruta, const QByteArray& clave, const AvanceEsquema& avance);
    ~ConexionSqlcipher() override;

    // The schema version (PRAGMA user_version) of an existing file, read without changing it;
    // -1 when there is no file or it cannot be read with the key. Costs one key derivation.
    static int VersionEsquemaArchivo(const QString& ruta, const QByteArray& clave);

    std::unique_ptr<Sentencia> preparar(const QString& sql) override;
    qint64 ultimoId() override;
    int filasAfectadas() override;
    void comenzar() override;
    void confirmar() override;
    void deshacer() override;
    bool enTransaccion() const override;
    bool abierta() const override { return db_ != nullptr; }
    QString ultimoError() const override;
    ErrorBD error(const QString& contexto = QString()) const override;
    const Dialecto& dialecto() const override;
    void completarEsquemaBase() override {}
    QString archivo() const override { return ruta_; }
    void conArchivoCerrado(const std::function<void()>& cambio) override;
    // A file has no other desks.
    void avisarCambiosAjenos(QObject*, std::function<void(const CambiosAjenos&)>) override {}
    bool leerEnDosPartes(const std::function<void(Conexion&, int parte)>& parte) override;

    sqlite3* handle() const { return db_; }
    void cerrar();

private:
    ConexionSqlcipher() = default;
    void abrir();
    ErrorBD errorSistema(const QString& contexto, int errnoSistema) const;
    void conectar(const QString& ruta, const QByteArray& clave, bool crear, const QString& contexto);
    void crearNueva(const QString& ruta, const QByteArray& clave);
    void registrarFunciones();
    bool abrirLector(const QString& ruta, const QByteArray& clave);

    sqlite3* db_ = nullptr;
    QByteArray clave_;
    // Only while the constructor updates the schema.
    const AvanceEsquema* avance_ = nullptr;
};
