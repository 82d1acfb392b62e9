#include "SimuladorOficinas.h"

#include "ServidorPrueba.h"
#include "core/Oficina.h"
#include "core/actividad/CadenaActividad.h"
#include "core/actividad/VerificacionRegistro.h"
#include "core/import/Importacion.h"
#include "core/store/ConexionPostgres.h"
#include "core/store/ErrorBD.h"
#include "core/store/ResumenMensual.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QEventLoop>
#include <QRegularExpression>
#include <QSet>
#include <QThread>
#include <QTimeZone>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

namespace {

using Reloj = std::chrono::steady_clock;

double segundosEntre(Reloj::time_point a, Reloj::time_point b) {
    return std::chrono::duration<double>(b - a).count();
}

enum class Rol { Consulta, Oficina, Administrador };

const char* nombreRol(Rol r) {
    switch (r) {
    case Rol::Consulta:
        return "velmora_consulta";
    case Rol::Oficina:
        return "velmora_oficina";
    case Rol::Administrador:
        return "velmora_administrador";
    }
    return "";
}

// Every fourth desk an administrator, every fourth a reader, the rest the office's staff.
Rol rolDe(int puesto) {
    return puesto % 4 == 0 ? Rol::Administrador : puesto % 4 == 3 ? Rol::Consulta : Rol::Oficina;
}

enum class Desenlace { Hecha, Rechazada, Cortada, Omitida };

// A lost session, a server away or restarting: the operation was cut, not refused.
bool esCorte(const QString& mensaje) {
    return mensaje.startsWith(QStringLiteral("Se perdió la conexión")) ||
           mensaje.startsWith(QStringLiteral("No se puede abrir el registro compartido"));
}

// What every desk and the conductor share.
struct Bitacora {
    std::mutex m;
    std::atomic<bool> operar{true};
    std::atomic<bool> terminar{false};
    std::atomic<int> detenidos{0};
    std::atomic<qint64> archivos{0};
    Reloj::time_point ultimoCambio = Reloj::now();
    std::vector<ImportacionInformada> importadas;
    QSet<QString> fallidas;
    std::vector<QStringList> listas;
    std::vector<Reloj::time_point> ultimoExito;
    ResultadoSimulacion resultado;
};

// One device file with records nobody else has: the counter gives each file its own minutes.
QByteArray archivoUnico(const QString& cliente, qint64 n, int registros) {
    const QDateTime base(QDate(2012, 1, 1), QTime(0, 0), QTimeZone::utc());
    const QDateTime inspeccion = base.addSecs(n * 60);
    QByteArray d = cliente.toLatin1() + inspeccion.toString(QStringLiteral("ddMMyyHHmmss")).toLatin1() +
                   "085010003105030070060" + "1" + "1" + "0080030" + "3023045" + "0" + "5010004" + "6002015" +
                   "1" + "7023010" + "2005059" + ";\r";
    for (int k = 0; k < registros; ++k) {
        const QDateTime m = inspeccion.addSecs(k);
        d += m.toString(QStringLiteral("yyMMddHHmmss")).toLatin1() + "125" + '1' + (k % 2 ? '2' : '1') +
             QByteArray::number(60 + (n + k) % 40).rightJustified(3, '0') + "042" + ' ' + '\n';
    }
    return d;
}

// The client list as a desk shows it: number and name of every real client, sorted.
QStringList listaDe(const Oficina& o) {
    QStringList l;
    const auto todos = o.todosLosClientes();
    for (std::size_t i = 0; i < todos->filas(); ++i) {
        const QString numero = todos->texto(i, 1);
        if (!EsRegistroMarcador(numero, todos->texto(i, 4)))
            l << numero + QLatin1Char('|') + todos->texto(i, 2);
    }
    l.sort();
    return l;
}

class Puesto {
public:
    Puesto(int n, QString conninfo, QString login, unsigned semilla, int pausaMaxima, Bitacora& b)
        : n_(n), rol_(rolDe(n)), conninfo_(std::move(conninfo)), login_(std::move(login)), azar_(semilla),
          pausaMaxima_(pausaMaxima), b_(b) {}

    void correr() {
        while (!b_.terminar) {
            if (!oficina_ && !abrir()) {
                esperar(200);
                continue;
            }
            if (!b_.operar) {
                if (!detenido_) {
                    detenido_ = true;
                    ++b_.detenidos;
                }
                esperar(20);
                continue;
            }
            operar();
            publicar();
            esperar(static_cast<int>(azar_() % static_cast<unsigned>(pausaMaxima_ + 1)));
        }
        oficina_.reset();
        db_.reset();
    }

private:
    void esperar(int ms) {
        QEventLoop bucle;
        QTimer::singleShot(ms, &bucle, &QEventLoop::quit);
        bucle.exec();
    }

    bool abrir() {
        try {
            db_ = std::make_unique<ConexionPostgres>(conninfo_, QStringLiteral("clave"));
            oficina_ = std::make_unique<Oficina>(*db_);
            oficina_->establecerUsuario(login_);
            oficina_->establecerRango(QDate(2000, 1, 1), QDate(2030, 12, 31));
            QObject::connect(oficina_.get(), &Oficina::clientesCambiados, [this] { publicar(); });
            oficina_->abrirClientes();
            publicar();
            return true;
        } catch (const ErrorBD& e) {
            anotarMensaje(e.descripcion());
            oficina_.reset();
            db_.reset();
            return false;
        }
    }

    void publicar() {
        QStringList l = listaDe(*oficina_);
        std::lock_guard<std::mutex> g(b_.m);
        b_.listas[static_cast<std::size_t>(n_)] = std::move(l);
    }

    void anotarMensaje(const QString& m) {
        std::lock_guard<std::mutex> g(b_.m);
        ++b_.resultado.mensajes[m];
    }

    int al(int n) { return n > 0 ? static_cast<int>(azar_() % static_cast<unsigned>(n)) : 0; }

    // A listed client, selected; false when none is listed.
    bool elegirCliente() {
        const auto todos = oficina_->todosLosClientes();
        std::vector<qint64> ids;
        for (const quint32 i : oficina_->indicesListados())
            if (!EsRegistroMarcador(todos->texto(i, 1), todos->texto(i, 4)))
                ids.push_back(todos->texto(i, 0).toLongLong());
        if (ids.empty())
            return false;
        oficina_->seleccionar(ids[static_cast<std::size_t>(al(static_cast<int>(ids.size())))]);
        return oficina_->clienteSeleccionado().has_value();
    }

    void operar() {
        // Weights per kind: consulta reads and issues; oficina also writes; the administrator
        // also withdraws, restores and deletes.
        struct Tipo {
            const char* nombre;
            int peso[3];
            Desenlace (Puesto::*hacer)();
        };
        static const Tipo tipos[] = {
            {"busqueda", {50, 25, 15}, &Puesto::busqueda},
            {"documento", {50, 20, 10}, &Puesto::documento},
            {"importacion", {0, 30, 20}, &Puesto::importacion},
            {"edicion", {0, 20, 15}, &Puesto::edicion},
            {"alta", {0, 5, 10}, &Puesto::alta},
            {"retiro", {0, 0, 15}, &Puesto::retiro},
            {"restitucion", {0, 0, 10}, &Puesto::restitucion},
            {"baja", {0, 0, 5}, &Puesto::baja},
        };
        const int r = static_cast<int>(rol_);
        int total = 0;
        for (const Tipo& t : tipos)
            total += t.peso[r];
        int x = al(total);
        const Tipo* tipo = &tipos[0];
        for (const Tipo& t : tipos) {
            if (x < t.peso[r]) {
                tipo = &t;
                break;
            }
            x -= t.peso[r];
        }
        const auto inicio = Reloj::now();
        Desenlace d = Desenlace::Omitida;
        QString mensaje;
        try {
            d = (this->*(tipo->hacer))();
            mensaje = mensaje_;
        } catch (const ErrorBD& e) {
            mensaje = e.descripcion();
            d = esCorte(mensaje) ? Desenlace::Cortada : Desenlace::Rechazada;
        } catch (const std::exception& e) {
            mensaje = QStringLiteral("(excepción inesperada) ") + QString::fromUtf8(e.what());
            d = Desenlace::Rechazada;
        }
        mensaje_.clear();
        const auto fin = Reloj::now();
        std::lock_guard<std::mutex> g(b_.m);
        ResultadoSimulacion& res = b_.resultado;
        if (!mensaje.isEmpty())
            ++res.mensajes[mensaje];
        switch (d) {
        case Desenlace::Hecha:
            ++res.hechas;
            res.latencias[QString::fromLatin1(tipo->nombre)].push_back(segundosEntre(inicio, fin) * 1000.0);
            b_.ultimoExito[static_cast<std::size_t>(n_)] = fin;
            if (escritura_)
                b_.ultimoCambio = std::max(b_.ultimoCambio, fin);
            break;
        case Desenlace::Rechazada:
            ++res.rechazadas;
            break;
        case Desenlace::Cortada:
            ++res.cortadas;
            break;
        case Desenlace::Omitida:
            break;
        }
        escritura_ = false;
    }

    Desenlace busqueda() {
        static const QString textos[] = {QStringLiteral("cliente 1"), QStringLiteral("CLIENTE 10"),
                                         QStringLiteral("editado"), QStringLiteral("alta"), QString()};
        oficina_->buscar(QStringLiteral("Nombre"), textos[al(5)]);
        elegirCliente();
        oficina_->buscar(QStringLiteral("Nombre"), QString());
        return Desenlace::Hecha;
    }

    Desenlace documento() {
        if (!elegirCliente())
            return Desenlace::Omitida;
        const PedidoEmision p = oficina_->pedidoEmision(QStringLiteral("informe"));
        oficina_->datosInforme();
        oficina_->emitirDocumento(p);
        return Desenlace::Hecha;
    }

    Desenlace importacion() {
        if (!elegirCliente())
            return Desenlace::Omitida;
        const QString numero = oficina_->clienteSeleccionado()->numero;
        const qint64 n = b_.archivos++;
        ArchivoImportacion archivo;
        if (!prepararImportacion(archivoUnico(numero, n, 3 + static_cast<int>(n % 10)), archivo).ok())
            throw std::runtime_error("archivo simulado no válido");
        const QString sha =
            QString::fromLatin1(QCryptographicHash::hash(archivo.datos, QCryptographicHash::Sha256).toHex());
        DatosImportacion datos;
        datos.numeroCliente = numero;
        datos.fecha = QDate(2012, 1, 1);
        datos.hora = QTime(10, 0);
        datos.nombreArchivo = QStringLiteral("sim-%1.kvd").arg(n);
        const ResultadoImportacion r = oficina_->importar(archivo, datos);
        std::lock_guard<std::mutex> g(b_.m);
        if (r.ok()) {
            b_.importadas.push_back({n_, sha, r.idImportacion, static_cast<qint64>(r.registros)});
            escritura_ = true;
            return Desenlace::Hecha;
        }
        b_.fallidas.insert(sha);
        mensaje_ = r.detalle;
        return esCorte(r.detalle) ? Desenlace::Cortada : Desenlace::Rechazada;
    }

    Desenlace edicion() {
        if (!elegirCliente())
            return Desenlace::Omitida;
        Cliente c = *oficina_->clienteSeleccionado();
        c.nombre = QStringLiteral("Cliente %1 editado %2").arg(c.numero).arg(azar_() % 1000);
        c.notas = QStringLiteral("puesto %1").arg(n_);
        oficina_->guardarCliente(c);
        escritura_ = true;
        return Desenlace::Hecha;
    }

    Desenlace alta() {
        if (altas_ >= 400)
            return Desenlace::Omitida;
        Cliente c = Cliente::desdeFila(QStringList(24, QStringLiteral("x")));
        c.id = 0;
        c.numero = QString::number(2000 + n_ * 400 + altas_++);
        c.nombre = QStringLiteral("Cliente %1 alta").arg(c.numero);
        c.localidad = QStringLiteral("Quilmes");
        oficina_->guardarCliente(c);
        escritura_ = true;
        return Desenlace::Hecha;
    }

    // An import of a listed client, withdrawn or not.
    std::optional<qint64> importacionElegida(bool retirada) {
        if (!elegirCliente())
            return std::nullopt;
        std::vector<qint64> ids;
        for (const ImportacionRegistrada& i : oficina_->historialSeleccionado())
            if (i.retirada == retirada)
                ids.push_back(i.id);
        if (ids.empty())
            return std::nullopt;
        return ids[static_cast<std::size_t>(al(static_cast<int>(ids.size())))];
    }

    Desenlace retiro() {
        const std::optional<qint64> id = importacionElegida(false);
        if (!id)
            return Desenlace::Omitida;
        oficina_->eliminarImportacion(*id, QStringLiteral("importada por error (simulación)"));
        escritura_ = true;
        return Desenlace::Hecha;
    }

    Desenlace restitucion() {
        const std::optional<qint64> id = importacionElegida(true);
        if (!id)
            return Desenlace::Omitida;
        oficina_->restituirImportacion(*id);
        escritura_ = true;
        return Desenlace::Hecha;
    }

    Desenlace baja() {
        // Only while most clients are still there, so the others keep something to work on.
        if (oficina_->cantidadListados() < 20 || !elegirCliente())
            return Desenlace::Omitida;
        oficina_->eliminarSeleccionado(QStringLiteral("baja de prueba (simulación)"));
        escritura_ = true;
        return Desenlace::Hecha;
    }

    const int n_;
    const Rol rol_;
    const QString conninfo_;
    const QString login_;
    std::mt19937 azar_;
    const int pausaMaxima_;
    Bitacora& b_;
    std::unique_ptr<ConexionPostgres> db_;
    std::unique_ptr<Oficina> oficina_;
    QString mensaje_;
    bool escritura_ = false;
    bool detenido_ = false;
    int altas_ = 0;
};

qint64 entero(Conexion& db, const QString& sql, const QVariantList& parametros = {}) {
    const auto st = db.preparar(sql);
    st->enlazarTodos(parametros);
    return st->paso() ? st->entero(0) : -1;
}

void pausa(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

QStringList ComprobarRegistro(Conexion& db, const std::vector<ImportacionInformada>& guardadas,
                              const QSet<QString>& fallidas) {
    QStringList faltas;
    for (const ImportacionInformada& i : guardadas) {
        const auto st =
            db.preparar(QStringLiteral("SELECT Id, Retirada FROM Importaciones WHERE Sha256 = ?"));
        st->enlazarTodos({i.sha256});
        std::vector<std::pair<qint64, qint64>> filas;
        while (st->paso())
            filas.emplace_back(st->entero(0), st->entero(1));
        if (filas.size() != 1 || filas[0].first != i.id) {
            faltas << QStringLiteral("La importación %1 (puesto %2), informada como guardada, está %3 veces.")
                          .arg(i.id)
                          .arg(i.puesto)
                          .arg(filas.size());
            continue;
        }
        if (entero(db,
                   QStringLiteral("SELECT count(*) FROM RegistroActividad WHERE Accion = 'importacion' AND "
                                  "Objeto = ?"),
                   {QString::number(i.id)}) != 1)
            faltas << QStringLiteral("La importación %1 no tiene exactamente una entrada en el registro de "
                                     "actividad.")
                          .arg(i.id);
        const qint64 filasGuardadas =
            entero(db, QStringLiteral("SELECT count(*) FROM Infracciones WHERE IdImportacion = ?"), {i.id});
        if (filasGuardadas != (filas[0].second == 0 ? i.registros : 0))
            faltas << QStringLiteral("La importación %1 (%2) tiene %3 filas; se informaron %4.")
                          .arg(i.id)
                          .arg(filas[0].second == 0 ? QStringLiteral("vigente") : QStringLiteral("retirada"))
                          .arg(filasGuardadas)
                          .arg(i.registros);
    }
    for (const QString& sha : fallidas)
        if (entero(db, QStringLiteral("SELECT count(*) FROM Importaciones WHERE Sha256 = ?"), {sha}) != 0)
            faltas << QStringLiteral("Una importación informada como fallida quedó guardada (SHA-256 %1).")
                          .arg(sha);
    // Every import whole or withdrawn whole, whoever touched it last.
    const auto mitades = db.preparar(QStringLiteral(
        "SELECT i.Id, i.Retirada, i.Guardados, (SELECT count(*) FROM Infracciones f WHERE f.IdImportacion = "
        "i.Id) FROM Importaciones i"));
    while (mitades->paso()) {
        const qint64 esperadas = mitades->entero(1) == 0 ? mitades->entero(2) : 0;
        if (mitades->entero(3) != esperadas)
            faltas << QStringLiteral("La importación %1 quedó a medias: %2 filas de %3.")
                          .arg(mitades->entero(0))
                          .arg(mitades->entero(3))
                          .arg(esperadas);
    }
    const qint64 huerfanas = entero(
        db, QStringLiteral("SELECT count(*) FROM Infracciones i WHERE NOT EXISTS (SELECT 1 FROM Clientes c "
                           "WHERE c.NumeroCliente = i.NumeroCliente)"));
    if (huerfanas != 0)
        faltas << QStringLiteral("%1 filas de infracciones sin su cliente.").arg(huerfanas);
    const qint64 sinImportacion = entero(
        db, QStringLiteral("SELECT count(*) FROM Infracciones i WHERE i.IdImportacion IS NOT NULL AND NOT "
                           "EXISTS (SELECT 1 FROM Importaciones m WHERE m.Id = i.IdImportacion)"));
    if (sinImportacion != 0)
        faltas << QStringLiteral("%1 filas de infracciones sin su importación.").arg(sinImportacion);
    // The office summary's monthly counts, kept by the server's triggers under every desk at once,
    // equal a count of the rows.
    const QString mensuales =
        QStringLiteral(
            "SELECT count(*) FROM ((SELECT * FROM ResumenMensual EXCEPT ALL SELECT * FROM (%1) a) UNION ALL "
            "(SELECT * FROM (%1) b EXCEPT ALL SELECT * FROM ResumenMensual)) d")
            .arg(RecuentoMensual(db.dialecto()));
    if (const qint64 distintas = entero(db, mensuales); distintas != 0)
        faltas
            << QStringLiteral("%1 cuentas mensuales del resumen no coinciden con las filas.").arg(distintas);
    ComprobadorCadena cadena;
    RecorrerEntradas(db, [&](const EntradaActividad& e) { return cadena.agregar(e); });
    if (cadena.rotura())
        faltas << QStringLiteral("La cadena del registro de actividad se rompe en la entrada %1: %2")
                      .arg(cadena.rotura()->secuencia)
                      .arg(cadena.rotura()->motivo);
    // Rows against their originals, clients against their logged changes.
    const InformeVerificacion informe = VerificarRegistro(db);
    for (const Diferencia& d : informe.diferencias)
        faltas << QStringLiteral("Verificar registro: ") + d.texto();
    if (informe.noListadas > 0)
        faltas << QStringLiteral("Verificar registro: %1 diferencias más.").arg(informe.noListadas);
    return faltas;
}

double Percentil95(std::vector<double> v) {
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(v.size()))) - 1];
}

ResultadoSimulacion SimularOficinas(ServidorPrueba& servidor, const OpcionesSimulacion& o) {
    Bitacora b;
    QStringList& faltas = b.resultado.faltas;
    const QString superusuario = servidor.baseNueva();
    const QString base = QRegularExpression(QStringLiteral("dbname=(\\S+)")).match(superusuario).captured(1);
    b.listas.resize(static_cast<std::size_t>(o.puestos));
    b.ultimoExito.assign(static_cast<std::size_t>(o.puestos), Reloj::time_point());
    try {
        ConexionPostgres db(superusuario);
        Oficina inicial(db);
        inicial.establecerUsuario(QStringLiteral("Administrador"));
        for (int i = 0; i < o.clientesIniciales; ++i) {
            Cliente c = Cliente::desdeFila(QStringList(24, QStringLiteral("x")));
            c.id = 0;
            c.numero = QString::number(1000 + i);
            c.nombre = QStringLiteral("Cliente %1").arg(c.numero);
            c.localidad = QStringLiteral("Quilmes");
            inicial.guardarCliente(c);
        }
    } catch (const ErrorBD& e) {
        faltas << QStringLiteral("No se pudo preparar el registro: ") + e.descripcion();
        return b.resultado;
    }

    std::vector<std::unique_ptr<QThread>> hilos;
    for (int n = 0; n < o.puestos; ++n) {
        const QString login = QStringLiteral("puesto%1").arg(n);
        if (!servidor.crearPersona(login, QString::fromLatin1(nombreRol(rolDe(n))))) {
            faltas << QStringLiteral("No se pudo crear el usuario %1 en el servidor.").arg(login);
            return b.resultado;
        }
        const QString conninfo = servidor.hayTls()
                                     ? servidor.conninfoTls(base, login)
                                     : servidor.conninfo(base).replace(QStringLiteral("user=postgres"),
                                                                       QStringLiteral("user=") + login);
        const unsigned semilla = o.semilla * 7919u + static_cast<unsigned>(n);
        hilos.emplace_back(QThread::create([&b, n, conninfo, login, semilla, pausaMaxima = o.pausaMaximaMs] {
            Puesto(n, conninfo, login, semilla, pausaMaxima, b).correr();
        }));
        hilos.back()->start();
    }

    // The run, with its failures.
    std::mt19937 azar(o.semilla);
    const auto inicio = Reloj::now();
    const auto duracion = std::chrono::seconds(o.segundos);
    const auto reinicio = inicio + duracion * 4 / 10;
    const auto finCortes = inicio + duracion * 7 / 10;
    auto proximoCorte = inicio + std::chrono::milliseconds(1000 + azar() % 2000);
    Reloj::time_point ultimaFalla = inicio;
    bool reiniciado = !o.reiniciar;
    while (Reloj::now() < inicio + duracion) {
        pausa(50);
        const auto ahora = Reloj::now();
        if (!reiniciado && ahora >= reinicio) {
            reiniciado = true;
            servidor.detener();
            pausa(500);
            bool arriba = servidor.arrancar();
            for (int intento = 0; !arriba && intento < 5; ++intento) {
                pausa(500);
                arriba = servidor.arrancar();
            }
            if (!arriba) {
                faltas << QStringLiteral("El servidor no volvió a arrancar.");
                break;
            }
            ++b.resultado.reinicios;
            ultimaFalla = Reloj::now();
        }
        if (o.cortarSesiones && ahora >= proximoCorte && ahora < finCortes) {
            if (servidor.sql(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                                            "datname = '%1' AND usename LIKE 'puesto%%' ORDER BY random() "
                                            "LIMIT 1")
                                 .arg(base)))
                ++b.resultado.sesionesCortadas;
            ultimaFalla = Reloj::now();
            proximoCorte = ultimaFalla + std::chrono::milliseconds(1000 + azar() % 2000);
        }
    }
    b.operar = false;
    const auto finOperaciones = Reloj::now();
    while (b.detenidos < o.puestos && Reloj::now() < finOperaciones + std::chrono::seconds(60))
        pausa(10);
    b.resultado.segundos = segundosEntre(inicio, Reloj::now());

    // Every desk, from its own notices, comes to show what the server holds.
    try {
        ConexionPostgres db(superusuario);
        Oficina verdad(db);
        verdad.abrirClientes();
        const QStringList lista = listaDe(verdad);
        Reloj::time_point ultimoCambio;
        {
            std::lock_guard<std::mutex> g(b.m);
            ultimoCambio = b.ultimoCambio;
        }
        const auto limite = Reloj::now() + std::chrono::seconds(10);
        while (Reloj::now() < limite) {
            bool todos = true;
            {
                std::lock_guard<std::mutex> g(b.m);
                for (const QStringList& l : b.listas)
                    todos = todos && l == lista;
            }
            if (todos) {
                b.resultado.segundosHastaAcuerdo = segundosEntre(ultimoCambio, Reloj::now());
                break;
            }
            pausa(10);
        }
        if (b.resultado.segundosHastaAcuerdo < 0 || b.resultado.segundosHastaAcuerdo > 2.0) {
            std::lock_guard<std::mutex> g(b.m);
            for (std::size_t n = 0; n < b.listas.size(); ++n)
                if (b.listas[n] != lista)
                    faltas << QStringLiteral("El puesto %1 muestra %2 clientes; el servidor tiene %3.")
                                  .arg(n)
                                  .arg(b.listas[n].size())
                                  .arg(lista.size());
        }
    } catch (const ErrorBD& e) {
        faltas << QStringLiteral("No se pudo leer la lista del servidor: ") + e.descripcion();
    }
    b.terminar = true;
    for (auto& h : hilos)
        h->wait();

    for (std::size_t n = 0; n < b.ultimoExito.size(); ++n)
        if (b.ultimoExito[n] < ultimaFalla)
            faltas << QStringLiteral("El puesto %1 no volvió a trabajar después de la última falla.").arg(n);
    for (const auto& [mensaje, veces] : b.resultado.mensajes)
        if (mensaje.contains(QStringLiteral("excepción inesperada")) ||
            mensaje.contains(QStringLiteral("ERROR:")) || mensaje.contains(QStringLiteral("FATAL")))
            faltas
                << QStringLiteral("Mensaje no apto para el usuario (%1 veces): %2").arg(veces).arg(mensaje);
    try {
        ConexionPostgres db(superusuario);
        faltas << ComprobarRegistro(db, b.importadas, b.fallidas);
    } catch (const ErrorBD& e) {
        faltas << QStringLiteral("No se pudo comprobar el registro: ") + e.descripcion();
    }
    return b.resultado;
}
