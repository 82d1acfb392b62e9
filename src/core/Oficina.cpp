#include "core/Oficina.h"

#include "core/accounts/Cuentas.h"
#include "core/actividad/AccionesRegistradas.h"
#include "core/actividad/Retiros.h"
#include "core/clients/CamposFecha.h"
#include "core/clients/ColumnaPlegada.h"
#include "core/platform/DirectorioDatos.h"
#include "core/store/Conexion.h"
#include "core/store/ConexionSqlcipher.h"
#include "core/store/Contrasenas.h"
#include "core/store/Recordset.h"
#include "core/store/Sentencias.h"
#include "core/store/TablaTextos.h"

#include <QDateTime>
#include <QDir>

#include <algorithm>

namespace {

const QString kAdministrador = QStringLiteral("Administrador");

// Leading number of a text, as the band settings are stored (" 8", "08", "8.0").
double valorNumerico(const QString& texto) {
    const QString t = texto.trimmed();
    int fin = 0;
    if (fin < t.size() && (t.at(fin) == QLatin1Char('-') || t.at(fin) == QLatin1Char('+')))
        ++fin;
    while (fin < t.size() && (t.at(fin).isDigit() || t.at(fin) == QLatin1Char('.')))
        ++fin;
    bool ok = false;
    const double v = t.left(fin).toDouble(&ok);
    return ok ? v : 0.0;
}

// A snapshot of a query's rows.
std::vector<QStringList> leerFilas(Conexion& registro, const Consulta& consulta) {
    Recordset r;
    r.abrir(registro, consulta);
    return r.tomarFilas();
}

} // namespace

QString RellenarCero(const QString& numero) {
    return valorNumerico(numero) < 10 ? QLatin1Char('0') + numero : numero;
}

TextosBandas CalcularTextosBandas(const BandasCliente& bandas) {
    TextosBandas t;
    if (bandas.bandas[0].horaInicio.isEmpty())
        return t;
    for (size_t b = 0; b < 3; ++b) {
        const BandaHoraria& banda = bandas.bandas[b];
        t.activacion[b] = banda.activacion;
        t.inicio[b] = banda.diaInicio + QLatin1Char(' ') + RellenarCero(banda.horaInicio) + QLatin1Char(':') +
                      RellenarCero(banda.minutosInicio);
        t.fin[b] = banda.diaFin + QLatin1Char(' ') + RellenarCero(banda.horaFin) + QLatin1Char(':') +
                   RellenarCero(banda.minutosFin);
    }
    return t;
}

// ---------------------------------------------------------------------------------------------

Oficina::Oficina(Conexion& registro, QObject* parent) : QObject(parent), registro_(registro) {
    // Another desk changed the shared register: show it. A failing read keeps the older list.
    registro_.avisarCambiosAjenos(this, [this](const CambiosAjenos& cambios) {
        try {
            aplicarCambiosAjenos(cambios);
        } catch (const ErrorBD&) {
        }
    });
}

Oficina::~Oficina() = default;

bool Oficina::iniciarSesion(const QString& nombre, const QString& contrasena) {
    if (registro_.sesionEnServidor()) {
        registro_.iniciarSesion(nombre, contrasena);
        establecerUsuario(registro_.usuarioPropuesto());
        if (derechos_ == Derechos::Ninguno)
            throw ErrorBD(QStringLiteral("El usuario \"%1\" no tiene ninguno de los roles del registro.")
                              .arg(usuario_));
        return true;
    }
    Recordset cuentas;
    cuentas.abrir(registro_, Sentencias::listaUsuarios());
    QString hash;
    bool encontrado = false;
    // No early exit: when two accounts share a name, the later one counts.
    for (const QStringList& fila : cuentas.filas()) {
        if (fila.value(1) == nombre) {
            hash = fila.value(2);
            encontrado = true;
        }
    }
    const bool aceptada = encontrado && verificarContrasena(hash, contrasena);
    // A register that cannot be written (read-only folder, full disk) still lets the user in,
    // without the entry and with a warning.
    const QString fallo = AnotarSesion(registro_, nombre, aceptada);
    avisoSesion_ =
        fallo.isEmpty() || !aceptada
            ? QString()
            : QStringLiteral("No se pudo anotar el inicio de sesión en el registro de actividad: %1")
                  .arg(fallo);
    if (!aceptada)
        return false;
    establecerUsuario(nombre);
    return true;
}

void Oficina::establecerUsuario(const QString& nombre) {
    usuario_ = nombre;
    if (registro_.sesionEnServidor())
        derechos_ = registro_.abierta() ? LeerDerechosServidor(registro_) : Derechos::Ninguno;
    else
        derechos_ = nombre == kAdministrador ? Derechos::Administrar : Derechos::Escribir;
    Q_EMIT sesionIniciada();
}

bool Oficina::sesionEnServidor() const {
    return registro_.sesionEnServidor();
}

QString Oficina::usuarioPropuesto() const {
    return registro_.usuarioPropuesto();
}

bool Oficina::esAdministrador() const {
    return derechos_ == Derechos::Administrar;
}

void Oficina::cargarMunicipio(const QString& rutaArchivo) {
    rutaMunicipio_ = rutaArchivo;
    municipio_ = CargarMunicipio(rutaArchivo, &codificacion_);
    Q_EMIT municipioCambiado();
}

bool Oficina::cambiarMunicipio(const QString& texto, QString* error) {
    if (!esAdministrador()) {
        if (error)
            *error =
                QStringLiteral("Solo el usuario Administrador puede cambiar el encabezado del Municipio.");
        return false;
    }
    if (texto == municipio_)
        return GuardarMunicipio(rutaMunicipio_, texto, error, codificacion_);
    // The file and the entry together: the file is written inside the entry's transaction, and put
    // back when the entry cannot be committed.
    try {
        Transaccion t(registro_);
        AgregarEntrada(registro_, usuario_, QStringLiteral("municipio.cambio"), QStringLiteral("data.dat"),
                       {{QStringLiteral("antes"), municipio_}, {QStringLiteral("despues"), texto}});
        // Kept only once written: the outputs never use a header the file does not hold.
        if (!GuardarMunicipio(rutaMunicipio_, texto, error, codificacion_))
            return false;
        try {
            t.confirmar();
        } catch (const ErrorBD&) {
            GuardarMunicipio(rutaMunicipio_, municipio_, nullptr, codificacion_);
            throw;
        }
    } catch (const ErrorBD& e) {
        if (error)
            *error = e.descripcion();
        return false;
    }
    if (texto != municipio_) {
        municipio_ = texto;
        Q_EMIT municipioCambiado();
    }
    return true;
}

void Oficina::recargarRegistro() {
    seleccionado_.reset();
    if (!rutaMunicipio_.isEmpty())
        cargarMunicipio(rutaMunicipio_);
    // With nothing selected, the list's reading selects none and empties the views.
    abrirClientes();
}

// --- Client list and selection ---------------------------------------------------------------

void Oficina::abrirClientes() {
    columnaBusqueda_ = -1;
    textoBusqueda_.clear();
    leerTodos();
    filtrar(true);
}

bool Oficina::buscar(const QString& columna, const QString& texto) {
    const int c = Sentencias::columnaListaBusqueda(columna);
    if (c < 0)
        return false;
    if (!leidos_)
        leerTodos();
    columnaBusqueda_ = c;
    textoBusqueda_ = texto;
    filtrar(false);
    return true;
}

void Oficina::recargarClientes() {
    leerTodos();
    filtrar(true);
}

void Oficina::leerTodos() {
    adoptarLista(LeerTablaPorIds(registro_, Sentencias::listaClientesPorIds()));
}

void Oficina::adoptarLista(TablaTextos lista) {
    // The list is this office's own: no other reader can change or empty it.
    todos_ = std::make_shared<const TablaTextos>(std::move(lista));
    leidos_ = true;
    marcadores_.clear();
    for (size_t i = 0; i < todos_->filas(); ++i)
        if (todos_->utf8(i, 1) == "----" && todos_->utf8(i, 4) == "-" &&
            EsRegistroMarcador(todos_->texto(i, 1), todos_->texto(i, 4)))
            marcadores_.push_back(static_cast<quint32>(i));
    ++lectura_;
    plegadas_.clear();
}

ColumnaPlegada& Oficina::plegada(int columna) {
    for (auto& [c, p] : plegadas_)
        if (c == columna)
            return p;
    // Folded on the first search in the column, then kept until the list is read again.
    plegadas_.emplace_back(columna, ColumnaPlegada(*todos_, columna));
    return plegadas_.back().second;
}

void Oficina::filtrar(bool releida) {
    indices_.clear();
    const std::size_t n = todos_->filas();
    if (columnaBusqueda_ < 0) {
        indices_.resize(n);
        for (size_t i = 0; i < n; ++i)
            indices_[i] = static_cast<quint32>(i);
    } else {
        plegada(columnaBusqueda_).buscar(textoBusqueda_, indices_);
    }
    Q_EMIT clientesCambiados();
    if (releida) {
        seguirSeleccion();
        return;
    }
    // Nothing was read: a client still listed is the same one, its rows need no second read.
    const qint64 id = idSeleccionado();
    if (id == 0)
        return;
    if (!posicionListada(id))
        elegir(0);
}

std::optional<std::size_t> Oficina::posicionListada(qint64 id) const {
    if (id == 0)
        return std::nullopt;
    const QByteArray clave = QByteArray::number(id);
    for (std::size_t i = 0; i < indices_.size(); ++i)
        if (todos_->utf8(indices_[i], 0) == clave)
            return i;
    return std::nullopt;
}

std::vector<QStringList> Oficina::filasClientes() const {
    std::vector<QStringList> filas;
    filas.reserve(indices_.size());
    for (const quint32 i : indices_)
        filas.push_back(todos_->fila(i));
    return filas;
}

QString Oficina::textoListado(std::size_t fila, int col) const {
    return fila < indices_.size() ? todos_->texto(indices_[fila], col) : QString();
}

std::vector<std::size_t> Oficina::marcadoresListados() const {
    std::vector<std::size_t> posiciones;
    for (const quint32 m : marcadores_) {
        const auto it = std::lower_bound(indices_.begin(), indices_.end(), m);
        if (it != indices_.end() && *it == m)
            posiciones.push_back(static_cast<std::size_t>(it - indices_.begin()));
    }
    return posiciones;
}

Cliente Oficina::clienteEnFila(std::size_t indice) const {
    return indice < indices_.size() ? Cliente::desdeFila(todos_->fila(indices_[indice])) : Cliente();
}

// After the list changed: the client selected before stays selected while it is listed (read
// again, it may have been edited); otherwise none is, rather than a client the user never chose.
void Oficina::seguirSeleccion() {
    elegir(idSeleccionado());
}

void Oficina::seleccionar(qint64 id) {
    if (id != idSeleccionado())
        elegir(id);
}

// The listed client with that id becomes the selected one (never the placeholder), read whole.
void Oficina::elegir(qint64 id) {
    seleccionado_.reset();
    if (const std::optional<std::size_t> i = posicionListada(id)) {
        Cliente c = clienteEnFila(*i);
        if (!c.esMarcador())
            seleccionado_ = std::move(c);
    }
    cargarOVaciar();
    Q_EMIT seleccionCambiada();
}

void Oficina::releerSeleccionado() {
    cargarOVaciar();
    Q_EMIT infraccionesCambiadas();
}

// A client whose rows could not be read is not shown as a client without infractions: nothing
// is selected, the views are told, and the caller gets the error.
void Oficina::cargarOVaciar() {
    try {
        cargarSeleccionado();
    } catch (...) {
        seleccionado_.reset();
        infracciones_ = FilasInfraccion();
        bandas_ = BandasCliente();
        Q_EMIT seleccionCambiada();
        throw;
    }
}

void Oficina::cargarSeleccionado() {
    // Let the previous client's rows go first, here and in the views: a big client would
    // otherwise be held twice while the next one is read.
    Q_EMIT infraccionesPorCambiar();
    infracciones_ = FilasInfraccion();
    bandas_ = BandasCliente();
    ilegibles_ = 0;
    versionSeleccionado_ = -1;
    if (!seleccionado_)
        return;
    const std::vector<QStringList> version =
        leerFilas(registro_, Sentencias::versionCliente(seleccionado_->id));
    versionSeleccionado_ = version.empty() ? -1 : version.front().value(0).toLongLong();
    infracciones_ =
        FilasInfraccion::LeerPorIds(registro_, Sentencias::infraccionesClientePorIds(seleccionado_->numero));
    const std::vector<QStringList> bandas =
        leerFilas(registro_, Sentencias::bandasCliente(seleccionado_->numero));
    if (!bandas.empty())
        bandas_ = BandasCliente::desdeFila(bandas.front());
    ilegibles_ = infracciones_.filtrarPorFechas(inicio_, fin_);
}

int Oficina::establecerRango(const QDate& inicio, const QDate& fin) {
    inicio_ = inicio > fin ? fin : inicio;
    fin_ = fin;
    ilegibles_ = infracciones_.filtrarPorFechas(inicio_, fin_);
    Q_EMIT rangoCambiado();
    return ilegibles_;
}

// --- Operations ------------------------------------------------------------------------------

void Oficina::guardarCliente(const Cliente& cliente, qint64 version) {
    Conexion& db = registro_;
    const qint64 id = cliente.id;
    const qint64 esperada = version >= 0 ? version : id == idSeleccionado() ? versionSeleccionado_ : -1;
    const bool comprobar = id != 0 && esperada >= 0;
    const Consulta c = comprobar ? Sentencias::actualizarClienteSiVersion(cliente, id, esperada)
                       : id != 0 ? Sentencias::actualizarCliente(cliente, id)
                                 : Sentencias::insertarCliente(cliente);
    const qint64 guardado = GuardarClienteAnotado(db, usuario_, c, id, comprobar);
    if (guardado == 0) {
        // Changed (or deleted) at another desk since it was read: nothing written, current data shown.
        try {
            releerClientes({id});
        } catch (const ErrorBD&) {
        }
        if (!seleccionado_ || seleccionado_->id != id)
            throw ErrorBD(QStringLiteral("Otro puesto eliminó este cliente mientras usted lo editaba. Sus "
                                         "cambios no se guardaron."));
        throw ErrorBD(QStringLiteral("Otro puesto modificó este cliente después de que usted lo abriera. Sus "
                                     "cambios no se guardaron, para no borrar los del otro puesto. Datos "
                                     "actuales: número %1, nombre «%2», local «%3». Revíselos y vuelva a "
                                     "guardar.")
                          .arg(seleccionado_->numero, seleccionado_->nombre, seleccionado_->nombreLocal));
    }
    // Saved: a failing re-read must not look like a failed save, which would invite a second one.
    try {
        releerClientes({guardado});
    } catch (const ErrorBD&) {
    }
}

void Oficina::eliminarSeleccionado(const QString& motivo) {
    if (!esAdministrador())
        throw ErrorBD(QStringLiteral("Solo el usuario Administrador puede eliminar clientes."));
    if (!seleccionado_)
        throw ErrorBD(QStringLiteral("No hay ningún registro para eliminar"));
    const qint64 id = seleccionado_->id;
    RetirarCliente(registro_, usuario_, seleccionado_->numero, id, motivo);
    releerClientes({id});
}

ResultadoImportacion Oficina::importar(const ArchivoImportacion& archivo, DatosImportacion datos) {
    // Who imported comes from the login, never from a text on the screen.
    datos.inspector = usuario_;
    ResultadoImportacion r = escribirImportacion(registro_, archivo, datos);
    if (!r.ok())
        return r;
    // Stored and the file gone: a failing re-read leaves an older list on screen, not a failure.
    try {
        releerClientesConNumero(datos.numeroCliente);
    } catch (const ErrorBD&) {
    }
    return r;
}

EntradaLibro Oficina::entradaLibro(const OpcionesLibro& opciones) const {
    EntradaLibro e;
    e.opciones = opciones;
    e.titulo = municipio_;
    e.inspector = usuario_;
    if (seleccionado_)
        e.cliente = *seleccionado_;
    e.bandas = bandas_;
    const QStringList separador(ColInfraccion::Cantidad, QString());
    e.infracciones.reserve(infracciones_.size());
    for (std::size_t i = 0; i < infracciones_.size(); ++i)
        e.infracciones.push_back(
            {infracciones_.separador(i) ? separador : infracciones_.celdas(i), infracciones_.oculta(i)});
    const ProcedenciaFilas p = ProcedenciaDe(infracciones_);
    e.importaciones = ImportacionesPorId(registro_, p.importaciones);
    e.anteriores = p.anteriores;
    return e;
}

DatosInforme Oficina::datosInforme() const {
    DatosInforme d;
    d.titulo = TituloInforme(municipio_);
    if (!seleccionado_)
        return d;
    const Cliente& c = *seleccionado_;
    d.cliente = c.nombre;
    d.local = c.nombreLocal;
    d.direccionLocal =
        DireccionLocalInforme(c.direccionLocal, c.localidadLocal, c.partidoLocal, c.provinciaLocal);
    for (std::size_t i = 0; i < infracciones_.size(); ++i) {
        if (infracciones_.oculta(i))
            continue;
        const auto texto = [&](int columna) { return infracciones_.texto(i, columna); };
        d.registros.push_back(
            {texto(ColInfraccion::Fecha), texto(ColInfraccion::Hora), texto(ColInfraccion::NivelDb),
             texto(ColInfraccion::Estatus), texto(ColInfraccion::Bateria), texto(ColInfraccion::TensionLinea),
             texto(ColInfraccion::Compresion), texto(ColInfraccion::Inspector), texto(ColInfraccion::MaxDb),
             texto(ColInfraccion::UmbralCompresion), texto(ColInfraccion::PenalizacionesMaximas),
             texto(ColInfraccion::Calibracion), texto(ColInfraccion::SegundosPenalizar),
             texto(ColInfraccion::NivelConsola), texto(ColInfraccion::NivelRuido), texto(ColInfraccion::CI)});
    }
    const ProcedenciaFilas p = ProcedenciaDe(infracciones_);
    d.importaciones = ImportacionesPorId(registro_, p.importaciones);
    d.anteriores = p.anteriores;
    d.sello = SelloVerificacion{}; // its place is kept until it is issued
    return d;
}

// --- Import log ------------------------------------------------------------------------------

AnalisisImportacion Oficina::analizarImportacion(const ArchivoImportacion& archivo) const {
    return ::analizarImportacion(registro_, archivo);
}

std::vector<ImportacionRegistrada> Oficina::historialSeleccionado() const {
    if (!seleccionado_)
        return {};
    return ImportacionesCliente(registro_, seleccionado_->numero);
}

std::vector<ImportacionRegistrada> Oficina::importacionesDeArchivo(const QByteArray& datos) const {
    return ImportacionesConHuella(registro_, HuellaSha256(datos));
}

Original Oficina::originalImportacion(const ImportacionRegistrada& importacion) const {
    return LeerOriginal(registro_, importacion);
}

FilasInfraccion Oficina::infraccionesDeImportacion(qint64 id) const {
    if (!seleccionado_)
        return {};
    FilasInfraccion filas = FilasInfraccion::Leer(registro_, Sentencias::infraccionesImportacion(id));
    // Only the selected client's: a log id never shows another client's rows.
    filas.conservarCliente(seleccionado_->numero);
    return filas;
}

qint64 Oficina::registrosDeImportacion(qint64 id) const {
    return RegistrosDeImportacion(registro_, id);
}

void Oficina::comprobarImportacionPropia(qint64 id, const char* accion) const {
    if (!esAdministrador())
        throw ErrorBD(QStringLiteral("Solo el usuario Administrador puede %1 importaciones.")
                          .arg(QString::fromUtf8(accion)));
    const std::vector<ImportacionRegistrada> propias = historialSeleccionado();
    if (std::none_of(propias.begin(), propias.end(),
                     [id](const ImportacionRegistrada& i) { return i.id == id; }))
        throw ErrorBD(QStringLiteral("La importación no pertenece al cliente seleccionado."));
}

qint64 Oficina::eliminarImportacion(qint64 id, const QString& motivo) {
    comprobarImportacionPropia(id, "eliminar");
    const qint64 filas = RetirarImportacion(registro_, usuario_, id, motivo);
    releerSeleccionado();
    return filas;
}

qint64 Oficina::restituirImportacion(qint64 id) {
    comprobarImportacionPropia(id, "restituir");
    const qint64 filas = RestituirImportacion(registro_, usuario_, id);
    releerSeleccionado();
    return filas;
}

// --- Accounts --------------------------------------------------------------------------------

std::vector<Cuenta> Oficina::cuentas() const {
    return LeerCuentas(registro_);
}

bool Oficina::cambiarContrasena(qint64 id, const QString& nombre, const QString& contrasena) {
    return CambiarContrasenaAnotada(registro_, usuario_, id, nombre, contrasena);
}

int Oficina::borrarCuentas(const QString& nombre) {
    return BorrarCuentasAnotadas(registro_, usuario_, nombre);
}

void Oficina::crearCuenta(const QString& nombre, const QString& contrasena) {
    CrearCuentaAnotada(registro_, usuario_, nombre, contrasena);
}

std::vector<PersonaServidor> Oficina::personas() const {
    return LeerPersonasServidor(registro_);
}

void Oficina::altaPersona(const QString& nombre, const QString& contrasena, Derechos derechos) {
    AltaPersonaServidor(registro_, nombre, contrasena, derechos);
}

void Oficina::bajaPersona(const QString& nombre) {
    BajaPersonaServidor(registro_, nombre);
}

// --- Register --------------------------------------------------------------------------------

bool Oficina::existeCliente(const QString& numero) const {
    return ::existeCliente(registro_, numero);
}

QString Oficina::archivoRegistro() const {
    return registro_.archivo();
}

QString Oficina::archivoLocal() const {
    const QString directorio = DirectorioDatos();
    return directorio.isEmpty() ? QString() : QDir(directorio).filePath(QLatin1String(kNombreBaseDatos));
}

void Oficina::copiarRegistro(const QString& municipio, const QString& destino) const {
    const CabezaCadena cabeza = LeerCabeza(registro_);
    CopiarBase(registro_.archivo(), municipio, destino, ClaveBaseDatos());
    // After the copy, which holds the log up to `cabeza`: a copy that failed is not recorded.
    try {
        Transaccion t(registro_);
        AgregarEntrada(registro_, usuario_, QStringLiteral("copia.escrita"),
                       QDir::toNativeSeparators(destino),
                       {{QStringLiteral("destino"), QDir::toNativeSeparators(destino)},
                        {QStringLiteral("cabeza_secuencia"), cabeza.secuencia},
                        {QStringLiteral("cabeza_hash"), cabeza.hash}});
        t.confirmar();
    } catch (const ErrorBD& e) {
        throw ErrorBD(
            QStringLiteral("La copia de seguridad se escribió en \"%1\", pero no se pudo anotar en el "
                           "registro de actividad: %2")
                .arg(QDir::toNativeSeparators(destino), e.descripcion()),
            e.detalles());
    }
}

ContenidoCopia Oficina::examinarCopia(const QString& copia) const {
    return ExaminarCopia(copia, ClaveBaseDatos());
}

Integridad Oficina::verificarRegistro() const {
    return VerificarArchivoBase(registro_.archivo(), ClaveBaseDatos());
}

InformeVerificacion Oficina::verificarContenido(const std::function<void(qint64, qint64)>& progreso,
                                                const std::function<bool()>& cancelar) const {
    if (!esAdministrador())
        throw ErrorBD(QStringLiteral("Solo el usuario Administrador puede verificar el registro."));
    OpcionesVerificacion opciones;
    opciones.progreso = progreso;
    opciones.cancelar = cancelar;
    opciones.usuario = usuario_;
    opciones.origen = QStringLiteral("ventana");
    return VerificarRegistro(registro_, opciones);
}

QString Oficina::restaurarCopia(const QString& copia, const QString& municipio,
                                const QString& carpetaCopias) {
    const QString archivo = registro_.archivo();
    QString guardada;
    registro_.conArchivoCerrado([&] {
        guardada = RestaurarCopia(copia, archivo, municipio, carpetaCopias, ClaveBaseDatos(),
                                  QDateTime::currentDateTime());
    });
    // Recorded in the register now in place, after the copy's own last entry.
    const CabezaCadena cabeza = LeerCabeza(registro_);
    anotar(QStringLiteral("copia.restaurada"), QDir::toNativeSeparators(copia),
           {{QStringLiteral("copia"), QDir::toNativeSeparators(copia)},
            {QStringLiteral("anterior_guardada_en"), QDir::toNativeSeparators(guardada)},
            {QStringLiteral("copia_ultima_secuencia"), cabeza.secuencia},
            {QStringLiteral("copia_ultimo_hash"), cabeza.hash}});
    return guardada;
}

InformeTraspaso Oficina::pasarRegistroAlServidor(const QString& conninfo) const {
    return PasarRegistroAlServidor(archivoLocal(), ClaveBaseDatos(), conninfo, QString(), usuario_);
}

// --- Activity log ----------------------------------------------------------------------------

QString Oficina::identidadRegistro() const {
    const std::unique_ptr<Sentencia> st =
        registro_.preparar(QStringLiteral("SELECT Identidad FROM IdentidadRegistro LIMIT 1"));
    return st->paso() ? st->texto(0) : QString();
}

CabezaCadena Oficina::cabezaCadena() const {
    return LeerCabeza(registro_);
}

EntradaActividad Oficina::anotar(const QString& accion, const QString& objeto, const QJsonObject& detalles) {
    if (registro_.enTransaccion())
        return AgregarEntrada(registro_, usuario_, accion, objeto, detalles);
    Transaccion t(registro_);
    EntradaActividad e = AgregarEntrada(registro_, usuario_, accion, objeto, detalles);
    t.confirmar();
    return e;
}
