#pragma once

#include "core/accounts/Cuentas.h"
#include "core/accounts/DerechosServidor.h"
#include "core/actividad/CadenaActividad.h"
#include "core/actividad/EmisionDocumentos.h"
#include "core/actividad/VerificacionDocumento.h"
#include "core/actividad/VerificacionRegistro.h"
#include "core/clients/ArchivoMunicipio.h"
#include "core/clients/BandasCliente.h"
#include "core/clients/Cliente.h"
#include "core/clients/ColumnaPlegada.h"
#include "core/clients/FilasInfraccion.h"
#include "core/import/Importacion.h"
#include "core/output/InformeInfracciones.h"
#include "core/output/LibroExcel.h"
#include "core/resumen/ResumenOficina.h"
#include "core/resumen/TablaResumen.h"
#include "core/store/CambiosAjenos.h"
#include "core/store/Copias.h"
#include "core/store/PasarRegistro.h"
#include "core/store/Sentencias.h"

#include <QDate>
#include <QObject>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class Conexion;

// The band boxes of the selected client.
struct TextosBandas {
    std::array<QString, 3> activacion;
    std::array<QString, 3> inicio;
    std::array<QString, 3> fin;
};

// Band boxes: a number below 10 gets a leading "0" in front of its unchanged text.
QString RellenarCero(const QString& numero);
// The nine band texts; all empty when the client has no band settings (band A start hour
// empty).
TextosBandas CalcularTextosBandas(const BandasCliente& bandas);

// The office as the windows see it: who is logged in, the municipality header, the register's
// client list and the one selected client, the date range, and that client's infractions and
// bands. Every window reads its state from here and asks it to act; none reads another window.
//
// The database is the truth: every write goes to it first, then the state is read again.
// Operations that fail throw ErrorBD with a Spanish description, and leave the state as it was.
class Oficina : public QObject {
    Q_OBJECT
public:
    // Works on `registro`, opened by the caller, which outlives this office.
    explicit Oficina(Conexion& registro, QObject* parent = nullptr);
    ~Oficina() override;

    // --- Session ---
    // Checks the password against the accounts of that name (the last one counts). On success the
    // user is fixed for the rest of the run and `sesionIniciada` is emitted; false otherwise.
    // On a server register the server checks it: the name is a server login, the rights come from
    // its roles, and a refusal throws ErrorBD with the reason.
    bool iniciarSesion(const QString& nombre, const QString& contrasena);
    // Whether people sign in with server logins, and the one offered first.
    bool sesionEnServidor() const;
    QString usuarioPropuesto() const;
    // The login's user without a password check: for a session restored by the program itself
    // and for tests. Emits `sesionIniciada`.
    void establecerUsuario(const QString& nombre);
    const QString& usuario() const { return usuario_; }
    // After a login: why it could not be recorded in the activity log; empty when it was.
    const QString& avisoSesion() const { return avisoSesion_; }
    // On the file rights go by the exact name "Administrador"; on a server, by role membership.
    bool esAdministrador() const;
    Derechos derechos() const { return derechos_; }
    // Imports, creates and edits clients.
    bool puedeEscribir() const { return derechos_ == Derechos::Escribir || esAdministrador(); }

    // --- Municipality header (the file "data.dat" in the data directory) ---
    void cargarMunicipio(const QString& rutaArchivo);
    const QString& municipio() const { return municipio_; }
    // Saves a new header (administrator only, in the encoding the file was read in). False, with
    // the reason in `error`, when refused or the file could not be written; the header then stays
    // as it was, so the outputs use what the file holds.
    bool cambiarMunicipio(const QString& texto, QString* error = nullptr);

    // --- Client list ---
    // Reads the whole list (slot 1). Throws ErrorBD.
    void abrirClientes();
    // Lists the clients whose column (one of Sentencias::columnasBusqueda()) contains the text,
    // literally and in any letter case, as the store's contiene() decides. It filters the list
    // already read, without a query. False, and nothing changes, for an unknown column.
    bool buscar(const QString& columna, const QString& texto);
    // Reads the whole list again after a write elsewhere (the import window, another slot) and
    // applies the current search to it.
    void recargarClientes();
    // The listed rows as Cliente::fila() lays them out (dates and times in display form), placeholder
    // included: the view hides it. Made on request: views read cells with textoListado().
    std::vector<QStringList> filasClientes() const;
    std::size_t cantidadListados() const { return indices_.size(); }
    QString textoListado(std::size_t fila, int col) const;
    Cliente clienteEnFila(std::size_t indice) const;
    // Where the client with that id is among the listed rows; none for id 0.
    std::optional<std::size_t> posicionListada(qint64 id) const;
    // The whole list as last read (shared, so a view can show it without a copy), which of its
    // rows are listed, and a number that changes with every read (views keep what they derive
    // from the whole list until it changes).
    std::shared_ptr<const TablaTextos> todosLosClientes() const { return todos_; }
    const std::vector<quint32>& indicesListados() const { return indices_; }
    quint64 lecturaClientes() const { return lectura_; }
    // Positions in the listed rows of the placeholder record (never shown), ascending.
    std::vector<std::size_t> marcadoresListados() const;

    // --- Selection: one home for the client every window and button acts on ---
    // Selects the listed client with that id; any other id (0 included) selects none.
    void seleccionar(qint64 id);
    qint64 idSeleccionado() const { return seleccionado_ ? seleccionado_->id : 0; }
    // The row version the selected client was read with; a save from it is refused once another
    // desk changed the row.
    qint64 versionSeleccionado() const { return versionSeleccionado_; }
    const std::optional<Cliente>& clienteSeleccionado() const { return seleccionado_; }
    // Reads the selected client's infractions and bands again (the "Reordenar Datos" button).
    void releerSeleccionado();

    // --- Date range of the infraction view ---
    QDate fechaInicio() const { return inicio_; }
    QDate fechaFin() const { return fin_; }
    // A start after the end moves the start to the end. Returns how many date texts could not be
    // read (a client whose rows are not dates cannot be filtered).
    int establecerRango(const QDate& inicio, const QDate& fin);
    // Date texts of the selected client's rows that the last filtering could not read.
    int fechasIlegibles() const { return ilegibles_; }

    // --- The selected client's infractions and bands ---
    const FilasInfraccion& infracciones() const { return infracciones_; }
    const BandasCliente& bandas() const { return bandas_; } // all empty without settings
    TextosBandas textosBandas() const { return CalcularTextosBandas(bandas_); }

    // --- Operations ---
    // Saves a client as the editor holds it (dates and times in their stored forms): a new one
    // when its id is 0. The saved client is read again into the list; the selected client stays
    // selected. Throws ErrorBD when the save itself fails.
    // `version`: the row version the client was read with (versionSeleccionado() when the editor
    // opened); -1 takes the selection's current one.
    void guardarCliente(const Cliente& cliente, qint64 version = -1);
    // Deletes the selected client and its infractions in one transaction (administrator only), for
    // the reason given (required); its imports are withdrawn and the entry keeps what was deleted.
    // Throws ErrorBD, with the reason, when refused or when the store fails.
    void eliminarSeleccionado(const QString& motivo);
    // Imports bytes already read and shown, stamped with the session's user; then reads its
    // client again into the list, keeping the selection. The result says what happened.
    ResultadoImportacion importar(const ArchivoImportacion& archivo, DatosImportacion datos);
    // The workbook of the selected client as the view shows it (options as marked).
    EntradaLibro entradaLibro(const OpcionesLibro& opciones) const;
    // The report of the selected client: the rows the view shows, separators included.
    DatosInforme datosInforme() const;
    // What a report or workbook of the selected client lists now, to be issued later as it was
    // shown even if the selection moves meanwhile (the preview stays open).
    PedidoEmision pedidoEmision(const QString& tipo) const;
    // Issues it: the "documento.emitido" entry, and the stamp the document carries. Throws ErrorBD.
    SelloVerificacion emitirDocumento(const PedidoEmision& pedido);
    // The same in two steps, for a document that may still fail to be saved: the stamp first
    // (nothing written), the entry once the document exists (see GuardarEmitido). Throw ErrorBD.
    EmisionPreparada prepararEmision(const PedidoEmision& pedido) const;
    void anotarEmision(const EmisionPreparada& emision, const std::function<void()>& antesDeConfirmar = {});
    // Whether this register issued a document (a PDF, a workbook or a typed code) and still holds
    // the rows it listed. Writes nothing. Throws ErrorBD when the register cannot be read.
    VerificacionDocumento verificarDocumento(const QString& archivoOCodigo) const;

    // --- Import log ---
    // What importing these bytes would meet (earlier imports of them, records already stored,
    // settings changed). Throws ErrorBD.
    AnalisisImportacion analizarImportacion(const ArchivoImportacion& archivo) const;
    // The selected client's imports, newest first; none without a selection. Throws ErrorBD.
    std::vector<ImportacionRegistrada> historialSeleccionado() const;
    // Every import of exactly these bytes, for any client, oldest first. Throws ErrorBD.
    std::vector<ImportacionRegistrada> importacionesDeArchivo(const QByteArray& datos) const;
    // The kept bytes of an import, only when they are the logged ones. Throws ErrorBD.
    Original originalImportacion(const ImportacionRegistrada& importacion) const;
    // The rows one import of the selected client stored, as the infraction view shows them.
    FilasInfraccion infraccionesDeImportacion(qint64 id) const;
    qint64 registrosDeImportacion(qint64 id) const;
    // Withdraws an import of the selected client for the reason given (administrator only): its
    // rows go, its log row and original stay marked withdrawn; then reads the client's rows again.
    // Returns the rows deleted. Throws ErrorBD.
    qint64 eliminarImportacion(qint64 id, const QString& motivo);
    // Brings a withdrawn import of the selected client back, rows identical (administrator only).
    // Returns the rows restored. Throws ErrorBD.
    qint64 restituirImportacion(qint64 id);

    // --- Office summary ---
    // Every client's numbers for the period, counted by the store; nothing when `avance` cancels.
    // Throws ErrorBD.
    std::optional<ResumenOficina> resumen(const PeriodoResumen& periodo,
                                          const AvanceResumen& avance = {}) const;
    // The summary's rows as a document about to be written, with the header and the user.
    DocumentoResumen documentoResumen(const ResumenOficina& resumen, std::vector<FilaResumen> filas,
                                      const QString& origen) const;
    // Its stamp (`salida`: "libro" or "informe"), and the entry to write once it is saved. Throws
    // ErrorBD.
    EmisionPreparada sellarResumen(DocumentoResumen& documento, const QString& salida) const;

    // --- Accounts (rights checked against the session's user) ---
    // Every account in stored order, never a password hash. Throws ErrorBD.
    std::vector<Cuenta> cuentas() const;
    bool cambiarContrasena(qint64 id, const QString& nombre, const QString& contrasena);
    int borrarCuentas(const QString& nombre);
    void crearCuenta(const QString& nombre, const QString& contrasena);
    // --- People of a shared register (server logins; the server checks the administrator) ---
    std::vector<PersonaServidor> personas() const;
    void altaPersona(const QString& nombre, const QString& contrasena, Derechos derechos);
    void bajaPersona(const QString& nombre);

    // --- Register replaced (a restored copy) ---
    // Reads the header and the whole list again from the files now in place; no client stays
    // selected, since the same id may be another client in the restored register. Throws ErrorBD.
    void recargarRegistro();

    // --- Register ---
    // Whether some client has exactly that number, in the register (a search may hide it).
    bool existeCliente(const QString& numero) const;
    // The register's file; empty when it lives on a server, whose copies are made there.
    QString archivoRegistro() const;
    // The local register file of the data directory, even when this desk works on a server.
    QString archivoLocal() const;
    // Copies, checks and restores of the register's file (see Copias.h). Throw ErrorBD.
    void copiarRegistro(const QString& municipio, const QString& destino) const;
    ContenidoCopia examinarCopia(const QString& copia) const;
    Integridad verificarRegistro() const;
    // "Verificar registro": every row, original and logged change checked (administrator only);
    // writes only the check's own log entry. Throws ErrorBD when refused or unreadable.
    InformeVerificacion verificarContenido(const std::function<void(qint64, qint64)>& progreso,
                                           const std::function<bool()>& cancelar) const;
    // Replaces the register's file by the copy; returns where the replaced one was kept.
    QString restaurarCopia(const QString& copia, const QString& municipio, const QString& carpetaCopias);
    // Copies the local register file into the empty shared register `conninfo` names.
    InformeTraspaso pasarRegistroAlServidor(const QString& conninfo) const;

    // --- Activity log ---
    // The register's identity (a UUID given when it was created or first migrated). Throws ErrorBD.
    QString identidadRegistro() const;
    // The log's last entry now. Throws ErrorBD.
    CabezaCadena cabezaCadena() const;
    // Writes one entry as the session's user, inside the caller's transaction on this register.
    EntradaActividad anotar(const QString& accion, const QString& objeto, const QJsonObject& detalles);

Q_SIGNALS:
    void sesionIniciada();
    void municipioCambiado();
    // The list was read again; `seleccionCambiada` follows when the selection changed with it.
    void clientesCambiados();
    // Another client (or none) is selected; its infractions and bands are already loaded.
    void seleccionCambiada();
    // The rows are about to be read again: views drop their copies first.
    void infraccionesPorCambiar();
    // The same client's rows were read again ("Reordenar Datos", an import deleted from the log).
    void infraccionesCambiadas();
    // Another date range: only the rows' hidden flags changed.
    void rangoCambiado();

private:
    Conexion& registro_;

    void leerTodos();
    void adoptarLista(TablaTextos lista);
    // Another desk's change: the clients it names are read again, and the selected client's rows
    // when they changed; a change it cannot place reads the whole list again.
    void aplicarCambiosAjenos(const CambiosAjenos& cambios);
    // This desk's own write: only the clients it wrote (by id, or by number) are read again and
    // merged into the list held, which then is what a whole read gives; the selection follows as
    // after a whole read.
    void releerClientes(std::vector<qint64> ids);
    void releerClientesConNumero(const QString& numero);
    // Lists the rows of the whole list the search finds. After a read the selected client is
    // read again too (it may have changed); after a search alone it only stops being selected
    // when no longer listed.
    void filtrar(bool releida);
    ColumnaPlegada& plegada(int columna);
    void seguirSeleccion();
    void elegir(qint64 id);
    void cargarSeleccionado();
    void cargarOVaciar();
    // Administrator only, and only an import of the selected client.
    void comprobarImportacionPropia(qint64 id, const char* accion) const;

    std::shared_ptr<const TablaTextos> todos_ =
        std::make_shared<const TablaTextos>(); // the list as last read
    bool leidos_ = false;
    std::vector<quint32> indices_;    // the listed rows of todos_: all, or those the search found
    std::vector<quint32> marcadores_; // the placeholder rows of todos_
    quint64 lectura_ = 0;
    int columnaBusqueda_ = -1; // list column searched; -1 lists all
    QString textoBusqueda_;
    std::vector<std::pair<int, ColumnaPlegada>> plegadas_;
    QString usuario_;
    QString avisoSesion_;
    Derechos derechos_ = Derechos::Ninguno;
    QString municipio_;
    QString rutaMunicipio_;
    CodificacionMunicipio codificacion_ = CodificacionMunicipio::Utf8;
    std::optional<Cliente> seleccionado_;
    QDate inicio_{2011, 1, 1};
    QDate fin_ = QDate::currentDate();
    FilasInfraccion infracciones_;
    BandasCliente bandas_;
    int ilegibles_ = 0;
    qint64 versionSeleccionado_ = -1;
};
